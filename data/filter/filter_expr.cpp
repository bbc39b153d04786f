// Writing the parsed tree as an expression blob.
#include "data/filter/filter_expr.h"

#include "data/db_error.h"
#include "data/filter/filter_constants.h"
#include "data/filter/filter_messages.h"
#include "engine/dstypes.h"

namespace data {

using namespace engine::expr;

namespace {

template <class... Args>
[[noreturn]] void Error(const char* templ, Args&&... args) {
  throw EDatabaseError(core::Format(fmt::runtime(templ), std::forward<Args>(args)...));
}

bool IsStringType(TFieldType t) {
  using F = TFieldType;
  return t == F::ftString || t == F::ftFixedChar || t == F::ftWideString || t == F::ftGuid || t == F::ftFixedWideChar;
}

TCANOperator Mirror(TCANOperator op) {
  switch (op) {
    case coGT: return coLT;
    case coLT: return coGT;
    case coGE: return coLE;
    case coLE: return coGE;
    default: return op;
  }
}

}  // namespace

std::int32_t DefaultFieldMap(TFieldType type) {
  using F = TFieldType;
  using namespace engine;
  switch (type) {
    case F::ftString: case F::ftFixedChar: case F::ftGuid: case F::ftOraInterval: return fldZSTRING;
    case F::ftSmallint: return fldINT16;
    case F::ftInteger: case F::ftAutoInc: return fldINT32;
    case F::ftWord: return fldUINT16;
    case F::ftBoolean: return fldBOOL;
    case F::ftFloat: case F::ftCurrency: return fldFLOAT;
    case F::ftBCD: return fldBCD;
    case F::ftDate: return fldDATE;
    case F::ftTime: return fldTIME;
    case F::ftDateTime: return fldTIMESTAMP;
    case F::ftBytes: return fldBYTES;
    case F::ftVarBytes: return fldVARBYTES;
    case F::ftBlob: case F::ftMemo: case F::ftGraphic: case F::ftFmtMemo: case F::ftParadoxOle:
    case F::ftDBaseOle: case F::ftTypedBinary: case F::ftOraBlob: case F::ftOraClob: case F::ftWideMemo:
      return fldBLOB;
    case F::ftCursor: return fldCURSOR;
    case F::ftWideString: case F::ftFixedWideChar: return fldWIDESTRING;
    case F::ftLargeint: return fldINT64;
    case F::ftADT: return fldADT;
    case F::ftArray: return fldARRAY;
    case F::ftReference: return fldREF;
    case F::ftDataSet: return fldTABLE;
    case F::ftTimeStamp: case F::ftOraTimeStamp: return fldDATETIME;
    case F::ftFMTBcd: return fldFMTBCD;
    case F::ftLongWord: return fldUINT32;
    case F::ftShortint: return fldINT8;
    case F::ftByte: return fldUINT8;
    case F::ftExtended: return fldFLOATIEEE;
    case F::ftTimeStampOffset: return fldDATETIMEOFFSET;
    case F::ftSingle: return fldSINGLE;
    default: return fldUNKNOWN;
  }
}

TFilterExpr::TFilterExpr(const IFilterFieldSource& source, TFieldMap fieldMap, TFilterOptions options,
                         TParserOptions parserOptions, std::u16string fieldName, bool unicodeEnabled)
    : FSource(source),
      FFieldMap(fieldMap ? fieldMap : DefaultFieldMap),
      FOptions(options),
      FParserOptions(parserOptions),
      FFieldName(std::move(fieldName)),
      FUnicodeEnabled(unicodeEnabled) {}

TExprNode* TFilterExpr::NewNode(TExprNodeKind kind, TCANOperator op, const core::Variant& data, TExprNode* left,
                                TExprNode* right) {
  auto node = std::make_unique<TExprNode>();
  node->FKind = kind;
  node->FOperator = op;
  node->FData = data;
  node->FLeft = left;
  node->FRight = right;
  int depth = 0;
  if (left) depth = left->FDepth;
  if (right && right->FDepth > depth) depth = right->FDepth;
  node->FDepth = depth + 1;
  FNodes.push_back(std::move(node));
  return FNodes.back().get();
}

std::vector<std::uint8_t> TFilterExpr::GetFilterData(TExprNode* root) {
  FBuilder = BlobBuilder();
  PutNode(root, true);
  std::vector<std::uint8_t> out;
  if (FBuilder.Finish(out, false) != engine::DBERR_NONE) Error(filtermsg::TooLong);
  return out;
}

std::uint16_t TFilterExpr::PutField(TExprNode* node) {
  const TFilterFieldInfo& f = node->FField;
  if (f.FieldKind != TFieldKind::fkData && f.FieldKind != TFieldKind::fkInternalCalc &&
      !FParserOptions.Contains(TParserOption::poAggregate))
    Error(filtermsg::FieldNotUsable, core::ToUtf8(f.FieldName));
  const std::uint16_t at = FBuilder.AddNode(nodeFIELD, coFIELD2, 2);
  FBuilder.SetOperand(at, 0, static_cast<std::uint16_t>(f.FieldNo));
  // The name as written (the field's own name when the reference was
  // resolved through FieldName or an origin), zero-padded to 257 bytes.
  const std::u16string written =
      FParserOptions.Contains(TParserOption::poFieldNameGiven) ? f.FieldName : core::VarToStr(node->FData);
  std::string name = FUnicodeEnabled ? core::ToUtf8(written) : FSource.TranslateToStored(written);
  if (name.size() < 257) name.resize(257, '\0');
  else name.push_back('\0');
  FBuilder.SetOperand(at, 1, FBuilder.AddLiteral(name.data(), name.size()));
  return at;
}

std::uint16_t TFilterExpr::PutConstant(TExprNode* node) {
  std::int32_t type = 0;
  const std::vector<std::uint8_t> value = EncodeConstant(*node, FSource, FFieldMap, DecimalSeparator, type);
  if (value.size() > 0xFFFF) Error(filtermsg::TooLong);
  const std::uint16_t at = FBuilder.AddNode(nodeCONST, coCONST2, 3);
  FBuilder.SetOperand(at, 0, static_cast<std::uint16_t>(type));
  FBuilder.SetOperand(at, 1, static_cast<std::uint16_t>(value.size()));
  if (!value.empty()) FBuilder.SetOperand(at, 2, FBuilder.AddLiteral(value.data(), value.size()));
  return at;
}

std::uint16_t TFilterExpr::PutBoolFalse() {
  const std::uint16_t at = FBuilder.AddNode(nodeCONST, coCONST2, 3);
  const std::uint16_t no = 0;
  FBuilder.SetOperand(at, 0, static_cast<std::uint16_t>(engine::fldBOOL));
  FBuilder.SetOperand(at, 1, 2);
  FBuilder.SetOperand(at, 2, FBuilder.AddLiteral(&no, 2));
  return at;
}

std::uint16_t TFilterExpr::PutChain(const std::vector<TExprNode*>& items) {
  std::uint16_t first = 0, prev = 0;
  for (TExprNode* item : items) {
    const std::uint16_t elem = FBuilder.AddNode(nodeLISTELEM, coLISTELEM2, 2);
    if (prev == 0 && first == 0) first = elem;
    else FBuilder.SetOperand(prev, 1, elem);
    FBuilder.SetOperand(elem, 0, PutNode(item, false));
    prev = elem;
  }
  return first;
}

std::uint16_t TFilterExpr::PutRelation(TExprNode* node) {
  TExprNode* left = node->FLeft;
  TExprNode* right = node->FRight;
  TCANOperator op = node->FOperator;
  if (left->FKind == TExprNodeKind::enConst && right->FKind == TExprNodeKind::enField) {
    std::swap(left, right);
    op = Mirror(op);
  }
  const bool nullRight = right->FKind == TExprNodeKind::enConst && core::VarIsNull(right->FData);
  if (left->FKind == TExprNodeKind::enField && nullRight) {
    if (op != coEQ && op != coNE) Error(filtermsg::NullOnlyEq);
    const std::uint16_t at = FBuilder.AddNode(nodeUNARY, op == coEQ ? coISBLANK : coNOTBLANK, 1);
    FBuilder.SetOperand(at, 0, PutNode(left, false));
    return at;
  }
  bool caseless = false;
  std::uint16_t partial = 0;
  TExprNode* constant = right;
  std::u16string trimmed;
  const bool stringConst = left->FKind == TExprNodeKind::enField && right->FKind == TExprNodeKind::enConst &&
                           IsStringType(right->FDataType) && std::holds_alternative<std::u16string>(right->FData);
  if (stringConst && (op == coEQ || op == coNE || op == coLIKE)) {
    caseless = FOptions.Contains(TFilterOption::foCaseInsensitive);
    const std::u16string& text = std::get<std::u16string>(right->FData);
    if (!FOptions.Contains(TFilterOption::foNoPartialCompare) && text.size() >= 2 && text.back() == u'*') {
      trimmed = text.substr(0, text.size() - 1);
      std::size_t chars = 0;
      for (std::size_t k = 0; k < trimmed.size(); ++k)
        if (!(trimmed[k] >= 0xDC00 && trimmed[k] <= 0xDFFF)) ++chars;  // a surrogate pair is one character
      partial = static_cast<std::uint16_t>(chars > 0xFFFF ? 0xFFFF : chars);
    }
  }
  if (caseless || partial) {
    const std::uint16_t at = FBuilder.AddNode(nodeCOMPARE, op, 4);
    FBuilder.SetOperand(at, 0, caseless ? 1 : 0);
    FBuilder.SetOperand(at, 1, partial);
    FBuilder.SetOperand(at, 2, PutNode(left, false));
    if (partial) {
      TExprNode copy = *constant;
      copy.FData = trimmed;
      FBuilder.SetOperand(at, 3, PutConstant(&copy));
    } else {
      FBuilder.SetOperand(at, 3, PutNode(constant, false));
    }
    return at;
  }
  const std::uint16_t at = FBuilder.AddNode(nodeBINARY, op, 2);
  FBuilder.SetOperand(at, 0, PutNode(left, false));
  FBuilder.SetOperand(at, 1, PutNode(right, false));
  return at;
}

std::uint16_t TFilterExpr::PutNode(TExprNode* node, bool asCondition) {
  switch (node->FKind) {
    case TExprNodeKind::enField:
      if (asCondition && node->FDataType == TFieldType::ftBoolean) {
        const std::uint16_t at = FBuilder.AddNode(nodeBINARY, coNE, 2);
        FBuilder.SetOperand(at, 0, PutField(node));
        FBuilder.SetOperand(at, 1, PutBoolFalse());
        return at;
      }
      return PutField(node);
    case TExprNodeKind::enConst:
      return PutConstant(node);
    case TExprNodeKind::enFunc: {
      const std::uint16_t at = FBuilder.AddNode(nodeFUNC, coFUNC2, 2);
      const std::string name = core::ToUtf8(core::VarToStr(node->FData));
      FBuilder.SetOperand(at, 0, FBuilder.AddLiteral(name.c_str(), name.size() + 1));
      if (!node->FArgs.empty()) FBuilder.SetOperand(at, 1, PutChain(node->FArgs));
      return at;
    }
    case TExprNodeKind::enOperator:
      break;
  }
  const TCANOperator op = node->FOperator;
  if (op == coISBLANK || op == coNOTBLANK || op == coNOT) {
    const std::uint16_t at = FBuilder.AddNode(nodeUNARY, op, 1);
    FBuilder.SetOperand(at, 0, PutNode(node->FLeft, op == coNOT));
    return at;
  }
  if (op == coIN) {
    const std::uint16_t at = FBuilder.AddNode(nodeBINARY, coIN, 2);
    FBuilder.SetOperand(at, 0, PutNode(node->FLeft, false));
    FBuilder.SetOperand(at, 1, PutChain(node->FArgs));
    return at;
  }
  if (IsRelation(op) || op == coLIKE) return PutRelation(node);
  const bool logic = op == coAND || op == coOR;
  const std::uint16_t at = FBuilder.AddNode(nodeBINARY, op, 2);
  FBuilder.SetOperand(at, 0, PutNode(node->FLeft, logic));
  FBuilder.SetOperand(at, 1, PutNode(node->FRight, logic));
  return at;
}

}  // namespace data
