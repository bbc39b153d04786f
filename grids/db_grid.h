#pragma once
// TCustomDBGrid: the generic grid as a view of a dataset. Its data link asks
// the dataset for a window of as many record buffers as the grid has visible
// rows; data row k shows record k of that window. Moving in the grid moves the
// dataset's cursor; editing goes through the in-place editor, whose text is
// handed to the selected field when the record is written.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/data_source.h"
#include "data/dataset.h"
#include "grids/db_columns.h"
#include "grids/grid_control.h"

namespace grids {

inline constexpr const char* STooManyColumns = "Grid requested to display more than 256 columns";
inline constexpr const char* SDataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* SDeleteRecordQuestion = "Delete record?";
inline constexpr const char* SDeleteMultipleRecordsQuestion = "Delete all selected records?";
inline constexpr const char* SDataSetUnidirectional = "Operation not allowed on a unidirectional dataset";

enum class TDBGridOption {
    dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
    dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit, dgMultiSelect, dgTitleClick,
    dgTitleHotTrack
};
using enum TDBGridOption;
using TDBGridOptions = components::TSet<TDBGridOption>;

inline constexpr TDBGridOptions DefaultDBGridOptions{dgEditing,       dgTitles,    dgIndicator, dgColumnResize,
                                                     dgColLines,      dgRowLines,  dgTabs,      dgConfirmDelete,
                                                     dgCancelOnExit,  dgTitleClick, dgTitleHotTrack};

// The grid options an option set turns on.
TGridOptions GridOptionsFor(TDBGridOptions options);

class TGridDataLink : public data::TDataLink {
    DECLARE_CLASS(TGridDataLink, data::TDataLink)
public:
    static constexpr int32_t MaxMapSize = 268435455;

    explicit TGridDataLink(TCustomDBGrid* grid);

    void AddMapping(const std::u16string& fieldName);
    void ClearMapping() { FFieldMap.clear(); }
    int32_t GetMappedIndex(int32_t i) const;
    bool DefaultFields() const;
    int32_t FieldCount() const { return static_cast<int32_t>(FFieldMap.size()); }
    data::TField* Fields(int32_t i) const;
    bool SparseMap() const { return FSparseMap; }
    void SetSparseMap(bool v) { FSparseMap = v; }
    bool Modified() const { return FModified; }
    void SetModified() { FModified = true; }
    void Reset();
    // The grid's link also writes the editor's text (UpdateData) on request.
    void UpdateDataNow() { UpdateData(); }

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int distance) override;
    void FocusControl(data::TField** fieldRef) override;
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(data::TField* field) override;
    void UpdateData() override;

private:
    TCustomDBGrid* FGrid;
    std::vector<int32_t> FFieldMap;
    bool FSparseMap = false;
    bool FModified = false;
    bool FInUpdateData = false;
};

// The multi-selected rows: bookmarks kept sorted by the dataset's order.
class TBookmarkList {
public:
    explicit TBookmarkList(TCustomDBGrid* grid) : FGrid(grid) {}

    int Count() const { return static_cast<int>(FList.size()); }
    const data::TBookmark& Items(int i) const { return FList.at(static_cast<size_t>(i)); }
    data::TBookmark CurrentRow() const;
    bool CurrentRowSelected() const;
    void SetCurrentRowSelected(bool value);
    bool Find(const data::TBookmark& item, int& index) const;
    int IndexOf(const data::TBookmark& item) const;
    void Clear();
    void Delete();
    bool Refresh();
    void LinkActive(bool value);

private:
    data::TDataSet* DataSet() const;
    TCustomDBGrid* FGrid;
    std::vector<data::TBookmark> FList;
    bool FLinkActive = false;
};

class TCustomDBGrid;
using TDrawColumnCellEvent = core::Closure<void(components::TObject* sender, const platform::TRect& rect,
                                                int32_t dataCol, TColumn* column, TGridDrawState state)>;
using TDrawDataCellEvent = core::Closure<void(components::TObject* sender, const platform::TRect& rect,
                                              data::TField* field, TGridDrawState state)>;
using TDBGridClickEvent = core::Closure<void(TColumn* column)>;
using TMovedEvent2 = core::Closure<void(components::TObject* sender, int32_t from, int32_t to)>;

class TCustomDBGrid : public TCustomGrid {
    DECLARE_CLASS(TCustomDBGrid, TCustomGrid)
public:
    explicit TCustomDBGrid(components::TComponent* owner);
    ~TCustomDBGrid() override;

    // --- data ---
    data::TDataSource* DataSource() const { return FDataLink->DataSource(); }
    void SetDataSource(data::TDataSource* value);
    TGridDataLink* DataLink() const { return FDataLink.get(); }
    TDBGridColumns* Columns() const { return FColumns.get(); }
    void SetColumns(TDBGridColumns* value);
    int32_t FieldCount() const { return FDataLink->FieldCount(); }
    data::TField* Fields(int32_t i) const { return FDataLink->Fields(i); }
    bool ValidFieldIndex(int32_t i) const { return FDataLink->GetMappedIndex(i) >= 0; }
    int32_t SelectedIndex() const { return RawToDataColumn(Col()); }
    void SetSelectedIndex(int32_t value);
    data::TField* SelectedField() const;
    TBookmarkList& SelectedRows() { return FBookmarks; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value) { FReadOnly = value; }
    TDBGridOptions DBOptions() const { return FOptions; }
    void SetDBOptions(TDBGridOptions value);
    controls::TFont* TitleFont() const { return FTitleFont.get(); }
    void SetTitleFont(controls::TFont* value) { FTitleFont->Assign(value); }
    bool DefaultDrawingDB() const { return FDefaultDrawing; }
    void SetDefaultDrawingDB(bool value);
    int32_t IndicatorOffset() const { return FIndicatorOffset; }
    int32_t TitleOffset() const { return FTitleOffset; }
    int32_t SelRow() const { return FSelRow; }
    const std::u16string& EditText() const { return FEditText; }
    int32_t RawToDataColumn(int32_t col) const { return col - FIndicatorOffset; }
    int32_t DataToRawColumn(int32_t col) const { return col + FIndicatorOffset; }
    // The indicator image index of a visible data row (-1: none).
    int IndicatorImage(int32_t dataRow) const;
    // Data rows that show a record of the window (the blank row of an empty table excluded).
    int32_t RecordRows() const { return FDataLink->Active() ? FDataLink->RecordCount() : 0; }
    // The display text of a data cell (empty outside the window or without a field).
    std::u16string CellText(int32_t dataCol, int32_t dataRow) const;

    // --- layout ---
    void LayoutChanged();
    void BeginLayout();
    void EndLayout();
    void CancelLayout();
    bool AcquireLayoutLock();
    void BeginUpdate() { ++FUpdateLock; }
    void EndUpdate();
    bool UpdateLocked() const { return FUpdateLock > 0; }
    bool LayoutFromDataset() const { return FLayoutFromDataset; }
    bool UpdateFields() const { return FUpdateFields; }
    // The width of `length` characters of the grid's font (at least the caption + 4 with titles).
    int CalcColWidth(int length, const std::u16string& caption, const TColumn* column) const;
    // Inverse: the field's display width for a pixel width, measured in `font`.
    int ColWidthToTextLength(int width, controls::TFont* font) const;

    // --- dataset reactions (the link calls these) ---
    void LinkActive(bool value);
    void DataChanged();
    void Scroll(int distance);
    void RecordChanged(data::TField* field);
    void EditingChanged();
    void UpdateData();
    void UpdateRowCount();
    void UpdateActive();
    void UpdateScrollBar();
    void FieldDestroyed(data::TField* field);
    bool SelectFieldColumn(data::TField* field);

    // --- navigation ---
    void MoveCol(int32_t rawCol, int direction);
    bool CanEditShow() const override;

    // Default drawing for event handlers.
    void DefaultDrawColumnCell(const platform::TRect& rect, int32_t dataCol, TColumn* column, TGridDrawState state);
    void DefaultDrawDataCell(const platform::TRect& rect, data::TField* field, TGridDrawState state);

    void Loaded() override;
    void WndProc(controls::TMessage& m) override;

    TDrawColumnCellEvent OnDrawColumnCell;
    TDrawDataCellEvent OnDrawDataCell;
    TDBGridClickEvent OnCellClick, OnTitleClick;
    controls::TNotifyEvent OnColEnter, OnColExit, OnEditButtonClick;
    TMovedEvent2 OnColumnMoved;

protected:
    friend class TGridDataLink;
    friend class TBookmarkList;
    friend class TDBGridColumns;

    void Notification(components::TComponent* component, components::TOperation operation) override;

    void DrawCell(int32_t col, int32_t row, const platform::TRect& rect, TGridDrawState state) override;
    void DrawCellBackground(const platform::TRect& rect, core::TColor color, TGridDrawState state, int32_t col,
                            int32_t row) override;
    virtual bool HighlightCell(int32_t dataCol, int32_t dataRow, TGridDrawState state);
    virtual void DefineFieldMap();
    virtual void SetColumnAttributes();

    bool CanEditAcceptKey(char16_t key) override;
    bool CanEditModify() override;
    int GetEditLimit() override;
    std::u16string GetEditMask(int32_t col, int32_t row) override;
    std::u16string GetEditText(int32_t col, int32_t row) override;
    void SetEditText(int32_t col, int32_t row, const std::u16string& value) override;
    TEditStyle GetEditStyle(int32_t col, int32_t row) override;

    void KeyDown(uint16_t& key, controls::TShiftState shift) override;
    void KeyPress(char16_t& key) override;
    void MouseDown(controls::TMouseButton button, controls::TShiftState shift, int x, int y) override;
    void MouseUp(controls::TMouseButton button, controls::TShiftState shift, int x, int y) override;
    bool DoMouseWheelDown(controls::TShiftState shift, platform::TPoint pos) override;
    bool DoMouseWheelUp(controls::TShiftState shift, platform::TPoint pos) override;
    void DoExit() override;
    void CreateWnd() override;
    void FontChanged() override;
    void TimedScroll(TGridScrollDirections direction) override;
    void ColWidthsChanged() override;
    void ColumnMoved(int32_t from, int32_t to) override;
    void TopLeftChanged() override;
    // The vertical bar maps records, not rows (UpdateScrollBar): the generic
    // row mapping must never set or hide it.
    bool OwnsVertScrollBar() const override { return true; }

private:
    void InternalLayout();
    void ResetColumnFieldBindings();
    void MeasureRowHeights();
    void TitleFontChanged(components::TObject*);
    void NextRow(bool select, bool shift);
    void PriorRow(bool select, bool shift);
    void MoveByOne(int distance, bool select, bool shift);
    void ClearSelection();
    void Tab(bool goForward);
    bool DeletePrompt();
    void VScroll(int code);
    bool AcquireFocus();
    void DrawIndicator(platform::DeviceContext& dc, const platform::TRect& rect, int32_t dataRow, int frameOffset);
    void DrawTitleCell(platform::DeviceContext& dc, platform::TRect rect, TColumn* column, TGridDrawState& state);
    void WriteText(platform::DeviceContext& dc, const platform::TRect& rect, int dx, int dy,
                   const std::u16string& text, data::TAlignment alignment);
    bool InsertPendingUntouched() const;
    void CheckUniDirectional(data::TDataSource* source) const;

    std::unique_ptr<TGridDataLink> FDataLink;
    std::unique_ptr<TDBGridColumns> FColumns;
    std::unique_ptr<controls::TFont> FTitleFont;
    TBookmarkList FBookmarks{this};
    TDBGridOptions FOptions = DefaultDBGridOptions;
    bool FReadOnly = false;
    bool FDefaultDrawing = true;
    bool FUpdateFields = true;
    bool FLayoutFromDataset = false;
    bool FInColExit = false;
    bool FSelecting = false;
    bool FSelfChangingTitleFont = false;
    data::TBookmark FSelectionAnchor;
    std::u16string FEditText;
    int32_t FTitleOffset = 1;
    int32_t FIndicatorOffset = 1;
    int FIndicatorWidth = 11;
    int32_t FSelRow = -1;
    int FUpdateLock = 0;
    int FLayoutLock = 0;
    bool FLayoutDeferred = false;
};

class TDBGrid : public TCustomDBGrid {
    DECLARE_CLASS(TDBGrid, TCustomDBGrid)
public:
    explicit TDBGrid(components::TComponent* owner) : TCustomDBGrid(owner) {}
    bool IsTitleFontStored() const { return true; }
    // Only customized columns belong in the form description.
    bool IsColumnsStored() const { return Columns()->State() == TDBGridColumnsState::csCustomized; }
};

// Registers the grid classes with the component framework (and the indicator images).
void RegisterGridClasses();
// Registers the five indicator PNG resources and their double-size variants.
void RegisterIndicatorResources();

} // namespace grids

DECLARE_ENUM_NAMES(grids::TDBGridOption, u"dgEditing", u"dgAlwaysShowEditor", u"dgTitles", u"dgIndicator",
                   u"dgColumnResize", u"dgColLines", u"dgRowLines", u"dgTabs", u"dgRowSelect",
                   u"dgAlwaysShowSelection", u"dgConfirmDelete", u"dgCancelOnExit", u"dgMultiSelect",
                   u"dgTitleClick", u"dgTitleHotTrack");
