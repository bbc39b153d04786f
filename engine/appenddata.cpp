// DSBASE::AppendData: building a table from a binary packet.
#include <cstring>
#include <strings.h>
#include <unordered_map>

#include "engine/bcd.h"
#include "engine/dstable.h"
#include "engine/fieldlayout.h"
#include "engine/hugepages.h"
#include "engine/masterdetail.h"
#include "engine/packetformat.h"
#include "engine/packetreader.h"
#include "engine/xmlpacket.h"

namespace engine {

namespace {

bool NameIs(const std::string& n, const char* s) { return strcasecmp(n.c_str(), s) == 0; }

// Integer value of a fixed integer/boolean attribute.
bool AttrInt(const PacketAttr& a, std::int64_t* out) {
  const std::uint32_t t = a.type & ~dsIncInDelta;
  if ((t & (dsArrayFldType | dsVaryingFldType)) != 0) return false;
  const std::uint32_t base = BaseType(t), size = SizeBits(t);
  if (base != dsfldINT && base != dsfldUINT && base != dsfldBOOL) return false;
  if (a.size != size) return false;
  std::uint64_t v = 0;
  for (std::uint32_t i = 0; i < size; ++i) v |= std::uint64_t{a.value[i]} << (8 * i);
  if (base == dsfldINT && size < 8 && (v >> (8 * size - 1)) & 1) v |= ~std::uint64_t{0} << (8 * size);
  *out = static_cast<std::int64_t>(v);
  return true;
}

// Elements of a uint16 / uint32 array attribute.
bool AttrArray(const PacketAttr& a, std::uint32_t elemSize, std::vector<std::uint32_t>& out) {
  const std::uint32_t t = a.type & ~dsIncInDelta;
  if (!(t & dsArrayFldType) || SizeBits(t) != elemSize || a.size < 4) return false;
  const std::uint32_t n = Rd32(a.value);
  if (a.size != 4 + std::size_t{n} * elemSize) return false;
  out.clear();
  for (std::uint32_t i = 0; i < n; ++i)
    out.push_back(elemSize == 2 ? Rd16(a.value + 4 + 2 * i) : Rd32(a.value + 4 + 4 * i));
  return true;
}

OptParam Keep(const PacketAttr& a) {
  OptParam p;
  p.name = a.name;
  p.type = a.type;
  p.value.assign(a.value, a.value + a.size);
  return p;
}

}  // namespace

// Stores the rows of a packet into a table and its nested tables.
class TableLoader final : public RowVisitor {
 public:
  TableLoader(DSBASE* top, const DSEXTRACT& x) : x_(x) {
    const auto& lv = x.levels();
    tables_.assign(lv.size(), nullptr);
    slot_.assign(lv.size(), 0);
    link_.assign(lv.size(), 0);
    tables_[0] = top;
    for (std::size_t l = 0; l < lv.size(); ++l)
      for (std::size_t c = 0; c < lv[l].cols.size(); ++c)
        if (lv[l].cols[c].nested >= 0 && tables_[l])
          tables_[static_cast<std::size_t>(lv[l].cols[c].nested)] = tables_[l]->Nested(static_cast<std::uint32_t>(c));
  }

  EngineResult BeginRow(int level, std::uint8_t status) override {
    DSBASE* t = tables_[static_cast<std::size_t>(level)];
    if (!t) return DBERR_DATAPACKETMISMATCH;
    const std::uint32_t s = t->d_.AddSlot();
    t->d_.attrs[s - 1] = status;
    if (level > 0) {
      const std::uint32_t link = link_[static_cast<std::size_t>(level)];
      t->d_.links[s - 1] = link;
      t->slotsOfLink_[link].push_back(s);
    }
    slot_[static_cast<std::size_t>(level)] = s;
    return DBERR_NONE;
  }

  EngineResult Value(int level, std::uint32_t col, std::uint8_t blank, const std::uint8_t* p,
                     std::uint32_t len) override {
    DSBASE* t = tables_[static_cast<std::size_t>(level)];
    const DSFLDDesc& f = t->d_.fields[col];
    std::uint8_t* rec = t->d_.Rec(slot_[static_cast<std::size_t>(level)]);
    std::uint8_t* v = rec + f.iFldOffsInRec;
    if (blank == BLANK_NOTCHANGED && (f.iFldType == fldTABLE || f.iFldType == fldBLOB) && !t->d_.isDelta &&
        (t->d_.attrs[slot_[static_cast<std::size_t>(level)] - 1] & dsRecModified)) {
      // the value of the row's original version, written once with it
      const std::uint32_t org = OriginalOf(*t, slot_[static_cast<std::size_t>(level)]);
      if (org != 0) {
        const std::uint8_t* o = t->d_.Rec(org);
        std::memcpy(v, o + f.iFldOffsInRec, 4);
        rec[f.iNullOffsInRec] = o[f.iNullOffsInRec];
        return DBERR_NONE;
      }
    }
    if (blank) {
      rec[f.iNullOffsInRec] = blank;
      return DBERR_NONE;
    }
    const std::size_t flen = static_cast<std::size_t>(f.iFldLen);
    switch (f.iFldType) {
      case fldZSTRING: {
        std::size_t n = std::min<std::size_t>(len, flen - 1);
        const void* z = n ? std::memchr(p, 0, n) : nullptr;
        if (z) n = static_cast<std::size_t>(static_cast<const std::uint8_t*>(z) - p);
        std::memcpy(v, p, n);
        break;
      }
      case fldUNICODE:
      case fldVARBYTES: {
        const std::size_t n = std::min<std::size_t>(len, flen - 2);
        Wr16(v, static_cast<std::uint32_t>(n));
        std::memcpy(v + 2, p, n);
        break;
      }
      case fldBLOB: {
        std::uint32_t id;
        if (!p) id = len;  // not fetched: the length word with bit 31
        else id = t->d_.blobs.Add(std::vector<std::uint8_t>(p, p + len));
        Wr32(v, id);
        break;
      }
      case fldBCD:
      case fldFMTBCD:
        // Stored in the column's precision and scale, as a value put
        // through a cursor would be: a packet's image may carry more digits
        // than its column keeps, and cutting its bytes would change the
        // number. A value whose integer part does not fit is damaged data.
        // A packet carries 32 digits at most, so no more are kept of it.
        if (NormalizeBcd(p, static_cast<std::int32_t>(len), f.iUnits1 > 0 && f.iUnits1 < 32 ? f.iUnits1 : 32,
                         f.iUnits2, v, static_cast<std::int32_t>(flen)) != DBERR_NONE)
          return DBERR_DATAPACKETMISMATCH;
        break;
      case fldADT:
      case fldARRAY:
      case fldREF: break;
      default: std::memcpy(v, p, std::min<std::size_t>(len, flen)); break;
    }
    return DBERR_NONE;
  }

  EngineResult BeginNested(int level, std::uint32_t col, std::int32_t count) override {
    DSBASE* t = tables_[static_cast<std::size_t>(level)];
    DSBASE* n = t->Nested(col);
    const int nl = x_.levels()[static_cast<std::size_t>(level)].cols[col].nested;
    if (!n || nl < 0) return DBERR_DATAPACKETMISMATCH;
    const std::uint32_t link = ++n->nextLink_;
    if (link >= 0x80000000u) return DBERR_DATAPACKETMISMATCH;
    n->slotsOfLink_.resize(link + 1);
    std::uint8_t* rec = t->d_.Rec(slot_[static_cast<std::size_t>(level)]);
    Wr32(rec + t->d_.fields[col].iFldOffsInRec, link | (count < 0 ? 0x80000000u : 0u));
    link_[static_cast<std::size_t>(nl)] = link;
    return DBERR_NONE;
  }
  EngineResult EndNested(int, std::uint32_t) override { return DBERR_NONE; }
  EngineResult EndRow(int) override { return DBERR_NONE; }

 private:
  // The original version of a modified row from the table's log, when it
  // was read before the row (0 otherwise).
  std::uint32_t OriginalOf(const DSBASE& t, std::uint32_t slot) {
    auto it = originals_.find(&t);
    if (it == originals_.end()) it = originals_.emplace(&t, t.OriginalVersions()).first;
    const auto f = it->second.find(slot);
    return f == it->second.end() || f->second == 0 || f->second >= slot ? 0 : f->second;
  }
  std::unordered_map<const DSBASE*, std::unordered_map<std::uint32_t, std::uint32_t>> originals_;
  const DSEXTRACT& x_;
  std::vector<DSBASE*> tables_;
  std::vector<std::uint32_t> slot_, link_;
};

// Rows of a top level whose columns are all plain values (no blobs, ADTs or
// nested tables), read straight into the record storage. Same checks as
// DSEXTRACT::ReadRows; false when the table does not qualify.
static bool LoadFlatRows(const DSEXTRACT& x, TableData& d, EngineResult* result) {
  const auto& L = x.levels()[0];
  struct Plan {
    std::int32_t type, off, nullOff, len;
    std::uint32_t vs;
    bool varying;
  };
  std::vector<Plan> plan;
  for (std::size_t j = 0; j < L.cols.size(); ++j) {
    const auto& c = L.cols[j];
    const auto& f = d.fields[j];
    if ((c.type & dsPseudoFldType) || c.nested >= 0 || f.iFldType == fldBLOB || f.iFldType == fldBCD ||
        f.iFldType == fldFMTBCD)
      return false;
    plan.push_back({f.iFldType, f.iFldOffsInRec, f.iNullOffsInRec, f.iFldLen, c.valueSize, IsVarying(c.type)});
  }
  const std::uint8_t* p = x.data();
  const std::size_t size = x.size();
  std::size_t pos = x.metadataEnd();
  const std::size_t sb = (plan.size() + 3) / 4;
  const std::size_t fit = (size - pos) / (1 + sb);
  const std::size_t rows = std::min<std::size_t>(x.header().rows, fit);
  const std::size_t base = d.SlotCount();
  const std::size_t rs = static_cast<std::size_t>(d.recSize);
  d.rows.reserve((base + rows) * rs);
  AdviseHugePages(d.rows.data(), d.rows.capacity());
  d.rows.resize((base + rows) * rs, 0);
  d.attrs.resize(base + rows, 0);
  *result = DBERR_DATAPACKETMISMATCH;
  if (rows < x.header().rows) return true;
  for (std::size_t i = 0; i < rows; ++i) {
    if (size - pos < 1 + sb) return true;
    std::uint8_t* rec = d.rows.data() + (base + i) * rs;
    d.attrs[base + i] = p[pos];
    const std::uint8_t* bits = p + pos + 1;
    pos += 1 + sb;
    for (std::size_t j = 0; j < plan.size(); ++j) {
      const Plan& c = plan[j];
      const unsigned b = (bits[j / 4] >> (2 * (j % 4))) & 3u;
      if (b) {
        rec[c.nullOff] = (b & 1) ? BLANK_NULL : BLANK_NOTCHANGED;
        continue;
      }
      std::uint8_t* v = rec + c.off;
      std::uint32_t l = c.vs;  // a fixed value: its size
      if (c.varying) {
        if (size - pos < c.vs) return true;
        l = c.vs == 1 ? p[pos] : c.vs == 2 ? Rd16(p + pos) : Rd32(p + pos);
        pos += c.vs;
        if (c.vs == 4 && (l & 0x80000000u)) return true;
      }
      if (size - pos < l) return true;
      const std::uint8_t* src = p + pos;
      pos += l;
      if (c.type == fldZSTRING) {
        std::size_t n = std::min<std::size_t>(l, static_cast<std::size_t>(c.len) - 1);
        const void* z = n ? std::memchr(src, 0, n) : nullptr;
        if (z) n = static_cast<std::size_t>(static_cast<const std::uint8_t*>(z) - src);
        std::memcpy(v, src, n);
      } else if (c.type == fldUNICODE || c.type == fldVARBYTES) {
        const std::size_t n = std::min<std::size_t>(l, static_cast<std::size_t>(c.len) - 2);
        Wr16(v, static_cast<std::uint32_t>(n));
        std::memcpy(v + 2, src, n);
      } else {
        std::memcpy(v, src, std::min<std::size_t>(l, static_cast<std::size_t>(c.len)));
      }
    }
  }
  *result = DBERR_NONE;
  return true;
}

EngineResult DSBASE::ApplyTableAttrs(const std::vector<PacketAttr>& attrs, std::vector<DSIDXDesc>& extra) {
  std::vector<std::uint32_t> arr;
  const std::uint32_t nf = static_cast<std::uint32_t>(d_.fields.size());
  auto keyDesc = [&](const char* name, bool flags, DSIDXDesc& d) {
    d = DSIDXDesc{};
    CopyName(d.szName, DSNAMELEN, name);
    if (arr.empty() || arr.size() > MAXKEYFIELDS) return false;
    d.iFields = static_cast<std::int32_t>(arr.size());
    for (std::size_t i = 0; i < arr.size(); ++i) {
      const std::uint32_t fno = arr[i] & 0x3FFFu;
      if (fno < 1 || fno > nf || (!flags && (arr[i] & 0xC000u))) return false;
      d.iKeyFields[i] = static_cast<std::int32_t>(fno);
      d.bDescending[i] = (arr[i] & dskeyDESCENDING) != 0;
      d.bCaseInsensitive[i] = (arr[i] & dskeyCASEINSENSITIVE) != 0;
    }
    return DSIndex::Check(d_, d) == DBERR_NONE;
  };
  std::int64_t iv = 0;
  bool hasAutoInc = false;
  for (const auto& f : d_.fields) hasAutoInc = hasAutoInc || (f.iFldSubType == fldstAUTOINC && f.iFldLen == 4);
  for (const auto& a : attrs) {
    const std::string& n = a.name;
    if (NameIs(n, "DEFAULT_ORDER") && !hasDefaultOrderAttr_) {
      if (!AttrArray(a, 2, arr) || !keyDesc("DEFAULT_ORDER", true, defaultOrderDesc_)) return DBERR_DATAPACKETMISMATCH;
      hasDefaultOrderAttr_ = true;
    } else if ((NameIs(n, "UNIQUE_KEY") || NameIs(n, "PRIMARY_KEY")) && AttrArray(a, 2, arr)) {
      DSIDXDesc d;
      if (!keyDesc(n.c_str(), false, d)) return DBERR_DATAPACKETMISMATCH;
      bool same = hasDefaultOrderAttr_ && d.iFields == defaultOrderDesc_.iFields && defaultUnique_ == 0;
      for (int i = 0; same && i < d.iFields; ++i) same = d.iKeyFields[i] == defaultOrderDesc_.iKeyFields[i];
      if (same) {
        defaultUnique_ = NameIs(n, "PRIMARY_KEY") ? 2 : 1;
      } else {
        d.bUnique = 1;
        extra.push_back(d);
        tableParams_.push_back(Keep(a));
      }
    } else if (NameIs(n, "CHANGE_LOG")) {
      if (!AttrArray(a, 4, arr) || arr.size() % 3 != 0) return DBERR_DATAPACKETMISMATCH;
      changeLog_ = arr;
    } else if (NameIs(n, "AUTOINCVALUE") && hasAutoInc && AttrInt(a, &iv)) {
      autoIncValue_ = static_cast<std::int32_t>(iv);
    } else {
      if (NameIs(n, "LCID") && AttrInt(a, &iv)) {
        lcid_ = Collation::KnownLocale(static_cast<std::int32_t>(iv)) ? static_cast<std::int32_t>(iv) : 0;
        d_.coll = Collation::Get(lcid_, codePage_);
      } else if (NameIs(n, "READONLY") && AttrInt(a, &iv)) {
        readOnly_ = iv != 0;
      } else if ((NameIs(n, "DATASET_DELTA") || NameIs(n, "DELTA")) ) {
        d_.isDelta = true;
        logChanges_ = false;
      } else if (NameIs(n, "DISABLE_DELETES") && AttrInt(a, &iv)) {
        disableDeletes_ = iv != 0;
      } else if (NameIs(n, "DISABLE_INSERTS") && AttrInt(a, &iv)) {
        disableInserts_ = iv != 0;
      } else if (NameIs(n, "DISABLE_EDITS") && AttrInt(a, &iv)) {
        disableEdits_ = iv != 0;
      } else if (NameIs(n, "MD_SEMANTICS") && AttrInt(a, &iv)) {
        mdSemantics_ = static_cast<std::int32_t>(iv);
      } else if (NameIs(n, "UPDATEMODE") && AttrInt(a, &iv)) {
        remoteUpdateMode_ = static_cast<std::int32_t>(iv);
      }
      tableParams_.push_back(Keep(a));
    }
  }
  return DBERR_NONE;
}

EngineResult DSBASE::BuildFromMetadata(const DSEXTRACT& x, int level, bool nested) {
  const PacketLevel& L = x.levels()[static_cast<std::size_t>(level)];
  d_.nested = nested;
  std::vector<DSFLDDesc> fields;
  std::vector<std::vector<OptParam>> params;
  for (const auto& col : L.cols) {
    DSFLDDesc f{};
    CopyName(f.szName, DSNAMELEN, col.name);
    if (EngineResult r = FieldTypeForPacket(col.type, &f.iFldType)) return r;
    f.iFldAttr = col.flags;
    const std::uint32_t size = SizeBits(col.type);
    if (col.type & dsPseudoFldType) f.iUnits1 = static_cast<std::int32_t>(size);
    else if (!IsVarying(col.type)) {
      f.iFldLen = static_cast<std::int32_t>(size);
      if (f.iFldType == fldBYTES) f.iUnits1 = static_cast<std::int32_t>(size);
    }
    bool hasWidth = false;
    std::vector<OptParam> kept;
    for (const auto& a : col.attrs) {
      std::int64_t iv = 0;
      if (NameIs(a.name, "SUBTYPE") && IsVarying(a.type & ~dsIncInDelta)) {
        const std::uint32_t w = SizeBits(a.type);
        std::size_t n = a.size - w;
        const char* s = reinterpret_cast<const char*>(a.value + w);
        const void* z = std::memchr(s, 0, n);
        if (z) n = static_cast<std::size_t>(static_cast<const char*>(z) - s);
        f.iFldSubType = SubTypeFromName(s, n);
        if (f.iFldSubType == fldstAUTOINC) f.iFldAttr |= fldAttrREADONLY;
      } else if (NameIs(a.name, "DECIMALS") && AttrInt(a, &iv)) {
        if (iv < 0 || iv > 0xFFFF) return DBERR_INVALIDFLDTYPE;
        f.iUnits2 = static_cast<std::int32_t>(iv);
      } else if ((NameIs(a.name, "WIDTH") || NameIs(a.name, "ELEMENTS")) && AttrInt(a, &iv)) {
        if (iv < 0 || iv > kMaxFieldStorage) return DBERR_INVALIDFLDTYPE;
        f.iUnits1 = static_cast<std::int32_t>(iv);
        hasWidth = true;
      } else if (NameIs(a.name, "CALCULATED") && AttrInt(a, &iv)) {
        f.bCalculated = iv != 0;
      } else {
        kept.push_back(Keep(a));
      }
    }
    if ((f.iFldType == fldBCD || f.iFldType == fldFMTBCD) && !hasWidth)
      f.iUnits1 = size >= 2 && size != 34 ? static_cast<std::int32_t>((size - 2) * 2) : 0;  // 34: precision 0
    if ((f.iFldType == fldZSTRING || f.iFldType == fldUNICODE || f.iFldType == fldVARBYTES) &&
        IsVarying(col.type) && !hasWidth)
      return DBERR_INVALIDPARAM;
    fields.push_back(f);
    params.push_back(std::move(kept));
  }
  if (fields.empty()) return DBERR_NOMETADATA;
  d_.fields = fields;
  if (EngineResult r = FinishLayout()) return r;
  fieldParams_ = std::move(params);
  std::vector<DSIDXDesc> extra;
  if (EngineResult r = ApplyTableAttrs(L.tableAttrs, extra)) return r;
  MarkConstraintRequiredFields();
  for (std::size_t c = 0; c < L.cols.size(); ++c) {
    if (L.cols[c].nested < 0) continue;
    DSRef<DSBASE> n(new DSBASE(), true);
    n->master_ = this;
    n->codePage_ = codePage_;
    n->lcid_ = lcid_;
    n->d_.coll = d_.coll;
    n->slotsOfLink_.resize(1);
    if (EngineResult r = n->BuildFromMetadata(x, L.cols[c].nested, true)) return r;
    nested_[c] = n;
  }
  ReadNestedLinkFields();
  pendingIndexes_ = std::move(extra);  // built with the rows
  return DBERR_NONE;
}

// "MD_FIELDLINKS" of the table's nested tables: [nested field number, n
// master field numbers, n detail field numbers]. An entry that does not fit
// the fields is kept as a parameter only.
void DSBASE::ReadNestedLinkFields() {
  std::vector<std::uint32_t> arr;
  for (const auto& p : tableParams_) {
    if (!NameIs(p.name, "MD_FIELDLINKS")) continue;
    PacketAttr a;
    a.name = p.name;
    a.type = p.type;
    a.value = p.value.data();
    a.size = p.value.size();
    if (!AttrArray(a, 2, arr) || arr.size() < 3 || arr.size() % 2 == 0) continue;
    const std::uint32_t tf = arr[0], n = static_cast<std::uint32_t>(arr.size() - 1) / 2;
    if (tf < 1 || tf > d_.fields.size() || !Nested(tf - 1)) continue;
    const DSBASE* det = Nested(tf - 1);
    FieldLink l;
    l.table = Nested(tf - 1);
    bool ok = true;
    for (std::uint32_t i = 0; i < n && ok; ++i) {
      const std::uint32_t m = arr[1 + i], d = arr[1 + n + i];
      ok = m >= 1 && m <= d_.fields.size() && d >= 1 && d <= det->d_.fields.size() &&
           LinkableFields(d_.fields[m - 1], det->d_.fields[d - 1]);
      l.masterFields.push_back(m - 1);
      l.detailFields.push_back(d - 1);
    }
    if (!ok) continue;
    if (nestedLinks_.size() < d_.fields.size()) nestedLinks_.resize(d_.fields.size());
    nestedLinks_[tf - 1] = std::move(l);
  }
}

EngineResult DSBASE::AppendData(const std::uint8_t* packet, std::size_t size, DSBool last) noexcept {
  std::lock_guard lock(mu_);
  if (!packet) {
    if (last) partial_ = false;
    return DBERR_NONE;
  }
  DSEXTRACT x;
  if (x.Open(packet, size) != DBERR_NONE) {
    // not a binary packet: the XML reader decides
    DSPacket bin;
    if (EngineResult rx = XmlToPacket(packet, size, codePage_, &bin)) return rx;
    return AppendData(bin.data(), bin.size(), last);
  }
  const bool fresh = !HasFields();
  try {
    if (fresh) {
      if (!(x.header().flags & kPacketHasMetadata)) return DBERR_NOMETADATA;
      if (EngineResult r = x.ReadMetadata()) {
        ClearAll();
        return r;
      }
      EngineResult r = BuildFromMetadata(x, 0, false);
      if (r == DBERR_NONE) {
        // room for the announced rows, but never more than the bytes can hold
        const std::size_t minRow = 1 + (d_.fields.size() + 3) / 4;
        const std::size_t fit = (size - x.metadataEnd()) / minRow;
        const std::size_t hint = std::min<std::size_t>(x.header().rows, fit) + 25;
        if (!LoadFlatRows(x, d_, &r)) {
          d_.rows.reserve(hint * static_cast<std::size_t>(d_.recSize));
          d_.attrs.reserve(hint);
          TableLoader loader(this, x);
          r = x.ReadRows(loader);
        }
      }
      if (r == DBERR_NONE) r = BuildIndexes();
      if (r == DBERR_NONE) r = LoadedLogCheck();
      if (r != DBERR_NONE) {
        ClearAll();
        return r;
      }
    } else {
      if (d_.SlotCount() > 0 && !partial_) return DBERR_CANNOTAPPEND;
      if (EngineResult r = x.ReadMetadata()) return r;
      const auto& top = x.levels()[0];
      if (top.cols.size() != d_.fields.size()) return DBERR_DATAPACKETMISMATCH;
      for (std::size_t i = 0; i < top.cols.size(); ++i) {
        std::int32_t t = 0;
        if (FieldTypeForPacket(top.cols[i].type, &t) || (t != d_.fields[i].iFldType && !(t == fldVARBYTES && d_.fields[i].iFldType == fldBLOB)))
          return DBERR_DATAPACKETMISMATCH;
        if (top.cols[i].nested >= 0) return DBERR_NOTSUPPORTED;
      }
      const std::size_t oldRows = d_.rows.size(), oldAttrs = d_.attrs.size();
      const std::size_t oldBlobs = d_.blobs.entries.size();
      TableLoader loader(this, x);
      EngineResult r = x.ReadRows(loader);
      if (r != DBERR_NONE) {
        d_.rows.resize(oldRows);
        d_.attrs.resize(oldAttrs);
        d_.blobs.entries.resize(oldBlobs);
        return r;
      }
      for (auto& ix : indexes_) ix->Rebuild(ix->desc());
      d_.blobs.committed = static_cast<std::uint32_t>(d_.blobs.entries.size());
    }
  } catch (...) {
    if (fresh) ClearAll();
    return DBERR_NOMEMORY;
  }
  partial_ = !last;
  return DBERR_NONE;
}


}  // namespace engine
