#include "data/field_numbers.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

#include "data/db_error.h"
#include "data/number_format.h"

namespace data {

using components::TComponent;

namespace {

// The range error of the 64-bit and unsigned fields: every number in full.
[[noreturn]] void LargeRangeError(const std::u16string& value, const std::u16string& name, const std::u16string& min,
                                  const std::u16string& max)
{
    DatabaseErrorFmt(nullptr, "{} is not a valid value for field '{}'. The allowed range is {} to {}",
                     core::ToUtf8(value), core::ToUtf8(name), core::ToUtf8(min), core::ToUtf8(max));
}

[[noreturn]] void IntegerTextError(const std::u16string& text, const std::u16string& name)
{
    DatabaseErrorFmt(nullptr, "'{}' is not a valid integer value for field '{}'", core::ToUtf8(text),
                     core::ToUtf8(name));
}

std::u16string UIntToStr(uint64_t v) { return core::FromUtf8(std::to_string(v)); }

// Integer text in 64 bits: blanks, sign, then decimal digits or hexadecimal
// digits after "$", "x", "X", "0x" or "0X". `magnitude` gets the unsigned value.
bool ParseMagnitude(std::u16string_view text, bool& negative, uint64_t& magnitude)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    } else if (i < text.size() && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        base = 16;
        ++i;
    }
    if (i >= text.size())
        return false;
    uint64_t acc = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        unsigned digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return false;
        if (acc > (std::numeric_limits<uint64_t>::max() - digit) / base)
            return false;
        acc = acc * base + digit;
    }
    magnitude = acc;
    return true;
}

} // namespace

// ------------------------------------------------------------- TLargeintField

TLargeintField::TLargeintField(TComponent* owner) : TNumericField(owner)
{
    SetDataTypeInit(TFieldType::ftLargeint);
    SetValidChars("+-0123456789");
}

bool TLargeintField::ParseLargeInt(std::u16string_view text, int64_t& value)
{
    bool negative = false;
    uint64_t m = 0;
    if (!ParseMagnitude(text, negative, m))
        return false;
    if (negative) {
        if (m > uint64_t{1} << 63)
            return false;
        value = m == uint64_t{1} << 63 ? std::numeric_limits<int64_t>::min() : -static_cast<int64_t>(m);
    } else {
        if (m > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
            return false;
        value = static_cast<int64_t>(m);
    }
    return true;
}

bool TLargeintField::GetValue(int64_t& value) const
{
    uint8_t* buf = IOBuffer(8);
    if (!GetData(buf))
        return false;
    std::memcpy(&value, buf, 8);
    return true;
}

double TLargeintField::GetAsFloat() const { return static_cast<double>(GetAsLargeInt()); }

int64_t TLargeintField::GetAsLargeInt() const
{
    int64_t v = 0;
    return GetValue(v) ? v : 0;
}

// A value beyond 32 bits is refused rather than cut to its low half.
int32_t TLargeintField::GetAsInteger() const
{
    const int64_t v = GetAsLargeInt();
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
        LargeRangeError(core::IntToStr(v), DisplayName(), u"-2147483648", u"2147483647");
    return static_cast<int32_t>(v);
}

uint32_t TLargeintField::GetAsLongWord() const
{
    const int64_t v = GetAsLargeInt();
    if (v < 0 || v > std::numeric_limits<uint32_t>::max())
        LargeRangeError(core::IntToStr(v), DisplayName(), u"0", u"4294967295");
    return static_cast<uint32_t>(v);
}

std::u16string TLargeintField::GetAsString() const
{
    int64_t v = 0;
    return GetValue(v) ? core::IntToStr(v) : std::u16string();
}

core::Variant TLargeintField::GetAsVariant() const
{
    int64_t v = 0;
    if (!GetValue(v))
        return core::Null();
    return v;
}

void TLargeintField::GetText(std::u16string& text, bool displayText) const
{
    int64_t v = 0;
    if (!GetValue(v)) {
        text.clear();
        return;
    }
    const std::u16string& fmt = displayText || FEditFormat.empty() ? FDisplayFormat : FEditFormat;
    text = fmt.empty() ? core::IntToStr(v) : FormatFloat(fmt, static_cast<double>(v));
}

void TLargeintField::SetAsLargeInt(int64_t value)
{
    if ((FMinValue != 0 || FMaxValue != 0) && (value < FMinValue || value > FMaxValue))
        LargeRangeError(core::IntToStr(value), DisplayName(), core::IntToStr(FMinValue), core::IntToStr(FMaxValue));
    uint8_t* buf = IOBuffer(8);
    std::memcpy(buf, &value, 8);
    SetData(buf);
}

void TLargeintField::SetAsFloat(double value)
{
    if (std::isnan(value))
        InvalidValueError();
    const double r = std::nearbyint(value);
    if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0))
        LargeRangeError(FormatGeneral(value, 15), DisplayName(), u"-9223372036854775808", u"9223372036854775807");
    SetAsLargeInt(static_cast<int64_t>(r));
}

void TLargeintField::SetAsString(const std::u16string& value)
{
    if (value.empty()) {
        Clear();
        return;
    }
    int64_t v = 0;
    if (!ParseLargeInt(value, v))
        IntegerTextError(value, DisplayName());
    SetAsLargeInt(v);
}

void TLargeintField::SetVarValue(const core::Variant& value)
{
    if (const auto* d = std::get_if<double>(&value)) {
        SetAsFloat(*d);
        return;
    }
    int64_t v = 0;
    try {
        v = core::VarToInt64(value);
    } catch (const core::Exception&) {
        InvalidValueError();
    }
    SetAsLargeInt(v);
}

// ------------------------------------------------------------- TLongWordField

TLongWordField::TLongWordField(TComponent* owner) : TNumericField(owner)
{
    SetDataTypeInit(TFieldType::ftLongWord);
    SetValidChars("+-0123456789");
}

bool TLongWordField::GetValue(uint32_t& value) const
{
    uint8_t* buf = IOBuffer(8);
    if (!GetData(buf))
        return false;
    std::memcpy(&value, buf, 4);
    return true;
}

uint32_t TLongWordField::GetAsLongWord() const
{
    uint32_t v = 0;
    return GetValue(v) ? v : 0;
}

int32_t TLongWordField::GetAsInteger() const
{
    const uint32_t v = GetAsLongWord();
    if (v > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
        LargeRangeError(UIntToStr(v), DisplayName(), u"-2147483648", u"2147483647");
    return static_cast<int32_t>(v);
}

std::u16string TLongWordField::GetAsString() const
{
    uint32_t v = 0;
    return GetValue(v) ? UIntToStr(v) : std::u16string();
}

core::Variant TLongWordField::GetAsVariant() const
{
    uint32_t v = 0;
    if (!GetValue(v))
        return core::Null();
    return static_cast<int64_t>(v);
}

void TLongWordField::GetText(std::u16string& text, bool displayText) const
{
    uint32_t v = 0;
    if (!GetValue(v)) {
        text.clear();
        return;
    }
    const std::u16string& fmt = displayText || FEditFormat.empty() ? FDisplayFormat : FEditFormat;
    text = fmt.empty() ? UIntToStr(v) : FormatFloat(fmt, v);
}

void TLongWordField::SetAsLargeInt(int64_t value)
{
    int64_t min = 0, max = std::numeric_limits<uint32_t>::max();
    if (FMinValue != 0 || FMaxValue != 0) {
        min = FMinValue;
        max = FMaxValue;
    }
    if (value < min || value > max)
        LargeRangeError(core::IntToStr(value), DisplayName(), core::IntToStr(min), core::IntToStr(max));
    const auto stored = static_cast<uint32_t>(value);
    uint8_t* buf = IOBuffer(8);
    std::memcpy(buf, &stored, 4);
    SetData(buf);
}

void TLongWordField::SetAsFloat(double value)
{
    if (std::isnan(value))
        InvalidValueError();
    const double r = std::nearbyint(value);
    if (!(r >= 0 && r <= 4294967295.0))
        LargeRangeError(FormatGeneral(value, 15), DisplayName(), u"0", u"4294967295");
    SetAsLargeInt(static_cast<int64_t>(r));
}

void TLongWordField::SetAsString(const std::u16string& value)
{
    if (value.empty()) {
        Clear();
        return;
    }
    bool negative = false;
    uint64_t m = 0;
    if (!ParseMagnitude(value, negative, m) || m > std::numeric_limits<uint32_t>::max())
        IntegerTextError(value, DisplayName());
    SetAsLargeInt(negative ? -static_cast<int64_t>(m) : static_cast<int64_t>(m));
}

void TLongWordField::SetVarValue(const core::Variant& value)
{
    if (const auto* d = std::get_if<double>(&value)) {
        SetAsFloat(*d);
        return;
    }
    int64_t v = 0;
    try {
        v = core::VarToInt64(value);
    } catch (const core::Exception&) {
        InvalidValueError();
    }
    SetAsLargeInt(v);
}

// --------------------------------------------------------------- TSingleField

TSingleField::TSingleField(TComponent* owner) : TFloatField(owner, TFieldType::ftSingle, 7) {}

bool TSingleField::ReadValue(double& value) const
{
    uint8_t* buf = IOBuffer(8);
    if (!GetData(buf))
        return false;
    float f;
    std::memcpy(&f, buf, 4);
    value = f;
    return true;
}

void TSingleField::SetAsFloat(double value)
{
    if (std::isfinite(value) && std::fabs(value) > FLT_MAX)
        RangeErrorFmt(value, -FLT_MAX, FLT_MAX);
    TFloatField::SetAsFloat(value);
}

void TSingleField::WriteValue(double value)
{
    const auto f = static_cast<float>(value);
    uint8_t* buf = IOBuffer(8);
    std::memcpy(buf, &f, 4);
    SetData(buf);
}

// ------------------------------------------------------------- TExtendedField

TExtendedField::TExtendedField(TComponent* owner) : TFloatField(owner, TFieldType::ftExtended, 15) {}

void TExtendedField::ToExtended80(double value, uint8_t out[10])
{
    std::memset(out, 0, 10);
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    const bool negative = bits >> 63;
    const int exp = static_cast<int>((bits >> 52) & 0x7FF);
    uint64_t frac = bits & ((uint64_t{1} << 52) - 1);
    uint16_t exp80 = 0;
    uint64_t mant = 0;
    if (exp == 0 && frac == 0) {
        // zero
    } else if (exp == 0x7FF) {
        exp80 = 0x7FFF;
        mant = (uint64_t{1} << 63) | (frac << 11);
    } else if (exp == 0) {
        // Subnormal double: normalise into the wider exponent.
        int shift = 0;
        while (!(frac & (uint64_t{1} << 52))) {
            frac <<= 1;
            ++shift;
        }
        exp80 = static_cast<uint16_t>(1 - 1023 - shift + 16383);
        mant = frac << 11;
    } else {
        exp80 = static_cast<uint16_t>(exp - 1023 + 16383);
        mant = (uint64_t{1} << 63) | (frac << 11);
    }
    if (negative)
        exp80 |= 0x8000;
    std::memcpy(out, &mant, 8);
    std::memcpy(out + 8, &exp80, 2);
}

double TExtendedField::FromExtended80(const uint8_t in[10])
{
    uint64_t mant;
    uint16_t se;
    std::memcpy(&mant, in, 8);
    std::memcpy(&se, in + 8, 2);
    const bool negative = se & 0x8000;
    const int exp = se & 0x7FFF;
    double v;
    if (exp == 0x7FFF)
        v = (mant << 1) ? std::numeric_limits<double>::quiet_NaN() : std::numeric_limits<double>::infinity();
    else
        v = std::ldexp(static_cast<double>(mant), exp - 16383 - 63);
    return negative ? -v : v;
}

bool TExtendedField::ReadValue(double& value) const
{
    uint8_t* buf = IOBuffer(16);
    if (!GetData(buf))
        return false;
    value = FromExtended80(buf);
    return true;
}

void TExtendedField::WriteValue(double value)
{
    uint8_t* buf = IOBuffer(16);
    ToExtended80(value, buf);
    SetData(buf);
}

// -------------------------------------------------------------- TCurrencyField

TCurrencyField::TCurrencyField(TComponent* owner) : TFloatField(owner, TFieldType::ftCurrency, 15)
{
    SetCurrency(true);
}

// clang-format off
DEFINE_CLASS(TLargeintField)
    .Property(u"MaxValue", &TLargeintField::MaxValue, &TLargeintField::SetMaxValue).Default(0)
    .Property(u"MinValue", &TLargeintField::MinValue, &TLargeintField::SetMinValue).Default(0)
END_CLASS
DEFINE_CLASS(TLongWordField)
    .Property(u"MaxValue", &TLongWordField::MaxValue, &TLongWordField::SetMaxValue).Default(0)
    .Property(u"MinValue", &TLongWordField::MinValue, &TLongWordField::SetMinValue).Default(0)
END_CLASS
DEFINE_CLASS(TSingleField) END_CLASS
DEFINE_CLASS(TExtendedField) END_CLASS
DEFINE_CLASS(TCurrencyField) END_CLASS
// clang-format on

} // namespace data
