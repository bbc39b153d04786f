#include "pickers/picker_drawer.h"

#include <algorithm>
#include <vector>

#include "platform/syscolors.h"

namespace pickers {

using platform::ColorToRGB;
using platform::DeviceContext;

namespace {

platform::TRect Inset(platform::TRect r, int d) { return {r.Left + d, r.Top + d, r.Right - d, r.Bottom - d}; }

} // namespace

void TPickerDrawer::DrawCentredText(DeviceContext& dc, const std::u16string& text, platform::TRect r,
                                    const platform::Font& font, core::TColor color)
{
    if (text.empty() || r.IsEmpty())
        return;
    dc.SelectFont(font);
    dc.SetBkMode(platform::TRANSPARENT);
    dc.SetTextColor(ColorToRGB(color));
    dc.DrawText(text, r, platform::DT_CENTER | platform::DT_VCENTER | platform::DT_SINGLELINE |
                             platform::DT_NOPREFIX);
}

void TPickerDrawer::DrawCell(DeviceContext& dc, const TPickerCellDrawInfo& info)
{
    const platform::TRect text = Inset(info.FBounds, info.FBorderSize);
    if (info.FSelected) {
        DrawCentredText(dc, info.FText, text, info.FFont, GetSelectionFontColor());
        return;
    }
    dc.FillSolidRect(info.FBounds, ColorToRGB(info.FHighlighted ? info.FHighlightColor : info.FColor));
    DrawCentredText(dc, info.FText, text, info.FFont, info.FFontColor);
}

void TPickerDrawer::DrawPickerBorder(DeviceContext& dc, const platform::TRect& r, core::TColor color, int size)
{
    const auto brush = platform::Brush::Solid(ColorToRGB(color));
    platform::TRect f = r;
    for (int i = 0; i < size && !f.IsEmpty(); ++i) {
        dc.FrameRect(f, brush);
        f = Inset(f, 1);
    }
}

core::TColor TPickerDrawer::GetButtonColor(const TPickerButton& button) const
{
    switch (button.FState) {
    case TPickerButtonState::pbsPressed: return core::clBtnShadow;
    case TPickerButtonState::pbsHot: return core::clInactiveBorder;
    default: return core::clBtnFace;
    }
}

void TPickerDrawer::DrawPickerButton(DeviceContext& dc, const TPickerButtonDrawInfo& info)
{
    if (!info.FButton)
        return;
    const platform::TRect r = ToPlatform(info.FButton->FBoundsRect);
    if (r.IsEmpty())
        return;
    dc.FillSolidRect(r, ColorToRGB(info.FColor));
    if (info.FBorderWidth > 0)
        DrawPickerBorder(dc, r, GetBorderColor(), info.FBorderWidth);

    // The glyph inside the largest square centred in the button.
    const int s = std::min(r.Width(), r.Height());
    const int left = r.Left + (r.Width() - s) / 2;
    const int top = r.Top + (r.Height() - s) / 2;
    const int k = s / 2;
    const int top2 = top + (s - k) / 2;
    std::vector<std::vector<platform::TPoint>> lines;
    switch (info.FButton->FButtonType) {
    case TPickerButtonType::pbtUp:
        lines.push_back({{left, top2 + k}, {left + k, top2}, {left + 2 * k, top2 + k}});
        break;
    case TPickerButtonType::pbtDown:
        lines.push_back({{left, top2}, {left + k, top2 + k}, {left + 2 * k, top2}});
        break;
    case TPickerButtonType::pbtOk:
        lines.push_back(
            {{left + 2 * (k / 3), top2 + 2 * (k / 3)}, {left + k, top2 + k}, {left + 2 * k, top2}});
        break;
    case TPickerButtonType::pbtCancel: {
        const int d = s / 4;
        lines.push_back({{left + d, top + d}, {left + s - d, top + s - d}});
        lines.push_back({{left + s - d, top + d}, {left + d, top + s - d}});
        break;
    }
    case TPickerButtonType::pbtNone: break;
    }
    if (lines.empty())
        return;
    const platform::Pen old = dc.SelectPen(platform::Pen{platform::PS_SOLID, std::max(1, info.FPenWidth),
                                                         ColorToRGB(info.FForegroundColor)});
    dc.PolyPolyline(lines);
    dc.SelectPen(old);
}

void TPickerDrawer::DrawOkCancel(DeviceContext& dc, const TPickerOkCancelButtons& buttons, int frameWidth,
                                 int penWidth)
{
    const platform::TRect r = ToPlatform(buttons.FBounds);
    if (r.IsEmpty())
        return;
    dc.FillSolidRect(r, ColorToRGB(GetPopupColor()));
    DrawPickerBorder(dc, r, GetBorderColor(), std::max(1, frameWidth));
    for (const TPickerButton* b : {&buttons.FOkButton, &buttons.FCancelButton}) {
        TPickerButtonDrawInfo info;
        info.FButton = b;
        info.FColor = GetButtonColor(*b);
        info.FForegroundColor = GetButtonFontColor();
        info.FPenWidth = penWidth;
        DrawPickerButton(dc, info);
    }
}

void TPickerDrawer::DrawPickerCell(DeviceContext& dc, const TPickerCellDrawInfo& info)
{
    dc.FillSolidRect(info.FBounds, ColorToRGB(info.FColor));
    if (info.FBorderSize > 0)
        DrawPickerBorder(dc, info.FBounds, info.FBorderColor, info.FBorderSize);
    DrawCentredText(dc, info.FText, Inset(info.FBounds, info.FBorderSize), info.FFont, info.FFontColor);
}

} // namespace pickers
