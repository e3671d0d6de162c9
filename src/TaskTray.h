// TTaskTray: one icon in the notification area under a numeric identifier, and the shared hidden
// window that turns the shell's mouse notifications into component events and popup menus.
#pragma once

#include "vcl/Controls.h"
#include "vcl/Graphics.h"
#include "vcl/Menus.h"

#include <memory>

constexpr win::UINT WM_TASKTRAY = win::WM_USER + 102; // 0x466

namespace tasktray {
// The component's fixed messages.
inline constexpr const char* kNotAddable = "タスクトレイに登録できません";
inline constexpr const char* kIdBelowOne = "0以下は指定できません";
inline constexpr const char* kIdInUse = "同じアイコン識別子が有ります";
inline constexpr const char* kNoIcon = "アイコンが指定されていません";
inline constexpr const char* kNoFormOwner = "タスクトレイのアイコンはフォームに置いてください";
inline constexpr int kTipBytes = 63;
void Register();
} // namespace tasktray

using TButtonDblClick = std::function<void(vcl::TObject* Seft, vcl::TMouseButton Button)>;

class TTaskTray;

// The one window of the process the shell sends every icon's callback to.
class TNotifyWindow : public vcl::TWinControl {
public:
    explicit TNotifyWindow(vcl::TComponent* AOwner);
    ~TNotifyWindow() override;
    const char* ClassName() const override { return "TNotifyWindow"; }
    void WMTaskTray(vcl::TMessage& Message);

protected:
    void CreateParams(vcl::TCreateParams& params) override;
    void WndProc(vcl::TMessage& message) override;

private:
    // Hears the shell's "TaskbarCreated" broadcast, which reaches top-level windows only.
    std::unique_ptr<vcl::UtilWindow> taskbarWatcher_;
};

extern vcl::TStringList* TaskTrayList;
extern TNotifyWindow* NotifyWindow;
extern bool NotifyBusy;

class TTaskTray : public vcl::TComponent {
public:
    explicit TTaskTray(vcl::TComponent* AOwner);
    ~TTaskTray() override;
    const char* ClassName() const override { return "TTaskTray"; }

    vcl::TPopupMenu* PopupMenuL() const { return FPopupMenuL; }
    vcl::TPopupMenu* PopupMenuR() const { return FPopupMenuR; }
    const vcl::AnsiString& TipString() const { return FTipString; }
    vcl::TIcon* Icon() const { return FIcon.get(); }
    int IconID() const { return FIconID; }
    bool Registered() const { return FRegistered; }
    void SetPopupMenuL(vcl::TPopupMenu* Value);
    void SetPopupMenuR(vcl::TPopupMenu* Value);
    void SetTipString(const vcl::AnsiString& Value);
    void SetIcon(vcl::TIcon* Value);
    void SetIconID(int Value);
    void SetRegistered(bool Value);

    TButtonDblClick OnDblClick;
    vcl::TMouseMoveEvent OnMouseMove;
    vcl::TMouseEvent OnMouseDown;
    vcl::TMouseEvent OnMouseUp;

    virtual void RemoveIcon();
    virtual void UpdateIcon();
    virtual void DblClick(vcl::TMouseButton Button);
    virtual void MouseDown(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y);
    virtual void MouseMove(int X, int Y);
    virtual void MouseUp(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y);

    // What was last sent to the shell.
    const win::NOTIFYICONDATAA& IconData() const { return *FIconData; }
    bool Added() const { return FAdded; }
    // The shell has restarted and forgotten every icon: add this one again.
    void ShellRestarted();

    void Loaded() override;
    void Notification(vcl::TComponent* AComponent, vcl::TOperation Operation) override;
    void ReadProperty(const vcl::AnsiString& name, const vcl::DfmValue& value,
                      vcl::FormReader& reader) override;

private:
    void IconChange(vcl::TObject* Sender);

    vcl::AnsiString FTipString;
    std::unique_ptr<vcl::TIcon> FIcon;
    int FIconID = 0;
    vcl::TPopupMenu* FPopupMenuL = nullptr;
    vcl::TPopupMenu* FPopupMenuR = nullptr;
    std::unique_ptr<win::NOTIFYICONDATAA> FIconData;
    bool FRegistered = false;
    bool FAdded = false;
};
