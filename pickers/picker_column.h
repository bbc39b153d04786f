#pragma once
// One picker column: a range of integer values with stepping rules, the text
// of each value, and the rectangles and buttons the control lays out for it.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "pickers/geometry.h"

namespace pickers {

enum class TPickerButtonType { pbtNone, pbtUp, pbtDown, pbtOk, pbtCancel };
enum class TPickerButtonState { pbsNone, pbsHot, pbsPressed };

struct TPickerButton {
    TPickerButtonType FButtonType = TPickerButtonType::pbtNone;
    TPickerButtonState FState = TPickerButtonState::pbsNone;
    TRect FBoundsRect;
};

// The value reached by CalcNextValue and the signed number of steps taken.
struct TPickerStep {
    int Value = 0;
    int Steps = 0;
    friend bool operator==(const TPickerStep&, const TPickerStep&) = default;
};

// Measures one line of text in the control's font: the size of the
// rectangle that text needs.
using TTextMeasure = std::function<TSize(std::u16string_view text)>;

class TPickerColumn {
public:
    TPickerColumn();
    virtual ~TPickerColumn() = default;
    TPickerColumn(const TPickerColumn&) = delete;
    TPickerColumn& operator=(const TPickerColumn&) = delete;

    virtual int GetCurrentValue() const = 0;
    virtual void SetCurrentValue(int value) = 0;
    // Applies NextValue (delta > 0) or PreviousValue (delta < 0) |delta|
    // times, stopping at the first step that fails.
    virtual TPickerStep CalcNextValue(int value, int delta) const;
    virtual int GetCyclicValue(int value) const;
    virtual int GetMaxValue() const = 0;
    // Text of the maximum value measured, grown by a third of its height on
    // every side.
    virtual TSize GetMinSize(const TTextMeasure& measure) const;
    virtual int GetMinValue() const = 0;
    virtual std::u16string GetValueString(int value) const;
    virtual bool IsCyclic() const { return true; }
    virtual int LimitValue(int value) const;
    virtual std::optional<int> NextValue(int value) const;
    virtual std::optional<int> PreviousValue(int value) const;

    TPickerButton FUpButton;
    TPickerButton FDownButton;
    TRect FBoundsRect;      // in the closed control
    TRect FDropDownBounds;  // in the pop-up
    int FDrawOffset = 0;    // vertical shift while a value change slides in
};

} // namespace pickers
