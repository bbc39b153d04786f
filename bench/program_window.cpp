// Cold start of the program as a new process: `dataentry` in a real window,
// from spawning it to its first frame reaching the X server, and the
// headless runner, from spawning it on an empty script (start-up, first
// paint, shutdown) to its exit; with the peak memory of each process. The
// real window needs a display; under Xvfb:
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/release/bench/bench_program_window
//
// The program is found beside this benchmark in the build tree, or named by
// DATAENTRY_PROGRAM.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

// A program of the build tree, relative to this benchmark's own folder.
std::string BuildTreeProgram(const char* envName, const char* relative)
{
    if (const char* p = std::getenv(envName))
        return p;
    char self[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return relative;
    const std::filesystem::path exe(std::string(self, static_cast<std::size_t>(n)));
    return (exe.parent_path().parent_path() / relative).string();
}

struct Launch {
    bool ok = false;
    double seconds = 0;  // spawn to first frame
    long peakKiB = 0;
    std::string error;
};

// Runs `args` to its end. With `firstFrame`, the time is taken to the
// frame stamp the program prints, otherwise to its exit.
Launch StartOnce(std::vector<std::string> args, bool firstFrame)
{
    Launch r;
    int fds[2];
    if (pipe(fds) != 0) {
        r.error = "pipe failed";
        return r;
    }
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e)
        envText.emplace_back(*e);
    envText.emplace_back("DATAENTRY_FIRST_FRAME=1");
    std::vector<char*> env;
    for (auto& s : envText)
        env.push_back(s.data());
    env.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string& program = args.front();

    const auto start = std::chrono::system_clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        r.error = "cannot start " + program + ": " + std::strerror(rc);
        return r;
    }
    std::string out;
    char buf[512];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
        out.append(buf, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const auto end = std::chrono::system_clock::now();
    r.peakKiB = usage.ru_maxrss;
    if (!firstFrame) {
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            r.error = "the run failed: " + out;
            return r;
        }
        r.seconds = std::chrono::duration<double>(end - start).count();
        r.ok = true;
        return r;
    }
    const auto at = out.find("first-frame ");
    if (at == std::string::npos || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        r.error = "no frame reported: " + out;
        return r;
    }
    const long long stamp = std::strtoll(out.c_str() + at + 12, nullptr, 10);
    const long long begun =
        std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count();
    r.seconds = static_cast<double>(stamp - begun) / 1e9;
    r.ok = true;
    return r;
}

void RunLaunches(benchmark::State& state, const std::vector<std::string>& args, bool firstFrame)
{
    long peak = 0;
    for (auto _ : state) {
        const Launch l = StartOnce(args, firstFrame);
        if (!l.ok) {
            state.SkipWithError(l.error.c_str());
            return;
        }
        state.SetIterationTime(l.seconds);
        peak = l.peakKiB;
    }
    state.counters["peak_rss_KiB"] = static_cast<double>(peak);
}

void BM_RealWindowColdStart(benchmark::State& state)
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        state.SkipWithError("no DISPLAY: run under xvfb-run -a");
        return;
    }
    RunLaunches(state, {BuildTreeProgram("DATAENTRY_PROGRAM", "program/dataentry")}, true);
}
BENCHMARK(BM_RealWindowColdStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_HeadlessColdRun(benchmark::State& state)
{
    const std::string script =
        (std::filesystem::temp_directory_path() / ("bench_empty_" + std::to_string(getpid()) + ".script")).string();
    std::FILE* f = std::fopen(script.c_str(), "w");
    if (!f) {
        state.SkipWithError("cannot write the script");
        return;
    }
    std::fclose(f);
    RunLaunches(state, {BuildTreeProgram("DATAENTRY_SCRIPT", "tools/dataentry-script"), script}, false);
    std::remove(script.c_str());
}
BENCHMARK(BM_HeadlessColdRun)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
