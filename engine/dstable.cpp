// DSBASE: structure, properties, indexes and optional parameters.
#include "engine/dstable.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <strings.h>

#include "engine/fieldcompare.h"
#include "engine/fieldlayout.h"
#include "engine/packetreader.h"

namespace engine {

void CopyName(char* dst, std::size_t cap, const std::string& src) {
  const std::size_t n = std::min(cap - 1, src.size());
  std::memcpy(dst, src.data(), n);
  std::memset(dst + n, 0, cap - n);
}

DSBASE::DSBASE() { d_.coll = Collation::Get(0, kDefaultCodePage); }
DSBASE::~DSBASE() = default;

EngineResult CreateDSBase(IDSBase** out) noexcept {
  if (!out) return DBERR_INVALIDPARAM;
  auto* t = new (std::nothrow) DSBASE();
  if (!t) return DBERR_NOMEMORY;
  t->AddRef();
  *out = t;
  return DBERR_NONE;
}

void DSBASE::ClearAll() {
  d_ = TableData{};
  d_.coll = Collation::Get(0, kDefaultCodePage);
  name_.clear();
  fieldParams_.clear();
  tableParams_.clear();
  indexes_.clear();
  defaultOrderRedefined_ = false;
  defaultUnique_ = 0;
  hasDefaultOrderAttr_ = false;
  changeLog_.clear();
  ForgetSavePoints();
  forward_.clear();
  pendingIndexes_.clear();
  autoIncValue_ = 1;
  nested_.clear();
  fieldLinks_.clear();
  nestedLinks_.clear();
  nextLink_ = 0;
  slotsOfLink_.clear();
  lcid_ = 0;
  readOnly_ = false;
  partial_ = false;
}

std::shared_ptr<DSIndex> DSBASE::DefaultOrder() const { return indexes_.empty() ? nullptr : indexes_[0]; }

std::shared_ptr<DSIndex> DSBASE::FindIndex(const char* name) const {
  if (!name) return nullptr;
  for (const auto& ix : indexes_) {
    if (ix->temporary() || ix->kind() == IndexKind::Filtered) continue;
    const char* n = ix->desc().szName;
    if (d_.coll->Compare(n, std::strlen(n), name, std::strlen(name), true) == 0) return ix;
  }
  return nullptr;
}

void DSBASE::DropUnusedTemporaries() {
  for (std::size_t i = indexes_.size(); i-- > 1;)
    if (indexes_[i]->temporary() && indexes_[i]->users <= 0) indexes_.erase(indexes_.begin() + static_cast<std::ptrdiff_t>(i));
}

std::shared_ptr<DSIndex> DSBASE::FindIndexByDesc(const DSIDXDesc& d) const {
  for (const auto& ix : indexes_)
    if (!ix->temporary() && ix->kind() == IndexKind::Ordinary && ix->keyFields() > 0 &&
        SameIndexDesc(ix->desc(), d) )
      return ix;
  return nullptr;
}

std::shared_ptr<DSIndex> DSBASE::NewTemporaryIndex(const DSIDXDesc& d, const std::vector<std::uint32_t>& from,
                                                   EngineResult* result, bool maintained, IndexKind kind) {
  try {
    auto ix = std::make_shared<DSIndex>(&d_, d, kind, true, NextIndexId());
    *result = ix->RebuildFrom(d, from);
    if (*result) return nullptr;
    if (maintained) indexes_.push_back(ix);
    return ix;
  } catch (...) {
    *result = DBERR_NOMEMORY;
    return nullptr;
  }
}

DSBASE* DSBASE::Nested(std::uint32_t fieldIdx) const {
  return fieldIdx < nested_.size() ? nested_[fieldIdx].get() : nullptr;
}

const std::vector<std::uint32_t>& DSBASE::SlotsOfLink(std::uint32_t link) const {
  static const std::vector<std::uint32_t> kEmpty;
  return link < slotsOfLink_.size() ? slotsOfLink_[link] : kEmpty;
}

std::int32_t DSBASE::RecordsInDs() const {
  std::int32_t n = 0;
  for (std::uint32_t s = 1; s <= d_.SlotCount(); ++s)
    if (d_.Live(s)) ++n;
  return n;
}

std::size_t DSBASE::MemoryBytes() const {
  std::size_t n = d_.rows.capacity() + d_.attrs.capacity() + d_.seq.capacity() * 4 + d_.links.capacity() * 4;
  for (const auto& ix : indexes_) n += ix->memoryBytes();
  for (const auto& b : d_.blobs.entries) n += b.capacity() + sizeof b;
  return n;
}

EngineResult DSBASE::FinishLayout() {
  std::int32_t recSize = 0;
  if (EngineResult r = ComputeLayout(d_.fields, LayoutOptions{}, &recSize)) return r;
  d_.recSize = recSize;
  d_.dataSize = recSize - static_cast<std::int32_t>(d_.fields.size());
  fieldParams_.resize(d_.fields.size());
  if (nested_.size() < d_.fields.size()) nested_.resize(d_.fields.size());
  return DBERR_NONE;
}

EngineResult DSBASE::BuildIndexes() {
  for (auto& n : nested_)
    if (n && n->HasFields())
      if (EngineResult r = n->BuildIndexes()) return r;
  // Blob values read so far belong to stored records: edits copy them.
  d_.blobs.committed = static_cast<std::uint32_t>(d_.blobs.entries.size());
  // The default order first: keyless (slot order) unless the packet gave keys.
  indexes_.clear();
  DSIDXDesc def{};
  std::strcpy(def.szName, "DEFAULT_ORDER");
  if (hasDefaultOrderAttr_) def = defaultOrderDesc_;
  def.bUnique = defaultUnique_ != 0 && hasDefaultOrderAttr_;
  auto ix = std::make_shared<DSIndex>(&d_, def, IndexKind::Ordinary, false, NextIndexId());
  if (EngineResult r = ix->Rebuild(def)) return r;
  indexes_.push_back(ix);
  for (const auto& d : pendingIndexes_) {
    auto other = std::make_shared<DSIndex>(&d_, d, IndexKind::Ordinary, false, NextIndexId());
    if (EngineResult r = other->Rebuild(d)) return r;
    indexes_.push_back(other);
  }
  pendingIndexes_.clear();
  return DBERR_NONE;
}

EngineResult DSBASE::Create(std::uint32_t iFields, const DSFLDDesc* fields, const char* name) noexcept {
  std::lock_guard lock(mu_);
  if (HasFields()) return DBERR_NONE;
  if (iFields == 0 || !fields || iFields > 0xFFFF) return DBERR_INVALIDPARAM;
  try {
    d_.fields.assign(fields, fields + iFields);
    if (EngineResult r = FinishLayout()) {
      ClearAll();
      return r;
    }
    name_ = name ? std::string(name, strnlen(name, DSTABLENAMELEN - 1)) : std::string();
    for (std::size_t i = 0; i < d_.fields.size(); ++i) {
      if (d_.fields[i].iFldType == fldTABLE) {
        DSRef<DSBASE> n(new DSBASE(), true);
        n->master_ = this;
        n->d_.nested = true;
        nested_[i] = n;
      }
    }
    if (EngineResult r = BuildIndexes()) {
      ClearAll();
      return r;
    }
  } catch (...) {
    ClearAll();
    return DBERR_NOMEMORY;
  }
  return DBERR_NONE;
}

EngineResult DSBASE::PrepareRelayout(std::vector<DSFLDDesc> fields, Relayout& out) const {
  if (EngineResult r = ComputeLayout(fields, LayoutOptions{}, &out.recSize)) return r;
  out.dataSize = out.recSize - static_cast<std::int32_t>(fields.size());
  const std::size_t keep = std::min(fields.size(), d_.fields.size());
  out.rows.assign(static_cast<std::size_t>(out.recSize) * d_.SlotCount(), 0);
  for (std::uint32_t s = 1; s <= d_.SlotCount(); ++s) {
    const std::uint8_t* src = d_.Rec(s);
    std::uint8_t* dst = out.rows.data() + static_cast<std::size_t>(s - 1) * out.recSize;
    std::memcpy(dst, src, static_cast<std::size_t>(std::min(out.dataSize, d_.dataSize)));
    for (std::size_t k = 0; k < fields.size(); ++k)
      dst[out.dataSize + static_cast<std::int32_t>(k)] = k < keep ? src[d_.dataSize + static_cast<std::int32_t>(k)] : BLANK_NULL;
  }
  out.fields = std::move(fields);
  return DBERR_NONE;
}

void DSBASE::CommitRelayout(Relayout& r) {
  d_.fields.swap(r.fields);
  d_.rows.swap(r.rows);
  d_.recSize = r.recSize;
  d_.dataSize = r.dataSize;
  fieldParams_.resize(d_.fields.size());
  nested_.resize(d_.fields.size());
  nestedLinks_.resize(d_.fields.size());
}

EngineResult DSBASE::AddField(const DSFLDDesc* field) noexcept {
  std::lock_guard lock(mu_);
  if (!HasFields()) return DBERR_NA;
  try {
    std::vector<DSFLDDesc> f = d_.fields;
    if (!field) {
      while (!f.empty() && f.back().bCalculated == 2) f.pop_back();
      if (f.size() == d_.fields.size()) return DBERR_NONE;
      if (f.empty()) return DBERR_NA;
    } else {
      DSFLDDesc nf = *field;
      nf.szName[DSNAMELEN - 1] = 0;
      for (const auto& e : d_.fields) {
        if (e.iFieldIDParent == 0 && strcasecmp(e.szName, nf.szName) == 0) {
          if (e.bCalculated && e.iFldType == nf.iFldType) return DBERR_NONE;
          return DBERR_NAMENOTUNIQUE;
        }
      }
      if (nf.iFldType == fldADT || nf.iFldType == fldARRAY || nf.iFldType == fldTABLE) return DBERR_INVALIDFLDTYPE;
      nf.bCalculated = 2;
      nf.iFieldIDParent = 0;
      f.push_back(nf);
    }
    Relayout next;
    if (EngineResult r = PrepareRelayout(std::move(f), next)) return r;
    CommitRelayout(next);
    for (auto& ix : indexes_) {
      DSIDXDesc desc = ix->desc();
      if (DSIndex::Check(d_, desc) != DBERR_NONE) desc.iFields = 0;
      ix->Rebuild(desc);
    }
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  return DBERR_NONE;
}

EngineResult DSBASE::GetOptParameter(std::uint32_t index, std::uint32_t fieldNo, char* name, std::uint32_t* type,
                                     std::uint32_t* length, const void** value) noexcept {
  std::lock_guard lock(mu_);
  const std::vector<OptParam>* list = &tableParams_;
  if (fieldNo != 0) {
    if (fieldNo > fieldParams_.size()) return DBERR_INVALIDPARAM;
    list = &fieldParams_[fieldNo - 1];
  }
  const OptParam* p = nullptr;
  if (index == 0) {
    if (!name) return DBERR_INVALIDPARAM;
    for (const auto& o : *list)
      if (strcasecmp(o.name.c_str(), name) == 0) p = &o;
  } else if (index <= list->size()) {
    p = &(*list)[index - 1];
  }
  if (!p) return DBERR_OBJNOTFOUND;
  if (name && index != 0) CopyName(name, DSNAMELEN, p->name);
  if (type) *type = p->type;
  if (length) *length = static_cast<std::uint32_t>(p->value.size());
  if (value) *value = p->value.data();
  return DBERR_NONE;
}

EngineResult DSBASE::AddOptParameter(std::uint32_t fieldNo, const char* name, std::uint32_t type,
                                     std::uint32_t length, const void* value) noexcept {
  std::lock_guard lock(mu_);
  if (!name || !name[0] || std::strlen(name) > 255 || (!value && length)) return DBERR_INVALIDPARAM;
  if (fieldNo > fieldParams_.size()) return DBERR_INVALIDPARAM;
  std::size_t size = 0;
  if (AttrValueSize(type, static_cast<const std::uint8_t*>(value), length, &size) != DBERR_NONE || size != length)
    return DBERR_INVALIDPARAM;
  try {
    OptParam p;
    p.name = name;
    p.type = type;
    p.value.assign(static_cast<const std::uint8_t*>(value), static_cast<const std::uint8_t*>(value) + length);
    (fieldNo ? fieldParams_[fieldNo - 1] : tableParams_).push_back(std::move(p));
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  return DBERR_NONE;
}

EngineResult DSBASE::DropOptParameter(std::uint32_t fieldNo, const char* name) noexcept {
  std::lock_guard lock(mu_);
  if (!name) return DBERR_INVALIDPARAM;
  if (fieldNo > fieldParams_.size()) return DBERR_INVALIDPARAM;
  auto& list = fieldNo ? fieldParams_[fieldNo - 1] : tableParams_;
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (strcasecmp(it->name.c_str(), name) == 0) {
      list.erase(it);
      return DBERR_NONE;
    }
  }
  return DBERR_OBJNOTFOUND;
}

EngineResult DSBASE::GetProps(DSProps* p) noexcept {
  std::lock_guard lock(mu_);
  if (!p) return DBERR_INVALIDPARAM;
  std::memset(p, 0, sizeof *p);
  CopyName(p->szName, DSTABLENAMELEN, name_);
  p->iFields = static_cast<std::int32_t>(d_.fields.size());
  p->iRecBufSize = d_.recSize;
  p->iBookMarkSize = DSBOOKMARKSIZE;
  p->bReadOnly = readOnly_;
  std::int32_t n = 0;
  for (const auto& ix : indexes_)
    if (!ix->temporary() && ix->kind() == IndexKind::Ordinary && (ix != indexes_[0] || ix->keyFields() > 0)) ++n;
  p->iIndexes = n;
  p->iOptParams = static_cast<std::int32_t>(tableParams_.size());
  p->bDelta = d_.isDelta;
  p->iLCID = lcid_;
  return DBERR_NONE;
}

EngineResult DSBASE::GetFieldDescs(DSFLDDesc* fields) noexcept {
  std::lock_guard lock(mu_);
  if (!fields) return DBERR_INVALIDPARAM;
  for (std::size_t i = 0; i < d_.fields.size(); ++i) {
    fields[i] = d_.fields[i];
    fields[i].iOptParameters = static_cast<std::int32_t>(i < fieldParams_.size() ? fieldParams_[i].size() : 0);
  }
  return DBERR_NONE;
}

EngineResult DSBASE::GetIndexDescs(DSIDXDesc* out) noexcept {
  std::lock_guard lock(mu_);
  if (!out) return DBERR_INVALIDPARAM;
  std::size_t k = 0;
  for (const auto& ix : indexes_)
    if (!ix->temporary() && ix->kind() == IndexKind::Ordinary && (ix != indexes_[0] || ix->keyFields() > 0))
      out[k++] = ix->desc();
  return DBERR_NONE;
}



EngineResult DSBASE::PutBlank(std::uint8_t* recBuf, std::uint32_t recNo, std::uint32_t fieldNo,
                              std::uint32_t blankState) noexcept {
  std::lock_guard lock(mu_);
  if (fieldNo == 0 || fieldNo > d_.fields.size() || blankState > BLANK_NOTCHANGED) return DBERR_INVALIDPARAM;
  std::uint8_t* rec = recBuf;
  if (!rec) {
    if (recNo == 0 || recNo > d_.SlotCount()) return DBERR_OUTOFRANGE;
    rec = d_.Rec(recNo);
  }
  const auto& f = d_.fields[fieldNo - 1];
  rec[f.iNullOffsInRec] = static_cast<std::uint8_t>(blankState);
  if (HasChildren(f.iFldType) && blankState == BLANK_NULL) {
    for (std::int32_t k = 0; k < f.iUnits2 && fieldNo + static_cast<std::uint32_t>(k) < d_.fields.size(); ++k)
      rec[d_.fields[fieldNo + static_cast<std::uint32_t>(k)].iNullOffsInRec] = BLANK_NULL;
  }
  if (!recBuf) {
    // a stored key value changed: orders on that field are rebuilt
    for (auto& ix : indexes_) {
      bool uses = false;
      for (int i = 0; i < ix->desc().iFields; ++i) uses = uses || ix->desc().iKeyFields[i] == static_cast<std::int32_t>(fieldNo);
      if (uses) ix->Rebuild(ix->desc());
    }
  }
  return DBERR_NONE;
}

EngineResult DSBASE::CreateIndex(const DSIDXDesc* index) noexcept {
  std::lock_guard lock(mu_);
  if (!index) return DBERR_INVALIDPARAM;
  if (!HasFields()) return DBERR_NA;
  DSIDXDesc d = *index;
  d.szName[DSNAMELEN - 1] = 0;
  if (d.szName[0] == 0) std::strcpy(d.szName, "DEFAULT_ORDER");
  if (EngineResult r = DSIndex::Check(d_, d)) return r;
  try {
    auto existing = FindIndex(d.szName);
    if (!existing) {
      auto ix = std::make_shared<DSIndex>(&d_, d, IndexKind::Ordinary, false, NextIndexId());
      if (EngineResult r = ix->Rebuild(d)) return r;
      indexes_.push_back(ix);
      return DBERR_NONE;
    }
    if (existing == indexes_[0]) {
      if (existing->keyFields() > 0 || defaultOrderRedefined_) return DBERR_ACTIVEINDEX;
      DSIDXDesc old = existing->desc();
      if (EngineResult r = existing->Rebuild(d)) {
        existing->Rebuild(old);
        return r;
      }
      defaultOrderRedefined_ = true;
      return DBERR_NONE;
    }
    if (!SameIndexDesc(existing->desc(), d)) return DBERR_NAMENOTUNIQUE;
  } catch (...) {
    return DBERR_NOMEMORY;
  }
  return DBERR_NONE;
}

EngineResult DSBASE::RemoveIndex(const char* name) noexcept {
  std::lock_guard lock(mu_);
  if (!name || !name[0]) return DBERR_ACTIVEINDEX;
  auto ix = FindIndex(name);
  if (!ix) return DBERR_NOSUCHINDEX;
  if (ix == indexes_[0] || ix->users > 1) return DBERR_ACTIVEINDEX;
  indexes_.erase(std::find(indexes_.begin(), indexes_.end(), ix));
  return DBERR_NONE;
}

EngineResult DSBASE::GetErrorString(EngineResult code, char* buffer) noexcept {
  // a failed constraint's own message is handed out once
  if (buffer && code == DBERR_CONSTRAINTFAILED && TakeConstraintMessage(buffer)) return DBERR_NONE;
  return FillErrorString(code, buffer, utf8ErrorMsg_);
}

std::int32_t DSBASE::FldCmp(std::uint32_t fldType, const void* v1, const void* v2, std::uint32_t len1,
                            std::uint32_t len2) noexcept {
  return ChangeCompare(fldType, v1, v2, len1, len2);
}

EngineResult DSBASE::GetProp(DSProp prop, void* value) noexcept {
  std::lock_guard lock(mu_);
  if (!value) return DBERR_INVALIDPARAM;
  auto* out = static_cast<std::int32_t*>(value);
  switch (prop) {
    case dspropLOGCHANGES: *out = logChanges_; break;
    case dspropREADONLY: *out = readOnly_; break;
    case dspropNOOFCHANGES: *out = d_.isDelta ? RecordsInDs() : NetChangeCount(); break;
    case dspropCONSTRAINTS_DISABLED: *out = constraintsDisabled_; break;
    case dspropDSISPARTIAL: *out = partial_; break;
    case dspropRECORDSINDS: *out = RecordsInDs(); break;
    case dspropAUTOINC_DISABLED: *out = autoIncDisabled_; break;
    case dspropISDELTA: *out = d_.isDelta; break;
    case dspropDONTINCLMETADATA: *out = dontInclMetadata_; break;
    case dspropINCLBLOBSINDELTA: *out = inclBlobsInDelta_; break;
    case dspropGETSAVEPOINT: return GetSavePoint(out);
    case dspropCOMPRESSARRAYS: *out = compressArrays_; break;
    case dspropMD_SEMANTICS: *out = mdSemantics_; break;
    case dspropFIELD_FULLNAME: {
      const std::int32_t fno = *out;
      if (fno < 1 || fno > static_cast<std::int32_t>(d_.fields.size())) return DBERR_INVALIDPARAM;
      std::string full = d_.fields[static_cast<std::size_t>(fno - 1)].szName;
      for (std::uint32_t p = d_.fields[static_cast<std::size_t>(fno - 1)].iFieldIDParent; p != 0;
           p = d_.fields[p - 1].iFieldIDParent) {
        if (d_.fields[p - 1].iFldType == fldARRAY) continue;
        full = std::string(d_.fields[p - 1].szName) + "." + full;
      }
      // the caller's buffer holds at least a field name
      CopyName(static_cast<char*>(value), DSNAMELEN, full);
      break;
    }
    case dspropFIELDID_FORNAME: return DBERR_INVALIDPARAM;
    case dspropFIELDID_FORPARENT: {
      const std::int32_t fno = *out;
      if (fno < 1 || fno > static_cast<std::int32_t>(d_.fields.size())) return DBERR_INVALIDPARAM;
      *out = d_.fields[static_cast<std::size_t>(fno - 1)].iFieldIDParent;
      break;
    }
    case dspropCHANGEINDEX_VIEW: *out = changeIndexView_; break;
    case dspropGETUNIQUEINDEX: {
      for (const auto& ix : indexes_)
        if (!ix->temporary() && ix->kind() == IndexKind::Ordinary && ix->unique()) {
          *out = static_cast<std::int32_t>(ix->id());
          return DBERR_NONE;
        }
      return DBERR_NOSUCHINDEX;
    }
    case dspropREMOTE_UPDATEMODE: *out = remoteUpdateMode_; break;
    case dspropXML_STREAMMODE: *out = xmlStreamMode_; break;
    case dspropDISABLEDELETES: *out = disableDeletes_; break;
    case dspropDISABLEINSERTS: *out = disableInserts_; break;
    case dspropDISABLEEDITS: *out = disableEdits_; break;
    case dspropDISABLESTRINGTRIM: *out = disableStringTrim_; break;
    case dspropDATAHASCHANGED: *out = dataHasChanged_; break;
    case dspropUTF8METADATA: *out = utf8Metadata_; break;
    case dspropUTF8ERRORMSG: *out = utf8ErrorMsg_; break;
    case dspropANSICODEPAGE: *out = codePage_; break;
    case dspropUPDATESPENDING: *out = d_.isDelta ? RecordsInDs() > 0 : NetChangeCount() > 0; break;
    default: return DBERR_INVALIDPARAM;
  }
  return DBERR_NONE;
}

EngineResult DSBASE::SetProp(DSProp prop, std::uintptr_t value) noexcept {
  std::lock_guard lock(mu_);
  const bool b = value != 0;
  const auto v = static_cast<std::int32_t>(value);
  auto forNested = [&](auto fn) {
    for (auto& n : nested_)
      if (n) fn(*n);
  };
  switch (prop) {
    case dspropLOGCHANGES:
      logChanges_ = b;
      forNested([&](DSBASE& n) { n.SetProp(prop, value); });
      break;
    case dspropREADONLY: readOnly_ = b; break;
    case dspropCONSTRAINTS_DISABLED: constraintsDisabled_ = b; break;
    case dspropDSISPARTIAL:
      if (!partial_) return DBERR_NA;
      return DBERR_NOTSUPPORTED;
    case dspropAUTOINC_DISABLED: {
      bool has = false;
      for (const auto& f : d_.fields) has = has || (f.iFldSubType == fldstAUTOINC && f.iFldLen == 4);
      if (!has) return DBERR_NA;
      autoIncDisabled_ = b;
      break;
    }
    case dspropDONTINCLMETADATA: dontInclMetadata_ = b; break;
    case dspropINCLBLOBSINDELTA: inclBlobsInDelta_ = b; break;
    case dspropCOMPRESSARRAYS: compressArrays_ = b; break;
    case dspropMD_SEMANTICS: mdSemantics_ |= v; break;
    case dspropCHANGEINDEX_VIEW: changeIndexView_ = v; break;
    case dspropREMOTE_UPDATEMODE: remoteUpdateMode_ = v; break;
    case dspropXML_STREAMMODE:
      xmlStreamMode_ = v;
      forNested([&](DSBASE& n) { n.SetProp(prop, value); });
      break;
    case dspropDISABLEDELETES:
      disableDeletes_ = b;
      forNested([&](DSBASE& n) { n.SetProp(prop, value); });
      break;
    case dspropDISABLEINSERTS:
      disableInserts_ = b;
      forNested([&](DSBASE& n) { n.SetProp(prop, value); });
      break;
    case dspropDISABLEEDITS:
      disableEdits_ = b;
      forNested([&](DSBASE& n) { n.SetProp(prop, value); });
      break;
    case dspropDISABLESTRINGTRIM:
      disableStringTrim_ = b;
      forNested([&](DSBASE& n) { n.SetProp(prop, value); });
      break;
    case dspropDATAHASCHANGED:
      dataHasChanged_ = v;
      forNested([&](DSBASE& n) { n.SetProp(prop, value); });
      break;
    case dspropUTF8METADATA: utf8Metadata_ = b; break;
    case dspropUTF8ERRORMSG: utf8ErrorMsg_ = b; break;
    case dspropANSICODEPAGE:
      codePage_ = v;
      d_.coll = Collation::Get(lcid_, codePage_);
      for (auto& ix : indexes_) ix->Rebuild(ix->desc());
      break;
    default: return DBERR_INVALIDPARAM;  // read-only or unknown identifiers
  }
  return DBERR_NONE;
}

void DSBASE::SetNotify(const void* cursor, DSClientData client, pfCHANGECallBack cb) {
  std::lock_guard lock(mu_);
  for (auto it = notify_.begin(); it != notify_.end(); ++it) {
    if (it->cursor == cursor) {
      if (cb) *it = Notify{cursor, client, cb};
      else notify_.erase(it);
      return;
    }
  }
  if (cb) notify_.push_back(Notify{cursor, client, cb});
}

void DSBASE::NotifyChange() {
  std::lock_guard lock(mu_);
  ++changeStamp_;
  const std::vector<Notify> list = notify_;
  for (const auto& n : list) {
    // skip cursors unregistered by an earlier callback
    bool still = false;
    for (const auto& m : notify_) still = still || (m.cursor == n.cursor && m.cb == n.cb);
    if (still) n.cb(n.client);
  }
}

EngineResult DSBASE::SetFieldCalculation(DSClientData client, pfDSCalcField calc) noexcept {
  std::lock_guard lock(mu_);
  calcClient_ = client;
  calc_ = calc;
  return DBERR_NONE;
}

EngineResult DSBASE::Reconcile(const std::uint8_t*, std::size_t, const std::uint8_t*, std::size_t, DSClientData,
                               pfDSReconcile) noexcept {
  return DBERR_NOTSUPPORTED;
}
EngineResult DSBASE::Reserved1(void*) noexcept { return DBERR_NONE; }
EngineResult DSBASE::Reserved2(void*) noexcept { return DBERR_NONE; }
EngineResult DSBASE::Reserved3(void*) noexcept { return DBERR_NONE; }
EngineResult DSBASE::Refresh(const std::uint8_t*, std::size_t, DSClientData, pfDSReconcile) noexcept {
  return DBERR_NOTSUPPORTED;
}

EngineResult DSBASE::Reset() noexcept {
  std::lock_guard lock(mu_);
  d_.rows.clear();
  d_.attrs.clear();
  d_.seq.clear();
  d_.links.clear();
  d_.blobs = BlobStore{};
  changeLog_.clear();
  ForgetSavePoints();
  forward_.clear();
  slotsOfLink_.clear();
  nextLink_ = 0;
  for (auto& ix : indexes_) ix->Clear();
  for (auto& n : nested_)
    if (n) n->Reset();
  return DBERR_NONE;
}


EngineResult DSBASE::GetEmbeddedDS(std::uint32_t fieldNo, IDSBase** nested) noexcept {
  std::lock_guard lock(mu_);
  if (!nested) return DBERR_INVALIDPARAM;
  *nested = nullptr;
  if (fieldNo == 0 || fieldNo > d_.fields.size() || d_.fields[fieldNo - 1].iFldType != fldTABLE ||
      !nested_[fieldNo - 1])
    return DBERR_INVALIDPARAM;
  DSBASE* n = nested_[fieldNo - 1].get();
  n->AddRef();
  *nested = n;
  return DBERR_NONE;
}

EngineResult DSBASE::RefreshRecords(const std::uint8_t*, std::size_t, std::uint32_t, DSClientData,
                                    pfDSReconcile) noexcept {
  return DBERR_NOTSUPPORTED;
}
EngineResult DSBASE::ReleaseBlobs(std::uint32_t) noexcept { return DBERR_NOTSUPPORTED; }
EngineResult DSBASE::Clone(std::uint32_t, DSBool, DSBool, IDSBase** clone) noexcept {
  if (clone) *clone = nullptr;
  return DBERR_NOTSUPPORTED;
}
EngineResult DSBASE::Reconcile_MD(IDSBase*, const std::uint8_t*, std::size_t, const std::uint8_t*, std::size_t,
                                  DSClientData, pfDSReconcile_MD) noexcept {
  return DBERR_NOTSUPPORTED;
}

std::unordered_map<std::uint32_t, std::uint32_t> DSBASE::OriginalVersions() const {
  std::unordered_map<std::uint32_t, std::uint32_t> m;
  for (std::size_t at = 0; at + 2 < changeLog_.size(); at += 3)
    if (changeLog_[at + 2] == 8) m[changeLog_[at]] = changeLog_[at + 1];
  return m;
}

}  // namespace engine
