// Integer values in a Windows profile (INI) file, through the system's profile functions.
#pragma once

#include "vcl/SysUtils.h"

#include <cstdint>

namespace vcl {

class TIniFile {
public:
    // Only records the name: nothing is opened, and nothing is buffered later.
    explicit TIniFile(AnsiString fileName) : fileName_(std::move(fileName)) {}
    const AnsiString& FileName() const { return fileName_; }

    std::int32_t ReadInteger(const AnsiString& section, const AnsiString& ident,
                             std::int32_t defaultValue) const;
    // Raises Exception "<path> に書き込めません" when the system reports the write failed.
    void WriteInteger(const AnsiString& section, const AnsiString& ident, std::int32_t value) const;

private:
    AnsiString fileName_;
};

// The conversion ReadInteger applies to the stored text.
std::int32_t ProfileTextToInt(AnsiString text, std::int32_t defaultValue);

} // namespace vcl
