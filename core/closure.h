#pragma once
// Events as closures: a receiving object plus a callable. Two closures are
// equal when they name the same object and the same method, so a handler can
// be compared with (and removed by) the value it was assigned from. An empty
// closure is "unassigned" and calling it does nothing (or returns R{}).
#include <array>
#include <atomic>
#include <cstring>
#include <functional>
#include <type_traits>
#include <utility>

namespace core {

// Identities of closures made by Closure::Bind; shared by every signature.
inline unsigned long long NextClosureId()
{
    static std::atomic<unsigned long long> next{1};
    return next++;
}

template <class Sig>
class Closure;

template <class R, class... A>
class Closure<R(A...)> {
public:
    Closure() = default;
    Closure(std::nullptr_t) {}

    // Binds a member function: Closure<void(TObject*)>(this, &TForm1::Button1Click).
    template <class T, class M>
        requires std::is_member_function_pointer_v<M>
    Closure(T* object, M method)
        : FObject(object), FCall([object, method](A... a) -> R { return (object->*method)(std::forward<A>(a)...); })
    {
        static_assert(sizeof(M) <= sizeof(FMethod), "member pointer too large");
        std::memcpy(FMethod.data(), &method, sizeof(M));
    }

    // Binds any callable to an object. Each call of Bind makes a closure with a
    // fresh identity; copies of it compare equal to each other.
    template <class F>
    static Closure Bind(const void* object, F&& f)
    {
        Closure c;
        c.FObject = object;
        c.FCall = std::function<R(A...)>(std::forward<F>(f));
        const unsigned long long id = NextClosureId();
        c.FMethod.fill(0xFF);
        std::memcpy(c.FMethod.data(), &id, sizeof id);
        return c;
    }

    explicit operator bool() const noexcept { return static_cast<bool>(FCall); }
    bool Assigned() const noexcept { return static_cast<bool>(FCall); }
    const void* Data() const noexcept { return FObject; }

    R operator()(A... a) const
    {
        if (!FCall) {
            if constexpr (std::is_void_v<R>)
                return;
            else
                return R{};
        }
        return FCall(std::forward<A>(a)...);
    }

    friend bool operator==(const Closure& x, const Closure& y) noexcept
    {
        if (!x.FCall || !y.FCall)
            return !x.FCall && !y.FCall;
        return x.FObject == y.FObject && x.FMethod == y.FMethod;
    }
    friend bool operator==(const Closure& x, std::nullptr_t) noexcept { return !x.FCall; }

private:
    const void* FObject = nullptr;
    std::array<unsigned char, 2 * sizeof(void*)> FMethod{};
    std::function<R(A...)> FCall;
};

} // namespace core
