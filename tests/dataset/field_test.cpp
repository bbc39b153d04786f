// Fields: text conversions of every field class, ranges, display
// properties, binding to definitions and the field's events.
#include <variant>

#include "components/props.h"
#include "fixture.h"
#include "support/error_of.h"

using namespace memds;

namespace {

std::vector<Column> AllTypes()
{
    return {{u"codigo", TFieldType::ftInteger, 0},   {u"nome", TFieldType::ftString, 50},
            {u"pequeno", TFieldType::ftSmallint, 0}, {u"palavra", TFieldType::ftWord, 0},
            {u"curto", TFieldType::ftShortint, 0},   {u"octeto", TFieldType::ftByte, 0},
            {u"valor", TFieldType::ftFloat, 0}};
}

struct Typed {
    Typed()
    {
        owner = std::make_unique<components::TComponent>(nullptr);
        ds = new TMemDataSet(owner.get(), AllTypes());
        ds->Open();
        ds->Append();
    }
    std::unique_ptr<components::TComponent> owner;
    TMemDataSet* ds;
};

using test_support::ErrorOf;

} // namespace

TEST(FieldText, ConversionTable)
{
    struct Case {
        const char16_t* Field;
        const char* ClassName;
        const char16_t* Input;
        const char* Expected; // AsString afterwards, or the exact message
        bool Raises;
    };
    const std::string big(60, 'x');
    const Case cases[] = {
        {u"codigo", "TIntegerField", u" 42", "42", false},
        {u"codigo", "TIntegerField", u"$1F", "31", false},
        {u"codigo", "TIntegerField", u"0x1F", "31", false},
        {u"codigo", "TIntegerField", u"0X1f", "31", false},
        {u"codigo", "TIntegerField", u"x1F", "31", false},
        {u"codigo", "TIntegerField", u"-$1F", "-31", false},
        {u"codigo", "TIntegerField", u"+7", "7", false},
        {u"codigo", "TIntegerField", u"-2147483648", "-2147483648", false},
        {u"codigo", "TIntegerField", u"2147483647", "2147483647", false},
        {u"codigo", "TIntegerField", u"", "", false},
        {u"codigo", "TIntegerField", u"4a", "'4a' is not a valid integer value for field 'codigo'", true},
        {u"codigo", "TIntegerField", u"42 ", "'42 ' is not a valid integer value for field 'codigo'", true},
        {u"codigo", "TIntegerField", u"$", "'$' is not a valid integer value for field 'codigo'", true},
        {u"codigo", "TIntegerField", u"-", "'-' is not a valid integer value for field 'codigo'", true},
        {u"codigo", "TIntegerField", u"2147483648",
         "'2147483648' is not a valid integer value for field 'codigo'", true},
        {u"codigo", "TIntegerField", u"$100000000",
         "'$100000000' is not a valid integer value for field 'codigo'", true},
        {u"codigo", "TIntegerField", u"1.5", "'1.5' is not a valid integer value for field 'codigo'", true},
        {u"pequeno", "TSmallintField", u"-32768", "-32768", false},
        {u"pequeno", "TSmallintField", u"32768",
         "32768 is not a valid value for field 'pequeno'. The allowed range is -32768 to 32767", true},
        {u"palavra", "TWordField", u"65535", "65535", false},
        {u"palavra", "TWordField", u"-1",
         "-1 is not a valid value for field 'palavra'. The allowed range is 0 to 65535", true},
        {u"curto", "TShortintField", u"-128", "-128", false},
        {u"curto", "TShortintField", u"128",
         "128 is not a valid value for field 'curto'. The allowed range is -128 to 127", true},
        {u"octeto", "TByteField", u"255", "255", false},
        {u"octeto", "TByteField", u"256", "256 is not a valid value for field 'octeto'. The allowed range is 0 to 255",
         true},
        {u"nome", "TStringField", u"Ana", "Ana", false},
        {u"nome", "TStringField", u"", "", false},
        {u"nome", "TStringField", u"caf\u00e9", "caf\xc3\xa9", false},
        {u"valor", "TFloatField", u"3.5", "3.5", false},
        {u"valor", "TFloatField", u" 2e3 ", "2000", false},
        {u"valor", "TFloatField", u"-0.25", "-0.25", false},
        {u"valor", "TFloatField", u"abc", "'abc' is not a valid floating point value for field 'valor'", true},
        {u"valor", "TFloatField", u"1e999", "'1e999' is not a valid floating point value for field 'valor'", true},
    };
    Typed t;
    for (const Case& c : cases) {
        SCOPED_TRACE(core::ToUtf8(c.Field) + " <- '" + core::ToUtf8(c.Input) + "'");
        TField* f = t.ds->FieldByName(c.Field);
        EXPECT_EQ(core::ToUtf8(f->ClassName()), c.ClassName);
        f->Clear();
        const std::string error = ErrorOf([&] { f->SetText(c.Input); });
        if (c.Raises) {
            EXPECT_EQ(error, c.Expected);
            EXPECT_TRUE(f->IsNull()); // a failed write leaves the buffer unchanged
        } else {
            EXPECT_EQ(error, "");
            EXPECT_EQ(core::ToUtf8(f->AsString()), c.Expected);
        }
    }
}

TEST(FieldText, LongTextIsCutAtSize)
{
    Typed t;
    TField* nome = t.ds->FieldByName(u"nome");
    const std::u16string sixty(60, u'n');
    nome->SetAsString(sixty);
    EXPECT_EQ(nome->AsString(), std::u16string(50, u'n'));
    nome->SetText(std::u16string(49, u'a') + u"\u0416z"); // a character beyond 8 bits takes one byte
    EXPECT_EQ(nome->AsString(), std::u16string(49, u'a') + u"?");
    t.ds->Post();
    EXPECT_EQ(t.ds->RowText(0, 1), std::string(49, 'a') + "?");
}

TEST(FieldRange, IntegerLimits)
{
    struct Case {
        int32_t Min, Max;
        int64_t Value;
        const char* Expected; // "" when accepted
    };
    const Case cases[] = {
        {0, 100, 101, "101 is not a valid value for field 'codigo'. The allowed range is 0 to 100"},
        {0, 100, 100, ""},
        {1, 0, 1, "1 is not a valid value for field 'codigo'. The allowed range is 1 to 0"},
        {1, 0, 0, "0 is not a valid value for field 'codigo'. The allowed range is 1 to 0"},
        {0, 0, -2147483648LL, ""},
        // 64-bit values are range checked, never wrapped into 32 bits.
        {0, 0, 4294967301LL,
         "4294967301 is not a valid value for field 'codigo'. The allowed range is -2147483648 to 2147483647"},
        {0, 0, -2147483649LL,
         "-2147483649 is not a valid value for field 'codigo'. The allowed range is -2147483648 to 2147483647"},
    };
    Typed t;
    auto* codigo = dynamic_cast<TIntegerField*>(t.ds->FieldByName(u"codigo"));
    ASSERT_NE(codigo, nullptr);
    for (const Case& c : cases) {
        codigo->SetMinValue(c.Min);
        codigo->SetMaxValue(c.Max);
        codigo->Clear();
        EXPECT_EQ(ErrorOf([&] { codigo->SetAsLargeInt(c.Value); }), c.Expected) << c.Value;
        if (!*c.Expected) {
            EXPECT_EQ(codigo->AsLargeInt(), c.Value);
        } else {
            EXPECT_TRUE(codigo->IsNull());
        }
    }
    codigo->SetMinValue(0);
    codigo->SetMaxValue(0);
    EXPECT_EQ(ErrorOf([&] { codigo->SetAsFloat(3e9); }),
              "3000000000 is not a valid value for field 'codigo'. The allowed range is -2147483648 to 2147483647");
    codigo->SetAsFloat(41.6);
    EXPECT_EQ(codigo->AsInteger(), 42);
    auto* pequeno = dynamic_cast<TIntegerField*>(t.ds->FieldByName(u"pequeno"));
    EXPECT_EQ(ErrorOf([&] { pequeno->SetMaxValue(40000); }),
              "40000 is not a valid value for field 'pequeno'. The allowed range is -32768 to 32767");
}

TEST(FieldValues, NullAndVariants)
{
    Typed t;
    TField* codigo = t.ds->FieldByName(u"codigo");
    EXPECT_TRUE(codigo->IsNull());
    EXPECT_EQ(codigo->AsString(), u"");
    EXPECT_EQ(codigo->AsInteger(), 0);
    EXPECT_EQ(codigo->DisplayText(), u"");
    EXPECT_TRUE(core::VarIsNull(codigo->AsVariant()));
    codigo->SetAsVariant(core::Variant(int64_t{12}));
    EXPECT_EQ(codigo->Value(), core::Variant(int32_t{12}));
    EXPECT_EQ(ErrorOf([&] { codigo->SetAsVariant(core::Variant(std::u16string(u"nope"))); }),
              "Invalid value for field 'codigo'");
    EXPECT_EQ(codigo->AsInteger(), 12);
    codigo->SetAsVariant(core::Null());
    EXPECT_TRUE(codigo->IsNull());
    EXPECT_EQ(ErrorOf([&] { (void)codigo->AsBoolean(); }), "Cannot access field 'codigo' as type Boolean");
    EXPECT_EQ(ErrorOf([&] { t.ds->FieldByName(u"valor")->SetAsBoolean(true); }),
              "Cannot access field 'valor' as type Boolean");
    TIntegerField loose(nullptr);
    loose.SetFieldName(u"solto");
    EXPECT_EQ(ErrorOf([&] { (void)loose.AsInteger(); }), "Field 'solto' has no dataset");
}

TEST(FieldDisplay, DefaultsAndLabels)
{
    Table t(1);
    t.Open();
    EXPECT_EQ(t.codigo->Alignment(), TAlignment::taRightJustify);
    EXPECT_EQ(t.nome->Alignment(), TAlignment::taLeftJustify);
    EXPECT_EQ(t.codigo->DisplayWidth(), 10);
    EXPECT_EQ(t.nome->DisplayWidth(), 50);
    EXPECT_TRUE(t.codigo->Visible());
    EXPECT_EQ(t.codigo->DataSize(), 4);
    EXPECT_EQ(t.nome->DataSize(), 51);
    t.codigo->SetDisplayLabel(u"codigo");
    EXPECT_EQ(t.codigo->DisplayLabelValue(), u"");
    EXPECT_EQ(t.codigo->DisplayName(), u"codigo");
    t.log.clear();
    t.nome->SetDisplayWidth(20);
    EXPECT_EQ(t.nome->DisplayWidth(), 20);
    EXPECT_EQ(t.log, (Log{"link:deLayoutChange"}));
    for (char16_t c : {u'+', u'-', u'0', u'9'})
        EXPECT_TRUE(t.codigo->IsValidChar(c));
    for (char16_t c : {u'a', u' ', u'.', u'\u0661', u'\u00b2'})
        EXPECT_FALSE(t.codigo->IsValidChar(c));
    for (char16_t c : {u'a', u' ', u'\u0416'})
        EXPECT_TRUE(t.nome->IsValidChar(c));
    EXPECT_EQ(t.ds->FieldByName(u"CODIGO"), t.codigo);
    EXPECT_EQ(ErrorOf([&] { t.ds->FieldByName(u"xyz"); }), "ClientDataSet1: Field 'xyz' not found");
    EXPECT_EQ(ErrorOf([&] { t.ds->Fields().Fields(5); }), "ClientDataSet1: List index out of bounds (5)");
}

TEST(FieldDisplay, FormatsAndTextEvents)
{
    Table t(1);
    t.Open();
    t.ds->Edit();
    t.codigo->SetAsInteger(1234567);
    t.codigo->SetDisplayFormat(u"#,##0");
    EXPECT_EQ(t.codigo->DisplayText(), u"1,234,567");
    EXPECT_EQ(t.codigo->Text(), u"1,234,567");
    t.codigo->SetEditFormat(u"0");
    EXPECT_EQ(t.codigo->Text(), u"1234567");
    t.codigo->SetText(u"2,500");
    EXPECT_EQ(t.codigo->AsInteger(), 2500);
    t.nome->OnGetText = TFieldGetTextEvent::Bind(t.nome, [](TField* f, std::u16string& text, bool display) {
        text = (display ? u"[" : u"(") + f->AsString() + (display ? u"]" : u")");
    });
    t.nome->OnSetText = TFieldSetTextEvent::Bind(t.nome, [](TField* f, const std::u16string& text) {
        f->SetAsString(core::UpperCase(text));
    });
    t.nome->SetText(u"ana");
    EXPECT_EQ(t.nome->AsString(), u"ANA");
    EXPECT_EQ(t.nome->Text(), u"(ANA)");
    EXPECT_EQ(t.nome->DisplayText(), u"[ANA]");
}

TEST(FieldEvents, ValidateSeesTheNewValueAndCanReject)
{
    Table t(1);
    t.Open();
    t.ds->Edit();
    std::vector<int> seen;
    t.codigo->OnValidate = TFieldNotifyEvent::Bind(t.codigo, [&](TField* f) {
        seen.push_back(f->AsInteger());
        if (f->AsInteger() < 0)
            data::DatabaseError(u"negative");
    });
    int changes = 0;
    t.codigo->OnChange = TFieldNotifyEvent::Bind(t.codigo, [&](TField*) { ++changes; });
    t.codigo->SetAsInteger(5);
    EXPECT_THROW(t.codigo->SetAsInteger(-5), data::EDatabaseError);
    EXPECT_EQ(seen, (std::vector<int>{5, -5}));
    EXPECT_EQ(t.codigo->AsInteger(), 5);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(t.ds->Modified());
}

TEST(FieldBinding, PersistentFieldsAgainstDefinitions)
{
    struct Case {
        TFieldType DefType;
        int DefSize;
        const char* FieldClass;
        int FieldSize;
        const char* Error; // "" when it opens
        int SizeAfter;
    };
    const Case cases[] = {
        {TFieldType::ftString, 50, "TStringField", 60, "", 50},
        {TFieldType::ftString, 80, "TStringField", 60, "", 60},
        {TFieldType::ftSmallint, 0, "TIntegerField", 0, "", 0},
        {TFieldType::ftLargeint, 0, "TIntegerField", 0,
         "T1: Type mismatch for field 'campo', expecting: Integer actual: LargeInt", 0},
        {TFieldType::ftString, 10, "TIntegerField", 0,
         "T1: Type mismatch for field 'campo', expecting: Integer actual: String", 0},
    };
    for (const Case& c : cases) {
        components::TComponent owner(nullptr);
        auto* ds = new TMemDataSet(&owner, {{u"campo", c.DefType, c.DefSize}});
        ds->SetName(u"T1");
        TField* f = std::string(c.FieldClass) == "TStringField" ? static_cast<TField*>(new TStringField(&owner))
                                                                  : new TIntegerField(&owner);
        f->SetFieldName(u"campo");
        if (c.FieldSize)
            f->SetSize(c.FieldSize);
        f->SetDataSet(ds);
        EXPECT_EQ(ErrorOf([&] { ds->Open(); }), c.Error);
        EXPECT_EQ(ds->Active(), !*c.Error);
        if (!*c.Error) {
            EXPECT_EQ(f->Size(), c.SizeAfter);
        }
    }
}

TEST(FieldBinding, AutomaticAndPersistentLifeCycles)
{
    Table t(2, 1, false);
    EXPECT_EQ(t.ds->FieldCount(), 0);
    t.Open();
    ASSERT_EQ(t.ds->FieldCount(), 2);
    EXPECT_EQ(t.ds->Fields().LifeCycles(), TFieldLifeCycles{TFieldLifeCycle::lcAutomatic});
    EXPECT_EQ(t.codigo->FieldNo(), 1);
    EXPECT_EQ(t.nome->Size(), 50);
    t.ds->Close();
    EXPECT_EQ(t.ds->FieldCount(), 0);

    // With a persistent field only that column becomes a field.
    Table p(2, 1, false);
    auto* only = new TStringField(p.owner.get());
    only->SetFieldName(u"nome");
    only->SetSize(50);
    only->SetDataSet(p.ds);
    p.ds->Open();
    EXPECT_EQ(p.ds->FieldCount(), 1);
    EXPECT_EQ(only->FieldNo(), 2);
    EXPECT_EQ(p.ds->FindField(u"codigo"), nullptr);
    EXPECT_EQ(ErrorOf([&] { only->SetSize(10); }),
              "ClientDataSet1: Cannot perform this operation on an open dataset");
}

TEST(FieldBinding, NamesInTheFieldList)
{
    Table t(0);
    auto* dup = new TIntegerField(t.owner.get());
    dup->SetFieldName(u"CODIGO");
    EXPECT_EQ(ErrorOf([&] { dup->SetDataSet(t.ds); }), "ClientDataSet1: Duplicate field name 'CODIGO'");
    auto* unnamed = new TIntegerField(t.owner.get());
    EXPECT_EQ(ErrorOf([&] { unnamed->SetDataSet(t.ds); }), "ClientDataSet1: Field name missing");
    EXPECT_EQ(ErrorOf([&] { t.ds->FieldDefs().Add(u"", TFieldType::ftInteger); }),
              "ClientDataSet1: Field name missing");
    t.codigo->SetFieldName(u"id");
    EXPECT_EQ(t.ds->FindField(u"codigo"), nullptr);
    EXPECT_EQ(t.ds->FindField(u"ID"), t.codigo);
    t.codigo->SetFieldName(u"codigo");
    t.Open();
    EXPECT_EQ(ErrorOf([&] { t.codigo->SetFieldName(u"x"); }),
              "ClientDataSet1: Cannot perform this operation on an open dataset");
}

// A handler that reads another field while a value is being written must not
// disturb the value on its way to the record.
TEST(FieldEvents, ValidateMayReadOtherFields)
{
    Table t(1);
    t.Open();
    t.ds->Edit();
    t.nome->SetAsString(std::u16string(50, u'z'));
    std::u16string seen;
    t.codigo->OnValidate = TFieldNotifyEvent::Bind(t.codigo, [&](TField*) { seen = t.nome->AsString(); });
    t.codigo->SetAsInteger(1234);
    EXPECT_EQ(seen, std::u16string(50, u'z'));
    EXPECT_EQ(t.codigo->AsInteger(), 1234);
    t.ds->Post();
    EXPECT_EQ(t.ds->RowInt(0), 1234);
}

TEST(Published, FieldAndDataSetProperties)
{
    Table t(1);
    const components::ClassInfo& cls = t.nome->ClassType();
    ASSERT_NE(cls.FindProp(u"Size"), nullptr);
    EXPECT_EQ(core::VarToInt64(components::GetPropValue(t.nome, u"Size")), 50);
    components::SetPropValue(t.nome, u"DisplayWidth", core::Variant(int64_t{12}));
    EXPECT_EQ(t.nome->DisplayWidth(), 12);
    const components::PropInfo* align = t.codigo->ClassType().FindProp(u"Alignment");
    ASSERT_NE(align, nullptr);
    EXPECT_FALSE(components::IsStoredProp(t.codigo, *align)); // right-justified is the numeric default
    for (const char16_t* name : {u"Active", u"BeforeOpen", u"AfterScroll", u"OnPostError"})
        EXPECT_NE(t.ds->ClassType().FindProp(name), nullptr) << core::ToUtf8(name);
    for (const char16_t* name : {u"DataSet", u"AutoEdit", u"Enabled", u"OnDataChange"})
        EXPECT_NE(t.src->ClassType().FindProp(name), nullptr) << core::ToUtf8(name);
}
