#include "data/field.h"

#include <algorithm>
#include <cstring>

#include "components/reader.h"
#include "data/dataset.h"
#include "data/db_error.h"
#include "data/field_defs.h"
#include "data/field_object.h"
#include "data/fields.h"

namespace data {

using components::TComponent;

TField::TField(TComponent* owner) : TComponent(owner) {}

TField::~TField()
{
    if (FDataSet && FDataSet->Active() && !FDataSet->InState(components::TComponentState::csDestroying))
        FDataSet->Close();
    // Also a child of an object field that has no dataset leaves its list.
    if (FFields)
        FFields->Remove(this);
}

void TField::SetDataSetInternal(TDataSet* value)
{
    FDataSet = value;
    if (auto* object = dynamic_cast<TObjectField*>(this))
        for (int i = 0; i < object->FieldCount(); ++i)
            object->Fields().Fields(i)->SetDataSetInternal(value);
}

std::u16string TField::FullName() const
{
    if (!FParentField)
        return FFieldName;
    // An array element's name already carries the array's name.
    if (FParentField->DataType() == TFieldType::ftArray) {
        TObjectField* outer = FParentField->ParentField();
        return outer ? outer->FullName() + u"." + FFieldName : FFieldName;
    }
    return FParentField->FullName() + u"." + FFieldName;
}

void TField::SetParentField(TObjectField* value)
{
    if (value == FParentField)
        return;
    if (FDataSet)
        FDataSet->CheckInactive();
    if (value) {
        if (value->DataSet())
            value->DataSet()->CheckInactive();
        value->Fields().CheckFieldName(FFieldName);
    }
    if (FFields)
        FFields->Remove(this);
    SetDataSetInternal(nullptr);
    FParentField = value;
    if (value) {
        FLifeCycle = value->LifeCycle();
        value->Fields().Add(this);
        SetDataSetInternal(value->DataSet());
    }
}

void TField::SetFieldName(const std::u16string& value)
{
    if (FDataSet)
        FDataSet->CheckInactive();
    if (FFields && !core::SameText(value, FFieldName)) {
        FFields->CheckFieldName(value);
        FFields->Rename(this, value);
    } else if (FFields) {
        FFields->Rename(this, value);
    }
    FFieldName = value;
    if (FDisplayLabel == value)
        FDisplayLabel.clear();
    if (FFields)
        FFields->Changed();
}

int TField::Index() const { return FFields ? FFields->IndexOf(this) : -1; }

void TField::SetIndex(int value)
{
    if (FFields)
        FFields->SetFieldIndex(this, value);
}

void TField::SetAlignment(TAlignment value)
{
    if (value == FAlignment)
        return;
    FAlignment = value;
    PropertyChanged(true);
}

void TField::SetVisible(bool value)
{
    if (value == FVisible)
        return;
    FVisible = value;
    PropertyChanged(true);
}

void TField::SetReadOnly(bool value)
{
    if (value == FReadOnly)
        return;
    FReadOnly = value;
    PropertyChanged(true);
}

void TField::SetDisplayLabel(const std::u16string& value)
{
    const std::u16string label = value == FFieldName ? std::u16string() : value;
    if (label == FDisplayLabel)
        return;
    FDisplayLabel = label;
    PropertyChanged(true);
}

void TField::SetDisplayWidth(int value)
{
    if (value == FDisplayWidth)
        return;
    FDisplayWidth = value;
    PropertyChanged(true);
}

void TField::PropertyChanged(bool layoutAffected)
{
    if (FDataSet && FDataSet->Active())
        FDataSet->DataEvent(layoutAffected ? TDataEvent::deLayoutChange : TDataEvent::deDataSetChange, 0);
}

std::u16string TField::Text() const
{
    std::u16string text;
    if (OnGetText)
        OnGetText(const_cast<TField*>(this), text, false);
    else
        GetText(text, false);
    return text;
}

void TField::SetText(const std::u16string& value)
{
    if (OnSetText)
        OnSetText(this, value);
    else
        SetTextImpl(value);
}

std::u16string TField::DisplayText() const
{
    std::u16string text;
    if (OnGetText)
        OnGetText(const_cast<TField*>(this), text, true);
    else
        GetText(text, true);
    return text;
}

core::Variant TField::OldValue() const
{
    if (!FDataSet)
        DatabaseErrorFmt(nullptr, "Field '{}' has no dataset", core::ToUtf8(DisplayName()));
    return FDataSet->GetStateFieldValue(TDataSetState::dsOldValue, const_cast<TField*>(this));
}

core::Variant TField::CurValue() const
{
    if (!FDataSet)
        DatabaseErrorFmt(nullptr, "Field '{}' has no dataset", core::ToUtf8(DisplayName()));
    return FDataSet->GetStateFieldValue(TDataSetState::dsCurValue, const_cast<TField*>(this));
}

core::Variant TField::NewValue() const
{
    if (!FDataSet)
        DatabaseErrorFmt(nullptr, "Field '{}' has no dataset", core::ToUtf8(DisplayName()));
    return FDataSet->GetStateFieldValue(TDataSetState::dsNewValue, const_cast<TField*>(this));
}

void TField::FocusControl()
{
    if (FDataSet && FDataSet->Active()) {
        TField* ref = this;
        FDataSet->DataEvent(TDataEvent::deFocusControl, reinterpret_cast<intptr_t>(&ref));
    }
}

void TField::Assign(components::TPersistent* source)
{
    if (!source) {
        Clear();
        return;
    }
    if (auto* f = dynamic_cast<TField*>(source)) {
        SetAsVariant(f->AsVariant());
        return;
    }
    inherited::Assign(source);
}

bool TField::GetData(void* buffer, bool nativeFormat) const
{
    if (!FDataSet)
        DatabaseErrorFmt(nullptr, "Field '{}' has no dataset", core::ToUtf8(DisplayName()));
    const TDataSetState st = FDataSet->State();
    if (FValidating && st != TDataSetState::dsOldValue && st != TDataSetState::dsCurValue) {
        if (!FValueBuffer)
            return false;
        if (buffer)
            std::memcpy(buffer, FValueBuffer, static_cast<size_t>(GetDataSize()));
        return true;
    }
    return FDataSet->GetFieldData(const_cast<TField*>(this), buffer, nativeFormat);
}

void TField::SetData(const void* buffer, bool nativeFormat)
{
    if (!FDataSet)
        DatabaseErrorFmt(nullptr, "Field '{}' has no dataset", core::ToUtf8(DisplayName()));
    // The value travels in the field's own copy: the dataset's shared
    // conversion buffer may be reused (by an OnValidate or OnChange handler
    // reading another field) before the value is stored.
    // The copy is zero-padded past the field's own bytes: the storage may
    // take more bytes than the field holds (a 1-byte integer kept in a
    // 2-byte slot, a field bound to a wider definition of its base type).
    const void* value = nullptr;
    if (buffer) {
        const size_t size = static_cast<size_t>(std::max(GetDataSize(), 0));
        const size_t padded = std::max(size + 16, static_cast<size_t>(FWriteSize));
        FWriteBuffer.assign(padded, 0);
        std::memcpy(FWriteBuffer.data(), buffer, size);
        value = FWriteBuffer.data();
    }
    StoreThroughDataSet(value, nativeFormat);
}

void TField::StoreThroughDataSet(const void* value, bool nativeFormat)
{
    const void* saved = FValueBuffer;
    FValueBuffer = value;
    try {
        FDataSet->SetFieldData(this, value, nativeFormat);
    } catch (...) {
        FValueBuffer = saved;
        throw;
    }
    FValueBuffer = saved;
}

void TField::Validate(const void* buffer)
{
    if (!OnValidate)
        return;
    const void* saved = FValueBuffer;
    if (!FValueBuffer)
        FValueBuffer = buffer;
    FValidating = true;
    try {
        OnValidate(this);
    } catch (...) {
        FValidating = false;
        FValueBuffer = saved;
        throw;
    }
    FValidating = false;
    FValueBuffer = saved;
}

void TField::Bind(bool binding)
{
    FWriteSize = 0;
    if (!binding || !FDataSet || FFieldNo <= 0)
        return;
    // A definition larger than the field (kept so by the compatibility
    // rules) may be stored in up to two bytes per unit plus a length.
    if (const TFieldDef* def = FDataSet->FindFieldDef(FullName()))
        FWriteSize = GetDataSize() + 2 * std::max(def->Size(), 0) + 16;
}

void TField::CheckTypeSize(int value)
{
    if (value != 0)
        DatabaseError(msg::InvalidFieldSize);
}

void TField::Change() { OnChange(this); }

void TField::AccessError(const char16_t* typeName) const
{
    DatabaseErrorFmt(nullptr, "Cannot access field '{}' as type {}", core::ToUtf8(DisplayName()),
                     core::ToUtf8(typeName));
}

void TField::InvalidValueError() const
{
    DatabaseErrorFmt(nullptr, "Invalid value for field '{}'", core::ToUtf8(DisplayName()));
}

void TField::RangeErrorFmt(double value, double min, double max) const
{
    DatabaseErrorFmt(nullptr, "{:.15g} is not a valid value for field '{}'. The allowed range is {:.15g} to {:.15g}",
                     value, core::ToUtf8(DisplayName()), min, max);
}

bool TField::GetAsBoolean() const { AccessError(u"Boolean"); }
core::TDateTime TField::GetAsDateTime() const { AccessError(u"DateTime"); }
float TField::GetAsSingle() const { AccessError(u"Single"); }
uint32_t TField::GetAsLongWord() const { AccessError(u"LongWord"); }
void TField::SetAsDateTime(core::TDateTime) { AccessError(u"DateTime"); }
void TField::SetAsSingle(float) { AccessError(u"Single"); }
void TField::SetAsLongWord(uint32_t) { AccessError(u"LongWord"); }

core::Bytes TField::GetAsBytes() const
{
    const int size = GetDataSize();
    if (size <= 0)
        return {};
    uint8_t* buf = IOBuffer(static_cast<size_t>(std::max(size, GetIOSize())));
    if (!GetData(buf))
        return {};
    return core::Bytes(buf, buf + size);
}

void TField::SetAsBytes(const core::Bytes& value)
{
    if (value.empty()) {
        Clear();
        return;
    }
    if (static_cast<int>(value.size()) != GetDataSize())
        InvalidValueError();
    SetData(value.data());
}
double TField::GetAsFloat() const { AccessError(u"Float"); }
int32_t TField::GetAsInteger() const { AccessError(u"Integer"); }
int64_t TField::GetAsLargeInt() const { AccessError(u"Int64"); }
std::u16string TField::GetAsString() const { return GetClassDesc(); }
core::Variant TField::GetAsVariant() const { AccessError(u"Variant"); }
void TField::SetAsBoolean(bool) { AccessError(u"Boolean"); }
void TField::SetAsFloat(double) { AccessError(u"Float"); }
void TField::SetAsInteger(int32_t) { AccessError(u"Integer"); }
void TField::SetAsLargeInt(int64_t) { AccessError(u"Int64"); }
void TField::SetAsString(const std::u16string&) { AccessError(u"String"); }
void TField::SetVarValue(const core::Variant&) { AccessError(u"Variant"); }

void TField::SetAsVariant(const core::Variant& value)
{
    if (core::VarIsClear(value))
        Clear();
    else
        SetVarValue(value);
}

bool TField::GetCanModify() const
{
    if (FFieldNo <= 0 || !FDataSet)
        return false;
    if (FDataSet->State() == TDataSetState::dsSetKey)
        return FDataSet->GetIsIndexField(const_cast<TField*>(this));
    return !FReadOnly && FDataSet->CanModify();
}

std::u16string TField::GetClassDesc() const
{
    std::u16string name = ClassName();
    if (!name.empty() && name[0] == u'T')
        name.erase(0, 1);
    if (name.size() >= 5 && core::SameText(name.substr(name.size() - 5), u"FIELD"))
        name.erase(name.size() - 5);
    std::u16string desc = u"(" + name + u")";
    return IsNull() ? desc : core::UpperCase(desc);
}

bool TField::GetIsNull() const { return !GetData(nullptr); }

void TField::GetText(std::u16string& text, bool) const { text = GetAsString(); }

void TField::SetParentComponent(TComponent* value)
{
    // While loading, the field's name is not read yet: ReadState attaches it.
    if (InState(components::TComponentState::csLoading))
        return;
    if (auto* dataSet = dynamic_cast<TDataSet*>(value))
        SetDataSet(dataSet);
    else if (auto* object = dynamic_cast<TObjectField*>(value))
        SetParentField(object);
}

void TField::ReadState(components::TReader& reader)
{
    TComponent::ReadState(reader);
    if (auto* dataSet = dynamic_cast<TDataSet*>(reader.Parent()))
        SetDataSet(dataSet);
    else if (auto* object = dynamic_cast<TObjectField*>(reader.Parent()))
        SetParentField(object);
}

TComponent* TField::GetParentComponent() const
{
    if (FParentField)
        return FParentField;
    return FDataSet;
}

void TField::SetDataSet(TDataSet* value)
{
    if (value == FDataSet)
        return;
    if (FDataSet)
        FDataSet->CheckInactive();
    if (value) {
        value->CheckInactive();
        TFields& target = FFieldKind == TFieldKind::fkAggregate ? value->AggFields() : value->Fields();
        target.CheckFieldName(FFieldName);
    }
    if (FFields)
        FFields->Remove(this);
    FDataSet = nullptr;
    if (value) {
        FLifeCycle = value->AutomaticFieldsScope() ? TFieldLifeCycle::lcAutomatic : TFieldLifeCycle::lcPersistent;
        TFields& target = FFieldKind == TFieldKind::fkAggregate ? value->AggFields() : value->Fields();
        target.Add(this);
    }
}

void TField::SetFieldKind(TFieldKind value)
{
    if (value == FFieldKind)
        return;
    if (FFields)
        FFields->CheckFieldKind(value, this);
    if (FDataSet)
        FDataSet->CheckInactive();
    FFieldKind = value;
}

void TField::SetSize(int value)
{
    if (FDataSet)
        FDataSet->CheckInactive();
    CheckTypeSize(value);
    FSize = value;
}

void TField::SetTextImpl(const std::u16string& value) { SetAsString(value); }

void TField::Clear()
{
    if (FFieldKind == TFieldKind::fkData || FFieldKind == TFieldKind::fkInternalCalc)
        SetData(nullptr);
}

bool TField::IsValidChar(char16_t ch) const
{
    if (!(FValidChars[0] | FValidChars[1] | FValidChars[2] | FValidChars[3]))
        return true;
    if (ch > 255)
        return false;
    return (FValidChars[ch / 64] >> (ch % 64)) & 1u;
}

void TField::SetValidChars(const char* chars)
{
    for (int i = 0; i < 4; ++i)
        FValidChars[i] = 0;
    for (; *chars; ++chars) {
        const auto c = static_cast<unsigned char>(*chars);
        FValidChars[c / 64] |= uint64_t{1} << (c % 64);
    }
}

uint8_t* TField::IOBuffer(size_t size) const
{
    if (!FDataSet)
        DatabaseErrorFmt(nullptr, "Field '{}' has no dataset", core::ToUtf8(DisplayName()));
    return FDataSet->IOBuffer(size);
}

// clang-format off
DEFINE_CLASS(TField)
    .Property(u"Alignment", &TField::Alignment, &TField::SetAlignment).Default(0)
    .Property(u"AutoGenerateValue", &TField::AutoGenerateValue, &TField::SetAutoGenerateValue).Default(0)
    .Property(u"DisplayLabel", &TField::DisplayLabelValue, &TField::SetDisplayLabel)
        .Stored(&TField::HasDisplayLabel)
    .Property(u"DisplayWidth", &TField::FDisplayWidth, &TField::SetDisplayWidth).Stored(&TField::HasDisplayWidth)
    .Property(u"FieldKind", &TField::FieldKind, &TField::SetFieldKind).Default(0)
    .Property(u"FieldName", &TField::FieldName, &TField::SetFieldName)
    .Property(u"Origin", &TField::Origin, &TField::SetOrigin)
    .Property(u"ProviderFlags", &TField::ProviderFlags, &TField::SetProviderFlags).Default(3)
    .Property(u"ReadOnly", &TField::ReadOnly, &TField::SetReadOnly).Default(0)
    .Property(u"Required", &TField::Required, &TField::SetRequired).Default(0)
    .Property(u"Visible", &TField::Visible, &TField::SetVisible).Default(1)
    .Property(u"OnChange", &TField::OnChange, &TField::OnChange)
    .Property(u"OnGetText", &TField::OnGetText, &TField::OnGetText)
    .Property(u"OnSetText", &TField::OnSetText, &TField::OnSetText)
    .Property(u"OnValidate", &TField::OnValidate, &TField::OnValidate)
END_CLASS
// clang-format on

} // namespace data
