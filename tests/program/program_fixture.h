#pragma once
// Runs the program on the headless backend, in this process, driven by a
// runner script, and hands every `state` and `shot` step to the test.
#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/types.h"

namespace program_test {

struct ScriptRun {
    int ExitCode = 0;
    bool Failed = false;
    std::string FailReason;
};

ScriptRun RunScript(const std::string& script,
                    const std::function<void(const std::string&, const nlohmann::ordered_json&)>& onState,
                    const std::function<void(const std::string&, platform::HWND)>& onShot = {});

// The state with every control and component also reachable by its name at
// the top level, so that expectations can name what they check.
nlohmann::ordered_json IndexByName(const nlohmann::ordered_json& state);

// Whether `actual` holds `expected`: objects hold the expected keys (and
// maybe more), arrays hold as many elements and each matches, other values
// are equal. On a mismatch `where` names the first path that differs.
bool Holds(const nlohmann::ordered_json& actual, const nlohmann::ordered_json& expected, std::string& where);

} // namespace program_test
