#pragma once
// Services beside the window manager: message boxes, monitors and their
// pixel density, and the clipboard of the program.
#include <optional>
#include <string>
#include <string_view>

#include "platform/backend.h"
#include "platform/types.h"

namespace platform {

// The platform's modal message box; answers IDOK, IDCANCEL, IDYES, ...
int MessageBox(HWND owner, std::u16string_view text, std::u16string_view caption, UINT flags);
// Button answers of a MB_ type, in the order shown (MB_OK: {IDOK}, ...).
std::vector<int> MessageBoxButtons(UINT flags);
// The answer of the default button (MB_DEFBUTTONn).
int MessageBoxDefault(UINT flags);
// The platform's text of a button answer ("OK", "Cancel", "&Yes", ...).
std::u16string_view MessageBoxButtonText(int id);

using HMONITOR = int; // 1-based, 0 = none
constexpr UINT MONITOR_DEFAULTTONULL = 0, MONITOR_DEFAULTTOPRIMARY = 1, MONITOR_DEFAULTTONEAREST = 2;
HMONITOR MonitorFromWindow(HWND h, UINT flags);
HMONITOR MonitorFromPoint(TPoint p, UINT flags);
std::optional<MonitorInfo> GetMonitorInfo(HMONITOR m);
// The monitor's pixel density; 0 when the query failed.
int GetDpiForMonitor(HMONITOR m);
// The screen's density (primary monitor, 96 when unknown).
int GetScreenDpi();

// Clipboard of the program (text only).
void SetClipboardText(std::u16string_view text);
std::optional<std::u16string> GetClipboardText();
void EmptyClipboard();

} // namespace platform
