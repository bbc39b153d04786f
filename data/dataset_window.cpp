// The record window of a dataset and moving through it: buffer handling,
// fetching, MoveBy, First, Last, Resync and Refresh.
#include <algorithm>

#include "data/data_source.h"
#include "data/dataset.h"

namespace data {

// --------------------------------------------------------- the record window

TRecordBuffer TDataSet::Buffers(int index) const
{
    if (index < 0 || index >= static_cast<int>(FBuffers.size()))
        return nullptr;
    return FBuffers[static_cast<size_t>(index)];
}

TRecordBuffer TDataSet::ActiveBuffer() const
{
    if (FActiveRecord < 0 || FActiveRecord >= static_cast<int>(FBuffers.size()))
        return nullptr;
    return FBuffers[static_cast<size_t>(FActiveRecord)];
}

void TDataSet::SetActiveRecordInternal(int value)
{
    // Only rows that hold records (or the row being inserted) can become active.
    if (value < 0 || value >= std::max(FRecordCount, 1) || value >= static_cast<int>(FBuffers.size()))
        return;
    FActiveRecord = value;
}

void TDataSet::SetBufListSize(int value)
{
    if (value < 0)
        value = 0;
    const size_t n = static_cast<size_t>(value);
    if (FBuffers.size() == n)
        return;
    if (n < FBuffers.size()) {
        for (size_t i = FBuffers.size(); i-- > n;)
            FreeRecordBuffer(FBuffers[i]);
        FBuffers.resize(n);
        return;
    }
    const size_t old = FBuffers.size();
    FBuffers.reserve(n);
    try {
        while (FBuffers.size() < n)
            FBuffers.push_back(AllocRecordBuffer());
    } catch (...) {
        while (FBuffers.size() > old) {
            FreeRecordBuffer(FBuffers.back());
            FBuffers.pop_back();
        }
        throw;
    }
}

void TDataSet::MoveBuffer(int curIndex, int newIndex)
{
    if (curIndex == newIndex || FIsUniDirectional)
        return;
    const int size = static_cast<int>(FBuffers.size());
    if (curIndex < 0 || newIndex < 0 || curIndex >= size || newIndex >= size)
        return;
    const auto b = FBuffers.begin();
    if (curIndex < newIndex)
        std::rotate(b + curIndex, b + curIndex + 1, b + newIndex + 1);
    else
        std::rotate(b + newIndex, b + curIndex, b + curIndex + 1);
}

void TDataSet::ClearBuffers()
{
    FRecordCount = 0;
    FActiveRecord = 0;
    FCurrentRecord = -1;
    FBOF = true;
    FEOF = true;
}

void TDataSet::ActivateBuffers()
{
    FRecordCount = 1;
    FActiveRecord = 0;
    FCurrentRecord = 0;
    FBOF = false;
    FEOF = false;
}

void TDataSet::UpdateBufferCount()
{
    if (!IsCursorOpen())
        return;
    FFirstDataLink = nullptr;
    int count = 1;
    for (auto s = FDataSources.rbegin(); s != FDataSources.rend(); ++s) {
        for (auto l = (*s)->FDataLinks.rbegin(); l != (*s)->FDataLinks.rend(); ++l) {
            (*l)->FNext = FFirstDataLink;
            FFirstDataLink = *l;
            count = std::max(count, (*l)->GetBufferCount());
        }
    }
    SetBufferCount(count);
}

void TDataSet::SetBufferCount(int value)
{
    if (value < 1)
        value = 1;
    if (value == FBufferCount)
        return;
    if (value < FBufferCount && FRecordCount > 0) {
        int delta = FActiveRecord;
        for (TDataLink* l = FFirstDataLink; l; l = l->FNext)
            if (l->Active() && l->FFirstRecord < delta)
                delta = l->FFirstRecord;
        const int length = static_cast<int>(FBuffers.size());
        if (value + delta >= length)
            delta = length - value - 1;
        if (delta < 0)
            delta = 0;
        for (int i = 0; i < value; ++i)
            MoveBuffer(i + delta, i);
        FActiveRecord -= delta;
        if (FCurrentRecord != -1)
            FCurrentRecord -= delta;
        if (FRecordCount > value)
            FRecordCount = value;
        // The active row stays inside the shrunken window.
        if (FActiveRecord >= FRecordCount)
            FActiveRecord = FRecordCount - 1;
        if (FCurrentRecord >= FRecordCount || FCurrentRecord < -1)
            FCurrentRecord = -1;
        for (TDataLink* l = FFirstDataLink; l; l = l->FNext)
            if (l->Active())
                l->FFirstRecord = std::max(0, l->FFirstRecord - delta);
    }
    SetBufListSize(value + 1);
    FBufferCount = value;
    if (!IsDestroying()) {
        GetNextRecords();
        const int prior = GetPriorRecords();
        if (prior > 0)
            for (TDataLink* l = FFirstDataLink; l; l = l->FNext)
                if (l->Active())
                    l->FFirstRecord += prior;
    }
}

void TDataSet::SetCurrentRecord(int index)
{
    if (FCurrentRecord == index)
        return;
    if (!FIsUniDirectional) {
        TRecordBuffer buffer = Buffers(index);
        if (!buffer)
            return;
        switch (GetBookmarkFlag(buffer)) {
        case TBookmarkFlag::bfCurrent:
        case TBookmarkFlag::bfInserted: InternalSetToRecord(buffer); break;
        case TBookmarkFlag::bfBOF: InternalFirst(); break;
        case TBookmarkFlag::bfEOF: InternalLast(); break;
        }
    }
    FCurrentRecord = index;
}

void TDataSet::UpdateCursorPos()
{
    if (FRecordCount > 0)
        SetCurrentRecord(FActiveRecord);
}

bool TDataSet::HasScratchBuffer() const { return FRecordCount >= 0 && FRecordCount < static_cast<int>(FBuffers.size()); }

bool TDataSet::GetNextRecord()
{
    if (!HasScratchBuffer())
        return false;
    TGetMode mode = TGetMode::gmNext;
    if (FRecordCount > 0) {
        SetCurrentRecord(FRecordCount - 1);
        if (FState == TDataSetState::dsInsert && FCurrentRecord == FActiveRecord &&
            GetBookmarkFlag(ActiveBuffer()) == TBookmarkFlag::bfCurrent)
            mode = TGetMode::gmCurrent;
    }
    if (GetRecord(FBuffers[static_cast<size_t>(FRecordCount)], mode, true) != TGetResult::grOK) {
        CursorPosChanged();
        return false;
    }
    if (FRecordCount == 0)
        ActivateBuffers();
    else if (FRecordCount < FBufferCount)
        ++FRecordCount;
    else
        MoveBuffer(0, FRecordCount);
    FCurrentRecord = FRecordCount - 1;
    return true;
}

bool TDataSet::GetPriorRecord()
{
    if (FIsUniDirectional)
        DatabaseError(msg::DataSetUnidirectional, this);
    if (!HasScratchBuffer())
        return false;
    if (FRecordCount > 0)
        SetCurrentRecord(0);
    if (GetRecord(FBuffers[static_cast<size_t>(FRecordCount)], TGetMode::gmPrior, true) != TGetResult::grOK) {
        CursorPosChanged();
        return false;
    }
    if (FRecordCount == 0) {
        ActivateBuffers();
    } else {
        MoveBuffer(FRecordCount, 0);
        if (FRecordCount < FBufferCount) {
            ++FRecordCount;
            ++FActiveRecord;
        }
    }
    FCurrentRecord = 0;
    return true;
}

int TDataSet::GetNextRecords()
{
    int count = 0;
    while (FRecordCount < FBufferCount && GetNextRecord())
        ++count;
    return count;
}

int TDataSet::GetPriorRecords()
{
    if (FIsUniDirectional)
        return 0;
    int count = 0;
    while (FRecordCount < FBufferCount && GetPriorRecord())
        ++count;
    return count;
}

// ---------------------------------------------------------------- navigation

int TDataSet::MoveBy(int distance)
{
    CheckBrowseMode();
    DoBeforeScroll();
    int result = 0;
    if (!((distance > 0 && !FEOF) || (distance < 0 && !FBOF)))
        return 0;
    FBOF = false;
    FEOF = false;
    const int oldCount = FRecordCount;
    int scrollCount = 0;
    auto finish = [&] {
        if (FRecordCount != oldCount)
            DataEvent(TDataEvent::deDataSetChange, 0);
        else
            DataEvent(TDataEvent::deDataSetScroll, scrollCount);
        DoAfterScroll();
    };
    try {
        while (distance > 0) {
            if (FActiveRecord < FRecordCount - 1) {
                ++FActiveRecord;
            } else {
                const bool full = FRecordCount >= FBufferCount;
                const int before = FRecordCount;
                if (!GetNextRecord()) {
                    FEOF = true;
                    break;
                }
                if (full)
                    --scrollCount;
                if (FRecordCount > before)
                    ++FActiveRecord;
                // An empty window that fetched its first row keeps it active at 0.
                if (before == 0)
                    FActiveRecord = 0;
            }
            --distance;
            ++result;
        }
        while (distance < 0) {
            if (FActiveRecord > 0) {
                --FActiveRecord;
            } else {
                const bool full = FRecordCount >= FBufferCount;
                const int before = FRecordCount;
                if (!GetPriorRecord()) {
                    FBOF = true;
                    break;
                }
                if (full)
                    ++scrollCount;
                if (FRecordCount > before && before > 0)
                    --FActiveRecord;
            }
            ++distance;
            --result;
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return result;
}

void TDataSet::Next()
{
    if (FBlockReadSize > 0)
        BlockReadNext();
    else
        MoveBy(1);
}

void TDataSet::Prior() { MoveBy(-1); }

void TDataSet::BlockReadNext() { MoveBy(1); }

void TDataSet::First()
{
    CheckBrowseMode();
    DoBeforeScroll();
    bool reopened = false;
    auto finish = [this] {
        FBOF = true;
        DataEvent(TDataEvent::deDataSetChange, 0);
        DoAfterScroll();
    };
    try {
        if (FIsUniDirectional && !FBOF) {
            Close();
            Open();
            reopened = true;
        } else {
            ClearBuffers();
        }
        if (!reopened) {
            InternalFirst();
            GetNextRecord();
            GetNextRecords();
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TDataSet::Last()
{
    if (FIsUniDirectional)
        DatabaseError(msg::DataSetUnidirectional, this);
    CheckBrowseMode();
    DoBeforeScroll();
    auto finish = [this] {
        FEOF = true;
        DataEvent(TDataEvent::deDataSetChange, 0);
        DoAfterScroll();
    };
    try {
        ClearBuffers();
        InternalLast();
        GetPriorRecord();
        GetPriorRecords();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TDataSet::Resync(TResyncMode mode)
{
    if (FIsUniDirectional || !IsCursorOpen() || !HasScratchBuffer())
        return;
    TRecordBuffer scratch = FBuffers[static_cast<size_t>(FRecordCount)];
    if (mode.Contains(TResyncModeItem::rmExact)) {
        CursorPosChanged();
        if (GetRecord(scratch, TGetMode::gmCurrent, true) != TGetResult::grOK)
            DatabaseError(msg::RecordNotFound, this);
    } else if (GetRecord(scratch, TGetMode::gmCurrent, false) != TGetResult::grOK &&
               GetRecord(scratch, TGetMode::gmNext, false) != TGetResult::grOK &&
               GetRecord(scratch, TGetMode::gmPrior, false) != TGetResult::grOK) {
        ClearBuffers();
        DataEvent(TDataEvent::deDataSetChange, 0);
        return;
    }
    int count = mode.Contains(TResyncModeItem::rmCenter) ? (FBufferCount - 1) / 2 : FActiveRecord;
    MoveBuffer(FRecordCount, 0);
    ActivateBuffers();
    try {
        while (count > 0 && GetPriorRecord())
            --count;
        GetNextRecords();
        GetPriorRecords();
    } catch (...) {
        DataEvent(TDataEvent::deDataSetChange, 0);
        throw;
    }
    DataEvent(TDataEvent::deDataSetChange, 0);
}

void TDataSet::Refresh()
{
    DoBeforeRefresh();
    CheckBrowseMode();
    UpdateCursorPos();
    try {
        InternalRefresh();
    } catch (...) {
        Resync({});
        DoAfterRefresh();
        throw;
    }
    Resync({});
    DoAfterRefresh();
}

} // namespace data
