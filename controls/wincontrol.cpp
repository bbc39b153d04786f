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

namespace {
void RegisterControlClass(const std::u16string& name, uint32_t style, WndProc proc)
{
    if (GetClassInfo(name))
        return;
    WndClass cls;
    cls.Name = name;
    cls.Style = style;
    cls.Proc = std::move(proc);
    RegisterClass(cls);
}
} // namespace

// ---- TWinControl ------------------------------------------------------------------

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl()
{
    // Leave the parent while this is still a windowed control, so the parent's
    // tab list and the form's focus bookkeeping forget it.
    if (Parent())
        Parent()->RemoveControl(this);
    // Child controls go with their parent.
    while (!FControls.empty()) {
        TControl* c = FControls.back();
        RemoveControl(c);
        delete c;
    }
    DestroyHandle();
}

void TWinControl::InsertControl(TControl* control)
{
    FControls.push_back(control);
    control->FParent = this;
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        const int wanted = w->FTabOrderWanted;
        FTabList.push_back(w);
        if (wanted >= 0)
            w->SetTabOrder(wanted);
        if (HandleAllocated())
            w->HandleNeeded();
    }
    if (control->FParentFont) {
        control->FChangingFont = true;
        control->FFont->Assign(Font());
        control->FChangingFont = false;
    }
    if (control->FParentColor)
        control->FColor = Color();
    control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control)
{
    control->Invalidate();
    std::erase(FControls, control);
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        w->FTabOrderWanted = -1;
        std::erase(FTabList, w);
        if (auto* form = GetParentForm(this))
            form->ControlRemoved(w);
        w->DestroyHandle();
    }
    control->FParent = nullptr;
}

bool TWinControl::ContainsControl(const TControl* control) const
{
    for (const TControl* c = control; c; c = c->Parent())
        if (c == this)
            return true;
    return false;
}

int TWinControl::TabOrder() const
{
    if (!Parent())
        return FTabOrderWanted;
    const auto& list = Parent()->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int v)
{
    if (!Parent()) {
        FTabOrderWanted = v;
        return;
    }
    auto& list = Parent()->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end())
        return;
    list.erase(it);
    const int count = static_cast<int>(list.size());
    const int pos = v < 0 || v > count ? count : v;
    list.insert(list.begin() + pos, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const
{
    for (TWinControl* c : FTabList) {
        list.push_back(c);
        c->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* cur, bool goForward, bool checkTabStop, bool checkParent) const
{
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty())
        return nullptr;
    const int n = static_cast<int>(list.size());
    int start;
    auto it = std::find(list.begin(), list.end(), cur);
    if (it == list.end())
        start = goForward ? n - 1 : 0;
    else
        start = static_cast<int>(it - list.begin());
    int i = start;
    for (int step = 0; step < n; ++step) {
        i = goForward ? (i + 1) % n : (i + n - 1) % n;
        TWinControl* c = list[static_cast<size_t>(i)];
        if (c->CanFocus() && (!checkTabStop || c->TabStop()) && (!checkParent || c->Parent() == this))
            return c;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* cur, bool goForward, bool checkTabStop)
{
    // With nowhere to go the key still counts as handled by the caller.
    if (TWinControl* next = FindNextControl(cur, goForward, checkTabStop, !checkTabStop))
        next->SetFocus();
}

bool TWinControl::CanFocus() const
{
    TCustomForm* form = GetParentForm(this);
    if (!form)
        return false;
    for (const TControl* c = this; c; c = c->Parent()) {
        if (!c->Visible() || !c->Enabled())
            return false;
        if (c == form)
            return true;
    }
    return false;
}

bool TWinControl::Focused() const
{
    return HandleAllocated() && GetFocus() == FHandle;
}

void TWinControl::SetFocus()
{
    if (TCustomForm* form = GetParentForm(this))
        form->FocusControl(this);
    else if (Parent())
        platform::SetFocus(Handle());
}

HWND TWinControl::Handle()
{
    if (!FHandle)
        CreateHandle();
    return FHandle;
}

void TWinControl::CreateHandle()
{
    if (FHandle)
        return;
    CreateWnd();
    for (TControl* c : std::vector<TControl*>(FControls))
        if (auto* w = dynamic_cast<TWinControl*>(c))
            w->HandleNeeded();
}

void TWinControl::CreateParams(TCreateParams& p)
{
    p.Caption = Text();
    p.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (Visible())
        p.Style |= WS_VISIBLE;
    if (!Enabled())
        p.Style |= WS_DISABLED;
    if (TabStop())
        p.Style |= WS_TABSTOP;
    p.X = FLeft;
    p.Y = FTop;
    p.Width = FWidth;
    p.Height = FHeight;
    if (Parent())
        p.WndParent = Parent()->Handle();
    p.WinClassName = ClassName();
    p.WindowClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
}

void TWinControl::CreateWnd()
{
    TCreateParams p;
    CreateParams(p);
    if ((p.Style & WS_CHILD) && !p.WndParent)
        core::Raise<core::EInvalidOperation>("Control '{}' has no parent window", core::ToUtf8(Name()));
    RegisterControlClass(p.WinClassName, p.WindowClassStyle, &TWinControl::ControlWndProc);
    const HWND h = CreateWindowEx(p.ExStyle, p.WinClassName, p.Caption, p.Style, p.X, p.Y, p.Width, p.Height,
                                  p.WndParent, 0, this);
    if (!h) {
        if (FHandle)
            HandleMap().erase(FHandle.Id());
        FHandle = HWND();
        core::Raise<core::EInvalidOperation>("Error creating window");
    }
    FHandle = h;
    HandleMap()[h.Id()] = this;
}

void TWinControl::DestroyWnd()
{
    const HWND h = FHandle;
    HandleMap().erase(h.Id());
    FHandle = HWND();
    platform::DestroyWindow(h);
}

void TWinControl::DestroyHandle()
{
    if (!FHandle || FDestroyingHandle)
        return;
    FDestroyingHandle = true;
    for (TControl* c : std::vector<TControl*>(FControls))
        if (auto* w = dynamic_cast<TWinControl*>(c))
            w->DestroyHandle();
    DestroyWnd();
    FDestroyingHandle = false;
}

void TWinControl::RecreateWnd()
{
    if (!FHandle)
        return;
    DestroyHandle();
    HandleNeeded();
}

void TWinControl::UpdateShowing()
{
    if (FHandle)
        ShowWindow(FHandle, Visible() ? SW_SHOW : SW_HIDE);
}

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    TControl::SetBounds(left, top, width, height);
    if (FHandle)
        MoveWindow(FHandle, FLeft, FTop, FWidth, FHeight, true);
}

TRect TWinControl::ClientRect() const
{
    if (FHandle)
        return GetClientRect(FHandle);
    return {0, 0, FWidth, FHeight};
}

TPoint TWinControl::ClientOrigin() const
{
    if (FHandle)
        return platform::ClientToScreen(FHandle, {0, 0});
    return TControl::ClientOrigin();
}

void TWinControl::Invalidate()
{
    if (FHandle)
        InvalidateRect(FHandle, nullptr, true);
}

void TWinControl::Update()
{
    if (FHandle)
        UpdateWindow(FHandle);
}

void TWinControl::FontChanged()
{
    TControl::FontChanged();
    for (TControl* c : FControls)
        if (c->FParentFont) {
            c->FChangingFont = true;
            c->FFont->Assign(Font());
            c->FChangingFont = false;
        }
}

void TWinControl::ColorChanged()
{
    TControl::ColorChanged();
    for (TControl* c : FControls)
        if (c->FParentColor) {
            c->FColor = Color();
            c->ColorChanged();
        }
}

void TWinControl::TextChanged()
{
    if (FHandle)
        SetWindowText(FHandle, Text());
}

void TWinControl::EnabledChanged()
{
    if (FHandle)
        EnableWindow(FHandle, Enabled());
    TControl::EnabledChanged();
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root)
{
    for (TControl* c : FControls)
        if (c->Owner() == root)
            proc(c);
}

void TWinControl::SetChildOrder(TComponent* child, int order)
{
    auto* c = dynamic_cast<TControl*>(child);
    auto it = std::find(FControls.begin(), FControls.end(), c);
    if (it == FControls.end())
        return;
    FControls.erase(it);
    order = std::clamp(order, 0, static_cast<int>(FControls.size()));
    FControls.insert(FControls.begin() + order, c);
}

void TWinControl::PaintWindow(DeviceContext& dc)
{
    dc.FillSolidRect(ClientRect(), ColorToRGB(Color()));
}

void TWinControl::WMPaint(TMessage&)
{
    PAINTSTRUCT ps;
    BeginPaint(FHandle, ps);
    // BeginPaint validated the update region: a painter that throws is
    // reported once, not on every following paint message.
    try {
        if (ps.Context)
            PaintWindow(*ps.Context);
    } catch (...) {
        EndPaint(FHandle, ps);
        throw;
    }
    EndPaint(FHandle, ps);
}

void TWinControl::WMSetFocus(TMessage& m)
{
    if (TCustomForm* form = GetParentForm(this))
        if (!form->SetFocusedControl(this))
            return;
    DefaultHandler(m);
}

void TWinControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_PAINT:
        WMPaint(m);
        return;
    case WM_ERASEBKGND:
        m.Result = 1;
        return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
        CNKeyDown(m);
        return;
    case CN_CHAR:
        CNChar(m);
        return;
    case CN_KEYUP:
    case CN_BASE + WM_SYSKEYUP:
    case CN_SYSCHAR:
        m.Result = 0;
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (!DoKeyDown(m))
            DefaultHandler(m);
        UpdateUIState(static_cast<uint16_t>(m.WParam));
        return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (!DoKeyUp(m))
            DefaultHandler(m);
        return;
    case WM_CHAR:
        if (!DoKeyPress(m))
            DefaultHandler(m);
        return;
    case WM_SETFOCUS:
        WMSetFocus(m);
        return;
    case WM_KILLFOCUS:
        if (FControlState.Contains(TControlStateItem::csFocusing))
            return;
        DefaultHandler(m);
        return;
    case CM_ENTER:
        DoEnter();
        return;
    case CM_EXIT:
        DoExit();
        return;
    case CM_CHILDKEY:
        if (Parent())
            m.Result = Parent()->Perform(CM_CHILDKEY, m.WParam, m.LParam);
        return;
    case CM_WANTSPECIALKEY:
        m.Result = 0;
        return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
        for (TControl* c : std::vector<TControl*>(FControls)) {
            m.Result = c->Perform(m.Msg, m.WParam, m.LParam);
            if (m.Result != 0)
                return;
        }
        return;
    case WM_SIZE:
    case WM_MOVE:
        if (FHandle) {
            const TRect r = MapWindowRect(HWND(), Parent() && Parent()->HandleAllocated() ? Parent()->Handle() : HWND(),
                                          GetWindowRect(FHandle));
            TControl::SetBounds(r.Left, r.Top, r.Width(), r.Height());
        }
        DefaultHandler(m);
        return;
    default:
        TControl::WndProc(m);
    }
}

void TWinControl::DefaultHandler(TMessage& m)
{
    if (FHandle)
        m.Result = DefWindowProc(FHandle, m.Msg, m.WParam, m.LParam);
}


// Every control window's procedure: finds the control (attaching it while the
// window is being created) and guards its WndProc: an exception is reported
// and never crosses into the platform.
LRESULT TWinControl::ControlWndProc(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    TWinControl* c = FindControl(h);
    if (!c && msg == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCT*>(l);
        c = static_cast<TWinControl*>(cs->CreateParams);
        if (c) {
            HandleMap()[h.Id()] = c;
            c->FHandle = h;
        }
    }
    if (!c)
        return DefWindowProc(h, msg, w, l);
    TMessage m{msg, w, l, 0};
    try {
        c->WndProc(m);
    } catch (...) {
        HandleControlException(c);
    }
    return m.Result;
}

} // namespace controls
