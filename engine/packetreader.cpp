// Binary packet reader.
#include "engine/packetreader.h"

#include <cstring>

#include "engine/fieldlayout.h"
#include "engine/packetformat.h"

namespace engine {

EngineResult AttrValueSize(std::uint32_t type, const std::uint8_t* p, std::size_t n, std::size_t* size) {
  std::uint32_t vs = 0;
  const std::uint32_t bare = type & ~dsIncInDelta;
  if (EngineResult r = CheckPacketType(bare, true, &vs)) return r;
  if (bare & dsArrayFldType) {
    if (n < 4) return DBERR_DATAPACKETMISMATCH;
    const std::uint64_t bytes = 4 + std::uint64_t{Rd32(p)} * vs;
    if (bytes > n) return DBERR_DATAPACKETMISMATCH;
    *size = static_cast<std::size_t>(bytes);
    return DBERR_NONE;
  }
  if (IsVarying(bare)) {
    if (n < vs) return DBERR_DATAPACKETMISMATCH;
    const std::uint64_t l = vs == 1 ? p[0] : vs == 2 ? Rd16(p) : Rd32(p);
    if (vs == 4 && (l & 0x80000000u)) return DBERR_DATAPACKETMISMATCH;
    if (l > n - vs) return DBERR_DATAPACKETMISMATCH;
    *size = static_cast<std::size_t>(l + vs);
    return DBERR_NONE;
  }
  if (vs > n) return DBERR_DATAPACKETMISMATCH;
  *size = vs;
  return DBERR_NONE;
}

EngineResult DSEXTRACT::Open(const std::uint8_t* data, std::size_t size) {
  d_ = data;
  size_ = data ? size : 0;
  pos_ = 0;
  levels_.clear();
  if (size_ < kPacketHeaderSize) return DBERR_DATAPACKETMISMATCH;
  h_.magic = Rd32(d_);
  h_.major = Rd16(d_ + 4);
  h_.minor = Rd16(d_ + 6);
  h_.headerSize = Rd32(d_ + 8);
  h_.columns = Rd16(d_ + 12);
  h_.rows = Rd32(d_ + 14);
  h_.flags = Rd32(d_ + 18);
  h_.rowDataOffset = Rd16(d_ + 22);
  if (h_.magic == kPacketMagic) {
    if (h_.major > 3 || h_.minor > 3) return DBERR_DATAPACKETMISMATCH;
  } else if (h_.magic != kPacketMagicAlt) {
    return DBERR_DATAPACKETMISMATCH;
  }
  if (h_.headerSize < kPacketHeaderSize || h_.headerSize > size_) return DBERR_DATAPACKETMISMATCH;
  pos_ = h_.headerSize;
  return DBERR_NONE;
}

EngineResult DSEXTRACT::ReadAttrs(std::vector<PacketAttr>& out) {
  if (!Need(2)) return DBERR_DATAPACKETMISMATCH;
  const std::uint32_t k = Rd16(d_ + pos_);
  pos_ += 2;
  for (std::uint32_t i = 0; i < k; ++i) {
    if (!Need(1)) return DBERR_DATAPACKETMISMATCH;
    const std::size_t n = d_[pos_++];
    if (n == 0) return DBERR_DATAPACKETMISMATCH;
    if (!Need(n + 4)) return DBERR_DATAPACKETMISMATCH;
    if (std::memchr(d_ + pos_, 0, n)) return DBERR_DATAPACKETMISMATCH;  // names are C strings
    PacketAttr a;
    a.name.assign(reinterpret_cast<const char*>(d_ + pos_), n);
    pos_ += n;
    a.type = Rd32(d_ + pos_);
    pos_ += 4;
    std::size_t sz = 0;
    if (EngineResult r = AttrValueSize(a.type, d_ + pos_, size_ - pos_, &sz)) return r;
    a.value = d_ + pos_;
    a.size = sz;
    pos_ += sz;
    out.push_back(std::move(a));
  }
  return DBERR_NONE;
}

EngineResult DSEXTRACT::ReadLevel(int li, std::uint32_t columns, int depth) {
  for (std::uint32_t c = 0; c < columns; ++c) {
    if (!Need(1)) return DBERR_DATAPACKETMISMATCH;
    const std::size_t n = d_[pos_++];
    if (n == 0) return DBERR_NULLFIELDNAME;
    if (!Need(n + 8)) return DBERR_DATAPACKETMISMATCH;
    if (d_[pos_] == 0) return DBERR_NULLFIELDNAME;
    if (std::memchr(d_ + pos_, 0, n)) return DBERR_DATAPACKETMISMATCH;
    PacketColumn col;
    col.name.assign(reinterpret_cast<const char*>(d_ + pos_), n);
    pos_ += n;
    col.type = Rd32(d_ + pos_);
    col.flags = Rd16(d_ + pos_ + 4);
    pos_ += 6;
    if (EngineResult r = CheckPacketType(col.type, false, &col.valueSize)) return r;
    if (EngineResult r = ReadAttrs(col.attrs)) return r;
    if (BaseType(col.type) == dsfldEMBEDDEDTBL) {
      if (depth + 1 > kMaxNesting) return DBERR_NA;
      PacketLevel lv;
      lv.parent = li;
      lv.depth = depth + 1;
      levels_.push_back(std::move(lv));
      const int ni = static_cast<int>(levels_.size() - 1);
      col.nested = ni;
      levels_[static_cast<std::size_t>(li)].cols.push_back(std::move(col));
      if (EngineResult r = ReadLevel(ni, SizeBits(levels_[static_cast<std::size_t>(li)].cols.back().type), depth + 1))
        return r;
    } else {
      levels_[static_cast<std::size_t>(li)].cols.push_back(std::move(col));
    }
  }
  return ReadAttrs(levels_[static_cast<std::size_t>(li)].tableAttrs);
}

EngineResult DSEXTRACT::ReadMetadata() {
  if (!d_) return DBERR_INVALIDPARAM;
  levels_.clear();
  levels_.emplace_back();
  pos_ = h_.headerSize;
  try {
    if (EngineResult r = ReadLevel(0, h_.columns, 0)) return r;
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  metaEnd_ = pos_;
  return DBERR_NONE;
}

EngineResult DSEXTRACT::ReadRow(int li, RowVisitor& v) {
  const PacketLevel& L = levels_[static_cast<std::size_t>(li)];
  const std::size_t c = L.cols.size();
  const std::size_t sb = (c + 3) / 4;
  if (!Need(1 + sb)) return DBERR_DATAPACKETMISMATCH;
  const std::uint8_t status = d_[pos_++];
  const std::uint8_t* bits = d_ + pos_;
  pos_ += sb;
  if (EngineResult r = v.BeginRow(li, status)) return r;
  for (std::size_t j = 0; j < c; ++j) {
    const PacketColumn& col = L.cols[j];
    const unsigned b = (bits[j / 4] >> (2 * (j % 4))) & 3u;
    const std::uint32_t cj = static_cast<std::uint32_t>(j);
    if (b != 0) {
      if (EngineResult r = v.Value(li, cj, (b & 1) ? BLANK_NULL : BLANK_NOTCHANGED, nullptr, 0)) return r;
      continue;
    }
    const std::uint32_t type = col.type;
    if (col.nested >= 0) {
      if (!Need(4)) return DBERR_DATAPACKETMISMATCH;
      const std::int32_t cnt = static_cast<std::int32_t>(Rd32(d_ + pos_));
      pos_ += 4;
      if (EngineResult r = v.BeginNested(li, cj, cnt)) return r;
      for (std::int32_t i = 0; i < cnt; ++i)
        if (EngineResult r = ReadRow(col.nested, v)) return r;
      if (EngineResult r = v.EndNested(li, cj)) return r;
      continue;
    }
    if (type & dsPseudoFldType) {
      if (EngineResult r = v.Value(li, cj, 0, d_ + pos_, 0)) return r;
      continue;
    }
    if (IsVarying(type)) {
      const std::uint32_t w = col.valueSize;
      if (!Need(w)) return DBERR_DATAPACKETMISMATCH;
      const std::uint32_t l = w == 1 ? d_[pos_] : w == 2 ? Rd16(d_ + pos_) : Rd32(d_ + pos_);
      pos_ += w;
      if (w == 4 && (l & 0x80000000u)) {
        // only blobs may be left unfetched
        if (BaseType(type) != dsfldBYTES) return DBERR_DATAPACKETMISMATCH;
        if (EngineResult r = v.Value(li, cj, 0, nullptr, l)) return r;
        continue;
      }
      if (!Need(l)) return DBERR_DATAPACKETMISMATCH;
      if (EngineResult r = v.Value(li, cj, 0, d_ + pos_, l)) return r;
      pos_ += l;
      continue;
    }
    if (!Need(col.valueSize)) return DBERR_DATAPACKETMISMATCH;
    if (EngineResult r = v.Value(li, cj, 0, d_ + pos_, col.valueSize)) return r;
    pos_ += col.valueSize;
  }
  return v.EndRow(li);
}

EngineResult DSEXTRACT::ReadRows(RowVisitor& v) {
  if (levels_.empty()) return DBERR_NOMETADATA;
  pos_ = metaEnd_;
  try {
    for (std::uint32_t i = 0; i < h_.rows; ++i)
      if (EngineResult r = ReadRow(0, v)) return r;
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  return DBERR_NONE;
}

}  // namespace engine
