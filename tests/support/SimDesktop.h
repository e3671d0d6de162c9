// A simulated desktop behind the Windows seam: windows of other programs and our own, the
// foreground, the tray, profile files on real temporary files, timers, menus and message boxes,
// with a log of the calls a test asserts on. Installing one makes it the binding in use.
#pragma once

#include "winapi/WinApi.h"
#include "winapi/WinConst.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class SimDesktop final : public win::WinApi {
public:
    SimDesktop();
    ~SimDesktop() override;
    SimDesktop(const SimDesktop&) = delete;
    SimDesktop& operator=(const SimDesktop&) = delete;

    struct Window {
        win::HWND hwnd = nullptr;
        std::string label; // how the log names it
        std::string className;
        std::string title;
        bool visible = true;
        bool alive = true;
        win::HWND owner = nullptr;
        win::HWND parent = nullptr; // child windows only
        win::DWORD style = 0;
        win::DWORD exStyle = 0;
        bool attributesSet = false; // SetLayeredWindowAttributes took effect since layering
        bool perPixel = false;      // drawn with UpdateLayeredWindow: attributes cannot be read
        win::COLORREF key = 0;
        win::BYTE alpha = 0;
        win::DWORD layeredFlags = 0;
        win::DWORD pid = 0;
        win::WNDPROC proc = nullptr;
        int x = 0, y = 0, width = 0, height = 0;
        int scrollMin = 0, scrollMax = 0, scrollPos = 0;
        win::HFONT font = nullptr;
    };

    struct WindowSpec {
        std::string label;
        std::string className = "AppWindow";
        std::string title = "Window";
        bool visible = true;
        win::HWND owner = nullptr;
        win::DWORD exStyle = 0;
        bool perPixel = false;
        int ownAlpha = -1; // >= 0: layered by its own program with this constant alpha
    };

    // --- the desktop, as a test arranges it ---
    win::HWND AddWindow(const WindowSpec& shape);
    win::HWND AddWindow(const std::string& label) { return AddWindow(WindowSpec{.label = label}); }
    win::HWND AddDesktop();           // the shell's "Progman" window
    void CloseWindow(win::HWND hwnd); // another program closes its window
    Window* Find(win::HWND hwnd);
    const Window& At(win::HWND hwnd) const;
    bool Layered(win::HWND hwnd) const { return At(hwnd).exStyle & win::WS_EX_LAYERED; }
    win::HWND FindOwn(const std::string& className) const; // first live window of that class
    std::vector<win::HWND> ChildrenOf(win::HWND parent) const;
    void SetForeground(win::HWND hwnd) { foreground_ = hwnd; }
    win::POINT cursor{0, 0};

    std::string modulePath = "C:\\Tools\\lumra.exe";
    std::string windowsDir = "C:\\WINDOWS";
    bool hasSetLayered = true;
    bool hasGetLayered = true;
    bool hasWinEventHook = true;
    static constexpr win::DWORD kOwnPid = 100;

    // --- the call log ---
    std::vector<std::string> log;
    void ClearLog() { log.clear(); }
    std::vector<std::string> LogMatching(const std::string& prefix) const;

    // --- profile files, kept as real files in a temporary folder ---
    std::filesystem::path HostPath(const std::string& windowsPath) const;
    bool ProfileExists(const std::string& windowsPath) const;
    std::string ReadProfile(const std::string& windowsPath) const;
    void WriteProfile(const std::string& windowsPath, const std::string& text) const;
    void PutDirectoryAt(const std::string& windowsPath) const; // makes every write there fail
    bool failProfileWrites = false;

    // --- the tray ---
    struct TrayCall {
        win::DWORD message;
        win::NOTIFYICONDATAA data;
    };
    std::vector<TrayCall> tray;
    int failTrayCalls = 0; // that many NIM_ADD/NIM_MODIFY report failure

    // --- messages, timers, menus, boxes, resources ---
    std::deque<win::MSG> queue;
    void RunPending(); // dispatches what is queued, as a modal loop would
    void FireTimers(); // every running timer elapses once
    bool TimerRunning(win::HWND hwnd) const;
    struct Popup {
        std::vector<std::pair<win::UINT_PTR, std::string>> items;
        int x, y;
        win::HWND owner;
    };
    std::vector<Popup> popups;
    // Chooses an item of an open menu (0: none); runs while the menu is open.
    std::function<win::UINT_PTR(const Popup&)> onPopup;
    struct Box {
        std::string text, caption;
        win::UINT type;
    };
    std::vector<Box> boxes;
    std::function<void(const Box&)> onMessageBox;
    void AddResource(const std::string& name, const std::string& bytes);
    void FireForegroundEvent(win::HWND hwnd);
    int LiveFonts() const { return liveFonts_; }
    int LiveIcons() const { return liveIcons_; }

    // --- WinApi ---
    win::BOOL EnumWindows(win::WNDENUMPROC proc, win::LPARAM param) override;
    win::BOOL EnumChildWindows(win::HWND parent, win::WNDENUMPROC proc, win::LPARAM param) override;
    win::BOOL IsWindow(win::HWND hwnd) override;
    win::BOOL IsWindowVisible(win::HWND hwnd) override;
    win::HWND GetWindow(win::HWND hwnd, win::UINT cmd) override;
    int GetWindowTextLengthA(win::HWND hwnd) override;
    win::BOOL SetWindowTextA(win::HWND hwnd, const char* text) override;
    win::HWND FindWindowA(const char* className, const char* windowName) override;
    win::LONG GetWindowLongA(win::HWND hwnd, int index) override;
    win::LONG SetWindowLongA(win::HWND hwnd, int index, win::LONG value) override;
    win::HWND GetForegroundWindow() override;
    win::BOOL SetForegroundWindow(win::HWND hwnd) override;
    win::BOOL GetCursorPos(win::POINT* point) override;
    win::BOOL ShowWindow(win::HWND hwnd, int cmd) override;
    win::HWINEVENTHOOK SetWinEventHook(win::DWORD eventMin, win::DWORD eventMax,
                                       win::HMODULE module, win::WINEVENTPROC proc,
                                       win::DWORD processId, win::DWORD threadId,
                                       win::DWORD flags) override;
    win::BOOL UnhookWinEvent(win::HWINEVENTHOOK hook) override;
    win::BOOL GetClassInfoExA(win::HINSTANCE instance, const char* className,
                              win::WNDCLASSEXA* wc) override;
    win::ATOM RegisterClassExA(const win::WNDCLASSEXA* wc) override;
    win::HWND CreateWindowExA(win::DWORD exStyle, const char* className, const char* windowName,
                              win::DWORD style, int x, int y, int width, int height,
                              win::HWND parent, win::HMENU menu, win::HINSTANCE instance,
                              void* param) override;
    win::BOOL DestroyWindow(win::HWND hwnd) override;
    win::LRESULT DefWindowProcA(win::HWND hwnd, win::UINT msg, win::WPARAM wParam,
                                win::LPARAM lParam) override;
    win::LRESULT CallWindowProcA(win::WNDPROC proc, win::HWND hwnd, win::UINT msg,
                                 win::WPARAM wParam, win::LPARAM lParam) override;
    win::BOOL SetWindowPos(win::HWND hwnd, win::HWND insertAfter, int x, int y, int cx, int cy,
                           win::UINT flags) override;
    win::BOOL AdjustWindowRectEx(win::RECT* rect, win::DWORD style, win::BOOL menu,
                                 win::DWORD exStyle) override;
    int SetScrollPos(win::HWND hwnd, int bar, int pos, win::BOOL redraw) override;
    win::BOOL SetScrollRange(win::HWND hwnd, int bar, int minPos, int maxPos,
                             win::BOOL redraw) override;
    win::LRESULT SendMessageA(win::HWND hwnd, win::UINT msg, win::WPARAM wParam,
                              win::LPARAM lParam) override;
    win::BOOL PostMessageA(win::HWND hwnd, win::UINT msg, win::WPARAM wParam,
                           win::LPARAM lParam) override;
    void PostQuitMessage(int exitCode) override;
    win::BOOL GetMessageA(win::MSG* msg, win::HWND hwnd, win::UINT filterMin,
                          win::UINT filterMax) override;
    win::BOOL PeekMessageA(win::MSG* msg, win::HWND hwnd, win::UINT filterMin, win::UINT filterMax,
                           win::UINT remove) override;
    win::BOOL TranslateMessage(const win::MSG* msg) override;
    win::LRESULT DispatchMessageA(const win::MSG* msg) override;
    win::BOOL IsDialogMessageA(win::HWND dialog, win::MSG* msg) override;
    win::UINT RegisterWindowMessageA(const char* name) override;
    win::UINT_PTR SetTimer(win::HWND hwnd, win::UINT_PTR id, win::UINT elapse,
                           void* timerProc) override;
    win::BOOL KillTimer(win::HWND hwnd, win::UINT_PTR id) override;
    win::HMENU CreatePopupMenu() override;
    win::BOOL AppendMenuA(win::HMENU menu, win::UINT flags, win::UINT_PTR id,
                          const char* text) override;
    win::BOOL TrackPopupMenu(win::HMENU menu, win::UINT flags, int x, int y, int reserved,
                             win::HWND owner, const win::RECT* rect) override;
    win::BOOL DestroyMenu(win::HMENU menu) override;
    win::HICON CreateIconFromResourceEx(win::BYTE* bits, win::DWORD size, win::BOOL icon,
                                        win::DWORD version, int cx, int cy,
                                        win::UINT flags) override;
    win::BOOL DestroyIcon(win::HICON icon) override;
    win::HICON LoadIconA(win::HINSTANCE instance, const char* name) override;
    win::HCURSOR LoadCursorA(win::HINSTANCE instance, const char* name) override;
    int MessageBoxA(win::HWND owner, const char* text, const char* caption,
                    win::UINT type) override;
    win::HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight,
                           win::DWORD italic, win::DWORD underline, win::DWORD strikeOut,
                           win::DWORD charSet, win::DWORD outPrecision, win::DWORD clipPrecision,
                           win::DWORD quality, win::DWORD pitchAndFamily,
                           const char* faceName) override;
    win::BOOL DeleteObject(win::HGDIOBJ object) override;
    win::COLORREF SetTextColor(win::HDC dc, win::COLORREF color) override;
    win::COLORREF SetBkColor(win::HDC dc, win::COLORREF color) override;
    win::DWORD GetSysColor(int index) override {
        return 0xC0C0C0u + static_cast<win::DWORD>(index);
    }
    win::HBRUSH GetSysColorBrush(int index) override {
        return reinterpret_cast<win::HBRUSH>(static_cast<std::uintptr_t>(0xB000 + index));
    }
    win::BOOL Shell_NotifyIconA(win::DWORD message, win::NOTIFYICONDATAA* data) override;
    win::HMODULE LoadLibraryA(const char* fileName) override;
    win::FARPROC GetProcAddress(win::HMODULE module, const char* procName) override;
    win::BOOL FreeLibrary(win::HMODULE module) override;
    win::HMODULE GetModuleHandleA(const char* moduleName) override;
    win::DWORD GetModuleFileNameA(win::HMODULE module, char* fileName, win::DWORD size) override;
    win::UINT GetWindowsDirectoryA(char* buffer, win::UINT size) override;
    win::DWORD GetPrivateProfileStringA(const char* appName, const char* keyName,
                                        const char* defaultText, char* returned, win::DWORD size,
                                        const char* fileName) override;
    win::BOOL WritePrivateProfileStringA(const char* appName, const char* keyName, const char* text,
                                         const char* fileName) override;
    win::BOOL IsDBCSLeadByte(win::BYTE testChar) override;
    win::DWORD GetCurrentProcessId() override;
    win::TOP_LEVEL_EXCEPTION_FILTER
    SetUnhandledExceptionFilter(win::TOP_LEVEL_EXCEPTION_FILTER filter) override;
    win::TOP_LEVEL_EXCEPTION_FILTER faultFilter = nullptr; // what a fault would call
    win::HRSRC FindResourceA(win::HMODULE module, const char* name, const char* type) override;
    win::HGLOBAL LoadResource(win::HMODULE module, win::HRSRC resource) override;
    void* LockResource(win::HGLOBAL data) override;
    win::DWORD SizeofResource(win::HMODULE module, win::HRSRC resource) override;

    // Reached through GetProcAddress, as user32 exports them.
    win::BOOL SetLayered(win::HWND hwnd, win::COLORREF key, win::BYTE alpha, win::DWORD flags);
    win::BOOL GetLayered(win::HWND hwnd, win::COLORREF* key, win::BYTE* alpha, win::DWORD* flags);
    static SimDesktop* Current();

    std::string Name(win::HWND hwnd) const;

private:
    win::HWND NewHandle();
    std::vector<win::HWND> order_; // creation order = z order, top first
    std::map<win::HWND, Window> windows_;
    std::map<std::string, win::WNDCLASSEXA> classes_;
    std::map<std::string, std::string> classNames_;
    std::map<std::pair<win::HWND, win::UINT_PTR>, win::UINT> timers_;
    std::map<win::HMENU, std::vector<std::pair<win::UINT_PTR, std::string>>> menus_;
    std::map<std::string, std::string> resources_;
    std::map<std::string, win::UINT> registeredMessages_;
    win::WINEVENTPROC hookProc_ = nullptr;
    std::filesystem::path profileDir_;
    win::HWND foreground_ = nullptr;
    win::WinApi* previous_ = nullptr;
    std::uintptr_t nextHandle_ = 0x100;
    int liveFonts_ = 0;
    int liveIcons_ = 0;
};
