// Value encodings of form descriptions: integers, extended floats, strings,
// and the errors of damaged or hostile values.
#include <bit>
#include <cmath>
#include <limits>

#include "form_test_util.h"

using namespace components;
using namespace formtest;

namespace {

template <class F>
auto ReadFrom(const Bytes& bytes, F f)
{
    core::TBytesView s(bytes.data(), bytes.size());
    TBinaryReader r(s);
    return f(r);
}

TEST(FormValues, IntegersUseTheSmallestTagAndReadBack)
{
    const struct {
        int64_t Value;
        const char* Bytes;
    } cases[] = {
        {0, "02 00"},
        {127, "02 7F"},
        {-128, "02 80"},
        {-11, "02 F5"},
        {128, "03 80 00"},
        {-129, "03 7F FF"},
        {32767, "03 FF 7F"},
        {-32768, "03 00 80"},
        {32768, "04 00 80 00 00"},
        {-32769, "04 FF 7F FF FF"},
        {INT32_MAX, "04 FF FF FF 7F"},
        {INT32_MIN, "04 00 00 00 80"},
        {int64_t{INT32_MAX} + 1, "13 00 00 00 80 00 00 00 00"},
        {INT64_MIN, "13 00 00 00 00 00 00 00 80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Value);
        const Bytes bytes = Written([&](TBinaryWriter& w) { w.WriteInteger(c.Value); });
        EXPECT_EQ(Hex(bytes), Hex(B(c.Bytes)));
        EXPECT_EQ(ReadFrom(bytes, [](TBinaryReader& r) { return r.ReadInt64(); }), c.Value);
    }
}

TEST(FormValues, ScalarTagsReadAsTheirKind)
{
    EXPECT_EQ(ReadFrom(B("02 F5"), [](TBinaryReader& r) { return r.ReadInteger(); }), -11);
    EXPECT_EQ(ReadFrom(B("02 05"), [](TBinaryReader& r) { return r.ReadFloat(); }), 5.0);
    EXPECT_EQ(ReadFrom(B("15 00 00 00 00 00 00 F8 3F"), [](TBinaryReader& r) { return r.ReadFloat(); }), 1.5);
    EXPECT_EQ(ReadFrom(B("0F 00 00 C0 3F"), [](TBinaryReader& r) { return r.ReadSingle(); }), 1.5f);
    EXPECT_EQ(ReadFrom(B("10 50 C3 00 00 00 00 00 00"), [](TBinaryReader& r) { return r.ReadCurrency(); }), 50000);
    EXPECT_EQ(ReadFrom(B("02 05"), [](TBinaryReader& r) { return r.ReadCurrency(); }), 50000);
    EXPECT_EQ(ReadFrom(B("11 00 00 00 00 E0 CF E5 40"), [](TBinaryReader& r) { return r.ReadDate(); }), 44671.0);
    EXPECT_TRUE(ReadFrom(B("09"), [](TBinaryReader& r) { return r.ReadBoolean(); }));
    EXPECT_FALSE(ReadFrom(B("08"), [](TBinaryReader& r) { return r.ReadBoolean(); }));
    EXPECT_EQ(ReadFrom(B("0B 06 'fsBold' 08 'fsItalic' 00"), [](TBinaryReader& r) { return r.ReadSetNames(); }),
              (std::vector<std::u16string>{u"fsBold", u"fsItalic"}));
    EXPECT_EQ(ReadFrom(B("0A 03 00 00 00 01 02 03"), [](TBinaryReader& r) { return r.ReadBinary(); }),
              (std::vector<uint8_t>{1, 2, 3}));
    // Identifiers: the tag's bit 7 is ignored; booleans, nil and Null read as their names.
    const struct {
        const char* Bytes;
        std::u16string Ident;
    } idents[] = {{"07 09 'clBtnFace'", u"clBtnFace"}, {"87 02 'ab'", u"ab"}, {"08", u"False"},
                  {"09", u"True"}, {"0D", u"nil"}, {"00", u"Null"}};
    for (const auto& c : idents)
        EXPECT_EQ(ReadFrom(B(c.Bytes), [](TBinaryReader& r) { return r.ReadIdent(); }), c.Ident) << c.Bytes;
}

TEST(FormValues, OtherScalarsWriteTheirTags)
{
    EXPECT_EQ(Hex(Written([](TBinaryWriter& w) { w.WriteSingle(1.5f); })), "0F 00 00 C0 3F");
    EXPECT_EQ(Hex(Written([](TBinaryWriter& w) { w.WriteDouble(1.5); })), "15 00 00 00 00 00 00 F8 3F");
    EXPECT_EQ(Hex(Written([](TBinaryWriter& w) { w.WriteCurrency(50000); })), "10 50 C3 00 00 00 00 00 00");
    EXPECT_EQ(Hex(Written([](TBinaryWriter& w) { w.WriteDate(44671.0); })), "11 00 00 00 00 E0 CF E5 40");
    EXPECT_EQ(Hex(Written([](TBinaryWriter& w) { w.WriteBoolean(true); w.WriteBoolean(false); })), "09 08");
    EXPECT_EQ(Hex(Written([](TBinaryWriter& w) {
                  for (auto id : {u"clBtnFace", u"false", u"TRUE", u"null", u"Nil"})
                      w.WriteIdent(id);
              })),
              Hex(B("07 09 'clBtnFace' 08 09 00 0D")));
    EXPECT_EQ(Hex(Written([](TBinaryWriter& w) { w.WriteSet({}); })), "0B 00");
    EXPECT_EQ(Hex(Written([](TBinaryWriter& w) { w.WriteBinary("\x01\x02", 2); })), "0A 02 00 00 00 01 02");
    EXPECT_EQ(Hex(Written([](TBinaryWriter& w) { w.WritePrefix({TFilerFlag::ffInherited, TFilerFlag::ffChildPos}, 5); })),
              "F3 02 05");
    EXPECT_EQ(Hex(Written([](TBinaryWriter& w) { w.WritePrefix({}, 5); })), "");
    // A class name whose length byte would read as a prefix gets an empty prefix.
    const Bytes header = Written([](TBinaryWriter& w) { w.WriteRecordHeader({}, 0, std::u16string(240, u'C'), u"n"); });
    EXPECT_EQ(Hex(Bytes(header.begin(), header.begin() + 3)), "F0 F0 43");
    EXPECT_EQ(Hex(Written([](TBinaryWriter& w) { w.WriteRecordHeader({}, 0, u"T", u"n"); })), "01 54 01 6E");
    // So does an empty class name, which would read as the end of a list.
    EXPECT_EQ(Hex(Written([](TBinaryWriter& w) { w.WriteRecordHeader({}, 0, u"", u"n"); })), "F0 00 01 6E");
}

uint64_t Bits(double d) { return std::bit_cast<uint64_t>(d); }

TEST(FormValues, DoublesConvertExactlyToExtendedAndBack)
{
    const struct {
        double Value;
        const char* Bytes;
    } cases[] = {
        {44671.0, "00 00 00 00 00 00 7F AE 0E 40"},
        {1.0, "00 00 00 00 00 00 00 80 FF 3F"},
        {-2.0, "00 00 00 00 00 00 00 80 00 C0"},
        {0.0, "00 00 00 00 00 00 00 00 00 00"},
        {-0.0, "00 00 00 00 00 00 00 00 00 80"},
        {std::numeric_limits<double>::infinity(), "00 00 00 00 00 00 00 80 FF 7F"},
        {-std::numeric_limits<double>::infinity(), "00 00 00 00 00 00 00 80 FF FF"},
        {std::numeric_limits<double>::quiet_NaN(), "00 00 00 00 00 00 00 C0 FF 7F"},
        {std::numeric_limits<double>::max(), "00 F8 FF FF FF FF FF FF FE 43"},
        {std::numeric_limits<double>::min(), "00 00 00 00 00 00 00 80 01 3C"},
        {std::numeric_limits<double>::denorm_min(), "00 00 00 00 00 00 00 80 CD 3B"},
        {std::bit_cast<double>(uint64_t{0x000FFFFFFFFFFFFF}), "00 F0 FF FF FF FF FF FF 00 3C"},
        {0.1, "00 D0 CC CC CC CC CC CC FB 3F"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Bytes);
        uint8_t ext[10];
        DoubleToExtended(c.Value, ext);
        EXPECT_EQ(Hex(Bytes(ext, ext + 10)), Hex(B(c.Bytes)));
        const auto back = ExtendedToDouble(ext);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(Bits(*back), Bits(c.Value));
    }
    // A signalling NaN keeps its payload both ways.
    const double snan = std::bit_cast<double>(uint64_t{0x7FF0000000000801});
    uint8_t ext[10];
    DoubleToExtended(snan, ext);
    EXPECT_EQ(Bits(*ExtendedToDouble(ext)), Bits(snan));
}

TEST(FormValues, ExtendedValuesRoundOrFailOutsideDoubleRange)
{
    const struct {
        const char* Bytes;
        std::optional<double> Value; // none: outside the range of double
    } cases[] = {
        {"00 00 00 00 00 00 00 80 FF 43", std::nullopt},            // 2^1024
        {"00 00 00 00 00 00 00 80 FE 7F", std::nullopt},            // about 1e4932
        {"00 FC FF FF FF FF FF FF FE 43", std::nullopt},            // rounds up past the largest double
        {"00 00 00 00 00 00 00 80 C8 3B", std::nullopt},            // 2^-1079
        {"01 00 00 00 00 00 00 00 00 00", std::nullopt},            // extended denormal
        {"00 00 00 00 00 00 00 80 CC 3B", std::nullopt},            // 2^-1075 rounds to even: 0
        {"00 00 00 00 00 00 00 C0 CC 3B", std::numeric_limits<double>::denorm_min()}, // 1.5 * 2^-1075
        {"08 00 00 00 00 00 00 80 FF 3F", 1.0},                     // 1 + 2^-60
        {"00 04 00 00 00 00 00 80 FF 3F", 1.0},                     // tie, even stays
        {"00 0C 00 00 00 00 00 80 FF 3F", 1.0 + 2 * std::numeric_limits<double>::epsilon()}, // tie, odd rounds up
        {"00 00 00 00 00 00 00 40 FF 3F", 0.5},                     // unnormal
        {"00 00 00 00 00 00 00 00 55 15", 0.0},                     // pseudo-zero
        {"00 00 00 00 00 00 00 00 FF 7F", std::numeric_limits<double>::infinity()}, // pseudo-infinity
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Bytes);
        const Bytes b = B(c.Bytes);
        const auto v = ExtendedToDouble(b.data());
        ASSERT_EQ(v.has_value(), c.Value.has_value());
        if (v) {
            EXPECT_EQ(Bits(*v), Bits(*c.Value));
        }
    }
    // Through the reader: an out-of-range value is an invalid property value.
    EXPECT_EQ(ErrorOf([] { ReadFrom(B("05 00 00 00 00 00 00 00 80 FE 7F"), [](TBinaryReader& r) { return r.ReadFloat(); }); }),
              "Invalid property value");
    const double nan = ReadFrom(B("05 00 00 00 00 00 00 00 C0 FF FF"), [](TBinaryReader& r) { return r.ReadFloat(); });
    EXPECT_TRUE(std::isnan(nan));
}

TEST(FormValues, StringsUseTheMostCompactEncoding)
{
    const struct {
        std::u16string Text;
        std::string Bytes;
    } cases[] = {
        {u"Tahoma", "06 06 'Tahoma'"},
        {u"café", "14 05 00 00 00 'caf' C3 A9"},
        {u"é", "12 01 00 00 00 E9 00"},
        {u"中文", "12 02 00 00 00 2D 4E 87 65"},
        {u"", "12 00 00 00 00"},
        {u"a\xD800", "12 02 00 00 00 61 00 00 D8"}, // a lone surrogate stays UTF-16
        {u"\U0001F600x", "14 05 00 00 00 F0 9F 98 80 'x'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Bytes);
        const Bytes bytes = Written([&](TBinaryWriter& w) { w.WriteString(c.Text); });
        EXPECT_EQ(Hex(bytes), Hex(B(c.Bytes)));
        EXPECT_EQ(ReadFrom(bytes, [](TBinaryReader& r) { return r.ReadString(); }), c.Text);
    }
    const std::u16string longText(300, u'a');
    const Bytes bytes = Written([&](TBinaryWriter& w) { w.WriteString(longText); });
    EXPECT_EQ(Hex(Bytes(bytes.begin(), bytes.begin() + 5)), "0C 2C 01 00 00");
    EXPECT_EQ(ReadFrom(bytes, [](TBinaryReader& r) { return r.ReadString(); }), longText);
}

TEST(FormValues, StringsDecodeEachTagAndMalformedUtf8)
{
    const struct {
        std::string Bytes;
        std::u16string Text;
    } cases[] = {
        {"06 03 'abc'", u"abc"},
        {"06 03 80 E9 9F", u"€éŸ"}, // the ANSI code page
        {"0C 02 00 00 00 'hi'", u"hi"},
        {"12 01 00 00 00 3D D8", u"\xD83D"},
        {"14 03 00 00 00 C3 28 'A'", u"\xFFFD(A"},       // invalid continuation
        {"14 02 00 00 00 'A' E2", u"A\xFFFD"},           // sequence cut by the end of the string
        {"14 03 00 00 00 E2 82 06", u"\xFFFD\x06"},      // cut sequence followed by a plain byte
        {"14 02 00 00 00 C0 80", u"\xFFFD\xFFFD"},       // overlong
        {"14 03 00 00 00 ED A0 80", u"\xFFFD\xFFFD\xFFFD"}, // encoded surrogate
        {"14 04 00 00 00 F4 90 80 80", u"\xFFFD\xFFFD\xFFFD\xFFFD"}, // beyond U+10FFFF
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Bytes);
        const Bytes bytes = B(c.Bytes);
        core::TBytesView s(bytes.data(), bytes.size());
        TBinaryReader r(s);
        EXPECT_EQ(r.ReadString(), c.Text);
        EXPECT_EQ(r.Position(), static_cast<int64_t>(bytes.size())); // nothing read past the string
    }
    // Short strings (names) cut at a character boundary.
    EXPECT_EQ(ReadFrom(B("03 'A' C3 A9"), [](TBinaryReader& r) { return r.ReadStr(); }), u"Aé");
    const std::u16string longName = std::u16string(254, u'x') + u"é";
    const Bytes name = Written([&](TBinaryWriter& w) { w.WriteStr(longName); });
    EXPECT_EQ(name.size(), 255u); // 254 bytes: the two-byte character does not fit
    EXPECT_EQ(name[0], 254);
    EXPECT_EQ(Written([&](TBinaryWriter& w) { w.WriteStr(std::u16string(300, u'n')); }).size(), 256u);
}

TEST(FormValues, DamagedValuesGiveClearErrors)
{
    using Reader = std::function<void(TBinaryReader&)>;
    const Reader readInt = [](TBinaryReader& r) { r.ReadInteger(); };
    const Reader readFloat = [](TBinaryReader& r) { r.ReadFloat(); };
    const Reader readString = [](TBinaryReader& r) { r.ReadString(); };
    const Reader skip = [](TBinaryReader& r) { r.SkipValue(); };
    const Reader signature = [](TBinaryReader& r) { r.ReadSignature(); };
    const struct {
        const char* Name;
        std::string Bytes;
        Reader Read;
        const char* Message;
    } cases[] = {
        {"wrong signature", "'TPF1' 00", signature, "Invalid stream format"},
        {"short signature", "'TP'", signature, "Invalid stream format"},
        {"empty", "", readInt, "Stream read error"},
        {"integer cut", "04 01 02", readInt, "Stream read error"},
        {"string for an integer", "06 01 'a'", readInt, "Invalid property value"},
        {"single for a float", "0F 00 00 C0 3F", readFloat, "Invalid property value"},
        {"string past the end", "06 05 'ab'", readString, "Stream read error"},
        {"huge long string", "0C FF FF FF FF 'abc'", readString, "Stream read error"},
        {"huge wide string", "12 00 00 00 80 'abcd'", readString, "Stream read error"},
        {"huge utf-8 string", "14 10 00 00 00 'abcd'", readString, "Stream read error"},
        {"huge binary", "0A FF FF FF 7F 00", skip, "Stream read error"},
        {"unknown tag", "16", skip, "Invalid property value"},
        {"unknown identifier tag", "06 01 'a'", [](TBinaryReader& r) { r.ReadIdent(); }, "Invalid property value"},
        {"two characters", "06 02 'ab'", [](TBinaryReader& r) { r.ReadChar(); }, "Invalid property value"},
        {"currency overflow", "13 00 00 00 00 00 00 00 40", [](TBinaryReader& r) { r.ReadCurrency(); },
         "Invalid property value"},
        {"set cut", "0B 03 'ab'", skip, "Stream read error"},
        {"list not ended", "01 02 01", skip, "Stream read error"},
        {"collection item without list", "0E 02 00 06 00", skip, "Invalid property value"},
        {"binary expected", "02 01", [](TBinaryReader& r) { r.ReadBinary(); }, "Invalid property value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const Bytes bytes = B(c.Bytes);
        EXPECT_EQ(ErrorOf([&] { ReadFrom(bytes, [&](TBinaryReader& r) { c.Read(r); return 0; }); }), c.Message);
    }
}

TEST(FormValues, NestingDeeperThanTheLimitIsRejected)
{
    Bytes deep(static_cast<size_t>(kMaxFormNesting) + 1, 0x01);
    deep.insert(deep.end(), deep.size(), 0x00);
    EXPECT_EQ(ErrorOf([&] { ReadFrom(deep, [](TBinaryReader& r) { r.SkipValue(); return 0; }); }), "Invalid stream format");
    Bytes fits(static_cast<size_t>(kMaxFormNesting), 0x01);
    fits.insert(fits.end(), fits.size(), 0x00);
    EXPECT_EQ(ErrorOf([&] { ReadFrom(fits, [](TBinaryReader& r) { r.SkipValue(); return 0; }); }), "");
}

TEST(FormValues, PrefixesCarryFlagsAndChildPosition)
{
    const struct {
        const char* Bytes;
        uint64_t Flags;
        int32_t Pos;
    } cases[] = {{"06", 0, 0}, {"F1 06", 1, 0}, {"F2 02 05 06", 2, 5}, {"F4 06", 4, 0}, {"F8 06", 0, 0},
                 {"FF 03 00 01 06", 7, 256}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Bytes);
        const Bytes bytes = B(c.Bytes);
        core::TBytesView s(bytes.data(), bytes.size());
        TBinaryReader r(s);
        int32_t pos = -1;
        EXPECT_EQ(r.ReadPrefix(pos).Bits(), c.Flags);
        EXPECT_EQ(pos, c.Pos);
        EXPECT_EQ(r.ReadByte(), 0x06);
    }
}

TEST(FormValues, ReaderLeavesTheStreamAfterWhatItConsumed)
{
    const Bytes bytes = B("02 05 'rest'");
    core::TBytesView s(bytes.data(), bytes.size());
    {
        TBinaryReader r(s);
        EXPECT_EQ(r.ReadInteger(), 5);
    }
    EXPECT_EQ(s.Position(), 2);
}

} // namespace
