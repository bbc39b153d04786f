// Device contexts over bitmaps: lines, fills, clipping, mirroring, text,
// images.
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "core/exception.h"
#include "platform/dc.h"
#include "platform/headless.h"
#include "platform/syscolors.h"

namespace platform::test {
namespace {

class DrawingTest : public ::testing::Test {
protected:
    headless::Session Session;
    Bitmap Target{40, 30};
    DeviceContext Dc{Target};
};

TEST_F(DrawingTest, LinesLeaveOutTheirLastPixel)
{
    Dc.SelectPen(Pen{PS_SOLID, 1, 0});
    Dc.MoveTo(2, 5);
    Dc.LineTo(10, 5);
    EXPECT_EQ(Target.Pixel(2, 5), 0u);
    EXPECT_EQ(Target.Pixel(9, 5), 0u);
    EXPECT_EQ(Target.Pixel(10, 5), 0xFFFFFFu);
    Dc.MoveTo(20, 10);
    Dc.LineTo(20, 2); // upwards
    EXPECT_EQ(Target.Pixel(20, 10), 0u);
    EXPECT_EQ(Target.Pixel(20, 3), 0u);
    EXPECT_EQ(Target.Pixel(20, 2), 0xFFFFFFu);
    EXPECT_EQ(Target.Pixel(20, 11), 0xFFFFFFu);
}

TEST_F(DrawingTest, XorLinesDrawnTwiceLeaveNoTrace)
{
    Dc.FillRect(Bounds(0, 0, 40, 30), Brush::Solid(0x336699));
    const Bitmap before = Target.Clone();
    Dc.SetROP2(R2_XORPEN);
    Dc.SelectPen(Pen{PS_DOT, 1, 0xFFFFFF});
    for (int pass = 0; pass < 2; ++pass) {
        Dc.MoveTo(5, 0);
        Dc.LineTo(5, 30);
        if (pass == 0) {
            EXPECT_EQ(Target.Pixel(5, 0), 0x336699u ^ 0xFFFFFFu);
            EXPECT_EQ(Target.Pixel(5, 1), 0x336699u); // dotted
        }
    }
    EXPECT_TRUE(Target.SameContent(before));
}

TEST_F(DrawingTest, ClippingLimitsEveryOperation)
{
    Dc.IntersectClipRect(Bounds(10, 10, 10, 10));
    Dc.ExcludeClipRect(Bounds(12, 12, 2, 2));
    EXPECT_EQ(Dc.GetClipBox(), Bounds(10, 10, 10, 10));
    Dc.FillRect(Bounds(0, 0, 40, 30), Brush::Solid(0));
    EXPECT_EQ(Target.Pixel(9, 10), 0xFFFFFFu);
    EXPECT_EQ(Target.Pixel(10, 10), 0u);
    EXPECT_EQ(Target.Pixel(12, 12), 0xFFFFFFu);
    EXPECT_EQ(Target.Pixel(19, 19), 0u);
    EXPECT_EQ(Target.Pixel(20, 19), 0xFFFFFFu);
    EXPECT_TRUE(Dc.RectVisible(Bounds(0, 0, 11, 11)));
    EXPECT_FALSE(Dc.RectVisible(Bounds(0, 0, 10, 10)));
    // Save and restore bring the clipping back.
    const int saved = Dc.SaveDC();
    Dc.SelectClipRgn(nullptr);
    Dc.FillRect(Bounds(0, 0, 1, 1), Brush::Solid(0));
    EXPECT_EQ(Target.Pixel(0, 0), 0u);
    Dc.RestoreDC(saved);
    Dc.FillRect(Bounds(1, 0, 1, 1), Brush::Solid(0));
    EXPECT_EQ(Target.Pixel(1, 0), 0xFFFFFFu);
}

TEST_F(DrawingTest, MirroredLayoutRunsFromTheRightEdge)
{
    Dc.SetLayout(LAYOUT_RTL);
    Dc.FillRect(Bounds(0, 0, 5, 5), Brush::Solid(0));
    EXPECT_EQ(Target.Pixel(39, 0), 0u);
    EXPECT_EQ(Target.Pixel(35, 4), 0u);
    EXPECT_EQ(Target.Pixel(34, 0), 0xFFFFFFu);
    EXPECT_EQ(Target.Pixel(0, 0), 0xFFFFFFu);
    Dc.SetPixel(0, 10, 0);
    EXPECT_EQ(Target.Pixel(39, 10), 0u);
    EXPECT_EQ(Dc.GetPixel(0, 10), 0u);
}

TEST_F(DrawingTest, RectangleFramesWithThePenAndFillsWithTheBrush)
{
    Dc.SelectPen(Pen{PS_SOLID, 1, 0x0000FF});
    Dc.SelectBrush(Brush::Solid(0x00FF00));
    Dc.Rectangle(2, 2, 8, 8);
    EXPECT_EQ(Target.Pixel(2, 2), 0x0000FFu);
    EXPECT_EQ(Target.Pixel(7, 7), 0x0000FFu);
    EXPECT_EQ(Target.Pixel(8, 8), 0xFFFFFFu);
    EXPECT_EQ(Target.Pixel(3, 3), 0x00FF00u);
    EXPECT_EQ(Target.Pixel(6, 6), 0x00FF00u);
}

TEST_F(DrawingTest, RaisedEdgesUseTheFixedPalette)
{
    TRect r = Bounds(0, 0, 10, 10);
    Dc.DrawEdge(r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    EXPECT_EQ(r, Bounds(2, 2, 6, 6));
    EXPECT_EQ(Target.Pixel(0, 0), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(Target.Pixel(9, 9), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(Target.Pixel(1, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(Target.Pixel(8, 8), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(ColorToRGB(core::clBtnFace), 0xF0F0F0u);
    EXPECT_EQ(ColorToRGB(core::clHighlight), 0xD77800u);
    EXPECT_EQ(ColorToRGB(core::clRed), 0x0000FFu);
}

TEST_F(DrawingTest, PatternBrushesTileFromTheOrigin)
{
    Dc.SetTextColor(0);
    Dc.SetBkColor(0xFFFFFF);
    Dc.FillRect(Bounds(0, 0, 16, 2), Brush::FromPattern({0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}));
    EXPECT_EQ(Target.Pixel(0, 0), 0u);
    EXPECT_EQ(Target.Pixel(1, 0), 0xFFFFFFu);
    EXPECT_EQ(Target.Pixel(0, 1), 0xFFFFFFu);
    EXPECT_EQ(Target.Pixel(8, 0), 0u);
}

TEST_F(DrawingTest, TextMetricsAndExtentsAgree)
{
    for (int height : {-11, -12, -16, 13}) {
        const Font f(FontAttrs{u"Tahoma", height});
        const TextMetric tm = f.Metrics();
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent) << height;
        EXPECT_GT(tm.tmAveCharWidth, 0);
        EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);
        EXPECT_EQ(tm.tmOverhang, 0);
        EXPECT_EQ(f.TextExtent(u"Wg").cy, tm.tmHeight); // the "Wg" height
        if (height > 0)
            EXPECT_LE(std::abs(tm.tmHeight - height), 1);
        else
            EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, -height);
        EXPECT_GT(f.TextWidth(u"WWWW"), f.TextWidth(u"iiii"));
        const auto pos = f.CharPositions(u"abc");
        EXPECT_EQ(pos.front(), 0);
        EXPECT_EQ(pos.back(), f.TextWidth(u"abc"));
        EXPECT_LT(pos[1], pos[2]);
    }
    EXPECT_EQ(Font(FontAttrs{u"Tahoma", -12}), Font(FontAttrs{u"Tahoma", -12})); // cached
    EXPECT_EQ(MapFaceName(u"Courier New"), "DejaVu Sans Mono");
    EXPECT_EQ(MapFaceName(u"Times New Roman"), "DejaVu Serif");
    EXPECT_EQ(MapFaceName(u"Segoe UI"), "DejaVu Sans");
}

TEST_F(DrawingTest, TextAlignmentAndClipping)
{
    Bitmap wide(200, 40);
    DeviceContext dc(wide);
    dc.SelectFont(Font(FontAttrs{u"Tahoma", -16}));
    const int w = dc.GetTextExtent(u"MMM").cx;
    dc.SetBkMode(OPAQUE);
    dc.SetBkColor(0x0000FF);
    dc.SetTextAlign(TA_RIGHT | TA_TOP);
    dc.TextOut(100, 0, u"MMM");
    // The opaque box spans exactly the text extent, ending at x.
    EXPECT_EQ(wide.Pixel(100 - w, 0), 0x0000FFu);
    EXPECT_EQ(wide.Pixel(99, 0), 0x0000FFu);
    EXPECT_EQ(wide.Pixel(100, 0), 0xFFFFFFu);
    EXPECT_EQ(wide.Pixel(100 - w - 1, 0), 0xFFFFFFu);
    // Clipped text stays inside its rectangle.
    dc.SetTextAlign(TA_LEFT | TA_TOP);
    dc.SetBkMode(TRANSPARENT);
    const TRect clip = Bounds(0, 20, 10, 20);
    dc.ExtTextOut(0, 20, ETO_CLIPPED, &clip, u"MMMMMMMM");
    bool inside = false, outside = false;
    for (int y = 20; y < 40; ++y) {
        for (int x = 0; x < 10; ++x)
            inside |= wide.Pixel(x, y) != 0xFFFFFFu;
        for (int x = 10; x < 200; ++x)
            outside |= wide.Pixel(x, y) != 0xFFFFFFu;
    }
    EXPECT_TRUE(inside);
    EXPECT_FALSE(outside);
    // DrawText measures with DT_CALCRECT, and wraps with DT_WORDBREAK.
    TRect r = Bounds(0, 0, 1000, 0);
    const int h1 = dc.DrawText(u"one two three", r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(h1, dc.GetTextMetrics().tmHeight);
    EXPECT_EQ(r.Width(), dc.GetTextExtent(u"one two three").cx);
    TRect narrow = Bounds(0, 0, dc.GetTextExtent(u"three").cx + 2, 0);
    EXPECT_EQ(dc.DrawText(u"one two three", narrow, DT_CALCRECT | DT_WORDBREAK), 3 * dc.GetTextMetrics().tmHeight);
}

TEST_F(DrawingTest, MeasuresStayRightAfterShapedTextsMakeRoom)
{
    // Far more texts than the font keeps shaped: the evicted layouts are
    // reused for other texts, and every text still measures as at first.
    const Font font(FontAttrs{u"Tahoma", -13});
    std::vector<std::u16string> texts;
    std::vector<int> widths;
    for (int i = 0; i < 600; ++i) {
        texts.push_back(std::u16string(static_cast<size_t>(i % 37 + 1), static_cast<char16_t>(u'a' + i % 26)));
        widths.push_back(font.TextWidth(texts.back()));
    }
    for (size_t i = 0; i < texts.size(); ++i)
        ASSERT_EQ(font.TextWidth(texts[i]), widths[i]) << i;
    const Bitmap before = [&] {
        Bitmap b(200, 20);
        DeviceContext dc(b);
        dc.SelectFont(font);
        dc.TextOut(2, 2, texts.front());
        return b;
    }();
    for (const auto& t : texts)
        font.TextWidth(t);
    Bitmap after(200, 20);
    DeviceContext dc(after);
    dc.SelectFont(font);
    dc.TextOut(2, 2, texts.front());
    EXPECT_TRUE(after.SameContent(before));
}

TEST_F(DrawingTest, ClippedTextKeepsItsBackgroundInsideToo)
{
    // Opaque text wider than its clip rectangle: neither the glyphs nor the
    // background box may reach outside it.
    for (const bool drawText : {false, true}) {
        SCOPED_TRACE(drawText ? "DrawText" : "ExtTextOut");
        Bitmap wide(200, 20);
        DeviceContext dc(wide);
        dc.SetBkMode(OPAQUE);
        dc.SetBkColor(0x0000FF);
        TRect clip = Bounds(10, 0, 12, 20);
        if (drawText)
            dc.DrawText(u"MMMMMMMM", clip, DT_SINGLELINE | DT_NOPREFIX);
        else
            dc.ExtTextOut(10, 0, ETO_CLIPPED, &clip, u"MMMMMMMM");
        int inside = 0, outside = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 200; ++x)
                (clip.Contains({x, y}) ? inside : outside) += wide.Pixel(x, y) != 0xFFFFFFu;
        EXPECT_GT(inside, 0);
        EXPECT_EQ(outside, 0);
    }
}

TEST_F(DrawingTest, FocusRectanglesInvertEveryOtherFramePixelInsideTheClip)
{
    // Every other pixel of the outline, counted from the top-left corner;
    // the sides start two pixels down and stop before the bottom row.
    auto onFrame = [](const TRect& r, int x, int y) {
        if (y == r.Top || y == r.Bottom - 1)
            return x >= r.Left && x < r.Right && (x - r.Left) % 2 == 0;
        if (x == r.Left || x == r.Right - 1)
            return y >= r.Top + 2 && y < r.Bottom - 1 && (y - r.Top) % 2 == 0;
        return false;
    };
    struct Case {
        TRect Frame;
        bool ClipHole;
    };
    const Case cases[] = {
        {Bounds(3, 4, 20, 12), false}, {Bounds(3, 4, 21, 13), true}, {Bounds(5, 5, 9, 1), false},
        {Bounds(5, 5, 1, 9), false},   {Bounds(-3, -2, 50, 40), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Frame.Left << "," << c.Frame.Top << " " << c.Frame.Width() << "x"
                                        << c.Frame.Height());
        Bitmap target(40, 30);
        DeviceContext dc(target);
        dc.FillRect(Bounds(0, 0, 40, 30), Brush::Solid(0x336699));
        const TRect hole = Bounds(8, 0, 6, 30);
        if (c.ClipHole)
            dc.ExcludeClipRect(hole);
        dc.DrawFocusRect(c.Frame);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const bool flipped = onFrame(c.Frame, x, y) && !(c.ClipHole && hole.Contains({x, y}));
                ASSERT_EQ(target.Pixel(x, y), flipped ? (0x336699u ^ 0xFFFFFFu) : 0x336699u) << x << "," << y;
            }
        dc.DrawFocusRect(c.Frame); // a second time takes it away
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_EQ(target.Pixel(x, y), 0x336699u) << x << "," << y;
    }
}

TEST_F(DrawingTest, MovedPixelsComeFromTheirOffsetSource)
{
    // Each target pixel gets the pixel (dx, dy) before it, read before any
    // is overwritten; parts whose source lies outside the bitmap stay.
    struct Case {
        int Dx, Dy;
        std::vector<TRect> Targets;
    };
    const Case cases[] = {
        {0, 5, {Bounds(0, 5, 40, 25)}},
        {0, -5, {Bounds(0, 0, 40, 25)}},
        {3, 0, {Bounds(3, 2, 37, 20)}},
        {-3, -2, {Bounds(0, 0, 30, 20)}},
        {0, 4, {Bounds(0, 4, 10, 10), Bounds(0, 14, 40, 8)}}, // the second reads what the first writes
        {2, -3, {Bounds(30, 0, 20, 40)}},                    // partly outside
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "move " << c.Dx << "," << c.Dy);
        Bitmap target(40, 30);
        {
            DeviceContext dc(target);
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 40; ++x)
                    dc.SetPixel(x, y, static_cast<COLORREF>(x * 5 + y * 0x800));
        }
        const Bitmap before = target.Clone();
        target.MovePixels(c.Targets, c.Dx, c.Dy);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const int sx = x - c.Dx, sy = y - c.Dy;
                bool moved = sx >= 0 && sx < 40 && sy >= 0 && sy < 30;
                bool inTarget = false;
                for (const TRect& t : c.Targets)
                    inTarget |= t.Contains({x, y});
                moved = moved && inTarget;
                ASSERT_EQ(target.Pixel(x, y), moved ? before.Pixel(sx, sy) : before.Pixel(x, y)) << x << "," << y;
            }
    }
}

TEST_F(DrawingTest, PngRoundTripAndBadImages)
{
    Dc.FillRect(Bounds(0, 0, 10, 10), Brush::Solid(0x123456));
    const std::vector<uint8_t> png = Target.ToPng();
    const Bitmap back = Bitmap::FromPng(png);
    EXPECT_TRUE(back.SameContent(Target));
    for (const std::vector<uint8_t>& bad :
         {std::vector<uint8_t>{}, std::vector<uint8_t>{1, 2, 3}, std::vector<uint8_t>(png.begin(), png.begin() + 40)})
        EXPECT_THROW(Bitmap::FromPng(bad), core::EInvalidOperation);
    // An exception from the writer's sink crosses no C code: it arrives after the encoder returned.
    EXPECT_THROW(Target.WritePng([](std::span<const uint8_t>) { throw std::runtime_error("disk full"); }),
                 std::runtime_error);
}

TEST_F(DrawingTest, BitmapsDrawScaledWithAlphaAndCopyBetweenContexts)
{
    Bitmap src(4, 4);
    {
        DeviceContext s(src);
        s.FillRect(Bounds(0, 0, 4, 4), Brush::Solid(0xFF0000));
    }
    Dc.DrawBitmap(src, Bounds(0, 0, 8, 8));
    EXPECT_EQ(Target.Pixel(4, 4), 0xFF0000u);
    EXPECT_EQ(Target.Pixel(8, 8), 0xFFFFFFu);
    DeviceContext s(src);
    Dc.BitBlt(20, 20, 2, 2, s, 0, 0);
    EXPECT_EQ(Target.Pixel(21, 21), 0xFF0000u);
    EXPECT_EQ(Target.Pixel(22, 22), 0xFFFFFFu);
}

} // namespace
} // namespace platform::test
