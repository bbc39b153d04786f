// Start-up and shutdown of the program itself, built from its stored form.
#include <gtest/gtest.h>

#include "app/application.h"
#include "controls/form.h"
#include "data/client_dataset.h"
#include "data/data_source.h"
#include "data/field.h"
#include "engine/dsintf.h"
#include "platform/window.h"
#include "program/form1.h"
#include "program_fixture.h"

namespace program_test {
namespace {

using components::TComponent;

TEST(Startup, TheFormIsBuiltFromItsDescriptionInOrderAndLinked)
{
    bool seen = false;
    const ScriptRun run = RunScript("state now\n", [&](const std::string&, const nlohmann::ordered_json&) {
        seen = true;
        program::TForm1* form = program::Form1;
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(app::Application->MainForm(), form);
        // Created in the order of the description, owned by the form.
        const std::vector<std::u16string> order{u"DBGrid1",        u"DatePicker1",          u"DataSource1",
                                                u"ClientDataSet1", u"ClientDataSet1codigo", u"ClientDataSet1nome"};
        ASSERT_EQ(form->ComponentCount(), static_cast<int>(order.size()));
        for (size_t i = 0; i < order.size(); ++i)
            EXPECT_EQ(form->Components(static_cast<int>(i))->Name(), order[i]);
        // The published fields are bound and the references resolved by name.
        auto* source = dynamic_cast<data::TDataSource*>(form->DataSource1);
        auto* dataset = dynamic_cast<data::TCustomClientDataSet*>(form->ClientDataSet1);
        ASSERT_TRUE(source && dataset);
        EXPECT_EQ(source->DataSet(), dataset);
        EXPECT_EQ(source->DataLinkCount(), 1) << "the grid's link";
        // Opened in Loaded from the stored packet, persistent fields bound.
        EXPECT_EQ(dataset->State(), data::TDataSetState::dsBrowse);
        EXPECT_EQ(dataset->RecordCount(), 0);
        ASSERT_EQ(dataset->FieldCount(), 2);
        EXPECT_EQ(dataset->Fields()[0], form->ClientDataSet1codigo);
        EXPECT_EQ(dataset->Fields()[1], form->ClientDataSet1nome);
        EXPECT_EQ(dataset->Fields()[1]->Size(), 50);
        // The grid has the focus.
        auto* grid = dynamic_cast<controls::TWinControl*>(form->DBGrid1);
        ASSERT_NE(grid, nullptr);
        EXPECT_TRUE(grid->Focused());
        EXPECT_EQ(form->ClientWidth(), 787);
        EXPECT_EQ(form->ClientHeight(), 476);
        EXPECT_EQ(form->Caption(), u"Form1");
    });
    EXPECT_TRUE(seen);
    EXPECT_FALSE(run.Failed) << run.FailReason;
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(Startup, ClosingTheFormEndsTheProgramAndFreesEverything)
{
    const uint32_t enginesBefore = engine::LiveObjectCount();
    const ScriptRun run = RunScript("key down\ntype 7\nkey tab\ntype Ana\nkey down\nclose\n", {});
    EXPECT_FALSE(run.Failed) << run.FailReason;
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(app::Application, nullptr);
    EXPECT_EQ(engine::LiveObjectCount(), enginesBefore) << "the table and its cursor are released";
}

} // namespace
} // namespace program_test
