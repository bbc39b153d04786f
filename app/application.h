#pragma once
// TApplication: the process-wide application object. It owns the forms made
// by CreateForm (the first one becomes MainForm), runs the message loop with
// its filter chain and idle processing, reports exceptions in message boxes
// and ends the program when the main form closes.
#include <exception>
#include <new>
#include <string>

#include "core/closure.h"
#include "core/exception.h"
#include "controls/form.h"
#include "platform/window.h"

namespace app {

using TMessageEvent = core::Closure<void(platform::MSG& msg, bool& handled)>;
using TIdleEvent = core::Closure<void(components::TObject* sender, bool& done)>;
using TExceptionEvent = core::Closure<void(components::TObject* sender, const core::Exception& e)>;

class TApplication : public components::TComponent {
    DECLARE_CLASS(TApplication, components::TComponent)
public:
    explicit TApplication(components::TComponent* owner);
    ~TApplication() override;

    void Initialize();
    bool MainFormOnTaskBar() const { return FMainFormOnTaskBar; }
    void SetMainFormOnTaskBar(bool value);
    const std::u16string& Title() const { return FTitle; }
    void SetTitle(const std::u16string& v) { FTitle = v; }
    controls::TCustomForm* MainForm() const { return FMainForm; }
    bool Terminated() const { return FTerminated; }
    bool Running() const { return FRunning; }
    bool ShowMainForm = true;
    platform::HWND Handle() const { return FHandle; }

    // Creates a form owned by the application. The reference holds the new
    // instance while its constructor and its description's loading run; if
    // either fails the form is destroyed, the reference cleared and the
    // exception propagates. The first TForm becomes MainForm.
    template <class T>
    void CreateForm(T*& reference);

    void Run();
    void HandleMessage();
    void ProcessMessages();
    // One message taken, filtered and dispatched; false when none was queued.
    bool ProcessMessage(platform::MSG& msg);
    void Idle();
    void Terminate();

    // Reports the exception being handled (call from a catch block).
    void HandleException(components::TObject* sender);
    void ShowException(const std::exception& e);
    int MessageBox(const std::u16string& text, const std::u16string& caption, platform::UINT flags);

    TMessageEvent OnMessage;
    TIdleEvent OnIdle;
    TExceptionEvent OnException;
    controls::TNotifyEvent OnActivate, OnDeactivate;

private:
    void FormCreated(controls::TCustomForm* form);
    void CreateHandle();
    platform::LRESULT WndProc(platform::HWND h, platform::UINT msg, platform::WPARAM w, platform::LPARAM l);

    controls::TCustomForm* FMainForm = nullptr;
    bool FTerminated = false;
    bool FRunning = false;
    bool FMainFormOnTaskBar = false;
    bool FCreatingMainForm = false;
    bool FReporting = false;
    std::u16string FTitle;
    platform::HWND FHandle;
};

// The process-wide objects, created by InitControls and freed by DoneControls.
extern TApplication* Application;
void InitControls();
void DoneControls();

// The title a program file name gives: the part after the last '/', cut at
// its first '.', every character after the first in lower case.
std::u16string TitleFromModuleName(std::u16string_view path);
// The message of an exception as reports show it: the innermost non-empty
// message, with "." appended when its last character sorts after ".".
std::u16string ReportText(const std::exception& e);

// Runs an entry point between InitControls and DoneControls. An exception
// that escapes it is reported in a message box "Application Error" and the
// answer is 1; otherwise 0.
int RunEntryPoint(const std::function<void()>& body);

// ---- template ----------------------------------------------------------------

template <class T>
void TApplication::CreateForm(T*& reference)
{
    static_assert(std::is_base_of_v<controls::TCustomForm, T>, "CreateForm makes forms");
    FCreatingMainForm = FMainForm == nullptr;
    struct Clear {
        bool& Flag;
        ~Clear() { Flag = false; }
    } clear{FCreatingMainForm};
    // The reference names the instance before its constructor runs, so code
    // run while the form is built (Loaded, event handlers) can reach it.
    void* memory = ::operator new(sizeof(T));
    reference = static_cast<T*>(memory);
    T* form = nullptr;
    try {
        form = new (memory) T(this);
    } catch (...) {
        reference = nullptr;
        ::operator delete(memory);
        throw;
    }
    try {
        form->AfterConstruction();
    } catch (...) {
        reference = nullptr;
        delete form;
        throw;
    }
    FormCreated(form);
}

} // namespace app
