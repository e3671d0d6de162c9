#include "vcl/StdCtrls.h"

#include "vcl/FormReader.h"

#include <algorithm>

namespace vcl {

using namespace win;

void TButton::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.superclass = "BUTTON";
    params.style |= BS_PUSHBUTTON | WS_TABSTOP;
}

void TButton::Click() {
    if (OnClick) OnClick(this);
}

void TButton::CommandNotify(UINT code) {
    if (code == BN_CLICKED) Click();
}

void TButton::ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) {
    if (name == "OnClick")
        OnClick = reader.Handler(value);
    else
        TWinControl::ReadProperty(name, value, reader);
}

void TGroupBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.superclass = "BUTTON";
    params.style |= BS_GROUPBOX;
    params.exStyle |= WS_EX_CONTROLPARENT; // the dialog manager tabs into its buttons
}

void TLabel::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.superclass = "STATIC";
    params.style |= SS_LEFT;
}

void TScrollBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.superclass = "SCROLLBAR";
    params.style |= SBS_HORZ | WS_TABSTOP;
}

void TScrollBar::CreateWnd() {
    UpdateNative();
}

void TScrollBar::UpdateNative() {
    if (!HandleAllocated()) return;
    Win().SetScrollRange(Handle(), SB_CTL, min_, max_, 0);
    Win().SetScrollPos(Handle(), SB_CTL, position_, 1);
}

void TScrollBar::SetMin(int value) {
    min_ = value;
    if (position_ < min_) position_ = min_;
    UpdateNative();
}

void TScrollBar::SetMax(int value) {
    max_ = value;
    if (position_ > max_) position_ = max_;
    UpdateNative();
}

void TScrollBar::SetPosition(int value) {
    value = std::clamp(value, min_, std::max(min_, max_));
    if (value == position_) return;
    position_ = value;
    UpdateNative();
    if (OnChange) OnChange(this);
}

void TScrollBar::ScrollNotify(UINT code, int position) {
    switch (code) {
    case SB_LINELEFT:
        SetPosition(position_ - smallChange_);
        break;
    case SB_LINERIGHT:
        SetPosition(position_ + smallChange_);
        break;
    case SB_PAGELEFT:
        SetPosition(position_ - largeChange_);
        break;
    case SB_PAGERIGHT:
        SetPosition(position_ + largeChange_);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        SetPosition(position);
        break;
    case SB_LEFT:
        SetPosition(min_);
        break;
    case SB_RIGHT:
        SetPosition(max_);
        break;
    default:
        break;
    }
}

void TScrollBar::ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) {
    if (name == "Min")
        SetMin(value.AsInt(reader, 0, 32767));
    else if (name == "Max")
        SetMax(value.AsInt(reader, 0, 32767));
    else if (name == "Position")
        SetPosition(value.AsInt(reader, 0, 32767));
    else if (name == "SmallChange")
        SetSmallChange(value.AsInt(reader, 1, 32767));
    else if (name == "LargeChange")
        SetLargeChange(value.AsInt(reader, 1, 32767));
    else if (name == "OnChange")
        OnChange = reader.Handler(value);
    else
        TWinControl::ReadProperty(name, value, reader);
}

} // namespace vcl
