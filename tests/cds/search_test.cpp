// Ordering, filtering and searching scenarios on the program's dataset.
#include <gtest/gtest.h>

#include "scenario_helpers.h"
#include "support/error_of.h"

using namespace cdstest;
using data::TLocateOption;
using data::TLocateOptions;

namespace {

const std::vector<std::pair<int, std::u16string>> kPeople = {
    {1, u"bruno"}, {2, u"Álvaro"}, {3, u"alice"}, {4, u"Bia"}, {5, u"Élio"}, {6, u"Zé"}, {7, u"Alberto"},
};

std::string MessageOf(const std::function<void()>& f)
{
    return test_support::ErrorOf(f, "(no exception)");
}

} // namespace

TEST(Index, FieldNamesOrderByTheTableCollation)
{
    Scenario s(kPeople);
    auto& ds = *s.DataSet;
    ds.SetIndexFieldNames(u"nome");
    EXPECT_EQ(Names(ds), (std::vector<std::string>{"Alberto", "alice", "Álvaro", "Bia", "bruno", "Élio", "Zé"}));
    EXPECT_EQ(ds.IndexFieldCount(), 1);
    EXPECT_EQ(ds.IndexFields(0), ds.FieldByName(u"nome"));
    ds.SetIndexFieldNames(u"");
    EXPECT_EQ(Codes(ds), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
}

TEST(Index, UnknownFieldRaisesAndKeepsThePreviousOrder)
{
    Scenario s(kPeople);
    auto& ds = *s.DataSet;
    ds.SetIndexFieldNames(u"nome");
    EXPECT_EQ(MessageOf([&] { ds.SetIndexFieldNames(u"xyz"); }), "ClientDataSet1: Field 'xyz' not found");
    EXPECT_EQ(ds.IndexFieldNames(), u"nome");
    EXPECT_EQ(Names(ds).front(), "Alberto");
    EXPECT_EQ(MessageOf([&] { ds.SetIndexName(u"nope"); }), "ClientDataSet1: Index 'nope' not found");
    EXPECT_EQ(MessageOf([&] { ds.IndexFields(3); }), "ClientDataSet1: Field index out of range");
}

TEST(Index, DescendingAndCaseInsensitiveDefinitions)
{
    Scenario s({{1, u"b"}, {2, u"A"}, {3, u"a"}, {4, u"B"}});
    auto& ds = *s.DataSet;
    ds.AddIndex(u"porNomeDesc", u"nome", {data::TIndexOption::ixDescending});
    ds.AddIndex(u"porNomeSemCaixa", u"nome", {}, u"", u"nome");
    ds.SetIndexName(u"porNomeDesc");
    EXPECT_EQ(Names(ds), (std::vector<std::string>{"B", "b", "A", "a"}));
    ds.SetIndexName(u"porNomeSemCaixa");
    // equal keys keep insertion order
    EXPECT_EQ(Codes(ds), (std::vector<int>{2, 3, 1, 4}));
    EXPECT_TRUE(ds.FindKey({std::u16string(u"B")}));
    EXPECT_EQ(ds.FieldByName(u"codigo")->AsInteger(), 1);
    ds.SetIndexName(u"");
    ds.DeleteIndex(u"porNomeDesc");
    EXPECT_EQ(MessageOf([&] { ds.SetIndexName(u"porNomeDesc"); }), "ClientDataSet1: Index 'porNomeDesc' not found");
}

TEST(Index, IndexChosenWhileClosedAppliesAtOpen)
{
    ProgramDataSet p;
    p.DataSet->SetIndexFieldNames(u"nome");
    p.OpenStored();
    for (const auto& [c, n] : kPeople)
        AddRow(*p.DataSet, c, n);
    EXPECT_EQ(Names(*p.DataSet).front(), "Alberto");
}

struct FilterCase {
    const char16_t* text;
    data::TFilterOptions options;
    std::vector<int> codes;
};

TEST(Filter, TextsAndOptions)
{
    const std::vector<FilterCase> cases = {
        {u"nome LIKE 'A%'", {}, {7}},  // "Á" is another character
        {u"nome LIKE '%o'", {}, {1, 2, 5, 7}},
        {u"nome = 'Al*'", {}, {7}},
        {u"nome = 'al*'", {data::TFilterOption::foCaseInsensitive}, {3, 7}},
        {u"nome = 'Al*'", {data::TFilterOption::foNoPartialCompare}, {}},
        {u"codigo > 5", {}, {6, 7}},
        {u"codigo in (1, 4)", {}, {1, 4}},
    };
    for (const auto& c : cases) {
        Scenario s(kPeople);
        auto& ds = *s.DataSet;
        ds.SetFilterOptions(c.options);
        ds.SetFilter(c.text);
        ds.SetFilteredProp(true);
        EXPECT_EQ(Codes(ds), c.codes) << core::ToUtf8(c.text);
        EXPECT_EQ(ds.RecordCount(), static_cast<int>(c.codes.size())) << core::ToUtf8(c.text);
    }
}

TEST(Filter, BadTextRaisesAndKeepsThePreviousFilter)
{
    Scenario s(kPeople);
    auto& ds = *s.DataSet;
    ds.SetFilter(u"codigo > 5");
    ds.SetFilteredProp(true);
    EXPECT_EQ(MessageOf([&] { ds.SetFilter(u"nome = 'abc"); }), "Unterminated string constant");
    EXPECT_EQ(ds.Filter(), u"codigo > 5");
    EXPECT_EQ(Codes(ds), (std::vector<int>{6, 7}));
    ds.SetFilteredProp(false);
    EXPECT_EQ(ds.RecordCount(), 7);
}

TEST(Filter, OnFilterRecordRejectingAllAndBeingRemoved)
{
    Scenario s(kPeople);
    auto& ds = *s.DataSet;
    ds.SetFilteredProp(true);
    ds.SetOnFilterRecord(data::TFilterRecordEvent::Bind(&ds, [](data::TDataSet*, bool& accept) { accept = false; }));
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.Eof());
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(ds.RecordCount(), 0);
    ds.SetOnFilterRecord({});
    EXPECT_EQ(ds.RecordCount(), 7);
    ds.SetOnFilterRecord(data::TFilterRecordEvent::Bind(
        &ds, [](data::TDataSet* d, bool& accept) { accept = d->FieldByName(u"codigo")->AsInteger() % 2 == 0; }));
    EXPECT_EQ(Codes(ds), (std::vector<int>{2, 4, 6}));
}

TEST(Filter, FindFirstAndNextOnAnUnfilteredDataSet)
{
    Scenario s(kPeople);
    auto& ds = *s.DataSet;
    ds.SetFilter(u"nome LIKE '%o'");
    EXPECT_TRUE(ds.FindFirst());
    EXPECT_EQ(ds.FieldByName(u"codigo")->AsInteger(), 1);
    for (int expected : {2, 5, 7}) {
        EXPECT_TRUE(ds.FindNext());
        EXPECT_EQ(ds.FieldByName(u"codigo")->AsInteger(), expected);
    }
    EXPECT_FALSE(ds.FindNext());
    EXPECT_EQ(ds.FieldByName(u"codigo")->AsInteger(), 7);
    EXPECT_EQ(ds.RecordCount(), 7);
    EXPECT_TRUE(ds.FindPrior());
    EXPECT_EQ(ds.FieldByName(u"codigo")->AsInteger(), 5);
    EXPECT_TRUE(ds.FindLast());
    EXPECT_EQ(ds.FieldByName(u"codigo")->AsInteger(), 7);
}

struct LocateCase {
    const char16_t* fields;
    core::Variant values;
    TLocateOptions options;
    int found;  // codigo, 0 = not found
};

TEST(Locate, ValuesAndOptions)
{
    Scenario s({{1, u"O'Brien"}, {2, u"Alberto"}, {3, u"alice"}, {4, u"Ana [x]"}, {5, u"o'brien"}});
    auto& ds = *s.DataSet;
    const std::vector<LocateCase> cases = {
        {u"nome", std::u16string(u"O'Brien"), {}, 1},
        {u"nome", std::u16string(u"o'BRIEN"), {TLocateOption::loCaseInsensitive}, 1},
        {u"nome", std::u16string(u"o'b"), {TLocateOption::loCaseInsensitive, TLocateOption::loPartialKey}, 1},
        {u"nome", std::u16string(u"Al"), {TLocateOption::loPartialKey}, 2},
        {u"nome", std::u16string(u"al"), {TLocateOption::loPartialKey}, 3},
        {u"nome", std::u16string(u"Al"), {}, 0},
        {u"nome", std::u16string(u"Ana [x]"), {}, 4},
        {u"codigo;nome", core::VarArrayOf({5, std::u16string(u"o'brien")}), {}, 5},
        {u"codigo;nome", core::VarArrayOf({4, std::u16string(u"o'brien")}), {}, 0},
        {u"codigo", 3, {}, 3},
    };
    for (const auto& c : cases) {
        ds.First();
        const bool found = ds.Locate(c.fields, c.values, c.options);
        EXPECT_EQ(found, c.found != 0) << core::ToUtf8(c.fields) << " " << core::ToUtf8(core::VarToStr(c.values));
        if (found && c.found) {
            EXPECT_EQ(ds.FieldByName(u"codigo")->AsInteger(), c.found);
        }
    }
    EXPECT_EQ(MessageOf([&] { ds.Locate(u"xyz", 1, TLocateOptions{}); }), "ClientDataSet1: Field 'xyz' not found");
}

TEST(Locate, LookupReturnsValuesWithoutMoving)
{
    Scenario s({{1, u"O'Brien"}, {2, u"Alberto"}});
    auto& ds = *s.DataSet;
    ds.First();
    EXPECT_EQ(core::VarToStr(ds.Lookup(u"codigo", 2, u"nome")), u"Alberto");
    EXPECT_EQ(core::VarToStr(ds.Lookup(u"nome", std::u16string(u"O'Brien"), u"codigo")), u"1");
    EXPECT_TRUE(core::VarIsNull(ds.Lookup(u"codigo", 9, u"nome")));
    EXPECT_EQ(ds.FieldByName(u"codigo")->AsInteger(), 1);
}

TEST(Keys, FindKeyFindNearestAndRanges)
{
    Scenario s(kPeople);
    auto& ds = *s.DataSet;
    EXPECT_EQ(MessageOf([&] { ds.FindKey({1}); }), "ClientDataSet1: No index currently active");
    ds.SetIndexFieldNames(u"codigo");
    EXPECT_TRUE(ds.FindKey({5}));
    EXPECT_EQ(ds.FieldByName(u"nome")->AsString(), u"Élio");
    EXPECT_FALSE(ds.FindKey({42}));
    ds.SetIndexFieldNames(u"nome");
    ds.FindNearest({std::u16string(u"B")});
    EXPECT_EQ(ds.FieldByName(u"nome")->AsString(), u"Bia");
    ds.FindNearest({std::u16string(u"Bia")}, true);
    EXPECT_EQ(ds.FieldByName(u"nome")->AsString(), u"bruno");
    ds.SetIndexFieldNames(u"codigo");
    ds.SetRange({3}, {5});
    EXPECT_EQ(Codes(ds), (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(ds.RecordCount(), 3);
    ds.CancelRange();
    EXPECT_EQ(ds.RecordCount(), 7);
}
