#pragma once
// The exception tree every layer above the engine raises. Messages are UTF-16;
// templates use fmt's "{}" placeholders (see fmt_message) so "%s"-style tables
// are translated once where they are declared.
#include <exception>
#include <string>
#include <utility>

#include <fmt/format.h>

#include "core/ustring.h"

namespace core {

class Exception : public std::exception {
public:
    explicit Exception(std::u16string message) : FMessage(std::move(message)), FUtf8(ToUtf8(FMessage)) {}
    explicit Exception(std::string_view utf8) : Exception(FromUtf8(utf8)) {}
    template <class... Args>
    static Exception CreateFmt(fmt::format_string<Args...> templ, Args&&... args)
    {
        return Exception(fmt::format(templ, std::forward<Args>(args)...));
    }

    const std::u16string& Message() const noexcept { return FMessage; }
    void SetMessage(std::u16string m) { FMessage = std::move(m); FUtf8 = ToUtf8(FMessage); }
    const char* what() const noexcept override { return FUtf8.c_str(); }
    // Dynamic class name, used by reports ("EDatabaseError") and tests.
    virtual const char* ClassName() const noexcept { return "Exception"; }

private:
    std::u16string FMessage;
    std::string FUtf8;
};

// Declares an exception class `Name` deriving from `Base` with the same
// constructors and its own class name.
#define CORE_DECLARE_EXCEPTION(Name, Base)                                      \
    class Name : public Base {                                                  \
        using BaseException = Base;                                             \
    public:                                                                     \
        using BaseException::BaseException;                                     \
        const char* ClassName() const noexcept override { return #Name; }      \
    }

// Unwinds silently: the application reports every exception but this one.
CORE_DECLARE_EXCEPTION(EAbort, Exception);
CORE_DECLARE_EXCEPTION(EConvertError, Exception);
CORE_DECLARE_EXCEPTION(EArgumentError, Exception);
CORE_DECLARE_EXCEPTION(EListError, Exception);
CORE_DECLARE_EXCEPTION(EOutOfMemory, Exception);
CORE_DECLARE_EXCEPTION(EInvalidOperation, Exception);
CORE_DECLARE_EXCEPTION(EInvalidPointer, Exception);
CORE_DECLARE_EXCEPTION(EStreamError, Exception);
CORE_DECLARE_EXCEPTION(EReadError, EStreamError);
CORE_DECLARE_EXCEPTION(EWriteError, EStreamError);
CORE_DECLARE_EXCEPTION(EFilerError, EStreamError);
CORE_DECLARE_EXCEPTION(EClassNotFound, EFilerError);
CORE_DECLARE_EXCEPTION(EResNotFound, Exception);
CORE_DECLARE_EXCEPTION(EComponentError, Exception);

// Throws `E` with a message built from an fmt template: Raise<EConvertError>("'{}' is bad", s).
template <class E, class... Args>
[[noreturn]] void Raise(fmt::format_string<Args...> templ, Args&&... args)
{
    throw E(fmt::format(templ, std::forward<Args>(args)...));
}

// Silent unwind: throw EAbort with no message.
[[noreturn]] inline void Abort() { throw EAbort(std::u16string()); }

} // namespace core
