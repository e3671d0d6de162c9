#include "SimDesktop.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

using namespace win;

namespace {

SimDesktop* current = nullptr;
const HMODULE kExeModule = reinterpret_cast<HMODULE>(std::uintptr_t{0x400000});
const HMODULE kUser32 = reinterpret_cast<HMODULE>(std::uintptr_t{0x77000000});

BOOL WINAPI_CB SimSetLayered(HWND h, COLORREF k, BYTE a, DWORD f) {
    return current->SetLayered(h, k, a, f);
}
BOOL WINAPI_CB SimGetLayered(HWND h, COLORREF* k, BYTE* a, DWORD* f) {
    return current->GetLayered(h, k, a, f);
}

// The default procedure of the system control classes we superclass.
LRESULT WINAPI_CB SystemControlProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return current->DefWindowProcA(h, m, w, l);
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    const auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string Hex(std::uintptr_t v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%lx", static_cast<unsigned long>(v));
    return buf;
}

} // namespace

SimDesktop* SimDesktop::Current() {
    return current;
}

SimDesktop::SimDesktop() {
    char pattern[] = "/tmp/lumra-sim-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("no temporary folder");
    profileDir_ = pattern;
    for (const char* cls : {"BUTTON", "STATIC", "SCROLLBAR"}) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = SystemControlProc;
        wc.cbWndExtra = 8;
        classNames_[Lower(cls)] = cls;
        classes_[Lower(cls)] = wc;
    }
    current = this;
    SetWinApi(this);
}

SimDesktop::~SimDesktop() {
    SetWinApi(nullptr);
    current = nullptr;
    std::error_code ignored;
    std::filesystem::permissions(profileDir_, std::filesystem::perms::all, ignored);
    std::filesystem::remove_all(profileDir_, ignored);
}

HWND SimDesktop::NewHandle() {
    nextHandle_ += 4;
    return ToHwnd(nextHandle_);
}

std::string SimDesktop::Name(HWND hwnd) const {
    if (!hwnd) return "0";
    const auto found = windows_.find(hwnd);
    return found == windows_.end() ? Hex(FromHwnd(hwnd)) : found->second.label;
}

HWND SimDesktop::AddWindow(const WindowSpec& shape) {
    Window w;
    w.hwnd = NewHandle();
    w.label = shape.label.empty() ? Hex(FromHwnd(w.hwnd)) : shape.label;
    w.className = shape.className;
    w.title = shape.title;
    w.visible = shape.visible;
    w.owner = shape.owner;
    w.exStyle = shape.exStyle;
    w.perPixel = shape.perPixel;
    w.pid = 200;
    if (shape.perPixel) w.exStyle |= WS_EX_LAYERED;
    if (shape.ownAlpha >= 0) {
        w.exStyle |= WS_EX_LAYERED;
        w.attributesSet = true;
        w.alpha = static_cast<BYTE>(shape.ownAlpha);
        w.layeredFlags = LWA_ALPHA;
    }
    order_.push_back(w.hwnd);
    windows_[w.hwnd] = w;
    return w.hwnd;
}

HWND SimDesktop::AddDesktop() {
    return AddWindow(
        WindowSpec{.label = "desktop", .className = "Progman", .title = "Program Manager"});
}

void SimDesktop::CloseWindow(HWND hwnd) {
    if (Window* w = Find(hwnd)) w->alive = false;
}

SimDesktop::Window* SimDesktop::Find(HWND hwnd) {
    const auto found = windows_.find(hwnd);
    return found == windows_.end() || !found->second.alive ? nullptr : &found->second;
}

const SimDesktop::Window& SimDesktop::At(HWND hwnd) const {
    return windows_.at(hwnd);
}

HWND SimDesktop::FindOwn(const std::string& className) const {
    for (HWND h : order_) {
        const Window& w = windows_.at(h);
        if (w.alive && w.className == className) return h;
    }
    return nullptr;
}

std::vector<HWND> SimDesktop::ChildrenOf(HWND parent) const {
    std::vector<HWND> children;
    for (HWND h : order_) {
        const Window& w = windows_.at(h);
        if (w.alive && w.parent == parent) children.push_back(h);
    }
    return children;
}

std::vector<std::string> SimDesktop::LogMatching(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& line : log)
        if (line.rfind(prefix, 0) == 0) out.push_back(line);
    return out;
}

// ---- windows ----

BOOL SimDesktop::EnumWindows(WNDENUMPROC proc, LPARAM param) {
    log.push_back("EnumWindows");
    const std::vector<HWND> snapshot = order_; // windows may come and go meanwhile
    for (HWND h : snapshot) {
        const Window* w = Find(h);
        if (!w || (w->style & WS_CHILD)) continue;
        if (!proc(h, param)) break;
    }
    return 1;
}

BOOL SimDesktop::EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param) {
    for (HWND h : ChildrenOf(parent))
        if (!proc(h, param)) break;
    return 1;
}

BOOL SimDesktop::IsWindow(HWND hwnd) {
    return Find(hwnd) != nullptr;
}

BOOL SimDesktop::IsWindowVisible(HWND hwnd) {
    for (const Window* w = Find(hwnd); w; w = w->parent ? Find(w->parent) : nullptr)
        if (!w->visible) return 0;
    return Find(hwnd) ? 1 : 0;
}

HWND SimDesktop::GetWindow(HWND hwnd, UINT cmd) {
    const Window* w = Find(hwnd);
    return w && cmd == GW_OWNER ? w->owner : nullptr;
}

int SimDesktop::GetWindowTextLengthA(HWND hwnd) {
    const Window* w = Find(hwnd);
    return w ? static_cast<int>(w->title.size()) : 0;
}

BOOL SimDesktop::SetWindowTextA(HWND hwnd, const char* text) {
    Window* w = Find(hwnd);
    if (!w) return 0;
    w->title = text ? text : "";
    return 1;
}

HWND SimDesktop::FindWindowA(const char* className, const char* windowName) {
    for (HWND h : order_) {
        const Window* w = Find(h);
        if (!w || (w->style & WS_CHILD)) continue;
        if (className && Lower(w->className) != Lower(className)) continue;
        if (windowName && w->title != windowName) continue;
        return h;
    }
    return nullptr;
}

LONG SimDesktop::GetWindowLongA(HWND hwnd, int index) {
    log.push_back("GetWindowLongA(" + Name(hwnd) + ", " + std::to_string(index) + ")");
    const Window* w = Find(hwnd);
    if (!w) return 0;
    return static_cast<LONG>(index == GWL_EXSTYLE ? w->exStyle : w->style);
}

LONG SimDesktop::SetWindowLongA(HWND hwnd, int index, LONG value) {
    log.push_back("SetWindowLongA(" + Name(hwnd) + ", " + std::to_string(index) + ", " +
                  Hex(static_cast<DWORD>(value)) + ")");
    Window* w = Find(hwnd);
    if (!w) return 0;
    DWORD& field = index == GWL_EXSTYLE ? w->exStyle : w->style;
    const DWORD old = field;
    field = static_cast<DWORD>(value);
    // Removing the layered style forgets the window's layered attributes.
    if (index == GWL_EXSTYLE && (old & WS_EX_LAYERED) && !(field & WS_EX_LAYERED)) {
        w->attributesSet = false;
        w->perPixel = false;
    }
    return static_cast<LONG>(old);
}

HWND SimDesktop::GetForegroundWindow() {
    return foreground_;
}

BOOL SimDesktop::SetForegroundWindow(HWND hwnd) {
    log.push_back("SetForegroundWindow(" + Name(hwnd) + ")");
    if (!Find(hwnd)) return 0;
    foreground_ = hwnd;
    return 1;
}

BOOL SimDesktop::GetCursorPos(POINT* point) {
    log.push_back("GetCursorPos");
    *point = cursor;
    return 1;
}

BOOL SimDesktop::ShowWindow(HWND hwnd, int cmd) {
    log.push_back("ShowWindow(" + Name(hwnd) + ", " + std::to_string(cmd) + ")");
    Window* w = Find(hwnd);
    if (!w) return 0;
    const BOOL was = w->visible;
    w->visible = cmd != SW_HIDE;
    return was;
}

HWINEVENTHOOK SimDesktop::SetWinEventHook(DWORD, DWORD, HMODULE, WINEVENTPROC proc, DWORD, DWORD,
                                          DWORD) {
    if (!hasWinEventHook) return nullptr;
    log.push_back("SetWinEventHook");
    hookProc_ = proc;
    return reinterpret_cast<HWINEVENTHOOK>(std::uintptr_t{0xE0E0});
}

BOOL SimDesktop::UnhookWinEvent(HWINEVENTHOOK) {
    log.push_back("UnhookWinEvent");
    hookProc_ = nullptr;
    return 1;
}

void SimDesktop::FireForegroundEvent(HWND hwnd) {
    foreground_ = hwnd;
    if (hookProc_)
        hookProc_(reinterpret_cast<HWINEVENTHOOK>(std::uintptr_t{0xE0E0}), EVENT_SYSTEM_FOREGROUND,
                  hwnd, 0, 0, 0, 0);
}

// ---- our own windows ----

BOOL SimDesktop::GetClassInfoExA(HINSTANCE, const char* className, WNDCLASSEXA* wc) {
    const auto found = classes_.find(Lower(className));
    if (found == classes_.end()) return 0;
    *wc = found->second;
    return 1;
}

ATOM SimDesktop::RegisterClassExA(const WNDCLASSEXA* wc) {
    const std::string key = Lower(wc->lpszClassName);
    if (classes_.count(key)) return 0;
    classes_[key] = *wc;
    classNames_[key] = wc->lpszClassName;
    return static_cast<ATOM>(0xC000 + classes_.size());
}

HWND SimDesktop::CreateWindowExA(DWORD exStyle, const char* className, const char* windowName,
                                 DWORD style, int x, int y, int width, int height, HWND parent,
                                 HMENU, HINSTANCE, void*) {
    const auto cls = classes_.find(Lower(className));
    if (cls == classes_.end()) return nullptr;
    Window w;
    w.hwnd = NewHandle();
    w.className = classNames_[Lower(className)];
    w.label = w.className;
    w.title = windowName ? windowName : "";
    w.style = style;
    w.exStyle = exStyle;
    w.visible = style & WS_VISIBLE;
    (style & WS_CHILD ? w.parent : w.owner) = parent;
    w.pid = kOwnPid;
    w.proc = cls->second.lpfnWndProc;
    w.x = x;
    w.y = y;
    w.width = width;
    w.height = height;
    order_.push_back(w.hwnd);
    windows_[w.hwnd] = w;
    const HWND h = w.hwnd;
    if (!w.proc(h, WM_NCCREATE, 0, 0)) {
        windows_[h].alive = false;
        return nullptr;
    }
    if (w.proc(h, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(h);
        return nullptr;
    }
    return h;
}

BOOL SimDesktop::DestroyWindow(HWND hwnd) {
    Window* w = Find(hwnd);
    if (!w) return 0;
    for (HWND child : ChildrenOf(hwnd)) DestroyWindow(child);
    const WNDPROC proc = w->proc;
    if (proc) proc(hwnd, WM_DESTROY, 0, 0);
    if (proc) proc(hwnd, WM_NCDESTROY, 0, 0);
    if (Window* still = Find(hwnd)) still->alive = false;
    if (foreground_ == hwnd) foreground_ = nullptr;
    for (auto it = timers_.begin(); it != timers_.end();)
        it = it->first.first == hwnd ? timers_.erase(it) : std::next(it);
    return 1;
}

LRESULT SimDesktop::DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* w = Find(hwnd);
    switch (msg) {
    case WM_NCCREATE:
        return 1;
    case WM_SETTEXT:
        if (w) w->title = reinterpret_cast<const char*>(lParam);
        return 1;
    case WM_SETFONT:
        if (w) w->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    default:
        return 0;
    }
}

LRESULT SimDesktop::CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam,
                                    LPARAM lParam) {
    return proc(hwnd, msg, wParam, lParam);
}

BOOL SimDesktop::SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
    Window* w = Find(hwnd);
    if (!w) return 0;
    if (!(flags & SWP_NOMOVE)) {
        w->x = x;
        w->y = y;
    }
    if (!(flags & SWP_NOSIZE)) {
        w->width = cx;
        w->height = cy;
    }
    return 1;
}

BOOL SimDesktop::AdjustWindowRectEx(RECT* rect, DWORD, BOOL, DWORD exStyle) {
    const int caption = exStyle & WS_EX_TOOLWINDOW ? 16 : 19;
    rect->left -= 3;
    rect->right += 3;
    rect->top -= 3 + caption;
    rect->bottom += 3;
    return 1;
}

int SimDesktop::SetScrollPos(HWND hwnd, int, int pos, BOOL) {
    Window* w = Find(hwnd);
    if (!w) return 0;
    const int old = w->scrollPos;
    w->scrollPos = pos;
    return old;
}

BOOL SimDesktop::SetScrollRange(HWND hwnd, int, int minPos, int maxPos, BOOL) {
    Window* w = Find(hwnd);
    if (!w) return 0;
    w->scrollMin = minPos;
    w->scrollMax = maxPos;
    return 1;
}

// ---- messages and timers ----

LRESULT SimDesktop::SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* w = Find(hwnd);
    if (!w) return 0;
    if (!w->proc) return DefWindowProcA(hwnd, msg, wParam, lParam);
    return w->proc(hwnd, msg, wParam, lParam);
}

BOOL SimDesktop::PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd && !Find(hwnd)) return 0;
    queue.push_back(MSG{hwnd, msg, wParam, lParam, 0, {0, 0}});
    return 1;
}

void SimDesktop::PostQuitMessage(int exitCode) {
    log.push_back("PostQuitMessage(" + std::to_string(exitCode) + ")");
    queue.push_back(MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, 0, {0, 0}});
}

BOOL SimDesktop::GetMessageA(MSG* msg, HWND, UINT, UINT) {
    if (queue.empty()) {
        // Nothing more will happen on a simulated desktop: the loop ends as if told to quit.
        *msg = MSG{nullptr, WM_QUIT, 0, 0, 0, {0, 0}};
        return 0;
    }
    *msg = queue.front();
    queue.pop_front();
    return msg->message == WM_QUIT ? 0 : 1;
}

BOOL SimDesktop::PeekMessageA(MSG* msg, HWND, UINT, UINT, UINT remove) {
    if (queue.empty()) return 0;
    *msg = queue.front();
    if (remove & PM_REMOVE) queue.pop_front();
    return 1;
}

BOOL SimDesktop::TranslateMessage(const MSG*) {
    return 0;
}

LRESULT SimDesktop::DispatchMessageA(const MSG* msg) {
    return msg->hwnd ? SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

BOOL SimDesktop::IsDialogMessageA(HWND, MSG*) {
    return 0;
}

void SimDesktop::RunPending() {
    std::deque<MSG> pending;
    pending.swap(queue);
    for (const MSG& msg : pending) {
        if (msg.message == WM_QUIT)
            queue.push_back(msg);
        else
            DispatchMessageA(&msg);
    }
}

UINT SimDesktop::RegisterWindowMessageA(const char* name) {
    auto& id = registeredMessages_[name];
    if (!id) id = static_cast<UINT>(0xC100 + registeredMessages_.size());
    return id;
}

UINT_PTR SimDesktop::SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, void*) {
    if (!Find(hwnd)) return 0;
    log.push_back("SetTimer(" + Name(hwnd) + ", " + std::to_string(elapse) + ")");
    timers_[{hwnd, id}] = elapse;
    return id;
}

BOOL SimDesktop::KillTimer(HWND hwnd, UINT_PTR id) {
    return timers_.erase({hwnd, id}) ? 1 : 0;
}

bool SimDesktop::TimerRunning(HWND hwnd) const {
    for (const auto& [key, elapse] : timers_)
        if (key.first == hwnd) return true;
    return false;
}

void SimDesktop::FireTimers() {
    const auto snapshot = timers_;
    for (const auto& [key, elapse] : snapshot)
        if (timers_.count(key)) SendMessageA(key.first, WM_TIMER, key.second, 0);
}

// ---- menus, icons, boxes, fonts ----

HMENU SimDesktop::CreatePopupMenu() {
    const HMENU menu = reinterpret_cast<HMENU>(NewHandle());
    menus_[menu];
    return menu;
}

BOOL SimDesktop::AppendMenuA(HMENU menu, UINT, UINT_PTR id, const char* text) {
    const auto found = menus_.find(menu);
    if (found == menus_.end()) return 0;
    found->second.emplace_back(id, text ? text : "");
    return 1;
}

BOOL SimDesktop::TrackPopupMenu(HMENU menu, UINT, int x, int y, int, HWND owner, const RECT*) {
    log.push_back("TrackPopupMenu(" + std::to_string(x) + ", " + std::to_string(y) + ")");
    const auto found = menus_.find(menu);
    if (found == menus_.end()) return 0;
    Popup popup{found->second, x, y, owner};
    popups.push_back(popup);
    // The menu's modal loop hands waiting messages on while it is open.
    RunPending();
    const UINT_PTR chosen = onPopup ? onPopup(popup) : 0;
    if (chosen) PostMessageA(owner, WM_COMMAND, chosen, 0);
    return 1;
}

BOOL SimDesktop::DestroyMenu(HMENU menu) {
    return menus_.erase(menu) ? 1 : 0;
}

HICON SimDesktop::CreateIconFromResourceEx(BYTE* bits, DWORD size, BOOL, DWORD, int, int, UINT) {
    if (!bits || size < 40) return nullptr;
    ++liveIcons_;
    return reinterpret_cast<HICON>(NewHandle());
}

BOOL SimDesktop::DestroyIcon(HICON) {
    --liveIcons_;
    return 1;
}

HICON SimDesktop::LoadIconA(HINSTANCE, const char*) {
    return nullptr;
}
HCURSOR SimDesktop::LoadCursorA(HINSTANCE, const char*) {
    return nullptr;
}

int SimDesktop::MessageBoxA(HWND, const char* text, const char* caption, UINT type) {
    Box box{text ? text : "", caption ? caption : "", type};
    log.push_back("MessageBoxA");
    boxes.push_back(box);
    if (onMessageBox) onMessageBox(box);
    return 1; // IDOK
}

HFONT SimDesktop::CreateFontA(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                              DWORD, DWORD, const char*) {
    ++liveFonts_;
    return reinterpret_cast<HFONT>(NewHandle());
}

BOOL SimDesktop::DeleteObject(HGDIOBJ) {
    --liveFonts_;
    return 1;
}

// ---- shell ----

BOOL SimDesktop::Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) {
    log.push_back("Shell_NotifyIconA(" + std::to_string(message) + ", " +
                  std::to_string(data->uID) + ")");
    tray.push_back(TrayCall{message, *data});
    if (message != NIM_DELETE && failTrayCalls > 0) {
        --failTrayCalls;
        return 0;
    }
    return 1;
}

// ---- kernel32 ----

HMODULE SimDesktop::LoadLibraryA(const char* fileName) {
    log.push_back(std::string("LoadLibraryA(") + fileName + ")");
    return Lower(fileName) == "user32.dll" ? kUser32 : nullptr;
}

FARPROC SimDesktop::GetProcAddress(HMODULE module, const char* procName) {
    const std::string name = procName;
    log.push_back("GetProcAddress(" + name + ")");
    if (module != kUser32) return nullptr;
    if (name == "SetLayeredWindowAttributes" && hasSetLayered)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(SimSetLayered));
    if (name == "GetLayeredWindowAttributes" && hasGetLayered)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(SimGetLayered));
    return nullptr;
}

BOOL SimDesktop::FreeLibrary(HMODULE) {
    log.push_back("FreeLibrary");
    return 1;
}

HMODULE SimDesktop::GetModuleHandleA(const char* moduleName) {
    if (!moduleName) return kExeModule;
    return Lower(moduleName) == "user32.dll" ? kUser32 : nullptr;
}

DWORD SimDesktop::GetModuleFileNameA(HMODULE, char* fileName, DWORD size) {
    if (size == 0) return 0;
    const DWORD n = std::min<DWORD>(static_cast<DWORD>(modulePath.size()), size - 1);
    std::memcpy(fileName, modulePath.data(), n);
    fileName[n] = '\0';
    return modulePath.size() >= size ? size : n; // a cut path reports the whole buffer
}

UINT SimDesktop::GetWindowsDirectoryA(char* buffer, UINT size) {
    const UINT length = static_cast<UINT>(windowsDir.size());
    if (length + 1 > size) return length + 1; // too small: nothing written
    std::memcpy(buffer, windowsDir.c_str(), length + 1);
    return length;
}

std::filesystem::path SimDesktop::HostPath(const std::string& windowsPath) const {
    std::string name;
    for (char c : windowsPath) name += (c == '\\' || c == '/' || c == ':') ? '_' : c;
    return profileDir_ / (name.empty() ? "_" : name);
}

bool SimDesktop::ProfileExists(const std::string& windowsPath) const {
    return std::filesystem::is_regular_file(HostPath(windowsPath));
}

std::string SimDesktop::ReadProfile(const std::string& windowsPath) const {
    std::ifstream in(HostPath(windowsPath), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void SimDesktop::WriteProfile(const std::string& windowsPath, const std::string& text) const {
    std::ofstream(HostPath(windowsPath), std::ios::binary) << text;
}

void SimDesktop::PutDirectoryAt(const std::string& windowsPath) const {
    std::filesystem::create_directories(HostPath(windowsPath));
}

// A bare file name lives in the Windows directory, as the profile functions place it.
static std::string ProfilePath(const SimDesktop& sim, const std::string& file) {
    return file.find_first_of("\\:") == std::string::npos ? sim.windowsDir + "\\" + file : file;
}

DWORD SimDesktop::GetPrivateProfileStringA(const char* appName, const char* keyName,
                                           const char* defaultText, char* returned, DWORD size,
                                           const char* fileName) {
    std::string value = defaultText ? defaultText : "";
    const std::string path = ProfilePath(*this, fileName);
    if (ProfileExists(path)) {
        bool inSection = false;
        for (const std::string& raw : Lines(ReadProfile(path))) {
            const std::string line = Trim(raw);
            if (!line.empty() && line[0] == '[') {
                if (inSection) break; // a section stored twice is read in its first place only
                const auto close = line.find(']');
                inSection = close != std::string::npos && *appName &&
                            Lower(Trim(line.substr(1, close - 1))) == Lower(appName);
                continue;
            }
            const auto eq = line.find('=');
            if (!inSection || eq == std::string::npos) continue;
            if (Lower(Trim(line.substr(0, eq))) != Lower(keyName)) continue;
            value = Trim(line.substr(eq + 1));
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            break;
        }
    }
    if (size == 0) return 0;
    const DWORD n = std::min<DWORD>(static_cast<DWORD>(value.size()), size - 1);
    std::memcpy(returned, value.data(), n);
    returned[n] = '\0';
    return n;
}

BOOL SimDesktop::WritePrivateProfileStringA(const char* appName, const char* keyName,
                                            const char* text, const char* fileName) {
    log.push_back(std::string("WritePrivateProfileStringA(") + appName + ", " + keyName + ", " +
                  text + ")");
    if (failProfileWrites) return 0;
    const std::string path = ProfilePath(*this, fileName);
    const auto host = HostPath(path);
    if (std::filesystem::exists(host) && !std::filesystem::is_regular_file(host)) return 0;
    std::vector<std::string> lines =
        ProfileExists(path) ? Lines(ReadProfile(path)) : std::vector<std::string>{};
    const std::string entry = std::string(keyName) + "=" + text;
    bool inSection = false, done = false;
    std::size_t sectionEnd = std::string::npos;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        const std::string line = Trim(lines[i]);
        if (!line.empty() && line[0] == '[') {
            if (inSection) break;
            const auto close = line.find(']');
            inSection = close != std::string::npos && *appName &&
                        Lower(Trim(line.substr(1, close - 1))) == Lower(appName);
            if (inSection) sectionEnd = i + 1;
            continue;
        }
        if (!inSection) continue;
        if (!line.empty()) sectionEnd = i + 1;
        const auto eq = line.find('=');
        if (eq != std::string::npos && Lower(Trim(line.substr(0, eq))) == Lower(keyName)) {
            lines[i] = Trim(line.substr(0, eq)) + "=" + text; // the stored name is kept
            done = true;
        }
    }
    if (!done) {
        if (sectionEnd == std::string::npos) {
            lines.push_back(std::string("[") + appName + "]");
            lines.push_back(entry);
        } else {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), entry);
        }
    }
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    if (!out) return 0;
    for (const std::string& line : lines) out << line << "\r\n";
    out.flush();
    return out ? 1 : 0;
}

BOOL SimDesktop::IsDBCSLeadByte(BYTE c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

DWORD SimDesktop::GetCurrentProcessId() {
    return kOwnPid;
}

void SimDesktop::AddResource(const std::string& name, const std::string& bytes) {
    resources_[name] = bytes;
}

HRSRC SimDesktop::FindResourceA(HMODULE, const char* name, const char*) {
    const auto found = resources_.find(name);
    return found == resources_.end() ? nullptr : reinterpret_cast<HRSRC>(&found->second);
}

HGLOBAL SimDesktop::LoadResource(HMODULE, HRSRC resource) {
    return resource;
}

void* SimDesktop::LockResource(HGLOBAL data) {
    return data ? static_cast<void*>(static_cast<std::string*>(data)->data()) : nullptr;
}

DWORD SimDesktop::SizeofResource(HMODULE, HRSRC resource) {
    return resource ? static_cast<DWORD>(reinterpret_cast<std::string*>(resource)->size()) : 0;
}

// ---- layered windows ----

BOOL SimDesktop::SetLayered(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags) {
    log.push_back("SetLayeredWindowAttributes(" + Name(hwnd) + ", " + std::to_string(key) + ", " +
                  std::to_string(alpha) + ", " + std::to_string(flags) + ")");
    Window* w = Find(hwnd);
    if (!w || !(w->exStyle & WS_EX_LAYERED)) return 0;
    w->key = key;
    w->alpha = alpha;
    w->layeredFlags = flags;
    w->attributesSet = true;
    w->perPixel = false;
    return 1;
}

BOOL SimDesktop::GetLayered(HWND hwnd, COLORREF* key, BYTE* alpha, DWORD* flags) {
    log.push_back("GetLayeredWindowAttributes(" + Name(hwnd) + ")");
    const Window* w = Find(hwnd);
    if (!w || !(w->exStyle & WS_EX_LAYERED) || w->perPixel || !w->attributesSet) return 0;
    if (key) *key = w->key;
    if (alpha) *alpha = w->alpha;
    if (flags) *flags = w->layeredFlags;
    return 1;
}

TOP_LEVEL_EXCEPTION_FILTER
SimDesktop::SetUnhandledExceptionFilter(TOP_LEVEL_EXCEPTION_FILTER filter) {
    const TOP_LEVEL_EXCEPTION_FILTER previous = faultFilter;
    faultFilter = filter;
    return previous;
}

COLORREF SimDesktop::SetTextColor(HDC dc, COLORREF color) {
    log.push_back("SetTextColor(" + Hex(reinterpret_cast<std::uintptr_t>(dc)) + ", " + Hex(color) +
                  ")");
    return 0;
}

COLORREF SimDesktop::SetBkColor(HDC dc, COLORREF color) {
    log.push_back("SetBkColor(" + Hex(reinterpret_cast<std::uintptr_t>(dc)) + ", " + Hex(color) +
                  ")");
    return 0;
}
