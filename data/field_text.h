#pragma once
// The other text fields: TWideStringField (16-bit text of at most Size
// characters, kept by the storage as a 2-byte length in bytes followed by the
// characters) and TGuidField (a string field holding a GUID in braces).
#include <string>

#include "data/field_types.h"

namespace data {

class TWideStringField : public TField {
    DECLARE_CLASS(TWideStringField, TField)
public:
    explicit TWideStringField(components::TComponent* owner);

    bool FixedChar() const { return FFixedChar; }
    void SetFixedChar(bool value) { FFixedChar = value; }

    void CheckTypeSize(int value) override;
    bool GetAsBoolean() const override;
    double GetAsFloat() const override;
    int32_t GetAsInteger() const override;
    int64_t GetAsLargeInt() const override;
    std::u16string GetAsString() const override;
    core::Variant GetAsVariant() const override;
    int GetDataSize() const override { return (FSize + 1) * 2; }
    int GetDefaultWidth() const override { return FSize; }
    void SetAsBoolean(bool value) override;
    void SetAsFloat(double value) override;
    void SetAsInteger(int32_t value) override;
    void SetAsLargeInt(int64_t value) override;
    // Longer text is cut at Size characters, as for 8-bit string fields.
    void SetAsString(const std::u16string& value) override;
    void SetVarValue(const core::Variant& value) override;

private:
    bool FFixedChar = false;
};

class TGuidField : public TStringField {
    DECLARE_CLASS(TGuidField, TStringField)
public:
    explicit TGuidField(components::TComponent* owner);

    // A GUID is 38 characters: any other size is invalid.
    void CheckTypeSize(int value) override;
    int GetDefaultWidth() const override { return 38; }
    // Empty text clears; anything else must be "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}".
    void SetAsString(const std::u16string& value) override;

    static bool IsGuidText(std::u16string_view text);
};

} // namespace data
