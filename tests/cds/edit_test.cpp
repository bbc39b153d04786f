// Append, edit, delete and cancel scenarios on the program's dataset, and
// saving and loading its packet.
#include <filesystem>
#include <string>

#include "cds_fixture.h"

using namespace data;
using cdstest::ProgramDataSet;

namespace {

void AppendRow(TClientDataSet& ds, int codigo, const std::u16string& nome)
{
    ds.Append();
    ds.FieldByName(u"codigo")->SetAsInteger(codigo);
    ds.FieldByName(u"nome")->SetAsString(nome);
    ds.Post();
}

std::u16string Names(TClientDataSet& ds)
{
    std::u16string out;
    ds.First();
    while (!ds.Eof()) {
        if (!out.empty())
            out += u",";
        out += ds.FieldByName(u"nome")->AsString();
        ds.Next();
    }
    return out;
}

} // namespace

TEST(ClientDataSetEdit, AppendEditDeleteStepByStep)
{
    ProgramDataSet p;
    p.OpenStored();
    TClientDataSet& ds = *p.DataSet;
    REQUIRE_ENGINE_EDITS(ds);

    ds.Append();
    EXPECT_EQ(ds.State(), TDataSetState::dsInsert);
    EXPECT_EQ(ds.RecNo(), -1);
    p.Codigo->SetAsInteger(1);
    p.Nome->SetAsString(u"Ana");
    ds.Post();
    EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(ds.UpdateStatus(), TUpdateStatus::usInserted);
    EXPECT_EQ(p.Codigo->AsInteger(), 1);
    EXPECT_EQ(p.Nome->AsString(), u"Ana");

    AppendRow(ds, 2, u"Bruno");
    AppendRow(ds, 3, u"Carla");
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_EQ(Names(ds), u"Ana,Bruno,Carla");

    ds.SetRecNoProp(2);
    EXPECT_EQ(p.Nome->AsString(), u"Bruno");
    ds.Edit();
    EXPECT_EQ(ds.State(), TDataSetState::dsEdit);
    p.Nome->SetAsString(u"Bruna");
    ds.Post();
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(Names(ds), u"Ana,Bruna,Carla");

    ds.SetRecNoProp(1);
    ds.Delete();
    EXPECT_EQ(ds.RecordCount(), 2);
    EXPECT_EQ(p.Nome->AsString(), u"Bruna");
    EXPECT_EQ(Names(ds), u"Bruna,Carla");
}

TEST(ClientDataSetEdit, CancelLeavesTheTableAsItWas)
{
    ProgramDataSet p;
    p.OpenStored();
    TClientDataSet& ds = *p.DataSet;
    REQUIRE_ENGINE_EDITS(ds);
    AppendRow(ds, 1, u"Ana");

    struct Step {
        const char* Name;
        void (TDataSet::*Start)();
    };
    for (const Step& s : {Step{"append", &TDataSet::Append}, Step{"insert", &TDataSet::Insert},
                          Step{"edit", &TDataSet::Edit}}) {
        SCOPED_TRACE(s.Name);
        (ds.*s.Start)();
        p.Nome->SetAsString(u"changed");
        ds.Cancel();
        EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
        EXPECT_EQ(ds.RecordCount(), 1);
        EXPECT_EQ(Names(ds), u"Ana");
    }
}

TEST(ClientDataSetEdit, StringLongerThanSizeIsCutAndTrailingBlanksTrimmed)
{
    ProgramDataSet p;
    p.OpenStored();
    TClientDataSet& ds = *p.DataSet;
    REQUIRE_ENGINE_EDITS(ds);
    AppendRow(ds, 1, std::u16string(60, u'x'));
    EXPECT_EQ(p.Nome->AsString(), std::u16string(50, u'x'));
    AppendRow(ds, 2, u"Ana   ");
    EXPECT_EQ(p.Nome->AsString(), u"Ana");
}

TEST(ClientDataSetEdit, CloseOpenKeepsPostedRecords)
{
    ProgramDataSet p;
    p.OpenStored();
    TClientDataSet& ds = *p.DataSet;
    REQUIRE_ENGINE_EDITS(ds);
    AppendRow(ds, 1, u"Ana");
    AppendRow(ds, 2, u"Bruno");
    ds.Close();
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 2);
    EXPECT_EQ(Names(ds), u"Ana,Bruno");
    ds.First();
    EXPECT_EQ(ds.UpdateStatus(), TUpdateStatus::usInserted);
}

TEST(ClientDataSetEdit, EmptyDataSetRemovesEveryRecord)
{
    ProgramDataSet p;
    p.OpenStored();
    TClientDataSet& ds = *p.DataSet;
    REQUIRE_ENGINE_EDITS(ds);
    AppendRow(ds, 1, u"Ana");
    AppendRow(ds, 2, u"Bruno");
    ds.EmptyDataSet();
    EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(ds.RecordCount(), 0);
    EXPECT_TRUE(ds.IsEmpty());
}

TEST(ClientDataSetEdit, DisableInsertsRaisesBeforeBeforeInsert)
{
    ProgramDataSet p;
    p.OpenStored();
    TClientDataSet& ds = *p.DataSet;
    // Packet options come from the table's optional parameters.
    const char on = 1;
    ds.Check(ds.DSBase()->AddOptParameter(0, "DISABLE_INSERTS", (3u << 16) | 1u, 1, &on)); // boolean, 1 byte
    ds.Close();
    ds.Open();
    ASSERT_TRUE(ds.DSOptions().Contains(TDataSetOption::doDisableInserts));
    bool beforeInsert = false;
    ds.BeforeInsert = TDataSetNotifyEvent::Bind(&ds, [&](TDataSet*) { beforeInsert = true; });
    try {
        ds.Append();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), u"ClientDataSet1: Inserts are not allowed");
    }
    EXPECT_FALSE(beforeInsert);
    EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
}

// ------------------------------------------------------------------ save / load

class ClientDataSetFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = std::filesystem::temp_directory_path() /
              ("cds_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }
    std::u16string File(const char* name) const { return core::FromUtf8((Dir / name).string()); }
    std::filesystem::path Dir;
};

TEST_F(ClientDataSetFiles, StreamRoundTripKeepsLayoutAndRecords)
{
    ProgramDataSet p;
    p.OpenStored();
    TClientDataSet& ds = *p.DataSet;
    const bool edits = cdstest::EngineEdits(ds);
    if (edits) {
        AppendRow(ds, 1, u"Ana");
        AppendRow(ds, 2, u"Jo\u00e3o");
    }
    core::TMemoryStream saved;
    ds.SaveToStream(saved);
    EXPECT_GT(saved.Size(), 0);

    ProgramDataSet q;
    saved.SetPosition(0);
    q.DataSet->LoadFromStream(saved);
    EXPECT_EQ(q.DataSet->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(q.Nome->FieldNo(), 2);
    EXPECT_EQ(q.DataSet->FieldDefs().Items(1)->Size(), 50);
    EXPECT_EQ(q.DataSet->RecordCount(), edits ? 2 : 0);
    if (edits) {
        EXPECT_EQ(Names(*q.DataSet), u"Ana,Jo\u00e3o");
    }
}

TEST_F(ClientDataSetFiles, FileRoundTripAndClosedSave)
{
    ProgramDataSet p;
    p.OpenStored();
    const std::u16string name = File("table.cds");
    p.DataSet->SaveToFile(name);
    ASSERT_TRUE(std::filesystem::exists(Dir / "table.cds"));

    ProgramDataSet q;
    q.DataSet->LoadFromFile(name);
    EXPECT_EQ(q.DataSet->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(q.DataSet->FieldDefs().Count(), 2);

    // A closed dataset saves its held packet; the two files are equal.
    q.DataSet->Close();
    const std::u16string again = File("again.cds");
    q.DataSet->SaveToFile(again);
    EXPECT_EQ(core::LoadFile(core::ToUtf8(name)), core::LoadFile(core::ToUtf8(again)));
}

TEST_F(ClientDataSetFiles, FailedSaveKeepsThePreviousFile)
{
    ProgramDataSet p;
    p.OpenStored();
    // The target is a directory: nothing can replace it, and it survives.
    std::filesystem::create_directories(Dir / "occupied.cds" / "keep");
    EXPECT_THROW(p.DataSet->SaveToFile(File("occupied.cds")), core::Exception);
    EXPECT_TRUE(std::filesystem::exists(Dir / "occupied.cds" / "keep"));
    // No stray temporary files are left beside it.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(Dir))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(ClientDataSetFiles, MissingFileRaisesAndStaysClosed)
{
    ProgramDataSet p;
    EXPECT_THROW(p.DataSet->LoadFromFile(File("missing.cds")), core::Exception);
    EXPECT_FALSE(p.DataSet->Active());
}

TEST(ClientDataSetEdit, InsertBeforeCurrentAndBookmarks)
{
    ProgramDataSet p;
    p.OpenStored();
    TClientDataSet& ds = *p.DataSet;
    REQUIRE_ENGINE_EDITS(ds);
    AppendRow(ds, 1, u"Ana");
    EXPECT_EQ(ds.RecordAttribute(ds.ActiveBuffer()), engine::dsRecNew);
    AppendRow(ds, 3, u"Carla");
    ds.SetRecNoProp(2);
    const TBookmark carla = ds.Bookmark();
    ds.Insert();
    p.Codigo->SetAsInteger(2);
    p.Nome->SetAsString(u"Bruno");
    ds.Post();
    // The posted record is current, wherever the table's order puts it.
    EXPECT_EQ(p.Nome->AsString(), u"Bruno");
    EXPECT_EQ(ds.RecordCount(), 3);
    const int brunoRecNo = ds.RecNo();
    EXPECT_TRUE(brunoRecNo == 2 || brunoRecNo == 3) << brunoRecNo;

    ds.First();
    const TBookmark ana = ds.Bookmark();
    ds.GotoBookmark(carla);
    EXPECT_EQ(p.Nome->AsString(), u"Carla");
    EXPECT_EQ(ds.RecNo(), brunoRecNo == 2 ? 3 : 2);
    EXPECT_TRUE(ds.BookmarkValid(carla));
    EXPECT_EQ(ds.CompareBookmarks(ana, carla), -1);
    EXPECT_EQ(ds.CompareBookmarks(carla, ana), 1);
    EXPECT_EQ(ds.CompareBookmarks(carla, carla), 0);

    // A deleted record's bookmark is no longer valid.
    ds.Delete();
    EXPECT_FALSE(ds.BookmarkValid(carla));
    EXPECT_EQ(ds.RecordCount(), 2);
}

TEST_F(ClientDataSetFiles, CloseThatCannotWriteItsFileKeepsTheData)
{
    ProgramDataSet p;
    p.OpenStored();
    TClientDataSet& ds = *p.DataSet;
    REQUIRE_ENGINE_EDITS(ds);
    AppendRow(ds, 1, u"Ana");
    std::filesystem::create_directories(Dir / "blocked.cds");
    ds.SetFileName(File("blocked.cds"));
    EXPECT_THROW(ds.Close(), core::Exception);
    EXPECT_FALSE(ds.Active());
    // The table went to the held packet instead of being dropped.
    ASSERT_TRUE(ds.HasDataPacket());
    ds.SetFileName({});
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(p.Nome->AsString(), u"Ana");
}

TEST_F(ClientDataSetFiles, FileNameSavesAtCloseAndLoadsAtOpen)
{
    const std::u16string name = File("auto.cds");
    {
        ProgramDataSet p;
        p.OpenStored();
        REQUIRE_ENGINE_EDITS(*p.DataSet);
        AppendRow(*p.DataSet, 7, u"Sete");
        p.DataSet->SetFileName(name);
        p.DataSet->Close();
    }
    ASSERT_TRUE(std::filesystem::exists(Dir / "auto.cds"));
    ProgramDataSet q;
    q.DataSet->SetFileName(name);
    q.DataSet->Open();
    EXPECT_EQ(q.DataSet->RecordCount(), 1);
    EXPECT_EQ(q.Codigo->AsInteger(), 7);
}

TEST(ClientDataSetEdit, EngineRefusalSurfacesAsEDBClientWithTheEngineMessage)
{
    ProgramDataSet p;
    p.OpenStored();
    TClientDataSet& ds = *p.DataSet;
    REQUIRE_ENGINE_EDITS(ds);
    AppendRow(ds, 1, u"Ana");
    // The table refuses writes behind the dataset's back.
    ds.Check(ds.DSBase()->SetProp(engine::dspropREADONLY, 1));
    ds.Append();
    p.Codigo->SetAsInteger(2);
    try {
        ds.Post();
        FAIL() << "the engine accepted a write to a read-only table";
    } catch (const EDBClient& e) {
        const char* text = engine::DBErrorMessage(static_cast<engine::EngineResult>(e.ErrorCode()));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(e.Message(), core::FromUtf8(text));
        EXPECT_EQ(std::string(e.ClassName()), "EDBClient");
    }
    // The failed post leaves the record being inserted; cancelling returns to the table as it was.
    EXPECT_EQ(ds.State(), TDataSetState::dsInsert);
    ds.Cancel();
    EXPECT_EQ(ds.RecordCount(), 1);
}
