// `dspacket show` query options: the rows a client dataset shows for a
// packet under an index, a filter and a change-log view.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "packet_json.h"

namespace dspacket {

struct ShowQuery {
  std::string index;   // ";"-separated field names; empty: the default order
  std::string filter;  // filter text; empty: none
  std::string status;  // all, inserted, modified, deleted; empty: no change-log view
  bool Any() const { return !index.empty() || !filter.empty() || !status.empty(); }
};

// Replaces out["visible"] by the rows (indexes into out["rows"]) that a
// client dataset opened on the packet shows under the query, in its order.
// False with the dataset's or the parser's message in `error`.
bool ApplyQuery(const std::vector<std::uint8_t>& packet, const ShowQuery& query, Json& out, std::string& error);

}  // namespace dspacket
