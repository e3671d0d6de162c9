// Popup menus: the chosen item's command is posted, so its handler runs from the message loop
// after the menu has closed.
#pragma once

#include "vcl/Controls.h"

#include <memory>

namespace vcl {

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;
    const char* ClassName() const override { return "TMenuItem"; }

    AnsiString Caption;
    int ShortCut = 0;
    TNotifyEvent OnClick;
    win::UINT Command() const { return command_; }
    void Click();

    void ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) override;

private:
    win::UINT command_;
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;
    const char* ClassName() const override { return "TPopupMenu"; }

    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(index); }
    void Add(TMenuItem* item);
    // Shows the menu at a screen point and returns when it has closed.
    void Popup(int X, int Y);
    win::HWND WindowHandle() const { return window_->Handle(); }

    void ReadChild(TComponent* child) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::vector<TMenuItem*> items_;
    std::unique_ptr<UtilWindow> window_;
};

} // namespace vcl
