// The program's dataset as the form reader creates it: the packet arrives
// through "PersistDataPacket.Data", Active is stored True, and the fields
// are read as the dataset's children, owned by the form.
#include "cds_fixture.h"

#include "components/form_format.h"
#include "components/reader.h"
#include "data/data_source.h"
#include "data/register_data_classes.h"

using namespace data;
using components::TValueType;

namespace {

// ClientDataSet1 as the main form stores it, with DataSource1 pointing at it.
cdstest::Bytes FormBytes(const cdstest::Bytes& data)
{
    core::TMemoryStream m;
    {
        components::TBinaryWriter w(m);
        w.WriteSignature();
        w.WriteRecordHeader({}, 0, u"TComponent", u"Form1");
        w.WriteListEnd();

        w.WriteRecordHeader({}, 0, u"TDataSource", u"DataSource1");
        w.WriteStr(u"DataSet");
        w.WriteIdent(u"ClientDataSet1");
        w.WriteListEnd();
        w.WriteListEnd();

        w.WriteRecordHeader({}, 0, u"TClientDataSet", u"ClientDataSet1");
        w.WriteStr(u"PersistDataPacket.Data");
        w.WriteBinary(data.data(), data.size());
        w.WriteStr(u"Active");
        w.WriteBoolean(true);
        w.WriteStr(u"Aggregates");
        w.WriteValue(TValueType::vaCollection);
        w.WriteListEnd();
        w.WriteStr(u"Params");
        w.WriteValue(TValueType::vaCollection);
        w.WriteListEnd();
        w.WriteStr(u"Left");
        w.WriteIntegerAs(TValueType::vaInt16, 616);
        w.WriteStr(u"Top");
        w.WriteIntegerAs(TValueType::vaInt16, 192);
        w.WriteListEnd();
        {
            w.WriteRecordHeader({}, 0, u"TIntegerField", u"ClientDataSet1codigo");
            w.WriteStr(u"FieldName");
            w.WriteString(u"codigo");
            w.WriteListEnd();
            w.WriteListEnd();
            w.WriteRecordHeader({}, 0, u"TStringField", u"ClientDataSet1nome");
            w.WriteStr(u"FieldName");
            w.WriteString(u"nome");
            w.WriteStr(u"Size");
            w.WriteIntegerAs(TValueType::vaInt8, 50);
            w.WriteListEnd();
            w.WriteListEnd();
        }
        w.WriteListEnd();
        w.WriteListEnd();
        w.FlushBuffer();
    }
    return m.Bytes();
}

} // namespace

TEST(ClientDataSetForm, ReadingTheFormOpensTheDataSetWithItsFields)
{
    RegisterDataClasses();
    components::TComponent form(nullptr);
    core::TMemoryStream s(FormBytes(cdstest::StoredData()));
    components::TReader reader(s);
    reader.ReadRootComponent(&form);

    auto* ds = dynamic_cast<TClientDataSet*>(form.FindComponent(u"ClientDataSet1"));
    ASSERT_NE(ds, nullptr);
    EXPECT_EQ(ds->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(ds->RecordCount(), 0);
    ASSERT_EQ(ds->FieldDefs().Count(), 2);
    EXPECT_EQ(ds->FieldDefs().Items(1)->Size(), 50);

    auto* codigo = dynamic_cast<TIntegerField*>(form.FindComponent(u"ClientDataSet1codigo"));
    auto* nome = dynamic_cast<TStringField*>(form.FindComponent(u"ClientDataSet1nome"));
    ASSERT_NE(codigo, nullptr);
    ASSERT_NE(nome, nullptr);
    // Owned by the form, attached to the dataset, bound to the table.
    EXPECT_EQ(codigo->Owner(), &form);
    EXPECT_EQ(codigo->DataSet(), ds);
    EXPECT_EQ(nome->DataSet(), ds);
    ASSERT_EQ(ds->FieldCount(), 2);
    EXPECT_EQ(ds->Fields()[0], codigo);
    EXPECT_EQ(ds->Fields()[1], nome);
    EXPECT_EQ(codigo->FieldNo(), 1);
    EXPECT_EQ(nome->FieldNo(), 2);
    EXPECT_EQ(nome->Size(), 50);

    auto* source = dynamic_cast<TDataSource*>(form.FindComponent(u"DataSource1"));
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->DataSet(), ds);
    EXPECT_EQ(source->State(), TDataSetState::dsBrowse);
}

TEST(ClientDataSetForm, DamagedStoredPacketFailsTheLoadAndLeavesTheDataSetClosed)
{
    RegisterDataClasses();
    cdstest::Bytes data = cdstest::StoredData();
    data.resize(30);
    data[0] = 26; // consistent length prefix, truncated packet
    components::TComponent form(nullptr);
    core::TMemoryStream s(FormBytes(data));
    components::TReader reader(s);
    EXPECT_THROW(reader.ReadRootComponent(&form), EDBClient);
    if (auto* ds = dynamic_cast<TClientDataSet*>(form.FindComponent(u"ClientDataSet1"))) {
        EXPECT_FALSE(ds->Active());
        EXPECT_FALSE(ds->HasDataPacket());
    }
}
