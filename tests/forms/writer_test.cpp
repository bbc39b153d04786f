// Writing components: defaults left out, collections, variants, stream errors.
#include "components/reader.h"
#include "components/writer.h"
#include "form_test_util.h"
#include "standins.h"

using namespace components;
using namespace formtest;
using namespace standins;

namespace {

// A stream that takes no bytes.
class TFullStream : public core::TMemoryStream {
public:
    size_t Write(const void*, size_t) override { return 0; }
};

Bytes Write(TComponent* root)
{
    core::TMemoryStream out;
    WriteComponentToStream(out, root);
    return out.Bytes();
}

TEST(FormWriter, DefaultsAreLeftOutAndCollectionsWritten)
{
    TForm1 form(nullptr);
    form.SetName(u"F");
    auto* cds = new TClientDataSet(&form);
    cds->SetParentComponent(&form);
    cds->Params()->Add();
    cds->Params()->Add();
    const Bytes bytes = Write(&form);
    // An unnamed data set with default values: only its collections.
    const Bytes tail = B("0E 'TClientDataSet' 00 0A 'Aggregates' 0E 00 06 'Params' 0E 01 00 01 00 00 00 00 00");
    ASSERT_GT(bytes.size(), tail.size());
    EXPECT_EQ(Hex(Bytes(bytes.end() - static_cast<long>(tail.size()), bytes.end())), Hex(tail));
}

TEST(FormWriter, WrittenValuesReadBackEqual)
{
    TForm1 form(nullptr);
    form.SetName(u"F");
    form.Caption = u"café 中文";
    form.ClientHeight = -32769;
    form.Color = 0x123456;
    form.Font()->Style = {TFontStyle::fsBold, TFontStyle::fsStrikeOut};
    form.Font()->Name = std::u16string(300, u'x');
    auto* picker = new TDatePicker(&form);
    picker->SetName(u"P");
    picker->SetParentComponent(&form);
    picker->Date = 0.1;
    picker->TabOrder = 128;
    const Bytes bytes = Write(&form);

    TForm1 back(nullptr);
    core::TBytesView s(bytes.data(), bytes.size());
    ReadComponentFromStream(s, &back);
    EXPECT_EQ(back.Caption, form.Caption);
    EXPECT_EQ(back.ClientHeight, -32769);
    EXPECT_EQ(back.Color, 0x123456);
    EXPECT_EQ(back.Font()->Style, form.Font()->Style);
    EXPECT_EQ(back.Font()->Name, form.Font()->Name);
    auto* p = static_cast<TDatePicker*>(back.FindComponent(u"P"));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Date, 0.1);
    EXPECT_EQ(p->TabOrder, 128);
    EXPECT_EQ(Hex(Write(&back)), Hex(bytes));
}

TEST(FormWriter, RefusingStreamGivesStreamWriteError)
{
    TForm1 form(nullptr);
    form.SetName(u"F");
    TFullStream full;
    EXPECT_EQ(ErrorOf([&] { WriteComponentToStream(full, &form); }), "Stream write error");
}

TEST(FormWriter, VariantsAndArrays)
{
    const struct {
        core::Variant Value;
        const char* Bytes;
    } cases[] = {
        {core::Variant(), "0D"},
        {core::Null(), "00"},
        {core::Variant(true), "09"},
        {core::Variant(int32_t{300}), "03 2C 01"},
        {core::Variant(int64_t{1} << 40), "13 00 00 00 00 00 01 00 00"},
        {core::Variant(1.0), "05 00 00 00 00 00 00 00 80 FF 3F"},
        {core::Variant(std::u16string(u"ab")), "06 02 'ab'"},
    };
    for (const auto& c : cases) {
        core::TMemoryStream m;
        {
            TWriter w(m);
            w.WriteVariant(c.Value);
            w.FlushBuffer();
        }
        EXPECT_EQ(Hex(m.Bytes()), Hex(B(c.Bytes)));
        core::TBytesView s(m.Bytes().data(), m.Bytes().size());
        TReader r(s);
        EXPECT_EQ(r.ReadVariant(), c.Value) << c.Bytes;
    }
    core::TMemoryStream m;
    TWriter w(m);
    EXPECT_EQ(ErrorOf([&] { w.WriteVariant(core::VarArrayOf({1, 2})); }), "Stream write error");
}

TEST(FormWriter, ReferenceNamesAreRelativeToTheRoot)
{
    TForm1 form(nullptr);
    form.SetName(u"F");
    TForm1 other(nullptr);
    other.SetName(u"G");
    auto* inner = new TClientDataSet(&other);
    inner->SetName(u"Set");
    auto* mine = new TClientDataSet(&form);
    mine->SetName(u"Mine");
    core::TMemoryStream m;
    TWriter w(m);
    w.WriteDescendent(&form, nullptr);
    EXPECT_EQ(w.GetComponentValue(mine), u"Mine");
    EXPECT_EQ(w.GetComponentValue(&form), u"Owner");
    EXPECT_EQ(w.GetComponentValue(inner), u"G.Set");
    EXPECT_EQ(w.GetComponentValue(&other), u"G.Owner");
}

} // namespace
