// The in-place editor: the platform edit control with the grid's key rules.
#include "grids/inplace_edit.h"

#include <optional>

#include "controls/form.h"
#include "grids/grid_control.h"
#include "platform/edit.h"

namespace grids {

using namespace platform;
using controls::TMessage;
using controls::TShiftState;
using controls::TShiftStateItem;

DEFINE_CLASS(TInplaceEdit)
END_CLASS

namespace {
const platform::WndProc& EditProc()
{
    static const platform::WndProc proc = [] {
        RegisterEditClass();
        const std::optional<WndClass> cls = GetClassInfo(EDIT_CLASS);
        return cls && cls->Proc ? cls->Proc : platform::WndProc(DefWindowProc);
    }();
    return proc;
}
} // namespace

TInplaceEdit::TInplaceEdit(components::TComponent* owner) : controls::TWinControl(owner)
{
    SetTabStop(false);
    SetVisible(false);
    SetParentColor(false);
}

TInplaceEdit::~TInplaceEdit() = default;

void TInplaceEdit::CreateParams(TCreateParams& params)
{
    controls::TWinControl::CreateParams(params);
    params.Style = (params.Style & ~static_cast<uint32_t>(WS_TABSTOP)) | ES_MULTILINE | ES_AUTOHSCROLL;
    params.ExStyle = 0;
}

void TInplaceEdit::DefaultHandler(TMessage& m)
{
    if (HandleAllocated())
        m.Result = CallWindowProc(EditProc(), Handle(), m.Msg, m.WParam, m.LParam);
}

void TInplaceEdit::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_PAINT:
    case WM_ERASEBKGND:
        DefaultHandler(m);
        return;
    case WM_GETDLGCODE:
        DefaultHandler(m);
        if (FGrid && FGrid->Options().Contains(goTabs))
            m.Result |= DLGC_WANTTAB;
        return;
    case CM_WANTSPECIALKEY:
        // Enter and Escape belong to the grid's editing, not to the form's default buttons.
        m.Result = (m.WParam == VK_RETURN || m.WParam == VK_ESCAPE) ? 1 : 0;
        return;
    case WM_SETFOCUS:
        // The grid stays the form's focused control while its editor has the focus.
        if (FGrid)
            if (controls::TCustomForm* form = controls::GetParentForm(FGrid))
                if (!form->SetFocusedControl(FGrid))
                    return;
        DefaultHandler(m);
        return;
    case WM_LBUTTONDOWN:
        // A press soon after the press on the grid that opened the editor is a double click.
        if (FClickArmed && GetMessageTime() - FClickTime < GetDoubleClickTime()) {
            FClickArmed = false;
            TMessage dbl{WM_LBUTTONDBLCLK, m.WParam, m.LParam, 0};
            WndProc(dbl);
            m.Result = dbl.Result;
            return;
        }
        FClickArmed = false;
        DefaultHandler(m);
        return;
    case WM_LBUTTONDBLCLK:
        DefaultHandler(m);
        if (FGrid)
            FGrid->DblClick();
        return;
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
        DefaultHandler(m);
        return;
    case WM_MOUSEWHEEL:
        if (FGrid)
            m.Result = FGrid->Perform(m.Msg, m.WParam, m.LParam);
        return;
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
        if (EditCanModify())
            DefaultHandler(m);
        return;
    case WM_SHOWWINDOW:
        DefaultHandler(m);
        return;
    default: break;
    }
    controls::TWinControl::WndProc(m);
}

bool TInplaceEdit::EditCanModify() { return FGrid ? FGrid->CanEditModify() : true; }

void TInplaceEdit::KeyDown(uint16_t& key, TShiftState shift)
{
    if (!FGrid) {
        controls::TWinControl::KeyDown(key, shift);
        return;
    }
    auto sendToGrid = [&] {
        FGrid->KeyDown(key, shift);
        key = 0;
    };
    uint32_t start = 0, end = 0;
    GetSel(start, end);
    const size_t len = EditText().size();
    const bool ctrl = shift.Contains(TShiftStateItem::ssCtrl);
    const bool forward = FGrid->Options().Contains(goAlwaysShowEditor);
    const bool leftSide = start == 0 && (end == 0 || end == len);
    const bool rightSide = end == len && (start == end || start == 0);
    switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE: sendToGrid(); break;
    case VK_TAB:
        if (!shift.Contains(TShiftStateItem::ssAlt))
            sendToGrid();
        break;
    case VK_LEFT:
    case VK_HOME:
        if (forward && (ctrl || leftSide))
            sendToGrid();
        break;
    case VK_RIGHT:
    case VK_END:
        if (forward && (ctrl || rightSide))
            sendToGrid();
        break;
    case VK_INSERT:
        if (shift.Empty())
            sendToGrid();
        else if (shift == TShiftState{TShiftStateItem::ssShift} && !EditCanModify())
            key = 0;
        break;
    case VK_DELETE:
        if (ctrl)
            sendToGrid();
        else if (!EditCanModify())
            key = 0;
        break;
    case VK_F2:
        FGrid->OnKeyDown(FGrid, key, shift);
        if (key == VK_F2) {
            Deselect();
            key = 0;
            return;
        }
        break;
    default: break;
    }
    if (key != 0)
        FGrid->OnKeyDown(FGrid, key, shift);
}

void TInplaceEdit::KeyUp(uint16_t& key, TShiftState shift)
{
    if (FGrid)
        FGrid->KeyUp(key, shift);
}

void TInplaceEdit::KeyPress(char16_t& key)
{
    if (!FGrid)
        return;
    FGrid->KeyPress(key);
    if (key >= 32 && !FGrid->CanEditAcceptKey(key)) {
        key = 0;
        MessageBeep(0);
    }
    switch (key) {
    case u'\t':
    case 27: key = 0; break;
    case u'\r': {
        uint32_t start = 0, end = 0;
        GetSel(start, end);
        if (start == 0 && end == EditText().size())
            Deselect();
        else
            SelectAll();
        key = 0;
        break;
    }
    case 8:
    case 0x16:  // Ctrl+V
    case 0x18:  // Ctrl+X
        if (!EditCanModify())
            key = 0;
        break;
    default:
        if (key >= 32 && !EditCanModify())
            key = 0;
    }
}

// --- Text and selection ---

std::u16string TInplaceEdit::EditText()
{
    if (!HandleAllocated())
        return Text();
    return GetWindowText(Handle());
}

void TInplaceEdit::SetEditText(const std::u16string& text)
{
    SetWindowText(Handle(), text);
}

void TInplaceEdit::SetMaxLength(int value)
{
    FMaxLength = value;
    if (HandleAllocated())
        SendMessage(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(value > 0 ? value : 0), 0);
}

void TInplaceEdit::SelectAll()
{
    if (HandleAllocated())
        SendMessage(Handle(), EM_SETSEL, 0, -1);
}

void TInplaceEdit::Deselect()
{
    if (HandleAllocated())
        SendMessage(Handle(), EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);
}

void TInplaceEdit::GetSel(uint32_t& start, uint32_t& end)
{
    start = end = 0;
    if (HandleAllocated())
        SendMessage(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
}

void TInplaceEdit::UpdateContents()
{
    FLoading = true;
    struct Done {
        bool& F;
        ~Done() { F = false; }
    } done{FLoading};
    HandleNeeded();
    SetEditText(u"");
    const int32_t col = FGrid->Col(), row = FGrid->Row();
    SetEditText(FGrid->GetEditText(col, row));
    SetMaxLength(FGrid->GetEditLimit());
    SendMessage(Handle(), EM_SETMODIFY, 0, 0);
}

// --- Placement ---

void TInplaceEdit::BoundsChanged()
{
    if (!HandleAllocated())
        return;
    const platform::TRect r{2, 2, std::max(2, Width() - 2), Height()};
    SendMessage(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
    // Scroll from the start of the text, so that a text that fits shows whole.
    uint32_t start = 0, end = 0;
    GetSel(start, end);
    SendMessage(Handle(), EM_SETSEL, 0, 0);
    SendMessage(Handle(), EM_SCROLLCARET, 0, 0);
    SendMessage(Handle(), EM_SETSEL, start, end);
    SendMessage(Handle(), EM_SCROLLCARET, 0, 0);
}

void TInplaceEdit::InternalMove(const platform::TRect& r, bool redraw)
{
    if (r.Right <= r.Left || r.Bottom <= r.Top) {
        Hide();
        return;
    }
    HandleNeeded();
    const bool wasVisible = IsWindowVisible(Handle());
    if (wasVisible && FGrid && FGrid->HandleAllocated()) {
        const platform::TRect old = BoundsRect();
        platform::InvalidateRect(FGrid->Handle(), &old, false);
    }
    SetWindowPos(Handle(), HWND(), r.Left, r.Top, r.Width(), r.Height(), SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOACTIVATE);
    TControl::SetBounds(r.Left, r.Top, r.Width(), r.Height());
    TControl::SetVisible(true);
    BoundsChanged();
    if (!wasVisible || redraw)
        platform::InvalidateRect(Handle(), nullptr, false);
    if (FGrid && FGrid->Focused())
        platform::SetFocus(Handle());
}

void TInplaceEdit::Move(const platform::TRect& r) { InternalMove(r, true); }
void TInplaceEdit::UpdateLoc(const platform::TRect& r) { InternalMove(r, false); }

void TInplaceEdit::Hide()
{
    if (!HandleAllocated() || !IsWindowVisible(Handle()))
        return;
    const bool hadFocus = GetFocus() == Handle();
    if (FGrid && FGrid->HandleAllocated()) {
        const platform::TRect r = BoundsRect();
        platform::InvalidateRect(FGrid->Handle(), &r, false);
    }
    SetWindowPos(Handle(), HWND(), 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOMOVE | SWP_NOSIZE);
    TControl::SetVisible(false);
    if (hadFocus && FGrid)
        platform::SetFocus(FGrid->Handle());
}

bool TInplaceEdit::EditorVisible() { return HandleAllocated() && IsWindowVisible(Handle()); }

void TInplaceEdit::SetFocus()
{
    if (EditorVisible())
        platform::SetFocus(Handle());
}

void TInplaceEdit::Invalidate()
{
    if (!HandleAllocated())
        return;
    platform::InvalidateRect(Handle(), nullptr, false);
    if (FGrid && FGrid->HandleAllocated()) {
        const platform::TRect r = BoundsRect();
        platform::InvalidateRect(FGrid->Handle(), &r, false);
    }
}

} // namespace grids
