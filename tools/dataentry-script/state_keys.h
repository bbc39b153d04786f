#pragma once
// The state keys of the data, data-source, field, data-grid and date-picker
// classes.

namespace runner {

// Registers the keys once; later calls do nothing.
void AddLayerStateKeys();

} // namespace runner
