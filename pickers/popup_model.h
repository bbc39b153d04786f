#pragma once
// The drop-down of a picker without its window: geometry of the value
// columns, the selection band and the OK/Cancel row, hover state, the slide
// animation and the mouse, wheel and key input that changes column values.
// The pop-up window drives it and paints what it describes.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/closure.h"
#include "pickers/geometry.h"
#include "pickers/picker_animation.h"
#include "pickers/picker_column.h"

namespace pickers {

class TBasePickerModel;

// The picker's settings handed to the pop-up.
struct TPickerViewInfo {
    int BorderSize = 1;
    int DropDownCount = 7;
    int ItemHeight = 32;   // the picker's client height
    bool ShowOkCancel = true;
    int ButtonHeight = 16; // column up/down buttons, scaled to the monitor
};

struct TPickerOkCancelButtons {
    TRect FBounds;
    TPickerButton FOkButton{TPickerButtonType::pbtOk, TPickerButtonState::pbsNone, {}};
    TPickerButton FCancelButton{TPickerButtonType::pbtCancel, TPickerButtonState::pbsNone, {}};
};

// One value cell of a pop-up column as it is to be painted.
struct TPickerCell {
    TRect Bounds;
    int Value = 0;
    std::u16string Text;
    bool Highlighted = false;
};

// Where a point falls in a column: the value there and its distance from
// the band in rows (0 on the band).
struct TPickerCellHit {
    int Value = 0;
    int Rows = 0;
};

// Keys the picker and its pop-up act on.
enum class TPickerKey { pkLeft, pkRight, pkUp, pkDown, pkEnter, pkSpace, pkEscape, pkBack, pkOther };

class TPickerPopupModel {
public:
    TPickerPopupModel();
    ~TPickerPopupModel();
    TPickerPopupModel(const TPickerPopupModel&) = delete;
    TPickerPopupModel& operator=(const TPickerPopupModel&) = delete;

    // Takes the settings and the columns (not owned) and lays them out.
    void Init(TBasePickerModel* parentOwner, std::vector<TPickerColumn*> columns, const TPickerViewInfo& viewInfo);
    // Forgets the columns (they are about to be freed).
    void ReleaseColumns();
    void Calculate();

    // Geometry.
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    const TRect& SelectRect() const { return FSelectRect; }
    const TPickerOkCancelButtons& OkCancelButtons() const { return FOkCancelButtons; }
    const std::vector<TPickerColumn*>& Columns() const { return FColumns; }
    int ItemHeight() const { return FItemHeight; }
    int DropDownCount() const { return FDropDownCount; }
    int BorderSize() const { return FBorderSize; }
    bool ShowOkCancel() const { return FShowOkCancel; }

    // The cells of column `index` from top to bottom, shifted by the
    // column's draw offset while it slides.
    std::vector<TPickerCell> GetColumnCells(int index) const;
    int GetColumnByMousePos(TPoint p) const;
    std::optional<TPickerCellHit> GetCellValueByMousePos(TPoint p) const;

    // Hover state.
    int MouseOver() const { return FMouseOver; }
    std::optional<int> MouseOverValue() const { return FMouseOverValue; }
    TPoint MouseOverPoint() const { return FMouseOverPoint; }
    void SetMouseOver(int index);

    // Input. The pop-up's client coordinates throughout.
    void UpdateHoverItems(TPoint p);
    void MouseLeave();
    void MouseDown(TPoint p);
    void MouseUp(TPoint p);
    // Wheel down steps forward. Returns whether the wheel was used.
    bool MouseWheel(TPoint p, bool wheelDown, bool ctrl, int scrollLines);
    // Left/Right move the keyboard-selected column, Up/Down step its value.
    // Returns whether the key was one of these.
    bool KeyDown(TPickerKey key);

    // Animation.
    void AnimateColumnValueChanged(TPickerColumn* column, int newValue, int steps);
    void AnimationFinished();
    bool IsAnimating() const { return FAnimation && FAnimation->IsStarted(); }
    const TPickerSlideAnimation* Animation() const { return FAnimation.get(); }
    // The window's timer: advances a running slide to the current time.
    void Tick();
    // Completes a running slide at once (its value applied).
    void FinishAnimation();
    // Abandons a running slide (its value not applied).
    void StopAnimation();

    void InvalidateColumn(TPickerColumn* column);

    // Milliseconds of a monotonic clock; replaceable for a virtual clock.
    std::function<uint64_t()> TickCount;

    // Repaint requests: a column (its index) or the whole pop-up (-1).
    core::Closure<void(int column)> OnInvalidate;
    // Slide started or ended: the window starts or stops its 10 ms timer.
    core::Closure<void(bool running)> OnAnimationStateChanged;

private:
    uint64_t Now() const;
    int IndexOf(const TPickerColumn* column) const;
    void Invalidate(int column) { OnInvalidate(column); }
    void StepColumn(int index, int delta);

    TBasePickerModel* FParentOwner = nullptr;
    std::vector<TPickerColumn*> FColumns;
    int FItemHeight = 32;
    int FDropDownCount = 7;
    int FBorderSize = 2;
    int FButtonHeight = 16;
    bool FShowOkCancel = true;
    int FWidth = 200;
    int FHeight = 300;
    TRect FSelectRect;
    int FMouseOver = -1;
    std::optional<int> FMouseOverValue;
    TPoint FMouseOverPoint;
    bool FMouseInside = false;
    TPoint FMousePos;
    TPickerOkCancelButtons FOkCancelButtons;
    std::unique_ptr<TPickerSlideAnimation> FAnimation;
};

} // namespace pickers
