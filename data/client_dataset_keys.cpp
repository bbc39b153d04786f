// TCustomClientDataSet: the key-editing mode (dsSetKey) and searching on the
// current index by key. SetKey, EditKey and the range-key operations make a
// key buffer current; while in dsSetKey the fields read and write that key's
// record part. FindKey, FindNearest and SetRange fill the same buffers from
// values, so both ways end in the same GotoKey, GotoNearest and ApplyRange.
#include <algorithm>

#include "data/client_dataset.h"
#include "data/db_error.h"
#include "data/field.h"

namespace data {

// A cleared key: no values, not modified, not exclusive, and a record part
// the cursor initialised (every field blank).
void TCustomClientDataSet::ClearKeyBuffer(TKeyBuffer& key)
{
    key.Modified = false;
    key.Exclusive = false;
    key.FieldCount = 0;
    std::fill(key.Record.begin(), key.Record.end(), uint8_t{0});
    if (!key.Record.empty())
        Check(FDSCursor->InitRecord(key.Record.data()));
}

void TCustomClientDataSet::SetKeyBuffer(TKeyIndex index, bool clear)
{
    CheckBrowseMode();
    TKeyBuffer& key = KeyBuffer(index);
    KeyBuffer(TKeyIndex::kiSave) = key;
    if (clear) {
        try {
            ClearKeyBuffer(key);
        } catch (...) {
            key = KeyBuffer(TKeyIndex::kiSave);
            throw;
        }
    }
    FKeyBuffer = &key;
    SetState(TDataSetState::dsSetKey);
    // an edited key that already held values counts as modified, so posting
    // it unchanged keeps it as a bound
    SetModified(key.Modified);
    DataEvent(TDataEvent::deDataSetChange, 0);
}

// Leaves dsSetKey: a commit keeps the edited key (and whether it was
// modified), a discard puts back the copy taken when the key was made current.
void TCustomClientDataSet::PostKeyBuffer(bool commit)
{
    DataEvent(TDataEvent::deCheckBrowseMode, 0);
    if (commit)
        FKeyBuffer->Modified = Modified();
    else
        *FKeyBuffer = KeyBuffer(TKeyIndex::kiSave);
    SetState(TDataSetState::dsBrowse);
    DataEvent(TDataEvent::deDataSetChange, 0);
}

void TCustomClientDataSet::Post()
{
    TDataSet::Post();
    if (State() == TDataSetState::dsSetKey)
        PostKeyBuffer(true);
}

void TCustomClientDataSet::Cancel()
{
    TDataSet::Cancel();
    if (State() == TDataSetState::dsSetKey)
        PostKeyBuffer(false);
}

// In dsSetKey the fields show the key, so clearing them clears the key's
// values; the window's active record must stay as it is.
void TCustomClientDataSet::ClearFields()
{
    if (State() != TDataSetState::dsSetKey || !FKeyBuffer) {
        TDataSet::ClearFields();
        return;
    }
    DataEvent(TDataEvent::deCheckBrowseMode, 0);
    FreeFieldBuffers();
    Check(FDSCursor->InitRecord(FKeyBuffer->Record.data()));
    DataEvent(TDataEvent::deRecordChange, 0);
}

TCustomClientDataSet::TKeyBuffer& TCustomClientDataSet::EditedKey() const
{
    if (State() != TDataSetState::dsSetKey || !FKeyBuffer)
        DatabaseError(data::msg::NotEditing, this);
    return *FKeyBuffer;
}

bool TCustomClientDataSet::KeyExclusive() const { return EditedKey().Exclusive; }

void TCustomClientDataSet::SetKeyExclusive(bool value) { EditedKey().Exclusive = value; }

int TCustomClientDataSet::KeyFieldCount() const { return EditedKey().FieldCount; }

void TCustomClientDataSet::SetKeyFieldCount(int value) { EditedKey().FieldCount = value; }

// Value I goes to key field I of the current index, through the fields as in
// the key-editing mode. A value that cannot be assigned leaves the key as it was.
void TCustomClientDataSet::SetKeyFields(TKeyIndex index, const std::vector<core::Variant>& values)
{
    if (IndexFieldCount() == 0)
        DatabaseError(u"No index currently active", this);
    TKeyBuffer& key = KeyBuffer(index);
    const TKeyBuffer previous = key;
    TKeyBuffer* const saveKey = FKeyBuffer;
    const bool saveModified = Modified();
    const TDataSetState saveState = SetTempState(TDataSetState::dsSetKey);
    FKeyBuffer = &key;
    try {
        ClearKeyBuffer(key);
        SetModified(false);
        for (std::size_t i = 0; i < values.size(); ++i)
            IndexFields(static_cast<int>(i))->SetValue(values[i]);
        key.FieldCount = static_cast<int32_t>(values.size());
        key.Modified = Modified();
    } catch (...) {
        key = previous;
        FKeyBuffer = saveKey;
        RestoreState(saveState);
        SetModified(saveModified);
        throw;
    }
    FKeyBuffer = saveKey;
    RestoreState(saveState);
    SetModified(saveModified);
}

bool TCustomClientDataSet::GotoKey()
{
    CheckBrowseMode();
    DoBeforeScroll();
    CursorPosChanged();
    const TKeyBuffer& key = KeyBuffer(TKeyIndex::kiLookup);
    const engine::EngineResult r =
        FDSCursor->GetRecordForKey(static_cast<std::uint32_t>(key.FieldCount), 0, key.Record.data(), nullptr);
    if (r == engine::DBERR_NONE) {
        Resync({TResyncModeItem::rmExact, TResyncModeItem::rmCenter});
        DoAfterScroll();
        return true;
    }
    // Only a key that is not there (or lies outside the range) is "not
    // found"; a key the index cannot take (too many fields, no key fields)
    // is an error, not an empty answer.
    if (r != engine::DBERR_RECNOTFOUND && r != engine::DBERR_EOF && r != engine::DBERR_BOF)
        Check(r);
    return false;
}

void TCustomClientDataSet::GotoNearest()
{
    CheckBrowseMode();
    DoBeforeScroll();
    const TKeyBuffer& key = KeyBuffer(TKeyIndex::kiLookup);
    Check(FDSCursor->MoveToKey(key.Exclusive ? engine::keySEARCHGT : engine::keySEARCHGEQ,
                               static_cast<std::uint32_t>(key.FieldCount), 0, key.Record.data()));
    CursorPosChanged();
    Resync({TResyncModeItem::rmCenter});
    DoAfterScroll();
}

bool TCustomClientDataSet::FindKey(const std::vector<core::Variant>& values)
{
    CheckBrowseMode();
    SetKeyFields(TKeyIndex::kiLookup, values);
    return GotoKey();
}

void TCustomClientDataSet::FindNearest(const std::vector<core::Variant>& values, bool exclusive)
{
    CheckBrowseMode();
    SetKeyFields(TKeyIndex::kiLookup, values);
    KeyBuffer(TKeyIndex::kiLookup).Exclusive = exclusive;
    GotoNearest();
}

} // namespace data
