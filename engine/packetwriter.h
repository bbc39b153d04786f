// DSDATAPACKET: builds a binary data packet (IDSWriter).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/refcounted.h"

namespace engine {

class DSDATAPACKET final : public RefCounted<IDSWriter> {
 public:
  EngineResult Init_Sequential(std::uint32_t version, std::uint32_t columns) noexcept override;
  EngineResult Init(std::uint32_t version, std::uint32_t columns,
                    const TDSDataPacketFldDesc* descs) noexcept override;
  EngineResult AddAttribute(TPcktAttrArea area, const char* name, std::uint32_t type,
                            std::uint32_t length, const void* value) noexcept override;
  EngineResult GetDataPacket(DSPacket* packet) noexcept override;
  EngineResult GetSize(std::uint32_t* size) noexcept override;
  EngineResult PutField(TPcktFldStatus status, std::uint32_t length, const void* value) noexcept override;
  EngineResult AddColumnDesc(const TDSDataPacketFldDesc* desc) noexcept override;
  EngineResult Reset() noexcept override;
  EngineResult GetColumnCount(std::uint32_t* count) noexcept override;
  EngineResult GetColumnDescs(TDSDataPacketFldDesc* descs) noexcept override;
  EngineResult GetErrorString(EngineResult code, char* buffer) noexcept override;
  EngineResult EndOfNestedRows() noexcept override;
  EngineResult SetXMLMode(std::int32_t mode) noexcept override;
  std::int32_t GetXMLMode() noexcept override;

 protected:
  const DSGuid& OwnIid() const noexcept override { return IID_IDSWriter; }

 private:
  struct Level {
    std::uint32_t declared = 0;
    std::vector<std::uint32_t> types;       // packet types of the columns added
    std::vector<std::uint32_t> valueSizes;  // fixed value size or prefix width
    std::vector<int> nested;                // level index of each embedded column
    std::size_t colAttrCountPos = 0;        // count word of the last column
    std::size_t tableAttrCountPos = 0;
    bool tableAttrsOpen = false;
    bool closed = false;
    int parent = -1;
    int depth = 0;
  };
  struct RowLevel {
    int level;
    std::uint32_t remaining;     // rows still to come
    std::size_t countPos;        // nested row count word (0 at top)
    std::uint32_t written = 0;
    int col = -1;                // -1: status byte expected
    std::size_t statusPos = 0;
  };
  EngineResult Start(std::uint32_t version, std::uint32_t columns, bool sequential);
  EngineResult AddColumn(const TDSDataPacketFldDesc& d, bool sequential);
  void Put(const void* p, std::size_t n);
  void FinishRow();
  int CurrentMetaLevel() const;

  std::vector<std::uint8_t> buf_;
  std::vector<Level> levels_;
  std::vector<int> metaStack_;  // levels whose metadata is being written
  std::vector<RowLevel> rows_;
  std::vector<TDSDataPacketFldDesc> topDescs_;
  bool started_ = false;
  bool metaDone_ = false;
  bool rowsStarted_ = false;
  std::uint32_t topRows_ = 0;
  std::size_t metaEnd_ = 0;
  EngineResult CloseMeta();
  std::uint32_t flags_ = 0;
  std::int32_t xmlMode_ = xmlOFF;
};

}  // namespace engine
