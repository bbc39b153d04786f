// Painting of the data grid's cells: titles, the indicator column with its
// record-state images, and data cells with the field's display text.
#include <array>
#include <memory>

#include "core/ustring.h"
#include "data/field.h"
#include "grids/db_grid.h"
#include "platform/bitmap.h"
#include "platform/resources.h"
#include "platform/syscolors.h"

namespace grids {

using namespace platform;
using data::TDataSetState;

namespace {
constexpr int IndicatorImageSize = 13;
constexpr std::array<const char16_t*, 5> IndicatorNames{u"DBGARROW", u"DBEDIT", u"DBINSERT", u"DBMULTIDOT",
                                                        u"DBMULTIARROW"};

// The indicator images, shared by every data grid and loaded on first need:
// the base size and its double-size variant.
struct TIndicatorImages {
    std::array<std::unique_ptr<Bitmap>, 5> Base, Double;
};

const Bitmap* IndicatorBitmap(int index, int size)
{
    static TIndicatorImages images;
    if (index < 0 || index >= 5)
        return nullptr;
    const bool large = size > IndicatorImageSize;
    auto& slot = large ? images.Double[static_cast<size_t>(index)] : images.Base[static_cast<size_t>(index)];
    if (!slot) {
        std::u16string name = IndicatorNames[static_cast<size_t>(index)];
        if (large)
            name += u"_20X";
        auto bytes = FindResource(ResourceType::Png, name);
        if (!bytes) {
            RegisterIndicatorResources();
            bytes = FindResource(ResourceType::Png, name);
        }
        if (!bytes)
            return nullptr;
        slot = std::make_unique<Bitmap>(Bitmap::FromPng(*bytes));
    }
    return slot.get();
}
} // namespace

int TCustomDBGrid::IndicatorImage(int32_t dataRow) const
{
    if (!FDataLink->Active())
        return -1;
    const bool current = dataRow == FDataLink->ActiveRecord();
    bool multi = false;
    if (FOptions.Contains(dgMultiSelect) && dataRow >= 0 && dataRow < FDataLink->RecordCount()) {
        const int saved = FDataLink->ActiveRecord();
        FDataLink->SetActiveRecord(dataRow);
        try {
            multi = const_cast<TBookmarkList&>(FBookmarks).CurrentRowSelected();
        } catch (...) {
            FDataLink->SetActiveRecord(saved);
            throw;
        }
        FDataLink->SetActiveRecord(saved);
    }
    if (!current && !multi)
        return -1;
    if (current) {
        const TDataSetState st = FDataLink->DataSet()->State();
        if (st == TDataSetState::dsEdit)
            return 1;
        if (st == TDataSetState::dsInsert)
            return 2;
        return multi ? 4 : 0;
    }
    return 3;
}

std::u16string TCustomDBGrid::CellText(int32_t dataCol, int32_t dataRow) const
{
    if (dataCol < 0 || dataCol >= FColumns->Count() || dataRow < 0 || dataRow >= RecordRows())
        return {};
    data::TField* f = FColumns->Items(dataCol)->Field();
    if (!f)
        return {};
    const int saved = FDataLink->ActiveRecord();
    FDataLink->SetActiveRecord(dataRow);
    std::u16string text;
    try {
        text = f->DisplayText();
    } catch (...) {
        FDataLink->SetActiveRecord(saved);
        throw;
    }
    FDataLink->SetActiveRecord(saved);
    return text;
}

void TCustomDBGrid::DrawCellBackground(const platform::TRect& rect, core::TColor color, TGridDrawState state,
                                       int32_t col, int32_t row)
{
    platform::TRect r = rect;
    if (!InState(components::TComponentState::csDesigning)) {
        r.Left -= 1;
        r.Top -= 1;
        r.Right += 1;
        r.Bottom += 1;
    }
    // The enlarged rectangle would cover the neighbours' lines: clip it to the cell's own extent.
    Canvas()->SaveDC();
    Canvas()->IntersectClipRect(rect);
    TCustomGrid::DrawCellBackground(r, color, state, col, row);
    Canvas()->RestoreDC(-1);
}

void TCustomDBGrid::WriteText(DeviceContext& dc, const platform::TRect& rect, int dx, int dy,
                              const std::u16string& text, data::TAlignment alignment)
{
    const int width = dc.GetTextExtent(text).cx;
    int x = rect.Left + dx;
    if (alignment == data::TAlignment::taRightJustify)
        x = rect.Right - width - 3;
    else if (alignment == data::TAlignment::taCenter)
        x = rect.Left + rect.Width() / 2 - width / 2;
    dc.ExtTextOut(x, rect.Top + dy, ETO_CLIPPED | ETO_OPAQUE, &rect, text);
}

void TCustomDBGrid::DrawIndicator(DeviceContext& dc, const platform::TRect& rect, int32_t dataRow, int frameOffset)
{
    DrawCellBackground(rect, FixedColor(), {gdFixed}, 0, dataRow + FTitleOffset);
    if (!FDataLink->Active() || dataRow < 0)
        return;
    const int image = IndicatorImage(dataRow);
    if (dataRow == FDataLink->ActiveRecord())
        FSelRow = dataRow + FTitleOffset;
    if (image < 0)
        return;
    const int size = std::max(1, ScaleValue(IndicatorImageSize));
    const Bitmap* bmp = IndicatorBitmap(image, size);
    if (!bmp)
        return;
    // Positioned on the cell as shrunk for the raised frame.
    const int inset = frameOffset == 1 ? 1 : 0;
    const platform::TRect r{rect.Left + inset, rect.Top + inset, rect.Right - inset, rect.Bottom - inset};
    const int x = r.Left + (r.Width() - size - frameOffset) / 2;
    const int y = (r.Top + r.Bottom - size) / 2;
    dc.DrawBitmap(*bmp, {x, y, x + size, y + size});
}

void TCustomDBGrid::DrawTitleCell(DeviceContext& dc, platform::TRect rect, TColumn* column, TGridDrawState& state)
{
    const bool bothLines = FOptions.Contains(dgRowLines) && FOptions.Contains(dgColLines);
    const platform::TRect cell = rect;
    if (bothLines) {
        rect.Left += 1;
        rect.Top += 1;
        rect.Right -= 1;
        rect.Bottom -= 1;
    }
    const int frameOffset = bothLines ? 1 : 2;
    dc.SelectFont(column->Title()->Font()->Handle());
    dc.SetTextColor(ColorToRGB(column->Title()->Font()->Color()));
    DrawCellBackground(cell, column->Title()->Color(), state, 0, 0);
    dc.SetBkColor(ColorToRGB(column->Title()->Color()));
    const int offset = frameOffset + (state.Contains(gdPressed) ? 1 : 0);
    WriteText(dc, rect, offset, offset, column->Title()->Caption(), column->Title()->Alignment());
    if (bothLines && !state.Contains(gdPressed)) {
        platform::TRect r = cell;
        dc.DrawEdge(r, BDR_RAISEDINNER, BF_BOTTOMRIGHT);
        dc.DrawEdge(r, BDR_RAISEDINNER, BF_TOPLEFT);
        state = state - TGridDrawState{gdFixed};
    }
}

void TCustomDBGrid::DrawCell(int32_t col, int32_t row, const platform::TRect& rect, TGridDrawState state)
{
    DeviceContext& dc = *Canvas();
    if (InState(components::TComponentState::csLoading)) {
        dc.FillSolidRect(rect, ColorToRGB(Color()));
        return;
    }
    const int32_t dataCol = RawToDataColumn(col);
    const int32_t dataRow = row - FTitleOffset;
    const bool bothLines = FOptions.Contains(dgRowLines) && FOptions.Contains(dgColLines);
    platform::TRect r = rect;
    int frameOffset = 2;
    if (state.Contains(gdFixed) && bothLines) {
        r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
        frameOffset = 1;
    }
    if (state.Contains(gdFixed) && dataCol < 0) {
        dc.SetBkColor(ColorToRGB(FixedColor()));
        DrawIndicator(dc, rect, dataRow, frameOffset);
    } else if (dataCol >= 0 && dataCol < FColumns->Count()) {
        TColumn* column = FColumns->Items(dataCol);
        if (!column->Showing())
            return;
        if (dataRow < 0) {
            DrawTitleCell(dc, rect, column, state);
        } else if (FDataLink->Active()) {
            dc.SelectFont(column->Font()->Handle());
            COLORREF textColor = ColorToRGB(column->Font()->Color());
            COLORREF back = ColorToRGB(column->Color());
            const int saved = FDataLink->ActiveRecord();
            // Rows past the window (the blank row of an empty table) have no record.
            const bool hasRecord = dataRow < FDataLink->RecordCount();
            std::u16string text;
            try {
                if (hasRecord) {
                    FDataLink->SetActiveRecord(dataRow);
                    if (data::TField* f = column->Field())
                        text = f->DisplayText();
                }
                const bool highlight = hasRecord && HighlightCell(dataCol, dataRow, state);
                if (highlight && FDefaultDrawing) {
                    back = ColorToRGB(core::clHighlight);
                    textColor = ColorToRGB(core::clHighlightText);
                }
                if (!Enabled())
                    textColor = ColorToRGB(core::clGrayText);
                dc.SetTextColor(textColor);
                dc.SetBkColor(back);
                if (FDefaultDrawing)
                    WriteText(dc, rect, 3, 2, text, column->Alignment());
                if (FColumns->State() == TDBGridColumnsState::csDefault)
                    OnDrawDataCell(this, rect, column->Field(), state);
                OnDrawColumnCell(this, rect, dataCol, column, state);
            } catch (...) {
                if (hasRecord)
                    FDataLink->SetActiveRecord(saved);
                throw;
            }
            if (hasRecord)
                FDataLink->SetActiveRecord(saved);
            if (FDefaultDrawing && state.Contains(gdSelected) &&
                (FOptions.Contains(dgAlwaysShowSelection) || Focused()) &&
                !InState(components::TComponentState::csDesigning) && !FOptions.Contains(dgRowSelect) &&
                !UpdateLocked() && IsActiveControl())
                dc.DrawFocusRect(rect);
        } else {
            dc.FillSolidRect(rect, ColorToRGB(column->Color()));
        }
    } else if (state.Contains(gdFixed)) {
        DrawCellBackground(rect, FixedColor(), state, col, row);
    } else {
        dc.FillSolidRect(rect, ColorToRGB(Color()));
    }
    if (state.Contains(gdFixed) && bothLines && !state.Contains(gdPressed)) {
        platform::TRect e = rect;
        dc.DrawEdge(e, BDR_RAISEDINNER, BF_BOTTOMRIGHT);
        dc.DrawEdge(e, BDR_RAISEDINNER, BF_TOPLEFT);
    }
}

bool TCustomDBGrid::HighlightCell(int32_t, int32_t, TGridDrawState state)
{
    if (FOptions.Contains(dgMultiSelect) && FDataLink->Active())
        return FBookmarks.CurrentRowSelected();
    return state.Contains(gdSelected) && (FOptions.Contains(dgAlwaysShowSelection) || Focused()) &&
           (!UpdateLocked() || FOptions.Contains(dgRowSelect));
}

void TCustomDBGrid::DefaultDrawColumnCell(const platform::TRect& rect, int32_t, TColumn* column, TGridDrawState)
{
    if (!Canvas() || !column)
        return;
    data::TField* f = column->Field();
    WriteText(*Canvas(), rect, 3, 2, f ? f->DisplayText() : std::u16string(), column->Alignment());
}

void TCustomDBGrid::DefaultDrawDataCell(const platform::TRect& rect, data::TField* field, TGridDrawState)
{
    if (!Canvas())
        return;
    WriteText(*Canvas(), rect, 3, 2, field ? field->DisplayText() : std::u16string(),
              field ? field->Alignment() : data::TAlignment::taLeftJustify);
}

} // namespace grids
