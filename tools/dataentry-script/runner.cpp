#include "tools/dataentry-script/runner.h"

#include <fstream>

#include "app/application.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "program/form1.h"

namespace runner {

using namespace platform;
namespace hl = platform::headless;

void Runner::Pump()
{
    app::Application->ProcessMessages();
}

HWND WindowAt(HWND form, long long x, long long y, TPoint& client)
{
    const TPoint screen = platform::ClientToScreen(form, {static_cast<int>(x), static_cast<int>(y)});
    HWND h = WindowFromPoint(screen);
    if (!h)
        h = form;
    client = platform::ScreenToClient(h, screen);
    return h;
}

HWND Runner::Target(long long x, long long y, TPoint& client) const
{
    return WindowAt(program::Form1->Handle(), x, y, client);
}

void Runner::NoteBoxes(size_t answersBefore)
{
    const size_t shown = hl::MessageBoxes().size();
    const size_t used = answersBefore - std::min(answersBefore, hl::Get().Answers.size());
    size_t answeredNow = used;
    while (FAnswered.size() < shown) {
        FAnswered.push_back({answeredNow > 0});
        if (answeredNow > 0)
            --answeredNow;
    }
}

void Runner::Run()
{
    using app::Application;
    Application->Initialize();
    Application->SetMainFormOnTaskBar(true);
    Application->CreateForm(program::Form1);
    program::Form1->SetVisible(true);
    Pump();
    for (size_t i = 0; i < FSteps.size() && !Application->Terminated(); ++i) {
        const Step& s = FSteps[i];
        if (s.Verb == "answer") {
            hl::AnswerMessageBox(*ParseButton(s.Text));
            continue;
        }
        // An answer right after a step is meant for a box that step shows.
        if (i + 1 < FSteps.size() && FSteps[i + 1].Verb == "answer") {
            hl::AnswerMessageBox(*ParseButton(FSteps[i + 1].Text));
            ++i;
        }
        const size_t before = hl::Get().Answers.size();
        try {
            Execute(s);
        } catch (const std::exception& e) {
            FFailLine = s.Line;
            FFailReason = e.what();
            return;
        }
        NoteBoxes(before);
    }
}

void Runner::Execute(const Step& s)
{
    const auto& n = s.Numbers;
    TPoint client;
    if (s.Verb == "key") {
        const KeyStroke k = *ParseKey(s.Text);
        hl::PressKey(k.Vk, k.Modifiers);
    } else if (s.Verb == "type") {
        hl::TypeText(core::FromUtf8(s.Text));
    } else if (s.Verb == "click" || s.Verb == "dblclick") {
        const HWND h = Target(n[0], n[1], client);
        hl::MouseMove(h, client);
        if (s.Verb == "click")
            hl::Click(h, client);
        else
            hl::DoubleClick(h, client);
    } else if (s.Verb == "drag") {
        const HWND h = Target(n[0], n[1], client);
        hl::MouseMove(h, client);
        hl::MouseDown(h, client);
        Pump();
        const TPoint from = client;
        TPoint to;
        Target(n[2], n[3], to);
        to = platform::ScreenToClient(h, platform::ClientToScreen(program::Form1->Handle(),
                                                                  {static_cast<int>(n[2]), static_cast<int>(n[3])}));
        for (int step = 1; step <= 4; ++step) {
            hl::MouseMove(h, {from.X + (to.X - from.X) * step / 4, from.Y + (to.Y - from.Y) * step / 4});
            Pump();
        }
        hl::MouseUp(h, to);
    } else if (s.Verb == "wheel") {
        // The wheel turns where the mouse is.
        const HWND h = Target(n[0], n[1], client);
        hl::MouseMove(h, client);
        hl::Wheel(h, client, static_cast<int>(n[2]) * WHEEL_DELTA);
    } else if (s.Verb == "wait") {
        // In 10 ms slices so that animations and timers run as they would.
        for (long long left = n[0]; left > 0; left -= 10) {
            hl::Advance(static_cast<uint32_t>(std::min<long long>(left, 10)));
            Pump();
        }
    } else if (s.Verb == "dpi") {
        hl::ChangeDensity(static_cast<int>(n[0]));
    } else if (s.Verb == "shot") {
        Pump();
        if (OnShot)
            OnShot(s.Text, program::Form1->Handle());
        else
            hl::ScreenAreaOf(program::Form1->Handle()).SavePng(s.Text);
    } else if (s.Verb == "state") {
        Pump();
        if (OnState) {
            OnState(s.Text, ProgramState(FAnswered));
            return;
        }
        std::ofstream out(s.Text, std::ios::binary);
        out << ProgramState(FAnswered).dump(1) << '\n';
        if (!out)
            throw std::runtime_error("cannot write " + s.Text);
    } else if (s.Verb == "close") {
        PostMessage(program::Form1->Handle(), WM_CLOSE);
    }
    Pump();
}

} // namespace runner
