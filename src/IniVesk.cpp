#include "IniVesk.h"

#include "vcl/Dialogs.h"
#include "vcl/FormReader.h"
#include "winapi/WinApi.h"

using namespace vcl;

namespace inivesk {

AnsiString DefaultFileName(const AnsiString& exePath) {
    AnsiString name = ChangeFileExt(ExtractFileName(exePath), ".INI");
    // Byte by byte, not by character: a trail byte in "A".."Z" changes too.
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 0x20);
    if (!name.empty() && name[0] >= 'a' && name[0] <= 'z')
        name[0] = static_cast<char>(name[0] - 0x20);
    return name;
}

void Register() {
    FormReader::RegisterClass("TIniVesk",
                              [](TComponent* owner) -> TComponent* { return new TIniVesk(owner); });
}

namespace {
AnsiString WindowsDirectory() {
    // A directory that does not fit is asked for again with room for it, so nothing is read
    // past what the system wrote.
    std::string buffer(150, '\0');
    win::UINT length = win::Win().GetWindowsDirectoryA(buffer.data(), 150);
    if (length >= 150 && length < 32768) {
        buffer.assign(length + 1, '\0');
        length = win::Win().GetWindowsDirectoryA(buffer.data(), length + 1);
    }
    if (length >= buffer.size()) return {};
    return buffer.substr(0, length);
}
} // namespace

} // namespace inivesk

TIniVesk::TIniVesk(TComponent* AOwner)
    : TComponent(AOwner), FIniFile(std::make_unique<TIniFile>("")) {}

TIniVesk::~TIniVesk() = default;

void TIniVesk::Loaded() {
    TComponent::Loaded();
    const bool designing = ComponentState().Contains(csDesigning);
    if (FFileName.empty() && !designing) SetFileName(inivesk::DefaultFileName(ModuleFileName()));
    if (designing && FFenceNotSet) FFence = fnVer11Mode;
}

void TIniVesk::SetFileName(const AnsiString& Value) {
    AnsiString path;
    if (!ExtractFilePath(Value).empty()) {
        path = Value;
    } else {
        switch (FDefaultDir) {
        case ddApplication:
            path = ExtractFilePath(ModuleFileName()) + Value;
            break;
        case ddWindows:
            path = inivesk::WindowsDirectory() + "\\" + Value;
            break;
        case ddNone:
            path = Value;
            break;
        }
    }
    // The old file object stays until the new one exists, so a failure leaves us usable.
    auto next = std::make_unique<TIniFile>(std::move(path));
    FFileName = Value;
    FIniFile = std::move(next);
}

void TIniVesk::SetDefaultDir(TIniVeskDefaultDir Value) {
    FDefaultDir = Value;
    SetFileName(FFileName);
}

void TIniVesk::SetFence(TIniVeskFence Value) {
    if (Value != FFence) {
        if (ComponentState().Contains(csDesigning) && FFence == fnVer11Mode)
            MessageDlg(inivesk::kFenceWarning, mtWarning);
        FFence = Value;
    }
    FFenceNotSet = false;
}

std::int32_t TIniVesk::ReadInteger(const AnsiString& Section, const AnsiString& Ident,
                                   std::int32_t Default) const {
    return FIniFile->ReadInteger(Section, Ident, Default);
}

void TIniVesk::WriteInteger(const AnsiString& Section, const AnsiString& Ident,
                            std::int32_t Value) const {
    FIniFile->WriteInteger(Section, Ident, Value);
}

void TIniVesk::ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) {
    if (name == "DefaultDir")
        SetDefaultDir(static_cast<TIniVeskDefaultDir>(
            value.AsEnum(reader, {"ddApplication", "ddWindows", "ddNone"})));
    else if (name == "FileName")
        SetFileName(value.AsString(reader));
    else if (name == "Fence")
        SetFence(static_cast<TIniVeskFence>(
            value.AsEnum(reader, {"fnDoubleQuote", "fnParenthesis", "fnVer11Mode", "fnNone"})));
    else
        TComponent::ReadProperty(name, value, reader);
}
