#pragma once
// The date-time family: TDateTimeField (a day number and milliseconds kept
// as one double), TDateField (a 32-bit day number, 0001-01-01 being day 1),
// TTimeField (32-bit milliseconds since midnight), and the SQL time-stamp
// fields (year, month, day, hour, minute, second, milliseconds; the offset
// form adds a time-zone hour and minute). All read and write TDateTime values
// (days since 1899-12-30).
#include <cstdint>
#include <string>

#include "core/datetime.h"
#include "data/field.h"

namespace data {

class TDateTimeField : public TField {
    DECLARE_CLASS(TDateTimeField, TField)
public:
    explicit TDateTimeField(components::TComponent* owner);

    const std::u16string& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const std::u16string& value);

    core::TDateTime GetAsDateTime() const override;
    double GetAsFloat() const override { return GetAsDateTime(); }
    std::u16string GetAsString() const override;
    core::Variant GetAsVariant() const override;
    void Bind(bool binding) override;
    // The stored form's size: the field type's own, or, while bound to a
    // definition of another date-time type, that type's.
    int GetDataSize() const override;
    int GetDefaultWidth() const override;
    void GetText(std::u16string& text, bool displayText) const override;
    // Refuses values that name no day of 0001-01-01 .. 9999-12-31.
    void SetAsDateTime(core::TDateTime value) override;
    void SetAsFloat(double value) override { SetAsDateTime(value); }
    void SetAsString(const std::u16string& value) override;
    void SetVarValue(const core::Variant& value) override;

    // Stored forms of the three plain types.
    static int32_t ToDayNumber(core::TDateTime value);
    static int32_t ToTimeMSecs(core::TDateTime value);
    static double ToTimeStampMSecs(core::TDateTime value);
    static core::TDateTime FromTimeStampMSecs(double msecs);

protected:
    TDateTimeField(components::TComponent* owner, TFieldType type);
    virtual bool GetValue(core::TDateTime& value) const;
    virtual void WriteValue(core::TDateTime value);
    void CheckDateTime(core::TDateTime value) const;

    std::u16string FDisplayFormat;
    TFieldType FStorageType; // ftDate, ftTime or ftDateTime: how values are stored
};

class TDateField : public TDateTimeField {
    DECLARE_CLASS(TDateField, TDateTimeField)
public:
    explicit TDateField(components::TComponent* owner);
};

class TTimeField : public TDateTimeField {
    DECLARE_CLASS(TTimeField, TDateTimeField)
public:
    explicit TTimeField(components::TComponent* owner);
};

#pragma pack(push, 2)
struct TSQLTimeStamp {
    int16_t Year;
    uint16_t Month, Day, Hour, Minute, Second;
    uint32_t Fractions; // milliseconds
};
struct TSQLTimeStampOffset {
    int16_t Year;
    uint16_t Month, Day, Hour, Minute, Second;
    uint32_t Fractions;
    int16_t TimeZoneHour, TimeZoneMinute;
};
#pragma pack(pop)
static_assert(sizeof(TSQLTimeStamp) == 16 && sizeof(TSQLTimeStampOffset) == 20);

class TSQLTimeStampField : public TDateTimeField {
    DECLARE_CLASS(TSQLTimeStampField, TDateTimeField)
public:
    explicit TSQLTimeStampField(components::TComponent* owner);
    int GetDataSize() const override { return 16; }
    int GetDefaultWidth() const override { return 34; }

protected:
    TSQLTimeStampField(components::TComponent* owner, TFieldType type);
    bool GetValue(core::TDateTime& value) const override;
    void WriteValue(core::TDateTime value) override;
};

// The offset is kept as stored and shown nowhere; a written value gets offset 0.
class TSQLTimeStampOffsetField : public TSQLTimeStampField {
    DECLARE_CLASS(TSQLTimeStampOffsetField, TSQLTimeStampField)
public:
    explicit TSQLTimeStampOffsetField(components::TComponent* owner);
    int GetDataSize() const override { return 20; }
    int GetDefaultWidth() const override { return 42; }
};

} // namespace data
