// Cursor filters: expression filters, function filters, dropping them,
// locating by an expression, and how filters meet edits, orders and clones.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/expr/expr_builder.h"
#include "table_fixture.h"

using namespace engine;
using namespace engine::expr;
using namespace enginetest;

namespace {

// "field <op> constant" as a blob; strings get a compare node when a
// case-insensitive flag or a partial length is asked for.
std::vector<std::uint8_t> FieldVsConst(TCANOperator op, int fieldNo, const char* name, const void* value,
                                       std::uint16_t size, std::uint16_t type, bool ci = false,
                                       std::uint16_t partial = 0) {
  BlobBuilder b;
  const bool compare = ci || partial || op == coLIKE;
  const std::uint16_t root = b.AddNode(compare ? nodeCOMPARE : nodeBINARY, op, compare ? 4 : 2);
  const int first = compare ? 2 : 0;
  if (compare) {
    b.SetOperand(root, 0, ci ? 1 : 0);
    b.SetOperand(root, 1, partial);
  }
  const std::uint16_t f = b.AddNode(nodeFIELD, coFIELD2, 2);
  b.SetOperand(f, 0, static_cast<std::uint16_t>(fieldNo));
  b.SetOperand(f, 1, b.AddLiteral(name, std::strlen(name) + 1));
  const std::uint16_t c = b.AddNode(nodeCONST, coCONST2, 3);
  b.SetOperand(c, 0, type);
  b.SetOperand(c, 1, size);
  b.SetOperand(c, 2, b.AddLiteral(value, size));
  b.SetOperand(root, first, f);
  b.SetOperand(root, first + 1, c);
  std::vector<std::uint8_t> out;
  EXPECT_EQ(b.Finish(out), DBERR_NONE);
  return out;
}

std::vector<std::uint8_t> SIs(TCANOperator op, const std::string& text, bool ci = false, std::uint16_t partial = 0) {
  return FieldVsConst(op, 2, "s", text.c_str(), static_cast<std::uint16_t>(text.size() + 1), fldZSTRING, ci, partial);
}

std::vector<std::uint8_t> KIs(TCANOperator op, std::int32_t v) {
  return FieldVsConst(op, 1, "k", &v, 4, fldINT32);
}

DSRef<IDSCursor> CursorOn(IDSBase* t) {
  DSRef<IDSCursor> c;
  EXPECT_EQ(CreateDSCursor(c.put()), DBERR_NONE);
  EXPECT_EQ(c->InitCursor(t), DBERR_NONE);
  return c;
}

hDSFilter Add(IDSCursor* c, const std::vector<std::uint8_t>& blob) {
  hDSFilter h = 0;
  EXPECT_EQ(c->AddFilter(blob.data(), static_cast<std::uint32_t>(blob.size()), &h), DBERR_NONE);
  return h;
}

std::int32_t Count(IDSCursor* c) {
  std::int32_t n = -1;
  EXPECT_EQ(c->GetRecordCount(&n), DBERR_NONE);
  return n;
}

const std::vector<KS> kNames = {{1, "Alice"}, {2, "bob"}, {3, "Albert"}, {4, "alfredo"}, {5, "Carla"}, {6, std::nullopt}};

DSBool EvenK(DSClientData, const std::uint8_t* rec) {
  std::int32_t k = 0;
  std::memcpy(&k, rec, 4);  // field k is first in the layout
  return k % 2 == 0;
}

}  // namespace

struct FilterCase {
  const char* what;
  std::vector<std::uint8_t> blob;
  std::vector<std::int32_t> visible;
};

TEST(CursorFilter, ExpressionFiltersShowOnlyPassingRecords) {
  const std::vector<FilterCase> cases = {
      {"LIKE prefix", SIs(coLIKE, "A%"), {1, 3}},
      {"LIKE prefix ignoring case", SIs(coLIKE, "a%", true), {1, 3, 4}},
      {"partial compare", SIs(coEQ, "Al", false, 2), {1, 3}},
      {"partial compare ignoring case", SIs(coEQ, "al", true, 2), {1, 3, 4}},
      {"integer greater than", KIs(coGT, 3), {4, 5, 6}},
      {"equal string", SIs(coEQ, "bob"), {2}},
      {"nothing passes", KIs(coGT, 100), {}},
  };
  for (const auto& c : cases) {
    auto t = MakeTable(kNames);
    auto cur = CursorOn(t.get());
    Add(cur.get(), c.blob);
    EXPECT_EQ(VisibleK(cur.get()), c.visible) << c.what;
    EXPECT_EQ(Count(cur.get()), static_cast<std::int32_t>(c.visible.size())) << c.what;
  }
}

TEST(CursorFilter, SequenceNumbersCountFilteredRecords) {
  auto t = MakeTable(kNames);
  auto c = CursorOn(t.get());
  Add(c.get(), KIs(coGT, 3));
  ASSERT_EQ(c->MoveRelative(2), DBERR_NONE);
  std::uint32_t seq = 0;
  ASSERT_EQ(c->GetSequenceNumber(&seq), DBERR_NONE);
  EXPECT_EQ(seq, 2u);
  ASSERT_EQ(c->MoveToSeqNo(3), DBERR_NONE);
  std::int32_t k = 0;
  DSBool blank = 0;
  c->GetField(nullptr, 1, &k, &blank);
  EXPECT_EQ(k, 6);
}

TEST(CursorFilter, DropRestoresOrderAndUnknownHandleFails) {
  auto t = MakeTable(kNames);
  auto c = CursorOn(t.get());
  const hDSFilter a = Add(c.get(), KIs(coGT, 2));
  const hDSFilter b = Add(c.get(), SIs(coLIKE, "A%"));
  EXPECT_EQ(a, 1u);
  EXPECT_EQ(b, 2u);
  EXPECT_EQ(VisibleK(c.get()), (std::vector<std::int32_t>{3}));
  EXPECT_EQ(c->DropFilter(a), DBERR_NONE);
  EXPECT_EQ(VisibleK(c.get()), (std::vector<std::int32_t>{1, 3}));
  EXPECT_EQ(c->DropFilter(a), DBERR_OBJNOTFOUND);
  EXPECT_EQ(c->DropFilter(b), DBERR_NONE);
  EXPECT_EQ(Count(c.get()), 6);
}

TEST(CursorFilter, FunctionFilterAndExpressionCombine) {
  auto t = MakeTable(kNames);
  auto c = CursorOn(t.get());
  hDSFilter h = 0;
  ASSERT_EQ(c->AddFilterCallBack(0, &EvenK, &h), DBERR_NONE);
  EXPECT_EQ(VisibleK(c.get()), (std::vector<std::int32_t>{2, 4, 6}));
  Add(c.get(), KIs(coLT, 6));
  EXPECT_EQ(VisibleK(c.get()), (std::vector<std::int32_t>{2, 4}));
}

TEST(CursorFilter, BadBlobsAreRefusedAndLeaveTheOrder) {
  auto t = MakeTable(kNames);
  auto c = CursorOn(t.get());
  std::vector<std::uint8_t> blob = SIs(coLIKE, "A%");
  hDSFilter h = 7;
  // a size word claiming more than was given
  std::vector<std::uint8_t> bad = blob;
  bad[2] = 0xFF;
  bad[3] = 0xFF;
  EXPECT_EQ(c->AddFilter(bad.data(), static_cast<std::uint32_t>(blob.size()), &h), DBERR_INVALIDPARAM);
  EXPECT_EQ(h, 0u);
  EXPECT_EQ(c->AddFilter(blob.data(), 4, &h), DBERR_INVALIDPARAM);
  // a string field compared with an integer
  std::vector<std::uint8_t> mismatch = FieldVsConst(coEQ, 2, "s", "\x01\0\0\0", 4, fldINT32);
  EXPECT_NE(c->AddFilter(mismatch.data(), static_cast<std::uint32_t>(mismatch.size()), &h), DBERR_NONE);
  EXPECT_EQ(Count(c.get()), 6);
}

TEST(CursorFilter, EditsThroughAndBesideTheCursorFollowTheFilter) {
  auto t = MakeTable(kNames);
  auto c = CursorOn(t.get());
  auto other = CursorOn(t.get());
  Add(c.get(), SIs(coLIKE, "A%"));
  // an insert elsewhere that passes appears; one that does not stays out
  auto rec = Key(other.get(), 7, std::string("Ana"));
  ASSERT_EQ(other->InsertRecord(rec.data()), DBERR_NONE);
  rec = Key(other.get(), 8, std::string("Zeca"));
  ASSERT_EQ(other->InsertRecord(rec.data()), DBERR_NONE);
  EXPECT_EQ(VisibleK(c.get()), (std::vector<std::int32_t>{1, 3, 7}));
  // a modification that no longer passes takes the record out
  c->MoveToBOF();
  ASSERT_EQ(c->MoveRelative(1), DBERR_NONE);
  rec = Key(c.get(), 1, std::string("Xavier"));
  ASSERT_EQ(c->ModifyRecord(rec.data()), DBERR_NONE);
  EXPECT_EQ(VisibleK(c.get()), (std::vector<std::int32_t>{3, 7}));
  // undo brings it back
  ASSERT_EQ(c->UndoLastChange(1), DBERR_NONE);
  EXPECT_EQ(VisibleK(c.get()), (std::vector<std::int32_t>{1, 3, 7}));
  // an insert through the cursor that does not pass leaves it on a crack
  rec = Key(c.get(), 9, std::string("Zoe"));
  ASSERT_EQ(c->InsertRecord(rec.data()), DBERR_NONE);
  EXPECT_EQ(c->GetCurrentRecord(nullptr), DBERR_NOCURRREC);
  EXPECT_EQ(Count(other.get()), 9);
}

TEST(CursorFilter, OrderChangesKeepTheFilter) {
  auto t = MakeTable(kNames);
  auto c = CursorOn(t.get());
  Add(c.get(), KIs(coGT, 2));
  const std::uint32_t field = 2;
  const DSBool desc = 1;
  ASSERT_EQ(c->SortOnFields(1, &field, &desc, nullptr), DBERR_NONE);
  // descending by s, nulls last in a descending order? only the set matters here
  auto seen = VisibleK(c.get());
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<std::int32_t>{3, 4, 5, 6}));
  ASSERT_EQ(c->UseIndexOrder("DEFAULT_ORDER"), DBERR_NONE);
  EXPECT_EQ(VisibleK(c.get()), (std::vector<std::int32_t>{3, 4, 5, 6}));
}

TEST(CursorFilter, CloneTakesOverFiltersButNotLaterOnes) {
  auto t = MakeTable(kNames);
  auto c = CursorOn(t.get());
  const hDSFilter h = Add(c.get(), KIs(coGT, 2));
  DSRef<IDSCursor> clone;
  ASSERT_EQ(CreateDSCursor(clone.put()), DBERR_NONE);
  ASSERT_EQ(clone->CloneCursor(c.get()), DBERR_NONE);
  EXPECT_EQ(VisibleK(clone.get()), (std::vector<std::int32_t>{3, 4, 5, 6}));
  ASSERT_EQ(c->DropFilter(h), DBERR_NONE);
  EXPECT_EQ(Count(c.get()), 6);
  EXPECT_EQ(VisibleK(clone.get()), (std::vector<std::int32_t>{3, 4, 5, 6}));
}

TEST(CursorFilter, LocateWithFilterMovesToNextMatch) {
  auto t = MakeTable(kNames);
  auto c = CursorOn(t.get());
  const auto blob = SIs(coEQ, "al", true, 2);
  c->MoveToBOF();
  ASSERT_EQ(c->LocateWithFilter(blob.data(), static_cast<std::uint32_t>(blob.size())), DBERR_NONE);
  std::int32_t k = 0;
  DSBool blank = 0;
  c->GetField(nullptr, 1, &k, &blank);
  EXPECT_EQ(k, 1);
  ASSERT_EQ(c->LocateWithFilter(nullptr, 0), DBERR_NONE);  // the previous expression again
  c->GetField(nullptr, 1, &k, &blank);
  EXPECT_EQ(k, 3);
  ASSERT_EQ(c->LocateWithFilter(nullptr, 0), DBERR_NONE);
  c->GetField(nullptr, 1, &k, &blank);
  EXPECT_EQ(k, 4);
  EXPECT_EQ(c->LocateWithFilter(nullptr, 0), DBERR_RECNOTFOUND);
  // the locate expression is no filter
  EXPECT_EQ(Count(c.get()), 6);
}

TEST(CursorOrders, SortedOrderTakesLaterInserts) {
  auto t = MakeTable({{2, "b"}, {1, "c"}});
  auto c = CursorOn(t.get());
  const std::uint32_t field = 2;
  ASSERT_EQ(c->SortOnFields(1, &field, nullptr, nullptr), DBERR_NONE);
  auto rec = Key(c.get(), 3, std::string("a"));
  ASSERT_EQ(c->InsertRecord(rec.data()), DBERR_NONE);
  EXPECT_EQ(VisibleS(c.get()), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(CursorOrders, ChangeIndexListsLoggedRecordsByView) {
  auto t = MakeTable({{1, "a"}, {2, "b"}});
  auto c = CursorOn(t.get());
  auto rec = Key(c.get(), 3, std::string("c"));
  ASSERT_EQ(c->InsertRecord(rec.data()), DBERR_NONE);
  c->MoveToBOF();
  ASSERT_EQ(c->MoveRelative(1), DBERR_NONE);
  ASSERT_EQ(c->DeleteRecord(), DBERR_NONE);
  auto log = CursorOn(t.get());
  ASSERT_EQ(log->UseIndexOrder("CHANGEINDEX"), DBERR_NONE);
  EXPECT_EQ(VisibleK(log.get()), (std::vector<std::int32_t>{3, 1}));
  ASSERT_EQ(t->SetProp(dspropCHANGEINDEX_VIEW, 2), DBERR_NONE);
  EXPECT_EQ(VisibleK(log.get()), (std::vector<std::int32_t>{1}));
  EXPECT_EQ(log->DeleteRecord(), DBERR_INDEXREADONLY);
  ASSERT_EQ(log->UseIndexOrder("DEFAULT_ORDER"), DBERR_NONE);
  EXPECT_EQ(VisibleK(log.get()), (std::vector<std::int32_t>{2, 3}));
}
