#pragma once
// A shown host form with a date picker set up like the main form's
// DatePicker1 ("dd/MM/yyyy", 2022-04-20, 150 x 32, 7 rows with OK/Cancel,
// English names) after a focusable probe control, on the headless backend.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "controls/form.h"
#include "controls/key_routing.h"
#include "core/datetime.h"
#include "pickers/date_picker.h"
#include "pickers/date_text.h"
#include "pickers/picker_popup.h"
#include "platform/headless.h"
#include "platform/window.h"

namespace pickerctl_test {

// Takes the focus when pressed, like an edit or a grid.
class TProbe : public controls::TWinControl {
public:
    explicit TProbe(components::TComponent* owner) : TWinControl(owner) { SetTabStop(true); }
    int Presses = 0;

protected:
    void MouseDown(controls::TMouseButton button, controls::TShiftState shift, int x, int y) override
    {
        ++Presses;
        if (CanFocus())
            SetFocus();
        TWinControl::MouseDown(button, shift, x, y);
    }
};

class THostForm : public controls::TForm {
public:
    explicit THostForm(components::TComponent* owner) : TForm(owner) {}
};

class PickerCtlTest : public ::testing::Test {
protected:
    static constexpr int kPickerLeft = 40, kPickerTop = 150;

    void SetUp() override
    {
        pickers::SetDateTextLocale("en_US");
        controls::Screen = new controls::TScreen(nullptr);
        Form = new THostForm(nullptr);
        Form->SetName(u"Host");
        Form->SetBounds(100, 80, 320, 240);
        Other = new TProbe(Form);
        Other->SetName(u"Other");
        Other->SetParent(Form);
        Other->SetBounds(220, 20, 80, 24);
        Picker = new pickers::TDatePicker(Form);
        Picker->SetName(u"DatePicker1");
        Picker->SetParent(Form);
        Picker->SetLeft(kPickerLeft);
        Picker->SetTop(kPickerTop);
        Picker->SetDate(core::EncodeDate(2022, 4, 20));
        Picker->SetDateFormat(u"dd/MM/yyyy");
        Picker->OnChange = controls::TNotifyEvent::Bind(this, [this](components::TObject* sender) {
            ChangeSenders.push_back(sender);
        });
        Picker->OnCloseUp = controls::TNotifyEvent::Bind(this, [this](components::TObject* sender) {
            CloseUpSenders.push_back(sender);
        });
        Form->Show();
        Pump();
        Picker->SetFocus();
        Pump();
    }

    void TearDown() override
    {
        delete Form;
        delete controls::Screen;
        controls::Screen = nullptr;
    }

    static void Pump()
    {
        while (controls::ProcessOneMessage()) {
        }
    }

    // Moves the virtual clock in 10 ms steps, handling what falls due.
    static void Run(int ms)
    {
        for (int t = 0; t < ms; t += 10) {
            platform::headless::Advance(10);
            Pump();
        }
    }

    void Press(int vk, unsigned mods = platform::headless::None)
    {
        platform::headless::PressKey(vk, mods);
        Pump();
    }

    pickers::TPickerPopupControl& Popup() const { return *Picker->PopupControl(); }
    pickers::TPickerPopupModel& PopupModel() const { return *Picker->Model().PopupControl(); }
    platform::HWND PopupHandle() const { return Popup().Handle(); }

    // Opens the pop-up with Enter.
    void Open()
    {
        Press(platform::VK_RETURN);
        ASSERT_TRUE(Picker->DroppedDown());
    }

    // A point of the pop-up in column `column`, `rows` rows below (negative:
    // above) the middle of the band.
    platform::TPoint RowPoint(int column, int rows) const
    {
        const auto& b = PopupModel().Columns()[static_cast<size_t>(column)]->FDropDownBounds;
        const auto& band = PopupModel().SelectRect();
        return {(b.Left + b.Right) / 2, (band.Top + band.Bottom) / 2 + rows * PopupModel().ItemHeight()};
    }

    void ClickPopup(platform::TPoint p)
    {
        platform::headless::Click(PopupHandle(), p);
        Pump();
    }

    static platform::TPoint Centre(const pickers::TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

    // The texts of a pop-up column from top to bottom.
    std::vector<std::u16string> Texts(int column) const
    {
        std::vector<std::u16string> out;
        for (const auto& c : PopupModel().GetColumnCells(column))
            out.push_back(c.Text);
        return out;
    }

    int Value(int column) const { return Picker->Model().Columns()[static_cast<size_t>(column)]->GetCurrentValue(); }

    platform::headless::Session Session;
    THostForm* Form = nullptr;
    TProbe* Other = nullptr;
    pickers::TDatePicker* Picker = nullptr;
    std::vector<components::TObject*> ChangeSenders;
    std::vector<components::TObject*> CloseUpSenders;
};

} // namespace pickerctl_test
