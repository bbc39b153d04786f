// Reference fix-ups, global component finders, the loading context and the
// reading of a form's class chain.
#include "components/reader_fixups.h"

#include <algorithm>
#include <map>

#include "components/reader.h"
#include "core/exception.h"
#include "platform/resources.h"

namespace components {

namespace {

struct FixupState {
    std::recursive_mutex Lock;
    std::vector<TPropFixup> Global;
    std::vector<std::vector<TPropFixup>*> Locals;
};

FixupState& State()
{
    static FixupState* s = new FixupState; // outlives every static destructor
    return *s;
}

struct Finders {
    std::mutex Lock;
    int NextId = 1;
    std::vector<std::pair<int, TFindGlobalComponent>> Procs;
};

Finders& TheFinders()
{
    static Finders f;
    return f;
}

thread_local std::vector<std::vector<TComponent*>*> tLoading;

void OnPersistentDestroyed(TPersistent* instance)
{
    RemoveFixups(instance);
}

void InstallDestroyHook()
{
    static std::once_flag once;
    std::call_once(once, [] { SetPersistentDestroyHook(&OnPersistentDestroyed); });
}

} // namespace

bool SameName(std::u16string_view a, std::u16string_view b)
{
    return CompareNames(a, b) == 0;
}

std::recursive_mutex& GlobalNameSpace()
{
    static std::recursive_mutex* lock = new std::recursive_mutex;
    return *lock;
}

void RegisterLocalFixups(std::vector<TPropFixup>* list)
{
    InstallDestroyHook();
    auto& s = State();
    std::lock_guard lock(s.Lock);
    s.Locals.push_back(list);
}

void UnregisterLocalFixups(std::vector<TPropFixup>* list)
{
    auto& s = State();
    std::lock_guard lock(s.Lock);
    std::erase(s.Locals, list);
}

void RemoveGlobalFixupsFor(TPersistent* instance, const PropInfo* prop)
{
    auto& s = State();
    std::lock_guard lock(s.Lock);
    std::erase_if(s.Global, [&](const TPropFixup& f) { return f.Instance == instance && f.Prop == prop; });
}

void AddGlobalFixup(TPropFixup fixup)
{
    InstallDestroyHook();
    auto& s = State();
    std::lock_guard lock(s.Lock);
    s.Global.push_back(std::move(fixup));
}

void RemoveFixups(TPersistent* instance)
{
    auto& s = State();
    std::lock_guard lock(s.Lock);
    // A destroyed object is neither the target nor the lookup root of any fix-up any more.
    auto gone = [&](const TPropFixup& f) {
        return f.Instance == instance || static_cast<TPersistent*>(f.InstanceRoot) == instance;
    };
    std::erase_if(s.Global, gone);
    for (auto* local : s.Locals)
        std::erase_if(*local, gone);
}

void RemoveFixupReferences(TComponent* root, std::u16string_view rootName)
{
    auto& s = State();
    std::lock_guard lock(s.Lock);
    for (size_t i = s.Global.size(); i-- > 0;) {
        const auto& f = s.Global[i];
        if ((root == nullptr || f.InstanceRoot == root) && (rootName.empty() || SameName(f.RootName, rootName)))
            s.Global.erase(s.Global.begin() + static_cast<long>(i));
    }
}

size_t GlobalFixupCount()
{
    auto& s = State();
    std::lock_guard lock(s.Lock);
    return s.Global.size();
}

void GlobalFixupReferences()
{
    std::lock_guard ns(GlobalNameSpace());
    auto& s = State();
    std::lock_guard lock(s.Lock);
    size_t i = 0;
    while (i < s.Global.size()) {
        TPropFixup f = s.Global[i];
        TComponent* root = FindGlobalComponent(f.RootName);
        if (root && root->InState(TComponentState::csReading)) {
            ++i;
        } else if (root) {
            // Removed before it is resolved: a failing resolution is not retried.
            s.Global.erase(s.Global.begin() + static_cast<long>(i));
            TComponent* ref = FindNestedComponent(root, f.Name);
            if (f.Prop->SetObj)
                f.Prop->SetObj(f.Instance, ref);
        } else if (f.Prop->GetObj && f.Prop->GetObj(f.Instance) != nullptr) {
            s.Global.erase(s.Global.begin() + static_cast<long>(i));
        } else {
            ++i;
        }
    }
}

int RegisterFindGlobalComponentProc(TFindGlobalComponent proc)
{
    auto& f = TheFinders();
    std::lock_guard lock(f.Lock);
    const int id = f.NextId++;
    f.Procs.emplace_back(id, std::move(proc));
    return id;
}

void UnregisterFindGlobalComponentProc(int id)
{
    auto& f = TheFinders();
    std::lock_guard lock(f.Lock);
    std::erase_if(f.Procs, [id](const auto& p) { return p.first == id; });
}

TComponent* FindGlobalComponent(std::u16string_view name)
{
    std::vector<TFindGlobalComponent> procs;
    {
        auto& f = TheFinders();
        std::lock_guard lock(f.Lock);
        for (auto it = f.Procs.rbegin(); it != f.Procs.rend(); ++it)
            procs.push_back(it->second);
    }
    for (const auto& p : procs)
        if (TComponent* c = p(name))
            return c;
    return nullptr;
}

std::function<bool(std::u16string_view)> IsUniqueGlobalComponentName = [](std::u16string_view name) {
    return FindGlobalComponent(name) == nullptr;
};

TComponent* FindNestedComponent(TComponent* root, std::u16string_view path)
{
    TComponent* cur = root;
    size_t start = 0;
    while (cur) {
        size_t end = start;
        while (end < path.size() && path[end] != u'.' && !(path[end] == u'-' && end + 1 < path.size() && path[end + 1] == u'>'))
            ++end;
        const std::u16string_view name = path.substr(start, end - start);
        TComponent* next = cur->FindComponent(name);
        if (!next && SameName(name, u"Owner"))
            next = cur;
        cur = next;
        if (end >= path.size())
            break;
        start = end + (path[end] == u'.' ? 1 : 2);
    }
    return cur;
}

std::vector<TComponent*>* TopLoadedList()
{
    return tLoading.empty() ? nullptr : tLoading.back();
}

void PushLoadedList(std::vector<TComponent*>* list)
{
    tLoading.push_back(list);
}

void PopLoadedList()
{
    if (!tLoading.empty())
        tLoading.pop_back();
}

TComponent* ReadComponentFromStream(core::TStream& stream, TComponent* instance)
{
    TReader reader(stream, 4096);
    return reader.ReadRootComponent(instance);
}

TComponent* ReadComponentRes(std::u16string_view name, TComponent* instance)
{
    const auto bytes = platform::LoadResource(platform::RT_RCDATA, name);
    core::TBytesView stream(bytes.data(), bytes.size());
    return ReadComponentFromStream(stream, instance);
}

namespace {
bool InitComponent(TComponent* instance, const ClassInfo* cls, const ClassInfo& rootAncestor)
{
    if (!cls || cls == &TComponent::StaticClass() || cls == &rootAncestor)
        return false;
    bool result = InitComponent(instance, cls->Parent, rootAncestor);
    if (auto res = platform::FindResource(platform::RT_RCDATA, cls->Name)) {
        core::TBytesView stream(res->data(), res->size());
        ReadComponentFromStream(stream, instance);
        result = true;
    }
    return result;
}
} // namespace

bool InitInheritedComponent(TComponent* instance, const ClassInfo& rootAncestor)
{
    std::lock_guard ns(GlobalNameSpace());
    const bool localize =
        !instance->InState(TComponentState::csInline) && !instance->InState(TComponentState::csLoading);
    std::vector<TComponent*> loaded;
    if (localize)
        PushLoadedList(&loaded);
    bool result = false;
    try {
        result = InitComponent(instance, &instance->ClassType(), rootAncestor);
        if (localize) {
            const size_t count = loaded.size();
            for (size_t i = 0; i < count; ++i)
                loaded[i]->Loaded();
        }
    } catch (...) {
        if (localize)
            PopLoadedList();
        throw;
    }
    if (localize)
        PopLoadedList();
    return result;
}

} // namespace components
