// The one seam between Lumra and Windows. Every Windows function the program calls is a method
// here, named and typed as Windows names it, so the same code runs against real Windows (the
// binding in WinApiReal.cpp, one line per method) and against the simulated desktop of the tests.
#pragma once

#include "winapi/WinTypes.h"

namespace win {

class WinApi {
public:
    virtual ~WinApi() = default;

    // user32: the desktop's windows
    virtual BOOL EnumWindows(WNDENUMPROC proc, LPARAM param) = 0;
    virtual BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param) = 0;
    virtual BOOL IsWindow(HWND hwnd) = 0;
    virtual BOOL IsWindowVisible(HWND hwnd) = 0;
    virtual HWND GetWindow(HWND hwnd, UINT cmd) = 0;
    virtual int GetWindowTextLengthA(HWND hwnd) = 0;
    virtual BOOL SetWindowTextA(HWND hwnd, const char* text) = 0;
    virtual HWND FindWindowA(const char* className, const char* windowName) = 0;
    virtual LONG GetWindowLongA(HWND hwnd, int index) = 0;
    virtual LONG SetWindowLongA(HWND hwnd, int index, LONG value) = 0;
    virtual HWND GetForegroundWindow() = 0;
    virtual BOOL SetForegroundWindow(HWND hwnd) = 0;
    virtual BOOL GetCursorPos(POINT* point) = 0;
    virtual BOOL ShowWindow(HWND hwnd, int cmd) = 0;
    virtual HWINEVENTHOOK SetWinEventHook(DWORD eventMin, DWORD eventMax, HMODULE module,
                                          WINEVENTPROC proc, DWORD processId, DWORD threadId,
                                          DWORD flags) = 0;
    virtual BOOL UnhookWinEvent(HWINEVENTHOOK hook) = 0;

    // user32: our own windows
    virtual BOOL GetClassInfoExA(HINSTANCE instance, const char* className, WNDCLASSEXA* wc) = 0;
    virtual ATOM RegisterClassExA(const WNDCLASSEXA* wc) = 0;
    virtual HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName,
                                 DWORD style, int x, int y, int width, int height, HWND parent,
                                 HMENU menu, HINSTANCE instance, void* param) = 0;
    virtual BOOL DestroyWindow(HWND hwnd) = 0;
    virtual LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    virtual LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam,
                                    LPARAM lParam) = 0;
    virtual BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy,
                              UINT flags) = 0;
    virtual BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle) = 0;
    virtual int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) = 0;
    virtual BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) = 0;

    // user32: messages and timers
    virtual LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    virtual BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    virtual void PostQuitMessage(int exitCode) = 0;
    virtual BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) = 0;
    virtual BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove) = 0;
    virtual BOOL TranslateMessage(const MSG* msg) = 0;
    virtual LRESULT DispatchMessageA(const MSG* msg) = 0;
    virtual BOOL IsDialogMessageA(HWND dialog, MSG* msg) = 0;
    virtual UINT RegisterWindowMessageA(const char* name) = 0;
    virtual UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, void* timerProc) = 0;
    virtual BOOL KillTimer(HWND hwnd, UINT_PTR id) = 0;

    // user32: menus, icons, cursors, message boxes
    virtual HMENU CreatePopupMenu() = 0;
    virtual BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, const char* text) = 0;
    virtual BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                                const RECT* rect) = 0;
    virtual BOOL DestroyMenu(HMENU menu) = 0;
    virtual HICON CreateIconFromResourceEx(BYTE* bits, DWORD size, BOOL icon, DWORD version, int cx,
                                           int cy, UINT flags) = 0;
    virtual BOOL DestroyIcon(HICON icon) = 0;
    virtual HICON LoadIconA(HINSTANCE instance, const char* name) = 0;
    virtual HCURSOR LoadCursorA(HINSTANCE instance, const char* name) = 0;
    virtual int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) = 0;

    // gdi32
    virtual HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight,
                              DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                              DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                              DWORD pitchAndFamily, const char* faceName) = 0;
    virtual BOOL DeleteObject(HGDIOBJ object) = 0;
    virtual COLORREF SetTextColor(HDC dc, COLORREF color) = 0;
    virtual COLORREF SetBkColor(HDC dc, COLORREF color) = 0;
    virtual DWORD GetSysColor(int index) = 0;
    virtual HBRUSH GetSysColorBrush(int index) = 0;

    // shell32
    virtual BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) = 0;

    // kernel32
    virtual HMODULE LoadLibraryA(const char* fileName) = 0;
    virtual FARPROC GetProcAddress(HMODULE module, const char* procName) = 0;
    virtual BOOL FreeLibrary(HMODULE module) = 0;
    virtual HMODULE GetModuleHandleA(const char* moduleName) = 0;
    virtual DWORD GetModuleFileNameA(HMODULE module, char* fileName, DWORD size) = 0;
    virtual UINT GetWindowsDirectoryA(char* buffer, UINT size) = 0;
    virtual DWORD GetPrivateProfileStringA(const char* appName, const char* keyName,
                                           const char* defaultText, char* returned, DWORD size,
                                           const char* fileName) = 0;
    virtual BOOL WritePrivateProfileStringA(const char* appName, const char* keyName,
                                            const char* text, const char* fileName) = 0;
    virtual BOOL IsDBCSLeadByte(BYTE testChar) = 0;
    virtual DWORD GetCurrentProcessId() = 0;
    virtual TOP_LEVEL_EXCEPTION_FILTER
    SetUnhandledExceptionFilter(TOP_LEVEL_EXCEPTION_FILTER filter) = 0;
    virtual HRSRC FindResourceA(HMODULE module, const char* name, const char* type) = 0;
    virtual HGLOBAL LoadResource(HMODULE module, HRSRC resource) = 0;
    virtual void* LockResource(HGLOBAL data) = 0;
    virtual DWORD SizeofResource(HMODULE module, HRSRC resource) = 0;
};

// The binding in use: the real one in lumra.exe, a simulated desktop in the tests.
WinApi& Win();
void SetWinApi(WinApi* api);

// The real binding (only in the Windows build).
WinApi& RealWinApi();

} // namespace win
