// The record window and the data links' view of it: MoveBy's scroll
// distances, the window arithmetic of links of 11 and 4 rows over datasets
// of several sizes, and the window's sizing by its links.
#include <optional>

#include "fixture.h"

using namespace memds;


TEST(MoveBy, ReportsScrollDistances)
{
    struct Step {
        int Distance;
        int Moved;
        int Codigo;
        int ActiveRow;
        const char* Event; // data event the links received
    };
    const Step steps[] = {
        {1, 1, 2, 1, "link:deDataSetScroll(0)"},   {1, 1, 3, 2, "link:deDataSetScroll(0)"},
        {1, 1, 4, 2, "link:deDataSetScroll(-1)"},  {3, 3, 7, 2, "link:deDataSetScroll(-3)"},
        {-2, -2, 5, 0, "link:deDataSetScroll(0)"}, {-1, -1, 4, 0, "link:deDataSetScroll(1)"},
        {-5, -3, 1, 0, "link:deDataSetScroll(3)"}, {20, 9, 10, 2, "link:deDataSetScroll(-7)"},
    };
    Table t(10, 3);
    t.Open();
    for (const Step& s : steps) {
        t.log.clear();
        EXPECT_EQ(t.ds->MoveBy(s.Distance), s.Moved) << s.Distance;
        EXPECT_EQ(t.Current(), s.Codigo);
        EXPECT_EQ(t.ds->ActiveRecord(), s.ActiveRow);
        EXPECT_EQ(t.ds->WindowRecordCount(), 3);
        ASSERT_EQ(t.log.size(), 2u);
        EXPECT_EQ(t.log[1], s.Event);
    }
    EXPECT_TRUE(t.ds->Eof());
}

TEST(MoveBy, GrowingWindowSendsDataSetChange)
{
    Table t(2, 3);
    Record(t.log, *t.ds, t.src);
    t.Open();
    t.ds->Next();
    t.ds->AddIntRow(3); // a record appears behind the window
    t.log.clear();
    EXPECT_EQ(t.ds->MoveBy(1), 1);
    EXPECT_EQ(t.log, (Log{"link:deCheckBrowseMode", "BeforeScroll", "link:deDataSetChange", "OnDataChange(nil)",
                          "AfterScroll"}));
    EXPECT_EQ(t.ds->WindowRecordCount(), 3);
    EXPECT_EQ(t.Current(), 3);
    t.log.clear();
    EXPECT_EQ(t.ds->MoveBy(1), 0); // from the last record: Eof, scroll 0
    EXPECT_TRUE(t.ds->Eof());
    EXPECT_EQ(t.log, (Log{"link:deCheckBrowseMode", "BeforeScroll", "link:deDataSetScroll(0)", "OnDataChange(nil)",
                          "AfterScroll"}));
    t.log.clear();
    t.ds->Next();
    EXPECT_EQ(t.log, (Log{"link:deCheckBrowseMode", "BeforeScroll"}));
}

TEST(MoveBy, OpeningEmptyDataSet)
{
    Table t(0, 5);
    t.Open();
    EXPECT_TRUE(t.ds->Bof());
    EXPECT_TRUE(t.ds->Eof());
    EXPECT_TRUE(t.ds->IsEmpty());
    EXPECT_EQ(t.ds->MoveBy(3), 0);
    EXPECT_EQ(t.ds->MoveBy(-3), 0);
    EXPECT_TRUE(t.codigo->IsNull());
}

// One link of 11 rows (which sizes the window) and one of 4 rows share the
// dataset's window; after each operation both report their first row,
// active row and the distance they were told to scroll (nullopt: no scroll).
TEST(LinkWindow, FollowsTheDataSet)
{
    enum Op { Open, Next, PageDown, Last, Prior, PageUp, First };
    struct Expect {
        Op Operation;
        int Codigo; // 0: empty
        int DsActive;
        bool Eof;
        int First11, Active11, Count11;
        std::optional<int> Scroll11;
        int First4, Active4;
        std::optional<int> Scroll4;
    };
    const std::nullopt_t X = std::nullopt;
    struct Case {
        int Records;
        std::vector<Expect> Steps;
    };
    const Case cases[] = {
        {0,
         {{Open, 0, 0, true, 0, 0, 0, X, 0, 0, X},
          {Next, 0, 0, true, 0, 0, 0, X, 0, 0, X},
          {PageDown, 0, 0, true, 0, 0, 0, X, 0, 0, X},
          {Last, 0, 0, true, 0, 0, 0, X, 0, 0, X},
          {Prior, 0, 0, true, 0, 0, 0, X, 0, 0, X},
          {PageUp, 0, 0, true, 0, 0, 0, X, 0, 0, X},
          {First, 0, 0, true, 0, 0, 0, X, 0, 0, X}}},
        {1,
         {{Open, 1, 0, false, 0, 0, 1, X, 0, 0, X},
          {Next, 1, 0, true, 0, 0, 1, 0, 0, 0, 0},
          {PageDown, 1, 0, true, 0, 0, 1, X, 0, 0, X},
          {Last, 1, 0, true, 0, 0, 1, X, 0, 0, X},
          {Prior, 1, 0, false, 0, 0, 1, 0, 0, 0, 0},
          {PageUp, 1, 0, false, 0, 0, 1, X, 0, 0, X},
          {First, 1, 0, false, 0, 0, 1, X, 0, 0, X}}},
        {11,
         {{Open, 1, 0, false, 0, 0, 11, X, 0, 0, X},
          {Next, 2, 1, false, 0, 1, 11, 0, 0, 1, 0},
          {PageDown, 11, 10, true, 0, 10, 11, 0, 7, 3, 7},
          {Last, 11, 10, true, 0, 10, 11, X, 7, 3, X},
          {Prior, 10, 9, false, 0, 9, 11, 0, 7, 2, 0},
          {PageUp, 1, 0, false, 0, 0, 11, 0, 0, 0, -7},
          {First, 1, 0, false, 0, 0, 11, X, 0, 0, X}}},
        {12,
         {{Open, 1, 0, false, 0, 0, 11, X, 0, 0, X},
          {Next, 2, 1, false, 0, 1, 11, 0, 0, 1, 0},
          {PageDown, 12, 10, true, 0, 10, 11, 1, 7, 3, 8},
          {Last, 12, 10, true, 0, 10, 11, X, 7, 3, X},
          {Prior, 11, 9, false, 0, 9, 11, 0, 7, 2, 0},
          {PageUp, 1, 0, false, 0, 0, 11, -1, 0, 0, -8},
          {First, 1, 0, false, 0, 0, 11, X, 0, 0, X}}},
        {1000,
         {{Open, 1, 0, false, 0, 0, 11, X, 0, 0, X},
          {Next, 2, 1, false, 0, 1, 11, 0, 0, 1, 0},
          {PageDown, 13, 10, false, 0, 10, 11, 2, 7, 3, 9},
          {Last, 1000, 10, true, 0, 10, 11, X, 7, 3, X},
          {Prior, 999, 9, false, 0, 9, 11, 0, 7, 2, 0},
          {PageUp, 988, 0, false, 0, 0, 11, -2, 0, 0, -9},
          {First, 1, 0, false, 0, 0, 11, X, 0, 0, X}}},
    };
    for (const Case& c : cases) {
        Table t(c.Records, 11);
        TRecLink link4(nullptr);
        link4.SetBufferCount(4);
        link4.SetDataSource(t.src);
        for (const Expect& e : c.Steps) {
            SCOPED_TRACE(testing::Message() << c.Records << " records, step " << e.Operation);
            t.link->Scrolled.clear();
            link4.Scrolled.clear();
            switch (e.Operation) {
            case Open: t.Open(); break;
            case Next: t.ds->Next(); break;
            case PageDown: t.ds->MoveBy(11); break;
            case Last: t.ds->Last(); break;
            case Prior: t.ds->Prior(); break;
            case PageUp: t.ds->MoveBy(-11); break;
            case First: t.ds->First(); break;
            }
            EXPECT_EQ(t.ds->BufferCount(), 11);
            EXPECT_EQ(t.codigo->AsInteger(), e.Codigo);
            EXPECT_EQ(t.ds->ActiveRecord(), e.DsActive);
            EXPECT_EQ(t.ds->Eof(), e.Eof);
            EXPECT_EQ(t.link->FirstRecord(), e.First11);
            EXPECT_EQ(t.link->ActiveRecord(), e.Active11);
            EXPECT_EQ(t.link->RecordCount(), e.Count11);
            EXPECT_EQ(link4.FirstRecord(), e.First4);
            EXPECT_EQ(link4.ActiveRecord(), e.Active4);
            EXPECT_EQ(link4.RecordCount(), std::min(4, e.Count11));
            const auto last = [](const std::vector<int>& v) -> std::optional<int> {
                return v.empty() ? std::nullopt : std::optional<int>(v.back());
            };
            EXPECT_EQ(last(t.link->Scrolled), e.Scroll11);
            EXPECT_EQ(last(link4.Scrolled), e.Scroll4);
        }
    }
}

TEST(LinkWindow, AttachingALinkGrowsTheWindow)
{
    Table t(3, 1);
    t.Open();
    EXPECT_EQ(t.ds->BufferCount(), 1);
    t.link->SetBufferCount(10);
    EXPECT_EQ(t.ds->BufferCount(), 10);
    EXPECT_EQ(t.ds->WindowRecordCount(), 3);
    EXPECT_EQ(t.link->RecordCount(), 3);
    // Shrinking keeps the active row inside the window.
    t.ds->Last();
    EXPECT_EQ(t.ds->ActiveRecord(), 2);
    t.link->SetBufferCount(2);
    EXPECT_EQ(t.ds->BufferCount(), 2);
    EXPECT_EQ(t.Current(), 3);
    EXPECT_EQ(t.link->ActiveRecord(), t.ds->ActiveRecord() - t.link->FirstRecord());
    EXPECT_LT(t.ds->ActiveRecord(), t.ds->WindowRecordCount());
}

TEST(LinkWindow, BufferCountBelowOneIsOne)
{
    Table t(5, 0);
    EXPECT_EQ(t.link->BufferCount(), 1);
    t.Open();
    t.link->SetBufferCount(-3);
    EXPECT_EQ(t.link->BufferCount(), 1);
    EXPECT_EQ(t.ds->BufferCount(), 1);
    t.ds->Next();
    EXPECT_EQ(t.Current(), 2);
}

TEST(LinkWindow, ActiveRecordWritesStayInsideTheWindow)
{
    Table t(5, 3);
    t.Open();
    t.link->SetActiveRecord(2);
    EXPECT_EQ(t.Current(), 3);
    t.link->SetActiveRecord(7);  // outside the window: ignored
    t.link->SetActiveRecord(-1);
    EXPECT_EQ(t.Current(), 3);
    t.link->SetActiveRecord(0);
    EXPECT_EQ(t.Current(), 1);
    EXPECT_EQ(t.ds->Buffers(99), nullptr);
    EXPECT_EQ(t.ds->Buffers(-1), nullptr);
}

TEST(LinkWindow, DisabledSourceDropsEvents)
{
    Table t(3, 1);
    t.Open();
    t.log.clear();
    t.src->SetEnabled(false);
    EXPECT_EQ(t.src->State(), TDataSetState::dsInactive);
    EXPECT_FALSE(t.link->Active());
    t.ds->Next();
    EXPECT_EQ(t.log, (Log{"link:deUpdateState"}));
    t.src->SetEnabled(true);
    EXPECT_TRUE(t.link->Active());
    EXPECT_EQ(t.src->State(), TDataSetState::dsBrowse);
}

TEST(LinkWindow, ReattachingTheSameDataSet)
{
    Table t(3, 1);
    t.Open();
    t.log.clear();
    t.src->SetDataSet(t.ds);
    EXPECT_EQ(t.log, (Log{"link:deUpdateState", "link:deUpdateState"}));
    EXPECT_TRUE(t.link->Active());
}

TEST(LinkWindow, ReadOnlyLinkDoesNotEdit)
{
    Table t(3, 1);
    t.Open();
    t.link->SetReadOnly(true);
    EXPECT_FALSE(t.link->Edit());
    EXPECT_EQ(t.ds->State(), TDataSetState::dsBrowse);
    t.link->SetReadOnly(false);
    EXPECT_TRUE(t.link->Edit());
    EXPECT_EQ(t.ds->State(), TDataSetState::dsEdit);
}

// A link that detaches (and frees) another link while being notified.
TEST(LinkWindow, LinksMayDetachWhileNotified)
{
    struct Detacher : TRecLink {
        using TRecLink::TRecLink;
        std::unique_ptr<TRecLink>* Victim = nullptr;
        void DataSetChanged() override
        {
            if (Victim)
                Victim->reset();
        }
    };
    Table t(3, 1);
    auto victim = std::make_unique<TRecLink>(&t.log, "victim");
    victim->SetDataSource(t.src);
    Detacher d(&t.log, "detacher");
    d.SetDataSource(t.src);
    d.Victim = &t.link; // attached first, so notified after the detacher
    t.Open();
    t.log.clear();
    t.ds->First();
    EXPECT_EQ(t.link, nullptr);
    EXPECT_EQ(t.log, (Log{"detacher:deCheckBrowseMode", "victim:deCheckBrowseMode", "link:deCheckBrowseMode",
                          "detacher:deDataSetChange", "victim:deDataSetChange"}));
}

TEST(LinkWindow, FieldDataLinkFollowsItsField)
{
    Table t(3, 1);
    TFieldDataLink fl;
    int changes = 0;
    fl.OnDataChange = core::Closure<void(TFieldDataLink*)>::Bind(&fl, [&](TFieldDataLink*) { ++changes; });
    fl.SetFieldName(u"NOME");
    fl.SetDataSource(t.src);
    EXPECT_EQ(fl.Field(), nullptr);
    t.Open();
    EXPECT_EQ(fl.Field(), t.nome);
    EXPECT_TRUE(fl.CanModify());
    changes = 0;
    t.ds->Next();
    EXPECT_EQ(changes, 1);
    t.ds->Edit();
    changes = 0;
    t.codigo->SetAsInteger(7); // another field: not reported
    EXPECT_EQ(changes, 0);
    t.nome->SetAsString(u"x");
    EXPECT_EQ(changes, 1);
    t.ds->Close();
    EXPECT_EQ(fl.Field(), nullptr);
}

TEST(Resync, RecordsGoneUnderneath)
{
    Table t(5, 3);
    Record(t.log, *t.ds, t.src);
    t.Open();
    t.ds->Next();
    t.ds->EraseRows(1, 1); // the current record
    t.ds->Refresh();
    EXPECT_EQ(t.Current(), 3); // the next record takes its place
    t.ds->EraseRows(0, t.ds->Rows().size());
    t.log.clear();
    t.ds->Refresh();
    EXPECT_TRUE(t.ds->IsEmpty());
    EXPECT_TRUE(t.ds->Bof());
    EXPECT_TRUE(t.ds->Eof());
    EXPECT_EQ(t.log, (Log{"BeforeRefresh", "link:deCheckBrowseMode", "link:deDataSetChange", "OnDataChange(nil)",
                          "AfterRefresh"}));
}

TEST(BlockRead, LinksStayQuietExceptNonVisualOnes)
{
    Table t(20, 1);
    TRecLink visual(&t.log, "visual");
    visual.SetVisualControl(true);
    visual.SetDataSource(t.src);
    t.Open();
    t.log.clear();
    t.ds->SetBlockReadSizeProp(10);
    EXPECT_EQ(t.ds->State(), TDataSetState::dsBlockRead);
    t.log.clear();
    t.ds->Next();
    EXPECT_EQ(t.log, (Log{"link:deDataSetScroll(-1)"}));
    t.ds->SetBlockReadSizeProp(0);
    EXPECT_EQ(t.ds->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(t.Current(), 2);
}
