#pragma once
// TCustomForm: a top-level windowed control that keeps the focus bookkeeping
// of the controls on it (active control, focused control chain, dialog keys,
// key preview), its life cycle (show, close, release) and its scaling data.
// TScreen lists the forms and knows which control and form are active.
#include <functional>
#include <string>
#include <vector>

#include "controls/control.h"

namespace controls {

enum class TFormStateItem { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = components::TSet<TFormStateItem>;
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
                       poDesktopCenter, poMainFormCenter, poOwnerFormCenter };

using TCloseEvent = core::Closure<void(components::TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = core::Closure<void(components::TObject* sender, bool& canClose)>;

class TCustomForm : public TWinControl {
    DECLARE_CLASS(TCustomForm, TWinControl)
public:
    explicit TCustomForm(components::TComponent* owner);
    ~TCustomForm() override;

    const std::u16string& Caption() const { return Text(); }
    void SetCaption(const std::u16string& v) { SetText(v); }
    TFormState FormState() const { return FFormState; }
    void SetFormState(TFormStateItem item, bool on);

    // Focus.
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* control);
    TWinControl* FocusedControl() const { return FFocusedControl; }
    void FocusControl(TWinControl* control);
    bool SetFocusedControl(TWinControl* control);
    void SetFocus() override;
    void SetWindowFocus();
    bool Active() const { return FActive; }
    void SetActive(bool value);
    void SelectFirst();
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool v) { FKeyPreview = v; }
    // Menus and actions do not exist in this framework: no key is a short-cut.
    virtual bool IsShortCut(uint16_t key, TShiftState shift);
    // A windowed control left the form: forget it as active or focused control.
    void ControlRemoved(TWinControl* control);

    // Life cycle. AfterConstruction completes a form made by CreateForm: it
    // reads the form's stored description (every class between TForm and
    // the form's own class) and runs OnCreate.
    virtual void AfterConstruction();
    void Show();
    void Close();
    virtual bool CloseQuery();
    // Frees the form once the messages already queued for it are processed.
    void Release();
    void SetVisible(bool v) override;

    // Client size: stored in form descriptions instead of Width/Height.
    int StoredClientWidth() const;
    int StoredClientHeight() const;
    void SetClientWidth(int v);
    void SetClientHeight(int v);
    bool OldCreateOrder() const { return FOldCreateOrder; }
    void SetOldCreateOrder(bool v) { FOldCreateOrder = v; }
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int v) { FPixelsPerInch = v; }
    int TextHeight() const { return FTextHeight; }
    void SetTextHeight(int v) { FTextHeight = v; }
    bool Scaled() const { return FScaled; }
    void SetScaled(bool v) { FScaled = v; }
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition v) { FPosition = v; }

    void WndProc(TMessage& message) override;
    void GetChildren(const std::function<void(components::TComponent*)>& proc, components::TComponent* root) override;

    TNotifyEvent OnCreate, OnDestroy, OnShow, OnHide, OnActivate, OnDeactivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Notification(components::TComponent* component, components::TOperation operation) override;
    bool IsSizeStored() const override { return false; }
    void BoundsChanged() override;
    virtual void DoCreate();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);
    virtual void Activate();
    virtual void Deactivate();
    void CMDialogKey(TMessage& m);
    void WMDpiChanged(TMessage& m);

public:
    // Scaling to the monitor's density after loading and on density changes.
    void ScaleForCurrentDpi();
    void ScaleForPPIRect(int newPPI, const platform::TRect* suggested);
    void Loaded() override;

private:
    void ApplyClientSize();
    void ApplyRecordedClientSize();

    TFormState FFormState;
    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;
    bool FActive = false;
    bool FKeyPreview = false;
    bool FOldCreateOrder = false;
    int FPixelsPerInch = 96;
    int FTextHeight = 13;
    bool FScaled = true;
    TPosition FPosition = TPosition::poDefaultPosOnly;
    int FClientWidth = -1, FClientHeight = -1; // wanted until the window exists
    bool FReleased = false;
};

// TForm publishes what a form description stores of a form.
class TForm : public TCustomForm {
    DECLARE_CLASS(TForm, TCustomForm)
public:
    explicit TForm(components::TComponent* owner) : TCustomForm(owner) {}

protected:
    void DefineProperties(components::TFiler& filer) override;

private:
    bool IsActiveControlStored() const { return ActiveControl() != nullptr; }
    int ClientWidthValue() const { return StoredClientWidth(); }
    int ClientHeightValue() const { return StoredClientHeight(); }
};

// What the application object provides to forms.
struct TFormHooks {
    // The main form closed with an action other than caNone: end the program.
    std::function<void(TCustomForm*)> MainFormClosed;
    std::function<bool(const TCustomForm*)> IsMainForm;
};
TFormHooks& FormHooks();

class TScreen : public components::TComponent {
    DECLARE_CLASS(TScreen, components::TComponent)
public:
    explicit TScreen(components::TComponent* owner);
    ~TScreen() override;

    int CustomFormCount() const { return static_cast<int>(FCustomForms.size()); }
    TCustomForm* CustomForms(int i) const { return FCustomForms.at(static_cast<size_t>(i)); }
    const std::vector<TCustomForm*>& CustomFormList() const { return FCustomForms; }
    int FormCount() const { return static_cast<int>(FForms.size()); }
    TCustomForm* Forms(int i) const { return FForms.at(static_cast<size_t>(i)); }
    void AddForm(TCustomForm* form, bool isTForm);
    void RemoveForm(TCustomForm* form);

    TWinControl* ActiveControl() const { return FActiveControl; }
    TCustomForm* ActiveCustomForm() const { return FActiveCustomForm; }
    TCustomForm* FocusedForm() const { return FFocusedForm; }
    int FocusCount() const { return FFocusCount; }
    int PixelsPerInch() const;

private:
    friend class TCustomForm;
    std::vector<TCustomForm*> FCustomForms, FForms;
    TWinControl* FActiveControl = nullptr;
    TCustomForm* FActiveCustomForm = nullptr;
    TCustomForm* FFocusedForm = nullptr;
    int FFocusCount = 0;
};

// The process-wide screen object (created and freed by the application layer).
extern TScreen* Screen;

} // namespace controls

DECLARE_ENUM_NAMES(controls::TPosition, u"poDesigned", u"poDefault", u"poDefaultPosOnly", u"poDefaultSizeOnly",
                   u"poScreenCenter", u"poDesktopCenter", u"poMainFormCenter", u"poOwnerFormCenter");
