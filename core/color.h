#pragma once
// TColor: 0x00BBGGRR for an RGB colour, 0xFF000000 + index for a system colour
// (resolved by the platform when drawing), and the two markers clNone and
// clDefault. Colours and character sets have identifier tables used by the
// form description format ("clBtnFace", "DEFAULT_CHARSET").
#include <cstdint>
#include <optional>
#include <string_view>

namespace core {

using TColor = int32_t;

constexpr TColor SysColor(int index) { return static_cast<TColor>(0xFF000000u | static_cast<uint32_t>(index)); }
constexpr bool IsSysColor(TColor c) { return (static_cast<uint32_t>(c) & 0xFF000000u) == 0xFF000000u; }
constexpr int SysColorIndex(TColor c) { return static_cast<int>(static_cast<uint32_t>(c) & 0xFFu); }
constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b) { return r | (g << 8) | (b << 16); }

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                 clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6, clCream = 0xF0FBFF, clMedGray = 0xA4A0A0,
                 clDefault = 0x20000000, clNone = 0x1FFFFFFF;

constexpr TColor clScrollBar = SysColor(0), clBackground = SysColor(1), clActiveCaption = SysColor(2),
                 clInactiveCaption = SysColor(3), clMenu = SysColor(4), clWindow = SysColor(5),
                 clWindowFrame = SysColor(6), clMenuText = SysColor(7), clWindowText = SysColor(8),
                 clCaptionText = SysColor(9), clActiveBorder = SysColor(10), clInactiveBorder = SysColor(11),
                 clAppWorkSpace = SysColor(12), clHighlight = SysColor(13), clHighlightText = SysColor(14),
                 clBtnFace = SysColor(15), clBtnShadow = SysColor(16), clGrayText = SysColor(17),
                 clBtnText = SysColor(18), clInactiveCaptionText = SysColor(19), clBtnHighlight = SysColor(20),
                 cl3DDkShadow = SysColor(21), cl3DLight = SysColor(22), clInfoText = SysColor(23),
                 clInfoBk = SysColor(24), clHotLight = SysColor(26), clGradientActiveCaption = SysColor(27),
                 clGradientInactiveCaption = SysColor(28), clMenuHighlight = SysColor(29),
                 clMenuBar = SysColor(30);

// Identifier tables (names match without regard to case).
std::optional<std::string_view> ColorToIdent(TColor c);
std::optional<TColor> IdentToColor(std::string_view ident);

constexpr int ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, MAC_CHARSET = 77, SHIFTJIS_CHARSET = 128,
              HANGEUL_CHARSET = 129, JOHAB_CHARSET = 130, GB2312_CHARSET = 134, CHINESEBIG5_CHARSET = 136,
              GREEK_CHARSET = 161, TURKISH_CHARSET = 162, HEBREW_CHARSET = 177, ARABIC_CHARSET = 178,
              BALTIC_CHARSET = 186, RUSSIAN_CHARSET = 204, THAI_CHARSET = 222, EASTEUROPE_CHARSET = 238,
              OEM_CHARSET = 255;
std::optional<std::string_view> CharsetToIdent(int charset);
std::optional<int> IdentToCharset(std::string_view ident);

} // namespace core
