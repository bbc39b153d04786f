// Timers and the caret on the virtual clock.
#include "recorder.h"

namespace platform::test {
namespace {

class TimerTest : public RecorderTest {};

TEST_F(TimerTest, TimersFireOnlyWhenTheClockPassesThem)
{
    const HWND top = TopLevel();
    headless::ProcessMessages();
    Interesting = {WM_TIMER};
    ASSERT_EQ(SetTimer(top, 1, 60), 1u);
    headless::Advance(59);
    headless::ProcessMessages();
    EXPECT_TRUE(Log.empty());
    headless::Advance(1);
    headless::ProcessMessages();
    ASSERT_EQ(Log.size(), 1u);
    EXPECT_EQ(Log[0].wParam, 1u);
    // However far the clock jumps, one message; the next is due from then.
    headless::Advance(1000);
    headless::ProcessMessages();
    EXPECT_EQ(Log.size(), 2u);
    headless::Advance(59);
    headless::ProcessMessages();
    EXPECT_EQ(Log.size(), 2u);
    EXPECT_TRUE(KillTimer(top, 1));
    headless::Advance(1000);
    headless::ProcessMessages();
    EXPECT_EQ(Log.size(), 2u);
    EXPECT_FALSE(KillTimer(top, 1));
}

TEST_F(TimerTest, TimerProceduresAndWindowlessTimers)
{
    int calls = 0;
    const uintptr_t id = SetTimer({}, 0, 100, [&](HWND, UINT, uintptr_t, uint32_t) { ++calls; });
    EXPECT_NE(id, 0u);
    headless::Advance(100);
    headless::ProcessMessages();
    EXPECT_EQ(calls, 1);
    KillTimer({}, id);
    headless::Advance(100);
    headless::ProcessMessages();
    EXPECT_EQ(calls, 1);
}

TEST_F(TimerTest, DestroyingAWindowKillsItsTimers)
{
    const HWND top = TopLevel();
    SetTimer(top, 7, 10);
    DestroyWindow(top);
    headless::Advance(100);
    MSG msg;
    EXPECT_FALSE(PeekMessage(msg, {}, 0, 0, PM_REMOVE));
    EXPECT_EQ(SetTimer(top, 8, 10), 0u);
}

TEST_F(TimerTest, CaretBlinksOnTheClockAndRestartsWhenMoved)
{
    const HWND top = TopLevel();
    headless::ProcessMessages();
    ASSERT_TRUE(CreateCaret(top, 2, 10));
    EXPECT_FALSE(IsCaretVisible()); // created hidden
    ShowCaret(top);
    SetCaretPos(20, 30);
    EXPECT_EQ(GetCaretPos(), (TPoint{20, 30}));
    EXPECT_TRUE(IsCaretVisible());
    const uint32_t blink = GetCaretBlinkTime();
    headless::Advance(blink - 1);
    EXPECT_TRUE(IsCaretVisible());
    headless::Advance(1);
    EXPECT_FALSE(IsCaretVisible());
    // The caret inverts the window's pixels while it is on.
    const Bitmap off = headless::Screenshot(top);
    headless::Advance(blink);
    EXPECT_TRUE(IsCaretVisible());
    const Bitmap on = headless::Screenshot(top);
    EXPECT_EQ(off.Pixel(20, 30), 0xFFFFFFu);
    EXPECT_EQ(on.Pixel(20, 30), 0x000000u);
    EXPECT_EQ(on.Pixel(22, 30), 0xFFFFFFu);
    headless::Advance(blink);
    SetCaretPos(21, 30); // moving shows it again at once
    EXPECT_TRUE(IsCaretVisible());
    HideCaret(top);
    EXPECT_FALSE(IsCaretVisible());
    DestroyCaret();
    EXPECT_FALSE(ShowCaret(top));
}

} // namespace
} // namespace platform::test
