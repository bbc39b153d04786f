// dataentry: the program. It takes no options.
#include <cstdio>
#include <cstdlib>

#include "app/application.h"
#include "platform/backend.h"
#include "platform/display.h"
#include "program/form1.h"

int main()
{
    const char* x = std::getenv("DISPLAY");
    const char* wl = std::getenv("WAYLAND_DISPLAY");
    std::unique_ptr<platform::Backend> display;
    if ((x && *x) || (wl && *wl)) {
        try {
            display = platform::CreateDisplayBackend();
        } catch (const std::exception&) {
            display.reset();
        }
    }
    if (!display) {
        std::fputs("dataentry: no display is available; run the program headless with: dataentry-script SCRIPT\n",
                   stderr);
        return 1;
    }
    platform::UseBackend(std::move(display));
    program::RegisterProgram();
    const int code = app::RunEntryPoint(program::RunProgram);
    platform::ShutdownPlatform();
    return code;
}
