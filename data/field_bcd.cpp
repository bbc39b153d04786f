#include "data/field_bcd.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <fmt/format.h>

#include "data/dataset.h"
#include "data/db_error.h"
#include "data/field_defs.h"
#include "data/number_format.h"
#include "engine/bcd.h"

namespace data {

using components::TComponent;

namespace {

[[noreturn]] void DecimalRangeError(const std::u16string& value, const std::u16string& name, const std::string& min,
                                    const std::string& max)
{
    DatabaseErrorFmt(nullptr, "{} is not a valid value for field '{}'. The allowed range is {} to {}",
                     core::ToUtf8(value), core::ToUtf8(name), min, max);
}

[[noreturn]] void DecimalTextError(const std::u16string& text, const std::u16string& name)
{
    DatabaseErrorFmt(nullptr, "'{}' is not a valid floating point value for field '{}'", core::ToUtf8(text),
                     core::ToUtf8(name));
}

// Decimal text without trailing zeros after the point (and without a bare point).
std::string TrimDecimals(std::string s)
{
    if (s.find('.') == std::string::npos)
        return s;
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    if (s == "-0")
        s = "0";
    return s;
}

std::u16string Localised(const std::string& s)
{
    std::u16string out;
    for (char c : s)
        out.push_back(c == '.' ? DecimalSeparator() : static_cast<char16_t>(c));
    return out;
}

} // namespace

TBCDField::TBCDField(TComponent* owner) : TBCDField(owner, TFieldType::ftBCD, 4) {}

TBCDField::TBCDField(TComponent* owner, TFieldType type, int size) : TNumericField(owner)
{
    SetDataTypeInit(type);
    FSize = size;
    SetValidChars("+-0123456789.");
}

void TBCDField::SetPrecision(int value)
{
    if (FDataSet)
        FDataSet->CheckInactive();
    if (value < 0)
        value = 0;
    if (value > 64)
        value = 64;
    FPrecision = value;
}

void TBCDField::SetCurrency(bool value)
{
    if (value == FCurrency)
        return;
    FCurrency = value;
    PropertyChanged(false);
}

void TBCDField::CheckTypeSize(int value)
{
    if (value < 0 || value > 63 || (FPrecision > 0 && value > FPrecision))
        DatabaseError(msg::InvalidFieldSize);
}

void TBCDField::Bind(bool binding)
{
    TNumericField::Bind(binding);
    // The digit count is the storage's: values are packed in exactly that many digits.
    if (binding && FDataSet && FFieldNo > 0) {
        const int index = FDataSet->FieldDefs().IndexOf(FullName());
        if (index >= 0 && FDataSet->FieldDefs().Items(index)->Precision() > 0)
            FPrecision = FDataSet->FieldDefs().Items(index)->Precision();
    }
}

bool TBCDField::GetDecimalText(std::string& text) const
{
    uint8_t* buf = IOBuffer(34);
    std::memset(buf, 0, 34);
    if (!GetData(buf))
        return false;
    text = engine::BcdToText(buf, 34);
    return true;
}

double TBCDField::GetAsFloat() const
{
    std::string text;
    if (!GetDecimalText(text))
        return 0;
    return std::strtod(text.c_str(), nullptr);
}

int64_t TBCDField::GetAsLargeInt() const
{
    const double v = std::nearbyint(GetAsFloat());
    if (!(v >= -9223372036854775808.0 && v < 9223372036854775808.0))
        InvalidValueError();
    return static_cast<int64_t>(v);
}

int32_t TBCDField::GetAsInteger() const
{
    const double v = std::nearbyint(GetAsFloat());
    if (!(v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max()))
        RangeErrorFmt(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(v);
}

std::u16string TBCDField::GetAsString() const
{
    std::string text;
    if (!GetDecimalText(text))
        return {};
    return Localised(TrimDecimals(text));
}

core::Variant TBCDField::GetAsVariant() const
{
    std::string text;
    if (!GetDecimalText(text))
        return core::Null();
    return std::strtod(text.c_str(), nullptr);
}

void TBCDField::GetText(std::u16string& text, bool displayText) const
{
    std::string decimal;
    if (!GetDecimalText(decimal)) {
        text.clear();
        return;
    }
    const std::u16string& fmt = displayText || FEditFormat.empty() ? FDisplayFormat : FEditFormat;
    const double v = std::strtod(decimal.c_str(), nullptr);
    if (!fmt.empty())
        text = FormatFloat(fmt, v);
    else if (FCurrency)
        text = FormatFloat(displayText ? CurrencyDisplayFormat() : u"0.00", v);
    else
        text = Localised(TrimDecimals(decimal));
}

void TBCDField::SetDecimalText(const std::string& text, const std::u16string& shown)
{
    if (FMinValue != 0 || FMaxValue != 0) {
        const double v = std::strtod(text.c_str(), nullptr);
        if (v < FMinValue || v > FMaxValue)
            DecimalRangeError(shown, DisplayName(), fmt::format("{:.15g}", FMinValue),
                              fmt::format("{:.15g}", FMaxValue));
    }
    uint8_t* buf = IOBuffer(34);
    const int precision = EffectivePrecision();
    const int scale = std::min(FSize, precision);
    const engine::EngineResult r = engine::BcdFromText(text, precision, scale, buf, 34);
    if (r == engine::DBERR_OUTOFRANGE) {
        const std::string digits = std::string(static_cast<size_t>(precision - scale), '9');
        std::string max = digits.empty() ? "0" : digits;
        if (scale > 0) {
            max.push_back('.');
            max.append(static_cast<size_t>(scale), '9');
        }
        DecimalRangeError(shown, DisplayName(), "-" + max, max);
    }
    if (r != engine::DBERR_NONE)
        DecimalTextError(shown, DisplayName());
    SetData(buf);
}

void TBCDField::SetAsString(const std::u16string& value)
{
    if (value.empty()) {
        Clear();
        return;
    }
    // Plain decimal text goes in digit for digit; other number forms
    // (exponents) through a double.
    std::string text;
    size_t b = 0, e = value.size();
    while (b < e && (value[b] == u' ' || value[b] == u'\t'))
        ++b;
    while (e > b && (value[e - 1] == u' ' || value[e - 1] == u'\t'))
        --e;
    bool plain = b < e;
    for (size_t i = b; i < e && plain; ++i) {
        const char16_t c = value[i];
        if (c >= u'0' && c <= u'9')
            text.push_back(static_cast<char>(c));
        else if (c == DecimalSeparator())
            text.push_back('.');
        else if (i == b && (c == u'-' || c == u'+'))
            text.push_back(c == u'-' ? '-' : '+');
        else
            plain = false;
    }
    if (plain && !text.empty() && text[0] == '+')
        text.erase(0, 1);
    if (!plain) {
        double v = 0;
        if (!ParseFloat(value, v))
            DecimalTextError(value, DisplayName());
        text = fmt::format("{:.{}f}", v, std::min(FSize, EffectivePrecision()) + 10);
    }
    SetDecimalText(text, value);
}

void TBCDField::SetAsFloat(double value)
{
    if (!std::isfinite(value))
        InvalidValueError();
    // Ten digits more than kept: the packing rounds the double's own value.
    SetDecimalText(fmt::format("{:.{}f}", value, std::min(FSize, EffectivePrecision()) + 10),
                   FormatGeneral(value, 15));
}

void TBCDField::SetAsLargeInt(int64_t value) { SetDecimalText(std::to_string(value), core::IntToStr(value)); }

void TBCDField::SetVarValue(const core::Variant& value)
{
    if (const auto* s = std::get_if<std::u16string>(&value)) {
        SetAsString(*s);
        return;
    }
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

TFMTBCDField::TFMTBCDField(TComponent* owner) : TBCDField(owner, TFieldType::ftFMTBcd, 8) {}

// clang-format off
DEFINE_CLASS(TBCDField)
    .Property(u"Currency", &TBCDField::Currency, &TBCDField::SetCurrency).Default(0)
    .Property(u"MaxValue", &TBCDField::MaxValue, &TBCDField::SetMaxValue)
    .Property(u"MinValue", &TBCDField::MinValue, &TBCDField::SetMinValue)
    .Property(u"Precision", &TBCDField::Precision, &TBCDField::SetPrecision).Default(0)
    .Property(u"Size", &TBCDField::Size, &TBCDField::SetSize).Default(4)
END_CLASS
DEFINE_CLASS(TFMTBCDField) END_CLASS
// clang-format on

} // namespace data
