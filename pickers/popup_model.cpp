#include "pickers/popup_model.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "core/exception.h"

// Set-up, layout and the painted cells of the pop-up.

namespace pickers {

namespace {

uint64_t SteadyMilliseconds()
{
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SetState(TPickerButton& b, TPickerButtonState s) { b.FState = s; }

} // namespace

TPickerPopupModel::TPickerPopupModel() : TickCount(SteadyMilliseconds) {}

TPickerPopupModel::~TPickerPopupModel() = default;

uint64_t TPickerPopupModel::Now() const
{
    return TickCount ? TickCount() : SteadyMilliseconds();
}

void TPickerPopupModel::Init(TBasePickerModel* parentOwner, std::vector<TPickerColumn*> columns,
                             const TPickerViewInfo& viewInfo)
{
    StopAnimation();
    FParentOwner = parentOwner;
    FColumns = std::move(columns);
    FBorderSize = std::max(0, viewInfo.BorderSize);
    FDropDownCount = std::max(1, viewInfo.DropDownCount);
    FItemHeight = std::max(0, viewInfo.ItemHeight);
    FShowOkCancel = viewInfo.ShowOkCancel;
    FButtonHeight = std::max(0, viewInfo.ButtonHeight);
    // Hover state from an earlier drop-down may name columns that are gone.
    FMouseOver = -1;
    FMouseOverValue.reset();
    FMouseInside = false;
    SetState(FOkCancelButtons.FOkButton, TPickerButtonState::pbsNone);
    SetState(FOkCancelButtons.FCancelButton, TPickerButtonState::pbsNone);
    Calculate();
}

void TPickerPopupModel::ReleaseColumns()
{
    StopAnimation();
    if (FAnimation)
        FAnimation->DetachColumn();
    FColumns.clear();
    FMouseOver = -1;
    FMouseOverValue.reset();
}

void TPickerPopupModel::Calculate()
{
    const int h = FItemHeight;
    const int columnHeight = FDropDownCount * h;
    const int bs = FBorderSize;
    FWidth = 0;
    for (TPickerColumn* c : FColumns) {
        const int left = c->FBoundsRect.Left;
        const int right = c->FBoundsRect.Right;
        c->FDropDownBounds = {left, 0, right, columnHeight};
        c->FUpButton.FBoundsRect = TRect{left, 0, right, FButtonHeight}.Inflated(-bs, -bs);
        c->FDownButton.FBoundsRect = TRect{left, columnHeight - FButtonHeight, right, columnHeight}.Inflated(-bs, -bs);
        FWidth += c->FBoundsRect.Width();
    }
    FHeight = columnHeight + (FShowOkCancel ? h : 0);

    const int b = (FShowOkCancel ? h : 0) / 2;
    const double half = (FHeight - h) / 2.0;
    FSelectRect = {0, RoundHalfEven(half) - b, FWidth, RoundHalfEven(h + half) - b};

    if (FShowOkCancel) {
        FOkCancelButtons.FBounds = {0, FHeight - h, FWidth, FHeight};
        const TRect inner = FOkCancelButtons.FBounds.Inflated(-bs, -bs);
        const int mid = inner.Left + inner.Width() / 2;
        FOkCancelButtons.FOkButton.FBoundsRect = {inner.Left, inner.Top, mid, inner.Bottom};
        FOkCancelButtons.FCancelButton.FBoundsRect = {mid, inner.Top, inner.Right, inner.Bottom};
    } else {
        FOkCancelButtons.FBounds = {};
        FOkCancelButtons.FOkButton.FBoundsRect = {};
        FOkCancelButtons.FCancelButton.FBoundsRect = {};
    }
}

int TPickerPopupModel::IndexOf(const TPickerColumn* column) const
{
    for (size_t i = 0; i < FColumns.size(); ++i)
        if (FColumns[i] == column)
            return static_cast<int>(i);
    return -1;
}

int TPickerPopupModel::GetColumnByMousePos(TPoint p) const
{
    for (size_t i = 0; i < FColumns.size(); ++i)
        if (FColumns[i]->FDropDownBounds.Contains(p))
            return static_cast<int>(i);
    return -1;
}

std::optional<TPickerCellHit> TPickerPopupModel::GetCellValueByMousePos(TPoint p) const
{
    const int index = GetColumnByMousePos(p);
    const int h = FItemHeight;
    if (index < 0 || h <= 0)
        return std::nullopt;
    const TPickerColumn* column = FColumns[static_cast<size_t>(index)];
    const int current = column->GetCurrentValue();
    if (p.Y >= FSelectRect.Top && p.Y < FSelectRect.Bottom)
        return TPickerCellHit{current, 0};
    // Rows counted in the pitch the cells are painted at (h), rounding
    // towards the band's outside, so the row is the painted cell under p.
    const int rows = p.Y >= FSelectRect.Bottom ? (p.Y - FSelectRect.Bottom) / h + 1
                                               : FloorDiv(p.Y - FSelectRect.Top, h);
    const TPickerStep step = column->CalcNextValue(current, rows);
    if (step.Steps != rows)
        return std::nullopt;
    return TPickerCellHit{step.Value, rows};
}

std::vector<TPickerCell> TPickerPopupModel::GetColumnCells(int index) const
{
    std::vector<TPickerCell> cells;
    if (index < 0 || static_cast<size_t>(index) >= FColumns.size())
        return cells;
    const TPickerColumn* column = FColumns[static_cast<size_t>(index)];
    const TRect area = column->FDropDownBounds;
    const int h = FItemHeight;
    const bool hoverable = !IsAnimating() && FMouseOver == index && FMouseOverValue &&
                           !FSelectRect.Contains(FMouseOverPoint);
    const auto make = [&](const TRect& r, int value) {
        TPickerCell c;
        c.Bounds = r;
        c.Value = value;
        c.Text = column->GetValueString(value);
        c.Highlighted = hoverable && *FMouseOverValue == value && r.Contains(FMouseOverPoint);
        return c;
    };
    // A value whose date cannot be encoded (a year limit beyond 1..9999) is
    // not shown: the walk in that direction ends there.
    const auto tryMake = [&](const TRect& r, int value) -> std::optional<TPickerCell> {
        try {
            return make(r, value);
        } catch (const core::EConvertError&) {
            return std::nullopt;
        }
    };

    const int current = column->GetCurrentValue();
    const TRect band{area.Left, FSelectRect.Top + column->FDrawOffset, area.Right,
                     FSelectRect.Bottom + column->FDrawOffset};
    std::optional<TPickerCell> middle = tryMake(band, current);
    if (!middle)
        return cells;
    if (h <= 0) { // no row pitch: only the band can be shown
        cells.push_back(std::move(*middle));
        return cells;
    }

    std::vector<TPickerCell> above;
    TRect r = band;
    int value = current;
    for (;;) {
        const std::optional<int> prev = column->PreviousValue(value);
        r = r.Offset(0, -h);
        if (!prev || *prev < column->GetMinValue() || r.Bottom <= area.Top)
            break;
        std::optional<TPickerCell> c = tryMake(r, *prev);
        if (!c)
            break;
        above.push_back(std::move(*c));
        value = *prev;
    }
    cells.assign(std::make_move_iterator(above.rbegin()), std::make_move_iterator(above.rend()));
    cells.push_back(std::move(*middle));

    r = band;
    value = current;
    for (;;) {
        const std::optional<int> next = column->NextValue(value);
        r = r.Offset(0, h);
        if (!next || *next > column->GetMaxValue() || r.Top >= area.Bottom)
            break;
        std::optional<TPickerCell> c = tryMake(r, *next);
        if (!c)
            break;
        cells.push_back(std::move(*c));
        value = *next;
    }
    return cells;
}

} // namespace pickers
