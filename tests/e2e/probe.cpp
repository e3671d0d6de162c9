// probe.exe: the end-to-end tests' hands and eyes inside Wine. It reads one command per line on
// stdin and answers each with one line of JSON on stdout, so a single start (cheap for a 64-bit
// program, which runs without the emulator) serves a whole scenario. Between commands it pumps
// its own messages, so the test windows it creates stay responsive to whoever inspects them.
#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr UINT kCommandMessage = WM_APP + 1;
constexpr const char* kWindowClass = "LumraProbeWindow";

struct HandleCloser {
    void operator()(HANDLE h) const {
        if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct WindowDestroyer {
    void operator()(HWND h) const {
        if (IsWindow(h)) DestroyWindow(h);
    }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

// A minimal JSON object writer: one flat or nested object per answer line.
class Json {
public:
    Json& Num(const char* key, long long value) {
        Key(key);
        out_ << value;
        return *this;
    }
    Json& Bool(const char* key, bool value) {
        Key(key);
        out_ << (value ? "true" : "false");
        return *this;
    }
    Json& Str(const char* key, const std::string& value) {
        Key(key);
        Quote(value);
        return *this;
    }
    Json& Raw(const char* key, const std::string& json) {
        Key(key);
        out_ << json;
        return *this;
    }
    std::string Done() const { return out_.str() + "}"; }

private:
    void Key(const char* key) {
        out_ << (first_ ? "{" : ",");
        first_ = false;
        Quote(key);
        out_ << ':';
    }
    void Quote(const std::string& s) {
        out_ << '"';
        for (unsigned char c : s) {
            if (c == '"' || c == '\\') {
                out_ << '\\' << c;
            } else if (c < 0x20 || c >= 0x7f) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out_ << buf;
            } else {
                out_ << c;
            }
        }
        out_ << '"';
    }
    std::ostringstream out_;
    bool first_ = true;
};

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

long long HandleValue(HWND h) {
    return static_cast<long long>(reinterpret_cast<std::uintptr_t>(h));
}
HWND ToHwnd(long long v) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(v));
}

// Window text and class as the bytes the system keeps (Shift-JIS under code page 932).
std::string TextOf(HWND h) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(h)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(h, text.data(), static_cast<int>(text.size()))));
    return text;
}
std::string ClassOf(HWND h) {
    char name[256] = {};
    GetClassNameA(h, name, sizeof name);
    return name;
}

std::string LayeredJson(HWND h) {
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    const BOOL ok = GetLayeredWindowAttributes(h, &key, &alpha, &flags);
    Json j;
    j.Bool("ok", ok != 0);
    if (ok) j.Num("key", key).Num("alpha", alpha).Num("flags", flags);
    return j.Done();
}

// The window's rectangle in screen coordinates, as [left, top, right, bottom].
std::string RectJson(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + "]";
}

// The client area: its top-left corner in screen coordinates and its size, as [x, y, w, h].
std::string ClientJson(HWND h) {
    RECT r{};
    GetClientRect(h, &r);
    POINT corner{0, 0};
    ClientToScreen(h, &corner);
    return "[" + std::to_string(corner.x) + "," + std::to_string(corner.y) + "," +
           std::to_string(r.right - r.left) + "," + std::to_string(r.bottom - r.top) + "]";
}

// The answer to `state` and one entry of `list`.
std::string StateJson(HWND h) {
    Json j;
    j.Num("hwnd", HandleValue(h)).Bool("exists", IsWindow(h) != 0);
    if (!IsWindow(h)) return j.Done();
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    j.Num("pid", pid)
        .Str("class", ClassOf(h))
        .Str("title_hex", Hex(TextOf(h)))
        .Bool("visible", IsWindowVisible(h) != 0)
        .Num("owner", HandleValue(GetWindow(h, GW_OWNER)))
        .Num("style", static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE)))
        .Num("exstyle", static_cast<DWORD>(GetWindowLongA(h, GWL_EXSTYLE)))
        .Raw("layered", LayeredJson(h))
        .Raw("rect", RectJson(h))
        .Raw("client", ClientJson(h));
    return j.Done();
}

std::string ChildJson(HWND h) {
    const HWND parent = GetAncestor(h, GA_PARENT);
    RECT r{};
    GetWindowRect(h, &r);
    POINT corner{r.left, r.top};
    ScreenToClient(parent, &corner);
    Json j;
    j.Num("hwnd", HandleValue(h))
        .Num("parent", HandleValue(parent))
        .Str("class", ClassOf(h))
        .Str("text_hex", Hex(TextOf(h)))
        .Num("x", corner.x)
        .Num("y", corner.y)
        .Num("w", r.right - r.left)
        .Num("h", r.bottom - r.top)
        .Bool("visible", IsWindowVisible(h) != 0)
        .Num("id", GetDlgCtrlID(h))
        .Num("style", static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE)));
    return j.Done();
}

std::string ArrayOf(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + items[i];
    return out + "]";
}

BOOL CALLBACK CollectHandle(HWND h, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(h);
    return TRUE;
}

// GDI objects (brushes, fonts, bitmaps) and device contexts, released however a function ends.
struct GdiObjectDeleter {
    void operator()(HGDIOBJ o) const {
        if (o) DeleteObject(o);
    }
};
template <class Handle>
using UniqueGdi = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;

struct MemoryDcDeleter {
    void operator()(HDC dc) const {
        if (dc) DeleteDC(dc);
    }
};
using UniqueMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;

class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// Keeps an object selected into a device context for its own lifetime.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, old_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A top-down 32-bit DIB section of w x h pixels, selected into a memory DC compatible with the
// screen; `pixels` stays null when any part of it could not be made.
class Canvas {
public:
    Canvas(int w, int h) : mem_(CreateCompatibleDC(screen_.get())) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        if (mem_)
            bitmap_.reset(CreateDIBSection(mem_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (bitmap_ && bits) {
            selection_.emplace(mem_.get(), bitmap_.get());
            pixels = static_cast<std::uint32_t*>(bits);
        }
    }
    HDC screen() const { return screen_.get(); }
    HDC dc() const { return mem_.get(); }
    std::uint32_t* pixels = nullptr;

private:
    ScreenDc screen_;
    UniqueMemoryDc mem_;
    UniqueGdi<HBITMAP> bitmap_;
    std::optional<Selection> selection_; // declared last: deselects before the rest goes
};

// The screen's pixels in `r`, row by row, three bytes (red, green, blue) each.
std::optional<std::string> ScreenPixels(const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return std::nullopt;
    Canvas canvas(w, h);
    if (!canvas.pixels || !BitBlt(canvas.dc(), 0, 0, w, h, canvas.screen(), r.left, r.top, SRCCOPY))
        return std::nullopt;
    GdiFlush();
    std::string rgb;
    rgb.reserve(static_cast<size_t>(w * h) * 3);
    for (int i = 0; i < w * h; ++i) {
        const std::uint32_t px = canvas.pixels[i];
        rgb += static_cast<char>((px >> 16) & 0xFF);
        rgb += static_cast<char>((px >> 8) & 0xFF);
        rgb += static_cast<char>(px & 0xFF);
    }
    return rgb;
}

struct MenuDestroyer {
    void operator()(HMENU m) const {
        if (m) DestroyMenu(m);
    }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

// A window painted by `paint` shows its colour with its title written large across it, so a
// screenshot shows what lies under a translucent window; others show the system colour.
void PaintProbeWindow(HWND h, HDC dc, const RECT& area) {
    const auto colour = static_cast<COLORREF>(GetWindowLongPtrA(h, GWLP_USERDATA));
    if (colour == 0) {
        FillRect(dc, &area, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
        TextOutA(dc, 8, 8, "probe", 5);
        return;
    }
    RECT client{};
    GetClientRect(h, &client);
    UniqueGdi<HBRUSH> brush(CreateSolidBrush(colour & 0xFFFFFF));
    FillRect(dc, &area, brush.get());
    UniqueGdi<HFONT> font(CreateFontA(-48, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                      DEFAULT_PITCH, "Arial"));
    const Selection selected(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    const std::string title = TextOf(h);
    DrawTextA(dc, title.c_str(), static_cast<int>(title.size()), &client,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

LRESULT CALLBACK ProbeWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        PaintProbeWindow(h, dc, ps.rcPaint);
        EndPaint(h, &ps);
        return 0;
    }
    return DefWindowProcA(h, msg, wp, lp);
}

// Gives a layered window content through UpdateLayeredWindow only, so its attributes are never
// set and GetLayeredWindowAttributes keeps failing for it.
bool PaintPerPixel(HWND h, int w, int height) {
    Canvas canvas(w, height);
    if (!canvas.pixels) return false;
    for (int i = 0; i < w * height; ++i)
        canvas.pixels[i] = 0x80402000u; // premultiplied, half alpha
    POINT src{0, 0};
    SIZE size{w, height};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return UpdateLayeredWindow(h, canvas.screen(), nullptr, &size, canvas.dc(), &src, 0, &blend,
                               ULW_ALPHA) != 0;
}

class Probe {
public:
    // Answers one command line; `quit_` tells the pump to stop.
    std::string Handle(const std::string& line) {
        std::istringstream in(line);
        std::string cmd;
        in >> cmd;
        std::string rest;
        std::getline(in >> std::ws, rest);
        std::istringstream args(rest);
        if (cmd == "acp") return Json().Bool("ok", true).Num("acp", GetACP()).Done();
        if (cmd == "create") return Create(args);
        if (cmd == "destroy") return Destroy(rest);
        if (cmd == "state") return StateJson(ToHwnd(Int(args)));
        if (cmd == "list") return List();
        if (cmd == "find") return Find(args);
        if (cmd == "children") return Children(ToHwnd(Int(args)));
        if (cmd == "front") return Front(ToHwnd(Int(args)));
        if (cmd == "foreground")
            return Json().Bool("ok", true).Num("hwnd", HandleValue(GetForegroundWindow())).Done();
        if (cmd == "post" || cmd == "send") return Message(cmd == "send", args);
        if (cmd == "close") {
            const BOOL ok = PostMessageA(ToHwnd(Int(args)), WM_CLOSE, 0, 0);
            return Json().Bool("ok", ok != 0).Done();
        }
        if (cmd == "spawn") return Spawn(rest);
        if (cmd == "kill") return Kill(static_cast<DWORD>(Int(args)));
        if (cmd == "waitexit") {
            const auto pid = static_cast<DWORD>(Int(args));
            return WaitExit(pid, static_cast<DWORD>(Int(args)));
        }
        if (cmd == "cursor") {
            const int x = static_cast<int>(Int(args));
            const BOOL ok = SetCursorPos(x, static_cast<int>(Int(args)));
            return Json().Bool("ok", ok != 0).Done();
        }
        if (cmd == "paint") return Paint(args);
        if (cmd == "move") return Move(args);
        if (cmd == "trayremove") return TrayRemove(args);
        if (cmd == "broadcast") return Broadcast(rest);
        if (cmd == "pixels") return Pixels(args);
        if (cmd == "scrollinfo") return ScrollInfo(ToHwnd(Int(args)));
        if (cmd == "menulook") return MenuLook(args);
        if (cmd == "quit") {
            quit_ = true;
            return Json().Bool("ok", true).Done();
        }
        return Error("unknown command: " + cmd);
    }
    bool quit() const { return quit_; }

private:
    static long long Int(std::istream& in) {
        std::string word;
        in >> word;
        return std::strtoll(word.c_str(), nullptr, 0);
    }
    static std::string Error(const std::string& what) {
        return Json().Bool("ok", false).Str("error", what).Done();
    }

    std::string Create(std::istringstream& args) {
        std::string name, kind, extra;
        args >> name >> kind >> extra;
        if (name.empty() || windows_.count(name)) return Error("bad or duplicate name: " + name);
        HWND owner = nullptr;
        DWORD exstyle = 0;
        if (kind == "owned") {
            const auto found = windows_.find(extra);
            if (found == windows_.end()) return Error("no window named " + extra);
            owner = found->second.get();
        }
        if (kind == "layered" || kind == "perpixel") exstyle |= WS_EX_LAYERED;
        const int slot = static_cast<int>(windows_.size());
        const int w = 320, h = 200;
        HWND hwnd = CreateWindowExA(exstyle, kWindowClass, kind == "untitled" ? "" : name.c_str(),
                                    WS_OVERLAPPEDWINDOW, 40 + 60 * (slot % 8), 40 + 50 * (slot % 8),
                                    w, h, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (!hwnd) return Error("CreateWindowEx failed: " + std::to_string(GetLastError()));
        windows_[name].reset(hwnd);
        if (kind == "layered") {
            const auto alpha = static_cast<BYTE>(std::strtol(extra.c_str(), nullptr, 0));
            if (!SetLayeredWindowAttributes(hwnd, 0, alpha, LWA_ALPHA))
                return Error("SetLayeredWindowAttributes failed");
        }
        if (kind == "perpixel" && !PaintPerPixel(hwnd, w, h))
            return Error("UpdateLayeredWindow failed");
        if (kind != "hidden") {
            ShowWindow(hwnd, SW_SHOW);
            UpdateWindow(hwnd);
        }
        return Json().Bool("ok", true).Num("hwnd", HandleValue(hwnd)).Done();
    }

    HWND Named(const std::string& name) const {
        const auto found = windows_.find(name);
        return found == windows_.end() ? nullptr : found->second.get();
    }

    // paint NAME RRGGBB: fills the window with that colour and writes its title on it.
    std::string Paint(std::istringstream& args) {
        std::string name, rgb;
        args >> name >> rgb;
        const HWND h = Named(name);
        if (!h) return Error("no window named " + name);
        const auto v = static_cast<unsigned long>(std::strtoul(rgb.c_str(), nullptr, 16));
        // The top byte marks a colour as set, so black stays distinguishable from "none".
        const COLORREF colour = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF) | 0x1000000;
        SetWindowLongPtrA(h, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
        InvalidateRect(h, nullptr, TRUE);
        UpdateWindow(h);
        return Json().Bool("ok", true).Done();
    }

    // move NAME X Y W H: places a test window (screen coordinates, outer size).
    std::string Move(std::istringstream& args) {
        std::string name;
        args >> name;
        const HWND h = Named(name);
        if (!h) return Error("no window named " + name);
        const int x = static_cast<int>(Int(args)), y = static_cast<int>(Int(args));
        const int w = static_cast<int>(Int(args)), height = static_cast<int>(Int(args));
        const BOOL ok = SetWindowPos(h, nullptr, x, y, w, height, SWP_NOZORDER | SWP_NOACTIVATE);
        return Json().Bool("ok", ok != 0).Done();
    }

    // trayremove HWND ID: takes a notification icon away from the shell as if the shell had
    // lost it (the way it does when it restarts); the icon's owner is not told.
    static std::string TrayRemove(std::istringstream& args) {
        NOTIFYICONDATAA data{};
        data.cbSize = sizeof data;
        data.hWnd = ToHwnd(Int(args));
        data.uID = static_cast<UINT>(Int(args));
        const BOOL removed = Shell_NotifyIconA(NIM_DELETE, &data);
        return Json().Bool("ok", true).Bool("removed", removed != 0).Done();
    }

    // broadcast NAME: posts the registered message NAME to every top-level window, as the shell
    // does with "TaskbarCreated" when it starts.
    static std::string Broadcast(const std::string& name) {
        const UINT msg = RegisterWindowMessageA(name.c_str());
        if (!msg) return Error("RegisterWindowMessage failed");
        const BOOL ok = PostMessageA(HWND_BROADCAST, msg, 0, 0);
        return Json().Bool("ok", ok != 0).Num("message", msg).Done();
    }

    // pixels X Y W H: the screen's pixels in that rectangle, row by row, as RRGGBB hex.
    static std::string Pixels(std::istringstream& args) {
        const int x = static_cast<int>(Int(args)), y = static_cast<int>(Int(args));
        const int w = static_cast<int>(Int(args)), h = static_cast<int>(Int(args));
        if (w <= 0 || h <= 0 || w * h > 1 << 20) return Error("bad rectangle");
        const auto rgb = ScreenPixels(RECT{x, y, x + w, y + h});
        if (!rgb) return Error("cannot read the screen: " + std::to_string(GetLastError()));
        return Json().Bool("ok", true).Num("w", w).Num("h", h).Str("rgb_hex", Hex(*rgb)).Done();
    }

    // menulook X Y ITEM...: opens a popup menu of its own with these items (Shift-JIS) at X, Y,
    // waits until it shows steadily, and answers its rectangle and pixels: what a menu with
    // exactly these captions looks like here, to compare with another program's menu.
    static std::string MenuLook(std::istringstream& args) {
        const int x = static_cast<int>(Int(args)), y = static_cast<int>(Int(args));
        UniqueMenu menu(CreatePopupMenu());
        UINT id = 1;
        for (std::string item; args >> item;)
            AppendMenuA(menu.get(), MF_STRING, id++, item.c_str());
        UniqueWindow owner(CreateWindowExA(0, kWindowClass, "", WS_POPUP, 0, 0, 1, 1, nullptr,
                                           nullptr, GetModuleHandleA(nullptr), nullptr));
        if (!menu || !owner || id == 1) return Error("cannot make the menu");
        MenuCapture capture;
        capture_ = &capture;
        const UINT_PTR timer = SetTimer(owner.get(), 1, 200, CaptureMenu);
        TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY, x,
                       y, 0, owner.get(), nullptr);
        KillTimer(owner.get(), timer);
        capture_ = nullptr;
        if (!capture.steady) return Error("the menu did not show steadily");
        const RECT& r = capture.rect;
        return Json()
            .Bool("ok", true)
            .Raw("rect", "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                             std::to_string(r.right) + "," + std::to_string(r.bottom) + "]")
            .Str("rgb_hex", Hex(capture.pixels))
            .Done();
    }

    // Runs inside the menu's own loop: once two looks in a row agree, the menu is fully drawn.
    static void CALLBACK CaptureMenu(HWND, UINT, UINT_PTR, DWORD) {
        MenuCapture& c = *capture_;
        const HWND shown = FindMenuWindow();
        RECT r{};
        std::optional<std::string> now;
        if (shown && GetWindowRect(shown, &r)) now = ScreenPixels(r);
        if (now && c.seen && *now == c.pixels && EqualRect(&r, &c.rect)) {
            c.steady = true;
        } else if (now) {
            c.pixels = *now;
            c.rect = r;
            c.seen = true;
        }
        if (c.steady || ++c.looks > 25) EndMenu();
    }

    static HWND FindMenuWindow() {
        for (HWND h = FindWindowExA(nullptr, nullptr, "#32768", nullptr); h;
             h = FindWindowExA(nullptr, h, "#32768", nullptr)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            if (pid == GetCurrentProcessId() && IsWindowVisible(h)) return h;
        }
        return nullptr;
    }

    struct MenuCapture {
        std::string pixels;
        RECT rect{};
        bool seen = false;
        bool steady = false;
        int looks = 0;
    };
    static inline MenuCapture* capture_ = nullptr;

    // scrollinfo HWND: range and position of a scroll bar control, anyone's.
    static std::string ScrollInfo(HWND h) {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
        if (!GetScrollInfo(h, SB_CTL, &info))
            return Error("GetScrollInfo failed: " + std::to_string(GetLastError()));
        return Json()
            .Bool("ok", true)
            .Num("min", info.nMin)
            .Num("max", info.nMax)
            .Num("page", info.nPage)
            .Num("pos", info.nPos)
            .Done();
    }

    std::string Destroy(const std::string& name) {
        const auto found = windows_.find(name);
        if (found == windows_.end()) return Error("no window named " + name);
        windows_.erase(found);
        // Destroying an owner destroys the windows it owns: forget them before their handles
        // can be reused.
        std::erase_if(windows_, [](const auto& entry) { return !IsWindow(entry.second.get()); });
        return Json().Bool("ok", true).Done();
    }

    static std::string List() {
        std::vector<HWND> all;
        EnumWindows(CollectHandle, reinterpret_cast<LPARAM>(&all));
        std::vector<std::string> items;
        for (HWND h : all)
            if (IsWindow(h)) items.push_back(StateJson(h)); // some close while we look
        return Json().Bool("ok", true).Raw("windows", ArrayOf(items)).Done();
    }

    static std::string Find(std::istringstream& args) {
        std::string cls, title;
        args >> cls;
        std::getline(args >> std::ws, title);
        HWND h = FindWindowA(cls.c_str(), title.empty() ? nullptr : title.c_str());
        return Json().Bool("ok", true).Num("hwnd", HandleValue(h)).Done();
    }

    static std::string Children(HWND parent) {
        if (!IsWindow(parent)) return Error("no such window");
        std::vector<HWND> all;
        EnumChildWindows(parent, CollectHandle, reinterpret_cast<LPARAM>(&all));
        std::vector<std::string> items;
        for (HWND h : all) items.push_back(ChildJson(h));
        return Json().Bool("ok", true).Raw("children", ArrayOf(items)).Done();
    }

    static std::string Front(HWND h) {
        const BOOL ok = SetForegroundWindow(h);
        return Json()
            .Bool("ok", ok != 0)
            .Num("foreground", HandleValue(GetForegroundWindow()))
            .Done();
    }

    static std::string Message(bool send, std::istringstream& args) {
        const HWND h = ToHwnd(Int(args));
        const auto msg = static_cast<UINT>(Int(args));
        const auto wp = static_cast<WPARAM>(Int(args));
        const auto lp = static_cast<LPARAM>(Int(args));
        if (!send) return Json().Bool("ok", PostMessageA(h, msg, wp, lp) != 0).Done();
        long long timeout = Int(args);
        DWORD_PTR result = 0;
        const LRESULT ok =
            SendMessageTimeoutA(h, msg, wp, lp, SMTO_ABORTIFHUNG,
                                timeout > 0 ? static_cast<UINT>(timeout) : 5000, &result);
        return Json()
            .Bool("ok", true)
            .Bool("answered", ok != 0)
            .Num("result", static_cast<long long>(result))
            .Done();
    }

    std::string Spawn(std::string cmdline) {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(nullptr, cmdline.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &si, &pi))
            return Error("CreateProcess failed: " + std::to_string(GetLastError()));
        CloseHandle(pi.hThread);
        processes_[pi.dwProcessId].reset(pi.hProcess);
        return Json().Bool("ok", true).Num("pid", pi.dwProcessId).Done();
    }

    HANDLE ProcessHandle(DWORD pid) {
        auto found = processes_.find(pid);
        if (found != processes_.end()) return found->second.get();
        HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION,
                               FALSE, pid);
        if (!h) return nullptr;
        processes_[pid].reset(h);
        return h;
    }

    std::string Kill(DWORD pid) {
        HANDLE h = ProcessHandle(pid);
        if (!h) return Error("cannot open process " + std::to_string(pid));
        const BOOL ok = TerminateProcess(h, 1);
        WaitForSingleObject(h, 5000);
        return Json().Bool("ok", ok != 0).Done();
    }

    // Waits while still serving this thread's windows, which the waited-for process may be
    // talking to (Lumra restores every window it changed on its way out).
    std::string WaitExit(DWORD pid, DWORD ms) {
        HANDLE h = ProcessHandle(pid);
        if (!h) return Error("cannot open process " + std::to_string(pid));
        const DWORD deadline = GetTickCount() + ms;
        for (;;) {
            const DWORD now = GetTickCount();
            const DWORD left = static_cast<LONG>(deadline - now) > 0 ? deadline - now : 0;
            const DWORD r = MsgWaitForMultipleObjects(1, &h, FALSE, left, QS_ALLINPUT);
            if (r == WAIT_OBJECT_0) break;
            if (r != WAIT_OBJECT_0 + 1) return Json().Bool("ok", true).Bool("exited", false).Done();
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        DWORD code = 0;
        GetExitCodeProcess(h, &code);
        return Json().Bool("ok", true).Bool("exited", true).Num("code", code).Done();
    }

    std::map<std::string, UniqueWindow> windows_;
    std::map<DWORD, UniqueHandle> processes_;
    bool quit_ = false;
};

struct ReaderArgs {
    DWORD mainThread;
    HANDLE answered; // set by the main thread once a command is answered
};

// Reads stdin line by line and hands each line to the main thread, one at a time: the next line
// is read only after the previous one was answered, so a command never arrives mid-wait.
DWORD WINAPI ReadCommands(void* param) {
    const auto* args = static_cast<ReaderArgs*>(param);
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    std::string pending;
    char buf[4096];
    for (;;) {
        size_t eol;
        while ((eol = pending.find('\n')) == std::string::npos) {
            DWORD got = 0;
            if (!ReadFile(in, buf, sizeof buf, &got, nullptr) || got == 0) {
                PostThreadMessageA(args->mainThread, kCommandMessage, 0, 0);
                return 0;
            }
            pending.append(buf, got);
        }
        auto* line = new std::string(pending.substr(0, eol));
        pending.erase(0, eol + 1);
        if (!line->empty() && line->back() == '\r') line->pop_back();
        PostThreadMessageA(args->mainThread, kCommandMessage, 0, reinterpret_cast<LPARAM>(line));
        WaitForSingleObject(args->answered, INFINITE);
    }
}

void Answer(const std::string& line) {
    const std::string out = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written,
              nullptr);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "hold") {
        // Keeps the desktop (and so explorer.exe) alive for a whole test run, owned by this
        // process rather than by whichever scenario happened to start first.
        GetDesktopWindow();
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        return 0;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = ProbeWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassA(&wc)) return 2;

    // The thread queue must exist before the reader posts to it.
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    UniqueHandle answered(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    ReaderArgs args{GetCurrentThreadId(), answered.get()};
    UniqueHandle reader(CreateThread(nullptr, 0, ReadCommands, &args, 0, nullptr));
    Answer(Json().Bool("ok", true).Str("ready", "probe").Done());

    Probe probe;
    while (!probe.quit() && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kCommandMessage) {
            std::unique_ptr<std::string> line(reinterpret_cast<std::string*>(msg.lParam));
            if (!line) break; // stdin closed
            Answer(line->empty() ? Json().Bool("ok", true).Done() : probe.Handle(*line));
            SetEvent(answered.get());
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // Returning ends the process, and with it the reader still blocked on stdin.
    return 0;
}
