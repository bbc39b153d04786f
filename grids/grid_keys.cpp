// The key table, Tab stepping, Enter and typed characters, the wheel and the
// dialog-code answers.
#include "grids/grid_keys.h"

#include <algorithm>

#include "grids/grid_model.h"

namespace grids {

namespace {
// One Tab step (Shift: backwards), repeated until a column with a tab stop or
// the starting column is reached; the columns between are skipped by
// looking up the next tab stop, not one by one.
TGridCoord TabStep(const TGridModel& g, TGridCoord c, bool backward)
{
    const int32_t start = c.X;
    if (!backward) {
        const int32_t n = g.NextTabStop(c.X + 1);
        if (n < g.ColCount())
            return {n, c.Y};
        if (++c.Y >= g.RowCount())
            c.Y = g.FixedRows();
        const int32_t first = g.NextTabStop(g.FixedCols());
        c.X = start >= g.FixedCols() ? std::min(first, start) : first < g.ColCount() ? first : start;
    } else {
        const int32_t p = g.PrevTabStop(c.X - 1);
        if (p >= g.FixedCols())
            return {p, c.Y};
        if (--c.Y < g.FixedRows())
            c.Y = g.RowCount() - 1;
        const int32_t last = g.PrevTabStop(g.ColCount() - 1);
        c.X = last >= g.FixedCols() ? std::max(last, start) : start;
    }
    return c;
}

int32_t Clamp64(int64_t v, int64_t lo, int64_t hi) { return static_cast<int32_t>(std::clamp(v, lo, std::max(lo, hi))); }
} // namespace

TGridKeyOutcome CalcGridKey(const TGridModel& g, int key, TGridShift shift)
{
    using namespace keys;
    TGridKeyOutcome o;
    o.Current = g.Current();
    o.TopLeft = g.TopLeft();
    const TGridDrawInfo info = g.CalcDrawInfo();
    const int64_t pageW = std::max<int64_t>(1, int64_t{info.Horz.LastFullVisibleCell} - g.LeftCol());
    const int64_t pageH = std::max<int64_t>(1, int64_t{info.Vert.LastFullVisibleCell} - g.TopRow());
    const int64_t factor = g.RightToLeft() ? -1 : 1;
    const bool rowSelect = g.Options().Contains(goRowSelect);
    int64_t cx = o.Current.X, cy = o.Current.Y, tx = o.TopLeft.X, ty = o.TopLeft.Y;
    o.Handled = true;
    if (shift.Ctrl) {
        switch (key) {
        case VK_UP: --ty; break;
        case VK_DOWN: ++ty; break;
        case VK_LEFT:
            if (!rowSelect) {
                cx -= factor * pageW;
                tx -= factor * pageW;
            }
            break;
        case VK_RIGHT:
            if (!rowSelect) {
                cx += factor * pageW;
                tx += factor * pageW;
            }
            break;
        case VK_PRIOR: cy = ty; break;
        case VK_NEXT: cy = info.Vert.LastFullVisibleCell; break;
        case VK_HOME:
            cx = g.FixedCols();
            cy = g.FixedRows();
            o.InvalidateAll = g.RightToLeft();
            break;
        case VK_END:
            cx = g.ColCount() - 1;
            cy = g.RowCount() - 1;
            o.InvalidateAll = g.RightToLeft();
            break;
        default: o.Handled = false; break;
        }
    } else {
        switch (key) {
        case VK_UP: --cy; break;
        case VK_DOWN: ++cy; break;
        case VK_LEFT:
            if (rowSelect)
                cy -= factor;
            else
                cx -= factor;
            break;
        case VK_RIGHT:
            if (rowSelect)
                cy += factor;
            else
                cx += factor;
            break;
        case VK_PRIOR:
            cy -= pageH;
            ty -= pageH;
            break;
        case VK_NEXT:
            cy += pageH;
            ty += pageH;
            break;
        case VK_HOME:
            if (rowSelect)
                cy = g.FixedRows();
            else
                cx = g.FixedCols();
            break;
        case VK_END:
            if (rowSelect)
                cy = g.RowCount() - 1;
            else
                cx = g.ColCount() - 1;
            break;
        case VK_TAB:
            if (!shift.Alt) {
                const TGridCoord c = TabStep(g, g.Current(), shift.Shift);
                cx = c.X;
                cy = c.Y;
            }
            break;
        case VK_F2: o.ShowEditor = true; break;
        default: o.Handled = false; break;
        }
    }
    const TGridCoord max = g.MaxTopLeft();
    o.TopLeft = {Clamp64(tx, g.FixedCols(), max.X), Clamp64(ty, g.FixedRows(), max.Y)};
    o.Current = {Clamp64(cx, g.FixedCols(), g.ColCount() - 1), Clamp64(cy, g.FixedRows(), g.RowCount() - 1)};
    // Shift+arrows extend the selection; Shift+Tab moves the anchor too.
    o.MoveAnchor = !shift.Shift || key == VK_TAB;
    if (!o.Handled) {
        o.Current = g.Current();
        o.TopLeft = g.TopLeft();
    }
    return o;
}

void TGridModel::KeyDown(int key, TGridShift shift)
{
    if (!CanGridAcceptKey(key, shift))
        return;
    const TGridKeyOutcome o = CalcGridKey(*this, key, shift);
    if (!o.Handled)
        return;
    if (o.ShowEditor)
        SetEditorMode(true);
    if (o.TopLeft != FTopLeft)
        MoveTopLeft(o.TopLeft.X, o.TopLeft.Y);
    if (o.Current != FCurrent)
        FocusCell(o.Current.X, o.Current.Y, o.MoveAnchor);
    if (o.InvalidateAll)
        InvalidateGrid();
}

bool TGridModel::KeyPress(char16_t ch)
{
    if (ch == u'\r' && !FOptions.Contains(goAlwaysShowEditor)) {
        SetEditorMode(!EditorShowing());
        return true;
    }
    return false;
}

bool TGridModel::CharMessage(char16_t ch)
{
    if (!FOptions.Contains(goEditing) || (ch != 8 && ch < 32))
        return false;
    ShowEditorChar(ch);
    return true;
}

TGridDlgCode TGridModel::DlgCode() const
{
    TGridDlgCode d;
    d.Arrows = true;
    d.Enter = FOptions.Contains(goEditing);
    if (!FOptions.Contains(goRowSelect)) {
        d.Tab = FOptions.Contains(goTabs);
        d.Chars = FOptions.Contains(goEditing);
    }
    return d;
}

bool TGridModel::MouseWheel(bool down)
{
    if (Row() < 0) {
        const int32_t top = down ? std::min(TopRow() + 1, RowCount() - 1) : std::max(TopRow() - 1, FixedRows());
        const TGridCoord max = MaxTopLeft();
        MoveTopLeft(LeftCol(), std::clamp(top, FixedRows(), std::max(max.Y, FixedRows())));
    } else {
        const int32_t row = down ? std::min(Row() + 1, RowCount() - 1) : std::max(Row() - 1, FixedRows());
        if (row != Row())
            SetRow(row);
    }
    return true;
}

} // namespace grids
