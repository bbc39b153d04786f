#include "data/data_source.h"

#include <algorithm>

#include "data/dataset.h"
#include "data/db_error.h"

namespace data {

// ----------------------------------------------------------------- TDataSource

TDataSource::TDataSource(components::TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource()
{
    FDestroying = true;
    OnStateChange = nullptr;
    if (FDataSet)
        FDataSet->RemoveDataSource(this);
    while (!FDataLinks.empty()) {
        TDataLink* link = FDataLinks.back();
        RemoveDataLink(link);
    }
}

void TDataSource::SetDataSet(TDataSet* value)
{
    if (value && IsLinkedTo(value))
        DatabaseError(msg::CircularDataLink, this);
    if (FDataSet)
        FDataSet->RemoveDataSource(this);
    if (value)
        value->AddDataSource(this);
}

void TDataSource::SetEnabled(bool value)
{
    FEnabled = value;
    UpdateState();
}

void TDataSource::Edit()
{
    if (FAutoEdit && FState == TDataSetState::dsBrowse && FDataSet)
        FDataSet->Edit();
}

bool TDataSource::IsLinkedTo(TDataSet* dataSet) const
{
    // Bounded walk: a damaged chain of master sources cannot loop forever.
    for (int guard = 0; dataSet && guard < 1000; ++guard) {
        TDataSource* source = dataSet->GetDataSource();
        if (!source)
            return false;
        if (source == this)
            return true;
        dataSet = source->DataSet();
    }
    return dataSet != nullptr;
}

TDataLink* TDataSource::DataLinks(int index) const
{
    if (index < 0 || index >= DataLinkCount())
        return nullptr;
    return FDataLinks[static_cast<size_t>(index)];
}

void TDataSource::AddDataLink(TDataLink* link)
{
    FDataLinks.push_back(link);
    link->FDataSource = this;
    if (FDataSet)
        FDataSet->UpdateBufferCount();
    link->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* link)
{
    link->FDataSource = nullptr;
    const auto it = std::find(FDataLinks.begin(), FDataLinks.end(), link);
    if (it != FDataLinks.end())
        FDataLinks.erase(it);
    link->UpdateState();
    if (FDataSet)
        FDataSet->UpdateBufferCount();
}

void TDataSource::UpdateState()
{
    SetState(FEnabled && FDataSet ? FDataSet->State() : TDataSetState::dsInactive);
}

void TDataSource::SetState(TDataSetState value)
{
    if (value == FState)
        return;
    const TDataSetState old = FState;
    FState = value;
    NotifyLinks(TDataEvent::deUpdateState, 0);
    if (!FDestroying) {
        OnStateChange(this);
        if (old == TDataSetState::dsInactive)
            OnDataChange(this, nullptr);
    }
}

bool TDataSource::IsLinkAttached(const TDataLink* link) const
{
    return std::find(FDataLinks.begin(), FDataLinks.end(), link) != FDataLinks.end();
}

// Non-visual links first, then visual ones, each group last attached first.
// Links may attach or detach while being notified: walk a snapshot and skip
// links that left.
void TDataSource::NotifyLinks(TDataEvent event, intptr_t info)
{
    if (FDataLinks.empty())
        return;
    const std::vector<TDataLink*> links(FDataLinks);
    for (int pass = 0; pass < 2; ++pass) {
        const bool visual = pass == 1;
        for (auto it = links.rbegin(); it != links.rend(); ++it)
            if (IsLinkAttached(*it) && (*it)->VisualControl() == visual)
                (*it)->DataEvent(event, info);
    }
}

void TDataSource::DataEvent(TDataEvent event, intptr_t info)
{
    if (event == TDataEvent::deUpdateState) {
        UpdateState();
        return;
    }
    if (FState == TDataSetState::dsInactive)
        return;
    NotifyLinks(event, info);
    switch (event) {
    case TDataEvent::deFieldChange: OnDataChange(this, reinterpret_cast<TField*>(info)); break;
    case TDataEvent::deRecordChange:
    case TDataEvent::deDataSetChange:
    case TDataEvent::deDataSetScroll:
    case TDataEvent::deLayoutChange:
        if (!FDestroying)
            OnDataChange(this, nullptr);
        break;
    case TDataEvent::deUpdateRecord: OnUpdateData(this); break;
    default: break;
    }
}

// ------------------------------------------------------------------- TDataLink

TDataLink::TDataLink() = default;

TDataLink::~TDataLink()
{
    FActive = false;
    FEditing = false;
    FDataSourceFixed = false;
    if (FDataSource)
        FDataSource->RemoveDataLink(this);
}

TDataSet* TDataLink::DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

void TDataLink::SetDataSource(TDataSource* value)
{
    if (value == FDataSource)
        return;
    if (FDataSourceFixed)
        DatabaseError(msg::DataSourceFixed, FDataSource);
    if (FDataSource)
        FDataSource->RemoveDataLink(this);
    if (value)
        value->AddDataLink(this);
}

void TDataLink::SetReadOnly(bool value)
{
    if (value == FReadOnly)
        return;
    FReadOnly = value;
    UpdateState();
}

void TDataLink::UpdateState()
{
    SetActive(FDataSource && FDataSource->State() != TDataSetState::dsInactive);
    SetEditing(FDataSource && dsEditModes.Contains(FDataSource->State()) && !FReadOnly);
}

void TDataLink::SetActive(bool value)
{
    if (value == FActive)
        return;
    FActive = value;
    if (value)
        UpdateRange();
    else
        FFirstRecord = 0;
    ActiveChanged();
}

void TDataLink::SetEditing(bool value)
{
    if (value == FEditing)
        return;
    FEditing = value;
    EditingChanged();
}

void TDataLink::UpdateRange()
{
    TDataSet* ds = DataSet();
    if (!ds)
        return;
    const int active = ds->ActiveRecord();
    const int count = ds->WindowRecordCount();
    const int buffers = GetBufferCount();
    const int min = std::max(0, active - buffers + 1);
    const int max = std::min(std::max(0, count - buffers), active);
    if (FFirstRecord < min)
        FFirstRecord = min;
    if (FFirstRecord > max)
        FFirstRecord = max;
    if (FFirstRecord != 0 && active - FFirstRecord < buffers - 1)
        --FFirstRecord;
    if (FFirstRecord < 0)
        FFirstRecord = 0;
}

void TDataLink::DataEvent(TDataEvent event, intptr_t info)
{
    if (event == TDataEvent::deUpdateState) {
        UpdateState();
        return;
    }
    if (!FActive)
        return;
    switch (event) {
    case TDataEvent::deFieldChange:
    case TDataEvent::deRecordChange:
        if (!FUpdating)
            RecordChanged(event == TDataEvent::deFieldChange ? reinterpret_cast<TField*>(info) : nullptr);
        break;
    case TDataEvent::deDataSetChange:
    case TDataEvent::deDataSetScroll:
    case TDataEvent::deLayoutChange: {
        int count = 0;
        TDataSet* ds = DataSet();
        if (ds && FDataSource->State() != TDataSetState::dsSetKey) {
            const int first = FFirstRecord + static_cast<int>(info);
            const int last = first + GetBufferCount() - 1;
            const int active = ds->ActiveRecord();
            if (active > last)
                count = active - last;
            else if (active < first)
                count = active - first;
            FFirstRecord = first + count;
        }
        if (event == TDataEvent::deDataSetChange)
            DataSetChanged();
        else if (event == TDataEvent::deDataSetScroll)
            DataSetScrolled(count);
        else
            LayoutChanged();
        break;
    }
    case TDataEvent::deUpdateRecord: UpdateRecord(); break;
    case TDataEvent::deCheckBrowseMode: CheckBrowseMode(); break;
    case TDataEvent::deFocusControl: FocusControl(reinterpret_cast<TField**>(info)); break;
    default: break;
    }
}

void TDataLink::DataSetChanged() { RecordChanged(nullptr); }
void TDataLink::DataSetScrolled(int) { DataSetChanged(); }
void TDataLink::LayoutChanged() { DataSetChanged(); }
void TDataLink::FocusControl(TField**) {}

int TDataLink::GetActiveRecord() const
{
    TDataSet* ds = DataSet();
    if (!ds || FDataSource->State() == TDataSetState::dsSetKey)
        return 0;
    return ds->ActiveRecord() - FFirstRecord;
}

void TDataLink::SetActiveRecord(int value)
{
    TDataSet* ds = DataSet();
    if (!ds || FDataSource->State() == TDataSetState::dsSetKey)
        return;
    ds->SetActiveRecordInternal(value + FFirstRecord);
}

int TDataLink::GetRecordCount() const
{
    TDataSet* ds = DataSet();
    if (!ds)
        return 0;
    if (FDataSource->State() == TDataSetState::dsSetKey)
        return 1;
    return std::max(0, std::min(GetBufferCount(), ds->WindowRecordCount() - FFirstRecord));
}

bool TDataLink::GetBOF() const
{
    TDataSet* ds = DataSet();
    return ds ? ds->Bof() : true;
}

bool TDataLink::GetEOF() const
{
    TDataSet* ds = DataSet();
    return ds ? ds->Eof() : true;
}

void TDataLink::SetBufferCount(int value)
{
    // A link always shows at least one row.
    if (value < 1)
        value = 1;
    if (value == FBufferCount)
        return;
    FBufferCount = value;
    if (FActive) {
        UpdateRange();
        if (TDataSet* ds = DataSet())
            ds->UpdateBufferCount();
        UpdateRange();
    }
}

int TDataLink::MoveBy(int distance)
{
    TDataSet* ds = DataSet();
    return ds ? ds->MoveBy(distance) : 0;
}

bool TDataLink::Edit()
{
    if (!FReadOnly && FDataSource)
        FDataSource->Edit();
    return FEditing;
}

void TDataLink::UpdateRecord()
{
    FUpdating = true;
    try {
        UpdateData();
    } catch (...) {
        FUpdating = false;
        throw;
    }
    FUpdating = false;
}

// -------------------------------------------------------------- TFieldDataLink

void TFieldDataLink::SetFieldName(const std::u16string& value)
{
    if (value == FFieldName)
        return;
    FFieldName = value;
    UpdateField();
}

void TFieldDataLink::SetField(TField* value)
{
    if (value == FField)
        return;
    FField = value;
    EditingChanged();
    RecordChanged(nullptr);
}

void TFieldDataLink::UpdateField()
{
    TDataSet* ds = DataSet();
    SetField(Active() && ds && !FFieldName.empty() ? ds->FindField(FFieldName) : nullptr);
}

bool TFieldDataLink::CanModify() const { return !ReadOnly() && FField && FField->CanModify(); }

void TFieldDataLink::Reset() { RecordChanged(nullptr); }

void TFieldDataLink::ActiveChanged()
{
    UpdateField();
    OnActiveChange(this);
}

void TFieldDataLink::DataEvent(TDataEvent event, intptr_t info)
{
    // The field may have left the dataset: look it up again.
    if (event == TDataEvent::deFieldListChange && Active())
        UpdateField();
    TDataLink::DataEvent(event, info);
}

void TFieldDataLink::EditingChanged() { OnEditingChange(this); }

void TFieldDataLink::FocusControl(TField** fieldRef)
{
    if (fieldRef && *fieldRef && *fieldRef == FField) {
        *fieldRef = nullptr;
    }
}

void TFieldDataLink::LayoutChanged() { UpdateField(); }

void TFieldDataLink::RecordChanged(TField* field)
{
    if (!field || field == FField) {
        OnDataChange(this);
        FModified = false;
    }
}

void TFieldDataLink::UpdateData()
{
    if (FModified) {
        if (FField)
            OnUpdateData(this);
        FModified = false;
    }
}

// clang-format off
DEFINE_CLASS(TDataSource)
    .Property(u"AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit).Default(1)
    .Property(u"DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet)
    .Property(u"Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled).Default(1)
    .Property(u"OnStateChange", &TDataSource::OnStateChange, &TDataSource::OnStateChange)
    .Property(u"OnDataChange", &TDataSource::OnDataChange, &TDataSource::OnDataChange)
    .Property(u"OnUpdateData", &TDataSource::OnUpdateData, &TDataSource::OnUpdateData)
END_CLASS
DEFINE_CLASS(TDataLink) END_CLASS
DEFINE_CLASS(TFieldDataLink) END_CLASS
// clang-format on

} // namespace data
