// A UI monkey on the headless program: random keys, typing, clicks, wheel
// turns and waits from a fixed seed. After every 1,000 events the dataset's
// rows, the grid's cells and the change log must agree. MONKEY_SEED and
// MONKEY_EVENTS replay or lengthen a run (the default is a short run).
#include <cstdlib>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "app/application.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "program/form1.h"
#include "program_fixture.h"
#include "tools/dataentry-script/runner.h"
#include "tools/dataentry-script/state.h"
#include "tools/dataentry-script/state_keys.h"

namespace program_test {
namespace {

namespace hl = platform::headless;
using nlohmann::ordered_json;

uint64_t EnvNumber(const char* name, uint64_t fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? std::strtoull(v, nullptr, 10) : fallback;
}

struct Monkey {
    std::mt19937_64 Random;
    explicit Monkey(uint64_t seed) : Random(seed) {}

    int Pick(int n) { return static_cast<int>(Random() % static_cast<uint64_t>(n)); }

    // One event; returns a short description for the failure message.
    std::string Step(platform::HWND form)
    {
        static const std::pair<int, unsigned> keys[] = {
            {platform::VK_DOWN, hl::None},    {platform::VK_UP, hl::None},     {platform::VK_DOWN, hl::None},
            {platform::VK_TAB, hl::None},     {platform::VK_TAB, hl::Shift},  {platform::VK_RETURN, hl::None},
            {platform::VK_ESCAPE, hl::None},  {platform::VK_F2, hl::None},    {platform::VK_NEXT, hl::None},
            {platform::VK_PRIOR, hl::None},   {platform::VK_HOME, hl::Ctrl},  {platform::VK_END, hl::Ctrl},
            {platform::VK_INSERT, hl::None},  {platform::VK_DELETE, hl::Ctrl}, {platform::VK_LEFT, hl::None},
            {platform::VK_RIGHT, hl::None},   {platform::VK_BACK, hl::None},  {platform::VK_HOME, hl::None},
            {platform::VK_END, hl::None},     {platform::VK_SPACE, hl::None},
        };
        static const char16_t* const texts[] = {u"7", u"42", u"-3", u"Ana", u"x", u"Zé", u"4a", u"0", u"99999999999"};
        const int kind = Pick(100);
        if (kind < 55) {
            const auto& [vk, mods] = keys[Pick(static_cast<int>(std::size(keys)))];
            hl::PressKey(vk, mods);
            return "key " + std::to_string(vk) + "/" + std::to_string(mods);
        }
        if (kind < 80) {
            const char16_t* t = texts[Pick(static_cast<int>(std::size(texts)))];
            hl::TypeText(t);
            return "type";
        }
        const int x = Pick(787), y = Pick(476);
        platform::TPoint client;
        const platform::HWND h = runner::WindowAt(form, x, y, client);
        if (kind < 90) {
            hl::MouseMove(h, client);
            hl::Click(h, client);
            return "click " + std::to_string(x) + " " + std::to_string(y);
        }
        if (kind < 95) {
            hl::MouseMove(h, client);
            hl::Wheel(h, client, (Pick(7) - 3) * platform::WHEEL_DELTA);
            return "wheel";
        }
        hl::Advance(static_cast<uint32_t>(10 + Pick(400)));
        return "wait";
    }
};

std::string CellText(const ordered_json& v)
{
    if (v.is_null())
        return "";
    if (v.is_string())
        return v.get<std::string>();
    return v.dump();
}

// The grid's visible data rows are consecutive records of the dataset (a
// pending new row aside), and every stored record is one logged change:
// everything in this table was inserted while the program ran.
void ExpectAgreement(const ordered_json& state, const std::string& when)
{
    const ordered_json named = IndexByName(state);
    const ordered_json& ds = named["ClientDataSet1"];
    const ordered_json& grid = named["DBGrid1"];
    const ordered_json& rows = ds["rows"];
    ASSERT_TRUE(rows.is_array()) << when;
    EXPECT_EQ(ds["change_count"].get<size_t>(), rows.size()) << when;
    if (ds["state"] == "dsBrowse") {
        EXPECT_EQ(ds["record_count"].get<size_t>(), rows.size()) << when;
    }
    if (ds["state"] != "dsBrowse" || rows.empty() || !grid.contains("cells"))
        return;
    std::vector<std::vector<std::string>> texts;
    for (const auto& row : rows) {
        std::vector<std::string> cells;
        for (const auto& v : row)
            cells.push_back(CellText(v));
        texts.push_back(cells);
    }
    std::vector<std::vector<std::string>> shown;
    for (const auto& row : grid["cells"]) {
        std::vector<std::string> cells;
        for (const auto& v : row)
            cells.push_back(v.get<std::string>());
        shown.push_back(cells);
    }
    ASSERT_LE(shown.size(), texts.size()) << when;
    bool found = shown.empty();
    for (size_t start = 0; !found && start + shown.size() <= texts.size(); ++start)
        found = std::equal(shown.begin(), shown.end(), texts.begin() + static_cast<std::ptrdiff_t>(start));
    EXPECT_TRUE(found) << when << ": the grid shows rows that are not consecutive records\n"
                       << grid["cells"].dump() << "\n" << rows.dump();
}

TEST(Monkey, RandomInputKeepsDatasetGridAndChangeLogInAgreement)
{
    const uint64_t seed = EnvNumber("MONKEY_SEED", 20221004);
    const uint64_t events = EnvNumber("MONKEY_EVENTS", 4000);
    SCOPED_TRACE("MONKEY_SEED=" + std::to_string(seed));
    hl::Session session;
    program::RegisterProgram();
    runner::AddLayerStateKeys();
    Monkey monkey(seed);
    std::string last;
    const int code = app::RunEntryPoint([&] {
        app::Application->Initialize();
        app::Application->CreateForm(program::Form1);
        program::Form1->SetVisible(true);
        app::Application->ProcessMessages();
        const platform::HWND form = program::Form1->Handle();
        for (uint64_t i = 1; i <= events && !app::Application->Terminated(); ++i) {
            last = monkey.Step(form);
            app::Application->ProcessMessages();
            if (i % 1000 == 0 || i == events) {
                ExpectAgreement(runner::ProgramState({}), "after event " + std::to_string(i) + " (" + last + ")");
                if (::testing::Test::HasFailure())
                    return;
            }
        }
        platform::PostMessage(form, platform::WM_CLOSE);
        app::Application->ProcessMessages();
    });
    EXPECT_EQ(code, 0) << "last event: " << last;
}

} // namespace
} // namespace program_test
