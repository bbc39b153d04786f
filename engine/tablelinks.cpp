// DSBASE: links from master records to detail records (nested tables and
// separate tables linked by fields), detail-updated log entries, and
// attaching a table as a nested table.
#include <algorithm>
#include <cstring>
#include <strings.h>
#include <unordered_map>

#include "engine/dstable.h"
#include "engine/fieldcompare.h"
#include "engine/fieldlayout.h"
#include "engine/masterdetail.h"
#include "engine/packetformat.h"

namespace engine {

bool LinkableFields(const DSFLDDesc& m, const DSFLDDesc& d) {
  if (m.iFldType != d.iFldType) return false;
  switch (m.iFldType) {
    case fldADT:
    case fldARRAY:
    case fldREF:
    case fldTABLE:
    case fldBLOB: return false;
    case fldZSTRING: return true;
    default: return m.iFldLen == d.iFldLen && m.iFldLen > 0;
  }
}

void CopyLinkValues(const std::vector<DSFLDDesc>& masterFields, const std::vector<std::uint32_t>& from,
                    const std::uint8_t* masterRec, const std::vector<DSFLDDesc>& detailFields,
                    const std::vector<std::uint32_t>& to, std::uint8_t* detailRec) {
  for (std::size_t i = 0; i < from.size() && i < to.size(); ++i) {
    const DSFLDDesc& mf = masterFields[from[i]];
    const DSFLDDesc& df = detailFields[to[i]];
    const std::uint8_t blank = masterRec[mf.iNullOffsInRec];
    std::uint8_t* dst = detailRec + df.iFldOffsInRec;
    std::memset(dst, 0, static_cast<std::size_t>(df.iFldLen));
    detailRec[df.iNullOffsInRec] = blank ? BLANK_NULL : BLANK_NONE;
    if (blank) continue;
    const std::uint8_t* src = masterRec + mf.iFldOffsInRec;
    std::size_t n = static_cast<std::size_t>(std::min(mf.iFldLen, df.iFldLen));
    if (mf.iFldType == fldZSTRING)
      n = std::min(StringLength(src, mf.iFldLen), static_cast<std::size_t>(df.iFldLen - 1));
    std::memcpy(dst, src, n);
  }
}

std::string LinkValueKey(const std::vector<DSFLDDesc>& fields, const std::vector<std::uint32_t>& which,
                         const std::uint8_t* rec) {
  std::string k;
  for (std::uint32_t i : which) {
    const DSFLDDesc& f = fields[i];
    if (rec[f.iNullOffsInRec]) {
      k.push_back('\1');
      continue;
    }
    const std::uint8_t* v = rec + f.iFldOffsInRec;
    const std::size_t n =
        f.iFldType == fldZSTRING ? StringLength(v, f.iFldLen) : static_cast<std::size_t>(f.iFldLen);
    // the length first, so that values of several fields never run together
    k.push_back('\0');
    k.append(reinterpret_cast<const char*>(&n), sizeof n);
    k.append(reinterpret_cast<const char*>(v), n);
  }
  return k;
}

EngineResult DSBASE::AddFieldLink(DSBASE* detail, const std::vector<std::uint32_t>& masterFields,
                                  const std::vector<std::uint32_t>& detailFields, std::uint32_t* linkId) {
  for (std::size_t i = 0; i < fieldLinks_.size(); ++i) {
    const FieldLink& l = fieldLinks_[i];
    if (l.table == detail && l.masterFields == masterFields && l.detailFields == detailFields) {
      *linkId = kFieldLinkBase + static_cast<std::uint32_t>(i);
      return DBERR_NONE;
    }
  }
  if (fieldLinks_.size() >= 0xFFFF) return DBERR_NA;
  try {
    FieldLink l;
    // a table linked to itself is not held by itself
    if (detail != this) l.detail = DSRef<DSBASE>(detail, true);
    l.table = detail;
    l.masterFields = masterFields;
    l.detailFields = detailFields;
    fieldLinks_.push_back(std::move(l));
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  *linkId = kFieldLinkBase + static_cast<std::uint32_t>(fieldLinks_.size() - 1);
  return DBERR_NONE;
}

DSBASE* DSBASE::DetailOfLink(std::uint32_t linkId) const {
  if (linkId >= kFieldLinkBase) {
    const std::uint32_t i = linkId - kFieldLinkBase;
    return i < fieldLinks_.size() ? fieldLinks_[i].table : nullptr;
  }
  return linkId >= 1 ? Nested(linkId - 1) : nullptr;
}

EngineResult DSBASE::LogDetailUpdate(std::uint32_t masterSlot, std::uint32_t linkId) {
  if (!logChanges_ || d_.isDelta || masterSlot == 0) return DBERR_NONE;
  return AppendLog(masterSlot, linkId, dsDetUpd);
}

std::size_t DSBASE::ForgetDetailUpdates(std::uint32_t linkId, std::size_t n) {
  std::size_t done = 0;
  for (std::size_t i = changeLog_.size(); i >= 3 && done < n; i -= 3) {
    const std::size_t at = i - 3;
    if (changeLog_[at + 2] == dsDetUpd && changeLog_[at + 1] == linkId) {
      changeLog_[at + 2] = 0;
      ++done;
    }
  }
  while (!changeLog_.empty() && changeLog_.back() == 0) changeLog_.resize(changeLog_.size() - 3);
  netCount_ = -1;
  LogShrunk();
  return done;
}

std::vector<std::uint32_t> DSBASE::DetailSlots(std::uint32_t slot, std::uint32_t linkId) const {
  std::vector<std::uint32_t> out;
  if (slot == 0 || slot > d_.SlotCount()) return out;
  const std::uint8_t* rec = d_.Rec(slot);
  if (linkId < kFieldLinkBase) {
    const DSBASE* n = Nested(linkId - 1);
    if (!n) return out;
    const DSFLDDesc& f = d_.fields[linkId - 1];
    if (rec[f.iNullOffsInRec]) return out;
    const std::uint32_t link = Rd32(rec + f.iFldOffsInRec) & 0x7FFFFFFFu;
    if (link == 0) return out;
    for (std::uint32_t s : n->SlotsOfLink(link))
      if (n->d_.Live(s)) out.push_back(s);
    return out;
  }
  const std::uint32_t i = linkId - kFieldLinkBase;
  if (i >= fieldLinks_.size()) return out;
  const FieldLink& l = fieldLinks_[i];
  const TableData& dd = l.table->d_;
  const std::string key = LinkValueKey(d_.fields, l.masterFields, rec);
  for (std::uint32_t s = 1; s <= dd.SlotCount(); ++s)
    if (dd.Live(s) && LinkValueKey(dd.fields, l.detailFields, dd.Rec(s)) == key) out.push_back(s);
  return out;
}

bool DSBASE::HasDetails(std::uint32_t slot) const {
  if (slot == 0 || slot > d_.SlotCount()) return false;
  for (std::uint32_t i = 0; i < nested_.size(); ++i) {
    if (!nested_[i]) continue;
    const DSFLDDesc& f = d_.fields[i];
    const std::uint8_t* rec = d_.Rec(slot);
    // details not fetched may well exist
    if (!rec[f.iNullOffsInRec] && (Rd32(rec + f.iFldOffsInRec) & 0x80000000u)) return true;
    if (!DetailSlots(slot, i + 1).empty()) return true;
  }
  for (std::uint32_t i = 0; i < fieldLinks_.size(); ++i)
    if (!DetailSlots(slot, kFieldLinkBase + i).empty()) return true;
  return false;
}

EngineResult DSBASE::NewLink(std::uint32_t* link) {
  if (nextLink_ >= 0x7FFFFFFEu) return DBERR_NA;
  try {
    slotsOfLink_.resize(nextLink_ + 2);
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  *link = ++nextLink_;
  return DBERR_NONE;
}

bool DSBASE::DetailHasNetChanges(std::uint32_t masterSlot, std::uint32_t linkId,
                                 const std::vector<NetChange>& detailNet) const {
  const DSBASE* det = DetailOfLink(linkId);
  if (!det || masterSlot == 0 || masterSlot > d_.SlotCount() || detailNet.empty()) return false;
  const TableData& dd = det->d_;
  const std::uint8_t* rec = d_.Rec(masterSlot);
  auto slotOf = [](const NetChange& n) { return n.kind == 2 ? n.first : n.last; };
  if (linkId < kFieldLinkBase) {
    const DSFLDDesc& f = d_.fields[linkId - 1];
    if (rec[f.iNullOffsInRec]) return false;
    const std::uint32_t link = Rd32(rec + f.iFldOffsInRec) & 0x7FFFFFFFu;
    for (const auto& n : detailNet)
      if (slotOf(n) >= 1 && slotOf(n) <= dd.SlotCount() && dd.Link(slotOf(n)) == link) return true;
    return false;
  }
  const FieldLink& l = fieldLinks_[linkId - kFieldLinkBase];
  const std::string key = LinkValueKey(d_.fields, l.masterFields, rec);
  for (const auto& n : detailNet)
    if (slotOf(n) >= 1 && slotOf(n) <= dd.SlotCount() &&
        LinkValueKey(dd.fields, l.detailFields, dd.Rec(slotOf(n))) == key)
      return true;
  return false;
}

const DSBASE::FieldLink* DSBASE::NestedLinkFields(std::uint32_t fieldIdx) const {
  return fieldIdx < nestedLinks_.size() && !nestedLinks_[fieldIdx].masterFields.empty() ? &nestedLinks_[fieldIdx]
                                                                                      : nullptr;
}

// ---------------------------------------------------------------------------
// MakeEmbedded

namespace {

bool ValidFieldNos(const std::uint32_t* nos, std::uint32_t n, std::size_t fieldCount,
                   std::vector<std::uint32_t>& out) {
  out.clear();
  for (std::uint32_t i = 0; i < n; ++i) {
    if (nos[i] < 1 || nos[i] > fieldCount) return false;
    if (std::find(out.begin(), out.end(), nos[i] - 1) != out.end()) return false;
    out.push_back(nos[i] - 1);
  }
  return true;
}

}  // namespace

// The detail table's records are copied into a new nested table reached
// through a new nested-table field of this table; each detail record joins
// the master record whose link field values equal its own. The detail table
// itself is left as it was.
EngineResult DSBASE::MakeEmbedded(IDSBase* detailIntf, std::uint32_t linkFields, const std::uint32_t* masterFields,
                                  const std::uint32_t* detailFields, const char* masterName,
                                  const char* detailName) noexcept {
  std::lock_guard lock(mu_);
  if (!detailIntf || linkFields == 0 || linkFields > MAXKEYFIELDS || !masterFields || !detailFields)
    return DBERR_INVALIDPARAM;
  void* p = nullptr;
  if (detailIntf->QueryInterface(IID_IDSBase, &p) != DBERR_NONE) return DBERR_INVALIDPARAM;
  detailIntf->Release();
  auto* det = static_cast<DSBASE*>(static_cast<IDSBase*>(p));
  if (det == this) return DBERR_INVALIDPARAM;
  std::lock_guard detailLock(det->mutex());
  if (!HasFields() || !det->HasFields()) return DBERR_NA;
  // Attaching renumbers the detail's record slots and gives every master
  // record a new field: pending change logs would no longer fit.
  if (d_.isDelta || det->d_.isDelta || det->d_.nested || det->HasNestedTables() || !changeLog_.empty() ||
      !det->changeLog_.empty())
    return DBERR_NA;
  std::vector<std::uint32_t> mf, df;
  if (!ValidFieldNos(masterFields, linkFields, d_.fields.size(), mf) ||
      !ValidFieldNos(detailFields, linkFields, det->d_.fields.size(), df))
    return DBERR_INVALIDPARAM;
  for (std::uint32_t i = 0; i < linkFields; ++i)
    if (d_.fields[mf[i]].iFieldIDParent != 0 || det->d_.fields[df[i]].iFieldIDParent != 0 ||
        !LinkableFields(d_.fields[mf[i]], det->d_.fields[df[i]]))
      return DBERR_INVALIDPARAM;
  std::string fieldName = masterName && masterName[0] ? masterName : (detailName && detailName[0] ? detailName : "");
  if (fieldName.empty()) fieldName = det->name_.empty() ? "DETAIL" : det->name_;
  if (fieldName.size() >= DSNAMELEN) return DBERR_INVALIDPARAM;
  for (const auto& f : d_.fields)
    if (f.iFieldIDParent == 0 && strcasecmp(f.szName, fieldName.c_str()) == 0) return DBERR_NAMENOTUNIQUE;
  try {
    // every master record must be found by its link values alone
    std::unordered_map<std::string, std::uint32_t> masterOf;
    for (std::uint32_t s = 1; s <= d_.SlotCount(); ++s)
      if (d_.Live(s) && !masterOf.emplace(LinkValueKey(d_.fields, mf, d_.Rec(s)), s).second)
        return DBERR_LINKFIELDSNOTUNIQUE;
    const TableData& dd = det->d_;
    std::vector<std::uint32_t> masterOfDetail(dd.SlotCount() + 1, 0);
    for (std::uint32_t s = 1; s <= dd.SlotCount(); ++s) {
      if (!dd.Live(s)) continue;
      auto it = masterOf.find(LinkValueKey(dd.fields, df, dd.Rec(s)));
      if (it == masterOf.end()) return DBERR_NOMASTERRECORD;
      masterOfDetail[s] = it->second;
    }

    // the nested table: the detail's fields, link fields marked as such
    DSRef<DSBASE> n(new DSBASE(), true);
    n->master_ = this;
    n->d_.nested = true;
    n->d_.fields = dd.fields;
    for (std::uint32_t i : df) n->d_.fields[i].iFldAttr |= fldAttrLINK;
    n->d_.recSize = dd.recSize;
    n->d_.dataSize = dd.dataSize;
    n->d_.coll = dd.coll;
    n->name_ = detailName && detailName[0] ? std::string(detailName, strnlen(detailName, DSTABLENAMELEN - 1)) : det->name_;
    n->fieldParams_ = det->fieldParams_;
    n->fieldParams_.resize(n->d_.fields.size());
    n->tableParams_ = det->tableParams_;
    n->nested_.resize(n->d_.fields.size());
    n->lcid_ = det->lcid_;
    n->codePage_ = det->codePage_;
    n->autoIncValue_ = det->autoIncValue_;
    n->logChanges_ = logChanges_;
    n->hasDefaultOrderAttr_ = det->hasDefaultOrderAttr_;
    n->defaultOrderDesc_ = det->defaultOrderDesc_;
    n->defaultUnique_ = det->defaultUnique_;
    for (std::size_t i = 1; i < det->indexes_.size(); ++i)
      if (!det->indexes_[i]->temporary() && det->indexes_[i]->kind() == IndexKind::Ordinary)
        n->pendingIndexes_.push_back(det->indexes_[i]->desc());

    // the master's new field, after the existing ones (their storage stays)
    std::vector<DSFLDDesc> fields = d_.fields;
    DSFLDDesc tf{};
    CopyName(tf.szName, DSNAMELEN, fieldName);
    tf.iFldType = fldTABLE;
    tf.iUnits1 = static_cast<std::int32_t>(dd.fields.size());
    fields.push_back(tf);
    Relayout next;
    if (EngineResult r = PrepareRelayout(std::move(fields), next)) return r;
    // every live master record gets a link to its (possibly empty) details
    const DSFLDDesc& nf = next.fields.back();
    std::vector<std::uint32_t> linkOf(d_.SlotCount() + 1, 0);
    for (std::uint32_t s = 1; s <= d_.SlotCount(); ++s) {
      if (!d_.Live(s)) continue;
      std::uint8_t* dst = next.rows.data() + static_cast<std::size_t>(s - 1) * next.recSize;
      if (EngineResult r = n->NewLink(&linkOf[s])) return r;
      dst[nf.iNullOffsInRec] = 0;
      Wr32(dst + nf.iFldOffsInRec, linkOf[s]);
    }
    // the detail records, grouped by master in the detail's physical order
    for (std::uint32_t s = 1; s <= dd.SlotCount(); ++s) {
      if (!masterOfDetail[s]) continue;
      const std::uint32_t ns = n->d_.AddSlot();
      std::uint8_t* r = n->d_.Rec(ns);
      std::memcpy(r, dd.Rec(s), static_cast<std::size_t>(dd.recSize));
      for (const auto& f : n->d_.fields) {
        if (f.iFldType != fldBLOB || r[f.iNullOffsInRec]) continue;
        const std::uint32_t id = Rd32(r + f.iFldOffsInRec);
        if (id & dsDELAYEDBIT) continue;
        const auto* b = dd.blobs.Get(id);
        Wr32(r + f.iFldOffsInRec, b ? n->d_.blobs.Add(*b) : 0);
      }
      const std::uint32_t link = linkOf[masterOfDetail[s]];
      n->d_.links[ns - 1] = link;
      n->slotsOfLink_[link].push_back(ns);
    }
    if (EngineResult r = n->BuildIndexes()) return r;

    // MD_FIELDLINKS: the nested field's number, the master and the detail fields
    std::vector<std::uint8_t> md(4 + 2 * (1 + 2 * std::size_t{linkFields}));
    Wr32(md.data(), 1 + 2 * linkFields);
    Wr16(md.data() + 4, static_cast<std::uint32_t>(next.fields.size()));
    for (std::uint32_t i = 0; i < linkFields; ++i) {
      Wr16(md.data() + 6 + 2 * i, mf[i] + 1);
      Wr16(md.data() + 6 + 2 * (linkFields + i), df[i] + 1);
    }
    OptParam param;
    param.name = "MD_FIELDLINKS";
    param.type = 0x00810002u;
    param.value = std::move(md);

    // commit
    FieldLink nl;
    nl.table = n.get();
    nl.masterFields = mf;
    nl.detailFields = df;
    CommitRelayout(next);
    nested_.back() = n;
    nestedLinks_.back() = std::move(nl);
    tableParams_.push_back(std::move(param));
    for (auto& ix : indexes_) ix->Rebuild(ix->desc());
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  NotifyChange();
  return DBERR_NONE;
}

}  // namespace engine

namespace engine {

namespace {

// The link fields of each link of a master table, by link id.
template <class Fn>
void ForEachLinkByFields(const std::vector<DSBASE::FieldLink>& fieldLinks,
                         const std::vector<DSBASE::FieldLink>& nestedLinks, Fn fn) {
  for (std::uint32_t i = 0; i < fieldLinks.size(); ++i) fn(fieldLinks[i], DSBASE::kFieldLinkBase + i);
  for (std::uint32_t i = 0; i < nestedLinks.size(); ++i)
    if (!nestedLinks[i].masterFields.empty() && nestedLinks[i].table) fn(nestedLinks[i], i + 1);
}

}  // namespace

EngineResult DSBASE::CheckLinkChange(std::uint32_t slot, const std::uint8_t* newRec) const {
  if (CascadeUpdates()) return DBERR_NONE;
  EngineResult result = DBERR_NONE;
  ForEachLinkByFields(fieldLinks_, nestedLinks_, [&](const FieldLink& l, std::uint32_t id) {
    if (result != DBERR_NONE) return;
    if (LinkValueKey(d_.fields, l.masterFields, d_.Rec(slot)) == LinkValueKey(d_.fields, l.masterFields, newRec))
      return;
    if (!DetailSlots(slot, id).empty()) result = DBERR_NOCASCADEDUPDATES;
  });
  return result;
}

EngineResult DSBASE::UpdateDetailLinks(std::uint32_t slot, const std::uint8_t* newRec) {
  if (!CascadeUpdates()) return DBERR_NONE;
  EngineResult result = DBERR_NONE;
  ForEachLinkByFields(fieldLinks_, nestedLinks_, [&](const FieldLink& l, std::uint32_t id) {
    if (result != DBERR_NONE) return;
    if (LinkValueKey(d_.fields, l.masterFields, d_.Rec(slot)) == LinkValueKey(d_.fields, l.masterFields, newRec))
      return;
    DSBASE& det = *l.table;
    std::lock_guard detailLock(det.mutex());
    const std::size_t before = det.LogEntries();
    for (std::uint32_t ds : DetailSlots(slot, id)) {
      std::vector<std::uint8_t> rec(det.d_.Rec(ds), det.d_.Rec(ds) + det.d_.recSize);
      CopyLinkValues(d_.fields, l.masterFields, newRec, det.d_.fields, l.detailFields, rec.data());
      std::uint32_t ns = 0;
      if ((result = det.EditModify(ds, rec.data(), &ns)) != DBERR_NONE) break;
    }
    for (std::size_t k = before; k < det.LogEntries(); ++k)
      if (EngineResult e = LogDetailUpdate(slot, id)) result = e;
  });
  return result;
}

EngineResult DSBASE::DeleteDetails(std::uint32_t slot) {
  auto deleteAll = [&](DSBASE& det, std::uint32_t id) {
    for (std::uint32_t ds : DetailSlots(slot, id)) {
      if (det.HasDetails(ds)) {
        if (!det.CascadeDeletes()) return DBERR_DETAILRECORDSEXIST;
        if (EngineResult e = det.DeleteDetails(ds)) return e;
      }
      if (EngineResult e = det.EditDelete(ds)) return e;
    }
    return DBERR_NONE;
  };
  auto run = [&](DSBASE& det, std::uint32_t id) {
    std::lock_guard detailLock(det.mutex());
    const std::size_t before = det.LogEntries();
    EngineResult e = deleteAll(det, id);
    // one detail-updated entry per entry the detail's log gained, so that
    // undo takes the cascade back step by step
    for (std::size_t k = before; k < det.LogEntries() && e == DBERR_NONE; ++k) e = LogDetailUpdate(slot, id);
    return e;
  };
  for (std::uint32_t i = 0; i < nested_.size(); ++i)
    if (nested_[i])
      if (EngineResult e = run(*nested_[i], i + 1)) return e;
  for (std::uint32_t i = 0; i < fieldLinks_.size(); ++i)
    if (EngineResult e = run(*fieldLinks_[i].table, kFieldLinkBase + i)) return e;
  return DBERR_NONE;
}

}  // namespace engine
