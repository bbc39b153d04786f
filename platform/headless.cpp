#include "platform/headless.h"

#include <algorithm>

#include "core/exception.h"
#include "platform/dc.h"
#include "platform/services.h"
#include "platform/window.h"
#include "platform/wm_internal.h"

namespace platform {

int HeadlessBackend::MessageBox(HWND owner, std::u16string_view text, std::u16string_view caption, UINT flags)
{
    MessageBoxRecord r{owner, std::u16string(text), std::u16string(caption), flags, MessageBoxButtons(flags), 0};
    if (!Answers.empty()) {
        r.Answer = Answers.front();
        Answers.pop_front();
    } else {
        r.Answer = MessageBoxDefault(flags);
    }
    Boxes.push_back(r);
    return r.Answer;
}

std::vector<MonitorInfo> HeadlessBackend::Monitors()
{
    TRect work = Screen;
    work.Bottom -= 40;
    return {MonitorInfo{Screen, work, DensityQueryResult ? *DensityQueryResult : Density, true}};
}

namespace headless {

Session::Session() { UseBackend(std::make_unique<HeadlessBackend>()); }
Session::~Session() { ShutdownPlatform(); }
HeadlessBackend& Session::Backend() { return Get(); }

HeadlessBackend& Get()
{
    auto* h = dynamic_cast<HeadlessBackend*>(&CurrentBackend());
    if (!h)
        core::Raise<core::EInvalidOperation>("The headless backend is not in use");
    return *h;
}

void Advance(uint32_t ms) { Get().Clock += ms; }
uint64_t Now() { return Get().Clock; }

size_t ProcessMessages(size_t limit)
{
    size_t n = 0;
    MSG msg;
    while (n < limit && PeekMessage(msg, {}, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam)); // left for the caller's loop
            break;
        }
        TranslateMessage(msg);
        DispatchMessage(msg);
        ++n;
    }
    return n;
}

void KeyDown(int vk) { QueueKey(vk, true); }
void KeyUp(int vk) { QueueKey(vk, false); }

void PressKey(int vk, unsigned modifiers)
{
    if (modifiers & Ctrl)
        KeyDown(VK_CONTROL);
    if (modifiers & Alt)
        KeyDown(VK_MENU);
    if (modifiers & Shift)
        KeyDown(VK_SHIFT);
    KeyDown(vk);
    KeyUp(vk);
    if (modifiers & Shift)
        KeyUp(VK_SHIFT);
    if (modifiers & Alt)
        KeyUp(VK_MENU);
    if (modifiers & Ctrl)
        KeyUp(VK_CONTROL);
}

void TypeText(std::u16string_view text)
{
    for (char16_t c : text)
        QueueChar(c);
}

namespace {
TPoint ToScreen(HWND h, TPoint client)
{
    Get();
    return ClientToScreen(h, client);
}
void MoveIfNeeded(TPoint screen)
{
    auto& s = detail::S();
    // The position of the last queued move, or the cursor.
    TPoint last = s.CursorAt;
    for (auto it = s.Queue.rbegin(); it != s.Queue.rend(); ++it)
        if (it->Kind == detail::QueuedKind::MouseMove || it->Kind == detail::QueuedKind::MouseButton) {
            last = PointFromLParam(it->Msg.lParam);
            break;
        }
    if (!(last == screen))
        QueueMouseMove(screen);
}
} // namespace

void MouseMove(HWND h, TPoint client) { QueueMouseMove(ToScreen(h, client)); }

void MouseDown(HWND h, TPoint client, int button)
{
    const TPoint p = ToScreen(h, client);
    MoveIfNeeded(p);
    QueueMouseButton(button, true, p);
}

void MouseUp(HWND h, TPoint client, int button)
{
    const TPoint p = ToScreen(h, client);
    MoveIfNeeded(p);
    QueueMouseButton(button, false, p);
}

void Click(HWND h, TPoint client, int button)
{
    MouseDown(h, client, button);
    MouseUp(h, client, button);
}

void DoubleClick(HWND h, TPoint client, int button)
{
    Click(h, client, button);
    Click(h, client, button);
}

void Wheel(HWND h, TPoint client, int delta) { QueueMouseWheel(delta, ToScreen(h, client)); }

void AnswerMessageBox(int answer) { Get().Answers.push_back(answer); }
const std::vector<MessageBoxRecord>& MessageBoxes() { return Get().Boxes; }

void SetDensity(int dpi) { Get().Density = dpi; }

void ChangeDensity(int dpi)
{
    // Sizes scale from the last density that was known.
    HeadlessBackend& b = Get();
    const int old = b.LastGoodDensity;
    b.Density = dpi;
    if (dpi >= 30)
        b.LastGoodDensity = dpi;
    for (HWND h : GetTopLevelWindows()) {
        const TRect w = GetWindowRect(h);
        const TRect r = dpi >= 30 ? Bounds(w.Left, w.Top, MulDiv(w.Width(), dpi, old), MulDiv(w.Height(), dpi, old)) : w;
        SendMessage(h, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
    }
}

Bitmap Screenshot(HWND h)
{
    const HWND top = GetTopLevel(h);
    Bitmap whole = detail::ComposeScreenshot(top);
    if (top == h || whole.Empty())
        return whole;
    // A child window: its rectangle cut out of its top-level window's pixels.
    const TRect r = GetWindowRect(h);
    const TRect t = GetWindowRect(top);
    Bitmap part(r.Width(), r.Height());
    DeviceContext src(whole), dst(part);
    dst.BitBlt(0, 0, r.Width(), r.Height(), src, r.Left - t.Left, r.Top - t.Top);
    return part;
}

void SaveScreenshot(HWND top, const std::string& path) { Screenshot(top).SavePng(path); }

Bitmap ScreenAreaOf(HWND top)
{
    Bitmap area = detail::ComposeScreenshot(top);
    if (area.Empty())
        return area;
    const TRect base = GetWindowRect(top);
    const std::vector<HWND> windows = GetTopLevelWindows();
    const auto self = std::find(windows.begin(), windows.end(), top);
    DeviceContext dst(area);
    // From the one just above `top` up to the top of the z-order.
    for (auto it = std::make_reverse_iterator(self); it != windows.rend(); ++it) {
        if (!IsWindowVisible(*it))
            continue;
        Bitmap over = detail::ComposeScreenshot(*it);
        if (over.Empty())
            continue;
        const TRect r = GetWindowRect(*it);
        DeviceContext src(over);
        dst.BitBlt(r.Left - base.Left, r.Top - base.Top, r.Width(), r.Height(), src, 0, 0);
    }
    return area;
}

} // namespace headless
} // namespace platform
