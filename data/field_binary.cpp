#include "data/field_binary.h"

#include <algorithm>
#include <cstring>

#include "data/db_error.h"

namespace data {

using components::TComponent;

TBinaryField::TBinaryField(TComponent* owner, TFieldType type) : TField(owner)
{
    SetDataTypeInit(type);
    FSize = 16;
}

void TBinaryField::CheckTypeSize(int value)
{
    if (value < 0)
        DatabaseError(msg::InvalidFieldSize);
}

std::u16string TBinaryField::GetAsString() const
{
    const core::Bytes bytes = GetAsBytes();
    std::u16string out;
    out.reserve(bytes.size());
    for (uint8_t b : bytes)
        out.push_back(b);
    return out;
}

core::Variant TBinaryField::GetAsVariant() const
{
    if (IsNull())
        return core::Null();
    return GetAsBytes();
}

void TBinaryField::SetAsString(const std::u16string& value)
{
    if (value.empty()) {
        Clear();
        return;
    }
    core::Bytes bytes;
    bytes.reserve(value.size());
    for (char16_t c : value) {
        // One byte per character: a character above 255 has no byte.
        if (c > 0xFF)
            InvalidValueError();
        bytes.push_back(static_cast<uint8_t>(c));
    }
    SetAsBytes(bytes);
}

void TBinaryField::SetVarValue(const core::Variant& value)
{
    if (const auto* b = std::get_if<core::Bytes>(&value)) {
        SetAsBytes(*b);
        return;
    }
    if (const auto* s = std::get_if<std::u16string>(&value)) {
        SetAsString(*s);
        return;
    }
    InvalidValueError();
}

TBytesField::TBytesField(TComponent* owner) : TBinaryField(owner, TFieldType::ftBytes) {}

core::Bytes TBytesField::GetAsBytes() const
{
    const size_t size = static_cast<size_t>(std::max(FSize, 0));
    uint8_t* buf = IOBuffer(size);
    if (!GetData(buf))
        return {};
    return core::Bytes(buf, buf + size);
}

void TBytesField::SetAsBytes(const core::Bytes& value)
{
    if (value.empty()) {
        Clear();
        return;
    }
    if (static_cast<int>(value.size()) > FSize)
        InvalidValueError();
    const size_t size = static_cast<size_t>(FSize);
    uint8_t* buf = IOBuffer(size);
    std::memset(buf, 0, size);
    std::memcpy(buf, value.data(), value.size());
    SetData(buf);
}

TVarBytesField::TVarBytesField(TComponent* owner) : TBinaryField(owner, TFieldType::ftVarBytes) {}

core::Bytes TVarBytesField::GetAsBytes() const
{
    const size_t size = static_cast<size_t>(std::max(FSize, 0)) + 2;
    uint8_t* buf = IOBuffer(size);
    if (!GetData(buf))
        return {};
    uint16_t len;
    std::memcpy(&len, buf, 2);
    // Never past the field's own bytes, whatever the stored length says.
    const size_t n = std::min<size_t>(len, size - 2);
    return core::Bytes(buf + 2, buf + 2 + n);
}

void TVarBytesField::SetAsBytes(const core::Bytes& value)
{
    if (static_cast<int>(value.size()) > FSize || value.size() > 0xFFFF)
        InvalidValueError();
    const size_t size = static_cast<size_t>(FSize) + 2;
    uint8_t* buf = IOBuffer(size);
    std::memset(buf, 0, size);
    const auto len = static_cast<uint16_t>(value.size());
    std::memcpy(buf, &len, 2);
    if (!value.empty())
        std::memcpy(buf + 2, value.data(), value.size());
    SetData(buf);
}

// clang-format off
DEFINE_CLASS(TBinaryField)
    .Property(u"Size", &TBinaryField::Size, &TBinaryField::SetSize).Default(16)
END_CLASS
DEFINE_CLASS(TBytesField) END_CLASS
DEFINE_CLASS(TVarBytesField) END_CLASS
// clang-format on

} // namespace data
