// Blocked slot sequence.
#include "engine/orderlist.h"

#include <algorithm>

namespace engine {

void OrderList::clear() {
  blocks_.clear();
  orderIds_.clear();
  posOfBlock_.clear();
  starts_.clear();
  owner_.clear();
  staleFrom_ = 0;
  lastIdx_ = 0;
  count_ = 0;
}

void OrderList::setOwner(std::uint32_t slot, std::uint32_t blockId) {
  if (slot >= owner_.size()) {
    std::size_t n = std::max<std::size_t>(owner_.size() * 3 / 2, slot + 1);
    owner_.resize(n, kNone);
  }
  owner_[slot] = blockId;
}

void OrderList::assign(const std::vector<std::uint32_t>& slots) {
  clear();
  std::uint32_t maxSlot = 0;
  for (auto s : slots) maxSlot = std::max(maxSlot, s);
  owner_.assign(slots.empty() ? 0 : maxSlot + 1, kNone);
  const std::size_t nb = (slots.size() + kBlockFill - 1) / kBlockFill;
  blocks_.resize(nb);
  for (std::size_t b = 0; b < nb; ++b) {
    const std::size_t from = b * kBlockFill, to = std::min(slots.size(), from + kBlockFill);
    blocks_[b].slots.reserve(kBlockMax);
    blocks_[b].slots.assign(slots.begin() + static_cast<std::ptrdiff_t>(from),
                            slots.begin() + static_cast<std::ptrdiff_t>(to));
    for (std::size_t i = from; i < to; ++i) owner_[slots[i]] = static_cast<std::uint32_t>(b);
    orderIds_.push_back(static_cast<std::uint32_t>(b));
    posOfBlock_.push_back(static_cast<std::uint32_t>(b));
  }
  starts_.assign(nb, 0);
  count_ = static_cast<std::uint32_t>(slots.size());
  staleFrom_ = 0;
}

void OrderList::touch(std::uint32_t fromIdx) { staleFrom_ = std::min(staleFrom_, fromIdx); }

void OrderList::fixStarts() const {
  if (staleFrom_ >= orderIds_.size()) return;
  starts_.resize(orderIds_.size());
  std::uint32_t acc = staleFrom_ == 0 ? 0
                                      : starts_[staleFrom_ - 1] +
                                            static_cast<std::uint32_t>(blocks_[orderIds_[staleFrom_ - 1]].slots.size());
  for (std::size_t i = staleFrom_; i < orderIds_.size(); ++i) {
    starts_[i] = acc;
    acc += static_cast<std::uint32_t>(blocks_[orderIds_[i]].slots.size());
  }
  staleFrom_ = static_cast<std::uint32_t>(orderIds_.size());
}

void OrderList::locate(std::uint32_t pos, std::uint32_t& blockIdx, std::uint32_t& offset) const {
  fixStarts();
  const std::uint32_t p0 = pos - 1;
  std::uint32_t i = lastIdx_;
  auto inBlock = [&](std::uint32_t idx) {
    return idx < orderIds_.size() && starts_[idx] <= p0 &&
           p0 < starts_[idx] + blocks_[orderIds_[idx]].slots.size();
  };
  if (!inBlock(i)) {
    if (inBlock(i + 1)) ++i;
    else {
      auto it = std::upper_bound(starts_.begin(), starts_.end(), p0);
      i = static_cast<std::uint32_t>(it - starts_.begin()) - 1;
      while (blocks_[orderIds_[i]].slots.empty()) --i;  // empty blocks share a start
    }
    lastIdx_ = i;
  }
  blockIdx = i;
  offset = p0 - starts_[i];
}

std::uint32_t OrderList::at(std::uint32_t pos) const {
  if (pos == 0 || pos > count_) return 0;
  std::uint32_t bi, off;
  locate(pos, bi, off);
  return blocks_[orderIds_[bi]].slots[off];
}

void OrderList::insert(std::uint32_t pos, std::uint32_t slot) {
  if (pos == 0) pos = 1;
  if (pos > count_ + 1) pos = count_ + 1;
  if (orderIds_.empty()) {
    blocks_.push_back({});
    blocks_.back().slots.reserve(kBlockMax);
    orderIds_.push_back(0);
    posOfBlock_.push_back(0);
    starts_.assign(1, 0);
  }
  std::uint32_t bi, off;
  if (pos == count_ + 1) {
    bi = static_cast<std::uint32_t>(orderIds_.size() - 1);
    fixStarts();
    off = static_cast<std::uint32_t>(blocks_[orderIds_[bi]].slots.size());
  } else {
    locate(pos, bi, off);
  }
  std::uint32_t id = orderIds_[bi];
  auto& v = blocks_[id].slots;
  v.insert(v.begin() + off, slot);
  setOwner(slot, id);
  ++count_;
  touch(bi + 1);
  if (v.size() >= kBlockMax) {
    // split the block in two halves; the new block follows it
    const std::uint32_t newId = static_cast<std::uint32_t>(blocks_.size());
    blocks_.push_back({});
    auto& src = blocks_[id].slots;
    auto& dst = blocks_[newId].slots;
    dst.reserve(kBlockMax);
    dst.assign(src.begin() + kBlockMax / 2, src.end());
    src.resize(kBlockMax / 2);
    for (auto s : dst) owner_[s] = newId;
    orderIds_.insert(orderIds_.begin() + bi + 1, newId);
    posOfBlock_.push_back(0);
    for (std::size_t i = bi + 1; i < orderIds_.size(); ++i) posOfBlock_[orderIds_[i]] = static_cast<std::uint32_t>(i);
    touch(bi + 1);
  }
}

void OrderList::erase(std::uint32_t pos) {
  if (pos == 0 || pos > count_) return;
  std::uint32_t bi, off;
  locate(pos, bi, off);
  auto& v = blocks_[orderIds_[bi]].slots;
  const std::uint32_t slot = v[off];
  v.erase(v.begin() + off);
  if (slot < owner_.size()) owner_[slot] = kNone;
  --count_;
  touch(bi + 1);
  if (v.empty() && orderIds_.size() > 1) {
    // drop the empty block from the order; its storage is reused by nobody
    // (ids stay stable), keep it small
    std::vector<std::uint32_t>().swap(v);
    orderIds_.erase(orderIds_.begin() + bi);
    for (std::size_t i = bi; i < orderIds_.size(); ++i) posOfBlock_[orderIds_[i]] = static_cast<std::uint32_t>(i);
    starts_.resize(orderIds_.size());
    touch(bi);
    lastIdx_ = 0;
  }
}

std::uint32_t OrderList::find(std::uint32_t slot) const {
  if (slot >= owner_.size() || owner_[slot] == kNone) return 0;
  const std::uint32_t id = owner_[slot];
  fixStarts();
  const auto& v = blocks_[id].slots;
  const auto it = std::find(v.begin(), v.end(), slot);
  if (it == v.end()) return 0;
  return starts_[posOfBlock_[id]] + static_cast<std::uint32_t>(it - v.begin()) + 1;
}

void OrderList::replace(std::uint32_t pos, std::uint32_t slot) {
  if (pos == 0 || pos > count_) return;
  std::uint32_t bi, off;
  locate(pos, bi, off);
  auto& v = blocks_[orderIds_[bi]].slots;
  if (v[off] < owner_.size()) owner_[v[off]] = kNone;
  v[off] = slot;
  setOwner(slot, orderIds_[bi]);
}

std::vector<std::uint32_t> OrderList::slots() const {
  std::vector<std::uint32_t> out;
  out.reserve(count_);
  for (auto id : orderIds_) out.insert(out.end(), blocks_[id].slots.begin(), blocks_[id].slots.end());
  return out;
}

std::size_t OrderList::memoryBytes() const {
  std::size_t n = owner_.capacity() * 4 + orderIds_.capacity() * 8 + starts_.capacity() * 4;
  for (const auto& b : blocks_) n += b.slots.capacity() * 4 + sizeof(Block);
  return n;
}

}  // namespace engine

