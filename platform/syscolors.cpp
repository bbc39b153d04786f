#include "platform/syscolors.h"

#include <array>

namespace platform {

namespace {
constexpr COLORREF FromRgb(uint32_t rgb) { return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF); }

// Indexes 0..30, written as 0xRRGGBB for readability.
constexpr std::array<COLORREF, 31> Palette = {
    FromRgb(0xC8C8C8), // 0 scroll bar
    FromRgb(0x000000), // 1 background (desktop)
    FromRgb(0x99B4D1), // 2 active caption
    FromRgb(0xBFCDDB), // 3 inactive caption
    FromRgb(0xF0F0F0), // 4 menu
    FromRgb(0xFFFFFF), // 5 window
    FromRgb(0x646464), // 6 window frame
    FromRgb(0x000000), // 7 menu text
    FromRgb(0x000000), // 8 window text
    FromRgb(0x000000), // 9 caption text
    FromRgb(0xB4B4B4), // 10 active border
    FromRgb(0xF4F7FC), // 11 inactive border
    FromRgb(0xABABAB), // 12 application workspace
    FromRgb(0x0078D7), // 13 highlight
    FromRgb(0xFFFFFF), // 14 highlight text
    FromRgb(0xF0F0F0), // 15 button face
    FromRgb(0xA0A0A0), // 16 button shadow
    FromRgb(0x6D6D6D), // 17 gray text
    FromRgb(0x000000), // 18 button text
    FromRgb(0x000000), // 19 inactive caption text
    FromRgb(0xFFFFFF), // 20 button highlight
    FromRgb(0x696969), // 21 3-D dark shadow
    FromRgb(0xE3E3E3), // 22 3-D light
    FromRgb(0x000000), // 23 info text
    FromRgb(0xFFFFE1), // 24 info background
    FromRgb(0xB5B5B5), // 25 (unused)
    FromRgb(0x0066CC), // 26 hot light
    FromRgb(0xB9D1EA), // 27 gradient active caption
    FromRgb(0xD7E4F2), // 28 gradient inactive caption
    FromRgb(0x3399FF), // 29 menu highlight
    FromRgb(0xF0F0F0), // 30 menu bar
};
} // namespace

COLORREF GetSysColor(int index)
{
    if (index < 0 || index > COLOR_MAX)
        return 0;
    return Palette[static_cast<size_t>(index)];
}

COLORREF ColorToRGB(core::TColor c)
{
    if (c == core::clNone)
        return 0;
    if (c == core::clDefault)
        return GetSysColor(COLOR_WINDOW);
    if (core::IsSysColor(c))
        return GetSysColor(core::SysColorIndex(c));
    return static_cast<COLORREF>(c) & 0xFFFFFFu;
}

} // namespace platform
