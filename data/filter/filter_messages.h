// Message texts of the filter expression parser.
#pragma once

namespace data::filtermsg {

inline constexpr const char* InvalidChar = "Invalid filter expression character: '{}'";
inline constexpr const char* UnterminatedString = "Unterminated string constant";
inline constexpr const char* UnterminatedName = "Unterminated field name";
inline constexpr const char* InvalidKeywordUse = "Invalid use of keyword";
inline constexpr const char* ExpressionExpected = "Expression expected but {} found";
inline constexpr const char* LParenExpected = "'(' expected but {} found";
inline constexpr const char* RParenExpected = "')' expected but {} found";
inline constexpr const char* RParenOrCommaExpected = "')' or ',' expected but {} found";
inline constexpr const char* EmptyInList = "IN predicate list may not be empty";
inline constexpr const char* NoArithmetic = "Arithmetic in filter expressions not supported";
inline constexpr const char* TypeMismatch = "Type mismatch in expression";
inline constexpr const char* MixedScope = "Operation cannot mix aggregate value with record-varying value";
inline constexpr const char* BadTermination = "Filter expression incorrectly terminated";
inline constexpr const char* NotAggregate = "Expression is not an aggregate expression";
inline constexpr const char* NoAggregates = "Aggregate expressions not allowed in filters";
inline constexpr const char* NotBoolean = "Incorrectly formed filter expression";
inline constexpr const char* FieldNotFound = "Field '{}' not found";
inline constexpr const char* FieldNotUsable = "Field '{}' cannot be used in a filter expression";
inline constexpr const char* CalcInAggregate =
    "Field '{}' is not the correct type of calculated field to be used in an aggregate, use an internalcalc";
inline constexpr const char* ConstantRange = "Constant out of range";
inline constexpr const char* ConstantType = "Constant is not correct type {}";
inline constexpr const char* NullOnlyEq = "NULL only allowed with '=' and '<>'";
// Limits this parser adds: nesting deep enough to exhaust the stack, and
// expressions that do not fit the 16-bit offsets of the engine's format.
inline constexpr const char* TooDeep = "Filter expression nested too deeply";
inline constexpr const char* TooLong = "Filter expression too long";
// Conversions of constant text.
inline constexpr const char* NotInteger = "'{}' is not a valid integer value";
inline constexpr const char* NotFloat = "'{}' is not a valid floating point value";
inline constexpr const char* NotBool = "'{}' is not a valid boolean value";
inline constexpr const char* NotDate = "'{}' is not a valid date";
inline constexpr const char* NotTime = "'{}' is not a valid time";
inline constexpr const char* NotDateTime = "'{}' is not a valid date and time";

// Message-table words.
inline constexpr const char16_t* WordTrue = u"True";
inline constexpr const char16_t* WordFalse = u"False";
inline constexpr const char* WordNothing = "nothing";

}  // namespace data::filtermsg
