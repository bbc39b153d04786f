#include "pickers/date_text.h"

#include <array>
#include <ctime>
#include <memory>
#include <mutex>

#include <unicode/datefmt.h>
#include <unicode/dtfmtsym.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <fmt/format.h>

#include "core/exception.h"
#include "core/ustring.h"

namespace pickers {

namespace {

// Days from 1899-12-30 to 1970-01-01, the origin of ICU's UDate.
constexpr double kUnixEpochDay = 25569.0;

std::u16string ToU16(const icu::UnicodeString& s)
{
    return std::u16string(reinterpret_cast<const char16_t*>(s.getBuffer()), static_cast<size_t>(s.length()));
}

// Names and formats of one locale, built on first use.
struct TLocaleDateData {
    std::string Name;
    std::array<std::u16string, 12> LongMonthNames, ShortMonthNames;
    std::array<std::u16string, 8> LongDayNames, ShortDayNames; // 1 = Sunday
    std::unique_ptr<icu::DateFormat> ShortDate, LongDate;
};

std::mutex gLock;
std::string gLocaleName;
std::unique_ptr<TLocaleDateData> gData;

icu::Locale CurrentLocale()
{
    return gLocaleName.empty() ? icu::Locale::getDefault() : icu::Locale(gLocaleName.c_str());
}

// A date formatter on a proleptic Gregorian calendar in UTC, so that a day
// number maps to the same calendar day for every year.
std::unique_ptr<icu::DateFormat> MakeFormatter(icu::DateFormat::EStyle style, const icu::Locale& loc)
{
    std::unique_ptr<icu::DateFormat> f(icu::DateFormat::createDateInstance(style, loc));
    if (!f)
        return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    auto cal = std::make_unique<icu::GregorianCalendar>(icu::TimeZone::getGMT()->clone(), loc, status);
    if (U_FAILURE(status))
        return nullptr;
    cal->setGregorianChange(-1e300, status);
    f->adoptCalendar(cal.release());
    return f;
}

void CopyNames(const icu::UnicodeString* names, int32_t count, std::array<std::u16string, 12>& out)
{
    for (int32_t i = 0; i < count && i < 12; ++i)
        out[static_cast<size_t>(i)] = ToU16(names[i]);
}

TLocaleDateData& Data()
{
    if (gData && gData->Name == gLocaleName)
        return *gData;
    auto d = std::make_unique<TLocaleDateData>();
    d->Name = gLocaleName;
    const icu::Locale loc = CurrentLocale();
    UErrorCode status = U_ZERO_ERROR;
    icu::DateFormatSymbols sym(loc, status);
    if (U_SUCCESS(status)) {
        int32_t n = 0;
        using S = icu::DateFormatSymbols;
        const icu::UnicodeString* months = sym.getMonths(n, S::STANDALONE, S::WIDE);
        CopyNames(months, n, d->LongMonthNames);
        months = sym.getMonths(n, S::STANDALONE, S::ABBREVIATED);
        CopyNames(months, n, d->ShortMonthNames);
        // Weekday arrays are indexed by UCAL_SUNDAY (1) .. UCAL_SATURDAY (7).
        const icu::UnicodeString* days = sym.getWeekdays(n, S::STANDALONE, S::WIDE);
        for (int32_t i = 1; i < n && i < 8; ++i)
            d->LongDayNames[static_cast<size_t>(i)] = ToU16(days[i]);
        days = sym.getWeekdays(n, S::STANDALONE, S::ABBREVIATED);
        for (int32_t i = 1; i < n && i < 8; ++i)
            d->ShortDayNames[static_cast<size_t>(i)] = ToU16(days[i]);
    }
    d->ShortDate = MakeFormatter(icu::DateFormat::kShort, loc);
    d->LongDate = MakeFormatter(icu::DateFormat::kFull, loc);
    gData = std::move(d);
    return *gData;
}

std::u16string FormatWhole(icu::DateFormat* f, core::TDateTime date)
{
    if (!f)
        return {};
    icu::UnicodeString out;
    f->format((date - kUnixEpochDay) * 86400000.0, out);
    return ToU16(out);
}

std::u16string TwoDigits(int v)
{
    return core::FromUtf8(fmt::format("{:02d}", v));
}

} // namespace

void SetDateTextLocale(std::string_view localeName)
{
    std::lock_guard<std::mutex> guard(gLock);
    gLocaleName = std::string(localeName);
}

std::string DateTextLocale()
{
    std::lock_guard<std::mutex> guard(gLock);
    return gLocaleName;
}

std::u16string FormatDateToken(std::u16string_view token, core::TDateTime date)
{
    if (token.empty())
        return {};
    const char16_t letter = token[0] | 0x20; // ASCII lower case
    const size_t n = token.size();
    for (char16_t c : token)
        if ((c | 0x20) != letter)
            return std::u16string(token);
    if (letter != u'd' && letter != u'm' && letter != u'y')
        return std::u16string(token);
    const core::DateParts p = core::DecodeDate(date); // raises for NaN and out-of-range days

    std::lock_guard<std::mutex> guard(gLock);
    switch (letter) {
    case u'd':
        switch (n) {
        case 1: return core::IntToStr(p.Day);
        case 2: return TwoDigits(p.Day);
        case 3: return Data().ShortDayNames[static_cast<size_t>(core::DayOfWeek(date))];
        case 4: return Data().LongDayNames[static_cast<size_t>(core::DayOfWeek(date))];
        case 5: return FormatWhole(Data().ShortDate.get(), date);
        case 6: return FormatWhole(Data().LongDate.get(), date);
        default: break;
        }
        break;
    case u'm':
        switch (n) {
        case 1: return core::IntToStr(p.Month);
        case 2: return TwoDigits(p.Month);
        case 3: return Data().ShortMonthNames[static_cast<size_t>(p.Month - 1)];
        case 4: return Data().LongMonthNames[static_cast<size_t>(p.Month - 1)];
        default: break;
        }
        break;
    default:
        if (n <= 2)
            return TwoDigits(p.Year % 100);
        if (n == 4)
            return core::FromUtf8(fmt::format("{:04d}", p.Year));
        break;
    }
    return std::u16string(token);
}

std::u16string LocaleShortDateFormat()
{
    std::u16string pattern;
    {
        std::lock_guard<std::mutex> guard(gLock);
        auto* simple = dynamic_cast<icu::SimpleDateFormat*>(Data().ShortDate.get());
        if (simple) {
            icu::UnicodeString p;
            simple->toPattern(p);
            pattern = ToU16(p);
        }
    }
    if (pattern.empty())
        return u"dd/MM/yyyy";
    // ICU's "y" is the full year and "yy" two digits; "L" is a stand-alone
    // month. Quoted text and other fields are dropped, separators kept.
    std::u16string out;
    bool quoted = false;
    for (size_t i = 0; i < pattern.size();) {
        const char16_t c = pattern[i];
        if (c == u'\'') {
            quoted = !quoted;
            ++i;
            continue;
        }
        size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        if (quoted || !letter) {
            if (!letter)
                out.append(run, c);
        } else if (c == u'y' || c == u'Y') {
            out += run == 2 ? u"yy" : u"yyyy";
        } else if (c == u'M' || c == u'L') {
            out.append(run > 4 ? 4 : run, u'M');
        } else if (c == u'd') {
            out.append(run > 2 ? 2 : run, u'd');
        }
        i += run;
    }
    // Separators left at either end by dropped fields are trimmed.
    const auto isLetter = [](char16_t ch) { return (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z'); };
    while (!out.empty() && !isLetter(out.back()))
        out.pop_back();
    size_t start = 0;
    while (start < out.size() && !isLetter(out[start]))
        ++start;
    return out.substr(start);
}

core::TDate Today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return core::EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

} // namespace pickers
