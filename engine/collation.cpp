// ICU-backed collation and code-page conversion.
#include "engine/collation.h"

#include <unicode/locid.h>
#include <unicode/ucnv.h>
#include <unicode/ucol.h>
#include <unicode/uloc.h>

#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace engine {

namespace {
std::mutex g_cacheMutex;
std::map<std::pair<std::int32_t, std::int32_t>, std::shared_ptr<const Collation>> g_cache;

std::string LocaleForLcid(std::int32_t lcid) {
  if (lcid == 0) return "";
  char buf[ULOC_FULLNAME_CAPACITY] = {};
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = uloc_getLocaleForLCID(static_cast<uint32_t>(lcid), buf, sizeof buf, &err);
  if (U_FAILURE(err) || n <= 0) return "";
  return std::string(buf, static_cast<std::size_t>(n));
}

UCollator* OpenCollator(const std::string& loc, UColAttributeValue strength) {
  UErrorCode err = U_ZERO_ERROR;
  UCollator* c = ucol_open(loc.c_str(), &err);
  if (U_FAILURE(err) || !c) {
    err = U_ZERO_ERROR;
    c = ucol_open("", &err);
  }
  if (!c) return nullptr;
  err = U_ZERO_ERROR;
  ucol_setAttribute(c, UCOL_STRENGTH, strength, &err);
  err = U_ZERO_ERROR;
  ucol_setAttribute(c, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &err);
  return c;
}
}  // namespace

bool Collation::KnownLocale(std::int32_t lcid) { return lcid == 0 || !LocaleForLcid(lcid).empty(); }

std::shared_ptr<const Collation> Collation::Get(std::int32_t lcid, std::int32_t codePage) {
  std::lock_guard lock(g_cacheMutex);
  auto key = std::make_pair(lcid, codePage);
  auto it = g_cache.find(key);
  if (it != g_cache.end()) return it->second;
  std::shared_ptr<Collation> c(new Collation());
  c->lcid_ = lcid;
  c->codePage_ = codePage;
  const std::string loc = LocaleForLcid(lcid);
  c->cs_ = OpenCollator(loc, UCOL_TERTIARY);
  c->ci_ = OpenCollator(loc, UCOL_SECONDARY);
  c->cpName_ = codePage == 65001 ? "UTF-8" : "windows-" + std::to_string(codePage);
  UErrorCode err = U_ZERO_ERROR;
  UConverter* cv = ucnv_open(c->cpName_.c_str(), &err);
  if (U_FAILURE(err) || !cv) {
    err = U_ZERO_ERROR;
    c->cpName_ = "windows-1252";
    cv = ucnv_open(c->cpName_.c_str(), &err);
  }
  if (cv && ucnv_getMaxCharSize(cv) == 1) {
    for (int i = 0; i < 256; ++i) {
      char ch = static_cast<char>(i);
      UChar out[4];
      err = U_ZERO_ERROR;
      int32_t n = ucnv_toUChars(cv, out, 4, &ch, 1, &err);
      c->table_[i] = (U_SUCCESS(err) && n >= 1) ? static_cast<char16_t>(out[0]) : char16_t(0xFFFD);
    }
    c->singleByte_ = true;
  } else {
    c->singleByte_ = false;
  }
  if (cv) ucnv_close(cv);
  g_cache.emplace(key, c);
  return c;
}

Collation::~Collation() {
  if (cs_) ucol_close(cs_);
  if (ci_) ucol_close(ci_);
}

void Collation::Widen(const char* s, std::size_t len, std::u16string& out) const {
  if (singleByte_) {
    out.resize(len);
    for (std::size_t i = 0; i < len; ++i) out[i] = table_[static_cast<unsigned char>(s[i])];
    return;
  }
  UErrorCode err = U_ZERO_ERROR;
  UConverter* cv = ucnv_open(cpName_.c_str(), &err);
  out.assign(len * 2 + 2, u'\0');
  err = U_ZERO_ERROR;
  int32_t n = cv ? ucnv_toUChars(cv, reinterpret_cast<UChar*>(out.data()),
                                 static_cast<int32_t>(out.size()), s,
                                 static_cast<int32_t>(len), &err)
                 : 0;
  if (cv) ucnv_close(cv);
  out.resize(U_SUCCESS(err) && n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::u16string Collation::ToUtf16(const char* s, std::size_t len) const {
  std::u16string out;
  Widen(s, len, out);
  return out;
}

std::string Collation::FromUtf16(const char16_t* s, std::size_t len) const {
  UErrorCode err = U_ZERO_ERROR;
  UConverter* cv = ucnv_open(cpName_.c_str(), &err);
  if (!cv) return {};
  std::string out(len * 4 + 4, '\0');
  err = U_ZERO_ERROR;
  int32_t n = ucnv_fromUChars(cv, out.data(), static_cast<int32_t>(out.size()),
                              reinterpret_cast<const UChar*>(s), static_cast<int32_t>(len), &err);
  ucnv_close(cv);
  out.resize(U_SUCCESS(err) && n > 0 ? static_cast<std::size_t>(n) : 0);
  return out;
}

int Collation::Compare(const char* a, std::size_t la, const char* b, std::size_t lb, bool ci) const {
  thread_local std::u16string wa, wb;
  Widen(a, la, wa);
  Widen(b, lb, wb);
  UCollationResult r = ucol_strcoll(ci ? ci_ : cs_, reinterpret_cast<const UChar*>(wa.data()),
                                    static_cast<int32_t>(wa.size()),
                                    reinterpret_cast<const UChar*>(wb.data()),
                                    static_cast<int32_t>(wb.size()));
  return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

void Collation::AppendSortKey(const char* s, std::size_t len, bool ci, std::string& out) const {
  thread_local std::u16string w;
  Widen(s, len, w);
  const UCollator* c = ci ? ci_ : cs_;
  const std::size_t start = out.size();
  out.resize(start + w.size() * 4 + 16);
  int32_t n = ucol_getSortKey(c, reinterpret_cast<const UChar*>(w.data()), static_cast<int32_t>(w.size()),
                              reinterpret_cast<uint8_t*>(out.data() + start),
                              static_cast<int32_t>(out.size() - start));
  if (n > static_cast<int32_t>(out.size() - start)) {
    out.resize(start + static_cast<std::size_t>(n));
    n = ucol_getSortKey(c, reinterpret_cast<const UChar*>(w.data()), static_cast<int32_t>(w.size()),
                        reinterpret_cast<uint8_t*>(out.data() + start), n);
  }
  out.resize(start + static_cast<std::size_t>(n > 0 ? n - 1 : 0));  // drop the terminating zero
}

}  // namespace engine
