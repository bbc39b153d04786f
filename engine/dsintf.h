// The three interfaces of the table engine (IDSBase, IDSCursor, IDSWriter),
// their reference counting and the factories. Operations are declared in
// slot order; none throws, every one returns an EngineResult.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/dstypes.h"

namespace engine {

using DSPacket = std::vector<std::uint8_t>;

struct DSGuid {
  std::uint32_t d1;
  std::uint16_t d2, d3;
  std::uint8_t d4[8];
  friend bool operator==(const DSGuid&, const DSGuid&) = default;
};

extern const DSGuid IID_IDSUnknown;
extern const DSGuid IID_IDSBase;
extern const DSGuid IID_IDSCursor;
extern const DSGuid IID_IDSWriter;

// Slots 0..2 of every interface.
class IDSUnknown {
 public:
  virtual EngineResult QueryInterface(const DSGuid& iid, void** out) noexcept = 0;
  virtual std::uint32_t AddRef() noexcept = 0;
  virtual std::uint32_t Release() noexcept = 0;

 protected:
  virtual ~IDSUnknown() = default;
};

class IDSCursor;

class IDSBase : public IDSUnknown {
 public:
  virtual EngineResult Create(std::uint32_t iFields, const DSFLDDesc* fields, const char* name) noexcept = 0;
  virtual EngineResult AddField(const DSFLDDesc* field) noexcept = 0;
  virtual EngineResult AppendData(const std::uint8_t* packet, std::size_t size, DSBool last) noexcept = 0;
  virtual EngineResult GetOptParameter(std::uint32_t index, std::uint32_t fieldNo, char* name,
                                       std::uint32_t* type, std::uint32_t* length,
                                       const void** value) noexcept = 0;
  virtual EngineResult AddOptParameter(std::uint32_t fieldNo, const char* name, std::uint32_t type,
                                       std::uint32_t length, const void* value) noexcept = 0;
  virtual EngineResult GetProps(DSProps* props) noexcept = 0;
  virtual EngineResult GetFieldDescs(DSFLDDesc* fields) noexcept = 0;
  virtual EngineResult GetIndexDescs(DSIDXDesc* indexes) noexcept = 0;
  virtual EngineResult GetDelta(IDSBase** delta) noexcept = 0;
  virtual EngineResult StreamDS(DSPacket* packet) noexcept = 0;
  virtual EngineResult AcceptChanges() noexcept = 0;
  virtual EngineResult PutBlank(std::uint8_t* recBuf, std::uint32_t recNo, std::uint32_t fieldNo,
                                std::uint32_t blankState) noexcept = 0;
  virtual EngineResult CreateIndex(const DSIDXDesc* index) noexcept = 0;
  virtual EngineResult RemoveIndex(const char* name) noexcept = 0;
  // buffer holds at least DBERR_MSG_MAX + 1 bytes
  virtual EngineResult GetErrorString(EngineResult code, char* buffer) noexcept = 0;
  virtual std::int32_t FldCmp(std::uint32_t fldType, const void* value1, const void* value2,
                              std::uint32_t len1, std::uint32_t len2) noexcept = 0;
  virtual EngineResult GetProp(DSProp prop, void* value) noexcept = 0;
  virtual EngineResult SetProp(DSProp prop, std::uintptr_t value) noexcept = 0;
  virtual EngineResult SetFieldCalculation(DSClientData client, pfDSCalcField calc) noexcept = 0;
  virtual EngineResult Reconcile(const std::uint8_t* delta, std::size_t deltaSize,
                                 const std::uint8_t* errors, std::size_t errorsSize,
                                 DSClientData client, pfDSReconcile callback) noexcept = 0;
  virtual EngineResult Reserved1(void* p) noexcept = 0;
  virtual EngineResult Reserved2(void* p) noexcept = 0;
  virtual EngineResult Reserved3(void* p) noexcept = 0;
  virtual EngineResult Refresh(const std::uint8_t* packet, std::size_t size, DSClientData client,
                               pfDSReconcile callback) noexcept = 0;
  virtual EngineResult Reset() noexcept = 0;
  virtual EngineResult RollBack(std::uint32_t savePoint) noexcept = 0;
  virtual EngineResult GetEmbeddedDS(std::uint32_t fieldNo, IDSBase** nested) noexcept = 0;
  virtual EngineResult MakeEmbedded(IDSBase* detail, std::uint32_t linkFields,
                                    const std::uint32_t* masterFields,
                                    const std::uint32_t* detailFields, const char* masterName,
                                    const char* detailName) noexcept = 0;
  virtual EngineResult RefreshRecords(const std::uint8_t* packet, std::size_t size,
                                      std::uint32_t recNo, DSClientData client,
                                      pfDSReconcile callback) noexcept = 0;
  virtual EngineResult ReleaseBlobs(std::uint32_t blobId) noexcept = 0;
  virtual EngineResult Clone(std::uint32_t kind, DSBool recurse, DSBool cloneLog,
                             IDSBase** clone) noexcept = 0;
  virtual EngineResult Reconcile_MD(IDSBase* delta, const std::uint8_t* deltaPacket,
                                    std::size_t deltaSize, const std::uint8_t* errors,
                                    std::size_t errorsSize, DSClientData client,
                                    pfDSReconcile_MD callback) noexcept = 0;
  virtual EngineResult DropOptParameter(std::uint32_t fieldNo, const char* name) noexcept = 0;
};

class IDSCursor : public IDSUnknown {
 public:
  virtual EngineResult InitCursor(IDSBase* table) noexcept = 0;
  virtual EngineResult CloneCursor(IDSCursor* other) noexcept = 0;
  virtual EngineResult GetCursorProps(DSProps* props) noexcept = 0;
  virtual EngineResult GetIndexDescs(DSBool currentOnly, DSIDXDesc* indexes) noexcept = 0;
  virtual EngineResult GetFieldDescs(DSFLDDesc* fields) noexcept = 0;
  virtual EngineResult GetCurrentRecord(std::uint8_t* recBuf) noexcept = 0;
  virtual EngineResult GetRecordBlock(std::uint32_t* count, std::uint8_t* buffer) noexcept = 0;
  virtual EngineResult GetCurrentBookMark(std::uint8_t* bookmark) noexcept = 0;
  virtual EngineResult GetSequenceNumber(std::uint32_t* seqNo) noexcept = 0;
  virtual EngineResult GetRecordAttribute(std::uint8_t* attr) noexcept = 0;
  virtual EngineResult GetRecordCount(std::int32_t* count) noexcept = 0;
  virtual EngineResult MoveToBOF() noexcept = 0;
  virtual EngineResult MoveToEOF() noexcept = 0;
  virtual EngineResult MoveRelative(std::int32_t count) noexcept = 0;
  virtual EngineResult MoveToSeqNo(std::uint32_t seqNo) noexcept = 0;
  virtual EngineResult MoveToBookMark(const std::uint8_t* bookmark) noexcept = 0;
  virtual EngineResult MoveToKey(DBSearchCond cond, std::uint32_t fields, std::uint32_t partialLen,
                                 const std::uint8_t* key) noexcept = 0;
  virtual EngineResult CompareBookMarks(const std::uint8_t* bookmark1, const std::uint8_t* bookmark2,
                                        std::int32_t* result) noexcept = 0;
  virtual EngineResult ExtractKey(const std::uint8_t* recBuf, std::uint8_t* keyBuf) noexcept = 0;
  virtual EngineResult GetRecordForKey(std::uint32_t fields, std::uint32_t partialLen,
                                       const std::uint8_t* key, std::uint8_t* recBuf) noexcept = 0;
  virtual EngineResult GetField(const std::uint8_t* recBuf, std::uint32_t fieldNo, void* value,
                                DSBool* blank) noexcept = 0;
  virtual EngineResult PutField(std::uint8_t* recBuf, std::uint32_t fieldNo, const void* value) noexcept = 0;
  virtual EngineResult GetBlobLen(const std::uint8_t* recBuf, std::uint32_t fieldNo,
                                  std::uint32_t* length) noexcept = 0;
  virtual EngineResult GetBlob(const std::uint8_t* recBuf, std::uint32_t fieldNo, std::uint32_t offset,
                               void* buffer, std::uint32_t* length) noexcept = 0;
  virtual EngineResult PutBlob(std::uint8_t* recBuf, std::uint32_t fieldNo, std::uint32_t offset,
                               const void* data, std::uint32_t length) noexcept = 0;
  virtual EngineResult InitRecord(std::uint8_t* recBuf) noexcept = 0;
  virtual EngineResult DeleteRecord() noexcept = 0;
  virtual EngineResult ModifyRecord(const std::uint8_t* recBuf) noexcept = 0;
  virtual EngineResult InsertRecord(const std::uint8_t* recBuf) noexcept = 0;
  virtual EngineResult UndoLastChange(DSBool follow) noexcept = 0;
  virtual EngineResult AddFilter(const void* expr, std::uint32_t size, hDSFilter* filter) noexcept = 0;
  virtual EngineResult DropFilter(hDSFilter filter) noexcept = 0;
  virtual EngineResult SetRange(std::uint32_t fields, const std::uint8_t* keyLow, DSBool lowInclusive,
                                const std::uint8_t* keyHigh, DSBool highInclusive) noexcept = 0;
  virtual EngineResult DropRange() noexcept = 0;
  virtual EngineResult SortOnFields(std::uint32_t fields, const std::uint32_t* fieldNos,
                                    const DSBool* descending, const DSBool* caseInsensitive) noexcept = 0;
  virtual EngineResult UseIndexOrder(const char* name) noexcept = 0;
  virtual EngineResult SetNotifyCallBack(DSClientData client, pfCHANGECallBack callback) noexcept = 0;
  virtual EngineResult AddFilterCallBack(DSClientData client, pfDSFilter filterFn, hDSFilter* filter) noexcept = 0;
  virtual EngineResult VerifyField(std::uint32_t fieldNo, const void* value) noexcept = 0;
  virtual EngineResult GetProp(CURProp prop, void* value) noexcept = 0;
  virtual EngineResult RevertRecord() noexcept = 0;
  virtual EngineResult LocateWithFilter(const void* expr, std::uint32_t size) noexcept = 0;
  virtual EngineResult AddAggregate(std::uint32_t groupLevel, std::uint32_t size, const void* expr,
                                    hDSAggregate* aggregate) noexcept = 0;
  virtual EngineResult DropAggregate(hDSAggregate aggregate) noexcept = 0;
  virtual EngineResult GetAggregateValue(hDSAggregate aggregate, void* value, DSBool* blank) noexcept = 0;
  virtual EngineResult GetAggregateDesc(hDSAggregate aggregate, DSFLDDesc* desc) noexcept = 0;
  virtual EngineResult MoveToNextSubGroup(std::uint32_t groupLevel) noexcept = 0;
  virtual EngineResult GetSubGroupState(std::uint32_t groupLevel, GROUPSTATE* state) noexcept = 0;
  virtual EngineResult LinkCursors(std::uint32_t fields, const std::uint32_t* masterFields,
                                   const std::uint32_t* detailFields, IDSCursor* detail) noexcept = 0;
  virtual EngineResult ResyncWithMaster() noexcept = 0;
  virtual EngineResult SetProp(CURProp prop, std::uintptr_t value) noexcept = 0;
  virtual EngineResult GetRecordNumber(std::uint32_t* recNo) noexcept = 0;
  virtual EngineResult GetRowRequestPacket(DSBool keysOnly, DSBool fetchAllBlobs,
                                           DSBool fetchAllDetails, DSBool inclMetaData,
                                           DSPacket* packet) noexcept = 0;
  virtual EngineResult RefreshRecord(const std::uint8_t* packet, std::size_t size) noexcept = 0;
};

class IDSWriter : public IDSUnknown {
 public:
  virtual EngineResult Init_Sequential(std::uint32_t version, std::uint32_t columns) noexcept = 0;
  virtual EngineResult Init(std::uint32_t version, std::uint32_t columns,
                            const TDSDataPacketFldDesc* descs) noexcept = 0;
  virtual EngineResult AddAttribute(TPcktAttrArea area, const char* name, std::uint32_t type,
                                    std::uint32_t length, const void* value) noexcept = 0;
  virtual EngineResult GetDataPacket(DSPacket* packet) noexcept = 0;
  virtual EngineResult GetSize(std::uint32_t* size) noexcept = 0;
  virtual EngineResult PutField(TPcktFldStatus status, std::uint32_t length, const void* value) noexcept = 0;
  virtual EngineResult AddColumnDesc(const TDSDataPacketFldDesc* desc) noexcept = 0;
  virtual EngineResult Reset() noexcept = 0;
  virtual EngineResult GetColumnCount(std::uint32_t* count) noexcept = 0;
  virtual EngineResult GetColumnDescs(TDSDataPacketFldDesc* descs) noexcept = 0;
  virtual EngineResult GetErrorString(EngineResult code, char* buffer) noexcept = 0;
  virtual EngineResult EndOfNestedRows() noexcept = 0;
  virtual EngineResult SetXMLMode(std::int32_t mode) noexcept = 0;
  virtual std::int32_t GetXMLMode() noexcept = 0;
};

// Factories: a new object with reference count 1 (owned by *out), or
// DBERR_NOMEMORY.
EngineResult CreateDSBase(IDSBase** out) noexcept;
EngineResult CreateDSCursor(IDSCursor** out) noexcept;
EngineResult CreateDSWriter(IDSWriter** out) noexcept;

// Number of live engine objects.
std::uint32_t LiveObjectCount() noexcept;

// Owning smart pointer for engine objects (intrusive count).
template <class T>
class DSRef {
 public:
  DSRef() = default;
  explicit DSRef(T* p, bool addRef = false) : p_(p) {
    if (p_ && addRef) p_->AddRef();
  }
  DSRef(const DSRef& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  DSRef(DSRef&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  DSRef& operator=(DSRef o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~DSRef() {
    if (p_) p_->Release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Release the held object and hand out the slot for an out-parameter.
  T** put() {
    if (p_) p_->Release();
    p_ = nullptr;
    return &p_;
  }
  T* detach() { return std::exchange(p_, nullptr); }

 private:
  T* p_ = nullptr;
};

}  // namespace engine
