#include "data/filter/filter_lexer.h"

#include <charconv>

#include "core/ustring.h"
#include "data/db_error.h"
#include "data/filter/filter_messages.h"

namespace data {

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool IsForbidden(char16_t c) {
  switch (c) {
    case u'!': case u'"': case u'#': case u'$': case u'%': case u'&': case u'.': case u':': case u';':
    case u'?': case u'@': case u'\\': case u']': case u'^': case u'`': case u'{': case u'|': case u'}':
    case u'~': case 0: case 127: case 128: case 255: case 0xFFFE: case 0xFFFF:
      return true;
    default:
      return false;
  }
}

bool SameWord(std::u16string_view a, const char16_t* b) { return core::SameText(a, b); }

bool IsKeyword(std::u16string_view w) {
  for (const char16_t* k : {u"AND", u"OR", u"NOT", u"LIKE", u"IS", u"NULL", u"IN"})
    if (SameWord(w, k)) return true;
  return false;
}

template <class... Args>
[[noreturn]] void Error(fmt::format_string<Args...> templ, Args&&... args) {
  throw EDatabaseError(core::Format(templ, std::forward<Args>(args)...));
}

}  // namespace

bool IsWordChar(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || IsDigit(c)) return true;
  if (c == u'_' || c == u'.' || c == u'[' || c == u']') return true;
  if (c >= 0xC0 && c <= 0xFE) return c != 0xD7 && c != 0xF7;  // Latin-1 letters
  return c >= 0x100 && c != 0xFFFE && c != 0xFFFF;
}

TExprLexer::TExprLexer(std::u16string_view text, char16_t decimalSeparator)
    : FText(text), FDecimalSeparator(decimalSeparator) {}

void TExprLexer::InvalidChar(char16_t c) const {
  const std::string shown = c < 32 ? fmt::format("#{}", static_cast<int>(c)) : core::ToUtf8(std::u16string(1, c));
  Error(fmt::runtime(filtermsg::InvalidChar), shown);
}

std::string TExprLexer::TokenName() const {
  if (FToken == TExprToken::etEnd) return filtermsg::WordNothing;
  return fmt::format("'{}'", core::ToUtf8(FText.substr(FTokenPtr, FSourcePtr - FTokenPtr)));
}

void TExprLexer::SkipBlanksAndComments() {
  for (;;) {
    while (!AtEnd(FSourcePtr) && At(FSourcePtr) >= 1 && At(FSourcePtr) <= 32) ++FSourcePtr;
    if (At(FSourcePtr) == u'/' && At(FSourcePtr + 1) == u'*') {
      const std::size_t close = FText.find(u"*/", FSourcePtr + 2);
      if (close == std::u16string_view::npos) InvalidChar(u'/');
      FSourcePtr = close + 2;
      continue;
    }
    return;
  }
}

void TExprLexer::NextToken() {
  FPrevToken = FToken;
  FTokenString.clear();
  FNumericLit = false;
  SkipBlanksAndComments();
  FTokenPtr = FSourcePtr;
  if (AtEnd(FSourcePtr)) {
    FToken = TExprToken::etEnd;
    return;
  }
  const char16_t c = At(FSourcePtr);
  if (c == u'\'') return ReadString();
  if (IsForbidden(c)) InvalidChar(c);
  auto one = [&](TExprToken t, std::size_t len = 1) {
    FSourcePtr += len;
    FToken = t;
  };
  switch (c) {
    case u'(': return one(TExprToken::etLParen);
    case u')': return one(TExprToken::etRParen);
    case u'*': return one(TExprToken::etMUL);
    case u'+': return one(TExprToken::etADD);
    case u',': return one(TExprToken::etComma);
    case u'/': return one(TExprToken::etDIV);
    case u'=': return one(TExprToken::etEQ);
    case u'<':
      if (At(FSourcePtr + 1) == u'=') return one(TExprToken::etLE, 2);
      if (At(FSourcePtr + 1) == u'>') return one(TExprToken::etNE, 2);
      return one(TExprToken::etLT);
    case u'>':
      if (At(FSourcePtr + 1) == u'=') return one(TExprToken::etGE, 2);
      return one(TExprToken::etGT);
    case u'[': {
      const std::size_t close = FText.find(u']', FSourcePtr + 1);
      if (close == std::u16string_view::npos) Error(fmt::runtime(filtermsg::UnterminatedName));
      FTokenString = std::u16string(FText.substr(FSourcePtr + 1, close - FSourcePtr - 1));
      FSourcePtr = close + 1;
      FToken = TExprToken::etName;
      return;
    }
    default:
      break;
  }
  if (c == u'-' || IsDigit(c)) return ReadNumber();
  ReadWord();
}

// After a quote: does the text that follows end the literal? Keywords,
// operators, numbers and the end of the text do; plain words and names do not.
bool TExprLexer::QuoteEndsLiteral(std::size_t pos) const {
  while (!AtEnd(pos) && ((At(pos) >= 1 && At(pos) <= 32) || At(pos) == u')')) ++pos;
  if (AtEnd(pos)) return true;
  const char16_t c = At(pos);
  if (c == u'[') return false;
  if (IsDigit(c) || !IsWordChar(c)) return true;
  return IsKeyword(ReadWordAt(pos));
}

std::u16string TExprLexer::ReadWordAt(std::size_t& pos) const {
  const std::size_t start = pos;
  while (!AtEnd(pos) && IsWordChar(At(pos))) ++pos;
  return std::u16string(FText.substr(start, pos - start));
}

void TExprLexer::ReadString() {
  std::size_t i = FSourcePtr + 1;
  std::u16string value;
  for (;;) {
    if (AtEnd(i)) Error(fmt::runtime(filtermsg::UnterminatedString));
    const char16_t c = At(i);
    if (c != u'\'') {
      value.push_back(c);
      ++i;
      continue;
    }
    if (At(i + 1) == u'\'' && !AtEnd(i + 1)) {  // doubled quote
      value.push_back(u'\'');
      i += 2;
      continue;
    }
    if (FText.find(u'\'', i + 1) == std::u16string_view::npos || QuoteEndsLiteral(i + 1)) {
      ++i;
      break;
    }
    value.push_back(u'\'');  // an apostrophe inside a word
    ++i;
  }
  FSourcePtr = i;
  FTokenString = std::move(value);
  FToken = TExprToken::etLiteral;
}

void TExprLexer::ReadNumber() {
  const char16_t first = At(FSourcePtr);
  // FToken still holds the previous token here.
  const bool afterOperand = FToken == TExprToken::etSymbol || FToken == TExprToken::etName ||
                            FToken == TExprToken::etLiteral || FToken == TExprToken::etRParen;
  if (first == u'-' && afterOperand) {
    ++FSourcePtr;
    FToken = TExprToken::etSUB;
    return;
  }
  std::size_t i = FSourcePtr + 1;
  while (!AtEnd(i)) {
    const char16_t c = At(i);
    const char16_t prev = At(i - 1);
    if (IsDigit(c) || c == u'E' || c == u'e' || c == FDecimalSeparator) ++i;
    else if ((c == u'+' || c == u'-') && (prev == u'E' || prev == u'e')) ++i;  // exponent sign only
    else break;
  }
  if (FDecimalSeparator == u',' && i > FSourcePtr + 1 && At(i - 1) == u',' && (At(i) == u' ')) --i;
  std::u16string text(FText.substr(FSourcePtr, i - FSourcePtr));
  if (text == u"-") {  // a minus that starts no number
    ++FSourcePtr;
    FToken = TExprToken::etSUB;
    return;
  }
  // The text must read as a number.
  std::string ascii;
  for (char16_t c : text) ascii.push_back(c == FDecimalSeparator ? '.' : static_cast<char>(c));
  double value = 0;
  const auto r = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (r.ec == std::errc::invalid_argument || r.ptr != ascii.data() + ascii.size())
    Error(fmt::runtime(filtermsg::NotFloat), core::ToUtf8(text));
  FSourcePtr = i;
  FTokenString = std::move(text);
  FNumericLit = true;
  FToken = TExprToken::etLiteral;
}

void TExprLexer::ReadWord() {
  std::size_t i = FSourcePtr;
  std::u16string word = ReadWordAt(i);
  if (word.empty()) InvalidChar(At(FSourcePtr));
  FSourcePtr = i;
  FTokenString = word;
  FToken = TExprToken::etSymbol;
  if (SameWord(word, u"LIKE")) {
    FToken = TExprToken::etLIKE;
  } else if (SameWord(word, u"IN")) {
    FToken = TExprToken::etIN;
  } else if (SameWord(word, u"IS")) {
    auto nextWord = [&]() {
      while (!AtEnd(FSourcePtr) && At(FSourcePtr) >= 1 && At(FSourcePtr) <= 32) ++FSourcePtr;
      return ReadWordAt(FSourcePtr);
    };
    std::u16string w = nextWord();
    if (SameWord(w, u"NULL")) {
      FToken = TExprToken::etISNULL;
    } else if (SameWord(w, u"NOT") && SameWord(nextWord(), u"NULL")) {
      FToken = TExprToken::etISNOTNULL;
    } else {
      Error(fmt::runtime(filtermsg::InvalidKeywordUse));
    }
  }
}

}  // namespace data
