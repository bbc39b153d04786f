// Ordering of field values (indexes, ranges, key search) and the
// change-detection comparison behind FldCmp.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/collation.h"
#include "engine/dstypes.h"

namespace engine {

// One key field of an order, resolved against the record layout.
struct KeyField {
  std::int32_t type = 0;
  std::int32_t offset = 0;
  std::int32_t length = 0;
  std::int32_t nullOffset = 0;
  bool descending = false;
  bool caseInsensitive = false;
};

// Compares the values of one key field in two record-layout buffers (nulls
// first, descending negated). partialLen > 0 compares a string on its first
// partialLen characters.
int CompareKeyField(const KeyField& k, const std::uint8_t* a, const std::uint8_t* b,
                    const Collation& coll, std::uint32_t partialLen = 0);

// Ascending comparison of two non-null values of a type (storage bytes).
int CompareValues(std::int32_t type, const std::uint8_t* a, const std::uint8_t* b,
                  std::int32_t length, const Collation& coll, bool ci, std::uint32_t partialLen);

// Change-detection comparison (0 exactly when equal).
std::int32_t ChangeCompare(std::uint32_t type, const void* v1, const void* v2, std::uint32_t len1,
                           std::uint32_t len2);

// Length of the zero-terminated text in a string field of the given storage.
std::size_t StringLength(const std::uint8_t* p, std::int32_t storage);

}  // namespace engine
