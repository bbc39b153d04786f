// Change-log scenarios on the program's dataset: undo step by step, save
// points, cancelling and merging, the status filter, and close/open.
#include <gtest/gtest.h>

#include "scenario_helpers.h"

using namespace cdstest;
using data::TUpdateStatus;

TEST(ChangeLog, AppendPostThenUndoStepByStepBackToEmpty)
{
    Scenario s;
    auto& ds = *s.DataSet;
    AddRow(ds, 1, u"Ana");
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.ChangeCount(), 1);
    EXPECT_EQ(ds.UpdateStatus(), TUpdateStatus::usInserted);
    EXPECT_EQ(ds.RecNo(), 1);
    AddRow(ds, 2, u"Bruno");
    ds.First();
    ds.Edit();
    ds.FieldByName(u"nome")->SetAsString(u"Ana Maria");
    ds.Post();
    ds.Last();
    ds.Delete();

    struct Step {
        std::vector<std::string> names;
    };
    const std::vector<Step> back = {
        {{"Ana Maria", "Bruno"}},  // the delete undone
        {{"Ana", "Bruno"}},        // the edit undone
        {{"Ana"}},                 // the second append undone
        {{}},                      // the first append undone
    };
    for (const auto& step : back) {
        EXPECT_TRUE(ds.UndoLastChange(true));
        EXPECT_EQ(Names(ds), step.names);
    }
    EXPECT_FALSE(ds.UndoLastChange(true));
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_TRUE(ds.IsEmpty());
}

TEST(ChangeLog, SavePointRollsBackOnceAndASecondRollBackFails)
{
    Scenario s({{1, u"Ana"}});
    auto& ds = *s.DataSet;
    const int64_t point = ds.SavePoint();
    AddRow(ds, 2, u"Bruno");
    ds.First();
    ds.Delete();
    EXPECT_EQ(Names(ds), (std::vector<std::string>{"Bruno"}));
    ds.SetSavePoint(point);
    EXPECT_EQ(Names(ds), (std::vector<std::string>{"Ana"}));
    AddRow(ds, 3, u"Carla");
    try {
        ds.SetSavePoint(point);
        ADD_FAILURE() << "a second roll-back to the same save point succeeded";
    } catch (const data::EDBClient& e) {
        EXPECT_EQ(core::ToUtf8(e.Message()), "Invalid parameter.");
    }
    EXPECT_EQ(Names(ds), (std::vector<std::string>{"Ana", "Carla"}));
}

TEST(ChangeLog, CancelUpdatesAndMergeChangeLog)
{
    Scenario s({{1, u"Ana"}, {2, u"Bruno"}});
    auto& ds = *s.DataSet;
    ds.CancelUpdates();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(ds.ChangeCount(), 0);

    AddRow(ds, 1, u"Ana");
    ds.MergeChangeLog();
    EXPECT_EQ(ds.ChangeCount(), 0);
    ds.CancelUpdates();
    EXPECT_EQ(Names(ds), (std::vector<std::string>{"Ana"}));
    EXPECT_EQ(ds.UpdateStatus(), TUpdateStatus::usUnmodified);
}

TEST(ChangeLog, StatusFilterViews)
{
    Scenario s({{1, u"Ana"}, {2, u"Bruno"}, {3, u"Carla"}});
    auto& ds = *s.DataSet;
    ds.MergeChangeLog();
    AddRow(ds, 4, u"Dora");
    ds.First();
    ds.Edit();
    ds.FieldByName(u"nome")->SetAsString(u"Ana B");
    ds.Post();
    ds.Locate(u"codigo", 2, data::TLocateOptions{});
    ds.Delete();

    struct View {
        data::TUpdateStatusSet filter;
        std::vector<int> codes;
    };
    const std::vector<View> views = {
        {{TUpdateStatus::usInserted}, {4}},
        {{TUpdateStatus::usDeleted}, {2}},
        {{TUpdateStatus::usInserted, TUpdateStatus::usDeleted}, {4, 2}},
    };
    for (const auto& v : views) {
        ds.SetStatusFilter(v.filter);
        EXPECT_EQ(ds.IndexName(), u"CHANGEINDEX");
        EXPECT_FALSE(ds.Filtered());
        EXPECT_EQ(Codes(ds), v.codes);
    }
    ds.SetStatusFilter({});
    EXPECT_EQ(ds.IndexName(), u"DEFAULT_ORDER");
    EXPECT_EQ(Codes(ds), (std::vector<int>{1, 3, 4}));
}

TEST(ChangeLog, CloseAndOpenKeepTheChangeLog)
{
    Scenario s({{1, u"Ana"}, {2, u"Bruno"}});
    auto& ds = *s.DataSet;
    ds.Close();
    ds.Open();
    EXPECT_EQ(ds.ChangeCount(), 2);
    EXPECT_TRUE(ds.UndoLastChange(true));
    EXPECT_EQ(Names(ds), (std::vector<std::string>{"Ana"}));
}

TEST(ChangeLog, RevertRecordUndoesOneRecordsChanges)
{
    Scenario s({{1, u"Ana"}, {2, u"Bruno"}});
    auto& ds = *s.DataSet;
    ds.MergeChangeLog();
    ds.First();
    ds.Edit();
    ds.FieldByName(u"nome")->SetAsString(u"Ana X");
    ds.Post();
    ds.Last();
    ds.Edit();
    ds.FieldByName(u"nome")->SetAsString(u"Bruno X");
    ds.Post();
    ds.First();
    ds.RevertRecord();
    EXPECT_EQ(Names(ds), (std::vector<std::string>{"Ana", "Bruno X"}));
    EXPECT_EQ(ds.ChangeCount(), 1);
}

TEST(ChangeLog, ClosedDataSetReportsNoChanges)
{
    ProgramDataSet p;
    EXPECT_EQ(p.DataSet->ChangeCount(), 0);
    EXPECT_FALSE(p.DataSet->UpdatesPending());
}
