// LIKE patterns: "%" matches any run of characters ("%%" is the same as "%"),
// "_" exactly one character, and a backslash makes the next character
// literal. Characters are code points (a multi-byte UTF-8 sequence or a
// surrogate pair counts as one). Matching takes at most
// O(pattern length x subject length) steps: a failed "%" is retried only from
// the most recent "%", never by nested backtracking.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace engine::expr {

class LikePattern {
 public:
  static constexpr char32_t kEscape = U'\\';

  LikePattern() = default;
  static LikePattern FromUtf8(std::string_view pattern, bool caseInsensitive);
  static LikePattern FromUtf16(std::u16string_view pattern, bool caseInsensitive);

  // Not thread-safe: matching reuses an internal buffer.
  bool Match(std::string_view utf8) const;
  bool Match(std::u16string_view utf16) const;
  // 8-bit text of a single-byte code page whose bytes widen one to one
  // through `byteMap` (256 UTF-16 units): the same answer as matching the
  // widened text, without building it.
  bool MatchMapped(std::string_view bytes, const char16_t* byteMap) const;

 private:
  enum Shape { kGeneral, kExact, kPrefix };
  static constexpr char32_t kAnyRun = 0xFFFFFFFFu;
  static constexpr char32_t kAnyOne = 0xFFFFFFFEu;

  void Build(std::u32string chars, bool caseInsensitive);
  bool MatchDecoded() const;
  template <class Seq>
  bool MatchSeq(const Seq& s) const;

  std::u32string FTokens;       // code points, kAnyRun, kAnyOne
  bool FCaseless = false;
  Shape FShape = kGeneral;
  bool FByteWise = false;       // ASCII literals, no "_": UTF-8 bytes match directly
  std::string FLiteral8;        // literal text of kExact / kPrefix shapes
  std::u16string FLiteral16;
  mutable std::u32string FSubject;
};

// UTF-8 / UTF-16 decoding used by LIKE, partial comparison and substring:
// an ill-formed byte becomes its own code point in 0xDC80..0xDCFF.
void DecodeUtf8(std::string_view s, std::u32string& out);
void DecodeUtf16(std::u16string_view s, std::u32string& out);
// Byte / code-unit length of the first `chars` characters.
std::size_t Utf8Prefix(std::string_view s, std::size_t chars);
std::size_t Utf16Prefix(std::u16string_view s, std::size_t chars);

}  // namespace engine::expr
