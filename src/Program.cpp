#include "Program.h"

#include "Unit1.h"
#include "winapi/WinApi.h"

#include <cstdint>
#include <cstdlib>
#include <exception>

namespace {

// Whatever ends the process unexpectedly, no window is left translucent behind it.
void RestoreBeforeDying() {
    static bool done = false;
    if (done) return;
    done = true;
    try {
        if (Form1) Form1->RestoreEverything();
    } catch (...) {
        // Nothing more can be done while dying.
    }
}

win::LONG WINAPI_CB OnFault(void*) {
    RestoreBeforeDying();
    return 1; // EXCEPTION_EXECUTE_HANDLER: the process ends without a debugger
}

[[noreturn]] void OnTerminate() {
    RestoreBeforeDying();
    std::_Exit(3);
}

} // namespace

int RunProgram() {
    win::Win().SetUnhandledExceptionFilter(OnFault);
    std::set_terminate(OnTerminate);
#ifdef LUMRA_TEST_FAULT
    // Test builds only: a posted private message makes the process fault, as a bug would.
    vcl::UtilWindow faultTrigger(
        [](vcl::TMessage& m) {
            if (m.Msg != win::WM_USER + 0x3F0) return false;
            // An address the compiler cannot see is null, so this is a real access violation.
            static volatile std::uintptr_t nowhere = 0;
            *reinterpret_cast<volatile int*>(nowhere) = 0;
            return true;
        },
        "LumraFaultTrigger");
#endif
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
