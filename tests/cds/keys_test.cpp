// The key-editing mode of the client dataset: keys composed through the
// fields in dsSetKey, searching with them, key ranges, and leaving the mode.
#include <functional>

#include <gtest/gtest.h>

#include "dataset/recorder.h"
#include "scenario_helpers.h"
#include "support/error_of.h"

using namespace cdstest;
using data::TDataSetState;

namespace {

// Inserted in this order; ordered by codigo: 1 Ana, 2 Caio, 3 Ana, 4 Bia,
// 5 Bia, 6 Bia, 7 Davi; by nome;codigo: Ana 1, Ana 3, Bia 4, Bia 5, Bia 6,
// Caio 2, Davi 7.
const std::vector<std::pair<int, std::u16string>> kRows = {
    {4, u"Bia"}, {1, u"Ana"}, {6, u"Bia"}, {3, u"Ana"}, {5, u"Bia"}, {2, u"Caio"}, {7, u"Davi"},
};

std::string MessageOf(const std::function<void()>& f)
{
    return test_support::ErrorOf(f, "(no exception)");
}

// One key value assigned through a field in dsSetKey.
struct Assign {
    const char16_t* Field;
    core::Variant Value;
};

struct KeysTest : ::testing::Test {
    memds::Log Events;  // outlives the dataset, whose handlers may write to it
    Scenario S{kRows};
    data::TClientDataSet& DS = *S.DataSet;

    int Codigo() { return DS.FieldByName(u"codigo")->AsInteger(); }
    void GoToCodigo(int codigo) { ASSERT_TRUE(DS.Locate(u"codigo", codigo, data::TLocateOptions{})); }
    // Assigns the values to the key being edited, sets its field count
    // (negative: left as it is) and its Exclusive flag, and posts it.
    void ComposeKey(const std::vector<Assign>& values, int fieldCount = -1, bool exclusive = false)
    {
        for (const Assign& a : values)
            DS.FieldByName(a.Field)->SetValue(a.Value);
        if (fieldCount >= 0)
            DS.SetKeyFieldCount(fieldCount);
        DS.SetKeyExclusive(exclusive);
        DS.Post();
    }
};

struct GotoCase {
    const char16_t* Index;
    std::vector<Assign> Key;
    int FieldCount;  // -1: as the key leaves it (0, all key fields)
    bool Exclusive;  // GotoNearest only
    bool Found;      // GotoKey only
    int CodigoAfter;
};

TEST_F(KeysTest, GotoKeyFindsTheComposedKeyOrStays)
{
    const GotoCase cases[] = {
        {u"codigo", {{u"codigo", 4}}, -1, false, true, 4},
        {u"codigo", {{u"codigo", 9}}, -1, false, false, 2},
        {u"nome;codigo", {{u"nome", std::u16string(u"Bia")}, {u"codigo", 5}}, -1, false, true, 5},
        // a partial key: only the first key field counts
        {u"nome;codigo", {{u"nome", std::u16string(u"Bia")}}, 1, false, true, 4},
        // all key fields compared: a blank codigo matches no record
        {u"nome;codigo", {{u"nome", std::u16string(u"Bia")}}, -1, false, false, 2},
        {u"nome;codigo", {{u"nome", std::u16string(u"Eva")}}, 1, false, false, 2},
        // the order is case-sensitive
        {u"nome", {{u"nome", std::u16string(u"caio")}}, -1, false, false, 2},
    };
    for (const GotoCase& c : cases) {
        SCOPED_TRACE(core::ToUtf8(c.Index) + " -> " + std::to_string(c.CodigoAfter));
        DS.SetIndexFieldNames(c.Index);
        GoToCodigo(2);
        DS.SetKey();
        EXPECT_EQ(DS.State(), TDataSetState::dsSetKey);
        ComposeKey(c.Key, c.FieldCount);
        EXPECT_EQ(DS.State(), TDataSetState::dsBrowse);
        EXPECT_EQ(DS.GotoKey(), c.Found);
        EXPECT_EQ(Codigo(), c.CodigoAfter);
        // FindKey fills the same key from values (its field count is the
        // number of values) and goes the same way
        const std::size_t count = c.FieldCount == -1 ? static_cast<std::size_t>(DS.IndexFieldCount())
                                                     : static_cast<std::size_t>(c.FieldCount);
        if (count == c.Key.size()) {
            GoToCodigo(2);
            std::vector<core::Variant> values;
            for (const Assign& a : c.Key)
                values.push_back(a.Value);
            EXPECT_EQ(DS.FindKey(values), c.Found);
            EXPECT_EQ(Codigo(), c.CodigoAfter);
        }
    }
}

TEST_F(KeysTest, GotoNearestStopsOnTheFirstRecordAtOrAfterTheKey)
{
    const GotoCase cases[] = {
        {u"codigo", {{u"codigo", 4}}, -1, false, true, 4},
        {u"codigo", {{u"codigo", 4}}, -1, true, true, 5},
        {u"codigo", {{u"codigo", 0}}, -1, false, true, 1},
        // past the last key: the last record
        {u"codigo", {{u"codigo", 9}}, -1, false, true, 7},
        {u"nome;codigo", {{u"nome", std::u16string(u"B")}}, 1, false, true, 4},
        {u"nome;codigo", {{u"nome", std::u16string(u"Bia")}}, 1, true, true, 2},
        {u"nome;codigo", {{u"nome", std::u16string(u"Bia")}, {u"codigo", 5}}, -1, true, true, 6},
    };
    for (const GotoCase& c : cases) {
        SCOPED_TRACE(core::ToUtf8(c.Index) + " -> " + std::to_string(c.CodigoAfter));
        DS.SetIndexFieldNames(c.Index);
        GoToCodigo(3);
        DS.SetKey();
        ComposeKey(c.Key, c.FieldCount, c.Exclusive);
        DS.GotoNearest();
        EXPECT_EQ(Codigo(), c.CodigoAfter);
    }
}

TEST_F(KeysTest, FieldsReadAndWriteTheKeyWhileComposing)
{
    DS.SetIndexFieldNames(u"codigo");
    GoToCodigo(3);
    DS.SetKey();
    EXPECT_TRUE(DS.FieldByName(u"codigo")->IsNull());
    EXPECT_TRUE(DS.FieldByName(u"nome")->IsNull());
    EXPECT_FALSE(DS.Modified());
    DS.FieldByName(u"codigo")->SetAsInteger(6);
    EXPECT_TRUE(DS.Modified());
    EXPECT_EQ(DS.FieldByName(u"codigo")->AsInteger(), 6);
    EXPECT_TRUE(DS.FieldByName(u"codigo")->CanModify());
    EXPECT_FALSE(DS.FieldByName(u"nome")->CanModify());
    // leaving the mode by moving commits the key; the record was never touched
    DS.First();
    EXPECT_EQ(DS.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Codigo(), 1);
    EXPECT_TRUE(DS.GotoKey());
    EXPECT_EQ(Codigo(), 6);
    EXPECT_EQ(core::ToUtf8(DS.FieldByName(u"nome")->AsString()), "Bia");
}

TEST_F(KeysTest, EditKeyKeepsTheEarlierValuesAndSetKeyClearsThem)
{
    DS.SetIndexFieldNames(u"nome;codigo");
    DS.SetKey();
    ComposeKey({{u"nome", std::u16string(u"Bia")}}, 1, true);
    DS.EditKey();
    EXPECT_EQ(core::ToUtf8(DS.FieldByName(u"nome")->AsString()), "Bia");
    EXPECT_EQ(DS.KeyFieldCount(), 1);
    EXPECT_TRUE(DS.KeyExclusive());
    EXPECT_TRUE(DS.Modified());
    DS.SetKeyExclusive(false);
    DS.Post();
    EXPECT_TRUE(DS.GotoKey());
    EXPECT_EQ(Codigo(), 4);
    DS.SetKey();
    EXPECT_TRUE(DS.FieldByName(u"nome")->IsNull());
    EXPECT_EQ(DS.KeyFieldCount(), 0);
    EXPECT_FALSE(DS.KeyExclusive());
    EXPECT_FALSE(DS.Modified());
    DS.Cancel();
}

TEST_F(KeysTest, CancelLeavesTheModeAndPutsThePreviousKeyBack)
{
    DS.SetIndexFieldNames(u"codigo");
    DS.SetKey();
    ComposeKey({{u"codigo", 5}});
    GoToCodigo(2);
    using Leave = std::function<void(data::TClientDataSet&)>;
    const std::pair<const char*, Leave> ways[] = {
        {"Cancel", [](data::TClientDataSet& ds) { ds.Cancel(); }},
        {"Delete", [](data::TClientDataSet& ds) { ds.Delete(); }},
    };
    for (const auto& [name, leave] : ways) {
        SCOPED_TRACE(name);
        for (const bool clear : {true, false}) {
            clear ? DS.SetKey() : DS.EditKey();
            DS.FieldByName(u"codigo")->SetAsInteger(7);
            DS.SetKeyFieldCount(1);
            leave(DS);
            EXPECT_EQ(DS.State(), TDataSetState::dsBrowse);
            EXPECT_EQ(Codigo(), 2);
            EXPECT_EQ(DS.RecordCount(), 7);
            DS.EditKey();
            EXPECT_EQ(DS.FieldByName(u"codigo")->AsInteger(), 5);
            EXPECT_EQ(DS.KeyFieldCount(), 0);
            DS.Cancel();
        }
    }
    EXPECT_TRUE(DS.GotoKey());
    EXPECT_EQ(Codigo(), 5);
}

TEST_F(KeysTest, ClearFieldsClearsTheKeyAndNotTheCurrentRecord)
{
    DS.SetIndexFieldNames(u"codigo");
    GoToCodigo(4);
    DS.SetKey();
    DS.FieldByName(u"codigo")->SetAsInteger(6);
    DS.ClearFields();
    EXPECT_TRUE(DS.FieldByName(u"codigo")->IsNull());
    DS.Cancel();
    EXPECT_EQ(Codigo(), 4);
    EXPECT_EQ(core::ToUtf8(DS.FieldByName(u"nome")->AsString()), "Bia");
    // editing the record afterwards posts its own values, not a cleared buffer
    DS.Edit();
    DS.FieldByName(u"nome")->SetAsString(u"Beatriz");
    DS.Post();
    EXPECT_EQ(Codigo(), 4);
    EXPECT_EQ(Codes(DS), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(KeysTest, ClosingWhileComposingDropsTheKeyMode)
{
    DS.SetIndexFieldNames(u"codigo");
    DS.SetRangeStart();
    DS.FieldByName(u"codigo")->SetAsInteger(3);
    DS.Close();
    EXPECT_EQ(DS.State(), TDataSetState::dsInactive);
    DS.Open();
    EXPECT_EQ(DS.RecordCount(), 7);
    DS.ApplyRange();
    EXPECT_EQ(DS.RecordCount(), 7);
}

struct ErrorCase {
    const char* What;
    std::function<void(KeysTest&)> Run;
    std::string Message;
};

TEST_F(KeysTest, ErrorsCarryTheirOwnMessages)
{
    const ErrorCase cases[] = {
        {"non-key field in a key",
         [](KeysTest& t) {
             t.DS.SetKey();
             t.DS.FieldByName(u"nome")->SetAsString(u"Ana");
         },
         "ClientDataSet1: Field 'nome' is not indexed and cannot be modified"},
        {"more values than key fields", [](KeysTest& t) { t.DS.FindKey({1, std::u16string(u"Ana")}); },
         "ClientDataSet1: Field index out of range"},
        {"more range values than key fields", [](KeysTest& t) { t.DS.SetRange({1}, {3, 4}); },
         "ClientDataSet1: Field index out of range"},
        {"key field count beyond the index, exact",
         [](KeysTest& t) {
             t.DS.SetKey();
             t.ComposeKey({{u"codigo", 4}}, 2);
             t.DS.GotoKey();
         },
         "Number is out of range."},
        {"key field count beyond the index, nearest",
         [](KeysTest& t) {
             t.DS.SetKey();
             t.ComposeKey({{u"codigo", 4}}, 2);
             t.DS.GotoNearest();
         },
         "Number is out of range."},
        {"KeyExclusive outside the mode", [](KeysTest& t) { t.DS.KeyExclusive(); },
         "ClientDataSet1: Dataset not in edit or insert mode"},
        {"KeyFieldCount outside the mode", [](KeysTest& t) { t.DS.SetKeyFieldCount(1); },
         "ClientDataSet1: Dataset not in edit or insert mode"},
        {"unknown field while composing",
         [](KeysTest& t) {
             t.DS.SetKey();
             t.DS.FieldByName(u"xyz");
         },
         "ClientDataSet1: Field 'xyz' not found"},
        {"unknown field in the index list", [](KeysTest& t) { t.DS.SetIndexFieldNames(u"codigo;xyz"); },
         "ClientDataSet1: Field 'xyz' not found"},
        {"key search without key fields",
         [](KeysTest& t) {
             t.DS.SetIndexFieldNames(u"");
             t.DS.FindKey({1});
         },
         "ClientDataSet1: No index currently active"},
        {"range without key fields",
         [](KeysTest& t) {
             t.DS.SetIndexFieldNames(u"");
             t.DS.SetRange({1}, {2});
         },
         "ClientDataSet1: No index currently active"},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.What);
        DS.SetIndexFieldNames(u"codigo");
        GoToCodigo(2);
        EXPECT_EQ(MessageOf([&] { c.Run(*this); }), c.Message);
        DS.Cancel();
        EXPECT_EQ(DS.State(), TDataSetState::dsBrowse);
        EXPECT_EQ(Codigo(), 2);
    }
    // a failed FindKey left the lookup key as it was
    DS.SetIndexFieldNames(u"codigo");
    DS.SetKey();
    ComposeKey({{u"codigo", 6}});
    EXPECT_EQ(MessageOf([&] { DS.FindKey({1, 2}); }), "ClientDataSet1: Field index out of range");
    EXPECT_TRUE(DS.GotoKey());
    EXPECT_EQ(Codigo(), 6);
}

struct RangeCase {
    bool StartExclusive, EndExclusive;
    std::vector<int> Codes;
};

TEST_F(KeysTest, KeyExclusiveAtEitherEndOfARange)
{
    const RangeCase cases[] = {
        {false, false, {3, 4, 5}},
        {true, false, {4, 5}},
        {false, true, {3, 4}},
        {true, true, {4}},
    };
    DS.SetIndexFieldNames(u"codigo");
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.StartExclusive) + std::to_string(c.EndExclusive));
        DS.SetRangeStart();
        ComposeKey({{u"codigo", 3}}, -1, c.StartExclusive);
        DS.SetRangeEnd();
        ComposeKey({{u"codigo", 5}}, -1, c.EndExclusive);
        DS.ApplyRange();
        EXPECT_TRUE(DS.Ranged());
        EXPECT_EQ(Codes(DS), c.Codes);
        EXPECT_EQ(DS.RecordCount(), static_cast<int>(c.Codes.size()));
        DS.CancelRange();
        EXPECT_EQ(DS.RecordCount(), 7);
        // the same range from values
        DS.SetRange({3}, {5}, c.StartExclusive, c.EndExclusive);
        EXPECT_EQ(Codes(DS), c.Codes);
        DS.CancelRange();
        EXPECT_FALSE(DS.Ranged());
    }
}

struct PartialRangeCase {
    std::vector<Assign> Start;
    int StartCount;
    std::vector<Assign> End;
    int EndCount;
    std::vector<int> Codes;
};

TEST_F(KeysTest, ApplyRangeWithPartialKeys)
{
    const std::u16string ana = u"Ana", bia = u"Bia", caio = u"Caio";
    const PartialRangeCase cases[] = {
        {{{u"nome", bia}}, 1, {{u"nome", bia}}, 1, {4, 5, 6}},
        {{{u"nome", ana}}, 1, {{u"nome", bia}}, 1, {1, 3, 4, 5, 6}},
        {{{u"nome", bia}, {u"codigo", 5}}, 2, {{u"nome", caio}, {u"codigo", 2}}, 2, {5, 6, 2}},
        // one bound only
        {{{u"nome", bia}}, 1, {}, 0, {4, 5, 6, 2, 7}},
        {{}, 0, {{u"nome", ana}}, 1, {1, 3}},
    };
    DS.SetIndexFieldNames(u"nome;codigo");
    for (const PartialRangeCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Codes));
        DS.SetRangeStart();
        ComposeKey(c.Start, c.StartCount);
        DS.SetRangeEnd();
        ComposeKey(c.End, c.EndCount);
        DS.ApplyRange();
        EXPECT_EQ(Codes(DS), c.Codes);
        DS.CancelRange();
        // the same from values
        std::vector<core::Variant> start, end;
        for (const Assign& a : c.Start)
            start.push_back(a.Value);
        for (const Assign& a : c.End)
            end.push_back(a.Value);
        DS.SetRange(start, end);
        EXPECT_EQ(Codes(DS), c.Codes);
        DS.CancelRange();
    }
}

TEST_F(KeysTest, AnUnchangedRangeIsAppliedOnce)
{
    DS.SetIndexFieldNames(u"codigo");
    DS.SetRange({2}, {6});
    EXPECT_EQ(Codigo(), 2);
    DS.Next();
    // editing a bound without changing it keeps the range where it is
    DS.EditRangeStart();
    EXPECT_EQ(DS.FieldByName(u"codigo")->AsInteger(), 2);
    DS.Post();
    DS.ApplyRange();
    EXPECT_EQ(Codigo(), 3);
    DS.SetRange({2}, {6});
    EXPECT_EQ(Codigo(), 3);
    // a changed bound applies again and goes to the first record
    DS.EditRangeEnd();
    DS.FieldByName(u"codigo")->SetAsInteger(4);
    DS.Post();
    DS.ApplyRange();
    EXPECT_EQ(Codigo(), 2);
    EXPECT_EQ(DS.RecordCount(), 3);
}

TEST_F(KeysTest, ChangingTheIndexDropsTheRange)
{
    DS.SetIndexFieldNames(u"codigo");
    DS.SetRange({3}, {5});
    EXPECT_EQ(DS.RecordCount(), 3);
    DS.SetIndexFieldNames(u"nome");
    EXPECT_FALSE(DS.Ranged());
    EXPECT_EQ(DS.RecordCount(), 7);
    EXPECT_EQ(Names(DS).front(), "Ana");
    // the same range applies again on the old order
    DS.SetIndexFieldNames(u"codigo");
    DS.SetRange({3}, {5});
    EXPECT_EQ(Codes(DS), (std::vector<int>{3, 4, 5}));
}

struct EventCase {
    const char* What;
    std::function<void(KeysTest&)> Run;
    std::vector<std::string> Events;
};

TEST_F(KeysTest, EventsAndStateChangesInOrder)
{
    const EventCase cases[] = {
        {"SetKey",
         [](KeysTest& t) { t.DS.SetKey(); },
         {"link:deCheckBrowseMode", "link:deUpdateState", "OnStateChange", "link:deDataSetChange",
          "OnDataChange(nil)"}},
        {"assign",
         [](KeysTest& t) { t.DS.FieldByName(u"codigo")->SetAsInteger(4); },
         {"link:deFieldChange", "OnDataChange(codigo)"}},
        {"Post",
         [](KeysTest& t) { t.DS.Post(); },
         {"link:deUpdateRecord", "OnUpdateData", "link:deCheckBrowseMode", "link:deUpdateState", "OnStateChange",
          "link:deDataSetChange", "OnDataChange(nil)"}},
        {"GotoKey",
         [](KeysTest& t) { t.DS.GotoKey(); },
         {"link:deCheckBrowseMode", "BeforeScroll", "link:deDataSetChange", "OnDataChange(nil)", "AfterScroll"}},
        {"EditRangeStart then Cancel",
         [](KeysTest& t) {
             t.DS.EditRangeStart();
             t.DS.Cancel();
         },
         {"link:deCheckBrowseMode", "link:deUpdateState", "OnStateChange", "link:deDataSetChange",
          "OnDataChange(nil)", "link:deCheckBrowseMode", "link:deUpdateState", "OnStateChange",
          "link:deDataSetChange", "OnDataChange(nil)"}},
        {"CancelRange without a range", [](KeysTest& t) { t.DS.CancelRange(); }, {"link:deCheckBrowseMode"}},
    };
    DS.SetIndexFieldNames(u"codigo");
    GoToCodigo(2);
    data::TDataSource source(nullptr);
    source.SetDataSet(&DS);
    memds::TRecLink link(&Events);
    link.SetDataSource(&source);
    memds::Record(Events, DS, &source);
    for (const EventCase& c : cases) {
        SCOPED_TRACE(c.What);
        Events.clear();
        c.Run(*this);
        EXPECT_EQ(Events, c.Events);
    }
    EXPECT_EQ(Codigo(), 4);
    link.SetDataSource(nullptr);
    source.SetDataSet(nullptr);
}

} // namespace
