// Remembers, for every window Lumra changes, how its program had it, so it can be put back:
// its layered bit and, when it was layered already, its own colour key and alpha.
#pragma once

#include "winapi/WinTypes.h"

#include <functional>
#include <map>

class WindowLedger {
public:
    // Called before Lumra first changes `hwnd`. Records the window's own state the first time
    // and says whether Lumra may change it: a window layered by its own program whose attributes
    // cannot be read (it draws with per-pixel alpha) is never touched.
    bool Admit(win::HWND hwnd);
    bool Contains(win::HWND hwnd) const { return entries_.count(hwnd) != 0; }
    // Puts one recorded window back as its program had it.
    void Restore(win::HWND hwnd) const;
    // Every recorded window for which `skip` says no.
    void RestoreAll(const std::function<bool(win::HWND)>& skip) const;

private:
    struct Original {
        bool mayChange = false;
        bool layered = false;
        win::COLORREF key = 0;
        win::BYTE alpha = 255;
        win::DWORD flags = 0;
    };
    std::map<win::HWND, Original> entries_;
};

// Sets or clears WS_EX_LAYERED by reading the extended style and writing it back, every time.
void SetLayeredStyle(win::HWND hwnd, bool layered);
// Calls SetLayeredWindowAttributes, looked up by name in "user32.dll" loaded for this one call,
// so a Windows without it runs on; there nothing happens.
void SetLayeredAttributesByName(win::HWND hwnd, win::COLORREF key, win::BYTE alpha,
                                win::DWORD flags);
