// Headless screenshots of the closed picker and of the open pop-up (settled
// and in the middle of a slide), compared with the reference images.
#include "platform/dc.h"
#include "support/reference_image.h"
#include "pickerctl_fixture.h"
#include "platform/syscolors.h"

using namespace platform;
using namespace pickerctl_test;

namespace {

Bitmap PickerShot(HWND form, const pickers::TDatePicker& picker)
{
    const Bitmap whole = headless::Screenshot(form);
    Bitmap part(picker.Width(), picker.Height());
    DeviceContext dc(part);
    dc.DrawBitmap(whole, {0, 0, picker.Width(), picker.Height()},
                  Bounds(picker.Left(), picker.Top(), picker.Width(), picker.Height()));
    return part;
}

TEST_F(PickerCtlTest, ClosedPickerLooksAsItsReference)
{
    const Bitmap shot = PickerShot(Form->Handle(), *Picker);
    EXPECT_TRUE(test_support::MatchesReference(shot, "closed_picker"));
    // Focused: the hot look with the window-frame border around each box.
    EXPECT_EQ(shot.Pixel(0, 0), ColorToRGB(core::clWindowFrame));
    Other->SetFocus();
    Pump();
    const Bitmap normal = PickerShot(Form->Handle(), *Picker);
    EXPECT_TRUE(test_support::MatchesReference(normal, "closed_picker_unfocused"));
    EXPECT_EQ(normal.Pixel(0, 0), ColorToRGB(core::clBtnShadow));
}

TEST_F(PickerCtlTest, OpenPopupLooksAsItsReference)
{
    Open();
    Pump();
    const Bitmap shot = headless::Screenshot(PopupHandle());
    EXPECT_TRUE(test_support::MatchesReference(shot, "popup_open"));
    // The band in the selection colour, the rest in the pop-up colour.
    EXPECT_EQ(shot.Pixel(3, 100), ColorToRGB(core::clHighlight));
    EXPECT_EQ(shot.Pixel(3, 40), ColorToRGB(core::clWindow));
}

TEST_F(PickerCtlTest, SlidingPopupLooksAsItsReference)
{
    Open();
    headless::MouseMove(PopupHandle(), RowPoint(0, 2));
    ClickPopup(RowPoint(0, 2));
    Run(120);
    EXPECT_TRUE(test_support::MatchesReference(headless::Screenshot(PopupHandle()), "popup_sliding"));
    Run(130);
    EXPECT_TRUE(test_support::MatchesReference(headless::Screenshot(PopupHandle()), "popup_settled"));
}

} // namespace
