#include "data/fields.h"

#include <algorithm>

#include "data/dataset.h"
#include "data/db_error.h"
#include "data/field.h"

namespace data {

TFields::TFields(TDataSet* dataSet, TFieldKinds validKinds) : FDataSet(dataSet), FValidFieldKinds(validKinds) {}

TFields::~TFields() { Clear(); }

std::u16string TFields::Key(std::u16string_view name) { return core::LowerCase(name); }

TField* TFields::Fields(int index) const
{
    if (index < 0 || index >= Count())
        DatabaseErrorFmt(FDataSet, "List index out of bounds ({})", index);
    return FList[static_cast<size_t>(index)];
}

TField* TFields::FindField(std::u16string_view name) const
{
    const auto it = FDict.find(Key(name));
    return it == FDict.end() ? nullptr : it->second;
}

TField* TFields::FieldByName(std::u16string_view name) const
{
    TField* f = FindField(name);
    if (!f)
        DatabaseErrorFmt(FDataSet, "Field '{}' not found", core::ToUtf8(name));
    return f;
}

TField* TFields::FieldByNumber(int fieldNo) const
{
    for (TField* f : FList)
        if (f->FieldNo() == fieldNo)
            return f;
    return nullptr;
}

int TFields::IndexOf(const TField* field) const
{
    const auto it = std::find(FList.begin(), FList.end(), field);
    return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

void TFields::CheckFieldName(const std::u16string& name) const
{
    if (name.empty())
        DatabaseError(msg::FieldNameMissing, FDataSet);
    if (FindField(name))
        DatabaseErrorFmt(FDataSet, "Duplicate field name '{}'", core::ToUtf8(name));
}

void TFields::CheckFieldKind(TFieldKind kind, const TField* field) const
{
    if (!FValidFieldKinds.Contains(kind))
        DatabaseError(msg::InvalidFieldKind, field);
}

void TFields::Add(TField* field)
{
    CheckFieldKind(field->FieldKind(), field);
    FDict[Key(field->FieldName())] = field;
    FList.push_back(field);
    field->SetFieldsInternal(this);
    // The list of an object field's children has no dataset: they take their parent's.
    if (FDataSet)
        field->SetDataSetInternal(FDataSet);
    if (field->LifeCycle() == TFieldLifeCycle::lcAutomatic)
        ++FAutomaticFieldsCount;
    Changed();
}

void TFields::Remove(TField* field)
{
    const auto it = std::find(FList.begin(), FList.end(), field);
    if (it == FList.end())
        return;
    FList.erase(it);
    const auto d = FDict.find(Key(field->FieldName()));
    if (d != FDict.end() && d->second == field)
        FDict.erase(d);
    if (field->LifeCycle() == TFieldLifeCycle::lcAutomatic)
        --FAutomaticFieldsCount;
    field->SetFieldsInternal(nullptr);
    if (FDataSet || !field->ParentField())
        field->SetDataSetInternal(nullptr);
    Changed();
}

void TFields::Clear()
{
    while (!FList.empty()) {
        TField* f = FList.back();
        FList.pop_back();
        f->SetFieldsInternal(nullptr);
        if (FDataSet || !f->ParentField())
            f->SetDataSetInternal(nullptr);
    }
    FDict.clear();
    FAutomaticFieldsCount = 0;
}

void TFields::ClearAutomatic()
{
    bool changed = false;
    for (int i = Count() - 1; i >= 0; --i) {
        TField* f = FList[static_cast<size_t>(i)];
        if (f->LifeCycle() != TFieldLifeCycle::lcAutomatic)
            continue;
        FList.erase(FList.begin() + i);
        const auto d = FDict.find(Key(f->FieldName()));
        if (d != FDict.end() && d->second == f)
            FDict.erase(d);
        --FAutomaticFieldsCount;
        f->SetFieldsInternal(nullptr);
        f->SetDataSetInternal(nullptr);
        delete f;
        changed = true;
    }
    if (changed)
        Changed();
}

TFieldLifeCycles TFields::LifeCycles() const
{
    if (FList.empty())
        return {};
    if (FAutomaticFieldsCount == 0)
        return {TFieldLifeCycle::lcPersistent};
    if (FAutomaticFieldsCount == Count())
        return {TFieldLifeCycle::lcAutomatic};
    return {TFieldLifeCycle::lcAutomatic, TFieldLifeCycle::lcPersistent};
}

void TFields::SetFieldIndex(TField* field, int index)
{
    const int cur = IndexOf(field);
    if (cur < 0 || FList.empty())
        return;
    index = std::clamp(index, 0, Count() - 1);
    if (index == cur)
        return;
    FList.erase(FList.begin() + cur);
    FList.insert(FList.begin() + index, field);
    field->PropertyChanged(true);
    Changed();
}

void TFields::Rename(TField* field, const std::u16string& newName)
{
    const auto d = FDict.find(Key(field->FieldName()));
    if (d != FDict.end() && d->second == field)
        FDict.erase(d);
    FDict[Key(newName)] = field;
}

void TFields::Changed()
{
    if (FDataSet) {
        if (FDataSet->InState(components::TComponentState::csDestroying))
            FDataSet->FFieldListUpdated = false;
        else
            FDataSet->DataEvent(TDataEvent::deFieldListChange, 0);
    }
    OnChange(this);
}

} // namespace data
