#include "tools/dataentry-script/state_keys.h"

#include <cstring>
#include <vector>

#include "core/datetime.h"
#include "core/ustring.h"
#include "data/client_dataset.h"
#include "data/data_source.h"
#include "data/field.h"
#include "engine/collation.h"
#include "pickers/date_picker.h"
#include "pickers/date_text.h"
#include "pickers/picker_popup.h"
#include "pickers/popup_model.h"
#include "tools/dataentry-script/state.h"
#include "tools/dataentry-script/state_grid.h"

namespace runner {

using nlohmann::ordered_json;

namespace {

ordered_json NameOf(const components::TComponent* c)
{
    return c ? ordered_json(core::ToUtf8(c->Name())) : ordered_json(nullptr);
}

std::string DateText(core::TDateTime d)
{
    core::DateParts p;
    if (!core::TryDecodeDate(d, p))
        return {};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", p.Year % 10000, p.Month % 100, p.Day % 100);
    return buf;
}

ordered_json VariantJson(const core::Variant& v)
{
    if (auto* b = std::get_if<bool>(&v))
        return *b;
    if (auto* i = std::get_if<int32_t>(&v))
        return *i;
    if (auto* l = std::get_if<int64_t>(&v))
        return *l;
    if (auto* d = std::get_if<double>(&v))
        return *d;
    if (auto* dt = std::get_if<core::VarDate>(&v))
        return DateText(dt->Value);
    if (core::VarIsClear(v))
        return nullptr;
    return core::ToUtf8(core::VarToStr(v));
}

// One stored value of a record read straight from the engine, so that
// listing the rows never moves the dataset or disturbs its controls.
ordered_json EngineValue(engine::IDSCursor* cursor, const std::vector<uint8_t>& rec, uint32_t fieldNo,
                         const engine::DSFLDDesc& desc, const engine::Collation& collation)
{
    std::vector<uint8_t> value(static_cast<size_t>(std::max(desc.iFldLen, 8)) + 2, 0);
    engine::DSBool blank = 0;
    if (cursor->GetField(rec.data(), fieldNo, value.data(), &blank) != engine::DBERR_NONE || blank)
        return nullptr;
    auto as = [&]<class T>(T) {
        T v;
        std::memcpy(&v, value.data(), sizeof v);
        return v;
    };
    switch (desc.iFldType) {
    case engine::fldINT16: return as(int16_t{});
    case engine::fldUINT16: return as(uint16_t{});
    case engine::fldINT32: return as(int32_t{});
    case engine::fldUINT32: return as(uint32_t{});
    case engine::fldINT64: return as(int64_t{});
    case engine::fldUINT64: return as(uint64_t{});
    case engine::fldBOOL: return as(int16_t{}) != 0;
    case engine::fldFLOAT:
    case engine::fldFLOATIEEE: return as(double{});
    case engine::fldZSTRING: {
        const char* s = reinterpret_cast<const char*>(value.data());
        return core::ToUtf8(collation.ToUtf16(s, strnlen(s, value.size())));
    }
    default: return nullptr;
    }
}

ordered_json EngineRows(data::TCustomClientDataSet* ds)
{
    ordered_json rows = ordered_json::array();
    engine::IDSCursor* current = ds->DSCursor();
    if (!current)
        return rows;
    engine::IDSCursor* raw = nullptr;
    if (engine::CreateDSCursor(&raw) != engine::DBERR_NONE)
        return rows;
    engine::DSRef<engine::IDSCursor> cursor(raw);
    engine::DSProps props{};
    if (cursor->CloneCursor(current) != engine::DBERR_NONE || cursor->GetCursorProps(&props) != engine::DBERR_NONE)
        return rows;
    std::vector<engine::DSFLDDesc> descs(props.iFields);
    if (props.iFields == 0 || cursor->GetFieldDescs(descs.data()) != engine::DBERR_NONE)
        return rows;
    const auto collation = engine::Collation::Get(props.iLCID, engine::kDefaultCodePage);
    std::vector<uint8_t> rec(props.iRecBufSize);
    cursor->MoveToBOF();
    while (cursor->MoveRelative(1) == engine::DBERR_NONE && cursor->GetCurrentRecord(rec.data()) == engine::DBERR_NONE) {
        ordered_json row = ordered_json::array();
        for (uint32_t f = 0; f < static_cast<uint32_t>(props.iFields); ++f)
            if (descs[f].iFieldIDParent == 0)
                row.push_back(EngineValue(cursor.get(), rec, f + 1, descs[f], *collation));
        rows.push_back(row);
    }
    return rows;
}

void ClientDataSetKeys(components::TObject* object, ordered_json& out)
{
    auto* ds = static_cast<data::TCustomClientDataSet*>(object);
    out["active"] = ds->Active();
    out["state"] = core::ToUtf8(components::EnumNames<data::TDataSetState>::Info().Names[static_cast<size_t>(ds->State())]);
    out["rec_no"] = ds->Active() ? ds->RecNo() : -1;
    out["record_count"] = ds->Active() ? ds->RecordCount() : 0;
    int32_t changes = 0;
    if (engine::IDSBase* table = ds->DSBase())
        table->GetProp(engine::dspropNOOFCHANGES, &changes);
    out["change_count"] = changes;
    ordered_json names = ordered_json::array();
    for (int i = 0; i < ds->FieldCount(); ++i)
        names.push_back(core::ToUtf8(ds->Fields()[i]->FieldName()));
    out["fields"] = names;
    out["rows"] = EngineRows(ds);
}

void DataSourceKeys(components::TObject* object, ordered_json& out)
{
    auto* src = static_cast<data::TDataSource*>(object);
    out["dataset"] = NameOf(src->DataSet());
    out["state"] = core::ToUtf8(components::EnumNames<data::TDataSetState>::Info().Names[static_cast<size_t>(src->State())]);
}

void FieldKeys(components::TObject* object, ordered_json& out)
{
    auto* field = static_cast<data::TField*>(object);
    out["field_name"] = core::ToUtf8(field->FieldName());
    out["dataset"] = NameOf(field->DataSet());
    ordered_json value = nullptr;
    if (field->DataSet() && field->DataSet()->Active()) {
        try {
            value = VariantJson(field->AsVariant());
        } catch (const core::Exception&) {
            value = nullptr;
        }
    }
    out["value"] = value;
}

ordered_json PopupColumns(pickers::TCustomDatePicker* picker)
{
    ordered_json columns = ordered_json::array();
    pickers::TPickerPopupControl* popup = picker->PopupControl();
    pickers::TPickerPopupModel* model = popup ? popup->Model() : nullptr;
    if (!model)
        return columns;
    static const char* const kinds[] = {"day", "month", "year"};
    const int count = static_cast<int>(model->Columns().size());
    for (int i = 0; i < count; ++i) {
        ordered_json col;
        col["kind"] = kinds[std::min(i, 2)];
        ordered_json values = ordered_json::array();
        const int current = model->Columns()[i]->GetCurrentValue();
        std::string band;
        for (const pickers::TPickerCell& cell : model->GetColumnCells(i)) {
            values.push_back(core::ToUtf8(cell.Text));
            if (cell.Value == current && band.empty())
                band = core::ToUtf8(cell.Text);
        }
        col["values"] = values;
        col["band"] = band;
        columns.push_back(col);
    }
    return columns;
}

// The date as the picker shows it: each run of d, m or y letters of the
// format replaced by its value, everything else kept.
std::u16string ShownText(pickers::TCustomDatePicker* picker)
{
    const std::u16string& format = picker->DateFormat();
    std::u16string text;
    try {
        for (size_t i = 0; i < format.size();) {
            const char16_t c = format[i] | 0x20;
            size_t j = i + 1;
            if (c == u'd' || c == u'm' || c == u'y') {
                while (j < format.size() && (format[j] | 0x20) == c)
                    ++j;
                text += pickers::FormatDateToken(std::u16string_view(format).substr(i, j - i), picker->Date());
            } else {
                text += format[i];
            }
            i = j;
        }
    } catch (const core::Exception&) {
        return {};
    }
    return text;
}

void DatePickerKeys(components::TObject* object, ordered_json& out)
{
    auto* picker = static_cast<pickers::TCustomDatePicker*>(object);
    out["date"] = DateText(picker->Date());
    out["text"] = core::ToUtf8(ShownText(picker));
    out["dropped_down"] = picker->DroppedDown();
    if (picker->DroppedDown()) {
        ordered_json popup;
        if (picker->PopupControl()) {
            const auto* p = picker->PopupControl();
            popup["bounds"] = {p->Left(), p->Top(), p->Width(), p->Height()};
        }
        popup["columns"] = PopupColumns(picker);
        out["popup"] = popup;
    }
}

} // namespace

void AddLayerStateKeys()
{
    static bool added = false;
    if (added)
        return;
    added = true;
    RegisterStateKeys(data::TCustomClientDataSet::StaticClass(), ClientDataSetKeys);
    RegisterStateKeys(data::TDataSource::StaticClass(), DataSourceKeys);
    RegisterStateKeys(data::TField::StaticClass(), FieldKeys);
    RegisterStateKeys(pickers::TCustomDatePicker::StaticClass(), DatePickerKeys);
    AddGridStateKeys();
}

} // namespace runner
