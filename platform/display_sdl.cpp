// The SDL2 display backend. SDL is polled (SDL_PollEvent / SDL_WaitEvent),
// never asked to call back into our code, so no exception can cross it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include <SDL.h>

#include "core/exception.h"
#include "core/ustring.h"
#include "platform/display.h"
#include "platform/services.h"
#include "platform/window.h"
#include "platform/wm_internal.h"

namespace platform {

int VirtualKeyFromSdl(int k)
{
    if (k >= SDLK_a && k <= SDLK_z)
        return 'A' + (k - SDLK_a);
    if (k >= SDLK_0 && k <= SDLK_9)
        return '0' + (k - SDLK_0);
    if (k >= SDLK_F1 && k <= SDLK_F12)
        return VK_F1 + (k - SDLK_F1);
    if (k >= SDLK_KP_1 && k <= SDLK_KP_9)
        return VK_NUMPAD0 + 1 + (k - SDLK_KP_1);
    switch (k) {
    case SDLK_KP_0: return VK_NUMPAD0;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;
    case SDLK_CAPSLOCK: return VK_CAPITAL;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_SEMICOLON: return VK_OEM_1;
    case SDLK_EQUALS: return VK_OEM_PLUS;
    case SDLK_COMMA: return VK_OEM_COMMA;
    case SDLK_MINUS: return VK_OEM_MINUS;
    case SDLK_PERIOD: return VK_OEM_PERIOD;
    case SDLK_SLASH: return VK_OEM_2;
    case SDLK_BACKQUOTE: return VK_OEM_3;
    case SDLK_LEFTBRACKET: return VK_OEM_4;
    case SDLK_BACKSLASH: return VK_OEM_5;
    case SDLK_RIGHTBRACKET: return VK_OEM_6;
    case SDLK_QUOTE: return VK_OEM_7;
    case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
    case SDLK_KP_PLUS: return VK_ADD;
    case SDLK_KP_MINUS: return VK_SUBTRACT;
    case SDLK_KP_PERIOD: return VK_DECIMAL;
    case SDLK_KP_DIVIDE: return VK_DIVIDE;
    default: return 0;
    }
}

namespace {

class DisplayBackend : public Backend {
public:
    DisplayBackend()
    {
        // Frames are composed in memory and copied to the window whole, so
        // the plain (shared-memory) window surface is all that is needed;
        // an accelerated surface would load a whole GL stack at start-up.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0)
            core::Raise<core::EInvalidOperation>("Cannot open the display: {}", SDL_GetError());
        SDL_StartTextInput();
        FStart = SDL_GetTicks64();
    }
    ~DisplayBackend() override
    {
        for (auto& [id, w] : FWindows)
            SDL_DestroyWindow(w);
        for (auto& [shape, c] : FCursors)
            SDL_FreeCursor(c);
        // SDL stays initialised (and its libraries loaded) until the process
        // ends: a later display backend reuses it.
    }

    const char* Name() const override { return "display"; }
    uint64_t Now() override { return SDL_GetTicks64() - FStart; }

    void PollEvents() override
    {
        SDL_Event ev;
        while (SDL_PollEvent(&ev))
            Handle(ev);
    }

    bool WaitForEvents(std::optional<uint64_t> deadline) override
    {
        Present();
        int timeout = -1;
        if (deadline) {
            const uint64_t now = Now();
            timeout = *deadline > now ? static_cast<int>(std::min<uint64_t>(*deadline - now, 1000)) : 0;
        }
        SDL_Event ev;
        const int got = timeout < 0 ? SDL_WaitEvent(&ev) : SDL_WaitEventTimeout(&ev, timeout);
        if (got)
            Handle(ev);
        return true;
    }

    void WindowCreated(HWND h) override
    {
        const TRect r = GetWindowRect(h);
        const uint32_t ex = static_cast<uint32_t>(GetWindowLongPtr(h, GWL_EXSTYLE));
        const uint32_t style = static_cast<uint32_t>(GetWindowLongPtr(h, GWL_STYLE));
        Uint32 flags = SDL_WINDOW_HIDDEN;
        if ((style & WS_POPUP) && !(style & WS_CAPTION))
            flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_POPUP_MENU;
        else if (ex & WS_EX_TOOLWINDOW)
            flags |= SDL_WINDOW_UTILITY;
        const std::string title = core::ToUtf8(GetWindowText(h));
        SDL_Window* w = SDL_CreateWindow(title.c_str(), r.Left, r.Top, std::max(1, r.Width()), std::max(1, r.Height()), flags);
        if (!w)
            return; // the window lives on without a native one (nothing is shown)
        FWindows[h.Id()] = w;
        FHandles[SDL_GetWindowID(w)] = h;
    }

    void WindowDestroyed(HWND h) override
    {
        auto it = FWindows.find(h.Id());
        if (it == FWindows.end())
            return;
        FHandles.erase(SDL_GetWindowID(it->second));
        SDL_DestroyWindow(it->second);
        FWindows.erase(it);
        FDirty.erase(h.Id());
    }

    void WindowChanged(HWND h) override
    {
        SDL_Window* w = Native(h);
        if (!w || FApplying)
            return;
        const TRect r = GetWindowRect(h);
        int x, y, cw, ch;
        SDL_GetWindowPosition(w, &x, &y);
        SDL_GetWindowSize(w, &cw, &ch);
        if (x != r.Left || y != r.Top)
            SDL_SetWindowPosition(w, r.Left, r.Top);
        if (cw != r.Width() || ch != r.Height())
            SDL_SetWindowSize(w, std::max(1, r.Width()), std::max(1, r.Height()));
        const std::string title = core::ToUtf8(GetWindowText(h));
        if (title != SDL_GetWindowTitle(w))
            SDL_SetWindowTitle(w, title.c_str());
        const bool visible = GetWindowLongPtr(h, GWL_STYLE) & WS_VISIBLE;
        const bool shown = SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN;
        if (visible && !shown) {
            SDL_ShowWindow(w);
            FDirty.insert(h.Id());
        } else if (!visible && shown) {
            SDL_HideWindow(w);
        }
    }

    void SurfaceChanged(HWND h) override { FDirty.insert(h.Id()); }

    void Present() override
    {
        // The caret's blink shows through a repaint of its window.
        const bool caretOn = IsCaretVisible();
        if (caretOn != FCaretWasOn || GetCaretPos() != FCaretPos) {
            FCaretWasOn = caretOn;
            FCaretPos = GetCaretPos();
            if (const auto& c = detail::S().TheCaret)
                if (HWND top = GetTopLevel(c->Owner))
                    FDirty.insert(top.Id());
        }
        for (uint32_t id : FDirty) {
            const HWND h(id);
            SDL_Window* w = Native(h);
            if (!w || !(SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN))
                continue;
            const Bitmap shot = detail::ComposeScreenshot(h);
            SDL_Surface* s = SDL_GetWindowSurface(w);
            if (!s || shot.Empty())
                continue;
            SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(shot.Data()), shot.Width(),
                                                                  shot.Height(), 32, shot.Stride(),
                                                                  SDL_PIXELFORMAT_ARGB8888);
            if (src) {
                SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
                SDL_BlitSurface(src, nullptr, s, nullptr);
                SDL_FreeSurface(src);
                SDL_UpdateWindowSurface(w);
                ReportFirstFrame();
            }
        }
        FDirty.clear();
    }

    // Start-up measurement: with DATAENTRY_FIRST_FRAME set, the first frame
    // that reaches the screen prints the wall-clock time on standard error
    // and ends the program, so a launcher can time a cold start.
    void ReportFirstFrame()
    {
        if (FFirstFrameSeen)
            return;
        FFirstFrameSeen = true;
        if (!std::getenv("DATAENTRY_FIRST_FRAME"))
            return;
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        std::fprintf(stderr, "first-frame %lld\n",
                     static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
        std::fflush(stderr);
        PostQuitMessage(0);
    }

    int MessageBox(HWND owner, std::u16string_view text, std::u16string_view caption, UINT flags) override
    {
        const std::vector<int> ids = MessageBoxButtons(flags);
        std::vector<std::string> labels;
        for (int id : ids) {
            std::u16string t(MessageBoxButtonText(id));
            std::erase(t, u'&');
            labels.push_back(core::ToUtf8(t));
        }
        std::vector<SDL_MessageBoxButtonData> buttons;
        const int def = MessageBoxDefault(flags);
        for (size_t i = 0; i < ids.size(); ++i) {
            Uint32 bf = 0;
            if (ids[i] == def)
                bf |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
            if (ids[i] == IDCANCEL || (ids.size() == 1))
                bf |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
            buttons.push_back({bf, ids[i], labels[i].c_str()});
        }
        const std::string t = core::ToUtf8(text), c = core::ToUtf8(caption);
        Uint32 kind = SDL_MESSAGEBOX_INFORMATION;
        if ((flags & MB_ICONMASK) == MB_ICONERROR)
            kind = SDL_MESSAGEBOX_ERROR;
        else if ((flags & MB_ICONMASK) == MB_ICONWARNING)
            kind = SDL_MESSAGEBOX_WARNING;
        SDL_MessageBoxData data{kind, Native(GetTopLevel(owner)), c.c_str(), t.c_str(),
                                static_cast<int>(buttons.size()), buttons.data(), nullptr};
        int answer = 0;
        if (SDL_ShowMessageBox(&data, &answer) != 0 || answer < 0)
            return ids.size() == 1 ? ids[0] : (std::find(ids.begin(), ids.end(), IDCANCEL) != ids.end() ? IDCANCEL : def);
        return answer;
    }

    std::vector<MonitorInfo> Monitors() override
    {
        std::vector<MonitorInfo> out;
        const int n = SDL_GetNumVideoDisplays();
        for (int i = 0; i < n; ++i) {
            SDL_Rect b, u;
            if (SDL_GetDisplayBounds(i, &b) != 0)
                continue;
            if (SDL_GetDisplayUsableBounds(i, &u) != 0)
                u = b;
            float ddpi = 0, hdpi = 0, vdpi = 0;
            int dpi = 0; // unknown unless the display tells
            if (SDL_GetDisplayDPI(i, &ddpi, &hdpi, &vdpi) == 0 && vdpi >= 30)
                dpi = static_cast<int>(vdpi + 0.5f);
            out.push_back({Bounds(b.x, b.y, b.w, b.h), Bounds(u.x, u.y, u.w, u.h), dpi, i == 0});
        }
        return out;
    }

    void Wake() override
    {
        SDL_Event ev{};
        ev.type = SDL_USEREVENT;
        SDL_PushEvent(&ev); // thread-safe
    }

    TPoint CursorPos() override
    {
        int x = 0, y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        return {x, y};
    }

    void SetCursorPos(TPoint p) override { SDL_WarpMouseGlobal(p.X, p.Y); }

    void SetCursorShape(Cursor shape) override
    {
        SDL_Cursor*& c = FCursors[shape];
        if (!c) {
            SDL_SystemCursor id = SDL_SYSTEM_CURSOR_ARROW;
            switch (shape) {
            case Cursor::IBeam: id = SDL_SYSTEM_CURSOR_IBEAM; break;
            case Cursor::Wait: id = SDL_SYSTEM_CURSOR_WAIT; break;
            case Cursor::Cross: id = SDL_SYSTEM_CURSOR_CROSSHAIR; break;
            case Cursor::SizeWE:
            case Cursor::HSplit: id = SDL_SYSTEM_CURSOR_SIZEWE; break;
            case Cursor::SizeNS:
            case Cursor::VSplit: id = SDL_SYSTEM_CURSOR_SIZENS; break;
            case Cursor::Hand: id = SDL_SYSTEM_CURSOR_HAND; break;
            case Cursor::No: id = SDL_SYSTEM_CURSOR_NO; break;
            default: break;
            }
            c = SDL_CreateSystemCursor(id);
        }
        if (c)
            SDL_SetCursor(c);
    }

    std::optional<char16_t> TranslateKey(int vk, bool shift, bool ctrl, bool alt) override
    {
        // Printable characters arrive as text input.
        return ControlChar(vk, shift, ctrl, alt);
    }

private:
    SDL_Window* Native(HWND h)
    {
        auto it = FWindows.find(h.Id());
        return it == FWindows.end() ? nullptr : it->second;
    }

    HWND FromEvent(Uint32 windowId)
    {
        auto it = FHandles.find(windowId);
        return it == FHandles.end() ? HWND() : it->second;
    }

    TPoint ToScreen(Uint32 windowId, int x, int y)
    {
        const HWND h = FromEvent(windowId);
        if (!h)
            return {x, y};
        const TRect r = GetWindowRect(h);
        return {r.Left + x, r.Top + y};
    }

    void Handle(const SDL_Event& ev)
    {
        switch (ev.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (int vk = VirtualKeyFromSdl(ev.key.keysym.sym))
                QueueKey(vk, ev.type == SDL_KEYDOWN);
            break;
        case SDL_TEXTINPUT:
            for (char16_t c : core::FromUtf8(ev.text.text))
                QueueChar(c);
            break;
        case SDL_MOUSEMOTION: QueueMouseMove(ToScreen(ev.motion.windowID, ev.motion.x, ev.motion.y)); break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const int b = ev.button.button == SDL_BUTTON_RIGHT ? 1 : ev.button.button == SDL_BUTTON_MIDDLE ? 2 : 0;
            QueueMouseButton(b, ev.type == SDL_MOUSEBUTTONDOWN, ToScreen(ev.button.windowID, ev.button.x, ev.button.y));
            break;
        }
        case SDL_MOUSEWHEEL: QueueMouseWheel(ev.wheel.y * WHEEL_DELTA, CursorPos()); break;
        case SDL_WINDOWEVENT: {
            const HWND h = FromEvent(ev.window.windowID);
            if (!h)
                break;
            FApplying = true;
            switch (ev.window.event) {
            case SDL_WINDOWEVENT_CLOSE: QueueClose(h); break;
            case SDL_WINDOWEVENT_EXPOSED: FDirty.insert(h.Id()); break;
            case SDL_WINDOWEVENT_MOVED:
                SetWindowPos(h, {}, ev.window.data1, ev.window.data2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                break;
            case SDL_WINDOWEVENT_SIZE_CHANGED:
                SetWindowPos(h, {}, 0, 0, ev.window.data1, ev.window.data2, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
                FDirty.insert(h.Id());
                break;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                if (GetActiveWindow() != h)
                    SetActiveWindow(h);
                break;
            case SDL_WINDOWEVENT_MINIMIZED: ShowWindow(h, SW_SHOWMINNOACTIVE); break;
            case SDL_WINDOWEVENT_RESTORED: ShowWindow(h, SW_SHOWNA); break;
            default: break;
            }
            FApplying = false;
            break;
        }
        default: break;
        }
    }

    uint64_t FStart = 0;
    std::unordered_map<uint32_t, SDL_Window*> FWindows; // by handle
    std::unordered_map<Uint32, HWND> FHandles;         // by SDL window id
    std::unordered_set<uint32_t> FDirty;
    std::map<Cursor, SDL_Cursor*> FCursors;
    bool FApplying = false;
    bool FCaretWasOn = false;
    bool FFirstFrameSeen = false;
    TPoint FCaretPos;
};

} // namespace

std::unique_ptr<Backend> CreateDisplayBackend() { return std::make_unique<DisplayBackend>(); }

} // namespace platform
