// TCustomClientDataSet: the engine table's change log seen from the dataset:
// counts, undo, revert, save points, merging and the status filter.
#include "data/client_dataset.h"

namespace data {

int64_t TCustomClientDataSet::ChangeCount() const
{
    if (!Active() || !FDSBase)
        return 0;
    std::int32_t n = 0;
    Check(FDSBase->GetProp(engine::dspropNOOFCHANGES, &n));
    return n;
}

bool TCustomClientDataSet::UpdatesPending() const
{
    if (!Active() || !FDSBase)
        return false;
    std::int32_t pending = 0;
    Check(FDSBase->GetProp(engine::dspropUPDATESPENDING, &pending));
    return pending != 0;
}

bool TCustomClientDataSet::LogChanges()
{
    CheckBrowseMode();
    std::int32_t on = 0;
    Check(FDSBase->GetProp(engine::dspropLOGCHANGES, &on));
    return on != 0;
}

void TCustomClientDataSet::SetLogChanges(bool value)
{
    CheckBrowseMode();
    Check(FDSBase->SetProp(engine::dspropLOGCHANGES, value ? 1 : 0));
}

int64_t TCustomClientDataSet::SavePoint()
{
    CheckActive();
    std::int32_t point = 0;
    Check(FDSBase->GetProp(engine::dspropGETSAVEPOINT, &point));
    return static_cast<uint32_t>(point);
}

void TCustomClientDataSet::SetSavePoint(int64_t value)
{
    Cancel();
    CheckBrowseMode();
    UpdateCursorPos();
    // A value outside the engine's 32-bit ids names no save point.
    if (value < 0 || value > 0xFFFFFFFFll)
        Check(engine::DBERR_INVALIDPARAM);
    Check(FDSBase->RollBack(static_cast<std::uint32_t>(value)));
    CursorPosChanged();
    Resync({});
}

bool TCustomClientDataSet::UndoLastChange(bool followChange)
{
    Cancel();
    CheckBrowseMode();
    UpdateCursorPos();
    const engine::EngineResult r = FDSCursor->UndoLastChange(followChange ? 1 : 0);
    if (r != engine::DBERR_NONE)
        return false;
    if (followChange)
        CursorPosChanged();
    Resync({});
    return true;
}

void TCustomClientDataSet::RevertRecord()
{
    Cancel();
    CheckBrowseMode();
    UpdateCursorPos();
    Check(FDSCursor->RevertRecord());
    Resync({});
}

void TCustomClientDataSet::MergeChangeLog()
{
    CheckBrowseMode();
    Check(FDSBase->AcceptChanges());
    UpdateCursorPos();
    Resync({});
}

void TCustomClientDataSet::SetStatusFilter(TUpdateStatusSet value)
{
    CheckBrowseMode();
    std::uintptr_t view = 0;
    if (value.Bits() != 0) {
        if (Filtered())
            SetFiltered(false);
        SetIndexName(u"CHANGEINDEX");
        if (value.Contains(TUpdateStatus::usModified))
            view += 8;
        if (value.Contains(TUpdateStatus::usInserted))
            view += 4;
        if (value.Contains(TUpdateStatus::usDeleted))
            view += 2;
    } else if (!FFieldsIndex && FIndexName == u"CHANGEINDEX") {
        SetIndexName(u"DEFAULT_ORDER");
    }
    Check(FDSBase->SetProp(engine::dspropCHANGEINDEX_VIEW, view));
    FStatusFilter = value;
    Resync({});
}

} // namespace data
