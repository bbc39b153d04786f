#include "components/object.h"

#include <algorithm>

#include "components/component.h"
#include "components/persistent.h"
#include "components/props.h"
#include "core/color.h"

namespace components {

namespace {
bool SameName(std::u16string_view a, std::u16string_view b) { return CompareNames(a, b) == 0; }
} // namespace

int TypeInfo::IndexOf(std::u16string_view name) const
{
    for (size_t i = 0; i < Names.size(); ++i)
        if (SameName(Names[i], name))
            return static_cast<int>(i);
    return -1;
}

bool PropInfo::Writable() const
{
    switch (Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkInt64:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet:
        return static_cast<bool>(SetOrd);
    case TTypeKind::tkFloat:
        return static_cast<bool>(SetFloat);
    case TTypeKind::tkString:
        return static_cast<bool>(SetStr);
    case TTypeKind::tkClass:
        return static_cast<bool>(SetObj);
    case TTypeKind::tkMethod:
        return static_cast<bool>(SetMethodByName);
    case TTypeKind::tkVariant:
        return static_cast<bool>(SetVar);
    case TTypeKind::tkUnknown:
        break;
    }
    return false;
}

bool ClassInfo::InheritsFrom(const ClassInfo& other) const
{
    for (const ClassInfo* c = this; c; c = c->Parent)
        if (c == &other)
            return true;
    return false;
}

const PropInfo* ClassInfo::FindProp(std::u16string_view name) const
{
    for (const ClassInfo* c = this; c; c = c->Parent)
        for (const PropInfo& p : c->Props)
            if (SameName(p.Name, name))
                return &p;
    return nullptr;
}

const FieldInfo* ClassInfo::FindField(std::u16string_view name) const
{
    for (const ClassInfo* c = this; c; c = c->Parent)
        for (const FieldInfo& f : c->Fields)
            if (SameName(f.Name, name))
                return &f;
    return nullptr;
}

const MethodInfo* ClassInfo::FindMethod(std::u16string_view name) const
{
    for (const ClassInfo* c = this; c; c = c->Parent)
        for (const MethodInfo& m : c->Methods)
            if (SameName(m.Name, name))
                return &m;
    return nullptr;
}

std::vector<const PropInfo*> ClassInfo::AllProps() const
{
    std::vector<const ClassInfo*> chain;
    for (const ClassInfo* c = this; c; c = c->Parent)
        chain.push_back(c);
    // A property a descendant publishes again (to give it another default,
    // say) replaces the ancestor's entry where the ancestor listed it.
    std::vector<const PropInfo*> out;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        for (const PropInfo& p : (*it)->Props) {
            auto same = std::find_if(out.begin(), out.end(),
                                     [&](const PropInfo* q) { return core::SameText(q->Name, p.Name); });
            if (same != out.end())
                *same = &p;
            else
                out.push_back(&p);
        }
    return out;
}

const ClassInfo& TObject::StaticClass()
{
    static const ClassInfo info = [] {
        ClassInfo c;
        c.Name = u"TObject";
        return c;
    }();
    return info;
}

const TypeInfo& BooleanTypeInfo()
{
    static const TypeInfo info{u"Boolean", {u"False", u"True"}};
    return info;
}

TComponent* ComponentOrNull(TObject* o) { return dynamic_cast<TComponent*>(o); }

namespace {
std::optional<int64_t> ColorFromIdent(std::u16string_view ident)
{
    if (auto c = core::IdentToColor(core::ToUtf8(ident)))
        return *c;
    return std::nullopt;
}
std::optional<std::u16string> ColorToIdentText(int64_t value)
{
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    if (auto s = core::ColorToIdent(static_cast<core::TColor>(value)))
        return core::FromAscii(*s);
    return std::nullopt;
}
std::optional<int64_t> CharsetFromIdent(std::u16string_view ident)
{
    if (auto c = core::IdentToCharset(core::ToUtf8(ident)))
        return *c;
    return std::nullopt;
}
std::optional<std::u16string> CharsetToIdentText(int64_t value)
{
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    if (auto s = core::CharsetToIdent(static_cast<int>(value)))
        return core::FromAscii(*s);
    return std::nullopt;
}
} // namespace

const IdentMapping ColorIdents{&ColorFromIdent, &ColorToIdentText};
const IdentMapping CharsetIdents{&CharsetFromIdent, &CharsetToIdentText};

namespace detail {

void RaiseInvalidMethod() { throw EPropertyError(std::u16string(u"Invalid property value")); }

std::u16string FindMethodName(const TObject* target, const std::function<bool(const std::any&)>& matches)
{
    // Event handlers live on the object itself or on an object that owns it
    // (the form that holds a component, the component that holds a collection).
    auto* holder = const_cast<TObject*>(target);
    for (int depth = 0; holder && depth < 64; ++depth) {
        for (const ClassInfo* c = &holder->ClassType(); c; c = c->Parent)
            for (const MethodInfo& m : c->Methods)
                if (m.MakeClosure && matches(m.MakeClosure(holder)))
                    return m.Name;
        auto* p = dynamic_cast<TPersistent*>(holder);
        holder = p ? p->GetOwner() : nullptr;
    }
    return {};
}

} // namespace detail

} // namespace components
