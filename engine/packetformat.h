// Constants of the binary data packet and the mapping between engine field
// types and packet type codes.
#pragma once

#include <cstdint>
#include <cstring>

#include "engine/dstypes.h"

namespace engine {

constexpr std::uint32_t kPacketMagic = 0x5AC01996u;
constexpr std::uint32_t kPacketMagicAlt = 0x0000ABCDu;
constexpr std::uint32_t kPacketHeaderSize = 24;

constexpr std::uint32_t dsSizeBitsMask = 0xFFFFu;
constexpr std::uint32_t dsTypeBitsMask = 0x3F0000u;
constexpr std::uint32_t dsVaryingFldType = 0x400000u;
constexpr std::uint32_t dsArrayFldType = 0x800000u;
constexpr std::uint32_t dsPseudoFldType = 0x1000000u;
constexpr std::uint32_t dsCompArrayFldType = 0x2000000u;
constexpr std::uint32_t dsEmbeddedFldType = 0x4000000u;
constexpr std::uint32_t dsIncInDelta = 0x80000000u;

constexpr std::uint32_t dsfldUNKNOWN = 0;
constexpr std::uint32_t dsfldINT = 1;
constexpr std::uint32_t dsfldUINT = 2;
constexpr std::uint32_t dsfldBOOL = 3;
constexpr std::uint32_t dsfldFLOATIEEE = 4;
constexpr std::uint32_t dsfldBCD = 5;
constexpr std::uint32_t dsfldDATE = 6;
constexpr std::uint32_t dsfldTIME = 7;
constexpr std::uint32_t dsfldTIMESTAMP = 8;
constexpr std::uint32_t dsfldZSTRING = 9;
constexpr std::uint32_t dsfldUNICODE = 10;
constexpr std::uint32_t dsfldBYTES = 11;
constexpr std::uint32_t dsfldADT = 12;
constexpr std::uint32_t dsfldARRAY = 13;
constexpr std::uint32_t dsfldEMBEDDEDTBL = 14;
constexpr std::uint32_t dsfldREF = 15;
constexpr std::uint32_t dsfldDATETIME = 17;
constexpr std::uint32_t dsfldFMTBCD = 18;
constexpr std::uint32_t dsfldSINGLE = 27;
constexpr std::uint32_t dsfldDATETIMEOFFSET = 36;

// Packet flags
constexpr std::uint32_t kPacketHasMetadata = 1;
constexpr std::uint32_t kPacketHasRowOffset = 2;
constexpr std::uint32_t kPacketXmlRowAttrs = 0x8000;

// Size in bytes of one BCD value in a packet.
constexpr std::uint32_t kPacketBcdSize = 18;

inline std::uint32_t BaseType(std::uint32_t t) { return (t & dsTypeBitsMask) >> 16; }
inline std::uint32_t SizeBits(std::uint32_t t) { return t & dsSizeBitsMask; }
inline bool IsVarying(std::uint32_t t) { return (t & dsVaryingFldType) != 0; }

// Checks a column or attribute packet type; for a fixed type, *valueSize gets
// the bytes of one value, for a varying one the prefix width (1, 2 or 4).
// 10000 for combinations the format does not allow.
EngineResult CheckPacketType(std::uint32_t type, bool attribute, std::uint32_t* valueSize);

// Packet type of a field (stored size and children from the descriptor).
std::uint32_t PacketTypeForField(const DSFLDDesc& f);
// Engine type of a column's packet type (10000 when none).
EngineResult FieldTypeForPacket(std::uint32_t type, std::int32_t* fldType);

// Little-endian helpers.
inline std::uint16_t Rd16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t Rd32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}
inline void Wr16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Wr32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Sub-type names of the "SUBTYPE" attribute.
const char* SubTypeName(std::int32_t subType);
std::int32_t SubTypeFromName(const char* name, std::size_t len);  // 255 when unknown

}  // namespace engine
