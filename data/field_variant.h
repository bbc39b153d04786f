#pragma once
// TVariantField: a column whose values are variants of any kind. The value
// travels between field and dataset as a core::Variant object (the buffer of
// GetFieldData/SetFieldData points at one), never as raw bytes.
#include <string>

#include "data/field.h"

namespace data {

class TVariantField : public TField {
    DECLARE_CLASS(TVariantField, TField)
public:
    explicit TVariantField(components::TComponent* owner);

    // Typed reads convert the stored variant; a null value reads as 0, false
    // or empty text, a value that does not convert raises the variant
    // conversion error.
    bool GetAsBoolean() const override;
    core::Bytes GetAsBytes() const override;
    core::TDateTime GetAsDateTime() const override;
    double GetAsFloat() const override;
    float GetAsSingle() const override { return static_cast<float>(GetAsFloat()); }
    int32_t GetAsInteger() const override;
    int64_t GetAsLargeInt() const override;
    uint32_t GetAsLongWord() const override;
    std::u16string GetAsString() const override;
    core::Variant GetAsVariant() const override;
    int GetDefaultWidth() const override { return 15; }
    bool GetIsNull() const override;
    // Every typed write stores a variant of that type.
    void SetAsBoolean(bool value) override { WriteVariant(core::Variant(value)); }
    void SetAsBytes(const core::Bytes& value) override;
    void SetAsDateTime(core::TDateTime value) override { WriteVariant(core::Variant(core::VarDate{value})); }
    void SetAsFloat(double value) override { WriteVariant(core::Variant(value)); }
    void SetAsSingle(float value) override { WriteVariant(core::Variant(static_cast<double>(value))); }
    void SetAsInteger(int32_t value) override { WriteVariant(core::Variant(value)); }
    void SetAsLargeInt(int64_t value) override { WriteVariant(core::Variant(value)); }
    void SetAsLongWord(uint32_t value) override { WriteVariant(core::Variant(static_cast<int64_t>(value))); }
    void SetAsString(const std::u16string& value) override { WriteVariant(core::Variant(value)); }
    void SetVarValue(const core::Variant& value) override { WriteVariant(value); }
    void Clear() override;

private:
    core::Variant ReadVariant() const;
    // Hands the variant (nullptr: null) to the dataset, visible to OnValidate.
    void StoreVariant(const core::Variant* value);
    void WriteVariant(const core::Variant& value) { StoreVariant(&value); }
};

} // namespace data
