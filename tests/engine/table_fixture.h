// Test helper: small tables of (int32 k, string s) rows and reading a
// cursor's visible rows.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "packet_builder.h"

namespace enginetest {

using Cell = std::optional<std::string>;

struct KS {
  std::optional<std::int32_t> k;
  Cell s;
};

inline engine::DSRef<engine::IDSBase> MakeTable(const std::vector<KS>& rows, int width = 20) {
  PacketBuilder b;
  b.cols = {{"k", 0x00010004u}, {"s", width <= 253 ? 0x00490001u : 0x00490002u, 0, {Width(static_cast<std::uint32_t>(width))}}};
  for (const auto& r : rows)
    b.rows.push_back(Row{0, {r.k ? Int(*r.k, 4) : Null(), r.s ? Var(r.s->empty() ? std::string(1, '\0') : *r.s) : Null()}});
  engine::DSRef<engine::IDSBase> t;
  Load(b.Packet(), t);
  return t;
}

// k values of the rows a cursor shows from BOF to EOF (nullopt k as -999).
inline std::vector<std::int32_t> VisibleK(engine::IDSCursor* c) {
  std::vector<std::int32_t> out;
  c->MoveToBOF();
  while (c->MoveRelative(1) == engine::DBERR_NONE) {
    std::int32_t k = 0;
    engine::DSBool blank = 0;
    c->GetField(nullptr, 1, &k, &blank);
    out.push_back(blank ? -999 : k);
  }
  return out;
}

inline std::vector<std::string> VisibleS(engine::IDSCursor* c) {
  std::vector<std::string> out;
  c->MoveToBOF();
  while (c->MoveRelative(1) == engine::DBERR_NONE) {
    char buf[2048] = {};
    engine::DSBool blank = 0;
    c->GetField(nullptr, 2, buf, &blank);
    out.push_back(blank ? "<null>" : buf);
  }
  return out;
}

inline engine::DSIDXDesc IndexOn(const char* name, std::vector<int> fields, std::vector<bool> desc = {},
                                 std::vector<bool> ci = {}, bool unique = false) {
  engine::DSIDXDesc d{};
  std::snprintf(d.szName, sizeof d.szName, "%s", name);
  d.iFields = static_cast<std::int32_t>(fields.size());
  for (std::size_t i = 0; i < fields.size(); ++i) {
    d.iKeyFields[i] = fields[i];
    d.bDescending[i] = i < desc.size() && desc[i];
    d.bCaseInsensitive[i] = i < ci.size() && ci[i];
  }
  d.bUnique = unique;
  return d;
}

// A key buffer in record layout for the (k, s) table.
inline std::vector<std::uint8_t> Key(engine::IDSCursor* c, std::optional<std::int32_t> k, Cell s) {
  engine::DSProps p{};
  c->GetCursorProps(&p);
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(p.iRecBufSize), 0);
  c->PutField(buf.data(), 1, k ? &*k : nullptr);
  c->PutField(buf.data(), 2, s ? s->c_str() : nullptr);
  return buf;
}

}  // namespace enginetest
