// The main form's stored description: the JSON kept in the repository, the
// bytes the project's writer makes of it, and the embedded resource.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "../../tools/formtool/form_json.h"
#include "components/form_format_tree.h"
#include "form_test_util.h"
#if __has_include("form_resources.h")
#include "form_resources.h"
#define FORMS_EMBEDDED 1
#endif

using namespace components;
using namespace formtest;

namespace {

Bytes Tform1FromJson()
{
    std::ifstream in(std::string(SOURCE_ROOT) + "/program/forms/TFORM1.json");
    EXPECT_TRUE(in.good());
    return RawTreeToBytes(formjson::TreeFromJson(formjson::json::parse(in)));
}

bool Contains(const Bytes& hay, const Bytes& needle)
{
    return std::search(hay.begin(), hay.end(), needle.begin(), needle.end()) != hay.end();
}

void Flatten(const TRawComponent& c, std::vector<std::string>& out)
{
    for (const auto& p : c.Props) {
        std::string v = formjson::detail::ValueToJson(p.Value).dump();
        if (p.Value.Type == TValueType::vaBinary)
            v = std::to_string(p.Value.Bytes.size()) + " bytes";
        out.push_back(core::ToUtf8(c.Name) + ":" + core::ToUtf8(c.ClassName) + " " + core::ToUtf8(p.Path) + " " +
                      std::string(ValueTypeName(p.Value.Type)) + " " + v);
    }
    for (const auto& ch : c.Children)
        Flatten(ch, out);
}

TEST(Tform1, StoredJsonGivesThe995Bytes)
{
    const Bytes bytes = Tform1FromJson();
    ASSERT_EQ(bytes.size(), 995u);
    EXPECT_EQ(Hex(Bytes(bytes.begin(), bytes.begin() + 24)),
              "54 50 46 30 06 54 46 6F 72 6D 31 05 46 6F 72 6D 31 04 4C 65 66 74 02 00");
    EXPECT_EQ(Hex(Bytes(bytes.end() - 4, bytes.end())), "00 00 00 00");
    // The byte runs the format's worked example quotes.
    for (const char* run : {"07 'Caption' 06 05 'Form1'", "0C 'ClientHeight' 03 DC 01", "05 'Color' 07 09 'clBtnFace'",
                            "0A 'Font.Style' 0B 00", "0E 'OldCreateOrder' 08",
                            "04 'Date' 05 00 00 00 00 00 00 7F AE 0E 40", "0A 'Aggregates' 0E 00",
                            "'DataSet' 07 0E 'ClientDataSet1' 04 'Left' 03 68 02 03 'Top' 03 00 01"})
        EXPECT_TRUE(Contains(bytes, B(run))) << run;
}

TEST(Tform1, EntriesInFileOrder)
{
    const Bytes bytes = Tform1FromJson();
    core::TBytesView s(bytes.data(), bytes.size());
    TBinaryReader r(s);
    std::vector<std::string> entries;
    Flatten(ReadRawTree(r), entries);
    const std::vector<std::string> expected = {
        R"(Form1:TForm1 Left vaInt8 0)",
        R"(Form1:TForm1 Top vaInt8 0)",
        R"(Form1:TForm1 Caption vaString "Form1")",
        R"(Form1:TForm1 ClientHeight vaInt16 476)",
        R"(Form1:TForm1 ClientWidth vaInt16 787)",
        R"(Form1:TForm1 Color vaIdent "clBtnFace")",
        R"(Form1:TForm1 Font.Charset vaIdent "DEFAULT_CHARSET")",
        R"(Form1:TForm1 Font.Color vaIdent "clWindowText")",
        R"(Form1:TForm1 Font.Height vaInt8 -11)",
        R"(Form1:TForm1 Font.Name vaString "Tahoma")",
        R"(Form1:TForm1 Font.Style vaSet [])",
        R"(Form1:TForm1 OldCreateOrder vaFalse false)",
        R"(Form1:TForm1 PixelsPerInch vaInt8 96)",
        R"(Form1:TForm1 TextHeight vaInt8 13)",
        R"(DBGrid1:TDBGrid Left vaInt8 8)",
        R"(DBGrid1:TDBGrid Top vaInt8 24)",
        R"(DBGrid1:TDBGrid Width vaInt16 472)",
        R"(DBGrid1:TDBGrid Height vaInt16 232)",
        R"(DBGrid1:TDBGrid DataSource vaIdent "DataSource1")",
        R"(DBGrid1:TDBGrid TabOrder vaInt8 0)",
        R"(DBGrid1:TDBGrid TitleFont.Charset vaIdent "DEFAULT_CHARSET")",
        R"(DBGrid1:TDBGrid TitleFont.Color vaIdent "clWindowText")",
        R"(DBGrid1:TDBGrid TitleFont.Height vaInt8 -11)",
        R"(DBGrid1:TDBGrid TitleFont.Name vaString "Tahoma")",
        R"(DBGrid1:TDBGrid TitleFont.Style vaSet [])",
        R"(DatePicker1:TDatePicker Left vaInt16 376)",
        R"(DatePicker1:TDatePicker Top vaInt16 344)",
        R"(DatePicker1:TDatePicker Date vaExtended 44671.0)",
        R"(DatePicker1:TDatePicker DateFormat vaString "dd/MM/yyyy")",
        R"(DatePicker1:TDatePicker Font.Charset vaIdent "DEFAULT_CHARSET")",
        R"(DatePicker1:TDatePicker Font.Color vaIdent "clWindowText")",
        R"(DatePicker1:TDatePicker Font.Height vaInt8 -16)",
        R"(DatePicker1:TDatePicker Font.Name vaString "Segoe UI")",
        R"(DatePicker1:TDatePicker Font.Style vaSet [])",
        R"(DatePicker1:TDatePicker TabOrder vaInt8 1)",
        R"(DataSource1:TDataSource DataSet vaIdent "ClientDataSet1")",
        R"(DataSource1:TDataSource Left vaInt16 616)",
        R"(DataSource1:TDataSource Top vaInt16 256)",
        R"(ClientDataSet1:TClientDataSet PersistDataPacket.Data vaBinary 70 bytes)",
        R"(ClientDataSet1:TClientDataSet Active vaTrue true)",
        R"(ClientDataSet1:TClientDataSet Aggregates vaCollection [])",
        R"(ClientDataSet1:TClientDataSet Params vaCollection [])",
        R"(ClientDataSet1:TClientDataSet Left vaInt16 616)",
        R"(ClientDataSet1:TClientDataSet Top vaInt16 192)",
        R"(ClientDataSet1codigo:TIntegerField FieldName vaString "codigo")",
        R"(ClientDataSet1nome:TStringField FieldName vaString "nome")",
        R"(ClientDataSet1nome:TStringField Size vaInt8 50)",
    };
    EXPECT_EQ(entries, expected);
}

TEST(Tform1, DataPacketTravelsWithItsLength)
{
    const Bytes bytes = Tform1FromJson();
    const Bytes head = B("'PersistDataPacket.Data' 0A 46 00 00 00 42 00 00 00 96 19 C0 5A 01 00 00 00 18 00 00 00 02 00 "
                         "00 00 00 00 03 00 00 00 42 00 06 'codigo' 04 00 01 00 00 00 00 00 04 'nome' 01 00 49 00 00 00 "
                         "01 00 05 'WIDTH' 02 00 02 00 32 00 00 00 06 'Active' 09");
    EXPECT_TRUE(Contains(bytes, head));
}

TEST(Tform1, EmbeddedResourceIsTheWrittenDescription)
{
#ifdef FORMS_EMBEDDED
    const auto* res = formres::Find("tform1");
    ASSERT_NE(res, nullptr);
    ASSERT_EQ(res->Size, 995u);
    EXPECT_EQ(Hex(Bytes(res->Data, res->Data + res->Size)), Hex(Tform1FromJson()));
#else
    GTEST_SKIP() << "the form resources (program/forms) are not part of this build";
#endif
}

} // namespace
