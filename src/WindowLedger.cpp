#include "WindowLedger.h"

#include "winapi/WinApi.h"
#include "winapi/WinConst.h"

using namespace win;

namespace {
// Loads "user32.dll" for one call of `name`; false when the function does not exist.
template <class Fn, class... Args> bool CallByName(const char* name, BOOL* result, Args... args) {
    WinApi& api = Win();
    HMODULE user32 = api.LoadLibraryA("user32.dll");
    FARPROC proc = api.GetProcAddress(user32, name);
    if (proc) {
        const BOOL r = ProcAs<Fn>(proc)(args...);
        if (result) *result = r;
    }
    api.FreeLibrary(user32);
    return proc != nullptr;
}
} // namespace

void SetLayeredAttributesByName(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags) {
    CallByName<SetLayeredWindowAttributesProc>("SetLayeredWindowAttributes", nullptr, hwnd, key,
                                               alpha, flags);
}

void SetLayeredStyle(HWND hwnd, bool layered) {
    WinApi& api = Win();
    const LONG style = api.GetWindowLongA(hwnd, GWL_EXSTYLE);
    api.SetWindowLongA(hwnd, GWL_EXSTYLE,
                       layered ? (style | static_cast<LONG>(WS_EX_LAYERED))
                               : (style & ~static_cast<LONG>(WS_EX_LAYERED)));
}

bool WindowLedger::Admit(HWND hwnd) {
    if (!hwnd) return false;
    if (const auto found = entries_.find(hwnd); found != entries_.end())
        return found->second.mayChange;
    if (!Win().IsWindow(hwnd)) return false;
    Original original;
    original.layered =
        (static_cast<DWORD>(Win().GetWindowLongA(hwnd, GWL_EXSTYLE)) & WS_EX_LAYERED) != 0;
    original.mayChange = !original.layered;
    if (original.layered) {
        BOOL read = 0;
        const bool exists = CallByName<GetLayeredWindowAttributesProc>(
            "GetLayeredWindowAttributes", &read, hwnd, &original.key, &original.alpha,
            &original.flags);
        original.mayChange = exists && read;
    }
    entries_[hwnd] = original;
    return original.mayChange;
}

void WindowLedger::Restore(HWND hwnd) const {
    const auto found = entries_.find(hwnd);
    if (found == entries_.end() || !found->second.mayChange || !Win().IsWindow(hwnd)) return;
    const Original& original = found->second;
    if (original.layered) {
        // Its program layered it: it keeps the bit and gets its own attributes back.
        SetLayeredStyle(hwnd, true);
        SetLayeredAttributesByName(hwnd, original.key, original.alpha, original.flags);
    } else {
        SetLayeredStyle(hwnd, false);
        SetLayeredAttributesByName(hwnd, 0, 255, LWA_ALPHA);
    }
}

void WindowLedger::RestoreAll(const std::function<bool(HWND)>& skip) const {
    for (const auto& [hwnd, original] : entries_)
        if (!skip(hwnd)) Restore(hwnd);
}
