// TCustomClientDataSet: record buffers, bookmarks, navigation, editing and
// field access, each carried out with engine cursor calls.
#include <cstring>

#include "data/client_dataset.h"

namespace data {

using engine::DBERR_NONE;

TRecordBuffer TCustomClientDataSet::AllocRecordBuffer() { return new uint8_t[static_cast<size_t>(FRecBufSize)](); }

void TCustomClientDataSet::FreeRecordBuffer(TRecordBuffer& buffer)
{
    delete[] buffer;
    buffer = nullptr;
}

void TCustomClientDataSet::InternalInitRecord(TRecordBuffer buffer) { Check(FDSCursor->InitRecord(buffer)); }

void TCustomClientDataSet::InitRecord(TRecordBuffer buffer)
{
    TDataSet::InitRecord(buffer);
    TRecInfo& info = RecInfo(buffer);
    info.BookmarkFlag = static_cast<uint8_t>(TBookmarkFlag::bfInserted);
    info.RecordNumber = -1;
    info.Attribute = engine::dsRecNew;
}

void TCustomClientDataSet::ClearCalcFields(TRecordBuffer buffer)
{
    if (CalcFieldsSize() > 0)
        std::memset(buffer + FRecordSize, 0, static_cast<size_t>(CalcFieldsSize()));
}

void TCustomClientDataSet::InternalFirst() { Check(FDSCursor->MoveToBOF()); }

void TCustomClientDataSet::InternalLast() { Check(FDSCursor->MoveToEOF()); }

void TCustomClientDataSet::InternalSetToRecord(TRecordBuffer buffer)
{
    Check(FDSCursor->MoveToBookMark(buffer + FBookmarkOfs));
}

void TCustomClientDataSet::InternalGotoBookmark(const TBookmark& bookmark)
{
    if (static_cast<int>(bookmark.size()) < BookmarkSize())
        Check(engine::DBERR_INVALIDPARAM);
    Check(FDSCursor->MoveToBookMark(bookmark.data()));
}

TBookmarkFlag TCustomClientDataSet::GetBookmarkFlag(TRecordBuffer buffer) const
{
    return static_cast<TBookmarkFlag>(RecInfo(buffer).BookmarkFlag);
}

void TCustomClientDataSet::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag)
{
    RecInfo(buffer).BookmarkFlag = static_cast<uint8_t>(flag);
}

void TCustomClientDataSet::GetBookmarkData(TRecordBuffer buffer, uint8_t* data) const
{
    std::memcpy(data, buffer + FBookmarkOfs, static_cast<size_t>(BookmarkSize()));
}

void TCustomClientDataSet::SetBookmarkData(TRecordBuffer buffer, const uint8_t* data)
{
    if (ActiveBuffer() == buffer && data)
        std::memcpy(buffer + FBookmarkOfs, data, static_cast<size_t>(BookmarkSize()));
}

uint8_t TCustomClientDataSet::RecordAttribute(TRecordBuffer buffer) const { return RecInfo(buffer).Attribute; }

TGetResult TCustomClientDataSet::GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck)
{
    engine::EngineResult r = DBERR_NONE;
    switch (getMode) {
    case TGetMode::gmNext: r = FDSCursor->MoveRelative(1); break;
    case TGetMode::gmPrior: r = FDSCursor->MoveRelative(-1); break;
    case TGetMode::gmCurrent: break;
    }
    if (r == DBERR_NONE)
        r = FDSCursor->GetCurrentRecord(buffer);
    if (r == engine::DBERR_BOF)
        return TGetResult::grBOF;
    if (r == engine::DBERR_EOF)
        return TGetResult::grEOF;
    if (r != DBERR_NONE) {
        if (doCheck)
            Check(r);
        return TGetResult::grError;
    }
    TRecInfo& info = RecInfo(buffer);
    info.BookmarkFlag = static_cast<uint8_t>(TBookmarkFlag::bfCurrent);
    std::uint32_t seq = 0;
    info.RecordNumber = FDSCursor->GetSequenceNumber(&seq) == DBERR_NONE ? static_cast<int32_t>(seq) : -1;
    uint8_t attr = 0;
    r = FDSCursor->GetRecordAttribute(&attr);
    if (r == engine::DBERR_OUTOFRANGE)
        Check(r);
    info.Attribute = attr;
    GetCalcFields(buffer);
    Check(FDSCursor->GetCurrentBookMark(buffer + FBookmarkOfs));
    return TGetResult::grOK;
}

bool TCustomClientDataSet::GetCurrentRecord(TRecordBuffer buffer)
{
    if (IsEmpty() || GetBookmarkFlag(ActiveBuffer()) != TBookmarkFlag::bfCurrent)
        return false;
    UpdateCursorPos();
    return FDSCursor->GetCurrentRecord(buffer) == DBERR_NONE;
}

// ------------------------------------------------------------------ editing

void TCustomClientDataSet::DoBeforeInsert()
{
    if (FDSOptions.Contains(TDataSetOption::doDisableInserts))
        DatabaseError(msg::NoInsertsAllowed, this);
    PrepareParentForInsert();
    TDataSet::DoBeforeInsert();
    ParentIntoEdit();
}

void TCustomClientDataSet::InternalEdit()
{
    if (FDSOptions.Contains(TDataSetOption::doDisableEdits))
        DatabaseError(msg::NoEditsAllowed, this);
}

void TCustomClientDataSet::InternalInsert()
{
    // The cursor leaves its record. On an empty table it has none to leave:
    // the engine answers with the crack it stands on, which is no failure.
    FDSCursor->SetProp(engine::curpropSETCRACK, 0);
    CursorPosChanged();
}

void TCustomClientDataSet::InternalPost()
{
    TDataSet::InternalPost();
    if (State() == TDataSetState::dsEdit)
        Check(FDSCursor->ModifyRecord(ActiveBuffer()));
    else
        Check(FDSCursor->InsertRecord(ActiveBuffer()));
}

void TCustomClientDataSet::InternalDelete()
{
    if (FDSOptions.Contains(TDataSetOption::doDisableDeletes))
        DatabaseError(msg::NoDeletesAllowed, this);
    Check(FDSCursor->DeleteRecord());
}

void TCustomClientDataSet::InternalAddRecord(TRecordBuffer buffer, bool append)
{
    if (append)
        Check(FDSCursor->MoveToEOF());
    Check(FDSCursor->InsertRecord(buffer));
}

// ------------------------------------------------------------------ bookmarks

int TCustomClientDataSet::CompareBookmarks(const TBookmark& b1, const TBookmark& b2)
{
    if (b1.empty() || b2.empty()) {
        if (b1.empty() && b2.empty())
            return 0;
        return b1.empty() ? 1 : -1;
    }
    if (!FDSCursor || static_cast<int>(b1.size()) < BookmarkSize() || static_cast<int>(b2.size()) < BookmarkSize())
        Check(engine::DBERR_INVALIDPARAM);
    std::int32_t result = 0;
    Check(FDSCursor->CompareBookMarks(b1.data(), b2.data(), &result));
    return result == 2 ? 0 : result;
}

bool TCustomClientDataSet::BookmarkValid(const TBookmark& bookmark)
{
    if (!FDSCursor || bookmark.empty() || static_cast<int>(bookmark.size()) < BookmarkSize())
        return false;
    CursorPosChanged();
    return FDSCursor->MoveToBookMark(bookmark.data()) == DBERR_NONE &&
           FDSCursor->GetCurrentRecord(nullptr) == DBERR_NONE;
}

// ------------------------------------------------------------------ counts and positions

int TCustomClientDataSet::GetRecordCount() const
{
    CheckActive();
    std::int32_t count = 0;
    const engine::EngineResult r = FDSCursor->GetRecordCount(&count);
    if (r != engine::DBERR_DETAILSNOTFETCHED)
        Check(r);
    return count;
}

int TCustomClientDataSet::GetRecNo() const
{
    TRecordBuffer buffer = nullptr;
    switch (State()) {
    case TDataSetState::dsCalcFields: buffer = CalcBuffer(); break;
    case TDataSetState::dsInternalCalc: return -1;
    case TDataSetState::dsInactive:
    case TDataSetState::dsOpening: return -1;
    default:
        // An empty window holds no record, whatever its buffer contains.
        if (IsEmpty() && State() != TDataSetState::dsInsert)
            return -1;
        buffer = ActiveBuffer();
        break;
    }
    return buffer ? RecInfo(buffer).RecordNumber : -1;
}

void TCustomClientDataSet::SetRecNo(int value)
{
    CheckBrowseMode();
    if (value == GetRecNo())
        return;
    // Out of range is an error, before anything moves: the engine would
    // otherwise leave the cursor on a crack past either end.
    if (value < 1 || value > GetRecordCount())
        Check(engine::DBERR_OUTOFRANGE);
    DoBeforeScroll();
    Check(FDSCursor->MoveToSeqNo(static_cast<std::uint32_t>(value)));
    Resync({TResyncModeItem::rmCenter});
    DoAfterScroll();
}

TUpdateStatus TCustomClientDataSet::UpdateStatus() const
{
    TRecordBuffer buffer = GetActiveRecBuf();
    if (!buffer)
        return TUpdateStatus::usUnmodified;
    const uint8_t attr = RecInfo(buffer).Attribute;
    if (attr & engine::dsRecNew)
        return TUpdateStatus::usInserted;
    if (attr & engine::dsRecModified)
        return TUpdateStatus::usModified;
    if (attr & engine::dsRecDeleted)
        return TUpdateStatus::usDeleted;
    return TUpdateStatus::usUnmodified;
}

// ------------------------------------------------------------------ field access

TRecordBuffer TCustomClientDataSet::GetActiveRecBuf() const
{
    switch (State()) {
    case TDataSetState::dsBrowse:
    case TDataSetState::dsBlockRead:
    case TDataSetState::dsOldValue:
    case TDataSetState::dsCurValue:
    case TDataSetState::dsNewValue: return IsEmpty() ? nullptr : ActiveBuffer();
    case TDataSetState::dsEdit:
    case TDataSetState::dsInsert: return ActiveBuffer();
    case TDataSetState::dsCalcFields:
    case TDataSetState::dsInternalCalc: return CalcBuffer();
    // the engine's record under test; fields only read it
    case TDataSetState::dsFilter: return const_cast<TRecordBuffer>(FFilterBuffer);
    case TDataSetState::dsSetKey:
        return FKeyBuffer && !FKeyBuffer->Record.empty() ? FKeyBuffer->Record.data() : nullptr;
    default: return nullptr;
    }
}

bool TCustomClientDataSet::GetFieldData(TField* field, void* buffer, bool)
{
    TRecordBuffer rec = GetActiveRecBuf();
    if (!rec || !FDSCursor)
        return false;
    const TFieldKind kind = field->FieldKind();
    if (kind == TFieldKind::fkData || kind == TFieldKind::fkInternalCalc) {
        engine::DSBool blank = 0;
        if (field->FieldNo() < 1)
            return false;
        Check(FDSCursor->GetField(rec, static_cast<std::uint32_t>(field->FieldNo()), buffer, &blank));
        return blank == 0;
    }
    const TDataSetState st = State();
    if (st != TDataSetState::dsBrowse && st != TDataSetState::dsEdit && st != TDataSetState::dsInsert &&
        st != TDataSetState::dsCalcFields)
        return false;
    const uint8_t* p = rec + FRecordSize + field->Offset();
    if (!p[0])
        return false;
    if (buffer)
        std::memcpy(buffer, p + 1, static_cast<size_t>(field->DataSize()));
    return true;
}

void TCustomClientDataSet::SetFieldData(TField* field, const void* buffer, bool)
{
    const TDataSetState st = State();
    if (st != TDataSetState::dsEdit && st != TDataSetState::dsInsert && st != TDataSetState::dsSetKey &&
        st != TDataSetState::dsCalcFields && st != TDataSetState::dsFilter && st != TDataSetState::dsNewValue &&
        st != TDataSetState::dsInternalCalc)
        DatabaseError(data::msg::NotEditing, this);
    TRecordBuffer rec = GetActiveRecBuf();
    if (!rec)
        DatabaseError(data::msg::NotEditing, this);
    const TFieldKind kind = field->FieldKind();
    if (kind == TFieldKind::fkCalculated || kind == TFieldKind::fkLookup) {
        if (st == TDataSetState::dsInternalCalc)
            return;
        uint8_t* p = rec + FRecordSize + field->Offset();
        p[0] = buffer ? 1 : 0;
        const size_t size = static_cast<size_t>(field->DataSize());
        if (buffer)
            std::memcpy(p + 1, buffer, size);
        else
            std::memset(p + 1, 0, size);
    } else {
        // a key holds only key fields of the current index (any field while
        // the order has no key fields)
        if (st == TDataSetState::dsSetKey &&
            (field->FieldNo() < 1 || (IndexFieldCount() > 0 && !GetIsIndexField(field))))
            DatabaseErrorFmt(this, "Field '{}' is not indexed and cannot be modified",
                             core::ToUtf8(field->DisplayName()));
        if (field->FieldNo() < 1)
            DatabaseErrorFmt(nullptr, "Field '{}' not found", core::ToUtf8(field->DisplayName()));
        const auto fieldNo = static_cast<std::uint32_t>(field->FieldNo());
        if (st == TDataSetState::dsFilter)
            DatabaseError(data::msg::NotEditing, this);
        if (st != TDataSetState::dsSetKey && st != TDataSetState::dsFilter) {
            if (field->ReadOnly())
                DatabaseErrorFmt(nullptr, "Field '{}' cannot be modified", core::ToUtf8(field->DisplayName()));
            field->Validate(buffer);
        }
        if (st == TDataSetState::dsEdit || st == TDataSetState::dsInsert) {
            // Field-level constraints; an engine without them has nothing to verify.
            const engine::EngineResult r = FDSCursor->VerifyField(fieldNo, buffer);
            if (r != engine::DBERR_NOTSUPPORTED)
                Check(r);
        }
        Check(FDSCursor->PutField(rec, fieldNo, buffer));
    }
    if (st != TDataSetState::dsCalcFields && st != TDataSetState::dsFilter && st != TDataSetState::dsNewValue &&
        st != TDataSetState::dsInternalCalc)
        DataEvent(TDataEvent::deFieldChange, reinterpret_cast<intptr_t>(field));
}

} // namespace data
