// Test helper: describes packets as columns and rows and builds them through
// the engine's packet writer.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/dsintf.h"

namespace enginetest {

using Bytes = std::vector<std::uint8_t>;

struct Attr {
  std::string name;
  std::uint32_t type;
  Bytes value;  // as AddAttribute takes it (varying: with its prefix)
};

struct Col {
  std::string name;
  std::uint32_t type;
  std::uint16_t flags = 0;
  std::vector<Attr> attrs;
  std::vector<Col> nested;  // nested-table columns
  std::vector<Attr> nestedTableAttrs;
};

struct Row;
struct Val {
  enum Kind { Null, Unchanged, Value, Nested } kind = Null;
  Bytes bytes;
  std::uint32_t lengthWord = 0;  // varying values: the length (bit 31: not fetched)
  bool varying = false;
  std::vector<Row> rows;
  std::int32_t nestedCount = 0;
};

struct Row {
  std::uint8_t status = 0;
  std::vector<Val> vals;
};

inline Bytes U16(std::uint32_t v) { return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}; }
inline Bytes LE(std::uint64_t v, int n) {
  Bytes b;
  for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  return b;
}
inline Attr Width(std::uint32_t w) { return {"WIDTH", 0x00020002u, U16(w)}; }
inline Attr Decimals(std::uint32_t d) { return {"DECIMALS", 0x00020002u, U16(d)}; }
inline Attr SubType(const std::string& s) {
  Bytes b = U16(static_cast<std::uint32_t>(s.size() + 1));
  b.insert(b.end(), s.begin(), s.end());
  b.push_back(0);
  return {"SUBTYPE", 0x00490002u, b};
}

inline Val Null() { return Val{}; }
inline Val Unchanged() {
  Val v;
  v.kind = Val::Unchanged;
  return v;
}
inline Val Fixed(Bytes b) {
  Val v;
  v.kind = Val::Value;
  v.bytes = std::move(b);
  return v;
}
inline Val Int(std::int64_t x, int n) { return Fixed(LE(static_cast<std::uint64_t>(x), n)); }
inline Val Var(const std::string& s) {
  Val v;
  v.kind = Val::Value;
  v.varying = true;
  v.bytes.assign(s.begin(), s.end());
  v.lengthWord = static_cast<std::uint32_t>(s.size());
  return v;
}
inline Val VarBytes(Bytes b) {
  Val v;
  v.kind = Val::Value;
  v.varying = true;
  v.lengthWord = static_cast<std::uint32_t>(b.size());
  v.bytes = std::move(b);
  return v;
}
inline Val NotFetched(std::uint32_t len) {
  Val v;
  v.kind = Val::Value;
  v.varying = true;
  v.lengthWord = 0x80000000u | len;
  return v;
}
inline Val NestedRows(std::vector<Row> rows) {
  Val v;
  v.kind = Val::Nested;
  v.nestedCount = static_cast<std::int32_t>(rows.size());
  v.rows = std::move(rows);
  return v;
}
inline Val NestedNotFetched() {
  Val v;
  v.kind = Val::Nested;
  v.nestedCount = static_cast<std::int32_t>(0x80000000u);
  return v;
}

class PacketBuilder {
 public:
  std::vector<Col> cols;
  std::vector<Attr> tableAttrs;
  std::vector<Row> rows;

  engine::EngineResult Build(Bytes& out) const {
    engine::IDSWriter* raw = nullptr;
    if (auto r = engine::CreateDSWriter(&raw)) return r;
    engine::DSRef<engine::IDSWriter> w(raw);
    if (auto r = w->Init_Sequential(1, static_cast<std::uint32_t>(cols.size()))) return r;
    if (auto r = Meta(*w, cols, tableAttrs)) return r;
    for (const auto& row : rows)
      if (auto r = PutRow(*w, row)) return r;
    return w->GetDataPacket(&out);
  }

  Bytes Packet() const {
    Bytes b;
    Build(b);
    return b;
  }

 private:
  static engine::EngineResult Meta(engine::IDSWriter& w, const std::vector<Col>& cs, const std::vector<Attr>& ta) {
    for (const auto& c : cs) {
      engine::TDSDataPacketFldDesc d{};
      std::strncpy(d.szFieldName, c.name.c_str(), sizeof d.szFieldName - 1);
      d.iFieldType = static_cast<std::int32_t>(c.type);
      d.iAttributes = c.flags;
      if (auto r = w.AddColumnDesc(&d)) return r;
      for (const auto& a : c.attrs)
        if (auto r = w.AddAttribute(engine::fldAttrArea, a.name.c_str(), a.type,
                                    static_cast<std::uint32_t>(a.value.size()), a.value.data()))
          return r;
      if ((c.type & 0x3F0000u) == 0x0E0000u)
        if (auto r = Meta(w, c.nested, c.nestedTableAttrs)) return r;
    }
    for (const auto& a : ta)
      if (auto r = w.AddAttribute(engine::pcktAttrArea, a.name.c_str(), a.type,
                                  static_cast<std::uint32_t>(a.value.size()), a.value.data()))
        return r;
    return w.AddAttribute(engine::pcktAttrArea, nullptr, 0, 0, nullptr);
  }

  static engine::EngineResult PutRow(engine::IDSWriter& w, const Row& row) {
    if (auto r = w.PutField(engine::fldIsChanged, 1, &row.status)) return r;
    for (const auto& v : row.vals) {
      engine::EngineResult r = 0;
      switch (v.kind) {
        case Val::Null: r = w.PutField(engine::fldIsNull, 0, nullptr); break;
        case Val::Unchanged: r = w.PutField(engine::fldIsUnChanged, 0, nullptr); break;
        case Val::Value:
          r = w.PutField(engine::fldIsChanged, v.varying ? v.lengthWord : static_cast<std::uint32_t>(v.bytes.size()),
                         v.bytes.data());
          break;
        case Val::Nested: {
          std::uint8_t cnt[4];
          std::memcpy(cnt, &v.nestedCount, 4);
          r = w.PutField(engine::fldIsChanged, 4, cnt);
          for (const auto& nr : v.rows)
            if (!r) r = PutRow(w, nr);
          break;
        }
      }
      if (r) return r;
    }
    return 0;
  }
};

// The main form's table packet (66 bytes).
inline Bytes MainFormPacket() {
  return {0x96, 0x19, 0xC0, 0x5A, 0x01, 0x00, 0x00, 0x00, 0x18, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00,
          0x00, 0x03, 0x00, 0x00, 0x00, 0x42, 0x00, 0x06, 'c',  'o',  'd',  'i',  'g',  'o',  0x04, 0x00, 0x01,
          0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 'n',  'o',  'm',  'e',  0x01, 0x00, 0x49, 0x00, 0x00, 0x00, 0x01,
          0x00, 0x05, 'W',  'I',  'D',  'T',  'H',  0x02, 0x00, 0x02, 0x00, 0x32, 0x00, 0x00, 0x00};
}

// A table read from a packet (nullptr result code on failure).
inline engine::EngineResult Load(const Bytes& p, engine::DSRef<engine::IDSBase>& t) {
  if (auto r = engine::CreateDSBase(t.put())) return r;
  return t->AppendData(p.data(), p.size(), 1);
}

inline engine::DSRef<engine::IDSCursor> OpenCursor(engine::IDSBase* t) {
  engine::DSRef<engine::IDSCursor> c;
  engine::CreateDSCursor(c.put());
  c->InitCursor(t);
  return c;
}

}  // namespace enginetest
