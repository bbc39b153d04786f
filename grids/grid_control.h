#pragma once
// TCustomGrid: the generic grid as a windowed control. The geometry,
// navigation, key table and mouse interaction live in TGridModel; this class
// feeds it window messages and carries out its view requests on the
// platform window (invalidation, pixel scrolling, scroll bars, timer, the
// sizing line and drop marker) and runs the in-place editor.
#include <cstdint>
#include <memory>
#include <string>

#include "controls/control.h"
#include "grids/grid_model.h"

namespace grids {

class TInplaceEdit;

enum class TGridBorderStyle { bsNone, bsSingle };

// Client rectangle conversions between the model's and the platform's types.
inline platform::TRect ToPlatform(const TRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }
inline TRect FromPlatform(const platform::TRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }

class TCustomGrid : public controls::TWinControl, public TGridModel {
    DECLARE_CLASS(TCustomGrid, controls::TWinControl)
public:
    explicit TCustomGrid(components::TComponent* owner);
    ~TCustomGrid() override;

    // Both bases know a client size: the control's is the truth, the model follows it.
    int ClientWidth() const { return controls::TWinControl::ClientWidth(); }
    int ClientHeight() const { return controls::TWinControl::ClientHeight(); }
    void SetClientSize(int width, int height) override { controls::TWinControl::SetClientSize(width, height); }
    using TGridModel::InvalidateRect;

    core::TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(core::TColor c);
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool v);
    TGridBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TGridBorderStyle s);
    void SetGridScrollBars(TScrollStyle s);
    TGridDrawingStyle DrawingStyle() const { return FDrawingStyle; }
    void SetDrawingStyle(TGridDrawingStyle s) { FDrawingStyle = s; InvalidateGrid(); }

    TInplaceEdit* InplaceEditor() const { return FInplaceEdit.get(); }
    // Whether the grid is the active control: its form's active control, or
    // (without a form) the focused window is the grid or inside it.
    bool IsActiveControl() const;
    // The canvas of the painting pass in progress (nullptr outside painting).
    platform::DeviceContext* Canvas() const { return FCanvas; }
    // Forgets the editor's cell and refreshes it.
    void InvalidateEditor();

    // Editor protocol: the model decides when, the control carries it out.
    virtual bool CanEditShow() const;
    void UpdateText();

    void ChangeScale(int m, int d, bool isDpiChange) override;
    void WndProc(controls::TMessage& m) override;

protected:
    friend class TInplaceEdit;

    // Cell painting and the operations a descendant fills in.
    virtual void DrawCell(int32_t col, int32_t row, const platform::TRect& rect, TGridDrawState state) = 0;
    virtual void DrawCellBackground(const platform::TRect& rect, core::TColor color, TGridDrawState state, int32_t col,
                                    int32_t row);
    virtual void DrawCellHighlight(const platform::TRect& rect, TGridDrawState state, int32_t col, int32_t row);
    virtual void Paint();
    virtual std::unique_ptr<TInplaceEdit> CreateEditor();
    virtual bool CanEditAcceptKey(char16_t) { return true; }
    virtual bool CanEditModify() { return FCanEditModify; }
    virtual int GetEditLimit() { return 0; }
    virtual std::u16string GetEditMask(int32_t, int32_t) { return {}; }
    virtual std::u16string GetEditText(int32_t, int32_t) { return {}; }
    virtual void SetEditText(int32_t, int32_t, const std::u16string&) {}
    virtual TEditStyle GetEditStyle(int32_t, int32_t) { return esSimple; }
    // A descendant that runs the vertical scroll bar itself (the data grid
    // maps it to records) answers true; the generic bar handling leaves it alone.
    virtual bool OwnsVertScrollBar() const { return false; }

    // Control framework input.
    void KeyDown(uint16_t& key, controls::TShiftState shift) override;
    void KeyPress(char16_t& key) override;
    void MouseDown(controls::TMouseButton button, controls::TShiftState shift, int x, int y) override;
    void MouseMove(controls::TShiftState shift, int x, int y) override;
    void MouseUp(controls::TMouseButton button, controls::TShiftState shift, int x, int y) override;
    virtual bool DoMouseWheelDown(controls::TShiftState shift, platform::TPoint pos);
    virtual bool DoMouseWheelUp(controls::TShiftState shift, platform::TPoint pos);
    void DoExit() override;
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void PaintWindow(platform::DeviceContext& dc) override;
    void FontChanged() override;
    void ColorChanged() override;

    // Model view requests, carried out on the window.
    void InvalidatePixels(const TRect& r) override;
    void InvalidateWindow() override;
    void ScrollPixels(const TRect& band, int dx, int dy) override;
    void FlushPainting() override;
    void ScrollBarsChanged() override;
    void HideEdit() override;
    void UpdateEdit() override;
    bool EditorShowing() const override;
    void ShowEditorChar(char16_t ch) override;
    void DeselectEditor() override;
    void Click() override;
    void DblClick() override;
    void DrawSizingLine() override;
    void DrawMovement() override;
    void StartTimer() override;
    void StopTimer() override;

private:
    void SyncClientSize();
    void ApplyScrollBar(int bar, int range, int pos);
    void LoadEditor();
    void PaintLines(platform::DeviceContext& dc, const TGridDrawInfo& info);
    platform::TPoint CursorInClient() const;

    core::TColor FFixedColor = core::clBtnFace;
    bool FDefaultDrawing = true;
    bool FCanEditModify = true;
    TGridBorderStyle FBorderStyle = TGridBorderStyle::bsSingle;
    TGridDrawingStyle FDrawingStyle = gdsClassic;
    std::unique_ptr<TInplaceEdit> FInplaceEdit;
    platform::DeviceContext* FCanvas = nullptr;
    bool FSettingBars = false;
    int FWheelAccumulator = 0;
};

} // namespace grids
