#pragma once
// The data grid's keys in the runner's state JSON.

namespace runner {

// Adds "col", "row", "top_row", "left_col", "col_count", "row_count",
// "editing", "editor_text", "indicator", "titles" and "cells" to every data grid.
void AddGridStateKeys();

} // namespace runner
