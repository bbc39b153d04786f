// Scaling of a loaded form from its stored 96 dpi to the monitor's density.
#include <gtest/gtest.h>

#include "controls/form.h"
#include "platform/headless.h"

using namespace controls;
using namespace platform;
using components::TComponentState;

namespace {

struct Loaded {
    TCustomForm* Form;
    TWinControl* Grid;
    TWinControl* Picker;
};

// Builds a form the way the form reader does: every component loading, the
// stored properties set through their setters, then Loaded.
Loaded LoadForm()
{
    auto* form = new TCustomForm(nullptr);
    form->SetState(TComponentState::csLoading, true);
    auto* grid = new TWinControl(form);
    auto* picker = new TWinControl(form);
    for (auto* c : {static_cast<components::TComponent*>(grid), static_cast<components::TComponent*>(picker)})
        c->SetState(TComponentState::csLoading, true);
    form->SetLeft(0);
    form->SetTop(0);
    form->SetClientHeight(476);
    form->SetClientWidth(787);
    form->Font()->SetHeight(-11);
    form->Font()->SetName(u"Tahoma");
    grid->SetParent(form);
    grid->SetLeft(8);
    grid->SetTop(24);
    grid->SetWidth(472);
    grid->SetHeight(232);
    picker->SetParent(form);
    picker->SetBounds(0, 0, 150, 32); // the picker's own defaults, not stored
    picker->SetLeft(376);
    picker->SetTop(344);
    picker->Font()->SetHeight(-16);
    form->Loaded();
    grid->Loaded();
    picker->Loaded();
    return {form, grid, picker};
}

} // namespace

TEST(Scaling, LoadedFormFollowsTheMonitorDensity)
{
    struct Case {
        int Dpi;
        TRect Grid;
        int FormFont, GridFont, PickerFont;
        int ClientW, ClientH;
        TRect Picker;
    };
    const Case cases[] = {
        {96, Bounds(8, 24, 472, 232), -11, -11, -16, 787, 476, Bounds(376, 344, 150, 32)},
        {120, Bounds(10, 30, 590, 290), -14, -14, -20, 984, 595, Bounds(470, 430, 150, 32)},
        {144, Bounds(12, 36, 708, 348), -17, -17, -24, 1181, 714, Bounds(564, 516, 150, 32)},
        {192, Bounds(16, 48, 944, 464), -22, -22, -32, 1574, 952, Bounds(752, 688, 150, 32)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Dpi);
        headless::Session session;
        headless::SetDensity(c.Dpi);
        Screen = new TScreen(nullptr);
        Loaded f = LoadForm();
        EXPECT_EQ(f.Grid->BoundsRect(), c.Grid);
        EXPECT_EQ(f.Picker->BoundsRect(), c.Picker);
        EXPECT_EQ(f.Form->Font()->Height(), c.FormFont);
        EXPECT_EQ(f.Grid->Font()->Height(), c.GridFont);
        EXPECT_EQ(f.Picker->Font()->Height(), c.PickerFont);
        EXPECT_EQ(f.Form->ClientWidth(), c.ClientW);
        EXPECT_EQ(f.Form->ClientHeight(), c.ClientH);
        EXPECT_EQ(f.Form->CurrentPPI(), c.Dpi);
        delete f.Form;
        delete Screen;
    }
}

TEST(Scaling, UnknownDensityFallsBackAndKeepsTheStoredClientSize)
{
    for (int broken : {0, 12}) {
        headless::Session session;
        headless::Get().DensityQueryResult = broken;
        Screen = new TScreen(nullptr);
        Loaded f = LoadForm();
        EXPECT_EQ(f.Form->ClientWidth(), 787);
        EXPECT_EQ(f.Form->ClientHeight(), 476);
        EXPECT_EQ(f.Form->CurrentPPI(), 96);
        delete f.Form;
        delete Screen;
    }
}

TEST(Scaling, DensityChangesScaleFromTheCurrentDensityAndIgnoreZero)
{
    headless::Session session;
    Screen = new TScreen(nullptr);
    Loaded f = LoadForm();
    const HWND h = f.Form->Handle();
    SendMessage(h, WM_DPICHANGED, MAKEWPARAM(144, 144), 0);
    EXPECT_EQ(f.Grid->BoundsRect(), Bounds(12, 36, 708, 348));
    EXPECT_EQ(f.Form->ClientWidth(), 1181);
    SendMessage(h, WM_DPICHANGED, MAKEWPARAM(0, 0), 0); // names no density: ignored
    EXPECT_EQ(f.Form->CurrentPPI(), 144);
    SendMessage(h, WM_DPICHANGED, MAKEWPARAM(96, 96), 0);
    EXPECT_EQ(f.Grid->BoundsRect(), Bounds(8, 24, 472, 232));
    EXPECT_EQ(f.Form->Font()->Height(), -11);
    EXPECT_EQ(f.Picker->Font()->Height(), -16);
    EXPECT_EQ(f.Form->ClientWidth(), 787);
    delete f.Form;
    delete Screen;
}
