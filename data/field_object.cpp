#include "data/field_object.h"

#include "data/dataset.h"
#include "data/db_error.h"

namespace data {

using components::TComponent;

namespace {
constexpr TFieldKinds kChildKinds{TFieldKind::fkData, TFieldKind::fkCalculated, TFieldKind::fkLookup,
                                  TFieldKind::fkInternalCalc};
} // namespace

TObjectField::TObjectField(TComponent* owner, TFieldType type)
    : TField(owner), FChildren(std::make_unique<TFields>(nullptr, kChildKinds))
{
    SetDataTypeInit(type);
}

TObjectField::~TObjectField()
{
    // Children made with the parent go with it; declared ones stay with their owner.
    while (FChildren->Count() > 0) {
        TField* child = FChildren->Fields(FChildren->Count() - 1);
        if (child->LifeCycle() == TFieldLifeCycle::lcAutomatic) {
            delete child;
        } else {
            FChildren->Remove(child);
            child->FParentField = nullptr;
            child->SetDataSetInternal(nullptr);
        }
    }
}

core::Variant TObjectField::FieldValues(int index) const { return FChildren->Fields(index)->AsVariant(); }

void TObjectField::SetFieldValues(int index, const core::Variant& value)
{
    FChildren->Fields(index)->SetAsVariant(value);
}

bool TObjectField::GetIsNull() const
{
    for (int i = 0; i < FChildren->Count(); ++i)
        if (!FChildren->Fields(i)->IsNull())
            return false;
    return true;
}

core::Variant TObjectField::GetAsVariant() const
{
    if (!FDataSet)
        DatabaseErrorFmt(nullptr, "Field '{}' has no dataset", core::ToUtf8(DisplayName()));
    if (GetIsNull())
        return core::Null();
    core::VariantArray values;
    values.reserve(static_cast<size_t>(FChildren->Count()));
    for (int i = 0; i < FChildren->Count(); ++i)
        values.push_back(core::VariantBox{FChildren->Fields(i)->AsVariant()});
    return values;
}

void TObjectField::SetVarValue(const core::Variant& value)
{
    const auto* array = std::get_if<core::VariantArray>(&value);
    if (!array)
        InvalidValueError();
    // More values than children is a wrong value, not something to cut silently.
    if (static_cast<int>(array->size()) > FChildren->Count())
        InvalidValueError();
    for (int i = 0; i < FChildren->Count(); ++i)
        FChildren->Fields(i)->SetAsVariant(static_cast<size_t>(i) < array->size() ? (*array)[static_cast<size_t>(i)].Value
                                                                                 : core::Variant{});
}

void TObjectField::Clear()
{
    for (int i = 0; i < FChildren->Count(); ++i)
        FChildren->Fields(i)->Clear();
}

int TObjectField::GetDefaultWidth() const
{
    int width = 10;
    for (int i = 0; i < FChildren->Count(); ++i)
        width += FChildren->Fields(i)->DisplayWidth();
    return width / 2;
}

void TObjectField::SetDataSet(TDataSet* value)
{
    TField::SetDataSet(value);
    SetDataSetInternal(FDataSet);
}

void TObjectField::SetFieldKind(TFieldKind value)
{
    TField::SetFieldKind(value);
    for (int i = 0; i < FChildren->Count(); ++i)
        FChildren->Fields(i)->SetFieldKind(value);
}

void TObjectField::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root)
{
    for (int i = 0; i < FChildren->Count(); ++i) {
        TField* child = FChildren->Fields(i);
        if (child->Owner() == root)
            proc(child);
    }
}

TADTField::TADTField(TComponent* owner) : TObjectField(owner, TFieldType::ftADT) {}

TArrayField::TArrayField(TComponent* owner) : TObjectField(owner, TFieldType::ftArray) {}

void TArrayField::CheckTypeSize(int value)
{
    if (value < 0)
        DatabaseError(msg::InvalidFieldSize);
}

// clang-format off
DEFINE_CLASS(TObjectField)
    .Property(u"ObjectType", &TObjectField::ObjectType, &TObjectField::SetObjectType)
END_CLASS
DEFINE_CLASS(TADTField) END_CLASS
DEFINE_CLASS(TArrayField)
    .Property(u"Size", &TArrayField::Size, &TArrayField::SetSize).Default(0)
END_CLASS
// clang-format on

} // namespace data
