// TCustomClientDataSet: ordering by an index name or by a field list, index
// definitions, and the key fields of the current order.
#include <cstring>

#include "core/ustring.h"
#include "data/client_dataset.h"
#include "data/db_error.h"
#include "data/field.h"
#include "data/fields.h"

namespace data {

namespace {

std::vector<std::u16string> SplitNames(const std::u16string& list)
{
    std::vector<std::u16string> out;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(u';', start);
        if (end == std::u16string::npos)
            end = list.size();
        std::u16string name = core::Trim(list.substr(start, end - start));
        if (!name.empty())
            out.push_back(std::move(name));
        start = end + 1;
    }
    return out;
}

bool InList(const std::vector<std::u16string>& list, const std::u16string& name)
{
    for (const auto& n : list)
        if (core::SameText(n, name))
            return true;
    return false;
}

} // namespace

const std::u16string& TCustomClientDataSet::IndexName() const
{
    static const std::u16string kEmpty;
    return FFieldsIndex ? kEmpty : FIndexName;
}

const std::u16string& TCustomClientDataSet::IndexFieldNames() const
{
    static const std::u16string kEmpty;
    return FFieldsIndex ? FIndexName : kEmpty;
}

void TCustomClientDataSet::SetIndexName(const std::u16string& value) { ApplyIndex(value, false); }

void TCustomClientDataSet::SetIndexFieldNames(const std::u16string& value) { ApplyIndex(value, true); }

// The name is stored only after the order was applied: a change that raises
// keeps the previous order and both property values.
void TCustomClientDataSet::ApplyIndex(const std::u16string& value, bool fieldList)
{
    if (Active()) {
        CheckBrowseMode();
        UpdateCursorPos();
        if (value != FIndexName || fieldList != FFieldsIndex) {
            DropFindCursor();
            if (fieldList && !value.empty())
                SortOnFieldList(value);
            else
                SwitchToIndex(fieldList ? std::u16string() : value);
            // A range belongs to the keys of the order it was set on; the
            // cursor keeps its range keys across an order change, so drop it.
            ResetCursorRange();
            FRanged = false;
            FIndexName = value;
            FFieldsIndex = fieldList;
            ReadIndexInfo();
            Resync({});
        }
        return;
    }
    FIndexName = value;
    FFieldsIndex = fieldList;
}

void TCustomClientDataSet::SortOnFieldList(const std::u16string& list)
{
    std::vector<std::uint32_t> fieldNos;
    for (const auto& name : SplitNames(list)) {
        TField* f = FieldByName(name);  // "Field '%s' not found"
        if (f->FieldNo() < 1)
            DatabaseError(u"Field index out of range", this);
        fieldNos.push_back(static_cast<std::uint32_t>(f->FieldNo()));
    }
    if (fieldNos.empty())
        DatabaseError(u"Field index out of range", this);
    if (fieldNos.size() > 16)
        Check(engine::DBERR_OUTOFRANGE);
    Check(FDSCursor->SortOnFields(static_cast<std::uint32_t>(fieldNos.size()), fieldNos.data(), nullptr, nullptr));
}

void TCustomClientDataSet::SwitchToIndex(const std::u16string& name)
{
    // An empty name is the table's default order.
    const std::string engineName = name.empty() ? std::string("DEFAULT_ORDER") : core::ToUtf8(name);
    const engine::EngineResult r = FDSCursor->UseIndexOrder(engineName.c_str());
    if (r != engine::DBERR_NOSUCHINDEX) {
        Check(r);
        return;
    }
    const TClientIndexDef* def = nullptr;
    for (const auto& d : FIndexDefs)
        if (core::SameText(d.Name, name))
            def = &d;
    if (!def)
        DatabaseErrorFmt(this, "Index '{}' not found", core::ToUtf8(name));
    engine::DSIDXDesc desc{};
    if (engineName.size() >= sizeof desc.szName)
        Check(engine::DBERR_INVALIDPARAM);
    std::memcpy(desc.szName, engineName.c_str(), engineName.size());
    const auto fields = SplitNames(def->Fields);
    const auto descFields = SplitNames(def->DescFields);
    const auto caseFields = SplitNames(def->CaseInsFields);
    if (fields.empty() || fields.size() > 16)
        DatabaseError(u"Field index out of range", this);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        TField* f = FieldByName(fields[i]);
        if (f->FieldNo() < 1)
            DatabaseError(u"Field index out of range", this);
        desc.iKeyFields[i] = f->FieldNo();
        desc.bDescending[i] = def->Options.Contains(TIndexOption::ixDescending) || InList(descFields, fields[i]);
        desc.bCaseInsensitive[i] =
            def->Options.Contains(TIndexOption::ixCaseInsensitive) || InList(caseFields, fields[i]);
    }
    desc.iFields = static_cast<std::int32_t>(fields.size());
    desc.bUnique = def->Options.Contains(TIndexOption::ixUnique) || def->Options.Contains(TIndexOption::ixPrimary);
    Check(FDSBase->CreateIndex(&desc));
    Check(FDSCursor->UseIndexOrder(engineName.c_str()));
}

void TCustomClientDataSet::ReadIndexInfo()
{
    FIndexFieldNos.clear();
    if (!FDSCursor)
        return;
    engine::DSIDXDesc desc{};
    Check(FDSCursor->GetIndexDescs(1, &desc));
    const int n = desc.iFields < 0 ? 0 : (desc.iFields > 16 ? 16 : desc.iFields);
    for (int i = 0; i < n; ++i)
        FIndexFieldNos.push_back(desc.iKeyFields[i]);
}

TField* TCustomClientDataSet::IndexFields(int index) const
{
    if (index < 0 || index >= IndexFieldCount())
        DatabaseError(u"Field index out of range", this);
    const int fieldNo = FIndexFieldNos[static_cast<std::size_t>(index)];
    if (TField* f = FieldByNumber(fieldNo))
        return f;
    std::string name = std::to_string(fieldNo);
    if (fieldNo >= 1 && fieldNo <= FieldDefs().Count())
        name = core::ToUtf8(FieldDefs().Items(fieldNo - 1)->Name());
    DatabaseErrorFmt(this, "Cannot access index field '{}'", name);
}

bool TCustomClientDataSet::GetIsIndexField(TField* field) const
{
    if (!field || field->FieldNo() < 1)
        return false;
    for (int n : FIndexFieldNos)
        if (n == field->FieldNo())
            return true;
    return false;
}

void TCustomClientDataSet::AddIndex(const std::u16string& name, const std::u16string& fields, TIndexOptions options,
                                    const std::u16string& descFields, const std::u16string& caseInsFields)
{
    if (core::Trim(name).empty())
        DatabaseError(u"Invalid index name", this);
    for (const auto& d : FIndexDefs)
        if (core::SameText(d.Name, name))
            DatabaseErrorFmt(this, "Duplicate name '{}' in index definitions", core::ToUtf8(name));
    if (SplitNames(fields).empty())
        DatabaseError(u"Field index out of range", this);
    if (Active())
        for (const auto& f : SplitNames(fields))
            FieldByName(f);
    FIndexDefs.push_back(TClientIndexDef{name, fields, options, descFields, caseInsFields});
}

void TCustomClientDataSet::DeleteIndex(const std::u16string& name)
{
    for (auto it = FIndexDefs.begin(); it != FIndexDefs.end(); ++it) {
        if (!core::SameText(it->Name, name))
            continue;
        if (Active()) {
            if (!FFieldsIndex && core::SameText(FIndexName, name))
                SetIndexName({});
            const std::string engineName = core::ToUtf8(name);
            const engine::EngineResult r = FDSBase->RemoveIndex(engineName.c_str());
            if (r != engine::DBERR_NOSUCHINDEX)
                Check(r);
        }
        FIndexDefs.erase(it);
        return;
    }
    DatabaseErrorFmt(this, "Index '{}' not found", core::ToUtf8(name));
}

} // namespace data
