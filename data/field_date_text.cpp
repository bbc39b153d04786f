#include "data/field_date_text.h"

#include <cmath>
#include <ctime>
#include <vector>

#include "core/ustring.h"

namespace data {

namespace {

const char16_t* const ShortDayNames[] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
const char16_t* const LongDayNames[] = {u"Sunday", u"Monday", u"Tuesday", u"Wednesday",
                                        u"Thursday", u"Friday", u"Saturday"};
const char16_t* const ShortMonthNames[] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                           u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
const char16_t* const LongMonthNames[] = {u"January", u"February", u"March",     u"April",   u"May",      u"June",
                                          u"July",    u"August",   u"September", u"October", u"November", u"December"};

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool StartsWithNoCase(std::u16string_view s, size_t pos, std::u16string_view prefix)
{
    if (s.size() - pos < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Lower(s[pos + i]) != Lower(prefix[i]))
            return false;
    return true;
}

std::u16string Pad(int value, int width)
{
    std::u16string s = core::IntToStr(value);
    while (static_cast<int>(s.size()) < width)
        s.insert(s.begin(), u'0');
    return s;
}

struct Parts {
    core::DateParts Date;
    core::TimeParts Time;
    int WeekDay = 1; // 1 = Sunday
};

class Formatter {
public:
    explicit Formatter(const Parts& parts) : P(parts) {}

    void Run(std::u16string_view f, int depth)
    {
        const TDateFormatSettings& fs = DateFormatSettings();
        size_t i = 0;
        while (i < f.size()) {
            const char16_t c = f[i];
            const char16_t lc = Lower(c);
            size_t n = 1;
            while (i + n < f.size() && Lower(f[i + n]) == lc)
                ++n;
            if (c == u'"' || c == u'\'') {
                const size_t close = f.find(c, i + 1);
                const size_t end = close == f.npos ? f.size() : close;
                Out.append(f.substr(i + 1, end - i - 1));
                i = end + 1;
                continue;
            }
            if (lc == u'a') {
                if (StartsWithNoCase(f, i, u"am/pm")) {
                    Out += P.Time.Hour < 12 ? u"am" : u"pm";
                    AfterHour = false;
                    i += 5;
                    continue;
                }
                if (StartsWithNoCase(f, i, u"a/p")) {
                    Out += P.Time.Hour < 12 ? u"a" : u"p";
                    i += 3;
                    continue;
                }
                if (StartsWithNoCase(f, i, u"ampm")) {
                    Out += P.Time.Hour < 12 ? fs.TimeAMString : fs.TimePMString;
                    i += 4;
                    continue;
                }
            }
            switch (lc) {
            case u'c':
                if (depth < 2) {
                    Run(fs.ShortDateFormat, depth + 1);
                    if (P.Time.Hour || P.Time.Min || P.Time.Sec || P.Time.MSec) {
                        Out += u' ';
                        Run(fs.LongTimeFormat, depth + 1);
                    }
                }
                i += 1;
                continue;
            case u'd':
                if (n >= 6 && depth < 2)
                    Run(fs.LongDateFormat, depth + 1);
                else if (n == 5 && depth < 2)
                    Run(fs.ShortDateFormat, depth + 1);
                else if (n == 4)
                    Out += LongDayNames[P.WeekDay - 1];
                else if (n == 3)
                    Out += ShortDayNames[P.WeekDay - 1];
                else
                    Out += Pad(P.Date.Day, static_cast<int>(n));
                i += std::min<size_t>(n, 6);
                AfterHour = false;
                continue;
            case u'm':
                if (AfterHour && n <= 2) {
                    Out += Pad(P.Time.Min, static_cast<int>(n));
                } else if (n >= 4) {
                    Out += LongMonthNames[P.Date.Month - 1];
                } else if (n == 3) {
                    Out += ShortMonthNames[P.Date.Month - 1];
                } else {
                    Out += Pad(P.Date.Month, static_cast<int>(n));
                }
                i += std::min<size_t>(n, 4);
                AfterHour = false;
                continue;
            case u'y':
                Out += n <= 2 ? Pad(P.Date.Year % 100, 2) : Pad(P.Date.Year, 4);
                i += n;
                AfterHour = false;
                continue;
            case u'h':
                Out += Pad(HourForDisplay(f), n >= 2 ? 2 : 1);
                i += std::min<size_t>(n, 2);
                AfterHour = true;
                continue;
            case u'n':
                Out += Pad(P.Time.Min, n >= 2 ? 2 : 1);
                i += std::min<size_t>(n, 2);
                AfterHour = false;
                continue;
            case u's':
                Out += Pad(P.Time.Sec, n >= 2 ? 2 : 1);
                i += std::min<size_t>(n, 2);
                AfterHour = false;
                continue;
            case u'z':
                Out += Pad(P.Time.MSec, n >= 3 ? 3 : 1);
                i += std::min<size_t>(n, 3);
                continue;
            case u't':
                if (depth < 2)
                    Run(n >= 2 ? fs.LongTimeFormat : fs.ShortTimeFormat, depth + 1);
                i += std::min<size_t>(n, 2);
                continue;
            case u'/':
                Out += fs.DateSeparator;
                i += 1;
                continue;
            case u':':
                Out += fs.TimeSeparator;
                i += 1;
                continue;
            default:
                Out += c;
                i += 1;
                continue;
            }
        }
    }

    std::u16string Out;

private:
    // With a 12-hour marker anywhere in the format the hour is shown 1 .. 12.
    int HourForDisplay(std::u16string_view f) const
    {
        bool twelve = false;
        for (size_t k = 0; k < f.size(); ++k)
            if (StartsWithNoCase(f, k, u"am/pm") || StartsWithNoCase(f, k, u"a/p") || StartsWithNoCase(f, k, u"ampm"))
                twelve = true;
        if (!twelve)
            return P.Time.Hour;
        const int h = P.Time.Hour % 12;
        return h == 0 ? 12 : h;
    }

    const Parts& P;
    bool AfterHour = false;
};

int CurrentYear()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return tm.tm_year + 1900;
}

std::u16string_view TrimBlanks(std::u16string_view s)
{
    while (!s.empty() && (s.front() == u' ' || s.front() == u'\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == u' ' || s.back() == u'\t'))
        s.remove_suffix(1);
    return s;
}

// Splits `s` at `sep` into unsigned decimal numbers (at most 9 digits each);
// false when a part is empty or not all digits. `digits` gets each part's length.
bool SplitNumbers(std::u16string_view s, char16_t sep, std::vector<int>& out, std::vector<int>& digits)
{
    out.clear();
    digits.clear();
    size_t start = 0;
    while (true) {
        const size_t end = std::min(s.find(sep, start), s.size());
        const std::u16string_view part = s.substr(start, end - start);
        if (part.empty() || part.size() > 9)
            return false;
        int v = 0;
        for (char16_t c : part) {
            if (c < u'0' || c > u'9')
                return false;
            v = v * 10 + (c - u'0');
        }
        out.push_back(v);
        digits.push_back(static_cast<int>(part.size()));
        if (end == s.size())
            return true;
        start = end + 1;
    }
}

// The order of day, month and year in the short date format: a string of 'd', 'm', 'y'.
std::string DateOrder()
{
    std::string order;
    for (char16_t c : DateFormatSettings().ShortDateFormat) {
        const char16_t lc = Lower(c);
        if ((lc == u'd' || lc == u'm' || lc == u'y') && order.find(static_cast<char>(lc)) == std::string::npos)
            order.push_back(static_cast<char>(lc));
    }
    for (char c : std::string("dmy"))
        if (order.find(c) == std::string::npos)
            order.push_back(c);
    return order;
}

} // namespace

TDateFormatSettings& DateFormatSettings()
{
    static TDateFormatSettings settings;
    return settings;
}

std::u16string FormatDateTime(std::u16string_view format, core::TDateTime value)
{
    Parts p;
    p.Date = core::DecodeDate(value);
    p.Time = core::DecodeTime(value);
    p.WeekDay = core::DayOfWeek(value);
    Formatter f(p);
    f.Run(format.empty() ? std::u16string_view(u"c") : format, 0);
    return f.Out;
}

bool TryStrToDate(std::u16string_view text, core::TDateTime& value)
{
    std::vector<int> n, digits;
    if (!SplitNumbers(TrimBlanks(text), DateFormatSettings().DateSeparator, n, digits) || n.size() < 2 ||
        n.size() > 3)
        return false;
    const std::string order = DateOrder();
    int day = 0, month = 0, year = 0;
    bool twoDigitYear = false;
    if (n.size() == 3) {
        for (size_t i = 0; i < 3; ++i) {
            switch (order[i]) {
            case 'd': day = n[i]; break;
            case 'm': month = n[i]; break;
            default: year = n[i]; twoDigitYear = digits[i] <= 2; break;
            }
        }
    } else {
        // Two parts: day and month in the format's order, this year.
        size_t k = 0;
        for (char c : order) {
            if (c == 'y')
                continue;
            (c == 'd' ? day : month) = n[k++];
        }
        year = CurrentYear();
    }
    if (twoDigitYear)
        year += year < DateFormatSettings().TwoDigitYearPivot ? 2000 : 1900;
    return core::TryEncodeDate(year, month, day, value);
}

bool TryStrToTime(std::u16string_view text, core::TDateTime& value)
{
    std::u16string_view s = TrimBlanks(text);
    const TDateFormatSettings& fs = DateFormatSettings();
    int ampm = 0; // 1 AM, 2 PM
    for (int k = 0; k < 2 && !ampm; ++k) {
        const std::u16string& marker = k == 0 ? fs.TimeAMString : fs.TimePMString;
        if (!marker.empty() && s.size() >= marker.size() &&
            StartsWithNoCase(s, s.size() - marker.size(), marker)) {
            ampm = k + 1;
            s = TrimBlanks(s.substr(0, s.size() - marker.size()));
        }
    }
    int msec = 0;
    if (const size_t dot = s.find(u'.'); dot != s.npos) {
        const std::u16string_view ms = s.substr(dot + 1);
        if (ms.empty() || ms.size() > 3)
            return false;
        for (char16_t c : ms) {
            if (c < u'0' || c > u'9')
                return false;
            msec = msec * 10 + (c - u'0');
        }
        for (size_t k = ms.size(); k < 3; ++k)
            msec *= 10;
        s = s.substr(0, dot);
    }
    std::vector<int> n, digits;
    if (!SplitNumbers(s, fs.TimeSeparator, n, digits) || n.size() > 3)
        return false;
    // A bare number is an hour only with an AM/PM marker; otherwise it is no time.
    if (n.size() == 1 && !ampm)
        return false;
    int hour = n[0];
    const int min = n.size() > 1 ? n[1] : 0;
    const int sec = n.size() > 2 ? n[2] : 0;
    if (ampm) {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + (ampm == 2 ? 12 : 0);
    }
    return core::TryEncodeTime(hour, min, sec, msec, value);
}

bool TryStrToDateTime(std::u16string_view text, core::TDateTime& value)
{
    const std::u16string_view s = TrimBlanks(text);
    if (TryStrToDate(s, value))
        return true;
    if (s.find(DateFormatSettings().DateSeparator) == s.npos)
        return TryStrToTime(s, value);
    const size_t blank = s.find_first_of(u" \t");
    if (blank == s.npos)
        return false;
    core::TDateTime date = 0, time = 0;
    if (!TryStrToDate(s.substr(0, blank), date) || !TryStrToTime(s.substr(blank + 1), time))
        return false;
    value = date >= 0 ? date + time : date - time;
    return true;
}

} // namespace data
