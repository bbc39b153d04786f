#pragma once
// Variant: the dynamically typed value of fields, properties and lookups.
// Unassigned (empty) and Null are distinct; dates keep their own alternative
// so that they print and compare as dates.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "core/datetime.h"

namespace core {

struct VarNull {
    friend bool operator==(VarNull, VarNull) { return true; }
};
struct VarDate {
    TDateTime Value = 0;
    friend bool operator==(VarDate a, VarDate b) { return a.Value == b.Value; }
};
using Bytes = std::vector<uint8_t>;

using Variant = std::variant<std::monostate, VarNull, bool, int32_t, int64_t, double, VarDate, std::u16string, Bytes,
                             std::vector<struct VariantBox>>;

// A variant array element (boxing breaks the recursive definition).
struct VariantBox {
    Variant Value;
    friend bool operator==(const VariantBox& a, const VariantBox& b) { return a.Value == b.Value; }
};
using VariantArray = std::vector<VariantBox>;

inline Variant Null() { return VarNull{}; }
inline bool VarIsEmpty(const Variant& v) { return std::holds_alternative<std::monostate>(v); }
inline bool VarIsNull(const Variant& v) { return std::holds_alternative<VarNull>(v); }
inline bool VarIsClear(const Variant& v) { return VarIsEmpty(v) || VarIsNull(v); }
inline bool VarIsArray(const Variant& v) { return std::holds_alternative<VariantArray>(v); }
VariantArray VarArrayOf(std::initializer_list<Variant> items);

// Conversions raise EConvertError "Could not convert variant of type (%s) into type (%s)"
// when the value cannot be represented.
std::u16string VarToStr(const Variant& v); // Null and Unassigned give ""
int64_t VarToInt64(const Variant& v);
double VarToDouble(const Variant& v);
bool VarToBool(const Variant& v);
const char* VarTypeName(const Variant& v);

} // namespace core
