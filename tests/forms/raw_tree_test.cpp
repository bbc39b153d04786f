// The raw tree of a description and its JSON form: every tag survives
// bytes -> tree -> JSON -> tree -> bytes unchanged.
#include "../../tools/formtool/form_json.h"
#include "components/form_format_tree.h"
#include "form_test_util.h"

using namespace components;
using namespace formtest;

namespace {

// A description with every tag, a prefix, nested records and collections.
Bytes EveryTag()
{
    return B("'TPF0' F3 02 07 05 'TRoot' 04 'Root'"
             " 01 'a' 00"
             " 01 'b' 01 02 01 06 01 'x' 00"
             " 01 'c' 03 00 80"
             " 01 'd' 04 00 00 01 00"
             " 01 'e' 05 00 00 00 00 00 00 7F AE 0E 40"
             " 01 'f' 07 02 'id'"
             " 01 'g' 08 01 'h' 09"
             " 01 'i' 0A 02 00 00 00 AB CD"
             " 01 'j' 0B 02 'x1' 02 'x2' 00"
             " 01 'k' 0C 02 00 00 00 80 'z'"
             " 01 'l' 0D"
             " 01 'm' 0E 01 01 'p' 02 01 00 02 01 01 00 01 01 'q' 0E 00 00 00"
             " 01 'n' 0F 00 00 C0 3F"
             " 01 'o' 10 01 00 00 00 00 00 00 00"
             " 01 'p' 11 00 00 00 00 E0 CF E5 40"
             " 01 'q' 12 01 00 00 00 2D 4E"
             " 01 'r' 13 00 00 00 00 01 00 00 00"
             " 01 's' 14 02 00 00 00 C3 A9"
             " 01 't' 15 00 00 00 00 00 00 F8 7F"
             " 00"
             " 05 'TKid1' 04 'Kid1' 00 F4 05 'TKid2' 00 00 00 00"
             " 00");
}

TEST(FormRawTree, EveryTagSurvivesBytesTreeAndJson)
{
    const Bytes bytes = EveryTag();
    core::TBytesView s(bytes.data(), bytes.size());
    TBinaryReader r(s);
    const TRawComponent root = ReadRawTree(r);
    EXPECT_EQ(r.Position(), static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(root.ClassName, u"TRoot");
    EXPECT_EQ(root.Flags.Bits(), 3u);
    EXPECT_EQ(root.ChildPos.Int, 7);
    ASSERT_EQ(root.Children.size(), 1u);
    ASSERT_EQ(root.Children[0].Children.size(), 1u);
    EXPECT_TRUE(root.Children[0].Children[0].Flags.Contains(TFilerFlag::ffInline));
    EXPECT_EQ(Hex(RawTreeToBytes(root)), Hex(bytes));

    const auto j = formjson::TreeToJson(root);
    const auto reparsed = formjson::json::parse(formjson::PrettyJson(j));
    EXPECT_EQ(reparsed, j);
    EXPECT_EQ(Hex(RawTreeToBytes(formjson::TreeFromJson(reparsed))), Hex(bytes));

    // The JSON values as the tool shows them.
    const auto& props = j[0]["props"];
    EXPECT_EQ(props[0].dump(), R"(["a","vaNull",null])");
    EXPECT_EQ(props[1].dump(), R"(["b","vaList",[["vaInt8",1],["vaString","x"]]])");
    EXPECT_EQ(props[4].dump(), R"(["e","vaExtended",44671.0])");
    EXPECT_EQ(props[8].dump(), R"(["i","vaBinary","ABCD"])");
    EXPECT_EQ(props[9].dump(), R"(["j","vaSet",["x1","x2"]])");
    EXPECT_EQ(props[10].dump(), R"(["k","vaLString","€z"])");
    EXPECT_EQ(props[12].dump(), R"(["m","vaCollection",[[["p","vaInt8",1]],{"index":1,"props":[]},[["q","vaCollection",[]]]]])");
    EXPECT_EQ(props[14].dump(), R"(["o","vaCurrency",0.0001])");
    EXPECT_EQ(props[19].dump(), R"(["t","vaDouble","NaN"])");
    EXPECT_EQ(j[0]["flags"].dump(), R"(["ffInherited","ffChildPos"])");
}

TEST(FormRawTree, DamagedJsonIsRejectedWithItsPlace)
{
    const struct {
        const char* Json;
        const char* Message;
    } cases[] = {
        {R"({})", "document: a list holding the root record expected"},
        {R"([{"class":"T","name":"A","props":[["X","vaInt9",1]]}])", "A.props[0]: unknown tag \"vaInt9\""},
        {R"([{"class":"T","name":"A","props":[["X","vaInt8","1"]]}])", "A.props[0] \"X\": integer expected"},
        {R"([{"class":"T","name":"A","props":[["X","vaInt8",300]]}])", "A.props[0] \"X\": 300 does not fit vaInt8"},
        {R"([{"class":"T","name":"A","props":[["X","vaString","中"]]}])", "A.props[0] \"X\": text has no form in the ANSI code page"},
        {R"([{"class":"T","name":"A","props":[["X","vaBinary","ABC"]]}])", "A.props[0] \"X\": hex text of odd length"},
        {R"([{"class":"T","name":"A","props":[["X","vaTrue",false]]}])", "A.props[0] \"X\": true expected"},
        {R"([{"class":"T","name":"A","flags":["ffOdd"]}])", "root: unknown flag \"ffOdd\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Json);
        EXPECT_EQ(ErrorOf([&] {
                      try {
                          formjson::TreeFromJson(formjson::json::parse(c.Json));
                      } catch (const formjson::JsonFormError& e) {
                          throw core::Exception(std::string_view(e.what()));
                      }
                  }),
                  c.Message);
    }
    // The writer checks the same.
    TRawComponent root;
    root.Props.push_back(TRawProp{u"X", TRawValue{TValueType::vaInt8, 300}});
    EXPECT_EQ(ErrorOf([&] { RawTreeToBytes(root); }), "Invalid property value");
}

TEST(FormRawTree, AChildWithAnEmptyClassNameSurvivesWritingAndReading)
{
    // An unknown prefix bit (08) carries no flag; the child's empty class
    // name must not be written as a bare 00, which reads as the list's end.
    const Bytes bytes = B("'TPF0' 00 00 00 F8 00 00 00 00 00 00");
    core::TBytesView s(bytes.data(), bytes.size());
    TBinaryReader r(s);
    const TRawComponent tree = ReadRawTree(r);
    ASSERT_EQ(tree.Children.size(), 1u);
    const auto written = RawTreeToBytes(tree);
    core::TBytesView again(written.data(), written.size());
    TBinaryReader r2(again);
    const TRawComponent back = ReadRawTree(r2);
    EXPECT_EQ(back.Children.size(), 1u);
    EXPECT_EQ(RawTreeToBytes(back), written);
}

TEST(FormRawTree, AmbiguousOrUnknownTagsAreRejected)
{
    const struct {
        const char* Bytes;
        const char* Message;
    } cases[] = {
        {"'TPF0' 01 'T' 01 'A' 01 'p' 01 80 00 00 00 00", "Invalid property value"}, // a Null element in a list
        {"'TPF0' 01 'T' 01 'A' 01 'p' 16 00 00", "Invalid property value"},
        {"'TPF0' 01 'T' 01 'A' 01 'p' 87 01 'x' 00 00", ""}, // bit 7 of an identifier's tag is ignored
    };
    for (const auto& c : cases) {
        const Bytes bytes = B(c.Bytes);
        core::TBytesView s(bytes.data(), bytes.size());
        TBinaryReader r(s);
        EXPECT_EQ(ErrorOf([&] { ReadRawTree(r); }), c.Message) << c.Bytes;
    }
}

TEST(FormRawTree, TruncatedDescriptionsFailAtEveryLength)
{
    const Bytes bytes = EveryTag();
    for (size_t n = 0; n < bytes.size(); ++n) {
        const Bytes cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
        core::TBytesView s(cut.data(), cut.size());
        TBinaryReader r(s);
        const std::string msg = ErrorOf([&] { ReadRawTree(r); });
        EXPECT_TRUE(msg == "Stream read error" || (n < 4 && msg == "Invalid stream format")) << n << ": " << msg;
    }
}

} // namespace
