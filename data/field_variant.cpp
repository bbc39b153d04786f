#include "data/field_variant.h"

#include <limits>

#include "core/exception.h"
#include "data/dataset.h"
#include "data/db_error.h"

namespace data {

using components::TComponent;

TVariantField::TVariantField(TComponent* owner) : TField(owner) { SetDataTypeInit(TFieldType::ftVariant); }

core::Variant TVariantField::ReadVariant() const
{
    if (!FDataSet)
        DatabaseErrorFmt(nullptr, "Field '{}' has no dataset", core::ToUtf8(DisplayName()));
    const TDataSetState st = FDataSet->State();
    if (FValidating && st != TDataSetState::dsOldValue && st != TDataSetState::dsCurValue)
        return FValueBuffer ? *static_cast<const core::Variant*>(FValueBuffer) : core::Null();
    core::Variant v;
    if (!FDataSet->GetFieldData(const_cast<TVariantField*>(this), &v, true) || core::VarIsEmpty(v))
        return core::Null();
    return v;
}

void TVariantField::StoreVariant(const core::Variant* value)
{
    if (!FDataSet)
        DatabaseErrorFmt(nullptr, "Field '{}' has no dataset", core::ToUtf8(DisplayName()));
    // An unassigned or null variant is no value.
    if (value && core::VarIsClear(*value))
        value = nullptr;
    StoreThroughDataSet(value, true);
}

void TVariantField::Clear()
{
    if (FFieldKind == TFieldKind::fkData || FFieldKind == TFieldKind::fkInternalCalc)
        StoreVariant(nullptr);
}

bool TVariantField::GetIsNull() const { return core::VarIsClear(ReadVariant()); }

core::Variant TVariantField::GetAsVariant() const { return ReadVariant(); }

std::u16string TVariantField::GetAsString() const { return core::VarToStr(ReadVariant()); }

bool TVariantField::GetAsBoolean() const
{
    const core::Variant v = ReadVariant();
    return core::VarIsClear(v) ? false : core::VarToBool(v);
}

double TVariantField::GetAsFloat() const
{
    const core::Variant v = ReadVariant();
    return core::VarIsClear(v) ? 0.0 : core::VarToDouble(v);
}

core::TDateTime TVariantField::GetAsDateTime() const
{
    const core::Variant v = ReadVariant();
    if (core::VarIsClear(v))
        return 0;
    if (const auto* d = std::get_if<core::VarDate>(&v))
        return d->Value;
    return core::VarToDouble(v);
}

int64_t TVariantField::GetAsLargeInt() const
{
    const core::Variant v = ReadVariant();
    return core::VarIsClear(v) ? 0 : core::VarToInt64(v);
}

int32_t TVariantField::GetAsInteger() const
{
    const core::Variant v = ReadVariant();
    if (core::VarIsClear(v))
        return 0;
    const int64_t n = core::VarToInt64(v);
    // Never wrap silently: a value beyond 32 bits does not convert.
    if (n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max())
        core::Raise<core::EConvertError>("Could not convert variant of type ({}) into type ({})", core::VarTypeName(v),
                                         "Integer");
    return static_cast<int32_t>(n);
}

uint32_t TVariantField::GetAsLongWord() const
{
    const core::Variant v = ReadVariant();
    if (core::VarIsClear(v))
        return 0;
    const int64_t n = core::VarToInt64(v);
    if (n < 0 || n > std::numeric_limits<uint32_t>::max())
        core::Raise<core::EConvertError>("Could not convert variant of type ({}) into type ({})", core::VarTypeName(v),
                                         "LongWord");
    return static_cast<uint32_t>(n);
}

core::Bytes TVariantField::GetAsBytes() const
{
    const core::Variant v = ReadVariant();
    if (core::VarIsClear(v))
        return {};
    if (const auto* b = std::get_if<core::Bytes>(&v))
        return *b;
    core::Raise<core::EConvertError>("Could not convert variant of type ({}) into type ({})", core::VarTypeName(v),
                                     "Array of Byte");
}

void TVariantField::SetAsBytes(const core::Bytes& value)
{
    if (value.empty())
        Clear();
    else
        WriteVariant(core::Variant(value));
}

// clang-format off
DEFINE_CLASS(TVariantField) END_CLASS
// clang-format on

} // namespace data
