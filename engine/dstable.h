// DSBASE: one in-memory table (IDSBase).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/dsindex.h"
#include "engine/refcounted.h"
#include "engine/tabledata.h"

namespace engine {

struct OptParam {
  std::string name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> value;  // encoded as in a packet
};

class DSEXTRACT;
class DSCursor;
class ConstraintSet;

class DSBASE final : public RefCounted<IDSBase> {
 public:
  DSBASE();
  ~DSBASE() override;

  EngineResult Create(std::uint32_t iFields, const DSFLDDesc* fields, const char* name) noexcept override;
  EngineResult AddField(const DSFLDDesc* field) noexcept override;
  EngineResult AppendData(const std::uint8_t* packet, std::size_t size, DSBool last) noexcept override;
  EngineResult GetOptParameter(std::uint32_t index, std::uint32_t fieldNo, char* name, std::uint32_t* type,
                               std::uint32_t* length, const void** value) noexcept override;
  EngineResult AddOptParameter(std::uint32_t fieldNo, const char* name, std::uint32_t type,
                               std::uint32_t length, const void* value) noexcept override;
  EngineResult GetProps(DSProps* props) noexcept override;
  EngineResult GetFieldDescs(DSFLDDesc* fields) noexcept override;
  EngineResult GetIndexDescs(DSIDXDesc* indexes) noexcept override;
  EngineResult GetDelta(IDSBase** delta) noexcept override;
  EngineResult StreamDS(DSPacket* packet) noexcept override;
  EngineResult AcceptChanges() noexcept override;
  EngineResult PutBlank(std::uint8_t* recBuf, std::uint32_t recNo, std::uint32_t fieldNo,
                        std::uint32_t blankState) noexcept override;
  EngineResult CreateIndex(const DSIDXDesc* index) noexcept override;
  EngineResult RemoveIndex(const char* name) noexcept override;
  EngineResult GetErrorString(EngineResult code, char* buffer) noexcept override;
  std::int32_t FldCmp(std::uint32_t fldType, const void* value1, const void* value2, std::uint32_t len1,
                      std::uint32_t len2) noexcept override;
  EngineResult GetProp(DSProp prop, void* value) noexcept override;
  EngineResult SetProp(DSProp prop, std::uintptr_t value) noexcept override;
  EngineResult SetFieldCalculation(DSClientData client, pfDSCalcField calc) noexcept override;
  EngineResult Reconcile(const std::uint8_t* delta, std::size_t deltaSize, const std::uint8_t* errors,
                         std::size_t errorsSize, DSClientData client, pfDSReconcile callback) noexcept override;
  EngineResult Reserved1(void* p) noexcept override;
  EngineResult Reserved2(void* p) noexcept override;
  EngineResult Reserved3(void* p) noexcept override;
  EngineResult Refresh(const std::uint8_t* packet, std::size_t size, DSClientData client,
                       pfDSReconcile callback) noexcept override;
  EngineResult Reset() noexcept override;
  EngineResult RollBack(std::uint32_t savePoint) noexcept override;
  EngineResult GetEmbeddedDS(std::uint32_t fieldNo, IDSBase** nested) noexcept override;
  EngineResult MakeEmbedded(IDSBase* detail, std::uint32_t linkFields, const std::uint32_t* masterFields,
                            const std::uint32_t* detailFields, const char* masterName,
                            const char* detailName) noexcept override;
  EngineResult RefreshRecords(const std::uint8_t* packet, std::size_t size, std::uint32_t recNo,
                              DSClientData client, pfDSReconcile callback) noexcept override;
  EngineResult ReleaseBlobs(std::uint32_t blobId) noexcept override;
  EngineResult Clone(std::uint32_t kind, DSBool recurse, DSBool cloneLog, IDSBase** clone) noexcept override;
  EngineResult Reconcile_MD(IDSBase* delta, const std::uint8_t* deltaPacket, std::size_t deltaSize,
                            const std::uint8_t* errors, std::size_t errorsSize, DSClientData client,
                            pfDSReconcile_MD callback) noexcept override;
  EngineResult DropOptParameter(std::uint32_t fieldNo, const char* name) noexcept override;

  // --- engine-internal access (cursors, packet code) ---
  std::recursive_mutex& mutex() { return mu_; }
  TableData& data() { return d_; }
  const TableData& data() const { return d_; }
  bool HasFields() const { return !d_.fields.empty(); }
  std::shared_ptr<DSIndex> DefaultOrder() const;
  std::shared_ptr<DSIndex> FindIndex(const char* name) const;  // listed, non-temporary
  std::shared_ptr<DSIndex> FindIndexByDesc(const DSIDXDesc& d) const;
  // A temporary order built from the given slots. A maintained one joins the
  // table's list, so edits keep it in order, until no cursor uses it any more
  // (DropUnusedTemporaries); an unmaintained one is rebuilt by its cursor.
  std::shared_ptr<DSIndex> NewTemporaryIndex(const DSIDXDesc& d, const std::vector<std::uint32_t>& from,
                                             EngineResult* result, bool maintained = true,
                                             IndexKind kind = IndexKind::Ordinary);
  // Slots of the change-log order "CHANGEINDEX" under the view flags
  // (dspropCHANGEINDEX_VIEW), in log order.
  std::vector<std::uint32_t> ChangeViewSlots() const;
  std::int32_t changeIndexView() const { return changeIndexView_; }
  void DropUnusedTemporaries();
  DSBASE* Nested(std::uint32_t fieldIdx) const;
  // Slots of a nested table that belong to a master link number.
  const std::vector<std::uint32_t>& SlotsOfLink(std::uint32_t link) const;
  std::int32_t RecordsInDs() const;
  bool readOnlyProp() const { return readOnly_; }
  bool disableStringTrim() const { return disableStringTrim_; }
  // Change notification of registered cursors (registration order). The
  // callbacks run over a copy of the list, so a callback may register or
  // unregister cursors.
  void SetNotify(const void* cursor, DSClientData client, pfCHANGECallBack cb);
  void NotifyChange();
  // Counts record changes (every NotifyChange), so that derived views such as
  // filtered orders notice edits that leave an order's positions as they were.
  std::uint64_t changeStamp() const { return changeStamp_; }
  std::size_t MemoryBytes() const;

  // --- editing and the change log (changelog.cpp) ---
  // Stores a composed record in a new slot (auto-increment value, calculated
  // fields, indexes, log entry, notification).
  // A nested table's record joins the master link number given.
  EngineResult EditInsert(const std::uint8_t* rec, std::uint32_t* slot, std::uint32_t link = 0);
  // Replaces a live record by a composed new version.
  EngineResult EditModify(std::uint32_t slot, const std::uint8_t* rec, std::uint32_t* newSlot);
  EngineResult EditDelete(std::uint32_t slot);
  // Undoes the last log entry; affected is the slot the change concerned
  // afterwards (the restored record, or the discarded one).
  EngineResult UndoLast(std::uint32_t* affected);
  // Undoes all logged changes of the record in a slot.
  EngineResult RevertSlot(std::uint32_t slot, std::uint32_t* restored, bool* wasInsert);
  // The live slot holding the current version of the record once held by a
  // slot; 0 when the record is gone.
  std::uint32_t Follow(std::uint32_t slot) const;
  bool HasNestedTables() const;
  // Each modified record's original version (slot → slot), from the change log.
  std::unordered_map<std::uint32_t, std::uint32_t> OriginalVersions() const;
  bool logChanges() const { return logChanges_; }
  std::size_t LogEntries() const { return changeLog_.size() / 3; }
  std::int32_t NetChangeCount() const;
  struct NetChange {
    std::uint32_t kind, first, last;  // log kind; first and last version's slot
  };
  std::vector<NetChange> NetChanges() const;

  // --- master-detail links (tablelinks.cpp) ---
  // Detail-updated log entries name the detail table by a link id: the
  // field number of a nested-table field, or kFieldLinkBase plus the number
  // of a link by fields to a separate table.
  static constexpr std::uint32_t kFieldLinkBase = 0x10000u;
  struct FieldLink {
    DSRef<DSBASE> detail;     // holds a separate detail table
    DSBASE* table = nullptr;  // the detail table
    std::vector<std::uint32_t> masterFields, detailFields;  // 0-based
  };
  // The link fields of a nested table attached with MakeEmbedded (or read
  // from "MD_FIELDLINKS"); nullptr when it has none.
  const FieldLink* NestedLinkFields(std::uint32_t fieldIdx) const;
  // Records a link by fields to a separate detail table (the same link
  // again keeps its id).
  EngineResult AddFieldLink(DSBASE* detail, const std::vector<std::uint32_t>& masterFields,
                            const std::vector<std::uint32_t>& detailFields, std::uint32_t* linkId);
  DSBASE* DetailOfLink(std::uint32_t linkId) const;
  DSBASE* MasterTable() const { return master_; }
  // Appends (slot, link id, 64) when changes are logged.
  EngineResult LogDetailUpdate(std::uint32_t masterSlot, std::uint32_t linkId);
  // Cancels the newest n detail-updated entries of a link (kind 0 entries
  // are skipped by undo and by the net changes).
  std::size_t ForgetDetailUpdates(std::uint32_t linkId, std::size_t n);
  // Whether a master record has live detail records in a nested table or a
  // table linked by fields.
  bool HasDetails(std::uint32_t slot) const;
  // Live detail slots of a master record under one link id.
  std::vector<std::uint32_t> DetailSlots(std::uint32_t slot, std::uint32_t linkId) const;
  // Nested tables: the next link number for a master record.
  EngineResult NewLink(std::uint32_t* link);
  bool CascadeDeletes() const { return (mdSemantics_ & (mdCASCADEDEL | dsCASCADEDELETES)) != 0; }
  bool CascadeUpdates() const { return (mdSemantics_ & (mdCASCADEMOD | dsCASCADEUPDATES)) != 0; }
  // A new version of a master record that changes link values while the
  // record has details: 16398 unless updates cascade.
  EngineResult CheckLinkChange(std::uint32_t slot, const std::uint8_t* newRec) const;
  // Cascaded changes of a master record's details, each logged in the
  // detail table and as a detail-updated entry for the master record.
  EngineResult DeleteDetails(std::uint32_t slot);
  EngineResult UpdateDetailLinks(std::uint32_t slot, const std::uint8_t* newRec);
  // Whether a detail table still has net changes for a master record.
  bool DetailHasNetChanges(std::uint32_t masterSlot, std::uint32_t linkId,
                           const std::vector<NetChange>& detailNet) const;

  // --- record and field constraints (constraints.cpp) ---
  // Checks a record in the table's layout against the record constraints
  // (fieldNo 0) or the field constraints of a field, unless constraints are
  // disabled; a failure keeps the constraint's message for GetErrorString.
  EngineResult CheckConstraints(std::uint32_t fieldNo, const std::uint8_t* rec);
  // Copies the message of the last failed constraint into a GetErrorString
  // buffer and forgets it; false when there is none.
  bool TakeConstraintMessage(char* buffer);
  // Whether field constraints read a field (false while disabled).
  EngineResult FieldHasConstraints(std::uint32_t fieldNo, bool* any);
  // Gives fldAttrREQUIRED to each field that a constraint flagged so reads
  // alone (after the table's attributes are read).
  void MarkConstraintRequiredFields();

 protected:
  const DSGuid& OwnIid() const noexcept override { return IID_IDSBase; }

 private:
  friend class TableLoader;
  friend class TableStreamer;
  EngineResult BuildFromMetadata(const DSEXTRACT& x, int level, bool nested);
  EngineResult ApplyTableAttrs(const std::vector<struct PacketAttr>& attrs, std::vector<DSIDXDesc>& extra);
  EngineResult FinishLayout();
  // A new field list for the stored records (fields keep their storage, so
  // only fields may be added or dropped at the end): the records copied into
  // it, with the fields past the old ones null, then taken over.
  struct Relayout {
    std::vector<DSFLDDesc> fields;
    std::vector<std::uint8_t> rows;
    std::int32_t recSize = 0, dataSize = 0;
  };
  EngineResult PrepareRelayout(std::vector<DSFLDDesc> fields, Relayout& out) const;
  void CommitRelayout(Relayout& r);
  EngineResult BuildIndexes();
  void ReadNestedLinkFields();
  void ClearAll();
  std::uint32_t NextIndexId() { return ++indexCounter_; }
  // change log helpers
  EngineResult AppendLog(std::uint32_t slot, std::uint32_t prev, std::uint32_t kind);
  void DropLastSlotOrMark(std::uint32_t slot);
  void LogShrunk();
  void ForgetSavePoints();
  EngineResult InsertIntoIndexes(std::uint32_t slot);
  void RemoveFromIndexes(std::uint32_t slot);
  bool RecordsEqual(std::uint32_t a, std::uint32_t b) const;
  void ReleaseUnusedBlobs();
  EngineResult GetSavePoint(std::int32_t* out);
  EngineResult LoadedLogCheck();

  std::recursive_mutex mu_;
  TableData d_;
  std::string name_;
  std::vector<std::vector<OptParam>> fieldParams_;
  std::vector<OptParam> tableParams_;
  std::vector<std::shared_ptr<DSIndex>> indexes_;
  std::uint32_t indexCounter_ = 0;
  bool defaultOrderRedefined_ = false;
  int defaultUnique_ = 0;  // 0 none, 1 unique, 2 primary
  bool hasDefaultOrderAttr_ = false;
  DSIDXDesc defaultOrderDesc_{};
  std::vector<DSIDXDesc> pendingIndexes_;
  std::vector<std::uint32_t> changeLog_;  // three values per entry
  // Save points: recorded log lengths, valid ones ascending (a save point
  // never records more than the current log length).
  struct SavePoint {
    std::size_t entries = 0;
    std::uint32_t users = 0;
    bool valid = false;
  };
  std::vector<SavePoint> savePoints_;        // id n at n - 1
  std::vector<std::uint32_t> validPoints_;   // ids of valid save points, ascending length
  std::uint32_t saveGeneration_ = 1;
  std::unordered_map<std::uint32_t, std::uint32_t> forward_;  // slot -> newer version's slot
  mutable std::int32_t netCount_ = -1;  // cached net change count, -1 = stale
  std::int32_t autoIncValue_ = 1;
  std::vector<DSRef<DSBASE>> nested_;  // per field, set for fldTABLE fields
  std::vector<FieldLink> fieldLinks_;  // id kFieldLinkBase + n at n
  std::vector<FieldLink> nestedLinks_; // per field: link fields of a nested table
  std::uint32_t nextLink_ = 0;
  std::vector<std::vector<std::uint32_t>> slotsOfLink_;
  DSBASE* master_ = nullptr;  // not owning
  // properties
  bool logChanges_ = true, readOnly_ = false, constraintsDisabled_ = false, partial_ = false;
  bool autoIncDisabled_ = false, dontInclMetadata_ = false, inclBlobsInDelta_ = false;
  bool compressArrays_ = false, disableDeletes_ = false, disableInserts_ = false, disableEdits_ = false;
  bool disableStringTrim_ = false, utf8Metadata_ = false, utf8ErrorMsg_ = false;
  std::int32_t mdSemantics_ = 0, changeIndexView_ = 0, remoteUpdateMode_ = 0, xmlStreamMode_ = 0;
  std::int32_t dataHasChanged_ = 0, codePage_ = kDefaultCodePage, lcid_ = 0;
  struct Notify {
    const void* cursor;
    DSClientData client;
    pfCHANGECallBack cb;
  };
  std::vector<Notify> notify_;
  std::uint64_t changeStamp_ = 0;
  DSClientData calcClient_ = 0;
  pfDSCalcField calc_ = nullptr;
  std::shared_ptr<ConstraintSet> constraints_;
  std::string constraintMessage_;  // of the last failed constraint, handed out once
};

// Copies a C string into a fixed field with terminator.
void CopyName(char* dst, std::size_t cap, const std::string& src);

}  // namespace engine
