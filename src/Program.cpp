#include "Program.h"

#include "Unit1.h"
#include "winapi/WinApi.h"

int RunProgram() {
    vcl::ApplicationScope application;
    try {
        vcl::Application->Initialize();
        vcl::Application->ShowMainForm = false;
        // Hidden, the application's window carries no taskbar button.
        win::Win().ShowWindow(vcl::Application->Handle(), win::SW_HIDE);
        vcl::Application->CreateForm(Form1);
        vcl::Application->Run();
    } catch (const vcl::Exception& e) {
        vcl::Application->ShowException(e);
    }
    return 0;
}
