// Grammar and typing of filter text.
#include "data/filter/filter_parser.h"

#include "core/ustring.h"
#include "data/db_error.h"
#include "data/filter/filter_constants.h"
#include "data/filter/filter_messages.h"

namespace data {

using namespace engine::expr;
using F = TFieldType;
using K = TExprNodeKind;
using T = TExprToken;

namespace {

template <class... Args>
[[noreturn]] void Error(const char* templ, Args&&... args) {
  throw EDatabaseError(core::Format(fmt::runtime(templ), std::forward<Args>(args)...));
}

bool Is8Bit(F t) { return t == F::ftString || t == F::ftFixedChar || t == F::ftGuid; }
bool IsWide(F t) { return t == F::ftWideString || t == F::ftFixedWideChar; }
bool IsString(F t) { return Is8Bit(t) || IsWide(t); }
bool IsInteger(F t) {
  return t == F::ftSmallint || t == F::ftInteger || t == F::ftWord || t == F::ftAutoInc || t == F::ftLargeint ||
         t == F::ftLongWord || t == F::ftShortint || t == F::ftByte;
}
bool IsNumeric(F t) {
  return IsInteger(t) || t == F::ftFloat || t == F::ftCurrency || t == F::ftBCD || t == F::ftFMTBcd ||
         t == F::ftExtended || t == F::ftSingle;
}
bool IsTemporal(F t) {
  return t == F::ftDate || t == F::ftTime || t == F::ftDateTime || t == F::ftTimeStamp || t == F::ftTimeStampOffset;
}
bool IsBlob(F t) {
  return (t >= F::ftBlob && t <= F::ftTypedBinary) || t == F::ftOraBlob || t == F::ftOraClob || t == F::ftWideMemo;
}

bool Same(std::u16string_view a, const char16_t* b) { return core::SameText(a, b); }

bool IsConst(const TExprNode* n) { return n->FKind == K::enConst; }

const char16_t* const kFunctions[] = {u"UPPER", u"LOWER", u"SUBSTRING", u"TRIM",   u"TRIMLEFT", u"TRIMRIGHT", u"YEAR",
                                      u"MONTH", u"DAY",   u"HOUR",      u"MINUTE", u"SECOND",   u"GETDATE",   u"DATE",
                                      u"TIME",  u"SUM",   u"MIN",       u"MAX",    u"AVG",      u"COUNT"};

bool IsFunctionName(std::u16string_view w) {
  for (const char16_t* f : kFunctions)
    if (Same(w, f)) return true;
  return false;
}

}  // namespace

TExprParser::TExprParser(const IFilterFieldSource& source, bool unicodeEnabled, TFieldMap fieldMap,
                         const std::u16string& fieldName, TParserOptions parserOptions, TFilterOptions options,
                         const std::u16string& text, char16_t decimalSeparator)
    : FSource(source),
      FUnicodeEnabled(unicodeEnabled),
      FFieldMap(fieldMap ? fieldMap : DefaultFieldMap),
      FDecimalSeparator(decimalSeparator),
      FFieldName(fieldName),
      FParserOptions(parserOptions),
      FOptions(options) {
  if (!text.empty()) SetExprParams(text, options, parserOptions, fieldName);
}

void TExprParser::SetExprParams(const std::u16string& text, TFilterOptions options, TParserOptions parserOptions,
                                const std::u16string& fieldName) {
  FFilterData.clear();
  FDependentFields.clear();
  FText = text;
  FOptions = options;
  FParserOptions = parserOptions;
  FFieldName = fieldName;
  FNesting = 0;
  FFilter = std::make_unique<TFilterExpr>(FSource, FFieldMap, options, parserOptions, fieldName, FUnicodeEnabled);
  FFilter->DecimalSeparator = FDecimalSeparator;
  FLexer = std::make_unique<TExprLexer>(FText, FDecimalSeparator);

  FLexer->NextToken();
  TExprNode* root = ParseOr();
  if (FLexer->Token() != T::etEnd) Error(filtermsg::BadTermination);
  const bool aggregate = parserOptions.Contains(TParserOption::poAggregate);
  if (aggregate && root->FScopeKind != TExprScopeKind::skAgg) Error(filtermsg::NotAggregate);
  if (!aggregate && root->FScopeKind == TExprScopeKind::skAgg) Error(filtermsg::NoAggregates);
  if (parserOptions.Contains(TParserOption::poDefaultExpr)) {
    TExprNode* field = FieldNode(fieldName);
    const F ft = field->FDataType;
    if (IsConst(root) && IsString(root->FDataType) && (IsTemporal(ft) || ft == F::ftBoolean)) {
      root->FDataType = ft;
      root->FDataSize = field->FDataSize;
    }
    const F rt = root->FDataType;
    const bool fits = (IsTemporal(rt) && IsTemporal(ft)) || (IsNumeric(rt) && IsNumeric(ft)) ||
                      (IsString(rt) && IsString(ft)) || (rt == F::ftBoolean && ft == F::ftBoolean);
    if (!fits) Error(filtermsg::TypeMismatch);
    TExprNode* assign = Node(K::enOperator, coASSIGN, core::Variant(), root, field);
    assign->FDataType = ft;
    root = assign;
  } else if (!aggregate && root->FDataType != F::ftBoolean) {
    Error(filtermsg::NotBoolean);
  }
  CheckFields(root, aggregate);
  FFilterData = FFilter->GetFilterData(root);
}

void TExprParser::CheckFields(TExprNode* node, bool inAggregate) {
  if (!node) return;
  if (node->FKind == K::enField && inAggregate && node->FField.FieldKind == TFieldKind::fkCalculated)
    Error(filtermsg::CalcInAggregate, core::ToUtf8(node->FField.FieldName));
  CheckFields(node->FLeft, inAggregate);
  CheckFields(node->FRight, inAggregate);
  for (TExprNode* a : node->FArgs) CheckFields(a, inAggregate);
}

void TExprParser::Enter() {
  if (++FNesting > MaxNesting) Error(filtermsg::TooDeep);
}

TExprNode* TExprParser::Node(TExprNodeKind kind, TCANOperator op, const core::Variant& data, TExprNode* left,
                             TExprNode* right) {
  TExprNode* n = FFilter->NewNode(kind, op, data, left, right);
  if (n->FDepth > MaxTreeDepth) Error(filtermsg::TooDeep);
  return n;
}

void TExprParser::SetScope(TExprNode* node, TExprNode* left, TExprNode* right) {
  using S = TExprScopeKind;
  const S l = left->FScopeKind;
  const S r = right ? right->FScopeKind : l;
  if ((l == S::skAgg && r == S::skField) || (l == S::skField && r == S::skAgg)) Error(filtermsg::MixedScope);
  if (l == S::skConst && r == S::skConst) node->FScopeKind = S::skConst;
  else if (l == S::skAgg || r == S::skAgg) node->FScopeKind = S::skAgg;
  else node->FScopeKind = S::skField;
}

TExprNode* TExprParser::ParseOr() {
  TExprNode* left = ParseAnd();
  while (FLexer->Token() == T::etSymbol && Same(FLexer->TokenString(), u"OR")) {
    FLexer->NextToken();
    TExprNode* right = ParseAnd();
    TExprNode* n = Node(K::enOperator, coOR, core::Variant(), left, right);
    n->FDataType = F::ftBoolean;
    SetScope(n, left, right);
    left = n;
  }
  return left;
}

TExprNode* TExprParser::ParseAnd() {
  TExprNode* left = ParseNot();
  while (FLexer->Token() == T::etSymbol && Same(FLexer->TokenString(), u"AND")) {
    FLexer->NextToken();
    TExprNode* right = ParseNot();
    TExprNode* n = Node(K::enOperator, coAND, core::Variant(), left, right);
    n->FDataType = F::ftBoolean;
    SetScope(n, left, right);
    left = n;
  }
  return left;
}

TExprNode* TExprParser::ParseNot() {
  if (FLexer->Token() == T::etSymbol && Same(FLexer->TokenString(), u"NOT")) {
    FLexer->NextToken();
    Enter();
    TExprNode* operand = ParseNot();
    Leave();
    TExprNode* n = Node(K::enOperator, coNOT, core::Variant(), operand, nullptr);
    n->FDataType = F::ftBoolean;
    n->FScopeKind = operand->FScopeKind;
    return n;
  }
  return ParseComparison();
}

TExprNode* TExprParser::ParseComparison() {
  TExprNode* left = ParseSum();
  TCANOperator op = coNOTDEFINED;
  switch (FLexer->Token()) {
    case T::etEQ: op = coEQ; break;
    case T::etNE: op = coNE; break;
    case T::etGE: op = coGE; break;
    case T::etLE: op = coLE; break;
    case T::etGT: op = coGT; break;
    case T::etLT: op = coLT; break;
    case T::etLIKE: op = coLIKE; break;
    case T::etISNULL:
    case T::etISNOTNULL: {
      TExprNode* n = Node(K::enOperator, FLexer->Token() == T::etISNULL ? coISBLANK : coNOTBLANK, core::Variant(),
                          left, nullptr);
      n->FDataType = F::ftBoolean;
      n->FScopeKind = left->FScopeKind;
      FLexer->NextToken();
      return n;
    }
    case T::etIN: return ParseInList(left);
    default: return left;
  }
  FLexer->NextToken();
  TExprNode* right = ParseSum();
  TExprNode* n = Node(K::enOperator, op, core::Variant(), left, right);
  TypeRelation(n);
  return n;
}

TExprNode* TExprParser::ParseInList(TExprNode* left) {
  FLexer->NextToken();
  if (FLexer->Token() != T::etLParen) Error(filtermsg::LParenExpected, FLexer->TokenName());
  FLexer->NextToken();
  if (FLexer->Token() == T::etRParen) Error(filtermsg::EmptyInList);
  TExprNode* n = Node(K::enOperator, coIN, core::Variant(), left, nullptr);
  n->FDataType = F::ftBoolean;
  n->FScopeKind = left->FScopeKind;
  Enter();
  for (;;) {
    TExprNode* e = ParseOr();
    const F lt = left->FDataType;
    if (IsConst(e) && !core::VarIsNull(e->FData)) {
      if (IsTemporal(lt)) e->FDataType = lt;
      else if (IsWide(lt) && Is8Bit(e->FDataType)) e->FDataType = F::ftWideString;
    }
    SetScope(n, n, e);
    n->FArgs.push_back(e);
    if (e->FDepth + 1 > n->FDepth) n->FDepth = e->FDepth + 1;
    if (n->FDepth > MaxTreeDepth) Error(filtermsg::TooDeep);
    if (FLexer->Token() == T::etComma) {
      FLexer->NextToken();
      continue;
    }
    if (FLexer->Token() == T::etRParen) break;
    if (FLexer->Token() == T::etEnd) Error(filtermsg::RParenExpected, FLexer->TokenName());
    Error(filtermsg::RParenOrCommaExpected, FLexer->TokenName());
  }
  Leave();
  FLexer->NextToken();
  return n;
}

TExprNode* TExprParser::ParseSum() {
  TExprNode* left = ParseProduct();
  while (FLexer->Token() == T::etADD || FLexer->Token() == T::etSUB) {
    if (!FParserOptions.Contains(TParserOption::poExtSyntax)) Error(filtermsg::NoArithmetic);
    const TCANOperator op = FLexer->Token() == T::etADD ? coADD : coSUB;
    FLexer->NextToken();
    TExprNode* right = ParseProduct();
    TExprNode* n = Node(K::enOperator, op, core::Variant(), left, right);
    TypeArithmetic(n);
    left = n;
  }
  return left;
}

TExprNode* TExprParser::ParseProduct() {
  TExprNode* left = ParsePrimary();
  while (FLexer->Token() == T::etMUL || FLexer->Token() == T::etDIV) {
    if (!FParserOptions.Contains(TParserOption::poExtSyntax)) Error(filtermsg::NoArithmetic);
    const TCANOperator op = FLexer->Token() == T::etMUL ? coMUL : coDIV;
    FLexer->NextToken();
    TExprNode* right = ParsePrimary();
    TExprNode* n = Node(K::enOperator, op, core::Variant(), left, right);
    TypeArithmetic(n);
    left = n;
  }
  return left;
}

bool TExprParser::NextIsLParen() const {
  const std::u16string_view text = FLexer->Text();
  std::size_t i = FLexer->SourcePos();
  while (i < text.size() && text[i] >= 1 && text[i] <= 32) ++i;
  return i < text.size() && text[i] == u'(';
}

TExprNode* TExprParser::ParsePrimary() {
  switch (FLexer->Token()) {
    case T::etSymbol: {
      const std::u16string word = FLexer->TokenString();
      if (IsFunctionName(word) && NextIsLParen()) {
        if (!FParserOptions.Contains(TParserOption::poExtSyntax)) Error(filtermsg::NoArithmetic);
        return ParseFunction(word);
      }
      if (Same(word, u"NULL")) {
        TExprNode* n = Node(K::enConst, coNOTDEFINED, core::Null(), nullptr, nullptr);
        n->FScopeKind = TExprScopeKind::skConst;
        FLexer->NextToken();
        return n;
      }
      const bool isTrue = Same(word, u"TRUE") || Same(word, filtermsg::WordTrue);
      if (isTrue || Same(word, u"FALSE") || Same(word, filtermsg::WordFalse)) {
        TExprNode* n = Node(K::enConst, coNOTDEFINED, core::Variant(isTrue), nullptr, nullptr);
        n->FDataType = F::ftBoolean;
        n->FScopeKind = TExprScopeKind::skConst;
        FLexer->NextToken();
        return n;
      }
      TExprNode* n = FieldNode(word);
      FLexer->NextToken();
      return n;
    }
    case T::etName: {
      TExprNode* n = FieldNode(FLexer->TokenString());
      FLexer->NextToken();
      return n;
    }
    case T::etLiteral: {
      TExprNode* n = Node(K::enConst, coNOTDEFINED, core::Variant(FLexer->TokenString()), nullptr, nullptr);
      n->FNumericLit = FLexer->NumericLit();
      n->FDataType = n->FNumericLit ? F::ftFloat : F::ftString;
      n->FDataSize = n->FNumericLit ? 0 : static_cast<int>(FLexer->TokenString().size());
      n->FScopeKind = TExprScopeKind::skConst;
      FLexer->NextToken();
      return n;
    }
    case T::etLParen: {
      Enter();
      FLexer->NextToken();
      TExprNode* n = ParseOr();
      if (FLexer->Token() != T::etRParen) Error(filtermsg::RParenExpected, FLexer->TokenName());
      FLexer->NextToken();
      Leave();
      return n;
    }
    default:
      Error(filtermsg::ExpressionExpected, FLexer->TokenName());
  }
}

TExprNode* TExprParser::ParseFunction(const std::u16string& name) {
  using S = TExprScopeKind;
  FLexer->NextToken();  // "("
  FLexer->NextToken();
  const std::u16string upper = core::UpperCase(name);
  std::u16string written = name;
  std::vector<TExprNode*> args;
  if (upper == u"COUNT" && FLexer->Token() == T::etMUL) {
    FLexer->NextToken();
    if (FLexer->Token() != T::etRParen) Error(filtermsg::RParenExpected, FLexer->TokenName());
    written = u"COUNT(*)";
  } else if (FLexer->Token() != T::etRParen) {
    Enter();
    for (;;) {
      args.push_back(ParseOr());
      if (FLexer->Token() == T::etComma) {
        FLexer->NextToken();
        continue;
      }
      if (FLexer->Token() == T::etRParen) break;
      Error(filtermsg::RParenOrCommaExpected, FLexer->TokenName());
    }
    Leave();
  }
  FLexer->NextToken();  // past ")"
  TExprNode* n = Node(K::enFunc, coFUNC2, core::Variant(written), nullptr, nullptr);
  for (TExprNode* a : args)
    if (a->FDepth + 1 > n->FDepth) n->FDepth = a->FDepth + 1;
  if (n->FDepth > MaxTreeDepth) Error(filtermsg::TooDeep);
  n->FArgs = args;
  const bool countAll = written == u"COUNT(*)";
  if (args.empty() && !countAll && upper != u"GETDATE") Error(filtermsg::TypeMismatch);
  const F first = args.empty() ? F::ftUnknown : args[0]->FDataType;
  n->FScopeKind = args.empty() ? S::skConst : args[0]->FScopeKind;
  if (upper == u"SUM" || upper == u"AVG") {
    n->FDataType = F::ftFloat;
    n->FScopeKind = S::skAgg;
  } else if (upper == u"MIN" || upper == u"MAX") {
    n->FDataType = first;
    n->FDataSize = args[0]->FDataSize;
    n->FScopeKind = S::skAgg;
  } else if (upper == u"COUNT") {
    n->FDataType = F::ftInteger;
    n->FScopeKind = S::skAgg;
  } else if (upper == u"YEAR" || upper == u"MONTH" || upper == u"DAY" || upper == u"HOUR" || upper == u"MINUTE" ||
             upper == u"SECOND") {
    n->FDataType = F::ftInteger;
  } else if (upper == u"GETDATE") {
    n->FDataType = F::ftDateTime;
    n->FScopeKind = S::skConst;
  } else if (upper == u"DATE") {
    n->FDataType = F::ftDate;
  } else if (upper == u"TIME") {
    n->FDataType = F::ftTime;
  } else {  // UPPER, LOWER, SUBSTRING, TRIM...
    n->FDataType = first;
    n->FDataSize = args[0]->FDataSize;
    if (upper.rfind(u"TRIM", 0) == 0 && args.size() == 2) args[1]->FDataType = first;
  }
  return n;
}

TExprNode* TExprParser::FieldNode(const std::u16string& name) {
  TFilterFieldInfo info;
  bool found = false;
  if (FParserOptions.Contains(TParserOption::poFieldNameGiven)) {
    found = FSource.FindField(FFieldName, info);
  } else {
    if (FParserOptions.Contains(TParserOption::poUseOrigNames)) {
      for (const auto& f : FSource.AllFields()) {
        const std::u16string& o = f.Origin;
        const auto dot = o.rfind(u'.');
        if (!o.empty() && (core::SameText(o, name) ||
                           (dot != std::u16string::npos && core::SameText(std::u16string_view(o).substr(dot + 1), name)))) {
          info = f;
          found = true;
          break;
        }
      }
    }
    if (!found) found = FSource.FindField(name, info);
  }
  if (!found) Error(filtermsg::FieldNotFound, core::ToUtf8(name));
  // The blob names the field as written, or by its own name when the
  // reference went through an origin.
  const bool viaOrigin = !core::SameText(info.FieldName, name);
  TExprNode* n = Node(K::enField, coNOTDEFINED, core::Variant(viaOrigin ? info.FieldName : name), nullptr, nullptr);
  n->FDataType = info.DataType;
  n->FDataSize = info.Size;
  n->FScopeKind = TExprScopeKind::skField;
  n->FField = info;
  if (FParserOptions.Contains(TParserOption::poFieldDepend) && info.FieldNo >= 1) {
    if (FDependentFields.size() < static_cast<std::size_t>(info.FieldNo)) FDependentFields.resize(info.FieldNo, false);
    FDependentFields[static_cast<std::size_t>(info.FieldNo - 1)] = true;
  }
  return n;
}

namespace {

// A constant meets the type of the other side of a relation.
void Settle(TExprNode* c, const TExprNode* other, char16_t sep) {
  const F to = other->FDataType;
  if (core::VarIsNull(c->FData)) {
    c->FDataType = to;
    c->FDataSize = other->FDataSize;
    return;
  }
  if (std::holds_alternative<bool>(c->FData)) {
    if (to != F::ftBoolean) Error(filtermsg::TypeMismatch);
    return;
  }
  const std::u16string text = core::VarToStr(c->FData);
  double number = 0;
  if ((IsInteger(to) || to == F::ftBCD || to == F::ftFMTBcd) && ParseNumber(text, sep, number)) {
    // A number the field's type cannot hold exactly stays a float, so that
    // codigo = 10.5 matches nothing instead of 10 or 11.
    const int scale = IsInteger(to) ? 0 : other->FDataSize;
    if (!FitsScale(text, sep, scale)) {
      c->FDataType = F::ftFloat;
      return;
    }
  }
  c->FDataType = to;
  c->FDataSize = other->FDataSize;
}

}  // namespace

void TExprParser::TypeRelation(TExprNode* n) {
  TExprNode* l = n->FLeft;
  TExprNode* r = n->FRight;
  const TCANOperator op = n->FOperator;
  if (IsBlob(l->FDataType)) {
    if (op != coLIKE) Error(filtermsg::TypeMismatch);
    if (IsConst(r)) r->FDataType = l->FDataType == F::ftWideMemo ? F::ftWideString : F::ftString;
  } else {
    if (IsBlob(r->FDataType) || l->FDataType == F::ftBytes || r->FDataType == F::ftBytes)
      Error(filtermsg::TypeMismatch);
    if (op == coLIKE && !IsString(l->FDataType) && !IsConst(l)) Error(filtermsg::TypeMismatch);
    if (IsConst(r) && !IsConst(l)) Settle(r, l, FDecimalSeparator);
    else if (IsConst(l) && !IsConst(r)) Settle(l, r, FDecimalSeparator);
  }
  n->FDataType = F::ftBoolean;
  SetScope(n, l, r);
}

void TExprParser::TypeArithmetic(TExprNode* n) {
  TExprNode* l = n->FLeft;
  TExprNode* r = n->FRight;
  const bool add = n->FOperator == coADD, sub = n->FOperator == coSUB;
  F lt = l->FDataType;
  const F rt = r->FDataType;
  if (IsConst(l) && IsString(lt) && !l->FNumericLit && IsNumeric(rt) && (add || sub)) {
    l->FDataType = lt = F::ftDateTime;  // a quoted date plus or minus days
  }
  F result = F::ftUnknown;
  if (IsNumeric(lt) && IsNumeric(rt)) result = F::ftFloat;
  else if (add && Is8Bit(lt) && Is8Bit(rt)) result = F::ftString;
  else if (add && IsWide(lt) && IsWide(rt)) result = F::ftWideString;
  else if (add && IsTemporal(lt) && IsNumeric(rt)) result = F::ftDateTime;
  else if (sub && IsTemporal(lt) && IsNumeric(rt)) result = lt;
  else if (sub && IsTemporal(lt) && IsTemporal(rt)) result = F::ftFloat;
  else if (sub && IsConst(l) && IsString(lt) && IsTemporal(rt)) {
    l->FDataType = rt;
    result = F::ftFloat;
  } else if (add && (IsWide(lt) || IsWide(rt))) {
    if (IsConst(l)) l->FDataType = F::ftWideString;
    if (IsConst(r)) r->FDataType = F::ftWideString;
    result = F::ftWideString;
  } else {
    Error(filtermsg::TypeMismatch);
  }
  n->FDataType = result;
  SetScope(n, l, r);
}

}  // namespace data
