#include "vcl/Forms.h"

#include "vcl/FormReader.h"

namespace vcl {

using namespace win;

TApplication* Application = nullptr;

ApplicationScope::ApplicationScope() {
    Application = new TApplication(nullptr);
}

ApplicationScope::~ApplicationScope() {
    Free(Application);
    Application = nullptr;
}

AnsiString TitleFromModuleName(const AnsiString& modulePath) {
    AnsiString name = ExtractFileName(modulePath);
    name = name.substr(0, name.find('.'));
    auto& api = Win();
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (api.IsDBCSLeadByte(static_cast<BYTE>(name[i]))) {
            ++i; // a double-byte character is left as it is
            continue;
        }
        if (i > 0 && name[i] >= 'A' && name[i] <= 'Z') name[i] = static_cast<char>(name[i] + 0x20);
    }
    return name;
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
    title_ = TitleFromModuleName(ModuleFileName());
}

TApplication::~TApplication() {
    DestroyForms();
    if (handle_) {
        Win().DestroyWindow(handle_);
        ForgetTargetWindow(handle_);
    }
}

void TApplication::Initialize() {
    Handle();
}

HWND TApplication::Handle() {
    if (!handle_) {
        RegisterWindowClass("TApplication", nullptr);
        // The window that owns every form and would carry the taskbar button; never shown.
        handle_ = Win().CreateWindowExA(
            0, "TApplication", title_.c_str(),
            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0,
            nullptr, nullptr, Win().GetModuleHandleA(nullptr), nullptr);
        if (!handle_) throw EInvalidOperation("cannot create the application window");
    }
    return handle_;
}

void TApplication::AdoptForm(TForm* form, const std::function<void()>& forget) {
    try {
        form->InitInheritedComponent();
    } catch (...) {
        Free(form);
        forget();
        throw;
    }
    if (!mainForm_) mainForm_ = form;
    form->AfterConstruction();
}

void TApplication::DestroyForms() {
    while (ComponentCount() > 0) Free(Components(ComponentCount() - 1));
    mainForm_ = nullptr;
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return false;
    }
    // Tab and arrow keys move between the controls of the form the message is for.
    for (int i = 0; i < ComponentCount(); ++i) {
        if (auto* form = dynamic_cast<TForm*>(Components(i));
            form && form->HandleAllocated() && form->Visible() &&
            Win().IsDialogMessageA(form->Handle(), &msg))
            return true;
    }
    Win().TranslateMessage(&msg);
    Win().DispatchMessageA(&msg);
    return true;
}

void TApplication::Run() {
    if (mainForm_ && ShowMainForm) mainForm_->Show();
    while (!terminated_) {
        MSG msg{};
        const BOOL got = Win().GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            terminated_ = true;
            break;
        }
        ProcessMessage(msg);
    }
}

void TApplication::Terminate() {
    Win().PostQuitMessage(0);
}

void TApplication::ProcessMessages() {
    MSG msg{};
    while (!terminated_ && Win().PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ProcessMessage(msg);
}

void TApplication::HandleException(const Exception& e) {
    ShowException(e);
}

void TApplication::ShowException(const Exception& e) {
    AnsiString text = e.Message();
    if (!text.empty() && text.back() != '.') text += '.';
    Win().MessageBoxA(nullptr, text.c_str(), title_.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {
    visible_ = false;
}

TForm::~TForm() {
    // Free has run BeforeDestruction while the derived form still existed; OnDestroy belongs to
    // that form, so a form deleted any other way is only hidden here.
    if (!destroyed_) Hide();
}

void TForm::InitInheritedComponent() {
    WinApi& api = Win();
    AnsiString resourceName = ClassName();
    for (char& c : resourceName)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
    HMODULE module = api.GetModuleHandleA(nullptr);
    HRSRC resource = api.FindResourceA(module, resourceName.c_str(), RT_RCDATA());
    if (!resource) throw EReadError("resource " + resourceName + " not found");
    HGLOBAL loaded = api.LoadResource(module, resource);
    const void* bytes = loaded ? api.LockResource(loaded) : nullptr;
    if (!bytes) throw EReadError("resource " + resourceName + " cannot be read");
    const AnsiString text(static_cast<const char*>(bytes), api.SizeofResource(module, resource));
    FormReader::ReadRoot(this, text);
    // The windows exist from here on, hidden, so a tool outside finds every control.
    UpdateHandles();
}

void TForm::AfterConstruction() {
    if (!OnCreate) return;
    try {
        OnCreate(this);
    } catch (const Exception& e) {
        Application->HandleException(e);
    }
}

void TForm::BeforeDestruction() {
    if (destroyed_) return;
    destroyed_ = true;
    Hide();
    if (OnDestroy) {
        try {
            OnDestroy(this);
        } catch (const Exception& e) {
            Application->HandleException(e);
        }
    }
}

void TForm::Show() {
    SetVisible(true);
    Win().SetForegroundWindow(Handle());
}

void TForm::Hide() {
    SetVisible(false);
}

void TForm::Close() {
    if (Application && Application->MainForm() == this)
        Application->Terminate();
    else
        Hide();
}

void TForm::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    // No WS_CLIPCHILDREN: a group box draws only its frame, so the form's own background must show
    // through it.
    params.style = WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
    if (borderStyle_ == bsToolWindow) params.exStyle |= WS_EX_TOOLWINDOW;
    params.exStyle |= WS_EX_CONTROLPARENT;
    // An owned window: no taskbar button, and never mistaken for another program's window.
    params.parent = Application ? Application->Handle() : nullptr;
    RECT frame{0, 0, clientWidth_, clientHeight_};
    Win().AdjustWindowRectEx(&frame, params.style, 0, params.exStyle);
    params.width = frame.right - frame.left;
    params.height = frame.bottom - frame.top;
    width_ = params.width;
    height_ = params.height;
}

void TForm::WndProc(TMessage& message) {
    if (message.Msg == WM_CLOSE) {
        Close();
        return;
    }
    // Logoff or shutdown: Windows may end the process any time after this message returns, so
    // the form's own ending (OnDestroy) runs now; its destruction later does not repeat it.
    if (message.Msg == WM_ENDSESSION && message.WParam) {
        BeforeDestruction();
        message.Result = 0;
        return;
    }
    TWinControl::WndProc(message);
}

void TForm::ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) {
    if (name == "BorderStyle")
        borderStyle_ = static_cast<TFormBorderStyle>(
            value.AsEnum(reader, {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow",
                                  "bsSizeToolWin"}));
    else if (name == "ClientWidth")
        clientWidth_ = value.AsInt(reader, 0, 32767);
    else if (name == "ClientHeight")
        clientHeight_ = value.AsInt(reader, 0, 32767);
    else if (name == "OnCreate")
        OnCreate = reader.Handler(value);
    else if (name == "OnDestroy")
        OnDestroy = reader.Handler(value);
    else if (name == "PixelsPerInch")
        value.AsInt(reader, 1, 10000); // drawn at the system's own
    else if (name == "TextHeight")
        value.AsInt(reader, 0, 1000);
    else
        TWinControl::ReadProperty(name, value, reader);
}

} // namespace vcl
