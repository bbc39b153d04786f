#include "data/field_interface.h"

#include "data/dataset.h"
#include "data/db_error.h"

namespace data {

using components::TComponent;

TInterfaceField::TInterfaceField(TComponent* owner) : TInterfaceField(owner, TFieldType::ftInterface) {}

TInterfaceValue TInterfaceField::Value() const
{
    if (!FDataSet)
        DatabaseErrorFmt(nullptr, "Field '{}' has no dataset", core::ToUtf8(DisplayName()));
    const TDataSetState st = FDataSet->State();
    if (FValidating && st != TDataSetState::dsOldValue && st != TDataSetState::dsCurValue)
        return FValueBuffer ? *static_cast<const TInterfaceValue*>(FValueBuffer) : TInterfaceValue{};
    TInterfaceValue v;
    if (!FDataSet->GetFieldData(const_cast<TInterfaceField*>(this), &v, true))
        return {};
    return v;
}

void TInterfaceField::StoreValue(const TInterfaceValue* value)
{
    if (!FDataSet)
        DatabaseErrorFmt(nullptr, "Field '{}' has no dataset", core::ToUtf8(DisplayName()));
    if (value && !*value)
        value = nullptr;
    StoreThroughDataSet(value, true);
}

void TInterfaceField::SetValue(TInterfaceValue value) { StoreValue(&value); }

void TInterfaceField::Clear()
{
    if (FFieldKind == TFieldKind::fkData || FFieldKind == TFieldKind::fkInternalCalc)
        StoreValue(nullptr);
}

core::Variant TInterfaceField::GetAsVariant() const
{
    if (!Value())
        return core::Null();
    AccessError(u"Variant");
}

void TInterfaceField::SetVarValue(const core::Variant&) { AccessError(u"Variant"); }

TIDispatchField::TIDispatchField(TComponent* owner) : TInterfaceField(owner, TFieldType::ftIDispatch) {}

// clang-format off
DEFINE_CLASS(TInterfaceField) END_CLASS
DEFINE_CLASS(TIDispatchField) END_CLASS
// clang-format on

} // namespace data
