// Value texts of the XML packet form: escaping, the code page or UTF-8 text
// of strings, numbers, dates, times, BCD and Base64, and the type names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dstypes.h"

namespace engine::xmlv {

// Single-byte code page tables (byte -> UTF-16 and back, -1 = not in the page).
struct CodePageMap {
  std::int32_t codePage = 0;
  char16_t toU[256] = {};
  std::vector<std::int16_t> fromU;  // 65,536 entries
  static std::shared_ptr<const CodePageMap> Get(std::int32_t codePage);
};

struct TextCtx {
  const CodePageMap* cp = nullptr;
  bool utf8 = false;  // the document is UTF-8 (else 8-bit in cp)
};

// Attribute text of 8-bit code-page text and of UTF-16LE text, escaped.
// Characters the document cannot hold directly, control characters and
// unpaired surrogates become character references.
void AppendText8(std::string& out, const std::uint8_t* s, std::size_t n, const TextCtx& ctx);
void AppendText16(std::string& out, const std::uint8_t* le, std::size_t bytes, const TextCtx& ctx);

// Decodes an attribute text (raw, references not yet expanded) into 8-bit
// code-page text or UTF-16LE bytes. False for a bad reference, bad UTF-8 or
// a character the code page cannot hold.
bool DecodeText8(std::string_view raw, const TextCtx& ctx, std::string& out);
bool DecodeText16(std::string_view raw, const TextCtx& ctx, std::string& outLE);

// Packet value encodings of Part-independent types.
void AppendDate(std::string& out, std::int32_t day);
bool ParseDate(std::string_view s, std::int32_t* day);
void AppendTime(std::string& out, std::int32_t ms);
// `withinDay`: the time part of a date-time, 00:00:00000 to 23:59:59999;
// otherwise any 32-bit value a time field may hold.
bool ParseTime(std::string_view s, std::int32_t* ms, bool withinDay);
void AppendDouble(std::string& out, double v);
bool ParseDouble(std::string_view s, double* v);
void AppendSingle(std::string& out, float v);
bool ParseSingle(std::string_view s, float* v);
void AppendBase64(std::string& out, const std::uint8_t* p, std::size_t n);
bool ParseBase64(std::string_view s, std::vector<std::uint8_t>& out);
bool ParseInt(std::string_view s, bool isSigned, std::uint32_t size, std::uint64_t* bits);
bool ParseBool(std::string_view s, bool* v);
// Day number (1 = 0001-01-01) of a civil date and back.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d);
void CivilFromDays(std::int64_t day, std::int64_t* y, unsigned* m, unsigned* d);

// XML type name of a packet type (column or attribute), nullptr when the
// type has no XML form.
const char* XmlTypeName(std::uint32_t type);

// Appends the text of one value of a packet type: p/len hold the value
// bytes (a varying value without its prefix; an array value with its
// count). 16400 for a type without an XML form.
EngineResult AppendValue(std::string& out, std::uint32_t type, const std::uint8_t* p, std::size_t len,
                         const TextCtx& ctx);

// Parses the text of a value into its packet encoding (varying values with
// a prefix of the type's width, arrays with their count). precision/scale
// are used for BCD. 16389 for a text that is not a value of the type.
EngineResult ParseValue(std::string_view raw, std::uint32_t type, std::int32_t precision, std::int32_t scale,
                        const TextCtx& ctx, std::vector<std::uint8_t>& out);

// XML attribute names: an attribute name starts with a letter, "_" or a
// non-ASCII byte and goes on with those, digits, "." and "-".
bool IsXmlName(std::string_view s);

}  // namespace engine::xmlv
