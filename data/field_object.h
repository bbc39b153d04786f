#pragma once
// Object fields: a field whose value is made of child fields. TADTField is a
// structure of named children ("Parent.Child"); TArrayField a fixed number
// of elements of one type ("Array[i]"). The children live in the object
// field's own field list and read and write the same record as their parent.
#include <memory>
#include <string>

#include "data/field.h"
#include "data/fields.h"

namespace data {

class TObjectField : public TField {
    DECLARE_CLASS(TObjectField, TField)
public:
    ~TObjectField() override;

    TFields& Fields() const { return *FChildren; }
    int FieldCount() const { return FChildren->Count(); }
    // The value of child `index` (raises "List index out of bounds (%d)" outside).
    core::Variant FieldValues(int index) const;
    void SetFieldValues(int index, const core::Variant& value);
    const std::u16string& ObjectType() const { return FObjectType; }
    void SetObjectType(const std::u16string& value) { FObjectType = value; }

    // Null when every child is null.
    bool GetIsNull() const override;
    // A variant array of the children's values (null when all are null).
    core::Variant GetAsVariant() const override;
    // From a variant array: child i takes element i (missing elements clear it).
    void SetVarValue(const core::Variant& value) override;
    void Clear() override;
    int GetDefaultWidth() const override;
    void SetDataSet(TDataSet* value) override;
    void SetFieldKind(TFieldKind value) override;
    // Children are written as the object field's children in a form description.
    void GetChildren(const std::function<void(components::TComponent*)>& proc, components::TComponent* root) override;

protected:
    TObjectField(components::TComponent* owner, TFieldType type);
    friend class TField;
    // The children follow the parent into and out of a dataset.
    void AttachChildren(TDataSet* dataSet);

private:
    std::unique_ptr<TFields> FChildren;
    std::u16string FObjectType;
};

class TADTField : public TObjectField {
    DECLARE_CLASS(TADTField, TObjectField)
public:
    explicit TADTField(components::TComponent* owner);
};

class TArrayField : public TObjectField {
    DECLARE_CLASS(TArrayField, TObjectField)
public:
    explicit TArrayField(components::TComponent* owner);
    // Size is the number of elements.
    void CheckTypeSize(int value) override;
};

} // namespace data
