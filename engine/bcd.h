// BCD values (precision byte, sign-and-scale byte, packed digits).
#pragma once

#include <cstdint>
#include <string>

#include "engine/dstypes.h"

namespace engine {

// Rewrites a BCD value in the given precision and scale (rounding half away
// from zero when digits after the point are dropped); 9985 when the integer
// part does not fit. precision 0 means the largest (64 digits, storage 34).
EngineResult NormalizeBcd(const std::uint8_t* src, std::int32_t srcSize, std::int32_t precision,
                          std::int32_t scale, std::uint8_t* dst, std::int32_t dstSize);

// Decimal text of a BCD value: "-" when negative, integer digits without
// leading zeros ("0" when none), "." and exactly scale digits when scale > 0.
std::string BcdToText(const std::uint8_t* p, std::int32_t size);
// Parses such text into a BCD of the given precision and scale.
EngineResult BcdFromText(const std::string& text, std::int32_t precision, std::int32_t scale, std::uint8_t* dst,
                         std::int32_t dstSize);

}  // namespace engine
