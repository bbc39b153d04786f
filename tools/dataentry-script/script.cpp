#include "tools/dataentry-script/script.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <sstream>

#include "platform/headless.h"
#include "platform/messages.h"

namespace runner {

using namespace platform;

namespace {

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool ParseNumber(const std::string& word, long long& out)
{
    const char* end = word.data() + word.size();
    auto r = std::from_chars(word.data(), end, out);
    return r.ec == std::errc() && r.ptr == end;
}

// How many numbers each verb takes, and whether it takes text instead.
struct Shape {
    size_t Numbers;
    bool Text;
};
const std::map<std::string, Shape>& Shapes()
{
    static const std::map<std::string, Shape> shapes = {
        {"key", {0, true}},     {"type", {0, true}},   {"click", {2, false}}, {"dblclick", {2, false}},
        {"drag", {4, false}},   {"wheel", {3, false}}, {"wait", {1, false}},  {"answer", {0, true}},
        {"dpi", {1, false}},    {"shot", {0, true}},   {"state", {0, true}},  {"close", {0, false}},
    };
    return shapes;
}

} // namespace

std::vector<Step> ParseScript(const std::string& text, std::optional<ScriptError>& error)
{
    std::vector<Step> steps;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        line = line.substr(first);
        const auto space = line.find(' ');
        Step s;
        s.Line = number;
        s.Verb = Lower(line.substr(0, space));
        const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
        const auto shape = Shapes().find(s.Verb);
        if (shape == Shapes().end()) {
            error = ScriptError{number, "unknown step '" + s.Verb + "'"};
            return {};
        }
        if (shape->second.Text) {
            if (rest.empty() && s.Verb != "type") {
                error = ScriptError{number, "'" + s.Verb + "' needs an argument"};
                return {};
            }
            s.Text = rest;
        } else {
            std::istringstream words(rest);
            std::string w;
            while (words >> w) {
                long long v;
                if (!ParseNumber(w, v)) {
                    error = ScriptError{number, "'" + w + "' is not a number"};
                    return {};
                }
                s.Numbers.push_back(v);
            }
            if (s.Numbers.size() != shape->second.Numbers) {
                error = ScriptError{number, "'" + s.Verb + "' takes " + std::to_string(shape->second.Numbers) +
                                                " numbers"};
                return {};
            }
        }
        if (s.Verb == "key" && !ParseKey(s.Text)) {
            error = ScriptError{number, "unknown key '" + s.Text + "'"};
            return {};
        }
        if (s.Verb == "answer" && !ParseButton(s.Text)) {
            error = ScriptError{number, "unknown button '" + s.Text + "'"};
            return {};
        }
        if ((s.Verb == "wait" || s.Verb == "dpi") && (s.Numbers[0] < 0 || s.Numbers[0] > 100'000'000)) {
            error = ScriptError{number, "'" + s.Verb + "' value out of range"};
            return {};
        }
        steps.push_back(std::move(s));
    }
    return steps;
}

std::optional<KeyStroke> ParseKey(const std::string& name)
{
    static const std::map<std::string, int> keys = {
        {"down", VK_DOWN},   {"up", VK_UP},         {"left", VK_LEFT},     {"right", VK_RIGHT},
        {"tab", VK_TAB},     {"enter", VK_RETURN},  {"return", VK_RETURN}, {"escape", VK_ESCAPE},
        {"esc", VK_ESCAPE},  {"delete", VK_DELETE}, {"insert", VK_INSERT}, {"home", VK_HOME},
        {"end", VK_END},     {"pageup", VK_PRIOR},  {"pagedown", VK_NEXT}, {"backspace", VK_BACK},
        {"space", VK_SPACE},
    };
    KeyStroke k;
    std::string rest = Lower(name);
    for (;;) {
        const auto plus = rest.find('+');
        if (plus == std::string::npos || plus + 1 == rest.size())
            break;
        const std::string mod = rest.substr(0, plus);
        if (mod == "shift")
            k.Modifiers |= headless::Shift;
        else if (mod == "ctrl")
            k.Modifiers |= headless::Ctrl;
        else if (mod == "alt")
            k.Modifiers |= headless::Alt;
        else
            return std::nullopt;
        rest = rest.substr(plus + 1);
    }
    if (auto it = keys.find(rest); it != keys.end())
        k.Vk = it->second;
    else if (rest.size() == 1 && std::isalnum(static_cast<unsigned char>(rest[0])))
        k.Vk = std::toupper(static_cast<unsigned char>(rest[0]));
    else if (rest.size() >= 2 && rest[0] == 'f') {
        long long n;
        if (!ParseNumber(rest.substr(1), n) || n < 1 || n > 12)
            return std::nullopt;
        k.Vk = VK_F1 + static_cast<int>(n) - 1;
    } else
        return std::nullopt;
    return k;
}

std::optional<int> ParseButton(const std::string& name)
{
    static const std::map<std::string, int> buttons = {{"ok", IDOK},         {"cancel", IDCANCEL}, {"yes", IDYES},
                                                       {"no", IDNO},         {"abort", IDABORT},   {"retry", IDRETRY},
                                                       {"ignore", IDIGNORE}};
    auto it = buttons.find(Lower(name));
    if (it == buttons.end())
        return std::nullopt;
    return it->second;
}

} // namespace runner
