// ADT and array columns of the client dataset: definitions made from nested
// descriptors, object fields over them and values kept by the engine.
#include <functional>

#include "cds_fixture.h"
#include "components/form_format.h"
#include "components/reader.h"
#include "data/field_object.h"
#include "data/register_data_classes.h"

using namespace data;

namespace {

struct Contacts {
    Contacts() : Owner(std::make_unique<components::TComponent>(nullptr))
    {
        DS = new TClientDataSet(Owner.get());
        DS->SetName(u"Contatos");
        DS->FieldDefs().Add(u"codigo", TFieldType::ftInteger);
        TFieldDef* endereco = DS->FieldDefs().Add(u"endereco", TFieldType::ftADT);
        endereco->ChildDefs()->Add(u"rua", TFieldType::ftString, 30);
        endereco->ChildDefs()->Add(u"numero", TFieldType::ftInteger);
        TFieldDef* fones = DS->FieldDefs().Add(u"fones", TFieldType::ftArray, 3);
        fones->ChildDefs()->Add(u"fone", TFieldType::ftInteger);
        DS->FieldDefs().Add(u"nome", TFieldType::ftString, 20);
        DS->CreateDataSet();
    }
    std::unique_ptr<components::TComponent> Owner;
    TClientDataSet* DS;
};

} // namespace

TEST(ClientObjectFields, DefinitionsFromNestedDescriptors)
{
    Contacts c;
    TFieldDefs& defs = c.DS->FieldDefs();
    ASSERT_EQ(defs.Count(), 4);
    struct Def {
        TFieldDef* Item;
        TFieldType Type;
        int FieldNo;
    };
    TFieldDef* endereco = defs.Items(1);
    TFieldDef* fones = defs.Items(2);
    ASSERT_TRUE(endereco->HasChildDefs());
    ASSERT_TRUE(fones->HasChildDefs());
    const Def expected[] = {
        {defs.Items(0), TFieldType::ftInteger, 1},
        {endereco, TFieldType::ftADT, 2},
        {endereco->ChildDefs()->Items(0), TFieldType::ftString, 3},
        {endereco->ChildDefs()->Items(1), TFieldType::ftInteger, 4},
        {fones, TFieldType::ftArray, 5},
        {fones->ChildDefs()->Items(0), TFieldType::ftInteger, 6},
        {defs.Items(3), TFieldType::ftString, 9},
    };
    for (const Def& d : expected) {
        SCOPED_TRACE(core::ToUtf8(d.Item->Name()));
        EXPECT_EQ(d.Item->DataType(), d.Type);
        EXPECT_EQ(d.Item->FieldNo(), d.FieldNo);
    }
    EXPECT_EQ(fones->Size(), 3);
    EXPECT_EQ(fones->ChildDefs()->Count(), 1);
    EXPECT_EQ(c.DS->FieldCount(), 4); // object view: one field per top-level definition
    EXPECT_EQ(c.DS->FieldByName(u"nome")->FieldNo(), 9);
}

TEST(ClientObjectFields, ValuesRoundTripThroughTheEngine)
{
    Contacts c;
    REQUIRE_ENGINE_EDITS(*c.DS);
    auto* endereco = dynamic_cast<TADTField*>(c.DS->FieldByName(u"endereco"));
    auto* fones = dynamic_cast<TArrayField*>(c.DS->FieldByName(u"fones"));
    ASSERT_NE(endereco, nullptr);
    ASSERT_NE(fones, nullptr);
    EXPECT_EQ(fones->Fields().Fields(2)->FullName(), u"fones[2]");
    c.DS->Append();
    c.DS->FieldByName(u"codigo")->SetAsInteger(1);
    endereco->Fields().FieldByName(u"rua")->SetAsString(u"Rua das Flores");
    endereco->SetFieldValues(1, int32_t{42});
    fones->SetAsVariant(core::VarArrayOf({int32_t{11}, int32_t{22}, int32_t{33}}));
    c.DS->FieldByName(u"nome")->SetAsString(u"Ana");
    c.DS->Post();
    c.DS->Close();
    c.DS->Open();
    endereco = dynamic_cast<TADTField*>(c.DS->FieldByName(u"endereco"));
    fones = dynamic_cast<TArrayField*>(c.DS->FieldByName(u"fones"));
    EXPECT_EQ(endereco->AsVariant(),
              core::Variant(core::VarArrayOf({std::u16string(u"Rua das Flores"), int32_t{42}})));
    EXPECT_EQ(fones->FieldValues(2), core::Variant(int32_t{33}));
    EXPECT_EQ(c.DS->FieldByName(u"nome")->AsString(), u"Ana");
}

TEST(ClientObjectFields, PersistentChildrenReadFromAFormDescription)
{
    RegisterDataClasses();
    core::TMemoryStream m;
    {
        components::TBinaryWriter w(m);
        w.WriteSignature();
        w.WriteRecordHeader({}, 0, u"TComponent", u"Form1");
        w.WriteListEnd();
        w.WriteRecordHeader({}, 0, u"TClientDataSet", u"Contatos");
        w.WriteListEnd();
        {
            w.WriteRecordHeader({}, 0, u"TADTField", u"Contatosendereco");
            w.WriteStr(u"FieldName");
            w.WriteString(u"endereco");
            w.WriteListEnd();
            {
                w.WriteRecordHeader({}, 0, u"TStringField", u"Contatosrua");
                w.WriteStr(u"FieldName");
                w.WriteString(u"rua");
                w.WriteListEnd();
                w.WriteListEnd();
            }
            w.WriteListEnd();
        }
        w.WriteListEnd();
        w.WriteListEnd();
        w.FlushBuffer();
    }
    components::TComponent form(nullptr);
    m.SetPosition(0);
    components::TReader reader(m);
    reader.ReadRootComponent(&form);
    auto* ds = dynamic_cast<TClientDataSet*>(form.FindComponent(u"Contatos"));
    auto* endereco = dynamic_cast<TADTField*>(form.FindComponent(u"Contatosendereco"));
    auto* rua = dynamic_cast<TStringField*>(form.FindComponent(u"Contatosrua"));
    ASSERT_NE(ds, nullptr);
    ASSERT_NE(endereco, nullptr);
    ASSERT_NE(rua, nullptr);
    EXPECT_EQ(endereco->DataSet(), ds);
    EXPECT_EQ(rua->ParentField(), endereco);
    EXPECT_EQ(rua->DataSet(), ds);
    EXPECT_EQ(rua->FullName(), u"endereco.rua");
    EXPECT_EQ(ds->FieldCount(), 1);
    EXPECT_EQ(endereco->FieldCount(), 1);
    EXPECT_EQ(rua->GetParentComponent(), endereco);
}

TEST(ClientObjectFields, ArrayDefinitionsOutsideTheStorageLimitsAreRefused)
{
    for (int size : {0, 70000}) {
        SCOPED_TRACE(size);
        components::TComponent owner(nullptr);
        auto* ds = new TClientDataSet(&owner);
        TFieldDef* fones = ds->FieldDefs().Add(u"fones", TFieldType::ftArray, size);
        fones->ChildDefs()->Add(u"fone", TFieldType::ftInteger);
        try {
            ds->CreateDataSet();
            ADD_FAILURE() << "created";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(core::ToUtf8(e.Message()), "Invalid field size");
        }
        EXPECT_FALSE(ds->Active());
    }
}
