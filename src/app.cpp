// Lumra's entry point: no window and no taskbar button, only the tray icon.
#include "Program.h"
#include "winapi/WinApi.h"

int main() {
    win::SetWinApi(&win::RealWinApi());
    return RunProgram();
}
