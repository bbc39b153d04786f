#pragma once
// The single-line edit control, window class "Edit".
//
// Text, selection and caret; a limit on the length (EM_LIMITTEXT, 0 =
// unlimited); EM_GETSEL (wParam/lParam: optional uint32_t* start/end),
// EM_SETSEL (start -1: no selection; 0, -1: everything; the caret goes to
// the end given), EM_REPLACESEL (wParam: can undo, lParam: const
// std::u16string*), EM_CHARFROMPOS (lParam: client point; answers the
// character index in the low word), EM_POSFROMCHAR, EM_SETRECT and
// EM_SETRECTNP (lParam: const TRect*), EM_GETRECT (lParam: TRect*),
// EM_SCROLLCARET, EM_GETMODIFY/EM_SETMODIFY, EM_SETREADONLY, EM_CANUNDO,
// EM_UNDO/WM_UNDO (undo of the last change; undoing again redoes it),
// EM_EMPTYUNDOBUFFER, WM_CUT/WM_COPY/WM_PASTE/WM_CLEAR through the program's
// clipboard, WM_SETFONT/WM_GETFONT. Changes send WM_COMMAND with EN_UPDATE
// and EN_CHANGE to the parent (wParam: MAKEWPARAM(id, code), lParam: the edit).
#include <string_view>

namespace platform {

constexpr std::u16string_view EDIT_CLASS = u"Edit";
void RegisterEditClass();

} // namespace platform
