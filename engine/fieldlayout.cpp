// Record layout computation.
#include "engine/fieldlayout.h"

#include <cstring>

namespace engine {

bool IsStringType(std::int32_t type) noexcept { return type == fldZSTRING; }
bool HasChildren(std::int32_t type) noexcept { return type == fldADT || type == fldARRAY; }

std::int32_t StorageSize(std::int32_t type, std::int32_t w, std::int32_t givenLen) noexcept {
  switch (type) {
    case fldZSTRING: return w + 1;
    case fldUNICODE:
    case fldVARBYTES: return w + 2;
    case fldBYTES: return w;
    case fldBLOB: return 4;
    case fldBOOL:
    case fldBOOL8:
    case fldINT8:
    case fldUINT8:
    case fldINT16:
    case fldUINT16: return 2;
    case fldBOOL32:
    case fldINT32:
    case fldUINT32:
    case fldDATE:
    case fldTIME:
    case fldSINGLE:
    case fldTABLE: return 4;
    case fldINT64:
    case fldUINT64:
    case fldFLOAT:
    case fldTIMESTAMP: return 8;
    case fldFLOATIEEE: return 10;
    case fldBCD:
    case fldFMTBCD: return w == 0 ? 34 : 2 + (w + 1) / 2;
    case fldDATETIME: return 16;
    case fldDATETIMEOFFSET: return 20;
    case fldADT: return 0;
    case fldARRAY: return givenLen;
    default: return -1;
  }
}

namespace {

// Walks the subtree starting at index i; returns one past its last field, or
// -1 when the children run past the end or nest too deeply.
int SubtreeEnd(std::vector<DSFLDDesc>& f, int i, int depth) {
  if (depth > kMaxNesting) return -1;
  if (!HasChildren(f[i].iFldType)) return i + 1;
  int j = i + 1;
  std::int32_t desc = 0;
  for (std::int32_t c = 0; c < f[i].iUnits1; ++c) {
    if (j >= static_cast<int>(f.size())) return -1;
    f[j].iFieldIDParent = static_cast<std::uint16_t>(i + 1);
    int e = SubtreeEnd(f, j, depth + 1);
    if (e < 0) return -1;
    desc += 1 + (HasChildren(f[j].iFldType) ? f[j].iUnits2 : 0);
    j = e;
  }
  f[i].iUnits2 = desc;
  return j;
}

}  // namespace

EngineResult ComputeLayout(std::vector<DSFLDDesc>& in, const LayoutOptions& opts,
                           std::int32_t* recSize) noexcept {
  if (in.size() > 0xFFFF) return DBERR_INVALIDPARAM;
  std::vector<DSFLDDesc> f;
  try {
    f = in;
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  std::int64_t size = 0;
  for (auto& d : f) {
    d.szName[DSNAMELEN - 1] = 0;
    if (d.iFldType == fldVARBYTES) {
      const auto st = d.iFldSubType;
      bool toBlob = st == fldstMEMO || st == fldstWIDEMEMO;
      if (opts.fromXml)
        toBlob = toBlob || (st >= fldstMEMO && st <= fldstTYPEDBINARY) || st == fldstHMEMO ||
                 st == fldstHBINARY;
      if (toBlob) d.iFldType = fldBLOB;
      else if (opts.fromXml && st == 0) d.iFldType = fldBYTES;
    }
    std::int32_t w = d.iUnits1;
    if (w < 0) return DBERR_INVALIDPARAM;
    switch (d.iFldType) {
      case fldZSTRING:
        if (w == 0 && d.iFldLen > 0) w = d.iFldLen - 1;
        if (w == 0 && d.iFldLen <= 0) return DBERR_INVALIDPARAM;
        break;
      case fldBYTES:
        if (w == 0 && d.iFldLen > 0) w = d.iFldLen;
        if (w == 0) return DBERR_INVALIDPARAM;
        break;
      case fldUNICODE:
      case fldVARBYTES:
        if (w == 0 && d.iFldLen > 2) w = d.iFldLen - 2;
        if (w == 0) return DBERR_INVALIDPARAM;
        break;
      case fldADT:
      case fldARRAY:
      case fldTABLE:
        if (w <= 0) return DBERR_INVALIDFLDTYPE;
        break;
      default: break;
    }
    if (w > kMaxFieldStorage) return DBERR_INVALIDFLDTYPE;
    const std::int32_t len = StorageSize(d.iFldType, w, d.iFldLen);
    if (len < 0 || len > kMaxFieldStorage) return DBERR_INVALIDFLDTYPE;
    if (len == 0 && !HasChildren(d.iFldType)) return DBERR_INVALIDFLDTYPE;
    if (d.iFldType == fldBCD || d.iFldType == fldFMTBCD) {
      if (w > 64 || d.iUnits2 < 0 || d.iUnits2 > 63 || d.iUnits2 > (w ? w : 64))
        return DBERR_INVALIDFLDTYPE;
    }
    // (a BCD field keeps precision 0: it stands for the 34-byte form)
    if (w == 0 && d.iFldType != fldBLOB && d.iFldType != fldBCD && d.iFldType != fldFMTBCD) w = 1;
    d.iUnits1 = w;
    d.iFldLen = len;
    d.iFldOffsInRec = static_cast<std::int32_t>(size);
    size += len;
    if (size > 0x7FFFFFF) return DBERR_INVALIDFLDTYPE;
  }
  for (auto& d : f) d.iFieldIDParent = 0;
  for (int i = 0; i < static_cast<int>(f.size());) {
    int e = SubtreeEnd(f, i, 0);
    if (e < 0) return DBERR_INVALIDFLDTYPE;
    i = e;
  }
  for (std::size_t k = 0; k < f.size(); ++k) {
    f[k].iNullOffsInRec = static_cast<std::int32_t>(size + static_cast<std::int64_t>(k));
    f[k].iFieldID = static_cast<std::uint16_t>(k + 1);
  }
  *recSize = static_cast<std::int32_t>(size + static_cast<std::int64_t>(f.size()));
  in.swap(f);
  return DBERR_NONE;
}

}  // namespace engine
