// Filtered orders over sorted orders, and LIKE on 8-bit text of a
// single-byte code page (the table default, 1252) with characters beyond ASCII.
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

std::vector<std::uint8_t> SLike(const std::string& pattern, bool ci = false) {
  BlobBuilder b;
  const std::uint16_t root = b.AddNode(nodeCOMPARE, coLIKE, 4);
  b.SetOperand(root, 0, ci ? 1 : 0);
  b.SetOperand(root, 1, 0);
  const std::uint16_t f = b.AddNode(nodeFIELD, coFIELD2, 2);
  b.SetOperand(f, 0, 2);
  b.SetOperand(f, 1, b.AddLiteral("s", 2));
  const std::uint16_t c = b.AddNode(nodeCONST, coCONST2, 3);
  b.SetOperand(c, 0, fldZSTRING);
  b.SetOperand(c, 1, static_cast<std::uint16_t>(pattern.size() + 1));
  b.SetOperand(c, 2, b.AddLiteral(pattern.c_str(), pattern.size() + 1));
  b.SetOperand(root, 2, f);
  b.SetOperand(root, 3, c);
  std::vector<std::uint8_t> out;
  EXPECT_EQ(b.Finish(out), DBERR_NONE);
  return out;
}

DSRef<IDSCursor> CursorOn(IDSBase* t) {
  DSRef<IDSCursor> c;
  EXPECT_EQ(CreateDSCursor(c.put()), DBERR_NONE);
  EXPECT_EQ(c->InitCursor(t), DBERR_NONE);
  return c;
}

void Add(IDSCursor* c, const std::vector<std::uint8_t>& blob) {
  hDSFilter h = 0;
  ASSERT_EQ(c->AddFilter(blob.data(), static_cast<std::uint32_t>(blob.size()), &h), DBERR_NONE);
}

DSBool EvenK(DSClientData, const std::uint8_t* rec) {
  std::int32_t k = 0;
  std::memcpy(&k, rec, 4);  // field k is first in the layout
  return k % 2 == 0;
}

}  // namespace

TEST(FilterOrder, FilteredSortedOrderKeepsTheSortAndTiesInInsertionOrder) {
  auto t = MakeTable({{1, "Bia"}, {2, "Ana"}, {3, "Bia"}, {4, "Abel"}, {5, "Caio"}, {6, "Bia"}, {7, "Aldo"}});
  auto c = CursorOn(t.get());
  const std::uint32_t field = 2;
  ASSERT_EQ(c->SortOnFields(1, &field, nullptr, nullptr), DBERR_NONE);
  Add(c.get(), SLike("%a%", true));
  EXPECT_EQ(VisibleK(c.get()), (std::vector<std::int32_t>{4, 7, 2, 1, 3, 6, 5}));
  Add(c.get(), SLike("B%"));
  EXPECT_EQ(VisibleK(c.get()), (std::vector<std::int32_t>{1, 3, 6}));
}

TEST(FilterOrder, FunctionAndExpressionFiltersTogetherKeepTheSort) {
  auto t = MakeTable({{1, "d"}, {2, "c"}, {3, "b"}, {4, "a"}, {5, "e"}, {6, "b"}});
  auto c = CursorOn(t.get());
  const std::uint32_t field = 2;
  ASSERT_EQ(c->SortOnFields(1, &field, nullptr, nullptr), DBERR_NONE);
  hDSFilter h = 0;
  ASSERT_EQ(c->AddFilterCallBack(0, &EvenK, &h), DBERR_NONE);
  Add(c.get(), SLike("%"));
  EXPECT_EQ(VisibleK(c.get()), (std::vector<std::int32_t>{4, 6, 2}));
}

TEST(FilterOrder, LikeOnSingleByteTextBeyondAscii) {
  struct Case {
    const char* pattern;
    bool ci;
    std::vector<std::int32_t> visible;
  };
  // \xC9 and \xE9 are E and e with an acute accent in code page 1252
  const std::vector<Case> cases = {
      {"\xC9%", false, {1}},
      {"\xE9%", false, {2}},
      {"\xE9%", true, {1, 2}},
      {"_lan", false, {1, 2}},
      {"%lan", false, {1, 2, 4}},
      {"\xC9lan", false, {1}},
      {"E%", false, {3}},
      {"%\xE9%", false, {2, 5}},
  };
  for (const auto& k : cases) {
    auto t = MakeTable({{1, "\xC9lan"}, {2, "\xE9lan"}, {3, "Eva"}, {4, "Milan"}, {5, "Jos\xE9"}, {6, std::nullopt}});
    auto c = CursorOn(t.get());
    Add(c.get(), SLike(k.pattern, k.ci));
    EXPECT_EQ(VisibleK(c.get()), k.visible) << k.pattern << (k.ci ? " ignoring case" : "");
  }
}
