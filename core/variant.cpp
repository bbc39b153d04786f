#include "core/variant.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/exception.h"

namespace core {

VariantArray VarArrayOf(std::initializer_list<Variant> items)
{
    VariantArray a;
    a.reserve(items.size());
    for (const auto& v : items)
        a.push_back(VariantBox{v});
    return a;
}

const char* VarTypeName(const Variant& v)
{
    static const char* const names[] = {"Empty", "Null", "Boolean", "Integer", "Int64",
                                        "Double", "Date", "UnicodeString", "Array of Byte", "Array of Variant"};
    return names[v.index()];
}

namespace {
[[noreturn]] void CannotConvert(const Variant& v, const char* to)
{
    Raise<EConvertError>("Could not convert variant of type ({}) into type ({})", VarTypeName(v), to);
}

std::string ShortestDouble(double d)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, r.ptr);
}
} // namespace

std::u16string VarToStr(const Variant& v)
{
    switch (v.index()) {
    case 0:
    case 1: return {};
    case 2: return std::get<bool>(v) ? u"True" : u"False";
    case 3: return IntToStr(std::get<int32_t>(v));
    case 4: return IntToStr(std::get<int64_t>(v));
    case 5: return FromAscii(ShortestDouble(std::get<double>(v)));
    case 6: {
        DateParts p;
        if (!TryDecodeDate(std::get<VarDate>(v).Value, p))
            CannotConvert(v, "UnicodeString");
        return FromAscii(fmt::format("{:04}-{:02}-{:02}", p.Year, p.Month, p.Day));
    }
    case 7: return std::get<std::u16string>(v);
    default: CannotConvert(v, "UnicodeString");
    }
}

int64_t VarToInt64(const Variant& v)
{
    switch (v.index()) {
    case 2: return std::get<bool>(v) ? -1 : 0;
    case 3: return std::get<int32_t>(v);
    case 4: return std::get<int64_t>(v);
    case 5:
    case 6: {
        const double d = v.index() == 5 ? std::get<double>(v) : std::get<VarDate>(v).Value;
        const double r = std::nearbyint(d);
        if (!std::isfinite(r) || r < -9.2233720368547758e18 || r >= 9.2233720368547758e18)
            CannotConvert(v, "Int64");
        return static_cast<int64_t>(r);
    }
    case 7: {
        const std::string s = ToUtf8(Trim(std::get<std::u16string>(v)));
        int64_t out = 0;
        auto r = std::from_chars(s.data(), s.data() + s.size(), out);
        if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size())
            CannotConvert(v, "Int64");
        return out;
    }
    default: CannotConvert(v, "Int64");
    }
}

double VarToDouble(const Variant& v)
{
    switch (v.index()) {
    case 2: return std::get<bool>(v) ? -1.0 : 0.0;
    case 3: return std::get<int32_t>(v);
    case 4: return static_cast<double>(std::get<int64_t>(v));
    case 5: return std::get<double>(v);
    case 6: return std::get<VarDate>(v).Value;
    case 7: {
        const std::string s = ToUtf8(Trim(std::get<std::u16string>(v)));
        double out = 0;
        auto r = std::from_chars(s.data(), s.data() + s.size(), out);
        if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size())
            CannotConvert(v, "Double");
        return out;
    }
    default: CannotConvert(v, "Double");
    }
}

bool VarToBool(const Variant& v)
{
    switch (v.index()) {
    case 2: return std::get<bool>(v);
    case 3:
    case 4: return VarToInt64(v) != 0;
    case 5: return std::get<double>(v) != 0.0;
    case 7: {
        const auto& s = std::get<std::u16string>(v);
        if (SameText(s, u"True"))
            return true;
        if (SameText(s, u"False"))
            return false;
        return VarToInt64(v) != 0;
    }
    default: CannotConvert(v, "Boolean");
    }
}

} // namespace core
