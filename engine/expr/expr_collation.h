// Locale collation of strings with ICU: tertiary strength for ordinary
// comparisons, secondary strength (case ignored) for case-insensitive ones.
#pragma once

#include <string>
#include <string_view>

struct UCollator;

namespace engine::expr {

class IcuCollation {
 public:
  // `locale` is an ICU locale id ("de", "pt_BR"); empty for the default locale.
  explicit IcuCollation(const std::string& locale = std::string());
  ~IcuCollation();
  IcuCollation(const IcuCollation&) = delete;
  IcuCollation& operator=(const IcuCollation&) = delete;

  int Compare(std::string_view a, std::string_view b, bool caseInsensitive) const;       // UTF-8
  int Compare(std::u16string_view a, std::u16string_view b, bool caseInsensitive) const;

 private:
  UCollator* FExact = nullptr;
  UCollator* FCaseless = nullptr;
};

}  // namespace engine::expr
