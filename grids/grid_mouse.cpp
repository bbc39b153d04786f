// Mouse input: presses on cells, range selection with automatic scrolling,
// sizing by the grab zones, dragging columns and rows, hot fixed cells.
#include <algorithm>

#include "grids/grid_bidi.h"
#include "grids/grid_model.h"
#include "grids/grid_timer.h"

namespace grids {

namespace {
// Sizing hit test along one axis: the grab zone of each shown cell's trailing
// edge is 7 pixels wide (or the line width if larger) and starts
// (7 - line) / 2 pixels before the edge.
bool AxisSizing(const TGridAxisDrawInfo& ai, const TGridAxis& axis, int pos, int32_t& index, int& edgeOut)
{
    const int line = ai.EffectiveLineWidth;
    const int zone = std::max(TGridModel::GrabZone, line);
    const int before = line < TGridModel::GrabZone ? (TGridModel::GrabZone - line) / 2 : 0;
    int64_t start = ai.FixedBoundary;
    for (int32_t i = axis.NextWithRoom(ai.FirstGridCell, line); i < axis.Count(); i = axis.NextWithRoom(i + 1, line)) {
        const int64_t edge = start + std::max(axis.Extent(i), 0);
        if (edge > ai.GridBoundary)
            break;
        if (axis.Shown(i) && pos >= edge - before && pos < edge - before + zone) {
            index = i;
            edgeOut = static_cast<int>(edge);
            return true;
        }
        start += axis.Room(i, line);
    }
    if (ai.GridBoundary == ai.GridExtent && pos >= ai.GridExtent - before && pos < ai.GridExtent) {
        index = std::min(ai.LastFullVisibleCell + 1, axis.Count() - 1);
        edgeOut = ai.GridExtent;
        return true;
    }
    return false;
}
} // namespace

TGridModel::TSizingHit TGridModel::CalcSizingState(int x, int y) const
{
    TSizingHit hit;
    const bool colSizing = FOptions.Contains(goColSizing), rowSizing = FOptions.Contains(goRowSizing);
    if (!colSizing && !rowSizing)
        return hit;
    const TGridDrawInfo info = CalcDrawInfo();
    const int mx = FRightToLeft ? MirrorX(x, FClientWidth) : x;
    int32_t index = -1;
    int edge = 0;
    if (colSizing && mx >= info.Horz.FixedBoundary && y >= 0 && y < info.Vert.FixedBoundary) {
        if (AxisSizing(info.Horz, FCols, mx, index, edge))
            hit = {gsColSizing, index, edge, edge - mx};
    } else if (rowSizing && y >= info.Vert.FixedBoundary && mx >= 0 && mx < info.Horz.FixedBoundary) {
        if (AxisSizing(info.Vert, FRows, y, index, edge))
            hit = {gsRowSizing, index, edge, edge - y};
    }
    return hit;
}

bool TGridModel::Sizing(int x, int y) const
{
    return FGridState != gsNormal || CalcSizingState(x, y).State != gsNormal;
}

void TGridModel::StartGridTimer(int64_t timeMs)
{
    FTimerRunning = true;
    FTimerStart = timeMs;
    FTimerSteps = 0;
    StartTimer();
}

void TGridModel::StopGridTimer()
{
    if (!FTimerRunning)
        return;
    FTimerRunning = false;
    StopTimer();
}

void TGridModel::MouseDown(TMouseButton button, TGridShift shift, int x, int y, bool doubleClick, int64_t timeMs)
{
    HideEdit();
    if (button != mbLeft)
        return;
    if (doubleClick) {
        DblClick();
        return;
    }
    const TSizingHit hit = CalcSizingState(x, y);
    if (hit.State != gsNormal) {
        FGridState = hit.State;
        FSizingIndex = hit.Index;
        FSizingPos = hit.Pos;
        FSizingOfs = hit.Ofs;
        if (FRightToLeft && hit.State == gsColSizing) {
            FSizingPos = MirrorX(hit.Pos, FClientWidth);
            FSizingOfs = -hit.Ofs;
        }
        DrawSizingLine();
        return;
    }
    const TGridCoord cell = CalcCoordFromPoint(x, y, CalcDrawInfo());
    if (cell.X < 0 || cell.Y < 0)
        return;
    if (cell.X < FixedCols() || cell.Y < FixedRows()) {
        FEditorModeBeforeMoving = FEditorMode;
        HideEditor();
        if (FHotTrackCell.Rect.Left >= 0 && FHotTrackCell.Rect.Contains(cell)) {
            FHotTrackCell.Pressed = true;
            FHotTrackCell.Button = button;
            InvalidateRect(FHotTrackCell.Rect);
        }
        if (FOptions.Contains(goRowMoving) && cell.X < FixedCols() && cell.Y >= FixedRows()) {
            FMoveIndex = FMovePos = cell.Y;
            if (BeginRowDrag(FMoveIndex, FMovePos)) {
                FGridState = gsRowMoving;
                FlushPainting();
                DrawMovement();
                StartGridTimer(timeMs);
            }
        } else if (FOptions.Contains(goColMoving) && cell.Y < FixedRows() && cell.X >= FixedCols()) {
            FMoveIndex = FMovePos = cell.X;
            if (BeginColumnDrag(FMoveIndex, FMovePos)) {
                FGridState = gsColMoving;
                FlushPainting();
                DrawMovement();
                StartGridTimer(timeMs);
            }
        }
        if (FGridState == gsNormal) {
            FEditorMode = FEditorModeBeforeMoving;
            UpdateEdit();
        }
        return;
    }
    if (FOptions.Contains(goEditing)) {
        if (cell == FCurrent) {
            ShowEditor();
        } else {
            MoveCurrent(cell.X, cell.Y, true, true);
            UpdateEdit();
        }
        Click();
        return;
    }
    FGridState = gsSelecting;
    StartGridTimer(timeMs);
    if (shift.Shift)
        MoveAnchor(cell);
    else
        MoveCurrent(cell.X, cell.Y, true, true);
}

void TGridModel::MouseMove(TGridShift, int x, int y)
{
    switch (FGridState) {
    case gsColSizing:
    case gsRowSizing:
        DrawSizingLine();
        FSizingPos = (FGridState == gsColSizing ? x : y) + FSizingOfs;
        DrawSizingLine();
        break;
    case gsSelecting:
    case gsRowMoving:
    case gsColMoving: {
        const TGridDrawInfo info = CalcDrawInfo();
        const TGridCoord cell = CalcCoordFromPoint(x, y, info);
        if (cell.X >= FixedCols() && cell.Y >= FixedRows() && cell.X <= info.Horz.LastFullVisibleCell + 1 &&
            cell.Y <= info.Vert.LastFullVisibleCell + 1) {
            if (FGridState == gsSelecting) {
                if (cell != FAnchor)
                    MoveAnchor(cell);
            } else if (FGridState == gsRowMoving) {
                MoveAndScroll(y, cell.Y, false);
            } else {
                MoveAndScroll(x, cell.X, true);
            }
        }
        break;
    }
    case gsNormal: UpdateHotTrack(x, y); break;
    }
}

void TGridModel::UpdateHotTrack(int x, int y)
{
    const TGridCoord cell = MouseCoord(x, y);
    const bool hot = cell.X >= 0 && ((cell.Y < FixedRows() && FOptions.Contains(goFixedRowClick)) ||
                                     (cell.X < FixedCols() && FOptions.Contains(goFixedColClick)));
    if (hot) {
        const TGridRect r = CalcExpandedCellRect(cell);
        if (r != FHotTrackCell.Rect || FHotTrackCell.Pressed) {
            if (FHotTrackCell.Rect.Left >= 0)
                InvalidateRect(FHotTrackCell.Rect);
            FHotTrackCell = {r, mbLeft, false};
            InvalidateRect(r);
        }
    } else if (FHotTrackCell.Rect.Left >= 0) {
        InvalidateRect(FHotTrackCell.Rect);
        FHotTrackCell = {};
    }
}

void TGridModel::MouseLeave()
{
    if (FHotTrackCell.Rect.Left >= 0) {
        InvalidateRect(FHotTrackCell.Rect);
        FHotTrackCell = {};
    }
}

int32_t TGridModel::LeadingEdge(const TGridAxisDrawInfo& ai, const TGridAxis& axis, int32_t cell) const
{
    if (cell < axis.Fixed())
        return static_cast<int32_t>(axis.Sum(0, cell, ai.EffectiveLineWidth));
    return static_cast<int32_t>(
        std::min<int64_t>(ai.FixedBoundary + axis.Sum(ai.FirstGridCell, cell, ai.EffectiveLineWidth), INT32_MAX));
}

void TGridModel::MouseUp(TMouseButton button, TGridShift shift, int x, int y)
{
    // The grid is back at rest afterwards, also when a step below fails.
    struct Rest {
        TGridModel& g;
        ~Rest()
        {
            g.FGridState = gsNormal;
            if (g.FHotTrackCell.Pressed) {
                g.FHotTrackCell.Pressed = false;
                g.InvalidateRect(g.FHotTrackCell.Rect);
            }
        }
    } rest{*this};
    switch (FGridState) {
    case gsSelecting:
        MouseMove(shift, x, y);
        StopGridTimer();
        UpdateEdit();
        Click();
        break;
    case gsColSizing:
    case gsRowSizing: {
        DrawSizingLine();
        const bool cols = FGridState == gsColSizing;
        const TGridDrawInfo info = CalcDrawInfo();
        const int pos = cols && FRightToLeft ? MirrorX(FSizingPos, FClientWidth) : FSizingPos;
        const int64_t extent =
            int64_t{pos} - LeadingEdge(cols ? info.Horz : info.Vert, cols ? FCols : FRows, FSizingIndex);
        // A cell is never sized below 2 pixels.
        if (extent > 1 && extent <= INT32_MAX) {
            if (cols)
                SetColWidths(FSizingIndex, static_cast<int32_t>(extent));
            else
                SetRowHeights(FSizingIndex, static_cast<int32_t>(extent));
        }
        break;
    }
    case gsColMoving:
    case gsRowMoving: {
        DrawMovement();
        StopGridTimer();
        const bool cols = FGridState == gsColMoving;
        if (cols ? EndColumnDrag(FMoveIndex, FMovePos) : EndRowDrag(FMoveIndex, FMovePos)) {
            if (FMovePos != FMoveIndex) {
                if (cols)
                    MoveColumn(FMoveIndex, FMovePos);
                else
                    MoveRow(FMoveIndex, FMovePos);
            }
        }
        FEditorMode = FEditorModeBeforeMoving;
        UpdateEdit();
        break;
    }
    case gsNormal: {
        UpdateEdit();
        if (button == mbLeft && FHotTrackCell.Pressed) {
            const TGridCoord cell = MouseCoord(x, y);
            if (cell.X >= 0 && ((cell.X < FixedCols() && FOptions.Contains(goFixedColClick)) ||
                                (cell.Y < FixedRows() && FOptions.Contains(goFixedRowClick))))
                FixedCellClick(cell.X, cell.Y);
        }
        break;
    }
    }
}

void TGridModel::MoveAndScroll(int mouse, int32_t cellHit, bool cols)
{
    if (cols && FRightToLeft)
        mouse = MirrorX(mouse, FClientWidth);
    const TGridAxis& axis = cols ? FCols : FRows;
    TGridDrawInfo info = CalcDrawInfo();
    const TGridAxisDrawInfo* ai = cols ? &info.Horz : &info.Vert;
    if (cellHit == FMovePos)
        return;
    if (FMovePos == axis.Fixed() && mouse < ai->FixedBoundary)
        return;
    if (FMovePos == axis.Count() - 1 && mouse > ai->GridBoundary)
        return;
    DrawMovement();
    const TScrollBarKind bar = cols ? sbHorizontal : sbVertical;
    int32_t target = cellHit;
    if (mouse < ai->FixedBoundary) {
        if (FMovePos > axis.Fixed()) {
            ModifyScrollBar(bar, scLineUp, 0, false);
            info = CalcDrawInfo();
        }
        target = ai->FirstGridCell;
    } else if (mouse >= ai->FullVisBoundary) {
        if (FMovePos == ai->LastFullVisibleCell && ai->LastFullVisibleCell < axis.Count() - 1) {
            ModifyScrollBar(bar, scLineDown, 0, false);
            info = CalcDrawInfo();
        }
        target = ai->LastFullVisibleCell;
    } else if (cellHit < 0) {
        target = FMovePos;
    }
    if (cols ? CheckColumnDrag(FMoveIndex, target) : CheckRowDrag(FMoveIndex, target))
        FMovePos = target;
    DrawMovement();
}

void TGridModel::TimerElapsed(int64_t nowMs, int x, int y)
{
    if (!FTimerRunning)
        return;
    // A stalled clock does not unleash an unbounded burst of steps.
    const int64_t due = std::min<int64_t>(AutoScrollStepsDue(FTimerStart, nowMs, FTimerSteps, TimerInterval), 1000);
    for (int64_t i = 0; i < due && FTimerRunning; ++i) {
        ++FTimerSteps;
        TimerStep(x, y);
    }
    if (due >= 1000)
        FTimerSteps = (nowMs - FTimerStart) / TimerInterval;
}

void TGridModel::TimerStep(int x, int y)
{
    const TGridDrawInfo info = CalcDrawInfo();
    switch (FGridState) {
    case gsSelecting: {
        const int mx = FRightToLeft ? MirrorX(x, FClientWidth) : x;
        TGridScrollDirections d;
        if (mx < info.Horz.FixedBoundary)
            d.Include(sdLeft);
        else if (mx > info.Horz.FullVisBoundary)
            d.Include(sdRight);
        if (y < info.Vert.FixedBoundary)
            d.Include(sdUp);
        else if (y > info.Vert.FullVisBoundary)
            d.Include(sdDown);
        if (!d.Empty())
            TimedScroll(d);
        break;
    }
    case gsRowMoving: MoveAndScroll(y, CalcCoordFromPoint(x, y, info).Y, false); break;
    case gsColMoving: MoveAndScroll(x, CalcCoordFromPoint(x, y, info).X, true); break;
    default: break;
    }
}

void TGridModel::TimedScroll(TGridScrollDirections direction)
{
    TGridCoord a = FAnchor;
    if (direction.Contains(sdLeft) && a.X > FixedCols())
        --a.X;
    if (direction.Contains(sdRight) && a.X < ColCount() - 1)
        ++a.X;
    if (direction.Contains(sdUp) && a.Y > FixedRows())
        --a.Y;
    if (direction.Contains(sdDown) && a.Y < RowCount() - 1)
        ++a.Y;
    if (a != FAnchor)
        MoveAnchor(a);
}

void TGridModel::CancelMode()
{
    StopGridTimer();
    if (FGridState == gsColSizing || FGridState == gsRowSizing)
        DrawSizingLine();
    else if (FGridState == gsColMoving || FGridState == gsRowMoving)
        DrawMovement();
    FGridState = gsNormal;
}

} // namespace grids
