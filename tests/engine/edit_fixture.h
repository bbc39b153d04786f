// Test helper: editing the (codigo int32, nome string 50) table through a
// cursor.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "table_fixture.h"

namespace enginetest {

inline engine::DSRef<engine::IDSBase> ProgramTable(std::uint16_t nomeFlags = 0) {
  PacketBuilder b;
  b.cols = {{"codigo", 0x00010004u}, {"nome", 0x00490001u, nomeFlags, {Width(50)}}};
  engine::DSRef<engine::IDSBase> t;
  Load(b.Packet(), t);
  return t;
}

inline std::vector<std::uint8_t> RecBuf(engine::IDSCursor* c) {
  engine::DSProps p{};
  c->GetCursorProps(&p);
  return std::vector<std::uint8_t>(static_cast<std::size_t>(p.iRecBufSize), 0);
}

inline engine::EngineResult Insert(engine::IDSCursor* c, std::optional<std::int32_t> k, Cell s) {
  auto buf = RecBuf(c);
  c->InitRecord(buf.data());
  if (k) c->PutField(buf.data(), 1, &*k);
  if (s) c->PutField(buf.data(), 2, s->c_str());
  return c->InsertRecord(buf.data());
}

// Changes the current record's nome (and codigo when given).
inline engine::EngineResult Modify(engine::IDSCursor* c, Cell s, std::optional<std::int32_t> k = {}) {
  auto buf = RecBuf(c);
  if (auto r = c->GetCurrentRecord(buf.data())) return r;
  if (k) c->PutField(buf.data(), 1, &*k);
  c->PutField(buf.data(), 2, s ? s->c_str() : nullptr);
  return c->ModifyRecord(buf.data());
}

// Positions a cursor on the record with a codigo value (linear scan).
inline bool GoTo(engine::IDSCursor* c, std::int32_t k) {
  c->MoveToBOF();
  while (c->MoveRelative(1) == engine::DBERR_NONE) {
    std::int32_t v = 0;
    engine::DSBool blank = 0;
    c->GetField(nullptr, 1, &v, &blank);
    if (!blank && v == k) return true;
  }
  return false;
}

inline std::int32_t Prop(engine::IDSBase* t, engine::DSProp p) {
  std::int32_t v = -1;
  t->GetProp(p, &v);
  return v;
}

inline std::string CurrentS(engine::IDSCursor* c) {
  char buf[64] = {};
  engine::DSBool blank = 0;
  if (c->GetField(nullptr, 2, buf, &blank) != engine::DBERR_NONE) return "<none>";
  return blank ? "<null>" : buf;
}

}  // namespace enginetest
