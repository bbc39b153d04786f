#include "data/number_format.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include <fmt/format.h>

#include "core/ustring.h"

namespace data {

char16_t DecimalSeparator() { return u'.'; }
char16_t ThousandSeparator() { return u','; }
std::u16string CurrencyDisplayFormat() { return u"$#,##0.00;-$#,##0.00"; }

bool ParseFloat(std::u16string_view text, double& value)
{
    size_t b = 0, e = text.size();
    while (b < e && (text[b] == u' ' || text[b] == u'\t'))
        ++b;
    while (e > b && (text[e - 1] == u' ' || text[e - 1] == u'\t'))
        --e;
    if (b == e)
        return false;
    std::string s;
    for (size_t i = b; i < e; ++i) {
        const char16_t c = text[i];
        const bool ok = (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'e' || c == u'E' ||
                        c == DecimalSeparator();
        if (!ok)
            return false;
        s.push_back(c == DecimalSeparator() ? '.' : static_cast<char>(c));
    }
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

std::u16string FormatGeneral(double value, int precision)
{
    if (precision < 1 || precision > 17)
        precision = 15;
    return core::FromUtf8(fmt::format("{:.{}g}", value, precision));
}

namespace {

struct Section {
    std::u16string Prefix, Suffix;
    int MinInt = 0, MinFrac = 0, MaxFrac = 0;
    bool Thousands = false, HasDigits = false;
};

Section ParseSection(std::u16string_view f)
{
    Section s;
    bool inDigits = false, afterPoint = false, done = false;
    for (size_t i = 0; i < f.size(); ++i) {
        const char16_t c = f[i];
        if (c == u'"' || c == u'\'') {
            const size_t close = f.find(c, i + 1);
            const std::u16string_view lit = f.substr(i + 1, (close == f.npos ? f.size() : close) - i - 1);
            (inDigits || done ? s.Suffix : s.Prefix) += lit;
            if (inDigits)
                done = true;
            i = close == f.npos ? f.size() : close;
        } else if (!done && (c == u'0' || c == u'#')) {
            inDigits = s.HasDigits = true;
            if (afterPoint) {
                ++s.MaxFrac;
                if (c == u'0')
                    s.MinFrac = s.MaxFrac;
            } else if (c == u'0') {
                ++s.MinInt;
            }
        } else if (!done && c == u'.') {
            inDigits = afterPoint = true;
        } else if (!done && c == u',' && inDigits) {
            s.Thousands = true;
        } else {
            if (inDigits)
                done = true;
            (done ? s.Suffix : s.Prefix) += c;
        }
    }
    return s;
}

std::u16string Apply(const Section& s, double value)
{
    if (!s.HasDigits)
        return s.Prefix + s.Suffix;
    std::string digits = fmt::format("{:.{}f}", std::fabs(value), s.MaxFrac);
    std::string intPart = digits, frac;
    if (const size_t p = digits.find('.'); p != std::string::npos) {
        intPart = digits.substr(0, p);
        frac = digits.substr(p + 1);
    }
    while (static_cast<int>(frac.size()) > s.MinFrac && !frac.empty() && frac.back() == '0')
        frac.pop_back();
    if (intPart == "0" && s.MinInt == 0)
        intPart.clear();
    while (static_cast<int>(intPart.size()) < s.MinInt)
        intPart.insert(intPart.begin(), '0');
    std::u16string out;
    for (size_t i = 0; i < intPart.size(); ++i) {
        if (s.Thousands && i > 0 && (intPart.size() - i) % 3 == 0)
            out.push_back(ThousandSeparator());
        out.push_back(static_cast<char16_t>(intPart[i]));
    }
    if (!frac.empty()) {
        out.push_back(DecimalSeparator());
        for (char c : frac)
            out.push_back(static_cast<char16_t>(c));
    }
    return s.Prefix + out + s.Suffix;
}

} // namespace

std::u16string FormatFloat(std::u16string_view format, double value)
{
    std::vector<std::u16string_view> sections;
    size_t start = 0;
    for (size_t i = 0; i <= format.size(); ++i) {
        if (i == format.size() || format[i] == u';') {
            sections.push_back(format.substr(start, i - start));
            start = i + 1;
        } else if (format[i] == u'"' || format[i] == u'\'') {
            const size_t close = format.find(format[i], i + 1);
            if (close == format.npos)
                break;
            i = close;
        }
    }
    if (start < format.size())
        sections.push_back(format.substr(start));
    if (sections.empty())
        return FormatGeneral(value, 15);
    if (value == 0 && sections.size() >= 3 && !sections[2].empty())
        return Apply(ParseSection(sections[2]), 0);
    if (value < 0 && sections.size() >= 2 && !sections[1].empty())
        return Apply(ParseSection(sections[1]), value);
    const std::u16string text = Apply(ParseSection(sections[0]), value);
    // A negative value in the first section keeps its sign unless it rounds to zero.
    if (value < 0 && text.find_first_of(u"123456789") != std::u16string::npos)
        return u"-" + text;
    return text;
}

} // namespace data
