// `dspacket show` and `dspacket make`: a packet as JSON and back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "engine/dstypes.h"

namespace dspacket {

using Json = nlohmann::ordered_json;

// Fills `out` with the JSON form of a packet; a non-zero engine result code
// on failure (context, when any, in `where`).
engine::EngineResult ShowPacket(const std::vector<std::uint8_t>& packet, Json& out, std::string& where);
// Builds a packet from that JSON form.
engine::EngineResult MakePacket(const Json& in, std::vector<std::uint8_t>& out, std::string& where);

}  // namespace dspacket
