// The dataset's side of fields: creating, binding and destroying them,
// calculated fields, state field values and the shared conversion buffer.
#include <algorithm>
#include <cstring>

#include "data/dataset.h"
#include "data/field_types.h"

namespace data {

bool TDataSet::DefaultFields() const
{
    return !(FFieldOptions.AutoCreateMode == TFieldsAutoCreationMode::acExclusive &&
             FFields->LifeCycles().Contains(TFieldLifeCycle::lcPersistent));
}

TFieldClass TDataSet::GetFieldClass(TFieldType fieldType) const { return DefaultFieldClass(fieldType); }

void TDataSet::SetFieldProps(TField* field, TFieldDef* fieldDef)
{
    field->SetFieldTypeInternal(fieldDef->DataType());
    field->SetSizeInternal(fieldDef->Size());
    if (fieldDef->Required())
        field->SetRequired(true);
    if (fieldDef->Attributes().Contains(TFieldAttribute::faReadonly))
        field->SetReadOnly(true);
    if (fieldDef->InternalCalcField())
        field->SetFieldKind(TFieldKind::fkInternalCalc);
    if (auto* s = dynamic_cast<TStringField*>(field))
        s->SetFixedChar(fieldDef->Attributes().Contains(TFieldAttribute::faFixed) ||
                        fieldDef->DataType() == TFieldType::ftFixedChar);
}

void TDataSet::CreateFields()
{
    if (FFields->Count() > 0) {
        switch (FFieldOptions.AutoCreateMode) {
        case TFieldsAutoCreationMode::acExclusive: return;
        case TFieldsAutoCreationMode::acCombineComputed:
            for (int i = 0; i < FFields->Count(); ++i)
                if (FFields->Fields(i)->FieldKind() == TFieldKind::fkData)
                    return;
            break;
        case TFieldsAutoCreationMode::acCombineAlways: break;
        }
    }
    int position = 0;
    for (int i = 0; i < FFieldDefs->Count(); ++i) {
        TFieldDef* def = FFieldDefs->Items(i);
        using enum TFieldType;
        const TFieldType t = def->DataType();
        if (t == ftUnknown || t == ftADT || t == ftArray || t == ftReference || t == ftDataSet)
            continue;
        if (def->Attributes().Contains(TFieldAttribute::faHiddenCol) && !FFieldDefs->HiddenFields())
            continue;
        if (FFieldOptions.AutoCreateMode != TFieldsAutoCreationMode::acExclusive && FindField(def->Name()))
            continue;
        TField* field = def->CreateField(this);
        if (FFieldOptions.PositionMode == TFieldsPositionMode::poFirst)
            FFields->SetFieldIndex(field, position++);
    }
}

void TDataSet::DestroyFields() { FFields->ClearAutomatic(); }

TFieldTypes TDataSet::GetCalcFieldTypes() const
{
    using enum TFieldType;
    return {ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD, ftDate, ftTime,
            ftDateTime, ftBytes, ftVarBytes, ftFixedChar, ftWideString, ftLargeint, ftGuid, ftTimeStamp,
            ftFMTBcd, ftFixedWideChar, ftOraTimeStamp, ftOraInterval, ftLongWord, ftShortint, ftByte,
            ftExtended, ftTimeStampOffset, ftSingle};
}

void TDataSet::CheckFieldCompatibility(TField* field, TFieldDef* fieldDef)
{
    using enum TFieldType;
    if (BaseFieldType(field->DataType()) != BaseFieldType(fieldDef->DataType()))
        DatabaseErrorFmt(this, "Type mismatch for field '{}', expecting: {} actual: {}",
                         core::ToUtf8(field->DisplayName()), core::ToUtf8(FieldTypeName(field->DataType())),
                         core::ToUtf8(FieldTypeName(fieldDef->DataType())));
    const TFieldType t = field->DataType();
    if ((t == ftBCD || t == ftBytes || t == ftVarBytes || t == ftReference) && field->Size() != fieldDef->Size())
        DatabaseErrorFmt(this, "Size mismatch for field '{}', expecting: {} actual: {}",
                         core::ToUtf8(field->DisplayName()), field->Size(), fieldDef->Size());
    if ((t == ftString || t == ftFixedChar || t == ftWideString || t == ftFixedWideChar) &&
        fieldDef->Size() < field->Size() && !field->ReadOnly())
        field->SetSizeInternal(fieldDef->Size());
}

void TDataSet::BindFields(bool binding)
{
    FCalcFieldsSize = 0;
    FBlobFieldCount = 0;
    FInternalCalcFields = false;
    FIOBufferSize = 0;
    for (int i = 0; i < FFields->Count(); ++i) {
        TField* field = FFields->Fields(i);
        if (!binding) {
            field->BindField(false);
            field->SetFieldNoInternal(0);
            continue;
        }
        switch (field->FieldKind()) {
        case TFieldKind::fkCalculated:
        case TFieldKind::fkLookup:
            if (!GetCalcFieldTypes().Contains(field->DataType()))
                DatabaseErrorFmt(this, "Field '{}' cannot be a calculated or lookup field",
                                 core::ToUtf8(field->DisplayName()));
            field->SetFieldNoInternal(-1);
            field->FOffset = FCalcFieldsSize;
            FCalcFieldsSize += field->DataSize() + 1;
            break;
        case TFieldKind::fkAggregate: field->SetFieldNoInternal(-1); break;
        case TFieldKind::fkData:
        case TFieldKind::fkInternalCalc: {
            const int index = FFieldDefs->IndexOf(field->FullName());
            if (index < 0)
                DatabaseErrorFmt(this, "Field '{}' not found", core::ToUtf8(field->DisplayName()));
            TFieldDef* def = FFieldDefs->Items(index);
            field->SetFieldNoInternal(field->FieldKind() == TFieldKind::fkInternalCalc ? def->FieldNo()
                                                                                        : index + FFieldNoOfs);
            if (FFieldOptions.UpdatePersistent && field->LifeCycle() == TFieldLifeCycle::lcPersistent &&
                field->FieldKind() == TFieldKind::fkData && field->DataType() == def->DataType())
                SetFieldProps(field, def);
            CheckFieldCompatibility(field, def);
            if (def->InternalCalcField())
                FInternalCalcFields = true;
            if (field->IsBlob())
                field->FOffset = FBlobFieldCount++;
            break;
        }
        }
        field->BindField(true);
        FIOBufferSize = std::max(FIOBufferSize, field->IOSize());
    }
    if (FFieldOptions.PositionMode == TFieldsPositionMode::poFieldNo && binding) {
        std::vector<TField*> sorted;
        for (int i = 0; i < FFields->Count(); ++i)
            sorted.push_back(FFields->Fields(i));
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](TField* a, TField* b) { return a->FieldNo() < b->FieldNo(); });
        for (int i = 0; i < static_cast<int>(sorted.size()); ++i)
            FFields->SetFieldIndex(sorted[static_cast<size_t>(i)], i);
    }
    if (binding)
        FIOSharedBuffer.assign(static_cast<size_t>(std::max(FIOBufferSize, 16)), 0);
    else
        FIOSharedBuffer = {};
}

uint8_t* TDataSet::IOBuffer(size_t size)
{
    // Never hand out less than asked for, whatever binding computed.
    if (FIOSharedBuffer.size() < size + 1)
        FIOSharedBuffer.resize(size + 1);
    return FIOSharedBuffer.data();
}

void TDataSet::FreeFieldBuffers()
{
    for (int i = 0; i < FFields->Count(); ++i)
        FFields->Fields(i)->FreeFieldBuffers();
}

void TDataSet::InitFieldDefsFromFields()
{
    if (FFieldDefs->Count() > 0)
        return;
    for (int i = 0; i < FFields->Count(); ++i) {
        TField* f = FFields->Fields(i);
        if (f->FieldKind() != TFieldKind::fkData)
            continue;
        TFieldDef* def = FFieldDefs->Add(f->FieldName(), f->DataType(), f->Size(), f->Required());
        if (f->ReadOnly())
            def->SetAttributes(def->Attributes() + TFieldAttributes{TFieldAttribute::faReadonly});
    }
}

void TDataSet::GetCalcFieldsImpl(TRecordBuffer buffer)
{
    if (FCalcFieldsSize <= 0 && !FInternalCalcFields)
        return;
    const TDataSetState saved = FState;
    FState = TDataSetState::dsCalcFields;
    try {
        CalculateFields(buffer);
    } catch (...) {
        FState = saved;
        throw;
    }
    FState = saved;
}

void TDataSet::CalculateFields(TRecordBuffer buffer)
{
    if (IsDestroying())
        return;
    FCalcBuffer = buffer;
    if (FState != TDataSetState::dsInternalCalc)
        ClearCalcFields(buffer);
    DoOnCalcFields();
}

void TDataSet::RefreshInternalCalcFields(TRecordBuffer)
{
    for (int i = 0; i < FFields->Count(); ++i) {
        TField* f = FFields->Fields(i);
        if (f->FieldKind() == TFieldKind::fkInternalCalc)
            f->SetAsVariant(f->AsVariant());
    }
}

core::Variant TDataSet::GetStateFieldValue(TDataSetState state, TField* field)
{
    if (field->FieldKind() != TFieldKind::fkData && field->FieldKind() != TFieldKind::fkInternalCalc)
        return core::Null();
    if (state == TDataSetState::dsOldValue &&
        (FState == TDataSetState::dsInsert || FState == TDataSetState::dsSetKey))
        return {};
    const TDataSetState saved = SetTempState(state);
    core::Variant v;
    try {
        v = field->AsVariant();
    } catch (...) {
        RestoreState(saved);
        throw;
    }
    RestoreState(saved);
    return v;
}

void TDataSet::SetStateFieldValue(TDataSetState state, TField* field, const core::Variant& value)
{
    if (field->FieldKind() != TFieldKind::fkData)
        return;
    const TDataSetState saved = SetTempState(state);
    try {
        field->SetAsVariant(value);
    } catch (...) {
        RestoreState(saved);
        throw;
    }
    RestoreState(saved);
}

void TDataSet::DataConvert(TField* field, const void* source, void* dest, bool)
{
    if (source && dest)
        std::memcpy(dest, source, static_cast<size_t>(field->DataSize()));
}

std::vector<std::u16string> TDataSet::GetFieldNames() const
{
    std::vector<std::u16string> names;
    for (int i = 0; i < FFields->Count(); ++i)
        names.push_back(FFields->Fields(i)->FieldName());
    return names;
}

std::vector<TField*> TDataSet::GetFieldList(std::u16string_view names) const
{
    std::vector<TField*> list;
    size_t pos = 0;
    while (pos <= names.size()) {
        size_t end = names.find(u';', pos);
        if (end == std::u16string_view::npos)
            end = names.size();
        const std::u16string name = core::Trim(names.substr(pos, end - pos));
        if (!name.empty())
            list.push_back(FieldByName(name));
        pos = end + 1;
    }
    return list;
}

core::Variant TDataSet::FieldValues(std::u16string_view names) const
{
    if (names.find(u';') == std::u16string_view::npos)
        return FieldByName(core::Trim(names))->AsVariant();
    core::VariantArray values;
    for (TField* f : GetFieldList(names))
        values.push_back(core::VariantBox{f->AsVariant()});
    return values;
}

void TDataSet::SetFieldValues(std::u16string_view names, const core::Variant& value)
{
    if (names.find(u';') == std::u16string_view::npos) {
        FieldByName(core::Trim(names))->SetAsVariant(value);
        return;
    }
    const std::vector<TField*> list = GetFieldList(names);
    const auto* array = std::get_if<core::VariantArray>(&value);
    for (size_t i = 0; i < list.size(); ++i)
        list[i]->SetAsVariant(array && i < array->size() ? (*array)[i].Value : core::Variant{});
}

} // namespace data
