#include "data/field_types.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "data/dataset.h"
#include "data/db_error.h"
#include "data/field_bcd.h"
#include "data/field_binary.h"
#include "data/field_blob.h"
#include "data/field_boolean.h"
#include "data/field_datetime.h"
#include "data/field_dataset.h"
#include "data/field_defs.h"
#include "data/field_interface.h"
#include "data/field_numbers.h"
#include "data/field_object.h"
#include "data/field_text.h"
#include "data/field_variant.h"
#include "data/number_format.h"
#include "engine/collation.h"
#include "platform/locale.h"

namespace data {

using components::TComponent;

namespace {

[[noreturn]] void RangeError(double value, const std::u16string& name, double min, double max)
{
    DatabaseErrorFmt(nullptr, "{:.15g} is not a valid value for field '{}'. The allowed range is {:.15g} to {:.15g}",
                     value, core::ToUtf8(name), min, max);
}

[[noreturn]] void InvalidValue(const std::u16string& name)
{
    DatabaseErrorFmt(nullptr, "Invalid value for field '{}'", core::ToUtf8(name));
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

} // namespace

// ---------------------------------------------------------------- TStringField

TStringField::TStringField(TComponent* owner) : TField(owner)
{
    SetDataTypeInit(TFieldType::ftString);
    if (FSize == 0)
        FSize = 20;
}

// 8-bit text is in the code page the client dataset gives its tables (the
// engine's default). Characters that page shares with Latin-1 (all but
// 0x80 .. 0x9F) convert directly; other text goes through the code page
// converter, so common text costs no converter.
std::string TStringField::ToStored(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c >= 0x80 && (c < 0xA0 || c > 0xFF))
            return platform::ToCodePage(text, engine::kDefaultCodePage);
        out.push_back(static_cast<char>(static_cast<unsigned char>(c)));
    }
    return out;
}

std::u16string TStringField::FromStored(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b < 0xA0)
            return platform::FromCodePage(bytes, engine::kDefaultCodePage);
        out.push_back(static_cast<char16_t>(b));
    }
    return out;
}

void TStringField::CheckTypeSize(int value)
{
    if (value < 0)
        DatabaseError(msg::InvalidFieldSize);
}

int TStringField::GetIOSize() const
{
    const int size = GetDataSize();
    return size > 8192 ? size : 8193;
}

std::u16string TStringField::GetAsString() const
{
    const size_t ioSize = static_cast<size_t>(GetIOSize());
    auto* buf = reinterpret_cast<char*>(IOBuffer(ioSize));
    if (!GetData(buf))
        return {};
    // The stored text is at most Size bytes; never read past it even when the
    // terminating zero is missing.
    const size_t len = ::strnlen(buf, static_cast<size_t>(FSize));
    buf[len] = 0;
    if (FTransliterate && len > 0 && FDataSet)
        FDataSet->Translate(buf, buf, false);
    return FromStored(std::string_view(buf, ::strnlen(buf, len)));
}

void TStringField::SetAsString(const std::u16string& value)
{
    const std::string stored = ToStored(value);
    const size_t ioSize = static_cast<size_t>(GetIOSize());
    auto* buf = reinterpret_cast<char*>(IOBuffer(ioSize));
    // Longer text is cut at Size bytes without error.
    size_t n = std::min(stored.size(), static_cast<size_t>(FSize));
    n = ::strnlen(stored.data(), n);
    std::memcpy(buf, stored.data(), n);
    buf[n] = 0;
    if (FTransliterate && FDataSet)
        FDataSet->Translate(buf, buf, true);
    SetData(buf);
}

core::Variant TStringField::GetAsVariant() const
{
    if (IsNull())
        return core::Null();
    return GetAsString();
}

void TStringField::SetVarValue(const core::Variant& value)
{
    try {
        SetAsString(core::VarToStr(value));
    } catch (const EDatabaseError&) {
        throw;
    } catch (const core::Exception&) {
        InvalidValue(DisplayName());
    }
}

void TStringField::GetText(std::u16string& text, bool) const { text = GetAsString(); }

bool TStringField::GetAsBoolean() const
{
    const std::u16string s = GetAsString();
    if (s.empty())
        return false;
    const char16_t c = s[0];
    return c == u'T' || c == u't' || c == u'Y' || c == u'y';
}

int32_t TStringField::GetAsInteger() const
{
    const std::u16string s = GetAsString();
    int32_t v = 0;
    if (!s.empty() && !TIntegerField::ParseInteger(s, v))
        DatabaseErrorFmt(nullptr, "'{}' is not a valid integer value for field '{}'", core::ToUtf8(s),
                         core::ToUtf8(DisplayName()));
    return v;
}

int64_t TStringField::GetAsLargeInt() const { return GetAsInteger(); }

double TStringField::GetAsFloat() const
{
    const std::u16string s = GetAsString();
    double v = 0;
    if (!s.empty() && !ParseFloat(s, v))
        DatabaseErrorFmt(nullptr, "'{}' is not a valid floating point value for field '{}'", core::ToUtf8(s),
                         core::ToUtf8(DisplayName()));
    return v;
}

void TStringField::SetAsBoolean(bool value) { SetAsString(value ? u"True" : u"False"); }
void TStringField::SetAsFloat(double value) { SetAsString(FormatGeneral(value, 15)); }
void TStringField::SetAsInteger(int32_t value) { SetAsString(core::IntToStr(value)); }
void TStringField::SetAsLargeInt(int64_t value) { SetAsString(core::IntToStr(value)); }

// --------------------------------------------------------------- TNumericField

TNumericField::TNumericField(TComponent* owner) : TField(owner) { FAlignment = TAlignment::taRightJustify; }

void TNumericField::SetDisplayFormat(const std::u16string& value)
{
    if (value == FDisplayFormat)
        return;
    FDisplayFormat = value;
    PropertyChanged(false);
}

void TNumericField::SetEditFormat(const std::u16string& value)
{
    if (value == FEditFormat)
        return;
    FEditFormat = value;
    PropertyChanged(false);
}

void TNumericField::SetTextImpl(const std::u16string& value)
{
    std::u16string text = value;
    if ((!FEditFormat.empty() || !FDisplayFormat.empty()) && !text.empty())
        std::erase(text, ThousandSeparator());
    SetAsString(text);
}

// --------------------------------------------------------------- TIntegerField

TIntegerField::TIntegerField(TComponent* owner)
    : TIntegerField(owner, TFieldType::ftInteger, std::numeric_limits<int32_t>::min(),
                    std::numeric_limits<int32_t>::max())
{
}

TIntegerField::TIntegerField(TComponent* owner, TFieldType type, int64_t minRange, int64_t maxRange)
    : TNumericField(owner), FMinRange(minRange), FMaxRange(maxRange), FStorageType(type)
{
    SetDataTypeInit(type);
    SetValidChars("+-0123456789");
}

bool TIntegerField::ParseInteger(std::u16string_view text, int32_t& value)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
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
    const int64_t limit = negative ? int64_t{1} << 31 : (int64_t{1} << 31) - 1;
    int64_t acc = 0;
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
        acc = acc * base + digit;
        if (acc > limit)
            return false;
    }
    value = static_cast<int32_t>(negative ? -acc : acc);
    return true;
}

bool TIntegerField::GetValue(int32_t& value) const
{
    uint8_t* buf = IOBuffer(8);
    if (!FValidating)
        std::memset(buf, 0, 4);
    if (!GetData(buf))
        return false;
    switch (FStorageType) {
    case TFieldType::ftSmallint: { int16_t v; std::memcpy(&v, buf, 2); value = v; break; }
    case TFieldType::ftWord: { uint16_t v; std::memcpy(&v, buf, 2); value = v; break; }
    case TFieldType::ftShortint: { int8_t v; std::memcpy(&v, buf, 1); value = v; break; }
    case TFieldType::ftByte: value = buf[0]; break;
    default: std::memcpy(&value, buf, 4); break;
    }
    return true;
}

namespace {

bool IntegerTypeRange(TFieldType type, int64_t& min, int64_t& max)
{
    switch (type) {
    case TFieldType::ftSmallint: min = -32768; max = 32767; return true;
    case TFieldType::ftWord: min = 0; max = 65535; return true;
    case TFieldType::ftShortint: min = -128; max = 127; return true;
    case TFieldType::ftByte: min = 0; max = 255; return true;
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc: min = std::numeric_limits<int32_t>::min(); max = std::numeric_limits<int32_t>::max(); return true;
    default: return false;
    }
}

} // namespace

int TIntegerField::GetDataSize() const
{
    switch (FStorageType) {
    case TFieldType::ftSmallint:
    case TFieldType::ftWord: return 2;
    case TFieldType::ftShortint:
    case TFieldType::ftByte: return 1;
    default: return 4;
    }
}

void TIntegerField::Bind(bool binding)
{
    // A field may be bound to a definition of another integer type (same
    // base type): values are then read and written in that type's width, and
    // its range applies too, so nothing wraps silently in a narrower slot.
    FStorageType = FDataType;
    if (binding && FDataSet && FFieldKind == TFieldKind::fkData) {
        const int index = FDataSet->FieldDefs().IndexOf(FullName());
        int64_t min = 0, max = 0;
        if (index >= 0 && IntegerTypeRange(FDataSet->FieldDefs().Items(index)->DataType(), min, max))
            FStorageType = FDataSet->FieldDefs().Items(index)->DataType();
    }
    TNumericField::Bind(binding);
}

void TIntegerField::CheckRange(double value) const
{
    double min = static_cast<double>(FMinRange), max = static_cast<double>(FMaxRange);
    if (FMinValue != 0 || FMaxValue != 0) {
        min = FMinValue;
        max = FMaxValue;
    }
    int64_t smin = 0, smax = 0;
    if (FStorageType != FDataType && IntegerTypeRange(FStorageType, smin, smax)) {
        min = std::max(min, static_cast<double>(smin));
        max = std::min(max, static_cast<double>(smax));
    }
    if (!(value >= min && value <= max))
        RangeError(value, DisplayName(), min, max);
}

double TIntegerField::GetAsFloat() const { return GetAsInteger(); }

int32_t TIntegerField::GetAsInteger() const
{
    int32_t v = 0;
    return GetValue(v) ? v : 0;
}

int64_t TIntegerField::GetAsLargeInt() const { return GetAsInteger(); }

uint32_t TIntegerField::GetAsLongWord() const
{
    const int32_t v = GetAsInteger();
    // A negative value has no unsigned form: refuse it rather than wrap.
    if (v < 0)
        RangeError(v, DisplayName(), 0, 4294967295.0);
    return static_cast<uint32_t>(v);
}

std::u16string TIntegerField::GetAsString() const
{
    int32_t v = 0;
    return GetValue(v) ? core::IntToStr(v) : std::u16string();
}

core::Variant TIntegerField::GetAsVariant() const
{
    int32_t v = 0;
    if (!GetValue(v))
        return core::Null();
    return v;
}

void TIntegerField::GetText(std::u16string& text, bool displayText) const
{
    int32_t v = 0;
    if (!GetValue(v)) {
        text.clear();
        return;
    }
    const std::u16string& fmt = displayText || FEditFormat.empty() ? FDisplayFormat : FEditFormat;
    text = fmt.empty() ? core::IntToStr(v) : FormatFloat(fmt, v);
}

void TIntegerField::SetAsInteger(int32_t value)
{
    CheckRange(value);
    uint8_t* buf = IOBuffer(8);
    std::memcpy(buf, &value, 4);
    SetData(buf);
}

// Values outside the 32-bit range raise the range error instead of wrapping.
void TIntegerField::SetAsLargeInt(int64_t value)
{
    CheckRange(static_cast<double>(value));
    SetAsInteger(static_cast<int32_t>(value));
}

void TIntegerField::SetAsFloat(double value)
{
    if (std::isnan(value))
        InvalidValue(DisplayName());
    const double rounded = std::nearbyint(value);
    CheckRange(rounded);
    SetAsInteger(static_cast<int32_t>(rounded));
}

void TIntegerField::SetAsString(const std::u16string& value)
{
    if (value.empty()) {
        Clear();
        return;
    }
    int32_t v = 0;
    if (!ParseInteger(value, v))
        DatabaseErrorFmt(nullptr, "'{}' is not a valid integer value for field '{}'", core::ToUtf8(value),
                         core::ToUtf8(DisplayName()));
    SetAsInteger(v);
}

void TIntegerField::SetVarValue(const core::Variant& value)
{
    int64_t v = 0;
    try {
        if (const auto* d = std::get_if<double>(&value)) {
            SetAsFloat(*d);
            return;
        }
        v = core::VarToInt64(value);
    } catch (const EDatabaseError&) {
        throw;
    } catch (const core::Exception&) {
        InvalidValue(DisplayName());
    }
    SetAsLargeInt(v);
}

void TIntegerField::SetMinValue(int32_t value)
{
    if (value < FMinRange || value > FMaxRange)
        RangeError(value, DisplayName(), static_cast<double>(FMinRange), static_cast<double>(FMaxRange));
    FMinValue = value;
}

void TIntegerField::SetMaxValue(int32_t value)
{
    if (value < FMinRange || value > FMaxRange)
        RangeError(value, DisplayName(), static_cast<double>(FMinRange), static_cast<double>(FMaxRange));
    FMaxValue = value;
}

TSmallintField::TSmallintField(TComponent* owner) : TIntegerField(owner, TFieldType::ftSmallint, -32768, 32767) {}
TShortintField::TShortintField(TComponent* owner) : TIntegerField(owner, TFieldType::ftShortint, -128, 127) {}
TByteField::TByteField(TComponent* owner) : TIntegerField(owner, TFieldType::ftByte, 0, 255) {}
TWordField::TWordField(TComponent* owner) : TIntegerField(owner, TFieldType::ftWord, 0, 65535) {}
TAutoIncField::TAutoIncField(TComponent* owner)
    : TIntegerField(owner, TFieldType::ftAutoInc, std::numeric_limits<int32_t>::min(),
                    std::numeric_limits<int32_t>::max())
{
}

// ----------------------------------------------------------------- TFloatField

TFloatField::TFloatField(TComponent* owner) : TFloatField(owner, TFieldType::ftFloat, 15) {}

TFloatField::TFloatField(TComponent* owner, TFieldType type, int precision) : TNumericField(owner)
{
    SetDataTypeInit(type);
    FPrecision = precision;
}

void TFloatField::SetPrecision(int value)
{
    if (value < 2)
        value = 2;
    if (value > 15)
        value = 15;
    if (value == FPrecision)
        return;
    FPrecision = value;
    PropertyChanged(false);
}

bool TFloatField::ReadValue(double& value) const
{
    uint8_t* buf = IOBuffer(8);
    if (!GetData(buf))
        return false;
    std::memcpy(&value, buf, 8);
    return true;
}

double TFloatField::GetAsFloat() const
{
    double v = 0;
    return GetValue(v) ? v : 0;
}

int32_t TFloatField::GetAsInteger() const
{
    const double v = std::nearbyint(GetAsFloat());
    if (!(v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max()))
        RangeError(v, DisplayName(), std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(v);
}

int64_t TFloatField::GetAsLargeInt() const
{
    const double v = std::nearbyint(GetAsFloat());
    if (!(v >= -9223372036854775808.0 && v < 9223372036854775808.0))
        InvalidValue(DisplayName());
    return static_cast<int64_t>(v);
}

std::u16string TFloatField::GetAsString() const
{
    double v = 0;
    return GetValue(v) ? FormatGeneral(v, FPrecision) : std::u16string();
}

core::Variant TFloatField::GetAsVariant() const
{
    double v = 0;
    if (!GetValue(v))
        return core::Null();
    return v;
}

void TFloatField::GetText(std::u16string& text, bool displayText) const
{
    double v = 0;
    if (!GetValue(v)) {
        text.clear();
        return;
    }
    const std::u16string& fmt = displayText || FEditFormat.empty() ? FDisplayFormat : FEditFormat;
    text = FormatValue(v, fmt, displayText);
}

std::u16string TFloatField::FormatValue(double value, const std::u16string& format, bool displayText) const
{
    if (!format.empty())
        return FormatFloat(format, value);
    if (FCurrency)
        return FormatFloat(displayText ? CurrencyDisplayFormat() : u"0.00", value);
    return FormatGeneral(value, FPrecision);
}

void TFloatField::SetCurrency(bool value)
{
    if (value == FCurrency)
        return;
    FCurrency = value;
    PropertyChanged(false);
}

void TFloatField::SetAsFloat(double value)
{
    if (!std::isfinite(value))
        InvalidValue(DisplayName());
    if ((FMinValue != 0 || FMaxValue != 0) && !(value >= FMinValue && value <= FMaxValue))
        RangeError(value, DisplayName(), FMinValue, FMaxValue);
    WriteValue(value);
}

void TFloatField::WriteValue(double value)
{
    uint8_t* buf = IOBuffer(8);
    std::memcpy(buf, &value, 8);
    SetData(buf);
}

void TFloatField::SetAsInteger(int32_t value) { SetAsFloat(value); }
void TFloatField::SetAsLargeInt(int64_t value) { SetAsFloat(static_cast<double>(value)); }

void TFloatField::SetAsString(const std::u16string& value)
{
    if (value.empty()) {
        Clear();
        return;
    }
    double v = 0;
    if (!ParseFloat(value, v))
        DatabaseErrorFmt(nullptr, "'{}' is not a valid floating point value for field '{}'", core::ToUtf8(value),
                         core::ToUtf8(DisplayName()));
    SetAsFloat(v);
}

void TFloatField::SetVarValue(const core::Variant& value)
{
    double v = 0;
    try {
        v = core::VarToDouble(value);
    } catch (const core::Exception&) {
        InvalidValue(DisplayName());
    }
    SetAsFloat(v);
}

// -------------------------------------------------------------- class table

TFieldClass DefaultFieldClass(TFieldType type)
{
    using enum TFieldType;
    switch (type) {
    case ftString: case ftFixedChar: case ftOraInterval: return &TStringField::StaticClass();
    case ftSmallint: return &TSmallintField::StaticClass();
    case ftInteger: return &TIntegerField::StaticClass();
    case ftWord: return &TWordField::StaticClass();
    case ftBoolean: return &TBooleanField::StaticClass();
    case ftFloat: return &TFloatField::StaticClass();
    case ftCurrency: return &TCurrencyField::StaticClass();
    case ftBCD: return &TBCDField::StaticClass();
    case ftDate: return &TDateField::StaticClass();
    case ftTime: return &TTimeField::StaticClass();
    case ftDateTime: return &TDateTimeField::StaticClass();
    case ftBytes: return &TBytesField::StaticClass();
    case ftVarBytes: return &TVarBytesField::StaticClass();
    case ftAutoInc: return &TAutoIncField::StaticClass();
    case ftBlob: case ftFmtMemo: case ftParadoxOle: case ftDBaseOle: case ftTypedBinary: case ftOraBlob:
        return &TBlobField::StaticClass();
    case ftMemo: case ftOraClob: return &TMemoField::StaticClass();
    case ftGraphic: return &TGraphicField::StaticClass();
    case ftWideString: case ftFixedWideChar: return &TWideStringField::StaticClass();
    case ftLargeint: return &TLargeintField::StaticClass();
    case ftGuid: return &TGuidField::StaticClass();
    case ftTimeStamp: case ftOraTimeStamp: return &TSQLTimeStampField::StaticClass();
    case ftFMTBcd: return &TFMTBCDField::StaticClass();
    case ftWideMemo: return &TWideMemoField::StaticClass();
    case ftLongWord: return &TLongWordField::StaticClass();
    case ftShortint: return &TShortintField::StaticClass();
    case ftByte: return &TByteField::StaticClass();
    case ftExtended: return &TExtendedField::StaticClass();
    case ftTimeStampOffset: return &TSQLTimeStampOffsetField::StaticClass();
    case ftSingle: return &TSingleField::StaticClass();
    case ftADT: return &TADTField::StaticClass();
    case ftArray: return &TArrayField::StaticClass();
    case ftReference: return &TReferenceField::StaticClass();
    case ftDataSet: return &TDataSetField::StaticClass();
    case ftVariant: return &TVariantField::StaticClass();
    case ftInterface: return &TInterfaceField::StaticClass();
    case ftIDispatch: return &TIDispatchField::StaticClass();
    default: return nullptr;
    }
}

// clang-format off
DEFINE_CLASS(TStringField)
    .Property(u"EditMask", &TStringField::EditMask, &TStringField::SetEditMask)
    .Property(u"FixedChar", &TStringField::FixedChar, &TStringField::SetFixedChar).Default(0)
    .Property(u"Size", &TStringField::Size, &TStringField::SetSize).Default(20)
    .Property(u"Transliterate", &TStringField::Transliterate, &TStringField::SetTransliterate).Default(1)
END_CLASS

DEFINE_CLASS(TNumericField)
    .Property(u"Alignment", &TNumericField::Alignment, &TNumericField::SetAlignment).Default(1)
    .Property(u"DisplayFormat", &TNumericField::DisplayFormat, &TNumericField::SetDisplayFormat)
    .Property(u"EditFormat", &TNumericField::EditFormat, &TNumericField::SetEditFormat)
END_CLASS

DEFINE_CLASS(TIntegerField)
    .Property(u"MaxValue", &TIntegerField::MaxValue, &TIntegerField::SetMaxValue).Default(0)
    .Property(u"MinValue", &TIntegerField::MinValue, &TIntegerField::SetMinValue).Default(0)
END_CLASS

DEFINE_CLASS(TSmallintField) END_CLASS
DEFINE_CLASS(TShortintField) END_CLASS
DEFINE_CLASS(TByteField) END_CLASS
DEFINE_CLASS(TWordField) END_CLASS
DEFINE_CLASS(TAutoIncField) END_CLASS

DEFINE_CLASS(TFloatField)
    .Property(u"MaxValue", &TFloatField::MaxValue, &TFloatField::SetMaxValue)
    .Property(u"MinValue", &TFloatField::MinValue, &TFloatField::SetMinValue)
    .Property(u"Currency", &TFloatField::Currency, &TFloatField::SetCurrency).Default(0)
    .Property(u"Precision", &TFloatField::Precision, &TFloatField::SetPrecision).Default(15)
END_CLASS
// clang-format on

} // namespace data
