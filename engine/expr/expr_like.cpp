#include "engine/expr/expr_like.h"

#include <type_traits>

#include <unicode/uchar.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

namespace engine::expr {

void DecodeUtf8(std::string_view s, std::u32string& out) {
  out.clear();
  const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
  const auto len = static_cast<int32_t>(s.size());
  int32_t i = 0;
  while (i < len) {
    if (p[i] < 0x80) {
      out.push_back(p[i++]);
      continue;
    }
    const int32_t start = i;
    UChar32 c;
    U8_NEXT(p, i, len, c);
    if (c < 0) {
      out.push_back(0xDC00u | p[start]);
      i = start + 1;
    } else {
      out.push_back(static_cast<char32_t>(c));
    }
  }
}

void DecodeUtf16(std::u16string_view s, std::u32string& out) {
  out.clear();
  const auto len = static_cast<int32_t>(s.size());
  int32_t i = 0;
  while (i < len) {
    UChar32 c;
    U16_NEXT(s.data(), i, len, c);
    out.push_back(static_cast<char32_t>(c));
  }
}

std::size_t Utf8Prefix(std::string_view s, std::size_t chars) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
  const auto len = static_cast<int32_t>(s.size());
  int32_t i = 0;
  for (std::size_t n = 0; n < chars && i < len; ++n) {
    const int32_t start = i;
    UChar32 c;
    U8_NEXT(p, i, len, c);
    if (c < 0) i = start + 1;
  }
  return static_cast<std::size_t>(i);
}

std::size_t Utf16Prefix(std::u16string_view s, std::size_t chars) {
  const auto len = static_cast<int32_t>(s.size());
  int32_t i = 0;
  for (std::size_t n = 0; n < chars && i < len; ++n) U16_FWD_1(s.data(), i, len);
  return static_cast<std::size_t>(i);
}

namespace {
char32_t Fold(char32_t c) {
  if (c < 0x80) return (c >= U'A' && c <= U'Z') ? c + 32 : c;
  return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

void AppendUtf8(std::string& out, char32_t c) {
  char buf[4];
  int32_t n = 0;
  UBool err = false;
  U8_APPEND(buf, n, 4, static_cast<UChar32>(c), err);
  if (!err) out.append(buf, static_cast<std::size_t>(n));
}
}  // namespace

LikePattern LikePattern::FromUtf8(std::string_view pattern, bool caseInsensitive) {
  std::u32string chars;
  DecodeUtf8(pattern, chars);
  LikePattern p;
  p.Build(std::move(chars), caseInsensitive);
  return p;
}

LikePattern LikePattern::FromUtf16(std::u16string_view pattern, bool caseInsensitive) {
  std::u32string chars;
  DecodeUtf16(pattern, chars);
  LikePattern p;
  p.Build(std::move(chars), caseInsensitive);
  return p;
}

void LikePattern::Build(std::u32string chars, bool caseInsensitive) {
  FCaseless = caseInsensitive;
  FTokens.clear();
  bool ill = false;          // ill-formed input: keep the general matcher
  for (std::size_t i = 0; i < chars.size(); ++i) {
    char32_t c = chars[i];
    if (c >= 0xDC80 && c <= 0xDCFF) ill = true;
    if (c == kEscape && i + 1 < chars.size()) {
      c = chars[++i];
    } else if (c == U'%') {
      if (FTokens.empty() || FTokens.back() != kAnyRun) FTokens.push_back(kAnyRun);
      continue;
    } else if (c == U'_') {
      FTokens.push_back(kAnyOne);
      continue;
    }
    FTokens.push_back(caseInsensitive ? Fold(c) : c);
  }
  // Shapes with a byte-wise fast path: "text" and "text%".
  FShape = kGeneral;
  if (caseInsensitive || ill) return;
  FByteWise = true;  // an ASCII character never matches part of a multi-byte one
  for (char32_t t : FTokens)
    if (t == kAnyOne || (t != kAnyRun && t >= 0x80)) FByteWise = false;
  std::size_t lit = 0;
  while (lit < FTokens.size() && FTokens[lit] != kAnyRun && FTokens[lit] != kAnyOne) ++lit;
  if (lit == FTokens.size())
    FShape = kExact;
  else if (lit + 1 == FTokens.size() && FTokens[lit] == kAnyRun)
    FShape = kPrefix;
  else
    return;
  for (std::size_t i = 0; i < lit; ++i) {
    AppendUtf8(FLiteral8, FTokens[i]);
    const char32_t c = FTokens[i];
    if (c > 0xFFFF) {
      FLiteral16.push_back(static_cast<char16_t>(U16_LEAD(c)));
      FLiteral16.push_back(static_cast<char16_t>(U16_TRAIL(c)));
    } else {
      FLiteral16.push_back(static_cast<char16_t>(c));
    }
  }
}

bool LikePattern::Match(std::string_view s) const {
  if (FShape == kExact) return s == FLiteral8;
  if (FShape == kPrefix) return s.substr(0, FLiteral8.size()) == FLiteral8;
  if (FByteWise) return MatchSeq(s);
  DecodeUtf8(s, FSubject);
  return MatchDecoded();
}

bool LikePattern::Match(std::u16string_view s) const {
  if (FShape == kExact) return s == FLiteral16;
  if (FShape == kPrefix) return s.substr(0, FLiteral16.size()) == FLiteral16;
  DecodeUtf16(s, FSubject);
  return MatchDecoded();
}

bool LikePattern::MatchMapped(std::string_view s, const char16_t* map) const {
  auto unit = [map](char c) { return map[static_cast<std::uint8_t>(c)]; };
  if (FShape == kExact || FShape == kPrefix) {
    if (s.size() < FLiteral16.size() || (FShape == kExact && s.size() != FLiteral16.size())) return false;
    for (std::size_t i = 0; i < FLiteral16.size(); ++i)
      if (unit(s[i]) != FLiteral16[i]) return false;
    return true;
  }
  FSubject.clear();
  for (char c : s) FSubject.push_back(unit(c));
  return MatchDecoded();
}

bool LikePattern::MatchDecoded() const {
  if (FCaseless)
    for (auto& c : FSubject) c = Fold(c);
  return MatchSeq(FSubject);
}

// Two cursors and one resume point: after a mismatch the most recent "%"
// takes one more character, so no state is ever revisited more than once
// per "%" position.
template <class Seq>
bool LikePattern::MatchSeq(const Seq& s) const {
  const std::size_t m = FTokens.size(), n = s.size();
  std::size_t p = 0, i = 0;
  std::size_t starP = std::u32string::npos, starI = 0;
  while (i < n) {
    if (p < m && FTokens[p] != kAnyRun &&
        (FTokens[p] == kAnyOne || FTokens[p] == static_cast<char32_t>(static_cast<std::make_unsigned_t<typename Seq::value_type>>(s[i])))) {
      ++p;
      ++i;
    } else if (p < m && FTokens[p] == kAnyRun) {
      starP = p++;
      starI = i;
    } else if (starP != std::u32string::npos) {
      p = starP + 1;
      i = ++starI;
    } else {
      return false;
    }
  }
  while (p < m && FTokens[p] == kAnyRun) ++p;
  return p == m;
}

}  // namespace engine::expr
