#pragma once
// TComponent: a named persistent with an owner that destroys it, the list of
// components it owns, free notifications, life-cycle state and the hooks the
// form reader calls.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components/persistent.h"

namespace components {

class TReader;
class TWriter;

enum class TComponentState : uint8_t {
    csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating, csFixups,
    csFreeNotification, csInline, csDesignInstance
};
using TComponentStates = TSet<TComponentState>;

enum class TComponentStyle : uint8_t { csInheritable, csCheckPropAvail, csSubComponent, csTransient };
using TComponentStyles = TSet<TComponentStyle>;

enum class TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
    DECLARE_CLASS(TComponent, TPersistent)
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return FOwner; }
    const std::u16string& Name() const { return FName; }
    void SetName(const std::u16string& value);
    intptr_t Tag() const { return FTag; }
    void SetTag(intptr_t v) { FTag = v; }
    TComponentStates ComponentState() const { return FComponentState; }
    TComponentStyles ComponentStyle() const { return FComponentStyle; }
    bool InState(TComponentState s) const { return FComponentState.Contains(s); }
    // For the reader and tests: set/clear life-cycle flags.
    void SetState(TComponentState s, bool on);
    int32_t DesignInfo() const { return FDesignInfo; }
    void SetDesignInfo(int32_t v) { FDesignInfo = v; }

    int ComponentCount() const { return static_cast<int>(FComponents ? FComponents->size() : 0); }
    TComponent* Components(int index) const; // raises EListError "List index out of bounds (%d)"
    int ComponentIndex() const;
    void SetComponentIndex(int value);
    TComponent* FindComponent(std::u16string_view name) const;

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void DestroyComponents();
    void Destroying();

    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    void SetSubComponent(bool value);

    // Destroys the component: marks it (and what it owns) csDestroying, then
    // deletes it, so descendants' destructors already see csDestroying.
    // `delete` works too. Calling Free on a component whose destructor is
    // already running (from a notification it sends) does nothing.
    void Free();

    TPersistent* GetOwner() const override;
    std::u16string GetNamePath() const override;

    // Reader hooks.
    virtual void Loaded();
    virtual void ReadState(TReader& reader);
    virtual void WriteState(TWriter& writer);
    virtual TComponent* GetChildOwner() { return nullptr; }
    virtual TComponent* GetChildParent() { return this; }
    // Calls proc for each child written after this component's properties.
    virtual void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root);
    virtual void SetChildOrder(TComponent* child, int order);
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent* value);
    virtual bool HasParent() const { return false; }
    virtual void Updating();
    virtual void Updated();

protected:
    virtual void Notification(TComponent* component, TOperation operation);
    virtual void ValidateRename(TComponent* component, const std::u16string& curName, const std::u16string& newName);
    virtual void ValidateContainer(TComponent* component);
    virtual void ValidateInsert(TComponent* component);
    void DefineProperties(TFiler& filer) override;

private:
    // A free-notification pair is listed on both sides. Asked: this side
    // called FreeNotification for it; the pair lasts while either side asks.
    struct FreeLink {
        TComponent* Peer;
        bool Asked;
    };
    struct NotifyWalk;
    struct Watch;
    void Insert(TComponent* component);
    void Remove(TComponent* component);
    void SetReference(bool enable);
    void RemoveNotification(TComponent* component);
    FreeLink* FindFreeLink(TComponent* component) const;
    // Owned-list edits that keep running Notification walks in step.
    void ListInsert(size_t index, TComponent* component);
    void ListErase(size_t index);
    // Sorted-name list (named components only).
    bool SortedSearch(std::u16string_view name, size_t& index) const;
    void SortedInsert(TComponent* component);
    void SortedRemove(TComponent* component);
    // The destructor's work; also undoes a constructor that fails.
    void Teardown() noexcept;
    // True when telling this component about anything can have no effect:
    // exactly a TComponent (no override of Notification), owning nothing,
    // with no free-notification pairs, not in its constructor.
    bool IgnoresNotifications() const;
    // A component's notification needs changed: its owner re-checks them.
    void NotificationNeedsChanged();

    TComponent* FOwner = nullptr;
    std::u16string FName;
    intptr_t FTag = 0;
    std::unique_ptr<std::vector<TComponent*>> FComponents;
    std::unique_ptr<std::vector<FreeLink>> FFreeNotifies;
    int32_t FDesignInfo = 0;
    TComponentStates FComponentState;
    TComponentStyles FComponentStyle;
    // Built by the first FindComponent (which is const), kept in step afterwards.
    mutable std::unique_ptr<std::vector<TComponent*>> FSortedComponents;
    NotifyWalk* FWalks = nullptr;  // Notification walks running over FComponents
    Watch* FWatches = nullptr;     // callers that must learn whether this component died
    // The first FQuietPrefix owned components ignore notifications (see
    // IgnoresNotifications): Notification walks stop above them, so a broadcast
    // among many plain components costs nothing per component.
    size_t FQuietPrefix = 0;
    bool FConstructing = false;
    bool FDestructing = false;
};

// True for "" and valid identifiers (letter or '_' then letters, digits, '_').
bool IsValidIdent(std::u16string_view name);
// Component-name comparison: ASCII-only case folding, code unit order.
int CompareNames(std::u16string_view a, std::u16string_view b);

} // namespace components

DECLARE_ENUM_NAMES(components::TComponentState, u"csLoading", u"csReading", u"csWriting", u"csDestroying",
                   u"csDesigning", u"csAncestor", u"csUpdating", u"csFixups", u"csFreeNotification", u"csInline",
                   u"csDesignInstance");
DECLARE_ENUM_NAMES(components::TComponentStyle, u"csInheritable", u"csCheckPropAvail", u"csSubComponent",
                   u"csTransient");
