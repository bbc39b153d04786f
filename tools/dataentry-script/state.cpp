#include "tools/dataentry-script/state.h"

#include <vector>

#include "app/application.h"
#include "controls/form.h"
#include "platform/headless.h"
#include "platform/services.h"

namespace runner {

using nlohmann::ordered_json;
using namespace components;
using namespace controls;

namespace {

std::vector<std::pair<const ClassInfo*, StateKeys>>& Registry()
{
    static std::vector<std::pair<const ClassInfo*, StateKeys>> registry;
    return registry;
}

void AddLayerKeys(TObject* object, ordered_json& out)
{
    for (const auto& [cls, keys] : Registry())
        if (object->InheritsFrom(*cls))
            keys(object, out);
}

ordered_json NameOrNull(const TComponent* c)
{
    return c ? ordered_json(core::ToUtf8(c->Name())) : ordered_json(nullptr);
}

ordered_json ControlState(TControl* c)
{
    ordered_json j;
    j["class"] = core::ToUtf8(c->ClassName());
    j["name"] = core::ToUtf8(c->Name());
    j["bounds"] = {c->Left(), c->Top(), c->Width(), c->Height()};
    j["client"] = {c->ClientWidth(), c->ClientHeight()};
    j["visible"] = c->Visible();
    j["enabled"] = c->Enabled();
    auto* w = dynamic_cast<TWinControl*>(c);
    j["focused"] = w && w->Focused();
    ordered_json children = ordered_json::array();
    if (w)
        for (int i = 0; i < w->ControlCount(); ++i)
            children.push_back(ControlState(w->Controls(i)));
    j["children"] = children;
    if (auto* f = dynamic_cast<TCustomForm*>(c)) {
        j["caption"] = core::ToUtf8(f->Caption());
        j["active_control"] = NameOrNull(f->ActiveControl());
    }
    AddLayerKeys(c, j);
    return j;
}

std::string ButtonName(int id)
{
    std::string s = core::ToUtf8(platform::MessageBoxButtonText(id));
    std::erase(s, '&');
    return s;
}

} // namespace

void RegisterStateKeys(const ClassInfo& cls, StateKeys keys)
{
    Registry().emplace_back(&cls, std::move(keys));
}

ordered_json ProgramState(const std::vector<BoxAnswer>& answered)
{
    ordered_json j;
    j["clock_ms"] = platform::headless::Now();
    TCustomForm* main = app::Application ? app::Application->MainForm() : nullptr;
    j["dpi"] = main ? main->CurrentPPI() : platform::GetScreenDpi();
    // A focused part without a name of its own (the grid's cell editor)
    // stands for the named control it belongs to.
    TWinControl* focused = FindControl(platform::GetFocus());
    while (focused && focused->Name().empty() && focused->Parent())
        focused = focused->Parent();
    j["focused"] = NameOrNull(focused);
    ordered_json forms = ordered_json::array(), comps = ordered_json::array();
    if (Screen)
        for (TCustomForm* f : Screen->CustomFormList()) {
            forms.push_back(ControlState(f));
            for (int i = 0; i < f->ComponentCount(); ++i) {
                TComponent* c = f->Components(i);
                if (dynamic_cast<TControl*>(c))
                    continue;
                ordered_json cj;
                cj["class"] = core::ToUtf8(c->ClassName());
                cj["name"] = core::ToUtf8(c->Name());
                AddLayerKeys(c, cj);
                comps.push_back(cj);
            }
        }
    j["forms"] = forms;
    j["components"] = comps;
    ordered_json boxes = ordered_json::array();
    const auto& records = platform::headless::MessageBoxes();
    for (size_t i = 0; i < records.size(); ++i) {
        const auto& r = records[i];
        ordered_json b;
        b["caption"] = core::ToUtf8(r.Caption);
        b["text"] = core::ToUtf8(r.Text);
        ordered_json buttons = ordered_json::array();
        for (int id : r.Buttons)
            buttons.push_back(ButtonName(id));
        b["buttons"] = buttons;
        b["answer"] = ButtonName(r.Answer);
        b["answered"] = i < answered.size() ? answered[i].Answered : false;
        boxes.push_back(b);
    }
    j["message_boxes"] = boxes;
    return j;
}

} // namespace runner
