#include "TaskTray.h"

#include "vcl/FormReader.h"
#include "vcl/Forms.h"
#include "winapi/WinApi.h"

#include <cstring>
#include <limits>

using namespace vcl;
using namespace win;

TStringList* TaskTrayList = nullptr;
TNotifyWindow* NotifyWindow = nullptr;
bool NotifyBusy = false;

namespace {

// Unit initialisation and finalisation: the registry outlives every tray component.
struct UnitLifetime {
    UnitLifetime() { TaskTrayList = new TStringList; }
    ~UnitLifetime() {
        delete TaskTrayList;
        TaskTrayList = nullptr;
    }
} unitLifetime;

TTaskTray* ComponentAt(int index) {
    return static_cast<TTaskTray*>(TaskTrayList->Objects(index));
}

// The longest head of `text` that fits szTip and never ends inside a double-byte character.
AnsiString FitTip(const AnsiString& text) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t width = Win().IsDBCSLeadByte(static_cast<BYTE>(text[end])) ? 2 : 1;
        if (end + width > static_cast<std::size_t>(tasktray::kTipBytes) ||
            end + width > text.size())
            break;
        end += width;
    }
    return text.substr(0, end);
}

} // namespace

namespace tasktray {
void Register() {
    FormReader::RegisterClass(
        "TTaskTray", [](TComponent* owner) -> TComponent* { return new TTaskTray(owner); });
}
} // namespace tasktray

TNotifyWindow::TNotifyWindow(TComponent* AOwner) : TWinControl(AOwner) {
    const UINT taskbarCreated = Win().RegisterWindowMessageA("TaskbarCreated");
    taskbarWatcher_ = std::make_unique<UtilWindow>([taskbarCreated](TMessage& message) {
        if (taskbarCreated == 0 || message.Msg != taskbarCreated) return false;
        for (int i = 0; i < TaskTrayList->Count(); ++i) ComponentAt(i)->ShellRestarted();
        return true;
    });
}

TNotifyWindow::~TNotifyWindow() {
    // The global must never name a destroyed window: a later add makes a new one.
    if (NotifyWindow == this) NotifyWindow = nullptr;
}

void TNotifyWindow::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.x = params.y = params.width = params.height = 0;
}

void TNotifyWindow::WndProc(TMessage& message) {
    if (message.Msg == WM_TASKTRAY)
        WMTaskTray(message);
    else
        TWinControl::WndProc(message);
}

void TNotifyWindow::WMTaskTray(TMessage& Message) {
    POINT P{};
    Win().GetCursorPos(&P);
    const int Index = TaskTrayList->IndexOf(IntToStr(static_cast<std::int64_t>(Message.WParam)));
    if (Index < 0) return;
    // Nested message loops (ProcessMessages, an open menu) deliver further notifications here;
    // they are dropped, never queued.
    if (NotifyBusy) return;
    NotifyBusy = true;
    struct Reset {
        ~Reset() { NotifyBusy = false; }
    } reset;
    TTaskTray* C = ComponentAt(Index);
    // The whole LParam is the mouse message: anything outside the table does nothing.
    switch (Message.LParam) {
    case WM_MOUSEMOVE:
        C->MouseMove(P.x, P.y);
        break;
    case WM_LBUTTONDOWN:
        C->MouseDown(mbLeft, {ssLeft}, P.x, P.y);
        break;
    case WM_LBUTTONUP:
        C->MouseUp(mbLeft, {ssLeft}, P.x, P.y);
        break;
    case WM_LBUTTONDBLCLK:
        C->DblClick(mbLeft);
        break;
    case WM_RBUTTONDOWN:
        C->MouseDown(mbRight, {ssRight}, P.x, P.y);
        break;
    case WM_RBUTTONUP:
        C->MouseUp(mbRight, {ssRight}, P.x, P.y);
        break;
    case WM_RBUTTONDBLCLK:
        C->DblClick(mbRight);
        break;
    case WM_MBUTTONDOWN:
        C->MouseDown(mbMiddle, {ssMiddle}, P.x, P.y);
        break;
    case WM_MBUTTONUP:
        C->MouseUp(mbMiddle, {ssMiddle}, P.x, P.y);
        break;
    default:
        break;
    }
}

TTaskTray::TTaskTray(TComponent* AOwner)
    : TComponent(AOwner), FIconData(std::make_unique<NOTIFYICONDATAA>()) {
    std::int64_t id = 1;
    if (TaskTrayList->Count() > 0)
        id = std::int64_t{StrToIntDef(TaskTrayList->Strings(TaskTrayList->Count() - 1), 0)} + 1;
    // Identifiers changed after creation can make "last + 1" a number in use: take the next free.
    while (id < 1 || id > std::numeric_limits<int>::max() ||
           TaskTrayList->IndexOf(IntToStr(id)) >= 0)
        id = (id < 1 || id > std::numeric_limits<int>::max()) ? 1 : id + 1;
    FIconID = static_cast<int>(id);
    TaskTrayList->AddObject(IntToStr(FIconID), this);
    FIcon = std::make_unique<TIcon>();
    FIcon->OnChange = [this](TObject* Sender) { IconChange(Sender); };
}

TTaskTray::~TTaskTray() {
    RemoveIcon();
    const int index = TaskTrayList->IndexOf(IntToStr(FIconID));
    if (index >= 0) TaskTrayList->Delete(index);
    FIcon->OnChange = nullptr;
}

void TTaskTray::IconChange(TObject* Sender) {
    (void)Sender;
    UpdateIcon();
}

void TTaskTray::UpdateIcon() {
    if (ComponentState().Contains(csDesigning) || !FRegistered) return;
    if (!NotifyWindow) {
        auto* form = dynamic_cast<TWinControl*>(Owner());
        if (!form) throw EInvalidOperation(tasktray::kNoFormOwner);
        NotifyWindow = new TNotifyWindow(form);
        NotifyWindow->SetParent(form);
    }
    NOTIFYICONDATAA& data = *FIconData;
    if (!FAdded) {
        data.cbSize = sizeof(NOTIFYICONDATAA);
        data.hWnd = static_cast<std::uint32_t>(FromHwnd(NotifyWindow->Handle()));
        data.uCallbackMessage = WM_TASKTRAY;
    }
    data.uID = static_cast<std::uint32_t>(FIconID);
    data.uFlags =
        FTipString.empty() ? (NIF_MESSAGE | NIF_ICON) : (NIF_MESSAGE | NIF_ICON | NIF_TIP);
    data.hIcon = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(FIcon->Handle()));
    const AnsiString tip = FitTip(FTipString);
    std::memset(data.szTip, 0, sizeof data.szTip);
    std::memcpy(data.szTip, tip.data(), tip.size());
    if (!Win().Shell_NotifyIconA(FAdded ? NIM_MODIFY : NIM_ADD, &data))
        throw EInvalidOperation(tasktray::kNotAddable);
    FAdded = true;
}

void TTaskTray::RemoveIcon() {
    if (FAdded) Win().Shell_NotifyIconA(NIM_DELETE, FIconData.get());
    FAdded = false;
    FRegistered = false;
}

void TTaskTray::ShellRestarted() {
    if (!FRegistered) return;
    FAdded = false;
    UpdateIcon();
}

void TTaskTray::SetIconID(int Value) {
    if (Value < 1) throw EInvalidOperation(tasktray::kIdBelowOne);
    if (Value == FIconID) return;
    const int Index = TaskTrayList->IndexOf(IntToStr(FIconID));
    if (TaskTrayList->IndexOf(IntToStr(Value)) >= 0) throw EInvalidOperation(tasktray::kIdInUse);
    if (FRegistered) {
        RemoveIcon();
        FRegistered = true;
    }
    FIconID = Value;
    TaskTrayList->SetStrings(Index, IntToStr(FIconID));
    UpdateIcon();
}

void TTaskTray::SetRegistered(bool Value) {
    if (Value == FRegistered) return;
    if (Value) {
        if (!FIcon->Handle()) throw EInvalidOperation(tasktray::kNoIcon);
        FRegistered = true;
        UpdateIcon();
    } else {
        RemoveIcon();
    }
    FRegistered = Value;
}

void TTaskTray::SetIcon(TIcon* Value) {
    if (Value == FIcon.get()) return;
    if (Value) {
        FIcon->Assign(Value);
        UpdateIcon();
    } else {
        FIcon->Clear();
        RemoveIcon();
    }
}

void TTaskTray::SetTipString(const AnsiString& Value) {
    if (Value == FTipString) return;
    FTipString = Value;
    UpdateIcon();
}

void TTaskTray::SetPopupMenuL(TPopupMenu* Value) {
    if (Value != FPopupMenuL) FPopupMenuL = Value;
    if (FPopupMenuL) FPopupMenuL->FreeNotification(this);
}

void TTaskTray::SetPopupMenuR(TPopupMenu* Value) {
    if (Value != FPopupMenuR) FPopupMenuR = Value;
    if (FPopupMenuR) FPopupMenuR->FreeNotification(this);
}

void TTaskTray::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && dynamic_cast<TPopupMenu*>(AComponent)) {
        if (FPopupMenuL == AComponent) FPopupMenuL = nullptr;
        if (FPopupMenuR == AComponent) FPopupMenuR = nullptr;
    }
}

void TTaskTray::Loaded() {
    if (!ComponentState().Contains(csDesigning)) UpdateIcon();
    TComponent::Loaded();
}

void TTaskTray::DblClick(TMouseButton Button) {
    if (OnDblClick) OnDblClick(this, Button);
}

void TTaskTray::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    // The menu's owner must be in front, or the menu stays open when the user clicks elsewhere.
    if (auto* form = dynamic_cast<TForm*>(Owner())) {
        Win().SetForegroundWindow(form->Handle());
        Application->ProcessMessages();
    }
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
    if (Button == mbLeft && FPopupMenuL) FPopupMenuL->Popup(X, Y);
    if (Button == mbRight && FPopupMenuR) FPopupMenuR->Popup(X, Y);
}

void TTaskTray::MouseMove(int X, int Y) {
    if (OnMouseMove) OnMouseMove(this, {}, X, Y);
}

void TTaskTray::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TTaskTray::ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) {
    auto menuRef = [&](void (TTaskTray::*set)(TPopupMenu*)) {
        reader.Reference(value, [this, set, &reader, value](TComponent* target) {
            auto* menu = dynamic_cast<TPopupMenu*>(target);
            if (!menu) reader.Fail(value, value.text + " is not a popup menu");
            (this->*set)(menu);
        });
    };
    if (name == "PopupMenuL")
        menuRef(&TTaskTray::SetPopupMenuL);
    else if (name == "PopupMenuR")
        menuRef(&TTaskTray::SetPopupMenuR);
    else if (name == "TipString")
        SetTipString(value.AsString(reader));
    else if (name == "Icon.Data") {
        TIcon icon;
        try {
            icon.LoadFromBytes(value.AsBinary(reader));
        } catch (const EReadError&) {
            throw;
        } catch (const Exception& e) {
            reader.Fail(value, e.Message());
        }
        SetIcon(&icon);
    } else if (name == "IconID")
        SetIconID(value.AsInt(reader));
    else if (name == "Registered")
        SetRegistered(value.AsBool(reader));
    else
        TComponent::ReadProperty(name, value, reader);
}
