// String collation of a table: 8-bit text in the table's code page is
// converted to UTF-16 and compared with ICU under the table's locale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct UCollator;
struct UConverter;

namespace engine {

constexpr std::int32_t kDefaultCodePage = 1252;

class Collation {
 public:
  // A shared instance for a locale identifier (0 = default) and a code page.
  // Never null: an unknown locale or code page falls back to the defaults.
  static std::shared_ptr<const Collation> Get(std::int32_t lcid, std::int32_t codePage);
  ~Collation();
  Collation(const Collation&) = delete;
  Collation& operator=(const Collation&) = delete;

  // <0, 0, >0; case-insensitive compares at secondary strength.
  int Compare(const char* a, std::size_t la, const char* b, std::size_t lb, bool ci) const;
  // Appends the ICU sort key of the text (comparable with memcmp).
  void AppendSortKey(const char* s, std::size_t len, bool ci, std::string& out) const;
  // 8-bit text (this code page) to UTF-16 and back.
  std::u16string ToUtf16(const char* s, std::size_t len) const;
  std::string FromUtf16(const char16_t* s, std::size_t len) const;

  std::int32_t lcid() const { return lcid_; }
  std::int32_t codePage() const { return codePage_; }
  // True when the platform knows the locale identifier.
  static bool KnownLocale(std::int32_t lcid);

 private:
  Collation() = default;
  void Widen(const char* s, std::size_t len, std::u16string& out) const;
  std::int32_t lcid_ = 0, codePage_ = kDefaultCodePage;
  UCollator* cs_ = nullptr;  // case-sensitive (tertiary)
  UCollator* ci_ = nullptr;  // case-insensitive (secondary)
  char16_t table_[256] = {};
  bool singleByte_ = true;
  std::string cpName_;
};

}  // namespace engine
