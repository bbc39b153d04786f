#pragma once
// ClassBuilder<T>: builds a ClassInfo from member pointers (see object.h).
#include <concepts>
#include <type_traits>
#include <utility>

#include "components/object.h"

namespace components {

namespace detail {

template <class C>
struct ClosureTraits : std::false_type {};
template <class S>
struct ClosureTraits<core::Closure<S>> : std::true_type {};

template <class C>
struct SetTraits : std::false_type {};
template <class E>
struct SetTraits<TSet<E>> : std::true_type {
    using Element = E;
};

// The value type a getter yields: member function returning R (by value or
// const&), or a data member of type R.
template <class G>
struct GetterTraits;
template <class T, class R>
struct GetterTraits<R (T::*)() const> {
    using Value = std::remove_cvref_t<R>;
};
template <class T, class R>
struct GetterTraits<R (T::*)() const noexcept> {
    using Value = std::remove_cvref_t<R>;
};
template <class T, class R>
    requires(!std::is_function_v<R>)
struct GetterTraits<R T::*> {
    using Value = std::remove_cvref_t<R>;
};

template <class Obj, class G>
decltype(auto) Get(const Obj* o, G g)
{
    if constexpr (std::is_member_function_pointer_v<G>)
        return (o->*g)();
    else
        return (o->*g);
}

template <class Obj, class S, class V>
void Set(Obj* o, S s, V&& v)
{
    if constexpr (std::is_member_function_pointer_v<S>)
        (o->*s)(std::forward<V>(v));
    else
        (o->*s) = std::forward<V>(v);
}

} // namespace detail

template <class T>
class ClassBuilder {
public:
    ClassBuilder(const char* name, const ClassInfo* parent)
    {
        FInfo.Name = core::FromAscii(name);
        FInfo.Parent = parent;
        if constexpr (!std::is_abstract_v<T>) {
            if constexpr (std::is_constructible_v<T, TComponent*>)
                FInfo.Factory = [](TObject* owner) -> TObject* { return new T(AsComponent(owner)); };
            else if constexpr (std::is_default_constructible_v<T>)
                FInfo.Factory = [](TObject*) -> TObject* { return new T(); };
        }
    }

    // Replaces the factory (collection items, classes needing more than an owner).
    ClassBuilder& Factory(std::function<TObject*(TObject*)> f)
    {
        FInfo.Factory = std::move(f);
        return *this;
    }

    // A published property. Getter: `R (T::*)() const` or a data member;
    // setter: `void (T::*)(R)` / `void (T::*)(const R&)`, a data member, or nullptr.
    template <class G, class S>
    ClassBuilder& Property(const char16_t* name, G getter, S setter)
    {
        using V = typename detail::GetterTraits<G>::Value;
        PropInfo p;
        p.Name = name;
        constexpr bool writable = !std::is_same_v<S, std::nullptr_t>;
        if constexpr (std::is_same_v<V, bool>) {
            p.Kind = TTypeKind::tkEnumeration;
            p.Enum = &BooleanTypeInfo();
            p.GetOrd = [getter](const TObject* o) -> int64_t { return detail::Get(Self(o), getter) ? 1 : 0; };
            if constexpr (writable)
                p.SetOrd = [setter](TObject* o, int64_t v) { detail::Set(Self(o), setter, v != 0); };
        } else if constexpr (std::is_enum_v<V>) {
            p.Kind = TTypeKind::tkEnumeration;
            p.Enum = &EnumNames<V>::Info();
            p.GetOrd = [getter](const TObject* o) -> int64_t { return static_cast<int64_t>(detail::Get(Self(o), getter)); };
            if constexpr (writable)
                p.SetOrd = [setter](TObject* o, int64_t v) { detail::Set(Self(o), setter, static_cast<V>(v)); };
        } else if constexpr (detail::SetTraits<V>::value) {
            p.Kind = TTypeKind::tkSet;
            p.Enum = &EnumNames<typename detail::SetTraits<V>::Element>::Info();
            p.GetOrd = [getter](const TObject* o) -> int64_t { return static_cast<int64_t>(detail::Get(Self(o), getter).Bits()); };
            if constexpr (writable)
                p.SetOrd = [setter](TObject* o, int64_t v) { detail::Set(Self(o), setter, V::FromBits(static_cast<uint64_t>(v))); };
        } else if constexpr (std::is_integral_v<V>) {
            p.Kind = sizeof(V) > 4 ? TTypeKind::tkInt64 : TTypeKind::tkInteger;
            p.GetOrd = [getter](const TObject* o) -> int64_t { return static_cast<int64_t>(detail::Get(Self(o), getter)); };
            if constexpr (writable)
                p.SetOrd = [setter](TObject* o, int64_t v) { detail::Set(Self(o), setter, static_cast<V>(v)); };
        } else if constexpr (std::is_floating_point_v<V>) {
            p.Kind = TTypeKind::tkFloat;
            p.GetFloat = [getter](const TObject* o) -> double { return detail::Get(Self(o), getter); };
            if constexpr (writable)
                p.SetFloat = [setter](TObject* o, double v) { detail::Set(Self(o), setter, static_cast<V>(v)); };
        } else if constexpr (std::is_same_v<V, std::u16string>) {
            p.Kind = TTypeKind::tkString;
            p.GetStr = [getter](const TObject* o) -> std::u16string { return detail::Get(Self(o), getter); };
            if constexpr (writable)
                p.SetStr = [setter](TObject* o, const std::u16string& v) { detail::Set(Self(o), setter, v); };
        } else if constexpr (std::is_same_v<V, core::Variant>) {
            p.Kind = TTypeKind::tkVariant;
            p.GetVar = [getter](const TObject* o) -> core::Variant { return detail::Get(Self(o), getter); };
            if constexpr (writable)
                p.SetVar = [setter](TObject* o, const core::Variant& v) { detail::Set(Self(o), setter, v); };
        } else if constexpr (std::is_pointer_v<V>) {
            using C = std::remove_cv_t<std::remove_pointer_t<V>>;
            static_assert(std::is_base_of_v<TObject, C>, "class properties hold TObject descendants");
            p.Kind = TTypeKind::tkClass;
            p.PropClass = &C::StaticClass();
            p.GetObj = [getter](const TObject* o) -> TObject* { return const_cast<C*>(detail::Get(Self(o), getter)); };
            if constexpr (writable)
                p.SetObj = [setter](TObject* o, TObject* v) {
                    detail::Set(Self(o), setter, v ? dynamic_cast<C*>(v) : static_cast<C*>(nullptr));
                };
        } else if constexpr (detail::ClosureTraits<V>::value) {
            p.Kind = TTypeKind::tkMethod;
            p.GetMethodName = [getter](const TObject* o) -> std::u16string {
                return MethodNameOf(o, detail::Get(Self(o), getter));
            };
            if constexpr (writable)
                p.SetMethodByName = [setter](TObject* o, TObject* owner, const std::u16string& methodName) {
                    detail::Set(Self(o), setter, V(ResolveMethod<V>(owner, methodName)));
                };
        } else {
            static_assert(sizeof(V) == 0, "unsupported published property type");
        }
        FInfo.Props.push_back(std::move(p));
        return *this;
    }

    // Ordinal default of the last property (only values that differ are stored).
    ClassBuilder& Default(int64_t v)
    {
        FInfo.Props.back().Default = v;
        return *this;
    }
    // Identifier table of the last (integer) property.
    ClassBuilder& Idents(const IdentMapping& m)
    {
        FInfo.Props.back().Idents = &m;
        return *this;
    }
    // Stored-flag of the last property: a predicate member or a constant.
    ClassBuilder& Stored(bool (T::*pred)() const)
    {
        FInfo.Props.back().Stored = [pred](const TObject* o) { return (Self(o)->*pred)(); };
        return *this;
    }
    ClassBuilder& Stored(bool stored)
    {
        FInfo.Props.back().Stored = [stored](const TObject*) { return stored; };
        return *this;
    }

    // A published field: the component named `name` owned by a T is stored into it.
    template <class C>
    ClassBuilder& Field(const char16_t* name, C* T::*member)
    {
        FInfo.Fields.push_back(FieldInfo{name, &C::StaticClass(), [member](TObject* owner, TObject* value) {
                                             static_cast<T*>(owner)->*member = value ? dynamic_cast<C*>(value) : nullptr;
                                         }});
        return *this;
    }

    // A published method usable as an event handler by name: an event property
    // of type core::Closure<R(A...)> can be set to it by name (the closure runs
    // the method on the method owner) and reads back as that name.
    template <class R, class... A>
    ClassBuilder& Method(const char16_t* name, R (T::*m)(A...))
    {
        MethodInfo info;
        info.Name = name;
        info.MakeClosure = [m](TObject* instance) -> std::any {
            return core::Closure<R(A...)>(static_cast<T*>(instance), m);
        };
        info.BindTo = [methodName = info.Name](TObject* instance, TObject* target, const PropInfo& prop) {
            if (!prop.SetMethodByName)
                detail::RaiseInvalidMethod();
            prop.SetMethodByName(target, instance, methodName);
        };
        FInfo.Methods.push_back(std::move(info));
        return *this;
    }

    ClassInfo Build() { return std::move(FInfo); }

private:
    static T* Self(TObject* o) { return static_cast<T*>(o); }
    static const T* Self(const TObject* o) { return static_cast<const T*>(o); }
    static TComponent* AsComponent(TObject* o) { return ComponentOrNull(o); }
    // The published method `name` of `owner` (its class or an ancestor, without
    // regard to case) as an event of type Ev; "" gives an unassigned event.
    template <class Ev>
    static Ev ResolveMethod(TObject* owner, const std::u16string& name)
    {
        if (name.empty())
            return Ev();
        const MethodInfo* m = owner ? owner->ClassType().FindMethod(name) : nullptr;
        if (!m || !m->MakeClosure)
            detail::RaiseInvalidMethod();
        std::any bound = m->MakeClosure(owner);
        if (const Ev* ev = std::any_cast<Ev>(&bound))
            return *ev;
        detail::RaiseInvalidMethod(); // the method's signature differs from the event's
    }
    // Name of the published method an event is bound to, searched on the
    // object holding the event and the objects that own it; "" when unassigned
    // or bound to something that has no published name.
    template <class Ev>
    static std::u16string MethodNameOf(const TObject* holder, const Ev& ev)
    {
        if (!ev)
            return {};
        return detail::FindMethodName(holder, [&ev](const std::any& bound) {
            const Ev* candidate = std::any_cast<Ev>(&bound);
            return candidate && *candidate == ev;
        });
    }

    ClassInfo FInfo;
};

} // namespace components
