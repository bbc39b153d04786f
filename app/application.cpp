#include "app/application.h"

#include <cstdio>
#include <filesystem>

#include "components/persistent.h"
#include "controls/key_routing.h"
#include "platform/services.h"

namespace app {

using namespace components;
using namespace controls;
using namespace platform;

TApplication* Application = nullptr;

DEFINE_CLASS(TApplication)
END_CLASS

namespace {

std::u16string ModuleFileName()
{
    std::error_code ec;
    const auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::u16string(u"dataentry") : core::FromUtf8(p.string());
}

// The plain report used when reporting through the application fails, and
// for exceptions outside the loop: a message box, and stderr when even that fails.
void PlainReport(const std::u16string& text, const std::u16string& caption, UINT flags)
{
    try {
        platform::MessageBox(HWND(), text, caption, flags);
    } catch (...) {
        std::fprintf(stderr, "%s: %s\n", core::ToUtf8(caption).c_str(), core::ToUtf8(text).c_str());
    }
}

std::u16string ForeignReportText(const char* className, const std::u16string& message)
{
    std::u16string msg = message;
    if (msg.empty() || msg.back() != u'.')
        msg += u".";
    return core::Format("Exception {} in module {} at {:016X}.\r\n{}\r\n", className,
                        core::ToUtf8(TitleFromModuleName(ModuleFileName())), 0, core::ToUtf8(msg));
}

} // namespace

std::u16string TitleFromModuleName(std::u16string_view path)
{
    std::u16string_view name = path;
    if (const auto slash = name.find_last_of(u'/'); slash != std::u16string_view::npos)
        name = name.substr(slash + 1);
    if (const auto dot = name.find(u'.'); dot != std::u16string_view::npos)
        name = name.substr(0, dot);
    if (name.empty())
        return {};
    return std::u16string(1, name[0]) + core::LowerCase(name.substr(1));
}

std::u16string ReportText(const std::exception& e)
{
    std::u16string msg;
    const std::exception* current = &e;
    while (current) {
        const auto* ce = dynamic_cast<const core::Exception*>(current);
        const std::u16string text = ce ? ce->Message() : core::FromUtf8(current->what());
        if (!text.empty())
            msg = text;
        // Inner exceptions are carried by std::nested_exception.
        const auto* nested = dynamic_cast<const std::nested_exception*>(current);
        if (!nested || !nested->nested_ptr())
            break;
        try {
            nested->rethrow_nested();
        } catch (const std::exception& inner) {
            const auto* ic = dynamic_cast<const core::Exception*>(&inner);
            const std::u16string innerText = ic ? ic->Message() : core::FromUtf8(inner.what());
            if (!innerText.empty())
                msg = innerText;
            current = nullptr;
        } catch (...) {
            current = nullptr;
        }
    }
    if (!msg.empty() && msg.back() > u'.')
        msg += u'.';
    return msg;
}

TApplication::TApplication(TComponent* owner) : TComponent(owner)
{
    FTitle = TitleFromModuleName(ModuleFileName());
    // Exceptions raised inside window procedures, notifications and
    // destructors are reported by the application and the program goes on.
    SetControlExceptionHandler([](TObject* sender) {
        if (Application)
            Application->HandleException(sender);
    });
    components::SetExceptionHandler([](std::exception_ptr e) {
        if (!Application)
            return;
        try {
            std::rethrow_exception(e);
        } catch (...) {
            Application->HandleException(Application);
        }
    });
    FormHooks().IsMainForm = [](const TCustomForm* f) { return Application && Application->FMainForm == f; };
    FormHooks().MainFormClosed = [](TCustomForm*) {
        if (Application)
            Application->Terminate();
    };
    // Task-bar and session notifications have no meaning here; the names are
    // registered so that code asking for them gets stable numbers.
    RegisterWindowMessage(u"TaskbarCreated");
    RegisterWindowMessage(u"TaskbarButtonCreated");
    CreateHandle();
}

TApplication::~TApplication()
{
    Destroying();
    // The forms (and everything they own) go first, most recently created first.
    DestroyComponents();
    if (FHandle)
        DestroyWindow(FHandle);
    // The window class's procedure names this object: a later application
    // object registers its own.
    UnregisterClass(u"TApplication");
    SetControlExceptionHandler({});
    components::SetExceptionHandler({});
    FormHooks() = {};
    if (Application == this)
        Application = nullptr;
}

void TApplication::CreateHandle()
{
    if (!GetClassInfo(u"TApplication")) {
        WndClass cls;
        cls.Name = u"TApplication";
        cls.Proc = [this](HWND h, UINT m, WPARAM w, LPARAM l) { return WndProc(h, m, w, l); };
        if (!RegisterClass(cls))
            core::Raise<core::EOutOfMemory>("Error creating window class");
    }
    FHandle = CreateWindowEx(WS_EX_TOOLWINDOW, u"TApplication", FTitle, WS_POPUP | WS_CLIPSIBLINGS | WS_CAPTION |
                                                                          WS_SYSMENU | WS_MINIMIZEBOX,
                             GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, HWND());
}

LRESULT TApplication::WndProc(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    try {
        switch (msg) {
        case WM_CLOSE:
            if (FMainForm)
                FMainForm->Close();
            return 0;
        case WM_ACTIVATEAPP:
            if (w)
                OnActivate(this);
            else
                OnDeactivate(this);
            return DefWindowProc(h, msg, w, l);
        default:
            return DefWindowProc(h, msg, w, l);
        }
    } catch (...) {
        HandleException(this);
        return 0;
    }
}

void TApplication::Initialize()
{
    // The start-up hook chain is empty: there is no component-object runtime to start.
}

void TApplication::SetMainFormOnTaskBar(bool value)
{
    if (value == FMainFormOnTaskBar)
        return;
    FMainFormOnTaskBar = value;
    if (!FHandle)
        return;
    const LPARAM ex = GetWindowLongPtr(FHandle, GWL_EXSTYLE);
    if (value) {
        SetWindowLongPtr(FHandle, GWL_EXSTYLE, ex | WS_EX_TOOLWINDOW);
        SetWindowText(FHandle, u"");
    } else {
        SetWindowLongPtr(FHandle, GWL_EXSTYLE, ex & ~static_cast<LPARAM>(WS_EX_TOOLWINDOW));
        SetWindowText(FHandle, FTitle);
    }
}

void TApplication::FormCreated(TCustomForm* form)
{
    if (!FMainForm && dynamic_cast<TForm*>(form)) {
        form->HandleNeeded();
        FMainForm = form;
    }
}

void TApplication::Run()
{
    FRunning = true;
    struct Done {
        bool& Flag;
        ~Done() { Flag = false; }
    } done{FRunning};
    if (!FMainForm)
        return;
    if (ShowMainForm)
        FMainForm->SetVisible(true);
    while (!FTerminated) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    }
}

void TApplication::HandleMessage()
{
    MSG msg;
    if (!ProcessMessage(msg))
        Idle();
}

void TApplication::ProcessMessages()
{
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

bool TApplication::ProcessMessage(MSG& msg)
{
    if (!PeekMessage(msg, HWND(), 0, 0, PM_NOREMOVE))
        return false;
    if (!PeekMessage(msg, HWND(), 0, 0, PM_REMOVE))
        return false;
    if (msg.message == WM_QUIT) {
        FTerminated = true;
        return true;
    }
    bool handled = false;
    OnMessage(msg, handled);
    // Pre-processing and hints claim nothing in this framework, nor do MDI
    // and dialog-box navigation: the key filter is the one that can.
    if (!handled && !controls::IsKeyMsg(msg)) {
        TranslateMessage(msg);
        DispatchMessage(msg);
    }
    return true;
}

void TApplication::Idle()
{
    bool done = true;
    try {
        OnIdle(this, done);
    } catch (...) {
        HandleException(this);
    }
    if (done)
        WaitMessage();
}

void TApplication::Terminate()
{
    PostQuitMessage(0);
}

void TApplication::HandleException(TObject* sender)
{
    if (HWND capture = GetCapture())
        SendMessage(capture, WM_CANCELMODE, 0, 0);
    const std::exception_ptr current = std::current_exception();
    if (!current)
        return;
    // An error while reporting falls back to the plain report: the loop, and
    // the user's edits with it, must survive a failing report.
    if (FReporting) {
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& e) {
            PlainReport(ReportText(e), FTitle, MB_OK | MB_ICONSTOP);
        } catch (...) {
        }
        return;
    }
    FReporting = true;
    struct Done {
        bool& Flag;
        ~Done() { Flag = false; }
    } done{FReporting};
    try {
        std::rethrow_exception(current);
    } catch (const core::EAbort&) {
        // Silent.
    } catch (const core::Exception& e) {
        try {
            if (OnException)
                OnException(sender, e);
            else
                ShowException(e);
        } catch (...) {
            PlainReport(ReportText(e), FTitle, MB_OK | MB_ICONSTOP);
        }
    } catch (const std::exception& e) {
        PlainReport(ForeignReportText(typeid(e).name(), core::FromUtf8(e.what())), u"Application Error",
                    MB_TASKMODAL | MB_ICONERROR);
    } catch (...) {
        PlainReport(ForeignReportText("unknown", u""), u"Application Error", MB_TASKMODAL | MB_ICONERROR);
    }
}

void TApplication::ShowException(const std::exception& e)
{
    MessageBox(ReportText(e), FTitle, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::u16string& text, const std::u16string& caption, UINT flags)
{
    TCustomForm* active = Screen ? Screen->ActiveCustomForm() : nullptr;
    const HWND owner = active && active->HandleAllocated() ? active->Handle() : FHandle;
    return platform::MessageBox(owner, text, caption, flags);
}

void InitControls()
{
    Screen = new TScreen(nullptr);
    Application = new TApplication(nullptr);
}

void DoneControls()
{
    delete Application;
    Application = nullptr;
    delete Screen;
    Screen = nullptr;
}

int RunEntryPoint(const std::function<void()>& body)
{
    int code = 0;
    InitControls();
    try {
        body();
    } catch (const core::Exception& e) {
        PlainReport(ForeignReportText(e.ClassName(), e.Message()), u"Application Error", MB_TASKMODAL | MB_ICONERROR);
        code = 1;
    } catch (const std::exception& e) {
        PlainReport(ForeignReportText(typeid(e).name(), core::FromUtf8(e.what())), u"Application Error",
                    MB_TASKMODAL | MB_ICONERROR);
        code = 1;
    } catch (...) {
        PlainReport(ForeignReportText("unknown", u""), u"Application Error", MB_TASKMODAL | MB_ICONERROR);
        code = 1;
    }
    DoneControls();
    return code;
}

} // namespace app
