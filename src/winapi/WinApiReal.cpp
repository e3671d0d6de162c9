// The real binding of the seam: each method is the Windows function of the same name. Our records
// have the documented layouts, so pointers to them are handed through as the Windows types.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include "winapi/WinApi.h"

#include <windows.h>

// After windows.h, which it needs.
#include <shellapi.h>

static_assert(sizeof(win::POINT) == sizeof(::POINT));
static_assert(sizeof(win::RECT) == sizeof(::RECT));
static_assert(sizeof(win::MSG) == sizeof(::MSG));
static_assert(sizeof(win::WNDCLASSEXA) == sizeof(::WNDCLASSEXA));
static_assert(sizeof(win::NOTIFYICONDATAA) == NOTIFYICONDATAA_V1_SIZE);

namespace win {
namespace {

template <class To, class From> To As(From from) {
    return reinterpret_cast<To>(from);
}
template <class To, class From> To AsFn(From from) {
    return reinterpret_cast<To>(reinterpret_cast<void (*)()>(from));
}

class Real final : public WinApi {
public:
    BOOL EnumWindows(WNDENUMPROC p, LPARAM l) override {
        return ::EnumWindows(AsFn<::WNDENUMPROC>(p), l);
    }
    BOOL EnumChildWindows(HWND h, WNDENUMPROC p, LPARAM l) override {
        return ::EnumChildWindows(h, AsFn<::WNDENUMPROC>(p), l);
    }
    BOOL IsWindow(HWND h) override { return ::IsWindow(h); }
    BOOL IsWindowVisible(HWND h) override { return ::IsWindowVisible(h); }
    HWND GetWindow(HWND h, UINT c) override { return ::GetWindow(h, c); }
    int GetWindowTextLengthA(HWND h) override { return ::GetWindowTextLengthA(h); }
    BOOL SetWindowTextA(HWND h, const char* t) override { return ::SetWindowTextA(h, t); }
    HWND FindWindowA(const char* c, const char* n) override { return ::FindWindowA(c, n); }
    LONG GetWindowLongA(HWND h, int i) override { return ::GetWindowLongA(h, i); }
    LONG SetWindowLongA(HWND h, int i, LONG v) override { return ::SetWindowLongA(h, i, v); }
    HWND GetForegroundWindow() override { return ::GetForegroundWindow(); }
    BOOL SetForegroundWindow(HWND h) override { return ::SetForegroundWindow(h); }
    BOOL GetCursorPos(POINT* p) override { return ::GetCursorPos(As<::POINT*>(p)); }
    BOOL ShowWindow(HWND h, int c) override { return ::ShowWindow(h, c); }
    HWINEVENTHOOK SetWinEventHook(DWORD a, DWORD b, HMODULE m, WINEVENTPROC p, DWORD pid, DWORD tid,
                                  DWORD f) override {
        // Looked up by name: a Windows without it runs on the timer alone.
        auto set = AsFn<::HWINEVENTHOOK(WINAPI*)(DWORD, DWORD, HMODULE, ::WINEVENTPROC, DWORD,
                                                 DWORD, DWORD)>(
            ::GetProcAddress(::GetModuleHandleA("user32.dll"), "SetWinEventHook"));
        return set ? set(a, b, m, AsFn<::WINEVENTPROC>(p), pid, tid, f) : nullptr;
    }
    BOOL UnhookWinEvent(HWINEVENTHOOK h) override {
        auto unhook = AsFn<BOOL(WINAPI*)(::HWINEVENTHOOK)>(
            ::GetProcAddress(::GetModuleHandleA("user32.dll"), "UnhookWinEvent"));
        return unhook ? unhook(h) : FALSE;
    }

    BOOL GetClassInfoExA(HINSTANCE i, const char* c, WNDCLASSEXA* w) override {
        return ::GetClassInfoExA(i, c, As<::WNDCLASSEXA*>(w));
    }
    ATOM RegisterClassExA(const WNDCLASSEXA* w) override {
        return ::RegisterClassExA(As<const ::WNDCLASSEXA*>(w));
    }
    HWND CreateWindowExA(DWORD ex, const char* c, const char* n, DWORD s, int x, int y, int w,
                         int h, HWND p, HMENU m, HINSTANCE i, void* param) override {
        return ::CreateWindowExA(ex, c, n, s, x, y, w, h, p, m, i, param);
    }
    BOOL DestroyWindow(HWND h) override { return ::DestroyWindow(h); }
    LRESULT DefWindowProcA(HWND h, UINT m, WPARAM w, LPARAM l) override {
        return ::DefWindowProcA(h, m, w, l);
    }
    LRESULT CallWindowProcA(WNDPROC p, HWND h, UINT m, WPARAM w, LPARAM l) override {
        return ::CallWindowProcA(AsFn<::WNDPROC>(p), h, m, w, l);
    }
    BOOL SetWindowPos(HWND h, HWND a, int x, int y, int cx, int cy, UINT f) override {
        return ::SetWindowPos(h, a, x, y, cx, cy, f);
    }
    BOOL AdjustWindowRectEx(RECT* r, DWORD s, BOOL m, DWORD ex) override {
        return ::AdjustWindowRectEx(As<::RECT*>(r), s, m, ex);
    }
    int SetScrollPos(HWND h, int b, int p, BOOL r) override { return ::SetScrollPos(h, b, p, r); }
    BOOL SetScrollRange(HWND h, int b, int lo, int hi, BOOL r) override {
        return ::SetScrollRange(h, b, lo, hi, r);
    }

    LRESULT SendMessageA(HWND h, UINT m, WPARAM w, LPARAM l) override {
        return ::SendMessageA(h, m, w, l);
    }
    BOOL PostMessageA(HWND h, UINT m, WPARAM w, LPARAM l) override {
        return ::PostMessageA(h, m, w, l);
    }
    void PostQuitMessage(int c) override { ::PostQuitMessage(c); }
    BOOL GetMessageA(MSG* m, HWND h, UINT a, UINT b) override {
        return ::GetMessageA(As<::MSG*>(m), h, a, b);
    }
    BOOL PeekMessageA(MSG* m, HWND h, UINT a, UINT b, UINT r) override {
        return ::PeekMessageA(As<::MSG*>(m), h, a, b, r);
    }
    BOOL TranslateMessage(const MSG* m) override { return ::TranslateMessage(As<const ::MSG*>(m)); }
    LRESULT DispatchMessageA(const MSG* m) override {
        return ::DispatchMessageA(As<const ::MSG*>(m));
    }
    BOOL IsDialogMessageA(HWND d, MSG* m) override { return ::IsDialogMessageA(d, As<::MSG*>(m)); }
    UINT RegisterWindowMessageA(const char* n) override { return ::RegisterWindowMessageA(n); }
    UINT_PTR SetTimer(HWND h, UINT_PTR id, UINT e, void* p) override {
        return ::SetTimer(h, id, e, As<::TIMERPROC>(p));
    }
    BOOL KillTimer(HWND h, UINT_PTR id) override { return ::KillTimer(h, id); }

    HMENU CreatePopupMenu() override { return ::CreatePopupMenu(); }
    BOOL AppendMenuA(HMENU m, UINT f, UINT_PTR id, const char* t) override {
        return ::AppendMenuA(m, f, id, t);
    }
    BOOL TrackPopupMenu(HMENU m, UINT f, int x, int y, int r, HWND o, const RECT* rc) override {
        return ::TrackPopupMenu(m, f, x, y, r, o, As<const ::RECT*>(rc));
    }
    BOOL DestroyMenu(HMENU m) override { return ::DestroyMenu(m); }
    HICON CreateIconFromResourceEx(BYTE* b, DWORD s, BOOL i, DWORD v, int cx, int cy,
                                   UINT f) override {
        return ::CreateIconFromResourceEx(b, s, i, v, cx, cy, f);
    }
    BOOL DestroyIcon(HICON i) override { return ::DestroyIcon(i); }
    HICON LoadIconA(HINSTANCE i, const char* n) override { return ::LoadIconA(i, n); }
    HCURSOR LoadCursorA(HINSTANCE i, const char* n) override { return ::LoadCursorA(i, n); }
    int MessageBoxA(HWND o, const char* t, const char* c, UINT f) override {
        return ::MessageBoxA(o, t, c, f);
    }

    HFONT CreateFontA(int h, int w, int e, int o, int wt, DWORD i, DWORD u, DWORD s, DWORD cs,
                      DWORD op, DWORD cp, DWORD q, DWORD pf, const char* f) override {
        return ::CreateFontA(h, w, e, o, wt, i, u, s, cs, op, cp, q, pf, f);
    }
    BOOL DeleteObject(HGDIOBJ o) override { return ::DeleteObject(o); }
    COLORREF SetTextColor(HDC d, COLORREF c) override { return ::SetTextColor(d, c); }
    COLORREF SetBkColor(HDC d, COLORREF c) override { return ::SetBkColor(d, c); }
    DWORD GetSysColor(int i) override { return ::GetSysColor(i); }
    HBRUSH GetSysColorBrush(int i) override { return ::GetSysColorBrush(i); }

    BOOL Shell_NotifyIconA(DWORD m, NOTIFYICONDATAA* d) override {
        return ::Shell_NotifyIconA(m, As<::NOTIFYICONDATAA*>(d));
    }

    HMODULE LoadLibraryA(const char* f) override { return ::LoadLibraryA(f); }
    FARPROC GetProcAddress(HMODULE m, const char* n) override {
        return AsFn<FARPROC>(::GetProcAddress(m, n));
    }
    BOOL FreeLibrary(HMODULE m) override { return ::FreeLibrary(m); }
    HMODULE GetModuleHandleA(const char* n) override { return ::GetModuleHandleA(n); }
    DWORD GetModuleFileNameA(HMODULE m, char* f, DWORD s) override {
        return ::GetModuleFileNameA(m, f, s);
    }
    UINT GetWindowsDirectoryA(char* b, UINT s) override { return ::GetWindowsDirectoryA(b, s); }
    DWORD GetPrivateProfileStringA(const char* a, const char* k, const char* d, char* r, DWORD s,
                                   const char* f) override {
        return ::GetPrivateProfileStringA(a, k, d, r, s, f);
    }
    BOOL WritePrivateProfileStringA(const char* a, const char* k, const char* t,
                                    const char* f) override {
        return ::WritePrivateProfileStringA(a, k, t, f);
    }
    BOOL IsDBCSLeadByte(BYTE c) override { return ::IsDBCSLeadByte(c); }
    DWORD GetCurrentProcessId() override { return ::GetCurrentProcessId(); }
    TOP_LEVEL_EXCEPTION_FILTER SetUnhandledExceptionFilter(TOP_LEVEL_EXCEPTION_FILTER f) override {
        return AsFn<TOP_LEVEL_EXCEPTION_FILTER>(
            ::SetUnhandledExceptionFilter(AsFn<LPTOP_LEVEL_EXCEPTION_FILTER>(f)));
    }
    HRSRC FindResourceA(HMODULE m, const char* n, const char* t) override {
        return ::FindResourceA(m, n, t);
    }
    HGLOBAL LoadResource(HMODULE m, HRSRC r) override { return ::LoadResource(m, r); }
    void* LockResource(HGLOBAL d) override { return ::LockResource(d); }
    DWORD SizeofResource(HMODULE m, HRSRC r) override { return ::SizeofResource(m, r); }
};

} // namespace

WinApi& RealWinApi() {
    static Real real;
    return real;
}

} // namespace win
