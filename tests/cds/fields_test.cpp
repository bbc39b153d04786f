// Every field class over a client dataset made with CreateDataSet: the class
// each engine type gets, sizes and display defaults, text conversions with
// their exact messages, typed values through post and reopen, blobs.
#include <cmath>
#include <functional>

#include "cds_fixture.h"
#include "components/classes.h"
#include "data/register_data_classes.h"
#include "data/field_bcd.h"
#include "data/field_binary.h"
#include "data/field_blob.h"
#include "data/field_boolean.h"
#include "data/field_date_text.h"
#include "data/field_datetime.h"
#include "data/field_numbers.h"
#include "data/field_text.h"
#include "support/error_of.h"

using namespace data;

namespace {

struct Column {
    const char16_t* Name;
    TFieldType Type;
    int Size;
    int Precision;
};

const Column Columns[] = {
    {u"i", TFieldType::ftInteger, 0, 0},      {u"s", TFieldType::ftString, 50, 0},
    {u"sm", TFieldType::ftSmallint, 0, 0},    {u"w", TFieldType::ftWord, 0, 0},
    {u"b", TFieldType::ftBoolean, 0, 0},      {u"f", TFieldType::ftFloat, 0, 0},
    {u"cur", TFieldType::ftCurrency, 0, 0},   {u"bcd", TFieldType::ftBCD, 2, 8},
    {u"d", TFieldType::ftDate, 0, 0},         {u"t", TFieldType::ftTime, 0, 0},
    {u"dt", TFieldType::ftDateTime, 0, 0},    {u"byt", TFieldType::ftBytes, 4, 0},
    {u"vb", TFieldType::ftVarBytes, 6, 0},    {u"blob", TFieldType::ftBlob, 0, 0},
    {u"memo", TFieldType::ftMemo, 0, 0},      {u"gr", TFieldType::ftGraphic, 0, 0},
    {u"ws", TFieldType::ftWideString, 10, 0}, {u"big", TFieldType::ftLargeint, 0, 0},
    {u"guid", TFieldType::ftGuid, 38, 0},     {u"ts", TFieldType::ftTimeStamp, 0, 0},
    {u"fmt", TFieldType::ftFMTBcd, 4, 12},    {u"wmemo", TFieldType::ftWideMemo, 0, 0},
    {u"lw", TFieldType::ftLongWord, 0, 0},    {u"sh", TFieldType::ftShortint, 0, 0},
    {u"by", TFieldType::ftByte, 0, 0},        {u"ext", TFieldType::ftExtended, 0, 0},
    {u"sg", TFieldType::ftSingle, 0, 0},      {u"ai", TFieldType::ftAutoInc, 0, 0},
};

struct AllTypes {
    components::TComponent Owner{nullptr};
    TClientDataSet* DS;

    AllTypes()
    {
        DS = new TClientDataSet(&Owner);
        DS->SetName(u"ClientDataSet1");
        for (const Column& c : Columns) {
            TFieldDef* def = DS->FieldDefs().Add(c.Name, c.Type, c.Size);
            def->SetPrecision(c.Precision);
        }
        DS->CreateDataSet();
    }
    TField* F(const char16_t* name) const { return DS->FieldByName(name); }
};

using test_support::ErrorOf;

} // namespace

TEST(ClientDataSetFields, EachEngineTypeGetsItsFieldClass)
{
    AllTypes t;
    struct Case {
        const char16_t* Field;
        const char* ClassName;
        TFieldType Type;
        int DataSize;
        int DisplayWidth;
        TAlignment Alignment;
    };
    using enum TFieldType;
    const auto L = TAlignment::taLeftJustify, R = TAlignment::taRightJustify;
    const Case cases[] = {
        {u"i", "TIntegerField", ftInteger, 4, 10, R},          {u"s", "TStringField", ftString, 51, 50, L},
        {u"sm", "TSmallintField", ftSmallint, 2, 10, R},       {u"w", "TWordField", ftWord, 2, 10, R},
        {u"b", "TBooleanField", ftBoolean, 2, 5, L},           {u"f", "TFloatField", ftFloat, 8, 10, R},
        {u"cur", "TCurrencyField", ftCurrency, 8, 10, R},      {u"bcd", "TBCDField", ftBCD, 34, 9, R},
        {u"d", "TDateField", ftDate, 4, 10, L},                {u"t", "TTimeField", ftTime, 4, 10, L},
        {u"dt", "TDateTimeField", ftDateTime, 8, 18, L},       {u"byt", "TBytesField", ftBytes, 4, 10, L},
        {u"vb", "TVarBytesField", ftVarBytes, 8, 10, L},       {u"blob", "TBlobField", ftBlob, 0, 10, L},
        {u"memo", "TMemoField", ftMemo, 0, 10, L},             {u"gr", "TGraphicField", ftGraphic, 0, 10, L},
        {u"ws", "TWideStringField", ftWideString, 22, 10, L},  {u"big", "TLargeintField", ftLargeint, 8, 15, R},
        {u"guid", "TGuidField", ftGuid, 39, 38, L},            {u"ts", "TSQLTimeStampField", ftTimeStamp, 16, 34, L},
        {u"fmt", "TFMTBCDField", ftFMTBcd, 34, 13, R},         {u"wmemo", "TWideMemoField", ftWideMemo, 0, 10, L},
        {u"lw", "TLongWordField", ftLongWord, 4, 10, R},       {u"sh", "TShortintField", ftShortint, 1, 10, R},
        {u"by", "TByteField", ftByte, 1, 10, R},               {u"ext", "TExtendedField", ftExtended, 10, 10, R},
        {u"sg", "TSingleField", ftSingle, 4, 10, R},           {u"ai", "TAutoIncField", ftAutoInc, 4, 10, R},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(core::ToUtf8(c.Field));
        TField* f = t.F(c.Field);
        EXPECT_EQ(core::ToUtf8(f->ClassName()), c.ClassName);
        EXPECT_EQ(f->DataType(), c.Type);
        EXPECT_EQ(f->DataSize(), c.DataSize);
        EXPECT_EQ(f->DisplayWidth(), c.DisplayWidth);
        EXPECT_EQ(f->Alignment(), c.Alignment);
        EXPECT_TRUE(f->IsNull());
    }
}

TEST(ClientDataSetFields, TextConversionTable)
{
    AllTypes t;
    struct Case {
        const char16_t* Field;
        std::u16string Input;
        std::string Expected; // AsString afterwards, or the exact message
        bool Raises;
    };
    const std::u16string sixty(60, u'n');
    const std::string fifty(50, 'n');
    const Case cases[] = {
        // integers
        {u"i", u" 42", "42", false},
        {u"i", u"$1F", "31", false},
        {u"i", u"4a", "'4a' is not a valid integer value for field 'i'", true},
        {u"sm", u"40000", "40000 is not a valid value for field 'sm'. The allowed range is -32768 to 32767", true},
        {u"w", u"-1", "-1 is not a valid value for field 'w'. The allowed range is 0 to 65535", true},
        {u"sh", u"-129", "-129 is not a valid value for field 'sh'. The allowed range is -128 to 127", true},
        {u"by", u"255", "255", false},
        {u"big", u"-9223372036854775808", "-9223372036854775808", false},
        {u"big", u"$7FFFFFFFFFFFFFFF", "9223372036854775807", false},
        {u"big", u"9223372036854775808", "'9223372036854775808' is not a valid integer value for field 'big'", true},
        {u"lw", u"4294967295", "4294967295", false},
        {u"lw", u"-1", "-1 is not a valid value for field 'lw'. The allowed range is 0 to 4294967295", true},
        {u"lw", u"4294967296", "'4294967296' is not a valid integer value for field 'lw'", true},
        // strings: 8-bit text cut at Size, 16-bit text cut at Size characters
        {u"s", sixty, fifty, false},
        {u"s", u"", "", false},
        {u"s", u"Jo\u00e3o \u20ac \u4e2d", "Jo\u00e3o \u20ac ?", false}, // 8-bit text in code page 1252
        {u"ws", u"\u00e7\u00e3o \u4e2d\u6587 0123456789", "\u00e7\u00e3o \u4e2d\u6587 012", false},
        // booleans: a beginning of either text, letter case ignored
        {u"b", u"True", "True", false},
        {u"b", u"f", "False", false},
        {u"b", u"TR", "True", false},
        {u"b", u"", "", false},
        {u"b", u"yes", "'yes' is not a valid boolean value for field 'b'", true},
        {u"b", u"Truest", "'Truest' is not a valid boolean value for field 'b'", true},
        // floating point
        {u"f", u"1.5", "1.5", false},
        {u"f", u" -2.25e3 ", "-2250", false},
        {u"f", u"1,5", "'1,5' is not a valid floating point value for field 'f'", true},
        {u"cur", u"12.345", "12.345", false},
        {u"sg", u"0.1", "0.1", false},
        {u"sg", u"1e39", "1e+39 is not a valid value for field 'sg'. The allowed range is -3.40282346638529e+38 to "
                         "3.40282346638529e+38", true},
        {u"ext", u"-0.000125", "-0.000125", false},
        // decimals: rounded to Size places, whole digits limited by the precision
        {u"bcd", u"123456.785", "123456.79", false},
        {u"bcd", u"-0.5", "-0.5", false},
        {u"bcd", u"1234567", "1234567 is not a valid value for field 'bcd'. The allowed range is -999999.99 to "
                             "999999.99", true},
        {u"bcd", u"12a", "'12a' is not a valid floating point value for field 'bcd'", true},
        {u"fmt", u"12345678.12345", "12345678.1235", false},
        // dates and times in the default formats
        {u"d", u"20/04/2022", "20/04/2022", false},
        {u"d", u" 1/2/99", "01/02/1999", false},
        {u"d", u"29/02/2023", "'29/02/2023' is not a valid date", true},
        {u"d", u"2022-04-20", "'2022-04-20' is not a valid date", true},
        {u"t", u"13:05", "13:05:00", false},
        {u"t", u"1:05:09 PM", "13:05:09", false},
        {u"t", u"24:00", "'24:00' is not a valid time", true},
        {u"dt", u"20/04/2022 08:30:15", "20/04/2022 08:30:15", false},
        {u"dt", u"20/04/2022", "20/04/2022", false},
        {u"dt", u"20/04/2022 25:00", "'20/04/2022 25:00' is not a valid date and time", true},
        {u"ts", u"31/12/9999 23:59:59", "31/12/9999 23:59:59", false},
        // bytes: one character per byte
        {u"byt", u"ab", std::string("ab\0\0", 4), false},
        {u"byt", u"abcde", "Invalid value for field 'byt'", true},
        {u"vb", u"abc", "abc", false},
        {u"vb", u"abcdefg", "Invalid value for field 'vb'", true},
        // GUIDs
        {u"guid", u"{01234567-89AB-CDEF-0123-456789ABCDEF}", "{01234567-89AB-CDEF-0123-456789ABCDEF}", false},
        {u"guid", u"01234567-89AB-CDEF-0123-456789ABCDEF",
         "'01234567-89AB-CDEF-0123-456789ABCDEF' is not a valid GUID value for field 'guid'", true},
        // blobs hold any length
        {u"memo", sixty + sixty, fifty + fifty + std::string(20, 'n'), false},
        {u"wmemo", u"\u4e2d\u6587", "\u4e2d\u6587", false},
    };
    t.DS->Append();
    for (const Case& c : cases) {
        SCOPED_TRACE(core::ToUtf8(c.Field) + " <- '" + core::ToUtf8(c.Input) + "'");
        TField* f = t.F(c.Field);
        f->Clear();
        const std::string error = ErrorOf([&] { f->SetText(c.Input); });
        if (c.Raises) {
            EXPECT_EQ(error, c.Expected);
            EXPECT_TRUE(f->IsNull()) << "a refused value leaves the field as it was";
        } else {
            EXPECT_EQ(error, "");
            EXPECT_EQ(core::ToUtf8(f->AsString()), c.Expected);
        }
    }
    t.DS->Cancel();
}

TEST(ClientDataSetFields, TypedValuesSurvivePostAndReopen)
{
    AllTypes t;
    const core::TDateTime when = core::EncodeDate(2022, 4, 20) + core::EncodeTime(8, 30, 15, 250);
    const core::TDateTime before1900 = -1.25; // 1899-12-29 06:00
    t.DS->Append();
    t.F(u"i")->SetAsInteger(-7);
    t.F(u"b")->SetAsBoolean(true);
    t.F(u"cur")->SetAsCurrency(1234.5);
    t.F(u"bcd")->SetAsFloat(-12.345);
    t.F(u"d")->SetAsDateTime(when);
    t.F(u"t")->SetAsDateTime(when);
    t.F(u"dt")->SetAsDateTime(before1900);
    t.F(u"ts")->SetAsDateTime(when);
    t.F(u"big")->SetAsLargeInt(int64_t{1} << 40);
    t.F(u"lw")->SetAsLongWord(4000000000u);
    t.F(u"ext")->SetAsFloat(1.0 / 3);
    t.F(u"sg")->SetAsFloat(0.5);
    t.F(u"ws")->SetAsString(u"\u00e7a");
    t.F(u"byt")->SetAsBytes({1, 2, 3, 4});
    t.F(u"vb")->SetAsBytes({9, 8});
    t.F(u"blob")->SetAsBytes({0, 255, 0});
    t.F(u"memo")->SetAsString(u"linha 1\r\nlinha 2");
    t.DS->Post();

    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "after post" : "after close and open");
        EXPECT_EQ(t.F(u"i")->AsInteger(), -7);
        EXPECT_TRUE(t.F(u"b")->AsBoolean());
        EXPECT_EQ(t.F(u"b")->AsVariant(), core::Variant(true));
        EXPECT_DOUBLE_EQ(t.F(u"cur")->AsCurrency(), 1234.5);
        EXPECT_EQ(t.F(u"bcd")->AsString(), u"-12.35");
        EXPECT_EQ(t.F(u"d")->AsDateTime(), core::EncodeDate(2022, 4, 20));
        EXPECT_NEAR(t.F(u"t")->AsDateTime(), core::EncodeTime(8, 30, 15, 250), 1e-9);
        EXPECT_EQ(t.F(u"dt")->AsDateTime(), before1900);
        EXPECT_EQ(t.F(u"dt")->AsString(), u"29/12/1899 06:00:00");
        EXPECT_NEAR(t.F(u"ts")->AsDateTime(), when, 1e-9);
        EXPECT_EQ(t.F(u"d")->AsVariant(), core::Variant(core::VarDate{core::EncodeDate(2022, 4, 20)}));
        EXPECT_EQ(t.F(u"big")->AsLargeInt(), int64_t{1} << 40);
        EXPECT_EQ(t.F(u"lw")->AsLongWord(), 4000000000u);
        EXPECT_DOUBLE_EQ(t.F(u"ext")->AsFloat(), 1.0 / 3);
        EXPECT_EQ(t.F(u"sg")->AsFloat(), 0.5);
        EXPECT_EQ(t.F(u"ws")->AsString(), u"\u00e7a");
        EXPECT_EQ(t.F(u"byt")->AsBytes(), (core::Bytes{1, 2, 3, 4}));
        EXPECT_EQ(t.F(u"vb")->AsBytes(), (core::Bytes{9, 8}));
        EXPECT_EQ(t.F(u"blob")->AsBytes(), (core::Bytes{0, 255, 0}));
        EXPECT_EQ(t.F(u"memo")->AsString(), u"linha 1\r\nlinha 2");
        EXPECT_EQ(t.F(u"memo")->Text(), u"(MEMO)");
        EXPECT_EQ(t.F(u"memo")->AsVariant(), core::Variant(std::u16string(u"linha 1\r\nlinha 2")));
        EXPECT_EQ(t.F(u"blob")->AsVariant(), core::Variant(core::Bytes{0, 255, 0}));
        EXPECT_EQ(t.F(u"gr")->DisplayText(), u"(Graphic)");
        EXPECT_TRUE(t.F(u"gr")->IsNull());
        t.DS->Close();
        t.DS->Open();
    }
}

TEST(ClientDataSetFields, OutOfRangeTypedWritesAreRefusedNotWrapped)
{
    AllTypes t;
    t.DS->Append();
    struct Case {
        const char16_t* Field;
        std::function<void(TField*)> Write;
        std::string Message;
    };
    const Case cases[] = {
        {u"i", [](TField* f) { f->SetAsLargeInt(int64_t{1} << 32); },
         "4294967296 is not a valid value for field 'i'. The allowed range is -2147483648 to 2147483647"},
        {u"i", [](TField* f) { f->SetAsFloat(3e9); },
         "3000000000 is not a valid value for field 'i'. The allowed range is -2147483648 to 2147483647"},
        {u"sm", [](TField* f) { f->SetAsInteger(32768); },
         "32768 is not a valid value for field 'sm'. The allowed range is -32768 to 32767"},
        {u"lw", [](TField* f) { f->SetAsInteger(-5); },
         "-5 is not a valid value for field 'lw'. The allowed range is 0 to 4294967295"},
        {u"big", [](TField* f) { f->SetAsFloat(1e19); },
         "1e+19 is not a valid value for field 'big'. The allowed range is -9223372036854775808 to "
         "9223372036854775807"},
        {u"f", [](TField* f) { f->SetAsFloat(NAN); }, "Invalid value for field 'f'"},
        {u"d", [](TField* f) { f->SetAsDateTime(1e9); }, "Invalid value for field 'd'"},
        {u"dt", [](TField* f) { f->SetAsDateTime(-700000); }, "Invalid value for field 'dt'"},
        {u"i", [](TField* f) { f->SetAsDateTime(1); }, "Cannot access field 'i' as type DateTime"},
        {u"d", [](TField* f) { f->SetAsBoolean(true); }, "Cannot access field 'd' as type Boolean"},
        {u"b", [](TField* f) { f->SetAsInteger(1); }, "Cannot access field 'b' as type Integer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Message);
        TField* f = t.F(c.Field);
        EXPECT_EQ(ErrorOf([&] { c.Write(f); }), c.Message);
        EXPECT_TRUE(f->IsNull());
    }
    t.F(u"big")->SetAsLargeInt(int64_t{1} << 40);
    EXPECT_EQ(ErrorOf([&] { (void)t.F(u"big")->AsInteger(); }),
              "1099511627776 is not a valid value for field 'big'. The allowed range is -2147483648 to 2147483647");
    t.DS->Cancel();
}

TEST(ClientDataSetFields, DisplayAndEditFormats)
{
    AllTypes t;
    t.DS->Append();
    auto* d = static_cast<TDateTimeField*>(t.F(u"d"));
    auto* cur = static_cast<TFloatField*>(t.F(u"cur"));
    auto* bcd = static_cast<TBCDField*>(t.F(u"bcd"));
    auto* b = static_cast<TBooleanField*>(t.F(u"b"));
    d->SetAsDateTime(core::EncodeDate(2022, 4, 20));
    cur->SetAsFloat(-1234.5);
    bcd->SetAsString(u"1234.5");
    b->SetAsBoolean(false);

    EXPECT_EQ(d->DisplayText(), u"20/04/2022");
    d->SetDisplayFormat(u"dddd, d 'de' mmmm yyyy");
    EXPECT_EQ(d->DisplayText(), u"Wednesday, 20 de April 2022");
    EXPECT_EQ(d->Text(), u"20/04/2022"); // editing keeps the short date format

    EXPECT_EQ(cur->DisplayText(), u"-$1,234.50");
    EXPECT_EQ(cur->Text(), u"-1234.50");
    cur->SetDisplayFormat(u"#,##0.0");
    EXPECT_EQ(cur->DisplayText(), u"-1,234.5");
    cur->SetText(u"1,000.25"); // thousands separators typed with a format set are dropped
    EXPECT_DOUBLE_EQ(cur->AsFloat(), 1000.25);

    EXPECT_EQ(bcd->DisplayText(), u"1234.5");
    bcd->SetEditFormat(u"0.00");
    EXPECT_EQ(bcd->Text(), u"1234.50");

    EXPECT_EQ(b->DisplayText(), u"False");
    b->SetDisplayValues(u"Sim;N\u00e3o");
    EXPECT_EQ(b->DisplayText(), u"N\u00e3o");
    EXPECT_EQ(b->DisplayWidth(), 3);
    b->SetText(u"s");
    EXPECT_TRUE(b->AsBoolean());
    t.DS->Cancel();
}

TEST(ClientDataSetFields, BlobsNeedEditModeAndReadOnlyFieldsRefuse)
{
    AllTypes t;
    TField* memo = t.F(u"memo");
    EXPECT_EQ(ErrorOf([&] { memo->SetAsString(u"x"); }), "ClientDataSet1: Dataset not in edit or insert mode");
    t.DS->Append();
    memo->SetReadOnly(true);
    EXPECT_EQ(ErrorOf([&] { memo->SetAsString(u"x"); }), "Field 'memo' cannot be modified");
    memo->SetReadOnly(false);
    int changes = 0;
    memo->OnChange = TFieldNotifyEvent::Bind(memo, [&](TField*) { ++changes; });
    memo->SetAsString(u"x");
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(t.DS->Modified());
    memo->Clear();
    EXPECT_TRUE(memo->IsNull());
    EXPECT_EQ(memo->DisplayText(), u"(Memo)");
    t.DS->Cancel();
}

TEST(FieldStorage, ExtendedRoundTrip)
{
    const double values[] = {0.0, 1.0, -2.5, 1.0 / 3, 1e-310, 1.7976931348623157e308, -4.9e-324};
    for (double v : values) {
        uint8_t raw[10];
        TExtendedField::ToExtended80(v, raw);
        EXPECT_EQ(TExtendedField::FromExtended80(raw), v);
    }
    uint8_t one[10];
    TExtendedField::ToExtended80(1.0, one);
    const uint8_t expected[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
    EXPECT_EQ(0, std::memcmp(one, expected, 10));
}

namespace {

// A dataset with one definition and one persistent field of another class.
struct Bound {
    components::TComponent Owner{nullptr};
    TClientDataSet* DS;
    TField* Field;

    Bound(TFieldType defType, TField* (*make)(components::TComponent*))
    {
        DS = new TClientDataSet(&Owner);
        DS->SetName(u"ClientDataSet1");
        DS->FieldDefs().Add(u"x", defType);
        Field = make(&Owner);
        Field->SetFieldName(u"x");
        Field->SetDataSet(DS);
    }
};

template <class T>
TField* Make(components::TComponent* owner)
{
    return new T(owner);
}

} // namespace

TEST(ClientDataSetFields, CompatibleDefinitionsKeepValuesInTheirOwnWidth)
{
    {
        Bound b(TFieldType::ftSmallint, &Make<TIntegerField>);
        b.DS->CreateDataSet();
        b.DS->Append();
        b.Field->SetAsInteger(-5);
        EXPECT_EQ(b.Field->AsInteger(), -5);
        EXPECT_EQ(ErrorOf([&] { b.Field->SetAsInteger(40000); }),
                  "40000 is not a valid value for field 'x'. The allowed range is -32768 to 32767");
        EXPECT_EQ(b.Field->AsInteger(), -5);
        b.DS->Post();
        EXPECT_EQ(b.Field->AsInteger(), -5);
    }
    {
        Bound b(TFieldType::ftInteger, &Make<TShortintField>);
        b.DS->CreateDataSet();
        b.DS->Append();
        b.Field->SetAsInteger(-100);
        b.DS->Post();
        EXPECT_EQ(b.Field->AsInteger(), -100);
    }
    {
        Bound b(TFieldType::ftDateTime, &Make<TDateField>);
        b.DS->CreateDataSet();
        b.DS->Append();
        b.Field->SetAsDateTime(core::EncodeDate(2022, 4, 20));
        b.DS->Post();
        EXPECT_EQ(b.Field->AsDateTime(), core::EncodeDate(2022, 4, 20));
        EXPECT_EQ(b.Field->Text(), u"20/04/2022");
    }
    {
        Bound b(TFieldType::ftDate, &Make<TDateTimeField>);
        b.DS->CreateDataSet();
        b.DS->Append();
        b.Field->SetAsDateTime(core::EncodeDate(2022, 4, 20) + 0.5);
        b.DS->Post();
        EXPECT_EQ(b.Field->AsDateTime(), core::EncodeDate(2022, 4, 20));
    }
    {
        Bound b(TFieldType::ftInteger, &Make<TBooleanField>);
        EXPECT_EQ(ErrorOf([&] { b.DS->CreateDataSet(); }),
                  "ClientDataSet1: Type mismatch for field 'x', expecting: Boolean actual: Integer");
        EXPECT_FALSE(b.DS->Active());
    }
}

TEST(ClientDataSetFields, FieldClassesAreCreatedByName)
{
    const char16_t* names[] = {u"TBooleanField", u"TDateField",     u"TTimeField",       u"TDateTimeField",
                               u"TCurrencyField", u"TBCDField",     u"TFMTBCDField",     u"TBytesField",
                               u"TVarBytesField", u"TBlobField",    u"TMemoField",       u"TWideMemoField",
                               u"TGraphicField",  u"TWideStringField", u"TGuidField",    u"TLargeintField",
                               u"TLongWordField", u"TSingleField",  u"TExtendedField",   u"TSQLTimeStampField"};
    data::RegisterDataClasses();
    components::TComponent owner(nullptr);
    for (const char16_t* name : names) {
        SCOPED_TRACE(core::ToUtf8(name));
        const components::ClassInfo* info = components::GetClass(name);
        ASSERT_NE(info, nullptr);
        EXPECT_NE(dynamic_cast<TField*>(info->Factory(&owner)), nullptr);
    }
}
