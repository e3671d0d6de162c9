// The panel and the timer.
#pragma once

#include "vcl/Controls.h"

#include <memory>

namespace vcl {

enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
using enum TBevelCut;

// A box with its caption centred; a lowered bevel makes it sunken.
class TPanel : public TWinControl {
public:
    explicit TPanel(TComponent* AOwner) : TWinControl(AOwner) {}
    const char* ClassName() const override { return "TPanel"; }
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) override;

protected:
    void CreateParams(TCreateParams& params) override;

private:
    TBevelCut bevelOuter_ = bvRaised;
};

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;
    const char* ClassName() const override { return "TTimer"; }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned value);
    const TNotifyEvent& OnTimer() const { return onTimer_; }
    // The timer starts counting as soon as it has a handler.
    void SetOnTimer(TNotifyEvent handler);
    win::HWND WindowHandle() const { return window_->Handle(); }

    void ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) override;

private:
    void UpdateTimer();
    bool enabled_ = true;
    unsigned interval_ = 1000;
    TNotifyEvent onTimer_;
    std::unique_ptr<UtilWindow> window_;
};

} // namespace vcl
