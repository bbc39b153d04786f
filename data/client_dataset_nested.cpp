// TCustomClientDataSet over a nested-table field of another client dataset.
// The nested table belongs to the parent's table; this dataset's cursor is a
// detail cursor linked to the parent's, showing the nested rows of the
// parent's current record. Edits go through that cursor, so the engine
// enters them in the parent's change log as well.
#include <algorithm>

#include "data/client_dataset.h"
#include "data/field_dataset.h"

namespace data {

using components::TComponent;

TCustomClientDataSet* TCustomClientDataSet::ParentDataSet() const
{
    return FDataSetField ? dynamic_cast<TCustomClientDataSet*>(FDataSetField->DataSet()) : nullptr;
}

void TCustomClientDataSet::SetDataSetField(TDataSetField* value)
{
    if (value == FDataSetField)
        return;
    if (value) {
        CheckInactive();
        // A dataset cannot show its own rows, nor those of a table nested in itself.
        for (TDataSet* d = value->DataSet(); d;) {
            if (d == this)
                DatabaseError(u"Circular datalinks are not allowed", this);
            auto* client = dynamic_cast<TCustomClientDataSet*>(d);
            d = client && client->FDataSetField ? client->FDataSetField->DataSet() : nullptr;
        }
        if (TDataSet* parent = value->DataSet(); parent && !InheritsFrom(parent->ClassType()))
            DatabaseErrorFmt(this, "Nested dataset must inherit from {}", core::ToUtf8(parent->ClassName()));
    } else {
        Close();
    }
    TDataSetField* old = FDataSetField;
    if (value)
        value->AttachNestedDataSet(this);
    FDataSetField = value;
    if (old)
        old->DetachNestedDataSet(this);
}

TDataSet* TCustomClientDataSet::CreateNestedDataSet(TDataSetField* field)
{
    TComponent* made = dynamic_cast<TComponent*>(ClassType().Factory ? ClassType().Factory(field) : nullptr);
    auto* nested = dynamic_cast<TCustomClientDataSet*>(made);
    if (!nested) {
        delete made;
        DatabaseErrorFmt(this, "Nested dataset must inherit from {}", core::ToUtf8(ClassName()));
    }
    try {
        nested->SetObjectView(ObjectView());
        nested->SetDataSetField(field);
    } catch (...) {
        delete nested;
        throw;
    }
    return nested;
}

// ------------------------------------------------------------------ opening

void TCustomClientDataSet::OpenNestedTable()
{
    TCustomClientDataSet* parent = ParentDataSet();
    if (!parent)
        DatabaseErrorFmt(nullptr, "Field '{}' has no dataset", core::ToUtf8(FDataSetField->DisplayName()));
    if (!parent->Active())
        parent->Open();
    parent->CheckActive();
    if (FDataSetField->FieldNo() < 1)
        DatabaseErrorFmt(parent, "Field '{}' not found", core::ToUtf8(FDataSetField->DisplayName()));
    engine::DSRef<engine::IDSBase> nested;
    parent->Check(parent->FDSBase->GetEmbeddedDS(static_cast<std::uint32_t>(FDataSetField->FieldNo()), nested.put()));
    FDSBase = std::move(nested);
    // The rows belong to the parent's table: they are saved with it, never on their own.
    FProviderEOF = true;
    FSavePacketOnClose = false;
    FSavedPacket.reset();
}

void TCustomClientDataSet::LinkToParent()
{
    TCustomClientDataSet* parent = ParentDataSet();
    PositionParent();
    const engine::EngineResult r = parent->FDSCursor->LinkCursors(0, nullptr, nullptr, FDSCursor.get());
    // A parent without a current record (empty, or inserting) leaves no rows to show.
    if (r != engine::DBERR_NOCURRREC && r != engine::DBERR_DETAILSNOTFETCHED)
        Check(r);
    FOpenParent = parent;
    parent->FNestedDataSets.push_back(this);
}

// ------------------------------------------------------------------ following the parent

void TCustomClientDataSet::PositionParent() const
{
    TCustomClientDataSet* parent = FOpenParent ? FOpenParent : ParentDataSet();
    if (parent && parent->Active() && parent->State() != TDataSetState::dsInsert)
        parent->UpdateCursorPos();
}

void TCustomClientDataSet::SetCurrentRecord(int index)
{
    // The detail cursor reads through the parent's: that one must stand on
    // the parent's active record first.
    if (FOpenParent)
        PositionParent();
    TDataSet::SetCurrentRecord(index);
}

void TCustomClientDataSet::MasterChanged()
{
    if (!Active() || !FDSCursor)
        return;
    // Pending edits belong to the record the parent was on: the detail
    // cursor still follows that one until it is resynchronised below.
    CheckBrowseMode();
    const engine::EngineResult r = FDSCursor->ResyncWithMaster();
    if (r != engine::DBERR_NONE && r != engine::DBERR_NOCURRREC && r != engine::DBERR_DETAILSNOTFETCHED)
        Check(r);
    First();
}

void TCustomClientDataSet::ForEachNested(const std::function<void(TCustomClientDataSet*)>& action)
{
    if (FNestedDataSets.empty())
        return;
    // A handler may close a nested dataset (which leaves the list): walk a snapshot.
    const std::vector<TCustomClientDataSet*> nested(FNestedDataSets);
    for (TCustomClientDataSet* n : nested)
        if (std::find(FNestedDataSets.begin(), FNestedDataSets.end(), n) != FNestedDataSets.end() && n->Active())
            action(n);
}

void TCustomClientDataSet::DataEvent(TDataEvent event, intptr_t info)
{
    switch (event) {
    case TDataEvent::deParentScroll:
        MasterChanged();
        return;
    case TDataEvent::deCheckBrowseMode:
        ForEachNested([](TCustomClientDataSet* n) { n->CheckBrowseMode(); });
        break;
    default: break;
    }
    TDataSet::DataEvent(event, info);
    if (event == TDataEvent::deDataSetChange || event == TDataEvent::deDataSetScroll) {
        ForEachNested([this](TCustomClientDataSet* n) {
            if (State() != TDataSetState::dsInsert)
                UpdateCursorPos();
            n->DataEvent(TDataEvent::deParentScroll, 0);
        });
    }
}

// ------------------------------------------------------------------ editing

void TCustomClientDataSet::ParentIntoEdit()
{
    TCustomClientDataSet* parent = ParentDataSet();
    if (parent && parent->Active() && parent->State() == TDataSetState::dsBrowse && !parent->IsEmpty())
        parent->Edit();
}

void TCustomClientDataSet::PrepareParentForInsert()
{
    TCustomClientDataSet* parent = ParentDataSet();
    if (parent && parent->Active() && parent->State() == TDataSetState::dsInsert)
        parent->Post();
}

void TCustomClientDataSet::DoBeforeEdit()
{
    TDataSet::DoBeforeEdit();
    ParentIntoEdit();
}

} // namespace data
