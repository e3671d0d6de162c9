#include "vcl/Menus.h"

#include "vcl/FormReader.h"
#include "vcl/Forms.h"

#include <algorithm>
#include <map>

namespace vcl {

using namespace win;

namespace {
std::map<UINT, TMenuItem*>& Commands() {
    static std::map<UINT, TMenuItem*> commands;
    return commands;
}
UINT NextCommand() {
    static UINT next = 100;
    return next++;
}

// Owns a native menu for the time it is shown.
class MenuHandle {
public:
    MenuHandle() : menu_(Win().CreatePopupMenu()) {
        if (!menu_) throw EInvalidOperation("cannot create a popup menu");
    }
    ~MenuHandle() { Win().DestroyMenu(menu_); }
    MenuHandle(const MenuHandle&) = delete;
    MenuHandle& operator=(const MenuHandle&) = delete;
    HMENU get() const { return menu_; }

private:
    HMENU menu_;
};
} // namespace

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), command_(NextCommand()) {
    Commands()[command_] = this;
}

TMenuItem::~TMenuItem() {
    Commands().erase(command_);
}

void TMenuItem::Click() {
    if (OnClick) OnClick(this);
}

void TMenuItem::ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) {
    if (name == "Caption")
        Caption = value.AsString(reader);
    else if (name == "ShortCut")
        ShortCut = value.AsInt(reader, 0, 0xFFFF);
    else if (name == "OnClick")
        OnClick = reader.Handler(value);
    else
        TComponent::ReadProperty(name, value, reader);
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner) {
    window_ = std::make_unique<UtilWindow>([](TMessage& message) {
        if (message.Msg != WM_COMMAND) return false;
        const auto found = Commands().find(LoWord(message.WParam));
        if (found != Commands().end()) found->second->Click();
        return true;
    });
}

TPopupMenu::~TPopupMenu() {
    for (TMenuItem* item : items_) item->RemoveFreeNotification(this);
}

void TPopupMenu::Add(TMenuItem* item) {
    items_.push_back(item);
    item->FreeNotification(this);
}

void TPopupMenu::ReadChild(TComponent* child) {
    if (auto* item = dynamic_cast<TMenuItem*>(child)) Add(item);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove)
        items_.erase(std::remove(items_.begin(), items_.end(), AComponent), items_.end());
}

void TPopupMenu::Popup(int X, int Y) {
    MenuHandle menu;
    for (TMenuItem* item : items_)
        Win().AppendMenuA(menu.get(), MF_STRING, item->Command(), item->Caption.c_str());
    HWND owner = window_->Handle();
    Win().TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, X, Y, 0, owner, nullptr);
    // Lets the menu close properly the next time it opens (the owner has no visible window).
    Win().PostMessageA(owner, WM_NULL, 0, 0);
}

} // namespace vcl
