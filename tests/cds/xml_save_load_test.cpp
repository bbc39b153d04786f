// The client dataset saving XML packets (dfXML, dfXMLUTF8, a ".xml" file
// name) and loading them back from streams and files.
#include <filesystem>
#include <string>

#include "cds_fixture.h"

using namespace data;
using cdstest::ProgramDataSet;

namespace {

void Add(TClientDataSet& ds, int codigo, const std::u16string& nome)
{
    ds.Append();
    ds.FieldByName(u"codigo")->SetAsInteger(codigo);
    ds.FieldByName(u"nome")->SetAsString(nome);
    ds.Post();
}

std::u16string Rows(TClientDataSet& ds)
{
    std::u16string out;
    ds.First();
    while (!ds.Eof()) {
        out += core::FromUtf8(std::to_string(ds.FieldByName(u"codigo")->AsInteger())) + u"=" +
               ds.FieldByName(u"nome")->AsString() + u";";
        ds.Next();
    }
    return out;
}

std::string Text(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }

} // namespace

TEST(ClientDataSetXml, StreamsInBothXmlFormatsReadBack)
{
    for (TDataPacketFormat format : {TDataPacketFormat::dfXML, TDataPacketFormat::dfXMLUTF8}) {
        ProgramDataSet p;
        p.OpenStored();
        TClientDataSet& ds = *p.DataSet;
        if (!cdstest::EngineEdits(ds))
            GTEST_SKIP() << "engine build without editing";
        Add(ds, 1, u"Ana & <Bia>");
        Add(ds, 2, u"Jo\u00e3o \u20ac");
        core::TMemoryStream saved;
        ds.SaveToStream(saved, format);
        const std::string xml = Text(saved.Bytes());
        EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" ", 0), 0u) << xml;
        EXPECT_NE(xml.find("nome=\"Ana &amp; &lt;Bia&gt;\""), std::string::npos) << xml;
        // 8-bit documents hold the code page's bytes, UTF-8 ones UTF-8
        EXPECT_NE(xml.find(format == TDataPacketFormat::dfXML ? "Jo\xE3o \x80" : "Jo\xC3\xA3o \xE2\x82\xAC"),
                  std::string::npos);

        ProgramDataSet q;
        saved.SetPosition(0);
        q.DataSet->LoadFromStream(saved);
        EXPECT_EQ(q.DataSet->State(), TDataSetState::dsBrowse);
        EXPECT_EQ(q.DataSet->FieldDefs().Items(1)->Size(), 50);
        EXPECT_EQ(Rows(*q.DataSet), u"1=Ana & <Bia>;2=Jo\u00e3o \u20ac;");
    }
}

TEST(ClientDataSetXml, XmlFileNameSelectsXmlAndLoadsBack)
{
    const auto dir = std::filesystem::temp_directory_path() /
                     ("cds_xml_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(dir);
    const std::u16string name = core::FromUtf8((dir / "table.xml").string());
    {
        ProgramDataSet p;
        p.OpenStored();
        p.DataSet->SaveToFile(name);
        ProgramDataSet q;
        q.DataSet->LoadFromFile(name);
        EXPECT_EQ(q.DataSet->State(), TDataSetState::dsBrowse);
        EXPECT_EQ(q.DataSet->FieldDefs().Count(), 2);
    }
    const std::string xml = Text(core::LoadFile((dir / "table.xml").string()));
    std::filesystem::remove_all(dir);
    EXPECT_EQ(xml, "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                   "<FIELD attrname=\"codigo\" fieldtype=\"i4\"/><FIELD attrname=\"nome\" fieldtype=\"string\" "
                   "WIDTH=\"50\"/></FIELDS><PARAMS/></METADATA><ROWDATA></ROWDATA></DATAPACKET>");
}
