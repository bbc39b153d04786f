// The data grid as the state JSON shows it: current cell, scrolling, editor,
// the indicator of each visible data row, the titles and the shown texts.
#include "tools/dataentry-script/state_grid.h"

#include "core/ustring.h"
#include "grids/db_grid.h"
#include "grids/inplace_edit.h"
#include "tools/dataentry-script/state.h"

namespace runner {

namespace {

using nlohmann::ordered_json;

const char* IndicatorName(int image)
{
    switch (image) {
    case 0:
    case 4: return "current";
    case 1: return "edit";
    case 2: return "insert";
    default: return "";
    }
}

void GridKeys(components::TObject* object, ordered_json& out)
{
    auto* grid = static_cast<grids::TCustomDBGrid*>(object);
    out["col"] = grid->Col();
    out["row"] = grid->Row();
    out["top_row"] = grid->TopRow();
    out["left_col"] = grid->LeftCol();
    out["col_count"] = grid->ColCount();
    out["row_count"] = grid->RowCount();
    grids::TInplaceEdit* editor = grid->InplaceEditor();
    const bool editing = editor && editor->EditorVisible();
    out["editing"] = editing;
    out["editor_text"] = editing ? core::ToUtf8(editor->EditText()) : std::string();
    // Every data row the grid shows: the window's records, or the one blank row.
    const int32_t rows = grid->RowCount() - grid->TitleOffset();
    ordered_json indicator = ordered_json::array(), cells = ordered_json::array(), titles = ordered_json::array();
    for (int32_t r = 0; r < rows; ++r) {
        indicator.push_back(IndicatorName(grid->IndicatorImage(r)));
        ordered_json row = ordered_json::array();
        for (int c = 0; c < grid->Columns()->Count(); ++c)
            if (grid->Columns()->Items(c)->Showing())
                row.push_back(core::ToUtf8(grid->CellText(c, r)));
        cells.push_back(row);
    }
    for (int c = 0; c < grid->Columns()->Count(); ++c)
        if (grid->Columns()->Items(c)->Showing())
            titles.push_back(core::ToUtf8(grid->Columns()->Items(c)->Title()->Caption()));
    out["indicator"] = indicator;
    out["titles"] = titles;
    out["cells"] = cells;
}

} // namespace

void AddGridStateKeys()
{
    static bool added = false;
    if (added)
        return;
    added = true;
    RegisterStateKeys(grids::TCustomDBGrid::StaticClass(), GridKeys);
}

} // namespace runner
