#include "core/ustring.h"

#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

namespace core {

std::string ToUtf8(std::u16string_view s)
{
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        UChar32 c;
        U16_NEXT(s.data(), i, s.size(), c);
        if (U_IS_SURROGATE(c))
            c = 0xFFFD;
        char buf[4];
        int32_t n = 0;
        [[maybe_unused]] UBool err = false;
        U8_APPEND(buf, n, 4, c, err);
        out.append(buf, static_cast<size_t>(n));
    }
    return out;
}

std::u16string FromUtf8(std::string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    int32_t i = 0;
    const auto len = static_cast<int32_t>(s.size());
    const auto* p = reinterpret_cast<const uint8_t*>(s.data());
    while (i < len) {
        UChar32 c;
        U8_NEXT(p, i, len, c);
        if (c < 0)
            c = 0xFFFD;
        if (c > 0xFFFF) {
            out.push_back(static_cast<char16_t>(U16_LEAD(c)));
            out.push_back(static_cast<char16_t>(U16_TRAIL(c)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

std::u16string FromAscii(std::string_view s)
{
    return std::u16string(s.begin(), s.end());
}

int CompareText(std::u16string_view a, std::u16string_view b)
{
    UErrorCode err = U_ZERO_ERROR;
    int r = u_strCaseCompare(a.data(), static_cast<int32_t>(a.size()), b.data(), static_cast<int32_t>(b.size()),
                             U_FOLD_CASE_DEFAULT, &err);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CompareStr(std::u16string_view a, std::u16string_view b)
{
    int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

std::u16string UpperCase(std::u16string_view s)
{
    icu::UnicodeString u(s.data(), static_cast<int32_t>(s.size()));
    u.toUpper();
    return std::u16string(u.getBuffer(), static_cast<size_t>(u.length()));
}

std::u16string LowerCase(std::u16string_view s)
{
    icu::UnicodeString u(s.data(), static_cast<int32_t>(s.size()));
    u.toLower();
    return std::u16string(u.getBuffer(), static_cast<size_t>(u.length()));
}

std::u16string Trim(std::u16string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && s[b] <= u' ')
        ++b;
    while (e > b && s[e - 1] <= u' ')
        --e;
    return std::u16string(s.substr(b, e - b));
}

std::u16string IntToStr(long long v)
{
    return FromAscii(std::to_string(v));
}

} // namespace core
