// Reader of expression blobs: checks every header field, offset, size, count,
// the nesting depth and that no node is reached twice (no cycles, no shared
// subtrees), and decodes the blob into an ExprNode tree.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/dstypes.h"
#include "engine/expr/expr_tree.h"

namespace engine::expr {

// DBERR_INVALIDPARAM for a damaged or inconsistent blob; DBERR_NOTSUPPORTED for
// node classes the engine does not evaluate (tuple, continue, user-defined
// functions, null nodes). `root` is only written on success.
EngineResult DecodeBlob(const std::uint8_t* blob, std::size_t size, ExprNode& root);

}  // namespace engine::expr
