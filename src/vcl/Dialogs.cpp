#include "vcl/Dialogs.h"

#include "winapi/WinApi.h"
#include "winapi/WinConst.h"

namespace vcl {

int MessageDlg(const AnsiString& message, TMsgDlgType type) {
    const char* caption = "";
    win::UINT icon = 0;
    switch (type) {
    case mtWarning:
        caption = "警告";
        icon = win::MB_ICONWARNING;
        break;
    case mtError:
        caption = "エラー";
        icon = win::MB_ICONERROR;
        break;
    case mtInformation:
        caption = "情報";
        icon = 0x40;
        break;
    case mtConfirmation:
        caption = "確認";
        icon = 0x20;
        break;
    case mtCustom:
        break;
    }
    return win::Win().MessageBoxA(nullptr, message.c_str(), caption,
                                  win::MB_OK | icon | win::MB_TASKMODAL);
}

} // namespace vcl
