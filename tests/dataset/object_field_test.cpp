// ADT and array fields over the test dataset: object and flat views, child
// naming and numbering, values through the children and as variant arrays,
// persistent children and the binding errors.
#include <functional>

#include "data/field_object.h"
#include "fixture.h"
#include "support/error_of.h"

using namespace memds;

namespace {

using test_support::ErrorOf;

std::vector<Column> PersonColumns()
{
    return {{u"codigo", TFieldType::ftInteger, 0},   {u"endereco", TFieldType::ftADT, 2},
            {u"rua", TFieldType::ftString, 30},      {u"numero", TFieldType::ftInteger, 0},
            {u"fones", TFieldType::ftArray, 3},      {u"fones[0]", TFieldType::ftInteger, 0},
            {u"fones[1]", TFieldType::ftInteger, 0}, {u"fones[2]", TFieldType::ftInteger, 0}};
}

struct People {
    explicit People(bool objectView)
    {
        owner = std::make_unique<components::TComponent>(nullptr);
        ds = new TMemDataSet(owner.get(), PersonColumns());
        ds->SetName(u"Pessoas");
        ds->SetObjectView(objectView);
    }
    std::unique_ptr<components::TComponent> owner;
    TMemDataSet* ds;
};

} // namespace

TEST(ObjectFields, ObjectViewNamesNumbersAndWidths)
{
    People p(true);
    p.ds->Open();
    ASSERT_EQ(p.ds->FieldCount(), 3);
    auto* endereco = dynamic_cast<TADTField*>(p.ds->FieldByName(u"endereco"));
    auto* fones = dynamic_cast<TArrayField*>(p.ds->FieldByName(u"fones"));
    ASSERT_NE(endereco, nullptr);
    ASSERT_NE(fones, nullptr);
    struct Child {
        TField* Field;
        const char* FullName;
        int FieldNo;
    };
    const Child children[] = {
        {endereco, "endereco", 2},
        {endereco->Fields().Fields(0), "endereco.rua", 3},
        {endereco->Fields().Fields(1), "endereco.numero", 4},
        {fones, "fones", 5},
        {fones->Fields().Fields(0), "fones[0]", 6},
        {fones->Fields().Fields(2), "fones[2]", 8},
    };
    for (const Child& c : children) {
        SCOPED_TRACE(c.FullName);
        EXPECT_EQ(core::ToUtf8(c.Field->FullName()), c.FullName);
        EXPECT_EQ(c.Field->FieldNo(), c.FieldNo);
        EXPECT_EQ(c.Field->DataSet(), p.ds);
    }
    EXPECT_EQ(endereco->Fields().Fields(0)->ParentField(), endereco);
    EXPECT_EQ(fones->FieldCount(), 3);
    EXPECT_EQ(endereco->DisplayWidth(), (10 + 30 + 10) / 2);
    EXPECT_EQ(p.ds->FindField(u"endereco.rua"), nullptr); // children live in their parent's list
}

TEST(ObjectFields, ValuesThroughChildrenAndVariantArrays)
{
    People p(true);
    p.ds->Open();
    auto* endereco = dynamic_cast<TObjectField*>(p.ds->FieldByName(u"endereco"));
    auto* fones = dynamic_cast<TObjectField*>(p.ds->FieldByName(u"fones"));
    p.ds->Append();
    EXPECT_TRUE(endereco->IsNull());
    EXPECT_EQ(endereco->Text(), u"(ADT)");
    EXPECT_TRUE(core::VarIsNull(endereco->AsVariant()));
    endereco->Fields().FieldByName(u"rua")->SetAsString(u"Rua A");
    endereco->SetFieldValues(1, int32_t{10});
    fones->SetFieldValues(1, int32_t{555});
    p.ds->Post();
    EXPECT_EQ(endereco->Text(), u"(ADT)");
    EXPECT_EQ(fones->Text(), u"(ARRAY)");
    EXPECT_EQ(endereco->AsVariant(), core::Variant(core::VarArrayOf({std::u16string(u"Rua A"), int32_t{10}})));
    EXPECT_EQ(fones->FieldValues(1), core::Variant(int32_t{555}));
    EXPECT_TRUE(core::VarIsNull(fones->FieldValues(0)));

    p.ds->Edit();
    fones->SetAsVariant(core::VarArrayOf({int32_t{1}, int32_t{2}}));
    EXPECT_EQ(fones->AsVariant(), core::Variant(core::VarArrayOf({int32_t{1}, int32_t{2}, core::Null()})));
    struct Case {
        const char* Name;
        std::function<void()> Action;
        const char* Message;
    };
    const Case cases[] = {
        {"more values than children",
         [&] { fones->SetAsVariant(core::VarArrayOf({int32_t{1}, int32_t{2}, int32_t{3}, int32_t{4}})); },
         "Invalid value for field 'fones'"},
        {"not an array", [&] { endereco->SetAsVariant(int32_t{1}); }, "Invalid value for field 'endereco'"},
        {"child out of range", [&] { (void)fones->FieldValues(3); }, "List index out of bounds (3)"},
        {"child conversion", [&] { endereco->SetFieldValues(1, std::u16string(u"x")); },
         "Invalid value for field 'numero'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ErrorOf(c.Action), c.Message);
    }
    endereco->Clear();
    EXPECT_TRUE(endereco->IsNull());
    p.ds->Post();
    EXPECT_EQ(p.ds->Rows().size(), 1u);
    EXPECT_TRUE(p.ds->RowIsNull(0, 2));
    EXPECT_EQ(p.ds->RowInt(0, 5), 1);
}

TEST(ObjectFields, FlatViewMakesOneFieldPerLeaf)
{
    People p(false);
    p.ds->Open();
    std::u16string names;
    for (int i = 0; i < p.ds->FieldCount(); ++i)
        names += p.ds->Fields().Fields(i)->FieldName() + u";";
    EXPECT_EQ(names, u"codigo;endereco.rua;endereco.numero;fones[0];fones[1];fones[2];");
    EXPECT_EQ(p.ds->FieldByName(u"endereco.numero")->FieldNo(), 4);
    EXPECT_EQ(p.ds->FieldByName(u"fones[2]")->FieldNo(), 8);
    p.ds->Append();
    p.ds->FieldByName(u"fones[2]")->SetAsInteger(9);
    p.ds->Post();
    EXPECT_EQ(p.ds->RowInt(0, 7), 9);
}

TEST(ObjectFields, PersistentChildrenBindByFullName)
{
    People p(true);
    auto* endereco = new TADTField(p.owner.get());
    endereco->SetFieldName(u"endereco");
    endereco->SetDataSet(p.ds);
    auto* rua = new TStringField(p.owner.get());
    rua->SetFieldName(u"rua");
    rua->SetSize(30);
    rua->SetParentField(endereco);
    EXPECT_EQ(rua->FullName(), u"endereco.rua");
    EXPECT_EQ(rua->DataSet(), p.ds);
    auto* twin = new TStringField(p.owner.get());
    twin->SetFieldName(u"rua");
    EXPECT_EQ(ErrorOf([&] { twin->SetParentField(endereco); }), "Duplicate field name 'rua'");
    p.ds->Open();
    EXPECT_EQ(p.ds->FieldCount(), 1); // persistent fields only
    EXPECT_EQ(rua->FieldNo(), 3);
    p.ds->Append();
    rua->SetAsString(u"Rua B");
    p.ds->Post();
    EXPECT_EQ(p.ds->RowText(0, 2), "Rua B");
    EXPECT_EQ(ErrorOf([&] { rua->SetParentField(nullptr); }),
              "Pessoas: Cannot perform this operation on an open dataset");
    p.ds->Close();

    auto* cep = new TStringField(p.owner.get());
    cep->SetFieldName(u"cep");
    cep->SetParentField(endereco);
    EXPECT_EQ(ErrorOf([&] { p.ds->Open(); }), "Pessoas: Field 'cep' not found");
    EXPECT_FALSE(p.ds->Active());
    delete cep; // leaves its parent's list
    EXPECT_EQ(endereco->FieldCount(), 1);
    p.ds->Open();
    EXPECT_TRUE(p.ds->Active());
}

TEST(ObjectFields, TypeMismatchOfAChild)
{
    People p(true);
    auto* endereco = new TADTField(p.owner.get());
    endereco->SetFieldName(u"endereco");
    endereco->SetDataSet(p.ds);
    auto* numero = new TStringField(p.owner.get());
    numero->SetFieldName(u"numero");
    numero->SetParentField(endereco);
    EXPECT_EQ(ErrorOf([&] { p.ds->Open(); }),
              "Pessoas: Type mismatch for field 'numero', expecting: String actual: Integer");
}
