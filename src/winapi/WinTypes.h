// The Windows types the program hands across the seam, declared from their documented layouts so
// that the same code compiles on the test host and for Windows. Handles are pointers to the same
// opaque structs <windows.h> uses, so the real binding passes them through unchanged.
#pragma once

#include <cstddef>
#include <cstdint>

struct HWND__;
struct HINSTANCE__;
struct HICON__;
struct HMENU__;
struct HFONT__;
struct HBRUSH__;
struct HRSRC__;
struct HWINEVENTHOOK__;
struct HDC__;

#if defined(_WIN32) && !defined(_WIN64)
#define WINAPI_CB __attribute__((stdcall))
#else
#define WINAPI_CB
#endif

namespace win {

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using ATOM = WORD;
using COLORREF = DWORD;
using UINT_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

using HWND = HWND__*;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using HICON = HICON__*;
using HCURSOR = HICON;
using HMENU = HMENU__*;
using HFONT = HFONT__*;
using HBRUSH = HBRUSH__*;
using HRSRC = HRSRC__*;
using HGLOBAL = void*;
using HGDIOBJ = void*;
using HWINEVENTHOOK = HWINEVENTHOOK__*;
using HDC = HDC__*;

using WNDPROC = LRESULT(WINAPI_CB*)(HWND, UINT, WPARAM, LPARAM);
using WNDENUMPROC = BOOL(WINAPI_CB*)(HWND, LPARAM);
using FARPROC = std::intptr_t(WINAPI_CB*)();
using TOP_LEVEL_EXCEPTION_FILTER = LONG(WINAPI_CB*)(void* exceptionPointers);
using WINEVENTPROC = void(WINAPI_CB*)(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD);

struct POINT {
    LONG x;
    LONG y;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct WNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    const char* lpszMenuName;
    const char* lpszClassName;
    HICON hIconSm;
};

// The shell's original 88-byte notification record. Handles are stored as 32-bit values, as a
// 32-bit Windows lays them out, so the record is byte-identical on the 64-bit test host.
struct NOTIFYICONDATAA {
    std::uint32_t cbSize;
    std::uint32_t hWnd;
    std::uint32_t uID;
    std::uint32_t uFlags;
    std::uint32_t uCallbackMessage;
    std::uint32_t hIcon;
    char szTip[64];
};
static_assert(sizeof(NOTIFYICONDATAA) == 88, "NOTIFYICONDATAA must be the shell's 88-byte record");
static_assert(offsetof(NOTIFYICONDATAA, szTip) == 24);

// Functions reached only through GetProcAddress, so the exe starts on a Windows without them.
using SetLayeredWindowAttributesProc = BOOL(WINAPI_CB*)(HWND, COLORREF, BYTE, DWORD);
using GetLayeredWindowAttributesProc = BOOL(WINAPI_CB*)(HWND, COLORREF*, BYTE*, DWORD*);

// Turns a looked-up address into the typed function; the detour through a plain function pointer
// is the documented way to say the cast is deliberate.
template <class Fn> Fn ProcAs(FARPROC proc) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

inline HWND ToHwnd(std::uintptr_t value) {
    return reinterpret_cast<HWND>(value);
}
inline std::uintptr_t FromHwnd(HWND hwnd) {
    return reinterpret_cast<std::uintptr_t>(hwnd);
}

} // namespace win
