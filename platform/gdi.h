#pragma once
// Drawing objects and constants: pens, brushes, raster operations, text
// alignment and the flags of DrawText, DrawEdge and DrawFrameControl.
#include <array>
#include <cstdint>
#include <memory>

#include "platform/types.h"

namespace platform {

class Bitmap;

constexpr int PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5,
              PS_INSIDEFRAME = 6;
constexpr int PS_ENDCAP_FLAT = 0x200, PS_JOIN_MITER = 0x2000, PS_GEOMETRIC = 0x10000;

struct Pen {
    int Style = PS_SOLID; // PS_* (may carry the geometric, end cap and join flags)
    int Width = 1;
    COLORREF Color = 0;
    friend bool operator==(const Pen&, const Pen&) = default;
};

constexpr int BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2, BS_PATTERN = 3;
constexpr int HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3, HS_CROSS = 4,
              HS_DIAGCROSS = 5;

struct Brush {
    int Style = BS_SOLID;
    COLORREF Color = 0xFFFFFF;
    int Hatch = 0;
    // BS_PATTERN: an 8 x 8 monochrome pattern (bit 7 of each byte is the left
    // pixel); set bits take the text colour, clear bits the background colour,
    // unless `Image` is set, which then tiles instead.
    std::array<uint8_t, 8> Pattern{};
    std::shared_ptr<const Bitmap> Image;

    static Brush Solid(COLORREF c) { return Brush{BS_SOLID, c}; }
    static Brush Null() { return Brush{BS_NULL, 0}; }
    static Brush Hatched(int hatch, COLORREF c) { return Brush{BS_HATCHED, c, hatch}; }
    static Brush FromPattern(std::array<uint8_t, 8> bits)
    {
        Brush b{BS_PATTERN, 0};
        b.Pattern = bits;
        return b;
    }
};

// Raster operations of pens (SetROP2).
constexpr int R2_BLACK = 1, R2_NOT = 6, R2_XORPEN = 7, R2_NOTXORPEN = 10, R2_NOP = 11, R2_COPYPEN = 13,
              R2_WHITE = 16;
// Pattern and copy operations (PatBlt, BitBlt).
constexpr uint32_t SRCCOPY = 0x00CC0020, PATCOPY = 0x00F00021, PATINVERT = 0x005A0049, DSTINVERT = 0x00550009,
                   BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062;
constexpr int TRANSPARENT = 1, OPAQUE = 2;
constexpr uint32_t TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24,
                   TA_RTLREADING = 256;
constexpr uint32_t ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4, ETO_RTLREADING = 0x80;
constexpr uint32_t DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4,
                   DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40,
                   DT_NOCLIP = 0x100, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800, DT_EDITCONTROL = 0x2000,
                   DT_END_ELLIPSIS = 0x8000, DT_RTLREADING = 0x20000;
constexpr uint32_t BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4, BDR_SUNKENINNER = 0x8,
                   EDGE_RAISED = 0x5, EDGE_SUNKEN = 0xA, EDGE_ETCHED = 0x6, EDGE_BUMP = 0x9;
constexpr uint32_t BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8, BF_TOPLEFT = 0x3,
                   BF_BOTTOMRIGHT = 0xC, BF_RECT = 0xF, BF_MIDDLE = 0x800, BF_SOFT = 0x1000, BF_ADJUST = 0x2000,
                   BF_FLAT = 0x4000, BF_MONO = 0x8000;
constexpr uint32_t DFC_SCROLL = 3, DFC_BUTTON = 4;
constexpr uint32_t DFCS_SCROLLUP = 0x0, DFCS_SCROLLDOWN = 0x1, DFCS_SCROLLLEFT = 0x2, DFCS_SCROLLRIGHT = 0x3,
                   DFCS_SCROLLCOMBOBOX = 0x5, DFCS_BUTTONPUSH = 0x10, DFCS_INACTIVE = 0x100,
                   DFCS_PUSHED = 0x200, DFCS_FLAT = 0x4000;
constexpr uint32_t LAYOUT_RTL = 0x1, LAYOUT_BITMAPORIENTATIONPRESERVED = 0x8;

} // namespace platform
