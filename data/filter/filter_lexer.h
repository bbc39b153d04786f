// Tokens of filter text: words, bracketed names, quoted strings, numbers,
// operators and the keywords LIKE, IN, IS NULL and IS NOT NULL.
#pragma once

#include <string>
#include <string_view>

namespace data {

enum class TExprToken : unsigned char {
  etEnd, etSymbol, etName, etLiteral, etLParen, etRParen, etEQ, etNE, etGE, etLE, etGT, etLT,
  etADD, etSUB, etMUL, etDIV, etComma, etLIKE, etISNULL, etISNOTNULL, etIN
};

class TExprLexer {
 public:
  TExprLexer(std::u16string_view text, char16_t decimalSeparator);

  // Reads the next token; raises EDatabaseError for bad characters, open
  // strings, names and comments, and misused IS.
  void NextToken();

  TExprToken Token() const { return FToken; }
  TExprToken PrevToken() const { return FPrevToken; }
  // Word, name (without brackets), literal value (quotes resolved) or number text.
  const std::u16string& TokenString() const { return FTokenString; }
  bool NumericLit() const { return FNumericLit; }
  // The current token's source text in single quotes, or "nothing" at the end.
  std::string TokenName() const;
  // Position just after the current token (for "count(*)").
  std::size_t SourcePos() const { return FSourcePtr; }
  std::u16string_view Text() const { return FText; }
  void Skip(std::size_t n) { FSourcePtr += n; }

 private:
  char16_t At(std::size_t i) const { return i < FText.size() ? FText[i] : u'\0'; }
  bool AtEnd(std::size_t i) const { return i >= FText.size(); }
  void SkipBlanksAndComments();
  void ReadString();
  void ReadNumber();
  void ReadWord();
  bool QuoteEndsLiteral(std::size_t afterQuote) const;
  std::u16string ReadWordAt(std::size_t& pos) const;
  [[noreturn]] void InvalidChar(char16_t c) const;

  std::u16string_view FText;
  char16_t FDecimalSeparator;
  std::size_t FSourcePtr = 0;
  std::size_t FTokenPtr = 0;
  TExprToken FToken = TExprToken::etEnd;
  TExprToken FPrevToken = TExprToken::etEnd;
  std::u16string FTokenString;
  bool FNumericLit = false;
};

// Characters of a bare word: ASCII letters, digits, "_", ".", "[", "]",
// Latin-1 letters, and every character from U+0100 on.
bool IsWordChar(char16_t c);

}  // namespace data
