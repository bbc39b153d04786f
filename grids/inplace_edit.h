#pragma once
// TInplaceEdit: the borderless single-line editor the grid places over its
// current cell. The window is the platform's edit control; this control
// decides which keys it keeps and which it hands back to the grid.
#include <cstdint>
#include <string>

#include "controls/control.h"
#include "grids/grid_types.h"

namespace grids {

class TCustomGrid;

class TInplaceEdit : public controls::TWinControl {
    DECLARE_CLASS(TInplaceEdit, controls::TWinControl)
public:
    explicit TInplaceEdit(components::TComponent* owner);
    ~TInplaceEdit() override;

    TCustomGrid* Grid() const { return FGrid; }
    void SetGrid(TCustomGrid* grid) { FGrid = grid; }

    // The edit control's text, length limit (0: none) and selection.
    std::u16string EditText();
    void SetEditText(const std::u16string& text);
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int value);
    void SelectAll();
    void Deselect();  // caret to the end of the text, nothing selected
    void GetSel(uint32_t& start, uint32_t& end);
    bool Loading() const { return FLoading; }

    // Placement: an empty rectangle hides the editor.
    void Move(const platform::TRect& r);
    void UpdateLoc(const platform::TRect& r);
    void Hide();
    bool EditorVisible();
    void SetFocus() override;
    void Invalidate() override;
    // Loads the grid's current cell (text and limit).
    virtual void UpdateContents();

    // Notes the time of a left press on the grid: a press in the editor
    // within the double-click time after it counts as a double click.
    void GridClicked(uint32_t messageTime) { FClickTime = messageTime; FClickArmed = true; }

    void WndProc(controls::TMessage& m) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void DefaultHandler(controls::TMessage& m) override;
    void KeyDown(uint16_t& key, controls::TShiftState shift) override;
    void KeyUp(uint16_t& key, controls::TShiftState shift) override;
    void KeyPress(char16_t& key) override;
    void BoundsChanged() override;
    virtual bool EditCanModify();

private:
    void InternalMove(const platform::TRect& r, bool redraw);

    TCustomGrid* FGrid = nullptr;
    int FMaxLength = 0;
    bool FLoading = false;
    uint32_t FClickTime = 0;
    bool FClickArmed = false;
};

} // namespace grids
