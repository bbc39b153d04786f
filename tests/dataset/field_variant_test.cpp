// Variant and interface fields over the test dataset: conversions of stored
// variants, the holder behaviour of interface fields and the class table.
#include <functional>

#include "data/field_interface.h"
#include "data/field_types.h"
#include "data/field_variant.h"
#include "fixture.h"
#include "support/error_of.h"

using namespace memds;

namespace {

using test_support::ErrorOf;

struct Holders {
    Holders()
    {
        owner = std::make_unique<components::TComponent>(nullptr);
        ds = new TMemDataSet(owner.get(), {{u"codigo", TFieldType::ftInteger, 0},
                                           {u"valor", TFieldType::ftVariant, 0},
                                           {u"objeto", TFieldType::ftInterface, 0}});
        ds->FillInts(1);
        ds->Open();
        valor = dynamic_cast<TVariantField*>(ds->FieldByName(u"valor"));
        objeto = dynamic_cast<TInterfaceField*>(ds->FieldByName(u"objeto"));
        ds->Edit();
    }
    std::unique_ptr<components::TComponent> owner;
    TMemDataSet* ds;
    TVariantField* valor = nullptr;
    TInterfaceField* objeto = nullptr;
};

} // namespace

TEST(VariantField, ConversionTable)
{
    enum class As { String, Integer, LargeInt, Float, Boolean, Text };
    struct Case {
        core::Variant Stored;
        As Accessor;
        const char* Expected; // the value as text, or the exact message
    };
    const Case cases[] = {
        {int32_t{42}, As::String, "42"},
        {int32_t{42}, As::Integer, "42"},
        {int32_t{42}, As::Float, "42"},
        {std::u16string(u" 12 "), As::Integer, "12"},
        {std::u16string(u"abc"), As::Integer, "Could not convert variant of type (UnicodeString) into type (Int64)"},
        {std::u16string(u"1.5"), As::Float, "1.5"},
        {std::u16string(u"x"), As::Float, "Could not convert variant of type (UnicodeString) into type (Double)"},
        {int64_t{5000000000}, As::Integer, "Could not convert variant of type (Int64) into type (Integer)"},
        {int64_t{5000000000}, As::LargeInt, "5000000000"},
        {2.5, As::String, "2.5"},
        {2.5, As::Integer, "2"},
        {true, As::String, "True"},
        {true, As::Integer, "-1"},
        {std::u16string(u"false"), As::Boolean, "0"},
        {std::u16string(u"sim"), As::Boolean, "Could not convert variant of type (UnicodeString) into type (Int64)"},
        {core::Null(), As::String, ""},
        {core::Null(), As::Integer, "0"},
        {core::Null(), As::Float, "0"},
        {core::Null(), As::Text, ""},
        {std::u16string(u"texto"), As::Text, "texto"},
    };
    Holders t;
    ASSERT_NE(t.valor, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(core::ToUtf8(core::VarToStr(c.Stored)) + " as " + std::to_string(static_cast<int>(c.Accessor)));
        t.valor->SetAsVariant(c.Stored);
        std::string got;
        try {
            switch (c.Accessor) {
            case As::String: got = core::ToUtf8(t.valor->AsString()); break;
            case As::Integer: got = std::to_string(t.valor->AsInteger()); break;
            case As::LargeInt: got = std::to_string(t.valor->AsLargeInt()); break;
            case As::Float: got = core::ToUtf8(core::VarToStr(t.valor->AsFloat())); break;
            case As::Boolean: got = std::to_string(t.valor->AsBoolean()); break;
            case As::Text: got = core::ToUtf8(t.valor->DisplayText()); break;
            }
        } catch (const core::Exception& e) {
            got = core::ToUtf8(e.Message());
        }
        EXPECT_EQ(got, c.Expected);
    }
}

TEST(VariantField, KeepsTheVariantKindAndNull)
{
    Holders t;
    t.valor->SetAsDateTime(45000.5);
    EXPECT_TRUE(std::holds_alternative<core::VarDate>(t.valor->AsVariant()));
    EXPECT_DOUBLE_EQ(t.valor->AsDateTime(), 45000.5);
    t.valor->SetAsLargeInt(7);
    EXPECT_EQ(t.valor->AsVariant(), core::Variant(int64_t{7}));
    t.valor->SetAsString(u"");
    EXPECT_FALSE(t.valor->IsNull()); // an empty text is a value
    t.valor->Clear();
    EXPECT_TRUE(t.valor->IsNull());
    EXPECT_TRUE(core::VarIsNull(t.valor->Value()));
    t.valor->SetAsVariant(core::Variant{});
    EXPECT_TRUE(t.valor->IsNull());
    t.valor->SetAsBytes(core::Bytes{1, 2});
    EXPECT_EQ(t.valor->AsBytes(), (core::Bytes{1, 2}));
    t.ds->Post();
    EXPECT_EQ(t.valor->AsBytes(), (core::Bytes{1, 2}));
    EXPECT_EQ(t.valor->DisplayWidth(), 15);
}

TEST(VariantField, OnValidateSeesTheNewValue)
{
    Holders t;
    t.valor->SetAsInteger(1);
    core::Variant seen;
    t.valor->OnValidate = TFieldNotifyEvent::Bind(t.valor, [&](TField* f) {
        seen = f->AsVariant();
        if (f->AsInteger() > 10)
            data::DatabaseError(u"too big");
    });
    t.valor->SetAsInteger(5);
    EXPECT_EQ(seen, core::Variant(int32_t{5}));
    EXPECT_EQ(ErrorOf([&] { t.valor->SetAsInteger(11); }), "too big");
    EXPECT_EQ(t.valor->AsInteger(), 5);
}

TEST(InterfaceField, HoldsAReferenceAndRefusesConversions)
{
    Holders t;
    ASSERT_NE(t.objeto, nullptr);
    EXPECT_TRUE(t.objeto->IsNull());
    EXPECT_EQ(t.objeto->AsString(), u"(Interface)");
    EXPECT_TRUE(core::VarIsNull(t.objeto->AsVariant()));
    auto obj = std::make_shared<int>(7);
    t.objeto->SetValue(obj);
    EXPECT_EQ(t.objeto->Value(), obj);
    EXPECT_EQ(t.objeto->DisplayText(), u"(INTERFACE)");
    struct Case {
        const char* Name;
        std::function<void()> Action;
        const char* Message;
    };
    const Case cases[] = {
        {"AsInteger", [&] { (void)t.objeto->AsInteger(); }, "Cannot access field 'objeto' as type Integer"},
        {"AsFloat", [&] { (void)t.objeto->AsFloat(); }, "Cannot access field 'objeto' as type Float"},
        {"AsBoolean", [&] { (void)t.objeto->AsBoolean(); }, "Cannot access field 'objeto' as type Boolean"},
        {"AsVariant", [&] { (void)t.objeto->AsVariant(); }, "Cannot access field 'objeto' as type Variant"},
        {"AsString :=", [&] { t.objeto->SetAsString(u"x"); }, "Cannot access field 'objeto' as type String"},
        {"Text :=", [&] { t.objeto->SetText(u"x"); }, "Cannot access field 'objeto' as type String"},
        {"Value :=", [&] { t.objeto->SetAsVariant(core::Variant(int32_t{1})); },
         "Cannot access field 'objeto' as type Variant"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ErrorOf(c.Action), c.Message);
    }
    t.ds->Post();
    EXPECT_EQ(t.objeto->Value(), obj);
    t.ds->Edit();
    t.objeto->SetAsVariant(core::Null()); // a null variant clears
    EXPECT_TRUE(t.objeto->IsNull());
}

TEST(HolderFields, ClassTableAndTypes)
{
    struct Case {
        TFieldType Type;
        const char* ClassName;
        int Width;
    };
    const Case cases[] = {
        {TFieldType::ftVariant, "TVariantField", 15},
        {TFieldType::ftInterface, "TInterfaceField", 10},
        {TFieldType::ftIDispatch, "TIDispatchField", 10},
    };
    components::TComponent owner(nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ClassName);
        TFieldClass cls = DefaultFieldClass(c.Type);
        ASSERT_NE(cls, nullptr);
        EXPECT_EQ(core::ToUtf8(cls->Name), c.ClassName);
        auto* f = dynamic_cast<TField*>(cls->Factory(&owner));
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->DataType(), c.Type);
        EXPECT_EQ(f->DisplayWidth(), c.Width);
        EXPECT_EQ(f->DataSize(), 0);
    }
}
