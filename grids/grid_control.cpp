// The grid control: window creation, messages, the model's view requests and
// the editor protocol.
#include "grids/grid_control.h"

#include <algorithm>

#include "controls/form.h"
#include "grids/inplace_edit.h"
#include "platform/syscolors.h"

namespace grids {

using namespace platform;
using controls::TMessage;
using controls::TShiftState;
using controls::TShiftStateItem;

DEFINE_CLASS(TCustomGrid)
END_CLASS

namespace {
constexpr uintptr_t GridTimerId = 1;

TGridShift ToGridShift(TShiftState s)
{
    return {s.Contains(TShiftStateItem::ssShift), s.Contains(TShiftStateItem::ssCtrl),
            s.Contains(TShiftStateItem::ssAlt)};
}

grids::TMouseButton ToGridButton(controls::TMouseButton b)
{
    switch (b) {
    case controls::TMouseButton::mbRight: return mbRight;
    case controls::TMouseButton::mbMiddle: return mbMiddle;
    default: return mbLeft;
    }
}

TScrollCode ToScrollCode(int code)
{
    switch (code) {
    case SB_LINEUP: return scLineUp;
    case SB_LINEDOWN: return scLineDown;
    case SB_PAGEUP: return scPageUp;
    case SB_PAGEDOWN: return scPageDown;
    case SB_THUMBPOSITION: return scPosition;
    case SB_THUMBTRACK: return scTrack;
    case SB_TOP: return scTop;
    case SB_BOTTOM: return scBottom;
    default: return scEndScroll;
    }
}
} // namespace

TCustomGrid::TCustomGrid(components::TComponent* owner) : controls::TWinControl(owner)
{
    SetControlStyle(ControlStyle() + controls::TControlStyle{controls::TControlStyleItem::csCaptureMouse,
                                                             controls::TControlStyleItem::csOpaque,
                                                             controls::TControlStyleItem::csClickEvents});
    SetTabStop(true);
    SetColor(core::clWindow);
    SetBounds(Left(), Top(), ColCount() * DefaultColWidth(), RowCount() * DefaultRowHeight());
}

TCustomGrid::~TCustomGrid()
{
    if (HandleAllocated())
        KillTimer(Handle(), GridTimerId);
    // The editor is a child window of the grid: it goes first.
    FInplaceEdit.reset();
}

// --- Properties ---

void TCustomGrid::SetFixedColor(core::TColor c)
{
    if (c == FFixedColor)
        return;
    FFixedColor = c;
    InvalidateGrid();
}

void TCustomGrid::SetDefaultDrawing(bool v)
{
    if (v == FDefaultDrawing)
        return;
    FDefaultDrawing = v;
    InvalidateGrid();
}

void TCustomGrid::SetBorderStyle(TGridBorderStyle s)
{
    if (s == FBorderStyle)
        return;
    FBorderStyle = s;
    if (HandleAllocated())
        RecreateWnd();
}

void TCustomGrid::SetGridScrollBars(TScrollStyle s)
{
    if (s == ScrollBars())
        return;
    SetScrollBars(s);
    if (HandleAllocated())
        RecreateWnd();
}

bool TCustomGrid::IsActiveControl() const
{
    if (controls::TCustomForm* form = controls::GetParentForm(this)) {
        if (form->ActiveControl() != this)
            return false;
        return !controls::Screen || !controls::Screen->ActiveCustomForm() ||
               controls::Screen->ActiveCustomForm() == form;
    }
    if (!HandleAllocated())
        return false;
    const HWND self = const_cast<TCustomGrid*>(this)->Handle();
    for (HWND h = GetFocus(); IsWindow(h); h = GetParent(h))
        if (h == self)
            return true;
    return false;
}

void TCustomGrid::ChangeScale(int m, int d, bool isDpiChange)
{
    controls::TWinControl::ChangeScale(m, d, isDpiChange);
    if (m != d)
        TGridModel::ChangeScale(m, d);
}

// --- Window ---

void TCustomGrid::CreateParams(TCreateParams& params)
{
    controls::TWinControl::CreateParams(params);
    params.Style |= WS_TABSTOP;
    if (ScrollBars() == ssVertical || ScrollBars() == ssBoth)
        params.Style |= WS_VSCROLL;
    if (ScrollBars() == ssHorizontal || ScrollBars() == ssBoth)
        params.Style |= WS_HSCROLL;
    if (FBorderStyle == TGridBorderStyle::bsSingle)
        params.ExStyle |= WS_EX_CLIENTEDGE;
    if (UseRightToLeftAlignment())
        params.ExStyle |= WS_EX_LEFTSCROLLBAR;
    params.WindowClassStyle |= CS_DBLCLKS;
}

void TCustomGrid::CreateWnd()
{
    controls::TWinControl::CreateWnd();
    SetRightToLeft(UseRightToLeftAlignment());
    SyncClientSize();
}

void TCustomGrid::SyncClientSize()
{
    if (!HandleAllocated())
        return;
    const platform::TRect c = GetClientRect(Handle());
    TGridModel::SetClientSize(c.Width(), c.Height());
}

void TCustomGrid::FontChanged()
{
    controls::TWinControl::FontChanged();
    SetCharWidth(Font()->Handle().TextExtent(u"0").cx);
    if (FInplaceEdit && FInplaceEdit->HandleAllocated())
        FInplaceEdit->SetFont(Font());
    InvalidateGrid();
}

void TCustomGrid::ColorChanged()
{
    controls::TWinControl::ColorChanged();
    InvalidateGrid();
}

platform::TPoint TCustomGrid::CursorInClient() const
{
    return const_cast<TCustomGrid*>(this)->ScreenToClient(GetCursorPos());
}

void TCustomGrid::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_GETDLGCODE: {
        const TGridDlgCode d = DlgCode();
        m.Result = (d.Arrows ? DLGC_WANTARROWS : 0) | (d.Tab ? DLGC_WANTTAB : 0) | (d.Chars ? DLGC_WANTCHARS : 0);
        return;
    }
    case CM_WANTSPECIALKEY:
        m.Result = (m.WParam == VK_RETURN && Options().Contains(goEditing)) ? 1 : 0;
        return;
    case WM_CHAR:
        // A character that opens the editor becomes the editor's first
        // keystroke (ShowEditorChar); the grid's own key press does not see it.
        if (TGridModel::CharMessage(static_cast<char16_t>(m.WParam)))
            return;
        break;
    case WM_HSCROLL:
    case WM_VSCROLL: {
        const int code = LOWORD(m.WParam);
        const int pos = static_cast<int16_t>(HIWORD(m.WParam));
        if (CanFocus() && TabStop() && !Focused())
            SetFocus();
        ModifyScrollBar(m.Msg == WM_HSCROLL ? sbHorizontal : sbVertical, ToScrollCode(code), pos, true);
        m.Result = 0;
        return;
    }
    case WM_MOUSEWHEEL: {
        const int delta = static_cast<int16_t>(HIWORD(m.WParam));
        const TShiftState shift = controls::MouseKeysToShiftState(LOWORD(m.WParam));
        const platform::TPoint pos{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
        // One step a notch: a message may carry several notches, or a part
        // of one (fine-grained wheels), which is kept for the next message.
        FWheelAccumulator += delta;
        while (FWheelAccumulator <= -WHEEL_DELTA || FWheelAccumulator >= WHEEL_DELTA) {
            const bool down = FWheelAccumulator < 0;
            FWheelAccumulator += down ? WHEEL_DELTA : -WHEEL_DELTA;
            if (down)
                DoMouseWheelDown(shift, pos);
            else
                DoMouseWheelUp(shift, pos);
        }
        m.Result = 1;
        return;
    }
    case WM_TIMER:
        if (m.WParam == GridTimerId) {
            const platform::TPoint p = CursorInClient();
            TimerElapsed(static_cast<int64_t>(GetTickCount64()), p.X, p.Y);
            m.Result = 0;
            return;
        }
        break;
    case WM_SETCURSOR: {
        const platform::TPoint p = CursorInClient();
        const TSizingHit hit = GridState() == gsNormal ? CalcSizingState(p.X, p.Y) : TSizingHit{GridState()};
        if (hit.State == gsColSizing) {
            SetCursor(Cursor::HSplit);
            m.Result = 1;
            return;
        }
        if (hit.State == gsRowSizing) {
            SetCursor(Cursor::VSplit);
            m.Result = 1;
            return;
        }
        break;
    }
    case WM_CANCELMODE:
        CancelMode();
        break;
    case WM_COMMAND:
        if (FInplaceEdit && FInplaceEdit->HandleAllocated() && HWND::FromParam(m.LParam) == FInplaceEdit->Handle()) {
            if (HIWORD(m.WParam) == EN_CHANGE && !FInplaceEdit->Loading())
                UpdateText();
            m.Result = 0;
            return;
        }
        break;
    case WM_SETFOCUS: {
        controls::TWinControl::WndProc(m);
        const HWND from = HWND::FromParam(static_cast<LPARAM>(m.WParam));
        if (!FInplaceEdit || !FInplaceEdit->HandleAllocated() || from != FInplaceEdit->Handle()) {
            InvalidateRect(Selection());
            UpdateEdit();
        }
        return;
    }
    case WM_KILLFOCUS: {
        controls::TWinControl::WndProc(m);
        InvalidateRect(Selection());
        const HWND to = HWND::FromParam(static_cast<LPARAM>(m.WParam));
        if (FInplaceEdit && FInplaceEdit->HandleAllocated() && to != FInplaceEdit->Handle())
            HideEdit();
        return;
    }
    case WM_SIZE:
        controls::TWinControl::WndProc(m);
        if (!FSettingBars)
            SyncClientSize();
        return;
    case WM_SHOWWINDOW:
        controls::TWinControl::WndProc(m);
        UpdateScrollRange();
        return;
    default: break;
    }
    controls::TWinControl::WndProc(m);
}

// --- Keyboard and mouse ---

void TCustomGrid::KeyDown(uint16_t& key, TShiftState shift)
{
    controls::TWinControl::KeyDown(key, shift);
    if (key == 0)
        return;
    TGridModel::KeyDown(key, ToGridShift(shift));
}

void TCustomGrid::KeyPress(char16_t& key)
{
    controls::TWinControl::KeyPress(key);
    if (key != 0 && TGridModel::KeyPress(key))
        key = 0;
}

void TCustomGrid::MouseDown(controls::TMouseButton button, TShiftState shift, int x, int y)
{
    // Clicks are reported by the grid itself (on a press with editing, on the
    // release of a selection), not by the framework's button-up rule.
    SetControlState(ControlState() - controls::TControlState{controls::TControlStateItem::csClicked});
    if (CanFocus() || !controls::GetParentForm(this)) {
        if (!Focused() && CanFocus())
            SetFocus();
        if (!IsActiveControl() && controls::GetParentForm(this)) {
            ReleaseCapture();
            return;
        }
    }
    const bool dbl = shift.Contains(TShiftStateItem::ssDouble);
    TGridModel::MouseDown(ToGridButton(button), ToGridShift(shift), x, y, dbl,
                          static_cast<int64_t>(GetTickCount64()));
    // Noted after the press, so that an editor the press opened knows it too.
    if (button == controls::TMouseButton::mbLeft && FInplaceEdit)
        FInplaceEdit->GridClicked(GetMessageTime());
    try {
        controls::TWinControl::MouseDown(button, shift, x, y);
    } catch (...) {
        if (GridState() == gsColMoving || GridState() == gsRowMoving)
            DrawMovement();
        throw;
    }
}

void TCustomGrid::MouseMove(TShiftState shift, int x, int y)
{
    TGridModel::MouseMove(ToGridShift(shift), x, y);
    controls::TWinControl::MouseMove(shift, x, y);
}

void TCustomGrid::MouseUp(controls::TMouseButton button, TShiftState shift, int x, int y)
{
    TGridModel::MouseUp(ToGridButton(button), ToGridShift(shift), x, y);
    controls::TWinControl::MouseUp(button, shift, x, y);
}

bool TCustomGrid::DoMouseWheelDown(TShiftState, platform::TPoint) { return MouseWheel(true); }
bool TCustomGrid::DoMouseWheelUp(TShiftState, platform::TPoint) { return MouseWheel(false); }

void TCustomGrid::DoExit()
{
    controls::TWinControl::DoExit();
    if (!Options().Contains(goAlwaysShowEditor))
        HideEditor();
}

void TCustomGrid::Click() { controls::TWinControl::Click(); }
void TCustomGrid::DblClick() { controls::TWinControl::DblClick(); }

// --- View requests ---

void TCustomGrid::InvalidatePixels(const TRect& r)
{
    if (!HandleAllocated())
        return;
    const platform::TRect pr = ToPlatform(r);
    platform::InvalidateRect(Handle(), &pr, false);
}

void TCustomGrid::InvalidateWindow()
{
    if (HandleAllocated())
        platform::InvalidateRect(Handle(), nullptr, false);
}

void TCustomGrid::ScrollPixels(const TRect& band, int dx, int dy)
{
    if (!HandleAllocated())
        return;
    const platform::TRect r = ToPlatform(band);
    ScrollWindowEx(Handle(), dx, dy, &r, &r, nullptr, nullptr, SW_INVALIDATE);
    if (Options().Contains(goRowSelect))
        InvalidateRect(Selection());
}

void TCustomGrid::FlushPainting()
{
    if (HandleAllocated())
        UpdateWindow(Handle());
}

void TCustomGrid::ApplyScrollBar(int bar, int range, int pos)
{
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_POS;
    si.nMin = 0;
    si.nMax = range;
    si.nPos = pos;
    SetScrollInfo(Handle(), bar, si, true);
    ShowScrollBar(Handle(), bar, range > 0);
}

void TCustomGrid::ScrollBarsChanged()
{
    if (!HandleAllocated() || FSettingBars)
        return;
    // Showing or hiding a bar changes the client size, which changes the
    // ranges: settle them in a few rounds without recursion.
    for (int round = 0; round < 3; ++round) {
        const platform::TRect before = GetClientRect(Handle());
        FSettingBars = true;
        try {
            const bool horz = ScrollBars() == ssHorizontal || ScrollBars() == ssBoth;
            const bool vert = ScrollBars() == ssVertical || ScrollBars() == ssBoth;
            ApplyScrollBar(SB_HORZ, horz ? ScrollRange(sbHorizontal) : 0, ScrollPos(sbHorizontal));
            if (!OwnsVertScrollBar())
                ApplyScrollBar(SB_VERT, vert ? ScrollRange(sbVertical) : 0, ScrollPos(sbVertical));
        } catch (...) {
            FSettingBars = false;
            throw;
        }
        FSettingBars = false;
        const platform::TRect after = GetClientRect(Handle());
        if (after == before)
            return;
        TGridModel::SetClientSize(after.Width(), after.Height()); // runs this again through the ranges
        if (GetClientRect(Handle()) == after)
            return;
    }
}

void TCustomGrid::StartTimer()
{
    if (HandleAllocated())
        SetTimer(Handle(), GridTimerId, TimerInterval);
}

void TCustomGrid::StopTimer()
{
    if (HandleAllocated())
        KillTimer(Handle(), GridTimerId);
}

void TCustomGrid::DrawSizingLine()
{
    if (!HandleAllocated())
        return;
    auto dc = GetDC(Handle());
    const TGridDrawInfo info = CalcDrawInfo();
    const int width = std::max(1, MulDiv(1, CurrentPPI(), 96));
    dc->SetROP2(R2_XORPEN);
    dc->SelectPen(Pen{PS_DOT, width, 0xFFFFFF});
    if (GridState() == gsRowSizing) {
        dc->MoveTo(0, SizingPos());
        dc->LineTo(info.Horz.GridBoundary, SizingPos());
    } else {
        dc->MoveTo(SizingPos(), 0);
        dc->LineTo(SizingPos(), info.Vert.GridBoundary);
    }
}

void TCustomGrid::DrawMovement()
{
    if (!HandleAllocated() || MovePos() < 0)
        return;
    auto dc = GetDC(Handle());
    const bool cols = GridState() == gsColMoving;
    const TRect cell = cols ? CellRect(MovePos(), 0) : CellRect(0, MovePos());
    const bool forward = MovePos() > MoveIndex();
    int edge;
    if (cols) {
        const bool right = forward != RightToLeft();
        edge = right ? cell.Right : cell.Left;
    } else {
        edge = forward ? cell.Bottom : cell.Top;
    }
    dc->SetROP2(R2_XORPEN);
    dc->SelectPen(Pen{PS_SOLID, 5, 0xFFFFFF});
    const platform::TRect c = GetClientRect(Handle());
    if (cols) {
        dc->MoveTo(edge, 0);
        dc->LineTo(edge, c.Bottom);
    } else {
        dc->MoveTo(0, edge);
        dc->LineTo(c.Right, edge);
    }
}

// --- Editor protocol ---

std::unique_ptr<TInplaceEdit> TCustomGrid::CreateEditor() { return std::make_unique<TInplaceEdit>(nullptr); }

bool TCustomGrid::CanEditShow() const
{
    if (!HandleAllocated() || ComponentState().Contains(components::TComponentState::csDesigning))
        return false;
    return TGridModel::CanEditShow(IsActiveControl());
}

void TCustomGrid::LoadEditor()
{
    SetInplaceCell(Col(), Row());
    FInplaceEdit->UpdateContents();
    FCanEditModify = FInplaceEdit->MaxLength() != -1;
    FInplaceEdit->SetColor(Color());
    FInplaceEdit->SetFont(Font());
    FInplaceEdit->SelectAll();
}

void TCustomGrid::UpdateEdit()
{
    if (!CanEditShow())
        return;
    if (!FInplaceEdit) {
        FInplaceEdit = CreateEditor();
        FInplaceEdit->SetGrid(this);
        FInplaceEdit->SetParent(this);
        LoadEditor();
    } else if (InplaceCol() != Col() || InplaceRow() != Row()) {
        HideEdit();
        LoadEditor();
    }
    if (CanEditShow())
        FInplaceEdit->Move(ToPlatform(CellRect(Col(), Row())));
}

bool TCustomGrid::EditorShowing() const
{
    return EditorMode() && FInplaceEdit && FInplaceEdit->EditorVisible();
}

void TCustomGrid::HideEdit()
{
    if (!FInplaceEdit)
        return;
    struct Forget {
        TCustomGrid* G;
        ~Forget()
        {
            G->SetInplaceCell(-1, -1);
            G->FInplaceEdit->Hide();
        }
    } forget{this};
    UpdateText();
}

void TCustomGrid::UpdateText()
{
    if (FInplaceEdit && InplaceCol() >= 0 && InplaceRow() >= 0)
        SetEditText(InplaceCol(), InplaceRow(), FInplaceEdit->EditText());
}

void TCustomGrid::InvalidateEditor()
{
    SetInplaceCell(-1, -1);
    UpdateEdit();
}

void TCustomGrid::DeselectEditor()
{
    if (FInplaceEdit)
        FInplaceEdit->Deselect();
}

void TCustomGrid::ShowEditorChar(char16_t ch)
{
    ShowEditor();
    // Handed to the editor exactly once, ahead of any keystroke still queued;
    // with no editor shown the character is dropped (never posted back to the grid).
    if (FInplaceEdit && FInplaceEdit->EditorVisible())
        SendMessage(FInplaceEdit->Handle(), WM_CHAR, ch, 0);
}

} // namespace grids
