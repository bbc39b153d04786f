#include "data/field_defs.h"

#include "data/dataset.h"
#include "data/db_error.h"
#include "data/field_object.h"
#include "data/field_types.h"

namespace data {

namespace {
constexpr int kMaxArrayElements = 0xFFFF;
} // namespace

TFieldDef::TFieldDef(components::TCollection* collection) : TCollectionItem(collection) {}

TFieldDef::~TFieldDef() = default;

TFieldDefs* TFieldDef::FieldDefs() const { return dynamic_cast<TFieldDefs*>(Collection()); }

void TFieldDef::SetName(const std::u16string& value)
{
    FName = value;
    Changed(false);
}

void TFieldDef::SetRequired(bool value)
{
    if (value)
        FAttributes.Include(TFieldAttribute::faRequired);
    else
        FAttributes.Exclude(TFieldAttribute::faRequired);
    Changed(false);
}

TFieldClass TFieldDef::FieldClass() const
{
    TFieldDefs* defs = FieldDefs();
    if (defs && defs->DataSet())
        return defs->DataSet()->GetFieldClass(FDataType);
    return DefaultFieldClass(FDataType);
}

TField* TFieldDef::CreateField(components::TComponent* owner, const std::u16string& fieldName,
                               TObjectField* parentField, bool createChildren)
{
    TFieldDefs* defs = FieldDefs();
    TDataSet* ds = defs ? defs->DataSet() : nullptr;
    TFieldClass cls = FieldClass();
    if (!cls || !cls->Factory)
        DatabaseErrorFmt(ds, "Field '{}' is of an unknown type", core::ToUtf8(FName));
    auto* field = dynamic_cast<TField*>(cls->Factory(owner));
    if (!field)
        DatabaseErrorFmt(ds, "Field '{}' is of an unknown type", core::ToUtf8(FName));
    try {
        field->SetFieldName(fieldName.empty() ? FName : fieldName);
        if (ds)
            ds->SetFieldProps(field, this);
        else
            field->SetSizeInternal(FSize);
        if (parentField)
            field->SetParentField(parentField);
        else if (ds)
            field->SetDataSet(ds);
        auto* object = dynamic_cast<TObjectField*>(field);
        if (object && createChildren && HasChildDefs()) {
            if (FDataType == TFieldType::ftArray) {
                // No storage holds more fields than this; a larger size is damaged or mistyped.
                if (FSize > kMaxArrayElements)
                    DatabaseError(msg::InvalidFieldSize);
                TFieldDef* element = FChildDefs->Items(0);
                for (int i = 0; i < FSize; ++i)
                    element->CreateField(owner, core::FromUtf8(fmt::format("{}[{}]", core::ToUtf8(field->FieldName()), i)),
                                         object, true);
            } else {
                for (int i = 0; i < FChildDefs->Count(); ++i)
                    FChildDefs->Items(i)->CreateField(owner, {}, object, true);
            }
        }
    } catch (...) {
        delete field;
        throw;
    }
    return field;
}

TFieldDefs* TFieldDef::ChildDefs()
{
    if (!FChildDefs)
        FChildDefs = std::make_unique<TFieldDefs>(this);
    return FChildDefs.get();
}

bool TFieldDef::HasChildDefs() const { return FChildDefs && FChildDefs->Count() > 0; }

TFieldDef* TFieldDef::ParentDef() const
{
    TFieldDefs* defs = FieldDefs();
    return defs ? defs->ParentDef() : nullptr;
}

void TFieldDef::Assign(components::TPersistent* source)
{
    if (auto* d = dynamic_cast<TFieldDef*>(source)) {
        FName = d->FName;
        FPrecision = d->FPrecision;
        FFieldNo = d->FFieldNo;
        FSize = d->FSize;
        FInternalCalcField = d->FInternalCalcField;
        FDataType = d->FDataType;
        FAttributes = d->FAttributes;
        if (FChildDefs)
            FChildDefs->Clear();
        if (d->HasChildDefs())
            for (int i = 0; i < d->FChildDefs->Count(); ++i)
                ChildDefs()->AddFieldDef()->Assign(d->FChildDefs->Items(i));
        Changed(false);
        return;
    }
    inherited::Assign(source);
}

TFieldDefs::TFieldDefs(TDataSet* owner) : TOwnedCollection(owner, TFieldDef::StaticClass()), FDataSet(owner) {}

TFieldDefs::TFieldDefs(TFieldDef* parentDef)
    : TOwnedCollection(parentDef, TFieldDef::StaticClass()),
      FDataSet(parentDef->FieldDefs() ? parentDef->FieldDefs()->DataSet() : nullptr),
      FParentDef(parentDef)
{
}

TFieldDef* TFieldDefs::Add(const std::u16string& name, TFieldType dataType, int size, bool required)
{
    if (name.empty())
        DatabaseError(msg::FieldNameMissing, FDataSet);
    BeginUpdate();
    TFieldDef* def = nullptr;
    try {
        def = AddFieldDef();
        def->SetName(name);
        def->SetDataType(dataType);
        def->SetSize(size);
        def->SetRequired(required);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return def;
}

int TFieldDefs::IndexOf(std::u16string_view name) const
{
    for (int i = 0; i < Count(); ++i)
        if (core::SameText(Items(i)->Name(), name))
            return i;
    return -1;
}

TFieldDef* TFieldDefs::Find(std::u16string_view name) const
{
    const int i = IndexOf(name);
    if (i < 0)
        DatabaseErrorFmt(FDataSet, "Field '{}' not found", core::ToUtf8(name));
    return Items(i);
}

void TFieldDefs::Update()
{
    if (!FUpdated && FDataSet) {
        FDataSet->InitFieldDefs();
        FUpdated = true;
    }
}

// clang-format off
DEFINE_CLASS(TFieldDef)
    .Factory([](components::TObject* c) -> components::TObject* {
        return new TFieldDef(dynamic_cast<components::TCollection*>(c));
    })
    .Property(u"Name", &TFieldDef::Name, &TFieldDef::SetName)
    .Property(u"Attributes", &TFieldDef::Attributes, &TFieldDef::SetAttributes).Default(0)
    .Property(u"DataType", &TFieldDef::DataType, &TFieldDef::SetDataType).Default(0)
    .Property(u"Precision", &TFieldDef::Precision, &TFieldDef::SetPrecision).Default(0)
    .Property(u"Size", &TFieldDef::Size, &TFieldDef::SetSize).Default(0)
END_CLASS

DEFINE_CLASS(TFieldDefs) END_CLASS
// clang-format on

} // namespace data
