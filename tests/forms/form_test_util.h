#pragma once
// Helpers shared by the form tests: byte literals and readers over them.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "components/form_format.h"
#include "core/exception.h"
#include "core/stream.h"

namespace formtest {

using Bytes = std::vector<uint8_t>;

// "06 54 46" -> bytes; text in quotes ('Form1') is taken as its ASCII bytes.
inline Bytes B(const std::string& text)
{
    Bytes out;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == ' ') {
            ++i;
        } else if (text[i] == '\'') {
            const size_t end = text.find('\'', i + 1);
            out.insert(out.end(), text.begin() + static_cast<long>(i) + 1, text.begin() + static_cast<long>(end));
            i = end + 1;
        } else {
            out.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
            i += 2;
        }
    }
    return out;
}

inline std::string Hex(const Bytes& b)
{
    static const char* d = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < b.size(); ++i) {
        if (i)
            s += ' ';
        s += d[b[i] >> 4];
        s += d[b[i] & 15];
    }
    return s;
}

// Bytes written by f through a TBinaryWriter.
inline Bytes Written(const std::function<void(components::TBinaryWriter&)>& f)
{
    core::TMemoryStream m;
    {
        components::TBinaryWriter w(m);
        f(w);
        w.FlushBuffer();
    }
    return m.Bytes();
}

// The message of the exception f raises ("" when none).
inline std::string ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const core::Exception& e) {
        return e.what();
    }
    return "";
}

} // namespace formtest
