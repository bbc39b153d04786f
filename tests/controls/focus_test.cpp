// Focus movement and key routing on a small form of nested containers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/exception.h"
#include "controls/form.h"
#include "controls/key_routing.h"
#include "platform/headless.h"

using namespace controls;
using namespace platform;

namespace {

std::vector<std::string>* gLog = nullptr;

class TProbe : public TWinControl {
public:
    TProbe(components::TComponent* owner, TWinControl* parent, const char16_t* name, bool tabStop,
           LRESULT dlgCode = 0)
        : TWinControl(owner), FDlgCode(dlgCode)
    {
        SetName(name);
        SetParent(parent);
        SetBounds(0, 0, 40, 20);
        SetTabStop(tabStop);
        OnEnter = TNotifyEvent::Bind(this, [this](components::TObject*) { Log("enter "); });
        OnExit = TNotifyEvent::Bind(this, [this](components::TObject*) { Log("exit "); });
        OnKeyDown = TKeyEvent::Bind(this, [this](components::TObject*, uint16_t& key, TShiftState) {
            Log("key " + std::to_string(key) + " ");
        });
    }
    void WndProc(TMessage& m) override
    {
        if (m.Msg == WM_GETDLGCODE) {
            m.Result = FDlgCode;
            return;
        }
        TWinControl::WndProc(m);
    }

private:
    void Log(std::string what)
    {
        if (gLog)
            gLog->push_back(what + core::ToUtf8(Name()));
    }
    LRESULT FDlgCode;
};

class FocusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Screen = new TScreen(nullptr);
        gLog = &Log;
        Form = new TCustomForm(nullptr);
        Form->SetName(u"Form");
        A = new TProbe(Form, Form, u"A", true);
        P = new TProbe(Form, Form, u"P", false);
        B = new TProbe(Form, P, u"B", true);
        C = new TProbe(Form, P, u"C", true);
        D = new TProbe(Form, Form, u"D", true);
        Form->Show();
        Pump();
        Log.clear();
    }
    void TearDown() override
    {
        delete Form;
        delete Screen;
        gLog = nullptr;
    }
    static void Pump()
    {
        while (ProcessOneMessage()) {
        }
    }
    void Press(int vk, unsigned mods = headless::None)
    {
        headless::PressKey(vk, mods);
        Pump();
    }
    std::u16string FocusedName() const
    {
        TWinControl* c = FindControl(GetFocus());
        return c ? c->Name() : u"(none)";
    }

    headless::Session Session;
    std::vector<std::string> Log;
    TCustomForm* Form = nullptr;
    TProbe *A = nullptr, *P = nullptr, *B = nullptr, *C = nullptr, *D = nullptr;
};

} // namespace

TEST_F(FocusTest, ActivationFocusesTheFirstTabStop)
{
    EXPECT_EQ(FocusedName(), u"A");
    EXPECT_EQ(Form->ActiveControl(), A);
}

TEST_F(FocusTest, TabAndShiftTabFollowTheDepthFirstTabOrderAndWrap)
{
    struct Step {
        int Vk;
        unsigned Mods;
        const char16_t* Expected;
    };
    const Step steps[] = {
        {VK_TAB, headless::None, u"B"},  {VK_TAB, headless::None, u"C"},  {VK_TAB, headless::None, u"D"},
        {VK_TAB, headless::None, u"A"},  {VK_TAB, headless::Shift, u"D"}, {VK_TAB, headless::Shift, u"C"},
        {VK_TAB, headless::Shift, u"B"}, {VK_TAB, headless::Shift, u"A"},
    };
    for (const Step& s : steps) {
        Press(s.Vk, s.Mods);
        EXPECT_EQ(FocusedName(), s.Expected);
    }
}

TEST_F(FocusTest, ArrowKeysMoveAmongSiblingsWithoutTheTabStopTest)
{
    Press(VK_RIGHT);
    EXPECT_EQ(FocusedName(), u"P"); // P has no tab stop but can take the focus
    B->SetFocus();
    Pump();
    Press(VK_DOWN);
    EXPECT_EQ(FocusedName(), u"C");
    Press(VK_RIGHT);
    EXPECT_EQ(FocusedName(), u"B"); // wraps inside the container
    Press(VK_LEFT);
    EXPECT_EQ(FocusedName(), u"C");
}

TEST_F(FocusTest, ExitRunsBeforeEnterAndSharedContainersSeeNeither)
{
    B->SetFocus();
    Pump();
    Log.clear();
    C->SetFocus();
    Pump();
    EXPECT_EQ(Log, (std::vector<std::string>{"exit B", "enter C"}));
    Log.clear();
    D->SetFocus();
    Pump();
    EXPECT_EQ(Log, (std::vector<std::string>{"exit C", "exit P", "enter D"}));
}

TEST(FocusRouting, AControlThatWantsTabKeepsItAndKeyPreviewSeesKeysFirst)
{
    headless::Session session;
    Screen = new TScreen(nullptr);
    std::vector<std::string> log;
    gLog = &log;
    auto* form = new TCustomForm(nullptr);
    auto* grid = new TProbe(form, form, u"Grid", true, DLGC_WANTTAB | DLGC_WANTARROWS);
    new TProbe(form, form, u"Picker", true);
    form->Show();
    while (ProcessOneMessage()) {
    }
    ASSERT_EQ(FindControl(GetFocus()), grid);
    log.clear();
    headless::PressKey(VK_TAB);
    while (ProcessOneMessage()) {
    }
    EXPECT_EQ(FindControl(GetFocus()), grid);
    EXPECT_EQ(log, (std::vector<std::string>{"key 9 Grid"}));

    form->SetKeyPreview(true);
    form->OnKeyDown = TKeyEvent::Bind(form, [&](components::TObject*, uint16_t& key, TShiftState) {
        log.push_back("form " + std::to_string(key));
        if (key == 'X')
            key = 0;
    });
    log.clear();
    headless::PressKey('X');
    headless::PressKey('Y');
    while (ProcessOneMessage()) {
    }
    EXPECT_EQ(log, (std::vector<std::string>{"form 88", "form 89", "key 89 Grid"}));
    delete form;
    delete Screen;
    gLog = nullptr;
}

TEST(FocusRouting, SelectNextWithNowhereToGoKeepsTheFocus)
{
    headless::Session session;
    Screen = new TScreen(nullptr);
    auto* form = new TCustomForm(nullptr);
    auto* only = new TProbe(form, form, u"Only", true);
    form->Show();
    while (ProcessOneMessage()) {
    }
    headless::PressKey(VK_TAB);
    while (ProcessOneMessage()) {
    }
    EXPECT_EQ(FindControl(GetFocus()), only);
    only->SetEnabled(false);
    form->SelectNext(only, true, true); // nothing can take the focus: no change, no error
    delete form;
    delete Screen;
}

TEST(FocusRouting, SetActiveControlRejectsControlsThatCannotFocus)
{
    headless::Session session;
    Screen = new TScreen(nullptr);
    auto* form = new TCustomForm(nullptr);
    auto* hidden = new TProbe(form, form, u"Hidden", true);
    hidden->SetVisible(false);
    form->Show();
    try {
        form->SetActiveControl(hidden);
        ADD_FAILURE();
    } catch (const core::EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), u"Cannot focus a disabled or invisible window");
    }
    delete form;
    delete Screen;
}
