// Standard controls, each a superclass of the system control that does the job.
#pragma once

#include "vcl/Controls.h"

namespace vcl {

class TButton : public TWinControl {
public:
    explicit TButton(TComponent* AOwner) : TWinControl(AOwner) {}
    const char* ClassName() const override { return "TButton"; }
    TNotifyEvent OnClick;
    void Click();
    void ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CommandNotify(win::UINT code) override;
};

class TGroupBox : public TWinControl {
public:
    explicit TGroupBox(TComponent* AOwner) : TWinControl(AOwner) {}
    const char* ClassName() const override { return "TGroupBox"; }

protected:
    void CreateParams(TCreateParams& params) override;
};

class TLabel : public TWinControl {
public:
    explicit TLabel(TComponent* AOwner) : TWinControl(AOwner) {}
    const char* ClassName() const override { return "TLabel"; }

protected:
    void CreateParams(TCreateParams& params) override;
};

enum class TScrollBarKind { sbHorizontal, sbVertical };

class TScrollBar : public TWinControl {
public:
    explicit TScrollBar(TComponent* AOwner) : TWinControl(AOwner) {}
    const char* ClassName() const override { return "TScrollBar"; }

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    int SmallChange() const { return smallChange_; }
    int LargeChange() const { return largeChange_; }
    void SetMin(int value);
    void SetMax(int value);
    // Clamps to Min..Max; runs OnChange only when the position really changes.
    void SetPosition(int value);
    void SetSmallChange(int value) { smallChange_ = value; }
    void SetLargeChange(int value) { largeChange_ = value; }
    TNotifyEvent OnChange;

    void ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void ScrollNotify(win::UINT code, int position) override;

private:
    void UpdateNative();
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int smallChange_ = 1;
    int largeChange_ = 1;
};

} // namespace vcl
