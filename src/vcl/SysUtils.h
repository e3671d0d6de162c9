// Exceptions, number conversions and the byte-wise file-name routines of the class library.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace vcl {

using AnsiString = std::string; // bytes of the ANSI code page (Shift-JIS here)

// The class library's base exception: a message in the ANSI code page.
class Exception : public std::runtime_error {
public:
    explicit Exception(const AnsiString& message) : std::runtime_error(message) {}
    AnsiString Message() const { return what(); }
};

class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

// A malformed or inconsistent form description.
class EReadError : public Exception {
public:
    using Exception::Exception;
};

AnsiString IntToStr(std::int64_t value);

// Decimal with an optional sign inside the signed 32-bit range, or "$" and one to eight hex digits
// (any bit pattern). Anything else, the empty text included, is no number.
std::optional<std::int32_t> TryStrToInt(const AnsiString& text);
std::int32_t StrToIntDef(const AnsiString& text, std::int32_t defaultValue);

// Byte-wise path parts: the directory part runs up to and including the last backslash or colon;
// a 0x5C that is the trail byte of a double-byte character is no separator, nor is "/".
AnsiString ExtractFilePath(const AnsiString& path);
AnsiString ExtractFileName(const AnsiString& path);
// Replaces everything from the file part's last "." on, or appends when there is none.
AnsiString ChangeFileExt(const AnsiString& path, const AnsiString& ext);
// The full path of the running executable, as the system reports it.
AnsiString ModuleFileName();

} // namespace vcl
