// Date and time text of the date-time fields: format strings and the parsers
// for typed text, with the default settings and with changed ones.
#include <gtest/gtest.h>

#include "core/exception.h"
#include "core/ustring.h"
#include "data/field_date_text.h"

using namespace data;

namespace {

// Restores the settings a test changes.
struct SettingsGuard {
    TDateFormatSettings Saved = DateFormatSettings();
    ~SettingsGuard() { DateFormatSettings() = Saved; }
};

} // namespace

TEST(DateText, FormatTable)
{
    const core::TDateTime when = core::EncodeDate(2022, 4, 20) + core::EncodeTime(13, 5, 9, 42);
    struct Case {
        const char16_t* Format;
        const char16_t* Expected;
    };
    const Case cases[] = {
        {u"c", u"20/04/2022 13:05:09"},
        {u"", u"20/04/2022 13:05:09"},
        {u"ddddd", u"20/04/2022"},
        {u"d/m/yy", u"20/4/22"},
        {u"DD-MM-YYYY", u"20-04-2022"},
        {u"ddd dddd", u"Wed Wednesday"},
        {u"mmm mmmm", u"Apr April"},
        {u"hh:mm", u"13:05"}, // m after h is minutes
        {u"h:nn:ss.zzz", u"13:05:09.042"},
        {u"h:nn am/pm", u"1:05 pm"},
        {u"hh:nn ampm", u"01:05 PM"},
        {u"t", u"13:05"},
        {u"tt", u"13:05:09"},
        {u"yyyy'mm'dd", u"2022mm20"},
        {u"\"at\" hh", u"at 13"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(core::ToUtf8(FormatDateTime(c.Format, when)), core::ToUtf8(c.Expected)) << core::ToUtf8(c.Format);
    EXPECT_EQ(FormatDateTime(u"c", core::EncodeDate(2022, 4, 20)), u"20/04/2022");
    EXPECT_THROW(FormatDateTime(u"c", 1e12), core::Exception);
}

TEST(DateText, ParseTable)
{
    struct Case {
        const char16_t* Text;
        int Kind; // 0 date, 1 time, 2 date and time
        bool Ok;
        core::TDateTime Expected;
    };
    const core::TDateTime d = core::EncodeDate(2022, 4, 20);
    const Case cases[] = {
        {u"20/04/2022", 0, true, d},
        {u"  20/4/2022  ", 0, true, d},
        {u"20/04/22", 0, true, d},
        {u"1/1/50", 0, true, core::EncodeDate(1950, 1, 1)},
        {u"1/1/49", 0, true, core::EncodeDate(2049, 1, 1)},
        {u"31/04/2022", 0, false, 0},
        {u"20/04", 0, true, -1}, // this year: checked below
        {u"20.04.2022", 0, false, 0},
        {u"20/04/2022/1", 0, false, 0},
        {u"/04/2022", 0, false, 0},
        {u"9999999999/1/1", 0, false, 0},
        {u"", 0, false, 0},
        {u"13:05", 1, true, core::EncodeTime(13, 5, 0, 0)},
        {u"13:05:09.5", 1, true, core::EncodeTime(13, 5, 9, 500)},
        {u"12 am", 1, true, 0},
        {u"12:30 PM", 1, true, core::EncodeTime(12, 30, 0, 0)},
        {u"13 PM", 1, false, 0},
        {u"13", 1, false, 0},
        {u"13:60", 1, false, 0},
        {u"1:2:3:4", 1, false, 0},
        {u"20/04/2022 13:05", 2, true, d + core::EncodeTime(13, 5, 0, 0)},
        {u"13:05", 2, true, core::EncodeTime(13, 5, 0, 0)},
        {u"20/04/2022 x", 2, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(core::ToUtf8(c.Text));
        core::TDateTime v = -99;
        const bool ok = c.Kind == 0 ? TryStrToDate(c.Text, v) : c.Kind == 1 ? TryStrToTime(c.Text, v)
                                                                           : TryStrToDateTime(c.Text, v);
        EXPECT_EQ(ok, c.Ok);
        if (ok && c.Expected >= 0) {
            EXPECT_NEAR(v, c.Expected, 1e-9);
        }
        if (ok && c.Expected < 0) {
            EXPECT_EQ(core::DecodeDate(v).Day, 20);
        }
    }
}

TEST(DateText, OtherSettingsChangeOrderAndSeparators)
{
    SettingsGuard guard;
    DateFormatSettings().ShortDateFormat = u"yyyy-mm-dd";
    DateFormatSettings().DateSeparator = u'-';
    core::TDateTime v = 0;
    ASSERT_TRUE(TryStrToDate(u"2022-04-20", v));
    EXPECT_EQ(v, core::EncodeDate(2022, 4, 20));
    EXPECT_FALSE(TryStrToDate(u"20/04/2022", v));
    EXPECT_EQ(FormatDateTime(u"ddddd", v), u"2022-04-20");
    EXPECT_EQ(FormatDateTime(u"yyyy/mm/dd", v), u"2022-04-20"); // "/" is the date separator
}
