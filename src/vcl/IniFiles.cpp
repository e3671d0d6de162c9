#include "vcl/IniFiles.h"

#include "winapi/WinApi.h"

#include <algorithm>

namespace vcl {

std::int32_t ProfileTextToInt(AnsiString text, std::int32_t defaultValue) {
    // "0x1F" is read as the class library's "$1F".
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.replace(0, 2, "$");
    return StrToIntDef(text, defaultValue);
}

std::int32_t TIniFile::ReadInteger(const AnsiString& section, const AnsiString& ident,
                                   std::int32_t defaultValue) const {
    char buffer[1024] = {};
    const win::DWORD length = win::Win().GetPrivateProfileStringA(
        section.c_str(), ident.c_str(), "", buffer, sizeof buffer, fileName_.c_str());
    return ProfileTextToInt(AnsiString(buffer, std::min<std::size_t>(length, sizeof buffer - 1)),
                            defaultValue);
}

void TIniFile::WriteInteger(const AnsiString& section, const AnsiString& ident,
                            std::int32_t value) const {
    const AnsiString text = IntToStr(value);
    if (!win::Win().WritePrivateProfileStringA(section.c_str(), ident.c_str(), text.c_str(),
                                               fileName_.c_str()))
        throw Exception(fileName_ + " に書き込めません");
}

} // namespace vcl
