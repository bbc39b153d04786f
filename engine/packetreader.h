// DSEXTRACT: parses a binary data packet. Every length, count and offset is
// checked against the bytes that remain before it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/dstypes.h"

namespace engine {

struct PacketAttr {
  std::string name;
  std::uint32_t type = 0;
  const std::uint8_t* value = nullptr;  // encoded value (inside the packet)
  std::size_t size = 0;                 // bytes of the encoded value
};

struct PacketColumn {
  std::string name;  // as stored (up to 255 bytes)
  std::uint32_t type = 0;
  std::uint16_t flags = 0;
  std::uint32_t valueSize = 0;  // fixed value size or prefix width
  std::vector<PacketAttr> attrs;
  int nested = -1;  // level of a nested-table column
};

struct PacketLevel {
  std::vector<PacketColumn> cols;
  std::vector<PacketAttr> tableAttrs;
  int parent = -1;
  int depth = 0;
};

struct PacketHeader {
  std::uint32_t magic = 0;
  std::uint16_t major = 0, minor = 0;
  std::uint32_t headerSize = 0;
  std::uint16_t columns = 0;
  std::uint32_t rows = 0;
  std::uint32_t flags = 0;
  std::uint16_t rowDataOffset = 0;
};

// Receives the rows of a packet as they are parsed.
class RowVisitor {
 public:
  virtual ~RowVisitor() = default;
  virtual EngineResult BeginRow(int level, std::uint8_t status) = 0;
  // blank: 0 value follows (p, len), BLANK_NULL or BLANK_NOTCHANGED. For a
  // varying value with a 4-byte prefix whose length has bit 31 set, p is
  // null and len holds the length word.
  virtual EngineResult Value(int level, std::uint32_t col, std::uint8_t blank, const std::uint8_t* p,
                             std::uint32_t len) = 0;
  // A nested-table value: its row count (negative: not fetched); the nested
  // rows follow, then EndNested.
  virtual EngineResult BeginNested(int level, std::uint32_t col, std::int32_t count) = 0;
  virtual EngineResult EndNested(int level, std::uint32_t col) = 0;
  virtual EngineResult EndRow(int level) = 0;
};

class DSEXTRACT {
 public:
  // Checks the header (16389 when it is not a binary packet).
  EngineResult Open(const std::uint8_t* data, std::size_t size);
  // Reads the metadata of every level (needs flag bit 0 for a new table).
  EngineResult ReadMetadata();
  // Visits the rows of the top level (header row count).
  EngineResult ReadRows(RowVisitor& v);

  const PacketHeader& header() const { return h_; }
  const std::vector<PacketLevel>& levels() const { return levels_; }
  std::size_t metadataEnd() const { return metaEnd_; }
  std::size_t rowsEnd() const { return pos_; }
  const std::uint8_t* data() const { return d_; }
  std::size_t size() const { return size_; }

 private:
  bool Need(std::size_t n) const { return n <= size_ - pos_; }
  EngineResult ReadLevel(int level, std::uint32_t columns, int depth);
  EngineResult ReadAttrs(std::vector<PacketAttr>& out);
  EngineResult ReadRow(int level, RowVisitor& v);

  const std::uint8_t* d_ = nullptr;
  std::size_t size_ = 0, pos_ = 0, metaEnd_ = 0;
  PacketHeader h_;
  std::vector<PacketLevel> levels_;
};

// Size in bytes of one encoded attribute value starting at p (with n bytes
// available), 0 with a result code when it does not fit.
EngineResult AttrValueSize(std::uint32_t type, const std::uint8_t* p, std::size_t n, std::size_t* size);

}  // namespace engine
