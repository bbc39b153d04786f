#include "components/collection.h"

#include <algorithm>

#include "components/component.h"

namespace components {

namespace {
[[noreturn]] void InvalidItem() { throw core::EListError(std::u16string(u"Invalid property value")); }
[[noreturn]] void OutOfRange() { throw EArgumentOutOfRangeException(std::u16string(u"Argument out of range")); }
} // namespace

DEFINE_CLASS(TCollectionItem)
    .Factory([](TObject* collection) -> TObject* { return new TCollectionItem(dynamic_cast<TCollection*>(collection)); })
END_CLASS

DEFINE_CLASS(TCollection)
END_CLASS

DEFINE_CLASS(TOwnedCollection)
END_CLASS

// ---- TCollectionItem ---------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* collection)
{
    if (!collection)
        return;
    try {
        collection->InsertItem(this, true);
    } catch (...) {
        // No destructor runs for a failed constructor: leave no trace.
        if (FCollection)
            FCollection->EraseItem(this);
        throw;
    }
}

TCollectionItem::~TCollectionItem()
{
    if (!FCollection)
        return;
    try {
        FCollection->RemoveItem(this);
    } catch (...) {
        HandleException(std::current_exception());
    }
    if (FCollection)
        FCollection->EraseItem(this);
}

void TCollectionItem::SetCollection(TCollection* value)
{
    if (value == FCollection)
        return;
    // Check the new collection's item class before leaving the old one, so a
    // refused move leaves the item where it was.
    if (value && !InheritsFrom(value->ItemClass()))
        InvalidItem();
    if (FCollection)
        FCollection->RemoveItem(this);
    if (value)
        value->InsertItem(this);
}

int TCollectionItem::Index() const
{
    if (!FCollection)
        return -1;
    const auto& items = FCollection->FItems;
    auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int value)
{
    const int current = Index();
    if (current < 0 || current == value)
        return;
    auto& items = FCollection->FItems;
    if (value < 0 || value >= static_cast<int>(items.size()))
        OutOfRange();
    items.erase(items.begin() + current);
    items.insert(items.begin() + value, this);
    Changed(true);
}

std::u16string TCollectionItem::GetNamePath() const
{
    if (!FCollection)
        return ClassName();
    return core::Format("{}[{}]", core::ToUtf8(FCollection->GetNamePath()), Index());
}

TPersistent* TCollectionItem::GetOwner() const { return FCollection; }

void TCollectionItem::Changed(bool allItems)
{
    if (FCollection && FCollection->FUpdateCount == 0)
        FCollection->Update(allItems ? nullptr : this);
}

// ---- TCollection -------------------------------------------------------

TCollection::TCollection(const ClassInfo& itemClass) : FItemClass(&itemClass) {}

TCollection::~TCollection()
{
    FUpdateCount = 1;
    while (!FItems.empty())
        delete FItems.back();
}

TCollectionItem* TCollection::Items(int index) const
{
    if (index < 0 || index >= Count())
        OutOfRange();
    return FItems[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::Add()
{
    if (!FItemClass->Factory)
        InvalidItem();
    FAdding = true;
    FAddingItem = nullptr;
    TObject* created = nullptr;
    try {
        created = FItemClass->Factory(this);
    } catch (...) {
        FAdding = false;
        FAddingItem = nullptr;
        throw;
    }
    FAdding = false;
    TCollectionItem* announced = FAddingItem;
    FAddingItem = nullptr;

    auto* item = dynamic_cast<TCollectionItem*>(created);
    if (!item || !item->InheritsFrom(*FItemClass) || (item->FCollection && item->FCollection != this)) {
        delete created;
        InvalidItem();
    }
    if (!item->FCollection) {
        InsertItem(item); // a factory that did not hand the collection on
    } else if (item == announced) {
        SetItemName(item);
        Notify(item, TCollectionNotification::cnAdded);
        Changed();
    }
    return item;
}

TCollectionItem* TCollection::Insert(int index)
{
    if (index < 0 || index > Count())
        OutOfRange();
    TCollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void TCollection::Delete(int index)
{
    TCollectionItem* item = Items(index);
    Notify(item, TCollectionNotification::cnDeleting);
    delete item;
}

void TCollection::Clear()
{
    if (FItems.empty())
        return;
    BeginUpdate();
    while (!FItems.empty())
        delete FItems.back();
    EndUpdate();
}

void TCollection::ClearAndResetID()
{
    Clear();
    FNextID = 0;
}

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate()
{
    if (FUpdateCount > 0) // an unmatched EndUpdate must not block every later update
        --FUpdateCount;
    Changed();
}

void TCollection::Changed()
{
    if (FUpdateCount == 0)
        Update(nullptr);
}

TCollectionItem* TCollection::FindItemID(int id) const
{
    for (TCollectionItem* item : FItems)
        if (item->FID == id)
            return item;
    return nullptr;
}

void TCollection::Assign(TPersistent* source)
{
    auto* src = dynamic_cast<TCollection*>(source);
    if (!src) {
        TPersistent::Assign(source);
        return;
    }
    if (src == this)
        return; // clearing first would lose the items to be copied
    BeginUpdate();
    try {
        while (!FItems.empty())
            delete FItems.back();
        for (TCollectionItem* from : src->FItems)
            Add()->Assign(from);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::u16string TCollection::GetNamePath() const
{
    std::u16string result = ClassName();
    if (const TPersistent* owner = GetOwner()) {
        std::u16string ownerPath = owner->GetNamePath();
        std::u16string prop = PropName();
        if (!ownerPath.empty() && !prop.empty())
            result = ownerPath + u"." + prop;
    }
    return result;
}

std::u16string TCollection::PropName() const
{
    if (FPropName.empty()) {
        if (TPersistent* owner = GetOwner()) {
            for (const PropInfo* p : owner->ClassType().AllProps())
                if (p->Kind == TTypeKind::tkClass && p->GetObj && p->GetObj(owner) == this) {
                    FPropName = p->Name;
                    break;
                }
        }
    }
    return FPropName;
}

void TCollection::Notify(TCollectionItem* item, TCollectionNotification action)
{
    switch (action) {
    case TCollectionNotification::cnAdded:
        Added(item);
        break;
    case TCollectionNotification::cnDeleting:
        Deleting(item);
        break;
    default:
        break;
    }
}

void TCollection::InsertItem(TCollectionItem* item, bool constructing)
{
    if (!constructing && !item->InheritsFrom(*FItemClass))
        InvalidItem();
    FItems.push_back(item);
    item->FCollection = this;
    item->FID = FNextID++;
    if (constructing && FAdding && !FAddingItem) {
        FAddingItem = item; // Add completes the insertion once the item is built
        return;
    }
    SetItemName(item);
    Notify(item, TCollectionNotification::cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item)
{
    Notify(item, TCollectionNotification::cnExtracting);
    EraseItem(item);
    Changed();
}

void TCollection::EraseItem(TCollectionItem* item)
{
    if (!FItems.empty() && FItems.back() == item) {
        FItems.pop_back();
    } else {
        auto it = std::find(FItems.begin(), FItems.end(), item);
        if (it == FItems.end())
            return;
        FItems.erase(it);
    }
    item->FCollection = nullptr;
}

} // namespace components
