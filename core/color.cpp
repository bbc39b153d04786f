#include "core/color.h"

#include <strings.h>

namespace core {

namespace {
struct Entry {
    int Value;
    std::string_view Name;
};

#define C(n) Entry{n, #n}
constexpr Entry kColors[] = {
    C(clBlack), C(clMaroon), C(clGreen), C(clOlive), C(clNavy), C(clPurple), C(clTeal), C(clGray),
    C(clSilver), C(clRed), C(clLime), C(clYellow), C(clBlue), C(clFuchsia), C(clAqua), C(clWhite),
    C(clMoneyGreen), C(clSkyBlue), C(clCream), C(clMedGray),
    C(clActiveBorder), C(clActiveCaption), C(clAppWorkSpace), C(clBackground), C(clBtnFace),
    C(clBtnHighlight), C(clBtnShadow), C(clBtnText), C(clCaptionText), C(clDefault),
    C(clGradientActiveCaption), C(clGradientInactiveCaption), C(clGrayText), C(clHighlight),
    C(clHighlightText), C(clHotLight), C(clInactiveBorder), C(clInactiveCaption), C(clInactiveCaptionText),
    C(clInfoBk), C(clInfoText), C(clMenu), C(clMenuBar), C(clMenuHighlight), C(clMenuText), C(clNone),
    C(clScrollBar), C(cl3DDkShadow), C(cl3DLight), C(clWindow), C(clWindowFrame), C(clWindowText),
};
constexpr Entry kCharsets[] = {
    C(ANSI_CHARSET), C(DEFAULT_CHARSET), C(SYMBOL_CHARSET), C(MAC_CHARSET), C(SHIFTJIS_CHARSET),
    C(HANGEUL_CHARSET), C(JOHAB_CHARSET), C(GB2312_CHARSET), C(CHINESEBIG5_CHARSET), C(GREEK_CHARSET),
    C(TURKISH_CHARSET), C(HEBREW_CHARSET), C(ARABIC_CHARSET), C(BALTIC_CHARSET), C(RUSSIAN_CHARSET),
    C(THAI_CHARSET), C(EASTEUROPE_CHARSET), C(OEM_CHARSET),
};
#undef C

template <size_t N>
std::optional<std::string_view> ToIdent(const Entry (&table)[N], int v)
{
    for (const auto& e : table)
        if (e.Value == v)
            return e.Name;
    return std::nullopt;
}

template <size_t N>
std::optional<int> FromIdent(const Entry (&table)[N], std::string_view s)
{
    for (const auto& e : table)
        if (e.Name.size() == s.size() && strncasecmp(e.Name.data(), s.data(), s.size()) == 0)
            return e.Value;
    return std::nullopt;
}
} // namespace

static_assert(sizeof(kColors) / sizeof(kColors[0]) == 52, "the colour table has 52 names");

std::optional<std::string_view> ColorToIdent(TColor c) { return ToIdent(kColors, c); }
std::optional<TColor> IdentToColor(std::string_view ident) { return FromIdent(kColors, ident); }
std::optional<std::string_view> CharsetToIdent(int charset) { return ToIdent(kCharsets, charset); }
std::optional<int> IdentToCharset(std::string_view ident) { return FromIdent(kCharsets, ident); }

} // namespace core
