#include "controls/form.h"

#include <algorithm>

#include "core/exception.h"
#include "components/reader.h"
#include "platform/services.h"

namespace controls {

using namespace components;
using namespace platform;

TScreen* Screen = nullptr;

namespace {
const char* const kCannotFocus = "Cannot focus a disabled or invisible window";

// Runs a notification step of a focus change; answers false when a handler
// moved the focus elsewhere meanwhile (the newer change wins).
template <class F>
bool FocusStep(F&& step)
{
    const int before = Screen ? Screen->FocusCount() : 0;
    step();
    return !Screen || Screen->FocusCount() == before;
}
} // namespace

TFormHooks& FormHooks()
{
    static TFormHooks hooks;
    return hooks;
}

DEFINE_CLASS(TCustomForm)
END_CLASS

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 320, 240);
    SetColor(core::clBtnFace);
    SetParentFont(false);
    TControl::SetVisible(false);
    if (Screen) {
        FPixelsPerInch = Screen->PixelsPerInch();
        Screen->AddForm(this, true);
    }
}

TCustomForm::~TCustomForm()
{
    if (!InState(TComponentState::csDestroying))
        Destroying();
    try {
        OnDestroy(this);
    } catch (...) {
        HandleControlException(this);
    }
    // Owned components go first, most recently created first, while this
    // object is still a form (their notifications reach it as one).
    DestroyComponents();
    if (Screen)
        Screen->RemoveForm(this);
}

void TCustomForm::SetFormState(TFormStateItem item, bool on)
{
    if (on)
        FFormState.Include(item);
    else
        FFormState.Exclude(item);
}

void TCustomForm::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    p.Style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    p.ExStyle = WS_EX_APPWINDOW;
    p.WndParent = HWND();
}

void TCustomForm::CreateWnd()
{
    TWinControl::CreateWnd();
    ApplyClientSize();
}

void TCustomForm::ApplyClientSize()
{
    // The client size recorded while the form was read (or before its window
    // existed) wins over the default window size.
    if (HandleAllocated() && (FClientWidth > 0 || FClientHeight > 0))
        SetClientSize(FClientWidth > 0 ? FClientWidth : ClientWidth(),
                      FClientHeight > 0 ? FClientHeight : ClientHeight());
}

int TCustomForm::StoredClientWidth() const
{
    return HandleAllocated() ? ClientWidth() : FClientWidth;
}

int TCustomForm::StoredClientHeight() const
{
    return HandleAllocated() ? ClientHeight() : FClientHeight;
}

void TCustomForm::SetClientWidth(int v)
{
    if (InState(TComponentState::csLoading) || !HandleAllocated()) {
        FClientWidth = v;
        FScalingFlags.Include(TScalingFlag::sfWidth);
        ApplyClientSize();
        return;
    }
    FClientWidth = -1;
    SetClientSize(v, ClientHeight());
}

void TCustomForm::SetClientHeight(int v)
{
    if (InState(TComponentState::csLoading) || !HandleAllocated()) {
        FClientHeight = v;
        FScalingFlags.Include(TScalingFlag::sfHeight);
        ApplyClientSize();
        return;
    }
    FClientHeight = -1;
    SetClientSize(ClientWidth(), v);
}

void TCustomForm::Loaded()
{
    ScaleForCurrentDpi();
    FClientWidth = FClientHeight = -1;
    TWinControl::Loaded();
    if (TWinControl* active = FActiveControl) {
        FActiveControl = nullptr;
        if (active->CanFocus())
            SetActiveControl(active);
    }
}

void TCustomForm::BoundsChanged()
{
    TWinControl::BoundsChanged();
}

bool TCustomForm::IsShortCut(uint16_t, TShiftState)
{
    return false;
}

void TCustomForm::ControlRemoved(TWinControl* control)
{
    if (FActiveControl && control->ContainsControl(FActiveControl))
        FActiveControl = nullptr;
    if (FFocusedControl && control->ContainsControl(FFocusedControl))
        FFocusedControl = control->Parent();
    if (Screen && Screen->FActiveControl && control->ContainsControl(Screen->FActiveControl))
        Screen->FActiveControl = nullptr;
}

void TCustomForm::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == TOperation::opRemove) {
        if (component == FActiveControl)
            FActiveControl = nullptr;
        if (component == FFocusedControl)
            FFocusedControl = nullptr;
    }
}

void TCustomForm::SetActiveControl(TWinControl* control)
{
    if (control == FActiveControl)
        return;
    if (control) {
        const bool loading = InState(TComponentState::csLoading);
        if (control == this || GetParentForm(control) != this || (!loading && !control->CanFocus()))
            throw core::EInvalidOperation(std::string_view(kCannotFocus));
    }
    FActiveControl = control;
    if (!InState(TComponentState::csLoading) && FActive)
        SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* control)
{
    const bool wasActive = FActive;
    SetActiveControl(control);
    if (!wasActive)
        SetFocus();
}

void TCustomForm::SetFocus()
{
    if (FActive)
        return;
    if (!Visible() || !Enabled())
        throw core::EInvalidOperation(std::string_view(kCannotFocus));
    SetWindowFocus();
}

void TCustomForm::SetWindowFocus()
{
    TWinControl* target = FActiveControl ? FActiveControl : this;
    if (!target->HandleAllocated() && !HandleAllocated())
        return;
    const HWND h = target->Handle();
    platform::SetFocus(h);
    if (GetFocus() == h)
        target->Perform(CM_UIACTIVATE, 0, 0);
}

void TCustomForm::SelectFirst()
{
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    TWinControl* first = nullptr;
    for (TWinControl* c : list)
        if (c->CanFocus() && c->TabStop()) {
            first = c;
            break;
        }
    if (!first)
        for (TWinControl* c : list)
            if (c->CanFocus()) {
                first = c;
                break;
            }
    if (first)
        SetActiveControl(first);
}

void TCustomForm::SetActive(bool value)
{
    FActive = value;
    if (!value)
        return;
    if (!FActiveControl && !InState(TComponentState::csDesigning)) {
        std::vector<TWinControl*> list;
        GetTabOrderList(list);
        for (TWinControl* c : list)
            if (c->CanFocus() && c->TabStop()) {
                FActiveControl = c;
                break;
            }
    }
    SetWindowFocus();
}

bool TCustomForm::SetFocusedControl(TWinControl* control)
{
    if (Screen)
        ++Screen->FFocusCount;
    FActiveControl = control == this ? nullptr : control;
    if (Screen) {
        Screen->FActiveControl = control;
        Screen->FActiveCustomForm = this;
        auto& list = Screen->FCustomForms;
        if (auto it = std::find(list.begin(), list.end(), this); it != list.end())
            std::rotate(list.begin(), it, it + 1);
    }
    if (control->ControlState().Contains(TControlStateItem::csFocusing))
        return false;
    control->SetControlState(control->ControlState() + TControlState{TControlStateItem::csFocusing});
    struct ClearFocusing {
        TWinControl* C;
        ~ClearFocusing() { C->SetControlState(C->ControlState() - TControlState{TControlStateItem::csFocusing}); }
    } clear{control};

    if (Screen && Screen->FFocusedForm != this) {
        TCustomForm* previous = Screen->FFocusedForm;
        if (previous && !previous->InState(TComponentState::csDestroying))
            if (!FocusStep([&] { previous->Perform(CM_DEACTIVATE, 0, 0); }))
                return false;
        Screen->FFocusedForm = this;
        if (!FocusStep([&] { Perform(CM_ACTIVATE, 0, 0); }))
            return false;
    }
    if (!FFocusedControl)
        FFocusedControl = this;
    // Leave every control up the chain that does not contain the new one.
    while (FFocusedControl != this && !FFocusedControl->ContainsControl(control)) {
        TWinControl* left = FFocusedControl;
        FFocusedControl = left->Parent() ? left->Parent() : this;
        if (!FocusStep([&] { left->Perform(CM_EXIT, 0, 0); }))
            return false;
    }
    // Enter each control from there down to the new one, outermost first.
    while (FFocusedControl != control) {
        TWinControl* next = control;
        while (next->Parent() != FFocusedControl && next->Parent())
            next = next->Parent();
        FFocusedControl = next;
        if (!FocusStep([&] { next->Perform(CM_ENTER, 0, 0); }))
            return false;
        if (next->Parent() == nullptr)
            break;
    }
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
    return true;
}

void TCustomForm::CMDialogKey(TMessage& m)
{
    const auto key = static_cast<uint16_t>(m.WParam);
    if ((m.LParam & KF_ALTDOWN_LPARAM) == 0) {
        const bool ctrl = GetKeyState(VK_CONTROL) < 0;
        if (key == VK_TAB && !ctrl) {
            SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
            m.Result = 1;
            return;
        }
        if ((key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) && FActiveControl) {
            if (TWinControl* parent = FActiveControl->Parent())
                parent->SelectNext(FActiveControl, key == VK_RIGHT || key == VK_DOWN, false);
            m.Result = 1;
            return;
        }
    }
    TWinControl::WndProc(m); // broadcast to the controls
}

void TCustomForm::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_DIALOGKEY:
        CMDialogKey(m);
        return;
    case CM_ACTIVATE:
        Activate();
        return;
    case CM_DEACTIVATE:
        Deactivate();
        return;
    case CM_RELEASE:
        delete this;
        return;
    case WM_ACTIVATE:
        SetActive(LOWORD(m.WParam) != WA_INACTIVE);
        return;
    case WM_SETFOCUS:
        // The form's own window got the focus: pass it on to the active control.
        if (FActiveControl && FActiveControl != this && FActiveControl->HandleAllocated() && FActive) {
            platform::SetFocus(FActiveControl->Handle());
            return;
        }
        TWinControl::WndProc(m);
        return;
    case WM_CLOSE:
        Close();
        return;
    case WM_DPICHANGED:
        WMDpiChanged(m);
        return;
    default:
        TWinControl::WndProc(m);
    }
}

void TCustomForm::AfterConstruction()
{
    if (&ClassType() != &TForm::StaticClass() && !InState(TComponentState::csDesigning)) {
        SetFormState(TFormStateItem::fsCreating, true);
        bool found = false;
        try {
            found = InitInheritedComponent(this, TForm::StaticClass());
        } catch (...) {
            SetFormState(TFormStateItem::fsCreating, false);
            throw;
        }
        SetFormState(TFormStateItem::fsCreating, false);
        if (!found)
            core::Raise<core::EResNotFound>("Resource {} not found", core::ToUtf8(ClassName()));
        if (FOldCreateOrder)
            DoCreate();
    }
    if (!FOldCreateOrder)
        DoCreate();
}

void TCustomForm::DoCreate()
{
    try {
        OnCreate(this);
    } catch (...) {
        HandleControlException(this); // reported; construction goes on
    }
    if (FFormState.Contains(TFormStateItem::fsVisible))
        SetVisible(true);
}

void TCustomForm::Activate() { OnActivate(this); }
void TCustomForm::Deactivate() { OnDeactivate(this); }
void TCustomForm::DoShow() { OnShow(this); }
void TCustomForm::DoHide() { OnHide(this); }
void TCustomForm::DoClose(TCloseAction& action) { OnClose(this, action); }

void TCustomForm::SetVisible(bool v)
{
    if (FFormState.Contains(TFormStateItem::fsCreating)) {
        SetFormState(TFormStateItem::fsVisible, v);
        return;
    }
    if (v == Visible())
        return;
    if (FFormState.Contains(TFormStateItem::fsShowing))
        core::Raise<core::EInvalidOperation>("Cannot change Visible in OnShow or OnHide");
    SetFormState(TFormStateItem::fsShowing, true);
    struct Done {
        TCustomForm* F;
        ~Done() { F->SetFormState(TFormStateItem::fsShowing, false); }
    } done{this};
    if (v) {
        try {
            DoShow();
        } catch (...) {
            HandleControlException(this);
        }
        TControl::SetVisible(true);
        HandleNeeded();
        ShowWindow(Handle(), SW_SHOW);
        SetActiveWindow(Handle());
    } else {
        try {
            DoHide();
        } catch (...) {
            HandleControlException(this);
        }
        TControl::SetVisible(false);
        if (HandleAllocated())
            ShowWindow(Handle(), SW_HIDE);
    }
}

void TCustomForm::Show()
{
    SetVisible(true);
    if (HandleAllocated())
        BringWindowToTop(Handle());
}

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close()
{
    if (!CloseQuery())
        return;
    const bool isMain = FormHooks().IsMainForm && FormHooks().IsMainForm(this);
    TCloseAction action = isMain ? TCloseAction::caHide : TCloseAction::caHide;
    DoClose(action);
    if (action == TCloseAction::caNone)
        return;
    if (isMain) {
        if (FormHooks().MainFormClosed)
            FormHooks().MainFormClosed(this);
        return;
    }
    switch (action) {
    case TCloseAction::caHide: Hide(); break;
    case TCloseAction::caMinimize:
        if (HandleAllocated())
            ShowWindow(Handle(), SW_MINIMIZE);
        break;
    case TCloseAction::caFree: Release(); break;
    default: break;
    }
}

void TCustomForm::Release()
{
    // A second Release, or one for a form whose window is gone, is harmless:
    // messages for a destroyed window are dropped.
    if (FReleased)
        return;
    FReleased = true;
    PostMessage(Handle(), CM_RELEASE, 0, 0);
}

void TCustomForm::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root)
{
    TWinControl::GetChildren(proc, root);
    if (root == this)
        for (int i = 0; i < ComponentCount(); ++i) {
            TComponent* c = Components(i);
            if (!c->HasParent())
                proc(c);
        }
}

// ---- TScreen ------------------------------------------------------------------

DEFINE_CLASS(TScreen)
END_CLASS

TScreen::TScreen(TComponent* owner) : TComponent(owner) {}

TScreen::~TScreen()
{
    if (Screen == this)
        Screen = nullptr;
}

void TScreen::AddForm(TCustomForm* form, bool isTForm)
{
    FCustomForms.push_back(form);
    if (isTForm)
        FForms.push_back(form);
}

void TScreen::RemoveForm(TCustomForm* form)
{
    std::erase(FCustomForms, form);
    std::erase(FForms, form);
    if (FActiveCustomForm == form)
        FActiveCustomForm = nullptr;
    if (FFocusedForm == form)
        FFocusedForm = nullptr;
    if (FActiveControl && GetParentForm(FActiveControl) == form)
        FActiveControl = nullptr;
}

int TScreen::PixelsPerInch() const
{
    return GetScreenDpi();
}

} // namespace controls
