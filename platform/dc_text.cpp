// Text output of device contexts.
#include <algorithm>

#include <cairo.h>
#include <pango/pangocairo.h>

#include "core/ustring.h"
#include "platform/dc.h"
#include "platform/syscolors.h"

namespace platform {

// Draws a shaped single line with its cell's top-left corner at device (left, top).
void DeviceContext::DrawTextRun(const ShapedText& shaped, int left, int top)
{
    const double baseline = static_cast<double>(shaped.Baseline) / PANGO_SCALE;
    SetColor(FState.TextColor);
    cairo_move_to(FCr, left, top + FState.FontValue.Metrics().tmAscent - baseline);
    pango_cairo_show_layout(FCr, shaped.Layout);
    cairo_new_path(FCr);
}

void DeviceContext::TextOut(int x, int y, std::u16string_view text) { ExtTextOut(x, y, 0, nullptr, text); }

void DeviceContext::ExtTextOut(int x, int y, uint32_t options, const TRect* rect, std::u16string_view text)
{
    ApplyClip();
    if (rect && (options & ETO_OPAQUE))
        FillDeviceRect(ToDevice(*rect), Brush::Solid(FState.BkColor));
    if (text.empty())
        return;
    const TextMetric& tm = FState.FontValue.Metrics();
    const ShapedText& shaped = FState.FontValue.Shape(text);
    const int w = shaped.Width;
    int left = x;
    switch (FState.TextAlign & TA_CENTER) {
    case TA_RIGHT: left = x - w; break;
    case TA_CENTER: left = x - w / 2; break;
    default: break;
    }
    int top = y;
    if ((FState.TextAlign & TA_BASELINE) == TA_BASELINE)
        top = y - tm.tmAscent;
    else if (FState.TextAlign & TA_BOTTOM)
        top = y - tm.tmHeight;
    const TRect box = ToDevice(Bounds(left, top, w, tm.tmHeight));
    // Clipping to the rectangle is only needed when the glyphs reach out of it.
    const int baselineShift = tm.tmAscent - shaped.Baseline / PANGO_SCALE;
    const TRect inked{box.Left + shaped.Ink.Left - 1, box.Top + baselineShift + shaped.Ink.Top - 1,
                      box.Left + shaped.Ink.Right + 1, box.Top + baselineShift + shaped.Ink.Bottom + 1};
    const bool clipTo = rect && (options & ETO_CLIPPED);
    const TRect c = clipTo ? ToDevice(*rect) : TRect{};
    const bool clipped = clipTo && !(inked.Left >= c.Left && inked.Top >= c.Top && inked.Right <= c.Right &&
                                     inked.Bottom <= c.Bottom);
    TRect background = box;
    if (clipTo)
        IntersectRect(background, background, c);
    if (clipped) {
        cairo_save(FCr);
        cairo_rectangle(FCr, c.Left, c.Top, c.Width(), c.Height());
        cairo_clip(FCr);
    }
    if (FState.BkMode == OPAQUE && !(rect && (options & ETO_OPAQUE)))
        FillDeviceRect(background, Brush::Solid(FState.BkColor));
    DrawTextRun(shaped, box.Left, box.Top);
    if (clipped)
        cairo_restore(FCr);
}

int DeviceContext::DrawText(std::u16string_view text, TRect& r, uint32_t format)
{
    const Font& font = FState.FontValue;
    const TextMetric& tm = font.Metrics();
    // Prefix characters: "&x" underlines x, "&&" is one ampersand.
    std::u16string shown;
    int underline = -1;
    if (format & DT_NOPREFIX) {
        shown.assign(text);
    } else {
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == u'&' && i + 1 < text.size()) {
                ++i;
                if (text[i] != u'&' && underline < 0)
                    underline = static_cast<int>(shown.size());
            }
            shown.push_back(text[i]);
        }
    }
    if (format & DT_SINGLELINE)
        std::replace_if(shown.begin(), shown.end(), [](char16_t c) { return c == u'\r' || c == u'\n'; }, u' ');

    PangoLayout* base = font.BaseLayout();
    PangoLayout* layout = pango_layout_new(pango_layout_get_context(base));
    pango_layout_set_font_description(layout, font.Description());
    if (PangoAttrList* attrs = pango_layout_get_attributes(base)) {
        PangoAttrList* copy = pango_attr_list_copy(attrs);
        pango_layout_set_attributes(layout, copy);
        pango_attr_list_unref(copy);
    }
    const std::string utf8 = core::ToUtf8(shown);
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
    if (underline >= 0) {
        PangoAttrList* attrs = pango_layout_get_attributes(layout);
        attrs = attrs ? pango_attr_list_ref(attrs) : pango_attr_list_new();
        const size_t start = core::ToUtf8(std::u16string_view(shown).substr(0, static_cast<size_t>(underline))).size();
        PangoAttribute* a = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
        a->start_index = static_cast<guint>(start);
        a->end_index = static_cast<guint>(start + core::ToUtf8(std::u16string_view(shown).substr(static_cast<size_t>(underline), 1)).size());
        pango_attr_list_insert(attrs, a);
        pango_layout_set_attributes(layout, attrs);
        pango_attr_list_unref(attrs);
    }
    const int boxWidth = std::max(0, r.Width());
    if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE)) {
        pango_layout_set_width(layout, boxWidth * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    } else if (format & DT_END_ELLIPSIS) {
        pango_layout_set_width(layout, boxWidth * PANGO_SCALE);
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    }
    pango_layout_set_alignment(layout, (format & DT_CENTER) ? PANGO_ALIGN_CENTER
                                       : (format & DT_RIGHT) ? PANGO_ALIGN_RIGHT
                                                             : PANGO_ALIGN_LEFT);
    const int lines = shown.empty() ? 1 : pango_layout_get_line_count(layout);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    const int width = shown.empty() ? 0 : logical.width;
    const int height = lines * tm.tmHeight;

    if (format & DT_CALCRECT) {
        r.Right = r.Left + width;
        r.Bottom = r.Top + height;
        g_object_unref(layout);
        return height;
    }
    int top = r.Top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            top = r.Top + (r.Height() - height) / 2;
        else if (format & DT_BOTTOM)
            top = r.Bottom - height;
    }
    int left = r.Left;
    const bool fixedWidth = pango_layout_get_width(layout) >= 0;
    if (!fixedWidth) {
        if (format & DT_CENTER)
            left = r.Left + (boxWidth - width) / 2;
        else if (format & DT_RIGHT)
            left = r.Right - width;
    }
    const int drawnWidth = fixedWidth ? boxWidth : width;
    const TRect box = ToDevice(Bounds(left, top, drawnWidth, height));
    ApplyClip();
    cairo_save(FCr);
    TRect background = box;
    if (!(format & DT_NOCLIP)) {
        const TRect c = ToDevice(r);
        cairo_rectangle(FCr, c.Left, c.Top, c.Width(), c.Height());
        cairo_clip(FCr);
        IntersectRect(background, background, c);
    }
    if (FState.BkMode == OPAQUE)
        FillDeviceRect(background, Brush::Solid(FState.BkColor));
    if (!shown.empty()) {
        const double baseline = static_cast<double>(pango_layout_get_baseline(layout)) / PANGO_SCALE;
        SetColor(FState.TextColor);
        cairo_move_to(FCr, box.Left - (fixedWidth ? 0 : logical.x), box.Top + tm.tmAscent - baseline);
        pango_cairo_show_layout(FCr, layout);
        cairo_new_path(FCr);
    }
    cairo_restore(FCr);
    g_object_unref(layout);
    return height;
}

} // namespace platform
