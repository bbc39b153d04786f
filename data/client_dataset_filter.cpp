// TCustomClientDataSet: expression and callback filters on the engine
// cursor, finding with the filter, and the open/close of that state.
#include "components/persistent.h"
#include "core/ustring.h"
#include "data/client_dataset.h"
#include "data/db_error.h"
#include "data/field.h"
#include "data/field_types.h"
#include "data/fields.h"
#include "data/filter/filter_parser.h"

namespace data {

namespace {

// The dataset's fields as the filter parser sees them.
class TDataSetFieldSource final : public IFilterFieldSource {
public:
    explicit TDataSetFieldSource(const TDataSet& ds) : FDataSet(ds) {}
    bool FindField(std::u16string_view name, TFilterFieldInfo& out) const override
    {
        TField* f = FDataSet.FindField(name);
        if (!f)
            return false;
        out = Info(f);
        return true;
    }
    std::vector<TFilterFieldInfo> AllFields() const override
    {
        std::vector<TFilterFieldInfo> all;
        for (int i = 0; i < FDataSet.FieldCount(); ++i)
            all.push_back(Info(FDataSet.Fields()[i]));
        return all;
    }
    // 8-bit string fields hold one byte per character.
    std::string TranslateToStored(std::u16string_view text) const override { return TStringField::ToStored(text); }

private:
    static TFilterFieldInfo Info(TField* f)
    {
        TFilterFieldInfo info;
        info.FieldNo = f->FieldNo();
        info.FieldName = f->FieldName();
        info.DataType = f->DataType();
        info.Size = f->Size();
        info.FieldKind = f->FieldKind();
        info.Origin = f->Origin();
        return info;
    }
    const TDataSet& FDataSet;
};

} // namespace

std::vector<uint8_t> TCustomClientDataSet::ParseFilterText(const std::u16string& text, TFilterOptions options) const
{
    TDataSetFieldSource source(*this);
    TExprParser parser(source, true, nullptr, u"", {TParserOption::poExtSyntax}, options, text);
    return parser.FilterData();
}

void TCustomClientDataSet::DropFilter(engine::hDSFilter& handle)
{
    if (handle != 0 && FDSCursor)
        FDSCursor->DropFilter(handle);
    handle = 0;
}

void TCustomClientDataSet::AddExprFilter(const std::u16string& text, TFilterOptions options)
{
    DropFilter(FExprFilter);
    if (text.empty())
        return;
    const std::vector<uint8_t> blob = ParseFilterText(text, options);
    engine::hDSFilter handle = 0;
    Check(FDSCursor->AddFilter(blob.data(), static_cast<std::uint32_t>(blob.size()), &handle));
    FExprFilter = handle;
}

engine::DSBool TCustomClientDataSet::FilterCallback(engine::DSClientData client, const std::uint8_t* record)
{
    auto* ds = reinterpret_cast<TCustomClientDataSet*>(client);
    bool accept = true;
    const std::uint8_t* saveBuffer = ds->FFilterBuffer;
    ds->FFilterBuffer = record;
    const TDataSetState saveState = ds->SetTempState(TDataSetState::dsFilter);
    try {
        if (ds->OnFilterRecord)
            ds->OnFilterRecord(ds, accept);
    } catch (...) {
        // an exception in the handler must not unwind through the engine
        components::HandleException(std::current_exception());
    }
    ds->RestoreState(saveState);
    ds->FFilterBuffer = saveBuffer;
    return accept ? 1 : 0;
}

void TCustomClientDataSet::AddFuncFilter()
{
    DropFilter(FFuncFilter);
    engine::hDSFilter handle = 0;
    Check(FDSCursor->AddFilterCallBack(reinterpret_cast<engine::DSClientData>(this), &FilterCallback, &handle));
    FFuncFilter = handle;
}

void TCustomClientDataSet::ActivateFilters()
{
    if (!Filter().empty())
        AddExprFilter(Filter(), FFilterOptions);
    if (OnFilterRecord)
        AddFuncFilter();
}

void TCustomClientDataSet::DeactivateFilters()
{
    DropFilter(FFuncFilter);
    DropFilter(FExprFilter);
}

void TCustomClientDataSet::SetFiltered(bool value)
{
    if (!Active()) {
        TDataSet::SetFiltered(value);
        return;
    }
    CheckBrowseMode();
    if (value != Filtered()) {
        DropFindCursor();
        Check(FDSCursor->MoveToBOF());
        if (value) {
            try {
                ActivateFilters();
            } catch (...) {
                DeactivateFilters();
                First();
                throw;
            }
        } else {
            DeactivateFilters();
        }
        FStatusFilter = {};
        TDataSet::SetFiltered(value);
    }
    First();
}

void TCustomClientDataSet::SetFilterText(const std::u16string& value)
{
    if (Active() && Filtered()) {
        CheckBrowseMode();
        if (value != Filter()) {
            // The previous filter is gone once a new text is tried; a text that
            // does not parse raises and Filter keeps its previous text, so the
            // visible records and the property disagree. Put the old one back.
            try {
                AddExprFilter(value, FFilterOptions);
            } catch (...) {
                try {
                    AddExprFilter(Filter(), FFilterOptions);
                } catch (...) {
                }
                First();
                throw;
            }
        }
        DropFindCursor();
        First();
    } else if (!value.empty()) {
        // Checked now, not at the next open: a bad text never gets stored.
        if (Active())
            ParseFilterText(value, FFilterOptions);
    }
    TDataSet::SetFilterText(value);
}

void TCustomClientDataSet::SetFilterOptions(TFilterOptions value)
{
    if (Active() && Filtered() && value.Bits() != FFilterOptions.Bits()) {
        CheckBrowseMode();
        AddExprFilter(Filter(), value);
        DropFindCursor();
        First();
    }
    FFilterOptions = value;
}

void TCustomClientDataSet::SetOnFilterRecord(TFilterRecordEvent handler)
{
    if (Active() && Filtered()) {
        CheckBrowseMode();
        const bool had = static_cast<bool>(OnFilterRecord);
        OnFilterRecord = handler;
        if (!had && handler)
            AddFuncFilter();
        else if (had && !handler)
            DropFilter(FFuncFilter);
        DropFindCursor();
        First();
        return;
    }
    OnFilterRecord = handler;
}

bool TCustomClientDataSet::FindRecord(bool restart, bool goForward)
{
    CheckBrowseMode();
    UpdateCursorPos();
    CursorPosChanged();
    DoBeforeScroll();
    engine::IDSCursor* cursor = FDSCursor.get();
    if (!Filtered()) {
        if (restart)
            DropFindCursor();
        if (!FFindCursor) {
            ActivateFilters();
            try {
                engine::DSRef<engine::IDSCursor> clone;
                Check(engine::CreateDSCursor(clone.put()));
                Check(clone->CloneCursor(FDSCursor.get()));
                FFindCursor = std::move(clone);
            } catch (...) {
                DeactivateFilters();
                throw;
            }
            DeactivateFilters();
        } else if (!restart) {
            std::vector<uint8_t> bookmark(static_cast<std::size_t>(BookmarkSize()));
            Check(FDSCursor->GetCurrentBookMark(bookmark.data()));
            FFindCursor->MoveToBookMark(bookmark.data());
        }
        cursor = FFindCursor.get();
    }
    engine::EngineResult r;
    if (goForward) {
        if (restart)
            Check(cursor->MoveToBOF());
        r = cursor->MoveRelative(1);
    } else {
        if (restart)
            Check(cursor->MoveToEOF());
        r = cursor->MoveRelative(-1);
    }
    if (cursor != FDSCursor.get() && r == engine::DBERR_NONE) {
        std::vector<uint8_t> bookmark(static_cast<std::size_t>(BookmarkSize()));
        Check(cursor->GetCurrentBookMark(bookmark.data()));
        FDSCursor->MoveToBookMark(bookmark.data());
        r = FDSCursor->GetCurrentRecord(nullptr);
    }
    bool found = false;
    if (r == engine::DBERR_NONE) {
        Resync({TResyncModeItem::rmExact, TResyncModeItem::rmCenter});
        found = true;
        DoAfterScroll();
    }
    SetFound(found);
    return found;
}

// ------------------------------------------------------------------ open and close

void TCustomClientDataSet::OpenExtras()
{
    for (TKeyBuffer& key : FKeyBuffers)
        key = TKeyBuffer{false, false, 0, std::vector<uint8_t>(static_cast<std::size_t>(FRecordSize), 0)};
    FKeyBuffer = nullptr;
    if (!FIndexName.empty()) {
        if (FFieldsIndex)
            SortOnFieldList(FIndexName);
        else
            SwitchToIndex(FIndexName);
    }
    ReadIndexInfo();
    if (Filtered())
        ActivateFilters();
}

void TCustomClientDataSet::CloseExtras()
{
    FFindCursor = {};
    FExprFilter = 0;
    FFuncFilter = 0;
    FFilterBuffer = nullptr;
    for (TKeyBuffer& key : FKeyBuffers)
        key = TKeyBuffer{};
    FKeyBuffer = nullptr;
    FRanged = false;
    FIndexFieldNos.clear();
}

} // namespace data
