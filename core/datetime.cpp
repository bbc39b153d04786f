#include "core/datetime.h"

#include <cmath>

#include "core/exception.h"

namespace core {

namespace {
constexpr int kDays[2][13] = {{0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                              {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};
const char* const kDateEncodeError = "Invalid argument to date encode";
const char* const kTimeEncodeError = "Invalid argument to time encode";
} // namespace

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    if (month < 1 || month > 12)
        return 0;
    return kDays[IsLeapYear(year) ? 1 : 0][month];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& out)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    int64_t d = day;
    const int leap = IsLeapYear(year) ? 1 : 0;
    for (int m = 1; m < month; ++m)
        d += kDays[leap][m];
    const int64_t y = year - 1;
    d += y * 365 + y / 4 - y / 100 + y / 400;
    out = static_cast<double>(d - DateDelta);
    return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& out)
{
    if (hour < 0 || hour >= 24 || min < 0 || min >= 60 || sec < 0 || sec >= 60 || msec < 0 || msec >= 1000)
        return false;
    out = static_cast<double>(((hour * 60 + min) * 60 + sec) * 1000 + msec) / static_cast<double>(MSecsPerDay);
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime r;
    if (!TryEncodeDate(year, month, day, r))
        throw EConvertError(std::string_view(kDateEncodeError));
    return r;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec)
{
    TDateTime r;
    if (!TryEncodeTime(hour, min, sec, msec, r))
        throw EConvertError(std::string_view(kTimeEncodeError));
    return r;
}

bool TryDecodeDate(TDateTime v, DateParts& out)
{
    if (!std::isfinite(v) || v < MinDateTime || v >= MaxDateTime + 1)
        return false;
    // Whole days from 0001-01-01 (= 1).
    int64_t t = static_cast<int64_t>(std::trunc(v)) + DateDelta;
    if (t <= 0)
        return false;
    int64_t d = t - 1;
    int64_t y = 1;
    const int64_t d400 = 146097, d100 = 36524, d4 = 1461;
    y += (d / d400) * 400;
    d %= d400;
    int64_t i = d / d100;
    if (i == 4)
        i = 3;
    y += i * 100;
    d -= i * d100;
    y += (d / d4) * 4;
    d %= d4;
    i = d / 365;
    if (i == 4)
        i = 3;
    y += i;
    d -= i * 365;
    const int leap = IsLeapYear(static_cast<int>(y)) ? 1 : 0;
    int m = 1;
    while (d >= kDays[leap][m]) {
        d -= kDays[leap][m];
        ++m;
    }
    out.Year = static_cast<int>(y);
    out.Month = m;
    out.Day = static_cast<int>(d + 1);
    return true;
}

bool TryDecodeTime(TDateTime v, TimeParts& out)
{
    if (!std::isfinite(v) || std::fabs(v) > 1e12)
        return false;
    double frac = std::fabs(v - std::trunc(v));
    int64_t ms = static_cast<int64_t>(std::llround(frac * static_cast<double>(MSecsPerDay)));
    if (ms >= MSecsPerDay)
        ms = MSecsPerDay - 1;
    out.MSec = static_cast<int>(ms % 1000);
    ms /= 1000;
    out.Sec = static_cast<int>(ms % 60);
    ms /= 60;
    out.Min = static_cast<int>(ms % 60);
    out.Hour = static_cast<int>(ms / 60);
    return true;
}

DateParts DecodeDate(TDateTime v)
{
    DateParts p;
    if (!TryDecodeDate(v, p))
        throw EConvertError(std::string_view(kDateEncodeError));
    return p;
}

TimeParts DecodeTime(TDateTime v)
{
    TimeParts p;
    if (!TryDecodeTime(v, p))
        throw EConvertError(std::string_view(kTimeEncodeError));
    return p;
}

int DayOfWeek(TDateTime v)
{
    const int64_t t = static_cast<int64_t>(std::trunc(v)) + DateDelta;
    return static_cast<int>(t % 7) + 1;
}

} // namespace core
