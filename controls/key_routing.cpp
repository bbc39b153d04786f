#include "controls/key_routing.h"

#include "controls/control.h"
#include "platform/window.h"

namespace controls {

using namespace platform;

HWND KeyMessageTarget(const MSG& msg)
{
    if (HWND capture = GetCapture())
        return capture;
    for (HWND h = msg.hwnd; h; h = GetParent(h))
        if (FindControl(h))
            return h;
    return msg.hwnd;
}

bool IsKeyMsg(const MSG& msg)
{
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST)
        return false;
    const HWND target = KeyMessageTarget(msg);
    if (!target || !FindControl(target))
        return false;
    return SendMessage(target, CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
}

bool ProcessOneMessage()
{
    MSG msg;
    if (!PeekMessage(msg, HWND(), 0, 0, PM_REMOVE) || msg.message == WM_QUIT)
        return false;
    if (!IsKeyMsg(msg)) {
        TranslateMessage(msg);
        DispatchMessage(msg);
    }
    return true;
}

} // namespace controls
