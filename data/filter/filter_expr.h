// The parsed form of filter text (TExprNode) and its owner TFilterExpr, which
// writes the tree as an engine expression blob.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components/object.h"
#include "core/variant.h"
#include "data/db_types.h"
#include "data/filter/filter_options.h"
#include "engine/expr/expr_builder.h"
#include "engine/expr/expr_codes.h"

namespace data {

using engine::expr::TCANOperator;

enum class TExprNodeKind : std::uint8_t { enField, enConst, enOperator, enFunc };
enum class TExprScopeKind : std::uint8_t { skField, skAgg, skConst };

enum class TParserOption : std::uint8_t {
  poExtSyntax, poAggregate, poDefaultExpr, poUseOrigNames, poFieldNameGiven, poFieldDepend
};
using TParserOptions = components::TSet<TParserOption>;

// What the parser needs to know about one field of the dataset.
struct TFilterFieldInfo {
  int FieldNo = 0;              // 1-based, as the engine numbers the fields
  std::u16string FieldName;     // the field's own name
  TFieldType DataType = TFieldType::ftUnknown;
  int Size = 0;                 // characters of a string, scale of a BCD
  TFieldKind FieldKind = TFieldKind::fkData;
  std::u16string Origin;        // "TABLE.COLUMN" or "COLUMN" the field came from
};

// The dataset side of the parser: field lookup and the storage form of text.
class IFilterFieldSource {
 public:
  virtual ~IFilterFieldSource() = default;
  // The field of that name (letter case ignored); false when there is none.
  virtual bool FindField(std::u16string_view name, TFilterFieldInfo& out) const = 0;
  // All fields, for matching origins.
  virtual std::vector<TFilterFieldInfo> AllFields() const = 0;
  // 8-bit text as the table stores it (the dataset's Translate); UTF-8 here.
  virtual std::string TranslateToStored(std::u16string_view text) const { return core::ToUtf8(text); }
};

// Field type -> engine field type of expression blobs.
using TFieldMap = std::int32_t (*)(TFieldType);
std::int32_t DefaultFieldMap(TFieldType type);

struct TExprNode {
  TExprNodeKind FKind = TExprNodeKind::enConst;
  bool FPartial = false;
  TCANOperator FOperator = engine::expr::coNOTDEFINED;
  core::Variant FData;          // field name, constant (text, bool or Null) or function name
  TExprNode* FLeft = nullptr;
  TExprNode* FRight = nullptr;
  TFieldType FDataType = TFieldType::ftUnknown;
  int FDataSize = 0;
  std::vector<TExprNode*> FArgs;
  TExprScopeKind FScopeKind = TExprScopeKind::skConst;
  // Parser extras: a constant that came from a number, the field it names.
  bool FNumericLit = false;
  TFilterFieldInfo FField;
  int FDepth = 1;               // levels of nodes from here down
};

class TFilterExpr {
 public:
  TFilterExpr(const IFilterFieldSource& source, TFieldMap fieldMap, TFilterOptions options,
              TParserOptions parserOptions, std::u16string fieldName, bool unicodeEnabled);

  TExprNode* NewNode(TExprNodeKind kind, TCANOperator op, const core::Variant& data, TExprNode* left,
                     TExprNode* right);
  // Writes the blob for `root`; raises EDatabaseError on constants that do
  // not convert and on expressions too big for the format.
  std::vector<std::uint8_t> GetFilterData(TExprNode* root);

  TFilterOptions Options() const { return FOptions; }
  TParserOptions ParserOptions() const { return FParserOptions; }
  const IFilterFieldSource& Source() const { return FSource; }
  char16_t DecimalSeparator = u'.';

 private:
  std::uint16_t PutNode(TExprNode* node, bool asCondition);
  std::uint16_t PutField(TExprNode* node);
  std::uint16_t PutConstant(TExprNode* node);
  std::uint16_t PutBoolFalse();
  std::uint16_t PutChain(const std::vector<TExprNode*>& items);
  std::uint16_t PutRelation(TExprNode* node);

  const IFilterFieldSource& FSource;
  TFieldMap FFieldMap;
  TFilterOptions FOptions;
  TParserOptions FParserOptions;
  std::u16string FFieldName;
  bool FUnicodeEnabled;
  std::vector<std::unique_ptr<TExprNode>> FNodes;
  engine::expr::BlobBuilder FBuilder;
};

}  // namespace data
