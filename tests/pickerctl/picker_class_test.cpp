// The picker as a component: registration, published properties and what a
// form description stores of it, defaults, the date setter's checks and the
// closed control's text.
#include <cmath>
#include <limits>

#include "components/classes.h"
#include "components/props.h"
#include "core/exception.h"
#include "pickerctl_fixture.h"

using namespace platform;
using namespace pickerctl_test;
using core::EncodeDate;

namespace {

std::vector<std::u16string> StoredProps(components::TObject* o)
{
    std::vector<std::u16string> names;
    for (const components::PropInfo* p : o->ClassType().AllProps())
        if (components::IsStoredProp(o, *p))
            names.push_back(p->Name);
    return names;
}

TEST(PickerClass, RegisteredUnderItsName)
{
    pickers::RegisterPickerClasses();
    pickers::RegisterPickerClasses(); // twice is harmless
    const components::ClassInfo* c = components::GetClass(u"TDatePicker");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c, &pickers::TDatePicker::StaticClass());
    EXPECT_TRUE(c->InheritsFrom(controls::TWinControl::StaticClass()));
    EXPECT_TRUE(static_cast<bool>(c->Factory));
}

TEST(PickerClass, PublishedInTheOrderTheFormStoresThem)
{
    std::vector<std::u16string> names;
    for (const components::PropInfo* p : pickers::TDatePicker::StaticClass().AllProps())
        names.push_back(p->Name);
    auto pos = [&](const std::u16string& n) {
        const auto it = std::find(names.begin(), names.end(), n);
        EXPECT_NE(it, names.end()) << core::ToUtf8(n);
        return it - names.begin();
    };
    const char16_t* order[] = {u"Left", u"Top", u"Width", u"Height", u"Date", u"DateFormat", u"Font", u"TabOrder",
                               u"TabStop"};
    for (size_t i = 1; i < std::size(order); ++i)
        EXPECT_LT(pos(order[i - 1]), pos(order[i])) << core::ToUtf8(order[i]);
    for (const char16_t* n : {u"MinYear", u"MaxYear", u"DropDownCount", u"ShowOkCancel", u"Color", u"Enabled",
                              u"ParentFont", u"Visible", u"OnChange", u"OnCloseUp"})
        pos(n);
}

TEST_F(PickerCtlTest, StoresWhatTheMainFormsPickerStores)
{
    Picker->Font()->SetHeight(-16);
    EXPECT_EQ(StoredProps(Picker), (std::vector<std::u16string>{u"Left", u"Top", u"Date", u"DateFormat", u"Font",
                                                                u"TabOrder"}));
    EXPECT_EQ(Picker->TabOrder(), 1);
    EXPECT_EQ(components::GetPropValue(Picker, u"DateFormat"), core::Variant(std::u16string(u"dd/MM/yyyy")));
    // A changed size is stored.
    Picker->SetWidth(180);
    const auto stored = StoredProps(Picker);
    EXPECT_NE(std::find(stored.begin(), stored.end(), u"Width"), stored.end());
}

TEST(PickerDefaults, AFreshPickerHasTheDocumentedDefaults)
{
    headless::Session session;
    pickers::TDatePicker picker(nullptr);
    EXPECT_EQ(picker.Width(), 150);
    EXPECT_EQ(picker.Height(), 32);
    EXPECT_EQ(picker.MinYear(), 1900);
    EXPECT_EQ(picker.MaxYear(), 3000);
    EXPECT_EQ(picker.DropDownCount(), 7);
    EXPECT_TRUE(picker.ShowOkCancel());
    EXPECT_TRUE(picker.TabStop());
    EXPECT_FALSE(picker.ParentFont());
    EXPECT_EQ(picker.Font()->Name(), u"Segoe UI");
    EXPECT_EQ(picker.Font()->Size(), 12);
    EXPECT_EQ(picker.Color(), core::clWindow);
    EXPECT_EQ(picker.DateFormat(), pickers::LocaleShortDateFormat());
    EXPECT_EQ(picker.Date(), pickers::Today());
    EXPECT_FALSE(picker.DroppedDown());
}

TEST_F(PickerCtlTest, NaNAndOutOfRangeDatesRaiseTheEncodeErrorAndChangeNothing)
{
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), 1e9,
                       -1e9}) {
        try {
            Picker->SetDate(bad);
            ADD_FAILURE() << "no error for " << bad;
        } catch (const core::EConvertError& e) {
            EXPECT_STREQ(e.what(), "Invalid argument to date encode");
        }
        EXPECT_EQ(Picker->Date(), EncodeDate(2022, 4, 20));
    }
    EXPECT_TRUE(ChangeSenders.empty());
    // Through the published property too.
    EXPECT_THROW(components::SetPropValue(Picker, u"Date", core::Variant(std::nan(""))), core::EConvertError);
}

TEST_F(PickerCtlTest, SettingDateRaisesOnChangeOnlyForADifferentValue)
{
    Picker->SetDate(EncodeDate(2022, 4, 20));
    EXPECT_TRUE(ChangeSenders.empty());
    Picker->SetDate(EncodeDate(2022, 4, 21));
    EXPECT_EQ(ChangeSenders, std::vector<components::TObject*>{Picker});
}

TEST_F(PickerCtlTest, DateFormatDecidesTheColumnsAndTheirWidths)
{
    struct Case {
        const char16_t* Format;
        std::vector<std::u16string> Texts;
    };
    const Case cases[] = {
        {u"dd/MM/yyyy", {u"20", u"04", u"2022"}},
        {u"MMMM d, yyyy", {u"April", u"20", u"2022"}},
        {u"yy-m", {u"22", u"4"}},
        {u"'text'", {}},
    };
    for (const Case& c : cases) {
        Picker->SetDateFormat(c.Format);
        std::vector<std::u16string> texts;
        int right = 0;
        for (const auto& col : Picker->Model().Columns()) {
            texts.push_back(col->GetValueString(col->GetCurrentValue()));
            EXPECT_EQ(col->FBoundsRect.Left, right);
            right = col->FBoundsRect.Right;
            EXPECT_EQ(col->FBoundsRect.Height(), Picker->Height());
        }
        EXPECT_EQ(texts, c.Texts) << core::ToUtf8(c.Format);
        if (!c.Texts.empty()) {
            EXPECT_EQ(right, Picker->Width());
        }
        EXPECT_EQ(Picker->Date(), EncodeDate(2022, 4, 20));
    }
}

TEST_F(PickerCtlTest, TheControlCannotBeMadeSmallerThanItsColumns)
{
    Picker->SetBounds(kPickerLeft, kPickerTop, 10, 5);
    EXPECT_GT(Picker->Width(), 10);
    EXPECT_GT(Picker->Height(), 5);
    // The last column reaches the right edge.
    EXPECT_EQ(Picker->Model().Columns().back()->FBoundsRect.Right, Picker->Width());
}

} // namespace

namespace {

TEST_F(PickerCtlTest, ScalingGrowsTheRowsTheBorderAndThePopup)
{
    Picker->ChangeScale(2, 1, true);
    EXPECT_EQ(Picker->Height(), 64);
    EXPECT_EQ(Picker->Width(), 300);
    EXPECT_EQ(Picker->Model().BorderSize(), 2);
    EXPECT_EQ(Picker->Model().ButtonHeight(), 32);
    Open();
    EXPECT_EQ(GetWindowRect(PopupHandle()).Height(), 8 * 64);
    EXPECT_EQ(GetWindowRect(PopupHandle()).Top + PopupModel().SelectRect().Top, Picker->ClientToScreen({0, 0}).Y);
}

} // namespace
