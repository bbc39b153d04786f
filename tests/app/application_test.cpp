// The application object: reports, forms, the loop and shutdown.
#include <gtest/gtest.h>

#include "app/application.h"
#include "platform/headless.h"

using namespace app;
using namespace controls;
using namespace platform;

namespace {

// A form class of its own with no stored description.
class TPlainForm : public TForm {
    DECLARE_CLASS(TPlainForm, TForm)
public:
    explicit TPlainForm(components::TComponent* owner) : TForm(owner) {}
};

// A form whose own message handler throws what it is told to.
class TThrowingForm : public TForm {
    DECLARE_CLASS(TThrowingForm, TForm)
public:
    explicit TThrowingForm(components::TComponent* owner) : TForm(owner) {}
    void AfterConstruction() override { DoCreate(); } // nothing stored to read
    void WndProc(TMessage& m) override
    {
        if (m.Msg == WM_USER + 1)
            throw core::Exception(std::string_view("Disk full"));
        if (m.Msg == WM_USER + 2)
            core::Abort();
        TForm::WndProc(m);
    }
};

DEFINE_CLASS(TPlainForm)
END_CLASS
DEFINE_CLASS(TThrowingForm)
END_CLASS

class AppTest : public ::testing::Test {
protected:
    void SetUp() override { InitControls(); }
    void TearDown() override { DoneControls(); }
    headless::Session Session;
};

} // namespace

TEST(ApplicationReports, MessageTextEndsWithAFullStopAsDocumented)
{
    const std::pair<const char*, const char16_t*> cases[] = {
        {"Disk full", u"Disk full."}, {"Done.", u"Done."}, {"Stop!", u"Stop!"}, {"", u""}, {"a)", u"a)"}, {"Why?", u"Why?."}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(ReportText(core::Exception(std::string_view(in))), out) << in;
}

TEST(ApplicationReports, TitleComesFromTheWholeProgramPath)
{
    EXPECT_EQ(TitleFromModuleName(u"/opt/apps/MYTOOL.EXE"), u"Mytool");
    EXPECT_EQ(TitleFromModuleName(u"/usr/bin/dataentry"), u"dataentry");
    const std::u16string deep = u"/" + std::u16string(600, u'd') + u"/PROGRAM.bin";
    EXPECT_EQ(TitleFromModuleName(deep), u"Program"); // no fixed-size buffer
}

TEST_F(AppTest, AnExceptionInAMessageHandlerIsShownAndTheLoopGoesOn)
{
    TThrowingForm* form = nullptr;
    Application->SetTitle(u"Dataentry");
    Application->CreateForm(form);
    ASSERT_EQ(Application->MainForm(), form);
    PostMessage(form->Handle(), WM_USER + 1);
    PostMessage(form->Handle(), WM_USER + 2); // EAbort: silent
    PostMessage(form->Handle(), WM_USER + 1);
    Application->ProcessMessages();
    const auto& boxes = headless::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].Text, u"Disk full.");
    EXPECT_EQ(boxes[0].Caption, u"Dataentry");
}

TEST_F(AppTest, AFailingReportFallsBackToThePlainOne)
{
    TThrowingForm* form = nullptr;
    Application->CreateForm(form);
    Application->OnException = TExceptionEvent::Bind(
        Application, [](components::TObject*, const core::Exception&) { throw std::runtime_error("report failed"); });
    PostMessage(form->Handle(), WM_USER + 1);
    Application->ProcessMessages();
    ASSERT_EQ(headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(headless::MessageBoxes()[0].Text, u"Disk full.");
    EXPECT_FALSE(Application->Terminated());
}

TEST_F(AppTest, OnlyTheFirstFormIsMainAndClosingItEndsTheLoop)
{
    TThrowingForm *first = nullptr, *second = nullptr;
    Application->CreateForm(first);
    Application->CreateForm(second);
    EXPECT_EQ(Application->MainForm(), first);
    EXPECT_EQ(Screen->FormCount(), 2);
    second->Show();
    second->Close();
    EXPECT_FALSE(second->Visible());
    first->OnClose = TCloseEvent::Bind(first, [](components::TObject*, TCloseAction& a) { a = TCloseAction::caFree; });
    PostMessage(first->Handle(), WM_CLOSE);
    Application->Run();
    EXPECT_TRUE(Application->Terminated());
}

TEST_F(AppTest, CaNoneKeepsTheProgramRunning)
{
    TThrowingForm* form = nullptr;
    Application->CreateForm(form);
    form->OnClose = TCloseEvent::Bind(form, [](components::TObject*, TCloseAction& a) { a = TCloseAction::caNone; });
    form->Close();
    Application->ProcessMessages();
    EXPECT_FALSE(Application->Terminated());
}

TEST_F(AppTest, AFormWithoutDescriptionIsDestroyedCompletely)
{
    TPlainForm* form = nullptr;
    try {
        Application->CreateForm(form);
        ADD_FAILURE();
    } catch (const core::EResNotFound& e) {
        EXPECT_EQ(e.Message(), u"Resource TPlainForm not found");
    }
    EXPECT_EQ(form, nullptr);
    EXPECT_EQ(Application->ComponentCount(), 0);
    EXPECT_EQ(Screen->CustomFormCount(), 0);
    EXPECT_EQ(Application->MainForm(), nullptr);
}

TEST_F(AppTest, ReleasingTwiceAndPostingToADeadFormIsHarmless)
{
    TThrowingForm *main = nullptr, *other = nullptr;
    Application->CreateForm(main);
    Application->CreateForm(other);
    const HWND h = other->Handle();
    other->Release();
    other->Release();
    Application->ProcessMessages();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(Application->ComponentCount(), 1);
    EXPECT_FALSE(PostMessage(h, WM_USER + 1));
    Application->ProcessMessages();
    EXPECT_TRUE(headless::MessageBoxes().empty());
}

TEST(ApplicationEntry, AnEscapingExceptionEndsWithExitCodeOne)
{
    headless::Session session;
    const int code = RunEntryPoint([] {
        TPlainForm* form = nullptr;
        Application->CreateForm(form);
    });
    EXPECT_EQ(code, 1);
    ASSERT_EQ(headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(headless::MessageBoxes()[0].Caption, u"Application Error");
    EXPECT_NE(headless::MessageBoxes()[0].Text.find(u"Resource TPlainForm not found."), std::u16string::npos);
    EXPECT_EQ(RunEntryPoint([] {}), 0);
}
