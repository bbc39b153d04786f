// An order over a table's live records: a descriptor, the key comparators
// and the ordered slot list. Records with equal keys keep their insertion
// order, both when the order is built by sorting and when it is kept up to
// date record by record.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/dstypes.h"
#include "engine/fieldcompare.h"
#include "engine/orderlist.h"
#include "engine/tabledata.h"

namespace engine {

enum class IndexKind { Ordinary = 1, ChangeLog = 2, Filtered = 3 };

class DSIndex {
 public:
  DSIndex(const TableData* table, const DSIDXDesc& desc, IndexKind kind, bool temporary,
          std::uint32_t id);

  const DSIDXDesc& desc() const { return desc_; }
  IndexKind kind() const { return kind_; }
  bool temporary() const { return temporary_; }
  std::uint32_t id() const { return id_; }
  std::uint32_t modCount() const { return modCount_; }
  std::uint32_t count() const { return list_.size(); }
  std::uint32_t keyFields() const { return static_cast<std::uint32_t>(keys_.size()); }
  const std::vector<KeyField>& keys() const { return keys_; }
  bool unique() const { return desc_.bUnique != 0; }
  int users = 0;

  // Validates a descriptor against the fields (9986 on a bad field number).
  static EngineResult Check(const TableData& t, const DSIDXDesc& d);
  // Replaces the descriptor and rebuilds from the table's live slots, or from
  // the given slots; 9729 for duplicates in a unique index (then empty).
  EngineResult Rebuild(const DSIDXDesc& desc);
  EngineResult RebuildFrom(const DSIDXDesc& desc, const std::vector<std::uint32_t>& slots);
  void Clear();

  std::uint32_t SlotAt(std::uint32_t pos) const { return list_.at(pos); }
  std::uint32_t PositionOf(std::uint32_t slot) const { return list_.find(slot); }
  std::vector<std::uint32_t> Slots() const { return list_.slots(); }  // all, in order

  EngineResult Insert(std::uint32_t slot);
  EngineResult InsertAt(std::uint32_t pos, std::uint32_t slot);  // orders without keys
  // Appends whatever the key (orders listed in an order of their own).
  void Append(std::uint32_t slot) {
    list_.insert(list_.size() + 1, slot);
    ++modCount_;
  }
  EngineResult Remove(std::uint32_t slot);
  EngineResult Replace(std::uint32_t oldSlot, std::uint32_t newSlot);

  // Compares a key buffer (record layout) with the record at a position on
  // the first n key fields; partial > 0 cuts the last one to that many chars.
  int CompareKey(const std::uint8_t* key, std::uint32_t n, std::uint32_t partial,
                 std::uint32_t pos) const;
  // First position whose key is >= key (lower) or > key (upper), 1..count+1.
  std::uint32_t LowerBound(const std::uint8_t* key, std::uint32_t n, std::uint32_t partial) const;
  std::uint32_t UpperBound(const std::uint8_t* key, std::uint32_t n, std::uint32_t partial) const;
  // Key comparison of two records on all key fields (link first for nested
  // tables).
  int CompareRecords(const std::uint8_t* a, std::uint32_t linkA, const std::uint8_t* b,
                     std::uint32_t linkB) const;
  // Positions covering a link number in a nested table's order.
  std::uint32_t LinkLower(std::uint32_t link) const;
  std::uint32_t LinkUpper(std::uint32_t link) const;
  std::size_t memoryBytes() const { return list_.memoryBytes(); }

 private:
  void SetKeys(const DSIDXDesc& d);
  bool Less(std::uint32_t slotA, std::uint32_t slotB) const;  // (key, seq)
  std::vector<std::uint32_t> LiveSlots() const;
  EngineResult SortAndAssign(std::vector<std::uint32_t> slots);

  const TableData* t_;
  DSIDXDesc desc_;
  IndexKind kind_;
  bool temporary_;
  std::uint32_t id_;
  std::uint32_t modCount_ = 0;
  std::vector<KeyField> keys_;
  OrderList list_;
};

bool SameIndexDesc(const DSIDXDesc& a, const DSIDXDesc& b);

}  // namespace engine
