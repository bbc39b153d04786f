#pragma once
// What every picker control holds apart from its window: the owning list of
// columns, the drop-down settings, the pop-up model with its open/closed
// state, the layout of the closed control and the keyboard and mouse rules
// that open, accept and cancel the pop-up.
#include <memory>
#include <string_view>
#include <vector>

#include "core/closure.h"
#include "pickers/geometry.h"
#include "pickers/picker_column.h"
#include "pickers/popup_model.h"

namespace pickers {

class TBasePickerModel {
public:
    TBasePickerModel();
    virtual ~TBasePickerModel();
    TBasePickerModel(const TBasePickerModel&) = delete;
    TBasePickerModel& operator=(const TBasePickerModel&) = delete;

    // Settings.
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int value);
    bool ShowOkCancel() const { return FShowOkCancel; }
    void SetShowOkCancel(bool value) { FShowOkCancel = value; }
    int BorderSize() const { return FBorderSize; }
    void SetBorderSize(int value) { FBorderSize = value < 0 ? 0 : value; }
    // Height of the pop-up columns' up/down buttons (16, scaled).
    int ButtonHeight() const { return FButtonHeight; }
    void SetButtonHeight(int value) { FButtonHeight = value < 0 ? 0 : value; }
    // The control's client size; the pop-up's rows are as high as it.
    TSize ClientSize() const { return FClientSize; }
    void SetClientSize(TSize value) { FClientSize = value; }
    // While scaling, the columns' heights do not raise the control's height.
    void SetScaling(bool value) { FIScaling = value; }

    const std::vector<std::unique_ptr<TPickerColumn>>& Columns() const { return FColumns; }
    bool DroppedDown() const { return FDroppedDown; }
    // Created at the first drop-down.
    TPickerPopupModel* PopupControl() const { return FPopupControl.get(); }

    virtual void AcceptDropDown() = 0;
    // Appends every column to `list`.
    virtual void DefineColumns(std::vector<TPickerColumn*>& list);
    virtual void InitColumns() {}
    virtual void ParseFormat(std::u16string_view format) = 0;
    virtual void RejectDropDown() = 0;
    virtual bool CanModify() const { return true; }

    void DropDown();
    void CloseUp(bool accept);
    void InitPopup();
    TPickerViewInfo ViewInfo() const;

    // Lays the columns out for a requested size and returns the size the
    // control needs (never narrower or lower than its columns).
    TSize CalcSizes(TSize requested, const TTextMeasure& measure);
    // Top-left corner of a pop-up of `popupSize` so that its band lies over
    // the picker at `pickerScreen`, kept inside the desktop.
    static TPoint CalcDropDownPosition(const TRect& pickerScreen, TSize popupSize, int itemHeight, TSize desktop);
    // The same for any pop-up layout: the band `band` (pop-up coordinates)
    // is centred on the picker, also without the OK/Cancel row.
    static TPoint CalcDropDownPosition(const TRect& pickerScreen, TSize popupSize, const TRect& band, TSize desktop);

    // Input on the picker. KeyDown returns whether the key was used.
    bool KeyDown(TPickerKey key, bool alt);
    void Click();
    // The wheel reaches the pop-up only while it is open; `p` in the pop-up's
    // client coordinates. Returns whether the wheel was used.
    bool MouseWheel(TPoint p, bool wheelDown, bool ctrl, int scrollLines);
    // Another control cancelled mouse modes (a click elsewhere).
    void CancelMode();
    void FocusLost();

    core::Closure<void(TBasePickerModel* sender)> OnCloseUp;
    // The closed control needs repainting.
    core::Closure<void()> OnInvalidate;
    // The pop-up window is to be shown (true) or hidden (false).
    core::Closure<void(bool visible)> OnPopupVisibleChanged;
    // The columns were rebuilt or reset; the control recomputes its layout.
    core::Closure<void()> OnColumnsChanged;

protected:
    // Moved up and left to end inside the desktop, then no coordinate below 0.
    static TPoint KeepInside(TPoint p, TSize popupSize, TSize desktop);
    // Closes an open pop-up without accepting and frees the columns.
    void ClearColumns();

    std::vector<std::unique_ptr<TPickerColumn>> FColumns;
    int FDropDownCount = 7;
    bool FShowOkCancel = true;
    int FBorderSize = 1;
    int FButtonHeight = 16;
    TSize FClientSize{150, 32};
    bool FIScaling = false;
    bool FDroppedDown = false;
    std::unique_ptr<TPickerPopupModel> FPopupControl;
};

} // namespace pickers
