#pragma once
// The picker's drop-down: a top-level pop-up tool window that does not take
// the activation, painted from the picker's TPickerPopupModel (columns,
// selection band, OK/Cancel row) and feeding it the mouse. While it is shown
// it holds the mouse capture, so a press anywhere else closes it; keys stay
// with the picker, which keeps the focus.
#include <memory>

#include "controls/control.h"
#include "pickers/picker_drawer.h"
#include "pickers/popup_model.h"

namespace pickers {

class TCustomDatePicker;

class TPickerPopupControl : public controls::TWinControl {
    DECLARE_CLASS(TPickerPopupControl, controls::TWinControl)
public:
    static constexpr uintptr_t kAnimationTimer = 1;

    explicit TPickerPopupControl(TCustomDatePicker* picker);
    ~TPickerPopupControl() override;

    // Attaches the picker's pop-up model (already initialised by the picker).
    void Init(TPickerPopupModel* model);
    TPickerPopupModel* Model() const { return FModel; }
    TCustomDatePicker* Picker() const { return FPicker; }

    // Shows the window at a screen position without activating it and takes
    // the mouse capture.
    void ShowAt(platform::TPoint screen);
    // Hides the window (position, size and z-order kept) and releases the capture.
    void HidePopup();
    bool IsShown() const;

    // Paints the whole pop-up into `dc` (client coordinates).
    void PaintPopup(platform::DeviceContext& dc);

    void WndProc(controls::TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void PaintWindow(platform::DeviceContext& dc) override;
    void MouseDown(controls::TMouseButton button, controls::TShiftState shift, int x, int y) override;
    void MouseUp(controls::TMouseButton button, controls::TShiftState shift, int x, int y) override;
    void MouseMove(controls::TShiftState shift, int x, int y) override;

private:
    void PaintColumn(platform::DeviceContext& dc, int index);
    void PaintCell(platform::DeviceContext& dc, const TPickerCell& cell, const platform::TRect& column,
                   const platform::TRect& band);
    void PaintOkCancel(platform::DeviceContext& dc);
    void InvalidateColumn(int index);
    void AnimationStateChanged(bool running);
    // A press outside the window: closes the pop-up and passes the press on.
    void PressOutside(const controls::TMessage& m);
    void Detach();

    TCustomDatePicker* FPicker;
    TPickerPopupModel* FModel = nullptr;
    std::unique_ptr<platform::Bitmap> FBuffer;
    bool FMouseInside = false;
};

} // namespace pickers
