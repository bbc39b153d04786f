// Reading descriptions into components: the main form's description with
// stand-in classes, references, Loaded order, and every error text.
#include <fstream>

#include "../../tools/formtool/form_json.h"
#include "components/form_format_tree.h"
#include "components/reader.h"
#include "components/writer.h"
#include "form_test_util.h"
#include "platform/resources.h"
#include "standins.h"

using namespace components;
using namespace formtest;
using namespace standins;

namespace {

Bytes Tform1()
{
    std::ifstream in(std::string(SOURCE_ROOT) + "/program/forms/TFORM1.json");
    return RawTreeToBytes(formjson::TreeFromJson(formjson::json::parse(in)));
}

// A form description from JSON text (see form_json.h).
Bytes FromJson(const std::string& json)
{
    return RawTreeToBytes(formjson::TreeFromJson(formjson::json::parse(json)));
}

void ReadInto(TComponent* root, const Bytes& bytes, std::function<bool(const std::u16string&)> onError = {})
{
    core::TBytesView s(bytes.data(), bytes.size());
    TReader reader(s);
    reader.OnError = std::move(onError);
    reader.ReadRootComponent(root);
}

class FormReader : public ::testing::Test {
protected:
    void SetUp() override
    {
        TheLog().Clear();
        Form = std::make_unique<TForm1>(nullptr);
    }
    void TearDown() override { RemoveFixupReferences(nullptr, u""); }
    std::unique_ptr<TForm1> Form;
};

TEST_F(FormReader, Tform1CreatesResolvesAndLoadsInOrder)
{
    ReadInto(Form.get(), Tform1());
    TForm1& f = *Form;
    std::vector<std::u16string> created;
    for (TComponent* c : TheLog().Created)
        created.push_back(c->Name());
    EXPECT_EQ(created, (std::vector<std::u16string>{u"Form1", u"DBGrid1", u"DatePicker1", u"DataSource1",
                                                    u"ClientDataSet1", u"ClientDataSet1codigo", u"ClientDataSet1nome"}));
    EXPECT_EQ(TheLog().Loaded, (std::vector<std::u16string>{u"Form1", u"DBGrid1", u"DatePicker1", u"DataSource1",
                                                            u"ClientDataSet1codigo", u"ClientDataSet1nome",
                                                            u"ClientDataSet1"}));
    EXPECT_TRUE(TheLog().LoadedWhileNotLoading.empty());
    EXPECT_TRUE(TheLog().ReferencesSetBeforeLoaded);
    for (TComponent* c : TheLog().Created)
        EXPECT_FALSE(c->InState(TComponentState::csLoading) || c->InState(TComponentState::csReading)) << core::ToUtf8(c->Name());

    // Owners, parents, published fields and references.
    ASSERT_TRUE(f.DBGrid1 && f.DatePicker1 && f.DataSource1 && f.ClientDataSet1 && f.ClientDataSet1codigo && f.ClientDataSet1nome);
    EXPECT_EQ(f.ComponentCount(), 6);
    EXPECT_EQ(f.ClientDataSet1codigo->Owner(), &f);
    EXPECT_EQ(f.ClientDataSet1codigo->GetParentComponent(), f.ClientDataSet1);
    EXPECT_EQ(f.DBGrid1->GetParentComponent(), &f);
    EXPECT_EQ(f.DBGrid1->DataSource, f.DataSource1);
    EXPECT_EQ(f.DataSource1->DataSet, f.ClientDataSet1);

    // Property values.
    EXPECT_EQ(f.Caption, u"Form1");
    EXPECT_EQ(f.ClientHeight, 476);
    EXPECT_EQ(f.ClientWidth, 787);
    EXPECT_EQ(f.Color, core::clBtnFace);
    EXPECT_EQ(f.Font()->Height, -11);
    EXPECT_EQ(f.Font()->Charset, core::DEFAULT_CHARSET);
    EXPECT_FALSE(f.OldCreateOrder);
    EXPECT_EQ(f.TextHeight, 13);
    EXPECT_EQ(f.DBGrid1->Width, 472);
    EXPECT_EQ(f.DBGrid1->TabOrder, 0);
    EXPECT_EQ(f.DatePicker1->Date, 44671.0);
    EXPECT_EQ(f.DatePicker1->DateFormat, u"dd/MM/yyyy");
    EXPECT_EQ(f.DatePicker1->Font()->Name, u"Segoe UI");
    EXPECT_EQ(f.DataSource1->DesignInfo(), 256 << 16 | 616);
    EXPECT_EQ(f.ClientDataSet1->DesignInfo(), 192 << 16 | 616);
    EXPECT_TRUE(f.ClientDataSet1->StreamedActive);
    const auto& data = f.ClientDataSet1->PersistDataPacket()->Data;
    ASSERT_EQ(data.size(), 70u);
    EXPECT_EQ(Hex(Bytes(data.begin(), data.begin() + 8)), "42 00 00 00 96 19 C0 5A");
    EXPECT_EQ(f.ClientDataSet1nome->FieldName, u"nome");
    EXPECT_EQ(f.ClientDataSet1nome->Size, 50);
}

TEST_F(FormReader, Tform1WritesBackToTheSameBytes)
{
    const Bytes bytes = Tform1();
    ReadInto(Form.get(), bytes);
    core::TMemoryStream out;
    WriteComponentToStream(out, Form.get());
    EXPECT_EQ(Hex(out.Bytes()), Hex(bytes));
}

TEST_F(FormReader, ResourcesAreReadByName)
{
    static const Bytes bytes = Tform1(); // registered bytes must stay
    platform::RegisterResource(platform::RT_RCDATA, u"TFORM1", bytes);
    EXPECT_TRUE(InitInheritedComponent(Form.get(), TStandIn::StaticClass()));
    EXPECT_EQ(Form->ClientWidth, 787);
    EXPECT_EQ(TheLog().Loaded.size(), 7u);
    EXPECT_EQ(ErrorOf([&] { ReadComponentRes(u"TNOFORM", Form.get()); }), "Resource TNOFORM not found");
}

TEST_F(FormReader, SecondInstanceGetsAUniqueName)
{
    const int finder = RegisterFindGlobalComponentProc([&](std::u16string_view name) -> TComponent* {
        return core::SameText(name, Form->Name()) ? Form.get() : nullptr;
    });
    ReadInto(Form.get(), Tform1());
    TForm1 second(nullptr);
    ReadInto(&second, Tform1());
    EXPECT_EQ(second.Name(), u"Form1_1");
    UnregisterFindGlobalComponentProc(finder);
}

std::string FormJson(const std::string& props, const std::string& children = "[]")
{
    return R"([{"class":"TForm1","name":"Form1","props":)" + props + R"(,"children":)" + children + "}]";
}

TEST_F(FormReader, ErrorsCarryTheirTextsAndWrapping)
{
    const struct {
        const char* Name;
        Bytes Description;
        const char* Message;
    } cases[] = {
        {"misspelt sub-property", FromJson(FormJson(R"([["Font.Nam","vaString","x"]])")),
         "Error reading Form1.Font.Nam: Property Nam does not exist"},
        {"unknown property", FromJson(FormJson(R"([["Bogus","vaInt8",1]])")), "Error reading Form1.Bogus: Property Bogus does not exist"},
        {"unknown path head", FromJson(FormJson(R"([["Nope.X","vaInt8",1]])")), "Error reading Form1.Nope.X: Property Nope.X does not exist"},
        {"path through a string", FromJson(FormJson(R"([["Caption.X","vaInt8",1]])")), "Error reading Form1.Caption.X: Invalid property path"},
        {"unknown colour", FromJson(FormJson(R"([["Color","vaIdent","clNoSuch"]])")), "Error reading Form1.Color: Invalid property value"},
        {"integer for a boolean", FromJson(FormJson(R"([["OldCreateOrder","vaInt8",0]])")),
         "Error reading Form1.OldCreateOrder: Invalid property value"},
        {"single for a float", FromJson(FormJson("[]", R"([{"class":"TDatePicker","name":"P","props":[["Date","vaSingle",1.5]],"children":[]}])")),
         "Error reading P.Date: Invalid property value"},
        {"extended out of range", B("'TPF0' 06 'TForm1' 05 'Form1' 00 0B 'TDatePicker' 01 'P' 04 'Date' 05 00 00 00 00 00 00 00 80 FE 7F 00 00 00"),
         "Error reading P.Date: Invalid property value"},
        {"unknown set element", FromJson(FormJson(R"([["Font.Style","vaSet",["fsBold","fsWide"]]])")),
         "Error reading Form1.Font.Style: Invalid property value"},
        {"unknown method", FromJson(FormJson(R"([["OnClick","vaIdent","NoSuchHandler"]])")),
         "Error reading Form1.OnClick: Invalid property value"},
        {"read-only property", FromJson(FormJson(R"([["ReadOnlyValue","vaInt8",1]])")),
         "Error reading Form1.ReadOnlyValue: Property is read-only"},
        {"defined binary property given an integer",
         FromJson(FormJson("[]", R"([{"class":"TClientDataSet","name":"C","props":[["PersistDataPacket.Data","vaInt8",1]],"children":[]}])")),
         "Error reading C.PersistDataPacket.Data: Invalid property value"},
        {"collection item error", FromJson(FormJson("[]", R"([{"class":"TClientDataSet","name":"C","props":[["Params","vaCollection",[[["Name","vaString","a"]],[["Bogus","vaInt8",1]]]]],"children":[]}])")),
         "Error reading C.Params: Error reading TParamItem.Bogus: Property Bogus does not exist"},
        {"unknown class", FromJson(FormJson("[]", R"([{"class":"TNoSuch","name":"X","props":[],"children":[]}])")), "Class TNoSuch not found"},
        {"missing ancestor", FromJson(FormJson("[]", R"([{"class":"TDBGrid","name":"G","flags":["ffInherited"],"props":[],"children":[]}])")),
         "Ancestor for 'G' not found"},
        {"duplicate name", FromJson(FormJson("[]", R"([{"class":"TDBGrid","name":"G","props":[],"children":[]},{"class":"TDBGrid","name":"g","props":[],"children":[]}])")),
         "A component named g already exists"},
        {"bad signature", B("'TPF1' 06 'TForm1' 05 'Form1' 00 00"), "Invalid stream format"},
        {"cut inside a value", B("'TPF0' 06 'TForm1' 05 'Form1' 07 'Caption' 06 05 'Fo'"), "Error reading Form1.Caption: Stream read error"},
        {"cut between records", B("'TPF0' 06 'TForm1' 05 'Form1' 00"), "Stream read error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TheLog().Clear();
        TForm1 form(nullptr);
        EXPECT_EQ(ErrorOf([&] { ReadInto(&form, c.Description); }), c.Message);
    }
}

TEST_F(FormReader, DeepNestingIsRejected)
{
    Bytes bytes = B("'TPF0' 06 'TForm1' 05 'Form1' 00");
    const Bytes record = B("07 'TDBGrid' 00 00");
    for (int i = 0; i <= kMaxFormNesting; ++i)
        bytes.insert(bytes.end(), record.begin(), record.end());
    bytes.insert(bytes.end(), static_cast<size_t>(kMaxFormNesting) + 2, 0x00);
    EXPECT_EQ(ErrorOf([&] { ReadInto(Form.get(), bytes); }), "Invalid stream format");
}

TEST_F(FormReader, ErrorHookSkipsPropertiesAndRecords)
{
    std::vector<std::u16string> seen;
    ReadInto(Form.get(),
             FromJson(FormJson(R"([["Bogus","vaInt8",1],["Caption","vaString","Kept"]])",
                           R"([{"class":"TNoSuch","name":"X","props":[["A","vaInt8",1]],"children":[]},
                               {"class":"TDBGrid","name":"G","props":[["Width","vaInt16",300]],"children":[]}])")),
             [&](const std::u16string& m) {
                 seen.push_back(m);
                 return true;
             });
    EXPECT_EQ(seen, (std::vector<std::u16string>{u"Error reading Form1.Bogus: Property Bogus does not exist",
                                                 u"Class TNoSuch not found"}));
    EXPECT_EQ(Form->Caption, u"Kept");
    ASSERT_EQ(Form->ComponentCount(), 1);
    EXPECT_EQ(static_cast<TDBGrid*>(Form->Components(0))->Width, 300);
}

TEST_F(FormReader, ReferencesResolveByNameOrWait)
{
    // Unknown unqualified name: nil, no error.
    ReadInto(Form.get(), FromJson(FormJson("[]", R"([{"class":"TDataSource","name":"S","props":[["DataSet","vaIdent","Nowhere"]],"children":[]}])")));
    EXPECT_EQ(static_cast<TDataSource*>(Form->FindComponent(u"S"))->DataSet, nullptr);

    // A reference into a form not read yet waits; reading that form resolves it.
    TForm1 a(nullptr);
    ReadInto(&a, FromJson(R"([{"class":"TForm1","name":"FormA","props":[],"children":[{"class":"TDataSource","name":"S","props":[["DataSet","vaIdent","FormB.Set"]],"children":[]}]}])"));
    auto* source = static_cast<TDataSource*>(a.FindComponent(u"S"));
    EXPECT_EQ(source->DataSet, nullptr);
    EXPECT_EQ(GlobalFixupCount(), 1u);
    TForm1 b(nullptr);
    const int finder = RegisterFindGlobalComponentProc([&](std::u16string_view name) -> TComponent* {
        return core::SameText(name, u"FormB") && b.Name() == u"FormB" ? &b : nullptr;
    });
    ReadInto(&b, FromJson(R"([{"class":"TForm1","name":"FormB","props":[],"children":[{"class":"TClientDataSet","name":"Set","props":[],"children":[]}]}])"));
    UnregisterFindGlobalComponentProc(finder);
    EXPECT_EQ(source->DataSet, b.FindComponent(u"Set"));
    EXPECT_EQ(GlobalFixupCount(), 0u);
}

TEST_F(FormReader, DestroyedObjectsLeaveNoPendingFixups)
{
    {
        TForm1 a(nullptr);
        ReadInto(&a, FromJson(R"([{"class":"TForm1","name":"FormA","props":[],"children":[{"class":"TDataSource","name":"S","props":[["DataSet","vaIdent","FormC.Set"]],"children":[]}]}])"));
        EXPECT_EQ(GlobalFixupCount(), 1u);
    }
    EXPECT_EQ(GlobalFixupCount(), 0u);
}

TEST_F(FormReader, StoredCollectionsReplaceItemsUnlessEmpty)
{
    auto* cds = new TClientDataSet(Form.get());
    cds->SetName(u"C");
    static_cast<TParamItem*>(cds->Params()->Add())->Name = u"own";
    ReadInto(Form.get(), FromJson(FormJson("[]", R"([{"class":"TClientDataSet","name":"C","flags":["ffInherited"],"props":[["Params","vaCollection",[]]],"children":[]}])")));
    ASSERT_EQ(cds->Params()->Count(), 1);
    ReadInto(Form.get(), FromJson(FormJson("[]", R"([{"class":"TClientDataSet","name":"C","flags":["ffInherited"],"props":[["Params","vaCollection",[[["Name","vaString","a"]],{"index":7,"props":[["Name","vaString","b"]]}]]],"children":[]}])")));
    ASSERT_EQ(cds->Params()->Count(), 2);
    EXPECT_EQ(static_cast<TParamItem*>(cds->Params()->Items(1))->Name, u"b");
}

TEST_F(FormReader, EventsBindToTheRootsMethods)
{
    ReadInto(Form.get(), FromJson(FormJson(R"([["OnClick","vaIdent","formclick"]])")));
    EXPECT_TRUE(static_cast<bool>(Form->OnClick));
    ReadInto(Form.get(), FromJson(FormJson(R"([["OnClick","vaNil",null]])")));
    EXPECT_FALSE(static_cast<bool>(Form->OnClick));
}

} // namespace
