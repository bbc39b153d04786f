#pragma once
// The drawing and colour policy of the pickers: the closed control's cells,
// the pop-up's value cells, its up/down and OK/Cancel buttons with their
// glyphs. The drawer reads the colours of the picker it is bound to.
#include <string>

#include "core/closure.h"
#include "core/color.h"
#include "pickers/picker_column.h"
#include "pickers/popup_model.h"
#include "platform/dc.h"
#include "platform/font.h"
#include "platform/types.h"

namespace components {
class TObject;
}

namespace pickers {

// The colours a picker is painted with (its published colour properties).
struct TPickerColors {
    core::TColor Color = core::clWindow;
    core::TColor FontColor = core::clWindowText;
    core::TColor BorderColor = core::clBtnShadow;
    core::TColor HighlightColor = core::clBtnFace;
    core::TColor HotColor = core::clBtnHighlight;
    core::TColor PopupColor = core::clWindow;
    core::TColor SelectionColor = core::clHighlight;
    core::TColor SelectionFontColor = core::clHighlightText;
};

// One cell to draw; the drawing events may change it first.
struct TPickerCellDrawInfo {
    platform::TRect FBounds;
    std::u16string FText;
    platform::Font FFont;
    core::TColor FFontColor = core::clWindowText;
    core::TColor FColor = core::clWindow;
    core::TColor FBorderColor = core::clBtnShadow;
    int FBorderSize = 1;
    core::TColor FHighlightColor = core::clBtnFace;
    bool FHighlighted = false;
    bool FSelected = false;
};

// One button to draw.
struct TPickerButtonDrawInfo {
    const TPickerButton* FButton = nullptr;
    int FBorderWidth = 0;
    core::TColor FColor = core::clBtnFace;
    core::TColor FForegroundColor = core::clBtnText;
    int FPenWidth = 1;
};

using TDrawPickerCellEvent = core::Closure<void(components::TObject* sender, TPickerCellDrawInfo& info)>;

// Pixel rectangles of the model in the platform's type.
inline platform::TRect ToPlatform(const TRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }

class TPickerDrawer {
public:
    explicit TPickerDrawer(const TPickerColors* colors) : FColors(colors) {}
    virtual ~TPickerDrawer() = default;
    TPickerDrawer(const TPickerDrawer&) = delete;
    TPickerDrawer& operator=(const TPickerDrawer&) = delete;

    // A pop-up value cell: selected cells draw only their text (over the
    // band), the others fill their background first.
    virtual void DrawCell(platform::DeviceContext& dc, const TPickerCellDrawInfo& info);
    // The OK/Cancel row: background, frame and both buttons.
    virtual void DrawOkCancel(platform::DeviceContext& dc, const TPickerOkCancelButtons& buttons, int frameWidth,
                              int penWidth);
    // A frame of `size` pixels inside `r`.
    virtual void DrawPickerBorder(platform::DeviceContext& dc, const platform::TRect& r, core::TColor color,
                                  int size);
    virtual void DrawPickerButton(platform::DeviceContext& dc, const TPickerButtonDrawInfo& info);
    // A cell of the closed control: filled, framed, its text centred.
    virtual void DrawPickerCell(platform::DeviceContext& dc, const TPickerCellDrawInfo& info);

    virtual core::TColor GetBorderColor() const { return FColors->BorderColor; }
    virtual core::TColor GetButtonColor(const TPickerButton& button) const;
    virtual core::TColor GetButtonFontColor() const { return core::clBtnText; }
    virtual core::TColor GetColor() const { return FColors->Color; }
    virtual core::TColor GetFontColor() const { return FColors->FontColor; }
    virtual core::TColor GetHighlightColor() const { return FColors->HighlightColor; }
    virtual core::TColor GetPopupColor() const { return FColors->PopupColor; }
    virtual core::TColor GetSelectionColor() const { return FColors->SelectionColor; }
    virtual core::TColor GetSelectionFontColor() const { return FColors->SelectionFontColor; }

protected:
    static void DrawCentredText(platform::DeviceContext& dc, const std::u16string& text, platform::TRect r,
                                const platform::Font& font, core::TColor color);

    const TPickerColors* FColors;
};

// The drawer used with the platform's own look.
class TPickerDrawerNative final : public TPickerDrawer {
public:
    using TPickerDrawer::TPickerDrawer;
};

} // namespace pickers
