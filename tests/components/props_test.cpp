#include <gtest/gtest.h>

#include <map>

#include "components/filer.h"
#include "components/props.h"
#include "expect_raises.h"
#include "test_classes.h"

using namespace testing_components;

namespace {

using core::Variant;

struct PropCase {
    const char16_t* Path;
    Variant Set;       // written with SetPropValue
    Variant Expected;  // read back with GetPropValue
};

class PropertyAccess : public ::testing::TestWithParam<PropCase> {};

TEST_P(PropertyAccess, ByNameAndPath)
{
    TComponent form(nullptr);
    auto* c = new TTestControl(&form);
    const PropCase& p = GetParam();
    SetPropValue(c, p.Path, p.Set);
    EXPECT_EQ(GetPropValue(c, p.Path), p.Expected) << core::ToUtf8(p.Path);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PropertyAccess,
    ::testing::Values(PropCase{u"Width", int32_t{120}, int32_t{120}}, PropCase{u"width", u"-7", int32_t{-7}},
                      PropCase{u"Big", int64_t{1} << 40, int64_t{1} << 40},
                      PropCase{u"Caption", u"Größe", u"Größe"}, PropCase{u"Ratio", 2.5, 2.5},
                      PropCase{u"Align", u"ALTOP", u"alTop"}, PropCase{u"Align", int32_t{3}, u"alClient"},
                      PropCase{u"Visible", u"False", false}, PropCase{u"Visible", true, true},
                      PropCase{u"Value", Variant(core::VarNull{}), Variant(core::VarNull{})},
                      PropCase{u"Name", u"Grid1", u"Grid1"}, PropCase{u"Tag", int32_t{5}, int64_t{5}},
                      PropCase{u"Font.Name", u"Arial", u"Arial"}, PropCase{u"FONT.height", int32_t{-13}, int32_t{-13}},
                      PropCase{u"Font.Style", u"[fsItalic, fsBold]", u"[fsBold,fsItalic]"},
                      PropCase{u"Font.Style", u"[]", u"[]"},
                      PropCase{u"Font.Color", u"clRed", u"clRed"}, PropCase{u"Font.Color", u"clbtnface", u"clBtnFace"},
                      PropCase{u"Font.Color", int32_t{0x123456}, int32_t{0x123456}},
                      PropCase{u"Font.Charset", u"RUSSIAN_CHARSET", u"RUSSIAN_CHARSET"},
                      PropCase{u"Font.Charset", int32_t{3}, int32_t{3}}));

struct ErrorCase {
    const char16_t* Path;
    Variant Value;
    const char* Message;
};

class PropertyErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(PropertyErrors, AreReportedInTheSystemsWords)
{
    TTestControl c(nullptr);
    const ErrorCase& p = GetParam();
    try {
        SetPropValue(&c, p.Path, p.Value);
        ADD_FAILURE() << "no error for " << core::ToUtf8(p.Path);
    } catch (const core::Exception& e) {
        EXPECT_EQ(std::string(e.what()), p.Message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, PropertyErrors,
    ::testing::Values(ErrorCase{u"Font.Nam", u"x", "Property Nam does not exist"},
                      ErrorCase{u"Fnt.Name", u"x", "Property Fnt.Name does not exist"},
                      ErrorCase{u"Width.X", int32_t{1}, "Invalid property path"},
                      ErrorCase{u"Buddy.Width", int32_t{1}, "Invalid property path"}, // nil object
                      ErrorCase{u"Font..Name", u"x", "Invalid property path"},
                      ErrorCase{u"", u"x", "Invalid property path"},
                      ErrorCase{u"Font", u"x", "Property is read-only"},
                      ErrorCase{u"Align", u"alLeftish", "Invalid property element: alLeftish"},
                      ErrorCase{u"Align", int32_t{9}, "Invalid property element: 9"},
                      ErrorCase{u"Font.Style", u"[fsBold,fsFoo]", "Invalid property element: fsFoo"},
                      ErrorCase{u"Font.Style", u"[fsBold", "Invalid property element: [fsBold"},
                      ErrorCase{u"Width", int64_t{1} << 40, "Invalid property value"},
                      ErrorCase{u"Name", u"9lives", "''9lives'' is not a valid component name"},
                      ErrorCase{u"OnClick", u"NoSuchHandler", "Invalid property value"}));

TEST(StoredProps, OnlyValuesThatDifferFromTheirDefaultsAreStored)
{
    TTestControl c(nullptr);
    const ClassInfo& cls = c.ClassType();
    const ClassInfo& font = TTestFont::StaticClass();
    auto stored = [&](const TObject* o, const ClassInfo& k, const char16_t* name) {
        return IsStoredProp(o, *k.FindProp(name));
    };
    EXPECT_FALSE(stored(&c, cls, u"Width"));
    EXPECT_FALSE(stored(&c, cls, u"Visible")); // default True
    EXPECT_FALSE(stored(&c, cls, u"Caption"));
    EXPECT_FALSE(stored(&c, cls, u"Name"));    // never: the record header carries it
    EXPECT_TRUE(stored(&c, cls, u"Big"));      // no default: always stored
    EXPECT_FALSE(stored(&c, cls, u"OnClick"));
    EXPECT_FALSE(stored(&c, cls, u"Buddy"));
    EXPECT_FALSE(stored(c.Font(), font, u"Color"));
    SetPropValue(&c, u"Width", int32_t{1});
    SetPropValue(&c, u"Visible", false);
    SetPropValue(&c, u"Caption", u"x");
    SetPropValue(&c, u"Name", u"Grid1");
    SetPropValue(&c, u"Font.Color", u"clRed");
    EXPECT_TRUE(stored(&c, cls, u"Width"));
    EXPECT_TRUE(stored(&c, cls, u"Visible"));
    EXPECT_TRUE(stored(&c, cls, u"Caption"));
    EXPECT_FALSE(stored(&c, cls, u"Name"));
    EXPECT_TRUE(stored(c.Font(), font, u"Color"));
}

TEST(EnumAndSetIdentifiers, ConvertBothWays)
{
    const TypeInfo& styles = EnumNames<TFontStyle>::Info();
    EXPECT_EQ(SetToString(styles, 0b1010), u"[fsItalic,fsStrikeOut]");
    EXPECT_EQ(SetToString(styles, 0b1010, false), u"fsItalic,fsStrikeOut");
    EXPECT_EQ(StringToSet(styles, u" [ fsstrikeout ,fsItalic ] "), 0b1010);
    EXPECT_EQ(StringToSet(styles, u"fsBold"), 0b1);
    ExpectRaises<EPropertyConvertError>([&] { StringToSet(styles, u"[fsBold,,fsItalic]"); },
                                        "Invalid property element: [fsBold,,fsItalic]");
    EXPECT_EQ(GetEnumName(EnumNames<TAlign>::Info(), 2), u"alBottom");
    EXPECT_EQ(GetEnumValue(EnumNames<TAlign>::Info(), u"ALCLIENT"), 3);
    EXPECT_EQ(GetEnumValue(EnumNames<TAlign>::Info(), u"alWrong"), -1);
    TTestFont font;
    EXPECT_TRUE(IsPublishedProp(&font, u"STYLE"));
    EXPECT_FALSE(IsPublishedProp(&font, u"Size"));
}

TEST(Events, AreSetByTheNameOfAPublishedMethodAndReadBackAsIt)
{
    TTestForm form(nullptr);
    auto* button = new TTestControl(&form);
    button->SetName(u"Button1");
    SetPropValue(button, u"OnClick", u"button1click");
    ASSERT_TRUE(button->FOnClick.Assigned());
    button->FOnClick(button);
    EXPECT_EQ(form.Clicks, 1);
    EXPECT_EQ(form.LastSender, button);
    EXPECT_EQ(GetPropValue(button, u"OnClick"), Variant(u"Button1Click"));
    EXPECT_TRUE(IsStoredProp(button, *button->ClassType().FindProp(u"OnClick")));
    // A method of another signature does not fit the event.
    ExpectRaises<EPropertyError>([&] { SetPropValue(button, u"OnClick", u"CountOnly"); }, "Invalid property value");
    EXPECT_EQ(GetPropValue(button, u"OnClick"), Variant(u"Button1Click"));
    // A handler with no published name reads back as "".
    button->FOnClick = TNotifyEvent::Bind(&form, [](TObject*) {});
    EXPECT_EQ(GetPropValue(button, u"OnClick"), Variant(u""));
    SetPropValue(button, u"OnClick", u"");
    EXPECT_FALSE(button->FOnClick.Assigned());
    // The reader's way: bind through the method entry with the root as owner.
    const PropInfo& onClick = *button->ClassType().FindProp(u"OnClick");
    form.ClassType().FindMethod(u"Button1Click")->BindTo(&form, button, onClick);
    onClick.SetMethodByName(button, &form, u"Button1Click");
    button->FOnClick(nullptr);
    EXPECT_EQ(form.Clicks, 2);
    EXPECT_EQ(onClick.GetMethodName(button), u"Button1Click");
}

// Records what DefineProperties offers.
class TRecordingFiler : public TFiler {
public:
    std::map<std::u16string, bool> Offered;
    void DefineProperty(const std::u16string& name, const std::function<void(TReader&)>&,
                        const std::function<void(TWriter&)>&, bool hasData) override
    {
        Offered[name] = hasData;
    }
    void DefineBinaryProperty(const std::u16string& name, const std::function<void(core::TStream&)>&,
                              const std::function<void(core::TStream&)>&, bool hasData) override
    {
        Offered[name] = hasData;
    }
};

class TPublicComponent : public TComponent {
public:
    using TComponent::DefineProperties;
    using TComponent::TComponent;
};

TEST(DesignPosition, LeftAndTopAreOfferedWhenTheyDifferFromTheAncestor)
{
    TPublicComponent c(nullptr), ancestor(nullptr);
    TRecordingFiler filer;
    c.DefineProperties(filer);
    EXPECT_EQ(filer.Offered, (std::map<std::u16string, bool>{{u"Left", false}, {u"Top", false}}));
    c.SetDesignInfo((344 << 16) | 376);
    c.DefineProperties(filer);
    EXPECT_EQ(filer.Offered, (std::map<std::u16string, bool>{{u"Left", true}, {u"Top", true}}));
    ancestor.SetDesignInfo((20 << 16) | 376);
    filer.SetAncestor(&ancestor);
    c.DefineProperties(filer);
    EXPECT_EQ(filer.Offered, (std::map<std::u16string, bool>{{u"Left", false}, {u"Top", true}}));
}

} // namespace
