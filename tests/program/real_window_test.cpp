// The program in a real window, run by real_window.test.sh under a virtual
// X server (skipped otherwise): it opens Form1 at its stored size, takes
// short edits from xdotool (the typical one, and Enter after going back up
// over an untouched append), looks like the headless program after the same
// steps, and ends with status 0 when the window manager closes it.
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

// One edit in the real program, typed by xdotool, against the headless
// program after the same steps (a script for the runner, the same keys for
// xdotool). Answers the pixels that differ, or -1 when a step failed; the
// runner's final state goes to `state`.
long EditInRealWindow(const char* program, const std::string& steps, const std::string& keys,
                      nlohmann::ordered_json& state)
{
    platform::Bitmap expected;
    RunScript(steps + "state after\nshot after\n",
              [&](const std::string&, const nlohmann::ordered_json& s) { state = IndexByName(s); },
              [&](const std::string&, platform::HWND form) { expected = platform::headless::Screenshot(form); });
    EXPECT_FALSE(expected.Empty());
    if (expected.Empty())
        return -1;

    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(program), nullptr};
    EXPECT_EQ(posix_spawn(&pid, program, nullptr, nullptr, argv, environ), 0);
    if (pid == 0)
        return -1;
    const std::string id = Shell("timeout 20 xdotool search --sync --name '^Form1$' | head -n1");
    EXPECT_FALSE(id.empty()) << "no window named Form1";
    if (id.empty()) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return -1;
    }
    const unsigned long window = std::stoul(id);
    const std::string geometry = Shell("xdotool getwindowgeometry " + id);
    EXPECT_NE(geometry.find("787x476"), std::string::npos) << geometry;

    const platform::Bitmap first = test_support::GrabX11Window(window, 787, 476);
    EXPECT_FALSE(first.Empty());
    EXPECT_GT(first.CountDifferences(platform::Bitmap(787, 476), 0), 10000u) << "blank window";

    Shell("timeout 20 xdotool windowfocus --sync " + id + " key --delay 60 " + keys);
    Sleep(1500);
    const platform::Bitmap shot = test_support::GrabX11Window(window, 787, 476);
    EXPECT_FALSE(shot.Empty());
    const long diff = shot.Empty() ? -1 : static_cast<long>(shot.CountDifferences(expected, 8));
    std::printf("pixels differing from the headless program: %ld of %d\n", diff, 787 * 476);
    if (diff != 0) {
        shot.SavePng("real_window_actual.png");
        expected.SavePng("real_window_expected.png");
    }
    EXPECT_TRUE(test_support::CloseX11Window(window));
    EXPECT_EQ(WaitExit(pid, 10000), 0);
    return diff;
}

const char* RealProgram()
{
    const char* program = std::getenv("DATAENTRY_PROGRAM");
    return program && std::getenv("DISPLAY") ? program : nullptr;
}

TEST(RealWindow, TheProgramOpensTakesATypicalEditAndCloses)
{
    const char* program = RealProgram();
    if (!program)
        GTEST_SKIP() << "run by real_window.test.sh under Xvfb";
    nlohmann::ordered_json state;
    const long diff = EditInRealWindow(program, "key down\ntype 1\nkey tab\ntype Ana\nkey down\n",
                                       "Down 1 Tab A n a Down", state);
    EXPECT_EQ(state["ClientDataSet1"]["rows"], nlohmann::ordered_json::parse(R"([[1, "Ana"]])"));
    EXPECT_GE(diff, 0);
    EXPECT_LE(diff, 787 * 476 / 200);
}

TEST(RealWindow, EnterAfterGoingBackUpOpensTheEditor)
{
    // After a posted row and an untouched append taken back with Up, the
    // first Enter must open the editor: Backspace then empties the name,
    // which Down posts. Were the editor left shut, "Ana" would stay, a
    // difference of a whole word against the headless program.
    const char* program = RealProgram();
    if (!program)
        GTEST_SKIP() << "run by real_window.test.sh under Xvfb";
    nlohmann::ordered_json state;
    const long diff = EditInRealWindow(
        program, "key down\ntype 1\nkey tab\ntype Ana\nkey down\nkey up\nkey return\nkey backspace\nkey down\n",
        "Down 1 Tab A n a Down Up Return BackSpace Down", state);
    EXPECT_EQ(state["ClientDataSet1"]["rows"].size(), 1u);
    EXPECT_NE(state["ClientDataSet1"]["rows"][0][1], "Ana");
    EXPECT_GE(diff, 0);
    EXPECT_LE(diff, 20);
}

} // namespace
} // namespace program_test
