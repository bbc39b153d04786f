// Constant values of filter expressions in the engine's storage formats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/filter/filter_expr.h"

namespace data {

// Bytes of the constant `node` (typed by its FDataType) and the engine type
// they carry. Raises EDatabaseError for text that does not convert, values
// outside the type ("Constant out of range") and types without a constant
// form ("Constant is not correct type %s").
std::vector<std::uint8_t> EncodeConstant(const TExprNode& node, const IFilterFieldSource& source,
                                         TFieldMap fieldMap, char16_t decimalSeparator,
                                         std::int32_t& engineType);

// Number text (with the given decimal separator) as a double; false when it
// is no number.
bool ParseNumber(std::u16string_view text, char16_t decimalSeparator, double& out);
// True when the number text has no more than `scale` digits after the
// separator that are not zero (so it fits a decimal of that scale); integral
// numbers have scale 0.
bool FitsScale(std::u16string_view text, char16_t decimalSeparator, int scale);

}  // namespace data
