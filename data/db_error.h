#pragma once
// EDatabaseError: every failure of the dataset layer. Messages raised on
// behalf of a named component carry its name: "Name: message", or
// "Owner.Name: message" for a named sub-component of a named owner.
#include <string>

#include "core/exception.h"

namespace components {
class TComponent;
}

namespace data {

CORE_DECLARE_EXCEPTION(EDatabaseError, core::Exception);

// The message with the component's name prefixed as described above.
std::u16string ComponentMessage(const std::u16string& message, const components::TComponent* component);

[[noreturn]] void DatabaseError(const std::u16string& message, const components::TComponent* component = nullptr);

// fmt template with UTF-8 arguments, then the prefix of `component`.
template <class... Args>
[[noreturn]] void DatabaseErrorFmt(const components::TComponent* component, fmt::format_string<Args...> templ,
                                   Args&&... args)
{
    DatabaseError(core::Format(templ, std::forward<Args>(args)...), component);
}

// Message texts shared by the dataset, fields and data sources.
namespace msg {
inline constexpr const char16_t* DataSetClosed = u"Cannot perform this operation on a closed dataset";
inline constexpr const char16_t* DataSetOpen = u"Cannot perform this operation on an open dataset";
inline constexpr const char16_t* RecordNotFound = u"Record not found";
inline constexpr const char16_t* DataSetUnidirectional = u"Operation not allowed on a unidirectional dataset";
inline constexpr const char16_t* CircularDataLink = u"Circular datalinks are not allowed";
inline constexpr const char16_t* NotEditing = u"Dataset not in edit or insert mode";
inline constexpr const char16_t* DataSetEmpty = u"Cannot perform this operation on an empty dataset";
inline constexpr const char16_t* DataSetReadOnly = u"Cannot modify a read-only dataset";
inline constexpr const char16_t* DataSourceFixed = u"DataSource cannot be changed";
inline constexpr const char16_t* FieldNameMissing = u"Field name missing";
inline constexpr const char16_t* InvalidFieldSize = u"Invalid field size";
inline constexpr const char16_t* InvalidFieldKind = u"Invalid FieldKind";
} // namespace msg

} // namespace data
