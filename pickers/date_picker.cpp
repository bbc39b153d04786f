#include "pickers/date_picker.h"

#include <algorithm>

#include "components/classes.h"
#include "controls/form.h"
#include "pickers/picker_popup.h"
#include "platform/services.h"
#include "platform/syscolors.h"
#include "platform/window.h"

namespace pickers {

using namespace platform;
using controls::TMessage;
using controls::TShiftState;
using controls::TShiftStateItem;

namespace {

constexpr uintptr_t kHoverTimer = 2;
constexpr uint32_t kHoverInterval = 100;

// Column sizes are measured with the framework's default font, not with Font.
TSize MeasureDefault(std::u16string_view text)
{
    static const platform::Font font;
    const platform::TSize s = font.TextExtent(text);
    return {s.cx, s.cy};
}

TPickerKey ToPickerKey(uint16_t key)
{
    switch (key) {
    case VK_LEFT: return TPickerKey::pkLeft;
    case VK_RIGHT: return TPickerKey::pkRight;
    case VK_UP: return TPickerKey::pkUp;
    case VK_DOWN: return TPickerKey::pkDown;
    case VK_RETURN: return TPickerKey::pkEnter;
    case VK_SPACE: return TPickerKey::pkSpace;
    case VK_ESCAPE: return TPickerKey::pkEscape;
    case VK_BACK: return TPickerKey::pkBack;
    default: return TPickerKey::pkOther;
    }
}

} // namespace

DEFINE_CLASS(TCustomDatePicker)
END_CLASS

TCustomDatePicker::TCustomDatePicker(components::TComponent* owner)
    : TWinControl(owner), FModel(std::make_unique<TDatePickerModel>())
{
    FModel->OnChange = core::Closure<void(TDatePickerModel*)>::Bind(this, [this](TDatePickerModel*) { DoOnChange(); });
    FModel->OnCloseUp = core::Closure<void(TBasePickerModel*)>::Bind(this, [this](TBasePickerModel*) { OnCloseUp(this); });
    FModel->OnInvalidate = core::Closure<void()>::Bind(this, [this] { Invalidate(); });
    FModel->OnPopupVisibleChanged =
        core::Closure<void(bool)>::Bind(this, [this](bool visible) { PopupVisibleChanged(visible); });
    FModel->OnColumnsChanged = core::Closure<void()>::Bind(this, [this] {
        if (HandleAllocated())
            UpdateLayout();
        Invalidate();
    });
    SetTabStop(true);
    SetParentFont(false);
    controls::TFont* font = Font();
    font->SetName(u"Segoe UI");
    font->SetHeight(-16); // 12 points at 96 pixels per inch
    font->SetColor(core::clWindowText);
    SetColor(core::clWindow);
    SetBounds(Left(), Top(), kDefaultWidth, kDefaultHeight);
}

TCustomDatePicker::~TCustomDatePicker()
{
    // Closing silently: no events from a control being destroyed, and the
    // pop-up (which refers to the model) goes first.
    FModel->OnChange = nullptr;
    FModel->OnCloseUp = nullptr;
    FModel->OnInvalidate = nullptr;
    FModel->OnColumnsChanged = nullptr;
    if (FModel->DroppedDown())
        FModel->CloseUp(false);
    FModel->OnPopupVisibleChanged = nullptr;
    FPopup.reset();
    FModel.reset();
}

void TCustomDatePicker::SetBorderStyle(TBorderStyle value)
{
    if (value == FBorderStyle)
        return;
    FBorderStyle = value;
    FModel->SetBorderSize(value == TBorderStyle::bsSingle ? ScaleValue(1) : 0);
    UpdateLayout();
    Invalidate();
}

void TCustomDatePicker::SetPaintColor(core::TColor& field, core::TColor value)
{
    if (field == value)
        return;
    field = value;
    Invalidate();
    if (FPopup && FPopup->IsShown())
        FPopup->Invalidate();
}

TPickerDrawer& TCustomDatePicker::Drawer()
{
    if (!FDrawer)
        FDrawer = CreateDrawer();
    Colors();
    return *FDrawer;
}

std::unique_ptr<TPickerDrawer> TCustomDatePicker::CreateDrawer()
{
    return std::make_unique<TPickerDrawerNative>(&FColors);
}

const TPickerColors& TCustomDatePicker::Colors()
{
    FColors.Color = Color();
    FColors.FontColor = Font()->Color();
    return FColors;
}

void TCustomDatePicker::DoOnChange()
{
    OnChange(this);
}

bool TCustomDatePicker::IsSizeStored() const
{
    return Width() != kDefaultWidth || Height() != kDefaultHeight;
}

// ---- layout ---------------------------------------------------------------------------

void TCustomDatePicker::SetBounds(int left, int top, int width, int height)
{
    // Never narrower or lower than the columns need. Measuring resets the
    // working date, so a pop-up still open is cancelled by a change of size.
    if (FModel) {
        if (FModel->DroppedDown() && (width != Width() || height != Height()))
            FModel->CloseUp(false);
        const TSize s = FModel->CalcSizes({width, height}, MeasureDefault);
        width = s.Width;
        height = s.Height;
    }
    TWinControl::SetBounds(left, top, width, height);
    if (FModel) {
        const platform::TRect client = ClientRect();
        FModel->SetClientSize({client.Width(), client.Height()});
    }
}

void TCustomDatePicker::UpdateLayout()
{
    SetBounds(Left(), Top(), Width(), Height());
}

void TCustomDatePicker::ChangeScale(int m, int d, bool isDpiChange)
{
    FModel->SetScaling(true);
    try {
        TWinControl::ChangeScale(m, d, isDpiChange);
    } catch (...) {
        FModel->SetScaling(false);
        throw;
    }
    FModel->SetBorderSize(FBorderStyle == TBorderStyle::bsSingle ? ScaleValue(1) : 0);
    FModel->SetButtonHeight(ScaleValue(16));
    FGlyphPenWidth = std::max(1, ScaleValue(2));
    UpdateLayout();
    FModel->SetScaling(false);
}

void TCustomDatePicker::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    // A second quick press toggles the pop-up again instead of being a double click.
    p.WindowClassStyle = CS_VREDRAW | CS_HREDRAW;
}

void TCustomDatePicker::CreateWnd()
{
    TWinControl::CreateWnd();
    UpdateLayout();
}

void TCustomDatePicker::DestroyWnd()
{
    // The pop-up is owned by this window and would die with it unnoticed.
    if (FModel->DroppedDown())
        FModel->CloseUp(false);
    if (FPopup)
        FPopup->DestroyHandle();
    if (HandleAllocated())
        KillTimer(Handle(), kHoverTimer);
    TWinControl::DestroyWnd();
}

platform::TRect TCustomDatePicker::ScreenBounds() const
{
    const platform::TPoint o = ClientToScreen({0, 0});
    return Bounds(o.X, o.Y, Width(), Height());
}

// ---- drop-down --------------------------------------------------------------------------

void TCustomDatePicker::PopupVisibleChanged(bool visible)
{
    if (!visible) {
        if (FPopup)
            FPopup->HidePopup();
        return;
    }
    if (!FPopup)
        FPopup = std::make_unique<TPickerPopupControl>(this);
    TPickerPopupModel* model = FModel->PopupControl();
    FPopup->Init(model);
    const platform::TRect r = ScreenBounds();
    const TPoint pos = TBasePickerModel::CalcDropDownPosition(
        {r.Left, r.Top, r.Right, r.Bottom}, {model->Width(), model->Height()}, model->SelectRect(),
        {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    FPopup->ShowAt({pos.X, pos.Y});
}

// ---- input --------------------------------------------------------------------------------

void TCustomDatePicker::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_GETDLGCODE:
        // The arrows always belong to the picker; while the pop-up is open
        // Enter and Escape do too (a default or cancel button must not see them).
        m.Result = DLGC_WANTARROWS | (DroppedDown() ? DLGC_WANTALLKEYS : 0);
        return;
    case WM_MOUSEWHEEL:
        if (DroppedDown() && FPopup && FPopup->HandleAllocated()) {
            const platform::TPoint p = platform::ScreenToClient(FPopup->Handle(), PointFromLParam(m.LParam));
            const int delta = GET_WHEEL_DELTA_WPARAM(m.WParam);
            const bool ctrl = (LOWORD(m.WParam) & MK_CONTROL) != 0;
            if (delta != 0 && FModel->MouseWheel({p.X, p.Y}, delta < 0, ctrl, GetWheelScrollLines())) {
                m.Result = 1;
                return;
            }
        }
        break;
    case WM_SETFOCUS:
        TWinControl::WndProc(m);
        Invalidate();
        return;
    case WM_KILLFOCUS:
        TWinControl::WndProc(m);
        FPressed = false;
        FModel->FocusLost();
        Invalidate();
        return;
    case WM_CANCELMODE:
        TWinControl::WndProc(m);
        FPressed = false;
        FModel->CancelMode();
        return;
    case WM_TIMER:
        if (m.WParam == kHoverTimer) {
            UpdateHot();
            return;
        }
        break;
    default: break;
    }
    TWinControl::WndProc(m);
}

void TCustomDatePicker::KeyDown(uint16_t& key, TShiftState shift)
{
    TWinControl::KeyDown(key, shift);
    if (key == 0)
        return;
    const TPickerKey k = ToPickerKey(key);
    if (k != TPickerKey::pkOther && FModel->KeyDown(k, shift.Contains(TShiftStateItem::ssAlt)))
        key = 0;
}

void TCustomDatePicker::MouseDown(controls::TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == controls::TMouseButton::mbLeft) {
        if (!Focused() && CanFocus())
            SetFocus();
        FPressed = true;
        Invalidate();
    }
    TWinControl::MouseDown(button, shift, x, y);
}

void TCustomDatePicker::MouseUp(controls::TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == controls::TMouseButton::mbLeft && FPressed) {
        FPressed = false;
        Invalidate();
    }
    TWinControl::MouseUp(button, shift, x, y);
}

void TCustomDatePicker::Click()
{
    TWinControl::Click();
    FModel->Click();
}

void TCustomDatePicker::MouseMove(TShiftState shift, int x, int y)
{
    TWinControl::MouseMove(shift, x, y);
    if (ClientRect().Contains({x, y}) && !FHot) {
        SetHot(true);
        // No leave message exists: the pointer is watched until it leaves.
        if (HandleAllocated())
            SetTimer(Handle(), kHoverTimer, kHoverInterval);
    }
}

void TCustomDatePicker::UpdateHot()
{
    const bool over = HandleAllocated() && IsWindowVisible(Handle()) && WindowFromPoint(GetCursorPos()) == Handle();
    if (!over) {
        if (HandleAllocated())
            KillTimer(Handle(), kHoverTimer);
        SetHot(false);
    }
}

void TCustomDatePicker::SetHot(bool value)
{
    if (FHot == value)
        return;
    FHot = value;
    Invalidate();
}

void TCustomDatePicker::FontChanged()
{
    TWinControl::FontChanged();
    Invalidate();
}

void TCustomDatePicker::ColorChanged()
{
    TWinControl::ColorChanged();
    Invalidate();
}

void TCustomDatePicker::EnabledChanged()
{
    if (!Enabled() && DroppedDown())
        FModel->CloseUp(false);
    TWinControl::EnabledChanged();
    Invalidate();
}

// ---- painting -----------------------------------------------------------------------------

void TCustomDatePicker::PaintWindow(DeviceContext& dc)
{
    const platform::TRect client = ClientRect();
    if (client.IsEmpty())
        return;
    if (!FBuffer || FBuffer->Width() != client.Width() || FBuffer->Height() != client.Height())
        FBuffer = std::make_unique<Bitmap>(client.Width(), client.Height());
    DeviceContext buffer(*FBuffer);
    PaintPicker(buffer);
    dc.BitBlt(0, 0, client.Width(), client.Height(), buffer, 0, 0);
}

void TCustomDatePicker::PaintPicker(DeviceContext& dc)
{
    TPickerDrawer& drawer = Drawer();
    const bool hot = Hot();
    core::TColor color = Enabled() ? Color() : core::clBtnFace;
    if (hot && Enabled())
        color = HotColor();
    dc.FillSolidRect(ClientRect(), ColorToRGB(color));
    const platform::Font font = Font()->Handle();
    for (const auto& column : FModel->Columns()) {
        TPickerCellDrawInfo info;
        info.FBounds = ToPlatform(column->FBoundsRect);
        info.FText = column->GetValueString(column->GetCurrentValue());
        info.FFont = font;
        info.FFontColor = Enabled() ? drawer.GetFontColor() : core::clGrayText;
        info.FColor = color;
        info.FBorderColor = FPressed ? core::clBtnHighlight : hot ? core::clWindowFrame : drawer.GetBorderColor();
        info.FBorderSize = FModel->BorderSize();
        info.FHighlightColor = drawer.GetHighlightColor();
        OnDrawPickerCell(this, info);
        drawer.DrawPickerCell(dc, info);
    }
}

// ---- published form ------------------------------------------------------------------------

DEFINE_CLASS(TDatePicker)
    .Property(u"BorderColor", &TDatePicker::BorderColor, &TDatePicker::SetBorderColor)
        .Idents(components::ColorIdents).Default(static_cast<int64_t>(core::clBtnShadow))
    .Property(u"BorderStyle", &TDatePicker::BorderStyle, &TDatePicker::SetBorderStyle)
        .Default(static_cast<int64_t>(TBorderStyle::bsSingle))
    .Property(u"Color", &TDatePicker::Color, &TDatePicker::SetColor)
        .Idents(components::ColorIdents).Default(static_cast<int64_t>(core::clWindow))
    .Property(u"Date", &TDatePicker::Date, &TDatePicker::SetDate)
    .Property(u"DateFormat", &TDatePicker::DateFormat, &TDatePicker::SetDateFormat)
    .Property(u"DropDownCount", &TDatePicker::DropDownCount, &TDatePicker::SetDropDownCount).Default(7)
    .Property(u"Enabled", &TDatePicker::Enabled, &TDatePicker::SetEnabled).Default(1)
    .Property(u"Font", &TDatePicker::Font, &TDatePicker::SetFont).Stored(&TDatePicker::IsFontStored)
    .Property(u"HighlightColor", &TDatePicker::HighlightColor, &TDatePicker::SetHighlightColor)
        .Idents(components::ColorIdents).Default(static_cast<int64_t>(core::clBtnFace))
    .Property(u"HotColor", &TDatePicker::HotColor, &TDatePicker::SetHotColor)
        .Idents(components::ColorIdents).Default(static_cast<int64_t>(core::clBtnHighlight))
    .Property(u"MaxYear", &TDatePicker::MaxYear, &TDatePicker::SetMaxYear).Default(TDatePickerModel::kDefaultMaxYear)
    .Property(u"MinYear", &TDatePicker::MinYear, &TDatePicker::SetMinYear).Default(TDatePickerModel::kDefaultMinYear)
    .Property(u"ParentFont", &TDatePicker::ParentFont, &TDatePicker::SetParentFont).Default(0)
    .Property(u"PopupColor", &TDatePicker::PopupColor, &TDatePicker::SetPopupColor)
        .Idents(components::ColorIdents).Default(static_cast<int64_t>(core::clWindow))
    .Property(u"SelectionColor", &TDatePicker::SelectionColor, &TDatePicker::SetSelectionColor)
        .Idents(components::ColorIdents).Default(static_cast<int64_t>(core::clHighlight))
    .Property(u"SelectionFontColor", &TDatePicker::SelectionFontColor, &TDatePicker::SetSelectionFontColor)
        .Idents(components::ColorIdents).Default(static_cast<int64_t>(core::clHighlightText))
    .Property(u"ShowOkCancel", &TDatePicker::ShowOkCancel, &TDatePicker::SetShowOkCancel).Default(1)
    .Property(u"TabOrder", &TDatePicker::TabOrder, &TDatePicker::SetTabOrder).Default(-1)
    .Property(u"TabStop", &TDatePicker::TabStop, &TDatePicker::SetTabStop).Default(1)
    .Property(u"Visible", &TDatePicker::Visible, &TDatePicker::SetVisible).Default(1)
    .Property(u"OnChange", &TDatePicker::OnChange, &TDatePicker::OnChange)
    .Property(u"OnClick", &TDatePicker::OnClick, &TDatePicker::OnClick)
    .Property(u"OnCloseUp", &TDatePicker::OnCloseUp, &TDatePicker::OnCloseUp)
    .Property(u"OnDrawCell", &TDatePicker::OnDrawCell, &TDatePicker::OnDrawCell)
    .Property(u"OnDrawPickerCell", &TDatePicker::OnDrawPickerCell, &TDatePicker::OnDrawPickerCell)
    .Property(u"OnEnter", &TDatePicker::OnEnter, &TDatePicker::OnEnter)
    .Property(u"OnExit", &TDatePicker::OnExit, &TDatePicker::OnExit)
    .Property(u"OnKeyDown", &TDatePicker::OnKeyDown, &TDatePicker::OnKeyDown)
    .Property(u"OnKeyPress", &TDatePicker::OnKeyPress, &TDatePicker::OnKeyPress)
    .Property(u"OnKeyUp", &TDatePicker::OnKeyUp, &TDatePicker::OnKeyUp)
END_CLASS

void RegisterPickerClasses()
{
    components::RegisterClass(TDatePicker::StaticClass());
}

} // namespace pickers
