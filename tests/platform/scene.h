#pragma once
// A scene drawn with most drawing operations, used to compare renderings.
#include "platform/dc.h"
#include "platform/syscolors.h"

namespace platform::test {

inline void DrawScene(DeviceContext& dc, int width, int height)
{
    dc.FillRect(Bounds(0, 0, width, height), Brush::Solid(GetSysColor(COLOR_BTNFACE)));
    TRect cell = Bounds(8, 24, 120, 20);
    dc.DrawEdge(cell, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
    dc.SelectFont(Font(FontAttrs{u"Segoe UI", -12}));
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(COLOR_BTNTEXT));
    dc.TextOut(cell.Left + 2, cell.Top + 2, u"codigo");
    dc.SelectPen(Pen{PS_SOLID, 1, 0xC0C0C0});
    for (int x = 8; x < width - 8; x += 40) {
        dc.MoveTo(x, 50);
        dc.LineTo(x, height - 8);
    }
    dc.SetBkMode(OPAQUE);
    dc.SetBkColor(GetSysColor(COLOR_HIGHLIGHT));
    dc.SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
    const TRect sel = Bounds(8, 60, 150, 18);
    dc.ExtTextOut(11, 62, ETO_OPAQUE | ETO_CLIPPED, &sel, u"Nome do cliente \u00e7\u00e3o");
    dc.SelectBrush(Brush::Solid(0x00FFFF));
    dc.SelectPen(Pen{PS_SOLID, 2, 0x0000FF});
    dc.Rectangle(180, 60, 240, 100);
    dc.Ellipse(250, 60, 290, 100);
    dc.GradientFillV(Bounds(300, 60, 40, 40), 0xFFFFFF, 0x808080);
    dc.DrawFocusRect(Bounds(8, 110, 100, 20));
    TRect box = Bounds(120, 110, 140, 40);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(0);
    dc.DrawText(u"&Centred text that wraps over lines", box, DT_CENTER | DT_WORDBREAK);
    dc.DrawFrameControl(Bounds(270, 110, 17, 17), DFC_SCROLL, DFCS_SCROLLDOWN);
}

} // namespace platform::test
