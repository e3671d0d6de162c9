#include "vcl/Controls.h"

#include "vcl/FormReader.h"
#include "vcl/Forms.h"

#include <algorithm>
#include <map>
#include <string>

namespace vcl {

using namespace win;

namespace {

struct WindowRegistry {
    std::map<HWND, MessageTarget*> targets;
    std::map<std::string, WNDPROC> classes; // class name -> default procedure
    MessageTarget* creating = nullptr;
};

WindowRegistry& Registry() {
    static WindowRegistry registry;
    return registry;
}

LRESULT WINAPI_CB DefProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Win().DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace

MessageTarget* FindTarget(HWND hwnd) {
    auto& targets = Registry().targets;
    const auto found = targets.find(hwnd);
    return found == targets.end() ? nullptr : found->second;
}

void ForgetTargetWindow(HWND hwnd) {
    Registry().targets.erase(hwnd);
}

LRESULT WINAPI_CB StdWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto& registry = Registry();
    MessageTarget* target = FindTarget(hwnd);
    if (!target && registry.creating) {
        target = registry.creating;
        registry.creating = nullptr;
        registry.targets[hwnd] = target;
        target->Attach(hwnd);
    }
    if (!target) return Win().DefWindowProcA(hwnd, msg, wParam, lParam);
    TMessage message{msg, wParam, lParam, 0};
    // Unwinding through user32's frames is undefined: every exception ends here.
    try {
        target->Dispatch(message);
    } catch (const Exception& e) {
        Application->HandleException(e);
    } catch (const std::exception& e) {
        Application->HandleException(Exception(e.what()));
    }
    if (msg == WM_NCDESTROY) ForgetTargetWindow(hwnd);
    return message.Result;
}

WNDPROC RegisterWindowClass(const char* className, const char* superclass) {
    auto& classes = Registry().classes;
    WinApi& api = Win();
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    // Known here and still registered with the binding in use (a test installs a new one).
    if (const auto found = classes.find(className);
        found != classes.end() &&
        api.GetClassInfoExA(api.GetModuleHandleA(nullptr), className, &wc))
        return found->second;
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof wc;
    WNDPROC defProc = DefProc;
    if (superclass) {
        if (!api.GetClassInfoExA(nullptr, superclass, &wc))
            throw EInvalidOperation(AnsiString("no window class ") + superclass);
        defProc = wc.lpfnWndProc;
    } else {
        wc.hCursor = api.LoadCursorA(nullptr, IDC_ARROW());
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_BTNFACE + 1));
        wc.hIcon = api.LoadIconA(api.GetModuleHandleA(nullptr), "MAINICON");
    }
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = StdWndProc;
    wc.hInstance = api.GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    wc.lpszMenuName = nullptr;
    if (!api.RegisterClassExA(&wc))
        throw EInvalidOperation(AnsiString("cannot register window class ") + className);
    classes[className] = defProc;
    return defProc;
}

HWND CreateTargetWindow(MessageTarget* target, DWORD exStyle, const char* className,
                        const char* caption, DWORD style, int x, int y, int w, int h, HWND parent) {
    auto& registry = Registry();
    registry.creating = target;
    HWND hwnd = Win().CreateWindowExA(exStyle, className, caption, style, x, y, w, h, parent,
                                      nullptr, Win().GetModuleHandleA(nullptr), nullptr);
    registry.creating = nullptr;
    if (!hwnd) throw EInvalidOperation(AnsiString("cannot create a window of class ") + className);
    registry.targets[hwnd] = target; // also when the class sent nothing during creation
    target->Attach(hwnd);
    return hwnd;
}

UtilWindow::UtilWindow(Handler handler, const char* className) : handler_(std::move(handler)) {
    RegisterWindowClass(className, nullptr);
    hwnd_ =
        CreateTargetWindow(this, WS_EX_TOOLWINDOW, className, "", WS_POPUP, 0, 0, 0, 0, nullptr);
}

UtilWindow::~UtilWindow() {
    Win().DestroyWindow(hwnd_);
    ForgetTargetWindow(hwnd_);
}

void UtilWindow::Dispatch(TMessage& message) {
    if (!handler_(message))
        message.Result = Win().DefWindowProcA(hwnd_, message.Msg, message.WParam, message.LParam);
    if (message.Msg == WM_NCDESTROY) hwnd_ = nullptr;
}

TFont::~TFont() {
    if (handle_) Win().DeleteObject(handle_);
}

void TFont::Assign(const TFont& other) {
    Charset = other.Charset;
    Color = other.Color;
    Height = other.Height;
    Name = other.Name;
    Style = other.Style;
    Changed();
}

void TFont::Changed() {
    if (handle_) Win().DeleteObject(handle_);
    handle_ = nullptr;
}

HFONT TFont::Handle() {
    if (!handle_) {
        handle_ = Win().CreateFontA(Height, 0, 0, 0, Style.Contains(fsBold) ? FW_BOLD : FW_NORMAL,
                                    Style.Contains(fsItalic), Style.Contains(fsUnderline),
                                    Style.Contains(fsStrikeOut), static_cast<DWORD>(Charset), 0, 0,
                                    0, 0, Name.c_str());
    }
    return handle_;
}

TControl::~TControl() {
    if (parent_) parent_->RemoveControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
}

void TControl::SetCaption(const AnsiString& caption) {
    caption_ = caption;
}

void TControl::SetVisible(bool visible) {
    visible_ = visible;
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent_) parent_->RemoveControl(this);
    if (parent) parent->InsertControl(this);
    if (parentFont_ && parent_) {
        font_.Assign(parent_->Font());
        FontChanged();
    }
}

void TControl::SetParentFont(bool value) {
    parentFont_ = value;
    if (value && parent_) {
        font_.Assign(parent_->Font());
        FontChanged();
    }
}

void TControl::ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) {
    auto fontChange = [this] {
        font_.Changed();
        parentFont_ = false;
        FontChanged();
    };
    if (name == "Left")
        SetBounds(value.AsInt(reader), top_, width_, height_);
    else if (name == "Top")
        SetBounds(left_, value.AsInt(reader), width_, height_);
    else if (name == "Width")
        SetBounds(left_, top_, value.AsInt(reader, 0, 32767), height_);
    else if (name == "Height")
        SetBounds(left_, top_, width_, value.AsInt(reader, 0, 32767));
    else if (name == "Caption")
        SetCaption(value.AsString(reader));
    else if (name == "Visible")
        SetVisible(value.AsBool(reader));
    else if (name == "ParentFont")
        SetParentFont(value.AsBool(reader));
    else if (name == "Font.Charset") {
        static constexpr int charsets[] = {SHIFTJIS_CHARSET, DEFAULT_CHARSET};
        font_.Charset = charsets[value.AsEnum(reader, {"SHIFTJIS_CHARSET", "DEFAULT_CHARSET"})];
        fontChange();
    } else if (name == "Font.Color") {
        static constexpr TColor colors[] = {clBlack, clWindowText};
        font_.Color = colors[value.AsEnum(reader, {"clBlack", "clWindowText"})];
        fontChange();
    } else if (name == "Font.Height") {
        font_.Height = value.AsInt(reader, -1000, 1000);
        fontChange();
    } else if (name == "Font.Name") {
        font_.Name = value.AsString(reader);
        if (font_.Name.size() > 31) reader.Fail(value, "font name longer than 31 bytes");
        fontChange();
    } else if (name == "Font.Style") {
        TFontStyles styles;
        for (const AnsiString& item : value.AsSet(reader)) {
            if (item == "fsBold")
                styles.Include(fsBold);
            else if (item == "fsItalic")
                styles.Include(fsItalic);
            else if (item == "fsUnderline")
                styles.Include(fsUnderline);
            else if (item == "fsStrikeOut")
                styles.Include(fsStrikeOut);
            else
                reader.Fail(value, "unknown font style " + item);
        }
        font_.Style = styles;
        fontChange();
    } else {
        TComponent::ReadProperty(name, value, reader);
    }
}

TWinControl::~TWinControl() {
    // Child controls go before the owner's other components, as the class library does it.
    while (!controls_.empty()) {
        TControl* child = controls_.back();
        RemoveControl(child);
        delete child;
    }
    DestroyHandle();
}

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
    control->parent_ = this;
    // While a form is read, its windows are made once it is complete (UpdateHandles).
    if (HandleAllocated() && !ComponentState().Contains(csLoading))
        if (auto* win = dynamic_cast<TWinControl*>(control)) win->Handle();
}

void TWinControl::RemoveControl(TControl* control) {
    if (auto* win = dynamic_cast<TWinControl*>(control)) win->DestroyHandle();
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    control->parent_ = nullptr;
}

void TWinControl::ReadChild(TComponent* child) {
    if (auto* control = dynamic_cast<TControl*>(child)) control->SetParent(this);
}

void TWinControl::ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) {
    if (name == "TabOrder")
        tabOrder_ = value.AsInt(reader, 0, 32767);
    else
        TControl::ReadProperty(name, value, reader);
}

void TWinControl::CreateParams(TCreateParams& params) {
    params.className = ClassName();
    params.style = WS_CHILD | WS_CLIPSIBLINGS | (visible_ ? WS_VISIBLE : 0);
    params.x = left_;
    params.y = top_;
    params.width = width_;
    params.height = height_;
    params.parent = parent_ ? parent_->Handle() : nullptr;
}

HWND TWinControl::Handle() {
    if (!handle_) {
        if (parent_) parent_->Handle(); // making the parent's window makes its children's too
        if (!handle_) CreateHandle();
    }
    return handle_;
}

void TWinControl::CreateHandle() {
    TCreateParams params;
    CreateParams(params);
    defProc_ = RegisterWindowClass(params.className, params.superclass);
    handle_ =
        CreateTargetWindow(this, params.exStyle, params.className, caption_.c_str(), params.style,
                           params.x, params.y, params.width, params.height, params.parent);
    ApplyFont();
    CreateWnd();
    CreateChildHandles();
}

void TWinControl::UpdateHandles() {
    Handle();
    CreateChildHandles();
}

void TWinControl::CreateChildHandles() {
    // Children stack in tab order: the dialog manager tabs through them top to bottom, and the
    // group boxes (last in this form's tab order) lie behind the controls drawn over them.
    std::vector<TWinControl*> children;
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c)) children.push_back(w);
    std::stable_sort(children.begin(), children.end(), [](TWinControl* a, TWinControl* b) {
        const auto key = [](TWinControl* w) { return w->tabOrder_ < 0 ? 1 << 30 : w->tabOrder_; };
        return key(a) < key(b);
    });
    HWND previous = HWND_TOP();
    for (TWinControl* child : children) {
        child->UpdateHandles();
        HWND h = child->Handle();
        Win().SetWindowPos(h, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = h;
    }
}

void TWinControl::CreateWnd() {}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    // Windows destroys the child windows with this one; each hears WM_NCDESTROY and lets go.
    HWND h = handle_;
    Win().DestroyWindow(h);
    handle_ = nullptr;
    ForgetTargetWindow(h);
}

void TWinControl::ApplyFont() {
    if (handle_)
        Win().SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), 0);
}

void TWinControl::FontChanged() {
    ApplyFont();
    for (TControl* c : controls_)
        if (c->ParentFont()) {
            c->Font().Assign(font_);
            c->FontChanged();
        }
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    TControl::SetBounds(left, top, width, height);
    if (handle_)
        Win().SetWindowPos(handle_, nullptr, left, top, width, height,
                           SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::SetCaption(const AnsiString& caption) {
    TControl::SetCaption(caption);
    if (handle_) Win().SetWindowTextA(handle_, caption.c_str());
}

void TWinControl::SetVisible(bool visible) {
    TControl::SetVisible(visible);
    if (handle_) Win().ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE);
}

void TWinControl::Dispatch(TMessage& message) {
    WndProc(message);
    if (message.Msg == WM_NCDESTROY) handle_ = nullptr;
}

void TWinControl::DefaultHandler(TMessage& message) {
    message.Result = Win().CallWindowProcA(defProc_ ? defProc_ : DefProc, handle_, message.Msg,
                                           message.WParam, message.LParam);
}

void TWinControl::WndProc(TMessage& message) {
    // Static and button controls ask their parent how to colour their text and background: in
    // the dialog face colour, with the text colour of the control's own font.
    if ((message.Msg == WM_CTLCOLORSTATIC || message.Msg == WM_CTLCOLORBTN) && message.LParam) {
        if (auto* child =
                dynamic_cast<TWinControl*>(FindTarget(reinterpret_cast<HWND>(message.LParam)))) {
            WinApi& api = Win();
            const HDC dc = reinterpret_cast<HDC>(message.WParam);
            const TColor color = child->Font().Color;
            api.SetTextColor(dc, color == clWindowText ? api.GetSysColor(COLOR_WINDOWTEXT)
                                                       : static_cast<COLORREF>(color));
            api.SetBkColor(dc, api.GetSysColor(COLOR_BTNFACE));
            message.Result = reinterpret_cast<LRESULT>(api.GetSysColorBrush(COLOR_BTNFACE));
            return;
        }
    }
    // A control's notification goes to its parent window; hand it back to the control.
    if ((message.Msg == WM_COMMAND || message.Msg == WM_HSCROLL) && message.LParam) {
        auto* child =
            dynamic_cast<TWinControl*>(FindTarget(reinterpret_cast<HWND>(message.LParam)));
        if (child && child != this) {
            if (message.Msg == WM_COMMAND)
                child->CommandNotify(HiWord(message.WParam));
            else
                child->ScrollNotify(LoWord(message.WParam),
                                    static_cast<short>(HiWord(message.WParam)));
            return;
        }
    }
    DefaultHandler(message);
}

} // namespace vcl
