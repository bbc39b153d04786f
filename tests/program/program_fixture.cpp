#include "program_fixture.h"

#include "app/application.h"
#include "platform/headless.h"
#include "program/form1.h"
#include "tools/dataentry-script/runner.h"
#include "tools/dataentry-script/script.h"
#include "tools/dataentry-script/state_keys.h"

namespace program_test {

using nlohmann::ordered_json;

ScriptRun RunScript(const std::string& script,
                    const std::function<void(const std::string&, const ordered_json&)>& onState,
                    const std::function<void(const std::string&, platform::HWND)>& onShot)
{
    ScriptRun result;
    std::optional<runner::ScriptError> error;
    std::vector<runner::Step> steps = runner::ParseScript(script, error);
    if (error) {
        result.Failed = true;
        result.FailReason = "line " + std::to_string(error->Line) + ": " + error->Reason;
        return result;
    }
    platform::headless::Session session;
    program::RegisterProgram();
    runner::AddLayerStateKeys();
    runner::Runner run(std::move(steps));
    run.OnState = onState;
    run.OnShot = onShot;
    result.ExitCode = app::RunEntryPoint([&] { run.Run(); });
    if (run.Failed()) {
        result.Failed = true;
        result.FailReason = "line " + std::to_string(run.FailedLine()) + ": " + run.FailedReason();
    }
    return result;
}

namespace {

void IndexControl(const ordered_json& control, ordered_json& out)
{
    if (control.contains("name") && !control["name"].get<std::string>().empty())
        out[control["name"].get<std::string>()] = control;
    if (control.contains("children"))
        for (const auto& child : control["children"])
            IndexControl(child, out);
}

} // namespace

ordered_json IndexByName(const ordered_json& state)
{
    ordered_json out = state;
    for (const auto& form : state["forms"])
        IndexControl(form, out);
    for (const auto& c : state["components"])
        out[c["name"].get<std::string>()] = c;
    return out;
}

bool Holds(const ordered_json& actual, const ordered_json& expected, std::string& where)
{
    if (expected.is_object()) {
        if (!actual.is_object()) {
            where += " (not an object)";
            return false;
        }
        for (const auto& [key, value] : expected.items()) {
            if (!actual.contains(key)) {
                where += "/" + key + " (missing)";
                return false;
            }
            std::string sub = where + "/" + key;
            if (!Holds(actual[key], value, sub)) {
                where = sub;
                return false;
            }
        }
        return true;
    }
    if (expected.is_array()) {
        if (!actual.is_array() || actual.size() != expected.size()) {
            where += " (expected " + expected.dump() + ", got " + actual.dump() + ")";
            return false;
        }
        for (size_t i = 0; i < expected.size(); ++i) {
            std::string sub = where + "/" + std::to_string(i);
            if (!Holds(actual[i], expected[i], sub)) {
                where = sub;
                return false;
            }
        }
        return true;
    }
    const bool same = expected.is_number() && actual.is_number() ? expected.get<double>() == actual.get<double>()
                                                                 : expected == actual;
    if (!same)
        where += " (expected " + expected.dump() + ", got " + actual.dump() + ")";
    return same;
}

} // namespace program_test
