#pragma once
// System colours: one fixed palette (the classic light desktop scheme), the
// same on every backend, so painted pixels do not depend on the desktop.
#include "core/color.h"
#include "platform/types.h"

namespace platform {

constexpr int COLOR_SCROLLBAR = 0, COLOR_BACKGROUND = 1, COLOR_WINDOW = 5, COLOR_WINDOWFRAME = 6,
              COLOR_WINDOWTEXT = 8, COLOR_HIGHLIGHT = 13, COLOR_HIGHLIGHTTEXT = 14, COLOR_BTNFACE = 15,
              COLOR_BTNSHADOW = 16, COLOR_GRAYTEXT = 17, COLOR_BTNTEXT = 18, COLOR_BTNHIGHLIGHT = 20,
              COLOR_3DDKSHADOW = 21, COLOR_3DLIGHT = 22, COLOR_INFOTEXT = 23, COLOR_INFOBK = 24,
              COLOR_MAX = 30;

// 0x00BBGGRR of a system colour index (0..30); black for an unknown index.
COLORREF GetSysColor(int index);
// Any TColor to 0x00BBGGRR: system colours through the palette, clNone to
// black and clDefault to the window colour.
COLORREF ColorToRGB(core::TColor c);
constexpr int GetRValue(COLORREF c) { return static_cast<int>(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); }

} // namespace platform
