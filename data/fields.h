#pragma once
// TFields: the ordered list of a dataset's fields with a case-insensitive
// name map. The list does not own its fields (their owner does).
#include <string>
#include <unordered_map>
#include <vector>

#include "core/closure.h"
#include "data/db_types.h"

namespace data {

class TDataSet;
class TField;

class TFields {
public:
    TFields(TDataSet* dataSet, TFieldKinds validKinds);
    ~TFields();
    TFields(const TFields&) = delete;
    TFields& operator=(const TFields&) = delete;

    int Count() const { return static_cast<int>(FList.size()); }
    // Raises "List index out of bounds (%d)" (dataset prefix) outside 0 .. Count - 1.
    TField* Fields(int index) const;
    TField* operator[](int index) const { return Fields(index); }
    TField* FindField(std::u16string_view name) const;
    TField* FieldByName(std::u16string_view name) const;
    TField* FieldByNumber(int fieldNo) const;
    int IndexOf(const TField* field) const;
    TDataSet* DataSet() const { return FDataSet; }
    TFieldKinds ValidFieldKinds() const { return FValidFieldKinds; }

    void Add(TField* field);
    void Remove(TField* field);
    // Detaches every field from the list (and from the dataset).
    void Clear();
    // Frees every automatic field, last first.
    void ClearAutomatic();
    TFieldLifeCycles LifeCycles() const;
    void CheckFieldName(const std::u16string& name) const;
    void CheckFieldKind(TFieldKind kind, const TField* field) const;
    void SetFieldIndex(TField* field, int index);
    // Moves the map entry of `field` to `newName`.
    void Rename(TField* field, const std::u16string& newName);
    void Changed();

    core::Closure<void(TFields*)> OnChange;

private:
    static std::u16string Key(std::u16string_view name);

    std::vector<TField*> FList;
    std::unordered_map<std::u16string, TField*> FDict;
    TDataSet* FDataSet;
    TFieldKinds FValidFieldKinds;
    int FAutomaticFieldsCount = 0;
};

} // namespace data
