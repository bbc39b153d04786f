#include "pickers/base_picker_model.h"

#include <algorithm>

namespace pickers {

TBasePickerModel::TBasePickerModel() = default;

TBasePickerModel::~TBasePickerModel()
{
    // Closing without accepting, silently: no events from a dying control.
    if (FPopupControl)
        FPopupControl->ReleaseColumns();
}

void TBasePickerModel::SetDropDownCount(int value)
{
    // At least one row: the band must exist.
    FDropDownCount = std::max(1, value);
}

void TBasePickerModel::DefineColumns(std::vector<TPickerColumn*>& list)
{
    for (const auto& c : FColumns)
        list.push_back(c.get());
}

void TBasePickerModel::ClearColumns()
{
    if (FDroppedDown)
        CloseUp(false);
    if (FPopupControl)
        FPopupControl->ReleaseColumns();
    FColumns.clear();
}

TPickerViewInfo TBasePickerModel::ViewInfo() const
{
    TPickerViewInfo v;
    v.BorderSize = FBorderSize;
    v.DropDownCount = FDropDownCount;
    v.ItemHeight = FClientSize.Height;
    v.ShowOkCancel = FShowOkCancel;
    v.ButtonHeight = FButtonHeight;
    return v;
}

void TBasePickerModel::InitPopup()
{
    std::vector<TPickerColumn*> list;
    DefineColumns(list);
    if (!FPopupControl)
        FPopupControl = std::make_unique<TPickerPopupModel>();
    FPopupControl->Init(this, std::move(list), ViewInfo());
}

void TBasePickerModel::DropDown()
{
    if (FDroppedDown)
        return;
    InitPopup();
    FDroppedDown = true;
    OnPopupVisibleChanged(true);
}

void TBasePickerModel::CloseUp(bool accept)
{
    if (!FDroppedDown)
        return;
    // A slide still running ends first: accepted, its value is the one the
    // user chose; cancelled, it is dropped. Either way no later tick can
    // change the working date of a closed picker.
    if (FPopupControl) {
        if (accept)
            FPopupControl->FinishAnimation();
        else
            FPopupControl->StopAnimation();
    }
    FDroppedDown = false;
    OnPopupVisibleChanged(false);
    if (accept && CanModify())
        AcceptDropDown();
    else
        RejectDropDown();
    OnInvalidate();
    OnCloseUp(this);
}

TSize TBasePickerModel::CalcSizes(TSize requested, const TTextMeasure& measure)
{
    std::vector<TPickerColumn*> list;
    DefineColumns(list);
    if (list.empty())
        return requested;
    std::vector<TSize> mins;
    long long sumWidth = 0;
    int height = requested.Height;
    for (TPickerColumn* c : list) {
        const TSize m = c->GetMinSize(measure);
        mins.push_back(m);
        c->FBoundsRect = {0, 0, m.Width, m.Height};
        sumWidth += std::max(0, m.Width);
        if (!FIScaling)
            height = std::max(height, m.Height);
    }
    const long long available = std::max<long long>(requested.Width - 2LL * FBorderSize, sumWidth);
    const int resultWidth = static_cast<int>(available + 2LL * FBorderSize);
    int x = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        // Columns share the width in proportion to their minimum widths; with
        // nothing measured (all zero) they share it equally.
        const int w = sumWidth > 0
                          ? static_cast<int>(static_cast<double>(available) / static_cast<double>(sumWidth) *
                                             std::max(0, mins[i].Width))
                          : static_cast<int>(available / static_cast<long long>(list.size()));
        list[i]->FBoundsRect = {x, 0, x + w, height};
        x += w;
    }
    TPickerColumn* last = list.back();
    if (last->FBoundsRect.Right < resultWidth - FBorderSize)
        last->FBoundsRect.Right = resultWidth;
    return {resultWidth, height};
}

TPoint TBasePickerModel::CalcDropDownPosition(const TRect& pickerScreen, TSize popupSize, int itemHeight,
                                              TSize desktop)
{
    TPoint p{pickerScreen.Left, pickerScreen.Top};
    p.X += (pickerScreen.Width() - popupSize.Width) / 2;
    p.Y += (pickerScreen.Height() - popupSize.Height) / 2 + itemHeight / 2;
    return KeepInside(p, popupSize, desktop);
}

TPoint TBasePickerModel::CalcDropDownPosition(const TRect& pickerScreen, TSize popupSize, const TRect& band,
                                              TSize desktop)
{
    const TPoint p{pickerScreen.Left + (pickerScreen.Width() - popupSize.Width) / 2,
                   pickerScreen.Top + (pickerScreen.Height() - band.Height()) / 2 - band.Top};
    return KeepInside(p, popupSize, desktop);
}

TPoint TBasePickerModel::KeepInside(TPoint p, TSize popupSize, TSize desktop)
{
    if (p.Y + popupSize.Height > desktop.Height)
        p.Y = desktop.Height - popupSize.Height;
    if (p.X + popupSize.Width > desktop.Width)
        p.X = desktop.Width - popupSize.Width;
    p.X = std::max(0, p.X);
    p.Y = std::max(0, p.Y);
    return p;
}

bool TBasePickerModel::KeyDown(TPickerKey key, bool alt)
{
    const bool altArrow = alt && (key == TPickerKey::pkUp || key == TPickerKey::pkDown);
    switch (key) {
    case TPickerKey::pkEnter:
    case TPickerKey::pkSpace:
        break;
    case TPickerKey::pkUp:
    case TPickerKey::pkDown:
    case TPickerKey::pkLeft:
    case TPickerKey::pkRight:
        if (altArrow)
            break;
        // A closed picker ignores the arrows: stepping the hidden pop-up's
        // columns would change what the control shows without changing Date.
        if (!FDroppedDown || !FPopupControl)
            return false;
        return FPopupControl->KeyDown(key);
    case TPickerKey::pkEscape:
    case TPickerKey::pkBack:
        if (!FDroppedDown)
            return false;
        CloseUp(false);
        return true;
    default:
        return false;
    }
    // Enter, Space, Alt+Up, Alt+Down.
    if (FDroppedDown)
        CloseUp(true);
    else
        DropDown();
    return true;
}

void TBasePickerModel::Click()
{
    if (FDroppedDown)
        CloseUp(true);
    else
        DropDown();
}

bool TBasePickerModel::MouseWheel(TPoint p, bool wheelDown, bool ctrl, int scrollLines)
{
    if (!FDroppedDown || !FPopupControl)
        return false;
    return FPopupControl->MouseWheel(p, wheelDown, ctrl, scrollLines);
}

void TBasePickerModel::CancelMode()
{
    if (FDroppedDown)
        CloseUp(!FShowOkCancel);
}

void TBasePickerModel::FocusLost()
{
    CloseUp(false);
}

} // namespace pickers
