#include "components/classes.h"

#include <map>
#include <mutex>

#include "components/component.h"
#include "components/persistent.h"
#include "core/exception.h"

namespace components {

namespace {
struct NameLess {
    bool operator()(const std::u16string& a, const std::u16string& b) const { return CompareNames(a, b) < 0; }
};

struct Registry {
    std::mutex Lock;
    std::map<std::u16string, const ClassInfo*, NameLess> Classes;
};

Registry& TheRegistry()
{
    static Registry r;
    return r;
}

void AddLocked(Registry& r, const ClassInfo& cls)
{
    auto [it, inserted] = r.Classes.emplace(cls.Name, &cls);
    if (!inserted && it->second != &cls)
        core::Raise<core::EFilerError>("Class {} already exists", core::ToUtf8(cls.Name));
}
} // namespace

void RegisterClass(const ClassInfo& cls)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.Lock);
    AddLocked(r, cls);
    // Streamable ancestors become known with their descendant.
    for (const ClassInfo* c = cls.Parent; c && c->InheritsFrom(TPersistent::StaticClass()); c = c->Parent)
        if (r.Classes.find(c->Name) == r.Classes.end())
            r.Classes.emplace(c->Name, c);
}

void RegisterClasses(std::initializer_list<const ClassInfo*> classes)
{
    for (const ClassInfo* c : classes)
        if (c)
            RegisterClass(*c);
}

void UnRegisterClass(const ClassInfo& cls)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.Lock);
    auto it = r.Classes.find(cls.Name);
    if (it != r.Classes.end() && it->second == &cls)
        r.Classes.erase(it);
}

const ClassInfo* GetClass(std::u16string_view name)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.Lock);
    auto it = r.Classes.find(std::u16string(name));
    return it == r.Classes.end() ? nullptr : it->second;
}

const ClassInfo& FindClass(std::u16string_view name)
{
    if (const ClassInfo* c = GetClass(name))
        return *c;
    core::Raise<core::EClassNotFound>("Class {} not found", core::ToUtf8(name));
}

} // namespace components
