// The settings window and the translucency controller: the window list, the walks over it and
// foreground tracking.
#pragma once

#include "IniVesk.h"
#include "TaskTray.h"
#include "WindowLedger.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "vcl/StdCtrls.h"

namespace unit1 {
inline constexpr const char* kSection = "Lumra";
inline constexpr const char* kKey = "lay";
inline constexpr int kDefaultLevel = 175;
inline constexpr int kListSlots = 100;
// The decimal text of level × 100 / 255, truncated toward zero.
vcl::AnsiString PercentText(int level);
} // namespace unit1

class TForm1 : public vcl::TForm {
public: // published
    vcl::TTimer* Timer1 = nullptr;
    vcl::TButton* Button2 = nullptr;
    vcl::TPanel* Panel1 = nullptr;
    TTaskTray* TaskTray1 = nullptr;
    vcl::TScrollBar* ScrollBar1 = nullptr;
    vcl::TPopupMenu* PopupMenu1 = nullptr;
    vcl::TMenuItem* K1 = nullptr;
    vcl::TMenuItem* Exit1 = nullptr;
    vcl::TGroupBox* GroupBox1 = nullptr;
    vcl::TButton* Button1 = nullptr;
    vcl::TButton* Button3 = nullptr;
    vcl::TGroupBox* GroupBox2 = nullptr;
    vcl::TLabel* Label1 = nullptr;
    TIniVesk* IniVesk1 = nullptr;

    void Button1Click(vcl::TObject* Sender);
    void FormCreate(vcl::TObject* Sender);
    void Timer1Timer(vcl::TObject* Sender);
    void Button2Click(vcl::TObject* Sender);
    void FormDestroy(vcl::TObject* Sender);
    void ScrollBar1Change(vcl::TObject* Sender);
    void Exit1Click(vcl::TObject* Sender);
    void Button3Click(vcl::TObject* Sender);
    void K1Click(vcl::TObject* Sender);

public:
    explicit TForm1(vcl::TComponent* AOwner);
    ~TForm1() override;
    const char* ClassName() const override { return "TForm1"; }
    vcl::TNotifyEvent MethodAddress(const vcl::AnsiString& name) const override;
    bool BindField(const vcl::AnsiString& name, vcl::TComponent* component) override;

    // Appends one window to the list if it qualifies (the enumeration callback's work).
    void CollectOne(win::HWND hwnd);
    // The foreground tracking step, run by every tick and at once when Windows reports a new
    // foreground window.
    void TrackForeground();
    // After a fault or when the session ends: every changed window back as its program had it.
    void RestoreEverything();

    // Read-only views for tests and tools.
    win::HWND Foreground() const { return ForegroundWnd; }
    win::HWND Previous() const { return PreviousWnd; }
    int Level() const { return OpacityLevel; }
    int Count() const { return WindowCount; }
    win::HWND Listed(int slot) const { return WindowList[slot]; }

private:
    win::HWND ForegroundWnd{};
    win::HWND PreviousWnd{};
    int OpacityLevel{};
    int WindowCount{};
    win::HWND WindowList[unit1::kListSlots]{};
    void SetWindowAlpha(win::HWND hwnd, int level);

    WindowLedger Changed; // every window Lumra has changed, and how its program had it
    win::HWINEVENTHOOK ForegroundHook{};
    void Unhook();

    void Enumerate();
    void LayeringWalk();
    void LevelWalk();
    void RestoringWalk();
    void CompactList();
    // The stored level into OpacityLevel, the scroll bar and the panel.
    void LoadStoredLevel();
};

extern TForm1* Form1;

win::BOOL WINAPI_CB CollectWindow(win::HWND hwnd, win::LPARAM param);
