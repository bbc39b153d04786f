// TExprParser: filter, locate, constraint and default-value text to an
// engine expression blob, checking field names and types on the way.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/filter/filter_expr.h"
#include "data/filter/filter_lexer.h"

namespace data {

class TExprParser {
 public:
  // Limits on nesting (parentheses, NOT, function arguments, IN lists) and
  // on the depth of the resulting tree; beyond them "Filter expression
  // nested too deeply".
  static constexpr int MaxNesting = 64;
  static constexpr int MaxTreeDepth = 128;

  // Builds the blob at once when `text` is not empty. Raises EDatabaseError.
  TExprParser(const IFilterFieldSource& source, bool unicodeEnabled, TFieldMap fieldMap,
              const std::u16string& fieldName, TParserOptions parserOptions, TFilterOptions options,
              const std::u16string& text, char16_t decimalSeparator = u'.');

  // Parses another text with the same parser.
  void SetExprParams(const std::u16string& text, TFilterOptions options, TParserOptions parserOptions,
                     const std::u16string& fieldName);

  const std::vector<std::uint8_t>& FilterData() const { return FFilterData; }
  int DataSize() const { return static_cast<int>(FFilterData.size()); }
  // Bit (field number - 1) set for every field read (with poFieldDepend).
  const std::vector<bool>& DependentFields() const { return FDependentFields; }

 private:
  TExprNode* ParseOr();
  TExprNode* ParseAnd();
  TExprNode* ParseNot();
  TExprNode* ParseComparison();
  TExprNode* ParseSum();
  TExprNode* ParseProduct();
  TExprNode* ParsePrimary();
  TExprNode* ParseFunction(const std::u16string& name);
  TExprNode* ParseInList(TExprNode* left);
  TExprNode* FieldNode(const std::u16string& name);
  TExprNode* Node(TExprNodeKind kind, TCANOperator op, const core::Variant& data, TExprNode* left, TExprNode* right);
  void TypeRelation(TExprNode* node);
  void TypeArithmetic(TExprNode* node);
  void SetScope(TExprNode* node, TExprNode* left, TExprNode* right);
  void CheckFields(TExprNode* node, bool inAggregate);
  bool NextIsLParen() const;
  void Enter();
  void Leave() { --FNesting; }

  const IFilterFieldSource& FSource;
  bool FUnicodeEnabled;
  TFieldMap FFieldMap;
  char16_t FDecimalSeparator;
  std::u16string FText;
  std::u16string FFieldName;
  TParserOptions FParserOptions;
  TFilterOptions FOptions;
  std::unique_ptr<TFilterExpr> FFilter;
  std::unique_ptr<TExprLexer> FLexer;
  std::vector<std::uint8_t> FFilterData;
  std::vector<bool> FDependentFields;
  int FNesting = 0;
};

}  // namespace data
