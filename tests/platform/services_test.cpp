// Message boxes, monitors and density, resources, locale services.
#include "core/exception.h"
#include "platform/locale.h"
#include "platform/resources.h"
#include "platform/services.h"
#include "recorder.h"

namespace platform::test {
namespace {

class ServicesTest : public RecorderTest {};

TEST_F(ServicesTest, MessageBoxesAreAnsweredFromTheScriptAndRecorded)
{
    const HWND top = TopLevel();
    headless::AnswerMessageBox(IDNO);
    EXPECT_EQ(MessageBox(top, u"Delete record?", u"Confirm", MB_YESNO | MB_ICONQUESTION), IDNO);
    // Without a scripted answer the default button answers.
    EXPECT_EQ(MessageBox(top, u"Disk full.", u"Project1", MB_OK | MB_ICONSTOP), IDOK);
    EXPECT_EQ(MessageBox({}, u"Retry?", u"", MB_RETRYCANCEL | MB_DEFBUTTON2), IDCANCEL);
    const auto& boxes = headless::MessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].Text, u"Delete record?");
    EXPECT_EQ(boxes[0].Caption, u"Confirm");
    EXPECT_EQ(boxes[0].Buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(boxes[0].Owner, top);
    EXPECT_EQ(boxes[1].Flags, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(MessageBoxButtonText(IDCANCEL), u"Cancel");
}

TEST_F(ServicesTest, AMessageBoxCancelsTheMouseCapture)
{
    const HWND top = TopLevel();
    SetCapture(top);
    MessageBox(top, u"x", u"y", MB_OK);
    EXPECT_EQ(GetCapture(), HWND());
}

TEST_F(ServicesTest, MonitorDensityIsSettableAndAFailedQueryAnswersZero)
{
    const HWND top = TopLevel();
    const HMONITOR m = MonitorFromWindow(top, MONITOR_DEFAULTTONEAREST);
    ASSERT_NE(m, 0);
    for (int dpi : {96, 120, 144, 192}) {
        headless::SetDensity(dpi);
        EXPECT_EQ(GetDpiForMonitor(m), dpi);
        EXPECT_EQ(GetScreenDpi(), dpi);
    }
    headless::Get().DensityQueryResult = 0;
    EXPECT_EQ(GetDpiForMonitor(m), 0);
    EXPECT_EQ(GetScreenDpi(), 96); // unknown: the default
    EXPECT_EQ(MonitorFromPoint({-5000, 0}, MONITOR_DEFAULTTONULL), 0);
    EXPECT_EQ(MonitorFromPoint({-5000, 0}, MONITOR_DEFAULTTONEAREST), 1);
}

TEST_F(ServicesTest, DensityChangeScalesTheWindowByDefault)
{
    const HWND top = TopLevel(200, 100);
    Interesting = {WM_DPICHANGED};
    headless::ChangeDensity(144);
    ASSERT_EQ(Log.size(), 1u);
    EXPECT_EQ(LOWORD(Log[0].wParam), 144);
    EXPECT_EQ(GetClientRect(top), Bounds(0, 0, 300, 150));
    // A change to an unknown density leaves the window alone.
    headless::ChangeDensity(0);
    EXPECT_EQ(GetClientRect(top), Bounds(0, 0, 300, 150));
    // The next real change scales from the last known density (144), not 96.
    headless::ChangeDensity(96);
    EXPECT_EQ(GetClientRect(top), Bounds(0, 0, 200, 100));
}

TEST_F(ServicesTest, ResourcesAreFoundByNameWithoutRegardToCase)
{
    static const uint8_t bytes[] = {1, 2, 3};
    RegisterResource(RT_RCDATA, u"TFORM1", bytes);
    auto found = FindResource(RT_RCDATA, u"tform1");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->size(), 3u);
    EXPECT_FALSE(FindResource(ResourceType::Png, u"TFORM1"));
    try {
        LoadResource(RT_RCDATA, u"TFORM2");
        FAIL();
    } catch (const core::EResNotFound& e) {
        EXPECT_EQ(e.Message(), u"Resource TFORM2 not found");
    }
    EXPECT_TRUE(UnregisterResource(RT_RCDATA, u"TFORM1"));
    static const platform::ResourceRegistrar registrar(ResourceType::Png, u"DBGARROW", bytes);
    EXPECT_TRUE(FindResource(ResourceType::Png, u"dbgarrow"));
}

TEST_F(ServicesTest, LocaleComparisonAndCaseMapping)
{
    struct Case {
        std::u16string a, b;
        unsigned flags;
        int sign;
    };
    const std::vector<Case> cases = {
        {u"apple", u"Banana", 0, -1},    // dictionary order, not code units
        {u"abc", u"ABC", NORM_IGNORECASE, 0},
        {u"abc", u"ABC", 0, -1},          // lower case first
        {u"cote", u"c\u00f4te", 0, -1},
        {u"cote", u"c\u00f4te", NORM_IGNORECASE | NORM_IGNORENONSPACE, 0},
        {u"", u"a", 0, -1},
    };
    for (const Case& c : cases) {
        const int r = CompareStringLocale(c.a, c.b, c.flags);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << core::ToUtf8(c.a) << " vs " << core::ToUtf8(c.b);
    }
    EXPECT_EQ(LocaleUpperCase(u"stra\u00dfe"), u"STRASSE");
    EXPECT_EQ(LocaleLowerCase(u"\u00c7\u00c3O"), u"\u00e7\u00e3o");
    EXPECT_EQ(LocaleUpperCase(u"i", "tr-TR"), u"\u0130");
    EXPECT_TRUE(IsValidLocaleName("pt-BR"));
    EXPECT_FALSE(IsValidLocaleName("xx-NOPE"));
}

TEST_F(ServicesTest, CodePageConversion)
{
    EXPECT_EQ(ToCodePage(u"\u00e7\u00e3o \u20ac", 1252), std::string("\xE7\xE3o \x80"));
    EXPECT_EQ(FromCodePage("\xE7\xE3o \x80", 1252), u"\u00e7\u00e3o \u20ac");
    EXPECT_EQ(ToCodePage(u"\u4e2d", 1252), "?"); // not in the page
    EXPECT_EQ(FromCodePage("\xC8", 1250), u"\u010C");
    EXPECT_EQ(ToCodePage(u"\u00e9", 65001), "\xC3\xA9");
    EXPECT_THROW(ToCodePage(u"x", 12345), core::EConvertError);
    EXPECT_FALSE(IsValidCodePage(12345));
    EXPECT_TRUE(IsValidCodePage(1252));
}

} // namespace
} // namespace platform::test
