// Blob round trips through the builder and the reader, and the reader's
// answers to damaged blobs.
#include <gtest/gtest.h>

#include <functional>

#include "engine/expr/expr_builder.h"
#include "engine/expr/expr_reader.h"
#include "expr_fixture.h"

namespace exprtest {
namespace {

ExprNode Codigo() { return MakeField(1, "codigo"); }
ExprNode Nome() { return MakeField(2, "nome"); }

ExprNode RoundTrip(const ExprNode& tree) {
  std::vector<std::uint8_t> blob;
  EXPECT_EQ(EncodeTree(tree, blob), DBERR_NONE);
  ExprNode back;
  EXPECT_EQ(DecodeBlob(blob.data(), blob.size(), back), DBERR_NONE);
  return back;
}

TEST(ExprReader, RoundTripKeepsTheTree) {
  const ExprNode trees[] = {
      MakeBinary(coAND, MakeBinary(coGT, Codigo(), MakeIntConst(10)), MakeBinary(coLT, Codigo(), MakeIntConst(20))),
      MakeCompare(coEQ, true, 3, Nome(), MakeStringConst("Sil")),
      MakeBinary(coLIKE, Nome(), MakeStringConst("A%")),
      MakeIn(Codigo(), {MakeIntConst(1), MakeIntConst(2), MakeIntConst(3)}),
      MakeUnary(coNOT, MakeUnary(coISBLANK, Nome())),
      MakeFunc("UPPER", {Nome()}),
      MakeFunc("GETDATE", {}),
      MakeFunc("SUBSTRING", {Nome(), MakeIntConst(2), MakeIntConst(3)}),
      MakeBinary(coEQ, MakeField(6, "wnome"), MakeUnicodeConst(u"\u00c4rger")),
      MakeBinary(coEQ, Codigo(), MakeNullConst(fldINT32)),
      MakeBinary(coASSIGN, MakeBinary(coADD, Codigo(), MakeFloatConst(1.5)), MakeField(3, "preco")),
  };
  for (const auto& t : trees) EXPECT_EQ(RoundTrip(t), t) << DumpTree(t);
}

TEST(ExprReader, DumpShowsTheDecodedTree) {
  struct Case {
    ExprNode tree;
    const char* dump;
  } cases[] = {
      {MakeBinary(coAND, MakeBinary(coGT, Codigo(), MakeIntConst(10)), MakeBinary(coLT, Codigo(), MakeIntConst(20))),
       R"((AND (GT (field 1 "codigo") (const fldINT32 10)) (LT (field 1 "codigo") (const fldINT32 20))))"},
      {MakeCompare(coEQ, false, 3, Nome(), MakeStringConst("Sil")),
       R"((EQ ci=0 partial=3 (field 2 "nome") (const fldZSTRING "Sil")))"},
      {MakeIn(Codigo(), {MakeIntConst(1), MakeIntConst(2)}),
       R"((IN (field 1 "codigo") (const fldINT32 1) (const fldINT32 2)))"},
      {MakeFunc("UPPER", {Nome()}), R"((func "UPPER" (field 2 "nome")))"},
      {MakeBinary(coNE, MakeField(5, "ativo"), MakeBoolConst(false)),
       R"((NE (field 5 "ativo") (const fldBOOL false)))"},
  };
  for (const auto& c : cases) EXPECT_EQ(DumpTree(RoundTrip(c.tree)), c.dump);
}

TEST(ExprReader, PackedListOfInDecodes) {
  ExprNode list;
  list.nodeClass = nodeLIST;
  list.op = coLIST2;
  list.valueType = fldINT32;
  list.elementSize = 4;
  list.elementCount = 2;
  list.value = {1, 0, 0, 0, 7, 0, 0, 0};
  ExprNode in;
  in.nodeClass = nodeBINARY;
  in.op = coIN;
  in.operands = {Codigo(), list};
  EXPECT_EQ(RoundTrip(in), in);
}

// codigo = 1: header, root at 0 (12 bytes), field at 12 (12), const at 24
// (14); literals "codigo\0" at 0 and the integer at 7. Total 59 bytes.
std::vector<std::uint8_t> SmallBlob() {
  std::vector<std::uint8_t> b;
  EXPECT_EQ(EncodeTree(MakeBinary(coEQ, Codigo(), MakeIntConst(1)), b), DBERR_NONE);
  EXPECT_EQ(b.size(), 59u);
  return b;
}

void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v & 0xFF);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

TEST(ExprReader, DamagedBlobsGiveResultCodes) {
  constexpr std::size_t kRoot = 10, kField = 22, kConst = 34;  // absolute node positions
  struct Case {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> damage;
    EngineResult expected;
  } cases[] = {
      {"intact", [](auto&) {}, DBERR_NONE},
      {"truncated header", [](auto& b) { b.resize(9); }, DBERR_INVALIDPARAM},
      {"empty", [](auto& b) { b.clear(); }, DBERR_INVALIDPARAM},
      {"wrong version", [](auto& b) { Put16(b, 0, 3); }, DBERR_INVALIDPARAM},
      {"total size beyond the buffer", [](auto& b) { Put16(b, 2, 60); }, DBERR_INVALIDPARAM},
      {"total size inside the header", [](auto& b) { Put16(b, 2, 4); }, DBERR_INVALIDPARAM},
      {"node area inside the header", [](auto& b) { Put16(b, 6, 8); }, DBERR_INVALIDPARAM},
      {"literal area before the nodes", [](auto& b) { Put16(b, 8, 9); }, DBERR_INVALIDPARAM},
      {"literal area beyond the end", [](auto& b) { Put16(b, 8, 70); }, DBERR_INVALIDPARAM},
      {"node area too small for the root", [](auto& b) { Put16(b, 8, 14); }, DBERR_INVALIDPARAM},
      {"operand refers to the root", [](auto& b) { Put16(b, kRoot + 8, 0); }, DBERR_INVALIDPARAM},
      {"shared operand", [](auto& b) { Put16(b, kRoot + 10, 12); }, DBERR_INVALIDPARAM},
      {"operand beyond the node area", [](auto& b) { Put16(b, kRoot + 10, 40); }, DBERR_INVALIDPARAM},
      {"operand inside another node", [](auto& b) { Put16(b, kRoot + 10, 14); }, DBERR_INVALIDPARAM},
      {"field name beyond the literals", [](auto& b) { Put16(b, kField + 10, 100); }, DBERR_INVALIDPARAM},
      {"constant larger than the literals", [](auto& b) { Put16(b, kConst + 10, 200); }, DBERR_INVALIDPARAM},
      {"constant offset past the end", [](auto& b) { Put16(b, kConst + 12, 9); }, DBERR_INVALIDPARAM},
      {"unknown node class", [](auto& b) { b[kRoot] = 99; }, DBERR_INVALIDPARAM},
      {"unknown operator", [](auto& b) { b[kRoot + 4] = 99; }, DBERR_INVALIDPARAM},
      {"operator of another class", [](auto& b) { b[kRoot + 4] = coFIELD2; }, DBERR_INVALIDPARAM},
      {"list element outside a list", [](auto& b) { b[kRoot] = nodeLISTELEM; b[kRoot + 4] = coLISTELEM2; },
       DBERR_INVALIDPARAM},
      {"node count too small", [](auto& b) { Put16(b, 4, 2); }, DBERR_INVALIDPARAM},
      {"uncounted nodes", [](auto& b) { Put16(b, 4, 0xFFFF); }, DBERR_NONE},
      {"tuple node", [](auto& b) { b[kRoot] = nodeTUPLE; }, DBERR_NOTSUPPORTED},
      {"continue node", [](auto& b) { b[kField] = nodeCONTINUE; }, DBERR_NOTSUPPORTED},
      {"UDF node", [](auto& b) { b[kConst] = nodeUDF; }, DBERR_NOTSUPPORTED},
      {"field name without terminator",
       [](auto& b) {
         b.resize(b.size() - 5);  // drop "\0" and the integer
         Put16(b, 2, static_cast<std::uint16_t>(b.size()));
       },
       DBERR_INVALIDPARAM},
  };
  for (const auto& c : cases) {
    auto blob = SmallBlob();
    c.damage(blob);
    ExprNode out;
    EXPECT_EQ(DecodeBlob(blob.data(), blob.size(), out), c.expected) << c.what;
  }
  ExprNode out;
  EXPECT_EQ(DecodeBlob(nullptr, 0, out), DBERR_INVALIDPARAM);
}

// A chain of NOT nodes `depth` deep above an IS NULL test.
std::vector<std::uint8_t> DeepBlob(int depth) {
  BlobBuilder b;
  std::uint16_t prev = b.AddNode(nodeUNARY, coNOT, 1);
  for (int i = 1; i < depth; ++i) {
    const std::uint16_t n = b.AddNode(nodeUNARY, coNOT, 1);
    b.SetOperand(prev, 0, n);
    prev = n;
  }
  const std::uint16_t blank = b.AddNode(nodeUNARY, coISBLANK, 1);
  b.SetOperand(prev, 0, blank);
  const std::uint16_t f = b.AddNode(nodeFIELD, coFIELD2, 2);
  b.SetOperand(blank, 0, f);
  b.SetOperand(f, 1, b.AddLiteral("nome", 5));
  std::vector<std::uint8_t> out;
  EXPECT_EQ(b.Finish(out), DBERR_NONE);
  return out;
}

TEST(ExprReader, NestingDepthIsLimited) {
  ExprNode out;
  auto ok = DeepBlob(MAXEXPRDEPTH - 2);
  EXPECT_EQ(DecodeBlob(ok.data(), ok.size(), out), DBERR_NONE);
  auto deep = DeepBlob(MAXEXPRDEPTH + 50);
  EXPECT_EQ(DecodeBlob(deep.data(), deep.size(), out), DBERR_INVALIDPARAM);
}

TEST(ExprReader, CyclicListChainIsRefused) {
  // codigo IN (1, ...) whose element chain points back at its own element.
  BlobBuilder b;
  const std::uint16_t in = b.AddNode(nodeBINARY, coIN, 2);
  const std::uint16_t f = b.AddNode(nodeFIELD, coFIELD2, 2);
  b.SetOperand(f, 1, b.AddLiteral("codigo", 7));
  b.SetOperand(in, 0, f);
  const std::uint16_t e = b.AddNode(nodeLISTELEM, coLISTELEM2, 2);
  b.SetOperand(in, 1, e);
  const std::uint16_t c = b.AddNode(nodeCONST, coCONST2, 3);
  const std::int32_t one = 1;
  b.SetOperand(c, 0, fldINT32);
  b.SetOperand(c, 1, 4);
  b.SetOperand(c, 2, b.AddLiteral(&one, 4));
  b.SetOperand(e, 0, c);
  b.SetOperand(e, 1, e);  // next element: itself
  std::vector<std::uint8_t> blob;
  ASSERT_EQ(b.Finish(blob), DBERR_NONE);
  ExprNode out;
  EXPECT_EQ(DecodeBlob(blob.data(), blob.size(), out), DBERR_INVALIDPARAM);
}

TEST(ExprReader, BuilderRefusesBlobsBeyondSixteenBits) {
  std::vector<ExprNode> elements;
  for (int i = 0; i < 5000; ++i) elements.push_back(MakeIntConst(i));
  std::vector<std::uint8_t> blob;
  EXPECT_EQ(EncodeTree(MakeIn(Codigo(), elements), blob), DBERR_OUTOFRANGE);
  elements.resize(1000);
  EXPECT_EQ(EncodeTree(MakeIn(Codigo(), elements), blob), DBERR_NONE);
  ExprNode out;
  EXPECT_EQ(DecodeBlob(blob.data(), blob.size(), out), DBERR_NONE);
  EXPECT_EQ(out.operands.size(), 1001u);
}

}  // namespace
}  // namespace exprtest
