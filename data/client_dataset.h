#pragma once
// TCustomClientDataSet / TClientDataSet: the dataset whose records live in
// the in-memory table engine. Every record-level operation of TDataSet is one
// or a few calls on an engine table (IDSBase) and cursor (IDSCursor); engine
// failures surface as EDBClient with the engine's own message.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "components/collection.h"
#include "core/stream.h"
#include "data/dataset.h"
#include "data/filter/filter_options.h"
#include "data/persist_data_packet.h"
#include "engine/dsintf.h"

namespace data {

class TDataSetField;

// An engine failure: the engine's message (no component prefix) and its result code.
class EDBClient : public EDatabaseError {
public:
    EDBClient(std::u16string message, int errorCode) : EDatabaseError(std::move(message)), FErrorCode(errorCode) {}
    int ErrorCode() const { return FErrorCode; }
    const char* ClassName() const noexcept override { return "EDBClient"; }

private:
    int FErrorCode;
};

enum class TDataPacketFormat : uint8_t { dfBinary, dfXML, dfXMLUTF8 };
using TUpdateStatusSet = components::TSet<TUpdateStatus>;
enum class TLocateOption : uint8_t { loCaseInsensitive, loPartialKey };
using TLocateOptions = components::TSet<TLocateOption>;
enum class TIndexOption : uint8_t { ixPrimary, ixUnique, ixDescending, ixCaseInsensitive };
using TIndexOptions = components::TSet<TIndexOption>;

// An index definition of a client dataset (created in the table on first use).
struct TClientIndexDef {
    std::u16string Name;
    std::u16string Fields;         // ";"-separated key fields
    TIndexOptions Options;
    std::u16string DescFields;     // key fields sorted descending
    std::u16string CaseInsFields;  // key fields compared without regard to case
};
enum class TDataSetOption : uint8_t { doDisableInserts, doDisableDeletes, doDisableEdits, doNoResetCall };
using TDataSetOptions = components::TSet<TDataSetOption>;

namespace msg {
inline constexpr const char16_t* MissingDataPacket = u"Missing data provider or data packet";
inline constexpr const char16_t* NoFieldsDefined = u"No fields defined.  Cannot create dataset";
inline constexpr const char16_t* NoEditsAllowed = u"Modifications are not allowed";
inline constexpr const char16_t* NoInsertsAllowed = u"Inserts are not allowed";
inline constexpr const char16_t* NoDeletesAllowed = u"Deletes are not allowed";
inline constexpr const char16_t* NeedApplyUpdates = u"Must apply updates before refreshing data";
} // namespace msg

class TCustomClientDataSet : public TDataSet {
    DECLARE_CLASS(TCustomClientDataSet, TDataSet)
public:
    explicit TCustomClientDataSet(components::TComponent* owner);
    ~TCustomClientDataSet() override;

    // --- the packet ---
    TPersistDataPacket* PersistDataPacket() const { return FPersistDataPacket.get(); }
    // Reads a held packet: with `lengthPrefix` a 4-byte length then that many
    // bytes (nothing for a length below 1), else the rest of the stream.
    void ReadDataPacket(core::TStream& stream, bool lengthPrefix);
    // Writes the packet (the table while open, else the held packet).
    void WriteDataPacket(core::TStream& stream, bool lengthPrefix, TDataPacketFormat format = TDataPacketFormat::dfBinary);
    bool HasDataPacket() const { return FSavedPacket.has_value() || IsCursorOpen(); }
    // The `Data` property as bytes: the table streamed while open, else a copy
    // of the held packet (empty: none). Writing closes, and opens on a non-empty value.
    std::vector<uint8_t> DataPacket();
    void SetDataPacket(std::vector<uint8_t> packet);

    void LoadFromStream(core::TStream& stream);
    void LoadFromFile(const std::u16string& fileName = {});
    void SaveToStream(core::TStream& stream, TDataPacketFormat format = TDataPacketFormat::dfBinary);
    void SaveToFile(const std::u16string& fileName = {}, TDataPacketFormat format = TDataPacketFormat::dfBinary);
    void CreateDataSet();
    void EmptyDataSet();

    // --- properties ---
    const std::u16string& FileName() const { return FFileName; }
    void SetFileName(const std::u16string& value) { FFileName = value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value);
    bool DisableStringTrim() const { return FDisableStringTrim; }
    void SetDisableStringTrim(bool value);
    bool AggregatesActive() const { return FAggregatesActive; }
    void SetAggregatesActive(bool value) { FAggregatesActive = value; }
    bool FetchOnDemand() const { return FFetchOnDemand; }
    void SetFetchOnDemand(bool value) { FFetchOnDemand = value; }
    int32_t PacketRecords() const { return FPacketRecords; }
    void SetPacketRecords(int32_t value) { FPacketRecords = value; }
    const std::u16string& ProviderName() const { return FProviderName; }
    void SetProviderName(const std::u16string& value) { FProviderName = value; }
    components::TCollection* Aggregates() const { return FAggregates.get(); }
    components::TCollection* Params() const { return FParams.get(); }
    TDataSetOptions DSOptions() const { return FDSOptions; }

    // --- change log (client_dataset_changelog.cpp) ---
    int64_t ChangeCount() const;
    bool UpdatesPending() const;
    bool LogChanges();
    void SetLogChanges(bool value);
    int64_t SavePoint();
    void SetSavePoint(int64_t value);
    bool UndoLastChange(bool followChange);
    void RevertRecord();
    void CancelUpdates() { SetSavePoint(0); }
    void MergeChangeLog();
    TUpdateStatusSet StatusFilter() const { return FStatusFilter; }
    void SetStatusFilter(TUpdateStatusSet value);

    // --- indexes (client_dataset_index.cpp) ---
    const std::u16string& IndexName() const;
    void SetIndexName(const std::u16string& value);
    const std::u16string& IndexFieldNames() const;
    void SetIndexFieldNames(const std::u16string& value);
    const std::vector<TClientIndexDef>& IndexDefs() const { return FIndexDefs; }
    void AddIndex(const std::u16string& name, const std::u16string& fields, TIndexOptions options = {},
                  const std::u16string& descFields = {}, const std::u16string& caseInsFields = {});
    void DeleteIndex(const std::u16string& name);
    int IndexFieldCount() const { return static_cast<int>(FIndexFieldNos.size()); }
    TField* IndexFields(int index) const;
    bool GetIsIndexField(TField* field) const override;

    // --- filters and finding (client_dataset_filter.cpp) ---
    TFilterOptions FilterOptions() const { return FFilterOptions; }
    void SetFilterOptions(TFilterOptions value);
    // Assigns OnFilterRecord; while filtered the engine filter follows it.
    void SetOnFilterRecord(TFilterRecordEvent handler);
    void SetFiltered(bool value) override;
    void SetFilterText(const std::u16string& value) override;
    bool FindFirst() { return FindRecord(true, true); }
    bool FindLast() { return FindRecord(true, false); }
    bool FindNext() { return FindRecord(false, true); }
    bool FindPrior() { return FindRecord(false, false); }
    bool FindRecord(bool restart, bool goForward) override;

    // --- search by values (client_dataset_search.cpp) ---
    bool Locate(const std::u16string& keyFields, const core::Variant& keyValues, int options) override;
    bool Locate(const std::u16string& keyFields, const core::Variant& keyValues, TLocateOptions options)
    {
        return Locate(keyFields, keyValues, static_cast<int>(options.Bits()));
    }
    core::Variant Lookup(const std::u16string& keyFields, const core::Variant& keyValues,
                         const std::u16string& resultFields) override;

    // --- keys on the current index (client_dataset_keys.cpp) ---
    // The key-editing mode: SetKey/EditKey (and the range keys below) enter
    // dsSetKey, where the fields read and write the key; Post keeps it,
    // Cancel puts the previous key back.
    void SetKey() { SetKeyBuffer(TKeyIndex::kiLookup, true); }
    void EditKey() { SetKeyBuffer(TKeyIndex::kiLookup, false); }
    bool GotoKey();
    void GotoNearest();
    bool FindKey(const std::vector<core::Variant>& values);
    // `exclusive` marks the key Exclusive, as KeyExclusive does in the key-editing mode.
    void FindNearest(const std::vector<core::Variant>& values, bool exclusive = false);
    bool KeyExclusive() const;
    void SetKeyExclusive(bool value);
    int KeyFieldCount() const;
    void SetKeyFieldCount(int value);
    void Post() override;
    void Cancel() override;
    void ClearFields() override;

    // --- key ranges (client_dataset_ranges.cpp) ---
    void SetRangeStart() { SetKeyBuffer(TKeyIndex::kiRangeStart, true); }
    void SetRangeEnd() { SetKeyBuffer(TKeyIndex::kiRangeEnd, true); }
    void EditRangeStart() { SetKeyBuffer(TKeyIndex::kiRangeStart, false); }
    void EditRangeEnd() { SetKeyBuffer(TKeyIndex::kiRangeEnd, false); }
    void ApplyRange();
    void CancelRange();
    // The exclusive flags mark the keys Exclusive, as KeyExclusive does.
    void SetRange(const std::vector<core::Variant>& startValues, const std::vector<core::Variant>& endValues,
                  bool startExclusive = false, bool endExclusive = false);
    bool Ranged() const { return FRanged; }

    // --- nested datasets (client_dataset_nested.cpp) ---
    // A dataset over a nested-table field of another client dataset: its
    // table is that field's nested table, its cursor follows the parent's
    // current record. Only while closed.
    TDataSetField* DataSetField() const { return FDataSetField; }
    void SetDataSetField(TDataSetField* value);
    TCustomClientDataSet* ParentDataSet() const;
    // The dataset a nested-table field makes for itself: this dataset's own class.
    virtual TDataSet* CreateNestedDataSet(TDataSetField* field);
    int NestedDataSetCount() const { return static_cast<int>(FNestedDataSets.size()); }
    void DataEvent(TDataEvent event, intptr_t info) override;
    void SetCurrentRecord(int index) override;
    void DoBeforeEdit() override;

    // --- engine access (for the search and change-log features) ---
    engine::IDSBase* DSBase() const { return FDSBase.get(); }
    engine::IDSCursor* DSCursor() const { return FDSCursor.get(); }
    // Raises EDBClient for a non-zero engine result.
    void Check(engine::EngineResult status) const;
    // Engine record attribute (dsRecNew, ...) of a record buffer.
    uint8_t RecordAttribute(TRecordBuffer buffer) const;

    // ===== overrides =====
    void CloseCursor() override;
    void OpenCursor(bool infoQuery) override;
    void DoBeforeInsert() override;
    bool GetCanModify() const override { return FCanModify && !FReadOnly; }
    int GetRecordCount() const override;
    int GetRecNo() const override;
    void SetRecNo(int value) override;
    void InitRecord(TRecordBuffer buffer) override;
    void ClearCalcFields(TRecordBuffer buffer) override;
    // Releases the blob values of the abandoned edit (client_dataset_blobs.cpp).
    void InternalCancel() override;
    void InternalEdit() override;
    void InternalInsert() override;

    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& buffer) override;
    void GetBookmarkData(TRecordBuffer buffer, uint8_t* data) const override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) const override;
    int GetRecordSize() const override { return FRecordSize; }
    void InternalAddRecord(TRecordBuffer buffer, bool append) override;
    void InternalDelete() override;
    void InternalFirst() override;
    void InternalGotoBookmark(const TBookmark& bookmark) override;
    void InternalInitRecord(TRecordBuffer buffer) override;
    void InternalLast() override;
    void InternalPost() override;
    void InternalSetToRecord(TRecordBuffer buffer) override;
    void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override;
    void SetBookmarkData(TRecordBuffer buffer, const uint8_t* data) override;
    TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) override;
    void InternalClose() override;
    void InternalHandleException() override;
    void InternalInitFieldDefs() override;
    void InternalOpen() override;
    bool IsCursorOpen() const override { return static_cast<bool>(FDSCursor); }

    std::unique_ptr<TDataSetBlobStream> CreateBlobStream(TField* field, TBlobStreamMode mode) override;
    bool BookmarkValid(const TBookmark& bookmark) override;
    int CompareBookmarks(const TBookmark& b1, const TBookmark& b2) override;
    bool GetCurrentRecord(TRecordBuffer buffer) override;
    bool GetFieldData(TField* field, void* buffer, bool nativeFormat) override;
    void SetFieldData(TField* field, const void* buffer, bool nativeFormat) override;
    TUpdateStatus UpdateStatus() const override;

    // Persistent fields owned by `root` are written as the dataset's children.
    void GetChildren(const std::function<void(components::TComponent*)>& proc, components::TComponent* root) override;

protected:
    void DefineProperties(components::TFiler& filer) override;

private:
    // The search and range keys: a header and an engine record (record
    // layout) holding the key values.
    enum class TKeyIndex : uint8_t { kiLookup, kiRangeStart, kiRangeEnd, kiCurRangeStart, kiCurRangeEnd, kiSave };
    struct TKeyBuffer {
        bool Modified = false;
        bool Exclusive = false;
        int32_t FieldCount = 0;
        std::vector<uint8_t> Record;
        bool operator==(const TKeyBuffer&) const = default;
    };

    // The record-buffer trailer after the engine record and calculated fields.
#pragma pack(push, 1)
    struct TRecInfo {
        int32_t RecordNumber;
        uint8_t BookmarkFlag;
        uint8_t Attribute;
    };
#pragma pack(pop)
    static_assert(sizeof(TRecInfo) == 6);

    engine::DSRef<engine::IDSBase> NewTable() const;
    void AddFieldDesc(const std::vector<engine::DSFLDDesc>& descs, size_t& next, int& fieldNo, TFieldDefs& defs,
                      int depth);
    void InitBufferPointers(bool readCursorProps);
    void ReadDSOptions();
    TRecordBuffer GetActiveRecBuf() const;
    // Opening and closing of the index, filter and range state.
    void OpenExtras();
    void CloseExtras();
    void ApplyIndex(const std::u16string& value, bool fieldList);
    void SortOnFieldList(const std::u16string& list);
    void SwitchToIndex(const std::u16string& name);
    void ReadIndexInfo();
    void AddExprFilter(const std::u16string& text, TFilterOptions options);
    void AddFuncFilter();
    void DropFilter(engine::hDSFilter& handle);
    void ActivateFilters();
    void DeactivateFilters();
    void DropFindCursor() { FFindCursor = {}; }
    std::vector<uint8_t> ParseFilterText(const std::u16string& text, TFilterOptions options) const;
    static engine::DSBool FilterCallback(engine::DSClientData client, const std::uint8_t* record);
    TKeyBuffer& KeyBuffer(TKeyIndex index) { return FKeyBuffers[static_cast<std::size_t>(index)]; }
    void ClearKeyBuffer(TKeyBuffer& key);
    void SetKeyBuffer(TKeyIndex index, bool clear);
    void PostKeyBuffer(bool commit);
    void SetKeyFields(TKeyIndex index, const std::vector<core::Variant>& values);
    TKeyBuffer& EditedKey() const;
    // Drops a range the cursor applies (an index change or CancelRange).
    bool ResetCursorRange();
    bool LocateRecord(const std::u16string& keyFields, const core::Variant& keyValues, TLocateOptions options);
    TRecInfo& RecInfo(TRecordBuffer buffer) const { return *reinterpret_cast<TRecInfo*>(buffer + FRecInfoOfs); }
    std::vector<uint8_t> SaveDataPacket(TDataPacketFormat format);
    // The engine's message for `status`, decoded and trimmed.
    std::u16string EngineMessage(engine::EngineResult status) const;
    // Nesting: opening over the parent's nested table, following it.
    void OpenNestedTable();
    void LinkToParent();
    void MasterChanged();
    void PositionParent() const;
    void ForEachNested(const std::function<void(TCustomClientDataSet*)>& action);
    // Before an insert: a parent that is inserting is posted, so that the
    // nested rows have a record to belong to; then the parent goes into edit.
    void PrepareParentForInsert();
    void ParentIntoEdit();

    std::unique_ptr<TPersistDataPacket> FPersistDataPacket;
    std::unique_ptr<components::TOwnedCollection> FAggregates;
    std::unique_ptr<components::TOwnedCollection> FParams;
    bool FAggregatesActive = false;
    bool FDisableStringTrim = false;
    engine::DSRef<engine::IDSBase> FDSBase;
    engine::DSRef<engine::IDSCursor> FDSCursor;
    TDataSetOptions FDSOptions;
    std::optional<std::vector<uint8_t>> FSavedPacket;
    std::u16string FFileName;
    std::u16string FProviderName;
    int32_t FPacketRecords = -1;
    int FRecordSize = 0;
    int FBookmarkOfs = 0;
    int FRecInfoOfs = 0;
    int FRecBufSize = 0;
    bool FReadOnly = false;
    bool FCanModify = false;
    bool FOpeningFile = false;
    bool FProviderEOF = true;
    bool FFetchOnDemand = true;
    bool FSavePacketOnClose = false;
    // index, filter, search and range state
    std::u16string FIndexName;
    bool FFieldsIndex = false;
    std::vector<int> FIndexFieldNos;
    std::vector<TClientIndexDef> FIndexDefs;
    TFilterOptions FFilterOptions;
    engine::hDSFilter FExprFilter = 0;
    engine::hDSFilter FFuncFilter = 0;
    const std::uint8_t* FFilterBuffer = nullptr;
    std::array<TKeyBuffer, 6> FKeyBuffers;
    TKeyBuffer* FKeyBuffer = nullptr;
    engine::DSRef<engine::IDSCursor> FFindCursor;
    TUpdateStatusSet FStatusFilter;
    bool FRanged = false;
    // nesting
    TDataSetField* FDataSetField = nullptr;
    std::vector<TCustomClientDataSet*> FNestedDataSets;
    TCustomClientDataSet* FOpenParent = nullptr; // the parent this dataset follows while open
};

class TClientDataSet : public TCustomClientDataSet {
    DECLARE_CLASS(TClientDataSet, TCustomClientDataSet)
public:
    explicit TClientDataSet(components::TComponent* owner) : TCustomClientDataSet(owner) {}
};

} // namespace data

DECLARE_ENUM_NAMES(data::TDataPacketFormat, u"dfBinary", u"dfXML", u"dfXMLUTF8");
