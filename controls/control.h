#pragma once
// TControl and TWinControl: components with bounds, visibility, enabled state,
// font and colour, a parent, and (for windowed controls) a platform window
// whose messages reach the control's WndProc.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/closure.h"
#include "core/color.h"
#include "components/component.h"
#include "controls/font.h"
#include "controls/types.h"
#include "platform/dc.h"
#include "platform/window.h"

namespace controls {

class TWinControl;
class TCustomForm;

using TNotifyEvent = core::Closure<void(components::TObject* sender)>;
using TKeyEvent = core::Closure<void(components::TObject* sender, uint16_t& key, TShiftState shift)>;
using TKeyPressEvent = core::Closure<void(components::TObject* sender, char16_t& key)>;
using TMouseEvent =
    core::Closure<void(components::TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = core::Closure<void(components::TObject* sender, TShiftState shift, int x, int y)>;

class TControl : public components::TComponent {
    DECLARE_CLASS(TControl, components::TComponent)
public:
    explicit TControl(components::TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* parent);

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int v);
    void SetTop(int v);
    void SetWidth(int v);
    void SetHeight(int v);
    virtual void SetBounds(int left, int top, int width, int height);
    platform::TRect BoundsRect() const { return platform::Bounds(FLeft, FTop, FWidth, FHeight); }
    virtual platform::TRect ClientRect() const { return {0, 0, FWidth, FHeight}; }
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    virtual void SetClientSize(int width, int height);

    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool v);
    // Visible, with every parent up to a top-level window visible.
    bool Showing() const;

    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* f) { FFont->Assign(f); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool v);
    core::TColor Color() const { return FColor; }
    void SetColor(core::TColor v);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool v);
    const std::u16string& Text() const { return FText; }
    void SetText(const std::u16string& v);
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode v);
    bool UseRightToLeftAlignment() const { return FBiDiMode == TBiDiMode::bdRightToLeft; }

    TControlState ControlState() const { return FControlState; }
    void SetControlState(TControlState s) { FControlState = s; }
    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle s) { FControlStyle = s; }

    // Sends a message straight to WndProc; answers its result.
    LRESULT Perform(UINT msg, WPARAM w = 0, LPARAM l = 0);
    virtual void WndProc(TMessage& message);
    virtual void DefaultHandler(TMessage& message);

    virtual void Invalidate();
    void Repaint();
    virtual void Update();
    platform::TPoint ClientToScreen(platform::TPoint p) const;
    platform::TPoint ScreenToClient(platform::TPoint p) const;
    // Origin of the client area in screen coordinates.
    virtual platform::TPoint ClientOrigin() const;

    // Pixel density: the density the control's geometry is laid out for, the
    // product of every ratio applied, and which bounds were stored while
    // loading (only those scale during loading).
    int CurrentPPI() const { return FCurrentPPI; }
    double ScaleFactor() const { return FScaleFactor; }
    TScalingFlags ScalingFlags() const { return FScalingFlags; }
    void SetScalingFlags(TScalingFlags f) { FScalingFlags = f; }
    // A control pixel constant scaled by ScaleFactor.
    int ScaleValue(int v) const;
    // Rescales position, size and font by m/d.
    virtual void ChangeScale(int m, int d, bool isDpiChange);
    // Scales the control (and, for windowed controls, its children) to a density.
    virtual void ScaleForPPI(int newPPI);

    components::TComponent* GetParentComponent() const override;
    void SetParentComponent(components::TComponent* value) override;
    bool HasParent() const override { return true; }

    TNotifyEvent OnClick, OnDblClick;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

protected:
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void FontChanged();
    virtual void ColorChanged();
    virtual void TextChanged() {}
    virtual void VisibleChanging() {}
    virtual void EnabledChanged();
    virtual void BoundsChanged() {}
    void Notification(components::TComponent* component, components::TOperation operation) override;
    // Stored-flags for descendants that publish Color, Font, Width and Height.
    bool IsColorStored() const;
    bool IsFontStored() const;
    virtual bool IsSizeStored() const;
    // Changes the font height as scaling does: ParentFont and the recorded
    // scaling flags stay as they are.
    void ScaleFontHeight(int m, int d);

    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    int FCurrentPPI = 96;
    double FScaleFactor = 1.0;
    TScalingFlags FScalingFlags;
    bool FIScaling = false;
    TControlState FControlState;
    TControlStyle FControlStyle;

private:
    void FontChangedHandler(components::TObject*);
    void HandleMouse(TMessage& m);

    TWinControl* FParent = nullptr;
    bool FVisible = true;
    bool FEnabled = true;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    core::TColor FColor = core::clWindow;
    bool FParentColor = false;
    std::u16string FText;
    TBiDiMode FBiDiMode = TBiDiMode::bdLeftToRight;
    bool FChangingFont = false;
    int FFontHeight = -11;

    friend class TWinControl;
};

class TWinControl : public TControl {
    DECLARE_CLASS(TWinControl, TControl)
public:
    explicit TWinControl(components::TComponent* owner);
    ~TWinControl() override;

    // The platform window, created on first use.
    platform::HWND Handle();
    bool HandleAllocated() const { return static_cast<bool>(FHandle); }
    void HandleNeeded() { Handle(); }
    void DestroyHandle();
    void RecreateWnd();

    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int index) const { return FControls.at(static_cast<size_t>(index)); }
    bool ContainsControl(const TControl* control) const;

    int TabOrder() const;
    void SetTabOrder(int v);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool v) { FTabStop = v; }
    // Windowed children in tab order, each followed by its own list (depth first).
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    TWinControl* FindNextControl(TWinControl* cur, bool goForward, bool checkTabStop, bool checkParent) const;
    void SelectNext(TWinControl* cur, bool goForward, bool checkTabStop);

    virtual bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();

    void SetBounds(int left, int top, int width, int height) override;
    platform::TRect ClientRect() const override;
    platform::TPoint ClientOrigin() const override;
    void Invalidate() override;
    void Update() override;
    void WndProc(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;
    void ChangeScale(int m, int d, bool isDpiChange) override;
    void ScaleForPPI(int newPPI) override;
    // Density of the monitor the control's window is on (the screen's when unknown).
    int GetCurrentPPIScreen();

    // Key handling with the form's key preview; answer true when the key was
    // consumed (a handler set it to 0).
    bool DoKeyDown(TMessage& m);
    bool DoKeyUp(TMessage& m);
    bool DoKeyPress(TMessage& m);

    TNotifyEvent OnEnter, OnExit;
    TKeyEvent OnKeyDown, OnKeyUp;
    TKeyPressEvent OnKeyPress;

protected:
    struct TCreateParams {
        std::u16string Caption;
        uint32_t Style = 0, ExStyle = 0;
        int X = 0, Y = 0, Width = 0, Height = 0;
        platform::HWND WndParent;
        std::u16string WinClassName;
        uint32_t WindowClassStyle = 0;
    };
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    virtual void CreateHandle();
    virtual void DestroyWnd();
    // Paints the client area; the base fills it with Color.
    virtual void PaintWindow(platform::DeviceContext& dc);
    virtual void KeyDown(uint16_t& key, TShiftState shift);
    virtual void KeyUp(uint16_t& key, TShiftState shift);
    virtual void KeyPress(char16_t& key);
    void UpdateUIState(uint16_t key);
    virtual void DoEnter();
    virtual void DoExit();

    void FontChanged() override;
    void ColorChanged() override;
    void TextChanged() override;
    void EnabledChanged() override;
    void GetChildren(const std::function<void(components::TComponent*)>& proc, components::TComponent* root) override;
    void SetChildOrder(components::TComponent* child, int order) override;

private:
    friend class TControl;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    void CNKeyDown(TMessage& m);
    void CNChar(TMessage& m);
    void WMSetFocus(TMessage& m);
    void WMPaint(TMessage& m);
    void UpdateShowing();
    static LRESULT ControlWndProc(platform::HWND h, UINT msg, WPARAM w, LPARAM l);

    platform::HWND FHandle;
    int FTabOrderWanted = -1;
protected:
    std::vector<TControl*> FControls;
private:
    std::vector<TWinControl*> FTabList;
    bool FTabStop = false;
    bool FDestroyingHandle = false;
};

// The form a control lies on (the top-level one when topLevel), or nullptr.
TCustomForm* GetParentForm(const TControl* control, bool topLevel = true);
// The control whose window is h, or nullptr.
TWinControl* FindControl(platform::HWND h);

// Where exceptions raised inside window procedures go (the application sets it).
using TControlExceptionHandler = std::function<void(components::TObject* sender)>;
void SetControlExceptionHandler(TControlExceptionHandler handler);
// Reports the exception currently being handled through the handler (or drops it).
void HandleControlException(components::TObject* sender);

} // namespace controls
