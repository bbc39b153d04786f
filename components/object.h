#pragma once
// TObject and the run-time class information every streamable class carries:
// its name, its parent class, how to create an instance, its published
// properties and its published fields. Each class declares its metadata once,
// next to the class:
//
//   class TThing : public TComponent {
//       DECLARE_CLASS(TThing, TComponent)
//   public:
//       ...
//   };
//
//   DEFINE_CLASS(TThing)
//       .Property(u"Count", &TThing::Count, &TThing::SetCount).Default(0)
//       .Property(u"Style", &TThing::Style, &TThing::SetStyle)     // enum or TSet<enum>
//       .Property(u"Font", &TThing::Font, &TThing::SetFont)       // class property
//       .Property(u"OnClick", &TThing::FOnClick, &TThing::FOnClick) // event (core::Closure)
//       .Field(u"Button1", &TThing::Button1)     // bound to the owned component "Button1"
//       .Method(u"Button1Click", &TThing::Button1Click) // handler an event can name
//   END_CLASS
//
// An event property is set by the name of a published method of the method
// owner (the object itself or an object that owns it, e.g. the form); the
// method's signature must be the event's. It reads back as that name.
//
// The kind of a property is deduced from its getter's type: integers
// (tkInteger, 64-bit ones tkInt64), bool and enumerations (tkEnumeration),
// TSet<E> (tkSet), double (tkFloat), std::u16string (tkString), pointers to
// TObject descendants (tkClass), Closure (tkMethod), Variant (tkVariant).
// Enumeration names come from DECLARE_ENUM_NAMES next to the enum.
#include <any>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "core/closure.h"
#include "core/ustring.h"
#include "core/variant.h"

namespace components {

class TObject;
class TComponent;
class ClassInfo;

enum class TTypeKind { tkUnknown, tkInteger, tkInt64, tkEnumeration, tkSet, tkFloat, tkString, tkClass, tkMethod, tkVariant };

// Names of an enumeration's values (value = position) or of a set's elements.
struct TypeInfo {
    std::u16string Name;
    std::vector<std::u16string> Names;
    // Position of a name (case-insensitive), or -1.
    int IndexOf(std::u16string_view name) const;
};

// Integer properties that have identifiers for some values (colours, character sets).
struct IdentMapping {
    std::optional<int64_t> (*ToInt)(std::u16string_view ident);
    std::optional<std::u16string> (*ToIdent)(int64_t value);
};
extern const IdentMapping ColorIdents;
extern const IdentMapping CharsetIdents;

// A set of enumeration values of E (at most 64 elements), stored as bits.
template <class E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items) { for (E e : items) Include(e); }
    static constexpr TSet FromBits(uint64_t bits) { TSet s; s.FBits = bits; return s; }
    constexpr uint64_t Bits() const { return FBits; }
    constexpr bool Contains(E e) const { return (FBits >> static_cast<unsigned>(e)) & 1u; }
    constexpr TSet& Include(E e) { FBits |= uint64_t{1} << static_cast<unsigned>(e); return *this; }
    constexpr TSet& Exclude(E e) { FBits &= ~(uint64_t{1} << static_cast<unsigned>(e)); return *this; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr TSet operator+(TSet o) const { return FromBits(FBits | o.FBits); }
    constexpr TSet operator-(TSet o) const { return FromBits(FBits & ~o.FBits); }
    constexpr TSet operator*(TSet o) const { return FromBits(FBits & o.FBits); }
    friend constexpr bool operator==(TSet a, TSet b) { return a.FBits == b.FBits; }

private:
    uint64_t FBits = 0;
};

// Specialised by DECLARE_ENUM_NAMES.
template <class E>
struct EnumNames;

#define DECLARE_ENUM_NAMES(Enum, ...)                                                          \
    template <>                                                                                \
    struct components::EnumNames<Enum> {                                                       \
        static const ::components::TypeInfo& Info()                                            \
        {                                                                                      \
            static const ::components::TypeInfo info{::core::FromAscii(#Enum), {__VA_ARGS__}};             \
            return info;                                                                       \
        }                                                                                      \
    }

const TypeInfo& BooleanTypeInfo();
// dynamic_cast to TComponent, usable where TComponent is still incomplete.
TComponent* ComponentOrNull(TObject* o);

struct PropInfo {
    std::u16string Name;
    TTypeKind Kind = TTypeKind::tkUnknown;
    const TypeInfo* Enum = nullptr;         // enumeration type, or a set's element type
    const IdentMapping* Idents = nullptr;   // identifier table of an integer property
    const ClassInfo* PropClass = nullptr;   // class of a tkClass property
    std::optional<int64_t> Default;         // ordinal default; none: always stored
    // Accessors by kind; an empty setter makes the property read-only (class
    // properties without a setter are read into the existing sub-object).
    std::function<int64_t(const TObject*)> GetOrd;
    std::function<void(TObject*, int64_t)> SetOrd;
    std::function<double(const TObject*)> GetFloat;
    std::function<void(TObject*, double)> SetFloat;
    std::function<std::u16string(const TObject*)> GetStr;
    std::function<void(TObject*, const std::u16string&)> SetStr;
    std::function<TObject*(const TObject*)> GetObj;
    std::function<void(TObject*, TObject*)> SetObj;
    std::function<core::Variant(const TObject*)> GetVar;
    std::function<void(TObject*, const core::Variant&)> SetVar;
    // Event properties: assigned/cleared by the name of a published method of
    // the method owner (the form being read); GetMethodName answers "" when
    // unassigned or bound to something without a published name.
    std::function<std::u16string(const TObject*)> GetMethodName;
    std::function<void(TObject*, TObject* methodOwner, const std::u16string& name)> SetMethodByName;
    std::function<bool(const TObject*)> Stored; // empty: always stored
    bool Writable() const;
};

// A published field: the owner's member that the component of the same name is bound to.
struct FieldInfo {
    std::u16string Name;
    const ClassInfo* FieldClass = nullptr;
    std::function<void(TObject* owner, TObject* value)> Set;
};

// A published method, callable as an event handler by name.
struct MethodInfo {
    std::u16string Name;
    // Binds the method of `instance` into the event property `prop` of `target`.
    std::function<void(TObject* instance, TObject* target, const PropInfo& prop)> BindTo;
    // The method bound to `instance` (an object of the declaring class or a
    // descendant), as a std::any holding core::Closure<R(A...)> of the method's
    // own signature. Event properties accept it only when the signatures match.
    std::function<std::any(TObject* instance)> MakeClosure;
};

class ClassInfo {
public:
    std::u16string Name;
    const ClassInfo* Parent = nullptr;
    // Creates an instance: for components the argument is the owner, for
    // collection items the collection. Empty for abstract classes.
    std::function<TObject*(TObject* ownerOrCollection)> Factory;
    std::vector<PropInfo> Props;   // this class's own properties, declaration order
    std::vector<FieldInfo> Fields; // this class's own published fields
    std::vector<MethodInfo> Methods;

    bool InheritsFrom(const ClassInfo& other) const;
    // Case-insensitive lookups through the class and its ancestors.
    const PropInfo* FindProp(std::u16string_view name) const;
    const FieldInfo* FindField(std::u16string_view name) const;
    const MethodInfo* FindMethod(std::u16string_view name) const;
    // Every published property, ancestors' first, in declaration order.
    std::vector<const PropInfo*> AllProps() const;
};

class TObject {
public:
    virtual ~TObject() = default;
    static const ClassInfo& StaticClass();
    virtual const ClassInfo& ClassType() const { return StaticClass(); }
    const std::u16string& ClassName() const { return ClassType().Name; }
    bool InheritsFrom(const ClassInfo& c) const { return ClassType().InheritsFrom(c); }
};

namespace detail {
// Raises EPropertyError "Invalid property value" (an event names no published
// method of a matching signature).
[[noreturn]] void RaiseInvalidMethod();
// Searches `target` and then the objects that own it (GetOwner chain) for a
// published method whose closure satisfies `matches`; answers its name or "".
std::u16string FindMethodName(const TObject* target, const std::function<bool(const std::any&)>& matches);

// Storage of one class's ClassInfo. Built on first use; a class property that
// refers back to a class still being built (its own class, or a cycle between
// two classes) receives the final address, filled in when building ends.
class ClassSlot {
public:
    template <class F>
    const ClassInfo& Get(F&& build)
    {
        if (FReady.load(std::memory_order_acquire))
            return FInfo;
        std::lock_guard<std::recursive_mutex> guard(FLock);
        if (!FBuilding && !FReady.load(std::memory_order_relaxed)) {
            FBuilding = true;
            try {
                FInfo = build();
            } catch (...) {
                FBuilding = false;
                throw;
            }
            FBuilding = false;
            FReady.store(true, std::memory_order_release);
        }
        return FInfo;
    }

private:
    ClassInfo FInfo;
    std::recursive_mutex FLock;
    std::atomic<bool> FReady{false};
    bool FBuilding = false;
};
} // namespace detail

// In the public part of the class body.
#define DECLARE_CLASS(Self, Base)                                                   \
public:                                                                             \
    using inherited = Base;                                                         \
    static const ::components::ClassInfo& StaticClass();                            \
    const ::components::ClassInfo& ClassType() const override { return StaticClass(); }

#define DEFINE_CLASS(Self)                                                           \
    const ::components::ClassInfo& Self::StaticClass()                              \
    {                                                                               \
        static ::components::detail::ClassSlot slot;                                \
        return slot.Get([] { return ::components::ClassBuilder<Self>(#Self, &inherited::StaticClass())
#define END_CLASS                                                                   \
        .Build(); });                                                               \
    }

} // namespace components

#include "components/class_builder.h"
