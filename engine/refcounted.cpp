#include "engine/refcounted.h"

#include <cstring>

namespace engine {

const DSGuid IID_IDSUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const DSGuid IID_IDSBase = {0x6A3C1E01, 0x2D4B, 0x4C7E, {0x91, 0x0A, 0x5E, 0x33, 0x7B, 0x21, 0xC4, 0x01}};
const DSGuid IID_IDSCursor = {0x6A3C1E02, 0x2D4B, 0x4C7E, {0x91, 0x0A, 0x5E, 0x33, 0x7B, 0x21, 0xC4, 0x02}};
const DSGuid IID_IDSWriter = {0x6A3C1E03, 0x2D4B, 0x4C7E, {0x91, 0x0A, 0x5E, 0x33, 0x7B, 0x21, 0xC4, 0x03}};

namespace {
std::atomic<std::int64_t> g_live{0};
}

void CountObject(int delta) noexcept { g_live += delta; }
std::uint32_t LiveObjectCount() noexcept { return static_cast<std::uint32_t>(g_live.load()); }

EngineResult FillErrorString(EngineResult code, char* buffer, bool /*utf8*/) noexcept {
  if (!buffer) return DBERR_NONE;
  buffer[0] = 0;
  const char* text = DBErrorMessage(code);
  if (!text) return DBERR_OBJNOTFOUND;
  // The texts are ASCII, so the UTF-8 form is the same bytes.
  std::size_t n = std::strlen(text);
  if (n > static_cast<std::size_t>(DBERR_MSG_MAX)) n = DBERR_MSG_MAX;
  std::memcpy(buffer, text, n);
  buffer[n] = 0;
  return DBERR_NONE;
}

}  // namespace engine
