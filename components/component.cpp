#include "components/component.h"

#include <algorithm>
#include <typeinfo>

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include "core/exception.h"

namespace components {

// A Notification walk over the owned list, from the last component to the
// first. Edits of the list during the walk move Index so that every component
// still owned is reached once and none that left is touched.
struct TComponent::NotifyWalk {
    size_t Index;          // the component being notified; the next one is Index - 1
    bool OwnerGone = false;
    NotifyWalk* Next;
};

// Lets a caller learn whether a component was destroyed while it called out.
struct TComponent::Watch {
    explicit Watch(TComponent* c) : Target(c), Next(c->FWatches) { c->FWatches = this; }
    ~Watch()
    {
        if (Alive)
            Target->FWatches = Next;
    }
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;
    TComponent* Target;
    Watch* Next;
    bool Alive = true;
};

DEFINE_CLASS(TComponent)
    .Property(u"Name", &TComponent::Name, &TComponent::SetName).Stored(false)
    .Property(u"Tag", &TComponent::Tag, &TComponent::SetTag).Default(0)
END_CLASS

// ---- names -------------------------------------------------------------

namespace {
char16_t FoldAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

bool IsIdentLetter(UChar32 c)
{
    switch (u_charType(c)) {
    case U_UPPERCASE_LETTER:
    case U_LOWERCASE_LETTER:
    case U_TITLECASE_LETTER:
    case U_MODIFIER_LETTER:
    case U_OTHER_LETTER:
        return true;
    default:
        return c == u'_';
    }
}
} // namespace

int CompareNames(std::u16string_view a, std::u16string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char16_t x = FoldAscii(a[i]), y = FoldAscii(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool IsValidIdent(std::u16string_view name)
{
    size_t i = 0;
    bool first = true;
    while (i < name.size()) {
        UChar32 c;
        U16_NEXT(name.data(), i, name.size(), c);
        if (U_IS_SURROGATE(c))
            return false;
        const bool ok = IsIdentLetter(c) || (!first && u_charType(c) == U_DECIMAL_DIGIT_NUMBER);
        if (!ok)
            return false;
        first = false;
    }
    return true;
}

// ---- construction and destruction ---------------------------------------

TComponent::TComponent(TComponent* owner)
{
    FComponentStyle.Include(TComponentStyle::csInheritable);
    FConstructing = true; // the dynamic type is not final yet
    if (owner) {
        try {
            owner->InsertComponent(this);
        } catch (...) {
            // The destructor will not run for a constructor that fails: undo
            // what the insertion did (list entry, notifications) here.
            Teardown();
            throw;
        }
    }
    FConstructing = false;
}

bool TComponent::IgnoresNotifications() const
{
    return !FConstructing && !FDestructing && !FComponents && !FFreeNotifies && typeid(*this) == typeid(TComponent);
}

void TComponent::NotificationNeedsChanged()
{
    if (FOwner)
        FOwner->FQuietPrefix = 0;
}

TComponent::~TComponent() { Teardown(); }

void TComponent::Free()
{
    if (FDestructing)
        return;
    Destroying();
    delete this;
}

void TComponent::Teardown() noexcept
{
    FDestructing = true;
    for (Watch* w = FWatches; w; w = w->Next)
        w->Alive = false;
    FWatches = nullptr;
    for (NotifyWalk* w = FWalks; w; w = w->Next)
        w->OwnerGone = true;
    FWalks = nullptr;

    Destroying();

    // Free notifications, last registered first. The pair is unlinked before
    // the peer is told, so an override that never calls the base behaviour
    // cannot keep the walk going forever.
    while (FFreeNotifies && !FFreeNotifies->empty()) {
        TComponent* peer = FFreeNotifies->back().Peer;
        FFreeNotifies->pop_back();
        if (FFreeNotifies->empty())
            FFreeNotifies.reset();
        peer->RemoveNotification(this);
        try {
            peer->Notification(this, TOperation::opRemove);
        } catch (...) {
            HandleException(std::current_exception());
        }
    }
    FFreeNotifies.reset();

    try {
        DestroyComponents();
    } catch (...) {
        HandleException(std::current_exception());
    }

    if (FOwner) {
        try {
            FOwner->RemoveComponent(this);
        } catch (...) {
            HandleException(std::current_exception());
        }
        if (FOwner)
            FOwner->Remove(this);
    }
}

void TComponent::Destroying()
{
    if (InState(TComponentState::csDestroying))
        return;
    FComponentState.Include(TComponentState::csDestroying);
    for (size_t i = 0; FComponents && i < FComponents->size(); ++i)
        (*FComponents)[i]->Destroying();
}

void TComponent::DestroyComponents()
{
    FSortedComponents.reset();
    std::exception_ptr firstError;
    while (FComponents && !FComponents->empty()) {
        TComponent* c = FComponents->back();
        if (c->FDestructing) {
            Remove(c); // its destructor is already running further up the stack
            continue;
        }
        const bool announce = c->InState(TComponentState::csFreeNotification) ||
                              (InState(TComponentState::csDesigning) && InState(TComponentState::csInline));
        if (announce) {
            Watch watch(c);
            try {
                RemoveComponent(c);
            } catch (...) {
                // In the destructor every failure is reported; otherwise the
                // first is raised once all components are gone.
                if (FDestructing)
                    HandleException(std::current_exception());
                else if (!firstError)
                    firstError = std::current_exception();
            }
            if (!watch.Alive)
                continue; // freed by a notification handler; its destructor left the list
            if (c->FOwner == this)
                Remove(c);
        } else {
            Remove(c);
        }
        c->Destroying();
        delete c;
    }
    if (firstError)
        std::rethrow_exception(firstError);
}

// ---- owned list --------------------------------------------------------

void TComponent::ListInsert(size_t index, TComponent* component)
{
    if (!FComponents)
        FComponents = std::make_unique<std::vector<TComponent*>>();
    FComponents->insert(FComponents->begin() + static_cast<std::ptrdiff_t>(index), component);
    if (FComponents->size() == 1)
        NotificationNeedsChanged(); // owning something now: notifications go through
    FQuietPrefix = std::min(FQuietPrefix, index);
    for (NotifyWalk* w = FWalks; w; w = w->Next)
        if (index <= w->Index)
            ++w->Index;
}

void TComponent::ListErase(size_t index)
{
    FComponents->erase(FComponents->begin() + static_cast<std::ptrdiff_t>(index));
    if (index < FQuietPrefix)
        --FQuietPrefix;
    for (NotifyWalk* w = FWalks; w; w = w->Next)
        if (index < w->Index)
            --w->Index;
}

void TComponent::Insert(TComponent* component)
{
    ListInsert(FComponents ? FComponents->size() : 0, component);
    component->FOwner = this;
    if (FSortedComponents)
        SortedInsert(component);
}

void TComponent::Remove(TComponent* component)
{
    if (!FComponents)
        return;
    auto& list = *FComponents;
    size_t index = list.size();
    if (!list.empty() && list.back() == component) {
        index = list.size() - 1;
    } else {
        auto it = std::find(list.begin(), list.end(), component);
        if (it == list.end())
            return;
        index = static_cast<size_t>(it - list.begin());
    }
    if (FSortedComponents)
        SortedRemove(component);
    ListErase(index);
    component->FOwner = nullptr;
    if (list.empty()) {
        FComponents.reset();
        FSortedComponents.reset();
        FQuietPrefix = 0;
    }
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount())
        core::Raise<core::EListError>("List index out of bounds ({})", index);
    return (*FComponents)[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const
{
    if (!FOwner || !FOwner->FComponents)
        return -1;
    const auto& list = *FOwner->FComponents;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TComponent::SetComponentIndex(int value)
{
    if (!FOwner)
        return;
    const int current = ComponentIndex();
    if (current < 0)
        return;
    const int count = FOwner->ComponentCount();
    value = std::clamp(value, 0, count - 1);
    if (value == current)
        return;
    FOwner->ListErase(static_cast<size_t>(current));
    FOwner->ListInsert(static_cast<size_t>(value), this);
}

// ---- sorted names ------------------------------------------------------

bool TComponent::SortedSearch(std::u16string_view name, size_t& index) const
{
    const auto& sorted = *FSortedComponents;
    ptrdiff_t low = 0, high = static_cast<ptrdiff_t>(sorted.size()) - 1;
    while (low <= high) {
        const ptrdiff_t middle = (low + high) / 2;
        const int c = CompareNames(sorted[static_cast<size_t>(middle)]->FName, name);
        if (c < 0) {
            low = middle + 1;
        } else if (c > 0) {
            high = middle - 1;
        } else {
            index = static_cast<size_t>(middle);
            return true;
        }
    }
    index = static_cast<size_t>(low);
    return false;
}

void TComponent::SortedInsert(TComponent* component)
{
    if (component->FName.empty())
        return; // unnamed components can never be found: they are not kept
    size_t index = 0;
    SortedSearch(component->FName, index);
    FSortedComponents->insert(FSortedComponents->begin() + static_cast<std::ptrdiff_t>(index), component);
}

void TComponent::SortedRemove(TComponent* component)
{
    if (component->FName.empty())
        return;
    auto& sorted = *FSortedComponents;
    size_t index = 0;
    if (SortedSearch(component->FName, index)) {
        // Names are unique, but a descendant's ValidateRename may allow twins:
        // look around the hit for the very component.
        for (size_t i = index; i < sorted.size() && CompareNames(sorted[i]->FName, component->FName) == 0; ++i)
            if (sorted[i] == component) {
                sorted.erase(sorted.begin() + static_cast<std::ptrdiff_t>(i));
                return;
            }
        for (size_t i = index; i-- > 0 && CompareNames(sorted[i]->FName, component->FName) == 0;)
            if (sorted[i] == component) {
                sorted.erase(sorted.begin() + static_cast<std::ptrdiff_t>(i));
                return;
            }
    }
    auto it = std::find(sorted.begin(), sorted.end(), component);
    if (it != sorted.end())
        sorted.erase(it);
}

TComponent* TComponent::FindComponent(std::u16string_view name) const
{
    if (name.empty() || !FComponents)
        return nullptr;
    if (!FSortedComponents) {
        auto sorted = std::make_unique<std::vector<TComponent*>>();
        sorted->reserve(FComponents->size());
        for (TComponent* c : *FComponents)
            if (!c->FName.empty())
                sorted->push_back(c);
        std::stable_sort(sorted->begin(), sorted->end(),
                         [](const TComponent* a, const TComponent* b) { return CompareNames(a->FName, b->FName) < 0; });
        FSortedComponents = std::move(sorted);
    }
    size_t index = 0;
    return SortedSearch(name, index) ? (*FSortedComponents)[index] : nullptr;
}

// ---- insertion, removal, naming ------------------------------------------

void TComponent::InsertComponent(TComponent* component)
{
    if (!component)
        return;
    for (const TComponent* o = this; o; o = o->FOwner)
        if (o == component)
            core::Raise<core::EComponentError>("A component cannot own itself");
    component->ValidateContainer(this);
    // Validate against the new owner before leaving the old one, so a
    // refused insertion leaves the component where it was.
    ValidateRename(component, std::u16string(), component->FName);
    if (component->FOwner)
        component->FOwner->RemoveComponent(component);
    Insert(component);
    component->SetReference(true);
    if (InState(TComponentState::csDesigning))
        component->SetState(TComponentState::csDesigning, true);
    Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    if (!component || component->FOwner != this)
        return;
    ValidateRename(component, component->FName, std::u16string());
    std::exception_ptr error;
    {
        Watch watch(component);
        try {
            Notification(component, TOperation::opRemove);
        } catch (...) {
            error = std::current_exception();
        }
        if (!watch.Alive) {
            // Freed by a notification handler: its destructor already left us.
            if (error)
                std::rethrow_exception(error);
            return;
        }
    }
    // Every component has been told; finish the removal even if one of them failed.
    if (component->FOwner == this) {
        component->SetReference(false);
        Remove(component);
    }
    if (error)
        std::rethrow_exception(error);
}

void TComponent::ValidateContainer(TComponent* component) { component->ValidateInsert(this); }

void TComponent::ValidateInsert(TComponent*) {}

void TComponent::ValidateRename(TComponent* component, const std::u16string& curName, const std::u16string& newName)
{
    if (component && !newName.empty() && CompareNames(curName, newName) != 0) {
        TComponent* found = FindComponent(newName);
        if (found && found != component)
            core::Raise<core::EComponentError>("A component named {} already exists", core::ToUtf8(newName));
    }
    if (InState(TComponentState::csDesigning) && FOwner)
        FOwner->ValidateRename(component, curName, newName);
}

void TComponent::SetName(const std::u16string& value)
{
    if (value == FName)
        return;
    if (!value.empty() && !IsValidIdent(value))
        core::Raise<core::EComponentError>("''{}'' is not a valid component name", core::ToUtf8(value));
    if (FOwner)
        FOwner->ValidateRename(this, FName, value);
    else
        ValidateRename(nullptr, FName, value);
    SetReference(false);
    TComponent* owner = FOwner;
    const bool sorted = owner && owner->FSortedComponents;
    if (sorted)
        owner->SortedRemove(this);
    FName = value;
    if (sorted)
        owner->SortedInsert(this);
    SetReference(true);
}

void TComponent::SetReference(bool enable)
{
    if (!FOwner || FName.empty())
        return;
    if (const FieldInfo* field = FOwner->ClassType().FindField(FName); field && field->Set)
        field->Set(FOwner, enable ? this : nullptr);
}

// ---- notifications -----------------------------------------------------

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this || FDestructing || component->FDestructing)
        return;
    if (!FOwner || component->FOwner != FOwner) {
        if (FreeLink* link = FindFreeLink(component)) {
            link->Asked = true;
        } else {
            if (!FFreeNotifies) {
                FFreeNotifies = std::make_unique<std::vector<FreeLink>>();
                NotificationNeedsChanged();
            }
            if (!component->FFreeNotifies) {
                component->FFreeNotifies = std::make_unique<std::vector<FreeLink>>();
                component->NotificationNeedsChanged();
            }
            FFreeNotifies->push_back(FreeLink{component, true});
            component->FFreeNotifies->push_back(FreeLink{this, false});
        }
    }
    // Both sides are marked: whichever of the two a common owner destroys
    // first is removed with an opRemove notification that reaches the other.
    FComponentState.Include(TComponentState::csFreeNotification);
    component->FComponentState.Include(TComponentState::csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    FreeLink* link = component ? FindFreeLink(component) : nullptr;
    if (!link)
        return;
    link->Asked = false;
    // Two components that reference each other share one pair: it stays
    // while the other side still asks for it.
    const FreeLink* back = component->FindFreeLink(this);
    if (back && back->Asked)
        return;
    RemoveNotification(component);
    component->RemoveNotification(this);
}

TComponent::FreeLink* TComponent::FindFreeLink(TComponent* component) const
{
    if (!FFreeNotifies)
        return nullptr;
    auto& list = *FFreeNotifies;
    for (size_t i = list.size(); i-- > 0;) // the last entry first
        if (list[i].Peer == component)
            return &list[i];
    return nullptr;
}

void TComponent::RemoveNotification(TComponent* component)
{
    if (!FFreeNotifies)
        return;
    auto& list = *FFreeNotifies;
    for (size_t i = list.size(); i-- > 0;)
        if (list[i].Peer == component) {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    if (list.empty())
        FFreeNotifies.reset();
}

// The walk record lives on this function's stack and is linked into FWalks
// only while the walk runs (it is unlinked before returning).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdangling-pointer"
#endif
void TComponent::Notification(TComponent* component, TOperation operation)
{
    if (operation == TOperation::opRemove && component) {
        // The component is leaving: the pair goes, whoever asked for it.
        RemoveNotification(component);
        component->RemoveNotification(this);
    }
    if (!FComponents)
        return;
    NotifyWalk walk{FComponents->size(), false, FWalks};
    FWalks = &walk;
    std::exception_ptr firstError;
    // Every owned component is told even if one of them fails; the first
    // failure is raised afterwards. The quiet prefix is skipped: telling
    // those components would change nothing (re-read: a handler may end it).
    while (walk.Index > FQuietPrefix) {
        --walk.Index;
        const size_t count = FComponents ? FComponents->size() : 0;
        if (walk.Index >= count) {
            if (count == 0)
                break;
            walk.Index = count - 1;
        }
        TComponent* c = (*FComponents)[walk.Index];
        try {
            c->Notification(component, operation);
        } catch (...) {
            if (!firstError)
                firstError = std::current_exception();
        }
        if (walk.OwnerGone)
            break; // this component was destroyed by the handler
    }
    if (walk.OwnerGone) {
        if (firstError)
            std::rethrow_exception(firstError);
        return;
    }
    FWalks = walk.Next;
    if (!FWalks && FComponents) {
        // Grow the quiet prefix over components that have become plain
        // leaves (each is looked at about once while the list grows).
        auto& list = *FComponents;
        while (FQuietPrefix < list.size() && list[FQuietPrefix]->IgnoresNotifications())
            ++FQuietPrefix;
    }
    if (firstError)
        std::rethrow_exception(firstError);
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

// ---- state and hooks ---------------------------------------------------

void TComponent::SetState(TComponentState s, bool on)
{
    if (on)
        FComponentState.Include(s);
    else
        FComponentState.Exclude(s);
}

void TComponent::SetSubComponent(bool value)
{
    if (value)
        FComponentStyle.Include(TComponentStyle::csSubComponent);
    else
        FComponentStyle.Exclude(TComponentStyle::csSubComponent);
}

TPersistent* TComponent::GetOwner() const { return FOwner; }

std::u16string TComponent::GetNamePath() const { return FName; }

void TComponent::Loaded() { FComponentState.Exclude(TComponentState::csLoading); }

void TComponent::Updating() { FComponentState.Include(TComponentState::csUpdating); }

void TComponent::Updated() { FComponentState.Exclude(TComponentState::csUpdating); }

void TComponent::GetChildren(const std::function<void(TComponent*)>&, TComponent*) {}

void TComponent::SetChildOrder(TComponent*, int) {}

void TComponent::SetParentComponent(TComponent*) {}

} // namespace components
