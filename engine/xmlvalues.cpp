// Value texts of the XML packet form.
#include "engine/xmlvalues.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>

#include "engine/bcd.h"
#include "engine/collation.h"
#include "engine/packetformat.h"
#include "engine/xmlnames.h"

namespace engine::xmlv {

namespace {

// 0: copy as is; 1: named entity; 2: character reference.
struct EscapeTable {
  std::uint8_t kind[256] = {};
  const char* name[256] = {};
  EscapeTable() {
    for (int c = 0; c < 0x20; ++c) kind[c] = 2;
    auto set = [&](unsigned char c, const char* n) {
      kind[c] = 1;
      name[c] = n;
    };
    set('<', "&lt;");
    set('>', "&gt;");
    set('&', "&amp;");
    set('\'', "&apos;");
    set('"', "&quot;");
    set('\r', "&#013;");
    set('\n', "&#010;");
    set('\t', "&#009;");
    set('\\', "&#092;");
  }
};
const EscapeTable kEsc;

void AppendRef(std::string& out, std::uint32_t cp) {
  char b[16];
  auto r = std::to_chars(b, b + sizeof b, cp);
  out += "&#";
  for (std::ptrdiff_t k = r.ptr - b; k < 3; ++k) out += '0';
  out.append(b, r.ptr);
  out += ';';
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// One code point of the document: escapes ASCII specials, writes other
// characters directly when the document's encoding holds them.
void AppendCodePoint(std::string& out, std::uint32_t cp, const TextCtx& ctx) {
  if (cp < 0x80) {
    const unsigned char c = static_cast<unsigned char>(cp);
    if (kEsc.kind[c] == 0) out += static_cast<char>(c);
    else if (kEsc.kind[c] == 1) out += kEsc.name[c];
    else AppendRef(out, cp);
    return;
  }
  if (cp >= 0xD800 && cp <= 0xDFFF) {  // unpaired surrogate
    AppendRef(out, cp);
    return;
  }
  if (ctx.utf8) {
    AppendUtf8(out, cp);
    return;
  }
  if (cp <= 0xFFFF && ctx.cp->fromU[cp] >= 0x80) {
    out += static_cast<char>(ctx.cp->fromU[cp]);
    return;
  }
  AppendRef(out, cp);
}

// Reads one UTF-8 sequence; false when malformed.
bool NextUtf8(std::string_view s, std::size_t& i, std::uint32_t* cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  int n;
  std::uint32_t v;
  if (b0 < 0x80) {
    *cp = b0;
    ++i;
    return true;
  } else if ((b0 & 0xE0) == 0xC0) {
    n = 1;
    v = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    n = 2;
    v = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    n = 3;
    v = b0 & 0x07;
  } else {
    return false;
  }
  if (s.size() - i <= static_cast<std::size_t>(n)) return false;
  for (int k = 1; k <= n; ++k) {
    const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
    if ((b & 0xC0) != 0x80) return false;
    v = (v << 6) | (b & 0x3F);
  }
  static const std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (v < kMin[n] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return false;
  i += static_cast<std::size_t>(n) + 1;
  *cp = v;
  return true;
}

// Reads an entity or character reference starting at '&'.
bool NextRef(std::string_view s, std::size_t& i, std::uint32_t* cp) {
  const std::size_t semi = s.find(';', i);
  if (semi == std::string_view::npos || semi - i > 12) return false;
  const std::string_view e = s.substr(i + 1, semi - i - 1);
  i = semi + 1;
  if (e == "lt") *cp = '<';
  else if (e == "gt") *cp = '>';
  else if (e == "amp") *cp = '&';
  else if (e == "apos") *cp = '\'';
  else if (e == "quot") *cp = '"';
  else if (e.size() >= 2 && e[0] == '#') {
    const bool hex = e[1] == 'x' || e[1] == 'X';
    const std::string_view digits = e.substr(hex ? 2 : 1);
    if (digits.empty()) return false;
    std::uint32_t v = 0;
    auto r = std::from_chars(digits.data(), digits.data() + digits.size(), v, hex ? 16 : 10);
    if (r.ec != std::errc() || r.ptr != digits.data() + digits.size() || v > 0x10FFFF) return false;
    *cp = v;
  } else {
    return false;
  }
  return true;
}

// Calls sink(code point) for each character of a raw attribute text.
template <class Sink>
bool Walk(std::string_view raw, const TextCtx& ctx, Sink sink) {
  std::size_t i = 0;
  while (i < raw.size()) {
    const auto b = static_cast<unsigned char>(raw[i]);
    std::uint32_t cp;
    if (b == '&') {
      if (!NextRef(raw, i, &cp)) return false;
      if (!sink(cp, true)) return false;
      continue;
    }
    if (b < 0x80) {
      ++i;
      if (!sink(b, false)) return false;
      continue;
    }
    if (ctx.utf8) {
      if (!NextUtf8(raw, i, &cp)) return false;
      if (!sink(cp, true)) return false;
    } else {
      ++i;
      if (!sink(b, false)) return false;  // a code-page byte
    }
  }
  return true;
}

void AppendUtf16(std::string& out, std::uint32_t cp) {
  auto unit = [&](std::uint32_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  };
  if (cp >= 0x10000) {
    cp -= 0x10000;
    unit(0xD800 + (cp >> 10));
    unit(0xDC00 + (cp & 0x3FF));
  } else {
    unit(cp);
  }
}

}  // namespace

std::shared_ptr<const CodePageMap> CodePageMap::Get(std::int32_t codePage) {
  static std::mutex mu;
  static std::map<std::int32_t, std::shared_ptr<const CodePageMap>> cache;
  std::lock_guard lock(mu);
  auto& slot = cache[codePage];
  if (slot) return slot;
  auto m = std::make_shared<CodePageMap>();
  m->codePage = codePage;
  m->fromU.assign(65536, -1);
  const auto coll = Collation::Get(0, codePage);
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    const std::u16string u = b < 0x80 ? std::u16string(1, static_cast<char16_t>(b)) : coll->ToUtf16(&c, 1);
    if (u.size() != 1 || (b >= 0x80 && (u[0] == 0xFFFD || u[0] == 0x1A || u[0] < 0x80))) continue;
    m->toU[b] = u[0];
    if (m->fromU[u[0]] < 0) m->fromU[u[0]] = static_cast<std::int16_t>(b);
  }
  slot = m;
  return slot;
}

void AppendText8(std::string& out, const std::uint8_t* s, std::size_t n, const TextCtx& ctx) {
  std::size_t run = 0;  // start of the bytes copied as they are
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t b = s[i];
    if (b < 0x80 ? kEsc.kind[b] == 0 : !ctx.utf8) continue;
    out.append(reinterpret_cast<const char*>(s + run), i - run);
    run = i + 1;
    if (b < 0x80) AppendCodePoint(out, b, ctx);
    else if (ctx.cp->toU[b]) AppendCodePoint(out, ctx.cp->toU[b], ctx);
    else AppendRef(out, 0xFFFD);  // a byte the code page does not define
  }
  out.append(reinterpret_cast<const char*>(s + run), n - run);
}

void AppendText16(std::string& out, const std::uint8_t* le, std::size_t bytes, const TextCtx& ctx) {
  const std::size_t units = bytes / 2;
  for (std::size_t i = 0; i < units; ++i) {
    std::uint32_t u = le[2 * i] | (std::uint32_t{le[2 * i + 1]} << 8);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
      const std::uint32_t l = le[2 * i + 2] | (std::uint32_t{le[2 * i + 3]} << 8);
      if (l >= 0xDC00 && l <= 0xDFFF) {
        u = 0x10000 + ((u - 0xD800) << 10) + (l - 0xDC00);
        ++i;
      }
    }
    AppendCodePoint(out, u, ctx);
  }
}

bool DecodeText8(std::string_view raw, const TextCtx& ctx, std::string& out) {
  out.clear();
  if (!ctx.utf8 && raw.find('&') == std::string_view::npos) {
    out.assign(raw);
    return true;
  }
  return Walk(raw, ctx, [&](std::uint32_t cp, bool unicode) {
    if (!unicode || cp < 0x80) {
      out += static_cast<char>(cp);
      return true;
    }
    if (cp > 0xFFFF || ctx.cp->fromU[cp] < 0) return false;
    out += static_cast<char>(ctx.cp->fromU[cp]);
    return true;
  });
}

bool DecodeText16(std::string_view raw, const TextCtx& ctx, std::string& outLE) {
  outLE.clear();
  return Walk(raw, ctx, [&](std::uint32_t cp, bool unicode) {
    if (!unicode && cp >= 0x80) {
      if (!ctx.cp->toU[cp]) return false;
      cp = ctx.cp->toU[cp];
    }
    AppendUtf16(outLE, cp);
    return true;
  });
}

// ---------------------------------------------------------------------------
// Dates and times

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468 + 719163;  // 1 = 0001-01-01
}

void CivilFromDays(std::int64_t day, std::int64_t* y, unsigned* m, unsigned* d) {
  const std::int64_t z = day - 719163 + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<std::int64_t>(yoe) + era * 400 + (*m <= 2);
}

namespace {

void AppendPadded(std::string& out, std::int64_t v, int width) {
  char b[24];
  auto r = std::to_chars(b, b + sizeof b, v < 0 ? -v : v);
  if (v < 0) out += '-';
  for (std::ptrdiff_t k = r.ptr - b; k < width; ++k) out += '0';
  out.append(b, r.ptr);
}

bool Digits(std::string_view s, std::int64_t* v) {
  if (s.empty()) return false;
  std::int64_t x = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    x = x * 10 + (c - '0');
    if (x > 1'000'000'000) return false;
  }
  *v = x;
  return true;
}

unsigned DaysInMonth(std::int64_t y, unsigned m) {
  static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

// YYYYMMDD parts (year may be longer or negative); false when malformed.
bool DateParts(std::string_view s, std::int64_t* y, unsigned* m, unsigned* d) {
  bool neg = false;
  if (!s.empty() && s[0] == '-') {
    neg = true;
    s.remove_prefix(1);
  }
  if (s.size() < 8) return false;
  std::int64_t yy, mm, dd;
  if (!Digits(s.substr(0, s.size() - 4), &yy) || !Digits(s.substr(s.size() - 4, 2), &mm) ||
      !Digits(s.substr(s.size() - 2), &dd))
    return false;
  *y = neg ? -yy : yy;
  *m = static_cast<unsigned>(mm);
  *d = static_cast<unsigned>(dd);
  return true;
}

bool ValidDate(std::int64_t y, unsigned m, unsigned d) { return m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m); }

}  // namespace

void AppendDate(std::string& out, std::int32_t day) {
  if (day == 0) {
    out += "00000000";
    return;
  }
  std::int64_t y;
  unsigned m, d;
  CivilFromDays(day, &y, &m, &d);
  AppendPadded(out, y, 4);
  AppendPadded(out, m, 2);
  AppendPadded(out, d, 2);
}

bool ParseDate(std::string_view s, std::int32_t* day) {
  if (s == "00000000") {
    *day = 0;
    return true;
  }
  std::int64_t y;
  unsigned m, d;
  if (!DateParts(s, &y, &m, &d) || !ValidDate(y, m, d)) return false;
  const std::int64_t v = DaysFromCivil(y, m, d);
  if (v < INT32_MIN || v > INT32_MAX) return false;
  *day = static_cast<std::int32_t>(v);
  return true;
}

// A time is milliseconds since midnight. Binary packets may carry values
// outside one day (or below zero); those are written with as many hour
// digits as they need and a leading '-', so that they read back unchanged.
void AppendTime(std::string& out, std::int32_t ms) {
  std::int64_t v = ms;
  if (v < 0) {
    out += '-';
    v = -v;
  }
  AppendPadded(out, v / 3600000, 2);
  out += ':';
  AppendPadded(out, v / 60000 % 60, 2);
  out += ':';
  AppendPadded(out, v % 60000, 5);
}

bool ParseTime(std::string_view s, std::int32_t* ms, bool withinDay) {
  const bool negative = !withinDay && !s.empty() && s[0] == '-';
  if (negative) s.remove_prefix(1);
  // hh:mm:sssss, the hours two digits or more (no more than a 32-bit value holds)
  if (s.size() < 11 || s.size() > 12) return false;
  const std::size_t hl = s.size() - 9;
  if (s[hl] != ':' || s[hl + 3] != ':') return false;
  std::int64_t h, m, sec;
  if (!Digits(s.substr(0, hl), &h) || !Digits(s.substr(hl + 1, 2), &m) || !Digits(s.substr(hl + 4), &sec))
    return false;
  if (m > 59 || sec > 59999 || (withinDay && h > 23)) return false;
  std::int64_t v = h * 3600000 + m * 60000 + sec;
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  *ms = static_cast<std::int32_t>(v);
  return true;
}

// ---------------------------------------------------------------------------
// Numbers

void AppendDouble(std::string& out, double v) {
  // shortest text that reads back to the same value
  char b[40];
  auto r = std::to_chars(b, b + sizeof b, v);
  out.append(b, r.ptr);
}

void AppendSingle(std::string& out, float v) {
  char b[40];
  auto r = std::to_chars(b, b + sizeof b, v);
  out.append(b, r.ptr);
}

bool ParseDouble(std::string_view s, double* v) {
  if (s.empty() || s[0] == '+') return false;
  auto r = std::from_chars(s.data(), s.data() + s.size(), *v);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool ParseSingle(std::string_view s, float* v) {
  if (s.empty() || s[0] == '+') return false;
  auto r = std::from_chars(s.data(), s.data() + s.size(), *v);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool ParseInt(std::string_view s, bool isSigned, std::uint32_t size, std::uint64_t* bits) {
  if (s.empty() || s[0] == '+') return false;
  const char* end = s.data() + s.size();
  if (isSigned) {
    std::int64_t v;
    auto r = std::from_chars(s.data(), end, v);
    if (r.ec != std::errc() || r.ptr != end) return false;
    if (size < 8) {
      const std::int64_t lim = std::int64_t{1} << (8 * size - 1);
      if (v < -lim || v >= lim) return false;
    }
    *bits = static_cast<std::uint64_t>(v);
  } else {
    std::uint64_t v;
    auto r = std::from_chars(s.data(), end, v);
    if (r.ec != std::errc() || r.ptr != end) return false;
    if (size < 8 && v >> (8 * size)) return false;
    *bits = v;
  }
  return true;
}

bool ParseBool(std::string_view s, bool* v) {
  auto is = [&](const char* w) {
    const std::size_t n = std::strlen(w);
    if (s.size() != n) return false;
    for (std::size_t i = 0; i < n; ++i)
      if ((s[i] | 0x20) != w[i]) return false;
    return true;
  };
  if (is("true")) *v = true;
  else if (is("false")) *v = false;
  else return false;
  return true;
}

// ---------------------------------------------------------------------------
// Base64

namespace {
const char kB64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
}

void AppendBase64(std::string& out, const std::uint8_t* p, std::size_t n) {
  // Encoded whole: chunks of 510 bytes (a multiple of 3) give the same text.
  std::size_t i = 0;
  for (; i + 3 <= n; i += 3) {
    const std::uint32_t v = (std::uint32_t{p[i]} << 16) | (std::uint32_t{p[i + 1]} << 8) | p[i + 2];
    out += kB64[v >> 18];
    out += kB64[(v >> 12) & 63];
    out += kB64[(v >> 6) & 63];
    out += kB64[v & 63];
  }
  if (n - i == 1) {
    const std::uint32_t v = std::uint32_t{p[i]} << 16;
    out += kB64[v >> 18];
    out += kB64[(v >> 12) & 63];
    out += "==";
  } else if (n - i == 2) {
    const std::uint32_t v = (std::uint32_t{p[i]} << 16) | (std::uint32_t{p[i + 1]} << 8);
    out += kB64[v >> 18];
    out += kB64[(v >> 12) & 63];
    out += kB64[(v >> 6) & 63];
    out += '=';
  }
}

bool ParseBase64(std::string_view s, std::vector<std::uint8_t>& out) {
  out.clear();
  out.reserve(s.size() / 4 * 3);
  std::uint32_t acc = 0;
  int have = 0, pad = 0;
  for (char c : s) {
    int v;
    if (c >= 'A' && c <= 'Z') v = c - 'A';
    else if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
    else if (c >= '0' && c <= '9') v = c - '0' + 52;
    else if (c == '+') v = 62;
    else if (c == '/') v = 63;
    else if (c == '=') {
      ++pad;
      continue;
    } else if (c == ' ' || c == '\r' || c == '\n' || c == '\t') {
      continue;
    } else {
      return false;
    }
    if (pad) return false;  // data after padding
    acc = (acc << 6) | static_cast<std::uint32_t>(v);
    if (++have == 4) {
      out.push_back(static_cast<std::uint8_t>(acc >> 16));
      out.push_back(static_cast<std::uint8_t>(acc >> 8));
      out.push_back(static_cast<std::uint8_t>(acc));
      acc = 0;
      have = 0;
    }
  }
  if (have == 0) return pad == 0;
  if (have == 1 || have + pad != 4) return false;
  if (have == 2) {
    if (acc & 0xF) return false;
    out.push_back(static_cast<std::uint8_t>(acc >> 4));
  } else {
    if (acc & 0x3) return false;
    out.push_back(static_cast<std::uint8_t>(acc >> 10));
    out.push_back(static_cast<std::uint8_t>(acc >> 2));
  }
  return true;
}

// ---------------------------------------------------------------------------
// Type names and values

const char* XmlTypeName(std::uint32_t type) {
  type &= ~dsIncInDelta;
  const std::uint32_t base = BaseType(type), size = SizeBits(type);
  if (type & dsArrayFldType) {
    if (IsVarying(type)) return nullptr;
    if (base == dsfldINT) return "IntArray";
    if (base == dsfldUINT) return "UIntArray";
    return nullptr;
  }
  switch (base) {
    case dsfldINT:
      return size == 1 ? "i1" : size == 2 ? "i2" : size == 4 ? "i4" : size == 8 ? "i8" : nullptr;
    case dsfldUINT: return size == 1 ? "ui1" : size == 2 ? "ui2" : size == 4 ? "ui4" : nullptr;
    case dsfldBOOL: return "boolean";
    case dsfldFLOATIEEE: return size == 8 ? "r8" : size == 4 ? "r4" : nullptr;
    case dsfldSINGLE: return size == 4 ? "r4" : nullptr;
    case dsfldBCD: return "fixed";
    case dsfldFMTBCD: return "fixedFMT";
    case dsfldDATE: return "date";
    case dsfldTIME: return "time";
    case dsfldTIMESTAMP: return "dateTime";
    case dsfldDATETIME: return "SQLdateTime";
    case dsfldDATETIMEOFFSET: return "SQLdateTimeOffset";
    case dsfldZSTRING: return "string";
    case dsfldUNICODE: return "string.uni";
    case dsfldBYTES: return "bin.hex";
    case dsfldEMBEDDEDTBL: return (type & dsEmbeddedFldType) ? "nested" : nullptr;
    default: return nullptr;
  }
}

namespace {

std::uint64_t LoadLE(const std::uint8_t* p, std::uint32_t n) {
  std::uint64_t v = 0;
  for (std::uint32_t i = 0; i < n; ++i) v |= std::uint64_t{p[i]} << (8 * i);
  return v;
}

void AppendInt(std::string& out, std::uint64_t bits, bool isSigned, std::uint32_t size) {
  char b[24];
  std::to_chars_result r;
  if (isSigned) {
    std::int64_t v = static_cast<std::int64_t>(bits);
    if (size < 8 && ((bits >> (8 * size - 1)) & 1)) v = static_cast<std::int64_t>(bits | (~std::uint64_t{0} << (8 * size)));
    r = std::to_chars(b, b + sizeof b, v);
  } else {
    r = std::to_chars(b, b + sizeof b, bits);
  }
  out.append(b, r.ptr);
}

void AppendSqlStamp(std::string& out, const std::uint8_t* p, bool offset) {
  const auto year = static_cast<std::int16_t>(LoadLE(p, 2));
  const auto f = [&](int i) { return static_cast<std::int64_t>(LoadLE(p + i, 2)); };
  const std::int64_t ms = f(10) * 1000 + static_cast<std::int64_t>(LoadLE(p + 12, 4));
  AppendPadded(out, year, 4);
  AppendPadded(out, f(2), 2);
  AppendPadded(out, f(4), 2);
  if (f(6) != 0 || f(8) != 0 || ms != 0 || offset) {
    out += 'T';
    AppendPadded(out, f(6), 2);
    out += ':';
    AppendPadded(out, f(8), 2);
    out += ':';
    AppendPadded(out, ms, 5);
  }
  if (offset) {
    const auto oh = static_cast<std::int16_t>(LoadLE(p + 16, 2));
    out += oh < 0 ? '-' : '+';
    AppendPadded(out, oh < 0 ? -oh : oh, 2);
    out += ':';
    AppendPadded(out, f(18), 2);
  }
}

void Store(std::vector<std::uint8_t>& out, std::uint64_t v, std::uint32_t n) {
  const std::size_t at = out.size();
  out.resize(at + n);
  std::uint8_t* p = out.data() + at;
  for (std::uint32_t i = 0; i < n; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// True when an attribute text decodes to its own bytes as 8-bit text: no
// references, and in a UTF-8 document nothing beyond ASCII (in a code-page
// document every other byte stands for itself).
bool PlainText8(std::string_view raw, bool utf8) {
  for (const char ch : raw) {
    const auto b = static_cast<unsigned char>(ch);
    if (b == '&' || (utf8 && b >= 0x80)) return false;
  }
  return true;
}

bool ParseSqlStamp(std::string_view s, bool offset, std::vector<std::uint8_t>& out) {
  std::int64_t oh = 0, om = 0;
  bool neg = false;
  if (offset) {
    if (s.size() < 6) return false;
    const std::string_view o = s.substr(s.size() - 6);
    if ((o[0] != '+' && o[0] != '-') || o[3] != ':' || !Digits(o.substr(1, 2), &oh) || !Digits(o.substr(4), &om))
      return false;
    if (oh > 23 || om > 59) return false;
    neg = o[0] == '-';
    s.remove_suffix(6);
  }
  const std::size_t t = s.find('T');
  std::int64_t y;
  unsigned m, d;
  if (!DateParts(s.substr(0, t), &y, &m, &d) || y < -32768 || y > 32767) return false;
  if (!(y == 0 && m == 0 && d == 0) && !ValidDate(y, m, d)) return false;
  std::int64_t h = 0, mi = 0, ms = 0;
  if (t != std::string_view::npos) {
    const std::string_view tm = s.substr(t + 1);
    if (tm.size() != 11 || tm[2] != ':' || tm[5] != ':' || !Digits(tm.substr(0, 2), &h) ||
        !Digits(tm.substr(3, 2), &mi) || !Digits(tm.substr(6), &ms))
      return false;
    if (h > 23 || mi > 59 || ms > 59999) return false;
  }
  Store(out, static_cast<std::uint64_t>(y), 2);
  Store(out, m, 2);
  Store(out, d, 2);
  Store(out, static_cast<std::uint64_t>(h), 2);
  Store(out, static_cast<std::uint64_t>(mi), 2);
  Store(out, static_cast<std::uint64_t>(ms / 1000), 2);
  Store(out, static_cast<std::uint64_t>(ms % 1000), 4);
  if (offset) {
    Store(out, static_cast<std::uint64_t>(neg ? -oh : oh), 2);
    Store(out, static_cast<std::uint64_t>(om), 2);
  }
  return true;
}

}  // namespace

EngineResult AppendValue(std::string& out, std::uint32_t type, const std::uint8_t* p, std::size_t len,
                         const TextCtx& ctx) {
  type &= ~dsIncInDelta;
  const std::uint32_t base = BaseType(type), size = SizeBits(type);
  if (!XmlTypeName(type)) return DBERR_FIELDTYPENOTSUPPORTEDXML;
  if (type & dsArrayFldType) {
    if (len < 4) return DBERR_DATAPACKETMISMATCH;
    const std::uint64_t n = LoadLE(p, 4);
    if (size == 0 || 4 + n * size > len) return DBERR_DATAPACKETMISMATCH;
    for (std::uint64_t i = 0; i < n; ++i) {
      if (i) out += ' ';
      AppendInt(out, LoadLE(p + 4 + i * size, size), base == dsfldINT, size);
    }
    return DBERR_NONE;
  }
  const bool fixedNeed = !IsVarying(type) && base != dsfldZSTRING && base != dsfldUNICODE && base != dsfldBYTES;
  if (fixedNeed) {
    const std::size_t need = (base == dsfldBCD || base == dsfldFMTBCD) ? kPacketBcdSize : size;
    if (len < need) return DBERR_DATAPACKETMISMATCH;
  }
  switch (base) {
    case dsfldINT:
    case dsfldUINT: AppendInt(out, LoadLE(p, size), base == dsfldINT, size); break;
    case dsfldBOOL: out += LoadLE(p, size) ? "TRUE" : "FALSE"; break;
    case dsfldFLOATIEEE:
    case dsfldSINGLE:
      if (size == 8) {
        double v;
        std::memcpy(&v, p, 8);
        AppendDouble(out, v);
      } else {
        float v;
        std::memcpy(&v, p, 4);
        AppendSingle(out, v);
      }
      break;
    case dsfldBCD:
    case dsfldFMTBCD: {
      std::string t = BcdToText(p, static_cast<std::int32_t>(kPacketBcdSize));
      if (t.find_first_not_of("0.-") == std::string::npos) t = "0";
      out += t;
      break;
    }
    case dsfldDATE: AppendDate(out, static_cast<std::int32_t>(LoadLE(p, 4))); break;
    case dsfldTIME: AppendTime(out, static_cast<std::int32_t>(LoadLE(p, 4))); break;
    case dsfldTIMESTAMP: {
      double v;
      std::memcpy(&v, p, 8);
      // any day number the reader takes (32 bits) is written
      const double day = std::floor(v / 86400000.0);
      if (!std::isfinite(v) || day < INT32_MIN || day > INT32_MAX) return DBERR_DATAPACKETMISMATCH;
      const auto ms = static_cast<std::int32_t>(std::llround(v - day * 86400000.0));
      AppendDate(out, static_cast<std::int32_t>(day));
      if (ms != 0) {
        out += 'T';
        AppendTime(out, ms);
      }
      break;
    }
    case dsfldDATETIME: AppendSqlStamp(out, p, false); break;
    case dsfldDATETIMEOFFSET: AppendSqlStamp(out, p, true); break;
    case dsfldZSTRING: {
      const void* z = len ? std::memchr(p, 0, len) : nullptr;
      const std::size_t n = z ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(z) - p) : len;
      AppendText8(out, p, n, ctx);
      break;
    }
    case dsfldUNICODE: AppendText16(out, p, len, ctx); break;
    case dsfldBYTES: AppendBase64(out, p, len); break;
    default: return DBERR_FIELDTYPENOTSUPPORTEDXML;
  }
  return DBERR_NONE;
}

EngineResult ParseValue(std::string_view raw, std::uint32_t type, std::int32_t width, std::int32_t scale,
                        const TextCtx& ctx, std::vector<std::uint8_t>& out) {
  type &= ~dsIncInDelta;
  const std::uint32_t base = BaseType(type), size = SizeBits(type);
  constexpr EngineResult bad = DBERR_DATAPACKETMISMATCH;
  if (type & dsArrayFldType) {
    if ((base != dsfldINT && base != dsfldUINT) || size == 0 || size > 8) return DBERR_FIELDTYPENOTSUPPORTEDXML;
    const std::size_t countPos = out.size();
    Store(out, 0, 4);
    std::uint32_t n = 0;
    std::size_t i = 0;
    while (i < raw.size()) {
      while (i < raw.size() && raw[i] == ' ') ++i;
      if (i == raw.size()) break;
      std::size_t j = raw.find(' ', i);
      if (j == std::string_view::npos) j = raw.size();
      std::uint64_t bits;
      if (!ParseInt(raw.substr(i, j - i), base == dsfldINT, size, &bits)) return bad;
      Store(out, bits, size);
      ++n;
      i = j;
    }
    for (int k = 0; k < 4; ++k) out[countPos + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(n >> (8 * k));
    return DBERR_NONE;
  }
  switch (base) {
    case dsfldINT:
    case dsfldUINT: {
      std::uint64_t bits;
      if (!ParseInt(raw, base == dsfldINT, size, &bits)) return bad;
      Store(out, bits, size);
      return DBERR_NONE;
    }
    case dsfldBOOL: {
      bool v;
      if (!ParseBool(raw, &v)) return bad;
      Store(out, v ? 1 : 0, size);
      return DBERR_NONE;
    }
    case dsfldFLOATIEEE:
    case dsfldSINGLE: {
      if (size == 8) {
        double v;
        if (!ParseDouble(raw, &v)) return bad;
        std::uint64_t b;
        std::memcpy(&b, &v, 8);
        Store(out, b, 8);
      } else if (size == 4) {
        float v;
        if (!ParseSingle(raw, &v)) return bad;
        std::uint32_t b;
        std::memcpy(&b, &v, 4);
        Store(out, b, 4);
      } else {
        return DBERR_FIELDTYPENOTSUPPORTEDXML;
      }
      return DBERR_NONE;
    }
    case dsfldBCD:
    case dsfldFMTBCD: {
      // a packet's BCD image holds 32 digits at most
      const std::int32_t prec = std::min(width > 0 ? width : 32, 32);
      if (scale < 0 || scale > prec) return bad;
      std::uint8_t b[34];
      if (BcdFromText(std::string(raw), prec, scale, b, 34)) return bad;
      out.insert(out.end(), b, b + kPacketBcdSize);
      return DBERR_NONE;
    }
    case dsfldDATE: {
      std::int32_t d;
      if (!ParseDate(raw, &d)) return bad;
      Store(out, static_cast<std::uint32_t>(d), 4);
      return DBERR_NONE;
    }
    case dsfldTIME: {
      std::int32_t t;
      if (!ParseTime(raw, &t, false)) return bad;
      Store(out, static_cast<std::uint32_t>(t), 4);
      return DBERR_NONE;
    }
    case dsfldTIMESTAMP: {
      const std::size_t t = raw.find('T');
      std::int32_t d, ms = 0;
      if (!ParseDate(raw.substr(0, t), &d)) return bad;
      if (t != std::string_view::npos && !ParseTime(raw.substr(t + 1), &ms, true)) return bad;
      const double v = static_cast<double>(d) * 86400000.0 + ms;
      std::uint64_t b;
      std::memcpy(&b, &v, 8);
      Store(out, b, 8);
      return DBERR_NONE;
    }
    case dsfldDATETIME:
    case dsfldDATETIMEOFFSET:
      return ParseSqlStamp(raw, base == dsfldDATETIMEOFFSET, out) ? DBERR_NONE : bad;
    case dsfldZSTRING:
    case dsfldUNICODE:
    case dsfldBYTES: {
      std::string text;
      std::vector<std::uint8_t> bin;
      const std::uint8_t* data;
      std::size_t n;
      if (base == dsfldBYTES) {
        if (!ParseBase64(raw, bin)) return bad;
        data = bin.data();
        n = bin.size();
      } else if (base == dsfldZSTRING && PlainText8(raw, ctx.utf8)) {
        // the common case: copied straight from the document
        data = reinterpret_cast<const std::uint8_t*>(raw.data());
        n = raw.size();
      } else {
        if (!(base == dsfldZSTRING ? DecodeText8(raw, ctx, text) : DecodeText16(raw, ctx, text))) return bad;
        data = reinterpret_cast<const std::uint8_t*>(text.data());
        n = text.size();
      }
      // values longer than the column are cut at its width, as in binary
      // packets; a length prefix never wraps
      if (width > 0 && n > static_cast<std::size_t>(width)) n = static_cast<std::size_t>(width);
      if (base == dsfldUNICODE) n &= ~std::size_t{1};
      if (!IsVarying(type)) {
        const std::size_t keep = std::min<std::size_t>(n, size);
        out.insert(out.end(), data, data + keep);
        out.resize(out.size() + (size - keep), 0);
        return DBERR_NONE;
      }
      if (size < 4 && n >> (8 * size)) return bad;
      Store(out, n, size);
      out.insert(out.end(), data, data + n);
      return DBERR_NONE;
    }
    default: return DBERR_FIELDTYPENOTSUPPORTEDXML;
  }
}

bool IsXmlName(std::string_view s) {
  if (s.empty()) return false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
    const bool more = (c >= '0' && c <= '9') || c == '.' || c == '-';
    if (!(letter || (i > 0 && more))) return false;
  }
  return true;
}

}  // namespace engine::xmlv

// ---------------------------------------------------------------------------
// Attribute names

namespace engine::xmlv {

namespace {
const KnownAttr kKnown[] = {
    {"UNIQUE_KEY", "UIntArray"}, {"DEFAULT_ORDER", "UIntArray"}, {"CHANGE_LOG", "UIntArray"},
    {"SERVER_COL", "string"},    {"DATASET_DELTA", "boolean"},   {"READONLY", "boolean"},
    {"SUBTYPE", "string"},       {"DECIMALS", "i2"},             {"WIDTH", "i2"},
    {"MINVALUE", nullptr},       {"MAXVALUE", nullptr},          {"DEFVALUE", nullptr},
    {"LCID", "i2"},              {"AUTOINCVALUE", "i4"},         {"TABLENAME", "string"},
    {"TYPENAME", "string"},      {"UPDATEMODE", "i2"},           {"MD_SEMANTICS", "UIntArray"},
    {"CALCULATED", "boolean"},   {"DELTA", "boolean"},           {"PRIMARY_KEY", "UIntArray"},
};
const KnownAttr kFieldLinks{"MD_FIELDLINKS", "IntArray"};

bool SameName(std::string_view a, const char* b, bool ignoreCase) {
  const std::size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    char x = a[i], y = b[i];
    if (ignoreCase) {
      if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
      if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    }
    if (x != y) return false;
  }
  return true;
}
}  // namespace

const KnownAttr* FindKnownAttr(std::string_view name, bool ignoreCase) {
  for (const auto& k : kKnown)
    if (SameName(name, k.name, ignoreCase)) return &k;
  if (ignoreCase && SameName(name, kFieldLinks.name, true)) return &kFieldLinks;
  return nullptr;
}

}  // namespace engine::xmlv
