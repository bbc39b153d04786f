// Writer of expression blobs. BlobBuilder lays out nodes and literals the way
// the blob format wants them (root first, node area then literal area, all
// offsets 16-bit); EncodeTree writes a whole decoded tree with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/dstypes.h"
#include "engine/expr/expr_codes.h"
#include "engine/expr/expr_tree.h"

namespace engine::expr {

class BlobBuilder {
 public:
  // Appends a node with `operandCount` zeroed 16-bit operands and returns its
  // offset within the node area (the first node, the root, is at 0).
  std::uint16_t AddNode(NODEClass cls, TCANOperator op, int operandCount);
  void SetOperand(std::uint16_t node, int index, std::uint16_t value);
  // Appends bytes to the literal area and returns their offset within it.
  std::uint16_t AddLiteral(const void* data, std::size_t size);

  // True once the blob no longer fits the 16-bit offsets and sizes; every
  // later call is ignored and Finish fails.
  bool Overflowed() const noexcept { return FOverflow; }
  std::size_t NodeAreaSize() const noexcept { return FNodes.size(); }

  // Header (version, total size, node count or 0xFFFF when `countNodes` is
  // false, node area start, literal area start) followed by both areas.
  // DBERR_OUTOFRANGE when the blob would exceed 65,535 bytes, DBERR_INVALIDPARAM
  // when no node was written.
  EngineResult Finish(std::vector<std::uint8_t>& out, bool countNodes = true) const;

 private:
  bool Fits(std::size_t nodeBytes, std::size_t literalBytes);

  std::vector<std::uint8_t> FNodes;
  std::vector<std::uint8_t> FLiterals;
  std::uint32_t FNodeCount = 0;
  bool FOverflow = false;
};

// Writes `root` and everything below it. coIN operands after the left one
// become a coLISTELEM2 chain (or the single nodeLIST operand is kept);
// function arguments become a chain too. DBERR_INVALIDPARAM for a tree the
// format cannot express (deeper than MAXEXPRDEPTH, wrong operand counts),
// DBERR_OUTOFRANGE when it does not fit.
EngineResult EncodeTree(const ExprNode& root, std::vector<std::uint8_t>& out);

}  // namespace engine::expr
