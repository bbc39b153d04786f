#pragma once
// Failures of the grids and their message texts.
#include "core/exception.h"

namespace grids {

CORE_DECLARE_EXCEPTION(EInvalidGridOperation, core::Exception);
// Leaving an editor whose text does not satisfy its edit mask.
CORE_DECLARE_EXCEPTION(EDBEditError, core::Exception);

inline constexpr const char* SIndexOutOfRange = "Grid index out of range";
inline constexpr const char* STooManyDeleted = "Too many rows or columns deleted";
inline constexpr const char* SGridTooLarge = "Grid too large for operation";
inline constexpr const char* SFixedColTooBig = "Fixed column count must be less than column count";
inline constexpr const char* SFixedRowTooBig = "Fixed row count must be less than row count";
inline constexpr const char* SInvalidInputValue = "Invalid input value.  Use escape key to abandon changes";

[[noreturn]] inline void InvalidOp(const char* message)
{
    throw EInvalidGridOperation(std::string_view(message));
}

} // namespace grids
