// The program in a real window, run by real_window.test.sh under a virtual
// X server (skipped otherwise): it opens Form1 at its stored size, takes a
// short version of the typical edit from xdotool, looks like the headless
// program after the same steps, and ends with status 0 when the window
// manager closes it.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/headless.h"
#include "program_fixture.h"
#include "support/x11_window.h"

extern char** environ;

namespace program_test {
namespace {

using test_support::Shell;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Waits up to `ms` for the child to end; its exit status, or -1.
int WaitExit(pid_t pid, int ms)
{
    for (int waited = 0; waited <= ms; waited += 50) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        Sleep(50);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

constexpr const char* kSteps = "key down\ntype 1\nkey tab\ntype Ana\nkey down\n";

TEST(RealWindow, TheProgramOpensTakesATypicalEditAndCloses)
{
    const char* program = std::getenv("DATAENTRY_PROGRAM");
    if (!program || !std::getenv("DISPLAY"))
        GTEST_SKIP() << "run by real_window.test.sh under Xvfb";

    // The headless program after the same steps.
    platform::Bitmap expected;
    nlohmann::ordered_json state;
    RunScript(std::string(kSteps) + "state after\nshot after\n",
              [&](const std::string&, const nlohmann::ordered_json& s) { state = IndexByName(s); },
              [&](const std::string&, platform::HWND form) { expected = platform::headless::Screenshot(form); });
    ASSERT_FALSE(expected.Empty());
    EXPECT_EQ(state["ClientDataSet1"]["rows"], nlohmann::ordered_json::parse(R"([[1, "Ana"]])"));

    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(program), nullptr};
    ASSERT_EQ(posix_spawn(&pid, program, nullptr, nullptr, argv, environ), 0);
    const std::string id = Shell("timeout 20 xdotool search --sync --name '^Form1$' | head -n1");
    ASSERT_FALSE(id.empty()) << "no window named Form1";
    const unsigned long window = std::stoul(id);
    const std::string geometry = Shell("xdotool getwindowgeometry " + id);
    EXPECT_NE(geometry.find("787x476"), std::string::npos) << geometry;

    const platform::Bitmap first = test_support::GrabX11Window(window, 787, 476);
    ASSERT_FALSE(first.Empty());
    EXPECT_GT(first.CountDifferences(platform::Bitmap(787, 476), 0), 10000u) << "blank window";

    Shell("timeout 20 xdotool windowfocus --sync " + id + " key --delay 60 Down 1 Tab A n a Down");
    Sleep(1500);
    const platform::Bitmap shot = test_support::GrabX11Window(window, 787, 476);
    ASSERT_FALSE(shot.Empty());
    const size_t diff = shot.CountDifferences(expected, 8);
    std::printf("pixels differing from the headless program: %zu of %d\n", diff, 787 * 476);
    if (diff > 787 * 476 / 200) {
        shot.SavePng("real_window_actual.png");
        expected.SavePng("real_window_expected.png");
    }
    EXPECT_LE(diff, static_cast<size_t>(787 * 476 / 200));

    EXPECT_TRUE(test_support::CloseX11Window(window));
    EXPECT_EQ(WaitExit(pid, 10000), 0);
}

} // namespace
} // namespace program_test
