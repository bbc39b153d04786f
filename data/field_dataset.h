#pragma once
// Nested-table fields. A TDataSetField stands for a column whose value is a
// table of its own: the nested rows that belong to the current record. Its
// NestedDataSet shows those rows and follows the record the parent dataset
// is on. TReferenceField is the same column marked as a reference.
#include <string>

#include "data/field_object.h"

namespace data {

class TDataSetField : public TObjectField {
    DECLARE_CLASS(TDataSetField, TObjectField)
public:
    explicit TDataSetField(components::TComponent* owner);
    ~TDataSetField() override;

    // The dataset that shows the nested rows. Made on first use when none
    // took this field as its DataSetField: an instance of the parent
    // dataset's own class, owned by this field.
    TDataSet* NestedDataSet();
    bool HasNestedDataSet() const { return FNestedDataSet != nullptr; }

    // The nested rows have no single value: the field reads as its class
    // description, and variant access is refused.
    core::Variant GetAsVariant() const override;
    void SetVarValue(const core::Variant& value) override;
    // Null while the record has no nested rows of its own yet.
    bool GetIsNull() const override;
    // The rows are changed through the nested dataset, never cleared through the field.
    void Clear() override {}
    // Unbinding (the parent closes) closes the nested dataset first: its
    // cursor follows the parent's.
    void Bind(bool binding) override;

    // Used by a dataset taking this field as (or leaving it as) its DataSetField.
    void AttachNestedDataSet(TDataSet* dataSet);
    void DetachNestedDataSet(TDataSet* dataSet);

protected:
    TDataSetField(components::TComponent* owner, TFieldType type);

private:
    TDataSet* FNestedDataSet = nullptr;
    bool FOwnsNestedDataSet = false;
};

class TReferenceField : public TDataSetField {
    DECLARE_CLASS(TReferenceField, TDataSetField)
public:
    explicit TReferenceField(components::TComponent* owner);

    const std::u16string& ReferenceTableName() const { return FReferenceTableName; }
    void SetReferenceTableName(const std::u16string& value) { FReferenceTableName = value; }
    int GetDataSize() const override { return Size() + 2; }
    void CheckTypeSize(int value) override;

private:
    std::u16string FReferenceTableName;
};

} // namespace data
