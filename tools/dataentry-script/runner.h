#pragma once
// Carries out a parsed script against the program on the headless backend.
#include <functional>
#include <string>
#include <vector>

#include "platform/types.h"
#include "tools/dataentry-script/script.h"
#include "tools/dataentry-script/state.h"

namespace runner {

// The top-most window under a point of a form's client area (pop-ups
// included), and the point in that window's client coordinates.
platform::HWND WindowAt(platform::HWND form, long long x, long long y, platform::TPoint& client);

class Runner {
public:
    explicit Runner(std::vector<Step> steps) : FSteps(std::move(steps)) {}
    // The entry point's steps, then the script; returns when the script ends
    // or the program does.
    void Run();
    bool Failed() const { return !FFailReason.empty(); }
    int FailedLine() const { return FFailLine; }
    const std::string& FailedReason() const { return FFailReason; }

    // When set, `state` and `shot` steps hand their result here instead of
    // writing the file they name (the program's tests compare in memory).
    std::function<void(const std::string& name, const nlohmann::ordered_json& state)> OnState;
    std::function<void(const std::string& name, platform::HWND form)> OnShot;

private:
    void Execute(const Step& s);
    void Pump();
    platform::HWND Target(long long x, long long y, platform::TPoint& client) const;
    void NoteBoxes(size_t answersBefore);

    std::vector<Step> FSteps;
    std::vector<BoxAnswer> FAnswered;
    int FFailLine = 0;
    std::string FFailReason;
};

} // namespace runner
