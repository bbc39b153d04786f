// Field storage sizes and the record buffer layout derived from an array of
// field descriptors.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/dstypes.h"

namespace engine {

// Largest storage size of one field.
constexpr std::int32_t kMaxFieldStorage = 65531;
// Deepest nesting of ADT fields and nested tables.
constexpr int kMaxNesting = 63;

struct LayoutOptions {
  bool fromXml = false;  // memo/var-bytes conversions of XML packets
};

// Computes iFldLen, iFldOffsInRec, iNullOffsInRec, iFieldID, iFieldIDParent
// and iUnits2 of ADT fields; recSize receives the record buffer size.
// The descriptors are left unchanged on failure.
EngineResult ComputeLayout(std::vector<DSFLDDesc>& fields, const LayoutOptions& opts,
                           std::int32_t* recSize) noexcept;

// Storage size of a field type for width w (0 when the type has no rule).
std::int32_t StorageSize(std::int32_t type, std::int32_t width, std::int32_t givenLen) noexcept;

bool IsStringType(std::int32_t type) noexcept;  // fldZSTRING
bool HasChildren(std::int32_t type) noexcept;   // ADT, array

}  // namespace engine
