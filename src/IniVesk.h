// TIniVesk: decides where a form's INI file lives and reads and writes integers in it.
#pragma once

#include "vcl/Classes.h"
#include "vcl/IniFiles.h"

#include <cstdint>
#include <memory>

enum class TIniVeskDefaultDir : std::uint8_t { ddApplication, ddWindows, ddNone };
using enum TIniVeskDefaultDir;

enum class TIniVeskFence : std::uint8_t { fnDoubleQuote, fnParenthesis, fnVer11Mode, fnNone };
using enum TIniVeskFence;

namespace inivesk {
// The warning shown in a form designer when Fence leaves fnVer11Mode.
inline constexpr const char* kFenceWarning = "fnVer11Mode以外の値にすると、TIniVeskのVer1.0とVer1."
                                             "1で書き込んだﾌｧｲﾙを正しく読めない事があります。";
// The default file name for an executable: its file part with ".INI", ASCII letters lower-cased
// byte by byte, then the first byte upper-cased.
vcl::AnsiString DefaultFileName(const vcl::AnsiString& exePath);
void Register();
} // namespace inivesk

class TIniVesk : public vcl::TComponent {
public:
    explicit TIniVesk(vcl::TComponent* AOwner);
    ~TIniVesk() override;
    const char* ClassName() const override { return "TIniVesk"; }

    TIniVeskDefaultDir DefaultDir() const { return FDefaultDir; }
    const vcl::AnsiString& FileName() const { return FFileName; }
    TIniVeskFence Fence() const { return FFence; }
    void SetDefaultDir(TIniVeskDefaultDir Value);
    void SetFileName(const vcl::AnsiString& Value);
    void SetFence(TIniVeskFence Value);
    // The resolved path every read and write goes to.
    const vcl::AnsiString& IniPath() const { return FIniFile->FileName(); }

    std::int32_t ReadInteger(const vcl::AnsiString& Section, const vcl::AnsiString& Ident,
                             std::int32_t Default) const;
    void WriteInteger(const vcl::AnsiString& Section, const vcl::AnsiString& Ident,
                      std::int32_t Value) const;

    void Loaded() override;
    void ReadProperty(const vcl::AnsiString& name, const vcl::DfmValue& value,
                      vcl::FormReader& reader) override;

private:
    bool FFenceNotSet = true;
    std::unique_ptr<vcl::TIniFile> FIniFile;
    TIniVeskDefaultDir FDefaultDir = ddApplication;
    vcl::AnsiString FFileName;
    TIniVeskFence FFence = fnNone;
};
