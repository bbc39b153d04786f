// Editing (Edit, Insert, Append, Post, Cancel, Delete and the rest) and bookmarks.
#include <algorithm>
#include <cstring>

#include "data/data_source.h"
#include "data/dataset.h"

namespace data {

void TDataSet::CheckCanModify()
{
    if (!GetCanModify())
        DatabaseError(msg::DataSetReadOnly, this);
}

void TDataSet::CheckOperation(void (TDataSet::*operation)(), const TDataSetErrorEvent& errorEvent)
{
    for (;;) {
        try {
            UpdateCursorPos();
            (this->*operation)();
            return;
        } catch (EDatabaseError& e) {
            TDataAction action = TDataAction::daFail;
            errorEvent(this, e, action);
            if (action == TDataAction::daFail)
                throw;
            if (action == TDataAction::daAbort)
                core::Abort();
        }
    }
}

void TDataSet::Edit()
{
    if (FState == TDataSetState::dsEdit || FState == TDataSetState::dsInsert)
        return;
    if (FRecordCount == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    DoBeforeEdit();
    CheckOperation(&TDataSet::InternalEdit, OnEditError);
    GetCalcFieldsImpl(ActiveBuffer());
    SetState(TDataSetState::dsEdit);
    DataEvent(TDataEvent::deRecordChange, 0);
    DoAfterEdit();
}

void TDataSet::BeginInsertAppend()
{
    CheckBrowseMode();
    CheckCanModify();
    DoBeforeInsert();
    DoBeforeScroll();
}

void TDataSet::EndInsertAppend()
{
    SetState(TDataSetState::dsInsert);
    try {
        DoOnNewRecord();
    } catch (...) {
        UpdateCursorPos();
        FreeFieldBuffers();
        SetState(TDataSetState::dsBrowse);
        Resync({});
        throw;
    }
    FModified = false;
    DataEvent(TDataEvent::deDataSetChange, 0);
    DoAfterInsert();
    DoAfterScroll();
}

void TDataSet::InitRecord(TRecordBuffer buffer)
{
    InternalInitRecord(buffer);
    ClearCalcFields(buffer);
    SetBookmarkFlag(buffer, TBookmarkFlag::bfInserted);
}

void TDataSet::Insert()
{
    BeginInsertAppend();
    if (!HasScratchBuffer())
        DatabaseError(msg::DataSetClosed, this);
    const TBookmark bookmark = GetBookmark();
    const bool hadRecords = FRecordCount > 0;
    MoveBuffer(FRecordCount, FActiveRecord);
    TRecordBuffer buffer = ActiveBuffer();
    InitRecord(buffer);
    if (hadRecords && !bookmark.empty() && static_cast<int>(bookmark.size()) >= FBookmarkSize)
        SetBookmarkData(buffer, bookmark.data());
    else
        SetBookmarkFlag(buffer, TBookmarkFlag::bfBOF);
    if (FRecordCount < FBufferCount)
        ++FRecordCount;
    InternalInsert();
    EndInsertAppend();
}

void TDataSet::Append()
{
    BeginInsertAppend();
    ClearBuffers();
    TRecordBuffer buffer = FBuffers[0];
    InitRecord(buffer);
    SetBookmarkFlag(buffer, TBookmarkFlag::bfEOF);
    FRecordCount = 1;
    FBOF = false;
    GetPriorRecords();
    InternalInsert();
    EndInsertAppend();
}

void TDataSet::Post()
{
    if (FState == TDataSetState::dsEdit || FState == TDataSetState::dsInsert)
        FlushBlobStreams();
    UpdateRecord();
    if (FState != TDataSetState::dsEdit && FState != TDataSetState::dsInsert)
        return;
    DataEvent(TDataEvent::deCheckBrowseMode, 0);
    DoBeforePost();
    CheckOperation(&TDataSet::InternalPost, OnPostError);
    // The record is stored: streams still open no longer write to it.
    DetachBlobStreams();
    FreeFieldBuffers();
    SetState(TDataSetState::dsBrowse);
    Resync({});
    DoAfterPost();
}

void TDataSet::Cancel()
{
    if (FState != TDataSetState::dsEdit && FState != TDataSetState::dsInsert)
        return;
    DataEvent(TDataEvent::deCheckBrowseMode, 0);
    const bool wasInsert = FState == TDataSetState::dsInsert;
    const bool destroying = IsDestroying();
    if (!destroying) {
        DoBeforeCancel();
        if (wasInsert)
            DoBeforeScroll();
    }
    DetachBlobStreams();
    UpdateCursorPos();
    InternalCancel();
    FreeFieldBuffers();
    SetState(TDataSetState::dsBrowse);
    if (!destroying) {
        Resync({});
        DoAfterCancel();
        if (wasInsert)
            DoAfterScroll();
    }
}

void TDataSet::Delete()
{
    CheckActive();
    if (FState == TDataSetState::dsInsert || FState == TDataSetState::dsSetKey) {
        Cancel();
        return;
    }
    if (FRecordCount == 0)
        DatabaseError(msg::DataSetEmpty, this);
    DataEvent(TDataEvent::deCheckBrowseMode, 0);
    DoBeforeDelete();
    DoBeforeScroll();
    CheckOperation(&TDataSet::InternalDelete, OnDeleteError);
    FreeFieldBuffers();
    SetState(TDataSetState::dsBrowse);
    Resync({});
    DoAfterDelete();
    DoAfterScroll();
}

void TDataSet::CheckBrowseMode()
{
    CheckActive();
    DataEvent(TDataEvent::deCheckBrowseMode, 0);
    switch (FState) {
    case TDataSetState::dsEdit:
    case TDataSetState::dsInsert:
        UpdateRecord();
        if (FModified)
            Post();
        else
            Cancel();
        break;
    case TDataSetState::dsSetKey: Post(); break;
    default: break;
    }
}

void TDataSet::UpdateRecord()
{
    if (!dsEditModes.Contains(FState))
        DatabaseError(msg::NotEditing, this);
    DataEvent(TDataEvent::deUpdateRecord, 0);
}

void TDataSet::ClearFields()
{
    if (!dsEditModes.Contains(FState))
        DatabaseError(msg::NotEditing, this);
    DataEvent(TDataEvent::deCheckBrowseMode, 0);
    FreeFieldBuffers();
    InternalInitRecord(ActiveBuffer());
    if (FState != TDataSetState::dsSetKey)
        GetCalcFieldsImpl(ActiveBuffer());
    DataEvent(TDataEvent::deRecordChange, 0);
}

void TDataSet::AddRecord(const std::vector<core::Variant>& values, bool append)
{
    BeginInsertAppend();
    if (!append)
        UpdateCursorPos();
    DisableControls();
    bool moved = false, stored = false;
    try {
        MoveBuffer(FRecordCount, FActiveRecord);
        moved = true;
        try {
            InitRecord(ActiveBuffer());
            FState = TDataSetState::dsInsert;
            DoOnNewRecord();
            DoAfterInsert();
            const int n = std::min(static_cast<int>(values.size()), FieldCount());
            for (int i = 0; i < n; ++i)
                Fields().Fields(i)->SetAsVariant(values[static_cast<size_t>(i)]);
            DoBeforePost();
            InternalAddRecord(ActiveBuffer(), append);
        } catch (...) {
            FreeFieldBuffers();
            FState = TDataSetState::dsBrowse;
            FModified = false;
            throw;
        }
        FreeFieldBuffers();
        FState = TDataSetState::dsBrowse;
        FModified = false;
        stored = true;
        Resync({});
        DoAfterPost();
    } catch (...) {
        if (moved && !stored)
            MoveBuffer(FActiveRecord, FRecordCount);
        EnableControls();
        throw;
    }
    EnableControls();
}

void TDataSet::InternalPost()
{
    for (int i = 0; i < FieldCount(); ++i) {
        TField* f = Fields().Fields(i);
        if (f->Required() && !f->ReadOnly() && f->FieldKind() == TFieldKind::fkData && f->IsNull()) {
            f->FocusControl();
            DatabaseErrorFmt(nullptr, "Field '{}' must have a value", core::ToUtf8(f->DisplayName()));
        }
    }
}

// ----------------------------------------------------------------- bookmarks

bool TDataSet::BookmarkAvailable() const
{
    return !FIsUniDirectional &&
           (FState == TDataSetState::dsBrowse || FState == TDataSetState::dsEdit ||
            FState == TDataSetState::dsInsert) &&
           FActiveRecord < FRecordCount && ActiveBuffer() &&
           GetBookmarkFlag(ActiveBuffer()) == TBookmarkFlag::bfCurrent;
}

TBookmark TDataSet::GetBookmark() const
{
    if (!BookmarkAvailable() || FBookmarkSize <= 0)
        return {};
    TBookmark b(static_cast<size_t>(FBookmarkSize));
    GetBookmarkData(ActiveBuffer(), b.data());
    return b;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark)
{
    if (bookmark.empty())
        return;
    CheckBrowseMode();
    DoBeforeScroll();
    InternalGotoBookmark(bookmark);
    Resync({TResyncModeItem::rmExact, TResyncModeItem::rmCenter});
    DoAfterScroll();
}

std::string TDataSet::GetBookmarkStr() const
{
    const TBookmark b = GetBookmark();
    return std::string(b.begin(), b.end());
}

void TDataSet::SetBookmarkStr(const std::string& value) { GotoBookmark(TBookmark(value.begin(), value.end())); }

void TDataSet::GetBookmarkData(TRecordBuffer, uint8_t*) const {}
void TDataSet::SetBookmarkData(TRecordBuffer, const uint8_t*) {}

} // namespace data
