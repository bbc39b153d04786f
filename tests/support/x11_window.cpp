// Kept apart: the X headers define macros that clash with other code.
#include "support/x11_window.h"

#include <dlfcn.h>

#include <cstdio>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "platform/dc.h"

namespace test_support {

namespace {

// libX11 stays loaded once opened: the leak checker must still find its code.
void* X11()
{
    static void* lib = dlopen("libX11.so.6", RTLD_NOW);
    return lib;
}

template <class F>
F Symbol(const char* name)
{
    return X11() ? reinterpret_cast<F>(dlsym(X11(), name)) : nullptr;
}

} // namespace

platform::Bitmap GrabX11Window(unsigned long window, int width, int height)
{
    auto open = Symbol<Display* (*)(const char*)>("XOpenDisplay");
    auto close = Symbol<int (*)(Display*)>("XCloseDisplay");
    auto get = Symbol<XImage* (*)(Display*, Drawable, int, int, unsigned, unsigned, unsigned long, int)>("XGetImage");
    Display* d = (open && close && get) ? open(nullptr) : nullptr;
    if (!d)
        return {};
    platform::Bitmap out;
    if (XImage* img = get(d, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), ~0UL, ZPixmap)) {
        out = platform::Bitmap(width, height);
        platform::DeviceContext dc(out);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const auto p = static_cast<uint32_t>(img->f.get_pixel(img, x, y) & 0xFFFFFF);
                dc.SetPixel(x, y, ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16));
            }
        img->f.destroy_image(img);
    }
    close(d);
    return out;
}

bool CloseX11Window(unsigned long window)
{
    auto open = Symbol<Display* (*)(const char*)>("XOpenDisplay");
    auto close = Symbol<int (*)(Display*)>("XCloseDisplay");
    auto atom = Symbol<Atom (*)(Display*, const char*, Bool)>("XInternAtom");
    auto send = Symbol<Status (*)(Display*, Window, Bool, long, XEvent*)>("XSendEvent");
    auto flush = Symbol<int (*)(Display*)>("XFlush");
    Display* d = (open && close && atom && send && flush) ? open(nullptr) : nullptr;
    if (!d)
        return false;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = atom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(atom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    const bool ok = send(d, window, False, NoEventMask, &e) != 0;
    flush(d);
    close(d);
    return ok;
}

std::string Shell(const std::string& command)
{
    std::string out;
    if (FILE* f = popen(command.c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, f))
            out += buf;
        pclose(f);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

} // namespace test_support
