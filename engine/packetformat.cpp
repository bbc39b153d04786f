// Packet type codes.
#include "engine/packetformat.h"

#include <strings.h>

namespace engine {

EngineResult CheckPacketType(std::uint32_t type, bool attribute, std::uint32_t* valueSize) {
  const std::uint32_t base = BaseType(type), size = SizeBits(type);
  // flag bits must agree with the base type; undefined bits are refused
  if (type & 0x78000000u) return DBERR_INVALIDFLDTYPE;
  const bool parent = base == dsfldADT || base == dsfldARRAY || base == dsfldREF || base == dsfldEMBEDDEDTBL;
  if (((type & dsPseudoFldType) != 0) != (parent && !attribute)) return DBERR_INVALIDFLDTYPE;
  if (((type & dsCompArrayFldType) != 0) != (base == dsfldARRAY && !attribute)) return DBERR_INVALIDFLDTYPE;
  if (((type & dsEmbeddedFldType) != 0) != (base == dsfldEMBEDDEDTBL && !attribute)) return DBERR_INVALIDFLDTYPE;
  if (!attribute && (type & dsIncInDelta)) return DBERR_INVALIDFLDTYPE;
  if (!attribute && (type & dsArrayFldType)) return DBERR_INVALIDFLDTYPE;
  if ((type & dsArrayFldType) && IsVarying(type)) return DBERR_INVALIDFLDTYPE;
  if (IsVarying(type)) {
    if (size != 1 && size != 2 && size != 4) return DBERR_INVALIDFLDTYPE;
    if (base != dsfldZSTRING && base != dsfldUNICODE && base != dsfldBYTES) return DBERR_INVALIDFLDTYPE;
    *valueSize = size;
    return DBERR_NONE;
  }
  switch (base) {
    case dsfldINT:
    case dsfldUINT:
      if (size != 1 && size != 2 && size != 4 && size != 8) return DBERR_INVALIDFLDTYPE;
      break;
    case dsfldBOOL:
      if (size != 1 && size != 2 && size != 4) return DBERR_INVALIDFLDTYPE;
      break;
    case dsfldFLOATIEEE:
      if (size != 4 && size != 8 && size != 10) return DBERR_INVALIDFLDTYPE;
      break;
    case dsfldSINGLE:
      if (size != 4) return DBERR_INVALIDFLDTYPE;
      break;
    case dsfldBCD:
    case dsfldFMTBCD:
      if (size < 3 || size > 34) return DBERR_INVALIDFLDTYPE;
      *valueSize = kPacketBcdSize;
      return DBERR_NONE;
    case dsfldDATE:
    case dsfldTIME:
      if (size != 4) return DBERR_INVALIDFLDTYPE;
      break;
    case dsfldTIMESTAMP:
      if (size != 8) return DBERR_INVALIDFLDTYPE;
      break;
    case dsfldDATETIME:
      if (size != 16) return DBERR_INVALIDFLDTYPE;
      break;
    case dsfldDATETIMEOFFSET:
      if (size != 20) return DBERR_INVALIDFLDTYPE;
      break;
    case dsfldZSTRING:
    case dsfldUNICODE:
    case dsfldBYTES:
      if (size == 0) return DBERR_INVALIDFLDTYPE;
      break;
    case dsfldADT:
    case dsfldARRAY:
    case dsfldREF:
      if (attribute) return DBERR_INVALIDFLDTYPE;
      *valueSize = 0;
      return DBERR_NONE;
    case dsfldEMBEDDEDTBL:
      if (attribute) return DBERR_INVALIDFLDTYPE;
      *valueSize = 4;
      return DBERR_NONE;
    default: return DBERR_INVALIDFLDTYPE;
  }
  *valueSize = size;
  return DBERR_NONE;
}

std::uint32_t PacketTypeForField(const DSFLDDesc& f) {
  const std::uint32_t p = f.iFldLen <= 254 ? 1 : 2;
  const std::uint32_t len = static_cast<std::uint32_t>(f.iFldLen);
  const std::uint32_t w = static_cast<std::uint32_t>(f.iUnits1);
  switch (f.iFldType) {
    case fldZSTRING: return 0x00490000u + p;
    case fldUNICODE: return 0x004A0000u + p;
    case fldVARBYTES: return 0x004B0000u + p;
    case fldBLOB: return 0x004B0004u;
    case fldBYTES: return 0x000B0000u + len;
    case fldINT8: return 0x00010001u;
    case fldINT16: return 0x00010002u;
    case fldINT32: return 0x00010004u;
    case fldINT64: return 0x00010008u;
    case fldUINT8: return 0x00020001u;
    case fldUINT16: return 0x00020002u;
    case fldUINT32: return 0x00020004u;
    case fldUINT64: return 0x00020008u;
    case fldBOOL: return 0x00030002u;
    case fldBOOL8: return 0x00030001u;
    case fldBOOL32: return 0x00030004u;
    case fldFLOAT: return 0x00040008u;
    case fldFLOATIEEE: return 0x0004000Au;
    case fldSINGLE: return 0x001B0004u;
    case fldBCD: return 0x00050000u + len;
    case fldFMTBCD: return 0x00120000u + len;
    case fldDATE: return 0x00060004u;
    case fldTIME: return 0x00070004u;
    case fldTIMESTAMP: return 0x00080008u;
    case fldDATETIME: return 0x00110010u;
    case fldDATETIMEOFFSET: return 0x00240014u;
    case fldADT: return 0x010C0000u + w;
    case fldARRAY: return 0x030D0000u + w;
    case fldREF: return 0x010F0000u + w;
    case fldTABLE: return 0x050E0000u + w;
    default: return 0;
  }
}

EngineResult FieldTypeForPacket(std::uint32_t type, std::int32_t* out) {
  std::uint32_t vs = 0;
  if (EngineResult r = CheckPacketType(type, false, &vs)) return r;
  const std::uint32_t base = BaseType(type), size = SizeBits(type);
  std::int32_t t = fldUNKNOWN;
  switch (base) {
    case dsfldINT: t = size == 1 ? fldINT8 : size == 2 ? fldINT16 : size == 4 ? fldINT32 : fldINT64; break;
    case dsfldUINT: t = size == 1 ? fldUINT8 : size == 2 ? fldUINT16 : size == 4 ? fldUINT32 : fldUINT64; break;
    case dsfldBOOL: t = size == 2 ? fldBOOL : size == 1 ? fldBOOL8 : fldBOOL32; break;
    case dsfldFLOATIEEE: t = size == 8 ? fldFLOAT : size == 10 ? fldFLOATIEEE : fldSINGLE; break;
    case dsfldSINGLE: t = fldSINGLE; break;
    case dsfldBCD: t = fldBCD; break;
    case dsfldFMTBCD: t = fldFMTBCD; break;
    case dsfldDATE: t = fldDATE; break;
    case dsfldTIME: t = fldTIME; break;
    case dsfldTIMESTAMP: t = fldTIMESTAMP; break;
    case dsfldDATETIME: t = fldDATETIME; break;
    case dsfldDATETIMEOFFSET: t = fldDATETIMEOFFSET; break;
    case dsfldZSTRING: t = fldZSTRING; break;
    case dsfldUNICODE: t = fldUNICODE; break;
    case dsfldBYTES: t = IsVarying(type) ? (size == 4 ? fldBLOB : fldVARBYTES) : fldBYTES; break;
    case dsfldADT: t = fldADT; break;
    case dsfldARRAY: t = fldARRAY; break;
    case dsfldREF: t = fldREF; break;
    case dsfldEMBEDDEDTBL: t = fldTABLE; break;
    default: return DBERR_INVALIDFLDTYPE;
  }
  *out = t;
  return DBERR_NONE;
}

namespace {
struct SubTypeEntry {
  std::int32_t code;
  const char* name;
};
constexpr SubTypeEntry kSubTypes[] = {
    {21, "Money"},     {22, "Text"},     {23, "Binary"},     {24, "Formatted"},       {25, "Ole"},
    {26, "Graphics"},  {27, "dBASEOle"}, {28, "TypedBinary"}, {29, "Autoinc"},        {30, "AccessOle"},
    {31, "FixedChar"}, {32, "WideText"}, {33, "HMemo"},      {34, "HBinary"},         {35, "ADTNestedTable"},
    {36, "BFile"},     {37, "ADTDate"},  {38, "Guid"},       {70, "Reference"},
};
}  // namespace

const char* SubTypeName(std::int32_t subType) {
  for (const auto& e : kSubTypes)
    if (e.code == subType) return e.name;
  return nullptr;
}

std::int32_t SubTypeFromName(const char* name, std::size_t len) {
  for (const auto& e : kSubTypes)
    if (std::strlen(e.name) == len && strncasecmp(e.name, name, len) == 0) return e.code;
  return 255;
}

}  // namespace engine
