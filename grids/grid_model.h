#pragma once
// The platform-independent heart of the generic grid: geometry, scrolling,
// current cell and selection, moving and sizing of columns and rows, and the
// reaction to keys and the mouse. The grid control is a thin shell over it:
// it forwards input and client size here and carries out the view requests
// (invalidation, pixel scrolling, scroll bars, editor, timer) that the
// overridable operations below announce.
#include <cstdint>
#include <vector>

#include "grids/grid_axis.h"
#include "grids/grid_types.h"

namespace grids {

// Column width for `textLength` characters of a font whose "0" is
// `zeroWidth` wide with the given overhang; at least a caption's width + 4
// (captionWidth < 0: no caption).
constexpr int TextWidthToColWidth(int textLength, int zeroWidth, int overhang, int captionWidth = -1) noexcept
{
    const int64_t w = int64_t{textLength} * (zeroWidth - overhang) + overhang + 4;
    const int64_t c = captionWidth >= 0 ? int64_t{captionWidth} + 4 : w;
    const int64_t r = w > c ? w : c;
    return r > INT32_MAX ? INT32_MAX : r < INT32_MIN ? INT32_MIN : static_cast<int>(r);
}

class TGridModel {
public:
    static constexpr int TimerInterval = 60;  // ms between automatic-scroll steps
    static constexpr int GrabZone = 7;        // width of a sizing grab zone
    static constexpr int ScrollScale = 127;   // scroll bars run 0..127

    TGridModel();
    virtual ~TGridModel() = default;
    TGridModel(const TGridModel&) = delete;
    TGridModel& operator=(const TGridModel&) = delete;

    // --- Counts, sizes, options ---
    int32_t ColCount() const noexcept { return FCols.Count(); }
    int32_t RowCount() const noexcept { return FRows.Count(); }
    int32_t FixedCols() const noexcept { return FCols.Fixed(); }
    int32_t FixedRows() const noexcept { return FRows.Fixed(); }
    void SetColCount(int32_t value);
    void SetRowCount(int32_t value);
    void SetFixedCols(int32_t value);
    void SetFixedRows(int32_t value);

    int32_t DefaultColWidth() const noexcept { return FCols.DefaultExtent(); }
    int32_t DefaultRowHeight() const noexcept { return FRows.DefaultExtent(); }
    void SetDefaultColWidth(int32_t value);
    void SetDefaultRowHeight(int32_t value);
    int GridLineWidth() const noexcept { return FGridLineWidth; }
    void SetGridLineWidth(int value);

    int32_t ColWidths(int32_t i) const noexcept { return FCols.Extent(i); }
    int32_t RowHeights(int32_t i) const noexcept { return FRows.Extent(i); }
    bool TabStops(int32_t i) const noexcept { return FTabStops.Get(i, 1) != 0; }
    // First column at or after i with a tab stop, or ColCount(); last at or before i, or -1.
    int32_t NextTabStop(int32_t i) const;
    int32_t PrevTabStop(int32_t i) const;
    TAlignment ColAlignments(int32_t i) const noexcept;
    void SetColWidths(int32_t i, int32_t value);
    void SetRowHeights(int32_t i, int32_t value);
    void SetTabStops(int32_t i, bool value);
    void SetColAlignments(int32_t i, TAlignment value);
    TAlignment DefaultColAlignment() const noexcept { return FDefaultColAlignment; }
    void SetDefaultColAlignment(TAlignment a) noexcept { FDefaultColAlignment = a; }
    bool HasColWidths() const noexcept { return FCols.Sizes().Exists(); }
    bool HasRowHeights() const noexcept { return FRows.Sizes().Exists(); }

    TGridOptions Options() const noexcept { return FOptions; }
    void SetOptions(TGridOptions value);
    bool RightToLeft() const noexcept { return FRightToLeft; }
    void SetRightToLeft(bool value);
    TScrollStyle ScrollBars() const noexcept { return FScrollBars; }
    void SetScrollBars(TScrollStyle s) { FScrollBars = s; UpdateScrollRange(); }

    bool VirtualView() const noexcept { return FVirtualView; }
    void SetVirtualView(bool v) noexcept { FVirtualView = v; }
    // Width of the character "0": the line step of a single-column grid's pixel scroller.
    void SetCharWidth(int w) noexcept { FCharWidth = w > 0 ? w : 1; }

    const TGridAxis& Cols() const noexcept { return FCols; }
    const TGridAxis& Rows() const noexcept { return FRows; }

    // --- Client area ---
    int ClientWidth() const noexcept { return FClientWidth; }
    int ClientHeight() const noexcept { return FClientHeight; }
    void SetClientSize(int width, int height);

    // --- Position and selection ---
    TGridCoord Current() const noexcept { return FCurrent; }
    TGridCoord Anchor() const noexcept { return FAnchor; }
    TGridCoord TopLeft() const noexcept { return FTopLeft; }
    int32_t Col() const noexcept { return FCurrent.X; }
    int32_t Row() const noexcept { return FCurrent.Y; }
    void SetCol(int32_t value);
    void SetRow(int32_t value);
    int32_t LeftCol() const noexcept { return FTopLeft.X; }
    int32_t TopRow() const noexcept { return FTopLeft.Y; }
    void SetLeftCol(int32_t value);
    void SetTopRow(int32_t value);
    TGridRect Selection() const noexcept { return GridRect(FCurrent, FAnchor); }
    int32_t VisibleColCount() const;
    int32_t VisibleRowCount() const;
    int ColOffset() const noexcept { return FColOffset; }

    // --- Layout ---
    TGridDrawInfo CalcDrawInfo() const { return CalcDrawInfoXY(FClientWidth, FClientHeight); }
    TGridDrawInfo CalcDrawInfoXY(int width, int height) const;
    TGridDrawInfo CalcFixedInfo() const;
    TGridCoord CalcCoordFromPoint(int x, int y, const TGridDrawInfo& info) const;
    TGridCoord MouseCoord(int x, int y) const;
    void MouseToCell(int x, int y, int32_t& col, int32_t& row) const;
    TRect CellRect(int32_t col, int32_t row) const;
    TRect BoxRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const;
    TRect GridRectToScreenRect(TGridRect rect, bool includeLine) const;
    TGridCoord CalcMaxTopLeft(TGridCoord coord, const TGridDrawInfo& info) const;
    // The cells painting visits on one axis, in client coordinates: the fixed
    // cells, then the scrolling cells from the first shown one to the partly
    // visible one. Hidden cells are left out.
    std::vector<TGridCellSpan> AxisCells(const TGridDrawInfo& info, bool horizontal) const;
    TGridCoord MaxTopLeft() const;

    // --- Moving the current cell and the view ---
    void MoveColRow(int32_t col, int32_t row, bool moveAnchor, bool show);
    void MoveCurrent(int32_t col, int32_t row, bool moveAnchor, bool show);
    void FocusCell(int32_t col, int32_t row, bool moveAnchor);
    void MoveAnchor(TGridCoord newAnchor);
    void ClampInView(TGridCoord coord);
    void MoveTopLeft(int32_t left, int32_t top);

    // --- Scroll bars ---
    int ScrollRange(TScrollBarKind bar) const noexcept { return bar == sbHorizontal ? FHorzRange : FVertRange; }
    int ScrollPos(TScrollBarKind bar) const noexcept { return bar == sbHorizontal ? FHorzPos : FVertPos; }
    void UpdateScrollRange();
    void UpdateScrollPos();
    void ModifyScrollBar(TScrollBarKind bar, TScrollCode code, int pos, bool useRightToLeft = true);

    // --- Moving and deleting columns and rows ---
    void MoveColumn(int32_t from, int32_t to);
    void MoveRow(int32_t from, int32_t to);
    void DeleteColumn(int32_t col);
    void DeleteRow(int32_t row);

    // --- Updating ---
    void BeginUpdate() noexcept { ++FUpdateCount; }
    void EndUpdate();
    bool IsUpdating() const noexcept { return FUpdateCount > 0; }
    void InvalidateGrid();
    void InvalidateCell(int32_t col, int32_t row);
    void InvalidateRect(TGridRect rect);
    // A whole column (row) as far as it is on screen: its fixed cells and the shown scrolling ones.
    void InvalidateCol(int32_t col);
    void InvalidateRow(int32_t row);
    // Scales the default and every stored size by m / d (resolution change).
    void ChangeScale(int m, int d);

    // --- Editor ---
    bool EditorMode() const noexcept { return FEditorMode; }
    void SetEditorMode(bool value);
    void ShowEditor();
    void HideEditor();
    // Whether the in-place editor is to be shown; `gridIsActive` tells whether
    // the grid is the active control (the control knows its form and focus).
    bool CanEditShow(bool gridIsActive) const noexcept
    {
        return FOptions.Contains(goEditing) && !FOptions.Contains(goRowSelect) && FEditorMode &&
               (FOptions.Contains(goAlwaysShowEditor) || gridIsActive);
    }
    int32_t InplaceCol() const noexcept { return FInplaceCol; }
    int32_t InplaceRow() const noexcept { return FInplaceRow; }
    void SetInplaceCell(int32_t col, int32_t row) noexcept { FInplaceCol = col; FInplaceRow = row; }

    // --- Keyboard and mouse ---
    void KeyDown(int key, TGridShift shift);
    bool KeyPress(char16_t ch);
    // A character message: true when it opened the editor, so that the control
    // hands the character to the editor window (once) as its first keystroke.
    bool CharMessage(char16_t ch);
    TGridDlgCode DlgCode() const;
    bool MouseWheel(bool down);
    void MouseDown(TMouseButton button, TGridShift shift, int x, int y, bool doubleClick = false, int64_t timeMs = 0);
    void MouseMove(TGridShift shift, int x, int y);
    void MouseUp(TMouseButton button, TGridShift shift, int x, int y);
    // Runs the automatic-scroll steps that are due at `nowMs`, the pointer being at (x, y).
    void TimerElapsed(int64_t nowMs, int x, int y);
    void CancelMode();
    void MouseLeave();
    bool Sizing(int x, int y) const;
    struct TSizingHit {
        TGridState State = gsNormal;
        int32_t Index = -1;
        int Pos = 0, Ofs = 0;
    };
    TSizingHit CalcSizingState(int x, int y) const;

    // Touch panning: whole rows (columns) per cell of travel.
    void PanBegin(int x, int y) noexcept { FPanPoint = {x, y}; }
    void PanUpdate(int x, int y);

    TGridState GridState() const noexcept { return FGridState; }
    int32_t SizingIndex() const noexcept { return FSizingIndex; }
    int SizingPos() const noexcept { return FSizingPos; }
    int32_t MoveIndex() const noexcept { return FMoveIndex; }
    int32_t MovePos() const noexcept { return FMovePos; }
    const THotTrackCellInfo& HotTrackCell() const noexcept { return FHotTrackCell; }
    bool TimerRunning() const noexcept { return FTimerRunning; }

protected:
    // Overridable operations; the base behaviour is noted with each.
    virtual bool SelectCell(int32_t, int32_t) { return true; }
    virtual void TopLeftChanged() {}
    virtual void SizeChanged(int32_t, int32_t) {}
    virtual void ColumnMoved(int32_t, int32_t) {}
    virtual void RowMoved(int32_t, int32_t) {}
    virtual void ColWidthsChanged() { UpdateScrollRange(); UpdateEdit(); }
    virtual void RowHeightsChanged() { UpdateScrollRange(); UpdateEdit(); }
    virtual void SelectionMoved(TGridRect oldSel);
    virtual void TimedScroll(TGridScrollDirections direction);
    virtual bool CanGridAcceptKey(int, TGridShift) { return true; }
    virtual void FixedCellClick(int32_t, int32_t) {}
    virtual bool BeginColumnDrag(int32_t&, int32_t&) { return true; }
    virtual bool CheckColumnDrag(int32_t&, int32_t&) { return true; }
    virtual bool EndColumnDrag(int32_t&, int32_t&) { return true; }
    virtual bool BeginRowDrag(int32_t&, int32_t&) { return true; }
    virtual bool CheckRowDrag(int32_t&, int32_t&) { return true; }
    virtual bool EndRowDrag(int32_t&, int32_t&) { return true; }
    virtual TGridRect CalcExpandedCellRect(TGridCoord c) { return {c.X, c.Y, c.X, c.Y}; }

    // View requests carried out by the control.
    virtual void InvalidatePixels(const TRect&) {}
    virtual void InvalidateWindow() {}
    virtual void ScrollPixels(const TRect& /*band*/, int /*dx*/, int /*dy*/) {}
    virtual void FlushPainting() {}
    virtual void ScrollBarsChanged() {}
    virtual void HideEdit() {}     // hand the editor's text back, forget its cell, hide it
    virtual void UpdateEdit() {}   // show or move the editor when it is wanted
    // Whether the editor is wanted and really on screen. The window can be
    // hidden behind the mode's back (its cell scrolled away, the window
    // recreated); Enter then opens it again instead of closing what is not seen.
    virtual bool EditorShowing() const { return FEditorMode; }
    virtual void ShowEditorChar(char16_t) { ShowEditor(); }
    virtual void DeselectEditor() {}  // caret to the end of the editor's text, nothing selected
    virtual void Click() {}
    virtual void DblClick() {}
    virtual void DrawSizingLine() {}  // exclusive-or line at SizingPos(); drawing twice erases
    virtual void DrawMovement() {}    // exclusive-or drop marker at MovePos()
    virtual void StartTimer() {}
    virtual void StopTimer() {}

    void Initialize();

private:
    void ChangeSize(int32_t newColCount, int32_t newRowCount);
    void SetExtent(TGridAxis& axis, int32_t i, int32_t value, bool cols);
    static void EnsureArray(TRunArray& a, int32_t count, int32_t fill);
    void CalcAxis(TGridAxisDrawInfo& ai, const TGridAxis& axis) const;
    void CalcFixedAxis(TGridAxisDrawInfo& ai, const TGridAxis& axis, bool lines, int32_t first, int extent) const;
    bool AxisSpan(const TGridAxisDrawInfo& ai, const TGridAxis& axis, int32_t lo, int32_t hi, bool includeLine,
                  int& start, int& end) const;
    int32_t AxisCoord(const TGridAxisDrawInfo& ai, const TGridAxis& axis, int pos) const;
    int32_t AxisMaxTopLeft(const TGridAxisDrawInfo& ai, const TGridAxis& axis, int32_t coord) const;
    void TopLeftMoved(TGridCoord old);
    void ScrollDataInfo(int dx, int dy, const TGridDrawInfo& info);
    int32_t ScrollAxis(TScrollBarKind bar, TScrollCode code, int pos, bool useRightToLeft);
    void PixelScroll(TScrollCode code, int pos, bool useRightToLeft);
    void MoveAxisItem(bool cols, int32_t from, int32_t to);
    void MoveAndScroll(int mouse, int32_t cellHit, bool cols);
    int32_t LeadingEdge(const TGridAxisDrawInfo& ai, const TGridAxis& axis, int32_t cell) const;
    void StartGridTimer(int64_t timeMs);
    void StopGridTimer();
    void TimerStep(int x, int y);
    void UpdateHotTrack(int x, int y);

    TGridAxis FCols{5, 1, 64};
    TGridAxis FRows{5, 1, 24};
    TRunArray FTabStops;
    TRunArray FColAlignments;
    TAlignment FDefaultColAlignment = taLeftJustify;
    int FGridLineWidth = 1;
    TGridOptions FOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goFixedRowDefAlign};
    TScrollStyle FScrollBars = ssBoth;
    bool FRightToLeft = false;
    bool FVirtualView = false;
    int FCharWidth = 8;
    int FClientWidth = 320;
    int FClientHeight = 120;

    TGridCoord FCurrent{1, 1};
    TGridCoord FAnchor{1, 1};
    TGridCoord FTopLeft{1, 1};
    int FColOffset = 0;
    int FUpdateCount = 0;
    int FHorzRange = 0, FVertRange = 0, FHorzPos = 0, FVertPos = 0;

    bool FEditorMode = false;
    int32_t FInplaceCol = -1, FInplaceRow = -1;
    bool FEditorModeBeforeMoving = false;

    TGridState FGridState = gsNormal;
    int32_t FSizingIndex = -1;
    int FSizingPos = 0, FSizingOfs = 0;
    int32_t FMoveIndex = -1, FMovePos = -1;
    THotTrackCellInfo FHotTrackCell;
    TGridCoord FPanPoint{0, 0};
    bool FTimerRunning = false;
    int64_t FTimerStart = 0;
    int64_t FTimerSteps = 0;
};

} // namespace grids
