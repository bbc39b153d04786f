// Keyboard, mouse, scroll bar and editing protocol of the data grid. Every
// move goes through the dataset; the grid follows the dataset's events.
#include <algorithm>

#include "app/application.h"
#include "controls/form.h"
#include "core/ustring.h"
#include "data/field.h"
#include "grids/db_grid.h"
#include "grids/inplace_edit.h"
#include "platform/services.h"

namespace grids {

using namespace platform;
using controls::TShiftState;
using controls::TShiftStateItem;
using data::TDataSetState;

namespace {
struct UpdateGuard {
    TCustomDBGrid* G;
    explicit UpdateGuard(TCustomDBGrid* g) : G(g) { G->BeginUpdate(); }
    ~UpdateGuard() { G->EndUpdate(); }
    UpdateGuard(const UpdateGuard&) = delete;
    UpdateGuard& operator=(const UpdateGuard&) = delete;
};
} // namespace

bool TCustomDBGrid::AcquireFocus()
{
    if (!CanFocus() || InState(components::TComponentState::csDesigning))
        return true;
    if (!Focused())
        SetFocus();
    if (Focused())
        return true;
    return InplaceEditor() && controls::FindControl(GetFocus()) == InplaceEditor();
}

bool TCustomDBGrid::InsertPendingUntouched() const
{
    data::TDataSet* ds = FDataLink->DataSet();
    return ds && ds->State() == TDataSetState::dsInsert && !ds->Modified() && !FDataLink->Modified();
}

void TCustomDBGrid::ClearSelection()
{
    if (FOptions.Contains(dgMultiSelect)) {
        FBookmarks.Clear();
        FSelecting = false;
    }
}

void TCustomDBGrid::MoveByOne(int distance, bool select, bool shift)
{
    UpdateGuard lock(this);
    if (FOptions.Contains(dgMultiSelect) && FDataLink->Active()) {
        if (select && shift) {
            if (!FSelecting) {
                FSelectionAnchor = FBookmarks.CurrentRow();
                FBookmarks.SetCurrentRowSelected(true);
                FSelecting = true;
                FDataLink->MoveBy(distance);
                FBookmarks.SetCurrentRowSelected(true);
                return;
            }
            data::TDataSet* ds = FDataLink->DataSet();
            const int c = ds->CompareBookmarks(FBookmarks.CurrentRow(), FSelectionAnchor);
            const bool towardsAnchor = (distance > 0 && c < 0) || (distance < 0 && c > 0);
            if (towardsAnchor) {
                FBookmarks.SetCurrentRowSelected(false);
                FDataLink->MoveBy(distance);
            } else {
                FDataLink->MoveBy(distance);
                FBookmarks.SetCurrentRowSelected(true);
            }
            return;
        }
        ClearSelection();
    }
    FDataLink->MoveBy(distance);
}

void TCustomDBGrid::NextRow(bool select, bool shift)
{
    data::TDataSet* ds = FDataLink->DataSet();
    if (InsertPendingUntouched()) {
        if (FDataLink->Eof())
            return;
        ds->Cancel();
    } else {
        MoveByOne(1, select, shift);
    }
    if (FDataLink->Eof() && ds->CanModify() && !FReadOnly && FOptions.Contains(dgEditing)) {
        // The new record starts with the editor closed, as any row the grid
        // moves to; in a full grid the append scrolls the window and leaves the
        // current row where it was, so the row change alone would not close it.
        if (!FOptions.Contains(dgAlwaysShowEditor))
            HideEditor();
        ds->Append();
    }
}

void TCustomDBGrid::PriorRow(bool select, bool shift)
{
    if (InsertPendingUntouched() && FDataLink->Eof())
        FDataLink->DataSet()->Cancel();
    else
        MoveByOne(-1, select, shift);
}

bool TCustomDBGrid::DeletePrompt()
{
    const char* text = FBookmarks.Count() > 1 ? SDeleteMultipleRecordsQuestion : SDeleteRecordQuestion;
    if (!FOptions.Contains(dgConfirmDelete))
        return true;
    const std::u16string msg = core::FromAscii(text);
    const UINT flags = MB_OKCANCEL | MB_ICONQUESTION;
    const int answer = app::Application ? app::Application->MessageBox(msg, u"Confirm", flags)
                                        : platform::MessageBox(HWND{}, msg, u"Confirm", flags);
    return answer != IDCANCEL;
}

void TCustomDBGrid::Tab(bool goForward)
{
    UpdateGuard lock(this);
    const int32_t start = Col();
    int32_t c = start;
    // Each column is visited at most once per direction and row change.
    for (int32_t steps = 0; steps <= 2 * ColCount() + 2; ++steps) {
        c += goForward ? 1 : -1;
        if (c >= ColCount()) {
            NextRow(false, false);
            c = FIndicatorOffset;
        } else if (c < FIndicatorOffset) {
            PriorRow(false, false);
            c = ColCount() - 1;
        }
        if (c == start)
            return;
        if (TabStops(c)) {
            MoveCol(c, 0);
            return;
        }
    }
}

void TCustomDBGrid::MoveCol(int32_t rawCol, int direction)
{
    FDataLink->UpdateDataNow();
    const int32_t last = ColCount() - 1;
    if (last < FIndicatorOffset)
        return;
    rawCol = std::clamp(rawCol, FIndicatorOffset, last);
    if (direction != 0) {
        while (rawCol >= FIndicatorOffset && rawCol <= last && ColWidths(rawCol) <= 0)
            rawCol += direction;
        if (rawCol < FIndicatorOffset || rawCol > last)
            return;
    }
    if (rawCol == Col())
        return;
    if (!FInColExit) {
        const int32_t before = Col();
        FInColExit = true;
        try {
            OnColExit(this);
        } catch (...) {
            FInColExit = false;
            throw;
        }
        FInColExit = false;
        if (Col() != before)
            return;
    }
    if (!FOptions.Contains(dgAlwaysShowEditor))
        HideEditor();
    FocusCell(rawCol, Row(), true);
    OnColEnter(this);
}

void TCustomDBGrid::KeyDown(uint16_t& key, TShiftState shift)
{
    controls::TWinControl::KeyDown(key, shift);
    if (key == 0 || !FDataLink->Active() || !CanGridAcceptKey(key, {}))
        return;
    data::TDataSet* ds = FDataLink->DataSet();
    const bool ctrl = shift.Contains(TShiftStateItem::ssCtrl);
    const bool sh = shift.Contains(TShiftStateItem::ssShift);
    const bool alt = shift.Contains(TShiftStateItem::ssAlt);
    uint16_t k = key;
    if (UseRightToLeftAlignment()) {
        if (k == VK_LEFT)
            k = VK_RIGHT;
        else if (k == VK_RIGHT)
            k = VK_LEFT;
    }
    const bool singleColumn = ColCount() - FIndicatorOffset <= 1 || FOptions.Contains(dgRowSelect);
    if (ctrl) {
        switch (k) {
        case VK_UP:
        case VK_PRIOR:
            ClearSelection();
            FDataLink->MoveBy(-FDataLink->ActiveRecord());
            break;
        case VK_DOWN:
        case VK_NEXT:
            ClearSelection();
            FDataLink->MoveBy(FDataLink->BufferCount() - FDataLink->ActiveRecord() - 1);
            break;
        case VK_LEFT: MoveCol(FIndicatorOffset, 1); break;
        case VK_RIGHT: MoveCol(ColCount() - 1, -1); break;
        case VK_HOME:
            ClearSelection();
            ds->First();
            break;
        case VK_END:
            ClearSelection();
            ds->Last();
            break;
        case VK_DELETE:
            if (!FReadOnly && !ds->IsEmpty() && ds->CanModify() && DeletePrompt()) {
                if (FBookmarks.Count() > 0)
                    FBookmarks.Delete();
                else
                    ds->Delete();
            }
            break;
        default: break;
        }
        return;
    }
    switch (k) {
    case VK_UP: PriorRow(true, sh); break;
    case VK_DOWN: NextRow(true, sh); break;
    case VK_PRIOR:
        ClearSelection();
        FDataLink->MoveBy(-VisibleRowCount());
        break;
    case VK_NEXT:
        ClearSelection();
        FDataLink->MoveBy(VisibleRowCount());
        break;
    case VK_LEFT:
        if (FOptions.Contains(dgRowSelect))
            PriorRow(false, false);
        else
            MoveCol(Col() - 1, -1);
        break;
    case VK_RIGHT:
        if (FOptions.Contains(dgRowSelect))
            NextRow(false, false);
        else
            MoveCol(Col() + 1, 1);
        break;
    case VK_HOME:
        if (singleColumn) {
            ClearSelection();
            ds->First();
        } else {
            MoveCol(FIndicatorOffset, 1);
        }
        break;
    case VK_END:
        if (singleColumn) {
            ClearSelection();
            ds->Last();
        } else {
            MoveCol(ColCount() - 1, -1);
        }
        break;
    case VK_INSERT:
        if (ds->CanModify() && !FReadOnly && FOptions.Contains(dgEditing)) {
            ClearSelection();
            ds->Insert();
        }
        break;
    case VK_TAB:
        if (!alt)
            Tab(!sh);
        break;
    case VK_ESCAPE:
        FDataLink->Reset();
        ClearSelection();
        if (!FOptions.Contains(dgAlwaysShowEditor))
            HideEditor();
        break;
    case VK_F2: SetEditorMode(true); break;
    default: break;
    }
}

void TCustomDBGrid::KeyPress(char16_t& key)
{
    if (!FOptions.Contains(dgAlwaysShowEditor) && key == u'\r')
        FDataLink->UpdateDataNow();
    TCustomGrid::KeyPress(key);
}

// ---- mouse -----------------------------------------------------------------------------------

void TCustomDBGrid::MouseDown(controls::TMouseButton button, TShiftState shift, int x, int y)
{
    if (!AcquireFocus())
        return;
    const TGridCoord cell = MouseCoord(x, y);
    const bool generic = Sizing(x, y) || cell.X < 0 || cell.Y < 0 ||
                         (cell.Y < FTitleOffset && FOptions.Contains(dgColumnResize)) ||
                         (cell.Y < FTitleOffset && FOptions.Contains(dgTitleClick)) || !FDataLink->Active();
    if (generic) {
        if (FDataLink->Active() && (cell.X >= 0 || FDataLink->Editing()))
            FDataLink->UpdateDataNow();
        TCustomGrid::MouseDown(button, shift, x, y);
        return;
    }
    SetControlState(ControlState() - controls::TControlState{controls::TControlStateItem::csClicked});
    if (button == controls::TMouseButton::mbLeft && shift.Contains(TShiftStateItem::ssDouble))
        DblClick();
    {
        UpdateGuard lock(this);
        FDataLink->UpdateDataNow();
        HideEditor();
        const TGridCoord old = Current();
        if (cell.Y >= FTitleOffset && cell.Y != Row()) {
            int delta = cell.Y - Row();
            // The empty new row disappears when it is left untouched.
            if (InsertPendingUntouched()) {
                if (delta > 0)
                    --delta;
                else if (FDataLink->Eof())
                    ++delta;
            }
            if (delta != 0)
                FDataLink->MoveBy(delta);
            else
                FDataLink->DataSet()->Cancel();
        }
        if (cell.X >= FIndicatorOffset && !FOptions.Contains(dgRowSelect))
            MoveCol(cell.X, 0);
        if (button == controls::TMouseButton::mbLeft) {
            if (FOptions.Contains(dgMultiSelect)) {
                FSelecting = false;
                if (shift.Contains(TShiftStateItem::ssCtrl)) {
                    FBookmarks.SetCurrentRowSelected(!FBookmarks.CurrentRowSelected());
                } else {
                    FBookmarks.Clear();
                    FBookmarks.SetCurrentRowSelected(true);
                }
            }
            if ((cell.X == old.X && cell.Y == old.Y) || FOptions.Contains(dgAlwaysShowEditor))
                ShowEditor();
            else
                InvalidateEditor();
        }
    }
    if (button == controls::TMouseButton::mbLeft && InplaceEditor())
        InplaceEditor()->GridClicked(GetMessageTime());
    controls::TWinControl::MouseDown(button, shift, x, y);
}

void TCustomDBGrid::MouseUp(controls::TMouseButton button, TShiftState shift, int x, int y)
{
    const bool wasSizing = GridState() == gsColSizing || GridState() == gsRowSizing;
    TCustomGrid::MouseUp(button, shift, x, y);
    if (wasSizing || button != controls::TMouseButton::mbLeft)
        return;
    const TGridCoord cell = MouseCoord(x, y);
    const int32_t dataCol = RawToDataColumn(cell.X);
    if (cell.X < FIndicatorOffset || dataCol < 0 || dataCol >= FColumns->Count() || cell.Y < 0)
        return;
    if (cell.Y < FTitleOffset) {
        if (FOptions.Contains(dgTitleClick))
            OnTitleClick(FColumns->Items(dataCol));
    } else if (SelectedIndex() >= 0 && SelectedIndex() < FColumns->Count()) {
        OnCellClick(FColumns->Items(SelectedIndex()));
    }
}

bool TCustomDBGrid::DoMouseWheelDown(TShiftState, TPoint)
{
    if (FDataLink->Active())
        FDataLink->MoveBy(1);
    return true;
}

bool TCustomDBGrid::DoMouseWheelUp(TShiftState, TPoint)
{
    if (FDataLink->Active())
        FDataLink->MoveBy(-1);
    return true;
}

void TCustomDBGrid::TimedScroll(TGridScrollDirections direction)
{
    if (!FDataLink->Active())
        return;
    if (direction.Contains(sdUp))
        FDataLink->MoveBy(-FDataLink->ActiveRecord() - 1);
    else if (direction.Contains(sdDown))
        FDataLink->MoveBy(FDataLink->RecordCount() - FDataLink->ActiveRecord());
    const TGridScrollDirections horz = direction - TGridScrollDirections{sdUp, sdDown};
    if (!horz.Empty())
        TCustomGrid::TimedScroll(horz);
}

void TCustomDBGrid::DoExit()
{
    data::TDataSet* ds = FDataLink->DataSet();
    if (FDataLink->Active() && FOptions.Contains(dgCancelOnExit) && InsertPendingUntouched()) {
        ds->Cancel();
    } else {
        try {
            FDataLink->UpdateDataNow();
        } catch (...) {
            SetFocus();
            throw;
        }
    }
    TCustomGrid::DoExit();
}

void TCustomDBGrid::VScroll(int code)
{
    if (!AcquireFocus() || !FDataLink->Active())
        return;
    data::TDataSet* ds = FDataLink->DataSet();
    switch (code) {
    case SB_LINEUP: FDataLink->MoveBy(-FDataLink->ActiveRecord() - 1); break;
    case SB_LINEDOWN: FDataLink->MoveBy(FDataLink->RecordCount() - FDataLink->ActiveRecord()); break;
    case SB_PAGEUP: FDataLink->MoveBy(-VisibleRowCount()); break;
    case SB_PAGEDOWN: FDataLink->MoveBy(VisibleRowCount()); break;
    case SB_THUMBPOSITION:
        if (ds->IsSequenced()) {
            SCROLLINFO si;
            si.fMask = SIF_ALL;
            GetScrollInfo(Handle(), SB_VERT, si);
            if (si.nTrackPos <= 1)
                ds->First();
            else if (si.nTrackPos >= ds->RecordCount())
                ds->Last();
            else
                ds->SetRecNoProp(si.nTrackPos);
        } else {
            SCROLLINFO si;
            GetScrollInfo(Handle(), SB_VERT, si);
            switch (si.nTrackPos) {
            case 0: ds->First(); break;
            case 1: FDataLink->MoveBy(-VisibleRowCount()); break;
            case 3: FDataLink->MoveBy(VisibleRowCount()); break;
            case 4: ds->Last(); break;
            default: break;
            }
        }
        break;
    case SB_TOP: ds->First(); break;
    case SB_BOTTOM: ds->Last(); break;
    default: break;
    }
}

void TCustomDBGrid::WndProc(controls::TMessage& m)
{
    switch (m.Msg) {
    case WM_VSCROLL:
        VScroll(LOWORD(m.WParam));
        m.Result = 0;
        return;
    case WM_SIZE:
        TCustomGrid::WndProc(m);
        if (!UpdateLocked() && FDataLink && FDataLink->Active()) {
            UpdateRowCount();
            UpdateScrollBar();
        }
        if (FOptions.Contains(dgTitles))
            InvalidatePixels({0, 0, ClientWidth(), CalcDrawInfo().Vert.FixedBoundary});
        return;
    default: break;
    }
    TCustomGrid::WndProc(m);
}

void TCustomDBGrid::TopLeftChanged()
{
    TCustomGrid::TopLeftChanged();
    if (FOptions.Contains(dgTitles) && HandleAllocated())
        InvalidatePixels({0, 0, ClientWidth(), CalcDrawInfo().Vert.FixedBoundary});
}

void TCustomDBGrid::ColWidthsChanged()
{
    TCustomGrid::ColWidthsChanged();
    if (InState(components::TComponentState::csLoading))
        return;
    if (!FDataLink->Active() && FColumns->State() != TDBGridColumnsState::csCustomized)
        return;
    if (!AcquireLayoutLock())
        return;
    try {
        for (int i = 0; i < FColumns->Count(); ++i) {
            const int32_t raw = DataToRawColumn(i);
            if (raw < ColCount() && FColumns->Items(i)->Showing())
                FColumns->Items(i)->SetWidth(ColWidths(raw));
        }
    } catch (...) {
        EndLayout();
        throw;
    }
    EndLayout();
}

void TCustomDBGrid::ColumnMoved(int32_t from, int32_t to)
{
    const int32_t f = RawToDataColumn(from), t = RawToDataColumn(to);
    if (f < 0 || t < 0 || f >= FColumns->Count() || t >= FColumns->Count())
        return;
    FColumns->Items(f)->SetIndex(t);
    OnColumnMoved(this, f, t);
}

// ---- editing protocol ------------------------------------------------------------------------

bool TCustomDBGrid::CanEditShow() const
{
    if (FLayoutLock > 0)
        return false;
    return TCustomGrid::CanEditShow();
}

bool TCustomDBGrid::CanEditModify()
{
    if (FReadOnly || !FDataLink->Active() || FDataLink->ReadOnly())
        return false;
    const int32_t i = SelectedIndex();
    if (i < 0 || i >= FColumns->Count() || FColumns->Items(i)->ReadOnly())
        return false;
    data::TField* f = SelectedField();
    if (!f || !f->CanModify())
        return false;
    using data::TFieldType;
    switch (f->DataType()) {
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
    case TFieldType::ftBlob:
    case TFieldType::ftMemo:
    case TFieldType::ftGraphic:
    case TFieldType::ftFmtMemo:
    case TFieldType::ftParadoxOle:
    case TFieldType::ftDBaseOle:
    case TFieldType::ftTypedBinary:
    case TFieldType::ftCursor:
    case TFieldType::ftADT:
    case TFieldType::ftArray:
    case TFieldType::ftReference:
    case TFieldType::ftDataSet:
        if (!f->OnSetText)
            return false;
        break;
    default: break;
    }
    FDataLink->Edit();
    const bool editing = FDataLink->Editing();
    if (editing)
        FDataLink->SetModified();
    return editing;
}

bool TCustomDBGrid::CanEditAcceptKey(char16_t key)
{
    data::TField* f = SelectedField();
    return FDataLink->Active() && f && f->IsValidChar(key);
}

std::u16string TCustomDBGrid::GetEditText(int32_t col, int32_t)
{
    const int32_t i = RawToDataColumn(col);
    data::TField* f = i >= 0 && i < FColumns->Count() ? FColumns->Items(i)->Field() : nullptr;
    FEditText = FDataLink->Active() && f ? f->Text() : std::u16string();
    return FEditText;
}

void TCustomDBGrid::SetEditText(int32_t, int32_t, const std::u16string& value) { FEditText = value; }

int TCustomDBGrid::GetEditLimit()
{
    data::TField* f = SelectedField();
    if (f && (f->DataType() == data::TFieldType::ftString || f->DataType() == data::TFieldType::ftWideString))
        return f->Size();
    return 0;
}

std::u16string TCustomDBGrid::GetEditMask(int32_t col, int32_t)
{
    const int32_t i = RawToDataColumn(col);
    data::TField* f = i >= 0 && i < FColumns->Count() ? FColumns->Items(i)->Field() : nullptr;
    return FDataLink->Active() && f ? f->EditMask() : std::u16string();
}

TEditStyle TCustomDBGrid::GetEditStyle(int32_t, int32_t)
{
    const int32_t i = SelectedIndex();
    if (i < 0 || i >= FColumns->Count())
        return esSimple;
    TColumn* c = FColumns->Items(i);
    switch (c->ButtonStyle()) {
    case TColumnButtonStyle::cbsEllipsis: return esEllipsis;
    case TColumnButtonStyle::cbsNone: return esSimple;
    default: break;
    }
    data::TField* f = c->Field();
    if (!f)
        return esSimple;
    if (!c->PickList().empty() && !c->ReadOnly())
        return esPickList;
    if (f->DataType() == data::TFieldType::ftReference || f->DataType() == data::TFieldType::ftDataSet)
        return esEllipsis;
    return esSimple;
}

} // namespace grids
