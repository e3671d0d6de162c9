// The application object and forms.
#pragma once

#include "vcl/Controls.h"

#include <cstring>
#include <new>

namespace vcl {

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using enum TFormBorderStyle;

class TForm : public TWinControl {
public:
    explicit TForm(TComponent* AOwner);
    ~TForm() override;
    const char* ClassName() const override { return "TForm"; }

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }

    void Show(); // visible and brought to the front
    void Hide();
    void Close(); // the main form's close ends the application

    // Reads the form's description, the RCDATA resource named after its class in upper case.
    void InitInheritedComponent();
    // Runs OnCreate; an exception there is shown and the program goes on.
    void AfterConstruction();
    // Hides the form and runs OnDestroy while every component still exists.
    void BeforeDestruction() override;

    void ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& message) override;

private:
    TFormBorderStyle borderStyle_ = bsSizeable;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    bool destroyed_ = false;
};

class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;
    const char* ClassName() const override { return "TApplication"; }

    void Initialize();
    bool ShowMainForm = true;
    HWND Handle(); // the hidden application window
    const AnsiString& Title() const { return title_; }
    TForm* MainForm() const { return mainForm_; }
    bool Terminated() const { return terminated_; }

    // Allocates the form, stores it into `reference`, then constructs it and reads its
    // description: the reference is valid while the form's own handlers run.
    template <class T> void CreateForm(T*& reference) {
        void* memory = ::operator new(sizeof(T));
        std::memset(memory, 0, sizeof(T));
        reference = static_cast<T*>(memory);
        T* form;
        try {
            form = new (memory) T(this);
        } catch (...) {
            reference = nullptr;
            ::operator delete(memory);
            throw;
        }
        AdoptForm(form, [&reference] { reference = nullptr; });
    }

    void Run();
    void Terminate();
    void ProcessMessages();
    void HandleException(const Exception& e);
    void ShowException(const Exception& e);
    // Destroys the forms, as the class library does at program exit.
    void DestroyForms();

private:
    void AdoptForm(TForm* form, const std::function<void()>& forget);
    bool ProcessMessage(win::MSG& msg);

    HWND handle_ = nullptr;
    AnsiString title_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
};

extern TApplication* Application;

// The application object's life: made at start, gone at exit (a test makes one per case).
class ApplicationScope {
public:
    ApplicationScope();
    ~ApplicationScope();
    ApplicationScope(const ApplicationScope&) = delete;
    ApplicationScope& operator=(const ApplicationScope&) = delete;
};

// The title the class library derives from the executable: its file name up to the first ".",
// lower-cased except its first character.
AnsiString TitleFromModuleName(const AnsiString& modulePath);

} // namespace vcl
