#include "components/props.h"

#include <climits>

#include "components/persistent.h"

namespace components {

namespace {

[[noreturn]] void NoSuchProperty(std::u16string_view name)
{
    core::Raise<EPropertyError>("Property {} does not exist", core::ToUtf8(name));
}
[[noreturn]] void InvalidPath() { throw EPropertyError(std::u16string(u"Invalid property path")); }
[[noreturn]] void ReadOnly() { throw EPropertyError(std::u16string(u"Property is read-only")); }
[[noreturn]] void InvalidValue() { throw EPropertyConvertError(std::u16string(u"Invalid property value")); }
[[noreturn]] void InvalidElement(std::u16string_view element)
{
    core::Raise<EPropertyConvertError>("Invalid property element: {}", core::ToUtf8(element));
}

const std::u16string* AsString(const core::Variant& v) { return std::get_if<std::u16string>(&v); }

// Bits a set of `type` can hold.
uint64_t SetMask(const TypeInfo& type)
{
    return type.Names.size() >= 64 ? ~uint64_t{0} : (uint64_t{1} << type.Names.size()) - 1;
}

// The object that publishes method `name` for an event of `instance`: the
// instance itself or one of the objects that own it.
TObject* FindMethodOwner(TObject* instance, std::u16string_view name)
{
    TObject* holder = instance;
    for (int depth = 0; holder && depth < 64; ++depth) {
        if (holder->ClassType().FindMethod(name))
            return holder;
        auto* p = dynamic_cast<TPersistent*>(holder);
        holder = p ? p->GetOwner() : nullptr;
    }
    return nullptr;
}

int64_t OrdinalFrom(const PropInfo& prop, const core::Variant& value)
{
    switch (prop.Kind) {
    case TTypeKind::tkEnumeration: {
        const TypeInfo& type = *prop.Enum;
        if (const std::u16string* s = AsString(value)) {
            const int64_t v = GetEnumValue(type, core::Trim(*s));
            if (v < 0)
                InvalidElement(*s);
            return v;
        }
        if (const bool* b = std::get_if<bool>(&value))
            return *b ? 1 : 0;
        const int64_t v = core::VarToInt64(value);
        if (v < 0 || v >= static_cast<int64_t>(type.Names.size()))
            InvalidElement(core::IntToStr(v));
        return v;
    }
    case TTypeKind::tkSet: {
        if (const std::u16string* s = AsString(value))
            return StringToSet(*prop.Enum, *s);
        const int64_t v = core::VarToInt64(value);
        if ((static_cast<uint64_t>(v) & ~SetMask(*prop.Enum)) != 0)
            InvalidValue();
        return v;
    }
    default: {
        int64_t v = 0;
        const std::u16string* s = AsString(value);
        std::optional<int64_t> ident;
        if (s && prop.Idents && prop.Idents->ToInt)
            ident = prop.Idents->ToInt(core::Trim(*s));
        v = ident ? *ident : core::VarToInt64(value);
        if (prop.Kind == TTypeKind::tkInteger && (v < INT32_MIN || v > UINT32_MAX))
            InvalidValue();
        return v;
    }
    }
}

} // namespace

PropTarget ResolvePropPath(TObject* instance, std::u16string_view path)
{
    if (!instance || path.empty())
        InvalidPath();
    TObject* current = instance;
    size_t start = 0;
    for (;;) {
        const size_t dot = path.find(u'.', start);
        const std::u16string_view part = path.substr(start, dot == std::u16string_view::npos ? path.npos : dot - start);
        if (part.empty())
            InvalidPath();
        const PropInfo* prop = current->ClassType().FindProp(part);
        if (dot == std::u16string_view::npos) {
            if (!prop)
                NoSuchProperty(part);
            return PropTarget{current, prop};
        }
        if (!prop)
            NoSuchProperty(path);
        TObject* next = (prop->Kind == TTypeKind::tkClass && prop->GetObj) ? prop->GetObj(current) : nullptr;
        if (!next)
            InvalidPath();
        current = next;
        start = dot + 1;
    }
}

bool IsPublishedProp(const TObject* instance, std::u16string_view name)
{
    return instance && instance->ClassType().FindProp(name) != nullptr;
}

core::Variant GetPropValue(TObject* instance, std::u16string_view path)
{
    const PropTarget t = ResolvePropPath(instance, path);
    const PropInfo& p = *t.Prop;
    switch (p.Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkInt64: {
        const int64_t v = p.GetOrd(t.Instance);
        if (p.Idents && p.Idents->ToIdent)
            if (auto ident = p.Idents->ToIdent(v))
                return *ident;
        if (p.Kind == TTypeKind::tkInteger && v >= INT32_MIN && v <= INT32_MAX)
            return static_cast<int32_t>(v);
        return v;
    }
    case TTypeKind::tkEnumeration: {
        const int64_t v = p.GetOrd(t.Instance);
        if (p.Enum == &BooleanTypeInfo())
            return v != 0;
        return GetEnumName(*p.Enum, v);
    }
    case TTypeKind::tkSet:
        return SetToString(*p.Enum, p.GetOrd(t.Instance));
    case TTypeKind::tkFloat:
        return p.GetFloat(t.Instance);
    case TTypeKind::tkString:
        return p.GetStr(t.Instance);
    case TTypeKind::tkVariant:
        return p.GetVar(t.Instance);
    case TTypeKind::tkMethod:
        return p.GetMethodName ? p.GetMethodName(t.Instance) : std::u16string();
    case TTypeKind::tkClass:
        return static_cast<int64_t>(reinterpret_cast<intptr_t>(p.GetObj(t.Instance)));
    case TTypeKind::tkUnknown:
        break;
    }
    InvalidValue();
}

void SetPropValue(TObject* instance, std::u16string_view path, const core::Variant& value)
{
    const PropTarget t = ResolvePropPath(instance, path);
    const PropInfo& p = *t.Prop;
    if (!p.Writable())
        ReadOnly();
    switch (p.Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkInt64:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet:
        p.SetOrd(t.Instance, OrdinalFrom(p, value));
        return;
    case TTypeKind::tkFloat:
        p.SetFloat(t.Instance, core::VarToDouble(value));
        return;
    case TTypeKind::tkString:
        p.SetStr(t.Instance, core::VarToStr(value));
        return;
    case TTypeKind::tkVariant:
        p.SetVar(t.Instance, value);
        return;
    case TTypeKind::tkMethod: {
        const std::u16string name = core::Trim(core::VarToStr(value));
        p.SetMethodByName(t.Instance, name.empty() ? nullptr : FindMethodOwner(t.Instance, name), name);
        return;
    }
    case TTypeKind::tkClass:
        if (core::VarIsClear(value) || (AsString(value) ? AsString(value)->empty() : core::VarToInt64(value) == 0)) {
            p.SetObj(t.Instance, nullptr);
            return;
        }
        InvalidValue();
    case TTypeKind::tkUnknown:
        break;
    }
    InvalidValue();
}

std::u16string GetEnumName(const TypeInfo& type, int64_t value)
{
    if (value >= 0 && value < static_cast<int64_t>(type.Names.size()))
        return type.Names[static_cast<size_t>(value)];
    return core::IntToStr(value);
}

int64_t GetEnumValue(const TypeInfo& type, std::u16string_view name) { return type.IndexOf(name); }

std::u16string SetToString(const TypeInfo& type, int64_t bits, bool brackets)
{
    std::u16string out;
    const auto b = static_cast<uint64_t>(bits);
    for (size_t i = 0; i < type.Names.size() && i < 64; ++i)
        if ((b >> i) & 1u) {
            if (!out.empty())
                out += u',';
            out += type.Names[i];
        }
    return brackets ? u"[" + out + u"]" : out;
}

int64_t StringToSet(const TypeInfo& type, std::u16string_view text)
{
    std::u16string s = core::Trim(text);
    std::u16string_view body = s;
    if (!body.empty() && body.front() == u'[') {
        if (body.back() != u']')
            InvalidElement(s);
        body = body.substr(1, body.size() - 2);
    }
    uint64_t bits = 0;
    size_t start = 0;
    while (start <= body.size()) {
        size_t comma = body.find(u',', start);
        if (comma == std::u16string_view::npos)
            comma = body.size();
        const std::u16string element = core::Trim(body.substr(start, comma - start));
        if (!element.empty()) {
            const int index = type.IndexOf(element);
            if (index < 0 || index >= 64)
                InvalidElement(element);
            bits |= uint64_t{1} << index;
        } else if (comma < body.size()) {
            InvalidElement(s); // "a,,b"
        }
        start = comma + 1;
    }
    return static_cast<int64_t>(bits);
}

bool IsStoredProp(const TObject* instance, const PropInfo& prop)
{
    if (prop.Stored && !prop.Stored(instance))
        return false;
    switch (prop.Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkInt64:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet:
        return !prop.Default || prop.GetOrd(instance) != *prop.Default;
    case TTypeKind::tkFloat:
        return prop.GetFloat(instance) != (prop.Default ? static_cast<double>(*prop.Default) : 0.0);
    case TTypeKind::tkString:
        return !prop.GetStr(instance).empty();
    case TTypeKind::tkClass:
        return prop.GetObj(instance) != nullptr;
    case TTypeKind::tkMethod:
        return prop.GetMethodName && !prop.GetMethodName(instance).empty();
    case TTypeKind::tkVariant:
        return !core::VarIsEmpty(prop.GetVar(instance));
    case TTypeKind::tkUnknown:
        break;
    }
    return false;
}

} // namespace components
