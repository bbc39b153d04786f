#pragma once
// Internals shared by the reader's files: pending reference fix-ups, the
// lock taken while component trees are read, and the per-thread stack of
// Loaded lists.
#include <mutex>
#include <string>
#include <vector>

#include "components/component.h"

namespace components {

struct TPropFixup {
    TPersistent* Instance = nullptr;     // the object whose property gets the reference
    TComponent* InstanceRoot = nullptr;  // where the name is looked up
    const PropInfo* Prop = nullptr;
    std::u16string RootName;             // qualified references: the other top-level component
    std::u16string Name;                 // component path
};

// Re-entrant lock held while a component tree is read and while fix-ups are resolved.
std::recursive_mutex& GlobalNameSpace();

// Fix-up lists of readers running now: a persistent that is destroyed
// while they read leaves no fix-up behind (see RemoveFixups).
void RegisterLocalFixups(std::vector<TPropFixup>* list);
void UnregisterLocalFixups(std::vector<TPropFixup>* list);
// Removes global fix-ups for the same instance and property.
void RemoveGlobalFixupsFor(TPersistent* instance, const PropInfo* prop);
void AddGlobalFixup(TPropFixup fixup);

// The Loaded list on top of this thread's loading context, or nullptr.
std::vector<TComponent*>* TopLoadedList();
void PushLoadedList(std::vector<TComponent*>* list);
void PopLoadedList();

bool SameName(std::u16string_view a, std::u16string_view b);

} // namespace components
