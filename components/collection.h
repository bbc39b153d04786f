#pragma once
// TCollection/TCollectionItem: an ordered list of persistent items of one
// item class, owned by the collection (grid columns, aggregates, parameters).
#include <memory>
#include <string>
#include <vector>

#include "core/exception.h"
#include "components/persistent.h"

namespace components {

class TCollection;

enum class TCollectionNotification { cnAdding, cnAdded, cnExtracting, cnExtracted, cnDeleting, cnRemoved };

class TCollectionItem : public TPersistent {
    DECLARE_CLASS(TCollectionItem, TPersistent)
public:
    explicit TCollectionItem(TCollection* collection);
    ~TCollectionItem() override;

    TCollection* Collection() const { return FCollection; }
    virtual void SetCollection(TCollection* value);
    int ID() const { return FID; }
    int Index() const;
    virtual void SetIndex(int value);
    virtual std::u16string GetDisplayName() const { return ClassName(); }
    virtual void SetDisplayName(const std::u16string&) {}
    std::u16string GetNamePath() const override;
    TPersistent* GetOwner() const override;

protected:
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

class TCollection : public TPersistent {
    DECLARE_CLASS(TCollection, TPersistent)
public:
    explicit TCollection(const ClassInfo& itemClass);
    ~TCollection() override;

    const ClassInfo& ItemClass() const { return *FItemClass; }
    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises EArgumentOutOfRangeException "Argument out of range" outside 0..Count-1.
    TCollectionItem* Items(int index) const;
    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    void ClearAndResetID();
    virtual void BeginUpdate();
    virtual void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    TCollectionItem* FindItemID(int id) const;
    TPersistent* Owner() const { return GetOwner(); }
    void Assign(TPersistent* source) override;
    std::u16string GetNamePath() const override;
    // Name of the owner's property that holds this collection (found on first use).
    std::u16string PropName() const;

protected:
    virtual void Added(TCollectionItem*) {}
    virtual void Deleting(TCollectionItem*) {}
    virtual void Notify(TCollectionItem* item, TCollectionNotification action);
    virtual void SetItemName(TCollectionItem*) {}
    virtual void Update(TCollectionItem*) {}
    void Changed();

private:
    friend class TCollectionItem;
    // `constructing`: called from the item's constructor, where its class is
    // not final yet (Add checks it once the item is built).
    void InsertItem(TCollectionItem* item, bool constructing = false);
    void RemoveItem(TCollectionItem* item);
    // List removal only (the destructor's fallback when RemoveItem fails).
    void EraseItem(TCollectionItem* item);

    const ClassInfo* FItemClass;
    std::vector<TCollectionItem*> FItems;
    int FUpdateCount = 0;
    int FNextID = 0;
    mutable std::u16string FPropName;
    // While Add constructs an item: the item its constructor inserted, whose
    // naming, cnAdded notification and Changed wait until it is complete.
    bool FAdding = false;
    TCollectionItem* FAddingItem = nullptr;
};

class TOwnedCollection : public TCollection {
    DECLARE_CLASS(TOwnedCollection, TCollection)
public:
    TOwnedCollection(TPersistent* owner, const ClassInfo& itemClass) : TCollection(itemClass), FOwner(owner) {}
    TPersistent* GetOwner() const override { return FOwner; }

private:
    TPersistent* FOwner;
};

CORE_DECLARE_EXCEPTION(EArgumentOutOfRangeException, core::EArgumentError);

} // namespace components
