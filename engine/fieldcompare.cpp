// Value comparisons by field type.
#include "engine/fieldcompare.h"

#include <cmath>
#include <cstring>

namespace engine {

namespace {

template <class T>
T Load(const std::uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <class T>
int Cmp(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// NaN sorts after every number; two NaNs are equal.
template <class F>
int CmpFloat(F a, F b) {
  const bool na = std::isnan(a), nb = std::isnan(b);
  if (na || nb) return na == nb ? 0 : (na ? 1 : -1);
  return Cmp(a, b);
}

int CmpBytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  const int r = std::memcmp(a, b, n);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

// A BCD value decoded within its storage: sign and significant digits.
struct Bcd {
  bool negative = false;
  std::string intDigits;   // no leading zeros
  std::string fracDigits;  // no trailing zeros
};

Bcd DecodeBcd(const std::uint8_t* p, std::int32_t storage) {
  Bcd r;
  if (storage < 2) return r;
  int precision = p[0];
  int scale = p[1] & 0x3F;
  r.negative = (p[1] & 0x80) != 0;
  const int maxDigits = (storage - 2) * 2;
  if (precision > maxDigits) precision = maxDigits;  // never read past the storage
  if (scale > precision) scale = precision;
  std::string digits;
  for (int i = 0; i < precision; ++i) {
    const std::uint8_t b = p[2 + i / 2];
    int d = (i % 2 == 0) ? (b >> 4) : (b & 0x0F);
    if (d > 9) d = 9;
    digits.push_back(static_cast<char>('0' + d));
  }
  r.intDigits = digits.substr(0, static_cast<std::size_t>(precision - scale));
  r.fracDigits = digits.substr(static_cast<std::size_t>(precision - scale));
  const auto nz = r.intDigits.find_first_not_of('0');
  r.intDigits = nz == std::string::npos ? "" : r.intDigits.substr(nz);
  const auto lz = r.fracDigits.find_last_not_of('0');
  r.fracDigits = lz == std::string::npos ? "" : r.fracDigits.substr(0, lz + 1);
  if (r.intDigits.empty() && r.fracDigits.empty()) r.negative = false;  // -0 == 0
  return r;
}

int CmpBcd(const std::uint8_t* a, const std::uint8_t* b, std::int32_t storage) {
  if (std::memcmp(a, b, static_cast<std::size_t>(storage)) == 0) return 0;
  const Bcd x = DecodeBcd(a, storage), y = DecodeBcd(b, storage);
  if (x.negative != y.negative) return x.negative ? -1 : 1;
  int r;
  if (x.intDigits.size() != y.intDigits.size()) r = x.intDigits.size() < y.intDigits.size() ? -1 : 1;
  else {
    r = x.intDigits.compare(y.intDigits);
    if (r == 0) r = x.fracDigits.compare(y.fracDigits);
    r = r < 0 ? -1 : (r > 0 ? 1 : 0);
  }
  return x.negative ? -r : r;
}

int CmpSqlTimestamp(const std::uint8_t* a, const std::uint8_t* b, bool withOffset) {
  for (int i = 0; i < 6; ++i) {
    const int r = Cmp(Load<std::uint16_t>(a + 2 * i), Load<std::uint16_t>(b + 2 * i));
    if (r) return r;
  }
  int r = Cmp(Load<std::uint32_t>(a + 12), Load<std::uint32_t>(b + 12));
  if (r || !withOffset) return r;
  r = Cmp(Load<std::int16_t>(a + 16), Load<std::int16_t>(b + 16));
  if (r) return r;
  return Cmp(Load<std::uint16_t>(a + 18), Load<std::uint16_t>(b + 18));
}

}  // namespace

std::size_t StringLength(const std::uint8_t* p, std::int32_t storage) {
  const void* z = std::memchr(p, 0, static_cast<std::size_t>(storage));
  return z ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(z) - p)
           : static_cast<std::size_t>(storage);
}

int CompareValues(std::int32_t type, const std::uint8_t* a, const std::uint8_t* b,
                  std::int32_t length, const Collation& coll, bool ci, std::uint32_t partialLen) {
  switch (type) {
    case fldZSTRING: {
      std::size_t la = StringLength(a, length), lb = StringLength(b, length);
      if (partialLen > 0) {
        la = std::min<std::size_t>(la, partialLen);
        lb = std::min<std::size_t>(lb, partialLen);
      }
      return coll.Compare(reinterpret_cast<const char*>(a), la, reinterpret_cast<const char*>(b), lb, ci);
    }
    case fldINT8: return Cmp(Load<std::int8_t>(a), Load<std::int8_t>(b));
    case fldUINT8: return Cmp(a[0], b[0]);
    case fldINT16:
    case fldBOOL:
    case fldBOOL8: return Cmp(Load<std::int16_t>(a), Load<std::int16_t>(b));
    case fldUINT16: return Cmp(Load<std::uint16_t>(a), Load<std::uint16_t>(b));
    case fldINT32:
    case fldBOOL32:
    case fldDATE:
    case fldTIME: return Cmp(Load<std::int32_t>(a), Load<std::int32_t>(b));
    case fldUINT32: return Cmp(Load<std::uint32_t>(a), Load<std::uint32_t>(b));
    case fldINT64: return Cmp(Load<std::int64_t>(a), Load<std::int64_t>(b));
    case fldUINT64: return Cmp(Load<std::uint64_t>(a), Load<std::uint64_t>(b));
    case fldFLOAT:
    case fldTIMESTAMP: return CmpFloat(Load<double>(a), Load<double>(b));
    case fldSINGLE: return CmpFloat(Load<float>(a), Load<float>(b));
    case fldFLOATIEEE: {
      if (sizeof(long double) >= 10) {
        long double x = 0, y = 0;
        std::memcpy(&x, a, 10);
        std::memcpy(&y, b, 10);
        return CmpFloat(x, y);
      }
      return CmpBytes(a, b, 10);
    }
    case fldBCD:
    case fldFMTBCD: return CmpBcd(a, b, length);
    case fldDATETIME: return CmpSqlTimestamp(a, b, false);
    case fldDATETIMEOFFSET: return CmpSqlTimestamp(a, b, true);
    default: return CmpBytes(a, b, static_cast<std::size_t>(length));
  }
}

int CompareKeyField(const KeyField& k, const std::uint8_t* a, const std::uint8_t* b,
                    const Collation& coll, std::uint32_t partialLen) {
  const bool na = a[k.nullOffset] != 0, nb = b[k.nullOffset] != 0;
  int r;
  if (na || nb) r = na == nb ? 0 : (na ? -1 : 1);
  else r = CompareValues(k.type, a + k.offset, b + k.offset, k.length, coll, k.caseInsensitive, partialLen);
  return k.descending ? -r : r;
}

std::int32_t ChangeCompare(std::uint32_t type, const void* v1, const void* v2, std::uint32_t len1,
                           std::uint32_t len2) {
  if (!v1 || !v2) return (!v1 && !v2) ? 0 : (v1 ? 1 : -1);
  const auto* a = static_cast<const std::uint8_t*>(v1);
  const auto* b = static_cast<const std::uint8_t*>(v2);
  switch (static_cast<std::int32_t>(type)) {
    case fldZSTRING:
    case fldUNICODE:
      if (len1 != len2) return len1 < len2 ? -1 : 1;
      return CmpBytes(a, b, len1);
    case fldINT32:
    case fldDATE:
    case fldTIME:
    case fldBOOL32: {
      const std::int64_t d = std::int64_t{Load<std::int32_t>(a)} - Load<std::int32_t>(b);
      return d < 0 ? -1 : (d > 0 ? 1 : 0);
    }
    case fldUINT32: return Cmp(Load<std::uint32_t>(a), Load<std::uint32_t>(b));
    case fldINT16:
    case fldBOOL:
    case fldBOOL8: return Load<std::int16_t>(a) - Load<std::int16_t>(b);
    case fldUINT16: return Load<std::uint16_t>(a) - Load<std::uint16_t>(b);
    case fldINT8: return Load<std::int8_t>(a) - Load<std::int8_t>(b);
    case fldUINT8: return a[0] - b[0];
    case fldFLOAT:
    case fldTIMESTAMP: return std::memcmp(a, b, 8) == 0 || Load<double>(a) == Load<double>(b) ? 0 : 1;
    case fldSINGLE: return std::memcmp(a, b, 4) == 0 || Load<float>(a) == Load<float>(b) ? 0 : 1;
    case fldBCD:
    case fldFMTBCD: return CmpBytes(a, b, 2 + (std::min<std::uint32_t>(len1, 64) + 1) / 2);
    case fldVARBYTES: return CmpBytes(a, b, std::min<std::uint32_t>(len1, 65535) + 2);
    case fldINT64:
    case fldUINT64: return CmpBytes(a, b, 8);
    case fldDATETIME: return CmpSqlTimestamp(a, b, false);
    case fldDATETIMEOFFSET: return CmpSqlTimestamp(a, b, true);
    default: return CmpBytes(a, b, len1);
  }
}

}  // namespace engine
