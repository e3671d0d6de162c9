// The standard message dialog.
#pragma once

#include "vcl/SysUtils.h"

namespace vcl {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
using enum TMsgDlgType;

// One "OK" button; the caption names the type ("警告" for a warning).
int MessageDlg(const AnsiString& message, TMsgDlgType type);

} // namespace vcl
