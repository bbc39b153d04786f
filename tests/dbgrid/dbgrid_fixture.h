#pragma once
// The program's form rebuilt from the layers on the headless platform: a data
// grid (8, 24, 472 x 232) over a data source over a client dataset with the
// persistent fields codigo (integer) and nome (string of 50), opened from the
// stored empty packet; plus helpers for keys, mouse and message boxes.
#include <gtest/gtest.h>

#include <string>

#include "cds/cds_fixture.h"
#include "controls/form.h"
#include "controls/key_routing.h"
#include "core/ustring.h"
#include "data/data_source.h"
#include "grids/db_grid.h"
#include "grids/inplace_edit.h"
#include "grids/string_grid.h"
#include "platform/headless.h"
#include "platform/window.h"

namespace dbgrid_test {

using namespace grids;
namespace hl = platform::headless;

class DBGridFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        controls::Screen = new controls::TScreen(nullptr);
        Form = new controls::TCustomForm(nullptr);
        Form->SetName(u"Form1");
        Form->SetBounds(0, 0, 795, 503);
        Grid = new TDBGrid(Form);
        Grid->SetName(u"DBGrid1");
        Grid->SetParent(Form);
        Grid->SetBounds(8, 24, 472, 232);
        Other = new TStringGrid(Form);
        Other->SetParent(Form);
        Other->SetBounds(500, 300, 100, 60);
        DataSet = new data::TClientDataSet(Form);
        DataSet->SetName(u"ClientDataSet1");
        Codigo = new data::TIntegerField(Form);
        Codigo->SetName(u"ClientDataSet1codigo");
        Codigo->SetFieldName(u"codigo");
        Codigo->SetDataSet(DataSet);
        Nome = new data::TStringField(Form);
        Nome->SetName(u"ClientDataSet1nome");
        Nome->SetFieldName(u"nome");
        Nome->SetSize(50);
        Nome->SetDataSet(DataSet);
        Source = new data::TDataSource(Form);
        Source->SetName(u"DataSource1");
        Source->SetDataSet(DataSet);
        Grid->SetDataSource(Source);
        core::TMemoryStream s(cdstest::StoredData());
        DataSet->ReadDataPacket(s, true);
        DataSet->Open();
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
    // Appends `n` records "1".."n" / "name 1".. through the dataset.
    void Fill(int n)
    {
        DataSet->DisableControls();
        for (int i = 1; i <= n; ++i) {
            DataSet->Append();
            Codigo->SetAsInteger(i);
            Nome->SetAsString(u"name " + core::FromUtf8(std::to_string(i)));
            DataSet->Post();
        }
        DataSet->EnableControls();
        DataSet->First();
        Pump();
    }
    platform::HWND H() { return Grid->Handle(); }
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
    bool EditorShown() { return Grid->InplaceEditor() && Grid->InplaceEditor()->EditorVisible(); }
    std::u16string EditorText() { return Grid->InplaceEditor() ? Grid->InplaceEditor()->EditText() : u"?"; }
    // Indicator image of the grid row `row` (0 triangle, 1 I-beam, 2 star, 3 dot, 4 dot+arrow, -1 none).
    int Indicator(int32_t row) { return Grid->IndicatorImage(row - Grid->TitleOffset()); }
    data::TDataSetState State() { return DataSet->State(); }

    hl::Session Session;
    controls::TCustomForm* Form = nullptr;
    TDBGrid* Grid = nullptr;
    TStringGrid* Other = nullptr;
    data::TClientDataSet* DataSet = nullptr;
    data::TIntegerField* Codigo = nullptr;
    data::TStringField* Nome = nullptr;
    data::TDataSource* Source = nullptr;
};

} // namespace dbgrid_test
