// DSBASE::StreamDS: writing a table as a binary packet.
#include <cstring>
#include <memory>
#include <unordered_map>

#include "engine/dstable.h"
#include "engine/fieldcompare.h"
#include "engine/hugepages.h"
#include "engine/packetformat.h"
#include "engine/packetwriter.h"
#include "engine/xmlpacket.h"

namespace engine {

class TableStreamer {
 public:
  explicit TableStreamer(DSPacket& out) : out_(out) {}

  // Where a nested table's rows land in the packet: the reader numbers them
  // in that order, so a nested change log is written in those numbers.
  using Renumbering = std::unordered_map<const DSBASE*, std::unordered_map<std::uint32_t, std::uint32_t>>;

  // The original version of a modified record (from the table's log).
  std::uint32_t OriginalOf(const DSBASE& t, std::uint32_t slot) {
    auto it = originals_.find(&t);
    if (it == originals_.end()) it = originals_.emplace(&t, t.OriginalVersions()).first;
    const auto f = it->second.find(slot);
    return f == it->second.end() ? 0 : f->second;
  }

  // A nested-table or blob value of a modified row that its original version
  // holds as well is written as unchanged, so that nested rows appear once
  // and the reader shares the original's value.
  bool SameAsOriginal(const DSBASE& t, std::uint32_t slot, const DSFLDDesc& f) {
    const TableData& d = t.d_;
    if (d.isDelta || !(d.attrs[slot - 1] & dsRecModified)) return false;
    const std::uint32_t org = OriginalOf(t, slot);
    if (org == 0 || org >= slot) return false;
    const std::uint8_t* a = d.Rec(slot);
    const std::uint8_t* b = d.Rec(org);
    return a[f.iNullOffsInRec] == b[f.iNullOffsInRec] &&
           std::memcmp(a + f.iFldOffsInRec, b + f.iFldOffsInRec, 4) == 0;
  }

  // Follows the rows exactly as Row writes them and numbers each nested
  // table's rows in that order.
  void Order(const DSBASE& t, const std::vector<std::uint32_t>& slots, Renumbering& ren) {
    const auto cols = Columns(t);
    for (std::uint32_t slot : slots) {
      const std::uint8_t* rec = t.d_.Rec(slot);
      for (std::uint32_t c : cols) {
        const DSFLDDesc& f = t.d_.fields[c];
        const DSBASE* n = t.Nested(c);
        if (f.iFldType != fldTABLE || !n || rec[f.iNullOffsInRec]) continue;
        const std::uint32_t link = Rd32(rec + f.iFldOffsInRec);
        if ((link & 0x80000000u) || SameAsOriginal(t, slot, f)) continue;
        std::vector<std::uint32_t> rows;
        bool zs = false;
        SelectRows(*n, &n->SlotsOfLink(link), false, rows, zs);
        auto& m = ren[n];
        for (std::uint32_t r : rows) m.emplace(r, static_cast<std::uint32_t>(m.size() + 1));
        Order(*n, rows, ren);
      }
    }
  }

  // A nested table's log in the numbers its rows get in the packet; entries
  // about rows that are not written are left out.
  static std::vector<std::uint32_t> RenumberedLog(const DSBASE& t, const Renumbering* ren) {
    if (!t.d_.nested || !ren) return t.changeLog_;
    static const std::unordered_map<std::uint32_t, std::uint32_t> kNone;
    const auto it = ren->find(&t);
    const auto& m = it == ren->end() ? kNone : it->second;
    std::vector<std::uint32_t> out;
    for (std::size_t at = 0; at + 2 < t.changeLog_.size(); at += 3) {
      const std::uint32_t s = t.changeLog_[at], p = t.changeLog_[at + 1], k = t.changeLog_[at + 2];
      const auto ns = m.find(s);
      if (ns == m.end()) continue;
      std::uint32_t np = p;
      if (k == 8) {
        const auto q = m.find(p);
        if (q == m.end()) continue;
        np = q->second;
      }
      out.insert(out.end(), {ns->second, np, k});
    }
    return out;
  }

  static std::vector<std::uint32_t> Columns(const DSBASE& t) {
    std::vector<std::uint32_t> cols;
    const auto& f = t.d_.fields;
    for (std::uint32_t i = 0; i < f.size(); ++i)
      if (!(f[i].bCalculated == 2 && !(f[i].iFldAttr & fldAttrLINK))) cols.push_back(i);
    return cols;
  }

  static EngineResult Meta(const DSBASE& t, IDSWriter& w, bool attrs, const Renumbering* ren) {
    const auto cols = Columns(t);
    for (std::uint32_t i : cols) {
      const DSFLDDesc& f = t.d_.fields[i];
      TDSDataPacketFldDesc d{};
      std::memcpy(d.szFieldName, f.szName, DSNAMELEN);
      d.iFieldType = static_cast<std::int32_t>(PacketTypeForField(f));
      if (f.iFldType == fldTABLE && t.Nested(i))
        d.iFieldType = static_cast<std::int32_t>(0x050E0000u + Columns(*t.Nested(i)).size());
      d.iAttributes = static_cast<std::uint16_t>(f.iFldAttr);
      if (EngineResult r = w.AddColumnDesc(&d)) return r;
      if (attrs) {
        std::uint8_t buf[64];
        if (const char* st = SubTypeName(f.iFldSubType)) {
          const std::size_t n = std::strlen(st);
          Wr16(buf, static_cast<std::uint32_t>(n + 1));
          std::memcpy(buf + 2, st, n + 1);
          if (EngineResult r = w.AddAttribute(fldAttrArea, "SUBTYPE", 0x00490002u, static_cast<std::uint32_t>(n + 3), buf)) return r;
        }
        const bool parentType = f.iFldType == fldADT || f.iFldType == fldARRAY;
        if (f.iUnits2 != 0 && !parentType) {
          Wr16(buf, static_cast<std::uint32_t>(f.iUnits2));
          if (EngineResult r = w.AddAttribute(fldAttrArea, "DECIMALS", 0x00020002u, 2, buf)) return r;
        }
        const auto ty = f.iFldType;
        if (f.iUnits1 != 0 && (ty == fldZSTRING || ty == fldVARBYTES || ty == fldUNICODE || ty == fldBLOB ||
                               ty == fldFMTBCD || ty == fldBCD)) {
          Wr16(buf, static_cast<std::uint32_t>(f.iUnits1));
          if (EngineResult r = w.AddAttribute(fldAttrArea, "WIDTH", 0x00020002u, 2, buf)) return r;
        }
        if (f.bCalculated && !(f.iFldAttr & fldAttrLINK)) {
          Wr16(buf, 1);
          if (EngineResult r = w.AddAttribute(fldAttrArea, "CALCULATED", 0x00020002u, 2, buf)) return r;
        }
        if (i < t.fieldParams_.size())
          for (const auto& p : t.fieldParams_[i])
            if (EngineResult r = w.AddAttribute(fldAttrArea, p.name.c_str(), p.type,
                                                static_cast<std::uint32_t>(p.value.size()), p.value.data()))
              return r;
      }
      if (f.iFldType == fldTABLE && t.Nested(i))
        if (EngineResult r = Meta(*t.Nested(i), w, attrs, ren)) return r;
    }
    if (attrs) {
      if (!t.d_.isDelta) {
        auto def = t.DefaultOrder();
        if (def && def->keyFields() > 0) {
          std::vector<std::uint8_t> v(4 + 2 * def->keyFields());
          std::vector<std::uint8_t> plain(v.size());
          Wr32(v.data(), def->keyFields());
          Wr32(plain.data(), def->keyFields());
          const DSIDXDesc& d = def->desc();
          for (std::uint32_t k = 0; k < def->keyFields(); ++k) {
            std::uint32_t x = static_cast<std::uint32_t>(d.iKeyFields[k]);
            Wr16(plain.data() + 4 + 2 * k, x);
            if (d.bDescending[k]) x |= dskeyDESCENDING;
            if (d.bCaseInsensitive[k]) x |= dskeyCASEINSENSITIVE;
            Wr16(v.data() + 4 + 2 * k, x);
          }
          if (EngineResult r = w.AddAttribute(pcktAttrArea, "DEFAULT_ORDER", 0x00820002u,
                                              static_cast<std::uint32_t>(v.size()), v.data()))
            return r;
          if (d.bUnique) {
            const char* name = t.defaultUnique_ == 2 ? "PRIMARY_KEY" : "UNIQUE_KEY";
            if (EngineResult r = w.AddAttribute(pcktAttrArea, name, 0x00820002u,
                                                static_cast<std::uint32_t>(plain.size()), plain.data()))
              return r;
          }
        }
        const std::vector<std::uint32_t> log = RenumberedLog(t, ren);
        if (!log.empty()) {
          std::vector<std::uint8_t> v(4 + 4 * log.size());
          Wr32(v.data(), static_cast<std::uint32_t>(log.size()));
          for (std::size_t k = 0; k < log.size(); ++k) Wr32(v.data() + 4 + 4 * k, log[k]);
          if (EngineResult r = w.AddAttribute(pcktAttrArea, "CHANGE_LOG", 0x00820004u,
                                              static_cast<std::uint32_t>(v.size()), v.data()))
            return r;
        }
        bool hasAutoInc = false;
        for (const auto& f : t.d_.fields) hasAutoInc = hasAutoInc || (f.iFldSubType == fldstAUTOINC && f.iFldLen == 4);
        if (hasAutoInc) {
          std::uint8_t b[4];
          Wr32(b, static_cast<std::uint32_t>(t.autoIncValue_));
          if (EngineResult r = w.AddAttribute(pcktAttrArea, "AUTOINCVALUE", 0x00010004u, 4, b)) return r;
        }
      }
      for (const auto& p : t.tableParams_)
        if (EngineResult r = w.AddAttribute(pcktAttrArea, p.name.c_str(), p.type,
                                            static_cast<std::uint32_t>(p.value.size()), p.value.data()))
          return r;
    }
    return w.AddAttribute(pcktAttrArea, nullptr, 0, 0, nullptr);
  }

  // Slots to write, with the status to write for each.
  static void SelectRows(const DSBASE& t, const std::vector<std::uint32_t>* subset, bool top,
                         std::vector<std::uint32_t>& slots, bool& zeroStatus) {
    const TableData& d = t.d_;
    const bool logEmpty = t.changeLog_.empty();
    // a pending change log keeps every slot and status it refers to, even
    // when logging has been switched off since
    zeroStatus = !t.logChanges_ && !d.isDelta && logEmpty;
    auto def = t.DefaultOrder();
    slots.clear();
    if (top && !subset && logEmpty && def && def->keyFields() > 0 && def->count() > 0) {
      slots.reserve(def->count());
      for (std::uint32_t p = 1; p <= def->count(); ++p) slots.push_back(def->SlotAt(p));
      return;
    }
    auto take = [&](std::uint32_t s) {
      const std::uint8_t a = d.attrs[s - 1];
      if (logEmpty && (a & dsUnused)) return;
      if (zeroStatus && (a & dsIsNotVisible)) return;
      slots.push_back(s);
    };
    if (subset) {
      for (auto s : *subset) take(s);
    } else {
      slots.reserve(d.SlotCount());
      for (std::uint32_t s = 1; s <= d.SlotCount(); ++s) take(s);
    }
  }

  void Row(const DSBASE& t, const std::vector<std::uint32_t>& cols, std::uint32_t slot, bool zeroStatus) {
    const TableData& d = t.d_;
    const std::uint8_t* rec = d.Rec(slot);
    out_.push_back(zeroStatus ? 0 : d.attrs[slot - 1]);
    const std::size_t bits = out_.size();
    out_.resize(out_.size() + (cols.size() + 3) / 4, 0);
    for (std::size_t j = 0; j < cols.size(); ++j) {
      const DSFLDDesc& f = d.fields[cols[j]];
      const std::uint8_t blank = rec[f.iNullOffsInRec];
      if (blank) {
        out_[bits + j / 4] |= static_cast<std::uint8_t>(1u << (2 * (j % 4) + (blank == BLANK_NOTCHANGED ? 1 : 0)));
        continue;
      }
      const std::uint8_t* v = rec + f.iFldOffsInRec;
      const std::size_t len = static_cast<std::size_t>(f.iFldLen);
      switch (f.iFldType) {
        case fldZSTRING: {
          std::size_t n = StringLength(v, f.iFldLen);
          static const std::uint8_t zero = 0;
          const std::uint8_t* src = v;
          if (n == 0) {
            n = 1;
            src = &zero;
          }
          PutLen(n, len <= 254 ? 1 : 2);
          out_.insert(out_.end(), src, src + n);
          break;
        }
        case fldUNICODE:
        case fldVARBYTES: {
          const std::size_t n = std::min<std::size_t>(Rd16(v), static_cast<std::size_t>(f.iUnits1));
          PutLen(n, len <= 254 ? 1 : 2);
          out_.insert(out_.end(), v + 2, v + 2 + n);
          break;
        }
        case fldBLOB: {
          const std::uint32_t id = Rd32(v);
          if (SameAsOriginal(t, slot, f)) {
            out_[bits + j / 4] |= static_cast<std::uint8_t>(2u << (2 * (j % 4)));
            break;
          }
          if (id & dsDELAYEDBIT) {
            PutLen(id, 4);
            break;
          }
          const auto* b = d.blobs.Get(id);
          const std::size_t n = b ? b->size() : 0;
          PutLen(n, 4);
          if (n) out_.insert(out_.end(), b->begin(), b->end());
          break;
        }
        case fldTABLE: {
          const std::uint32_t link = Rd32(v);
          const DSBASE* n = t.Nested(cols[j]);
          if (SameAsOriginal(t, slot, f)) {
            out_[bits + j / 4] |= static_cast<std::uint8_t>(2u << (2 * (j % 4)));
            break;
          }
          if ((link & 0x80000000u) || !n) {
            PutLen(0x80000000u, 4);
            break;
          }
          std::vector<std::uint32_t> slots;
          bool zs = false;
          SelectRows(*n, &n->SlotsOfLink(link), false, slots, zs);
          PutLen(slots.size(), 4);
          const auto ncols = Columns(*n);
          for (auto s : slots) Row(*n, ncols, s, zs);
          break;
        }
        case fldADT:
        case fldARRAY:
        case fldREF: break;
        case fldBCD:
        case fldFMTBCD: {
          const std::size_t n = std::min<std::size_t>(len, kPacketBcdSize);
          out_.insert(out_.end(), v, v + n);
          out_.resize(out_.size() + (kPacketBcdSize - n), 0);
          break;
        }
        case fldINT8:
        case fldUINT8:
        case fldBOOL8: out_.push_back(v[0]); break;
        default: out_.insert(out_.end(), v, v + len); break;
      }
    }
  }

 // Writes one row of a table without blobs or nested tables at w (room for
  // MaxRow bytes); returns the end.
  static std::uint8_t* RowFlat(const TableData& d, const std::vector<std::uint32_t>& cols, std::uint32_t slot,
                               bool zeroStatus, std::uint8_t* w) {
    const std::uint8_t* rec = d.Rec(slot);
    *w++ = zeroStatus ? 0 : d.attrs[slot - 1];
    std::uint8_t* bits = w;
    const std::size_t nb = (cols.size() + 3) / 4;
    std::memset(bits, 0, nb);
    w += nb;
    for (std::size_t j = 0; j < cols.size(); ++j) {
      const DSFLDDesc& f = d.fields[cols[j]];
      const std::uint8_t blank = rec[f.iNullOffsInRec];
      if (blank) {
        bits[j / 4] |= static_cast<std::uint8_t>(1u << (2 * (j % 4) + (blank == BLANK_NOTCHANGED ? 1 : 0)));
        continue;
      }
      const std::uint8_t* v = rec + f.iFldOffsInRec;
      const std::size_t len = static_cast<std::size_t>(f.iFldLen);
      switch (f.iFldType) {
        case fldZSTRING: {
          std::size_t n = StringLength(v, f.iFldLen);
          const bool two = len > 254;
          if (n == 0) {
            *w++ = 1;
            if (two) *w++ = 0;
            *w++ = 0;
            break;
          }
          *w++ = static_cast<std::uint8_t>(n);
          if (two) *w++ = static_cast<std::uint8_t>(n >> 8);
          std::memcpy(w, v, n);
          w += n;
          break;
        }
        case fldUNICODE:
        case fldVARBYTES: {
          const std::size_t n = std::min<std::size_t>(Rd16(v), static_cast<std::size_t>(f.iUnits1));
          *w++ = static_cast<std::uint8_t>(n);
          if (len > 254) *w++ = static_cast<std::uint8_t>(n >> 8);
          std::memcpy(w, v + 2, n);
          w += n;
          break;
        }
        case fldADT:
        case fldARRAY:
        case fldREF: break;
        case fldBCD:
        case fldFMTBCD: {
          const std::size_t n = std::min<std::size_t>(len, kPacketBcdSize);
          std::memcpy(w, v, n);
          std::memset(w + n, 0, kPacketBcdSize - n);
          w += kPacketBcdSize;
          break;
        }
        case fldINT8:
        case fldUINT8:
        case fldBOOL8: *w++ = v[0]; break;
        case fldINT32:
        case fldDATE:
        case fldTIME:
        case fldUINT32:
          std::memcpy(w, v, 4);
          w += 4;
          break;
        default:
          std::memcpy(w, v, len);
          w += len;
          break;
      }
    }
    return w;
  }

  static std::size_t MaxRow(const TableData& d, const std::vector<std::uint32_t>& cols) {
    std::size_t n = 1 + (cols.size() + 3) / 4;
    for (auto c : cols) {
      const auto& f = d.fields[c];
      n += f.iFldType == fldBCD || f.iFldType == fldFMTBCD ? kPacketBcdSize : static_cast<std::size_t>(f.iFldLen) + 2;
    }
    return n;
  }

 private:
  void PutLen(std::size_t n, int width) {
    std::uint8_t b[4];
    Wr32(b, static_cast<std::uint32_t>(n));
    out_.insert(out_.end(), b, b + width);
  }
  DSPacket& out_;
  std::unordered_map<const DSBASE*, std::unordered_map<std::uint32_t, std::uint32_t>> originals_;
};

EngineResult DSBASE::StreamDS(DSPacket* packet) noexcept {
  std::lock_guard lock(mu_);
  if (!packet) return DBERR_INVALIDPARAM;
  const auto cols = TableStreamer::Columns(*this);
  if (cols.empty()) return DBERR_NA;
  if (!XmlModeSupported(xmlStreamMode_)) return DBERR_NOTSUPPORTED;
  try {
    DSDATAPACKET* w = new DSDATAPACKET();
    DSRef<IDSWriter> wref(w, true);
    if (EngineResult r = w->Init_Sequential(PACKETVERSION_1, static_cast<std::uint32_t>(cols.size()))) return r;
    DSPacket& out = *packet;
    std::vector<std::uint32_t> slots;
    bool zeroStatus = false;
    TableStreamer::SelectRows(*this, nullptr, true, slots, zeroStatus);
    TableStreamer::Renumbering ren;
    TableStreamer s(out);
    if (HasNestedTables()) s.Order(*this, slots, ren);
    if (EngineResult r = TableStreamer::Meta(*this, *w, !dontInclMetadata_, &ren)) return r;
    if (EngineResult r = w->GetDataPacket(&out)) return r;
    bool flat = true;
    for (auto c : cols) flat = flat && d_.fields[c].iFldType != fldBLOB && d_.fields[c].iFldType != fldTABLE;
    if (flat) {
      // fixed upper bound per row: write through a pointer, then trim
      // (an uninitialised buffer: only the bytes written are touched)
      const std::size_t room = slots.size() * TableStreamer::MaxRow(d_, cols) + 1;
      std::unique_ptr<std::uint8_t[]> buf(new std::uint8_t[room]);
      AdviseHugePages(buf.get(), room);
      std::uint8_t* end = buf.get();
      for (auto slot : slots) end = TableStreamer::RowFlat(d_, cols, slot, zeroStatus, end);
      out.reserve(out.size() + static_cast<std::size_t>(end - buf.get()));
      AdviseHugePages(out.data(), out.capacity());
      out.insert(out.end(), buf.get(), end);
    } else {
      out.reserve(out.size() + slots.size() * (static_cast<std::size_t>(d_.recSize) + 4));
      for (auto slot : slots) s.Row(*this, cols, slot, zeroStatus);
    }
    Wr32(out.data() + 14, static_cast<std::uint32_t>(slots.size()));
    if (xmlStreamMode_ != xmlOFF) {  // the same packet in its XML form
      DSPacket bin;
      bin.swap(out);
      if (EngineResult r = PacketToXml(bin.data(), bin.size(), xmlStreamMode_, codePage_, &out)) return r;
    }
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  return DBERR_NONE;
}

}  // namespace engine
