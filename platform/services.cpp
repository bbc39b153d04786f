// Message boxes, monitors and the program's clipboard.
#include "platform/services.h"

#include <algorithm>

#include "platform/window.h"
#include "platform/wm_internal.h"

namespace platform {

std::vector<int> MessageBoxButtons(UINT flags)
{
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
    }
}

int MessageBoxDefault(UINT flags)
{
    const auto buttons = MessageBoxButtons(flags);
    const size_t i = (flags & MB_DEFMASK) >> 8;
    return buttons[std::min(i, buttons.size() - 1)];
}

std::u16string_view MessageBoxButtonText(int id)
{
    switch (id) {
    case IDOK: return u"OK";
    case IDCANCEL: return u"Cancel";
    case IDABORT: return u"&Abort";
    case IDRETRY: return u"&Retry";
    case IDIGNORE: return u"&Ignore";
    case IDYES: return u"&Yes";
    case IDNO: return u"&No";
    default: return u"";
    }
}

int MessageBox(HWND owner, std::u16string_view text, std::u16string_view caption, UINT flags)
{
    // Capture does not survive a modal box.
    if (HWND cap = GetCapture())
        SendMessage(cap, WM_CANCELMODE);
    return detail::Back().MessageBox(owner, text, caption, flags);
}

HMONITOR MonitorFromPoint(TPoint p, UINT flags)
{
    const auto mons = detail::Back().Monitors();
    for (size_t i = 0; i < mons.size(); ++i)
        if (mons[i].Rect.Contains(p))
            return static_cast<HMONITOR>(i + 1);
    if (flags == MONITOR_DEFAULTTONULL || mons.empty())
        return 0;
    if (flags == MONITOR_DEFAULTTOPRIMARY) {
        for (size_t i = 0; i < mons.size(); ++i)
            if (mons[i].Primary)
                return static_cast<HMONITOR>(i + 1);
        return 1;
    }
    // Nearest: by distance to the rectangle.
    size_t best = 0;
    long long bestD = -1;
    for (size_t i = 0; i < mons.size(); ++i) {
        const TRect& r = mons[i].Rect;
        const long long dx = p.X < r.Left ? r.Left - p.X : p.X >= r.Right ? p.X - r.Right + 1 : 0;
        const long long dy = p.Y < r.Top ? r.Top - p.Y : p.Y >= r.Bottom ? p.Y - r.Bottom + 1 : 0;
        const long long d = dx * dx + dy * dy;
        if (bestD < 0 || d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return static_cast<HMONITOR>(best + 1);
}

HMONITOR MonitorFromWindow(HWND h, UINT flags)
{
    if (!IsWindow(h))
        return flags == MONITOR_DEFAULTTONULL ? 0 : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    const TRect r = GetWindowRect(h);
    return MonitorFromPoint({r.Left + r.Width() / 2, r.Top + r.Height() / 2}, flags);
}

std::optional<MonitorInfo> GetMonitorInfo(HMONITOR m)
{
    const auto mons = detail::Back().Monitors();
    if (m < 1 || static_cast<size_t>(m) > mons.size())
        return std::nullopt;
    return mons[static_cast<size_t>(m - 1)];
}

int GetDpiForMonitor(HMONITOR m)
{
    const auto info = GetMonitorInfo(m);
    return info ? info->Dpi : 0;
}

int GetScreenDpi()
{
    const int d = GetDpiForMonitor(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY));
    return d >= 30 ? d : 96;
}

namespace {
std::optional<std::u16string>& Clip()
{
    static std::optional<std::u16string> c;
    return c;
}
} // namespace

void SetClipboardText(std::u16string_view text) { Clip() = std::u16string(text); }
std::optional<std::u16string> GetClipboardText() { return Clip(); }
void EmptyClipboard() { Clip().reset(); }

} // namespace platform
