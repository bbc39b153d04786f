// A real window through the display backend, run by display_smoke.test.sh
// under a virtual X server (skipped otherwise): keys sent with xdotool arrive
// as messages, the window's pixels on the X server match the headless
// rendering of the same scene, and closing the window ends the loop.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "platform/display.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "scene.h"
#include "support/x11_window.h"

namespace platform::test {
namespace {

constexpr int W = 400, H = 160;

LRESULT SceneProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, ps);
        DrawScene(*dc, W, H);
        EndPaint(h, ps);
        return 0;
    }
    if (m == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProc(h, m, w, l);
}

using test_support::Shell;

// Pumps messages for up to `ms` of real time or until `done`.
template <class Done>
void Pump(uint32_t ms, Done done)
{
    const uint64_t end = GetTickCount64() + ms;
    MSG msg;
    while (!done() && GetTickCount64() < end) {
        if (PeekMessage(msg, {}, 0, 0, PM_REMOVE)) {
            TranslateMessage(msg);
            DispatchMessage(msg);
        } else {
            WaitMessageTimeout(50);
        }
    }
}

TEST(DisplaySmoke, RealWindowKeysPixelsAndClose)
{
    if (!std::getenv("PLATFORM_DISPLAY_SMOKE"))
        GTEST_SKIP() << "run by display_smoke.test.sh under Xvfb";

    // The reference: the same scene on the headless backend.
    Bitmap expected;
    {
        headless::Session session;
        RegisterClass(WndClass{u"Smoke", 0, SceneProc});
        const HWND h = CreateWindowEx(0, u"Smoke", u"PlatformSmoke", WS_VISIBLE, 0, 0, W, H, {});
        headless::ProcessMessages();
        expected = headless::Screenshot(h);
        DestroyWindow(h);
        headless::ProcessMessages();
    }

    UseBackend(CreateDisplayBackend());
    std::vector<std::pair<UINT, WPARAM>> keys;
    RegisterClass(WndClass{u"Smoke", 0, [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                               if (m == WM_KEYDOWN || m == WM_CHAR)
                                   keys.emplace_back(m, w);
                               return SceneProc(h, m, w, l);
                           }});
    const HWND h = CreateWindowEx(0, u"Smoke", u"PlatformSmoke", WS_VISIBLE, 0, 0, W, H, {});
    ASSERT_TRUE(IsWindow(h));
    Pump(1500, [] { return false; }); // mapped and painted

    const std::string id = Shell("timeout 20 xdotool search --sync --name PlatformSmoke | head -n1");
    ASSERT_FALSE(id.empty());
    const unsigned long window = std::stoul(id);
    Shell("timeout 20 xdotool windowfocus --sync " + std::to_string(window) + " key a shift+b Return");
    auto has = [&](UINT m, WPARAM w) { return std::find(keys.begin(), keys.end(), std::pair{m, w}) != keys.end(); };
    Pump(5000, [&] { return has(WM_CHAR, u'\r'); });
    EXPECT_TRUE(has(WM_KEYDOWN, 'A'));
    EXPECT_TRUE(has(WM_CHAR, u'a'));
    EXPECT_TRUE(has(WM_KEYDOWN, VK_SHIFT));
    EXPECT_TRUE(has(WM_CHAR, u'B'));
    EXPECT_TRUE(has(WM_CHAR, u'\r'));

    const Bitmap shot = test_support::GrabX11Window(window, W, H);
    ASSERT_FALSE(shot.Empty());
    EXPECT_GT(shot.CountDifferences(Bitmap(W, H), 0), 1000u) << "blank window";
    const size_t diff = shot.CountDifferences(expected, 8);
    std::printf("pixels differing from the headless rendering: %zu of %d\n", diff, W * H);
    EXPECT_LT(diff, static_cast<size_t>(W * H / 100)) << diff << " pixels differ";
    if (diff)
        shot.SavePng("display_smoke_actual.png");

    Shell("timeout 20 xdotool windowfocus --sync " + std::to_string(window) + " key alt+F4");
    bool quit = false;
    const uint64_t end = GetTickCount64() + 5000;
    MSG msg;
    while (GetTickCount64() < end) {
        if (PeekMessage(msg, {}, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                break;
            }
            TranslateMessage(msg);
            DispatchMessage(msg);
        } else {
            WaitMessageTimeout(50);
        }
    }
    EXPECT_TRUE(quit);
    EXPECT_FALSE(IsWindow(h));
    ShutdownPlatform();
}

} // namespace
} // namespace platform::test
