// Common reference counting of the engine objects.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/dsintf.h"

namespace engine {

void CountObject(int delta) noexcept;

template <class Interface>
class RefCounted : public Interface {
 public:
  RefCounted() { CountObject(1); }
  ~RefCounted() override { CountObject(-1); }
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;

  std::uint32_t AddRef() noexcept override { return ++refs_; }
  std::uint32_t Release() noexcept override {
    const std::uint32_t n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  EngineResult QueryInterface(const DSGuid& iid, void** out) noexcept override {
    if (!out) return DBERR_INVALIDPARAM;
    if (iid == IID_IDSUnknown || iid == OwnIid()) {
      AddRef();
      *out = static_cast<Interface*>(this);
      return DBERR_NONE;
    }
    *out = nullptr;
    return DBERR_NOTSUPPORTED;
  }

 protected:
  virtual const DSGuid& OwnIid() const noexcept = 0;

 private:
  std::atomic<std::uint32_t> refs_{0};
};

// Fills a GetErrorString buffer (nullptr: nothing written).
EngineResult FillErrorString(EngineResult code, char* buffer, bool utf8) noexcept;

}  // namespace engine
