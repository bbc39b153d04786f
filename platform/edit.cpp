#include "platform/edit.h"

#include <algorithm>
#include <unordered_map>

#include "platform/font.h"
#include "platform/services.h"
#include "platform/syscolors.h"
#include "platform/window.h"

namespace platform {

namespace {

struct EditState {
    std::u16string Text;
    size_t Anchor = 0, Caret = 0;
    size_t Limit = 0x7FFFFFFE;
    bool Modified = false, ReadOnly = false, Selecting = false, RectSet = false;
    Font TheFont;
    TRect TextRect;
    int Scroll = 0;
    // Undo of the last change: the text and selection before it.
    bool CanUndo = false;
    std::u16string UndoText;
    size_t UndoAnchor = 0, UndoCaret = 0;
};

std::unordered_map<uint32_t, EditState>& States()
{
    static std::unordered_map<uint32_t, EditState> s;
    return s;
}

EditState* StateOf(HWND h)
{
    auto it = States().find(h.Id());
    return it == States().end() ? nullptr : &it->second;
}

size_t SelStart(const EditState& e) { return std::min(e.Anchor, e.Caret); }
size_t SelEnd(const EditState& e) { return std::max(e.Anchor, e.Caret); }

void Notify(HWND h, int code)
{
    const HWND parent = GetParent(h);
    if (parent)
        SendMessage(parent, WM_COMMAND, MAKEWPARAM(static_cast<int>(GetWindowLongPtr(h, GWL_ID)), code), h.ToParam());
}

std::vector<int> Positions(const EditState& e) { return e.TheFont.CharPositions(e.Text); }

void UpdateCaret(HWND h, EditState& e)
{
    const auto pos = Positions(e);
    const int x = e.TextRect.Left + pos[e.Caret] - e.Scroll;
    // Keep the caret inside the text rectangle.
    const int width = std::max(1, e.TextRect.Width());
    int newScroll = e.Scroll;
    if (x < e.TextRect.Left)
        newScroll = pos[e.Caret];
    else if (x >= e.TextRect.Left + width)
        newScroll = pos[e.Caret] - width + 1;
    newScroll = std::max(0, newScroll);
    if (newScroll != e.Scroll) {
        e.Scroll = newScroll;
        InvalidateRect(h, nullptr, true);
    }
    if (GetFocus() == h)
        SetCaretPos(e.TextRect.Left + pos[e.Caret] - e.Scroll, e.TextRect.Top);
}

void SetSelection(HWND h, EditState& e, size_t anchor, size_t caret)
{
    anchor = std::min(anchor, e.Text.size());
    caret = std::min(caret, e.Text.size());
    if (anchor != e.Anchor || caret != e.Caret) {
        e.Anchor = anchor;
        e.Caret = caret;
        InvalidateRect(h, nullptr, false);
    }
    UpdateCaret(h, e);
}

void SaveUndo(EditState& e)
{
    e.CanUndo = true;
    e.UndoText = e.Text;
    e.UndoAnchor = e.Anchor;
    e.UndoCaret = e.Caret;
}

void Changed(HWND h, EditState& e)
{
    e.Modified = true;
    InvalidateRect(h, nullptr, true);
    UpdateCaret(h, e);
    Notify(h, EN_UPDATE);
    if (IsWindow(h))
        Notify(h, EN_CHANGE);
}

// Replaces the selection; answers false when nothing could be inserted.
bool Replace(HWND h, EditState& e, std::u16string_view with, bool undoable)
{
    const size_t s = SelStart(e), t = SelEnd(e);
    const size_t room = e.Limit - std::min(e.Limit, e.Text.size() - (t - s));
    std::u16string_view ins = with.substr(0, std::min(with.size(), room));
    if (ins.size() < with.size())
        Notify(h, EN_MAXTEXT);
    if (ins.empty() && s == t)
        return false;
    if (undoable)
        SaveUndo(e);
    e.Text.replace(s, t - s, ins);
    e.Anchor = e.Caret = s + ins.size();
    Changed(h, e);
    return !ins.empty() || s != t;
}

bool IsWordChar(char16_t c) { return c != u' ' && c != u'\t'; }

size_t WordLeft(const EditState& e, size_t i)
{
    while (i > 0 && !IsWordChar(e.Text[i - 1]))
        --i;
    while (i > 0 && IsWordChar(e.Text[i - 1]))
        --i;
    return i;
}

size_t WordRight(const EditState& e, size_t i)
{
    while (i < e.Text.size() && IsWordChar(e.Text[i]))
        ++i;
    while (i < e.Text.size() && !IsWordChar(e.Text[i]))
        ++i;
    return i;
}

size_t CharFromX(const EditState& e, int x)
{
    const auto pos = Positions(e);
    const int local = x - e.TextRect.Left + e.Scroll;
    for (size_t i = 0; i + 1 < pos.size(); ++i)
        if (local < (pos[i] + pos[i + 1] + 1) / 2)
            return i;
    return e.Text.size();
}

void Copy(const EditState& e)
{
    if (SelEnd(e) > SelStart(e))
        SetClipboardText(std::u16string_view(e.Text).substr(SelStart(e), SelEnd(e) - SelStart(e)));
}

void Paint(HWND h, EditState& e)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, ps);
    if (!dc) {
        EndPaint(h, ps);
        return;
    }
    const bool enabled = IsWindowEnabled(h);
    const COLORREF back = GetSysColor((e.ReadOnly || !enabled) ? COLOR_BTNFACE : COLOR_WINDOW);
    dc->FillRect(GetClientRect(h), Brush::Solid(back));
    dc->SelectFont(e.TheFont);
    dc->IntersectClipRect(e.TextRect);
    const auto pos = Positions(e);
    const int x0 = e.TextRect.Left - e.Scroll, y = e.TextRect.Top;
    const size_t s = SelStart(e), t = SelEnd(e);
    const bool showSel = GetFocus() == h && t > s;
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    const std::u16string_view text(e.Text);
    if (!showSel) {
        dc->TextOut(x0, y, text);
    } else {
        dc->TextOut(x0, y, text.substr(0, s));
        dc->SetBkMode(OPAQUE);
        dc->SetBkColor(GetSysColor(COLOR_HIGHLIGHT));
        dc->SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
        dc->TextOut(x0 + pos[s], y, text.substr(s, t - s));
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
        dc->TextOut(x0 + pos[t], y, text.substr(t));
    }
    EndPaint(h, ps);
}

void DefaultRect(HWND h, EditState& e)
{
    if (!e.RectSet) {
        e.TextRect = GetClientRect(h);
        InflateRect(e.TextRect, -1, -1);
    }
}

LRESULT EditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        EditState& e = States()[h.Id()];
        const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lp);
        if (cs) {
            e.Text = cs->Name;
            e.ReadOnly = cs->Style & ES_READONLY;
        }
        return DefWindowProc(h, msg, wp, lp);
    }
    EditState* ep = StateOf(h);
    if (!ep)
        return DefWindowProc(h, msg, wp, lp);
    EditState& e = *ep;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
    switch (msg) {
    case WM_NCDESTROY: States().erase(h.Id()); return 0;
    case WM_SIZE: DefaultRect(h, e); UpdateCaret(h, e); return 0;
    case WM_SETTEXT:
        e.Text = lp ? *reinterpret_cast<const std::u16string*>(lp) : std::u16string();
        e.Anchor = e.Caret = 0;
        e.Scroll = 0;
        e.Modified = false;
        e.CanUndo = false;
        InvalidateRect(h, nullptr, true);
        UpdateCaret(h, e);
        Notify(h, EN_UPDATE);
        if (IsWindow(h))
            Notify(h, EN_CHANGE);
        return 1;
    case WM_GETTEXT:
        if (lp)
            *reinterpret_cast<std::u16string*>(lp) = e.Text;
        return static_cast<LRESULT>(e.Text.size());
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(e.Text.size());
    case WM_SETFONT:
        if (wp)
            e.TheFont = *reinterpret_cast<const Font*>(wp);
        if (lp)
            InvalidateRect(h, nullptr, true);
        UpdateCaret(h, e);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(&e.TheFont);
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case EM_GETSEL: {
        const auto s = static_cast<uint32_t>(SelStart(e)), t = static_cast<uint32_t>(SelEnd(e));
        if (wp)
            *reinterpret_cast<uint32_t*>(wp) = s;
        if (lp)
            *reinterpret_cast<uint32_t*>(lp) = t;
        return MAKELPARAM(static_cast<int>(std::min<uint32_t>(s, 0xFFFF)), static_cast<int>(std::min<uint32_t>(t, 0xFFFF)));
    }
    case EM_SETSEL: {
        const auto s = static_cast<intptr_t>(wp), t = static_cast<intptr_t>(lp);
        if (s == -1) {
            SetSelection(h, e, e.Caret, e.Caret);
        } else {
            const size_t a = static_cast<size_t>(std::max<intptr_t>(0, s));
            const size_t c = t < 0 ? e.Text.size() : static_cast<size_t>(t);
            SetSelection(h, e, a, c);
        }
        return 0;
    }
    case EM_REPLACESEL:
        if (lp)
            Replace(h, e, *reinterpret_cast<const std::u16string*>(lp), wp != 0);
        return 0;
    case EM_LIMITTEXT: e.Limit = wp ? static_cast<size_t>(wp) : 0x7FFFFFFE; return 0;
    case EM_GETLIMITTEXT: return static_cast<LRESULT>(e.Limit);
    case EM_CANUNDO: return e.CanUndo ? 1 : 0;
    case EM_UNDO:
    case WM_UNDO: {
        if (!e.CanUndo || e.ReadOnly)
            return 0;
        std::u16string text = e.UndoText;
        const size_t a = e.UndoAnchor, c = e.UndoCaret;
        SaveUndo(e); // undoing again redoes
        e.Text = std::move(text);
        e.Anchor = a;
        e.Caret = c;
        Changed(h, e);
        return 1;
    }
    case EM_EMPTYUNDOBUFFER: e.CanUndo = false; return 0;
    case EM_GETMODIFY: return e.Modified ? 1 : 0;
    case EM_SETMODIFY: e.Modified = wp != 0; return 0;
    case EM_SETREADONLY:
        e.ReadOnly = wp != 0;
        SetWindowLongPtr(h, GWL_STYLE, (GetWindowLongPtr(h, GWL_STYLE) & ~static_cast<LPARAM>(ES_READONLY)) |
                                           (e.ReadOnly ? ES_READONLY : 0));
        InvalidateRect(h, nullptr, true);
        return 1;
    case EM_CHARFROMPOS: return static_cast<LRESULT>(CharFromX(e, PointFromLParam(lp).X) & 0xFFFF);
    case EM_POSFROMCHAR: {
        const auto pos = Positions(e);
        const size_t i = std::min(static_cast<size_t>(wp), e.Text.size());
        return MAKELPARAM(e.TextRect.Left + pos[i] - e.Scroll, e.TextRect.Top);
    }
    case EM_SETRECT:
    case EM_SETRECTNP:
        if (lp) {
            e.TextRect = *reinterpret_cast<const TRect*>(lp);
            e.RectSet = true;
            if (msg == EM_SETRECT)
                InvalidateRect(h, nullptr, true);
            UpdateCaret(h, e);
        }
        return 0;
    case EM_GETRECT:
        if (lp)
            *reinterpret_cast<TRect*>(lp) = e.TextRect;
        return 0;
    case EM_SCROLLCARET: UpdateCaret(h, e); return 1;
    case WM_COPY: Copy(e); return 0;
    case WM_CUT:
        if (!e.ReadOnly && SelEnd(e) > SelStart(e)) {
            Copy(e);
            Replace(h, e, u"", true);
        }
        return 0;
    case WM_CLEAR:
        if (!e.ReadOnly)
            Replace(h, e, u"", true);
        return 0;
    case WM_PASTE:
        if (!e.ReadOnly)
            if (auto t = GetClipboardText()) {
                std::u16string line = *t;
                std::erase_if(line, [](char16_t c) { return c == u'\r' || c == u'\n'; });
                if (!Replace(h, e, line, true))
                    MessageBeep(0);
            }
        return 0;
    case WM_CHAR: {
        const auto ch = static_cast<char16_t>(wp);
        switch (ch) {
        case 1: SetSelection(h, e, 0, e.Text.size()); return 0;
        case 3: SendMessage(h, WM_COPY); return 0;
        case 22: SendMessage(h, WM_PASTE); return 0;
        case 24: SendMessage(h, WM_CUT); return 0;
        case 26: SendMessage(h, EM_UNDO); return 0;
        case u'\b':
            if (e.ReadOnly)
                return 0;
            if (SelEnd(e) == SelStart(e)) {
                if (e.Caret == 0)
                    return 0;
                e.Anchor = e.Caret - 1;
            }
            Replace(h, e, u"", true);
            return 0;
        default:
            if (ch < 32 || e.ReadOnly)
                return 0;
            if (!Replace(h, e, std::u16string_view(&ch, 1), true))
                MessageBeep(0);
            return 0;
        }
    }
    case WM_KEYDOWN: {
        size_t c = e.Caret;
        switch (wp) {
        case VK_LEFT:
            if (!shift && SelEnd(e) > SelStart(e) && !ctrl) {
                c = SelStart(e);
                SetSelection(h, e, c, c);
                return 0;
            }
            c = ctrl ? WordLeft(e, c) : (c > 0 ? c - 1 : 0);
            break;
        case VK_RIGHT:
            if (!shift && SelEnd(e) > SelStart(e) && !ctrl) {
                c = SelEnd(e);
                SetSelection(h, e, c, c);
                return 0;
            }
            c = ctrl ? WordRight(e, c) : std::min(e.Text.size(), c + 1);
            break;
        case VK_HOME: c = 0; break;
        case VK_END: c = e.Text.size(); break;
        case VK_DELETE:
            if (e.ReadOnly)
                return 0;
            if (shift) {
                SendMessage(h, WM_CUT);
                return 0;
            }
            if (SelEnd(e) == SelStart(e)) {
                if (e.Caret >= e.Text.size())
                    return 0;
                e.Anchor = e.Caret + 1;
            }
            Replace(h, e, u"", true);
            return 0;
        case VK_INSERT:
            if (ctrl)
                SendMessage(h, WM_COPY);
            else if (shift)
                SendMessage(h, WM_PASTE);
            return 0;
        default: return 0;
        }
        SetSelection(h, e, shift ? e.Anchor : c, c);
        return 0;
    }
    case WM_LBUTTONDOWN: {
        if (GetFocus() != h)
            SetFocus(h);
        EditState* again = StateOf(h);
        if (!again)
            return 0;
        const size_t c = CharFromX(*again, PointFromLParam(lp).X);
        SetSelection(h, *again, (wp & MK_SHIFT) ? again->Anchor : c, c);
        again->Selecting = true;
        SetCapture(h);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (e.Selecting && GetCapture() == h)
            SetSelection(h, e, e.Anchor, CharFromX(e, PointFromLParam(lp).X));
        return 0;
    case WM_LBUTTONUP:
        if (e.Selecting) {
            e.Selecting = false;
            if (GetCapture() == h)
                ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED: e.Selecting = false; return 0;
    case WM_LBUTTONDBLCLK: {
        size_t c = CharFromX(e, PointFromLParam(lp).X);
        size_t s = c, t = c;
        while (s > 0 && IsWordChar(e.Text[s - 1]))
            --s;
        while (t < e.Text.size() && IsWordChar(e.Text[t]))
            ++t;
        SetSelection(h, e, s, t);
        return 0;
    }
    case WM_SETFOCUS:
        CreateCaret(h, 1, e.TheFont.Metrics().tmHeight);
        UpdateCaret(h, e);
        ShowCaret(h);
        InvalidateRect(h, nullptr, false);
        Notify(h, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        DestroyCaret();
        InvalidateRect(h, nullptr, false);
        Notify(h, EN_KILLFOCUS);
        return 0;
    case WM_ENABLE: InvalidateRect(h, nullptr, true); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(h, e); return 0;
    default: return DefWindowProc(h, msg, wp, lp);
    }
}

} // namespace

void RegisterEditClass()
{
    RegisterClass(WndClass{std::u16string(EDIT_CLASS), CS_DBLCLKS, EditProc, Cursor::IBeam, std::nullopt});
}

} // namespace platform
