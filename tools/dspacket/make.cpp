// A binary packet from its JSON form (the inverse of `show`).
#include <fmt/format.h>

#include <cmath>
#include <cstring>

#include "engine/bcd.h"
#include "engine/dsintf.h"
#include "engine/packetformat.h"
#include "packet_json.h"
#include "value_text.h"

namespace dspacket {

using namespace engine;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct Bad {
  std::string where;
};

std::uint32_t ParseHex32(const Json& j, const std::string& where) {
  if (!j.is_string()) throw Bad{where};
  const std::string s = j.get<std::string>();
  if (s.size() != 10 || s[0] != '0' || (s[1] != 'x' && s[1] != 'X')) throw Bad{where};
  auto b = FromHex(s.substr(2));
  if (!b) throw Bad{where};
  return (std::uint32_t{(*b)[0]} << 24) | (std::uint32_t{(*b)[1]} << 16) | (std::uint32_t{(*b)[2]} << 8) | (*b)[3];
}

void PutLE(Bytes& out, std::uint64_t v, std::uint32_t n) {
  for (std::uint32_t i = 0; i < n; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

struct ColInfo {
  std::uint32_t type = 0;
  std::int32_t precision = 0, scale = 0;
  std::vector<ColInfo> nested;
};

// Encodes a non-null value of a packet type; varying values come without
// their prefix (lengthWord receives the length).
Bytes Encode(const ColInfo& c, const Json& v, std::uint32_t& lengthWord, const std::string& where) {
  const std::uint32_t type = c.type, base = BaseType(type), size = SizeBits(type);
  Bytes out;
  auto str = [&]() {
    if (!v.is_string()) throw Bad{where};
    return v.get<std::string>();
  };
  if (IsVarying(type)) {
    if (v.is_object() && v.value("not_fetched", false)) {
      if (size != 4) throw Bad{where};
      lengthWord = 0x80000000u;
      return out;
    }
    if (base == dsfldZSTRING) {
      auto t = ToLatin(str());
      if (!t) throw Bad{where};
      out.assign(t->begin(), t->end());
      if (out.empty()) out.push_back(0);  // an empty string stays distinct from null
    } else if (base == dsfldUNICODE) {
      out = ToUtf16Le(str());
    } else {
      auto b = FromHex(str());
      if (!b) throw Bad{where};
      out = *b;
    }
    lengthWord = static_cast<std::uint32_t>(out.size());
    return out;
  }
  switch (base) {
    case dsfldINT:
      if (!v.is_number_integer()) throw Bad{where};
      PutLE(out, static_cast<std::uint64_t>(v.get<std::int64_t>()), size);
      break;
    case dsfldUINT:
      if (!v.is_number_integer()) throw Bad{where};
      PutLE(out, v.is_number_unsigned() ? v.get<std::uint64_t>() : static_cast<std::uint64_t>(v.get<std::int64_t>()), size);
      break;
    case dsfldBOOL:
      if (!v.is_boolean()) throw Bad{where};
      PutLE(out, v.get<bool>() ? 1 : 0, size);
      break;
    case dsfldFLOATIEEE:
    case dsfldSINGLE: {
      if (!v.is_number()) throw Bad{where};
      const double d = v.get<double>();
      if (size == 4) {
        const float f = static_cast<float>(d);
        out.resize(4);
        std::memcpy(out.data(), &f, 4);
      } else if (size == 8) {
        out.resize(8);
        std::memcpy(out.data(), &d, 8);
      } else {
        const long double x = d;
        out.resize(16);
        std::memcpy(out.data(), &x, sizeof x < 16 ? sizeof x : 16);
        out.resize(10);
      }
      break;
    }
    case dsfldBCD:
    case dsfldFMTBCD: {
      std::uint8_t b[34] = {};
      const std::int32_t stored = static_cast<std::int32_t>(size);
      std::int32_t p = c.precision ? c.precision : (stored - 2) * 2;
      if (EngineResult r = BcdFromText(str(), p, c.scale, b, std::min<std::int32_t>(stored, 34))) throw Bad{where + fmt::format(" ({})", r)};
      out.assign(b, b + std::min<std::uint32_t>(size, kPacketBcdSize));
      out.resize(kPacketBcdSize, 0);
      break;
    }
    case dsfldDATE: {
      auto d = DateFromText(str());
      if (!d) throw Bad{where};
      PutLE(out, static_cast<std::uint32_t>(*d), 4);
      break;
    }
    case dsfldTIME: {
      auto t = TimeFromText(str());
      if (!t || *t > INT32_MAX) throw Bad{where};
      PutLE(out, static_cast<std::uint32_t>(*t), 4);
      break;
    }
    case dsfldTIMESTAMP: {
      const std::string s = str();
      const auto tpos = s.find('T');
      if (tpos == std::string::npos) throw Bad{where};
      auto d = DateFromText(s.substr(0, tpos));
      auto t = TimeFromText(s.substr(tpos + 1));
      if (!d || !t) throw Bad{where};
      const double ms = static_cast<double>(*d) * 86400000.0 + static_cast<double>(*t);
      out.resize(8);
      std::memcpy(out.data(), &ms, 8);
      break;
    }
    case dsfldDATETIME:
    case dsfldDATETIMEOFFSET: {
      int y, mo, d, h, mi, se, ms, oh = 0, om = 0;
      char sign = '+';
      const std::string s = str();
      int n = std::sscanf(s.c_str(), "%d-%d-%dT%d:%d:%d.%d%c%d:%d", &y, &mo, &d, &h, &mi, &se, &ms, &sign, &oh, &om);
      if (n != (base == dsfldDATETIME ? 7 : 10)) throw Bad{where};
      for (int x : {mo, d, h, mi, se}) PutLE(out, static_cast<std::uint16_t>(x), 2);
      out.insert(out.begin(), {static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(y >> 8)});
      PutLE(out, static_cast<std::uint32_t>(ms), 4);
      if (base == dsfldDATETIMEOFFSET) {
        PutLE(out, static_cast<std::uint16_t>(sign == '-' ? -oh : oh), 2);
        PutLE(out, static_cast<std::uint16_t>(om), 2);
      }
      break;
    }
    case dsfldZSTRING: {
      auto t = ToLatin(str());
      if (!t || t->size() > size) throw Bad{where};
      out.assign(t->begin(), t->end());
      out.resize(size, 0);
      break;
    }
    case dsfldUNICODE: {
      out = ToUtf16Le(str());
      if (out.size() > size) throw Bad{where};
      out.resize(size, 0);
      break;
    }
    default: {
      auto b = FromHex(str());
      if (!b || b->size() != size) throw Bad{where};
      out = *b;
    }
  }
  return out;
}

Bytes AttrBytes(const Json& a, std::uint32_t& type, const std::string& where) {
  type = ParseHex32(a.at("type"), where);
  const std::uint32_t t = type & ~dsIncInDelta;
  std::uint32_t vs = 0;
  if (CheckPacketType(t, true, &vs)) throw Bad{where};
  const Json& v = a.at("value");
  Bytes out;
  ColInfo ci;
  if (t & dsArrayFldType) {
    if (!v.is_array()) throw Bad{where};
    ci.type = t & ~dsArrayFldType;
    PutLE(out, v.size(), 4);
    for (const auto& e : v) {
      std::uint32_t lw = 0;
      Bytes b = Encode(ci, e, lw, where);
      out.insert(out.end(), b.begin(), b.end());
    }
    return out;
  }
  ci.type = t;
  std::uint32_t lw = 0;
  Bytes b = Encode(ci, v, lw, where);
  if (IsVarying(t)) PutLE(out, lw, vs);
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

void Meta(IDSWriter& w, const Json& fields, const Json& tableAttrs, std::vector<ColInfo>& cols, const std::string& where) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const Json& f = fields[i];
    const std::string fw = fmt::format("{} field {}", where, i + 1);
    TDSDataPacketFldDesc d{};
    const auto name = ToLatin(f.at("name").get<std::string>());
    if (!name || name->size() >= sizeof d.szFieldName) throw Bad{fw};
    std::memcpy(d.szFieldName, name->data(), name->size());
    ColInfo ci;
    ci.type = ParseHex32(f.at("packet_type"), fw);
    ci.precision = f.value("width", 0);
    ci.scale = f.value("decimals", 0);
    d.iFieldType = static_cast<std::int32_t>(ci.type);
    d.iAttributes = static_cast<std::uint16_t>(f.value("flags", 0));
    if (EngineResult r = w.AddColumnDesc(&d)) throw r;
    for (const auto& a : f.value("attrs", Json::array())) {
      std::uint32_t t = 0;
      Bytes v = AttrBytes(a, t, fw);
      if (EngineResult r = w.AddAttribute(fldAttrArea, a.at("name").get<std::string>().c_str(), t,
                                          static_cast<std::uint32_t>(v.size()), v.data()))
        throw r;
    }
    if (BaseType(ci.type) == dsfldEMBEDDEDTBL) Meta(w, f.value("fields", Json::array()), Json::array(), ci.nested, fw);
    cols.push_back(std::move(ci));
  }
  for (const auto& a : tableAttrs) {
    std::uint32_t t = 0;
    Bytes v = AttrBytes(a, t, where + " table attribute");
    if (EngineResult r = w.AddAttribute(pcktAttrArea, a.at("name").get<std::string>().c_str(), t,
                                        static_cast<std::uint32_t>(v.size()), v.data()))
      throw r;
  }
  if (EngineResult r = w.AddAttribute(pcktAttrArea, nullptr, 0, 0, nullptr)) throw r;
}

void Rows(IDSWriter& w, const std::vector<ColInfo>& cols, const Json& status, const Json& rows, const std::string& where) {
  if (!rows.is_array() || !status.is_array() || status.size() != rows.size()) throw Bad{where};
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const std::string rw = fmt::format("{} row {}", where, r);
    const std::uint8_t st = status[r].get<std::uint8_t>();
    if (EngineResult e = w.PutField(fldIsChanged, 1, &st)) throw e;
    const Json& row = rows[r];
    if (!row.is_array() || row.size() != cols.size()) throw Bad{rw};
    for (std::size_t j = 0; j < cols.size(); ++j) {
      const Json& v = row[j];
      const ColInfo& c = cols[j];
      EngineResult e = DBERR_NONE;
      if (v.is_null()) e = w.PutField(fldIsNull, 0, nullptr);
      else if (v.is_object() && v.value("unchanged", false)) e = w.PutField(fldIsUnChanged, 0, nullptr);
      else if (BaseType(c.type) == dsfldEMBEDDEDTBL) {
        const Json& nrows = v.at("rows");
        std::uint8_t cnt[4];
        Wr32(cnt, static_cast<std::uint32_t>(nrows.size()));
        e = w.PutField(fldIsChanged, 4, cnt);
        if (!e) Rows(w, c.nested, v.at("status"), nrows, rw);
      } else if (c.type & dsPseudoFldType) {
        e = w.PutField(fldIsChanged, 0, "");
      } else {
        std::uint32_t lw = 0;
        Bytes b = Encode(c, v, lw, fmt::format("{} column {}", rw, j + 1));
        e = w.PutField(fldIsChanged, IsVarying(c.type) ? lw : static_cast<std::uint32_t>(b.size()), b.data());
      }
      if (e) throw e;
    }
  }
}

}  // namespace

EngineResult MakePacket(const Json& in, std::vector<std::uint8_t>& out, std::string& where) {
  try {
    const Json& fields = in.at("fields");
    if (!fields.is_array()) throw Bad{"fields"};
    DSRef<IDSWriter> w;
    if (EngineResult r = CreateDSWriter(w.put())) return r;
    if (EngineResult r = w->Init_Sequential(1, static_cast<std::uint32_t>(fields.size()))) return r;
    std::vector<ColInfo> cols;
    Meta(*w, fields, in.value("table_attrs", Json::array()), cols, "metadata");
    Rows(*w, cols, in.at("status"), in.at("rows"), "rows");
    return w->GetDataPacket(&out);
  } catch (const Bad& b) {
    where = b.where;
    return DBERR_INVALIDPARAM;
  } catch (EngineResult r) {
    return r;
  } catch (const std::exception& e) {
    where = e.what();
    return DBERR_INVALIDPARAM;
  }
}

}  // namespace dspacket
