#pragma once
// Message numbers, virtual key codes, mouse key flags, window styles and the
// other numeric constants of the platform's window manager, with the values
// the desktop platform gives them (so numbers read in messages and form
// descriptions mean the same here).
#include "platform/types.h"

namespace platform {

// ---- window messages -------------------------------------------------------
constexpr UINT WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_MOVE = 0x0003,
               WM_SIZE = 0x0005, WM_ACTIVATE = 0x0006, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008,
               WM_ENABLE = 0x000A, WM_SETREDRAW = 0x000B, WM_SETTEXT = 0x000C, WM_GETTEXT = 0x000D,
               WM_GETTEXTLENGTH = 0x000E, WM_PAINT = 0x000F, WM_CLOSE = 0x0010, WM_QUERYENDSESSION = 0x0011,
               WM_QUIT = 0x0012, WM_ERASEBKGND = 0x0014, WM_SYSCOLORCHANGE = 0x0015, WM_ENDSESSION = 0x0016,
               WM_SHOWWINDOW = 0x0018, WM_SETTINGCHANGE = 0x001A, WM_ACTIVATEAPP = 0x001C,
               WM_FONTCHANGE = 0x001D, WM_CANCELMODE = 0x001F, WM_SETCURSOR = 0x0020,
               WM_MOUSEACTIVATE = 0x0021, WM_WINDOWPOSCHANGING = 0x0046, WM_WINDOWPOSCHANGED = 0x0047,
               WM_NOTIFY = 0x004E, WM_HELP = 0x0053, WM_STYLECHANGED = 0x007D, WM_SETICON = 0x0080,
               WM_NCCREATE = 0x0081, WM_NCDESTROY = 0x0082, WM_NCCALCSIZE = 0x0083, WM_NCHITTEST = 0x0084,
               WM_NCPAINT = 0x0085, WM_GETDLGCODE = 0x0087, WM_NCMOUSEMOVE = 0x00A0,
               WM_KEYFIRST = 0x0100, WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102,
               WM_DEADCHAR = 0x0103, WM_SYSKEYDOWN = 0x0104, WM_SYSKEYUP = 0x0105, WM_SYSCHAR = 0x0106,
               WM_SYSDEADCHAR = 0x0107, WM_KEYLAST = 0x0109, WM_COMMAND = 0x0111, WM_SYSCOMMAND = 0x0112,
               WM_TIMER = 0x0113, WM_HSCROLL = 0x0114, WM_VSCROLL = 0x0115, WM_GESTURE = 0x0119,
               WM_CHANGEUISTATE = 0x0127, WM_CTLCOLORMSGBOX = 0x0132, WM_CTLCOLOREDIT = 0x0133,
               WM_CTLCOLORSTATIC = 0x0138, WM_MOUSEFIRST = 0x0200, WM_MOUSEMOVE = 0x0200,
               WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202, WM_LBUTTONDBLCLK = 0x0203,
               WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205, WM_RBUTTONDBLCLK = 0x0206,
               WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208, WM_MBUTTONDBLCLK = 0x0209,
               WM_MOUSEWHEEL = 0x020A, WM_MOUSEHWHEEL = 0x020E, WM_MOUSELAST = 0x020E,
               WM_CAPTURECHANGED = 0x0215, WM_MOUSELEAVE = 0x02A3, WM_WTSSESSION_CHANGE = 0x02B1,
               WM_DPICHANGED = 0x02E0, WM_CUT = 0x0300, WM_COPY = 0x0301, WM_PASTE = 0x0302,
               WM_CLEAR = 0x0303, WM_UNDO = 0x0304, WM_THEMECHANGED = 0x031A, WM_USER = 0x0400,
               WM_APP = 0x8000;
// Registered window messages are numbered from here (RegisterWindowMessage).
constexpr UINT WM_REGISTERED_FIRST = 0xC000;

// ---- framework messages (component messages and notification echoes) -------
constexpr UINT CM_BASE = 0xB000, CN_BASE = 0xBC00;
constexpr UINT CM_ACTIVATE = CM_BASE + 0, CM_DEACTIVATE = CM_BASE + 1, CM_DIALOGKEY = CM_BASE + 5,
               CM_DIALOGCHAR = CM_BASE + 6, CM_FOCUSCHANGED = CM_BASE + 7, CM_APPKEYDOWN = CM_BASE + 22,
               CM_APPSYSCOMMAND = CM_BASE + 23, CM_ENTER = CM_BASE + 26, CM_EXIT = CM_BASE + 27,
               CM_WANTSPECIALKEY = CM_BASE + 30, CM_RELEASE = CM_BASE + 33, CM_RECREATEWND = CM_BASE + 51,
               CM_UIACTIVATE = CM_BASE + 41, CM_UIDEACTIVATE = CM_BASE + 42, CM_CHILDKEY = CM_BASE + 46;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN, CN_KEYUP = CN_BASE + WM_KEYUP, CN_CHAR = CN_BASE + WM_CHAR,
               CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN, CN_SYSKEYUP = CN_BASE + WM_SYSKEYUP,
               CN_SYSCHAR = CN_BASE + WM_SYSCHAR, CN_DEADCHAR = CN_BASE + WM_DEADCHAR,
               CN_COMMAND = CN_BASE + WM_COMMAND;

// ---- edit control messages and notifications --------------------------------
constexpr UINT EM_GETSEL = 0x00B0, EM_SETSEL = 0x00B1, EM_GETRECT = 0x00B2, EM_SETRECT = 0x00B3,
               EM_SETRECTNP = 0x00B4, EM_SCROLLCARET = 0x00B7, EM_GETMODIFY = 0x00B8, EM_SETMODIFY = 0x00B9,
               EM_REPLACESEL = 0x00C2, EM_LIMITTEXT = 0x00C5, EM_SETLIMITTEXT = EM_LIMITTEXT,
               EM_CANUNDO = 0x00C6, EM_UNDO = 0x00C7, EM_EMPTYUNDOBUFFER = 0x00CD,
               EM_SETREADONLY = 0x00CF, EM_GETLIMITTEXT = 0x00D5, EM_POSFROMCHAR = 0x00D6,
               EM_CHARFROMPOS = 0x00D7, WM_SETFONT = 0x0030, WM_GETFONT = 0x0031;
constexpr int EN_SETFOCUS = 0x0100, EN_KILLFOCUS = 0x0200, EN_CHANGE = 0x0300, EN_UPDATE = 0x0400,
              EN_MAXTEXT = 0x0501;
constexpr UINT LB_SELECTSTRING = 0x018C;

// ---- window styles ------------------------------------------------------------
constexpr uint32_t WS_OVERLAPPED = 0x00000000, WS_TABSTOP = 0x00010000, WS_MAXIMIZEBOX = 0x00010000,
                   WS_MINIMIZEBOX = 0x00020000, WS_GROUP = 0x00020000, WS_THICKFRAME = 0x00040000,
                   WS_SYSMENU = 0x00080000, WS_HSCROLL = 0x00100000, WS_VSCROLL = 0x00200000,
                   WS_DLGFRAME = 0x00400000, WS_BORDER = 0x00800000, WS_CAPTION = 0x00C00000,
                   WS_MAXIMIZE = 0x01000000, WS_CLIPCHILDREN = 0x02000000, WS_CLIPSIBLINGS = 0x04000000,
                   WS_DISABLED = 0x08000000, WS_VISIBLE = 0x10000000, WS_MINIMIZE = 0x20000000,
                   WS_CHILD = 0x40000000, WS_POPUP = 0x80000000,
                   WS_OVERLAPPEDWINDOW = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
                   WS_POPUPWINDOW = WS_POPUP | WS_BORDER | WS_SYSMENU;
constexpr uint32_t WS_EX_DLGMODALFRAME = 0x1, WS_EX_TOPMOST = 0x8, WS_EX_TOOLWINDOW = 0x80,
                   WS_EX_WINDOWEDGE = 0x100, WS_EX_CLIENTEDGE = 0x200, WS_EX_RTLREADING = 0x2000,
                   WS_EX_LEFTSCROLLBAR = 0x4000, WS_EX_CONTROLPARENT = 0x10000, WS_EX_STATICEDGE = 0x20000,
                   WS_EX_APPWINDOW = 0x40000, WS_EX_LAYOUTRTL = 0x400000, WS_EX_NOACTIVATE = 0x08000000;
constexpr uint32_t CS_VREDRAW = 0x1, CS_HREDRAW = 0x2, CS_DBLCLKS = 0x8, CS_DROPSHADOW = 0x20000;
constexpr uint32_t ES_LEFT = 0x0, ES_CENTER = 0x1, ES_RIGHT = 0x2, ES_MULTILINE = 0x4, ES_PASSWORD = 0x20,
                   ES_AUTOHSCROLL = 0x80, ES_READONLY = 0x800;

// GetWindowLong indexes.
constexpr int GWL_WNDPROC = -4, GWL_ID = -12, GWL_STYLE = -16, GWL_EXSTYLE = -20, GWL_USERDATA = -21;

// ShowWindow commands.
constexpr int SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3,
              SW_SHOWNOACTIVATE = 4, SW_SHOW = 5, SW_MINIMIZE = 6, SW_SHOWMINNOACTIVE = 7, SW_SHOWNA = 8,
              SW_RESTORE = 9, SW_SHOWDEFAULT = 10;
// SetWindowPos flags and special insert-after handles.
constexpr UINT SWP_NOSIZE = 0x1, SWP_NOMOVE = 0x2, SWP_NOZORDER = 0x4, SWP_NOREDRAW = 0x8,
               SWP_NOACTIVATE = 0x10, SWP_FRAMECHANGED = 0x20, SWP_SHOWWINDOW = 0x40, SWP_HIDEWINDOW = 0x80,
               SWP_NOOWNERZORDER = 0x200, SWP_NOSENDCHANGING = 0x400;
inline const HWND HWND_TOP{}, HWND_BOTTOM{0xFFFFFFFEu}, HWND_TOPMOST{0xFFFFFFFDu}, HWND_NOTOPMOST{0xFFFFFFFCu};
// GetWindow relations.
constexpr UINT GW_HWNDFIRST = 0, GW_HWNDLAST = 1, GW_HWNDNEXT = 2, GW_HWNDPREV = 3, GW_OWNER = 4, GW_CHILD = 5;

// WM_SIZE kinds, WM_ACTIVATE states, WM_SYSCOMMAND commands.
constexpr WPARAM SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2;
constexpr WPARAM WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2;
constexpr WPARAM SC_SIZE = 0xF000, SC_MOVE = 0xF010, SC_MINIMIZE = 0xF020, SC_MAXIMIZE = 0xF030,
                 SC_CLOSE = 0xF060, SC_RESTORE = 0xF120;

// Hit test answers of WM_NCHITTEST.
constexpr LRESULT HTERROR = -2, HTTRANSPARENT = -1, HTNOWHERE = 0, HTCLIENT = 1, HTCAPTION = 2,
                  HTHSCROLL = 6, HTVSCROLL = 7, HTBORDER = 18;

// Dialog codes answered to WM_GETDLGCODE.
constexpr LRESULT DLGC_WANTARROWS = 0x1, DLGC_WANTTAB = 0x2, DLGC_WANTALLKEYS = 0x4,
                  DLGC_WANTMESSAGE = 0x4, DLGC_HASSETSEL = 0x8, DLGC_WANTCHARS = 0x80;

// ---- mouse ------------------------------------------------------------------------
constexpr WPARAM MK_LBUTTON = 0x1, MK_RBUTTON = 0x2, MK_SHIFT = 0x4, MK_CONTROL = 0x8, MK_MBUTTON = 0x10;
constexpr int WHEEL_DELTA = 120;

// ---- virtual keys ------------------------------------------------------------------
constexpr int VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04, VK_BACK = 0x08,
              VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
              VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
              VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26,
              VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_EXECUTE = 0x2B, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
              VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E,
              VK_DIVIDE = 0x6F, VK_F1 = 0x70, VK_F2 = 0x71, VK_F3 = 0x72, VK_F4 = 0x73, VK_F10 = 0x79,
              VK_F12 = 0x7B, VK_NUMLOCK = 0x90, VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2,
              VK_RCONTROL = 0xA3, VK_LMENU = 0xA4, VK_RMENU = 0xA5, VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB,
              VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD, VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF,
              VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE;
// Key data bit of WM_KEYDOWN's lParam: the Alt key was held (context code).
constexpr LPARAM KF_ALTDOWN_LPARAM = 0x20000000;

// ---- scroll bars ---------------------------------------------------------------------
constexpr int SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2, SB_BOTH = 3;
constexpr int SB_LINEUP = 0, SB_LINELEFT = 0, SB_LINEDOWN = 1, SB_LINERIGHT = 1, SB_PAGEUP = 2,
              SB_PAGELEFT = 2, SB_PAGEDOWN = 3, SB_PAGERIGHT = 3, SB_THUMBPOSITION = 4, SB_THUMBTRACK = 5,
              SB_TOP = 6, SB_LEFT = 6, SB_BOTTOM = 7, SB_RIGHT = 7, SB_ENDSCROLL = 8;
constexpr UINT SIF_RANGE = 0x1, SIF_PAGE = 0x2, SIF_POS = 0x4, SIF_DISABLENOSCROLL = 0x8,
               SIF_TRACKPOS = 0x10, SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

// ScrollWindowEx flags; RedrawWindow flags.
constexpr UINT SW_SCROLLCHILDREN = 0x1, SW_INVALIDATE = 0x2, SW_ERASE = 0x4;
constexpr UINT RDW_INVALIDATE = 0x1, RDW_ERASE = 0x4, RDW_VALIDATE = 0x8, RDW_ALLCHILDREN = 0x80,
               RDW_UPDATENOW = 0x100, RDW_FRAME = 0x400;

// PeekMessage options.
constexpr UINT PM_NOREMOVE = 0x0, PM_REMOVE = 0x1, PM_NOYIELD = 0x2;

// ---- message boxes ---------------------------------------------------------------------
constexpr UINT MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4,
               MB_RETRYCANCEL = 0x5, MB_TYPEMASK = 0xF, MB_ICONHAND = 0x10, MB_ICONSTOP = 0x10,
               MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30, MB_ICONWARNING = 0x30,
               MB_ICONASTERISK = 0x40, MB_ICONINFORMATION = 0x40, MB_ICONMASK = 0xF0,
               MB_DEFBUTTON1 = 0x0, MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200, MB_DEFMASK = 0xF00,
               MB_APPLMODAL = 0x0, MB_SYSTEMMODAL = 0x1000, MB_TASKMODAL = 0x2000, MB_RTLREADING = 0x100000;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

// MessageBeep kinds.
constexpr UINT MB_BEEP_DEFAULT = 0xFFFFFFFFu;

// ---- system metrics ----------------------------------------------------------------------
constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CYCAPTION = 4,
              SM_CXBORDER = 5, SM_CYBORDER = 6, SM_CYVTHUMB = 9, SM_CXHTHUMB = 10, SM_CXICON = 11,
              SM_CYICON = 12, SM_CXCURSOR = 13, SM_CYCURSOR = 14, SM_CYVSCROLL = 20, SM_CXHSCROLL = 21,
              SM_CXEDGE = 45, SM_CYEDGE = 46, SM_CXDOUBLECLK = 36, SM_CYDOUBLECLK = 37, SM_CXSMICON = 49,
              SM_CYSMICON = 50;
constexpr int SPI_GETWHEELSCROLLLINES = 0x68;

// ---- cursors ----------------------------------------------------------------------------------
enum class Cursor { Arrow, IBeam, Wait, Cross, SizeWE, SizeNS, HSplit, VSplit, Hand, No };

} // namespace platform
