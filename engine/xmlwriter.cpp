// Writing a binary packet as an XML document: the exact text of the XML
// packet form, written directly (no formatting library in the way).
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "engine/packetformat.h"
#include "engine/packetreader.h"
#include "engine/xmlnames.h"
#include "engine/xmlpacket.h"
#include "engine/xmlvalues.h"

namespace engine {

bool XmlModeSupported(std::int32_t mode) noexcept { return mode == xmlOFF || mode == xmlON || mode == xmlUTF8; }

namespace {

using xmlv::TextCtx;

class XmlWriter final : public RowVisitor {
 public:
  XmlWriter(const DSEXTRACT& x, const TextCtx& ctx, std::string& out) : x_(x), ctx_(ctx), out_(out) {
    frames_.reserve(kMaxFrames);
  }

  EngineResult Names() {
    const auto& lv = x_.levels();
    attrNames_.resize(lv.size());
    rowTags_.assign(lv.size(), "ROW");
    std::uint32_t running = 0;
    for (std::size_t l = 0; l < lv.size(); ++l) {
      std::set<std::string> taken{"RowState"};
      for (const auto& c : lv[l].cols) {
        ++running;
        if (c.name == "RowState") return DBERR_NA;
        // the characters that may not stand in an attribute name become "_";
        // a name still not valid, or taken by an earlier column, gets the
        // column's running number instead
        std::string n = c.name;
        for (char& ch : n)
          if (std::strchr(" !#$%()*?", ch) && ch != 0) ch = '_';
        if (!xmlv::IsXmlName(n) || taken.count(n)) {
          n = "xF" + std::to_string(running);
          while (taken.count(n)) n += '_';
        }
        taken.insert(n);
        std::string text;  // in the document's encoding (names need no escaping)
        xmlv::AppendText8(text, reinterpret_cast<const std::uint8_t*>(n.data()), n.size(), ctx_);
        attrNames_[l].push_back(text);
      }
      for (std::size_t c = 0; c < lv[l].cols.size(); ++c)
        if (lv[l].cols[c].nested >= 0)
          rowTags_[static_cast<std::size_t>(lv[l].cols[c].nested)] = "ROW" + attrNames_[l][c];
    }
    return DBERR_NONE;
  }

  EngineResult Attr(const PacketAttr& a, const xmlv::KnownAttr* known) {
    const std::uint32_t type = a.type & ~dsIncInDelta;
    const std::uint8_t* v = a.value;
    std::size_t n = a.size;
    if (IsVarying(type)) {
      const std::uint32_t w = SizeBits(type);
      v += w;
      n -= w;
    }
    if (known && known->type && std::strcmp(known->type, "boolean") == 0 && !(type & dsArrayFldType) &&
        !IsVarying(type) && (BaseType(type) == dsfldINT || BaseType(type) == dsfldUINT || BaseType(type) == dsfldBOOL)) {
      bool any = false;
      for (std::size_t i = 0; i < n; ++i) any = any || v[i] != 0;
      out_ += any ? "TRUE" : "FALSE";
      return DBERR_NONE;
    }
    return xmlv::AppendValue(out_, type, v, n, ctx_);
  }

  void Text(const std::string& s) {
    xmlv::AppendText8(out_, reinterpret_cast<const std::uint8_t*>(s.data()), s.size(), ctx_);
  }

  // <PARAM Name= Value= Type= Roundtrip=/>
  EngineResult Param(const PacketAttr& a) {
    const char* tn = xmlv::XmlTypeName(a.type);
    if (!tn) return DBERR_FIELDTYPENOTSUPPORTEDXML;
    out_ += "<PARAM Name=\"";
    Text(a.name);
    out_ += "\" Value=\"";
    if (EngineResult r = Attr(a, nullptr)) return r;
    out_ += '"';
    if (BaseType(a.type) != dsfldZSTRING || (a.type & dsArrayFldType)) {
      out_ += " Type=\"";
      out_ += tn;
      out_ += '"';
    }
    if (a.type & dsIncInDelta) out_ += " Roundtrip=\"True\"";
    out_ += "/>";
    return DBERR_NONE;
  }

  EngineResult Params(const std::vector<PacketAttr>& attrs) {
    out_ += "<PARAMS";
    std::vector<const PacketAttr*> elems;
    for (const auto& a : attrs) {
      const auto* k = xmlv::FindKnownAttr(a.name, false);
      if (!k) {
        elems.push_back(&a);
        continue;
      }
      out_ += ' ';
      out_ += a.name;
      out_ += "=\"";
      if (EngineResult r = Attr(a, k)) return r;
      out_ += '"';
    }
    if (elems.empty()) {
      out_ += "/>";
      return DBERR_NONE;
    }
    out_ += '>';
    for (const auto* a : elems)
      if (EngineResult r = Param(*a)) return r;
    out_ += "</PARAMS>";
    return DBERR_NONE;
  }

  EngineResult Fields(int li) {
    const PacketLevel& L = x_.levels()[static_cast<std::size_t>(li)];
    out_ += "<FIELDS>";
    for (std::size_t c = 0; c < L.cols.size(); ++c) {
      const PacketColumn& col = L.cols[c];
      const char* tn = xmlv::XmlTypeName(col.type);
      if (!tn) return DBERR_FIELDTYPENOTSUPPORTEDXML;
      const std::string& an = attrNames_[static_cast<std::size_t>(li)][c];
      out_ += "<FIELD";
      std::string plain;
      xmlv::AppendText8(plain, reinterpret_cast<const std::uint8_t*>(col.name.data()), col.name.size(), ctx_);
      if (plain != an) {
        out_ += " fieldname=\"";
        out_ += plain;
        out_ += '"';
      }
      out_ += " attrname=\"";
      out_ += an;
      out_ += "\" fieldtype=\"";
      out_ += tn;
      out_ += '"';
      if (col.flags & fldAttrREADONLY) out_ += " readonly=\"true\"";
      if (col.flags & fldAttrREQUIRED) out_ += " required=\"true\"";
      if (col.flags & fldAttrHIDDEN) out_ += " hidden=\"true\"";
      if (col.flags & fldAttrLINK) out_ += " linkfield=\"true\"";
      const bool fixedBytes = BaseType(col.type) == dsfldBYTES && !IsVarying(col.type);
      if (fixedBytes) {
        out_ += " WIDTH=\"" + std::to_string(SizeBits(col.type)) + '"';
      } else {
        for (const auto& a : col.attrs)
          if (a.name == "WIDTH") {
            out_ += " WIDTH=\"";
            if (EngineResult r = Attr(a, nullptr)) return r;
            out_ += '"';
            break;
          }
      }
      std::vector<const PacketAttr*> elems;
      for (const auto& a : col.attrs) {
        if (a.name == "WIDTH" || a.name == "FIELDPROPS") continue;
        const auto* k = xmlv::FindKnownAttr(a.name, false);
        if (!k) {
          elems.push_back(&a);
          continue;
        }
        out_ += ' ';
        out_ += a.name;
        out_ += "=\"";
        if (EngineResult r = Attr(a, k)) return r;
        out_ += '"';
      }
      if (elems.empty() && col.nested < 0) {
        out_ += "/>";
        continue;
      }
      out_ += '>';
      for (const auto* a : elems)
        if (EngineResult r = Param(*a)) return r;
      if (col.nested >= 0) {
        if (EngineResult r = Fields(col.nested)) return r;
        if (EngineResult r = Params(x_.levels()[static_cast<std::size_t>(col.nested)].tableAttrs)) return r;
      }
      out_ += "</FIELD>";
    }
    out_ += "</FIELDS>";
    return DBERR_NONE;
  }

  // --- rows ---
  EngineResult BeginRow(int level, std::uint8_t status) override {
    if (frames_.size() >= kMaxFrames) return DBERR_NA;
    std::string& dest = Dest();
    const std::string& tag = rowTags_[static_cast<std::size_t>(level)];
    dest += '<';
    dest += tag;
    if (status != 0) {
      dest += " RowState=\"";
      dest += std::to_string(status);
      dest += '"';
    }
    frames_.push_back(Frame{level, static_cast<int>(frames_.size()) - 1, {}});
    return DBERR_NONE;
  }

  EngineResult Value(int level, std::uint32_t col, std::uint8_t blank, const std::uint8_t* p,
                     std::uint32_t len) override {
    if (blank) return DBERR_NONE;  // null and unchanged values are left out
    const PacketColumn& c = x_.levels()[static_cast<std::size_t>(level)].cols[col];
    if (!p && IsVarying(c.type)) return DBERR_DELAYEDFETCHNOTSUPPORTEDXML;
    std::string& dest = Owner();
    dest += ' ';
    dest += attrNames_[static_cast<std::size_t>(level)][col];
    dest += "=\"";
    if (EngineResult r = xmlv::AppendValue(dest, c.type, p, len, ctx_)) return r;
    dest += '"';
    return DBERR_NONE;
  }

  EngineResult BeginNested(int level, std::uint32_t col, std::int32_t count) override {
    if (count < 0) return DBERR_DELAYEDFETCHNOTSUPPORTEDXML;
    std::string& content = frames_.back().content;
    content += '<';
    content += attrNames_[static_cast<std::size_t>(level)][col];
    content += '>';
    return DBERR_NONE;
  }

  EngineResult EndNested(int level, std::uint32_t col) override {
    std::string& content = frames_.back().content;
    content += "</";
    content += attrNames_[static_cast<std::size_t>(level)][col];
    content += '>';
    return DBERR_NONE;
  }

  EngineResult EndRow(int level) override {
    Frame f = std::move(frames_.back());
    frames_.pop_back();
    std::string& dest = Dest();
    if (f.content.empty()) {
      dest += "/>";
    } else {
      dest += '>';
      dest += f.content;
      dest += "</";
      dest += rowTags_[static_cast<std::size_t>(level)];
      dest += '>';
    }
    return DBERR_NONE;
  }

 private:
  static constexpr std::size_t kMaxFrames = 80;
  struct Frame {
    int level;
    int parent;  // frame whose content holds this row's tag, -1: the document
    std::string content;
  };
  // Where the tag of a new row goes: the open row's nested content, or the document.
  std::string& Dest() { return frames_.empty() ? out_ : frames_.back().content; }
  // Where the attributes of the open row go.
  std::string& Owner() {
    const int p = frames_.back().parent;
    return p < 0 ? out_ : frames_[static_cast<std::size_t>(p)].content;
  }

  const DSEXTRACT& x_;
  const TextCtx& ctx_;
  std::string& out_;
  std::vector<std::vector<std::string>> attrNames_;
  std::vector<std::string> rowTags_;
  std::vector<Frame> frames_;
};

}  // namespace

EngineResult PacketToXml(const std::uint8_t* packet, std::size_t size, std::int32_t mode, std::int32_t codePage,
                         DSPacket* out) noexcept {
  if (!out || !packet) return DBERR_INVALIDPARAM;
  if (mode != xmlON && mode != xmlUTF8) return DBERR_NOTSUPPORTED;
  try {
    DSEXTRACT x;
    if (EngineResult r = x.Open(packet, size)) return r;
    if (EngineResult r = x.ReadMetadata()) return r;
    const auto cp = xmlv::CodePageMap::Get(codePage);
    TextCtx ctx{cp.get(), (mode & xmlXMLUTF8) != 0};
    std::string doc;
    doc.reserve(size + size / 2 + 256);
    doc += ctx.utf8 ? "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>  "
                    : "<?xml version=\"1.0\" standalone=\"yes\"?>  ";
    doc += "<DATAPACKET Version=\"2.0\"><METADATA>";
    XmlWriter w(x, ctx, doc);
    if (EngineResult r = w.Names()) return r;
    if (EngineResult r = w.Fields(0)) return r;
    if (EngineResult r = w.Params(x.levels()[0].tableAttrs)) return r;
    doc += "</METADATA><ROWDATA>";
    if (EngineResult r = x.ReadRows(w)) return r;
    doc += "</ROWDATA></DATAPACKET>";
    out->assign(doc.begin(), doc.end());
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  return DBERR_NONE;
}

}  // namespace engine
