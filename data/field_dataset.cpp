#include "data/field_dataset.h"

#include "data/client_dataset.h"
#include "data/db_error.h"

namespace data {

using components::TComponent;

TDataSetField::TDataSetField(TComponent* owner) : TDataSetField(owner, TFieldType::ftDataSet) {}

TDataSetField::TDataSetField(TComponent* owner, TFieldType type) : TObjectField(owner, type) {}

TDataSetField::~TDataSetField()
{
    // The nested dataset reads through this field: it closes and lets go
    // before the field is gone (and goes with it when the field made it).
    TDataSet* nested = FNestedDataSet;
    if (!nested)
        return;
    if (auto* client = dynamic_cast<TCustomClientDataSet*>(nested)) {
        try {
            client->SetDataSetField(nullptr);
        } catch (...) {
            components::HandleException(std::current_exception());
        }
    }
    FNestedDataSet = nullptr;
    if (FOwnsNestedDataSet)
        delete nested;
}

TDataSet* TDataSetField::NestedDataSet()
{
    if (FNestedDataSet)
        return FNestedDataSet;
    auto* parent = dynamic_cast<TCustomClientDataSet*>(DataSet());
    if (!parent)
        DatabaseErrorFmt(nullptr, "Field '{}' has no dataset", core::ToUtf8(DisplayName()));
    TDataSet* made = parent->CreateNestedDataSet(this);
    FOwnsNestedDataSet = true;
    return made;
}

core::Variant TDataSetField::GetAsVariant() const { AccessError(u"Variant"); }

void TDataSetField::SetVarValue(const core::Variant&) { AccessError(u"Variant"); }

bool TDataSetField::GetIsNull() const { return TField::GetIsNull(); }

void TDataSetField::Bind(bool binding)
{
    if (!binding && FNestedDataSet)
        FNestedDataSet->Close();
    TObjectField::Bind(binding);
}

void TDataSetField::AttachNestedDataSet(TDataSet* dataSet)
{
    if (FNestedDataSet == dataSet)
        return;
    if (FNestedDataSet)
        DatabaseErrorFmt(nullptr, "Field '{}' already has a nested dataset", core::ToUtf8(DisplayName()));
    FNestedDataSet = dataSet;
    FOwnsNestedDataSet = false;
}

void TDataSetField::DetachNestedDataSet(TDataSet* dataSet)
{
    if (FNestedDataSet != dataSet)
        return;
    FNestedDataSet = nullptr;
    FOwnsNestedDataSet = false;
}

TReferenceField::TReferenceField(TComponent* owner) : TDataSetField(owner, TFieldType::ftReference) {}

void TReferenceField::CheckTypeSize(int value)
{
    if (value < 0)
        DatabaseError(msg::InvalidFieldSize);
}

// clang-format off
DEFINE_CLASS(TDataSetField) END_CLASS
DEFINE_CLASS(TReferenceField)
    .Property(u"ReferenceTableName", &TReferenceField::ReferenceTableName, &TReferenceField::SetReferenceTableName)
    .Property(u"Size", &TReferenceField::Size, &TReferenceField::SetSize).Default(0)
END_CLASS
// clang-format on

} // namespace data
