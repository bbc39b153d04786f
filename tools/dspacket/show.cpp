// JSON form of a binary packet.
#include <fmt/format.h>

#include <cstring>

#include "engine/bcd.h"
#include "engine/dsintf.h"
#include "engine/packetformat.h"
#include "engine/packetreader.h"
#include "packet_json.h"
#include "value_text.h"

namespace dspacket {

using namespace engine;

namespace {

std::string Hex32(std::uint32_t v) { return fmt::format("0x{:08X}", v); }

template <class T>
T Ld(const std::uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

Json Number(double d) { return Json(d); }

std::string SqlTimestamp(const std::uint8_t* p) {
  return fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}.{:03}", Ld<std::int16_t>(p), Ld<std::uint16_t>(p + 2),
                     Ld<std::uint16_t>(p + 4), Ld<std::uint16_t>(p + 6), Ld<std::uint16_t>(p + 8),
                     Ld<std::uint16_t>(p + 10), Ld<std::uint32_t>(p + 12));
}

// A value of a fixed or varying packet type (not nested, not pseudo).
Json ValueJson(std::uint32_t type, const std::uint8_t* p, std::uint32_t len, std::int32_t width) {
  const std::uint32_t base = BaseType(type), size = SizeBits(type);
  if (!p) return Json{{"not_fetched", true}};
  if (IsVarying(type)) {
    if (base == dsfldZSTRING) {
      std::size_t n = len;
      const void* z = std::memchr(p, 0, n);
      if (z) n = static_cast<std::size_t>(static_cast<const std::uint8_t*>(z) - p);
      if (width > 0 && n > static_cast<std::size_t>(width)) n = static_cast<std::size_t>(width);
      return Latin(p, n);
    }
    if (base == dsfldUNICODE) return Utf16Le(p, len);
    return Hex(p, len);
  }
  switch (base) {
    case dsfldINT:
      switch (size) {
        case 1: return Ld<std::int8_t>(p);
        case 2: return Ld<std::int16_t>(p);
        case 4: return Ld<std::int32_t>(p);
        default: return Ld<std::int64_t>(p);
      }
    case dsfldUINT:
      switch (size) {
        case 1: return p[0];
        case 2: return Ld<std::uint16_t>(p);
        case 4: return Ld<std::uint32_t>(p);
        default: return Ld<std::uint64_t>(p);
      }
    case dsfldBOOL: {
      bool any = false;
      for (std::uint32_t i = 0; i < size; ++i) any = any || p[i];
      return any;
    }
    case dsfldFLOATIEEE:
    case dsfldSINGLE:
      if (size == 4) return Number(static_cast<double>(Ld<float>(p)));
      if (size == 8) return Number(Ld<double>(p));
      {
        long double x = 0;
        std::memcpy(&x, p, 10);
        return Number(static_cast<double>(x));
      }
    case dsfldBCD:
    case dsfldFMTBCD: return BcdToText(p, static_cast<std::int32_t>(kPacketBcdSize));
    case dsfldDATE: return DateText(Ld<std::int32_t>(p));
    case dsfldTIME: return TimeText(Ld<std::int32_t>(p));
    case dsfldTIMESTAMP: {
      const double v = Ld<double>(p);
      if (!(v > -9e18 && v < 9e18)) return nullptr;
      const auto ms = static_cast<std::int64_t>(v);
      std::int64_t days = ms / 86400000, rest = ms % 86400000;
      if (rest < 0) {
        rest += 86400000;
        --days;
      }
      if (days < INT32_MIN || days > INT32_MAX) return nullptr;
      return DateText(static_cast<std::int32_t>(days)) + "T" + TimeText(rest);
    }
    case dsfldDATETIME: return SqlTimestamp(p);
    case dsfldDATETIMEOFFSET: {
      const std::int16_t h = Ld<std::int16_t>(p + 16);
      const std::uint16_t m = Ld<std::uint16_t>(p + 18);
      return SqlTimestamp(p) + fmt::format("{}{:02}:{:02}", h < 0 ? '-' : '+', h < 0 ? -h : h, m);
    }
    case dsfldZSTRING: {
      std::size_t n = size;
      const void* z = std::memchr(p, 0, n);
      if (z) n = static_cast<std::size_t>(static_cast<const std::uint8_t*>(z) - p);
      return Latin(p, n);
    }
    case dsfldUNICODE: return Utf16Le(p, size);
    default: return Hex(p, size);
  }
}

Json AttrValue(const PacketAttr& a) {
  const std::uint32_t t = a.type & ~dsIncInDelta;
  if (t & dsArrayFldType) {
    Json list = Json::array();
    const std::uint32_t n = Rd32(a.value);
    std::uint32_t vs = 0;
    CheckPacketType(t & ~dsArrayFldType, true, &vs);
    for (std::uint32_t i = 0; i < n; ++i) list.push_back(ValueJson(t & ~dsArrayFldType, a.value + 4 + i * vs, vs, 0));
    return list;
  }
  if (IsVarying(t)) {
    const std::uint32_t w = SizeBits(t);
    return ValueJson(t, a.value + w, static_cast<std::uint32_t>(a.size - w), 0);
  }
  return ValueJson(t, a.value, static_cast<std::uint32_t>(a.size), 0);
}

Json Attrs(const std::vector<PacketAttr>& attrs) {
  Json list = Json::array();
  for (const auto& a : attrs) {
    Json j;
    j["name"] = Latin(reinterpret_cast<const std::uint8_t*>(a.name.data()), a.name.size());
    j["type"] = Hex32(a.type);
    j["value"] = AttrValue(a);
    list.push_back(j);
  }
  return list;
}

Json Fields(const DSEXTRACT& x, int level, IDSBase* table) {
  const auto& L = x.levels()[static_cast<std::size_t>(level)];
  std::vector<DSFLDDesc> f(L.cols.size());
  table->GetFieldDescs(f.data());
  Json list = Json::array();
  for (std::size_t i = 0; i < L.cols.size(); ++i) {
    const DSFLDDesc& d = f[i];
    const PacketColumn& c = L.cols[i];
    Json j;
    j["name"] = Latin(reinterpret_cast<const std::uint8_t*>(d.szName), std::strlen(d.szName));
    const char* tn = FieldTypeName(d.iFldType);
    j["type"] = tn ? std::string(tn) : std::to_string(d.iFldType);
    j["type_code"] = d.iFldType;
    j["size"] = d.iFldLen;
    const auto t = d.iFldType;
    const bool isBcd = t == fldBCD || t == fldFMTBCD;
    if (t == fldZSTRING || t == fldUNICODE || t == fldWIDESTRING || t == fldBYTES || t == fldVARBYTES || isBcd ||
        t == fldADT || t == fldTABLE || t == fldARRAY)
      j["width"] = d.iUnits1;
    if (isBcd) j["decimals"] = d.iUnits2;
    j["subtype"] = d.iFldSubType;
    j["flags"] = d.iFldAttr;
    j["packet_type"] = Hex32(c.type);
    j["attrs"] = Attrs(c.attrs);
    if (d.iFieldIDParent != 0 && d.iFieldIDParent <= f.size())
      j["parent"] = Latin(reinterpret_cast<const std::uint8_t*>(f[d.iFieldIDParent - 1].szName),
                          std::strlen(f[d.iFieldIDParent - 1].szName));
    if (c.nested >= 0) {
      DSRef<IDSBase> n;
      if (table->GetEmbeddedDS(static_cast<std::uint32_t>(i + 1), n.put()) == DBERR_NONE)
        j["fields"] = Fields(x, c.nested, n.get());
    }
    list.push_back(j);
  }
  return list;
}

// Collects rows into JSON while the reader walks them.
class JsonRows final : public RowVisitor {
 public:
  JsonRows(const DSEXTRACT& x, std::vector<std::vector<std::int32_t>> widths) : x_(x), widths_(std::move(widths)) {}
  Json status = Json::array(), rows = Json::array();

  EngineResult BeginRow(int, std::uint8_t st) override {
    Frame& f = Top();
    f.status->push_back(st);
    f.row = Json::array();
    return DBERR_NONE;
  }
  EngineResult Value(int level, std::uint32_t col, std::uint8_t blank, const std::uint8_t* p,
                     std::uint32_t len) override {
    Frame& f = Top();
    const PacketColumn& c = x_.levels()[static_cast<std::size_t>(level)].cols[col];
    if (blank == BLANK_NULL) f.row.push_back(nullptr);
    else if (blank) f.row.push_back(Json{{"unchanged", true}});
    else if (c.type & dsPseudoFldType) f.row.push_back(Json::object());
    else f.row.push_back(ValueJson(c.type, p, len, widths_[static_cast<std::size_t>(level)][col]));
    return DBERR_NONE;
  }
  EngineResult BeginNested(int, std::uint32_t, std::int32_t) override {
    stack_.push_back(Frame{});
    stack_.back().nestedStatus = Json::array();
    stack_.back().nestedRows = Json::array();
    stack_.back().status = &stack_.back().nestedStatus;
    stack_.back().rows = &stack_.back().nestedRows;
    return DBERR_NONE;
  }
  EngineResult EndNested(int, std::uint32_t) override {
    Frame done = std::move(stack_.back());
    stack_.pop_back();
    Json j;
    j["status"] = std::move(done.nestedStatus);
    j["rows"] = std::move(done.nestedRows);
    Top().row.push_back(std::move(j));
    return DBERR_NONE;
  }
  EngineResult EndRow(int) override {
    Frame& f = Top();
    f.rows->push_back(std::move(f.row));
    return DBERR_NONE;
  }

 private:
  struct Frame {
    Json* status = nullptr;
    Json* rows = nullptr;
    Json row;
    Json nestedStatus, nestedRows;
  };
  Frame& Top() {
    if (stack_.empty()) {
      stack_.push_back(Frame{&status, &rows, Json::array(), {}, {}});
    }
    Frame& f = stack_.back();
    if (stack_.size() > 1) {
      f.status = &f.nestedStatus;
      f.rows = &f.nestedRows;
    }
    return f;
  }
  const DSEXTRACT& x_;
  std::vector<std::vector<std::int32_t>> widths_;
  std::vector<Frame> stack_;
};

void Widths(const DSEXTRACT& x, int level, IDSBase* t, std::vector<std::vector<std::int32_t>>& out) {
  const auto& L = x.levels()[static_cast<std::size_t>(level)];
  std::vector<DSFLDDesc> f(L.cols.size());
  t->GetFieldDescs(f.data());
  auto& w = out[static_cast<std::size_t>(level)];
  for (std::size_t i = 0; i < f.size(); ++i) {
    w.push_back(f[i].iFldType == fldZSTRING ? f[i].iUnits1 : 0);
    if (L.cols[i].nested >= 0) {
      DSRef<IDSBase> n;
      if (t->GetEmbeddedDS(static_cast<std::uint32_t>(i + 1), n.put()) == DBERR_NONE) Widths(x, L.cols[i].nested, n.get(), out);
    }
  }
}

}  // namespace

EngineResult ShowPacket(const std::vector<std::uint8_t>& packet, Json& out, std::string& where) {
  DSRef<IDSBase> t;
  if (EngineResult r = CreateDSBase(t.put())) return r;
  const std::uint8_t* data = packet.empty() ? reinterpret_cast<const std::uint8_t*>("") : packet.data();
  if (EngineResult r = t->AppendData(data, packet.size(), 1)) return r;
  DSEXTRACT x;
  if (EngineResult r = x.Open(data, packet.size())) return r;
  if (EngineResult r = x.ReadMetadata()) return r;
  const PacketHeader& h = x.header();
  out = Json::object();
  Json header;
  header["magic"] = Hex32(h.magic);
  header["major"] = h.major;
  header["minor"] = h.minor;
  header["header_size"] = h.headerSize;
  header["columns"] = h.columns;
  header["rows"] = h.rows;
  header["flags"] = h.flags;
  header["row_data_offset"] = h.rowDataOffset;
  out["header"] = header;
  out["fields"] = Fields(x, 0, t.get());
  out["table_attrs"] = Attrs(x.levels()[0].tableAttrs);
  std::vector<std::vector<std::int32_t>> widths(x.levels().size());
  Widths(x, 0, t.get(), widths);
  JsonRows rows(x, widths);
  if (EngineResult r = x.ReadRows(rows)) {
    where = fmt::format("row data near byte {}", x.rowsEnd());
    return r;
  }
  out["status"] = rows.status;
  out["rows"] = rows.rows;
  Json visible = Json::array();
  DSRef<IDSCursor> c;
  if (EngineResult r = CreateDSCursor(c.put())) return r;
  if (EngineResult r = c->InitCursor(t.get())) return r;
  while (c->MoveRelative(1) == DBERR_NONE) {
    std::uint32_t recNo = 0;
    c->GetRecordNumber(&recNo);
    visible.push_back(recNo - 1);
  }
  out["visible"] = visible;
  return DBERR_NONE;
}

}  // namespace dspacket
