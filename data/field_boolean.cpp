#include "data/field_boolean.h"

#include <algorithm>
#include <cstring>

#include "data/db_error.h"

namespace data {

TBooleanField::TBooleanField(components::TComponent* owner) : TField(owner)
{
    SetDataTypeInit(TFieldType::ftBoolean);
}

void TBooleanField::SetDisplayValues(const std::u16string& value)
{
    if (value == FDisplayValues)
        return;
    FDisplayValues = value;
    if (value.empty()) {
        FTextValues[0] = u"False";
        FTextValues[1] = u"True";
    } else {
        const size_t semi = value.find(u';');
        FTextValues[1] = value.substr(0, semi);
        FTextValues[0] = semi == std::u16string::npos ? std::u16string() : value.substr(semi + 1);
    }
    PropertyChanged(true);
}

bool TBooleanField::GetValue(bool& value) const
{
    uint8_t* buf = IOBuffer(2);
    if (!GetData(buf))
        return false;
    // Any non-zero stored value counts as true.
    value = buf[0] != 0 || buf[1] != 0;
    return true;
}

bool TBooleanField::GetAsBoolean() const
{
    bool v = false;
    return GetValue(v) && v;
}

std::u16string TBooleanField::GetAsString() const
{
    bool v = false;
    if (!GetValue(v))
        return {};
    return FTextValues[v ? 1 : 0];
}

core::Variant TBooleanField::GetAsVariant() const
{
    bool v = false;
    if (!GetValue(v))
        return core::Null();
    return v;
}

int TBooleanField::GetDefaultWidth() const
{
    return static_cast<int>(std::max(FTextValues[0].size(), FTextValues[1].size()));
}

void TBooleanField::SetAsBoolean(bool value)
{
    uint8_t* buf = IOBuffer(2);
    const uint16_t stored = value ? 1 : 0;
    std::memcpy(buf, &stored, 2);
    SetData(buf);
}

void TBooleanField::SetAsString(const std::u16string& value)
{
    if (value.empty()) {
        if (FTextValues[0].empty())
            SetAsBoolean(false);
        else if (FTextValues[1].empty())
            SetAsBoolean(true);
        else
            Clear();
        return;
    }
    for (int b = 0; b < 2; ++b) {
        const std::u16string& text = FTextValues[b];
        if (value.size() <= text.size() && core::SameText(value, std::u16string_view(text).substr(0, value.size()))) {
            SetAsBoolean(b == 1);
            return;
        }
    }
    DatabaseErrorFmt(nullptr, "'{}' is not a valid boolean value for field '{}'", core::ToUtf8(value),
                     core::ToUtf8(DisplayName()));
}

void TBooleanField::SetVarValue(const core::Variant& value)
{
    if (const auto* s = std::get_if<std::u16string>(&value)) {
        SetAsString(*s);
        return;
    }
    bool v = false;
    try {
        v = core::VarToBool(value);
    } catch (const core::Exception&) {
        InvalidValueError();
    }
    SetAsBoolean(v);
}

// clang-format off
DEFINE_CLASS(TBooleanField)
    .Property(u"DisplayValues", &TBooleanField::DisplayValues, &TBooleanField::SetDisplayValues)
        .Stored(&TBooleanField::HasDisplayValues)
END_CLASS
// clang-format on

} // namespace data
