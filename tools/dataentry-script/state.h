#pragma once
// The runner's "state" JSON: the program's forms, controls, non-visual
// components and message boxes at one moment. Layers add their own keys for
// their classes through RegisterStateKeys.
#include <functional>

#include <nlohmann/json.hpp>

#include "components/object.h"

namespace runner {

using StateKeys = std::function<void(components::TObject* object, nlohmann::ordered_json& out)>;
// Keys added to every object of `cls` or a descendant.
void RegisterStateKeys(const components::ClassInfo& cls, StateKeys keys);

struct BoxAnswer {
    bool Answered;
};
nlohmann::ordered_json ProgramState(const std::vector<BoxAnswer>& answered);

} // namespace runner
