#pragma once
// TDateTime: days since 1899-12-30 as a double, the fraction being the time
// of day. Negative values count backwards; the fraction's magnitude is still
// the time of day (-1.25 is 1899-12-29 06:00).
#include <cstdint>

namespace core {

using TDateTime = double;
using TDate = double;
using TTime = double;

constexpr int64_t MSecsPerDay = 86'400'000;
// Days from 0001-01-01 (day 1) to 1899-12-30.
constexpr int32_t DateDelta = 693594;
constexpr double MinDateTime = -693593.0;        // 0001-01-01
constexpr double MaxDateTime = 2958465.99999999; // 9999-12-31 23:59:59.999

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

bool TryEncodeDate(int year, int month, int day, TDateTime& out);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& out);
// Raise EConvertError "Invalid argument to date encode" / "... time encode".
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec);

struct DateParts {
    int Year = 0, Month = 0, Day = 0;
};
struct TimeParts {
    int Hour = 0, Min = 0, Sec = 0, MSec = 0;
};
// Fail (return false) for NaN, infinities and values outside 0001..9999.
bool TryDecodeDate(TDateTime v, DateParts& out);
bool TryDecodeTime(TDateTime v, TimeParts& out);
// Raise EConvertError "Invalid argument to date encode" for values that name no date.
DateParts DecodeDate(TDateTime v);
TimeParts DecodeTime(TDateTime v);

// Day of the week, 1 = Sunday .. 7 = Saturday.
int DayOfWeek(TDateTime v);

} // namespace core
