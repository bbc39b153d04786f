#pragma once
// TBooleanField: a two-byte truth value shown and typed through its pair of
// display texts ("True;False" unless set otherwise).
#include <string>

#include "data/field.h"

namespace data {

class TBooleanField : public TField {
    DECLARE_CLASS(TBooleanField, TField)
public:
    explicit TBooleanField(components::TComponent* owner);

    // "true text;false text"; without ";" the whole text is the true text and
    // the false text is empty.
    const std::u16string& DisplayValues() const { return FDisplayValues; }
    void SetDisplayValues(const std::u16string& value);
    bool HasDisplayValues() const { return !FDisplayValues.empty(); }

    bool GetAsBoolean() const override;
    std::u16string GetAsString() const override;
    core::Variant GetAsVariant() const override;
    int GetDataSize() const override { return 2; }
    int GetDefaultWidth() const override;
    void SetAsBoolean(bool value) override;
    // Empty text: false when the false text is empty, true when the true text
    // is, else null. Otherwise the text must begin one of the two texts
    // (letter case ignored; the false text is tried first).
    void SetAsString(const std::u16string& value) override;
    void SetVarValue(const core::Variant& value) override;

private:
    bool GetValue(bool& value) const;

    std::u16string FDisplayValues;
    std::u16string FTextValues[2] = {u"False", u"True"};
};

} // namespace data
