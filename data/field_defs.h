#pragma once
// Field definitions: what columns the storage offers. A dataset's fields are
// created from them or bound to them by name when it opens.
#include <memory>
#include <string>

#include "components/collection.h"
#include "data/db_types.h"
#include "data/field.h"

namespace data {

class TDataSet;
class TFieldDefs;

class TFieldDef : public components::TCollectionItem {
    DECLARE_CLASS(TFieldDef, components::TCollectionItem)
public:
    explicit TFieldDef(components::TCollection* collection);
    ~TFieldDef() override;

    const std::u16string& Name() const { return FName; }
    void SetName(const std::u16string& value);
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType value) { FDataType = value; Changed(false); }
    int Size() const { return FSize; }
    void SetSize(int value) { FSize = value; Changed(false); }
    int Precision() const { return FPrecision; }
    void SetPrecision(int value) { FPrecision = value; Changed(false); }
    TFieldAttributes Attributes() const { return FAttributes; }
    void SetAttributes(TFieldAttributes value) { FAttributes = value; Changed(false); }
    bool Required() const { return FAttributes.Contains(TFieldAttribute::faRequired); }
    void SetRequired(bool value);
    bool InternalCalcField() const { return FInternalCalcField; }
    void SetInternalCalcField(bool value) { FInternalCalcField = value; }
    // Stored number if positive, else position + 1.
    int FieldNo() const { return FFieldNo > 0 ? FFieldNo : Index() + 1; }
    void SetFieldNo(int value) { FFieldNo = value; }
    TFieldClass FieldClass() const;
    TFieldDefs* FieldDefs() const;
    // Creates this definition's field, owned by `owner`, attached to the
    // dataset or nested in `parentField`; an object field gets its children
    // (one per child definition, or Size elements of an array) when asked.
    TField* CreateField(components::TComponent* owner, const std::u16string& fieldName = {},
                        TObjectField* parentField = nullptr, bool createChildren = true);
    // Definitions of an object type's children (an array's one element), created on demand.
    TFieldDefs* ChildDefs();
    bool HasChildDefs() const;
    // The definition whose child this one is; none at the top level.
    TFieldDef* ParentDef() const;
    void Assign(components::TPersistent* source) override;
    std::u16string GetDisplayName() const override { return FName; }

private:
    std::unique_ptr<TFieldDefs> FChildDefs;
    std::u16string FName;
    int FPrecision = 0;
    int FFieldNo = 0;
    int FSize = 0;
    bool FInternalCalcField = false;
    TFieldType FDataType = TFieldType::ftUnknown;
    TFieldAttributes FAttributes;
};

class TFieldDefs : public components::TOwnedCollection {
    DECLARE_CLASS(TFieldDefs, components::TOwnedCollection)
public:
    explicit TFieldDefs(TDataSet* owner);
    // Child definitions of `parentDef` (same dataset).
    explicit TFieldDefs(TFieldDef* parentDef);
    TFieldDef* ParentDef() const { return FParentDef; }

    TDataSet* DataSet() const { return FDataSet; }
    TFieldDef* Items(int index) const { return static_cast<TFieldDef*>(TCollection::Items(index)); }
    TFieldDef* AddFieldDef() { return static_cast<TFieldDef*>(TCollection::Add()); }
    // Raises "Field name missing" (dataset prefix) for an empty name.
    TFieldDef* Add(const std::u16string& name, TFieldType dataType, int size = 0, bool required = false);
    TFieldDef* Find(std::u16string_view name) const; // raises "Field '%s' not found"
    int IndexOf(std::u16string_view name) const;
    bool HiddenFields() const { return FHiddenFields; }
    void SetHiddenFields(bool value) { FHiddenFields = value; }
    bool Updated() const { return FUpdated; }
    void SetUpdated(bool value) { FUpdated = value; }
    // Makes the dataset define them when they are out of date.
    void Update();

protected:
    using TOwnedCollection::Update; // the collection's item-change hook stays visible

private:
    TDataSet* FDataSet;
    TFieldDef* FParentDef = nullptr;
    bool FHiddenFields = false;
    bool FUpdated = false;
};

} // namespace data
