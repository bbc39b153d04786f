// BCD conversions.
#include "engine/bcd.h"

#include <cstring>

namespace engine {

namespace {

struct Digits {
  bool negative = false;
  std::string intPart, fracPart;
};

Digits Decode(const std::uint8_t* p, std::int32_t size) {
  Digits d;
  if (size < 2) return d;
  int precision = p[0];
  int scale = p[1] & 0x3F;
  d.negative = (p[1] & 0x80) != 0;
  const int maxDigits = (size - 2) * 2;
  if (precision > maxDigits) precision = maxDigits;
  if (scale > precision) scale = precision;
  std::string all;
  for (int i = 0; i < precision; ++i) {
    const std::uint8_t b = p[2 + i / 2];
    int v = (i % 2 == 0) ? (b >> 4) : (b & 0x0F);
    if (v > 9) v = 9;
    all.push_back(static_cast<char>('0' + v));
  }
  d.intPart = all.substr(0, static_cast<std::size_t>(precision - scale));
  d.fracPart = all.substr(static_cast<std::size_t>(precision - scale));
  return d;
}

EngineResult Encode(Digits d, std::int32_t precision, std::int32_t scale, std::uint8_t* dst, std::int32_t dstSize) {
  if (precision == 0) precision = 64;
  if (precision > 64 || scale < 0 || scale > precision || scale > 63) return DBERR_INVALIDPARAM;
  if (2 + (precision + 1) / 2 > dstSize) return DBERR_INVALIDPARAM;
  // round to the scale
  bool roundUp = false;
  if (static_cast<std::int32_t>(d.fracPart.size()) > scale) {
    roundUp = d.fracPart[static_cast<std::size_t>(scale)] >= '5';
    d.fracPart.resize(static_cast<std::size_t>(scale));
  }
  d.fracPart.resize(static_cast<std::size_t>(scale), '0');
  const auto nz = d.intPart.find_first_not_of('0');
  d.intPart = nz == std::string::npos ? "" : d.intPart.substr(nz);
  std::string all = d.intPart + d.fracPart;
  if (roundUp) {
    int i = static_cast<int>(all.size()) - 1;
    while (i >= 0 && all[static_cast<std::size_t>(i)] == '9') all[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) ++all[static_cast<std::size_t>(i)];
    else all.insert(all.begin(), '1');
  }
  if (static_cast<std::int32_t>(all.size()) > precision) {
    const std::size_t extra = all.size() - static_cast<std::size_t>(precision);
    if (all.find_first_not_of('0') < extra) return DBERR_OUTOFRANGE;
    all.erase(0, extra);
  }
  all.insert(0, static_cast<std::size_t>(precision) - all.size(), '0');
  const bool zero = all.find_first_not_of('0') == std::string::npos;
  std::memset(dst, 0, static_cast<std::size_t>(dstSize));
  dst[0] = static_cast<std::uint8_t>(precision);
  dst[1] = static_cast<std::uint8_t>(scale | ((d.negative && !zero) ? 0x80 : 0));
  for (int i = 0; i < precision; ++i) {
    const std::uint8_t v = static_cast<std::uint8_t>(all[static_cast<std::size_t>(i)] - '0');
    dst[2 + i / 2] |= static_cast<std::uint8_t>(i % 2 == 0 ? v << 4 : v);
  }
  return DBERR_NONE;
}

}  // namespace

EngineResult NormalizeBcd(const std::uint8_t* src, std::int32_t srcSize, std::int32_t precision, std::int32_t scale,
                          std::uint8_t* dst, std::int32_t dstSize) {
  return Encode(Decode(src, srcSize), precision, scale, dst, dstSize);
}

std::string BcdToText(const std::uint8_t* p, std::int32_t size) {
  Digits d = Decode(p, size);
  const auto nz = d.intPart.find_first_not_of('0');
  std::string ip = nz == std::string::npos ? "0" : d.intPart.substr(nz);
  const bool zero = (nz == std::string::npos) && d.fracPart.find_first_not_of('0') == std::string::npos;
  std::string s = (d.negative && !zero) ? "-" : "";
  s += ip;
  if (!d.fracPart.empty()) s += "." + d.fracPart;
  return s;
}

EngineResult BcdFromText(const std::string& text, std::int32_t precision, std::int32_t scale, std::uint8_t* dst,
                         std::int32_t dstSize) {
  Digits d;
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-') {
    d.negative = true;
    ++i;
  }
  bool dot = false, any = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !dot) {
      dot = true;
      continue;
    }
    if (c < '0' || c > '9') return DBERR_INVALIDPARAM;
    any = true;
    (dot ? d.fracPart : d.intPart).push_back(c);
  }
  if (!any) return DBERR_INVALIDPARAM;
  return Encode(d, precision, scale, dst, dstSize);
}

}  // namespace engine
