#include "data/dataset.h"

#include <algorithm>

#include "data/data_source.h"

namespace data {

using components::TComponentState;

namespace {
constexpr TFieldKinds kDataFieldKinds{TFieldKind::fkData, TFieldKind::fkCalculated, TFieldKind::fkLookup,
                                      TFieldKind::fkInternalCalc};
} // namespace

TDataSet::TDataSet(components::TComponent* owner)
    : TComponent(owner),
      FFields(std::make_unique<TFields>(this, kDataFieldKinds)),
      FAggFields(std::make_unique<TFields>(this, TFieldKinds{TFieldKind::fkAggregate})),
      FFieldDefs(std::make_unique<TFieldDefs>(this))
{
    ClearBuffers();
}

TDataSet::~TDataSet()
{
    TComponent::Destroying();
    DetachBlobStreams();
    // A descendant closes in its own destructor; what is left here only
    // detaches the observers without calling the record operations.
    if (FState != TDataSetState::dsInactive) {
        FState = TDataSetState::dsInactive;
        for (TDataSource* s : FDataSources)
            s->UpdateState();
    }
    while (!FDataSources.empty())
        RemoveDataSource(FDataSources.back());
    FFields->Clear();
    FAggFields->Clear();
}

// ------------------------------------------------------------------ opening

void TDataSet::SetActive(bool value)
{
    if (InState(TComponentState::csReading)) {
        FStreamedActive = value;
        return;
    }
    if (value == Active())
        return;
    if (value) {
        DoBeforeOpen();
        try {
            OpenCursor(false);
        } catch (...) {
            if (FState != TDataSetState::dsOpening)
                OpenCursorComplete();
            throw;
        }
        if (FState != TDataSetState::dsOpening)
            OpenCursorComplete();
    } else {
        if (!IsDestroying())
            DoBeforeClose();
        if (dsEditModes.Contains(FState))
            Cancel();
        SetState(TDataSetState::dsInactive);
        CloseCursor();
        if (!IsDestroying())
            DoAfterClose();
    }
}

void TDataSet::OpenCursor(bool infoQuery)
{
    if (infoQuery)
        InternalInitFieldDefs();
    else if (FState != TDataSetState::dsOpening)
        DoInternalOpen();
}

void TDataSet::DoInternalOpen()
{
    FAutomaticFieldsScope = true;
    InternalOpen();
    FInternalOpenComplete = true;
    try {
        UpdateBufferCount();
    } catch (...) {
        // A failed first fetch must not leave the dataset open.
        FInternalOpenComplete = false;
        throw;
    }
    FBOF = true;
}

void TDataSet::OpenCursorComplete()
{
    auto finish = [this] {
        if (FInternalOpenComplete) {
            SetState(TDataSetState::dsBrowse);
            DoAfterOpen();
        } else {
            SetState(TDataSetState::dsInactive);
            CloseCursor();
        }
    };
    try {
        if (FState == TDataSetState::dsOpening)
            DoInternalOpen();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TDataSet::CloseCursor()
{
    if (FBlockReadSize != 0) {
        FBlockReadSize = 0;
    }
    FInternalOpenComplete = false;
    DetachBlobStreams();
    FreeFieldBuffers();
    ClearBuffers();
    SetBufListSize(0);
    InternalClose();
    FBufferCount = 0;
    FAutomaticFieldsScope = false;
}

void TDataSet::Loaded()
{
    TComponent::Loaded();
    if (FStreamedActive) {
        // The value was only remembered while the properties were read.
        if (InState(TComponentState::csReading))
            TComponent::SetState(TComponentState::csReading, false);
        try {
            SetActive(true);
        } catch (...) {
            if (InState(TComponentState::csDesigning))
                InternalHandleException();
            else
                throw;
        }
    }
}

void TDataSet::CheckActive() const
{
    if (FState == TDataSetState::dsInactive || FState == TDataSetState::dsOpening)
        DatabaseError(msg::DataSetClosed, this);
}

void TDataSet::CheckInactive()
{
    if (!Active())
        return;
    if (InState(TComponentState::csUpdating) || InState(TComponentState::csDesigning)) {
        Close();
        return;
    }
    DatabaseError(msg::DataSetOpen, this);
}

void TDataSet::InitFieldDefs()
{
    if (IsCursorOpen()) {
        InternalInitFieldDefs();
        return;
    }
    try {
        OpenCursor(true);
    } catch (...) {
        CloseCursor();
        throw;
    }
    CloseCursor();
}

// ------------------------------------------------------------------- states

void TDataSet::SetState(TDataSetState value)
{
    if (value == FState)
        return;
    FState = value;
    FModified = false;
    DataEvent(TDataEvent::deUpdateState, 0);
}

// Temporary states leave Modified alone: reading an old or current value
// while editing must not make CheckBrowseMode drop the pending changes.
TDataSetState TDataSet::SetTempState(TDataSetState value)
{
    const TDataSetState old = FState;
    FState = value;
    ++FDisableCount;
    return old;
}

void TDataSet::RestoreState(TDataSetState value)
{
    FState = value;
    if (FDisableCount > 0)
        --FDisableCount;
}

void TDataSet::SetBlockReadSize(int value)
{
    if (value > 0) {
        CheckActive();
        SetState(TDataSetState::dsBlockRead);
    } else if (FState == TDataSetState::dsBlockRead) {
        SetState(TDataSetState::dsBrowse);
    }
    FBlockReadSize = value;
}

void TDataSet::SetFiltered(bool value)
{
    if (value && FIsUniDirectional)
        DatabaseError(msg::DataSetUnidirectional, this);
    FFiltered = value;
}

void TDataSet::SetFilterText(const std::u16string& value)
{
    if (FIsUniDirectional)
        DatabaseError(msg::DataSetUnidirectional, this);
    FFilterText = value;
}

// --------------------------------------------------------------- data events

void TDataSet::DataEvent(TDataEvent event, intptr_t info)
{
    bool notify = !(ControlsDisabled() || FState == TDataSetState::dsBlockRead);
    switch (event) {
    case TDataEvent::deFieldChange: {
        auto* field = reinterpret_cast<TField*>(info);
        if (!field)
            break;
        const TFieldKind kind = field->FieldKind();
        if (kind == TFieldKind::fkData || kind == TFieldKind::fkInternalCalc)
            FModified = true;
        if (FState != TDataSetState::dsSetKey) {
            if (FInternalCalcFields && kind == TFieldKind::fkData)
                RefreshInternalCalcFields(ActiveBuffer());
            else if (FCalcFieldsSize != 0 && FAutoCalcFields && kind == TFieldKind::fkData)
                CalculateFields(ActiveBuffer());
            field->Change();
        }
        break;
    }
    case TDataEvent::deDataSetChange:
    case TDataEvent::deDataSetScroll:
        if (FState == TDataSetState::dsBlockRead) {
            for (TDataSource* s : std::vector<TDataSource*>(FDataSources)) {
                if (!IsSourceAttached(s))
                    continue;
                for (TDataLink* l : std::vector<TDataLink*>(s->FDataLinks))
                    if (s->IsLinkAttached(l) && !l->VisualControl())
                        l->DataEvent(event, info);
            }
        }
        break;
    case TDataEvent::deLayoutChange:
        FFieldListUpdated = false;
        if (ControlsDisabled())
            FEnableEvent = TDataEvent::deLayoutChange;
        break;
    case TDataEvent::deUpdateState:
        if (ControlsDisabled()) {
            const bool active = FState != TDataSetState::dsInactive;
            if ((active && FEnableEvent == TDataEvent::deLayoutChange) ||
                (!active && (FEnableEvent == TDataEvent::deDataSetChange ||
                             FEnableEvent == TDataEvent::deLayoutChange))) {
                event = TDataEvent::deDisabledStateChange;
                info = active ? 1 : 0;
                notify = true;
                FEnableEvent = TDataEvent::deLayoutChange;
            }
        }
        break;
    case TDataEvent::dePropertyChange:
        FFieldDefs->SetUpdated(false);
        break;
    case TDataEvent::deFieldListChange:
        FFieldListUpdated = false;
        break;
    default:
        break;
    }
    if (notify)
        NotifySources(event, info);
}

bool TDataSet::IsSourceAttached(const TDataSource* source) const
{
    return std::find(FDataSources.begin(), FDataSources.end(), source) != FDataSources.end();
}

// Sources may be attached or detached by the handlers they call: walk a
// snapshot and skip those that left in the meantime.
void TDataSet::NotifySources(TDataEvent event, intptr_t info)
{
    if (FDataSources.empty())
        return;
    if (FDataSources.size() == 1) {
        FDataSources.front()->DataEvent(event, info);
        return;
    }
    const std::vector<TDataSource*> sources(FDataSources);
    for (TDataSource* s : sources)
        if (IsSourceAttached(s))
            s->DataEvent(event, info);
}

void TDataSet::DisableControls()
{
    if (FDisableCount == 0) {
        FDisableState = FState;
        FEnableEvent = TDataEvent::deDataSetChange;
    }
    ++FDisableCount;
}

void TDataSet::EnableControls()
{
    if (FDisableCount == 0)
        return;
    if (--FDisableCount != 0)
        return;
    if (FState != FDisableState)
        DataEvent(TDataEvent::deUpdateState, 0);
    if (FState != TDataSetState::dsInactive)
        DataEvent(FEnableEvent, 0);
}

// --------------------------------------------------------- data sources

void TDataSet::AddDataSource(TDataSource* source)
{
    FDataSources.push_back(source);
    source->FDataSet = this;
    UpdateBufferCount();
    source->UpdateState();
}

void TDataSet::RemoveDataSource(TDataSource* source)
{
    const auto it = std::find(FDataSources.begin(), FDataSources.end(), source);
    if (it == FDataSources.end())
        return;
    source->FDataSet = nullptr;
    FDataSources.erase(it);
    source->UpdateState();
    // While the dataset is being destroyed its concrete part is gone: the
    // record window is not resized then (that would call its operations).
    if (!InState(TComponentState::csDestroying))
        UpdateBufferCount();
}

TDataSource* TDataSet::DataSources(int index) const
{
    if (index < 0 || index >= DataSourceCount())
        return nullptr;
    return FDataSources[static_cast<size_t>(index)];
}

// ------------------------------------------------------ before/after events

void TDataSet::DoAfterCancel() { AfterCancel(this); }
void TDataSet::DoAfterClose() { AfterClose(this); }
void TDataSet::DoAfterDelete() { AfterDelete(this); }
void TDataSet::DoAfterEdit() { AfterEdit(this); }
void TDataSet::DoAfterInsert() { AfterInsert(this); }
void TDataSet::DoAfterOpen()
{
    AfterOpen(this);
    if (!IsEmpty())
        DoAfterScroll();
}
void TDataSet::DoAfterPost() { AfterPost(this); }
void TDataSet::DoAfterRefresh() { AfterRefresh(this); }
void TDataSet::DoAfterScroll() { AfterScroll(this); }
void TDataSet::DoBeforeCancel() { BeforeCancel(this); }
void TDataSet::DoBeforeClose() { BeforeClose(this); }
void TDataSet::DoBeforeDelete() { BeforeDelete(this); }
void TDataSet::DoBeforeEdit() { BeforeEdit(this); }
void TDataSet::DoBeforeInsert() { BeforeInsert(this); }
void TDataSet::DoBeforeOpen() { BeforeOpen(this); }
void TDataSet::DoBeforePost() { BeforePost(this); }
void TDataSet::DoBeforeRefresh() { BeforeRefresh(this); }
void TDataSet::DoBeforeScroll() { BeforeScroll(this); }
void TDataSet::DoOnCalcFields() { OnCalcFields(this); }
void TDataSet::DoOnNewRecord() { OnNewRecord(this); }

bool TDataSet::FindRecord(bool, bool) { return false; }

int TDataSet::Translate(const char* source, char* dest, bool)
{
    const size_t len = std::char_traits<char>::length(source);
    if (source != dest)
        std::char_traits<char>::move(dest, source, len + 1);
    return static_cast<int>(len);
}

// clang-format off
DEFINE_CLASS(TDataSet)
    .Property(u"Active", &TDataSet::Active, &TDataSet::SetActiveProp).Default(0)
    .Property(u"AutoCalcFields", &TDataSet::AutoCalcFields, &TDataSet::SetAutoCalcFields).Default(1)
    .Property(u"Filter", &TDataSet::Filter, &TDataSet::SetFilter)
    .Property(u"Filtered", &TDataSet::Filtered, &TDataSet::SetFilteredProp).Default(0)
    .Property(u"BeforeOpen", &TDataSet::BeforeOpen, &TDataSet::BeforeOpen)
    .Property(u"AfterOpen", &TDataSet::AfterOpen, &TDataSet::AfterOpen)
    .Property(u"BeforeClose", &TDataSet::BeforeClose, &TDataSet::BeforeClose)
    .Property(u"AfterClose", &TDataSet::AfterClose, &TDataSet::AfterClose)
    .Property(u"BeforeInsert", &TDataSet::BeforeInsert, &TDataSet::BeforeInsert)
    .Property(u"AfterInsert", &TDataSet::AfterInsert, &TDataSet::AfterInsert)
    .Property(u"BeforeEdit", &TDataSet::BeforeEdit, &TDataSet::BeforeEdit)
    .Property(u"AfterEdit", &TDataSet::AfterEdit, &TDataSet::AfterEdit)
    .Property(u"BeforePost", &TDataSet::BeforePost, &TDataSet::BeforePost)
    .Property(u"AfterPost", &TDataSet::AfterPost, &TDataSet::AfterPost)
    .Property(u"BeforeCancel", &TDataSet::BeforeCancel, &TDataSet::BeforeCancel)
    .Property(u"AfterCancel", &TDataSet::AfterCancel, &TDataSet::AfterCancel)
    .Property(u"BeforeDelete", &TDataSet::BeforeDelete, &TDataSet::BeforeDelete)
    .Property(u"AfterDelete", &TDataSet::AfterDelete, &TDataSet::AfterDelete)
    .Property(u"BeforeScroll", &TDataSet::BeforeScroll, &TDataSet::BeforeScroll)
    .Property(u"AfterScroll", &TDataSet::AfterScroll, &TDataSet::AfterScroll)
    .Property(u"BeforeRefresh", &TDataSet::BeforeRefresh, &TDataSet::BeforeRefresh)
    .Property(u"AfterRefresh", &TDataSet::AfterRefresh, &TDataSet::AfterRefresh)
    .Property(u"OnCalcFields", &TDataSet::OnCalcFields, &TDataSet::OnCalcFields)
    .Property(u"OnDeleteError", &TDataSet::OnDeleteError, &TDataSet::OnDeleteError)
    .Property(u"OnEditError", &TDataSet::OnEditError, &TDataSet::OnEditError)
    .Property(u"OnFilterRecord", &TDataSet::OnFilterRecord, &TDataSet::OnFilterRecord)
    .Property(u"OnNewRecord", &TDataSet::OnNewRecord, &TDataSet::OnNewRecord)
    .Property(u"OnPostError", &TDataSet::OnPostError, &TDataSet::OnPostError)
END_CLASS
// clang-format on

} // namespace data
