// Handles, surfaces, contexts and fonts are all released again.
#include "platform/edit.h"
#include "recorder.h"

namespace platform::test {
namespace {

class LeakTest : public RecorderTest {};

TEST_F(LeakTest, TenThousandCreateDestroyCyclesLeaveNothingBehind)
{
    const size_t windows = WindowCount(), bitmaps = LiveBitmapCount(), dcs = LiveDCCount();
    HWND last;
    for (int i = 0; i < 10000; ++i) {
        const HWND top = CreateWindowEx(0, u"Recorder", u"", WS_VISIBLE, 0, 0, 64, 32, {});
        const HWND edit = CreateWindowEx(0, EDIT_CLASS, u"x", WS_CHILD | WS_VISIBLE, 0, 0, 40, 20, top);
        SetFocus(edit);
        SetTimer(top, 1, 100);
        PostMessage(top, WM_USER);
        {
            auto dc = GetDC(top);
            dc->SelectFont(Font(FontAttrs{u"Tahoma", -(8 + i % 8)}));
            dc->TextOut(0, 0, u"x");
        }
        headless::ProcessMessages();
        EXPECT_NE(top, last);
        last = top;
        DestroyWindow(top);
    }
    EXPECT_EQ(WindowCount(), windows);
    EXPECT_EQ(LiveBitmapCount(), bitmaps);
    EXPECT_EQ(LiveDCCount(), dcs);
    EXPECT_EQ(QueuedMessageCount(), 0u);
    EXPECT_LE(CachedFontCount(), 1u); // only the edit's default font may stay cached
}

} // namespace
} // namespace platform::test
