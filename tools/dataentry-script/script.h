#pragma once
// The headless runner's script: one step a line.
#include <optional>
#include <string>
#include <vector>

namespace runner {

struct Step {
    int Line = 0;
    std::string Verb;               // key, type, click, dblclick, drag, wheel, wait, answer, dpi, shot, state, close
    std::vector<long long> Numbers; // coordinates, counts, milliseconds
    std::string Text;               // key name, typed text, button, file name
};

struct ScriptError {
    int Line;
    std::string Reason;
};

// Parses a script; blank lines and lines starting with '#' are skipped.
// A bad line gives the error of the first one.
std::vector<Step> ParseScript(const std::string& text, std::optional<ScriptError>& error);

// The virtual-key code and modifiers of a key name such as "down", "shift+tab", "ctrl+end", "a", "f2".
struct KeyStroke {
    int Vk = 0;
    unsigned Modifiers = 0; // headless::Modifiers bits
};
std::optional<KeyStroke> ParseKey(const std::string& name);

// "OK", "Cancel", "Yes", ... to the platform's answer code.
std::optional<int> ParseButton(const std::string& name);

} // namespace runner
