#pragma once
// Test helpers: a headless session per test and windows that record the
// messages they receive.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/headless.h"
#include "platform/window.h"

namespace platform::test {

struct Received {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Registers the class "Recorder" (CS_DBLCLKS) whose windows log the
// messages listed in `Interesting` into `Log`, then pass it to `Handler` (when set)
// or DefWindowProc.
class RecorderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterClass(WndClass{u"Recorder", CS_DBLCLKS,
                               [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                                   if (std::find(Interesting.begin(), Interesting.end(), m) != Interesting.end())
                                       Log.push_back({h, m, w, l});
                                   if (Handler)
                                       return Handler(h, m, w, l);
                                   return DefWindowProc(h, m, w, l);
                               },
                               Cursor::Arrow, 0xFFFFFF});
    }

    HWND TopLevel(int w = 200, int h = 100)
    {
        return CreateWindowEx(0, u"Recorder", u"Top", WS_VISIBLE | WS_CLIPCHILDREN, 10, 20, w, h, {});
    }
    HWND Child(HWND parent, TRect r, uint32_t style = 0)
    {
        return CreateWindowEx(0, u"Recorder", u"Child", WS_CHILD | WS_VISIBLE | style, r.Left, r.Top, r.Width(),
                              r.Height(), parent);
    }
    std::vector<UINT> Messages() const
    {
        std::vector<UINT> m;
        for (const auto& r : Log)
            m.push_back(r.message);
        return m;
    }

    std::vector<UINT> Interesting;
    std::vector<Received> Log;
    std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> Handler;
    // Last, so that windows are destroyed while the members above still live.
    headless::Session Session;
};

} // namespace platform::test
