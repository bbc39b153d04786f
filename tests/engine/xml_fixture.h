// Test helpers for XML packets: tables written in an XML stream mode and
// documents read back through AppendData.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/dsintf.h"
#include "engine/xmlpacket.h"
#include "packet_builder.h"

namespace enginetest {

inline std::string AsText(const Bytes& b) { return std::string(b.begin(), b.end()); }
inline Bytes AsBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A table streamed in a mode (xmlOFF: binary).
inline engine::EngineResult StreamIn(engine::IDSBase* t, std::int32_t mode, Bytes& out) {
  if (auto r = t->SetProp(engine::dspropXML_STREAMMODE, static_cast<std::uintptr_t>(mode))) return r;
  const auto r = t->StreamDS(&out);
  t->SetProp(engine::dspropXML_STREAMMODE, engine::xmlOFF);
  return r;
}

// The XML document of a binary packet, through a table.
inline engine::EngineResult XmlOf(const PacketBuilder& b, std::string& xml, std::int32_t mode = engine::xmlON) {
  Bytes p;
  if (auto r = b.Build(p)) return r;
  engine::DSRef<engine::IDSBase> t;
  if (auto r = Load(p, t)) return r;
  Bytes out;
  if (auto r = StreamIn(t.get(), mode, out)) return r;
  xml = AsText(out);
  return 0;
}

inline engine::EngineResult LoadXml(const std::string& xml, engine::DSRef<engine::IDSBase>& t) {
  return Load(AsBytes(xml), t);
}

// A document with one table level around the given FIELD elements and rows.
inline std::string Doc(const std::string& fields, const std::string& rows, bool utf8 = false) {
  return std::string(utf8 ? "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>  "
                          : "<?xml version=\"1.0\" standalone=\"yes\"?>  ") +
         "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" + fields + "</FIELDS><PARAMS/></METADATA><ROWDATA>" + rows +
         "</ROWDATA></DATAPACKET>";
}

}  // namespace enginetest
