// Lumra's entry point: no window and no taskbar button, only the tray icon.
#include "Unit1.h"
#include "winapi/WinApi.h"

int main() {
    win::SetWinApi(&win::RealWinApi());
    vcl::ApplicationScope application;
    try {
        vcl::Application->Initialize();
        vcl::Application->ShowMainForm = false;
        win::Win().ShowWindow(vcl::Application->Handle(), win::SW_HIDE);
        vcl::Application->CreateForm(Form1);
        vcl::Application->Run();
    } catch (const vcl::Exception& e) {
        vcl::Application->ShowException(e);
    }
    return 0;
}
