#include "pickers/picker_popup.h"

#include <algorithm>

#include "pickers/date_picker.h"
#include "platform/syscolors.h"
#include "platform/window.h"

namespace pickers {

using namespace platform;
using controls::TMessage;

DEFINE_CLASS(TPickerPopupControl)
END_CLASS

TPickerPopupControl::TPickerPopupControl(TCustomDatePicker* picker) : TWinControl(nullptr), FPicker(picker)
{
    // The capture is taken and released by the pop-up itself, for as long as
    // it is shown; button releases must not drop it.
    SetControlStyle(ControlStyle() - controls::TControlStyle{controls::TControlStyleItem::csCaptureMouse});
    SetBounds(0, 0, 200, 300);
}

TPickerPopupControl::~TPickerPopupControl()
{
    Detach();
    DestroyHandle();
}

void TPickerPopupControl::Detach()
{
    if (!FModel)
        return;
    FModel->OnInvalidate = nullptr;
    FModel->OnAnimationStateChanged = nullptr;
    FModel = nullptr;
}

void TPickerPopupControl::Init(TPickerPopupModel* model)
{
    if (model != FModel) {
        Detach();
        FModel = model;
    }
    if (!FModel)
        return;
    FModel->TickCount = [] { return platform::GetTickCount64(); };
    FModel->OnInvalidate = core::Closure<void(int)>::Bind(this, [this](int column) { InvalidateColumn(column); });
    FModel->OnAnimationStateChanged =
        core::Closure<void(bool)>::Bind(this, [this](bool running) { AnimationStateChanged(running); });
}

void TPickerPopupControl::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    p.Style = WS_POPUP | WS_CLIPSIBLINGS;
    p.ExStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    p.WndParent = FPicker && FPicker->HandleAllocated() ? FPicker->Handle() : HWND();
    // Every press counts on its own: quick clicks on a button are steps, not double clicks.
    p.WindowClassStyle = CS_VREDRAW | CS_HREDRAW;
}

bool TPickerPopupControl::IsShown() const
{
    return HandleAllocated() && IsWindowVisible(const_cast<TPickerPopupControl*>(this)->Handle());
}

void TPickerPopupControl::ShowAt(platform::TPoint screen)
{
    if (!FModel)
        return;
    const HWND h = Handle();
    FMouseInside = false;
    SetWindowPos(h, HWND_TOP, screen.X, screen.Y, FModel->Width(), FModel->Height(),
                 SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    InvalidateRect(h, nullptr, false);
    SetCapture(h);
}

void TPickerPopupControl::HidePopup()
{
    if (!HandleAllocated())
        return;
    const HWND h = Handle();
    KillTimer(h, kAnimationTimer);
    if (GetCapture() == h)
        ReleaseCapture();
    SetWindowPos(h, HWND(), 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
    FMouseInside = false;
}

void TPickerPopupControl::InvalidateColumn(int index)
{
    if (!HandleAllocated() || !FModel)
        return;
    const auto& columns = FModel->Columns();
    if (index < 0 || static_cast<size_t>(index) >= columns.size()) {
        InvalidateRect(Handle(), nullptr, false);
        return;
    }
    const platform::TRect r = ToPlatform(columns[static_cast<size_t>(index)]->FDropDownBounds);
    InvalidateRect(Handle(), &r, false);
}

void TPickerPopupControl::AnimationStateChanged(bool running)
{
    if (!HandleAllocated())
        return;
    if (running)
        SetTimer(Handle(), kAnimationTimer, TPickerSlideAnimation::kInterval);
    else
        KillTimer(Handle(), kAnimationTimer);
}

// ---- input ------------------------------------------------------------------------

void TPickerPopupControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTARROWS;
        return;
    case WM_TIMER:
        if (m.WParam == kAnimationTimer) {
            if (FModel && FModel->IsAnimating())
                FModel->Tick();
            else
                KillTimer(Handle(), kAnimationTimer);
            return;
        }
        break;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
    case CN_KEYUP:
    case CN_BASE + WM_SYSKEYUP:
    case CN_CHAR:
    case CN_SYSCHAR:
        // Keys reach the capture window first: they belong to the picker,
        // which keeps the focus.
        m.Result = FPicker ? FPicker->Perform(m.Msg, m.WParam, m.LParam) : 0;
        return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        if (!ClientRect().Contains(PointFromLParam(m.LParam))) {
            PressOutside(m);
            return;
        }
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        // Past the framework's release handling, which would drop the capture.
        const controls::TMouseButton button = m.Msg == WM_LBUTTONUP   ? controls::TMouseButton::mbLeft
                                              : m.Msg == WM_RBUTTONUP ? controls::TMouseButton::mbRight
                                                                      : controls::TMouseButton::mbMiddle;
        const platform::TPoint p = PointFromLParam(m.LParam);
        MouseUp(button, controls::MouseKeysToShiftState(m.WParam), p.X, p.Y);
        return;
    }
    case WM_CANCELMODE:
        TWinControl::WndProc(m);
        if (FPicker && FPicker->DroppedDown())
            FPicker->Model().CancelMode();
        return;
    case WM_CAPTURECHANGED:
        // Someone else took the mouse (a message box, another window): the
        // pop-up cannot see a click elsewhere any more.
        if (FPicker && FPicker->DroppedDown() && IsShown())
            FPicker->Model().CancelMode();
        return;
    default: break;
    }
    TWinControl::WndProc(m);
}

void TPickerPopupControl::PressOutside(const TMessage& m)
{
    if (!FPicker)
        return;
    const platform::TPoint screen = platform::ClientToScreen(Handle(), PointFromLParam(m.LParam));
    TCustomDatePicker* picker = FPicker;
    if (picker->DroppedDown()) {
        const platform::TPoint origin = picker->ClientToScreen({0, 0});
        const platform::TRect pickerRect = Bounds(origin.X, origin.Y, picker->Width(), picker->Height());
        if (pickerRect.Contains(screen) && (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK)) {
            // A click on the closed control toggles: it accepts.
            picker->CloseUp(true);
            return;
        }
        picker->Model().CancelMode();
    }
    // The press was meant for the window under the pointer.
    const HWND target = WindowFromPoint(screen);
    if (!target || !IsWindow(target) || target == Handle() || !IsWindowEnabled(target))
        return;
    UINT msg = m.Msg;
    if (msg == WM_LBUTTONDBLCLK)
        msg = WM_LBUTTONDOWN;
    else if (msg == WM_RBUTTONDBLCLK)
        msg = WM_RBUTTONDOWN;
    else if (msg == WM_MBUTTONDBLCLK)
        msg = WM_MBUTTONDOWN;
    SendMessage(target, msg, m.WParam, PointToLParam(platform::ScreenToClient(target, screen)));
}

void TPickerPopupControl::MouseDown(controls::TMouseButton button, controls::TShiftState shift, int x, int y)
{
    TWinControl::MouseDown(button, shift, x, y);
    if (button == controls::TMouseButton::mbLeft && FModel)
        FModel->MouseDown({x, y});
}

void TPickerPopupControl::MouseUp(controls::TMouseButton button, controls::TShiftState shift, int x, int y)
{
    TWinControl::MouseUp(button, shift, x, y);
    if (button != controls::TMouseButton::mbLeft || !FModel)
        return;
    if (ClientRect().Contains({x, y})) {
        FModel->MouseUp({x, y});
    } else {
        // Released outside: pressed buttons go back to normal.
        FModel->MouseLeave();
        FMouseInside = false;
    }
}

void TPickerPopupControl::MouseMove(controls::TShiftState shift, int x, int y)
{
    TWinControl::MouseMove(shift, x, y);
    if (!FModel)
        return;
    if (ClientRect().Contains({x, y})) {
        FMouseInside = true;
        FModel->UpdateHoverItems({x, y});
    } else if (FMouseInside) {
        FMouseInside = false;
        FModel->MouseLeave();
    }
}

// ---- painting ---------------------------------------------------------------------

void TPickerPopupControl::PaintWindow(DeviceContext& dc)
{
    const platform::TRect client = ClientRect();
    if (client.IsEmpty())
        return;
    if (!FBuffer || FBuffer->Width() != client.Width() || FBuffer->Height() != client.Height())
        FBuffer = std::make_unique<Bitmap>(client.Width(), client.Height());
    {
        DeviceContext buffer(*FBuffer);
        PaintPopup(buffer);
        dc.BitBlt(0, 0, client.Width(), client.Height(), buffer, 0, 0);
    }
}

void TPickerPopupControl::PaintPopup(DeviceContext& dc)
{
    const platform::TRect client = ClientRect();
    dc.FillSolidRect(client, ColorToRGB(FPicker ? FPicker->Drawer().GetPopupColor() : core::clWindow));
    if (!FModel || !FPicker)
        return;
    for (size_t i = 0; i < FModel->Columns().size(); ++i)
        PaintColumn(dc, static_cast<int>(i));
    if (FModel->ShowOkCancel())
        PaintOkCancel(dc);
}

void TPickerPopupControl::PaintColumn(DeviceContext& dc, int index)
{
    const TPickerColumn* column = FModel->Columns()[static_cast<size_t>(index)];
    TPickerDrawer& drawer = FPicker->Drawer();
    const int bs = FModel->BorderSize();
    const platform::TRect area = ToPlatform(column->FDropDownBounds);
    if (area.IsEmpty() || !dc.RectVisible(area))
        return;
    const platform::TRect select = ToPlatform(FModel->SelectRect());
    const platform::TRect band{area.Left, select.Top, area.Right, select.Bottom};

    dc.FillSolidRect(area, ColorToRGB(drawer.GetPopupColor()));
    dc.FillSolidRect({area.Left + bs, band.Top, area.Right - bs, band.Bottom}, ColorToRGB(drawer.GetSelectionColor()));
    for (const TPickerCell& cell : FModel->GetColumnCells(index))
        PaintCell(dc, cell, area, band);
    if (bs > 0)
        drawer.DrawPickerBorder(dc, area, drawer.GetBorderColor(), bs);
    if (FModel->MouseOver() == index) {
        for (const TPickerButton* b : {&column->FUpButton, &column->FDownButton}) {
            TPickerButtonDrawInfo info;
            info.FButton = b;
            info.FColor = drawer.GetButtonColor(*b);
            info.FForegroundColor = drawer.GetButtonFontColor();
            info.FPenWidth = FPicker->GlyphPenWidth();
            drawer.DrawPickerButton(dc, info);
        }
    }
}

void TPickerPopupControl::PaintCell(DeviceContext& dc, const TPickerCell& cell, const platform::TRect& column,
                                    const platform::TRect& band)
{
    TPickerDrawer& drawer = FPicker->Drawer();
    TPickerCellDrawInfo info;
    info.FBounds = ToPlatform(cell.Bounds);
    info.FText = cell.Text;
    info.FFont = FPicker->Font()->Handle();
    info.FFontColor = drawer.GetFontColor();
    info.FColor = drawer.GetPopupColor();
    info.FBorderColor = drawer.GetBorderColor();
    info.FBorderSize = FModel->BorderSize();
    info.FHighlightColor = drawer.GetHighlightColor();
    info.FHighlighted = cell.Highlighted;
    FPicker->OnDrawCell(FPicker, info);

    // What lies on the band is drawn selected, the rest not; a cell that
    // straddles the band (while sliding) is drawn in both parts.
    platform::TRect onBand;
    const bool touchesBand = IntersectRect(onBand, info.FBounds, band);
    const bool insideBand = touchesBand && onBand == info.FBounds;
    if (touchesBand) {
        dc.SaveDC();
        dc.IntersectClipRect(onBand);
        info.FSelected = true;
        drawer.DrawCell(dc, info);
        dc.RestoreDC(-1);
    }
    if (!insideBand) {
        dc.SaveDC();
        dc.IntersectClipRect(column);
        if (touchesBand)
            dc.ExcludeClipRect(band);
        info.FSelected = false;
        drawer.DrawCell(dc, info);
        dc.RestoreDC(-1);
    }
}

void TPickerPopupControl::PaintOkCancel(DeviceContext& dc)
{
    // The frame's pen is the pop-up window's own border width (none: 1).
    FPicker->Drawer().DrawOkCancel(dc, FModel->OkCancelButtons(), 1, FPicker->GlyphPenWidth());
}

} // namespace pickers
