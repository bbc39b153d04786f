#pragma once
// A form holding a 20 x 1,000 text grid on the headless platform, with
// helpers to press keys, use the mouse and move the virtual clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/form.h"
#include "controls/key_routing.h"
#include "core/ustring.h"
#include "grids/inplace_edit.h"
#include "grids/string_grid.h"
#include "platform/headless.h"
#include "platform/window.h"

namespace gridctl_test {

using namespace grids;
namespace hl = platform::headless;

// A text grid that records what the descendant hooks see.
class TRecordingGrid : public TStringGrid {
public:
    using TStringGrid::TStringGrid;
    std::vector<std::pair<int32_t, int32_t>> Moves;
    int Clicks = 0, DblClicks = 0;

protected:
    void ColumnMoved(int32_t from, int32_t to) override
    {
        Moves.push_back({from, to});
        TStringGrid::ColumnMoved(from, to);
    }
    void Click() override
    {
        ++Clicks;
        TStringGrid::Click();
    }
    void DblClick() override
    {
        ++DblClicks;
        TStringGrid::DblClick();
    }
};

class GridFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        controls::Screen = new controls::TScreen(nullptr);
        Form = new controls::TCustomForm(nullptr);
        Form->SetBounds(0, 0, 420, 300);
        Grid = new TRecordingGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 420, 300);
        Grid->SetColCount(20);
        Grid->SetRowCount(1000);
        for (int32_t c = 1; c < 20; ++c)
            Grid->SetCells(c, 0, u"C" + core::FromUtf8(std::to_string(c)));
        for (int32_t r = 1; r < 1000; ++r) {
            Grid->SetCells(0, r, core::FromUtf8(std::to_string(r)));
            Grid->SetCells(1 + r % 3, r, u"r" + core::FromUtf8(std::to_string(r)));
        }
        Form->Show();
        Pump();
        Grid->SetFocus();
        Pump();
    }
    void TearDown() override
    {
        delete Form;
        delete controls::Screen;
        controls::Screen = nullptr;
    }

    static void Pump()
    {
        while (controls::ProcessOneMessage()) {
        }
    }
    static void Press(int vk, unsigned mods = hl::None)
    {
        hl::PressKey(vk, mods);
        Pump();
    }
    static void Type(std::u16string_view text)
    {
        hl::TypeText(text);
        Pump();
    }
    platform::HWND H() { return Grid->Handle(); }
    // Centre of a cell in client pixels.
    platform::TPoint CellCentre(int32_t col, int32_t row)
    {
        const TRect r = Grid->CellRect(col, row);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    void ClickCell(int32_t col, int32_t row)
    {
        hl::Click(H(), CellCentre(col, row));
        Pump();
    }
    static controls::TWinControl* FindControlFocus() { return controls::FindControl(platform::GetFocus()); }
    bool EditorShown() { return Grid->InplaceEditor() && Grid->InplaceEditor()->EditorVisible(); }
    std::u16string EditorText() { return Grid->InplaceEditor() ? Grid->InplaceEditor()->EditText() : u"?"; }

    hl::Session Session;
    controls::TCustomForm* Form = nullptr;
    TRecordingGrid* Grid = nullptr;
};

} // namespace gridctl_test
