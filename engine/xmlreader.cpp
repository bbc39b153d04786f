// Reading an XML packet: the document is parsed with pugixml (no DTD, no
// entity expansion, no external resources: its minimal mode keeps attribute
// texts raw) and turned into a binary packet that AppendData then reads.
// Attribute texts are decoded here, so that references to characters
// outside an 8-bit document's code page and escaped control characters
// come back as they were written.
#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/fieldlayout.h"
#include "engine/hugepages.h"
#include "engine/packetformat.h"
#include "engine/packetwriter.h"
#include "engine/xmlnames.h"
#include "engine/xmlpacket.h"
#include "engine/xmlvalues.h"

namespace engine {

namespace {

using xmlv::TextCtx;
constexpr EngineResult kMismatch = DBERR_DATAPACKETMISMATCH;

bool Is(std::string_view a, const char* b) {
  const std::size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

pugi::xml_node FirstElement(pugi::xml_node n) {
  for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element) return c;
  return {};
}
pugi::xml_node NextElement(pugi::xml_node n) {
  for (pugi::xml_node c = n.next_sibling(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element) return c;
  return {};
}
pugi::xml_node ChildElement(pugi::xml_node n, const char* name) {
  for (pugi::xml_node c = FirstElement(n); c; c = NextElement(c))
    if (Is(c.name(), name)) return c;
  return {};
}

struct BAttr {
  std::string name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> value;  // as AddAttribute takes it
};

struct XCol {
  std::string name;       // as stored in the table (8-bit)
  std::string attr;       // attribute name of the row values, raw
  std::uint32_t type = 0;
  std::uint16_t flags = 0;
  std::int32_t width = 0, scale = 0;
  bool hasWidth = false;
  std::int32_t subType = 0;
  std::vector<BAttr> attrs;
  int nested = -1;
};

struct XLevel {
  std::vector<XCol> cols;
  std::vector<BAttr> tableAttrs;
  std::unordered_map<std::string_view, std::uint32_t> byAttr;
};

// Packet type of a column type name; 0 when unknown. Strings and bytes get
// their final prefix width once the width is known.
std::uint32_t ColumnType(std::string_view t) {
  struct M {
    const char* n;
    std::uint32_t type;
  };
  static const M kMap[] = {
      {"i1", 0x00010001}, {"i2", 0x00010002}, {"i4", 0x00010004}, {"int", 0x00010004}, {"i", 0x00010004},
      {"i8", 0x00010008}, {"ui1", 0x00020001}, {"ui2", 0x00020002}, {"ui4", 0x00020004}, {"uint", 0x00020004},
      {"ui", 0x00020004}, {"ui8", 0x00020008}, {"boolean", 0x00030002}, {"r8", 0x00040008}, {"r4", 0x001B0004},
      {"r10", 0x0004000A}, {"fixed", 0x00050020}, {"fixedFMT", 0x00120020}, {"date", 0x00060004},
      {"time", 0x00070004}, {"dateTime", 0x00080008}, {"SQLdateTime", 0x00110010},
      {"SQLdateTimeOffset", 0x00240014}, {"string", 0x00490001}, {"string.uni", 0x004A0001},
      {"bin.hex", 0x004B0001}, {"nested", 0x050E0000}, {"struct", 0x010C0000},
  };
  for (const auto& m : kMap)
    if (Is(t, m.n)) return m.type;
  return 0;
}

// Packet type of a "PARAM" element's "Type" (unknown names read as strings).
std::uint32_t ParamType(std::string_view t) {
  if (Is(t, "string") || t.empty()) return 0x00490002;
  if (Is(t, "string.uni")) return 0x004A0002;
  if (Is(t, "bin.hex")) return 0x004B0004;
  if (Is(t, "IntArray")) return 0x00810004;
  if (Is(t, "UIntArray")) return 0x00820004;
  if (Is(t, "fixed")) return 0x00050012;
  if (Is(t, "fixedFMT")) return 0x00120012;
  const std::uint32_t c = ColumnType(t);
  if (c == 0 || (c & (dsPseudoFldType | dsVaryingFldType)) || c == 0x0004000A) return 0x00490002;
  return c;
}

// Packet type of an attribute written as an XML attribute.
std::uint32_t KnownAttrType(const xmlv::KnownAttr* k, std::string_view value) {
  const std::string_view n = k->name;
  if (n == "WIDTH" || n == "DECIMALS") return 0x00020002;
  if (n == "CHANGE_LOG") return 0x00820004;
  if (n == "MD_FIELDLINKS") return 0x00810002;
  if (n == "MD_SEMANTICS") return value.find(' ') == std::string_view::npos ? 0x00010004 : 0x00820002;
  if (!k->type || std::strcmp(k->type, "string") == 0) return 0x00490002;
  if (std::strcmp(k->type, "UIntArray") == 0) return 0x00820002;
  if (std::strcmp(k->type, "boolean") == 0) return 0x00030002;
  return 0x00010004;  // "i2", "i4"
}

class Reader {
 public:
  explicit Reader(const TextCtx& ctx) : ctx_(ctx) {}

  // docSize: the size of the document, which bounds the rows' packet size
  // for all but the shortest numeric texts.
  EngineResult Run(pugi::xml_node root, DSPacket* out, std::size_t docSize) {
    pugi::xml_node meta, rowdata;
    if (Is(root.name(), "DATAPACKET")) {
      pugi::xml_node first = FirstElement(root);
      if (!first) return kMismatch;
      if (Is(first.name(), "METADATA")) {
        meta = first;
        rowdata = ChildElement(root, "ROWDATA");
      } else if (Is(first.name(), "ROWDATA")) {
        rowdata = first;
      } else {
        return kMismatch;
      }
    } else if (Is(root.name(), "METADATA")) {
      meta = root;
      for (pugi::xml_node n = NextElement(root); n; n = NextElement(n))
        if (Is(n.name(), "ROWDATA")) rowdata = n;
    } else if (Is(root.name(), "ROWDATA")) {
      rowdata = root;
    } else {
      return kMismatch;
    }
    // rows without column descriptions cannot be typed
    if (!meta) return DBERR_NOMETADATA;
    pugi::xml_node fields = FirstElement(meta);
    if (!fields || !Is(fields.name(), "FIELDS")) return kMismatch;
    levels_.emplace_back();
    if (EngineResult r = ReadLevel(0, fields, ChildElement(meta, "PARAMS"), 0)) return r;
    if (EngineResult r = SizeColumns(rowdata)) return r;

    auto* w = new DSDATAPACKET();
    DSRef<IDSWriter> keep(w, true);
    if (EngineResult r = w->Init_Sequential(PACKETVERSION_1, static_cast<std::uint32_t>(levels_[0].cols.size())))
      return r;
    if (EngineResult r = Meta(*w, 0)) return r;
    if (EngineResult r = w->GetDataPacket(out)) return r;
    std::uint32_t rows = 0;
    if (rowdata) {
      // Reserved once rather than grown by copying: pages never written
      // cost nothing, so the estimate may be generous.
      out->reserve(out->size() + docSize);
      AdviseHugePages(out->data(), out->capacity());
    }
    if (rowdata)
      if (EngineResult r = Rows(0, rowdata, *out, &rows)) return r;
    Wr32(out->data() + 14, rows);
    return DBERR_NONE;
  }

 private:
  EngineResult Text8(std::string_view raw, std::string& out) const {
    return xmlv::DecodeText8(raw, ctx_, out) ? DBERR_NONE : kMismatch;
  }

  // An attribute value parsed into its packet form.
  EngineResult MakeAttr(std::string name, std::uint32_t type, std::string_view text, BAttr& a) {
    a.name = std::move(name);
    a.type = type;
    a.value.clear();
    if (a.name == "SUBTYPE") {  // kept with its terminating zero, as tables write it
      std::string s;
      if (EngineResult r = Text8(text, s)) return r;
      if (s.size() > 0xFFFE) return kMismatch;
      const std::size_t n = s.size() + 1;
      a.value = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8)};
      a.value.insert(a.value.end(), s.begin(), s.end());
      a.value.push_back(0);
      return DBERR_NONE;
    }
    return xmlv::ParseValue(text, type, 0, 0, ctx_, a.value);
  }

  EngineResult ReadParam(pugi::xml_node p, std::vector<BAttr>& into) {
    std::string name;
    if (EngineResult r = Text8(p.attribute("Name").value(), name)) return r;
    if (name.empty() || name.size() > 255) return kMismatch;
    std::uint32_t type = ParamType(p.attribute("Type").value());
    if (Is(p.attribute("Roundtrip").value(), "true")) type |= dsIncInDelta;
    BAttr a;
    if (EngineResult r = MakeAttr(std::move(name), type, p.attribute("Value").value(), a)) return r;
    into.push_back(std::move(a));
    return DBERR_NONE;
  }

  EngineResult ReadParams(pugi::xml_node params, std::vector<BAttr>& into) {
    if (!params) return DBERR_NONE;
    for (pugi::xml_attribute at = params.first_attribute(); at; at = at.next_attribute()) {
      const auto* k = xmlv::FindKnownAttr(at.name(), true);
      std::string name;
      if (EngineResult r = Text8(at.name(), name)) return r;
      BAttr a;
      const std::uint32_t type = k ? KnownAttrType(k, at.value()) : 0x00490002;
      if (EngineResult r = MakeAttr(k ? std::string(k->name) : name, type, at.value(), a)) return r;
      into.push_back(std::move(a));
    }
    for (pugi::xml_node p = FirstElement(params); p; p = NextElement(p))
      if (Is(p.name(), "PARAM"))
        if (EngineResult r = ReadParam(p, into)) return r;
    return DBERR_NONE;
  }

  EngineResult ReadLevel(int li, pugi::xml_node fields, pugi::xml_node params, int depth) {
    for (pugi::xml_node f = FirstElement(fields); f; f = NextElement(f)) {
      if (!Is(f.name(), "FIELD")) continue;
      XCol c;
      pugi::xml_attribute an = f.attribute("attrname");
      if (!an) an = f.attribute("tagname");
      if (!an) return kMismatch;
      c.attr = an.value();
      pugi::xml_attribute fn = f.attribute("fieldname");
      if (EngineResult r = Text8(fn ? fn.value() : an.value(), c.name)) return r;
      pugi::xml_attribute ft = f.attribute("fieldtype");
      if (!ft) return DBERR_INVALIDFLDTYPE;
      c.type = ColumnType(ft.value());
      // an ADT, an unsigned 64-bit integer or an extended float is read as
      // a type, but the engine keeps no XML values for it
      if (c.type == 0 || c.type == 0x010C0000) return DBERR_INVALIDFLDTYPE;
      for (pugi::xml_attribute at = f.first_attribute(); at; at = at.next_attribute()) {
        const std::string_view n = at.name();
        if (Is(n, "attrname") || Is(n, "tagname") || Is(n, "fieldname") || Is(n, "fieldtype")) continue;
        const bool on = Is(at.value(), "true");
        if (Is(n, "readonly")) c.flags |= on ? fldAttrREADONLY : 0;
        else if (Is(n, "hidden")) c.flags |= on ? fldAttrHIDDEN : 0;
        else if (Is(n, "required")) c.flags |= on ? fldAttrREQUIRED : 0;
        else if (Is(n, "linkfield")) c.flags |= on ? fldAttrLINK : 0;
        else {
          const auto* k = xmlv::FindKnownAttr(n, true);
          std::string name;
          if (EngineResult r = Text8(n, name)) return r;
          BAttr a;
          if (EngineResult r = MakeAttr(k ? std::string(k->name) : name, k ? KnownAttrType(k, at.value()) : 0x00490002,
                                        at.value(), a))
            return r;
          if (a.name == "WIDTH") {
            c.width = static_cast<std::int32_t>(Rd16(a.value.data()));
            if (c.width == 0) continue;  // no width: as when none is given
            c.hasWidth = true;
          } else if (a.name == "DECIMALS") {
            c.scale = static_cast<std::int32_t>(Rd16(a.value.data()));
          } else if (a.name == "SUBTYPE") {
            c.subType = SubTypeFromName(reinterpret_cast<const char*>(a.value.data() + 2), a.value.size() - 3);
          }
          c.attrs.push_back(std::move(a));
        }
      }
      for (pugi::xml_node p = FirstElement(f); p; p = NextElement(p))
        if (Is(p.name(), "PARAM"))
          if (EngineResult r = ReadParam(p, c.attrs)) return r;
      if (BaseType(c.type) == dsfldEMBEDDEDTBL) {
        if (depth + 1 > kMaxNesting) return DBERR_NA;
        const int ni = static_cast<int>(levels_.size());
        levels_.emplace_back();
        c.nested = ni;
        pugi::xml_node nf = ChildElement(f, "FIELDS");
        if (!nf) return kMismatch;
        if (EngineResult r = ReadLevel(ni, nf, ChildElement(f, "PARAMS"), depth + 1)) return r;
        c.type = 0x050E0000u + static_cast<std::uint32_t>(levels_[static_cast<std::size_t>(ni)].cols.size());
      }
      levels_[static_cast<std::size_t>(li)].cols.push_back(std::move(c));
    }
    XLevel& L = levels_[static_cast<std::size_t>(li)];
    for (std::uint32_t j = 0; j < L.cols.size(); ++j) L.byAttr.emplace(L.cols[j].attr, j);
    return ReadParams(params, L.tableAttrs);
  }

  // Calls fn(row element) for every row of a level.
  template <class Fn>
  EngineResult EachRow(int li, pugi::xml_node container, int target, Fn& fn) {
    for (pugi::xml_node row = FirstElement(container); row; row = NextElement(row)) {
      if (li == target) {
        if (EngineResult r = fn(row)) return r;
        continue;
      }
      const XLevel& L = levels_[static_cast<std::size_t>(li)];
      for (const auto& c : L.cols)
        if (c.nested >= 0 && LevelLeadsTo(c.nested, target))
          if (pugi::xml_node n = row.child(c.attr.c_str()))
            if (EngineResult r = EachRow(c.nested, n, target, fn)) return r;
    }
    return DBERR_NONE;
  }

  bool LevelLeadsTo(int from, int target) const {
    if (from == target) return true;
    for (const auto& c : levels_[static_cast<std::size_t>(from)].cols)
      if (c.nested >= 0 && LevelLeadsTo(c.nested, target)) return true;
    return false;
  }

  // Final packet types of strings and bytes: widths taken from the values
  // where the document gives none; a "bin.hex" column without sub-type is
  // fixed bytes only when every value has exactly its width (a varying
  // column keeps its values' lengths).
  EngineResult SizeColumns(pugi::xml_node rowdata) {
    for (std::size_t l = 0; l < levels_.size(); ++l) {
      for (auto& c : levels_[l].cols) {
        const std::uint32_t base = BaseType(c.type);
        if (base != dsfldZSTRING && base != dsfldUNICODE && base != dsfldBYTES) continue;
        const bool memo = (c.subType >= fldstMEMO && c.subType <= fldstTYPEDBINARY) || c.subType == fldstWIDEMEMO ||
                          c.subType == fldstHMEMO || c.subType == fldstHBINARY;
        if (base == dsfldBYTES && (memo || !c.hasWidth)) {
          c.type = 0x004B0004;  // a blob
          continue;
        }
        std::size_t maxLen = 0;
        bool exact = true;
        std::string text;
        std::vector<std::uint8_t> bin;
        if (rowdata && (!c.hasWidth || base == dsfldBYTES)) {
          const std::string& attr = c.attr;
          auto scan = [&](pugi::xml_node row) -> EngineResult {
            pugi::xml_attribute a = row.attribute(attr.c_str());
            if (!a) return DBERR_NONE;
            std::size_t n;
            if (base == dsfldBYTES) {
              if (!xmlv::ParseBase64(a.value(), bin)) return kMismatch;
              n = bin.size();
            } else {
              if (!(base == dsfldZSTRING ? xmlv::DecodeText8(a.value(), ctx_, text)
                                         : xmlv::DecodeText16(a.value(), ctx_, text)))
                return kMismatch;
              n = text.size();
            }
            maxLen = std::max(maxLen, n);
            exact = exact && n == static_cast<std::size_t>(c.width);
            return DBERR_NONE;
          };
          if (EngineResult r = EachRow(0, rowdata, static_cast<int>(l), scan)) return r;
        }
        if (!c.hasWidth) {
          const std::size_t cap = static_cast<std::size_t>(kMaxFieldStorage) - 2;
          c.width = static_cast<std::int32_t>(std::max<std::size_t>(1, std::min(maxLen, cap)));
          c.hasWidth = true;
          BAttr a{"WIDTH", 0x00020002, {static_cast<std::uint8_t>(c.width), static_cast<std::uint8_t>(c.width >> 8)}};
          c.attrs.insert(c.attrs.begin(), std::move(a));
        }
        if (c.width <= 0 || c.width > kMaxFieldStorage) return DBERR_INVALIDFLDTYPE;
        if (base == dsfldBYTES && exact) {
          c.type = 0x000B0000u + static_cast<std::uint32_t>(c.width);
          continue;
        }
        c.type = (c.type & 0xFFFF0000u) + (c.width <= 255 ? 1u : 2u);
      }
    }
    return DBERR_NONE;
  }

  static EngineResult PutAttrs(DSDATAPACKET& w, TPcktAttrArea area, const std::vector<BAttr>& attrs) {
    for (const auto& a : attrs)
      if (EngineResult r = w.AddAttribute(area, a.name.c_str(), a.type, static_cast<std::uint32_t>(a.value.size()),
                                          a.value.data()))
        return r;
    return DBERR_NONE;
  }

  EngineResult Meta(DSDATAPACKET& w, int li) {
    const XLevel& L = levels_[static_cast<std::size_t>(li)];
    for (const auto& c : L.cols) {
      TDSDataPacketFldDesc d{};
      std::strncpy(d.szFieldName, c.name.c_str(), DSNAMELEN - 1);
      d.iFieldType = static_cast<std::int32_t>(c.type);
      d.iAttributes = c.flags;
      if (EngineResult r = w.AddColumnDesc(&d)) return r;
      if (EngineResult r = PutAttrs(w, fldAttrArea, c.attrs)) return r;
      if (c.nested >= 0)
        if (EngineResult r = Meta(w, c.nested)) return r;
    }
    if (EngineResult r = PutAttrs(w, pcktAttrArea, L.tableAttrs)) return r;
    return w.AddAttribute(pcktAttrArea, nullptr, 0, 0, nullptr);
  }

  EngineResult Rows(int li, pugi::xml_node container, DSPacket& out, std::uint32_t* count) {
    const XLevel& L = levels_[static_cast<std::size_t>(li)];
    const std::size_t nc = L.cols.size();
    std::vector<const char*> vals(nc);
    std::vector<pugi::xml_node> nested(nc);
    for (pugi::xml_node row = FirstElement(container); row; row = NextElement(row)) {
      ++*count;
      std::uint32_t status = 0;
      std::fill(vals.begin(), vals.end(), nullptr);
      std::size_t hint = 0;
      for (pugi::xml_attribute at = row.first_attribute(); at; at = at.next_attribute()) {
        const char* name = at.name();
        std::size_t j = nc;
        if (hint < nc && L.cols[hint].attr == name) {
          j = hint;
        } else if (std::strcmp(name, "RowState") == 0) {
          std::uint64_t v;
          if (!xmlv::ParseInt(at.value(), false, 1, &v)) return kMismatch;
          status = static_cast<std::uint32_t>(v);
          continue;
        } else {
          auto it = L.byAttr.find(name);
          if (it != L.byAttr.end()) j = it->second;
        }
        if (j < nc) {  // attributes that name no column are passed over
          vals[j] = at.value();
          hint = j + 1;
        }
      }
      for (std::size_t j = 0; j < nc; ++j)
        if (L.cols[j].nested >= 0) nested[j] = row.child(L.cols[j].attr.c_str());
      out.push_back(static_cast<std::uint8_t>(status));
      const std::size_t bits = out.size();
      out.resize(out.size() + (nc + 3) / 4, 0);
      for (std::size_t j = 0; j < nc; ++j) {
        const XCol& c = L.cols[j];
        const bool missing = c.nested >= 0 ? !nested[j] : vals[j] == nullptr;
        if (missing) {
          out[bits + j / 4] |= static_cast<std::uint8_t>(1u << (2 * (j % 4)));
          continue;
        }
        if (c.nested >= 0) {
          const std::size_t pos = out.size();
          out.resize(pos + 4, 0);
          std::uint32_t n = 0;
          if (EngineResult r = Rows(c.nested, nested[j], out, &n)) return r;
          Wr32(out.data() + pos, n);
          continue;
        }
        const std::int32_t width = c.type == 0x004B0004 ? 0 : c.width;
        if (EngineResult r = xmlv::ParseValue(vals[j], c.type, width, c.scale, ctx_, out)) return r;
      }
    }
    return DBERR_NONE;
  }

  const TextCtx& ctx_;
  std::vector<XLevel> levels_;
};

bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

}  // namespace

EngineResult XmlToPacket(const std::uint8_t* xml, std::size_t size, std::int32_t codePage, DSPacket* out) noexcept {
  if (!out || (!xml && size)) return DBERR_INVALIDPARAM;
  if (size > kMaxXmlDocument) return DBERR_NOMEMORY;
  try {
    std::string_view doc(reinterpret_cast<const char*>(xml), size);
    bool utf8 = false;
    if (StartsWith(doc, "\xEF\xBB\xBF")) {
      utf8 = true;
      doc.remove_prefix(3);
    } else if (StartsWith(doc, "\xFF\xFE") || StartsWith(doc, "\xFE\xFF")) {
      return kMismatch;  // UTF-16 documents are not written by the engine
    }
    if (StartsWith(doc, "<?xml")) {
      const std::string_view decl = doc.substr(0, doc.find("?>"));
      const std::size_t e = decl.find("encoding");
      if (e != std::string_view::npos) {
        const std::size_t q = decl.find_first_of("\"'", e);
        if (q != std::string_view::npos) {
          const std::size_t q2 = decl.find(decl[q], q + 1);
          const std::string_view enc = decl.substr(q + 1, q2 == std::string_view::npos ? 0 : q2 - q - 1);
          if (Is(enc, "UTF-8") || Is(enc, "UTF8")) utf8 = true;
        }
      }
    }
    // pugixml parses in place: one owned copy of the document (it would
    // make the same copy itself), backed by huge pages when it is big, so
    // that a large packet does not pay a page fault per 4 KiB. It must
    // outlive the document, whose names and values point into it.
    const auto text = std::make_unique_for_overwrite<char[]>(doc.size() + 1);
    AdviseHugePages(text.get(), doc.size() + 1);
    if (!doc.empty()) std::memcpy(text.get(), doc.data(), doc.size());
    pugi::xml_document d;
    const pugi::xml_parse_result res =
        d.load_buffer_inplace(text.get(), doc.size(), pugi::parse_minimal, pugi::encoding_utf8);
    if (res.status == pugi::status_out_of_memory) return DBERR_NOMEMORY;
    if (!res) return kMismatch;
    pugi::xml_node root = FirstElement(d);
    if (!root) return kMismatch;
    const auto cp = xmlv::CodePageMap::Get(codePage);
    TextCtx ctx{cp.get(), utf8};
    Reader r(ctx);
    out->clear();
    return r.Run(root, out, doc.size());
  } catch (...) {
    return DBERR_NOMEMORY;
  }
}

}  // namespace engine
