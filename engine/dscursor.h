// DSCursor: a position in one table under one order (IDSCursor).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/aggregates.h"
#include "engine/dsindex.h"
#include "engine/dstable.h"
#include "engine/refcounted.h"

namespace engine {

namespace expr {
class ExprProgram;
}
class StoredRecordAccess;

class DSCursor final : public RefCounted<IDSCursor> {
 public:
  DSCursor() = default;
  ~DSCursor() override;

  EngineResult InitCursor(IDSBase* table) noexcept override;
  EngineResult CloneCursor(IDSCursor* other) noexcept override;
  EngineResult GetCursorProps(DSProps* props) noexcept override;
  EngineResult GetIndexDescs(DSBool currentOnly, DSIDXDesc* indexes) noexcept override;
  EngineResult GetFieldDescs(DSFLDDesc* fields) noexcept override;
  EngineResult GetCurrentRecord(std::uint8_t* recBuf) noexcept override;
  EngineResult GetRecordBlock(std::uint32_t* count, std::uint8_t* buffer) noexcept override;
  EngineResult GetCurrentBookMark(std::uint8_t* bookmark) noexcept override;
  EngineResult GetSequenceNumber(std::uint32_t* seqNo) noexcept override;
  EngineResult GetRecordAttribute(std::uint8_t* attr) noexcept override;
  EngineResult GetRecordCount(std::int32_t* count) noexcept override;
  EngineResult MoveToBOF() noexcept override;
  EngineResult MoveToEOF() noexcept override;
  EngineResult MoveRelative(std::int32_t count) noexcept override;
  EngineResult MoveToSeqNo(std::uint32_t seqNo) noexcept override;
  EngineResult MoveToBookMark(const std::uint8_t* bookmark) noexcept override;
  EngineResult MoveToKey(DBSearchCond cond, std::uint32_t fields, std::uint32_t partialLen,
                         const std::uint8_t* key) noexcept override;
  EngineResult CompareBookMarks(const std::uint8_t* bookmark1, const std::uint8_t* bookmark2,
                                std::int32_t* result) noexcept override;
  EngineResult ExtractKey(const std::uint8_t* recBuf, std::uint8_t* keyBuf) noexcept override;
  EngineResult GetRecordForKey(std::uint32_t fields, std::uint32_t partialLen, const std::uint8_t* key,
                               std::uint8_t* recBuf) noexcept override;
  EngineResult GetField(const std::uint8_t* recBuf, std::uint32_t fieldNo, void* value,
                        DSBool* blank) noexcept override;
  EngineResult PutField(std::uint8_t* recBuf, std::uint32_t fieldNo, const void* value) noexcept override;
  EngineResult GetBlobLen(const std::uint8_t* recBuf, std::uint32_t fieldNo, std::uint32_t* length) noexcept override;
  EngineResult GetBlob(const std::uint8_t* recBuf, std::uint32_t fieldNo, std::uint32_t offset, void* buffer,
                       std::uint32_t* length) noexcept override;
  EngineResult PutBlob(std::uint8_t* recBuf, std::uint32_t fieldNo, std::uint32_t offset, const void* data,
                       std::uint32_t length) noexcept override;
  EngineResult InitRecord(std::uint8_t* recBuf) noexcept override;
  EngineResult DeleteRecord() noexcept override;
  EngineResult ModifyRecord(const std::uint8_t* recBuf) noexcept override;
  EngineResult InsertRecord(const std::uint8_t* recBuf) noexcept override;
  EngineResult UndoLastChange(DSBool follow) noexcept override;
  EngineResult AddFilter(const void* expr, std::uint32_t size, hDSFilter* filter) noexcept override;
  EngineResult DropFilter(hDSFilter filter) noexcept override;
  EngineResult SetRange(std::uint32_t fields, const std::uint8_t* keyLow, DSBool lowInclusive,
                        const std::uint8_t* keyHigh, DSBool highInclusive) noexcept override;
  EngineResult DropRange() noexcept override;
  EngineResult SortOnFields(std::uint32_t fields, const std::uint32_t* fieldNos, const DSBool* descending,
                            const DSBool* caseInsensitive) noexcept override;
  EngineResult UseIndexOrder(const char* name) noexcept override;
  EngineResult SetNotifyCallBack(DSClientData client, pfCHANGECallBack callback) noexcept override;
  EngineResult AddFilterCallBack(DSClientData client, pfDSFilter filterFn, hDSFilter* filter) noexcept override;
  EngineResult VerifyField(std::uint32_t fieldNo, const void* value) noexcept override;
  EngineResult GetProp(CURProp prop, void* value) noexcept override;
  EngineResult RevertRecord() noexcept override;
  EngineResult LocateWithFilter(const void* expr, std::uint32_t size) noexcept override;
  EngineResult AddAggregate(std::uint32_t groupLevel, std::uint32_t size, const void* expr,
                            hDSAggregate* aggregate) noexcept override;
  EngineResult DropAggregate(hDSAggregate aggregate) noexcept override;
  EngineResult GetAggregateValue(hDSAggregate aggregate, void* value, DSBool* blank) noexcept override;
  EngineResult GetAggregateDesc(hDSAggregate aggregate, DSFLDDesc* desc) noexcept override;
  EngineResult MoveToNextSubGroup(std::uint32_t groupLevel) noexcept override;
  EngineResult GetSubGroupState(std::uint32_t groupLevel, GROUPSTATE* state) noexcept override;
  EngineResult LinkCursors(std::uint32_t fields, const std::uint32_t* masterFields,
                           const std::uint32_t* detailFields, IDSCursor* detail) noexcept override;
  EngineResult ResyncWithMaster() noexcept override;
  EngineResult SetProp(CURProp prop, std::uintptr_t value) noexcept override;
  EngineResult GetRecordNumber(std::uint32_t* recNo) noexcept override;
  EngineResult GetRowRequestPacket(DSBool keysOnly, DSBool fetchAllBlobs, DSBool fetchAllDetails,
                                   DSBool inclMetaData, DSPacket* packet) noexcept override;
  EngineResult RefreshRecord(const std::uint8_t* packet, std::size_t size) noexcept override;

 protected:
  const DSGuid& OwnIid() const noexcept override { return IID_IDSCursor; }

 private:
  struct RangeKey {
    bool set = false;
    std::vector<std::uint8_t> key;
    std::uint32_t fields = 0;
    bool inclusive = true;
  };
  bool Bound() const { return static_cast<bool>(table_); }
  void Sync();
  void ComputeRange();
  void Remember();
  EngineResult StandAtBOF() noexcept;
  void SetOrder(std::shared_ptr<DSIndex> ix);
  void KeepRecordAfterOrderChange(std::uint32_t slot);
  std::uint32_t Lower(const std::uint8_t* key, std::uint32_t n, std::uint32_t partial) const;
  std::uint32_t Upper(const std::uint8_t* key, std::uint32_t n, std::uint32_t partial) const;
  // Current position of a bookmark in this cursor's order; false when its
  // record is no longer in the order.
  bool ResolveBookmark(const DSBOOKMRK& b, std::int64_t* pos) const;
  bool ValidBookmark(const DSBOOKMRK& b) const;
  const std::uint8_t* CurrentRec();
  const DSFLDDesc* Field(std::uint32_t fieldNo) const;
  // Filters (cursorfilter.cpp). With filters the cursor moves over a
  // filtered order holding the records of base_ that pass every filter, in
  // base_'s order; it is rebuilt when the table or base_ changed since.
  struct FilterEntry {
    hDSFilter handle = 0;
    std::shared_ptr<expr::ExprProgram> program;  // expression filter
    DSClientData client = 0;                     // function filter
    pfDSFilter fn = nullptr;
  };
  class BaseOrderScope;
  bool Filtering() const { return static_cast<bool>(base_); }
  EngineResult CompileBlob(const void* expr, std::uint32_t size, std::shared_ptr<expr::ExprProgram>& out);
  bool Passes(std::uint32_t slot);
  EngineResult BuildFilteredOrder();
  void RefreshFilter();
  EngineResult AddFilterEntry(FilterEntry entry, hDSFilter* filter);
  void RestoreBaseOrder();
  void PlaceOn(std::uint32_t slot);
  // The change-log order: rebuilt from the log like a filtered order.
  EngineResult BuildChangeOrder();
  void RefreshChangeOrder();
  // Editing helpers (cursorediting.cpp).
  EngineResult EditAllowed() const;
  EngineResult AfterDetailChange();
  // A detail link field of a cursor linked by fields (keeps its stored value).
  bool IsLinkField(const DSFLDDesc& f) const {
    for (std::uint32_t i : linkFields_)
      if (fields_[i].iFieldID == f.iFieldID) return true;
    return false;
  }
  void LandOn(std::uint32_t slot, bool missingIsCrack);
  // Master-detail link (cursorlink.cpp).
  bool FieldLinked() const { return linked_ && !linkFields_.empty(); }
  bool OrderFitsLink(const DSIDXDesc& d) const;
  // The master record's link values put into a detail-layout buffer (the
  // detail's link fields only); false when the master is not on a record.
  bool MasterLinkKey(std::vector<std::uint8_t>& key, std::uint32_t* masterSlot);
  // Copies the link values last applied into a detail record.
  void FillLinkFields(std::uint8_t* rec) const;
  // The master record's nested link number for an insert (assigned when it
  // has none yet): 16395 without a master record, 16394 when the master's
  // details were not fetched.
  EngineResult NestedInsertLink(std::uint32_t* link);
  // After a change through this detail cursor: a detail-updated entry for
  // the master record in each master's log up the chain.
  EngineResult LogDetailChange();
  // After this detail's table lost log entries through this cursor (undo,
  // revert): the masters' matching detail-updated entries are cancelled.
  void ForgetDetailChanges(std::size_t entries);
  std::uint32_t LinkId() const;
  // Aggregates (aggregates.cpp).
  AggregateDef* FindAggregate(hDSAggregate h);
  bool GroupSpan(std::uint32_t level, std::int64_t& from, std::int64_t& to, EngineResult& why);

  DSRef<DSBASE> table_;
  std::shared_ptr<DSIndex> order_;
  std::vector<DSFLDDesc> fields_;
  std::int64_t pos_ = 0;
  EngineResult state_ = DBERR_BOF;
  std::int64_t first_ = 1, last_ = 0;
  std::int64_t baseFirst_ = 1, baseLast_ = 0;
  RangeKey low_, high_;
  std::uint32_t recNo_ = 0;
  std::uint32_t seenMod_ = 0;
  std::uint32_t changeCounter_ = 0;
  // master-detail link over a nested table
  DSRef<DSCursor> master_;
  std::uint32_t masterField_ = 0;  // 0-based field index of the fldTABLE field in the master
  bool linked_ = false;
  std::uint32_t link_ = 0;         // master link number applied
  bool detailsNotFetched_ = false;
  std::uint32_t masterCounterSeen_ = 0xFFFFFFFFu;
  // master-detail link by fields between separate tables
  std::vector<std::uint32_t> linkFields_;        // 0-based detail fields the order begins with
  std::vector<std::uint32_t> masterLinkFields_;  // 0-based master fields
  std::uint32_t fieldLinkId_ = 0;                // the link's id in the master table's log entries
  std::vector<std::uint8_t> linkKey_;            // detail-layout buffer with the applied link values
  bool linkKeySet_ = false;
  std::uint32_t masterSlot_ = 0;                 // master record the link values came from
  std::vector<FilterEntry> filters_;
  hDSFilter nextFilter_ = 1;
  std::shared_ptr<DSIndex> base_;  // order the filtered order is made from
  std::uint32_t baseSeen_ = 0;
  std::uint64_t stampSeen_ = 0;
  std::uint32_t slotsSeen_ = 0;
  bool refiltering_ = false;
  bool changeOrder_ = false;  // order_ is the change-log order
  std::int32_t viewSeen_ = 0;
  std::shared_ptr<expr::ExprProgram> locate_;
  std::shared_ptr<StoredRecordAccess> access_;
  DSClientData notifyClient_ = 0;
  pfCHANGECallBack notify_ = nullptr;
  std::vector<AggregateDef> aggs_;
  hDSAggregate nextAgg_ = 1;
};

}  // namespace engine
