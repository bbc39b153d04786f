#pragma once
// Window handle -> control, for the controls' window procedure.
#include <cstdint>
#include <unordered_map>

namespace controls {
class TWinControl;
std::unordered_map<uint32_t, TWinControl*>& HandleMap();
} // namespace controls
