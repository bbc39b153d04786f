// The paint cycle: update regions, clipping, scrolling, determinism.
#include <stdexcept>

#include "recorder.h"
#include "scene.h"

namespace platform::test {
namespace {

class PaintTest : public RecorderTest {
protected:
    // Paints the whole client area in `color` on every WM_PAINT and records rcPaint.
    void PaintWith(COLORREF color)
    {
        Handler = [this, color](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m != WM_PAINT)
                return DefWindowProc(h, m, w, l);
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, ps);
            Painted.push_back(ps.rcPaint);
            dc->FillRect(GetClientRect(h), Brush::Solid(color));
            EndPaint(h, ps);
            return 0;
        };
    }
    std::vector<TRect> Painted;
};

TEST_F(PaintTest, OnlyInvalidatedAreasArePainted)
{
    const HWND top = TopLevel(100, 60);
    PaintWith(0x0000FF);
    headless::ProcessMessages();
    ASSERT_EQ(Painted.size(), 1u);
    EXPECT_EQ(Painted[0], Bounds(0, 0, 100, 60));
    // Repaint in another colour, but only a small invalidated rectangle.
    PaintWith(0x00FF00);
    Painted.clear();
    const TRect r = Bounds(10, 10, 20, 5);
    InvalidateRect(top, &r, false);
    headless::ProcessMessages();
    ASSERT_EQ(Painted.size(), 1u);
    EXPECT_EQ(Painted[0], r);
    const Bitmap shot = headless::Screenshot(top);
    EXPECT_EQ(shot.Pixel(10, 10), 0x00FF00u);
    EXPECT_EQ(shot.Pixel(29, 14), 0x00FF00u);
    EXPECT_EQ(shot.Pixel(30, 14), 0x0000FFu);
    EXPECT_EQ(shot.Pixel(10, 15), 0x0000FFu);
    // Nothing invalid: no paint message at all.
    Painted.clear();
    headless::ProcessMessages();
    EXPECT_TRUE(Painted.empty());
    // Validated areas are not painted.
    InvalidateRect(top, nullptr, false);
    ValidateRect(top, nullptr);
    headless::ProcessMessages();
    EXPECT_TRUE(Painted.empty());
}

TEST_F(PaintTest, AThrowingPaintHandlerIsCalledOnceForTheSameArea)
{
    const HWND top = TopLevel(50, 50);
    int calls = 0;
    Handler = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_PAINT) {
            ++calls;
            throw std::runtime_error("paint failed");
        }
        return DefWindowProc(h, m, w, l);
    };
    MSG msg;
    ASSERT_TRUE(PeekMessage(msg, {}, 0, 0, PM_REMOVE));
    ASSERT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    EXPECT_THROW(DispatchMessage(msg), std::runtime_error);
    EXPECT_FALSE(PeekMessage(msg, {}, 0, 0, PM_REMOVE)); // no endless repeat
    EXPECT_EQ(calls, 1);
    InvalidateRect(top, nullptr, true); // a new invalidation paints again
    ASSERT_TRUE(PeekMessage(msg, {}, 0, 0, PM_REMOVE));
    EXPECT_THROW(DispatchMessage(msg), std::runtime_error);
    EXPECT_EQ(calls, 2);
}

TEST_F(PaintTest, ChildrenAreClippedFromTheParentAndErasedWithTheClassColour)
{
    const HWND top = TopLevel(100, 60);
    const HWND child = Child(top, Bounds(20, 20, 30, 10));
    headless::ProcessMessages(); // default painting erases both in white
    // Fill the child black through a window context, then repaint the parent.
    GetDC(child)->FillRect(GetClientRect(child), Brush::Solid(0));
    PaintWith(0x0000FF);
    InvalidateRect(top, nullptr, true);
    headless::ProcessMessages();
    const Bitmap shot = headless::Screenshot(top);
    EXPECT_EQ(shot.Pixel(19, 20), 0x0000FFu);
    EXPECT_EQ(shot.Pixel(20, 20), 0x000000u);
    EXPECT_EQ(shot.Pixel(49, 29), 0x000000u);
    EXPECT_EQ(shot.Pixel(50, 29), 0x0000FFu);
    const Bitmap part = headless::Screenshot(child);
    EXPECT_EQ(part.Width(), 30);
    EXPECT_EQ(part.Pixel(0, 0), 0x000000u);
}

TEST_F(PaintTest, HiddenWindowsAreNotPaintedAndShowingPaintsThemWhole)
{
    const HWND hidden = CreateWindowEx(0, u"Recorder", u"", 0, 0, 0, 40, 40, {});
    PaintWith(0xFF0000);
    InvalidateRect(hidden, nullptr, true);
    headless::ProcessMessages();
    EXPECT_TRUE(Painted.empty());
    ShowWindow(hidden, SW_SHOW);
    headless::ProcessMessages();
    ASSERT_EQ(Painted.size(), 1u);
    EXPECT_EQ(Painted[0], Bounds(0, 0, 40, 40));
}

TEST_F(PaintTest, ScrollWindowMovesPixelsAndInvalidatesTheUncoveredBand)
{
    const HWND top = TopLevel(100, 60);
    Handler = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m != WM_PAINT)
            return DefWindowProc(h, m, w, l);
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, ps);
        for (int y = 0; y < 60; y += 10)
            dc->FillRect(Bounds(0, y, 100, 10), Brush::Solid(static_cast<COLORREF>(y * 4)));
        EndPaint(h, ps);
        return 0;
    };
    headless::ProcessMessages();
    const TRect scroll = Bounds(0, 20, 100, 40); // below a fixed band
    Region uncovered;
    ScrollWindowEx(top, 0, -10, &scroll, &scroll, &uncovered, nullptr, SW_INVALIDATE);
    EXPECT_EQ(uncovered.Box(), Bounds(0, 50, 100, 10));
    TRect update;
    EXPECT_TRUE(GetUpdateRect(top, &update));
    EXPECT_EQ(update, Bounds(0, 50, 100, 10));
    const Bitmap shot = headless::Screenshot(top);
    EXPECT_EQ(shot.Pixel(5, 15), 40u);  // fixed band untouched
    EXPECT_EQ(shot.Pixel(5, 20), 120u); // the row from 30 moved up
    EXPECT_EQ(shot.Pixel(5, 45), 200u);
}

TEST_F(PaintTest, TheSameSceneDrawnTwiceGivesTheSameBytes)
{
    auto render = [&]() {
        const HWND top = TopLevel(400, 160);
        Handler = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m != WM_PAINT)
                return DefWindowProc(h, m, w, l);
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, ps);
            DrawScene(*dc, 400, 160);
            EndPaint(h, ps);
            return 0;
        };
        headless::ProcessMessages();
        Bitmap shot = headless::Screenshot(top);
        DestroyWindow(top);
        return shot;
    };
    const Bitmap a = render();
    const Bitmap b = render();
    EXPECT_TRUE(a.SameContent(b));
    EXPECT_EQ(a.ToPng(), b.ToPng());
    // And the scene is not blank.
    EXPECT_GT(a.CountDifferences(Bitmap(400, 160), 0), 1000u);
}

TEST_F(PaintTest, ScrollBarsTakeClientSpaceAndClicksOnThemScroll)
{
    const HWND top = TopLevel(200, 100);
    const HWND child = Child(top, Bounds(0, 0, 100, 80), WS_VSCROLL);
    EXPECT_EQ(GetClientRect(child), Bounds(0, 0, 100 - GetSystemMetrics(SM_CXVSCROLL), 80));
    SCROLLINFO si{SIF_ALL, 0, 99, 10, 95, 0};
    EXPECT_EQ(SetScrollInfo(child, SB_VERT, si, true), 90); // clamped to max - page + 1
    Interesting = {WM_VSCROLL};
    headless::ProcessMessages();
    const int x = 100 - 5;
    headless::Click(top, {x, 3}); // the up arrow
    headless::ProcessMessages();
    ASSERT_EQ(Log.size(), 2u);
    EXPECT_EQ(Log[0].hwnd, child);
    EXPECT_EQ(Log[0].wParam, static_cast<WPARAM>(SB_LINEUP));
    EXPECT_EQ(Log[1].wParam, static_cast<WPARAM>(SB_ENDSCROLL));
    ShowScrollBar(child, SB_VERT, false);
    EXPECT_EQ(GetClientRect(child), Bounds(0, 0, 100, 80));
}

} // namespace
} // namespace platform::test
