#pragma once
#include <string>

#include <gtest/gtest.h>

// Runs f and checks that it raises E with exactly the given message.
template <class E, class F>
void ExpectRaises(F&& f, const std::string& message)
{
    try {
        f();
        ADD_FAILURE() << "expected an exception with \"" << message << "\"";
    } catch (const E& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
}
