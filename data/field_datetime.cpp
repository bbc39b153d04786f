#include "data/field_datetime.h"

#include <cmath>
#include <cstring>

#include "data/dataset.h"
#include "data/db_error.h"
#include "data/field_defs.h"
#include "data/field_date_text.h"

namespace data {

using components::TComponent;

namespace {

constexpr double MSecsPerDay = static_cast<double>(core::MSecsPerDay);

// The date part (towards zero) and the time of day in milliseconds.
void Split(core::TDateTime value, double& date, int64_t& msecs)
{
    date = std::trunc(value);
    msecs = std::llround(std::fabs(value - date) * MSecsPerDay);
    // A fraction that rounds up to a whole day moves to the next day.
    if (msecs >= core::MSecsPerDay) {
        msecs -= core::MSecsPerDay;
        date += value < 0 ? -1 : 1;
    }
}

core::TDateTime Join(double date, double msecs) { return date >= 0 ? date + msecs / MSecsPerDay : date - msecs / MSecsPerDay; }

} // namespace

// ------------------------------------------------------------- TDateTimeField

TDateTimeField::TDateTimeField(TComponent* owner) : TDateTimeField(owner, TFieldType::ftDateTime) {}

TDateTimeField::TDateTimeField(TComponent* owner, TFieldType type) : TField(owner), FStorageType(type)
{
    SetDataTypeInit(type);
}

void TDateTimeField::Bind(bool binding)
{
    // Date, time and date-time fields are compatible with one another's
    // definitions; values go to the storage in the definition's form.
    FStorageType = FDataType;
    if (binding && FDataSet && FFieldKind == TFieldKind::fkData &&
        (FDataType == TFieldType::ftDate || FDataType == TFieldType::ftTime || FDataType == TFieldType::ftDateTime)) {
        const int index = FDataSet->FieldDefs().IndexOf(FullName());
        if (index >= 0) {
            const TFieldType t = FDataSet->FieldDefs().Items(index)->DataType();
            if (t == TFieldType::ftDate || t == TFieldType::ftTime || t == TFieldType::ftDateTime)
                FStorageType = t;
        }
    }
    TField::Bind(binding);
}

int TDateTimeField::GetDefaultWidth() const
{
    return FDataType == TFieldType::ftDate || FDataType == TFieldType::ftTime ? 10 : 18;
}

void TDateTimeField::SetDisplayFormat(const std::u16string& value)
{
    if (value == FDisplayFormat)
        return;
    FDisplayFormat = value;
    PropertyChanged(false);
}

int TDateTimeField::GetDataSize() const
{
    return FStorageType == TFieldType::ftDate || FStorageType == TFieldType::ftTime ? 4 : 8;
}

int32_t TDateTimeField::ToDayNumber(core::TDateTime value)
{
    double date = 0;
    int64_t msecs = 0;
    Split(value, date, msecs);
    return static_cast<int32_t>(date) + core::DateDelta;
}

int32_t TDateTimeField::ToTimeMSecs(core::TDateTime value)
{
    // Only the time of day; a fraction that rounds to midnight of the next day
    // stays the last millisecond of this one.
    const int64_t msecs = std::llround(std::fabs(value - std::trunc(value)) * MSecsPerDay);
    return static_cast<int32_t>(std::min<int64_t>(msecs, core::MSecsPerDay - 1));
}

double TDateTimeField::ToTimeStampMSecs(core::TDateTime value)
{
    double date = 0;
    int64_t msecs = 0;
    Split(value, date, msecs);
    return (date + core::DateDelta) * MSecsPerDay + static_cast<double>(msecs);
}

core::TDateTime TDateTimeField::FromTimeStampMSecs(double msecs)
{
    const double day = std::floor(msecs / MSecsPerDay);
    return Join(day - core::DateDelta, msecs - day * MSecsPerDay);
}

bool TDateTimeField::GetValue(core::TDateTime& value) const
{
    uint8_t* buf = IOBuffer(8);
    if (!GetData(buf))
        return false;
    switch (FStorageType) {
    case TFieldType::ftDate: {
        int32_t day;
        std::memcpy(&day, buf, 4);
        value = static_cast<double>(day) - core::DateDelta;
        break;
    }
    case TFieldType::ftTime: {
        int32_t msecs;
        std::memcpy(&msecs, buf, 4);
        value = msecs / MSecsPerDay;
        break;
    }
    default: {
        double msecs;
        std::memcpy(&msecs, buf, 8);
        value = FromTimeStampMSecs(msecs);
        break;
    }
    }
    return true;
}

void TDateTimeField::CheckDateTime(core::TDateTime value) const
{
    core::DateParts parts;
    if (!core::TryDecodeDate(value, parts))
        InvalidValueError();
}

void TDateTimeField::WriteValue(core::TDateTime value)
{
    uint8_t* buf = IOBuffer(8);
    switch (FStorageType) {
    case TFieldType::ftDate: {
        const int32_t day = ToDayNumber(value);
        std::memcpy(buf, &day, 4);
        break;
    }
    case TFieldType::ftTime: {
        const int32_t msecs = ToTimeMSecs(value);
        std::memcpy(buf, &msecs, 4);
        break;
    }
    default: {
        const double msecs = ToTimeStampMSecs(value);
        std::memcpy(buf, &msecs, 8);
        break;
    }
    }
    SetData(buf);
}

core::TDateTime TDateTimeField::GetAsDateTime() const
{
    core::TDateTime v = 0;
    return GetValue(v) ? v : 0;
}

std::u16string TDateTimeField::GetAsString() const
{
    std::u16string text;
    GetText(text, false);
    return text;
}

core::Variant TDateTimeField::GetAsVariant() const
{
    core::TDateTime v = 0;
    if (!GetValue(v))
        return core::Null();
    return core::VarDate{v};
}

void TDateTimeField::GetText(std::u16string& text, bool displayText) const
{
    core::TDateTime v = 0;
    if (!GetValue(v)) {
        text.clear();
        return;
    }
    std::u16string format;
    if (displayText && !FDisplayFormat.empty())
        format = FDisplayFormat;
    else if (FDataType == TFieldType::ftDate)
        format = DateFormatSettings().ShortDateFormat;
    else if (FDataType == TFieldType::ftTime)
        format = DateFormatSettings().LongTimeFormat;
    else
        format = u"c";
    try {
        text = FormatDateTime(format, v);
    } catch (const core::Exception&) {
        // A stored value that names no day (a damaged record) is shown as
        // nothing rather than failing every repaint.
        text.clear();
    }
}

void TDateTimeField::SetAsDateTime(core::TDateTime value)
{
    CheckDateTime(value);
    WriteValue(value);
}

void TDateTimeField::SetAsString(const std::u16string& value)
{
    if (value.empty()) {
        Clear();
        return;
    }
    core::TDateTime v = 0;
    switch (FDataType) {
    case TFieldType::ftDate:
        if (!TryStrToDate(value, v))
            DatabaseErrorFmt(nullptr, "'{}' is not a valid date", core::ToUtf8(value));
        break;
    case TFieldType::ftTime:
        if (!TryStrToTime(value, v))
            DatabaseErrorFmt(nullptr, "'{}' is not a valid time", core::ToUtf8(value));
        break;
    default:
        if (!TryStrToDateTime(value, v))
            DatabaseErrorFmt(nullptr, "'{}' is not a valid date and time", core::ToUtf8(value));
        break;
    }
    SetAsDateTime(v);
}

void TDateTimeField::SetVarValue(const core::Variant& value)
{
    if (const auto* d = std::get_if<core::VarDate>(&value)) {
        SetAsDateTime(d->Value);
        return;
    }
    if (const auto* s = std::get_if<std::u16string>(&value)) {
        SetAsString(*s);
        return;
    }
    double v = 0;
    try {
        v = core::VarToDouble(value);
    } catch (const core::Exception&) {
        InvalidValueError();
    }
    SetAsDateTime(v);
}

TDateField::TDateField(TComponent* owner) : TDateTimeField(owner, TFieldType::ftDate) {}
TTimeField::TTimeField(TComponent* owner) : TDateTimeField(owner, TFieldType::ftTime) {}

// --------------------------------------------------------- SQL time stamps

TSQLTimeStampField::TSQLTimeStampField(TComponent* owner) : TSQLTimeStampField(owner, TFieldType::ftTimeStamp) {}

TSQLTimeStampField::TSQLTimeStampField(TComponent* owner, TFieldType type) : TDateTimeField(owner, type) {}

bool TSQLTimeStampField::GetValue(core::TDateTime& value) const
{
    uint8_t* buf = IOBuffer(static_cast<size_t>(GetDataSize()));
    if (!GetData(buf))
        return false;
    TSQLTimeStamp ts;
    std::memcpy(&ts, buf, sizeof ts);
    core::TDateTime date = 0, time = 0;
    // Parts out of range (a damaged record) give a value no day has, which
    // the text shows as nothing and AsDateTime as NaN.
    if (!core::TryEncodeDate(ts.Year, ts.Month, ts.Day, date) ||
        !core::TryEncodeTime(ts.Hour, ts.Minute, ts.Second, static_cast<int>(ts.Fractions % 1000), time)) {
        value = std::nan("");
        return true;
    }
    value = Join(date, std::round(time * MSecsPerDay));
    return true;
}

void TSQLTimeStampField::WriteValue(core::TDateTime value)
{
    const core::DateParts d = core::DecodeDate(value);
    const core::TimeParts t = core::DecodeTime(value);
    uint8_t* buf = IOBuffer(static_cast<size_t>(GetDataSize()));
    std::memset(buf, 0, static_cast<size_t>(GetDataSize()));
    TSQLTimeStamp ts{static_cast<int16_t>(d.Year), static_cast<uint16_t>(d.Month), static_cast<uint16_t>(d.Day),
                     static_cast<uint16_t>(t.Hour), static_cast<uint16_t>(t.Min),  static_cast<uint16_t>(t.Sec),
                     static_cast<uint32_t>(t.MSec)};
    std::memcpy(buf, &ts, sizeof ts);
    SetData(buf);
}

TSQLTimeStampOffsetField::TSQLTimeStampOffsetField(TComponent* owner)
    : TSQLTimeStampField(owner, TFieldType::ftTimeStampOffset)
{
}

// clang-format off
DEFINE_CLASS(TDateTimeField)
    .Property(u"DisplayFormat", &TDateTimeField::DisplayFormat, &TDateTimeField::SetDisplayFormat)
END_CLASS
DEFINE_CLASS(TDateField) END_CLASS
DEFINE_CLASS(TTimeField) END_CLASS
DEFINE_CLASS(TSQLTimeStampField) END_CLASS
DEFINE_CLASS(TSQLTimeStampOffsetField) END_CLASS
// clang-format on

} // namespace data
