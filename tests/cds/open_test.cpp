// Opening the program's dataset from its stored packet, damaged packets,
// CreateDataSet, and engine errors surfacing as EDBClient.
#include "cds_fixture.h"

#include "engine/dstypes.h"

using namespace data;
using cdstest::Bytes;
using cdstest::ProgramDataSet;

TEST(ClientDataSetOpen, StoredPacketGivesTwoFieldsNoRecordsAndBrowse)
{
    ProgramDataSet p;
    p.OpenStored();
    TClientDataSet& ds = *p.DataSet;
    EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
    ASSERT_EQ(ds.FieldDefs().Count(), 2);
    const TFieldDef* codigo = ds.FieldDefs().Items(0);
    const TFieldDef* nome = ds.FieldDefs().Items(1);
    EXPECT_EQ(codigo->Name(), u"codigo");
    EXPECT_EQ(codigo->DataType(), TFieldType::ftInteger);
    EXPECT_EQ(codigo->FieldNo(), 1);
    EXPECT_EQ(nome->Name(), u"nome");
    EXPECT_EQ(nome->DataType(), TFieldType::ftString);
    EXPECT_EQ(nome->Size(), 50);
    EXPECT_EQ(nome->FieldNo(), 2);
    // The persistent fields are bound; no automatic ones were added.
    ASSERT_EQ(ds.FieldCount(), 2);
    EXPECT_EQ(ds.FieldByName(u"codigo"), p.Codigo);
    EXPECT_EQ(ds.FieldByName(u"nome"), p.Nome);
    EXPECT_EQ(p.Codigo->FieldNo(), 1);
    EXPECT_EQ(p.Nome->FieldNo(), 2);
    EXPECT_EQ(ds.RecordCount(), 0);
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.Eof());
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(ds.RecNo(), -1);
    EXPECT_TRUE(p.Codigo->IsNull());
    EXPECT_EQ(p.Nome->AsString(), u"");
    EXPECT_TRUE(ds.CanModify());
    // Opening takes the held packet over into the table.
    EXPECT_TRUE(ds.HasDataPacket());
}

TEST(ClientDataSetOpen, WithoutPersistentFieldsCreatesAutomaticOnes)
{
    components::TComponent owner(nullptr);
    TClientDataSet ds(&owner);
    ds.SetDataPacket(cdstest::StoredPacket());
    ASSERT_TRUE(ds.Active());
    ASSERT_EQ(ds.FieldCount(), 2);
    EXPECT_NE(dynamic_cast<TIntegerField*>(ds.Fields()[0]), nullptr);
    auto* nome = dynamic_cast<TStringField*>(ds.Fields()[1]);
    ASSERT_NE(nome, nullptr);
    EXPECT_EQ(nome->Size(), 50);
    ds.Close();
    // The automatic fields go with the open dataset.
    EXPECT_EQ(ds.FieldCount(), 0);
}

TEST(ClientDataSetOpen, CloseAndOpenKeepTheTable)
{
    ProgramDataSet p;
    p.OpenStored();
    p.DataSet->Close();
    EXPECT_EQ(p.DataSet->State(), TDataSetState::dsInactive);
    EXPECT_TRUE(p.DataSet->HasDataPacket());
    p.DataSet->Open();
    EXPECT_EQ(p.DataSet->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(p.DataSet->FieldDefs().Count(), 2);
    EXPECT_EQ(p.Nome->FieldNo(), 2);
}

TEST(ClientDataSetOpen, OpeningWithoutPacketNamesTheDataSet)
{
    ProgramDataSet p;
    try {
        p.DataSet->Open();
        FAIL() << "opened without a packet";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), u"ClientDataSet1: Missing data provider or data packet");
    }
    EXPECT_FALSE(p.DataSet->Active());
}

struct DamagedCase {
    const char* Name;
    Bytes Data;
};

class ClientDataSetDamaged : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(ClientDataSetDamaged, ClearErrorAndStaysClosed)
{
    ProgramDataSet p;
    core::TMemoryStream s(GetParam().Data);
    try {
        p.DataSet->LoadFromStream(s);
        FAIL() << "a damaged packet was accepted";
    } catch (const EDBClient& e) {
        // The engine's own message, without the dataset's name.
        const char* text = engine::DBErrorMessage(static_cast<engine::EngineResult>(e.ErrorCode()));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(e.Message(), core::FromUtf8(text));
        EXPECT_NE(e.ErrorCode(), 0);
    }
    EXPECT_EQ(p.DataSet->State(), TDataSetState::dsInactive);
    EXPECT_FALSE(p.DataSet->IsCursorOpen());
    EXPECT_EQ(p.DataSet->DSBase(), nullptr);
    // The rejected packet is not kept for another try.
    EXPECT_FALSE(p.DataSet->HasDataPacket());
    EXPECT_THROW(p.DataSet->Open(), EDatabaseError);
    EXPECT_FALSE(p.DataSet->Active());
    // A good packet afterwards opens normally.
    core::TMemoryStream good(cdstest::StoredPacket());
    p.DataSet->LoadFromStream(good);
    EXPECT_EQ(p.DataSet->State(), TDataSetState::dsBrowse);
}

static Bytes Prefix(size_t n)
{
    const Bytes b = cdstest::StoredPacket();
    return Bytes(b.begin(), b.begin() + static_cast<long>(n));
}

static Bytes Mutated(size_t at, uint8_t value)
{
    Bytes b = cdstest::StoredPacket();
    b[at] = value;
    return b;
}

INSTANTIATE_TEST_SUITE_P(
    Packets, ClientDataSetDamaged,
    ::testing::Values(DamagedCase{"Empty", {}}, DamagedCase{"Signature", Mutated(0, 0x00)},
                      DamagedCase{"Truncated", Prefix(30)},
                      DamagedCase{"HeaderOnly", Prefix(8)},
                      DamagedCase{"FieldCountHuge", Mutated(12, 0xFF)}),
    [](const ::testing::TestParamInfo<DamagedCase>& param) { return std::string(param.param.Name); });

TEST(ClientDataSetOpen, LengthPrefixBeyondTheStreamIsRejected)
{
    ProgramDataSet p;
    Bytes data = cdstest::StoredData();
    data[0] = 0xFF; // claims 255 bytes, 66 follow
    core::TMemoryStream s(data);
    EXPECT_THROW(p.DataSet->ReadDataPacket(s, true), core::EReadError);
    EXPECT_FALSE(p.DataSet->HasDataPacket());
}

TEST(ClientDataSetOpen, ZeroLengthPrefixHoldsNothing)
{
    ProgramDataSet p;
    core::TMemoryStream s(Bytes{0, 0, 0, 0});
    p.DataSet->ReadDataPacket(s, true);
    EXPECT_FALSE(p.DataSet->HasDataPacket());
}

TEST(ClientDataSetCreate, FromFieldDefsAndFromPersistentFields)
{
    components::TComponent owner(nullptr);
    TClientDataSet a(&owner);
    a.FieldDefs().Add(u"codigo", TFieldType::ftInteger);
    a.FieldDefs().Add(u"nome", TFieldType::ftString, 50);
    a.CreateDataSet();
    EXPECT_EQ(a.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(a.RecordCount(), 0);
    ASSERT_EQ(a.FieldCount(), 2);
    EXPECT_EQ(a.Fields()[1]->Size(), 50);

    ProgramDataSet p;
    p.DataSet->CreateDataSet();
    EXPECT_EQ(p.DataSet->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(p.Nome->FieldNo(), 2);
    ASSERT_EQ(p.DataSet->FieldDefs().Count(), 2);
    EXPECT_EQ(p.DataSet->FieldDefs().Items(1)->Size(), 50);
}

TEST(ClientDataSetCreate, NoDefinitionsIsAnError)
{
    components::TComponent owner(nullptr);
    TClientDataSet ds(&owner);
    ds.SetName(u"ClientDataSet1");
    try {
        ds.CreateDataSet();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), u"No fields defined.  Cannot create dataset");
    }
    EXPECT_FALSE(ds.Active());
}

TEST(ClientDataSetErrors, OutOfRangeRecNoRaisesAndStays)
{
    ProgramDataSet p;
    p.OpenStored();
    for (int n : {0, 1, -5, 2}) {
        try {
            p.DataSet->SetRecNoProp(n);
            FAIL() << "RecNo " << n << " accepted on an empty dataset";
        } catch (const EDBClient& e) {
            EXPECT_EQ(e.ErrorCode(), engine::DBERR_OUTOFRANGE);
            EXPECT_EQ(e.Message(), core::FromUtf8(engine::DBErrorMessage(engine::DBERR_OUTOFRANGE)));
        }
        EXPECT_EQ(p.DataSet->State(), TDataSetState::dsBrowse);
    }
}

TEST(ClientDataSetErrors, BookmarkComparisonsOfEmptyBookmarks)
{
    ProgramDataSet p;
    p.OpenStored();
    const TBookmark none;
    const TBookmark some(static_cast<size_t>(p.DataSet->BookmarkSize()), 0);
    EXPECT_EQ(p.DataSet->CompareBookmarks(none, none), 0);
    EXPECT_EQ(p.DataSet->CompareBookmarks(none, some), 1);
    EXPECT_EQ(p.DataSet->CompareBookmarks(some, none), -1);
    EXPECT_FALSE(p.DataSet->BookmarkValid(none));
    EXPECT_FALSE(p.DataSet->BookmarkValid(TBookmark{1, 2}));
}

TEST(ClientDataSetErrors, WritingOutsideEditModes)
{
    ProgramDataSet p;
    p.OpenStored();
    try {
        p.Codigo->SetAsInteger(1);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), u"ClientDataSet1: Dataset not in edit or insert mode");
    }
}
