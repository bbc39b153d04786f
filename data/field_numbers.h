#pragma once
// The number fields beyond the 32-bit integers and doubles: 64-bit and
// unsigned 32-bit integers, single and extended (80-bit) floating point, and
// money.
#include <cstdint>
#include <string>

#include "data/field_types.h"

namespace data {

// A 64-bit signed integer.
class TLargeintField : public TNumericField {
    DECLARE_CLASS(TLargeintField, TNumericField)
public:
    explicit TLargeintField(components::TComponent* owner);

    int64_t MinValue() const { return FMinValue; }
    void SetMinValue(int64_t value) { FMinValue = value; }
    int64_t MaxValue() const { return FMaxValue; }
    void SetMaxValue(int64_t value) { FMaxValue = value; }

    double GetAsFloat() const override;
    int32_t GetAsInteger() const override;
    int64_t GetAsLargeInt() const override;
    uint32_t GetAsLongWord() const override;
    std::u16string GetAsString() const override;
    core::Variant GetAsVariant() const override;
    int GetDataSize() const override { return 8; }
    int GetDefaultWidth() const override { return 15; }
    void GetText(std::u16string& text, bool displayText) const override;
    void SetAsFloat(double value) override;
    void SetAsInteger(int32_t value) override { SetAsLargeInt(value); }
    void SetAsLargeInt(int64_t value) override;
    void SetAsLongWord(uint32_t value) override { SetAsLargeInt(value); }
    void SetAsString(const std::u16string& value) override;
    void SetVarValue(const core::Variant& value) override;

    // Integer text as the integer fields accept it, in 64 bits.
    static bool ParseLargeInt(std::u16string_view text, int64_t& value);

private:
    bool GetValue(int64_t& value) const;

    int64_t FMinValue = 0;
    int64_t FMaxValue = 0;
};

// A 32-bit unsigned integer.
class TLongWordField : public TNumericField {
    DECLARE_CLASS(TLongWordField, TNumericField)
public:
    explicit TLongWordField(components::TComponent* owner);

    uint32_t MinValue() const { return FMinValue; }
    void SetMinValue(uint32_t value) { FMinValue = value; }
    uint32_t MaxValue() const { return FMaxValue; }
    void SetMaxValue(uint32_t value) { FMaxValue = value; }

    double GetAsFloat() const override { return GetAsLongWord(); }
    int32_t GetAsInteger() const override;
    int64_t GetAsLargeInt() const override { return GetAsLongWord(); }
    uint32_t GetAsLongWord() const override;
    std::u16string GetAsString() const override;
    core::Variant GetAsVariant() const override;
    int GetDataSize() const override { return 4; }
    void GetText(std::u16string& text, bool displayText) const override;
    void SetAsFloat(double value) override;
    void SetAsInteger(int32_t value) override { SetAsLargeInt(value); }
    void SetAsLargeInt(int64_t value) override;
    void SetAsLongWord(uint32_t value) override { SetAsLargeInt(value); }
    void SetAsString(const std::u16string& value) override;
    void SetVarValue(const core::Variant& value) override;

private:
    bool GetValue(uint32_t& value) const;

    uint32_t FMinValue = 0;
    uint32_t FMaxValue = 0;
};

// A 4-byte float: values beyond its range are refused, not stored as infinity.
class TSingleField : public TFloatField {
    DECLARE_CLASS(TSingleField, TFloatField)
public:
    explicit TSingleField(components::TComponent* owner);
    int GetDataSize() const override { return 4; }
    void SetAsFloat(double value) override;

protected:
    bool ReadValue(double& value) const override;
    void WriteValue(double value) override;
};

// An 80-bit extended float, kept as a double in memory.
class TExtendedField : public TFloatField {
    DECLARE_CLASS(TExtendedField, TFloatField)
public:
    explicit TExtendedField(components::TComponent* owner);
    int GetDataSize() const override { return 10; }

    // The 10-byte stored form (little-endian sign, exponent and 64-bit mantissa).
    static void ToExtended80(double value, uint8_t out[10]);
    static double FromExtended80(const uint8_t in[10]);

protected:
    bool ReadValue(double& value) const override;
    void WriteValue(double value) override;
};

// Money: a double shown with the currency symbol and two decimals.
class TCurrencyField : public TFloatField {
    DECLARE_CLASS(TCurrencyField, TFloatField)
public:
    explicit TCurrencyField(components::TComponent* owner);
};

} // namespace data
