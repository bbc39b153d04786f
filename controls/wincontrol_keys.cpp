// Keyboard routing of windowed controls: the notification echo (CN_KEYDOWN,
// CN_CHAR), dialog keys offered to the form, key preview and the key events.
#include "controls/control.h"
#include "controls/form.h"

namespace controls {

using namespace platform;

void TWinControl::UpdateUIState(uint16_t key)
{
    TCustomForm* form = GetParentForm(this);
    if (!form || !form->HandleAllocated())
        return;
    if (key == VK_TAB || (key >= VK_LEFT && key <= VK_DOWN))
        form->Perform(WM_CHANGEUISTATE, 0x10002, 0);
    else if (key == VK_MENU)
        form->Perform(WM_CHANGEUISTATE, 0x20002, 0);
}

void TWinControl::CNKeyDown(TMessage& m)
{
    const auto key = static_cast<uint16_t>(m.WParam);
    m.Result = 1;
    UpdateUIState(key);
    // No menus or short-cuts in this framework: offer the key to the application.
    if (TCustomForm* form = GetParentForm(this)) {
        if (form->IsShortCut(key, KeyDataToShiftState(m.LParam)))
            return;
    }
    if (Perform(CM_CHILDKEY, key, reinterpret_cast<LPARAM>(this)) != 0)
        return;
    LRESULT mask = 0;
    switch (key) {
    case VK_CANCEL:
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_EXECUTE: mask = DLGC_WANTALLKEYS; break;
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: mask = DLGC_WANTARROWS; break;
    default: break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, key, 0) == 0 && (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
        if (TCustomForm* form = GetParentForm(this))
            if (form->Perform(CM_DIALOGKEY, key, m.LParam) != 0)
                return;
    }
    m.Result = 0;
}

void TWinControl::CNChar(TMessage& m)
{
    m.Result = 1;
    if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0) {
        if (TCustomForm* form = GetParentForm(this))
            if (form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0)
                return;
    }
    m.Result = 0;
}

bool TWinControl::DoKeyDown(TMessage& m)
{
    auto key = static_cast<uint16_t>(m.WParam);
    const TShiftState shift = KeyDataToShiftState(m.LParam);
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview()) {
        TMessage fm = m;
        if (form->DoKeyDown(fm))
            return true;
        key = static_cast<uint16_t>(fm.WParam);
    }
    if (!ControlStyle().Contains(TControlStyleItem::csNoStdEvents)) {
        KeyDown(key, shift);
        m.WParam = key;
        if (key == 0)
            return true;
    }
    return false;
}

bool TWinControl::DoKeyUp(TMessage& m)
{
    auto key = static_cast<uint16_t>(m.WParam);
    const TShiftState shift = KeyDataToShiftState(m.LParam);
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview()) {
        TMessage fm = m;
        if (form->DoKeyUp(fm))
            return true;
    }
    if (!ControlStyle().Contains(TControlStyleItem::csNoStdEvents)) {
        KeyUp(key, shift);
        m.WParam = key;
        if (key == 0)
            return true;
    }
    return false;
}

bool TWinControl::DoKeyPress(TMessage& m)
{
    auto ch = static_cast<char16_t>(m.WParam);
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview()) {
        TMessage fm = m;
        if (form->DoKeyPress(fm))
            return true;
        ch = static_cast<char16_t>(fm.WParam);
    }
    if (!ControlStyle().Contains(TControlStyleItem::csNoStdEvents)) {
        KeyPress(ch);
        m.WParam = ch;
        if (ch == 0)
            return true;
    }
    return false;
}

void TWinControl::KeyDown(uint16_t& key, TShiftState shift) { OnKeyDown(this, key, shift); }
void TWinControl::KeyUp(uint16_t& key, TShiftState shift) { OnKeyUp(this, key, shift); }
void TWinControl::KeyPress(char16_t& key) { OnKeyPress(this, key); }
void TWinControl::DoEnter() { OnEnter(this); }
void TWinControl::DoExit() { OnExit(this); }

} // namespace controls
