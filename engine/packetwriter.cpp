// Binary packet writer.
#include "engine/packetwriter.h"

#include <cstring>
#include <new>

#include "engine/collation.h"
#include "engine/packetformat.h"
#include "engine/xmlpacket.h"

namespace engine {

void DSDATAPACKET::Put(const void* p, std::size_t n) {
  const auto* b = static_cast<const std::uint8_t*>(p);
  buf_.insert(buf_.end(), b, b + n);
}

EngineResult DSDATAPACKET::Start(std::uint32_t version, std::uint32_t columns, bool sequential) {
  if (version > 3) return DBERR_DATAPACKETMISMATCH;
  if (columns > 0xFFFF) return DBERR_INVALIDPARAM;
  Reset();
  try {
    buf_.reserve(32768);
    buf_.assign(kPacketHeaderSize, 0);
    Level top;
    top.declared = columns;
    levels_.push_back(top);
    metaStack_.push_back(0);
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  flags_ = sequential ? kPacketHasMetadata : 0;
  started_ = true;
  return DBERR_NONE;
}

EngineResult DSDATAPACKET::Init_Sequential(std::uint32_t version, std::uint32_t columns) noexcept {
  return Start(version, columns, true);
}

EngineResult DSDATAPACKET::Init(std::uint32_t version, std::uint32_t columns,
                                const TDSDataPacketFldDesc* descs) noexcept {
  if (columns > 0 && !descs) return DBERR_INVALIDPARAM;
  if (EngineResult r = Start(version, columns, false)) return r;
  for (std::uint32_t i = 0; i < columns; ++i) {
    if (EngineResult r = AddColumn(descs[i], false)) {
      Reset();
      return r;
    }
  }
  return DBERR_NONE;
}

int DSDATAPACKET::CurrentMetaLevel() const { return metaStack_.empty() ? -1 : metaStack_.back(); }

EngineResult DSDATAPACKET::AddColumn(const TDSDataPacketFldDesc& d, bool /*sequential*/) {
  if (!started_ || metaDone_ || metaStack_.empty()) return DBERR_NA;
  try {
    int li = CurrentMetaLevel();
    // A nested-table column just added at this level opens its nested level.
    if (!levels_[static_cast<std::size_t>(li)].nested.empty() &&
        levels_[static_cast<std::size_t>(li)].nested.back() == -2) {
      Level& parent = levels_[static_cast<std::size_t>(li)];
      if (parent.depth + 1 > 63) return DBERR_NA;
      Level n;
      n.declared = SizeBits(parent.types.back());
      n.parent = li;
      n.depth = parent.depth + 1;
      levels_.push_back(n);
      const int ni = static_cast<int>(levels_.size() - 1);
      levels_[static_cast<std::size_t>(li)].nested.back() = ni;
      metaStack_.push_back(ni);
      li = ni;
    }
    Level& L = levels_[static_cast<std::size_t>(li)];
    if (L.types.size() >= L.declared || L.tableAttrsOpen) return DBERR_NA;
    char name[DSNAMELEN];
    std::memcpy(name, d.szFieldName, DSNAMELEN);
    name[DSNAMELEN - 1] = 0;
    const std::size_t n = std::strlen(name);
    if (n == 0) return DBERR_NULLFIELDNAME;
    if (std::strcmp(name, "RowState") == 0) return DBERR_NA;
    std::uint32_t vs = 0;
    if (EngineResult r = CheckPacketType(static_cast<std::uint32_t>(d.iFieldType), false, &vs)) return r;
    const std::uint32_t type = static_cast<std::uint32_t>(d.iFieldType);
    std::uint8_t hdr[9];
    buf_.push_back(static_cast<std::uint8_t>(n));
    Put(name, n);
    Wr32(hdr, type);
    Wr16(hdr + 4, d.iAttributes);
    Wr16(hdr + 6, 0);
    Put(hdr, 8);
    L.colAttrCountPos = buf_.size() - 2;
    L.types.push_back(type);
    L.valueSizes.push_back(vs);
    L.nested.push_back(BaseType(type) == dsfldEMBEDDEDTBL ? -2 : -1);
    if (li == 0) {
      topDescs_.push_back(d);
      topDescs_.back().szFieldName[DSNAMELEN - 1] = 0;
    }
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  return DBERR_NONE;
}

EngineResult DSDATAPACKET::AddColumnDesc(const TDSDataPacketFldDesc* desc) noexcept {
  if (!desc) return DBERR_INVALIDPARAM;
  return AddColumn(*desc, true);
}

EngineResult DSDATAPACKET::CloseMeta() {
  // closes the table attributes of the current level
  const int li = CurrentMetaLevel();
  if (li < 0) return DBERR_NA;
  Level& L = levels_[static_cast<std::size_t>(li)];
  if (L.types.size() != L.declared) return DBERR_NA;
  if (!L.nested.empty() && L.nested.back() == -2 && SizeBits(L.types.back()) != 0) return DBERR_NA;
  if (!L.tableAttrsOpen) {
    std::uint8_t z[2] = {0, 0};
    Put(z, 2);
  }
  L.tableAttrsOpen = true;
  L.closed = true;
  metaStack_.pop_back();
  if (metaStack_.empty()) {
    metaDone_ = true;
    metaEnd_ = buf_.size();
  }
  return DBERR_NONE;
}

EngineResult DSDATAPACKET::AddAttribute(TPcktAttrArea area, const char* name, std::uint32_t type,
                                        std::uint32_t length, const void* value) noexcept {
  if (!started_ || rowsStarted_ || metaDone_) return DBERR_NA;
  try {
    if (area == pcktAttrArea && !name) return CloseMeta();
    if (!name || name[0] == 0) return DBERR_INVALIDPARAM;
    const std::size_t n = std::strlen(name);
    if (n > 255) return DBERR_INVALIDPARAM;
    const int li = CurrentMetaLevel();
    Level& L = levels_[static_cast<std::size_t>(li)];
    std::size_t countPos;
    if (area == fldAttrArea) {
      if (L.types.empty() || L.tableAttrsOpen) return DBERR_NA;
      countPos = L.colAttrCountPos;
    } else if (area == pcktAttrArea) {
      if (!L.tableAttrsOpen) {
        if (L.types.size() != L.declared) return DBERR_NA;
        if (!L.nested.empty() && L.nested.back() == -2 && SizeBits(L.types.back()) != 0) return DBERR_NA;
        std::uint8_t z[2] = {0, 0};
        Put(z, 2);
        L.tableAttrCountPos = buf_.size() - 2;
        L.tableAttrsOpen = true;
      }
      countPos = L.tableAttrCountPos;
    } else {
      return DBERR_INVALIDPARAM;
    }
    const std::uint32_t count = Rd16(buf_.data() + countPos);
    if (count == 0xFFFF) return DBERR_NA;
    std::uint32_t vs = 0;
    const std::uint32_t bare = type & ~dsIncInDelta;
    if (EngineResult r = CheckPacketType(bare, true, &vs)) return r;
    if (!value) return DBERR_INVALIDPARAM;
    const auto* v = static_cast<const std::uint8_t*>(value);
    std::size_t bytes;
    if (bare & dsArrayFldType) {
      if (length < 4) return DBERR_INVALIDPARAM;
      const std::uint64_t elems = Rd32(v);
      if (4 + elems * vs != length) return DBERR_INVALIDPARAM;
      bytes = length;
    } else if (IsVarying(bare)) {
      std::uint64_t l = vs == 1 ? v[0] : vs == 2 ? Rd16(v) : Rd32(v);
      if (vs == 4 && (l & 0x80000000u)) l = 0;
      if (length != 0 && l + vs > length) return DBERR_INVALIDPARAM;
      bytes = static_cast<std::size_t>(l + vs);
    } else {
      if (length != 0 && length < vs) return DBERR_INVALIDPARAM;
      bytes = vs;
    }
    buf_.push_back(static_cast<std::uint8_t>(n));
    Put(name, n);
    std::uint8_t t[4];
    Wr32(t, type);
    Put(t, 4);
    Put(v, bytes);
    Wr16(buf_.data() + countPos, count + 1);
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  return DBERR_NONE;
}

void DSDATAPACKET::FinishRow() {
  for (;;) {
    RowLevel& R = rows_.back();
    R.col = -1;
    ++R.written;
    if (rows_.size() == 1) {
      ++topRows_;
      return;
    }
    if (R.written < R.remaining) return;
    rows_.pop_back();
    RowLevel& P = rows_.back();
    if (P.col < static_cast<int>(levels_[static_cast<std::size_t>(P.level)].types.size())) return;
  }
}

EngineResult DSDATAPACKET::PutField(TPcktFldStatus status, std::uint32_t length, const void* value) noexcept {
  if (!started_) return DBERR_NA;
  try {
    if (!metaDone_) {
      if (metaStack_.size() != 1) return DBERR_NA;
      if (EngineResult r = CloseMeta()) return r;
    }
    rowsStarted_ = true;
    if (rows_.empty()) rows_.push_back(RowLevel{0, 0xFFFFFFFFu, 0});
    RowLevel& R = rows_.back();
    const Level& L = levels_[static_cast<std::size_t>(R.level)];
    const std::uint32_t c = static_cast<std::uint32_t>(L.types.size());
    if (R.col < 0) {
      if (status != fldIsChanged || !value) return DBERR_INVALIDPARAM;
      buf_.push_back(*static_cast<const std::uint8_t*>(value));
      R.statusPos = buf_.size();
      buf_.resize(buf_.size() + (c + 3) / 4, 0);
      R.col = 0;
      if (c == 0) FinishRow();
      return DBERR_NONE;
    }
    const std::uint32_t j = static_cast<std::uint32_t>(R.col);
    const std::uint32_t type = L.types[j];
    const std::uint32_t vs = L.valueSizes[j];
    if (status == fldIsNull || status == fldIsUnChanged) {
      const int bit = 2 * static_cast<int>(j % 4) + (status == fldIsUnChanged ? 1 : 0);
      buf_[R.statusPos + j / 4] |= static_cast<std::uint8_t>(1u << bit);
      ++R.col;
      if (static_cast<std::uint32_t>(R.col) == c) FinishRow();
      return DBERR_NONE;
    }
    if (status != fldIsChanged) return DBERR_INVALIDPARAM;
    const auto* v = static_cast<const std::uint8_t*>(value);
    if (BaseType(type) == dsfldEMBEDDEDTBL) {
      if (!v) return DBERR_INVALIDPARAM;
      const std::uint32_t cnt = Rd32(v);
      Put(v, 4);
      const std::size_t countPos = buf_.size() - 4;
      ++R.col;
      const bool done = static_cast<std::uint32_t>(R.col) == c;
      const int nestedLevel = L.nested[j];
      if ((cnt & 0x80000000u) == 0 && cnt > 0 && nestedLevel >= 0) {
        rows_.push_back(RowLevel{nestedLevel, cnt, countPos});
      } else if (done) {
        FinishRow();
      }
      return DBERR_NONE;
    }
    if (type & dsPseudoFldType) {
      // ADT and array columns carry no bytes
    } else if (IsVarying(type)) {
      const bool notFetched = vs == 4 && (length & 0x80000000u);
      if ((vs == 1 && length > 0xFF) || (vs == 2 && length > 0xFFFF)) return DBERR_INVALIDPARAM;
      if (!notFetched && length > 0 && !v) return DBERR_INVALIDPARAM;
      std::uint8_t p[4];
      Wr32(p, length);
      Put(p, vs);
      if (!notFetched) Put(v, length);
    } else {
      if (!v) return DBERR_INVALIDPARAM;
      Put(v, vs);
    }
    ++R.col;
    if (static_cast<std::uint32_t>(R.col) == c) FinishRow();
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  return DBERR_NONE;
}

EngineResult DSDATAPACKET::EndOfNestedRows() noexcept {
  if (rows_.size() < 2 || rows_.back().col != -1) return DBERR_NA;
  RowLevel R = rows_.back();
  Wr32(buf_.data() + R.countPos, R.written);
  rows_.pop_back();
  RowLevel& P = rows_.back();
  if (static_cast<std::uint32_t>(P.col) == levels_[static_cast<std::size_t>(P.level)].types.size()) FinishRow();
  return DBERR_NONE;
}

EngineResult DSDATAPACKET::GetDataPacket(DSPacket* packet) noexcept {
  if (!packet) return DBERR_INVALIDPARAM;
  if (!started_) return DBERR_NA;
  try {
    if (!metaDone_) {
      if (metaStack_.size() != 1) return DBERR_NA;
      if (EngineResult r = CloseMeta()) return r;
    }
    if (rows_.size() > 1 || (!rows_.empty() && rows_.back().col != -1)) return DBERR_NA;
    std::uint32_t major = 1;
    for (const auto& l : levels_)
      for (auto t : l.types)
        if (BaseType(t) > dsfldBYTES) major = 2;
    std::uint8_t* h = buf_.data();
    Wr32(h, kPacketMagic);
    Wr16(h + 4, major);
    Wr16(h + 6, 0);
    Wr32(h + 8, kPacketHeaderSize);
    Wr16(h + 12, levels_[0].declared);
    Wr32(h + 14, topRows_);
    std::uint32_t flags = flags_;
    if (metaEnd_ <= 0xFFFF) {
      flags |= kPacketHasRowOffset;
      Wr16(h + 22, static_cast<std::uint32_t>(metaEnd_));
    }
    Wr32(h + 18, flags);
    if (xmlMode_ != xmlOFF) return PacketToXml(buf_.data(), buf_.size(), xmlMode_, kDefaultCodePage, packet);
    *packet = buf_;
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  return DBERR_NONE;
}

EngineResult DSDATAPACKET::GetSize(std::uint32_t* size) noexcept {
  if (!size) return DBERR_INVALIDPARAM;
  *size = static_cast<std::uint32_t>(buf_.size());
  return DBERR_NONE;
}

EngineResult DSDATAPACKET::Reset() noexcept {
  buf_.clear();
  levels_.clear();
  metaStack_.clear();
  rows_.clear();
  topDescs_.clear();
  started_ = metaDone_ = rowsStarted_ = false;
  topRows_ = 0;
  flags_ = 0;
  metaEnd_ = 0;
  return DBERR_NONE;
}

EngineResult DSDATAPACKET::GetColumnCount(std::uint32_t* count) noexcept {
  if (!count) return DBERR_INVALIDPARAM;
  *count = levels_.empty() ? 0 : static_cast<std::uint32_t>(levels_[0].types.size());
  return DBERR_NONE;
}

EngineResult DSDATAPACKET::GetColumnDescs(TDSDataPacketFldDesc* descs) noexcept {
  if (!descs) return DBERR_INVALIDPARAM;
  for (std::size_t i = 0; i < topDescs_.size(); ++i) descs[i] = topDescs_[i];
  return DBERR_NONE;
}

EngineResult DSDATAPACKET::GetErrorString(EngineResult code, char* buffer) noexcept {
  return FillErrorString(code, buffer, false);
}

EngineResult DSDATAPACKET::SetXMLMode(std::int32_t mode) noexcept {
  if (!XmlModeSupported(mode)) return DBERR_NOTSUPPORTED;
  xmlMode_ = mode;
  return DBERR_NONE;
}

std::int32_t DSDATAPACKET::GetXMLMode() noexcept { return xmlMode_; }

EngineResult CreateDSWriter(IDSWriter** out) noexcept {
  if (!out) return DBERR_INVALIDPARAM;
  auto* w = new (std::nothrow) DSDATAPACKET();
  if (!w) return DBERR_NOMEMORY;
  w->AddRef();
  *out = w;
  return DBERR_NONE;
}

}  // namespace engine
