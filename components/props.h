#pragma once
// Reading and writing published properties by name and by path
// ("Font.Name", "TitleFont.Height"). Values travel as text for strings,
// identifiers for enumerations (and colour/charset identifiers where the
// property has a table), "[a,b]" for sets, numbers otherwise.
#include <string>
#include <string_view>

#include "core/variant.h"
#include "components/object.h"
#include "core/exception.h"

namespace components {

// Resolves "A.B.C": every part before the last must be a class property with
// a non-nil value. Raises EPropertyError "Property %s does not exist" /
// "Invalid property path".
struct PropTarget {
    TObject* Instance;
    const PropInfo* Prop;
};
PropTarget ResolvePropPath(TObject* instance, std::u16string_view path);

bool IsPublishedProp(const TObject* instance, std::u16string_view name);
core::Variant GetPropValue(TObject* instance, std::u16string_view path);
void SetPropValue(TObject* instance, std::u16string_view path, const core::Variant& value);

// Enumeration and set identifiers.
std::u16string GetEnumName(const TypeInfo& type, int64_t value);
int64_t GetEnumValue(const TypeInfo& type, std::u16string_view name); // -1 when unknown
std::u16string SetToString(const TypeInfo& type, int64_t bits, bool brackets = true);
int64_t StringToSet(const TypeInfo& type, std::u16string_view text); // raises EPropertyConvertError "Invalid property element: %s"

// True when the property's current value is stored (differs from its default
// and its Stored predicate allows it).
bool IsStoredProp(const TObject* instance, const PropInfo& prop);

CORE_DECLARE_EXCEPTION(EPropertyError, core::Exception);
CORE_DECLARE_EXCEPTION(EPropertyConvertError, core::Exception);

} // namespace components
