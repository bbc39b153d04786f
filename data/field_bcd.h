#pragma once
// Decimal fields: a value of at most Precision digits, Size of them after the
// point, stored as the engine's packed decimal record (precision byte,
// sign-and-scale byte, packed digits; 34 bytes at most). Text goes to and from
// the packed form digit for digit; typed access goes through doubles.
#include <string>

#include "data/field_types.h"

namespace data {

class TBCDField : public TNumericField {
    DECLARE_CLASS(TBCDField, TNumericField)
public:
    explicit TBCDField(components::TComponent* owner);

    // Digits in all; 0 until bound, when it comes from the field definition.
    int Precision() const { return FPrecision; }
    void SetPrecision(int value);
    bool Currency() const { return FCurrency; }
    void SetCurrency(bool value);
    double MinValue() const { return FMinValue; }
    void SetMinValue(double value) { FMinValue = value; }
    double MaxValue() const { return FMaxValue; }
    void SetMaxValue(double value) { FMaxValue = value; }

    void Bind(bool binding) override;
    void CheckTypeSize(int value) override;
    double GetAsCurrency() const override { return GetAsFloat(); }
    double GetAsFloat() const override;
    int32_t GetAsInteger() const override;
    int64_t GetAsLargeInt() const override;
    std::u16string GetAsString() const override;
    core::Variant GetAsVariant() const override;
    int GetDataSize() const override { return 34; }
    int GetDefaultWidth() const override { return FPrecision > 0 ? FPrecision + 1 : 10; }
    void GetText(std::u16string& text, bool displayText) const override;
    void SetAsCurrency(double value) override { SetAsFloat(value); }
    void SetAsFloat(double value) override;
    void SetAsInteger(int32_t value) override { SetAsLargeInt(value); }
    void SetAsLargeInt(int64_t value) override;
    // Decimal text with "." or the locale's decimal separator; more decimals
    // than Size are rounded half away from zero.
    void SetAsString(const std::u16string& value) override;
    void SetVarValue(const core::Variant& value) override;

    // The value as decimal text ("-", digits, "." and Size decimals); false when null.
    bool GetDecimalText(std::string& text) const;

protected:
    TBCDField(components::TComponent* owner, TFieldType type, int size);
    // Stores decimal text ("-", digits, optional "." and digits).
    void SetDecimalText(const std::string& text, const std::u16string& shown);
    int EffectivePrecision() const { return FPrecision > 0 ? FPrecision : 32; }

    int FPrecision = 0;
    bool FCurrency = false;
    double FMinValue = 0;
    double FMaxValue = 0;
};

class TFMTBCDField : public TBCDField {
    DECLARE_CLASS(TFMTBCDField, TBCDField)
public:
    explicit TFMTBCDField(components::TComponent* owner);
};

} // namespace data
