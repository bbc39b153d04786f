// The message of the exception a call raises, or `none` when it raises none.
#pragma once

#include <functional>
#include <string>

#include "core/exception.h"
#include "core/ustring.h"

namespace test_support {

inline std::string ErrorOf(const std::function<void()>& f, const char* none = "")
{
    try {
        f();
    } catch (const core::Exception& e) {
        return core::ToUtf8(e.Message());
    }
    return none;
}

} // namespace test_support
