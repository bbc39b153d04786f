// The change log: save points and roll-back, accepting changes, the log in
// packets, blobs kept for logged versions.
#include <gtest/gtest.h>

#include <set>

#include "edit_fixture.h"

using namespace engine;
using namespace enginetest;

namespace {

std::int32_t SavePoint(IDSBase* t) {
  std::int32_t sp = -1;
  EXPECT_EQ(t->GetProp(dspropGETSAVEPOINT, &sp), DBERR_NONE);
  return sp;
}

bool HasChangeLog(IDSBase* t) {
  DSPacket p;
  EXPECT_EQ(t->StreamDS(&p), DBERR_NONE);
  return std::string(p.begin(), p.end()).find("CHANGE_LOG") != std::string::npos;
}

}  // namespace

TEST(ChangeLog, SavePointRollBackOnce) {
  auto t = MakeTable({{1, "a"}, {2, "b"}}, 50);
  auto c = OpenCursor(t.get());
  EXPECT_EQ(SavePoint(t.get()), 0);  // empty log
  ASSERT_EQ(Insert(c.get(), 3, "c"), DBERR_NONE);
  const std::int32_t sp = SavePoint(t.get());
  ASSERT_NE(sp, 0);
  EXPECT_EQ(SavePoint(t.get()), sp);  // same log length, same save point
  ASSERT_TRUE(GoTo(c.get(), 1));
  ASSERT_EQ(Modify(c.get(), "x"), DBERR_NONE);
  ASSERT_TRUE(GoTo(c.get(), 2));
  ASSERT_EQ(c->DeleteRecord(), DBERR_NONE);
  const std::int32_t later = SavePoint(t.get());
  ASSERT_EQ(t->RollBack(static_cast<std::uint32_t>(sp)), DBERR_NONE);
  EXPECT_EQ(VisibleS(c.get()), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(Prop(t.get(), dspropNOOFCHANGES), 1);
  struct Case {
    const char* what;
    std::uint32_t savePoint;
  };
  const std::vector<Case> refused = {{"second roll-back", static_cast<std::uint32_t>(sp)},
                                     {"beyond the log", static_cast<std::uint32_t>(later)},
                                     {"unknown id", static_cast<std::uint32_t>(sp) + 40},
                                     {"other generation", static_cast<std::uint32_t>(sp) ^ 0x10000u}};
  for (const auto& k : refused) {
    SCOPED_TRACE(k.what);
    EXPECT_EQ(t->RollBack(k.savePoint), DBERR_INVALIDPARAM);
  }
  EXPECT_EQ(VisibleS(c.get()), (std::vector<std::string>{"a", "b", "c"}));
  ASSERT_EQ(t->RollBack(0), DBERR_NONE);  // the whole log
  EXPECT_EQ(VisibleS(c.get()), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(c->UndoLastChange(0), DBERR_NOTHINGTOUNDO);
}

TEST(ChangeLog, SavePointIdsNeverRepeat) {
  auto t = ProgramTable();
  auto c = OpenCursor(t.get());
  std::set<std::int32_t> ids;
  std::int32_t first = 0;
  const int n = 0x10000 + 50;  // more save points than 16 bits can number
  for (int i = 0; i < n; ++i) {
    ASSERT_EQ(Insert(c.get(), i, "r"), DBERR_NONE);
    const std::int32_t sp = SavePoint(t.get());
    if (i == 0) first = sp;
    ASSERT_TRUE(ids.insert(sp).second) << "save point id " << sp << " handed out twice";
  }
  // the oldest id is either unknown now or still means one record
  const EngineResult r = t->RollBack(static_cast<std::uint32_t>(first));
  if (r == DBERR_NONE) {
    EXPECT_EQ(Prop(t.get(), dspropRECORDSINDS), 1);
  } else {
    EXPECT_EQ(r, DBERR_INVALIDPARAM);
    EXPECT_EQ(Prop(t.get(), dspropRECORDSINDS), n);
  }
}

TEST(ChangeLog, AcceptChanges) {
  auto t = MakeTable({{1, "a"}, {2, "b"}, {3, "c"}}, 50);
  auto c = OpenCursor(t.get());
  ASSERT_EQ(Insert(c.get(), 4, "d"), DBERR_NONE);
  ASSERT_TRUE(GoTo(c.get(), 1));
  ASSERT_EQ(Modify(c.get(), "x"), DBERR_NONE);
  ASSERT_TRUE(GoTo(c.get(), 2));
  ASSERT_EQ(c->DeleteRecord(), DBERR_NONE);
  const std::int32_t sp = SavePoint(t.get());
  EXPECT_TRUE(HasChangeLog(t.get()));
  ASSERT_EQ(t->AcceptChanges(), DBERR_NONE);
  EXPECT_FALSE(HasChangeLog(t.get()));
  EXPECT_EQ(Prop(t.get(), dspropNOOFCHANGES), 0);
  EXPECT_EQ(Prop(t.get(), dspropUPDATESPENDING), 0);
  EXPECT_EQ(VisibleS(c.get()), (std::vector<std::string>{"x", "c", "d"}));
  c->MoveToBOF();
  while (c->MoveRelative(1) == DBERR_NONE) {
    std::uint8_t a = 0xFF;
    ASSERT_EQ(c->GetRecordAttribute(&a), DBERR_NONE);
    EXPECT_EQ(a, dsRecUnmodified);
  }
  EXPECT_EQ(c->UndoLastChange(1), DBERR_NOTHINGTOUNDO);
  EXPECT_EQ(t->RollBack(static_cast<std::uint32_t>(sp)), DBERR_INVALIDPARAM);
}

class ChangeLogStream : public testing::TestWithParam<bool> {};

// The log survives a save and load, also when logging was switched off after
// the changes were made.
TEST_P(ChangeLogStream, SurvivesStreamAndLoad) {
  auto t = MakeTable({{1, "a"}, {2, "b"}, {3, "c"}}, 50);
  auto c = OpenCursor(t.get());
  ASSERT_EQ(Insert(c.get(), 4, "d"), DBERR_NONE);
  ASSERT_TRUE(GoTo(c.get(), 1));
  ASSERT_EQ(Modify(c.get(), "x"), DBERR_NONE);
  ASSERT_TRUE(GoTo(c.get(), 2));
  ASSERT_EQ(c->DeleteRecord(), DBERR_NONE);
  if (GetParam()) {
    ASSERT_EQ(t->SetProp(dspropLOGCHANGES, 0), DBERR_NONE);
  }
  DSPacket p;
  ASSERT_EQ(t->StreamDS(&p), DBERR_NONE);
  DSRef<IDSBase> u;
  ASSERT_EQ(Load(p, u), DBERR_NONE);
  auto d = OpenCursor(u.get());
  EXPECT_EQ(VisibleS(d.get()), (std::vector<std::string>{"x", "c", "d"}));
  EXPECT_EQ(Prop(u.get(), dspropNOOFCHANGES), 3);
  const std::vector<std::vector<std::string>> afterUndo = {{"x", "b", "c", "d"}, {"a", "b", "c", "d"}, {"a", "b", "c"}};
  for (std::size_t i = 0; i < afterUndo.size(); ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(d->UndoLastChange(1), DBERR_NONE);
    EXPECT_EQ(VisibleS(d.get()), afterUndo[i]);
  }
  EXPECT_EQ(d->UndoLastChange(1), DBERR_NOTHINGTOUNDO);
}

INSTANTIATE_TEST_SUITE_P(ChangeLog, ChangeLogStream, testing::Bool());

TEST(ChangeLog, DamagedLogInPacketIsRefused) {
  struct Case {
    const char* what;
    std::vector<std::uint32_t> log;
  };
  const std::vector<Case> cases = {{"slot beyond the rows", {9, 0, 4}},
                                   {"slot zero", {0, 0, 2}},
                                   {"modification of a later slot", {1, 2, 8}},
                                   {"unknown kind", {1, 0, 77}}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    PacketBuilder b;
    b.cols = {{"k", 0x00010004u}};
    b.rows = {Row{0, {Int(1, 4)}}, Row{0, {Int(2, 4)}}};
    Bytes v = LE(k.log.size(), 4);
    for (std::uint32_t x : k.log) {
      const Bytes e = LE(x, 4);
      v.insert(v.end(), e.begin(), e.end());
    }
    b.tableAttrs = {{"CHANGE_LOG", 0x00820004u, v}};
    DSRef<IDSBase> t;
    EXPECT_EQ(Load(b.Packet(), t), DBERR_DATAPACKETMISMATCH);
  }
}

TEST(ChangeLog, BlobsOfLoggedVersionsSurviveUndo) {
  PacketBuilder b;
  b.cols = {{"k", 0x00010004u}, {"memo", 0x004B0004u, 0, {SubType("Binary")}}};
  DSRef<IDSBase> t;
  ASSERT_EQ(Load(b.Packet(), t), DBERR_NONE);
  auto c = OpenCursor(t.get());
  auto buf = RecBuf(c.get());
  ASSERT_EQ(c->InitRecord(buf.data()), DBERR_NONE);
  const std::int32_t k = 1;
  c->PutField(buf.data(), 1, &k);
  ASSERT_EQ(c->PutBlob(buf.data(), 2, 0, "hello", 5), DBERR_NONE);
  ASSERT_EQ(c->InsertRecord(buf.data()), DBERR_NONE);
  // the caller's buffer goes on being edited: the stored version keeps its value
  ASSERT_EQ(c->PutBlob(buf.data(), 2, 5, " world", 6), DBERR_NONE);
  auto blobOf = [&](IDSCursor* cur) {
    std::uint32_t len = 0;
    EXPECT_EQ(cur->GetBlobLen(nullptr, 2, &len), DBERR_NONE);
    std::string s(len, '\0');
    EXPECT_EQ(cur->GetBlob(nullptr, 2, 0, s.data(), &len), DBERR_NONE);
    return s;
  };
  EXPECT_EQ(blobOf(c.get()), "hello");
  // a modification that leaves the blob "not changed" keeps it
  auto mod = RecBuf(c.get());
  ASSERT_EQ(c->InitRecord(mod.data()), DBERR_NONE);
  const std::int32_t k2 = 2;
  c->PutField(mod.data(), 1, &k2);
  ASSERT_EQ(c->ModifyRecord(mod.data()), DBERR_NONE);
  EXPECT_EQ(blobOf(c.get()), "hello");
  ASSERT_EQ(c->UndoLastChange(1), DBERR_NONE);
  EXPECT_EQ(blobOf(c.get()), "hello");  // still there for the inserted version
  ASSERT_EQ(t->AcceptChanges(), DBERR_NONE);
  EXPECT_EQ(blobOf(c.get()), "hello");
}

TEST(ChangeLog, DeltaHoldsTheNetChanges) {
  auto t = MakeTable({{1, "a"}, {2, "b"}, {3, "c"}}, 50);
  auto c = OpenCursor(t.get());
  DSRef<IDSBase> delta;
  EXPECT_EQ(t->GetDelta(delta.put()), DBERR_DELTAISEMPTY);
  ASSERT_TRUE(GoTo(c.get(), 3));
  ASSERT_EQ(Modify(c.get(), "z"), DBERR_NONE);
  ASSERT_EQ(Modify(c.get(), "c"), DBERR_NONE);  // back to the first values: no net change
  EXPECT_EQ(t->GetDelta(delta.put()), DBERR_DELTAISEMPTY);
  ASSERT_EQ(Insert(c.get(), 4, "d"), DBERR_NONE);
  ASSERT_TRUE(GoTo(c.get(), 1));
  ASSERT_EQ(Modify(c.get(), "x"), DBERR_NONE);
  ASSERT_EQ(Modify(c.get(), "y"), DBERR_NONE);
  ASSERT_TRUE(GoTo(c.get(), 2));
  ASSERT_EQ(c->DeleteRecord(), DBERR_NONE);
  ASSERT_EQ(t->GetDelta(delta.put()), DBERR_NONE);
  ASSERT_TRUE(delta);
  EXPECT_EQ(Prop(delta.get(), dspropISDELTA), 1);
  auto d = OpenCursor(delta.get());
  EXPECT_EQ(VisibleS(d.get()), (std::vector<std::string>{"d", "a", "y", "b"}));
  std::vector<int> attrs;
  d->MoveToBOF();
  while (d->MoveRelative(1) == DBERR_NONE) {
    std::uint8_t a = 0;
    ASSERT_EQ(d->GetRecordAttribute(&a), DBERR_NONE);
    attrs.push_back(a);
  }
  EXPECT_EQ(attrs, (std::vector<int>{dsRecNew, dsRecOrg, dsRecModified, dsRecDeleted}));
  EXPECT_EQ(d->DeleteRecord(), DBERR_NA);  // a delta is not edited
  ASSERT_EQ(t->AcceptChanges(), DBERR_NONE);
  EXPECT_EQ(t->GetDelta(delta.put()), DBERR_DELTAISEMPTY);
}
