#include "components/form_format.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "core/exception.h"

namespace components {

namespace {

constexpr std::string_view kTagNames[] = {
    "vaNull", "vaList", "vaInt8", "vaInt16", "vaInt32", "vaExtended", "vaString", "vaIdent",
    "vaFalse", "vaTrue", "vaBinary", "vaSet", "vaLString", "vaNil", "vaCollection", "vaSingle",
    "vaCurrency", "vaDate", "vaWString", "vaInt64", "vaUTF8String", "vaDouble"};
static_assert(std::size(kTagNames) == kLastValueType + 1);

// Windows-1252 bytes 0x80..0x9F; the five unassigned bytes map to the C1 controls.
constexpr char16_t kAnsiHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint64_t LoadLE(const uint8_t* p, int n)
{
    uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

void StoreLE(uint8_t* p, uint64_t v, int n)
{
    for (int i = 0; i < n; ++i, v >>= 8)
        p[i] = static_cast<uint8_t>(v);
}

} // namespace

std::string_view ValueTypeName(TValueType t)
{
    const auto i = static_cast<uint8_t>(t);
    return i <= kLastValueType ? kTagNames[i] : std::string_view();
}

std::optional<TValueType> ValueTypeFromName(std::string_view name)
{
    for (size_t i = 0; i < std::size(kTagNames); ++i)
        if (kTagNames[i] == name)
            return static_cast<TValueType>(i);
    return std::nullopt;
}

// ---------------------------------------------------------------------------
// Extended precision

void DoubleToExtended(double value, uint8_t out[10])
{
    const auto bits = std::bit_cast<uint64_t>(value);
    const uint64_t sign = bits >> 63;
    const int exp = static_cast<int>((bits >> 52) & 0x7FF);
    const uint64_t frac = bits & ((uint64_t{1} << 52) - 1);
    uint64_t mant = 0;
    int e = 0;
    if (exp == 0x7FF) {
        mant = (uint64_t{1} << 63) | (frac << 11);
        e = 0x7FFF;
    } else if (exp == 0) {
        if (frac != 0) {
            const int lz = std::countl_zero(frac);
            mant = frac << lz;
            e = 15372 - lz; // frac * 2^-1074 == mant * 2^(e - 16383 - 63)
        }
    } else {
        mant = (uint64_t{1} << 63) | (frac << 11);
        e = exp - 1023 + 16383;
    }
    StoreLE(out, mant, 8);
    StoreLE(out + 8, (sign << 15) | static_cast<uint64_t>(e), 2);
}

std::optional<double> ExtendedToDouble(const uint8_t in[10])
{
    const uint64_t mant = LoadLE(in, 8);
    const auto se = static_cast<uint32_t>(LoadLE(in + 8, 2));
    const uint64_t sign = static_cast<uint64_t>(se >> 15) << 63;
    const int exp = static_cast<int>(se & 0x7FFF);
    if (exp == 0x7FFF) {
        const uint64_t fraction = mant & ~(uint64_t{1} << 63);
        if (fraction == 0)
            return std::bit_cast<double>(sign | (uint64_t{0x7FF} << 52));
        uint64_t payload = fraction >> 11;
        if (payload == 0)
            payload = uint64_t{1} << 51; // keep it a NaN
        return std::bit_cast<double>(sign | (uint64_t{0x7FF} << 52) | payload);
    }
    if (mant == 0)
        return std::bit_cast<double>(sign);
    // value = m * 2^(e2 - 63) with the top bit of m set.
    const int lz = std::countl_zero(mant);
    const uint64_t m = mant << lz;
    int e2 = (exp == 0 ? 1 : exp) - 16383 - lz;
    if (e2 > 1023)
        return std::nullopt;
    int shift = 11; // bits dropped for a normal double
    if (e2 < -1022)
        shift = -e2 - 1011; // denormal: the result is a multiple of 2^-1074
    if (shift > 64)
        return std::nullopt;
    uint64_t keep = shift == 64 ? 0 : m >> shift;
    const uint64_t rem = shift == 64 ? m : m & ((uint64_t{1} << shift) - 1);
    const uint64_t half = uint64_t{1} << (shift - 1);
    if (rem > half || (rem == half && (keep & 1)))
        ++keep;
    if (e2 < -1022) {
        if (keep == 0)
            return std::nullopt;
        return std::bit_cast<double>(sign | keep); // 2^52 is the smallest normal's pattern
    }
    if (keep == (uint64_t{1} << 53)) {
        keep >>= 1;
        ++e2;
        if (e2 > 1023)
            return std::nullopt;
    }
    return std::bit_cast<double>(sign | (static_cast<uint64_t>(e2 + 1023) << 52) | (keep & ((uint64_t{1} << 52) - 1)));
}

// ---------------------------------------------------------------------------
// Text encodings

std::u16string AnsiToUnicode(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<uint8_t>(ch);
        out.push_back(b >= 0x80 && b < 0xA0 ? kAnsiHigh[b - 0x80] : static_cast<char16_t>(b));
    }
    return out;
}

std::optional<std::string> UnicodeToAnsi(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        int found = -1;
        for (int i = 0; i < 32; ++i)
            if (kAnsiHigh[i] == c)
                found = i;
        if (found < 0)
            return std::nullopt;
        out.push_back(static_cast<char>(0x80 + found));
    }
    return out;
}

std::string Utf8Cut(std::u16string_view text, size_t maxBytes)
{
    std::string s = core::ToUtf8(text);
    if (s.size() <= maxBytes)
        return s;
    size_t n = maxBytes;
    while (n > 0 && (static_cast<uint8_t>(s[n]) & 0xC0) == 0x80)
        --n; // s[n] continues the character that starts before it
    s.resize(n);
    return s;
}

bool HasLoneSurrogate(std::u16string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
                ++i;
            else
                return true;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return true;
        }
    }
    return false;
}

} // namespace components
