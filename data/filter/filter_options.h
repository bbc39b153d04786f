// Filter options of a dataset (TDataSet.FilterOptions) as the filter parser
// reads them. The dataset uses this definition.
#pragma once

#include <cstdint>

#include "components/object.h"

namespace data {

enum class TFilterOption : std::uint8_t { foCaseInsensitive, foNoPartialCompare };
using TFilterOptions = components::TSet<TFilterOption>;

}  // namespace data
