// The program as a user works with it. Each scenario is a runner script,
// data/scenarios/<name>.script; its `state NAME` steps are checked against
// the excerpt data/scenarios/<name>/NAME.json (a JSON object whose keys are the
// state's own top-level keys or the names of controls and components, each
// holding the values to find there) and its `shot NAME` steps against the
// reference image data/scenarios/<name>/NAME.png. A missing or different
// expectation leaves the actual state as <name>.NAME.actual.json in the
// working directory.
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/headless.h"
#include "program_fixture.h"
#include "support/reference_image.h"

namespace program_test {
namespace {

namespace fs = std::filesystem;
using nlohmann::ordered_json;

const fs::path kScenarios = fs::path(TEST_DATA_DIR) / "scenarios";

std::vector<std::string> ScenarioNames()
{
    std::vector<std::string> names;
    if (fs::is_directory(kScenarios))
        for (const auto& entry : fs::directory_iterator(kScenarios))
            if (entry.path().extension() == ".script")
                names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadText(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class Scenario : public ::testing::TestWithParam<std::string> {};

TEST_P(Scenario, RunsAsExpected)
{
    const std::string name = GetParam();
    const fs::path dir = kScenarios / name;
    int checked = 0;
    const ScriptRun run = RunScript(
        ReadText(kScenarios / (name + ".script")),
        [&](const std::string& stateName, const ordered_json& state) {
            ++checked;
            const fs::path expectation = dir / (stateName + ".json");
            const ordered_json expected =
                fs::exists(expectation) ? ordered_json::parse(ReadText(expectation)) : ordered_json();
            std::string where = stateName;
            if (expected.is_null() || !Holds(IndexByName(state), expected, where)) {
                const std::string actual = name + "." + stateName + ".actual.json";
                std::ofstream(actual) << state.dump(1) << '\n';
                ADD_FAILURE() << (expected.is_null() ? "no expectation " + expectation.string() : where)
                              << " (actual state saved as " << actual << ")";
            }
        },
        [&](const std::string& shotName, platform::HWND form) {
            ++checked;
            EXPECT_TRUE(test_support::MatchesReferenceIn(dir.string(), platform::headless::ScreenAreaOf(form),
                                                         shotName, 24, 40));
        });
    EXPECT_FALSE(run.Failed) << run.FailReason;
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_GT(checked, 0) << "the scenario checks nothing";
}

INSTANTIATE_TEST_SUITE_P(Program, Scenario, ::testing::ValuesIn(ScenarioNames()),
                         [](const ::testing::TestParamInfo<std::string>& p) { return p.param; });

} // namespace
} // namespace program_test
