// Filter text to expression blobs: each case is decoded by the engine's
// reader and compared as a tree, or must raise the exact message.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include "core/ustring.h"
#include "data/db_error.h"
#include "data/filter/filter_parser.h"
#include "engine/expr/expr_reader.h"
#include "expr_fixture.h"

namespace exprtest {
namespace {

using data::TFieldKind;
using data::TFieldType;
using data::TFilterOption;
using data::TFilterOptions;
using data::TParserOption;
using data::TParserOptions;

class Fields : public data::IFilterFieldSource {
 public:
  Fields() {
    auto add = [&](const char16_t* name, TFieldType t, int size = 0, TFieldKind kind = TFieldKind::fkData,
                   const char16_t* origin = u"") {
      data::TFilterFieldInfo f;
      f.FieldNo = static_cast<int>(FFields.size()) + 1;
      f.FieldName = name;
      f.DataType = t;
      f.Size = size;
      f.FieldKind = kind;
      f.Origin = origin;
      FFields.push_back(f);
    };
    add(u"codigo", TFieldType::ftInteger, 0, TFieldKind::fkData, u"CLIENTES.CODIGO");
    add(u"nome", TFieldType::ftString, 50);
    add(u"preco", TFieldType::ftFloat);
    add(u"nasc", TFieldType::ftDate);
    add(u"ativo", TFieldType::ftBoolean);
    add(u"wnome", TFieldType::ftWideString, 20);
    add(u"grande", TFieldType::ftLargeint);
    add(u"hora", TFieldType::ftTime);
    add(u"pequeno", TFieldType::ftSmallint);
    add(u"memo", TFieldType::ftMemo);
    add(u"calc", TFieldType::ftInteger, 0, TFieldKind::fkCalculated);
    add(u"valor", TFieldType::ftBCD, 2);
    add(u"descri\u00e7\u00e3o", TFieldType::ftString, 30);
    add(u"First Name", TFieldType::ftString, 30);
  }
  bool FindField(std::u16string_view name, data::TFilterFieldInfo& out) const override {
    for (const auto& f : FFields)
      if (core::SameText(f.FieldName, name)) {
        out = f;
        return true;
      }
    return false;
  }
  std::vector<data::TFilterFieldInfo> AllFields() const override { return FFields; }

 private:
  std::vector<data::TFilterFieldInfo> FFields;
};

const TParserOptions kExt{TParserOption::poExtSyntax};

// The decoded tree of the blob, or "error: <message>".
std::string Parse(const std::u16string& text, TParserOptions po = kExt, TFilterOptions fo = {},
                  const std::u16string& fieldName = u"") {
  static const Fields fields;
  try {
    data::TExprParser p(fields, true, nullptr, fieldName, po, fo, u"");
    p.SetExprParams(text, fo, po, fieldName);
    ExprNode tree;
    const EngineResult r = DecodeBlob(p.FilterData().data(), p.FilterData().size(), tree);
    if (r != DBERR_NONE) return fmt::format("bad blob {}", r);
    return DumpTree(tree);
  } catch (const data::EDatabaseError& e) {
    return fmt::format("error: {}", e.what());
  }
}

std::string Err(const char* message) { return fmt::format("error: {}", message); }

TEST(FilterParser, TextToTree) {
  const std::string nasc = fmt::format("(GT (field 4 \"nasc\") (const fldDATE {}))", DayNo(2022, 4, 20));
  struct Case {
    std::u16string text;
    std::string expected;
  } cases[] = {
      {u"codigo > 10 and codigo < 20",
       R"((AND (GT (field 1 "codigo") (const fldINT32 10)) (LT (field 1 "codigo") (const fldINT32 20))))"},
      {u"10 < codigo", R"((GT (field 1 "codigo") (const fldINT32 10)))"},
      {u"10 >= codigo", R"((LE (field 1 "codigo") (const fldINT32 10)))"},
      {u"nome = 'Sil*'", R"((EQ ci=0 partial=3 (field 2 "nome") (const fldZSTRING "Sil")))"},
      {u"nome = 'O''Brien'", R"((EQ (field 2 "nome") (const fldZSTRING "O'Brien")))"},
      {u"nome = 'O'Brien'", R"((EQ (field 2 "nome") (const fldZSTRING "O'Brien")))"},
      {u"nome = 'a' or nome = 'b'",
       R"((OR (EQ (field 2 "nome") (const fldZSTRING "a")) (EQ (field 2 "nome") (const fldZSTRING "b"))))"},
      {u"(nome = 'it''s') and (codigo = 1)",
       R"((AND (EQ (field 2 "nome") (const fldZSTRING "it's")) (EQ (field 1 "codigo") (const fldINT32 1))))"},
      {u"nome = NULL", R"((ISBLANK (field 2 "nome")))"},
      {u"NULL <> nome", R"((NOTBLANK (field 2 "nome")))"},
      {u"nome is null", R"((ISBLANK (field 2 "nome")))"},
      {u"nome IS NOT NULL", R"((NOTBLANK (field 2 "nome")))"},
      {u"nome LIKE 'A%'", R"((LIKE (field 2 "nome") (const fldZSTRING "A%")))"},
      {u"codigo IN (1, 2, 3)",
       R"((IN (field 1 "codigo") (const fldFLOAT 1) (const fldFLOAT 2) (const fldFLOAT 3)))"},
      {u"nome in ('a', 'b')", R"((IN (field 2 "nome") (const fldZSTRING "a") (const fldZSTRING "b")))"},
      {u"codigo + 1 > 5", R"((GT (ADD (field 1 "codigo") (const fldFLOAT 1)) (const fldFLOAT 5)))"},
      {u"codigo = 5-1", R"((EQ (field 1 "codigo") (SUB (const fldFLOAT 5) (const fldFLOAT 1))))"},
      {u"codigo = -5", R"((EQ (field 1 "codigo") (const fldINT32 -5)))"},
      {u"codigo = 1e3", R"((EQ (field 1 "codigo") (const fldINT32 1000)))"},
      {u"codigo = 10.5", R"((EQ (field 1 "codigo") (const fldFLOAT 10.5)))"},
      {u"preco * 2 <= 10 / 4",
       R"((LE (MUL (field 3 "preco") (const fldFLOAT 2)) (DIV (const fldFLOAT 10) (const fldFLOAT 4))))"},
      {u"ativo", R"((NE (field 5 "ativo") (const fldBOOL false)))"},
      {u"not ativo", R"((NOT (NE (field 5 "ativo") (const fldBOOL false))))"},
      {u"ativo and codigo = 1",
       R"((AND (NE (field 5 "ativo") (const fldBOOL false)) (EQ (field 1 "codigo") (const fldINT32 1))))"},
      {u"ativo = true", R"((EQ (field 5 "ativo") (const fldBOOL true)))"},
      {u"ativo = 'False'", R"((EQ (field 5 "ativo") (const fldBOOL false)))"},
      {u"[First Name] = 'x'", R"((EQ (field 14 "First Name") (const fldZSTRING "x")))"},
      {u"descri\u00e7\u00e3o = 'x'", "(EQ (field 13 \"descri\xc3\xa7\xc3\xa3o\") (const fldZSTRING \"x\"))"},
      {u"nasc > '2022-04-20'", nasc},
      {u"upper(nome) = 'ANA'", R"((EQ (func "upper" (field 2 "nome")) (const fldZSTRING "ANA")))"},
      {u"substring(nome, 2, 3) = 'na'",
       R"((EQ (func "substring" (field 2 "nome") (const fldFLOAT 2) (const fldFLOAT 3)) (const fldZSTRING "na")))"},
      {u"year(nasc) = 2022", R"((EQ (func "year" (field 4 "nasc")) (const fldINT32 2022)))"},
      {u"wnome = 'x'", R"((EQ (field 6 "wnome") (const fldUNICODE u"x")))"},
      {u"grande > 5", R"((GT (field 7 "grande") (const fldINT64 5)))"},
      {u"hora < '12:30'", R"((LT (field 8 "hora") (const fldTIME 45000000)))"},
      {u"memo LIKE 'x%'", R"((LIKE (field 10 "memo") (const fldZSTRING "x%")))"},
      {u"valor = 1.25", R"((EQ (field 12 "valor") (const fldBCD x200200000000000000000000000000000125)))"},
      {u"valor = 1.255", R"((EQ (field 12 "valor") (const fldFLOAT 1.255)))"},
      {u"codigo = 1 /* comment */", R"((EQ (field 1 "codigo") (const fldINT32 1)))"},
      {u"((((codigo = 1))))", R"((EQ (field 1 "codigo") (const fldINT32 1)))"},
      // errors
      {u"", Err("Expression expected but nothing found")},
      {u"   ", Err("Expression expected but nothing found")},
      {u"codigo = ", Err("Expression expected but nothing found")},
      {u"codigo = )", Err("Expression expected but ')' found")},
      {u"5-1", Err("Incorrectly formed filter expression")},
      {u"codigo", Err("Incorrectly formed filter expression")},
      {u"nome = 'abc", Err("Unterminated string constant")},
      {u"nome = '", Err("Unterminated string constant")},
      {u"[nome = 1", Err("Unterminated field name")},
      {u"xyz = 1", Err("Field 'xyz' not found")},
      {u"[] = 1", Err("Field '' not found")},
      {u"nome LIKE NULL", Err("NULL only allowed with '=' and '<>'")},
      {u"codigo > NULL", Err("NULL only allowed with '=' and '<>'")},
      {u"pequeno = 40000", Err("Constant out of range")},
      {u"codigo = 3000000000", Err("Constant out of range")},
      {u"codigo in ()", Err("IN predicate list may not be empty")},
      {u"codigo in 1", Err("'(' expected but '1' found")},
      {u"codigo in (1 2)", Err("')' or ',' expected but '2' found")},
      {u"codigo in (1", Err("')' expected but nothing found")},
      {u"(codigo = 1", Err("')' expected but nothing found")},
      {u"codigo = 1 )", Err("Filter expression incorrectly terminated")},
      {u"nome = 'a' xyz", Err("Filter expression incorrectly terminated")},
      {u"nome = #", Err("Invalid filter expression character: '#'")},
      {u"codigo = 1 /* open", Err("Invalid filter expression character: '/'")},
      {std::u16string(u"codigo = 1\0", 11), Err("Invalid filter expression character: '#0'")},
      {u"nome is foo", Err("Invalid use of keyword")},
      {u"nome is not 1", Err("Invalid use of keyword")},
      {u"sum(codigo) > 1", Err("Aggregate expressions not allowed in filters")},
      {u"sum(codigo) + codigo > 1", Err("Operation cannot mix aggregate value with record-varying value")},
      {u"memo = 'x'", Err("Type mismatch in expression")},
      {u"upper() = 'x'", Err("Type mismatch in expression")},
      {u"codigo LIKE '1%'", Err("Type mismatch in expression")},
      {u"nome - codigo = 1", Err("Type mismatch in expression")},
      {u"calc = 1", Err("Field 'calc' cannot be used in a filter expression")},
      {u"codigo = 'abc'", Err("'abc' is not a valid integer value")},
      {u"codigo = 1.2.3", Err("'1.2.3' is not a valid floating point value")},
      {u"nasc = 'ontem'", Err("'ontem' is not a valid date")},
  };
  for (const auto& c : cases) EXPECT_EQ(Parse(c.text), c.expected) << core::ToUtf8(c.text);
}

TEST(FilterParser, OptionsChangeTheTree) {
  struct Case {
    const char16_t* text;
    TParserOptions po;
    TFilterOptions fo;
    std::string expected;
  } cases[] = {
      {u"nome = 'Sil*'", kExt, {TFilterOption::foNoPartialCompare},
       R"((EQ (field 2 "nome") (const fldZSTRING "Sil*")))"},
      {u"nome = 'ana'", kExt, {TFilterOption::foCaseInsensitive},
       R"((EQ ci=1 partial=0 (field 2 "nome") (const fldZSTRING "ana")))"},
      {u"nome LIKE 'a%*'", kExt, {TFilterOption::foCaseInsensitive},
       R"((LIKE ci=1 partial=2 (field 2 "nome") (const fldZSTRING "a%")))"},
      {u"nome = '*'", kExt, {}, R"((EQ (field 2 "nome") (const fldZSTRING "*")))"},
      {u"codigo + 1 > 5", {}, {}, Err("Arithmetic in filter expressions not supported")},
      {u"5-1", {}, {}, Err("Arithmetic in filter expressions not supported")},
      {u"upper(nome) = 'A'", {}, {}, Err("Arithmetic in filter expressions not supported")},
      {u"sum(codigo)", {TParserOption::poExtSyntax, TParserOption::poAggregate}, {},
       R"((func "sum" (field 1 "codigo")))"},
      {u"count(*)", {TParserOption::poExtSyntax, TParserOption::poAggregate}, {}, R"x((func "COUNT(*)"))x"},
      {u"codigo > 1", {TParserOption::poExtSyntax, TParserOption::poAggregate}, {},
       Err("Expression is not an aggregate expression")},
      {u"sum(calc)", {TParserOption::poExtSyntax, TParserOption::poAggregate}, {},
       Err("Field 'calc' is not the correct type of calculated field to be used in an aggregate, use an internalcalc")},
      {u"CLIENTES.CODIGO = 1", {TParserOption::poUseOrigNames}, {},
       R"((EQ (field 1 "codigo") (const fldINT32 1)))"},
  };
  for (const auto& c : cases) EXPECT_EQ(Parse(c.text, c.po, c.fo), c.expected) << core::ToUtf8(c.text);
}

TEST(FilterParser, DefaultExpressionsAssignTheField) {
  const TParserOptions po{TParserOption::poExtSyntax, TParserOption::poDefaultExpr};
  EXPECT_EQ(Parse(u"codigo + 1", po, {}, u"preco"),
            R"((ASSIGN (ADD (field 1 "codigo") (const fldFLOAT 1)) (field 3 "preco")))");
  EXPECT_EQ(Parse(u"'2022-04-20'", po, {}, u"nasc"),
            fmt::format("(ASSIGN (const fldDATE {}) (field 4 \"nasc\"))", DayNo(2022, 4, 20)));
  EXPECT_EQ(Parse(u"'x'", po, {}, u"preco"), Err("Type mismatch in expression"));
}

TEST(FilterParser, NestingIsLimited) {
  auto nested = [](int depth, const char16_t* open, const char16_t* inner, const char16_t* close) {
    std::u16string s;
    for (int i = 0; i < depth; ++i) s += open;
    s += inner;
    for (int i = 0; i < depth; ++i) s += close;
    return s;
  };
  const std::string ok = R"((EQ (field 1 "codigo") (const fldINT32 1)))";
  EXPECT_EQ(Parse(nested(30, u"(", u"codigo = 1", u")")), ok);
  EXPECT_EQ(Parse(nested(100000, u"(", u"codigo = 1", u")")), Err("Filter expression nested too deeply"));
  EXPECT_EQ(Parse(nested(100000, u"not ", u"ativo", u"")), Err("Filter expression nested too deeply"));
  EXPECT_EQ(Parse(nested(100000, u"upper(", u"nome", u")") + u" = 'x'"), Err("Filter expression nested too deeply"));
  // A long left-leaning chain makes a deep tree without any nesting.
  std::u16string chain = u"codigo = 1";
  for (int i = 0; i < 5000; ++i) chain += u" or codigo = 1";
  EXPECT_EQ(Parse(chain), Err("Filter expression nested too deeply"));
}

TEST(FilterParser, OversizedExpressionIsRefused) {
  std::u16string list = u"codigo in (1";
  for (int i = 0; i < 8000; ++i) list += u", 1";
  list += u")";
  EXPECT_EQ(Parse(list), Err("Filter expression too long"));
  const std::u16string longText(70000, u'a');
  EXPECT_EQ(Parse(u"nome = '" + longText + u"'"), Err("Filter expression too long"));
}

// Filter text through the parser, the engine's compiler and evaluator.
TEST(FilterParser, BlobFiltersRecords) {
  Table table;
  struct Case {
    const char16_t* text;
    TFilterOptions fo;
    std::vector<const char*> kept;
  } cases[] = {
      {u"nome LIKE 'A%'", {}, {"Ana", "Alberto"}},
      {u"nome LIKE 'a_c'", {}, {"abc"}},
      {u"nome = 'Al*'", {}, {"Alberto"}},
      {u"nome = 'al*'", {TFilterOption::foCaseInsensitive}, {"Alberto"}},
      {u"nome = 'O''Brien' or nome = 'abbc'", {}, {"abbc", "O'Brien"}},
      {u"codigo > 2 and codigo <= 4", {}, {"abc", "abbc"}},
      {u"codigo IN (1, 5)", {}, {"Ana", "O'Brien"}},
      {u"nome IS NULL", {}, {""}},
  };
  const char* names[] = {"Ana", "Alberto", "abc", "abbc", "O'Brien", nullptr};
  static const Fields fields;
  for (const auto& c : cases) {
    data::TExprParser p(fields, true, nullptr, u"", kExt, c.fo, c.text);
    std::unique_ptr<ExprProgram> prog;
    ASSERT_EQ(ExprProgram::Compile(p.FilterData().data(), p.FilterData().size(), table.access, prog), DBERR_NONE)
        << core::ToUtf8(c.text);
    std::vector<std::string> kept;
    for (int i = 0; i < 6; ++i) {
      Record r = table.NewRecord();
      r.Set(kCodigo, std::int32_t{i + 1});
      if (names[i]) r.Str(kNome, names[i]);
      table.access.SetRecord(r.data());
      Truth t;
      ASSERT_EQ(prog->Test(table.access, t), DBERR_NONE);
      if (t == Truth::True) kept.push_back(names[i] ? names[i] : "");
    }
    EXPECT_EQ(kept, std::vector<std::string>(c.kept.begin(), c.kept.end())) << core::ToUtf8(c.text);
  }
}

}  // namespace
}  // namespace exprtest
