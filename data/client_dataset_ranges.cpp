// TCustomClientDataSet: limiting the visible records to a key range of the
// current index. The range keys are edited like the lookup key (SetRangeStart,
// EditRangeEnd, ... in dsSetKey) or filled from values (SetRange); ApplyRange
// hands them to the cursor. The keys the cursor applies are kept as well, so
// applying an unchanged range again does nothing.
#include <algorithm>

#include "data/client_dataset.h"

namespace data {

namespace {

// A key as it is before any range was applied: zero-filled throughout.
template <typename Key>
void ZeroKey(Key& key)
{
    key.Modified = false;
    key.Exclusive = false;
    key.FieldCount = 0;
    std::fill(key.Record.begin(), key.Record.end(), uint8_t{0});
}

} // namespace

void TCustomClientDataSet::ApplyRange()
{
    CheckBrowseMode();
    const TKeyBuffer& start = KeyBuffer(TKeyIndex::kiRangeStart);
    const TKeyBuffer& end = KeyBuffer(TKeyIndex::kiRangeEnd);
    if (start != KeyBuffer(TKeyIndex::kiCurRangeStart) || end != KeyBuffer(TKeyIndex::kiCurRangeEnd)) {
        // The cursor takes one key field count for both bounds: the start
        // key's. With no lower bound that count says nothing (0 would mean
        // every key field), so the upper bound's own count is used then.
        const int32_t fields = start.Modified || !end.Modified ? start.FieldCount : end.FieldCount;
        Check(FDSCursor->SetRange(static_cast<std::uint32_t>(fields), start.Modified ? start.Record.data() : nullptr,
                                  start.Exclusive ? 0 : 1, end.Modified ? end.Record.data() : nullptr,
                                  end.Exclusive ? 0 : 1));
        KeyBuffer(TKeyIndex::kiCurRangeStart) = start;
        KeyBuffer(TKeyIndex::kiCurRangeEnd) = end;
        DropFindCursor();
        First();
    }
    FRanged = true;
}

bool TCustomClientDataSet::ResetCursorRange()
{
    TKeyBuffer& curStart = KeyBuffer(TKeyIndex::kiCurRangeStart);
    TKeyBuffer& curEnd = KeyBuffer(TKeyIndex::kiCurRangeEnd);
    if (!curStart.Modified && !curEnd.Modified)
        return false;
    Check(FDSCursor->DropRange());
    ZeroKey(curStart);
    ZeroKey(curEnd);
    return true;
}

void TCustomClientDataSet::CancelRange()
{
    CheckBrowseMode();
    UpdateCursorPos();
    if (ResetCursorRange()) {
        DropFindCursor();
        Resync({});
    }
    FRanged = false;
}

void TCustomClientDataSet::SetRange(const std::vector<core::Variant>& startValues,
                                    const std::vector<core::Variant>& endValues, bool startExclusive,
                                    bool endExclusive)
{
    CheckBrowseMode();
    SetKeyFields(TKeyIndex::kiRangeStart, startValues);
    KeyBuffer(TKeyIndex::kiRangeStart).Exclusive = startExclusive;
    SetKeyFields(TKeyIndex::kiRangeEnd, endValues);
    KeyBuffer(TKeyIndex::kiRangeEnd).Exclusive = endExclusive;
    ApplyRange();
}

} // namespace data
