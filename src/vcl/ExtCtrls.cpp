#include "vcl/ExtCtrls.h"

#include "vcl/FormReader.h"
#include "vcl/Forms.h"

namespace vcl {

using namespace win;

void TPanel::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.superclass = "STATIC";
    params.style |= SS_CENTER | SS_CENTERIMAGE;
    if (bevelOuter_ == bvLowered) params.exStyle |= WS_EX_STATICEDGE;
}

void TPanel::ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) {
    if (name == "BevelOuter")
        bevelOuter_ = static_cast<TBevelCut>(
            value.AsEnum(reader, {"bvNone", "bvLowered", "bvRaised", "bvSpace"}));
    else
        TWinControl::ReadProperty(name, value, reader);
}

constexpr UINT_PTR kTimerId = 1;

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
    window_ = std::make_unique<UtilWindow>([this](TMessage& message) {
        if (message.Msg != WM_TIMER) return false;
        if (onTimer_ && enabled_) {
            try {
                onTimer_(this);
            } catch (const Exception& e) {
                Application->HandleException(e);
            }
        }
        return true;
    });
}

TTimer::~TTimer() {
    enabled_ = false;
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    Win().KillTimer(window_->Handle(), kTimerId);
    if (enabled_ && interval_ > 0 && onTimer_ && !ComponentState().Contains(csDesigning))
        if (!Win().SetTimer(window_->Handle(), kTimerId, interval_, nullptr))
            throw EInvalidOperation("Not enough timers available");
}

void TTimer::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned value) {
    if (value == interval_) return;
    interval_ = value;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    onTimer_ = std::move(handler);
    UpdateTimer();
}

void TTimer::ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) {
    if (name == "OnTimer")
        SetOnTimer(reader.Handler(value));
    else if (name == "Interval")
        SetInterval(static_cast<unsigned>(value.AsInt(reader, 0, INT32_MAX)));
    else if (name == "Enabled")
        SetEnabled(value.AsBool(reader));
    else
        TComponent::ReadProperty(name, value, reader);
}

} // namespace vcl
