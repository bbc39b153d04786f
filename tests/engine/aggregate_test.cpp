// Cursor aggregates: values over all records and over groups of the current
// order, kept current through edits, undo, filters and ranges; group states
// and moving group by group; refused expressions.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "edit_fixture.h"
#include "engine/expr/expr_builder.h"

using namespace engine;
using namespace engine::expr;
using namespace enginetest;

namespace {

std::vector<std::uint8_t> Blob(const ExprNode& root) {
  std::vector<std::uint8_t> out;
  EXPECT_EQ(EncodeTree(root, out), DBERR_NONE);
  return out;
}

ExprNode K() { return MakeField(1, "k"); }
ExprNode S() { return MakeField(2, "s"); }
ExprNode Agg(const char* fn, std::vector<ExprNode> args) { return MakeFunc(fn, std::move(args)); }

DSRef<IDSCursor> CursorOn(IDSBase* t) {
  DSRef<IDSCursor> c;
  EXPECT_EQ(CreateDSCursor(c.put()), DBERR_NONE);
  EXPECT_EQ(c->InitCursor(t), DBERR_NONE);
  return c;
}

hDSAggregate Add(IDSCursor* c, const ExprNode& root, std::uint32_t level = 0) {
  const auto blob = Blob(root);
  hDSAggregate h = 0;
  EXPECT_EQ(c->AddAggregate(level, static_cast<std::uint32_t>(blob.size()), blob.data(), &h), DBERR_NONE);
  return h;
}

// The value as a number (by the aggregate's own type), or "blank".
std::string Show(IDSCursor* c, hDSAggregate h) {
  DSFLDDesc d{};
  EXPECT_EQ(c->GetAggregateDesc(h, &d), DBERR_NONE);
  std::uint8_t buf[256] = {};
  DSBool blank = 0;
  if (EngineResult r = c->GetAggregateValue(h, buf, &blank)) return "error " + std::to_string(r);
  if (blank) return "blank";
  switch (d.iFldType) {
    case fldINT32: {
      std::int32_t v;
      std::memcpy(&v, buf, 4);
      return std::to_string(v);
    }
    case fldINT64: {
      std::int64_t v;
      std::memcpy(&v, buf, 8);
      return std::to_string(v);
    }
    case fldFLOAT: {
      double v;
      std::memcpy(&v, buf, 8);
      char t[32];
      std::snprintf(t, sizeof t, "%g", v);
      return t;
    }
    case fldZSTRING: return std::string("'") + reinterpret_cast<const char*>(buf) + "'";
    default: return "type " + std::to_string(d.iFldType);
  }
}

struct AggCase {
  const char* name;
  ExprNode root;
  std::int32_t type;
  const char* value;
};

TEST(CursorAggregates, ValuesOverAllRecordsSkipBlankValues) {
  auto t = MakeTable({{3, "b"}, {{}, "a"}, {7, "c"}, {1, "a"}, {7, {}}});
  auto c = CursorOn(t.get());
  const std::vector<AggCase> cases = {
      {"sum", Agg("sum", {K()}), fldINT64, "18"},
      {"min", Agg("min", {K()}), fldINT32, "1"},
      {"max", Agg("max", {K()}), fldINT32, "7"},
      {"count of values", Agg("count", {K()}), fldINT32, "4"},
      {"count of records", Agg("count(*)", {}), fldINT32, "5"},
      {"avg", Agg("avg", {K()}), fldFLOAT, "4.5"},
      {"sum of an expression", Agg("SUM", {MakeBinary(coMUL, K(), MakeIntConst(2))}), fldINT64, "36"},
      {"avg of a float expression", Agg("avg", {MakeBinary(coADD, K(), MakeFloatConst(0.5))}), fldFLOAT, "5"},
      {"min of text", Agg("min", {S()}), fldZSTRING, "'a'"},
      {"max of text", Agg("max", {S()}), fldZSTRING, "'c'"},
      {"count of text", Agg("count", {S()}), fldINT32, "4"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    const hDSAggregate h = Add(c.get(), k.root);
    DSFLDDesc d{};
    ASSERT_EQ(c->GetAggregateDesc(h, &d), DBERR_NONE);
    EXPECT_EQ(d.iFldType, k.type);
    EXPECT_EQ(Show(c.get(), h), k.value);
  }
}

TEST(CursorAggregates, EmptyTableGivesBlankAndValuesFollowEditsAndUndo) {
  auto t = ProgramTable();
  auto c = CursorOn(t.get());
  const hDSAggregate sum = Add(c.get(), Agg("sum", {MakeField(1, "codigo")}));
  const hDSAggregate cnt = Add(c.get(), Agg("count(*)", {}));
  const hDSAggregate mx = Add(c.get(), Agg("max", {MakeField(1, "codigo")}));
  struct Step {
    const char* what;
    std::function<void()> act;
    const char *sum, *count, *max;
  };
  const std::vector<Step> steps = {
      {"empty", [] {}, "blank", "blank", "blank"},
      {"insert 5", [&] { ASSERT_EQ(Insert(c.get(), 5, "a"), DBERR_NONE); }, "5", "1", "5"},
      {"insert 9", [&] { ASSERT_EQ(Insert(c.get(), 9, "b"), DBERR_NONE); }, "14", "2", "9"},
      {"modify 9 to 2", [&] { ASSERT_TRUE(GoTo(c.get(), 9)); ASSERT_EQ(Modify(c.get(), "b", 2), DBERR_NONE); },
       "7", "2", "5"},
      {"undo the modification", [&] { ASSERT_EQ(c->UndoLastChange(true), DBERR_NONE); }, "14", "2", "9"},
      {"delete 5", [&] { ASSERT_TRUE(GoTo(c.get(), 5)); ASSERT_EQ(c->DeleteRecord(), DBERR_NONE); }, "9", "1", "9"},
      {"delete 9", [&] { ASSERT_TRUE(GoTo(c.get(), 9)); ASSERT_EQ(c->DeleteRecord(), DBERR_NONE); },
       "blank", "blank", "blank"},
      {"undo the delete", [&] { ASSERT_EQ(c->UndoLastChange(true), DBERR_NONE); }, "9", "1", "9"},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.what);
    s.act();
    EXPECT_EQ(Show(c.get(), sum), s.sum);
    EXPECT_EQ(Show(c.get(), cnt), s.count);
    EXPECT_EQ(Show(c.get(), mx), s.max);
  }
}

TEST(CursorAggregates, EditsThroughAnotherCursorAndInPlaceModifyAreSeen) {
  auto t = ProgramTable();
  ASSERT_EQ(t->SetProp(dspropLOGCHANGES, 0), DBERR_NONE);
  auto a = CursorOn(t.get());
  auto b = CursorOn(t.get());
  const hDSAggregate sum = Add(a.get(), Agg("sum", {MakeField(1, "codigo")}));
  ASSERT_EQ(Insert(b.get(), 4, "x"), DBERR_NONE);
  EXPECT_EQ(Show(a.get(), sum), "4");
  ASSERT_TRUE(GoTo(b.get(), 4));
  ASSERT_EQ(Modify(b.get(), "x", 40), DBERR_NONE);
  EXPECT_EQ(Show(a.get(), sum), "40");
}

TEST(CursorAggregates, FiltersAndRangesLimitTheRecords) {
  auto t = MakeTable({{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}});
  auto c = CursorOn(t.get());
  const hDSAggregate sum = Add(c.get(), Agg("sum", {K()}));
  const auto gt1 = Blob(MakeBinary(coGT, K(), MakeIntConst(1)));
  hDSFilter f = 0;
  ASSERT_EQ(c->AddFilter(gt1.data(), static_cast<std::uint32_t>(gt1.size()), &f), DBERR_NONE);
  EXPECT_EQ(Show(c.get(), sum), "9");
  ASSERT_EQ(c->DropFilter(f), DBERR_NONE);
  EXPECT_EQ(Show(c.get(), sum), "10");
  const std::uint32_t k1 = 1;
  ASSERT_EQ(c->SortOnFields(1, &k1, nullptr, nullptr), DBERR_NONE);
  const auto lo = Key(c.get(), 2, {}), hi = Key(c.get(), 3, {});
  ASSERT_EQ(c->SetRange(1, lo.data(), 1, hi.data(), 1), DBERR_NONE);
  EXPECT_EQ(Show(c.get(), sum), "5");
  ASSERT_EQ(c->DropRange(), DBERR_NONE);
  EXPECT_EQ(Show(c.get(), sum), "10");
}

TEST(CursorAggregates, GroupLevelsFollowTheCurrentRecord) {
  auto t = MakeTable({{3, "b"}, {1, "a"}, {7, "c"}, {5, "a"}, {2, "b"}, {6, "b"}});
  auto c = CursorOn(t.get());
  const std::uint32_t s2 = 2;
  ASSERT_EQ(c->SortOnFields(1, &s2, nullptr, nullptr), DBERR_NONE);
  const hDSAggregate sum = Add(c.get(), Agg("sum", {K()}), 1);
  const hDSAggregate total = Add(c.get(), Agg("sum", {K()}), 0);
  // off any record a group has no value; the grand total has one
  c->MoveToBOF();
  EXPECT_EQ(Show(c.get(), sum), "blank");
  EXPECT_EQ(Show(c.get(), total), "24");
  struct Row {
    const char* s;
    const char* sum;
    GROUPSTATE state;
  };
  // order by s: a(1) a(5) | b(3) b(2) b(6) | c(7)
  const std::vector<Row> rows = {{"a", "6", grSTATEFIRST}, {"a", "6", grSTATELAST},
                                 {"b", "11", grSTATEFIRST}, {"b", "11", grSTATEMIDDLE},
                                 {"b", "11", grSTATELAST}, {"c", "7", grSTATEFIRSTLAST}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.s);
    ASSERT_EQ(c->MoveRelative(1), DBERR_NONE);
    EXPECT_EQ(CurrentS(c.get()), r.s);
    EXPECT_EQ(Show(c.get(), sum), r.sum);
    GROUPSTATE g = grSTATEMIDDLE;
    ASSERT_EQ(c->GetSubGroupState(1, &g), DBERR_NONE);
    EXPECT_EQ(g, r.state);
    ASSERT_EQ(c->GetSubGroupState(0, &g), DBERR_NONE);  // level 0: one group of everything
  }
  // group by group from BOF: the first record of each group, then EOF
  c->MoveToBOF();
  std::vector<std::string> firsts;
  while (c->MoveToNextSubGroup(1) == DBERR_NONE) firsts.push_back(CurrentS(c.get()));
  EXPECT_EQ(firsts, (std::vector<std::string>{"a", "b", "c"}));
  // an insert into a group changes that group's value
  ASSERT_EQ(Insert(c.get(), 10, "a"), DBERR_NONE);
  EXPECT_EQ(CurrentS(c.get()), "a");
  EXPECT_EQ(Show(c.get(), sum), "16");
  EXPECT_EQ(Show(c.get(), total), "34");
}

TEST(CursorAggregates, GroupsFollowAChangeOfOrder) {
  auto t = MakeTable({{1, "a"}, {2, "b"}, {3, "a"}, {2, "a"}});
  auto c = CursorOn(t.get());
  const std::uint32_t byS = 2, byK = 1;
  ASSERT_EQ(c->SortOnFields(1, &byS, nullptr, nullptr), DBERR_NONE);
  const hDSAggregate cnt = Add(c.get(), Agg("count(*)", {}), 1);
  ASSERT_EQ(c->MoveRelative(1), DBERR_NONE);  // first "a"
  EXPECT_EQ(Show(c.get(), cnt), "3");
  ASSERT_EQ(c->SortOnFields(1, &byK, nullptr, nullptr), DBERR_NONE);
  c->MoveToBOF();
  ASSERT_EQ(c->MoveRelative(1), DBERR_NONE);  // k = 1, alone in its group
  EXPECT_EQ(Show(c.get(), cnt), "1");
  ASSERT_EQ(c->MoveRelative(1), DBERR_NONE);  // k = 2, twice
  EXPECT_EQ(Show(c.get(), cnt), "2");
}

TEST(CursorAggregates, DetailCursorAggregatesItsMastersRecordsOnly) {
  PacketBuilder b;
  Col orders{"orders", 0x050E0001u};
  orders.nested = {{"qty", 0x00010004u}};
  b.cols = {{"id", 0x00010004u}, orders};
  b.rows = {Row{0, {Int(1, 4), NestedRows({Row{0, {Int(10, 4)}}, Row{0, {Int(11, 4)}}, Row{0, {Int(10, 4)}}})}},
            Row{0, {Int(2, 4), NestedRows({Row{0, {Int(10, 4)}}})}}};
  DSRef<IDSBase> t;
  ASSERT_EQ(Load(b.Packet(), t), DBERR_NONE);
  DSRef<IDSBase> nested;
  ASSERT_EQ(t->GetEmbeddedDS(2, nested.put()), DBERR_NONE);
  auto master = CursorOn(t.get());
  auto detail = CursorOn(nested.get());
  ASSERT_EQ(master->MoveRelative(1), DBERR_NONE);
  ASSERT_EQ(master->LinkCursors(0, nullptr, nullptr, detail.get()), DBERR_NONE);
  const std::uint32_t byQty = 1;
  ASSERT_EQ(detail->SortOnFields(1, &byQty, nullptr, nullptr), DBERR_NONE);
  const hDSAggregate sum = Add(detail.get(), Agg("sum", {MakeField(1, "qty")}));
  const hDSAggregate cnt = Add(detail.get(), Agg("count(*)", {}), 1);
  ASSERT_EQ(detail->MoveRelative(1), DBERR_NONE);  // qty 10 of master 1
  EXPECT_EQ(Show(detail.get(), sum), "31");
  EXPECT_EQ(Show(detail.get(), cnt), "2");
  ASSERT_EQ(master->MoveRelative(1), DBERR_NONE);
  ASSERT_EQ(detail->ResyncWithMaster(), DBERR_NONE);
  ASSERT_EQ(detail->MoveRelative(1), DBERR_NONE);
  EXPECT_EQ(Show(detail.get(), sum), "10");
  EXPECT_EQ(Show(detail.get(), cnt), "1");
}

TEST(CursorAggregates, OverflowIsAnErrorNotAWrappedValue) {
  auto t = MakeTable({{1, "a"}, {1, "b"}, {3, "c"}});
  auto c = CursorOn(t.get());
  const ExprNode big = MakeConst(fldINT64, LE(std::uint64_t{1} << 62, 8));
  // 2^62 + 2^62 does not fit 64 bits; 3 * 2^62 overflows inside the argument
  const hDSAggregate sum = Add(c.get(), Agg("sum", {MakeBinary(coMUL, K(), big)}));
  EXPECT_EQ(Show(c.get(), sum), "error " + std::to_string(DBERR_OUTOFRANGE));
  const auto le1 = Blob(MakeBinary(coLE, K(), MakeIntConst(1)));
  hDSFilter f = 0;
  ASSERT_EQ(c->AddFilter(le1.data(), static_cast<std::uint32_t>(le1.size()), &f), DBERR_NONE);
  EXPECT_EQ(Show(c.get(), sum), "error " + std::to_string(DBERR_OUTOFRANGE));
  const hDSAggregate avg = Add(c.get(), Agg("avg", {MakeBinary(coMUL, K(), big)}));
  EXPECT_EQ(Show(c.get(), avg), "4.61169e+18");  // the average still has a value
}

TEST(CursorAggregates, RefusedExpressionsAndHandles) {
  auto t = MakeTable({{1, "a"}});
  auto c = CursorOn(t.get());
  struct Bad {
    const char* name;
    ExprNode root;
    std::uint32_t level;
    EngineResult code;
  };
  const std::vector<Bad> cases = {
      {"no aggregate", MakeBinary(coADD, K(), MakeIntConst(1)), 0, DBERR_INVALIDPARAM},
      {"aggregate in an aggregate", Agg("sum", {Agg("max", {K()})}), 0, DBERR_NOTSUPPORTED},
      {"aggregate inside arithmetic", MakeBinary(coADD, Agg("sum", {K()}), MakeIntConst(1)), 0, DBERR_NOTSUPPORTED},
      {"sum of text", Agg("sum", {S()}), 0, DBERR_TYPEMISMATCH},
      {"two arguments", Agg("max", {K(), K()}), 0, DBERR_TYPEMISMATCH},
      {"unknown field", Agg("sum", {MakeField(9, "nope")}), 0, DBERR_OBJNOTFOUND},
      {"level beyond the order's key", Agg("sum", {K()}), 1, DBERR_INVALIDPARAM},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    const auto blob = Blob(k.root);
    hDSAggregate h = 77;
    EXPECT_EQ(c->AddAggregate(k.level, static_cast<std::uint32_t>(blob.size()), blob.data(), &h), k.code);
    EXPECT_EQ(h, 0u);
  }
  auto blob = Blob(Agg("sum", {K()}));
  hDSAggregate h = 0;
  EXPECT_EQ(c->AddAggregate(0, 4, blob.data(), &h), DBERR_INVALIDPARAM);  // shorter than its header
  blob[10] ^= 0xFF;                                                        // damaged root node
  EXPECT_NE(c->AddAggregate(0, static_cast<std::uint32_t>(blob.size()), blob.data(), &h), DBERR_NONE);
  EXPECT_EQ(c->AddAggregate(0, 0, nullptr, &h), DBERR_INVALIDPARAM);

  const hDSAggregate ok = Add(c.get(), Agg("sum", {K()}));
  DSBool blank = 0;
  DSFLDDesc d{};
  EXPECT_EQ(c->GetAggregateValue(ok + 1, nullptr, &blank), DBERR_AGGREGATENOTFOUND);
  EXPECT_EQ(c->GetAggregateDesc(ok + 1, &d), DBERR_AGGREGATENOTFOUND);
  EXPECT_EQ(c->DropAggregate(ok), DBERR_NONE);
  EXPECT_EQ(c->DropAggregate(ok), DBERR_AGGREGATENOTFOUND);
  GROUPSTATE g{};
  EXPECT_EQ(c->GetSubGroupState(1, &g), DBERR_INVALIDPARAM);
  EXPECT_EQ(c->MoveToNextSubGroup(1), DBERR_INVALIDPARAM);
}

}  // namespace
