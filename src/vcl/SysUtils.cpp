#include "vcl/SysUtils.h"

#include "winapi/WinApi.h"

#include <limits>

namespace vcl {

AnsiString IntToStr(std::int64_t value) {
    return std::to_string(value);
}

std::optional<std::int32_t> TryStrToInt(const AnsiString& text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i < text.size() && text[i] == '$') {
        ++i;
        const std::size_t digits = text.size() - i;
        if (digits == 0 || digits > 8) return std::nullopt;
        std::uint32_t value = 0;
        for (; i < text.size(); ++i) {
            const char c = text[i];
            int nibble;
            if (c >= '0' && c <= '9')
                nibble = c - '0';
            else if (c >= 'a' && c <= 'f')
                nibble = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                nibble = c - 'A' + 10;
            else
                return std::nullopt;
            value = (value << 4) | static_cast<std::uint32_t>(nibble);
        }
        if (negative) value = 0u - value;
        return static_cast<std::int32_t>(value);
    }
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t StrToIntDef(const AnsiString& text, std::int32_t defaultValue) {
    return TryStrToInt(text).value_or(defaultValue);
}

AnsiString ModuleFileName() {
    // Grow the buffer until the whole path fits: a truncated path would name another file.
    for (win::DWORD size = 260; size <= 32768; size *= 2) {
        AnsiString buffer(size, '\0');
        const win::DWORD length = win::Win().GetModuleFileNameA(nullptr, buffer.data(), size);
        if (length < size) return buffer.substr(0, length);
    }
    return {};
}

namespace {
// Index just past the last separator (backslash or colon), or 0 when there is none.
std::size_t FilePartStart(const AnsiString& path) {
    auto& api = win::Win();
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (api.IsDBCSLeadByte(static_cast<win::BYTE>(path[i]))) {
            ++i; // the trail byte belongs to the character, whatever its value
            continue;
        }
        if (path[i] == '\\' || path[i] == ':') start = i + 1;
    }
    return start;
}
} // namespace

AnsiString ExtractFilePath(const AnsiString& path) {
    return path.substr(0, FilePartStart(path));
}

AnsiString ExtractFileName(const AnsiString& path) {
    return path.substr(FilePartStart(path));
}

AnsiString ChangeFileExt(const AnsiString& path, const AnsiString& ext) {
    const std::size_t start = FilePartStart(path);
    const std::size_t dot = path.rfind('.');
    if (dot == AnsiString::npos || dot < start) return path + ext;
    return path.substr(0, dot) + ext;
}

} // namespace vcl
