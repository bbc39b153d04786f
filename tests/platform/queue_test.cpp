// The message queue, window life and messages for windows that are gone.
#include <stdexcept>
#include <thread>

#include "core/exception.h"
#include "recorder.h"

namespace platform::test {
namespace {

class QueueTest : public RecorderTest {};

TEST_F(QueueTest, PostedMessagesComeInOrderAndQuitEndsTheLoopAfterThem)
{
    const HWND top = TopLevel();
    headless::ProcessMessages(); // first paint
    Interesting = {WM_USER, WM_USER + 1, WM_USER + 2, WM_NULL};
    PostMessage(top, WM_USER, 1, 0);
    PostMessage(top, WM_NULL);
    PostMessage(top, WM_USER + 1, 2, 0);
    PostQuitMessage(3);
    PostMessage(top, WM_USER + 2, 3, 0);
    MSG msg;
    std::vector<UINT> loop;
    while (GetMessage(msg)) {
        TranslateMessage(msg);
        DispatchMessage(msg);
    }
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_USER, WM_NULL, WM_USER + 1}));
    EXPECT_EQ(QueuedMessageCount(), 1u); // the message after the quit stays
}

TEST_F(QueueTest, SentMessagesRunAtOnceAndAnswer)
{
    const HWND top = TopLevel();
    Handler = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_USER)
            return static_cast<LRESULT>(w) + l;
        return DefWindowProc(h, m, w, l);
    };
    PostMessage(top, WM_USER + 5);
    EXPECT_EQ(SendMessage(top, WM_USER, 40, 2), 42);
    EXPECT_EQ(QueuedMessageCount(), 1u);
}

TEST_F(QueueTest, PeekCanFilterAndLeaveMessages)
{
    const HWND top = TopLevel();
    headless::ProcessMessages();
    PostMessage(top, WM_USER + 1);
    PostMessage(top, WM_USER + 2);
    MSG msg;
    ASSERT_TRUE(PeekMessage(msg, {}, WM_USER + 2, WM_USER + 2, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
    ASSERT_TRUE(PeekMessage(msg, {}, WM_USER + 2, WM_USER + 2, PM_REMOVE));
    ASSERT_TRUE(PeekMessage(msg, {}, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    EXPECT_FALSE(PeekMessage(msg, {}, 0, 0, PM_REMOVE));
}

TEST_F(QueueTest, AnEmptyHeadlessQueueRaisesInsteadOfHanging)
{
    MSG msg;
    EXPECT_THROW(GetMessage(msg), core::EInvalidOperation);
}

TEST_F(QueueTest, DestroyingAWindowDropsItsMessagesAndItsHandleStaysDead)
{
    const HWND top = TopLevel();
    const HWND child = Child(top, Bounds(0, 0, 10, 10));
    headless::ProcessMessages();
    Interesting = {WM_USER};
    PostMessage(child, WM_USER);
    PostMessage(top, WM_USER);
    MSG stale;
    ASSERT_TRUE(PeekMessage(stale, child, 0, 0, PM_NOREMOVE));
    DestroyWindow(child);
    EXPECT_FALSE(IsWindow(child));
    EXPECT_FALSE(PostMessage(child, WM_USER));
    EXPECT_EQ(SendMessage(child, WM_USER), 0);
    EXPECT_EQ(DispatchMessage(stale), 0); // a message taken before the window died runs nothing
    headless::ProcessMessages();
    ASSERT_EQ(Log.size(), 1u);
    EXPECT_EQ(Log[0].hwnd, top);
    // Handles are never given out again.
    const HWND again = Child(top, Bounds(0, 0, 10, 10));
    EXPECT_NE(again, child);
    EXPECT_FALSE(IsWindow(child));
    EXPECT_FALSE(DestroyWindow(child)); // twice is harmless
}

TEST_F(QueueTest, AReleaseMessagePostedTwiceFreesOnce)
{
    // A form posts itself a release message per Release call; the first one
    // destroys it, the second finds its handle dead and runs nothing.
    const HWND top = TopLevel();
    int releases = 0;
    Handler = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == CM_RELEASE) {
            ++releases;
            DestroyWindow(h);
            return 0;
        }
        return DefWindowProc(h, m, w, l);
    };
    PostMessage(top, CM_RELEASE);
    PostMessage(top, CM_RELEASE);
    PostMessage(top, WM_USER);
    headless::ProcessMessages();
    EXPECT_EQ(releases, 1);
    EXPECT_FALSE(IsWindow(top));
    EXPECT_FALSE(PostMessage(top, CM_RELEASE));
}

TEST_F(QueueTest, OtherThreadsMayPostAndDeadHandlesFromThemAreIgnored)
{
    const HWND top = TopLevel();
    const HWND gone = TopLevel();
    DestroyWindow(gone);
    headless::ProcessMessages();
    Interesting = {WM_NULL, WM_USER};
    std::thread worker([&] {
        PostMessage(top, WM_NULL);
        PostMessage(gone, WM_USER);
        PostMessage(top, WM_USER);
    });
    worker.join();
    headless::ProcessMessages();
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_NULL, WM_USER}));
    for (const auto& r : Log)
        EXPECT_EQ(r.hwnd, top);
}

TEST_F(QueueTest, AWindowMayDestroyItselfWhileHandlingAMessage)
{
    const HWND top = TopLevel();
    Handler = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_USER) {
            DestroyWindow(h);
            SetWindowProc(h, {}); // on a dead window: nothing
            return 7;
        }
        return DefWindowProc(h, m, w, l);
    };
    EXPECT_EQ(SendMessage(top, WM_USER), 7);
    EXPECT_FALSE(IsWindow(top));
    EXPECT_EQ(WindowCount(), 0u);
}

TEST_F(QueueTest, DestroyNotifiesParentFirstAndFinalDestroyChildrenFirst)
{
    const HWND top = TopLevel();
    const HWND child = Child(top, Bounds(0, 0, 10, 10));
    const HWND grandchild = Child(child, Bounds(0, 0, 5, 5));
    Interesting = {WM_DESTROY, WM_NCDESTROY};
    DestroyWindow(top);
    std::vector<std::pair<HWND, UINT>> got;
    for (const auto& r : Log)
        got.emplace_back(r.hwnd, r.message);
    const std::vector<std::pair<HWND, UINT>> expected = {
        {top, WM_DESTROY},          {child, WM_DESTROY},    {grandchild, WM_DESTROY},
        {grandchild, WM_NCDESTROY}, {child, WM_NCDESTROY}, {top, WM_NCDESTROY}};
    EXPECT_EQ(got, expected);
    EXPECT_EQ(WindowCount(), 0u);
}

TEST_F(QueueTest, AThrowingDestroyHandlerStillDestroysEverythingAndReportsOnce)
{
    const HWND top = TopLevel();
    const HWND child = Child(top, Bounds(0, 0, 10, 10));
    PostMessage(child, WM_USER);
    Handler = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_DESTROY || m == WM_NCDESTROY)
            throw std::runtime_error(m == WM_DESTROY ? "destroy" : "ncdestroy");
        return DefWindowProc(h, m, w, l);
    };
    try {
        DestroyWindow(top);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "destroy"); // the first one
    }
    EXPECT_FALSE(IsWindow(top));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(WindowCount(), 0u);
    EXPECT_EQ(QueuedMessageCount(), 0u);
}

TEST_F(QueueTest, CreationThatThrowsOrRefusesLeavesNoWindow)
{
    Handler = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_CREATE) {
            const auto* cs = reinterpret_cast<const CREATESTRUCT*>(l);
            if (cs->Name == u"throw")
                throw std::runtime_error("no");
            if (cs->Name == u"refuse")
                return -1;
        }
        return DefWindowProc(h, m, w, l);
    };
    EXPECT_THROW(CreateWindowEx(0, u"Recorder", u"throw", 0, 0, 0, 10, 10, {}), std::runtime_error);
    EXPECT_EQ(CreateWindowEx(0, u"Recorder", u"refuse", 0, 0, 0, 10, 10, {}), HWND());
    EXPECT_EQ(CreateWindowEx(0, u"NoSuchClass", u"", 0, 0, 0, 10, 10, {}), HWND());
    EXPECT_EQ(CreateWindowEx(0, u"Recorder", u"", WS_CHILD, 0, 0, 10, 10, {}), HWND());
    EXPECT_EQ(WindowCount(), 0u);
}

TEST_F(QueueTest, RegisteredMessagesAreStableAndIgnoreCase)
{
    const UINT a = RegisterWindowMessage(u"TaskbarCreated");
    const UINT b = RegisterWindowMessage(u"TaskbarButtonCreated");
    EXPECT_GE(a, WM_REGISTERED_FIRST);
    EXPECT_NE(a, b);
    EXPECT_EQ(RegisterWindowMessage(u"TASKBARCREATED"), a);
}

TEST_F(QueueTest, WindowTextHasNoLengthLimit)
{
    const HWND top = TopLevel();
    const std::u16string path = u"/very/long/" + std::u16string(5000, u'x') + u"/dataentry";
    SetWindowText(top, path);
    EXPECT_EQ(GetWindowText(top), path);
    EXPECT_EQ(SendMessage(top, WM_GETTEXTLENGTH), static_cast<LRESULT>(path.size()));
}

TEST_F(QueueTest, SubclassingChainsToTheOldProcedure)
{
    const HWND top = TopLevel();
    Interesting = {WM_USER};
    WndProc old;
    old = SetWindowProc(top, [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_USER)
            return 100 + CallWindowProc(old, h, m, w, l);
        return CallWindowProc(old, h, m, w, l);
    });
    EXPECT_EQ(SendMessage(top, WM_USER), 100);
    EXPECT_EQ(Log.size(), 1u);
    DestroyWindow(top); // before `old` goes out of scope
}

} // namespace
} // namespace platform::test
