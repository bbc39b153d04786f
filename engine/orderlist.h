// A sequence of record slot numbers with cheap positional access, insertion
// and removal on large tables: entries live in blocks of bounded size with a
// running count per block, and every slot knows its block, so finding the
// position of a slot costs a lookup and a short scan.
#pragma once

#include <cstdint>
#include <vector>

namespace engine {

class OrderList {
 public:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  std::uint32_t size() const { return count_; }
  void clear();
  // Replaces the content by the given slots (in order).
  void assign(const std::vector<std::uint32_t>& slots);
  // Slot at a 1-based position (1..size()).
  std::uint32_t at(std::uint32_t pos) const;
  // Inserts a slot so that it occupies the 1-based position pos (1..size()+1).
  void insert(std::uint32_t pos, std::uint32_t slot);
  // Removes the entry at a 1-based position.
  void erase(std::uint32_t pos);
  // 1-based position of a slot, 0 when absent.
  std::uint32_t find(std::uint32_t slot) const;
  // Replaces the slot at a position by another slot.
  void replace(std::uint32_t pos, std::uint32_t slot);
  // All slots in order.
  std::vector<std::uint32_t> slots() const;
  std::size_t memoryBytes() const;

 private:
  static constexpr std::uint32_t kBlockMax = 1024;
  static constexpr std::uint32_t kBlockFill = 768;
  struct Block {
    std::vector<std::uint32_t> slots;
  };
  void locate(std::uint32_t pos, std::uint32_t& blockIdx, std::uint32_t& offset) const;
  void touch(std::uint32_t fromIdx);  // counts before blocks from fromIdx on are stale
  void fixStarts() const;
  void setOwner(std::uint32_t slot, std::uint32_t blockId);

  std::vector<Block> blocks_;              // by block id
  std::vector<std::uint32_t> orderIds_;    // block ids in order
  std::vector<std::uint32_t> posOfBlock_;  // block id -> index in orderIds_
  mutable std::vector<std::uint32_t> starts_;  // entries before orderIds_[i]
  mutable std::uint32_t staleFrom_ = 0;
  mutable std::uint32_t lastIdx_ = 0;      // locate cache
  std::vector<std::uint32_t> owner_;       // slot -> block id
  std::uint32_t count_ = 0;
};

}  // namespace engine
