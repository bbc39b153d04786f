// Mouse, keyboard, focus and capture on the headless backend.
#include "recorder.h"

namespace platform::test {
namespace {

class InputTest : public RecorderTest {};

TEST_F(InputTest, ClickGivesMoveDownUpInOrderWithClientCoordinates)
{
    const HWND top = TopLevel();
    const HWND child = Child(top, Bounds(10, 10, 50, 30));
    headless::ProcessMessages();
    Interesting = {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK};
    Log.clear();
    headless::Click(child, {5, 6});
    headless::ProcessMessages();
    ASSERT_EQ(Messages(), (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}));
    for (const auto& r : Log) {
        EXPECT_EQ(r.hwnd, child);
        EXPECT_EQ(PointFromLParam(r.lParam), (TPoint{5, 6}));
    }
    EXPECT_EQ(Log[1].wParam & MK_LBUTTON, MK_LBUTTON);
    EXPECT_EQ(Log[2].wParam & MK_LBUTTON, 0u);
}

TEST_F(InputTest, DoubleClickReplacesTheSecondDownOnlyWithinTimeAndDistance)
{
    const HWND top = TopLevel();
    headless::ProcessMessages();
    Interesting = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK};
    struct Case {
        uint32_t pause;
        int dx;
        std::vector<UINT> expected;
    };
    const std::vector<Case> cases = {
        {100, 0, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}},
        {500, 2, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}},
        {501, 0, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}},
        {100, 3, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}},
    };
    for (const Case& c : cases) {
        headless::Advance(5000); // forget earlier clicks
        Log.clear();
        headless::Click(top, {40, 40});
        headless::ProcessMessages();
        headless::Advance(c.pause);
        headless::Click(top, {40 + c.dx, 40});
        headless::ProcessMessages();
        EXPECT_EQ(Messages(), c.expected) << "pause " << c.pause << " dx " << c.dx;
    }
    // A third quick click is an ordinary press again.
    headless::Advance(5000);
    Log.clear();
    for (int i = 0; i < 3; ++i)
        headless::Click(top, {40, 40});
    headless::ProcessMessages();
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                                             WM_LBUTTONDOWN, WM_LBUTTONUP}));
}

TEST_F(InputTest, KeysCarryShiftAndCtrlStateAndTranslateToCharacters)
{
    const HWND top = TopLevel();
    SetFocus(top);
    headless::ProcessMessages();
    struct Seen {
        UINT message;
        WPARAM key;
        bool shift, ctrl;
    };
    std::vector<Seen> seen;
    Handler = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_KEYDOWN || m == WM_CHAR || m == WM_KEYUP)
            seen.push_back({m, w, GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0});
        return DefWindowProc(h, m, w, l);
    };
    headless::PressKey('A', headless::Shift);
    headless::PressKey('A');
    headless::PressKey('C', headless::Ctrl);
    headless::PressKey(VK_RETURN);
    headless::ProcessMessages();
    auto chars = std::vector<WPARAM>{};
    for (const Seen& s : seen)
        if (s.message == WM_CHAR)
            chars.push_back(s.key);
    EXPECT_EQ(chars, (std::vector<WPARAM>{u'A', u'a', 3, u'\r'}));
    // The Shift key's own down, then A with Shift held.
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(seen[0].key, static_cast<WPARAM>(VK_SHIFT));
    EXPECT_EQ(seen[1].key, static_cast<WPARAM>('A'));
    EXPECT_TRUE(seen[1].shift);
    EXPECT_FALSE(seen[1].ctrl);
    const auto ctrlC = std::find_if(seen.begin(), seen.end(), [](const Seen& s) { return s.message == WM_KEYDOWN && s.key == 'C'; });
    ASSERT_NE(ctrlC, seen.end());
    EXPECT_TRUE(ctrlC->ctrl);
    EXPECT_FALSE(ctrlC->shift);
    EXPECT_GE(GetKeyState(VK_SHIFT), 0); // released again
}

TEST_F(InputTest, AltKeysAreSystemKeysAndAltF4ClosesTheWindow)
{
    const HWND top = TopLevel();
    SetFocus(top);
    Interesting = {WM_SYSKEYDOWN, WM_SYSCHAR, WM_CLOSE, WM_DESTROY};
    headless::PressKey('X', headless::Alt);
    headless::ProcessMessages();
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSCHAR}));
    EXPECT_TRUE(Log[1].lParam & KF_ALTDOWN_LPARAM);
    Log.clear();
    headless::PressKey(VK_F4, headless::Alt);
    headless::ProcessMessages();
    EXPECT_FALSE(IsWindow(top));
    EXPECT_EQ(Messages().back(), static_cast<UINT>(WM_DESTROY));
}

TEST_F(InputTest, FocusChangesSendKillThenSetWithTheOtherWindow)
{
    const HWND top = TopLevel();
    const HWND a = Child(top, Bounds(0, 0, 10, 10));
    const HWND b = Child(top, Bounds(20, 0, 10, 10));
    SetFocus(a);
    Interesting = {WM_SETFOCUS, WM_KILLFOCUS};
    Log.clear();
    EXPECT_EQ(SetFocus(b), a);
    ASSERT_EQ(Log.size(), 2u);
    EXPECT_EQ(Log[0].hwnd, a);
    EXPECT_EQ(Log[0].message, static_cast<UINT>(WM_KILLFOCUS));
    EXPECT_EQ(HWND::FromParam(static_cast<intptr_t>(Log[0].wParam)), b);
    EXPECT_EQ(Log[1].hwnd, b);
    EXPECT_EQ(Log[1].message, static_cast<UINT>(WM_SETFOCUS));
    EXPECT_EQ(HWND::FromParam(static_cast<intptr_t>(Log[1].wParam)), a);
    EXPECT_EQ(GetFocus(), b);
    // Setting the same focus again sends nothing; destroying the focus clears it.
    Log.clear();
    SetFocus(b);
    EXPECT_TRUE(Log.empty());
    DestroyWindow(b);
    EXPECT_EQ(GetFocus(), HWND());
    // A disabled window loses the focus.
    SetFocus(a);
    EnableWindow(a, false);
    EXPECT_EQ(GetFocus(), HWND());
}

TEST_F(InputTest, FocusInAnInactiveWindowActivatesItWithoutDetours)
{
    const HWND first = TopLevel();
    const HWND second = TopLevel();
    const HWND child = Child(first, Bounds(0, 0, 10, 10));
    EXPECT_EQ(GetActiveWindow(), second);
    Interesting = {WM_ACTIVATE, WM_SETFOCUS, WM_KILLFOCUS};
    Log.clear();
    SetFocus(child);
    std::vector<std::pair<HWND, UINT>> got;
    for (const auto& r : Log)
        got.emplace_back(r.hwnd, r.message);
    const std::vector<std::pair<HWND, UINT>> expected = {
        {second, WM_ACTIVATE}, {first, WM_ACTIVATE}, {second, WM_KILLFOCUS}, {child, WM_SETFOCUS}};
    EXPECT_EQ(got, expected);
    EXPECT_EQ(GetActiveWindow(), first);
    // Hiding the active window activates another one.
    ShowWindow(first, SW_HIDE);
    EXPECT_EQ(GetActiveWindow(), second);
}

TEST_F(InputTest, KeysGoToTheFocusAndNowhereWithoutOne)
{
    const HWND top = TopLevel();
    const HWND a = Child(top, Bounds(0, 0, 10, 10));
    SetFocus(a);
    Interesting = {WM_KEYDOWN};
    headless::PressKey(VK_DOWN);
    headless::ProcessMessages();
    ASSERT_EQ(Log.size(), 1u);
    EXPECT_EQ(Log[0].hwnd, a);
}

TEST_F(InputTest, CaptureRoutesMouseAndReportsItsLoss)
{
    const HWND top = TopLevel();
    const HWND a = Child(top, Bounds(0, 0, 20, 20));
    const HWND b = Child(top, Bounds(50, 0, 20, 20));
    headless::ProcessMessages();
    Interesting = {WM_CAPTURECHANGED, WM_MOUSEMOVE, WM_LBUTTONUP};
    EXPECT_EQ(SetCapture(a), HWND());
    headless::MouseMove(b, {5, 5});
    headless::ProcessMessages();
    ASSERT_EQ(Log.size(), 1u);
    EXPECT_EQ(Log[0].hwnd, a); // captured: a gets it, in its own coordinates
    EXPECT_EQ(PointFromLParam(Log[0].lParam), (TPoint{55, 5}));
    Log.clear();
    SetCapture(b);
    ASSERT_EQ(Log.size(), 1u);
    EXPECT_EQ(Log[0].hwnd, a);
    EXPECT_EQ(Log[0].message, static_cast<UINT>(WM_CAPTURECHANGED));
    EXPECT_EQ(HWND::FromParam(Log[0].lParam), b);
    Log.clear();
    ReleaseCapture();
    ASSERT_EQ(Log.size(), 1u);
    EXPECT_EQ(Log[0].hwnd, b);
    EXPECT_EQ(Log[0].lParam, 0);
    EXPECT_EQ(GetCapture(), HWND());
    // Cancel mode releases a capture through the default procedure.
    SetCapture(a);
    SendMessage(a, WM_CANCELMODE);
    EXPECT_EQ(GetCapture(), HWND());
}

TEST_F(InputTest, DisabledWindowsGetNoMouseInput)
{
    const HWND top = TopLevel();
    const HWND a = Child(top, Bounds(0, 0, 20, 20));
    EnableWindow(a, false);
    headless::ProcessMessages();
    Interesting = {WM_LBUTTONDOWN};
    headless::Click(a, {5, 5});
    headless::ProcessMessages();
    EXPECT_TRUE(Log.empty());
}

TEST_F(InputTest, WheelGoesToTheFocusAndBubblesToTheParent)
{
    const HWND top = TopLevel();
    const HWND a = Child(top, Bounds(0, 0, 20, 20));
    SetFocus(a);
    Interesting = {WM_MOUSEWHEEL};
    headless::Wheel(a, {1, 1}, -WHEEL_DELTA);
    headless::ProcessMessages();
    ASSERT_EQ(Log.size(), 2u);
    EXPECT_EQ(Log[0].hwnd, a);
    EXPECT_EQ(Log[1].hwnd, top);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(Log[0].wParam), -WHEEL_DELTA);
}

} // namespace
} // namespace platform::test
