// Evaluation of compiled expressions on records: comparisons, logic with
// blanks, arithmetic and its errors, LIKE, IN, functions, dates and defaults.
#include <gtest/gtest.h>

#include <climits>

#include "engine/expr/expr_like.h"
#include "expr_fixture.h"

namespace exprtest {
namespace {

ExprNode F(int no) {
  static const char* names[] = {"", "codigo", "nome", "preco", "nasc", "ativo", "wnome", "grande", "hora", "pequeno"};
  return MakeField(static_cast<std::uint16_t>(no), names[no]);
}
ExprNode I(std::int32_t v) { return MakeIntConst(v); }
ExprNode D(double v) { return MakeFloatConst(v); }
ExprNode S(const char* s) { return MakeStringConst(s); }
ExprNode W(const char16_t* s) { return MakeUnicodeConst(s); }
ExprNode Date(int y, int m, int d) {
  const std::int32_t day = DayNo(y, m, d);
  std::vector<std::uint8_t> v(4);
  std::memcpy(v.data(), &day, 4);
  return MakeConst(fldDATE, v);
}
ExprNode Bin(TCANOperator op, ExprNode l, ExprNode r) { return MakeBinary(op, std::move(l), std::move(r)); }
ExprNode Eq(ExprNode l, ExprNode r) { return Bin(coEQ, std::move(l), std::move(r)); }
ExprNode Fn(const char* name, std::vector<ExprNode> args) { return MakeFunc(name, std::move(args)); }

constexpr Truth T = Truth::True, N = Truth::False, U = Truth::Unknown;

class ExprEval : public ::testing::Test {
 protected:
  ExprEval() {
    alice.Set(kCodigo, std::int32_t{15})
        .Str(kNome, "Alice")
        .Set(kPreco, 9.5)
        .Set(kNasc, DayNo(2022, 4, 20))
        .Set(kAtivo, std::uint16_t{1})
        .WStr(kWNome, u"\u00c4rger")
        .Set(kGrande, std::int64_t{5'000'000'000})
        .Set(kHora, std::int32_t{(14 * 3600 + 30 * 60 + 5) * 1000 + 123})
        .Set(kPequeno, std::int16_t{7});
    blank.Set(kCodigo, std::int32_t{1});
  }

  Truth Test(const ExprNode& tree, const Record& rec) {
    std::unique_ptr<ExprProgram> p;
    const EngineResult c = CompileTree(tree, table, p);
    EXPECT_EQ(c, DBERR_NONE) << DumpTree(tree);
    if (c) return U;
    table.access.SetRecord(rec.data());
    Truth out = U;
    EXPECT_EQ(p->Test(table.access, out), DBERR_NONE) << DumpTree(tree);
    return out;
  }

  // Result code of compiling and, when that succeeds, evaluating.
  EngineResult Result(const ExprNode& tree, const Record& rec) {
    std::unique_ptr<ExprProgram> p;
    if (EngineResult c = CompileTree(tree, table, p)) return c;
    table.access.SetRecord(rec.data());
    Value v;
    return p->Evaluate(table.access, v);
  }

  Table table;
  Record alice = table.NewRecord();
  Record blank = table.NewRecord();
};

TEST_F(ExprEval, Conditions) {
  struct Case {
    ExprNode tree;
    Truth onAlice, onBlank;
  } cases[] = {
      {Eq(F(kCodigo), I(15)), T, N},
      {Bin(coNE, F(kCodigo), I(15)), N, T},
      {Bin(coGT, F(kCodigo), I(10)), T, N},
      {Bin(coLT, F(kCodigo), I(10)), N, T},
      {Bin(coGE, F(kCodigo), I(15)), T, N},
      {Bin(coLE, F(kCodigo), I(14)), N, T},
      {Bin(coAND, Bin(coGT, F(kCodigo), I(10)), Bin(coLT, F(kCodigo), I(20))), T, N},
      {Bin(coGT, F(kPreco), I(9)), T, U},
      {Eq(F(kPreco), D(9.5)), T, U},
      {Bin(coGT, F(kGrande), D(4e9)), T, U},
      {Eq(F(kPequeno), I(7)), T, U},
      // strings under the collation; case-insensitive and partial compare nodes
      {Eq(F(kNome), S("Alice")), T, U},
      {Bin(coLT, F(kNome), S("bob")), T, U},
      {Bin(coGT, F(kNome), S("alice")), T, U},  // tertiary: upper case after lower case
      {Eq(F(kNome), S("alice")), N, U},
      {MakeCompare(coEQ, true, 0, F(kNome), S("ALICE")), T, U},
      {MakeCompare(coEQ, false, 3, F(kNome), S("Ali")), T, U},
      {MakeCompare(coEQ, false, 3, F(kNome), S("Alx")), N, U},
      {MakeCompare(coEQ, true, 2, F(kNome), S("al")), T, U},
      // LIKE
      {Bin(coLIKE, F(kNome), S("A%")), T, U},
      {Bin(coLIKE, F(kNome), S("a%")), N, U},
      {MakeCompare(coLIKE, true, 0, F(kNome), S("a%")), T, U},
      {Bin(coLIKE, F(kNome), S("%ic%")), T, U},
      {Bin(coLIKE, F(kNome), S("_lice")), T, U},
      {Bin(coLIKE, F(kNome), S("A_ce")), N, U},
      {Bin(coLIKE, F(kWNome), W(u"\u00c4%")), T, U},
      {Bin(coLIKE, F(kWNome), W(u"_rger")), T, U},
      // blanks and three-valued logic
      {MakeUnary(coISBLANK, F(kNome)), N, T},
      {MakeUnary(coNOTBLANK, F(kNome)), T, N},
      {MakeUnary(coNOT, Eq(F(kNome), S("x"))), T, U},
      {Bin(coOR, Eq(F(kNome), S("x")), Eq(F(kCodigo), I(1))), N, T},
      {Bin(coAND, Eq(F(kNome), S("x")), Eq(F(kCodigo), I(1))), N, U},
      {Bin(coAND, Eq(F(kNome), S("Alice")), Eq(F(kCodigo), I(2))), N, N},
      {Eq(F(kCodigo), MakeNullConst(fldINT32)), U, U},
      // IN
      {MakeIn(F(kCodigo), {I(1), I(15), I(20)}), T, T},
      {MakeIn(F(kCodigo), {I(2), I(3)}), N, N},
      {MakeIn(F(kNome), {S("Bob"), S("Alice")}), T, U},
      {MakeIn(F(kCodigo), {I(2), MakeNullConst(fldINT32)}), U, U},
      // Boolean fields
      {Bin(coNE, F(kAtivo), MakeBoolConst(false)), T, U},
      {MakeUnary(coNOT, Bin(coNE, F(kAtivo), MakeBoolConst(false))), N, U},
      // wide strings, also against 8-bit constants
      {Eq(F(kWNome), W(u"\u00c4rger")), T, U},
      {Eq(F(kWNome), S("\xc3\x84rger")), T, U},
      {Eq(Fn("upper", {F(kWNome)}), W(u"\u00c4RGER")), T, U},
      // arithmetic
      {Eq(Bin(coADD, F(kCodigo), I(5)), I(20)), T, N},
      {Eq(Bin(coSUB, F(kCodigo), I(20)), I(-5)), T, N},
      {Eq(Bin(coMUL, F(kCodigo), I(2)), I(30)), T, N},
      {Eq(Bin(coDIV, F(kCodigo), I(2)), I(7)), T, N},
      {Eq(Bin(coDIV, F(kPreco), I(2)), D(4.75)), T, U},
      {Eq(MakeUnary(coMINUS, F(kCodigo)), I(-15)), T, N},
      {Eq(Bin(coADD, F(kNome), S("x")), S("Alicex")), T, U},
      // functions
      {Eq(Fn("upper", {F(kNome)}), S("ALICE")), T, U},
      {Eq(Fn("LOWER", {F(kNome)}), S("alice")), T, U},
      {Eq(Fn("trim", {S("  x  ")}), S("x")), T, T},
      {Eq(Fn("trimleft", {S("  x  ")}), S("x  ")), T, T},
      {Eq(Fn("TrimRight", {S("  x  ")}), S("  x")), T, T},
      {Eq(Fn("trim", {S("--x-"), S("-")}), S("x")), T, T},
      {Eq(Fn("substring", {F(kNome), I(2), I(3)}), S("lic")), T, U},
      {Eq(Fn("substring", {F(kNome), I(4)}), S("ce")), T, U},
      {Eq(Fn("substring", {F(kNome), I(0), I(2)}), S("A")), T, U},
      {Eq(Fn("year", {F(kNasc)}), I(2022)), T, U},
      {Eq(Fn("month", {F(kNasc)}), I(4)), T, U},
      {Eq(Fn("day", {F(kNasc)}), I(20)), T, U},
      {Eq(Fn("hour", {F(kHora)}), I(14)), T, U},
      {Eq(Fn("minute", {F(kHora)}), I(30)), T, U},
      {Eq(Fn("second", {F(kHora)}), I(5)), T, U},
      {Bin(coGT, Fn("getdate", {}), F(kNasc)), T, U},
      // dates
      {Eq(F(kNasc), Date(2022, 4, 20)), T, U},
      {Bin(coGT, F(kNasc), S("2022-01-01")), T, U},
      {Eq(Bin(coADD, F(kNasc), I(11)), Date(2022, 5, 1)), T, U},
      {Eq(Bin(coSUB, F(kNasc), Date(2022, 4, 10)), D(10)), T, U},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Test(c.tree, alice), c.onAlice) << DumpTree(c.tree);
    EXPECT_EQ(Test(c.tree, blank), c.onBlank) << DumpTree(c.tree);
  }
}

TEST_F(ExprEval, ArithmeticFaultsAreErrors) {
  Record minInt = table.NewRecord();
  minInt.Set(kCodigo, std::int32_t{INT_MIN}).Set(kGrande, std::int64_t{LLONG_MIN}).Set(kPreco, 1.0);
  struct Case {
    ExprNode tree;
    EngineResult expected;
  } cases[] = {
      {Eq(Bin(coDIV, F(kCodigo), I(0)), I(1)), DBERR_OUTOFRANGE},
      {Eq(Bin(coDIV, F(kCodigo), I(-1)), I(1)), DBERR_OUTOFRANGE},   // INT_MIN / -1
      {Eq(Bin(coDIV, F(kGrande), I(-1)), I(1)), DBERR_OUTOFRANGE},   // INT64_MIN / -1
      {Eq(Bin(coMOD, F(kCodigo), I(0)), I(1)), DBERR_OUTOFRANGE},
      {Eq(Bin(coMUL, F(kCodigo), I(2)), I(1)), DBERR_OUTOFRANGE},
      {Eq(Bin(coSUB, F(kCodigo), I(1)), I(1)), DBERR_OUTOFRANGE},
      {Eq(MakeUnary(coMINUS, F(kCodigo)), I(1)), DBERR_OUTOFRANGE},
      {Eq(MakeUnary(coMINUS, F(kGrande)), I(1)), DBERR_OUTOFRANGE},
      {Eq(Bin(coDIV, F(kPreco), D(0)), I(1)), DBERR_OUTOFRANGE},
      {Eq(Bin(coMUL, F(kPreco), D(1e308)), D(1)), DBERR_NONE},
      {Eq(Bin(coMUL, Bin(coMUL, F(kPreco), D(1e308)), D(10)), D(1)), DBERR_OUTOFRANGE},
      {Eq(Bin(coMOD, F(kCodigo), I(-1)), I(0)), DBERR_NONE},
      {Eq(Bin(coDIV, F(kCodigo), I(2)), I(1)), DBERR_NONE},
  };
  for (const auto& c : cases) EXPECT_EQ(Result(c.tree, minInt), c.expected) << DumpTree(c.tree);
}

TEST_F(ExprEval, CompileErrors) {
  struct Case {
    ExprNode tree;
    EngineResult expected;
  } cases[] = {
      {Eq(F(kCodigo), S("abc")), DBERR_TYPEMISMATCH},
      {Eq(F(kCodigo), S("12")), DBERR_NONE},
      {Eq(Bin(coADD, F(kNome), F(kCodigo)), S("x")), DBERR_TYPEMISMATCH},
      {MakeUnary(coNOT, F(kCodigo)), DBERR_TYPEMISMATCH},
      {Bin(coLIKE, F(kCodigo), S("1%")), DBERR_TYPEMISMATCH},
      {Bin(coAND, F(kCodigo), Eq(F(kCodigo), I(1))), DBERR_TYPEMISMATCH},
      {Eq(F(kNasc), S("not a date")), DBERR_TYPEMISMATCH},
      {Eq(F(kNasc), F(kHora)), DBERR_TYPEMISMATCH},
      {Eq(MakeField(1, "xyz"), I(1)), DBERR_OBJNOTFOUND},
      {Eq(MakeField(1, "CODIGO"), I(15)), DBERR_NONE},
      {Eq(Fn("sum", {F(kCodigo)}), I(1)), DBERR_NOTSUPPORTED},
      {Eq(Fn("nope", {F(kCodigo)}), I(1)), DBERR_NOTSUPPORTED},
      {Eq(Fn("upper", {}), S("x")), DBERR_TYPEMISMATCH},
      {Eq(Fn("upper", {F(kCodigo)}), S("x")), DBERR_TYPEMISMATCH},
      {Eq(Fn("substring", {F(kNome)}), S("x")), DBERR_TYPEMISMATCH},
      {Eq(Fn("substring", {F(kNome), S("a")}), S("x")), DBERR_TYPEMISMATCH},
      {Eq(Fn("year", {F(kNome)}), I(1)), DBERR_TYPEMISMATCH},
      {Eq(F(kCodigo), MakeConst(fldINT32, {1, 2})), DBERR_INVALIDPARAM},  // constant too short
      {Eq(F(kCodigo), MakeConst(fldBLOB, {1, 2, 3, 4})), DBERR_NOTSUPPORTED},
  };
  for (const auto& c : cases) EXPECT_EQ(Result(c.tree, alice), c.expected) << DumpTree(c.tree);
}

TEST_F(ExprEval, NonBooleanExpressionIsNoCondition) {
  std::unique_ptr<ExprProgram> p;
  ASSERT_EQ(CompileTree(Bin(coADD, F(kCodigo), I(1)), table, p), DBERR_NONE);
  table.access.SetRecord(alice.data());
  Truth t;
  EXPECT_EQ(p->Test(table.access, t), DBERR_TYPEMISMATCH);
  Value v;
  ASSERT_EQ(p->Evaluate(table.access, v), DBERR_NONE);
  EXPECT_EQ(v.type, VType::Int);
  EXPECT_EQ(v.i, 16);
}

TEST_F(ExprEval, DefaultValueAssignsConvertedResult) {
  std::unique_ptr<ExprProgram> p;
  ASSERT_EQ(CompileTree(Bin(coASSIGN, Bin(coADD, F(kCodigo), I(1)), F(kPreco)), table, p), DBERR_NONE);
  EXPECT_EQ(p->AssignedField(), kPreco);
  EXPECT_EQ(p->FieldsRead(), std::vector<int>{kCodigo});
  table.access.SetRecord(alice.data());
  Value v;
  ASSERT_EQ(p->Evaluate(table.access, v), DBERR_NONE);
  EXPECT_EQ(v.type, VType::Float);
  EXPECT_EQ(v.f, 16.0);
  EXPECT_EQ(CompileTree(Bin(coASSIGN, S("x"), F(kCodigo)), table, p), DBERR_TYPEMISMATCH);
}

TEST_F(ExprEval, LikeWithUnderscoreMatchesExactlyOneCharacter) {
  struct Case {
    const char* subject;
    const char* pattern;
    bool match;
  } cases[] = {
      {"abc", "a_c", true},       {"abbc", "a_c", false},     {"ac", "a_c", false},
      {"Ana", "A%", true},        {"ana", "A%", false},       {"", "%", true},
      {"", "_", false},           {"abc", "%%", true},        {"abc", "a%%c", true},
      {"a%c", "a\\%c", true},     {"abc", "a\\%c", false},    {"a_c", "a\\_c", true},
      {"abc", "a\\_c", false},    {"ação", "a__o", true},     {"ação", "a_o", false},
      {"xyz", "%y%", true},       {"mississippi", "%iss%pi", true},
      {"mississippi", "m%s_s%i", true}, {"abc", "abc", true}, {"abcd", "abc", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LikePattern::FromUtf8(c.pattern, false).Match(std::string_view(c.subject)), c.match)
        << c.subject << " LIKE " << c.pattern;
  }
  // Through the evaluator on the field nome.
  Record abc = table.NewRecord(), abbc = table.NewRecord();
  abc.Str(kNome, "abc");
  abbc.Str(kNome, "abbc");
  EXPECT_EQ(Test(Bin(coLIKE, F(kNome), S("a_c")), abc), T);
  EXPECT_EQ(Test(Bin(coLIKE, F(kNome), S("a_c")), abbc), N);
}

TEST_F(ExprEval, LikeStaysLinearOnPathologicalPatterns) {
  const std::string subject(4000, 'a');
  const auto pattern = LikePattern::FromUtf8("%a%a%a%a%a%a%a%a%a%a%a%a%b", false);
  EXPECT_FALSE(pattern.Match(std::string_view(subject)));
  EXPECT_TRUE(LikePattern::FromUtf8("%a%a%a%a%a%a%a%a%a%a%a%a%", false).Match(std::string_view(subject)));
  const auto caseless = LikePattern::FromUtf16(u"%\u00e4%B", true);
  EXPECT_TRUE(caseless.Match(std::u16string_view(u"x\u00c4yb")));
  EXPECT_FALSE(caseless.Match(std::u16string_view(u"x\u00c4yc")));
}

}  // namespace
}  // namespace exprtest

namespace exprtest {
namespace {

// A table whose 8-bit text is Latin-1 (one byte per character) and whose
// memo contents come from the side.
class Latin1Access : public RecordBufferAccess {
 public:
  using RecordBufferAccess::RecordBufferAccess;
  bool TextIsUtf8() const override { return false; }
  std::u16string WidenText(std::string_view s) const override { return Widen(s); }
  std::string NarrowText(std::u16string_view s) const override {
    std::string out;
    for (char16_t c : s) out.push_back(c < 256 ? static_cast<char>(c) : '?');
    return out;
  }
  int CompareText(std::string_view a, std::string_view b, bool ci) const override {
    return CompareWideText(Widen(a), Widen(b), ci);
  }
  bool BlobValue(int, std::string& out) const override {
    out = memo;
    return true;
  }
  std::string memo;

 private:
  static std::u16string Widen(std::string_view s) {
    std::u16string out;
    for (char c : s) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return out;
  }
};

TEST(ExprEvalText, SingleByteTablesAndMemos) {
  IcuCollation collation("pt");
  DSFLDDesc memo = Desc("obs", fldBLOB, 4);
  memo.iFldSubType = fldstMEMO;
  Latin1Access access(Layout({Desc("nome", fldZSTRING, 31, 30), memo}), collation);
  Record rec(Layout({Desc("nome", fldZSTRING, 31, 30), memo}));
  rec.Str(1, "A\xe7\xe3o").Set(2, std::int32_t{1});  // "Ação" in Latin-1
  access.memo = "nota: urgente";
  access.SetRecord(rec.data());
  struct Case {
    ExprNode tree;
    Truth expected;
  } cases[] = {
      {MakeBinary(coLIKE, MakeField(1, "nome"), MakeStringConst("A__o")), Truth::True},
      {MakeBinary(coLIKE, MakeField(1, "nome"), MakeStringConst("A_o")), Truth::False},
      {MakeCompare(coLIKE, true, 0, MakeField(1, "nome"), MakeStringConst("a\xc7\xc3o")), Truth::True},
      {MakeCompare(coEQ, false, 2, MakeField(1, "nome"), MakeStringConst("A\xe7zz")), Truth::True},
      {MakeBinary(coEQ, MakeFunc("upper", {MakeField(1, "nome")}), MakeStringConst("A\xc7\xc3O")), Truth::True},
      {MakeBinary(coLIKE, MakeField(2, "obs"), MakeStringConst("%urgente")), Truth::True},
      {MakeBinary(coLIKE, MakeField(2, "obs"), MakeStringConst("urgente%")), Truth::False},
  };
  for (const auto& c : cases) {
    std::unique_ptr<ExprProgram> p;
    std::vector<std::uint8_t> blob;
    ASSERT_EQ(EncodeTree(c.tree, blob), DBERR_NONE);
    ASSERT_EQ(ExprProgram::Compile(blob.data(), blob.size(), access, p), DBERR_NONE) << DumpTree(c.tree);
    Truth t = Truth::Unknown;
    ASSERT_EQ(p->Test(access, t), DBERR_NONE) << DumpTree(c.tree);
    EXPECT_EQ(t, c.expected) << DumpTree(c.tree);
  }
  // Without blob contents, memos cannot be evaluated.
  RecordBufferAccess plain(Layout({Desc("nome", fldZSTRING, 31, 30), memo}), collation);
  plain.SetRecord(rec.data());
  std::unique_ptr<ExprProgram> p;
  std::vector<std::uint8_t> blob;
  ASSERT_EQ(EncodeTree(MakeBinary(coLIKE, MakeField(2, "obs"), MakeStringConst("%")), blob), DBERR_NONE);
  ASSERT_EQ(ExprProgram::Compile(blob.data(), blob.size(), plain, p), DBERR_NONE);
  Truth t;
  EXPECT_EQ(p->Test(plain, t), DBERR_NOTSUPPORTED);
}

}  // namespace
}  // namespace exprtest
