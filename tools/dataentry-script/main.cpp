// dataentry-script SCRIPT: runs the program on the headless backend, driven
// by a script of steps (see script.h), writing screenshots and state JSON
// where the script asks for them.
#include <cstdio>
#include <fstream>
#include <sstream>

#include <CLI/CLI.hpp>

#include "app/application.h"
#include "platform/headless.h"
#include "program/form1.h"
#include "tools/dataentry-script/runner.h"
#include "tools/dataentry-script/script.h"
#include "tools/dataentry-script/state_keys.h"

int main(int argc, char** argv)
{
    CLI::App cli{"Runs the data-entry program headless, driven by a script"};
    std::string path;
    cli.add_option("SCRIPT", path, "the script, one step a line")->required();
    CLI11_PARSE(cli, argc, argv);

    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "dataentry-script: cannot read %s\n", path.c_str());
        return 2;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::optional<runner::ScriptError> error;
    const std::vector<runner::Step> steps = runner::ParseScript(text.str(), error);
    if (error) {
        std::fprintf(stderr, "%s:%d: %s\n", path.c_str(), error->Line, error->Reason.c_str());
        return 2;
    }

    platform::headless::Session session;
    program::RegisterProgram();
    runner::AddLayerStateKeys();
    runner::Runner run(steps);
    const int code = app::RunEntryPoint([&] { run.Run(); });
    // Whatever the program reported is also worth a line on stderr.
    for (const auto& box : platform::headless::MessageBoxes())
        if (box.Caption == u"Application Error")
            std::fprintf(stderr, "dataentry-script: %s\n", core::ToUtf8(box.Text).c_str());
    if (run.Failed()) {
        std::fprintf(stderr, "%s:%d: %s\n", path.c_str(), run.FailedLine(), run.FailedReason().c_str());
        return 2;
    }
    return code;
}
