// Icons held as complete icon files.
#pragma once

#include "vcl/Classes.h"
#include "winapi/WinTypes.h"

#include <cstdint>
#include <vector>

namespace vcl {

class TIcon : public TObject {
public:
    TIcon() = default;
    ~TIcon() override;
    const char* ClassName() const override { return "TIcon"; }

    // Takes a complete icon file; a malformed one raises Exception and changes nothing.
    void LoadFromBytes(const std::vector<std::uint8_t>& bytes);
    void Assign(const TIcon* source); // nil empties the icon
    void Clear();
    bool Empty() const { return data_.empty(); }
    const std::vector<std::uint8_t>& Data() const { return data_; }
    // The native icon, made from the first image on first request; 0 without a picture.
    win::HICON Handle();

    TNotifyEvent OnChange;

private:
    void Changed();
    void ReleaseHandle();
    std::vector<std::uint8_t> data_;
    win::HICON handle_ = nullptr;
};

} // namespace vcl
