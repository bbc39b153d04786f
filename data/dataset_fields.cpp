// The dataset's side of fields: creating, binding and destroying them,
// calculated fields, state field values and the shared conversion buffer.
#include <algorithm>
#include <cstring>
#include <functional>

#include "data/dataset.h"
#include "data/field_object.h"
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
    auto place = [&](TField* field) {
        if (FFieldOptions.PositionMode == TFieldsPositionMode::poFirst)
            FFields->SetFieldIndex(field, position++);
    };
    auto hidden = [&](const TFieldDef* def) {
        return def->Attributes().Contains(TFieldAttribute::faHiddenCol) && !FFieldDefs->HiddenFields();
    };
    using enum TFieldType;
    if (FObjectView) {
        // Top-level definitions, object types with their children.
        for (int i = 0; i < FFieldDefs->Count(); ++i) {
            TFieldDef* def = FFieldDefs->Items(i);
            const TFieldType t = def->DataType();
            if (t == ftUnknown || hidden(def))
                continue;
            if (FFieldOptions.AutoCreateMode != TFieldsAutoCreationMode::acExclusive && FindField(def->Name()))
                continue;
            place(def->CreateField(this));
        }
        return;
    }
    // Flat view: one field per leaf definition, named by its full name.
    std::function<void(TFieldDef*, const std::u16string&)> flat = [&](TFieldDef* def, const std::u16string& name) {
        const TFieldType t = def->DataType();
        if (t == ftUnknown || t == ftReference || t == ftDataSet || hidden(def))
            return;
        if (t == ftADT) {
            if (def->HasChildDefs())
                for (int c = 0; c < def->ChildDefs()->Count(); ++c)
                    flat(def->ChildDefs()->Items(c), name + u"." + def->ChildDefs()->Items(c)->Name());
            return;
        }
        if (t == ftArray) {
            if (def->HasChildDefs())
                for (int e = 0; e < def->Size(); ++e)
                    flat(def->ChildDefs()->Items(0), name + core::FromUtf8(fmt::format("[{}]", e)));
            return;
        }
        if (FFieldOptions.AutoCreateMode != TFieldsAutoCreationMode::acExclusive && FindField(name))
            return;
        place(def->CreateField(this, name, nullptr, false));
    };
    for (int i = 0; i < FFieldDefs->Count(); ++i)
        flat(FFieldDefs->Items(i), FFieldDefs->Items(i)->Name());
}

namespace {
// Field numbers a definition and its descendants take up.
int FieldSpan(TFieldDef* def)
{
    if (!def->HasChildDefs())
        return 1;
    if (def->DataType() == TFieldType::ftArray)
        return 1 + std::max(def->Size(), 0) * FieldSpan(def->ChildDefs()->Items(0));
    int span = 1;
    for (int i = 0; i < def->ChildDefs()->Count(); ++i)
        span += FieldSpan(def->ChildDefs()->Items(i));
    return span;
}

// "Name[3]" -> ("Name", 3); anything else -> (segment, -1).
std::pair<std::u16string_view, int> SplitIndex(std::u16string_view segment)
{
    if (segment.size() < 4 || segment.back() != u']')
        return {segment, -1};
    const size_t open = segment.rfind(u'[');
    if (open == std::u16string_view::npos || open == 0 || open + 2 > segment.size() - 1)
        return {segment, -1};
    int index = 0;
    for (size_t i = open + 1; i + 1 < segment.size(); ++i) {
        const char16_t c = segment[i];
        if (c < u'0' || c > u'9' || index > 100000000)
            return {segment, -1};
        index = index * 10 + (c - u'0');
    }
    return {segment.substr(0, open), index};
}
} // namespace

TFieldDef* TDataSet::FindFieldDef(std::u16string_view fullName, int* fieldNo) const
{
    // A top-level definition's number counts the fields of the definitions before it.
    // A storage may number columns the definitions leave out (the link
    // columns of a nested table): a definition's own larger number wins.
    auto topLevel = [&](int index) {
        int no = FFieldNoOfs;
        for (int i = 0; i < index; ++i)
            no += FieldSpan(FFieldDefs->Items(i));
        return std::max(no, FFieldDefs->Items(index)->FieldNo());
    };
    const int whole = FFieldDefs->IndexOf(fullName);
    if (whole >= 0) {
        if (fieldNo)
            *fieldNo = topLevel(whole);
        return FFieldDefs->Items(whole);
    }
    TFieldDefs* defs = FFieldDefs.get();
    TFieldDef* def = nullptr;
    int no = 0;
    size_t pos = 0;
    while (pos <= fullName.size()) {
        size_t end = fullName.find(u'.', pos);
        if (end == std::u16string_view::npos)
            end = fullName.size();
        const auto [name, element] = SplitIndex(fullName.substr(pos, end - pos));
        if (!defs)
            return nullptr;
        const int i = defs->IndexOf(name);
        if (i < 0)
            return nullptr;
        TFieldDef* found = defs->Items(i);
        if (!def) {
            no = topLevel(i);
        } else {
            no += 1;
            for (int k = 0; k < i; ++k)
                no += FieldSpan(defs->Items(k));
        }
        def = found;
        if (element >= 0) {
            if (def->DataType() != TFieldType::ftArray || !def->HasChildDefs() || element >= def->Size())
                return nullptr;
            TFieldDef* elementDef = def->ChildDefs()->Items(0);
            no += 1 + element * FieldSpan(elementDef);
            def = elementDef;
        }
        defs = def->HasChildDefs() && def->DataType() != TFieldType::ftArray ? def->ChildDefs() : nullptr;
        pos = end + 1;
    }
    if (fieldNo)
        *fieldNo = no;
    return def;
}

void TDataSet::SetObjectView(bool value)
{
    CheckInactive();
    FObjectView = value;
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
    std::function<void(TField*)> bind = [&](TField* field) {
        if (!binding) {
            field->BindField(false);
            field->SetFieldNoInternal(0);
            if (auto* object = dynamic_cast<TObjectField*>(field))
                for (int c = 0; c < object->FieldCount(); ++c)
                    bind(object->Fields().Fields(c));
            return;
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
            int number = 0;
            TFieldDef* def = FindFieldDef(field->FullName(), &number);
            if (!def)
                DatabaseErrorFmt(this, "Field '{}' not found", core::ToUtf8(field->DisplayName()));
            field->SetFieldNoInternal(field->FieldKind() == TFieldKind::fkInternalCalc ? def->FieldNo() : number);
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
        if (auto* object = dynamic_cast<TObjectField*>(field))
            for (int c = 0; c < object->FieldCount(); ++c)
                bind(object->Fields().Fields(c));
    };
    for (int i = 0; i < FFields->Count(); ++i)
        bind(FFields->Fields(i));
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
