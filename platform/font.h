#pragma once
// Fonts through pango: a font is described by face, height in pixels, weight
// and style; equal descriptions share one cached font. Every face maps to one
// of the DejaVu families (sans, serif, mono) so text looks the same on every
// machine and backend.
#include <memory>
#include <string>
#include <string_view>

#include "platform/types.h"

typedef struct _PangoLayout PangoLayout;
typedef struct _PangoFontDescription PangoFontDescription;

namespace platform {

constexpr int FW_NORMAL = 400, FW_BOLD = 700;

struct FontAttrs {
    std::u16string Face = u"Tahoma";
    // Pixels. Negative: character height (the em size); positive: cell height
    // including internal leading; 0: the default of -11.
    int Height = -11;
    int Weight = FW_NORMAL;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int Charset = 1;
    friend bool operator==(const FontAttrs&, const FontAttrs&) = default;
};

struct TextMetric {
    int tmHeight = 0, tmAscent = 0, tmDescent = 0, tmInternalLeading = 0, tmExternalLeading = 0;
    int tmAveCharWidth = 0, tmMaxCharWidth = 0, tmWeight = 0, tmOverhang = 0;
    bool tmItalic = false, tmUnderlined = false, tmStruckOut = false;
    int tmCharSet = 1;
};

class FontData;

// A text laid out in a font, with its measures: logical width and ink box
// in pixels relative to the layout's top-left corner, baseline in pango
// units from the top.
struct ShapedText {
    PangoLayout* Layout = nullptr;
    int Width = 0;
    TRect Ink;
    int Baseline = 0;
};

// A cached font; copies share it. The default-constructed font is the
// default description.
class Font {
public:
    Font();
    explicit Font(const FontAttrs& attrs);

    const FontAttrs& Attrs() const;
    const TextMetric& Metrics() const;
    // Width of the text in pixels and the line height (tmHeight), as
    // GetTextExtentPoint32 measures them.
    TSize TextExtent(std::u16string_view text) const;
    int TextWidth(std::u16string_view text) const { return TextExtent(text).cx; }
    // Caret offsets: the x position before each character of the text,
    // size()+1 entries (the last is the full width).
    std::vector<int> CharPositions(std::u16string_view text) const;

    // Internal: the text shaped in this font; valid until the next call.
    const ShapedText& Shape(std::u16string_view text) const;
    PangoLayout* BaseLayout() const;
    PangoFontDescription* Description() const;
    friend bool operator==(const Font& a, const Font& b) { return a.FData == b.FData; }

private:
    std::shared_ptr<FontData> FData;
};

// The family a face name maps to ("DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono").
std::string MapFaceName(std::u16string_view face);
// Number of fonts alive in the cache (for leak checks).
size_t CachedFontCount();
// Drops the shared pango context and the font cache (platform shutdown).
void ShutdownFonts();

} // namespace platform
