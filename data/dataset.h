#pragma once
// TDataSet: the abstract dataset. It presents the rows of a storage one at a
// time through a current record, keeps a window of record buffers for the
// controls that show several rows, runs every change through one state
// machine with before/after events and broadcasts data events to its data
// sources. A concrete descendant supplies the record-access operations.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components/component.h"
#include "core/closure.h"
#include "core/variant.h"
#include "data/blob_stream.h"
#include "data/db_error.h"
#include "data/db_types.h"
#include "data/field.h"
#include "data/field_defs.h"
#include "data/fields.h"

namespace data {

class TDataSource;
class TDataLink;
class TDataSet;

using TDataSetNotifyEvent = core::Closure<void(TDataSet*)>;
using TDataSetErrorEvent = core::Closure<void(TDataSet*, EDatabaseError& error, TDataAction& action)>;
using TFilterRecordEvent = core::Closure<void(TDataSet*, bool& accept)>;

class TFieldOptions {
public:
    TFieldsAutoCreationMode AutoCreateMode = TFieldsAutoCreationMode::acExclusive;
    TFieldsPositionMode PositionMode = TFieldsPositionMode::poLast;
    bool UpdatePersistent = false;
};

class TDataSet : public components::TComponent {
    DECLARE_CLASS(TDataSet, components::TComponent)
public:
    explicit TDataSet(components::TComponent* owner);
    // A concrete dataset must call Close() in its own destructor: its record
    // operations are gone by the time this one runs.
    ~TDataSet() override;

    // --- state and opening ---
    bool Active() const { return FState != TDataSetState::dsInactive && FState != TDataSetState::dsOpening; }
    void SetActiveProp(bool value) { SetActive(value); }
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return FState; }
    bool Bof() const { return FBOF; }
    bool Eof() const { return FEOF; }
    bool Modified() const { return FModified; }
    bool IsEmpty() const { return FActiveRecord >= FRecordCount; }
    bool ControlsDisabled() const { return FDisableCount != 0; }
    bool CanModify() const { return GetCanModify(); }
    int RecordCount() const { return GetRecordCount(); }
    int RecNo() const { return GetRecNo(); }
    void SetRecNoProp(int value) { SetRecNo(value); }
    bool AutoCalcFields() const { return FAutoCalcFields; }
    void SetAutoCalcFields(bool value) { FAutoCalcFields = value; }
    bool IsUniDirectional() const { return FIsUniDirectional; }
    bool Found() const { return FFound; }
    const std::u16string& Filter() const { return FFilterText; }
    void SetFilter(const std::u16string& value) { SetFilterText(value); }
    bool Filtered() const { return FFiltered; }
    void SetFilteredProp(bool value) { SetFiltered(value); }
    int BlockReadSize() const { return FBlockReadSize; }
    void SetBlockReadSizeProp(int value) { SetBlockReadSize(value); }

    // --- the record window (descendants and data links) ---
    int BufferCount() const { return FBufferCount; }
    int ActiveRecord() const { return FActiveRecord; }
    int CurrentRecord() const { return FCurrentRecord; }
    // Rows of the window that hold fetched records.
    int WindowRecordCount() const { return FRecordCount; }
    // Buffer of window row `index` (0 .. BufferCount, the last being scratch); nullptr outside.
    TRecordBuffer Buffers(int index) const;
    TRecordBuffer ActiveBuffer() const;
    TRecordBuffer CalcBuffer() const { return FCalcBuffer; }
    int BookmarkSize() const { return FBookmarkSize; }
    int CalcFieldsSize() const { return FCalcFieldsSize; }

    // --- navigation ---
    void First();
    void Last();
    void Next();
    void Prior();
    void Refresh();
    void DisableControls();
    void EnableControls();
    void UpdateCursorPos();
    void CursorPosChanged() { FCurrentRecord = -1; }

    // --- editing and bookmarks ---
    void Edit();
    void Insert();
    void Append();
    void Delete();
    void CheckBrowseMode();
    void UpdateRecord();
    // Virtual so that a dataset with a key-editing mode clears the key, not the active record.
    virtual void ClearFields();
    void InsertRecord(const std::vector<core::Variant>& values) { AddRecord(values, false); }
    void AppendRecord(const std::vector<core::Variant>& values) { AddRecord(values, true); }
    TBookmark Bookmark() const { return GetBookmark(); }
    void SetBookmark(const TBookmark& value) { GotoBookmark(value); }
    void GotoBookmark(const TBookmark& bookmark);
    std::string GetBookmarkStr() const;
    void SetBookmarkStr(const std::string& value);

    // --- fields ---
    TFields& Fields() const { return *FFields; }
    TFields& AggFields() const { return *FAggFields; }
    int FieldCount() const { return FFields->Count(); }
    TFieldDefs& FieldDefs() const { return *FFieldDefs; }
    TFieldOptions& FieldOptions() { return FFieldOptions; }
    TField* FieldByName(std::u16string_view name) const { return FFields->FieldByName(name); }
    TField* FindField(std::u16string_view name) const { return FFields->FindField(name); }
    TField* FieldByNumber(int fieldNo) const { return FFields->FieldByNumber(fieldNo); }
    std::vector<std::u16string> GetFieldNames() const;
    std::vector<TField*> GetFieldList(std::u16string_view names) const;
    core::Variant FieldValues(std::u16string_view names) const;
    void SetFieldValues(std::u16string_view names, const core::Variant& value);
    bool DefaultFields() const;
    bool ObjectView() const { return FObjectView; }
    // Object view: ADT and array columns become object fields holding their
    // children; otherwise every leaf column is a field of its own, named by
    // its full name. Only while closed.
    void SetObjectView(bool value);
    // The definition for a field's full name ("A.B", "Arr[2]"), searching the
    // child definitions, and the field number it stands for; none if absent.
    TFieldDef* FindFieldDef(std::u16string_view fullName, int* fieldNo = nullptr) const;
    void InitFieldDefs();
    void InitFieldDefsFromFields();
    bool AutomaticFieldsScope() const { return FAutomaticFieldsScope; }
    // The shared conversion buffer of the fields, grown to at least `size` bytes.
    uint8_t* IOBuffer(size_t size);

    // --- used by data sources, links and fields ---
    void AddDataSource(TDataSource* source);
    void RemoveDataSource(TDataSource* source);
    void UpdateBufferCount();
    using components::TComponent::SetState;
    void SetState(TDataSetState value);
    TDataSetState SetTempState(TDataSetState value);
    void RestoreState(TDataSetState value);
    void GetCalcFields(TRecordBuffer buffer) { GetCalcFieldsImpl(buffer); }
    // Open blob streams: their pending writes are stored before a post and
    // dropped by a cancel or a close.
    void BlobStreamOpened(TDataSetBlobStream* stream) { FBlobStreams.push_back(stream); }
    void BlobStreamClosed(TDataSetBlobStream* stream);
    int DataSourceCount() const { return static_cast<int>(FDataSources.size()); }
    TDataSource* DataSources(int index) const;

    // --- events ---
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeInsert, AfterInsert, BeforeEdit,
        AfterEdit, BeforePost, AfterPost, BeforeCancel, AfterCancel, BeforeDelete, AfterDelete, BeforeRefresh,
        AfterRefresh, BeforeScroll, AfterScroll, OnNewRecord, OnCalcFields;
    TDataSetErrorEvent OnEditError, OnPostError, OnDeleteError;
    TFilterRecordEvent OnFilterRecord;

    void Loaded() override;

    // ===== Virtual operations, in slot order =====
    virtual void BindFields(bool binding);
    virtual void CalculateFields(TRecordBuffer buffer);
    virtual void CheckActive() const;
    virtual void CheckFieldCompatibility(TField* field, TFieldDef* fieldDef);
    virtual void CheckInactive();
    virtual void ClearBuffers();
    virtual void ClearCalcFields(TRecordBuffer) {}
    virtual void CloseBlob(TField*) {}
    virtual void CloseCursor();
    virtual void CreateFields();
    virtual void DataConvert(TField* field, const void* source, void* dest, bool toNative);
    virtual void DataEvent(TDataEvent event, intptr_t info);
    virtual void DefChanged(TObject*) {}
    virtual void DestroyFields();

    virtual void DoAfterCancel();
    virtual void DoAfterClose();
    virtual void DoAfterDelete();
    virtual void DoAfterEdit();
    virtual void DoAfterInsert();
    virtual void DoAfterOpen();
    virtual void DoAfterPost();
    virtual void DoAfterRefresh();
    virtual void DoAfterScroll();
    virtual void DoBeforeCancel();
    virtual void DoBeforeClose();
    virtual void DoBeforeDelete();
    virtual void DoBeforeEdit();
    virtual void DoBeforeInsert();
    virtual void DoBeforeOpen();
    virtual void DoBeforePost();
    virtual void DoBeforeRefresh();
    virtual void DoBeforeScroll();
    virtual void DoOnCalcFields();
    virtual void DoOnNewRecord();

    virtual bool FindRecord(bool restart, bool goForward);
    virtual void FreeFieldBuffers();
    virtual void ActivateBuffers();
    virtual void GetCalcFieldsImpl(TRecordBuffer buffer);
    virtual TFieldTypes GetCalcFieldTypes() const;
    virtual bool GetCanModify() const { return true; }
    virtual bool GetCanRefresh() const { return GetCanModify(); }
    virtual TDataSource* GetDataSource() const { return nullptr; }
    virtual TFieldClass GetFieldClass(TFieldType fieldType) const;
    virtual core::Variant GetStateFieldValue(TDataSetState state, TField* field);
    virtual bool GetIsIndexField(TField*) const { return false; }
    virtual int GetNextRecords();
    virtual bool GetNextRecord();
    virtual int GetPriorRecords();
    virtual bool GetPriorRecord();
    virtual int GetRecordCount() const { return -1; }
    virtual int GetRecNo() const { return -1; }
    virtual void InitRecord(TRecordBuffer buffer);
    virtual void InternalCancel() {}
    virtual void InternalEdit() {}
    virtual void InternalInsert() {}
    virtual void InternalRefresh() {}
    virtual void OpenCursor(bool infoQuery);
    virtual void RefreshInternalCalcFields(TRecordBuffer buffer);
    virtual void BlockReadNext();
    virtual void SetActive(bool value);
    virtual void SetBlockReadSize(int value);
    virtual void SetBufListSize(int value);
    virtual void SetCurrentRecord(int index);
    virtual void SetFieldProps(TField* field, TFieldDef* fieldDef);
    virtual void SetFiltered(bool value);
    virtual void SetFilterText(const std::u16string& value);
    virtual void SetRecNo(int) {}
    virtual void SetStateFieldValue(TDataSetState state, TField* field, const core::Variant& value);

    // Record access a descendant supplies.
    virtual TRecordBuffer AllocRecordBuffer() { return nullptr; }
    virtual void FreeRecordBuffer(TRecordBuffer& buffer) { buffer = nullptr; }
    virtual void GetBookmarkData(TRecordBuffer buffer, uint8_t* data) const;
    virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer) const { return TBookmarkFlag::bfCurrent; }
    virtual int GetRecordSize() const { return 0; }
    virtual void InternalAddRecord(TRecordBuffer, bool /*append*/) {}
    virtual void InternalDelete() {}
    virtual void InternalFirst() {}
    virtual void InternalGotoBookmark(const TBookmark&) {}
    virtual void InternalInitRecord(TRecordBuffer) {}
    virtual void InternalLast() {}
    virtual void InternalPost();
    virtual void InternalSetToRecord(TRecordBuffer) {}
    virtual void SetBookmarkFlag(TRecordBuffer, TBookmarkFlag) {}
    virtual void SetBookmarkData(TRecordBuffer buffer, const uint8_t* data);
    virtual TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) = 0;
    virtual void InternalClose() = 0;
    virtual void InternalHandleException() = 0;
    virtual void InternalInitFieldDefs() = 0;
    virtual void InternalOpen() = 0;
    virtual bool IsCursorOpen() const = 0;

    // Public virtual operations.
    virtual bool BookmarkValid(const TBookmark&) { return false; }
    virtual void Cancel();
    // A stream over `field`'s blob value in the record of the current state;
    // none when the dataset keeps no blobs.
    virtual std::unique_ptr<TDataSetBlobStream> CreateBlobStream(TField* field, TBlobStreamMode mode);
    // The blob value of the field numbered `fieldNo` (empty when null or when there is none).
    virtual core::Bytes GetBlobFieldData(int fieldNo);
    virtual int CompareBookmarks(const TBookmark&, const TBookmark&) { return 0; }
    virtual void FreeBookmark(TBookmark& bookmark) { bookmark.clear(); }
    virtual TBookmark GetBookmark() const;
    virtual bool GetCurrentRecord(TRecordBuffer) { return false; }
    // Reads the field's value in the buffer of the current state into `buffer`; false when null.
    virtual bool GetFieldData(TField*, void* /*buffer*/, bool /*nativeFormat*/) { return false; }
    virtual bool IsSequenced() const { return true; }
    virtual bool Locate(const std::u16string&, const core::Variant&, int /*options*/) { return false; }
    virtual core::Variant Lookup(const std::u16string&, const core::Variant&, const std::u16string&) { return {}; }
    virtual int MoveBy(int distance);
    virtual void Post();
    virtual void Resync(TResyncMode mode);
    virtual int Translate(const char* source, char* dest, bool toOem);
    virtual TUpdateStatus UpdateStatus() const { return TUpdateStatus::usUnmodified; }
    virtual void SetFieldData(TField*, const void* /*buffer*/, bool /*nativeFormat*/) {}

protected:
    void SetBookmarkSize(int value) { FBookmarkSize = value; }
    void SetFound(bool value) { FFound = value; }
    void SetModified(bool value) { FModified = value; }
    void SetUniDirectional(bool value) { FIsUniDirectional = value; }
    bool BookmarkAvailable() const;
    void CheckOperation(void (TDataSet::*operation)(), const TDataSetErrorEvent& errorEvent);
    void CheckCanModify();
    void BeginInsertAppend();
    void EndInsertAppend();
    void AddRecord(const std::vector<core::Variant>& values, bool append);
    void MoveBuffer(int curIndex, int newIndex);
    void SetBufferCount(int value);
    void DoInternalOpen();
    void OpenCursorComplete();
    bool InternalOpenComplete() const { return FInternalOpenComplete; }
    bool IsDestroying() const { return InState(components::TComponentState::csDestroying); }

private:
    friend class TDataLink;
    friend class TDataSource;
    friend class TField;
    friend class TFields;
    // The window row of the active record, for TDataLink.ActiveRecord writes.
    void SetActiveRecordInternal(int value);
    void NotifySources(TDataEvent event, intptr_t info);
    // The window has the scratch row a fetch reads into.
    bool HasScratchBuffer() const;
    bool IsSourceAttached(const TDataSource* source) const;
    void FlushBlobStreams();
    void DetachBlobStreams();

    std::unique_ptr<TFields> FFields;
    std::unique_ptr<TFields> FAggFields;
    std::unique_ptr<TFieldDefs> FFieldDefs;
    std::vector<TDataSource*> FDataSources;
    std::vector<TDataSetBlobStream*> FBlobStreams;
    TDataLink* FFirstDataLink = nullptr;
    int FBufferCount = 0;
    int FRecordCount = 0;
    int FActiveRecord = 0;
    int FCurrentRecord = -1;
    std::vector<TRecordBuffer> FBuffers;
    TRecordBuffer FCalcBuffer = nullptr;
    int FBookmarkSize = 0;
    int FCalcFieldsSize = 0;
    int FDisableCount = 0;
    int FBlobFieldCount = 0;
    std::u16string FFilterText;
    int FBlockReadSize = 0;
    bool FIsUniDirectional = false;
    int FFieldNoOfs = 1;
    TDataSetState FState = TDataSetState::dsInactive;
    TDataEvent FEnableEvent = TDataEvent::deDataSetChange;
    TDataSetState FDisableState = TDataSetState::dsInactive;
    bool FBOF = true;
    bool FEOF = true;
    bool FModified = false;
    bool FStreamedActive = false;
    bool FInternalCalcFields = false;
    bool FFound = false;
    bool FAutomaticFieldsScope = false;
    bool FAutoCalcFields = true;
    bool FFiltered = false;
    bool FObjectView = false;
    bool FInternalOpenComplete = false;
    bool FFieldListUpdated = false;
    TFieldOptions FFieldOptions;
    int FIOBufferSize = 0;
    std::vector<uint8_t> FIOSharedBuffer;
};

} // namespace data
