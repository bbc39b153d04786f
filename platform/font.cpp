#include "platform/font.h"

#include <cmath>
#include <list>
#include <map>
#include <tuple>
#include <unordered_map>
#include <vector>

#include <pango/pangocairo.h>

#include "core/ustring.h"

namespace platform {

namespace {

struct PangoState {
    PangoFontMap* Map = nullptr;
    PangoContext* Context = nullptr;
    PangoState()
    {
        Map = pango_cairo_font_map_new();
        pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(Map), 96.0);
        Context = pango_font_map_create_context(Map);
        cairo_font_options_t* opts = cairo_font_options_create();
        cairo_font_options_set_antialias(opts, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(opts, CAIRO_HINT_STYLE_SLIGHT);
        cairo_font_options_set_hint_metrics(opts, CAIRO_HINT_METRICS_ON);
        pango_cairo_context_set_font_options(Context, opts);
        cairo_font_options_destroy(opts);
        pango_context_set_language(Context, pango_language_from_string("en-us"));
    }
    ~PangoState()
    {
        g_object_unref(Context);
        g_object_unref(Map);
    }
};

std::unique_ptr<PangoState>& State()
{
    static std::unique_ptr<PangoState> s;
    if (!s)
        s = std::make_unique<PangoState>();
    return s;
}

struct SpecLess {
    bool operator()(const FontAttrs& a, const FontAttrs& b) const
    {
        return std::tie(a.Face, a.Height, a.Weight, a.Italic, a.Underline, a.StrikeOut, a.Charset) <
               std::tie(b.Face, b.Height, b.Weight, b.Italic, b.Underline, b.StrikeOut, b.Charset);
    }
};

std::map<FontAttrs, std::weak_ptr<FontData>, SpecLess>& Cache()
{
    static std::map<FontAttrs, std::weak_ptr<FontData>, SpecLess> c;
    return c;
}

int PangoPx(int v) { return static_cast<int>(std::lround(static_cast<double>(v) / PANGO_SCALE)); }

} // namespace

class FontData {
public:
    explicit FontData(const FontAttrs& wanted) : Attrs(wanted)
    {
        if (Attrs.Height == 0)
            Attrs.Height = -11;
        PangoContext* ctx = State()->Context;
        Desc = pango_font_description_new();
        const std::string family = MapFaceName(Attrs.Face);
        pango_font_description_set_family(Desc, family.c_str());
        pango_font_description_set_weight(Desc, Attrs.Weight >= 600 ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
        pango_font_description_set_style(Desc, Attrs.Italic ? PANGO_STYLE_OBLIQUE : PANGO_STYLE_NORMAL);
        double em = std::abs(Attrs.Height);
        pango_font_description_set_absolute_size(Desc, em * PANGO_SCALE);
        PangoFontMetrics* m = pango_context_get_metrics(ctx, Desc, nullptr);
        if (Attrs.Height > 0) {
            // Cell height given: scale the em size so ascent + descent fits it.
            const double cell = static_cast<double>(pango_font_metrics_get_ascent(m) + pango_font_metrics_get_descent(m)) / PANGO_SCALE;
            pango_font_metrics_unref(m);
            em = em * em / cell;
            pango_font_description_set_absolute_size(Desc, std::round(em * PANGO_SCALE));
            m = pango_context_get_metrics(ctx, Desc, nullptr);
        }
        Metrics.tmAscent = PangoPx(pango_font_metrics_get_ascent(m));
        Metrics.tmDescent = PangoPx(pango_font_metrics_get_descent(m));
        Metrics.tmHeight = Metrics.tmAscent + Metrics.tmDescent;
        Metrics.tmInternalLeading = std::max(0, Metrics.tmHeight - static_cast<int>(std::lround(em)));
        Metrics.tmAveCharWidth = PangoPx(pango_font_metrics_get_approximate_char_width(m));
        Metrics.tmWeight = Attrs.Weight;
        Metrics.tmItalic = Attrs.Italic;
        Metrics.tmUnderlined = Attrs.Underline;
        Metrics.tmStruckOut = Attrs.StrikeOut;
        Metrics.tmCharSet = Attrs.Charset;
        pango_font_metrics_unref(m);

        Layout = pango_layout_new(ctx);
        pango_layout_set_font_description(Layout, Desc);
        pango_layout_set_single_paragraph_mode(Layout, TRUE);
        if (Attrs.Underline || Attrs.StrikeOut) {
            PangoAttrList* attrs = pango_attr_list_new();
            if (Attrs.Underline)
                pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
            if (Attrs.StrikeOut)
                pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
            pango_layout_set_attributes(Layout, attrs);
            pango_attr_list_unref(attrs);
        }
        Metrics.tmMaxCharWidth = std::max(Metrics.tmAveCharWidth, Extent(u"W").cx);
    }
    ~FontData()
    {
        for (Node& n : Recent)
            g_object_unref(n.Shaped.Layout);
        g_object_unref(Layout);
        pango_font_description_free(Desc);
    }
    FontData(const FontData&) = delete;
    FontData& operator=(const FontData&) = delete;

    // The shaped text: the most recently used texts keep their layouts and
    // measures, so repainting the same cells does not shape them again.
    const ShapedText& Shape(std::u16string_view text)
    {
        if (auto it = Index.find(text); it != Index.end()) {
            Recent.splice(Recent.begin(), Recent, it->second);
            return it->second->Shaped;
        }
        PangoLayout* layout = nullptr;
        if (Recent.size() >= MaxShaped) {
            // The least recently used one makes room, its layout reused.
            Index.erase(Recent.back().Text);
            layout = Recent.back().Shaped.Layout;
            Recent.pop_back();
        } else {
            layout = pango_layout_copy(Layout);
        }
        const std::string utf8 = core::ToUtf8(text);
        pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
        PangoRectangle ink, logical;
        pango_layout_get_pixel_extents(layout, &ink, &logical);
        Recent.push_front(Node{std::u16string(text), ShapedText{layout, text.empty() ? 0 : logical.width,
                                                                 {ink.x, ink.y, ink.x + ink.width, ink.y + ink.height},
                                                                 pango_layout_get_baseline(layout)}});
        Index.emplace(Recent.front().Text, Recent.begin());
        return Recent.front().Shaped;
    }
    TSize Extent(std::u16string_view text)
    {
        if (text.empty())
            return {0, Metrics.tmHeight};
        return {Shape(text).Width, Metrics.tmHeight};
    }

    FontAttrs Attrs;
    TextMetric Metrics;
    PangoFontDescription* Desc = nullptr;
    PangoLayout* Layout = nullptr; // the base layout (no text)
    struct Node {
        std::u16string Text;
        ShapedText Shaped;
    };
    static constexpr size_t MaxShaped = 256;
    std::list<Node> Recent; // most recently used first
    std::unordered_map<std::u16string_view, std::list<Node>::iterator> Index; // keys view the nodes' texts
};

namespace {
// The default font stays alive between uses: every device context starts
// with it, and building a font (pango metrics) costs far more than a context.
std::shared_ptr<FontData>& DefaultFont()
{
    static std::shared_ptr<FontData> f;
    return f;
}
} // namespace

Font::Font()
{
    std::shared_ptr<FontData>& def = DefaultFont();
    if (!def)
        def = Font(FontAttrs{}).FData;
    FData = def;
}

Font::Font(const FontAttrs& attrs)
{
    auto& cache = Cache();
    auto it = cache.find(attrs);
    if (it != cache.end())
        FData = it->second.lock();
    if (!FData) {
        FData = std::make_shared<FontData>(attrs);
        cache[attrs] = FData;
        // Forget entries of fonts nobody holds any more.
        for (auto i = cache.begin(); i != cache.end();)
            i = i->second.expired() ? cache.erase(i) : std::next(i);
    }
}

const FontAttrs& Font::Attrs() const { return FData->Attrs; }
const TextMetric& Font::Metrics() const { return FData->Metrics; }
TSize Font::TextExtent(std::u16string_view text) const { return FData->Extent(text); }
const ShapedText& Font::Shape(std::u16string_view text) const { return FData->Shape(text); }
PangoLayout* Font::BaseLayout() const { return FData->Layout; }
PangoFontDescription* Font::Description() const { return FData->Desc; }

std::vector<int> Font::CharPositions(std::u16string_view text) const
{
    std::vector<int> pos(text.size() + 1, 0);
    if (text.empty())
        return pos;
    PangoLayout* layout = FData->Shape(text).Layout;
    const std::string utf8 = core::ToUtf8(text);
    // Map each UTF-16 index to its UTF-8 byte index.
    size_t byte = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size()) {
            pos[i] = FData->Extent(text).cx;
            break;
        }
        PangoRectangle r;
        pango_layout_index_to_pos(layout, static_cast<int>(byte), &r);
        pos[i] = PangoPx(std::min(r.x, r.x + r.width));
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            byte += 4;
            pos[i + 1] = pos[i];
            ++i;
        } else {
            byte += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        }
    }
    return pos;
}

std::string MapFaceName(std::u16string_view face)
{
    const std::u16string f = core::LowerCase(face);
    for (const char16_t* mono : {u"courier", u"consolas", u"mono", u"lucida console", u"fixedsys", u"terminal"})
        if (f.find(mono) != std::u16string::npos)
            return "DejaVu Sans Mono";
    for (const char16_t* serif : {u"times", u"serif", u"georgia", u"garamond", u"roman"})
        if (f.find(serif) != std::u16string::npos && f.find(u"sans") == std::u16string::npos)
            return "DejaVu Serif";
    return "DejaVu Sans";
}

size_t CachedFontCount()
{
    size_t n = 0;
    for (auto& [attrs, weak] : Cache())
        n += weak.expired() ? 0 : 1;
    return n;
}

void ShutdownFonts()
{
    DefaultFont().reset();
    Cache().clear();
    State().reset();
}

} // namespace platform

// Libraries that keep allocations for the life of the process: fontconfig
// (its parsed configuration) and D-Bus (the session connection SDL opens
// for input methods). The leak checker is told so here, beside the fonts
// every drawing program uses, so all programs get the same rule. No other
// file may define this hook.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
