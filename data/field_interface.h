#pragma once
// TInterfaceField / TIDispatchField: columns holding a reference to an
// object's interface. The value travels between field and dataset as a
// TInterfaceValue object (the buffer of GetFieldData/SetFieldData points at
// one). There is no text, number or variant form: those accessors raise
// "Cannot access field '%s' as type %s", and the text is the class
// description, "(Interface)" or "(INTERFACE)".
#include <memory>

#include "data/field.h"

namespace data {

using TInterfaceValue = std::shared_ptr<void>;

class TInterfaceField : public TField {
    DECLARE_CLASS(TInterfaceField, TField)
public:
    explicit TInterfaceField(components::TComponent* owner);

    // The reference held by the record (empty: null).
    TInterfaceValue Value() const;
    void SetValue(TInterfaceValue value);

    bool GetIsNull() const override { return !Value(); }
    // Null reads as a null variant; a reference cannot be a variant.
    core::Variant GetAsVariant() const override;
    void SetVarValue(const core::Variant& value) override;
    void Clear() override;

protected:
    TInterfaceField(components::TComponent* owner, TFieldType type) : TField(owner) { SetDataTypeInit(type); }

private:
    void StoreValue(const TInterfaceValue* value);
};

// A dispatch interface: the same holder with its own type.
class TIDispatchField : public TInterfaceField {
    DECLARE_CLASS(TIDispatchField, TInterfaceField)
public:
    explicit TIDispatchField(components::TComponent* owner);
};

} // namespace data
