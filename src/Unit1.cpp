#include "Unit1.h"

#include "winapi/WinApi.h"

#include <algorithm>
#include <map>

using namespace vcl;
using namespace win;

TForm1* Form1 = nullptr;

namespace unit1 {
AnsiString PercentText(int level) {
    return IntToStr(static_cast<std::int64_t>(level) * 100 / 255);
}
} // namespace unit1

namespace {
bool IsDesktop(HWND hwnd) {
    return hwnd == Win().FindWindowA("Progman", nullptr);
}

// Out of context: called from our own message loop, on this thread.
void WINAPI_CB ForegroundChanged(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
    try {
        if (Form1) Form1->TrackForeground();
    } catch (const Exception& e) {
        Application->HandleException(e);
    }
}
} // namespace

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {
    inivesk::Register();
    tasktray::Register();
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
}

TNotifyEvent TForm1::MethodAddress(const AnsiString& name) const {
    static const std::map<AnsiString, void (TForm1::*)(TObject*)> methods = {
        {"Button1Click", &TForm1::Button1Click}, {"FormCreate", &TForm1::FormCreate},
        {"Timer1Timer", &TForm1::Timer1Timer},   {"Button2Click", &TForm1::Button2Click},
        {"FormDestroy", &TForm1::FormDestroy},   {"ScrollBar1Change", &TForm1::ScrollBar1Change},
        {"Exit1Click", &TForm1::Exit1Click},     {"Button3Click", &TForm1::Button3Click},
        {"K1Click", &TForm1::K1Click},
    };
    const auto found = methods.find(name);
    if (found == methods.end()) return {};
    auto* self = const_cast<TForm1*>(this);
    return [self, method = found->second](TObject* Sender) { (self->*method)(Sender); };
}

namespace {
template <class T> bool Bind(T*& field, TComponent* component) {
    field = dynamic_cast<T*>(component);
    return field != nullptr;
}
} // namespace

bool TForm1::BindField(const AnsiString& name, TComponent* c) {
    if (name == "Timer1") return Bind(Timer1, c);
    if (name == "Button2") return Bind(Button2, c);
    if (name == "Panel1") return Bind(Panel1, c);
    if (name == "TaskTray1") return Bind(TaskTray1, c);
    if (name == "ScrollBar1") return Bind(ScrollBar1, c);
    if (name == "PopupMenu1") return Bind(PopupMenu1, c);
    if (name == "K1") return Bind(K1, c);
    if (name == "Exit1") return Bind(Exit1, c);
    if (name == "GroupBox1") return Bind(GroupBox1, c);
    if (name == "Button1") return Bind(Button1, c);
    if (name == "Button3") return Bind(Button3, c);
    if (name == "GroupBox2") return Bind(GroupBox2, c);
    if (name == "Label1") return Bind(Label1, c);
    if (name == "IniVesk1") return Bind(IniVesk1, c);
    return false;
}

BOOL WINAPI_CB CollectWindow(HWND hwnd, LPARAM param) {
    (void)param;
    // Called by user32: nothing may unwind through it.
    try {
        if (Form1) Form1->CollectOne(hwnd);
    } catch (const Exception& e) {
        Application->HandleException(e);
    }
    return 1;
}

void TForm1::CollectOne(HWND hwnd) {
    WinApi& api = Win();
    if (api.IsWindowVisible(hwnd) != 1) return;
    if (api.GetWindow(hwnd, GW_OWNER) != nullptr) return;
    if (api.GetWindowTextLengthA(hwnd) == 0) return;
    if (IsDesktop(hwnd)) return;
    if (!hwnd) return;
    if (WindowCount >= unit1::kListSlots) CompactList();
    if (WindowCount >= unit1::kListSlots) return; // still full: this window finds no slot
    WindowList[WindowCount++] = hwnd;
}

void TForm1::CompactList() {
    // Only when the list is full: duplicates and closed windows make room, order kept.
    int kept = 0;
    for (int i = 0; i < WindowCount; ++i) {
        const HWND h = WindowList[i];
        if (!Win().IsWindow(h) || std::find(WindowList, WindowList + kept, h) != WindowList + kept)
            continue;
        WindowList[kept++] = h;
    }
    std::fill(WindowList + kept, WindowList + unit1::kListSlots, nullptr);
    WindowCount = kept;
}

void TForm1::Enumerate() {
    Win().EnumWindows(CollectWindow, 0);
}

void TForm1::SetWindowAlpha(HWND hwnd, int level) {
    SetLayeredAttributesByName(hwnd, 0, static_cast<BYTE>(level & 0xFF), LWA_ALPHA);
}

void TForm1::LayeringWalk() {
    for (int i = 0; i < unit1::kListSlots && WindowList[i]; ++i) {
        const HWND h = WindowList[i];
        if (!Changed.Admit(h)) continue;
        SetLayeredStyle(h, true);
        SetWindowAlpha(h, 255);
        SetWindowAlpha(h, OpacityLevel);
    }
}

void TForm1::LevelWalk() {
    for (int i = 0; i < unit1::kListSlots && WindowList[i]; ++i)
        if (Changed.Admit(WindowList[i])) SetWindowAlpha(WindowList[i], OpacityLevel);
}

void TForm1::RestoringWalk() {
    // Listed windows first, in list order; then every other window Lumra changed (an owned
    // dialog or a late window that foreground tracking layered), so none stays translucent.
    for (int i = 0; i < unit1::kListSlots && WindowList[i]; ++i) Changed.Restore(WindowList[i]);
    Changed.RestoreAll([this](HWND h) {
        return std::find(WindowList, WindowList + WindowCount, h) != WindowList + WindowCount;
    });
}

void TForm1::LoadStoredLevel() {
    // A stored value outside the scroll bar's range is clamped as soon as it is read, so the
    // panel never shows more than 100 and "OK" never writes what the scroll bar cannot show.
    OpacityLevel =
        std::clamp(IniVesk1->ReadInteger(unit1::kSection, unit1::kKey, unit1::kDefaultLevel), 0, 255);
    ScrollBar1->SetPosition(OpacityLevel);
    Panel1->SetCaption(unit1::PercentText(OpacityLevel));
}

void TForm1::FormCreate(TObject* Sender) {
    (void)Sender;
    LoadStoredLevel();
    Enumerate();
    LayeringWalk();
    // Users notice a window that stays translucent for a moment after they click it: react to
    // the switch at once; the tick still corrects a missed event. Our own windows are the
    // timer's business.
    ForegroundHook = Win().SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND,
                                           nullptr, ForegroundChanged, 0, 0,
                                           WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
}

void TForm1::FormDestroy(TObject* Sender) {
    (void)Sender;
    // A form whose description failed to load runs this too, without its components.
    if (Timer1) Timer1->SetEnabled(false);
    Unhook();
    Enumerate();
    RestoringWalk();
}

void TForm1::Timer1Timer(TObject* Sender) {
    (void)Sender;
    TrackForeground();
}

void TForm1::Unhook() {
    if (ForegroundHook) Win().UnhookWinEvent(ForegroundHook);
    ForegroundHook = nullptr;
}

void TForm1::RestoreEverything() {
    Unhook();
    if (Timer1) Timer1->SetEnabled(false);
    RestoringWalk();
}

void TForm1::TrackForeground() {
    WinApi& api = Win();
    ForegroundWnd = api.GetForegroundWindow();
    if (ForegroundWnd == PreviousWnd) return;
    if (api.IsWindowVisible(ForegroundWnd) != 1) return;
    if (api.GetWindowTextLengthA(ForegroundWnd) == 0) return;
    if (IsDesktop(ForegroundWnd)) return;
    if (Changed.Admit(ForegroundWnd)) {
        SetLayeredStyle(ForegroundWnd, true);
        SetWindowAlpha(ForegroundWnd, 255);
    }
    if (Changed.Admit(PreviousWnd)) SetWindowAlpha(PreviousWnd, OpacityLevel);
    PreviousWnd = ForegroundWnd;
}

void TForm1::ScrollBar1Change(TObject* Sender) {
    (void)Sender;
    OpacityLevel = ScrollBar1->Position();
    Panel1->SetCaption(unit1::PercentText(OpacityLevel));
}

void TForm1::Button1Click(TObject* Sender) {
    (void)Sender;
    Enumerate();
    LevelWalk();
    IniVesk1->WriteInteger(unit1::kSection, unit1::kKey, OpacityLevel);
    Hide();
}

void TForm1::Button3Click(TObject* Sender) {
    (void)Sender;
    Hide();
}

void TForm1::Button2Click(TObject* Sender) {
    (void)Sender;
    Timer1->SetEnabled(false);
    Unhook();
    Enumerate();
    RestoringWalk();
    Close();
}

void TForm1::K1Click(TObject* Sender) {
    (void)Sender;
    LoadStoredLevel();
    Show();
}

void TForm1::Exit1Click(TObject* Sender) {
    (void)Sender;
    Close();
}
