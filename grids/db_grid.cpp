// The data grid: construction, options, the layout pass that rebuilds the
// columns and geometry from the dataset, and the reactions to dataset events.
#include "grids/db_grid.h"

#include <algorithm>
#include <cstdlib>

#include "data/field.h"
#include "grids/grid_errors.h"
#include "platform/syscolors.h"

namespace grids {

using namespace components;
using data::TDataSetState;

TGridOptions GridOptionsFor(TDBGridOptions o)
{
    TGridOptions g;
    if (o.Contains(dgEditing))
        g = g + TGridOptions{goEditing};
    if (o.Contains(dgAlwaysShowEditor))
        g = g + TGridOptions{goAlwaysShowEditor};
    if (o.Contains(dgColumnResize))
        g = g + TGridOptions{goColSizing, goColMoving};
    if (o.Contains(dgColLines))
        g = g + TGridOptions{goFixedVertLine, goVertLine};
    if (o.Contains(dgRowLines))
        g = g + TGridOptions{goFixedHorzLine, goHorzLine};
    if (o.Contains(dgTabs))
        g = g + TGridOptions{goTabs};
    if (o.Contains(dgRowSelect))
        g = g + TGridOptions{goRowSelect};
    if (o.Contains(dgTitleClick))
        g = g + TGridOptions{goFixedRowClick};
    if (o.Contains(dgTitleHotTrack))
        g = g + TGridOptions{goFixedHotTrack};
    return g;
}

// ---- construction ----------------------------------------------------------------------------

TCustomDBGrid::TCustomDBGrid(TComponent* owner)
    : TCustomGrid(owner), FTitleFont(std::make_unique<controls::TFont>())
{
    // The data grid paints every cell itself.
    TCustomGrid::SetDefaultDrawing(false);
    SetVirtualView(true);
    SetScrollBars(TScrollStyle::ssHorizontal);
    SetOptions(GridOptionsFor(FOptions));
    FColumns = std::make_unique<TDBGridColumns>(this, TColumn::StaticClass());
    SetRowCount(2);
    SetColCount(2);
    FDataLink = std::make_unique<TGridDataLink>(this);
    SetColor(core::clWindow);
    SetParentColor(false);
    FTitleFont->Assign(Font());
    FTitleFont->OnChange = core::Closure<void(TObject*)>(this, &TCustomDBGrid::TitleFontChanged);
    SetColWidths(0, FIndicatorWidth);
    HideEditor();
}

TCustomDBGrid::~TCustomDBGrid()
{
    FColumns->Clear();
    FDataLink->SetDataSource(nullptr);
    FDataLink.reset();
}

void TCustomDBGrid::CheckUniDirectional(data::TDataSource* source) const
{
    if (source && source->DataSet() && source->DataSet()->IsUniDirectional())
        data::DatabaseError(core::FromAscii(SDataSetUnidirectional));
}

void TCustomDBGrid::SetDataSource(data::TDataSource* value)
{
    if (value == FDataLink->DataSource())
        return;
    CheckUniDirectional(value);
    FBookmarks.Clear();
    FDataLink->SetDataSource(value);
    if (value)
        value->FreeNotification(this);
}

void TCustomDBGrid::SetColumns(TDBGridColumns* value)
{
    if (value)
        FColumns->Assign(value);
}

void TCustomDBGrid::SetDBOptions(TDBGridOptions value)
{
    if (value.Contains(dgRowSelect))
        value = value - TDBGridOptions{dgEditing, dgAlwaysShowEditor};
    if (value == FOptions)
        return;
    SetOptions(GridOptionsFor(value));
    if (FOptions.Contains(dgMultiSelect) && !value.Contains(dgMultiSelect))
        FBookmarks.Clear();
    const TDBGridOptions layout{dgEditing,  dgAlwaysShowEditor, dgTitles,    dgIndicator,
                                dgColLines, dgRowLines,         dgRowSelect, dgAlwaysShowSelection};
    const TDBGridOptions changed = (FOptions - value) + (value - FOptions);
    FOptions = value;
    if (!(changed * layout).Empty())
        LayoutChanged();
}

void TCustomDBGrid::SetDefaultDrawingDB(bool value)
{
    if (value == FDefaultDrawing)
        return;
    FDefaultDrawing = value;
    InvalidateGrid();
}

data::TField* TCustomDBGrid::SelectedField() const
{
    const int32_t i = SelectedIndex();
    if (i < 0 || i >= FColumns->Count())
        return nullptr;
    return FColumns->Items(i)->Field();
}

void TCustomDBGrid::SetSelectedIndex(int32_t value) { MoveCol(DataToRawColumn(value), 0); }

bool TCustomDBGrid::SelectFieldColumn(data::TField* field)
{
    for (int i = 0; i < FColumns->Count(); ++i) {
        TColumn* c = FColumns->Items(i);
        if (c->Showing() && c->Field() == field) {
            MoveCol(DataToRawColumn(i), 0);
            return true;
        }
    }
    return false;
}

void TCustomDBGrid::Loaded()
{
    TCustomGrid::Loaded();
    if (FColumns->Count() > 0)
        SetColCount(FColumns->Count() + FIndicatorOffset);
    LayoutChanged();
}

void TCustomDBGrid::CreateWnd()
{
    TCustomGrid::CreateWnd();
    if (FDataLink->Active()) {
        UpdateRowCount();
        UpdateScrollBar();
        UpdateActive();
    }
}

void TCustomDBGrid::FontChanged()
{
    TCustomGrid::FontChanged();
    if (!FColumns)
        return;
    if (ParentFont() || InState(TComponentState::csLoading)) {
        FSelfChangingTitleFont = true;
        FTitleFont->Assign(Font());
        FSelfChangingTitleFont = false;
    }
    BeginLayout();
    try {
        for (int i = 0; i < FColumns->Count(); ++i)
            FColumns->Items(i)->RefreshDefaultFont();
    } catch (...) {
        EndLayout();
        throw;
    }
    EndLayout();
}

void TCustomDBGrid::TitleFontChanged(TObject*)
{
    if (!FSelfChangingTitleFont && !InState(TComponentState::csLoading))
        SetParentFont(false);
    if (FOptions.Contains(dgTitles))
        LayoutChanged();
}

void TCustomDBGrid::Notification(TComponent* component, TOperation operation)
{
    TCustomGrid::Notification(component, operation);
    if (operation != TOperation::opRemove || !FDataLink)
        return;
    if (component == FDataLink->DataSource()) {
        SetDataSource(nullptr);
        return;
    }
    if (auto* f = dynamic_cast<data::TField*>(component))
        FieldDestroyed(f);
}

void TCustomDBGrid::FieldDestroyed(data::TField* field)
{
    bool bound = false;
    for (int i = 0; i < FColumns->Count(); ++i)
        bound = bound || FColumns->Items(i)->Field() == field;
    if (!bound)
        return;
    BeginLayout();
    for (int i = 0; i < FColumns->Count(); ++i)
        if (FColumns->Items(i)->Field() == field)
            FColumns->Items(i)->FieldDestroyed();
    data::TDataSet* ds = FDataLink->DataSet();
    if (ds && !ds->InState(TComponentState::csDestroying) && !ds->ControlsDisabled())
        EndLayout();
    else
        CancelLayout();
}

// ---- layout ----------------------------------------------------------------------------------

void TCustomDBGrid::EndUpdate()
{
    if (FUpdateLock > 0)
        --FUpdateLock;
}

void TCustomDBGrid::BeginLayout()
{
    BeginUpdate();
    if (FLayoutLock == 0)
        FColumns->BeginUpdate();
    ++FLayoutLock;
}

void TCustomDBGrid::EndLayout()
{
    if (FLayoutLock == 0)
        return;
    if (FLayoutLock == 1) {
        try {
            InternalLayout();
        } catch (...) {
            FColumns->EndUpdate();
            --FLayoutLock;
            EndUpdate();
            throw;
        }
        FColumns->EndUpdate();
    }
    --FLayoutLock;
    EndUpdate();
}

void TCustomDBGrid::CancelLayout()
{
    if (FLayoutLock == 0)
        return;
    if (FLayoutLock == 1)
        FColumns->EndUpdate();
    --FLayoutLock;
    EndUpdate();
}

bool TCustomDBGrid::AcquireLayoutLock()
{
    if (FUpdateLock != 0 || FLayoutLock != 0)
        return false;
    BeginLayout();
    return true;
}

void TCustomDBGrid::LayoutChanged()
{
    if (AcquireLayoutLock())
        EndLayout();
}

int TCustomDBGrid::CalcColWidth(int length, const std::u16string& caption, const TColumn* column) const
{
    const platform::Font f = Font()->Handle();
    const int zero = f.TextExtent(u"0").cx;
    const int overhang = f.Metrics().tmOverhang;
    int captionWidth = -1;
    if (column && FOptions.Contains(dgTitles))
        captionWidth = column->Title()->Font()->Handle().TextExtent(caption).cx;
    return TextWidthToColWidth(length, zero, overhang, captionWidth);
}

int TCustomDBGrid::ColWidthToTextLength(int width, controls::TFont* font) const
{
    const platform::Font f = (font ? font : Font())->Handle();
    const int overhang = f.Metrics().tmOverhang;
    const int step = f.TextExtent(u"0").cx - overhang;
    // A font whose "0" has no advance cannot measure characters.
    if (step <= 0)
        return 0;
    return (width - overhang - 4) / step;
}

void TCustomDBGrid::DefineFieldMap()
{
    if (FColumns->State() == TDBGridColumnsState::csCustomized) {
        FDataLink->SetSparseMap(true);
        for (int i = 0; i < FColumns->Count(); ++i)
            FDataLink->AddMapping(FColumns->Items(i)->FieldName());
        return;
    }
    FDataLink->SetSparseMap(false);
    data::TDataSet* ds = FDataLink->DataSet();
    for (int i = 0; i < ds->Fields().Count(); ++i)
        if (data::TField* f = ds->Fields()[i]; f->Visible())
            FDataLink->AddMapping(f->FullName());
}

void TCustomDBGrid::ResetColumnFieldBindings()
{
    if (FColumns->State() == TDBGridColumnsState::csCustomized) {
        for (int i = 0; i < FColumns->Count(); ++i)
            FColumns->Items(i)->SetField(nullptr);
        return;
    }
    if (!FDataLink->Active() && FDataLink->DefaultFields()) {
        FColumns->Clear();
    } else {
        for (int i = FColumns->Count() - 1; i >= 0; --i) {
            data::TField* f = FColumns->Items(i)->Field();
            bool mapped = false;
            for (int32_t m = 0; f && m < FDataLink->FieldCount() && !mapped; ++m)
                mapped = FDataLink->Fields(m) == f;
            if (!mapped)
                FColumns->Delete(i);
        }
    }
    int32_t n = FDataLink->FieldCount();
    if (n == 0 && FColumns->Count() == 0)
        n = 1;
    for (int32_t i = 0; i < n; ++i) {
        data::TField* f = FDataLink->Fields(i);
        TColumn* column = nullptr;
        if (f)
            for (int j = i; j < FColumns->Count() && !column; ++j)
                if (FColumns->Items(j)->Field() == f)
                    column = FColumns->Items(j);
        if (!column) {
            column = FColumns->Add();
            column->SetStored(false);
            column->SetField(f);
        }
        if (column->Index() != i)
            column->TCollectionItem::SetIndex(i);
    }
}

void TCustomDBGrid::MeasureRowHeights()
{
    const int textHeight = Font()->Handle().TextExtent(u"Wg").cy;
    int rowHeight = textHeight + 3;
    if (FOptions.Contains(dgRowLines))
        rowHeight += GridLineWidth();
    SetDefaultRowHeight(rowHeight);
    if (!FOptions.Contains(dgTitles) || FTitleOffset == 0)
        return;
    int titleHeight = 0;
    for (int i = 0; i < FColumns->Count(); ++i)
        if (FColumns->Items(i)->Showing())
            titleHeight = std::max(titleHeight, FColumns->Items(i)->Title()->Font()->Handle().TextExtent(u"Wg").cy + 4);
    if (titleHeight == 0)
        titleHeight = FTitleFont->Handle().TextExtent(u"Wg").cy + 4;
    SetRowHeights(0, titleHeight);
}

void TCustomDBGrid::SetColumnAttributes()
{
    const bool active = FDataLink->Active();
    for (int i = 0; i < FColumns->Count(); ++i) {
        TColumn* c = FColumns->Items(i);
        data::TField* f = c->Field();
        const bool stop = c->Showing() && !c->ReadOnly() && active && f && !f->Calculated() && !f->ReadOnly();
        const int32_t raw = DataToRawColumn(i);
        SetTabStops(raw, stop);
        SetColWidths(raw, c->Width());
    }
    if (FOptions.Contains(dgIndicator))
        SetColWidths(0, FIndicatorWidth);
}

void TCustomDBGrid::InternalLayout()
{
    if (InState(TComponentState::csLoading) || InState(TComponentState::csDestroying))
        return;
    // A collection that mixes made columns with stored ones keeps the stored ones.
    bool sawDynamic = false, mixed = false;
    for (int i = 0; i < FColumns->Count(); ++i) {
        if (!FColumns->Items(i)->Stored())
            sawDynamic = true;
        else if (sawDynamic)
            mixed = true;
    }
    if (mixed)
        for (int i = FColumns->Count() - 1; i >= 0; --i)
            if (!FColumns->Items(i)->Stored())
                FColumns->Delete(i);

    FIndicatorOffset = FOptions.Contains(dgIndicator) ? 1 : 0;
    FDataLink->ClearMapping();
    if (FDataLink->Active())
        DefineFieldMap();
    ResetColumnFieldBindings();

    const int32_t cols = FColumns->Count() + FIndicatorOffset;
    if (FixedCols() >= cols)
        SetFixedCols(0);
    SetColCount(cols);
    SetFixedCols(FIndicatorOffset);
    FTitleOffset = FOptions.Contains(dgTitles) ? 1 : 0;
    UpdateRowCount();
    MeasureRowHeights();
    SetColumnAttributes();
    UpdateActive();
    InvalidateGrid();
}

// ---- record window ---------------------------------------------------------------------------

void TCustomDBGrid::UpdateRowCount()
{
    const int32_t old = RowCount();
    if (RowCount() <= FTitleOffset)
        SetRowCount(FTitleOffset + 1);
    if (FixedRows() != FTitleOffset) {
        if (Row() < FTitleOffset)
            FocusCell(Col(), FTitleOffset, true);
        SetFixedRows(FTitleOffset);
    }
    if (FDataLink->Active() && FDataLink->RecordCount() > 0 && HandleAllocated()) {
        SetRowCount(1000);
        // The window always holds at least the current record, also when no
        // row fits the client area.
        FDataLink->SetBufferCount(std::max(1, VisibleRowCount()));
        SetRowCount(std::max(1, FDataLink->RecordCount()) + FTitleOffset);
        if (FOptions.Contains(dgRowSelect))
            SetTopRow(FixedRows());
        UpdateActive();
    } else {
        SetRowCount(FTitleOffset + 1);
    }
    if (old != RowCount())
        InvalidateGrid();
}

void TCustomDBGrid::UpdateActive()
{
    if (!FDataLink->Active() || !HandleAllocated() || InState(TComponentState::csLoading))
        return;
    const int32_t row = std::min(FDataLink->ActiveRecord() + FTitleOffset, RowCount() - 1);
    if (row != Row() && row >= FTitleOffset) {
        if (!FOptions.Contains(dgAlwaysShowEditor))
            HideEditor();
        MoveColRow(std::max(Col(), FixedCols()), row, false, false);
        InvalidateEditor();
    }
    data::TField* f = SelectedField();
    if (f && f->Text() != FEditText)
        InvalidateEditor();
}

void TCustomDBGrid::LinkActive(bool value)
{
    if (!value)
        HideEditor();
    FBookmarks.LinkActive(value);
    try {
        LayoutChanged();
    } catch (...) {
        UpdateScrollBar();
        throw;
    }
    UpdateScrollBar();
    if (value && FOptions.Contains(dgAlwaysShowEditor))
        ShowEditor();
}

void TCustomDBGrid::DataChanged()
{
    if (!HandleAllocated())
        return;
    UpdateRowCount();
    UpdateScrollBar();
    UpdateActive();
    InvalidateEditor();
    InvalidateGrid();
}

void TCustomDBGrid::Scroll(int distance)
{
    if (!HandleAllocated())
        return;
    const TRect oldRow = BoxRect(0, Row(), ColCount() - 1, Row());
    if (FDataLink->ActiveRecord() >= RowCount() - FTitleOffset)
        UpdateRowCount();
    UpdateScrollBar();
    UpdateActive();
    InvalidatePixels(oldRow);
    InvalidatePixels(BoxRect(0, Row(), ColCount() - 1, Row()));
    if (distance != 0) {
        HideEditor();
        if (std::abs(distance) > VisibleRowCount()) {
            InvalidateGrid();
        } else {
            const TGridDrawInfo info = CalcDrawInfo();
            const int pitch = DefaultRowHeight() + (FOptions.Contains(dgRowLines) ? GridLineWidth() : 0);
            const TRect first = CellRect(0, FTitleOffset);
            const TRect band{0, info.Vert.FixedBoundary, info.Horz.GridExtent,
                             std::max(first.Bottom, info.Vert.GridExtent)};
            if (FOptions.Contains(dgIndicator) && FSelRow >= FTitleOffset)
                InvalidateCell(0, FSelRow);
            ScrollPixels(band, 0, -pitch * distance);
            if (FOptions.Contains(dgIndicator))
                InvalidateCell(0, Row());
        }
        if (FOptions.Contains(dgAlwaysShowEditor))
            ShowEditor();
    }
    if (!UpdateLocked())
        FlushPainting();
}

void TCustomDBGrid::RecordChanged(data::TField* field)
{
    if (!HandleAllocated())
        return;
    if (!field) {
        InvalidateGrid();
    } else {
        for (int i = 0; i < FColumns->Count(); ++i)
            if (FColumns->Items(i)->Field() == field)
                InvalidateCol(DataToRawColumn(i));
    }
    data::TField* selected = SelectedField();
    if ((!field || field == selected) && selected && selected->Text() != FEditText) {
        InvalidateEditor();
        DeselectEditor();
    }
}

void TCustomDBGrid::EditingChanged()
{
    if (FOptions.Contains(dgIndicator) && FSelRow >= 0 && FSelRow < RowCount())
        InvalidateCell(0, FSelRow);
}

void TCustomDBGrid::UpdateData()
{
    data::TField* f = SelectedField();
    if (f && f->Text() != FEditText)
        f->SetText(FEditText);
}

void TCustomDBGrid::UpdateScrollBar()
{
    if (!FDataLink->Active() || !HandleAllocated())
        return;
    data::TDataSet* ds = FDataLink->DataSet();
    platform::SCROLLINFO si;
    si.fMask = platform::SIF_ALL;
    bool show = true;
    if (ds->IsSequenced()) {
        const int count = ds->RecordCount();
        show = count > 1;
        const int page = std::max(1, VisibleRowCount());
        si.nMin = 1;
        si.nPage = static_cast<platform::UINT>(page);
        si.nMax = std::max(1, count) + page - 1;
        const TDataSetState st = ds->State();
        if (st == TDataSetState::dsInactive || st == TDataSetState::dsBrowse || st == TDataSetState::dsEdit)
            si.nPos = std::max(1, ds->RecNo());
        else {
            platform::SCROLLINFO cur;
            platform::GetScrollInfo(Handle(), platform::SB_VERT, cur);
            si.nPos = cur.nPos;
        }
    } else {
        si.nMin = 0;
        si.nMax = 4;
        si.nPage = 0;
        si.nPos = ds->Bof() ? 0 : ds->Eof() ? 4 : 2;
    }
    platform::ShowScrollBar(Handle(), platform::SB_VERT, show);
    if (show)
        platform::SetScrollInfo(Handle(), platform::SB_VERT, si, true);
}

// ---- the link --------------------------------------------------------------------------------

TGridDataLink::TGridDataLink(TCustomDBGrid* grid) : FGrid(grid) { SetVisualControl(true); }

void TGridDataLink::AddMapping(const std::u16string& fieldName)
{
    if (static_cast<int32_t>(FFieldMap.size()) >= MaxMapSize)
        InvalidOp(STooManyColumns);
    data::TDataSet* ds = DataSet();
    data::TField* f = nullptr;
    if (ds)
        f = FSparseMap ? (fieldName.empty() ? nullptr : ds->FindField(fieldName)) : ds->FieldByName(fieldName);
    FFieldMap.push_back(f ? ds->Fields().IndexOf(f) : -1);
    if (f)
        FGrid->FreeNotification(f);
}

int32_t TGridDataLink::GetMappedIndex(int32_t i) const
{
    return i >= 0 && i < FieldCount() ? FFieldMap[static_cast<size_t>(i)] : -1;
}

data::TField* TGridDataLink::Fields(int32_t i) const
{
    const int32_t m = GetMappedIndex(i);
    data::TDataSet* ds = DataSet();
    if (m < 0 || !ds || m >= ds->Fields().Count())
        return nullptr;
    return ds->Fields()[m];
}

bool TGridDataLink::DefaultFields() const
{
    if (FSparseMap)
        for (int32_t m : FFieldMap)
            if (m < 0)
                return false;
    data::TDataSet* ds = DataSet();
    return !ds || ds->DefaultFields();
}

void TGridDataLink::Reset()
{
    if (FModified)
        RecordChanged(nullptr);
    else if (DataSet())
        DataSet()->Cancel();
}

void TGridDataLink::ActiveChanged()
{
    if (Active() && DataSet() && DataSet()->IsUniDirectional())
        data::DatabaseError(core::FromAscii(SDataSetUnidirectional));
    FGrid->LinkActive(Active());
    FModified = false;
}

void TGridDataLink::DataSetChanged()
{
    FGrid->DataChanged();
    FModified = false;
}

void TGridDataLink::DataSetScrolled(int distance) { FGrid->Scroll(distance); }

void TGridDataLink::FocusControl(data::TField** fieldRef)
{
    if (!fieldRef || !*fieldRef)
        return;
    if (FGrid->SelectFieldColumn(*fieldRef) && FGrid->AcquireFocus()) {
        *fieldRef = nullptr;
        FGrid->ShowEditor();
    }
}

void TGridDataLink::EditingChanged() { FGrid->EditingChanged(); }

void TGridDataLink::LayoutChanged()
{
    FGrid->FLayoutFromDataset = true;
    try {
        FGrid->LayoutChanged();
    } catch (...) {
        FGrid->FLayoutFromDataset = false;
        throw;
    }
    FGrid->FLayoutFromDataset = false;
    data::TDataLink::LayoutChanged();
}

void TGridDataLink::RecordChanged(data::TField* field)
{
    if (FModified && field && field->FieldKind() == data::TFieldKind::fkData && field != FGrid->SelectedField() &&
        !FInUpdateData)
        UpdateData();
    FGrid->RecordChanged(field);
    FModified = false;
}

void TGridDataLink::UpdateData()
{
    FInUpdateData = true;
    try {
        if (FModified)
            FGrid->UpdateData();
        FModified = false;
    } catch (...) {
        FInUpdateData = false;
        throw;
    }
    FInUpdateData = false;
}

DEFINE_CLASS(TGridDataLink)
END_CLASS

// ---- multi-selection -------------------------------------------------------------------------

data::TDataSet* TBookmarkList::DataSet() const { return FGrid->DataLink()->DataSet(); }

data::TBookmark TBookmarkList::CurrentRow() const
{
    if (!FLinkActive || !DataSet())
        InvalidOp(SDataSetClosed);
    return DataSet()->Bookmark();
}

bool TBookmarkList::CurrentRowSelected() const
{
    const data::TBookmark b = CurrentRow();
    int index = 0;
    return !b.empty() && Find(b, index);
}

void TBookmarkList::SetCurrentRowSelected(bool value)
{
    const data::TBookmark b = CurrentRow();
    if (b.empty())
        return;
    int index = 0;
    if (Find(b, index) == value)
        return;
    if (value)
        FList.insert(FList.begin() + index, b);
    else
        FList.erase(FList.begin() + index);
    FGrid->InvalidateRow(FGrid->Row());
}

bool TBookmarkList::Find(const data::TBookmark& item, int& index) const
{
    int lo = 0, hi = Count() - 1;
    data::TDataSet* ds = DataSet();
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int c = ds ? ds->CompareBookmarks(FList[static_cast<size_t>(mid)], item)
                         : (FList[static_cast<size_t>(mid)] < item ? -1 : FList[static_cast<size_t>(mid)] == item ? 0 : 1);
        if (c == 0) {
            index = mid;
            return true;
        }
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    index = lo;
    return false;
}

int TBookmarkList::IndexOf(const data::TBookmark& item) const
{
    int index = -1;
    return Find(item, index) ? index : -1;
}

void TBookmarkList::Clear()
{
    if (FList.empty())
        return;
    FList.clear();
    FGrid->InvalidateGrid();
}

void TBookmarkList::Delete()
{
    data::TDataSet* ds = DataSet();
    if (!ds)
        return;
    ds->DisableControls();
    try {
        while (!FList.empty()) {
            const data::TBookmark b = FList.back();
            if (ds->BookmarkValid(b)) {
                ds->GotoBookmark(b);
                ds->Delete();
            }
            FList.pop_back();
        }
    } catch (...) {
        ds->EnableControls();
        throw;
    }
    ds->EnableControls();
}

bool TBookmarkList::Refresh()
{
    data::TDataSet* ds = DataSet();
    if (!ds)
        return false;
    ds->CheckBrowseMode();
    bool removed = false;
    for (int i = Count() - 1; i >= 0; --i)
        if (!ds->BookmarkValid(FList[static_cast<size_t>(i)])) {
            FList.erase(FList.begin() + i);
            removed = true;
        }
    ds->UpdateCursorPos();
    if (removed)
        FGrid->InvalidateGrid();
    return removed;
}

void TBookmarkList::LinkActive(bool value)
{
    Clear();
    FLinkActive = value;
}

} // namespace grids
