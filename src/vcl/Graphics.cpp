#include "vcl/Graphics.h"

#include "winapi/WinApi.h"

namespace vcl {

namespace {
std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
constexpr std::size_t kHeader = 6, kEntry = 16;
} // namespace

TIcon::~TIcon() {
    ReleaseHandle();
}

void TIcon::LoadFromBytes(const std::vector<std::uint8_t>& bytes) {
    const auto bad = [] { throw Exception("Invalid icon file"); };
    if (bytes.size() < kHeader + kEntry) bad();
    if (Le16(bytes, 0) != 0 || Le16(bytes, 2) != 1) bad();
    const std::size_t count = Le16(bytes, 4);
    if (count == 0 || bytes.size() < kHeader + count * kEntry) bad();
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = kHeader + i * kEntry;
        const std::uint64_t size = Le32(bytes, entry + 8), offset = Le32(bytes, entry + 12);
        if (size == 0 || offset + size > bytes.size()) bad();
    }
    data_ = bytes;
    Changed();
}

void TIcon::Assign(const TIcon* source) {
    if (source == this) return;
    if (!source || source->Empty()) {
        Clear();
        return;
    }
    data_ = source->data_;
    Changed();
}

void TIcon::Clear() {
    data_.clear();
    Changed();
}

void TIcon::ReleaseHandle() {
    if (handle_) win::Win().DestroyIcon(handle_);
    handle_ = nullptr;
}

void TIcon::Changed() {
    ReleaseHandle();
    if (OnChange) OnChange(this);
}

win::HICON TIcon::Handle() {
    if (!handle_ && !data_.empty()) {
        const int width = data_[kHeader] ? data_[kHeader] : 256;
        const int height = data_[kHeader + 1] ? data_[kHeader + 1] : 256;
        const std::uint32_t size = Le32(data_, kHeader + 8), offset = Le32(data_, kHeader + 12);
        handle_ = win::Win().CreateIconFromResourceEx(data_.data() + offset, size, 1, 0x00030000,
                                                      width, height, 0);
    }
    return handle_;
}

} // namespace vcl
