#include "data/field_text.h"

#include <algorithm>
#include <cstring>

#include "data/db_error.h"
#include "data/number_format.h"

namespace data {

using components::TComponent;

// ------------------------------------------------------------ TWideStringField

TWideStringField::TWideStringField(TComponent* owner) : TField(owner)
{
    SetDataTypeInit(TFieldType::ftWideString);
    FSize = 20;
}

void TWideStringField::CheckTypeSize(int value)
{
    // The stored length is 16-bit and counts bytes.
    if (value < 0 || value > 0x7FFE)
        DatabaseError(msg::InvalidFieldSize);
}

std::u16string TWideStringField::GetAsString() const
{
    const size_t size = static_cast<size_t>(GetDataSize());
    uint8_t* buf = IOBuffer(size);
    if (!GetData(buf))
        return {};
    uint16_t bytes;
    std::memcpy(&bytes, buf, 2);
    // Never past the field's own characters, whatever the stored length says.
    const size_t n = std::min<size_t>(bytes / 2, static_cast<size_t>(FSize));
    std::u16string out(n, u'\0');
    std::memcpy(out.data(), buf + 2, n * 2);
    return out;
}

void TWideStringField::SetAsString(const std::u16string& value)
{
    const size_t size = static_cast<size_t>(GetDataSize());
    uint8_t* buf = IOBuffer(size);
    std::memset(buf, 0, size);
    const size_t n = std::min(value.size(), static_cast<size_t>(FSize));
    const auto bytes = static_cast<uint16_t>(n * 2);
    std::memcpy(buf, &bytes, 2);
    std::memcpy(buf + 2, value.data(), n * 2);
    SetData(buf);
}

core::Variant TWideStringField::GetAsVariant() const
{
    if (IsNull())
        return core::Null();
    return GetAsString();
}

void TWideStringField::SetVarValue(const core::Variant& value)
{
    try {
        SetAsString(core::VarToStr(value));
    } catch (const EDatabaseError&) {
        throw;
    } catch (const core::Exception&) {
        InvalidValueError();
    }
}

bool TWideStringField::GetAsBoolean() const
{
    const std::u16string s = GetAsString();
    return !s.empty() && (s[0] == u'T' || s[0] == u't' || s[0] == u'Y' || s[0] == u'y');
}

int32_t TWideStringField::GetAsInteger() const
{
    const std::u16string s = GetAsString();
    int32_t v = 0;
    if (!s.empty() && !TIntegerField::ParseInteger(s, v))
        DatabaseErrorFmt(nullptr, "'{}' is not a valid integer value for field '{}'", core::ToUtf8(s),
                         core::ToUtf8(DisplayName()));
    return v;
}

int64_t TWideStringField::GetAsLargeInt() const { return GetAsInteger(); }

double TWideStringField::GetAsFloat() const
{
    const std::u16string s = GetAsString();
    double v = 0;
    if (!s.empty() && !ParseFloat(s, v))
        DatabaseErrorFmt(nullptr, "'{}' is not a valid floating point value for field '{}'", core::ToUtf8(s),
                         core::ToUtf8(DisplayName()));
    return v;
}

void TWideStringField::SetAsBoolean(bool value) { SetAsString(value ? u"True" : u"False"); }
void TWideStringField::SetAsFloat(double value) { SetAsString(FormatGeneral(value, 15)); }
void TWideStringField::SetAsInteger(int32_t value) { SetAsString(core::IntToStr(value)); }
void TWideStringField::SetAsLargeInt(int64_t value) { SetAsString(core::IntToStr(value)); }

// ------------------------------------------------------------------ TGuidField

TGuidField::TGuidField(TComponent* owner) : TStringField(owner)
{
    SetDataTypeInit(TFieldType::ftGuid);
    FSize = 38;
}

void TGuidField::CheckTypeSize(int value)
{
    if (value != 38)
        DatabaseError(msg::InvalidFieldSize);
}

bool TGuidField::IsGuidText(std::u16string_view text)
{
    if (text.size() != 38 || text.front() != u'{' || text.back() != u'}')
        return false;
    for (size_t i = 1; i < 37; ++i) {
        const char16_t c = text[i];
        if (i == 9 || i == 14 || i == 19 || i == 24) {
            if (c != u'-')
                return false;
        } else if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'))) {
            return false;
        }
    }
    return true;
}

void TGuidField::SetAsString(const std::u16string& value)
{
    if (!value.empty() && !IsGuidText(value))
        DatabaseErrorFmt(nullptr, "'{}' is not a valid GUID value for field '{}'", core::ToUtf8(value),
                         core::ToUtf8(DisplayName()));
    if (value.empty()) {
        Clear();
        return;
    }
    TStringField::SetAsString(value);
}

// clang-format off
DEFINE_CLASS(TWideStringField)
    .Property(u"FixedChar", &TWideStringField::FixedChar, &TWideStringField::SetFixedChar).Default(0)
    .Property(u"Size", &TWideStringField::Size, &TWideStringField::SetSize).Default(20)
END_CLASS
DEFINE_CLASS(TGuidField) END_CLASS
// clang-format on

} // namespace data
