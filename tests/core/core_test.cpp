#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/closure.h"
#include "core/color.h"
#include "core/datetime.h"
#include "core/exception.h"
#include "core/variant.h"

using namespace core;

TEST(UString, Utf8RoundTripAndMalformedInput)
{
    const std::u16string s = u"Größe \U0001F600";
    EXPECT_EQ(FromUtf8(ToUtf8(s)), s);
    // A cut sequence and a lone surrogate become U+FFFD instead of vanishing.
    EXPECT_EQ(FromUtf8("a\xC3"), u"a\uFFFD");
    EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(UString, CaseInsensitiveComparison)
{
    EXPECT_TRUE(SameText(u"Button1", u"BUTTON1"));
    EXPECT_TRUE(SameText(u"größe", u"GRÖSSE") || !SameText(u"größe", u"GRÖSSE")); // folding is ICU's
    EXPECT_FALSE(SameText(u"a", u"b"));
    EXPECT_LT(CompareText(u"abc", u"ABD"), 0);
}

TEST(UString, FormatAcceptsUtf16Arguments)
{
    EXPECT_EQ(Format("{}: {}", ToUtf8(u"Form1"), 42), u"Form1: 42");
}

TEST(Exception, CarriesMessageAndClassName)
{
    try {
        Raise<EConvertError>("'{}' is not a valid integer value", "4a");
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), u"'4a' is not a valid integer value");
        EXPECT_STREQ(e.ClassName(), "EConvertError");
    }
    EXPECT_THROW(Abort(), EAbort);
}

struct Receiver {
    int Hits = 0;
    void OnEvent(int n) { Hits += n; }
    void Other(int) {}
};

TEST(Closure, EqualByObjectAndMethod)
{
    Receiver a, b;
    Closure<void(int)> e1(&a, &Receiver::OnEvent), e2(&a, &Receiver::OnEvent), e3(&b, &Receiver::OnEvent),
        e4(&a, &Receiver::Other), none;
    EXPECT_EQ(e1, e2);
    EXPECT_NE(e1, e3);
    EXPECT_NE(e1, e4);
    EXPECT_FALSE(none);
    EXPECT_EQ(none, nullptr);
    none(5); // unassigned: does nothing
    e1(3);
    EXPECT_EQ(a.Hits, 3);
    auto l1 = Closure<int()>::Bind(&a, [] { return 7; });
    auto l2 = l1;
    EXPECT_EQ(l1, l2);
    EXPECT_NE(l1, Closure<int()>::Bind(&a, [] { return 7; }));
    EXPECT_EQ(l1(), 7);
}

TEST(DateTime, EncodeDecodeAndRange)
{
    EXPECT_EQ(EncodeDate(2022, 4, 20), 44671.0);
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1, 1, 1), MinDateTime);
    const struct {
        int y, m, d;
    } good[] = {{2024, 2, 29}, {1, 1, 1}, {9999, 12, 31}, {1900, 3, 1}, {2000, 2, 29}};
    for (auto c : good) {
        auto p = DecodeDate(EncodeDate(c.y, c.m, c.d));
        EXPECT_EQ(p.Year, c.y);
        EXPECT_EQ(p.Month, c.m);
        EXPECT_EQ(p.Day, c.d);
    }
    for (auto c : {std::array{2023, 2, 29}, std::array{1900, 2, 29}, std::array{0, 1, 1}, std::array{2022, 13, 1}}) {
        try {
            EncodeDate(c[0], c[1], c[2]);
            ADD_FAILURE();
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), u"Invalid argument to date encode");
        }
    }
    EXPECT_THROW(DecodeDate(std::numeric_limits<double>::quiet_NaN()), EConvertError);
    EXPECT_THROW(DecodeDate(1e300), EConvertError);
    EXPECT_EQ(DayOfWeek(EncodeDate(2022, 4, 20)), 4); // a Wednesday
    auto t = DecodeTime(EncodeTime(14, 30, 5, 123));
    EXPECT_EQ(t.Hour * 10000000 + t.Min * 100000 + t.Sec * 1000 + t.MSec, 143005123);
}

TEST(Color, IdentifierTables)
{
    EXPECT_EQ(IdentToColor("clbtnface"), clBtnFace);
    EXPECT_EQ(ColorToIdent(clWindowText), "clWindowText");
    EXPECT_EQ(ColorToIdent(0x123456), std::nullopt);
    EXPECT_EQ(static_cast<uint32_t>(clBtnFace), 0xFF00000Fu);
    EXPECT_EQ(IdentToCharset("DEFAULT_CHARSET"), 1);
    EXPECT_EQ(CharsetToIdent(255), "OEM_CHARSET");
}

TEST(Variant, Conversions)
{
    EXPECT_EQ(VarToStr(Variant(int32_t(42))), u"42");
    EXPECT_EQ(VarToStr(Null()), u"");
    EXPECT_EQ(VarToInt64(Variant(std::u16string(u" 17 "))), 17);
    EXPECT_THROW(VarToInt64(Variant(std::u16string(u"4a"))), EConvertError);
    EXPECT_THROW(VarToInt64(Variant(std::numeric_limits<double>::infinity())), EConvertError);
    EXPECT_TRUE(VarIsNull(Null()));
    EXPECT_TRUE(VarIsEmpty(Variant()));
}
