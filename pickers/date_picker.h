#pragma once
// TDatePicker: the date picker control. The closed control shows one box per
// part of its DateFormat; dropping it down opens a pop-up window with one
// scrolling column per part over it. The state (Date, the working date, the
// columns and the pop-up's geometry and input rules) lives in a
// TDatePickerModel; this class gives it a window, painting and input.
#include <memory>
#include <string>

#include "core/closure.h"
#include "core/datetime.h"
#include "controls/control.h"
#include "pickers/date_picker_model.h"
#include "pickers/picker_drawer.h"

namespace pickers {

class TPickerPopupControl;

enum class TBorderStyle { bsNone, bsSingle };

class TCustomDatePicker : public controls::TWinControl {
    DECLARE_CLASS(TCustomDatePicker, controls::TWinControl)
public:
    static constexpr int kDefaultWidth = 150;
    static constexpr int kDefaultHeight = 32;

    explicit TCustomDatePicker(components::TComponent* owner);
    ~TCustomDatePicker() override;

    // The committed date. Setting a different value raises OnChange; NaN and
    // days outside 0001-01-01..9999-12-31 raise "Invalid argument to date encode".
    core::TDate Date() const { return FModel->GetDate(); }
    void SetDate(core::TDate value) { FModel->SetDate(value); }
    const std::u16string& DateFormat() const { return FModel->GetDateFormat(); }
    void SetDateFormat(const std::u16string& value) { FModel->SetDateFormat(value); }
    int MinYear() const { return FModel->GetMinYear(); }
    void SetMinYear(int value) { FModel->SetMinYear(value); }
    int MaxYear() const { return FModel->GetMaxYear(); }
    void SetMaxYear(int value) { FModel->SetMaxYear(value); }
    bool DayVisible() const { return FModel->DayVisible(); }
    bool MonthVisible() const { return FModel->MonthVisible(); }
    bool YearVisible() const { return FModel->YearVisible(); }

    int DropDownCount() const { return FModel->DropDownCount(); }
    void SetDropDownCount(int value) { FModel->SetDropDownCount(value); }
    bool ShowOkCancel() const { return FModel->ShowOkCancel(); }
    void SetShowOkCancel(bool value) { FModel->SetShowOkCancel(value); }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);

    core::TColor BorderColor() const { return FColors.BorderColor; }
    void SetBorderColor(core::TColor v) { SetPaintColor(FColors.BorderColor, v); }
    core::TColor HighlightColor() const { return FColors.HighlightColor; }
    void SetHighlightColor(core::TColor v) { SetPaintColor(FColors.HighlightColor, v); }
    core::TColor HotColor() const { return FColors.HotColor; }
    void SetHotColor(core::TColor v) { SetPaintColor(FColors.HotColor, v); }
    core::TColor PopupColor() const { return FColors.PopupColor; }
    void SetPopupColor(core::TColor v) { SetPaintColor(FColors.PopupColor, v); }
    core::TColor SelectionColor() const { return FColors.SelectionColor; }
    void SetSelectionColor(core::TColor v) { SetPaintColor(FColors.SelectionColor, v); }
    core::TColor SelectionFontColor() const { return FColors.SelectionFontColor; }
    void SetSelectionFontColor(core::TColor v) { SetPaintColor(FColors.SelectionFontColor, v); }

    bool DroppedDown() const { return FModel->DroppedDown(); }
    void DropDown() { FModel->DropDown(); }
    void CloseUp(bool accept) { FModel->CloseUp(accept); }
    // Mouse over the control or focused: drawn in the hot look.
    bool Hot() const { return FHot || Focused(); }

    TDatePickerModel& Model() { return *FModel; }
    const TDatePickerModel& Model() const { return *FModel; }
    // Created at the first drop-down.
    TPickerPopupControl* PopupControl() const { return FPopup.get(); }
    // Created on first need.
    TPickerDrawer& Drawer();
    // The colours as painted (Color and the font colour included).
    const TPickerColors& Colors();
    // The pen width of the pop-up's glyphs (2 pixels, scaled).
    int GlyphPenWidth() const { return FGlyphPenWidth; }

    // Paints the closed control into `dc` (its client coordinates).
    void PaintPicker(platform::DeviceContext& dc);

    controls::TNotifyEvent OnChange;
    controls::TNotifyEvent OnCloseUp;
    TDrawPickerCellEvent OnDrawPickerCell;
    TDrawPickerCellEvent OnDrawCell;

    void SetBounds(int left, int top, int width, int height) override;
    void WndProc(controls::TMessage& message) override;
    void ChangeScale(int m, int d, bool isDpiChange) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void PaintWindow(platform::DeviceContext& dc) override;
    void KeyDown(uint16_t& key, controls::TShiftState shift) override;
    void MouseDown(controls::TMouseButton button, controls::TShiftState shift, int x, int y) override;
    void MouseUp(controls::TMouseButton button, controls::TShiftState shift, int x, int y) override;
    void MouseMove(controls::TShiftState shift, int x, int y) override;
    void Click() override;
    void FontChanged() override;
    void ColorChanged() override;
    void EnabledChanged() override;
    bool IsSizeStored() const override;

    virtual std::unique_ptr<TPickerDrawer> CreateDrawer();
    virtual void DoOnChange();

private:
    void SetPaintColor(core::TColor& field, core::TColor value);
    void PopupVisibleChanged(bool visible);
    void UpdateLayout();
    void UpdateHot();
    void SetHot(bool value);
    platform::TRect ScreenBounds() const;

    std::unique_ptr<TDatePickerModel> FModel;
    std::unique_ptr<TPickerPopupControl> FPopup;
    std::unique_ptr<TPickerDrawer> FDrawer;
    std::unique_ptr<platform::Bitmap> FBuffer;
    TPickerColors FColors;
    TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
    int FGlyphPenWidth = 2;
    bool FHot = false;
    bool FPressed = false;
};

// The picker as the form description stores it.
class TDatePicker : public TCustomDatePicker {
    DECLARE_CLASS(TDatePicker, TCustomDatePicker)
public:
    explicit TDatePicker(components::TComponent* owner) : TCustomDatePicker(owner) {}
};

// Makes TDatePicker known to the form reader.
void RegisterPickerClasses();

} // namespace pickers

DECLARE_ENUM_NAMES(pickers::TBorderStyle, u"bsNone", u"bsSingle");
