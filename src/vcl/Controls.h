// Controls: every control keeps its state in the object and mirrors it to a native window made
// through the seam, so the same code runs on Windows and on the simulated desktop.
#pragma once

#include "vcl/Classes.h"
#include "winapi/WinApi.h"
#include "winapi/WinConst.h"

#include <memory>

namespace vcl {

using win::HWND;
using TColor = std::int32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWindowText = static_cast<TColor>(0xFF000008);

enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using enum TFontStyle;
using TFontStyles = Set<TFontStyle>;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
using enum TMouseButton;
enum class TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using enum TShiftStateItem;
using TShiftState = Set<TShiftStateItem>;
using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

struct TMessage {
    win::UINT Msg;
    win::WPARAM WParam;
    win::LPARAM LParam;
    win::LRESULT Result;
};

// Anything that owns a native window of ours and handles its messages.
class MessageTarget {
public:
    // The window is known from its first message on, before CreateWindowExA has returned.
    virtual void Attach(HWND hwnd) = 0;
    virtual void Dispatch(TMessage& message) = 0;

protected:
    ~MessageTarget() = default;
};

// The window procedure of every window class we register; no exception ever leaves it.
win::LRESULT WINAPI_CB StdWndProc(HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam);
// Registers `className` once: our own class, or a superclass of a system control. Returns the
// procedure that does the default handling for windows of that class.
win::WNDPROC RegisterWindowClass(const char* className, const char* superclass);
// Binds `target` to the window being created next on this thread (its first messages arrive
// inside CreateWindowExA, before the handle is known).
HWND CreateTargetWindow(MessageTarget* target, win::DWORD exStyle, const char* className,
                        const char* caption, win::DWORD style, int x, int y, int w, int h,
                        HWND parent);
void ForgetTargetWindow(HWND hwnd);
MessageTarget* FindTarget(HWND hwnd);

// A hidden top-level window that hands its messages to a function (timers, menu commands).
class UtilWindow final : public MessageTarget {
public:
    // Returns true when it handled the message; the rest get the default handling.
    using Handler = std::function<bool(TMessage&)>;
    explicit UtilWindow(Handler handler, const char* className = "TPUtilWindow");
    ~UtilWindow();
    UtilWindow(const UtilWindow&) = delete;
    UtilWindow& operator=(const UtilWindow&) = delete;
    HWND Handle() const { return hwnd_; }
    void Attach(HWND hwnd) override { hwnd_ = hwnd; }
    void Dispatch(TMessage& message) override;

private:
    Handler handler_;
    HWND hwnd_ = nullptr;
};

class TFont {
public:
    TFont() = default;
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;
    ~TFont();

    int Charset = 1; // DEFAULT_CHARSET
    TColor Color = clWindowText;
    int Height = -12;
    AnsiString Name = "ＭＳ Ｐゴシック";
    TFontStyles Style;

    void Assign(const TFont& other);
    win::HFONT Handle(); // made on first request, remade after a change
    void Changed();

private:
    win::HFONT handle_ = nullptr;
};

class TWinControl;

class TControl : public TComponent {
    friend class TWinControl;

public:
    explicit TControl(TComponent* AOwner) : TComponent(AOwner) {}
    ~TControl() override;
    const char* ClassName() const override { return "TControl"; }

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    virtual void SetBounds(int left, int top, int width, int height);
    const AnsiString& Caption() const { return caption_; }
    virtual void SetCaption(const AnsiString& caption);
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    TFont& Font() { return font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    virtual void FontChanged() {}

    void ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) override;

protected:
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    AnsiString caption_;
    bool visible_ = true;
    TWinControl* parent_ = nullptr;
    TFont font_;
    bool parentFont_ = true;
};

struct TCreateParams {
    const char* className = nullptr;
    const char* superclass = nullptr; // a system control class to build on, or none
    win::DWORD style = 0;
    win::DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    HWND parent = nullptr;
};

class TWinControl : public TControl, public MessageTarget {
public:
    explicit TWinControl(TComponent* AOwner) : TControl(AOwner) {}
    ~TWinControl() override;
    const char* ClassName() const override { return "TWinControl"; }

    HWND Handle(); // the native window, made on first request (the parent's first)
    bool HandleAllocated() const { return handle_ != nullptr; }
    void DestroyHandle();
    // Makes the windows of this control and of every child that has none yet.
    void UpdateHandles();
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int order) { tabOrder_ = order; }
    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const { return controls_.at(index); }

    void SetBounds(int left, int top, int width, int height) override;
    void SetCaption(const AnsiString& caption) override;
    void SetVisible(bool visible) override;
    void FontChanged() override;

    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);

    void ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) override;
    void ReadChild(TComponent* child) override;
    void Attach(HWND hwnd) override { handle_ = hwnd; }
    void Dispatch(TMessage& message) override;

protected:
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd(); // after the window exists: state that needs messages
    virtual void WndProc(TMessage& message);
    void DefaultHandler(TMessage& message);
    // Notifications a child control's window sends to its parent, routed back to the child.
    virtual void CommandNotify(win::UINT code) { (void)code; }
    virtual void ScrollNotify(win::UINT code, int position) {
        (void)code;
        (void)position;
    }

private:
    void CreateHandle();
    void CreateChildHandles();
    void ApplyFont();

    HWND handle_ = nullptr;
    win::WNDPROC defProc_ = nullptr;
    int tabOrder_ = -1;
    std::vector<TControl*> controls_;
};

} // namespace vcl
