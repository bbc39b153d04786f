// Editing, bookmarks, opening and closing, and what survives failures.
#include "fixture.h"
#include "support/error_of.h"

using namespace memds;

namespace {

using test_support::ErrorOf;

std::vector<int> WindowCodes(Table& t)
{
    std::vector<int> out;
    const int saved = t.link->ActiveRecord();
    for (int i = 0; i < t.link->RecordCount(); ++i) {
        t.link->SetActiveRecord(i);
        out.push_back(t.codigo->IsNull() ? 0 : t.codigo->AsInteger());
    }
    t.link->SetActiveRecord(saved);
    return out;
}

} // namespace

TEST(Editing, EditPostStoresTheValue)
{
    Table t(3);
    t.Open();
    t.ds->Next();
    t.ds->Edit();
    EXPECT_FALSE(t.ds->Modified());
    t.nome->SetText(u"Maria");
    EXPECT_TRUE(t.ds->Modified());
    t.ds->Post();
    EXPECT_EQ(t.ds->State(), TDataSetState::dsBrowse);
    EXPECT_FALSE(t.ds->Modified());
    EXPECT_EQ(t.ds->RowText(1, 1), "Maria");
    EXPECT_EQ(t.nome->AsString(), u"Maria");
    EXPECT_EQ(ErrorOf([&] { t.ds->Post(); }), "ClientDataSet1: Dataset not in edit or insert mode");
    EXPECT_EQ(ErrorOf([&] { t.ds->ClearFields(); }), "ClientDataSet1: Dataset not in edit or insert mode");
}

TEST(Editing, AppendAndCancelKeepTheWindow)
{
    Table t(10, 4);
    t.Open();
    t.ds->Append();
    EXPECT_EQ(t.ds->State(), TDataSetState::dsInsert);
    EXPECT_EQ(WindowCodes(t), (std::vector<int>{8, 9, 10, 0}));
    EXPECT_EQ(t.ds->ActiveRecord(), 3);
    EXPECT_EQ(t.ds->GetBookmarkFlag(t.ds->ActiveBuffer()), TBookmarkFlag::bfEOF);
    EXPECT_TRUE(t.ds->GetBookmark().empty());
    t.ds->Cancel();
    EXPECT_EQ(t.Current(), 10);
    EXPECT_EQ(t.ds->ActiveRecord(), 3);
    EXPECT_EQ(WindowCodes(t), (std::vector<int>{7, 8, 9, 10}));
}

TEST(Editing, AppendPostAddsAtTheEnd)
{
    Table t(2, 3);
    t.Open();
    t.ds->Append();
    t.codigo->SetText(u"77");
    t.nome->SetText(u"novo");
    t.ds->Post();
    ASSERT_EQ(t.ds->Rows().size(), 3u);
    EXPECT_EQ(t.ds->RowInt(2), 77);
    EXPECT_EQ(t.Current(), 77);
    EXPECT_EQ(WindowCodes(t), (std::vector<int>{1, 2, 77}));
}

TEST(Editing, InsertBeforeTheCurrentRecord)
{
    Table t(3, 3);
    t.Open();
    t.ds->Next();
    const TBookmark current = t.ds->GetBookmark();
    t.ds->Insert();
    EXPECT_EQ(t.ds->ActiveRecord(), 1);
    EXPECT_EQ(t.ds->GetBookmarkFlag(t.ds->ActiveBuffer()), TBookmarkFlag::bfInserted);
    TBookmark kept(4);
    t.ds->GetBookmarkData(t.ds->ActiveBuffer(), kept.data());
    EXPECT_EQ(kept, current);
    t.codigo->SetAsInteger(15);
    t.ds->Post();
    EXPECT_EQ(t.ds->RowInt(1), 15);
    EXPECT_EQ(t.ds->RowInt(2), 2);
    EXPECT_EQ(t.Current(), 15);

    Table e(0, 3);
    e.Open();
    e.ds->Insert();
    EXPECT_EQ(e.ds->GetBookmarkFlag(e.ds->ActiveBuffer()), TBookmarkFlag::bfBOF);
    e.codigo->SetAsInteger(1);
    e.ds->Post();
    EXPECT_EQ(e.ds->Rows().size(), 1u);
    EXPECT_FALSE(e.ds->IsEmpty());
}

TEST(Editing, DeleteVariants)
{
    Table t(3, 3);
    t.Open();
    t.ds->Insert();
    t.ds->Delete(); // cancels the insert
    EXPECT_EQ(t.ds->Rows().size(), 3u);
    t.ds->Edit();
    t.codigo->SetAsInteger(100);
    t.ds->Delete(); // discards the change and deletes the stored record
    ASSERT_EQ(t.ds->Rows().size(), 2u);
    EXPECT_EQ(t.ds->RowInt(0), 2);
    EXPECT_EQ(t.Current(), 2);
    t.ds->Delete();
    t.ds->Delete();
    EXPECT_TRUE(t.ds->IsEmpty());
    EXPECT_EQ(ErrorOf([&] { t.ds->Delete(); }), "ClientDataSet1: Cannot perform this operation on an empty dataset");
    t.ds->Close();
    for (auto op : {&TDataSet::Edit, &TDataSet::Insert, &TDataSet::Append, &TDataSet::Delete, &TDataSet::CheckBrowseMode})
        EXPECT_EQ(ErrorOf([&] { (t.ds->*op)(); }), "ClientDataSet1: Cannot perform this operation on a closed dataset");
}

TEST(Editing, RequiredFieldMustHaveAValue)
{
    Table t(1);
    t.nome->SetRequired(true);
    t.Open();
    TField* focused = nullptr;
    struct Focus : TRecLink {
        using TRecLink::TRecLink;
        TField** Out = nullptr;
        void FocusControl(TField** ref) override
        {
            *Out = *ref;
            *ref = nullptr;
        }
    } focus(nullptr);
    focus.Out = &focused;
    focus.SetDataSource(t.src);
    t.ds->Append();
    t.codigo->SetAsInteger(3);
    EXPECT_EQ(ErrorOf([&] { t.ds->Post(); }), "Field 'nome' must have a value");
    EXPECT_EQ(focused, t.nome);
    EXPECT_EQ(t.ds->State(), TDataSetState::dsInsert);
    EXPECT_EQ(t.codigo->AsInteger(), 3);
    t.nome->SetReadOnly(true); // a read-only required field may stay null
    t.ds->Post();
    EXPECT_EQ(t.ds->Rows().size(), 2u);
}

TEST(Editing, PostErrorActions)
{
    struct Case {
        TDataAction Action;
        const char* Error;
        TDataSetState StateAfter;
        int Calls;
    };
    const Case cases[] = {
        {TDataAction::daFail, "Post failed", TDataSetState::dsEdit, 1},
        {TDataAction::daAbort, "", TDataSetState::dsEdit, 1},
        {TDataAction::daRetry, "", TDataSetState::dsBrowse, 1},
    };
    for (const Case& c : cases) {
        Table t(2);
        t.Open();
        t.ds->Edit();
        t.codigo->SetAsInteger(50);
        t.ds->FailPost = true;
        int calls = 0;
        t.ds->OnPostError = TDataSetErrorEvent::Bind(t.ds, [&](TDataSet*, EDatabaseError&, TDataAction& a) {
            ++calls;
            a = c.Action;
            if (a == TDataAction::daRetry)
                t.ds->FailPost = false;
        });
        std::string error;
        try {
            t.ds->Post();
        } catch (const core::EAbort&) {
            error = "";
        } catch (const core::Exception& e) {
            error = core::ToUtf8(e.Message());
        }
        EXPECT_EQ(error, c.Error);
        EXPECT_EQ(t.ds->State(), c.StateAfter);
        EXPECT_EQ(calls, c.Calls);
        EXPECT_EQ(t.codigo->AsInteger(), 50);
    }
}

TEST(Editing, NewRecordErrorReturnsToBrowse)
{
    Table t(3, 3);
    t.Open();
    t.ds->OnNewRecord = TDataSetNotifyEvent::Bind(t.ds, [](TDataSet*) { data::DatabaseError(u"no"); });
    EXPECT_THROW(t.ds->Insert(), EDatabaseError);
    EXPECT_EQ(t.ds->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(WindowCodes(t), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(t.Current(), 1);
}

TEST(Editing, InsertAndAppendRecord)
{
    Table t(2, 3);
    t.Open();
    t.ds->AppendRecord({int32_t{9}, std::u16string(u"nove")});
    EXPECT_EQ(t.ds->State(), TDataSetState::dsBrowse);
    ASSERT_EQ(t.ds->Rows().size(), 3u);
    EXPECT_EQ(t.ds->RowText(2, 1), "nove");
    t.ds->First();
    t.ds->InsertRecord({int32_t{0}});
    EXPECT_EQ(t.ds->RowInt(0), 0);
    // A failing value puts the moved buffer back and leaves browse mode intact.
    t.ds->First();
    EXPECT_EQ(ErrorOf([&] { t.ds->InsertRecord({std::u16string(u"x")}); }), "Invalid value for field 'codigo'");
    EXPECT_EQ(t.ds->State(), TDataSetState::dsBrowse);
    EXPECT_FALSE(t.ds->ControlsDisabled());
    EXPECT_EQ(t.ds->Rows().size(), 4u);
    EXPECT_EQ(WindowCodes(t), (std::vector<int>{0, 1, 2}));
}

// Reading an old value uses a temporary state; the pending change must
// survive it and still be posted by CheckBrowseMode.
TEST(Editing, TemporaryStateKeepsModified)
{
    Table t(2);
    t.Open();
    t.ds->Edit();
    t.codigo->SetAsInteger(40);
    (void)t.codigo->OldValue();
    EXPECT_TRUE(t.ds->Modified());
    t.ds->CheckBrowseMode();
    EXPECT_EQ(t.ds->RowInt(0), 40);
}

TEST(Bookmarks, GotoCompareAndValidate)
{
    Table t(100, 5);
    t.Open();
    t.ds->MoveBy(41);
    const TBookmark b42 = t.ds->Bookmark();
    ASSERT_EQ(b42.size(), 4u);
    t.ds->Last();
    const TBookmark b100 = t.ds->Bookmark();
    EXPECT_LT(t.ds->CompareBookmarks(b42, b100), 0);
    EXPECT_EQ(t.ds->CompareBookmarks({}, {}), 0);
    t.ds->GotoBookmark(b42);
    EXPECT_EQ(t.Current(), 42);
    EXPECT_EQ(t.ds->ActiveRecord(), 2); // centred in a window of 5
    EXPECT_TRUE(t.ds->BookmarkValid(b42));
    t.log.clear();
    t.ds->GotoBookmark({});
    EXPECT_TRUE(t.log.empty());
    const TBookmark bogus{0xFF, 0xFF, 0, 0};
    EXPECT_FALSE(t.ds->BookmarkValid(bogus));
    EXPECT_EQ(ErrorOf([&] { t.ds->GotoBookmark(bogus); }), "ClientDataSet1: Record not found");
    const std::string asText = t.ds->GetBookmarkStr();
    t.ds->First();
    t.ds->SetBookmarkStr(asText);
    EXPECT_EQ(t.Current(), 42);
}

TEST(Opening, FailuresLeaveTheDataSetClosed)
{
    Table t(5, 3);
    t.ds->FailInternalOpen = true;
    EXPECT_EQ(ErrorOf([&] { t.Open(); }), "Cannot open");
    EXPECT_EQ(t.ds->State(), TDataSetState::dsInactive);
    t.ds->FailInternalOpen = false;
    t.ds->FailFetchAfter = 0; // the first fetch raises
    EXPECT_EQ(ErrorOf([&] { t.Open(); }), "Fetch failed");
    EXPECT_EQ(t.ds->State(), TDataSetState::dsInactive);
    EXPECT_FALSE(t.link->Active());
    t.ds->FailFetchAfter = -1;
    t.Open();
    EXPECT_EQ(t.Current(), 1);
}

TEST(Opening, FetchErrorDuringMoveKeepsTheWindow)
{
    Table t(10, 3);
    Record(t.log, *t.ds, t.src);
    t.Open();
    t.ds->FailFetchAfter = t.ds->Fetches + 1;
    t.log.clear();
    EXPECT_EQ(ErrorOf([&] { t.ds->MoveBy(5); }), "Fetch failed");
    EXPECT_EQ(t.log, (Log{"link:deCheckBrowseMode", "BeforeScroll", "link:deDataSetScroll(-1)", "OnDataChange(nil)",
                          "AfterScroll"}));
    EXPECT_EQ(t.Current(), 4);
    EXPECT_EQ(t.ds->ActiveRecord(), 2);
}

TEST(Opening, ActiveStoredInTheFormOpensInLoaded)
{
    Table t(2);
    Record(t.log, *t.ds, t.src);
    t.ds->SetState(components::TComponentState::csLoading, true);
    t.ds->SetState(components::TComponentState::csReading, true);
    t.ds->SetActiveProp(true);
    EXPECT_FALSE(t.ds->Active());
    EXPECT_TRUE(t.log.empty());
    t.ds->SetState(components::TComponentState::csReading, false);
    t.ds->Loaded();
    EXPECT_TRUE(t.ds->Active());
    EXPECT_EQ(t.log.front(), "BeforeOpen");
}

TEST(Opening, NamedSubComponentPrefix)
{
    components::TComponent form(nullptr);
    form.SetName(u"Form1");
    auto* ds = new TMemDataSet(&form, TableColumns());
    ds->SetName(u"Inner");
    EXPECT_EQ(data::ComponentMessage(u"m", ds), u"Inner: m");
    ds->SetSubComponent(true);
    EXPECT_EQ(data::ComponentMessage(u"m", ds), u"Form1.Inner: m");
    EXPECT_EQ(data::ComponentMessage(u"m", nullptr), u"m");
}
