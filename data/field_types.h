#pragma once
// The typed fields: text, the integer family and floating point.
#include <cstdint>
#include <string>

#include "data/field.h"

namespace data {

// 8-bit text of at most Size characters, stored null-terminated in Size + 1 bytes.
class TStringField : public TField {
    DECLARE_CLASS(TStringField, TField)
public:
    explicit TStringField(components::TComponent* owner);

    bool FixedChar() const { return FFixedChar; }
    void SetFixedChar(bool value) { FFixedChar = value; }
    bool Transliterate() const { return FTransliterate; }
    void SetTransliterate(bool value) { FTransliterate = value; }

    void CheckTypeSize(int value) override;
    bool GetAsBoolean() const override;
    double GetAsFloat() const override;
    int32_t GetAsInteger() const override;
    int64_t GetAsLargeInt() const override;
    std::u16string GetAsString() const override;
    core::Variant GetAsVariant() const override;
    int GetDataSize() const override { return FSize + 1; }
    int GetIOSize() const override;
    int GetDefaultWidth() const override { return FSize; }
    void GetText(std::u16string& text, bool displayText) const override;
    void SetAsBoolean(bool value) override;
    void SetAsFloat(double value) override;
    void SetAsInteger(int32_t value) override;
    void SetAsLargeInt(int64_t value) override;
    void SetAsString(const std::u16string& value) override;
    void SetVarValue(const core::Variant& value) override;

    // Text as stored: 8-bit, in the engine's default code page (1252);
    // characters the page cannot hold become '?'.
    static std::string ToStored(std::u16string_view text);
    static std::u16string FromStored(std::string_view bytes);

private:
    bool FFixedChar = false;
    bool FTransliterate = true;
};

// Base of every number field: right-justified, display and edit formats.
class TNumericField : public TField {
    DECLARE_CLASS(TNumericField, TField)
public:
    explicit TNumericField(components::TComponent* owner);

    const std::u16string& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const std::u16string& value);
    const std::u16string& EditFormat() const { return FEditFormat; }
    void SetEditFormat(const std::u16string& value);

    void SetTextImpl(const std::u16string& value) override;

protected:
    std::u16string FDisplayFormat;
    std::u16string FEditFormat;
};

// A 32-bit signed integer (and, through its descendants, the narrower widths).
class TIntegerField : public TNumericField {
    DECLARE_CLASS(TIntegerField, TNumericField)
public:
    explicit TIntegerField(components::TComponent* owner);

    int32_t MinValue() const { return FMinValue; }
    void SetMinValue(int32_t value);
    int32_t MaxValue() const { return FMaxValue; }
    void SetMaxValue(int32_t value);

    double GetAsFloat() const override;
    int32_t GetAsInteger() const override;
    int64_t GetAsLargeInt() const override;
    std::u16string GetAsString() const override;
    core::Variant GetAsVariant() const override;
    uint32_t GetAsLongWord() const override;
    float GetAsSingle() const override { return static_cast<float>(GetAsInteger()); }
    void Bind(bool binding) override;
    // The width of the stored value: the field type's own (1, 2 or 4 bytes),
    // or, while bound to a definition of another integer type, that type's.
    int GetDataSize() const override;
    void GetText(std::u16string& text, bool displayText) const override;
    void SetAsFloat(double value) override;
    void SetAsSingle(float value) override { SetAsFloat(value); }
    void SetAsInteger(int32_t value) override;
    void SetAsLargeInt(int64_t value) override;
    void SetAsLongWord(uint32_t value) override { SetAsLargeInt(value); }
    void SetAsString(const std::u16string& value) override;
    void SetVarValue(const core::Variant& value) override;

    // Parses integer text as this field accepts it; false when it does not parse.
    static bool ParseInteger(std::u16string_view text, int32_t& value);

protected:
    TIntegerField(components::TComponent* owner, TFieldType type, int64_t minRange, int64_t maxRange);
    bool GetValue(int32_t& value) const;
    void CheckRange(double value) const;

    int64_t FMinRange;
    int64_t FMaxRange;
    TFieldType FStorageType; // the integer type the values are stored as
    int32_t FMinValue = 0;
    int32_t FMaxValue = 0;
};

class TSmallintField : public TIntegerField {
    DECLARE_CLASS(TSmallintField, TIntegerField)
public:
    explicit TSmallintField(components::TComponent* owner);
};

class TShortintField : public TIntegerField {
    DECLARE_CLASS(TShortintField, TIntegerField)
public:
    explicit TShortintField(components::TComponent* owner);
};

class TByteField : public TIntegerField {
    DECLARE_CLASS(TByteField, TIntegerField)
public:
    explicit TByteField(components::TComponent* owner);
};

class TWordField : public TIntegerField {
    DECLARE_CLASS(TWordField, TIntegerField)
public:
    explicit TWordField(components::TComponent* owner);
};

class TAutoIncField : public TIntegerField {
    DECLARE_CLASS(TAutoIncField, TIntegerField)
public:
    explicit TAutoIncField(components::TComponent* owner);
};

// A double.
class TFloatField : public TNumericField {
    DECLARE_CLASS(TFloatField, TNumericField)
public:
    explicit TFloatField(components::TComponent* owner);

    double MinValue() const { return FMinValue; }
    void SetMinValue(double value) { FMinValue = value; }
    double MaxValue() const { return FMaxValue; }
    void SetMaxValue(double value) { FMaxValue = value; }
    int Precision() const { return FPrecision; }
    void SetPrecision(int value);
    // Money: shown with the currency symbol and two decimals when no format is set.
    bool Currency() const { return FCurrency; }
    void SetCurrency(bool value);

    double GetAsFloat() const override;
    int32_t GetAsInteger() const override;
    int64_t GetAsLargeInt() const override;
    std::u16string GetAsString() const override;
    core::Variant GetAsVariant() const override;
    float GetAsSingle() const override { return static_cast<float>(GetAsFloat()); }
    int GetDataSize() const override { return 8; }
    void GetText(std::u16string& text, bool displayText) const override;
    void SetAsFloat(double value) override;
    void SetAsSingle(float value) override { SetAsFloat(value); }
    void SetAsInteger(int32_t value) override;
    void SetAsLargeInt(int64_t value) override;
    void SetAsString(const std::u16string& value) override;
    void SetVarValue(const core::Variant& value) override;

protected:
    TFloatField(components::TComponent* owner, TFieldType type, int precision);
    bool GetValue(double& value) const { return ReadValue(value); }
    // The stored value in the field's own width.
    virtual bool ReadValue(double& value) const;
    virtual void WriteValue(double value);
    // Text of a stored value: `format` when set, else the general form.
    virtual std::u16string FormatValue(double value, const std::u16string& format, bool displayText) const;

    double FMinValue = 0;
    double FMaxValue = 0;
    int FPrecision = 15;
    bool FCurrency = false;
};

// The class that represents a field of `type`, or nullptr when the type has none here.
TFieldClass DefaultFieldClass(TFieldType type);

} // namespace data
