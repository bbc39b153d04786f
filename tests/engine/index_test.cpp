// Index orders: collation, stability, nulls, typed comparisons and the
// result codes of index management.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "table_fixture.h"

using namespace engine;
using namespace enginetest;

namespace {

std::vector<std::string> Sorted(std::vector<std::string> values, bool ci = false, bool desc = false) {
  std::vector<KS> rows;
  std::int32_t i = 0;
  for (auto& v : values) rows.push_back({i++, v});
  auto t = MakeTable(rows);
  auto d = IndexOn("byS", {2}, {desc}, {ci});
  EXPECT_EQ(t->CreateIndex(&d), DBERR_NONE);
  auto c = OpenCursor(t.get());
  EXPECT_EQ(c->UseIndexOrder("byS"), DBERR_NONE);
  return VisibleS(c.get());
}

}  // namespace

TEST(Index, CaseSensitiveCollatedOrder) {
  // code page 1252: \xE1 is a-acute, \xC1 A-acute
  const std::vector<std::string> expected = {"",    "_x",  "10",  "9",  "a",  "A",     "\xE1", "\xC1", "a b", "ab",
                                             "ana", "Ana", "ANA", "b",  "B",  "co",    "co-op", "coop", "Z"};
  std::vector<std::string> scrambled = {"Z", "ana", "B", "co-op", "\xC1", "a b", "9", "ANA", "_x", "",
                                        "A", "coop", "b", "10", "Ana", "\xE1", "co", "ab", "a"};
  EXPECT_EQ(Sorted(scrambled), expected);
}

TEST(Index, CaseInsensitiveKeepsInsertionOrderOfEqualKeys) {
  std::vector<KS> rows = {{1, "b"}, {2, "A"}, {3, "a"}, {4, "B"}, {5, "a"}, {6, "A"}};
  auto t = MakeTable(rows);
  auto d = IndexOn("ci", {2}, {false}, {true});
  ASSERT_EQ(t->CreateIndex(&d), DBERR_NONE);
  auto c = OpenCursor(t.get());
  ASSERT_EQ(c->UseIndexOrder("ci"), DBERR_NONE);
  EXPECT_EQ(VisibleK(c.get()), (std::vector<std::int32_t>{2, 3, 5, 6, 1, 4}));
  // the same through a temporary order
  DSRef<IDSCursor> c2 = OpenCursor(t.get());
  const std::uint32_t f = 2;
  const DSBool ci = 1;
  ASSERT_EQ(c2->SortOnFields(1, &f, nullptr, &ci), DBERR_NONE);
  EXPECT_EQ(VisibleK(c2.get()), (std::vector<std::int32_t>{2, 3, 5, 6, 1, 4}));
}

TEST(Index, NullsFirstAscendingLastDescending) {
  std::vector<KS> rows = {{3, "x"}, {std::nullopt, "n1"}, {1, "y"}, {std::nullopt, "n2"}, {2, "z"}};
  auto t = MakeTable(rows);
  auto asc = IndexOn("asc", {1});
  auto desc = IndexOn("desc", {1}, {true});
  ASSERT_EQ(t->CreateIndex(&asc), DBERR_NONE);
  ASSERT_EQ(t->CreateIndex(&desc), DBERR_NONE);
  auto c = OpenCursor(t.get());
  ASSERT_EQ(c->UseIndexOrder("asc"), DBERR_NONE);
  EXPECT_EQ(VisibleS(c.get()), (std::vector<std::string>{"n1", "n2", "y", "z", "x"}));
  ASSERT_EQ(c->UseIndexOrder("desc"), DBERR_NONE);
  EXPECT_EQ(VisibleS(c.get()), (std::vector<std::string>{"x", "z", "y", "n1", "n2"}));
}

TEST(Index, TypedOrders) {
  struct Case {
    const char* name;
    std::uint32_t type;
    std::vector<Bytes> values;  // in their expected ascending order
  };
  auto dbl = [](double x) {
    Bytes b(8);
    std::memcpy(b.data(), &x, 8);
    return b;
  };
  auto bcd = [](std::initializer_list<std::uint8_t> h) {
    Bytes b(h);
    b.resize(18, 0);
    return b;
  };
  std::vector<Case> cases = {
      {"uint64 above 2^63", 0x00020008u, {LE(1, 8), LE(0x7FFFFFFFFFFFFFFFull, 8), LE(0x8000000000000000ull, 8), LE(~0ull, 8)}},
      {"int64", 0x00010008u, {LE(0x8000000000000000ull, 8), LE(~0ull, 8), LE(0, 8), LE(5, 8)}},
      {"uint32", 0x00020004u, {LE(1, 4), LE(0x80000000u, 4), LE(0xFFFFFFFFu, 4)}},
      {"double with NaN last",
       0x00040008u,
       {dbl(-std::numeric_limits<double>::infinity()), dbl(-1.5), dbl(0.0), dbl(2.0), dbl(std::nan(""))}},
      // BCD: precision 4, scale 2: -12.34 < -1.00 < 0.50 < 12.34
      {"bcd", 0x00050004u, {bcd({4, 0x82, 0x12, 0x34}), bcd({4, 0x82, 0x01, 0x00}), bcd({4, 0x02, 0x00, 0x50}), bcd({4, 0x02, 0x12, 0x34})}},
  };
  for (const auto& cs : cases) {
    SCOPED_TRACE(cs.name);
    PacketBuilder b;
    b.cols = {{"v", cs.type}, {"pos", 0x00010004u}};
    if ((cs.type & 0x3F0000u) == 0x050000u) b.cols[0].attrs = {Decimals(2), Width(4)};
    // insert in reverse order; pos records the expected rank
    for (std::size_t i = cs.values.size(); i-- > 0;)
      b.rows.push_back(Row{0, {Fixed(cs.values[i]), Int(static_cast<std::int64_t>(i), 4)}});
    DSRef<IDSBase> t;
    ASSERT_EQ(Load(b.Packet(), t), DBERR_NONE);
    auto d = IndexOn("v", {1});
    ASSERT_EQ(t->CreateIndex(&d), DBERR_NONE);
    auto c = OpenCursor(t.get());
    ASSERT_EQ(c->UseIndexOrder("v"), DBERR_NONE);
    std::vector<std::int32_t> ranks;
    while (c->MoveRelative(1) == DBERR_NONE) {
      std::int32_t r = -1;
      c->GetField(nullptr, 2, &r, nullptr);
      ranks.push_back(r);
    }
    std::vector<std::int32_t> expected;
    for (std::size_t i = 0; i < cs.values.size(); ++i) expected.push_back(static_cast<std::int32_t>(i));
    EXPECT_EQ(ranks, expected);
  }
}

TEST(Index, ManagementResultCodes) {
  auto t = MakeTable({{1, "a"}, {2, "b"}, {2, "c"}});
  auto byK = IndexOn("byK", {1});
  auto byKDesc = IndexOn("byK", {1}, {true});
  auto uniqueK = IndexOn("uk", {1}, {}, {}, true);
  auto badField = IndexOn("bad", {3});
  auto noName = IndexOn("", {2});
  auto def2 = IndexOn("DEFAULT_ORDER", {1});
  struct Step {
    const char* name;
    std::function<EngineResult()> op;
    EngineResult expected;
  };
  auto c = OpenCursor(t.get());
  std::vector<Step> steps = {
      {"no descriptor", [&] { return t->CreateIndex(nullptr); }, DBERR_INVALIDPARAM},
      {"field out of range", [&] { return t->CreateIndex(&badField); }, DBERR_INVALIDPARAM},
      {"duplicates in unique", [&] { return t->CreateIndex(&uniqueK); }, DBERR_KEYVIOL},
      {"unique left no index", [&] { return c->UseIndexOrder("uk"); }, DBERR_NOSUCHINDEX},
      {"create", [&] { return t->CreateIndex(&byK); }, DBERR_NONE},
      {"same again", [&] { return t->CreateIndex(&byK); }, DBERR_NONE},
      {"same name other keys", [&] { return t->CreateIndex(&byKDesc); }, DBERR_NAMENOTUNIQUE},
      {"keys for the default order", [&] { return t->CreateIndex(&noName); }, DBERR_NONE},
      {"default order redefined", [&] { return t->CreateIndex(&def2); }, DBERR_ACTIVEINDEX},
      {"remove without name", [&] { return t->RemoveIndex(""); }, DBERR_ACTIVEINDEX},
      {"remove unknown", [&] { return t->RemoveIndex("nope"); }, DBERR_NOSUCHINDEX},
      {"remove default", [&] { return t->RemoveIndex("DEFAULT_ORDER"); }, DBERR_ACTIVEINDEX},
      {"use unknown", [&] { return c->UseIndexOrder("nope"); }, DBERR_NOSUCHINDEX},
      {"use byK", [&] { return c->UseIndexOrder("BYK"); }, DBERR_NONE},
      {"remove byK", [&] { return t->RemoveIndex("byK"); }, DBERR_NONE},
      {"byK gone", [&] { return c->UseIndexOrder("byK"); }, DBERR_NOSUCHINDEX},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.name);
    EXPECT_EQ(s.op(), s.expected);
  }
  // the cursor still reads its (now unlisted) order
  EXPECT_EQ(VisibleK(c.get()), (std::vector<std::int32_t>{1, 2, 2}));
}

TEST(Index, KeylessOrderRefusesRangesAndKeys) {
  auto t = MakeTable({{1, "a"}});
  auto c = OpenCursor(t.get());
  auto key = Key(c.get(), 1, "a");
  EXPECT_EQ(c->SetRange(1, key.data(), 1, key.data(), 1), DBERR_NOTINDEXED);
  EXPECT_EQ(c->MoveToKey(keySEARCHEQ, 1, 0, key.data()), DBERR_NOTINDEXED);
}

TEST(Index, SortOnFieldsReusesAnExistingIndex) {
  auto t = MakeTable({{2, "a"}, {1, "b"}});
  auto byK = IndexOn("byK", {1});
  ASSERT_EQ(t->CreateIndex(&byK), DBERR_NONE);
  auto c = OpenCursor(t.get());
  const std::uint32_t f = 1;
  ASSERT_EQ(c->SortOnFields(1, &f, nullptr, nullptr), DBERR_NONE);
  DSIDXDesc cur{};
  ASSERT_EQ(c->GetIndexDescs(1, &cur), DBERR_NONE);
  EXPECT_STREQ(cur.szName, "byK");
  const std::uint32_t bad = 9;
  EXPECT_EQ(c->SortOnFields(1, &bad, nullptr, nullptr), DBERR_INVALIDPARAM);
}
