// The stored content of one table: field layout, record slots with their
// attribute bytes, blob store, link numbers of nested rows and the
// collation used for strings.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/collation.h"
#include "engine/dstypes.h"

namespace engine {

// Blob values of a table, numbered from 1.
struct BlobStore {
  std::vector<std::vector<std::uint8_t>> entries;  // entry n at n - 1
  std::uint32_t committed = 0;
  std::uint32_t Add(std::vector<std::uint8_t> data) {
    entries.push_back(std::move(data));
    return static_cast<std::uint32_t>(entries.size());
  }
  const std::vector<std::uint8_t>* Get(std::uint32_t id) const {
    return (id == 0 || id > entries.size()) ? nullptr : &entries[id - 1];
  }
};

struct TableData {
  std::vector<DSFLDDesc> fields;
  std::int32_t recSize = 0;
  std::int32_t dataSize = 0;  // record size without the blank bytes
  std::vector<std::uint8_t> rows;   // slot k at (k - 1) * recSize
  std::vector<std::uint8_t> attrs;  // slot k at k - 1
  std::vector<std::uint32_t> seq;   // insertion order per slot; empty = slot number
  std::vector<std::uint32_t> links; // nested tables: master link number per slot
  BlobStore blobs;
  std::shared_ptr<const Collation> coll;
  bool nested = false;
  bool isDelta = false;

  std::uint32_t SlotCount() const { return static_cast<std::uint32_t>(attrs.size()); }
  std::uint8_t* Rec(std::uint32_t slot) { return rows.data() + static_cast<std::size_t>(slot - 1) * recSize; }
  const std::uint8_t* Rec(std::uint32_t slot) const {
    return rows.data() + static_cast<std::size_t>(slot - 1) * recSize;
  }
  std::uint32_t Seq(std::uint32_t slot) const { return seq.empty() ? slot : seq[slot - 1]; }
  std::uint32_t Link(std::uint32_t slot) const { return links.empty() ? 0 : links[slot - 1]; }
  // A record slot that belongs in orders.
  bool Live(std::uint32_t slot) const {
    return isDelta || (attrs[slot - 1] & dsIsNotVisible) == 0;
  }
  // Appends a zeroed slot; returns its number.
  std::uint32_t AddSlot();
};

}  // namespace engine
