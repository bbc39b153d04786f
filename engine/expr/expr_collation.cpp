#include "engine/expr/expr_collation.h"

#include <unicode/ucol.h>

namespace engine::expr {

namespace {
UCollator* Open(const std::string& locale, UColAttributeValue strength) {
  UErrorCode err = U_ZERO_ERROR;
  UCollator* c = ucol_open(locale.c_str(), &err);
  if (U_FAILURE(err) || c == nullptr) {
    err = U_ZERO_ERROR;
    c = ucol_open("", &err);
    if (U_FAILURE(err)) return nullptr;
  }
  // Hyphens and apostrophes take part like any other character (string sort).
  ucol_setAttribute(c, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &err);
  ucol_setStrength(c, static_cast<UCollationStrength>(strength));
  return c;
}

int Sign(int r) { return r < 0 ? -1 : (r > 0 ? 1 : 0); }
}  // namespace

IcuCollation::IcuCollation(const std::string& locale)
    : FExact(Open(locale, UCOL_TERTIARY)), FCaseless(Open(locale, UCOL_SECONDARY)) {}

IcuCollation::~IcuCollation() {
  if (FExact) ucol_close(FExact);
  if (FCaseless) ucol_close(FCaseless);
}

int IcuCollation::Compare(std::string_view a, std::string_view b, bool caseInsensitive) const {
  UCollator* c = caseInsensitive ? FCaseless : FExact;
  if (c == nullptr) return Sign(a.compare(b));
  UErrorCode err = U_ZERO_ERROR;
  const UCollationResult r = ucol_strcollUTF8(c, a.data(), static_cast<int32_t>(a.size()), b.data(),
                                              static_cast<int32_t>(b.size()), &err);
  if (U_FAILURE(err)) return Sign(a.compare(b));
  return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0);
}

int IcuCollation::Compare(std::u16string_view a, std::u16string_view b, bool caseInsensitive) const {
  UCollator* c = caseInsensitive ? FCaseless : FExact;
  if (c == nullptr) return Sign(a.compare(b));
  const UCollationResult r = ucol_strcoll(c, a.data(), static_cast<int32_t>(a.size()), b.data(),
                                          static_cast<int32_t>(b.size()));
  return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0);
}

}  // namespace engine::expr
