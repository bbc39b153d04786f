#include "engine/tabledata.h"

namespace engine {

std::uint32_t TableData::AddSlot() {
  rows.resize(rows.size() + static_cast<std::size_t>(recSize), 0);
  attrs.push_back(dsRecUnmodified);
  if (!seq.empty()) seq.push_back(static_cast<std::uint32_t>(attrs.size()));
  if (nested) links.push_back(0);
  return static_cast<std::uint32_t>(attrs.size());
}

}  // namespace engine
