#include "controls/control.h"

#include <algorithm>
#include <unordered_map>

#include "core/exception.h"
#include "controls/form.h"
#include "controls/handle_map.h"
#include "platform/syscolors.h"

namespace controls {

using namespace components;
using namespace platform;

// Controls publish only their position and size; each concrete class
// publishes the rest (Color, Font, TabOrder, ...) in its own order.
DEFINE_CLASS(TControl)
    .Property(u"Left", &TControl::Left, &TControl::SetLeft)
    .Property(u"Top", &TControl::Top, &TControl::SetTop)
    .Property(u"Width", &TControl::Width, &TControl::SetWidth).Stored(&TControl::IsSizeStored)
    .Property(u"Height", &TControl::Height, &TControl::SetHeight).Stored(&TControl::IsSizeStored)
END_CLASS

DEFINE_CLASS(TWinControl)
END_CLASS

namespace {
TControlExceptionHandler& ExceptionHandler()
{
    static TControlExceptionHandler handler;
    return handler;
}
} // namespace

std::unordered_map<uint32_t, TWinControl*>& HandleMap()
{
    static std::unordered_map<uint32_t, TWinControl*> map;
    return map;
}

void SetControlExceptionHandler(TControlExceptionHandler handler)
{
    ExceptionHandler() = std::move(handler);
}

void HandleControlException(TObject* sender)
{
    if (auto& h = ExceptionHandler())
        h(sender);
}

TWinControl* FindControl(HWND h)
{
    auto it = HandleMap().find(h.Id());
    return it == HandleMap().end() ? nullptr : it->second;
}

TCustomForm* GetParentForm(const TControl* control, bool topLevel)
{
    const TControl* c = control;
    TCustomForm* found = nullptr;
    while (c) {
        if (auto* f = dynamic_cast<TCustomForm*>(const_cast<TControl*>(c))) {
            found = f;
            if (!topLevel)
                return f;
        }
        c = c->Parent();
    }
    return found;
}

TShiftState KeyDataToShiftState(LPARAM keyData)
{
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0)
        s.Include(TShiftStateItem::ssShift);
    if (GetKeyState(VK_CONTROL) < 0)
        s.Include(TShiftStateItem::ssCtrl);
    if (keyData & KF_ALTDOWN_LPARAM)
        s.Include(TShiftStateItem::ssAlt);
    return s;
}

TShiftState MouseKeysToShiftState(WPARAM keys)
{
    TShiftState s;
    if (keys & MK_SHIFT)
        s.Include(TShiftStateItem::ssShift);
    if (keys & MK_CONTROL)
        s.Include(TShiftStateItem::ssCtrl);
    if (keys & MK_LBUTTON)
        s.Include(TShiftStateItem::ssLeft);
    if (keys & MK_RBUTTON)
        s.Include(TShiftStateItem::ssRight);
    if (keys & MK_MBUTTON)
        s.Include(TShiftStateItem::ssMiddle);
    if (GetKeyState(VK_MENU) < 0)
        s.Include(TShiftStateItem::ssAlt);
    return s;
}

// ---- TControl ------------------------------------------------------------------

TControl::TControl(TComponent* owner) : TComponent(owner), FFont(std::make_unique<TFont>())
{
    FControlStyle = {TControlStyleItem::csCaptureMouse, TControlStyleItem::csClickEvents,
                     TControlStyleItem::csSetCaption, TControlStyleItem::csDoubleClicks};
    FFont->OnChange = TNotifyEvent(this, &TControl::FontChangedHandler);
}

TControl::~TControl()
{
    if (FParent)
        FParent->RemoveControl(this);
}

bool TControl::IsColorStored() const { return !FParentColor; }
bool TControl::IsFontStored() const { return !FParentFont; }
bool TControl::IsSizeStored() const { return true; }

void TControl::SetParent(TWinControl* parent)
{
    if (parent == FParent)
        return;
    if (parent == this)
        core::Raise<core::EInvalidOperation>("A control cannot have itself as its parent");
    if (FParent)
        FParent->RemoveControl(this);
    if (parent)
        parent->InsertControl(this);
}

void TControl::SetLeft(int v)
{
    FScalingFlags.Include(TScalingFlag::sfLeft);
    SetBounds(v, FTop, FWidth, FHeight);
}

void TControl::SetTop(int v)
{
    FScalingFlags.Include(TScalingFlag::sfTop);
    SetBounds(FLeft, v, FWidth, FHeight);
}

void TControl::SetWidth(int v)
{
    FScalingFlags.Include(TScalingFlag::sfWidth);
    SetBounds(FLeft, FTop, v, FHeight);
}

void TControl::SetHeight(int v)
{
    FScalingFlags.Include(TScalingFlag::sfHeight);
    SetBounds(FLeft, FTop, FWidth, v);
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight)
        return;
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    BoundsChanged();
}

void TControl::SetClientSize(int width, int height)
{
    const TRect c = ClientRect();
    SetBounds(FLeft, FTop, FWidth - c.Width() + width, FHeight - c.Height() + height);
}

void TControl::SetVisible(bool v)
{
    if (v == FVisible)
        return;
    VisibleChanging();
    FVisible = v;
    if (auto* w = dynamic_cast<TWinControl*>(this))
        w->UpdateShowing();
    else if (FParent)
        FParent->Invalidate();
}

void TControl::SetEnabled(bool v)
{
    if (v == FEnabled)
        return;
    FEnabled = v;
    EnabledChanged();
}

void TControl::EnabledChanged()
{
    Invalidate();
}

bool TControl::Showing() const
{
    for (const TControl* c = this; c; c = c->FParent)
        if (!c->FVisible)
            return false;
    return true;
}

void TControl::FontChangedHandler(TObject*)
{
    if (!FChangingFont) {
        FParentFont = false;
        if (FFont->Height() != FFontHeight)
            FScalingFlags.Include(TScalingFlag::sfFont);
    }
    FFontHeight = FFont->Height();
    FontChanged();
}

void TControl::FontChanged()
{
    Invalidate();
}

void TControl::SetParentFont(bool v)
{
    if (v == FParentFont)
        return;
    FParentFont = v;
    if (v && FParent) {
        FChangingFont = true;
        FFont->Assign(FParent->Font());
        FChangingFont = false;
    }
}

void TControl::SetColor(core::TColor v)
{
    if (v == FColor)
        return;
    FColor = v;
    FParentColor = false;
    ColorChanged();
}

void TControl::ColorChanged()
{
    Invalidate();
}

void TControl::SetParentColor(bool v)
{
    if (v == FParentColor)
        return;
    FParentColor = v;
    if (v && FParent) {
        FColor = FParent->Color();
        ColorChanged();
    }
}

void TControl::SetText(const std::u16string& v)
{
    if (v == FText)
        return;
    FText = v;
    TextChanged();
}

void TControl::SetBiDiMode(TBiDiMode v)
{
    if (v == FBiDiMode)
        return;
    FBiDiMode = v;
    Invalidate();
}

LRESULT TControl::Perform(UINT msg, WPARAM w, LPARAM l)
{
    TMessage m{msg, w, l, 0};
    WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE:
        HandleMouse(m);
        break;
    default:
        DefaultHandler(m);
    }
}

void TControl::HandleMouse(TMessage& m)
{
    const int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
    TShiftState shift = MouseKeysToShiftState(m.WParam);
    auto button = [&] {
        switch (m.Msg) {
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_RBUTTONDBLCLK: return TMouseButton::mbRight;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
        case WM_MBUTTONDBLCLK: return TMouseButton::mbMiddle;
        default: return TMouseButton::mbLeft;
        }
    }();
    switch (m.Msg) {
    case WM_MOUSEMOVE:
        MouseMove(shift, x, y);
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        const bool dbl = m.Msg == WM_LBUTTONDBLCLK || m.Msg == WM_RBUTTONDBLCLK || m.Msg == WM_MBUTTONDBLCLK;
        if (dbl)
            shift.Include(TShiftStateItem::ssDouble);
        if (button == TMouseButton::mbLeft) {
            FControlState.Include(TControlStateItem::csLButtonDown);
            if (!dbl)
                FControlState.Include(TControlStateItem::csClicked);
            if (auto* w = dynamic_cast<TWinControl*>(this); w && FControlStyle.Contains(TControlStyleItem::csCaptureMouse))
                SetCapture(w->Handle());
        }
        if (dbl && button == TMouseButton::mbLeft && FControlStyle.Contains(TControlStyleItem::csDoubleClicks))
            DblClick();
        MouseDown(button, shift, x, y);
        break;
    }
    default: { // button up
        if (button == TMouseButton::mbLeft) {
            const bool clicked = FControlState.Contains(TControlStateItem::csClicked);
            FControlState.Exclude(TControlStateItem::csLButtonDown).Exclude(TControlStateItem::csClicked);
            if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated() && GetCapture() == w->Handle())
                ReleaseCapture();
            if (clicked && ClientRect().Contains({x, y}))
                Click();
        }
        MouseUp(button, shift, x, y);
    }
    }
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::Invalidate()
{
    if (FParent && FVisible && FParent->HandleAllocated()) {
        const TRect r = BoundsRect();
        InvalidateRect(FParent->Handle(), &r, true);
    }
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::Update()
{
    if (FParent)
        FParent->Update();
}

TPoint TControl::ClientOrigin() const
{
    if (!FParent)
        return {FLeft, FTop};
    TPoint p = FParent->ClientOrigin();
    return {p.X + FLeft, p.Y + FTop};
}

TPoint TControl::ClientToScreen(TPoint p) const
{
    const TPoint o = ClientOrigin();
    return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint p) const
{
    const TPoint o = ClientOrigin();
    return {p.X - o.X, p.Y - o.Y};
}

TComponent* TControl::GetParentComponent() const
{
    return FParent;
}

void TControl::SetParentComponent(TComponent* value)
{
    if (auto* w = dynamic_cast<TWinControl*>(value))
        SetParent(w);
}

void TControl::Click() { OnClick(this); }
void TControl::DblClick() { OnDblClick(this); }
void TControl::MouseDown(TMouseButton b, TShiftState s, int x, int y) { OnMouseDown(this, b, s, x, y); }
void TControl::MouseUp(TMouseButton b, TShiftState s, int x, int y) { OnMouseUp(this, b, s, x, y); }
void TControl::MouseMove(TShiftState s, int x, int y) { OnMouseMove(this, s, x, y); }

void TControl::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
}

} // namespace controls
