// Cursors: moves, sequence numbers, bookmarks, ranges, key search, clones,
// detail cursors over nested tables.
#include <gtest/gtest.h>

#include <cstring>

#include "table_fixture.h"

using namespace engine;
using namespace enginetest;

namespace {

std::int32_t CurrentK(IDSCursor* c) {
  std::int32_t k = -1;
  EXPECT_EQ(c->GetField(nullptr, 1, &k, nullptr), DBERR_NONE);
  return k;
}

Bytes Bookmark(IDSCursor* c) {
  Bytes b(20);
  EXPECT_EQ(c->GetCurrentBookMark(b.data()), DBERR_NONE);
  return b;
}

}  // namespace

TEST(Cursor, FreshCursorOnEmptyTable) {
  DSRef<IDSBase> t;
  ASSERT_EQ(Load(MainFormPacket(), t), DBERR_NONE);
  auto c = OpenCursor(t.get());
  std::uint8_t rec[57];
  EXPECT_EQ(c->GetCurrentRecord(rec), DBERR_BOF);
  std::int32_t n = -1;
  EXPECT_EQ(c->GetRecordCount(&n), DBERR_NONE);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(c->MoveRelative(1), DBERR_EOF);
  EXPECT_EQ(c->MoveRelative(-1), DBERR_BOF);
  EXPECT_EQ(c->InitCursor(t.get()), DBERR_NA);  // already bound
}

TEST(Cursor, MovesOverThreeRecords) {
  auto t = MakeTable({{1, "a"}, {2, "b"}, {3, "c"}});
  auto c = OpenCursor(t.get());
  struct Step {
    std::int32_t move;
    EngineResult result;
    std::int32_t k;  // current k after the move, 0 when off the records
  };
  const std::vector<Step> steps = {{3, DBERR_NONE, 3}, {1, DBERR_EOF, 0},  {-1, DBERR_NONE, 3}, {0, DBERR_NONE, 3},
                                   {-2, DBERR_NONE, 1}, {-1, DBERR_BOF, 0}, {2, DBERR_NONE, 2},  {-5, DBERR_BOF, 0},
                                   {7, DBERR_EOF, 0},  {-3, DBERR_NONE, 1}, {INT32_MIN, DBERR_BOF, 0}, {INT32_MAX, DBERR_EOF, 0}};
  for (std::size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(c->MoveRelative(steps[i].move), steps[i].result);
    if (steps[i].k) {
      EXPECT_EQ(CurrentK(c.get()), steps[i].k);
    }
  }
  ASSERT_EQ(c->MoveToSeqNo(2), DBERR_NONE);
  std::uint32_t seq = 0;
  ASSERT_EQ(c->GetSequenceNumber(&seq), DBERR_NONE);
  EXPECT_EQ(seq, 2u);
  EXPECT_EQ(c->MoveToSeqNo(0), DBERR_BOF);
  EXPECT_EQ(c->GetSequenceNumber(&seq), DBERR_BOF);
  EXPECT_EQ(c->MoveToSeqNo(4), DBERR_EOF);
  std::uint32_t recNo = 9;
  ASSERT_EQ(c->GetRecordNumber(&recNo), DBERR_NONE);
  EXPECT_EQ(recNo, 0u);
}

TEST(Cursor, DeletedStateMovesToNeighbours) {
  // state 8708: the record at the position was removed and its follower took
  // the position; +1 lands on the follower, -1 on the record before.
  auto t = MakeTable({{1, "a"}, {2, "b"}, {3, "c"}});
  auto c = OpenCursor(t.get());
  ASSERT_EQ(c->MoveRelative(2), DBERR_NONE);
  ASSERT_EQ(c->SetProp(curpropSETCRACK, DBERR_KEYORRECDELETED), DBERR_NONE);
  EXPECT_EQ(c->MoveRelative(-1), DBERR_NONE);
  EXPECT_EQ(CurrentK(c.get()), 1);
  ASSERT_EQ(c->MoveRelative(2), DBERR_NONE);
  ASSERT_EQ(c->SetProp(curpropSETCRACK, DBERR_KEYORRECDELETED), DBERR_NONE);
  EXPECT_EQ(c->MoveRelative(1), DBERR_NONE);
  EXPECT_EQ(CurrentK(c.get()), 3);
  // on the last record: -1 never lands past the end
  ASSERT_EQ(c->SetProp(curpropSETCRACK, DBERR_KEYORRECDELETED), DBERR_NONE);
  EXPECT_EQ(c->MoveRelative(-1), DBERR_NONE);
  EXPECT_EQ(CurrentK(c.get()), 2);
}

TEST(Cursor, KeySearchAndRanges) {
  auto t = MakeTable({{5, "e"}, {1, "a"}, {3, "c"}, {3, "c2"}, {7, "g"}});
  auto byK = IndexOn("byK", {1});
  ASSERT_EQ(t->CreateIndex(&byK), DBERR_NONE);
  auto c = OpenCursor(t.get());
  ASSERT_EQ(c->UseIndexOrder("byK"), DBERR_NONE);
  auto k2 = Key(c.get(), 2, std::nullopt);
  auto k3 = Key(c.get(), 3, std::nullopt);
  auto k9 = Key(c.get(), 9, std::nullopt);
  EXPECT_EQ(c->MoveToKey(keySEARCHEQ, 1, 0, k2.data()), DBERR_RECNOTFOUND);
  ASSERT_EQ(c->MoveToKey(keySEARCHEQ, 1, 0, k3.data()), DBERR_NONE);
  std::uint8_t rec[64];
  EXPECT_EQ(c->GetCurrentRecord(rec), DBERR_NOCURRREC);
  ASSERT_EQ(c->MoveRelative(1), DBERR_NONE);
  char s[32];
  c->GetField(nullptr, 2, s, nullptr);
  EXPECT_STREQ(s, "c");
  ASSERT_EQ(c->MoveToKey(keySEARCHGT, 1, 0, k3.data()), DBERR_NONE);
  ASSERT_EQ(c->MoveRelative(1), DBERR_NONE);
  EXPECT_EQ(CurrentK(c.get()), 5);
  ASSERT_EQ(c->MoveToKey(keySEARCHGEQ, 1, 0, k9.data()), DBERR_NONE);
  EXPECT_EQ(c->MoveRelative(-1), DBERR_NONE);
  EXPECT_EQ(CurrentK(c.get()), 7);
  EXPECT_EQ(c->MoveToKey(keySEARCHEQ, 2, 0, k3.data()), DBERR_OUTOFRANGE);
  std::vector<std::uint8_t> got(64);
  ASSERT_EQ(c->GetRecordForKey(1, 0, k3.data(), got.data()), DBERR_NONE);

  struct RangeCase {
    const char* name;
    std::vector<std::uint8_t>* lo;
    bool loIncl;
    std::vector<std::uint8_t>* hi;
    bool hiIncl;
    std::vector<std::int32_t> expected;
  };
  const std::vector<RangeCase> ranges = {
      {"single key", &k3, true, &k3, true, {3, 3}},
      {"single key exclusive", &k3, false, &k3, false, {}},
      {"open low", nullptr, true, &k3, true, {1, 3, 3}},
      {"open high exclusive", &k3, false, nullptr, true, {5, 7}},
      {"absent keys", &k2, true, &k9, true, {3, 3, 5, 7}},
      {"inverted", &k9, true, &k2, true, {}},
  };
  for (const auto& r : ranges) {
    SCOPED_TRACE(r.name);
    ASSERT_EQ(c->SetRange(1, r.lo ? r.lo->data() : nullptr, r.loIncl, r.hi ? r.hi->data() : nullptr, r.hiIncl),
              DBERR_NONE);
    std::int32_t n = -1;
    ASSERT_EQ(c->GetRecordCount(&n), DBERR_NONE);
    EXPECT_EQ(n, static_cast<std::int32_t>(r.expected.size()));
    EXPECT_EQ(VisibleK(c.get()), r.expected);
  }
  EXPECT_EQ(c->SetRange(2, k3.data(), 1, k3.data(), 1), DBERR_OUTOFRANGE);
  ASSERT_EQ(c->DropRange(), DBERR_NONE);
  EXPECT_EQ(VisibleK(c.get()), (std::vector<std::int32_t>{1, 3, 3, 5, 7}));
}

TEST(Cursor, PartialKeyOnStrings) {
  auto t = MakeTable({{1, "apple"}, {2, "banana"}, {3, "apricot"}});
  auto byS = IndexOn("byS", {2});
  ASSERT_EQ(t->CreateIndex(&byS), DBERR_NONE);
  auto c = OpenCursor(t.get());
  ASSERT_EQ(c->UseIndexOrder("byS"), DBERR_NONE);
  auto key = Key(c.get(), std::nullopt, "apr");
  ASSERT_EQ(c->MoveToKey(keySEARCHEQ, 0, 3, key.data()), DBERR_NONE);
  ASSERT_EQ(c->MoveRelative(1), DBERR_NONE);
  EXPECT_EQ(CurrentK(c.get()), 3);
  auto byK = IndexOn("byK", {1});
  ASSERT_EQ(t->CreateIndex(&byK), DBERR_NONE);
  ASSERT_EQ(c->UseIndexOrder("byK"), DBERR_NONE);
  EXPECT_EQ(c->MoveToKey(keySEARCHEQ, 0, 3, key.data()), DBERR_INVALIDPARAM);  // partial on an integer
}

TEST(Cursor, Bookmarks) {
  auto t = MakeTable({{3, "c"}, {1, "a"}, {2, "b"}});
  auto byK = IndexOn("byK", {1});
  ASSERT_EQ(t->CreateIndex(&byK), DBERR_NONE);
  auto c = OpenCursor(t.get());
  ASSERT_EQ(c->MoveRelative(1), DBERR_NONE);  // k = 3 in physical order
  const Bytes bm3 = Bookmark(c.get());
  ASSERT_EQ(c->MoveRelative(1), DBERR_NONE);
  const Bytes bm1 = Bookmark(c.get());
  std::int32_t cmp = 9;
  ASSERT_EQ(c->CompareBookMarks(bm3.data(), bm3.data(), &cmp), DBERR_NONE);
  EXPECT_EQ(cmp, 0);
  ASSERT_EQ(c->CompareBookMarks(bm3.data(), bm1.data(), &cmp), DBERR_NONE);
  EXPECT_EQ(cmp, -1);
  // after switching orders the bookmarks find their records and compare by
  // the positions they have now
  ASSERT_EQ(c->UseIndexOrder("byK"), DBERR_NONE);
  ASSERT_EQ(c->CompareBookMarks(bm3.data(), bm1.data(), &cmp), DBERR_NONE);
  EXPECT_EQ(cmp, 1);
  ASSERT_EQ(c->MoveToBookMark(bm3.data()), DBERR_NONE);
  EXPECT_EQ(CurrentK(c.get()), 3);
  // damaged bookmarks leave the cursor where it is
  Bytes bad = bm1;
  std::int32_t recNo = 999;
  std::memcpy(bad.data() + 8, &recNo, 4);
  EXPECT_EQ(c->MoveToBookMark(bad.data()), DBERR_INVALIDPARAM);
  bad = bm1;
  std::int32_t state = 12345;
  std::memcpy(bad.data() + 4, &state, 4);
  EXPECT_EQ(c->MoveToBookMark(bad.data()), DBERR_INVALIDPARAM);
  EXPECT_EQ(c->MoveToBookMark(nullptr), DBERR_INVALIDPARAM);
  EXPECT_EQ(CurrentK(c.get()), 3);
  // a bookmark of a record that is not in the order (range) is refused
  auto k1 = Key(c.get(), 1, std::nullopt);
  ASSERT_EQ(c->SetRange(1, k1.data(), 1, k1.data(), 1), DBERR_NONE);
  EXPECT_EQ(c->MoveToBookMark(bm3.data()), DBERR_EOF);
}

TEST(Cursor, ClonesShareOrderRangeAndPosition) {
  auto t = MakeTable({{3, "c"}, {1, "a"}, {2, "b"}, {4, "d"}});
  auto byK = IndexOn("byK", {1});
  ASSERT_EQ(t->CreateIndex(&byK), DBERR_NONE);
  auto c = OpenCursor(t.get());
  ASSERT_EQ(c->UseIndexOrder("byK"), DBERR_NONE);
  auto k2 = Key(c.get(), 2, std::nullopt);
  auto k3 = Key(c.get(), 3, std::nullopt);
  ASSERT_EQ(c->SetRange(1, k2.data(), 1, k3.data(), 1), DBERR_NONE);
  ASSERT_EQ(c->MoveRelative(2), DBERR_NONE);
  DSRef<IDSCursor> d;
  ASSERT_EQ(CreateDSCursor(d.put()), DBERR_NONE);
  ASSERT_EQ(d->CloneCursor(c.get()), DBERR_NONE);
  EXPECT_EQ(CurrentK(d.get()), 3);
  EXPECT_EQ(VisibleK(d.get()), (std::vector<std::int32_t>{2, 3}));
  // the clone moves on its own
  EXPECT_EQ(CurrentK(c.get()), 3);
  // a cursor bound to another table cannot clone
  auto other = MakeTable({{1, "x"}});
  auto oc = OpenCursor(other.get());
  EXPECT_EQ(oc->CloneCursor(c.get()), DBERR_NA);
}

TEST(Cursor, DetailCursorFollowsMaster) {
  PacketBuilder b;
  Col orders{"orders", 0x050E0001u};
  orders.nested = {{"qty", 0x00010004u}};
  b.cols = {{"id", 0x00010004u}, orders};
  b.rows = {Row{0, {Int(1, 4), NestedRows({Row{0, {Int(10, 4)}}, Row{0, {Int(11, 4)}}})}},
            Row{0, {Int(2, 4), NestedRows({})}},
            Row{0, {Int(3, 4), NestedRows({Row{0, {Int(30, 4)}}})}},
            Row{0, {Int(4, 4), NestedNotFetched()}}};
  DSRef<IDSBase> t;
  ASSERT_EQ(Load(b.Packet(), t), DBERR_NONE);
  DSRef<IDSBase> nested;
  ASSERT_EQ(t->GetEmbeddedDS(2, nested.put()), DBERR_NONE);
  EXPECT_EQ(t->GetEmbeddedDS(1, nested.put()), DBERR_INVALIDPARAM);
  ASSERT_EQ(t->GetEmbeddedDS(2, nested.put()), DBERR_NONE);
  auto master = OpenCursor(t.get());
  auto detail = OpenCursor(nested.get());
  EXPECT_EQ(VisibleK(detail.get()), (std::vector<std::int32_t>{10, 11, 30}));
  EXPECT_EQ(master->LinkCursors(0, nullptr, nullptr, detail.get()), DBERR_NOCURRREC);
  const std::vector<std::vector<std::int32_t>> expected = {{10, 11}, {}, {30}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(master->MoveRelative(1), DBERR_NONE);
    ASSERT_EQ(detail->ResyncWithMaster(), DBERR_NONE);
    EXPECT_EQ(VisibleK(detail.get()), expected[i]);
  }
  ASSERT_EQ(master->MoveRelative(1), DBERR_NONE);
  ASSERT_EQ(detail->ResyncWithMaster(), DBERR_NONE);
  std::int32_t n = 0;
  EXPECT_EQ(detail->GetRecordCount(&n), DBERR_DETAILSNOTFETCHED);
  EXPECT_EQ(static_cast<std::uint32_t>(n), 0x80000000u);
  ASSERT_EQ(master->MoveToEOF(), DBERR_NONE);
  EXPECT_EQ(detail->ResyncWithMaster(), DBERR_NOCURRREC);
}

TEST(Cursor, FollowsItsRecordWhenTheOrderChanges) {
  // a stored key value made null moves the record to the front of the
  // order; cursors re-synchronise onto it, bookmarks still find it
  auto t = MakeTable({{1, "a"}, {2, "b"}, {3, "c"}});
  auto byK = IndexOn("byK", {1});
  ASSERT_EQ(t->CreateIndex(&byK), DBERR_NONE);
  auto c = OpenCursor(t.get());
  ASSERT_EQ(c->UseIndexOrder("byK"), DBERR_NONE);
  ASSERT_EQ(c->MoveRelative(3), DBERR_NONE);
  const Bytes bm = Bookmark(c.get());
  auto other = OpenCursor(t.get());
  ASSERT_EQ(other->UseIndexOrder("byK"), DBERR_NONE);
  ASSERT_EQ(other->MoveRelative(2), DBERR_NONE);
  std::uint32_t slot = 0;
  ASSERT_EQ(c->GetRecordNumber(&slot), DBERR_NONE);
  ASSERT_EQ(t->PutBlank(nullptr, slot, 1, BLANK_NULL), DBERR_NONE);
  std::uint32_t seq = 0;
  ASSERT_EQ(c->GetSequenceNumber(&seq), DBERR_NONE);
  EXPECT_EQ(seq, 1u);
  std::uint32_t now = 0;
  ASSERT_EQ(c->GetRecordNumber(&now), DBERR_NONE);
  EXPECT_EQ(now, slot);
  ASSERT_EQ(other->GetSequenceNumber(&seq), DBERR_NONE);
  EXPECT_EQ(seq, 3u);
  EXPECT_EQ(CurrentK(other.get()), 2);
  ASSERT_EQ(other->MoveToBookMark(bm.data()), DBERR_NONE);
  ASSERT_EQ(other->GetRecordNumber(&now), DBERR_NONE);
  EXPECT_EQ(now, slot);
  // a record that leaves the cursor's range puts the cursor in the deleted
  // state; the next move lands on the record that took its place
  auto k2 = Key(c.get(), 2, std::nullopt);
  auto k3 = Key(c.get(), 3, std::nullopt);
  auto t2 = MakeTable({{1, "a"}, {2, "b"}, {3, "c"}});
  ASSERT_EQ(t2->CreateIndex(&byK), DBERR_NONE);
  auto r = OpenCursor(t2.get());
  ASSERT_EQ(r->UseIndexOrder("byK"), DBERR_NONE);
  ASSERT_EQ(r->SetRange(1, k2.data(), 1, k3.data(), 1), DBERR_NONE);
  ASSERT_EQ(r->MoveRelative(1), DBERR_NONE);
  ASSERT_EQ(r->GetRecordNumber(&slot), DBERR_NONE);
  ASSERT_EQ(t2->PutBlank(nullptr, slot, 1, BLANK_NULL), DBERR_NONE);
  std::int32_t n = 0;
  ASSERT_EQ(r->GetRecordCount(&n), DBERR_NONE);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(r->MoveRelative(0), DBERR_KEYORRECDELETED);
  ASSERT_EQ(r->MoveRelative(1), DBERR_NONE);
  EXPECT_EQ(CurrentK(r.get()), 3);
}
