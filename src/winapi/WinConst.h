// Message numbers, styles and flags the program uses, with their documented values.
#pragma once

#include "winapi/WinTypes.h"

namespace win {

inline const char* MakeIntResource(unsigned id) {
    return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(id));
}

// Window messages
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUERYENDSESSION = 0x0011;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ENDSESSION = 0x0016;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_CTLCOLORBTN = 0x0135;
constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_USER = 0x0400;

// Notification codes
constexpr UINT BN_CLICKED = 0;

// Scroll-bar requests (low word of WM_HSCROLL's WParam)
constexpr UINT SB_LINELEFT = 0;
constexpr UINT SB_LINERIGHT = 1;
constexpr UINT SB_PAGELEFT = 2;
constexpr UINT SB_PAGERIGHT = 3;
constexpr UINT SB_THUMBPOSITION = 4;
constexpr UINT SB_THUMBTRACK = 5;
constexpr UINT SB_LEFT = 6;
constexpr UINT SB_RIGHT = 7;
constexpr UINT SB_ENDSCROLL = 8;
constexpr int SB_CTL = 2;

// Window styles
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;
constexpr DWORD WS_EX_STATICEDGE = 0x00020000;
constexpr DWORD WS_EX_LAYERED = 0x00080000;
constexpr DWORD BS_PUSHBUTTON = 0x0;
constexpr DWORD BS_GROUPBOX = 0x7;
constexpr DWORD SBS_HORZ = 0x0;
constexpr DWORD SS_LEFT = 0x0;
constexpr DWORD SS_CENTER = 0x1;
constexpr DWORD SS_CENTERIMAGE = 0x200;

// GetWindowLong / GetWindow / ShowWindow / SetWindowPos
constexpr int GWL_EXSTYLE = -20;
constexpr int GWL_STYLE = -16;
constexpr UINT GW_OWNER = 4;
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;
inline HWND HWND_TOP() {
    return nullptr;
}

// Layered windows
constexpr DWORD LWA_COLORKEY = 0x1;
constexpr DWORD LWA_ALPHA = 0x2;

// Messages retrieved by PeekMessage
constexpr UINT PM_REMOVE = 0x0001;

// Menus
constexpr UINT MF_STRING = 0x0000;
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;

// Message boxes
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_TASKMODAL = 0x2000;

// Fonts
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr DWORD SHIFTJIS_CHARSET = 128;
constexpr DWORD DEFAULT_CHARSET = 1;

// Shell notification icons
constexpr DWORD NIM_ADD = 0;
constexpr DWORD NIM_MODIFY = 1;
constexpr DWORD NIM_DELETE = 2;
constexpr UINT NIF_MESSAGE = 1;
constexpr UINT NIF_ICON = 2;
constexpr UINT NIF_TIP = 4;

// Resources
inline const char* RT_RCDATA() {
    return MakeIntResource(10);
}
inline const char* IDC_ARROW() {
    return MakeIntResource(32512);
}
constexpr UINT LR_DEFAULTCOLOR = 0;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_WINDOWTEXT = 8;

// Window events
constexpr DWORD EVENT_SYSTEM_FOREGROUND = 0x0003;
constexpr DWORD WINEVENT_OUTOFCONTEXT = 0x0000;
constexpr DWORD WINEVENT_SKIPOWNPROCESS = 0x0002;

inline WORD LoWord(std::uintptr_t v) {
    return static_cast<WORD>(v & 0xFFFF);
}
inline WORD HiWord(std::uintptr_t v) {
    return static_cast<WORD>((v >> 16) & 0xFFFF);
}

} // namespace win
