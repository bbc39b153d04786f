#include "pickers/popup_model.h"

#include <algorithm>

#include "pickers/base_picker_model.h"

// Hover, mouse, wheel and key input of the pop-up, and the slide that every
// value change runs through.

namespace pickers {

namespace {

void SetState(TPickerButton& b, TPickerButtonState s) { b.FState = s; }

} // namespace

void TPickerPopupModel::SetMouseOver(int index)
{
    if (index < -1 || index >= static_cast<int>(FColumns.size()))
        index = -1;
    if (index == FMouseOver)
        return;
    FMouseOver = index;
    Invalidate(-1);
}

void TPickerPopupModel::UpdateHoverItems(TPoint p)
{
    FMouseInside = true;
    FMousePos = p;
    const int index = GetColumnByMousePos(p);
    for (size_t i = 0; i < FColumns.size(); ++i) {
        TPickerColumn* column = FColumns[i];
        if (static_cast<int>(i) != index) {
            SetState(column->FUpButton, TPickerButtonState::pbsNone);
            SetState(column->FDownButton, TPickerButtonState::pbsNone);
            Invalidate(static_cast<int>(i));
            continue;
        }
        FMouseOver = index;
        if (column->FUpButton.FBoundsRect.Contains(p)) {
            SetState(column->FUpButton, TPickerButtonState::pbsHot);
            SetState(column->FDownButton, TPickerButtonState::pbsNone);
            FMouseOverValue.reset();
        } else if (column->FDownButton.FBoundsRect.Contains(p)) {
            SetState(column->FDownButton, TPickerButtonState::pbsHot);
            SetState(column->FUpButton, TPickerButtonState::pbsNone);
            FMouseOverValue.reset();
        } else {
            SetState(column->FUpButton, TPickerButtonState::pbsNone);
            SetState(column->FDownButton, TPickerButtonState::pbsNone);
            if (const std::optional<TPickerCellHit> hit = GetCellValueByMousePos(p)) {
                FMouseOverValue = hit->Value;
                FMouseOverPoint = p;
            } else {
                FMouseOverValue.reset();
            }
        }
        Invalidate(index);
    }
    if (FShowOkCancel) {
        TPickerButton& ok = FOkCancelButtons.FOkButton;
        TPickerButton& cancel = FOkCancelButtons.FCancelButton;
        if (ok.FBoundsRect.Contains(p)) {
            SetState(ok, TPickerButtonState::pbsHot);
            SetState(cancel, TPickerButtonState::pbsNone);
            FMouseOver = -1;
        } else if (cancel.FBoundsRect.Contains(p)) {
            SetState(cancel, TPickerButtonState::pbsHot);
            SetState(ok, TPickerButtonState::pbsNone);
            FMouseOver = -1;
        } else {
            SetState(ok, TPickerButtonState::pbsNone);
            SetState(cancel, TPickerButtonState::pbsNone);
        }
        Invalidate(-1);
    }
}

void TPickerPopupModel::MouseLeave()
{
    FMouseInside = false;
    FMouseOver = -1;
    FMouseOverValue.reset();
    for (TPickerColumn* column : FColumns) {
        SetState(column->FUpButton, TPickerButtonState::pbsNone);
        SetState(column->FDownButton, TPickerButtonState::pbsNone);
    }
    SetState(FOkCancelButtons.FOkButton, TPickerButtonState::pbsNone);
    SetState(FOkCancelButtons.FCancelButton, TPickerButtonState::pbsNone);
    Invalidate(-1);
}

void TPickerPopupModel::MouseDown(TPoint p)
{
    if (FShowOkCancel && FParentOwner) {
        for (TPickerButton* b : {&FOkCancelButtons.FOkButton, &FOkCancelButtons.FCancelButton}) {
            if (b->FBoundsRect.Contains(p)) {
                SetState(*b, TPickerButtonState::pbsPressed);
                Invalidate(-1);
                return;
            }
        }
    }
    const int index = GetColumnByMousePos(p);
    if (index < 0)
        return;
    TPickerColumn* column = FColumns[static_cast<size_t>(index)];
    const int current = column->GetCurrentValue();
    if (column->FUpButton.FBoundsRect.Contains(p)) {
        if (const std::optional<int> prev = column->PreviousValue(current)) {
            AnimateColumnValueChanged(column, *prev, -1);
            SetState(column->FUpButton, TPickerButtonState::pbsPressed);
        }
        return;
    }
    if (column->FDownButton.FBoundsRect.Contains(p)) {
        if (const std::optional<int> next = column->NextValue(current)) {
            AnimateColumnValueChanged(column, *next, 1);
            SetState(column->FDownButton, TPickerButtonState::pbsPressed);
        }
        return;
    }
    const std::optional<TPickerCellHit> hit = GetCellValueByMousePos(p);
    if (hit && hit->Rows != 0)
        AnimateColumnValueChanged(column, hit->Value, hit->Rows);
}

void TPickerPopupModel::MouseUp(TPoint p)
{
    if (FShowOkCancel && FParentOwner) {
        TPickerButton& ok = FOkCancelButtons.FOkButton;
        TPickerButton& cancel = FOkCancelButtons.FCancelButton;
        if (ok.FBoundsRect.Contains(p) || cancel.FBoundsRect.Contains(p)) {
            const bool accept = ok.FBoundsRect.Contains(p);
            SetState(ok, TPickerButtonState::pbsNone);
            SetState(cancel, TPickerButtonState::pbsNone);
            FParentOwner->CloseUp(accept);
            return;
        }
    }
    // Pressed column buttons go back to their hover look.
    UpdateHoverItems(p);
}

bool TPickerPopupModel::MouseWheel(TPoint p, bool wheelDown, bool ctrl, int scrollLines)
{
    const int index = GetColumnByMousePos(p);
    if (index < 0)
        return false;
    TPickerColumn* column = FColumns[static_cast<size_t>(index)];
    // A setting below one line (the "scroll a page" value read as a signed
    // number) counts as one line instead of reversing the direction.
    const int lines = ctrl ? std::max(1, scrollLines) : 1;
    const TPickerStep step = column->CalcNextValue(column->GetCurrentValue(), wheelDown ? lines : -lines);
    if (step.Steps == 0)
        return false;
    AnimateColumnValueChanged(column, step.Value, step.Steps);
    return true;
}

void TPickerPopupModel::StepColumn(int index, int delta)
{
    TPickerColumn* column = FColumns[static_cast<size_t>(index)];
    const int current = column->GetCurrentValue();
    const std::optional<int> v = delta > 0 ? column->NextValue(current) : column->PreviousValue(current);
    if (v)
        AnimateColumnValueChanged(column, *v, delta);
}

bool TPickerPopupModel::KeyDown(TPickerKey key)
{
    const int count = static_cast<int>(FColumns.size());
    switch (key) {
    case TPickerKey::pkLeft:
        if (FMouseOver > 0)
            SetMouseOver(FMouseOver - 1);
        return true;
    case TPickerKey::pkRight:
        if (FMouseOver < 0 && count > 0)
            SetMouseOver(0);
        else if (FMouseOver >= 0 && FMouseOver < count - 1)
            SetMouseOver(FMouseOver + 1);
        return true;
    case TPickerKey::pkUp:
    case TPickerKey::pkDown:
        if (count == 0)
            return true;
        if (FMouseOver < 0)
            SetMouseOver(0);
        StepColumn(FMouseOver, key == TPickerKey::pkDown ? 1 : -1);
        return true;
    default:
        return false;
    }
}

void TPickerPopupModel::AnimateColumnValueChanged(TPickerColumn* column, int newValue, int steps)
{
    FinishAnimation();
    FMouseOverValue.reset();
    FAnimation = std::make_unique<TPickerSlideAnimation>(this, column, newValue, steps, FItemHeight);
    FAnimation->Start(Now());
    OnAnimationStateChanged(true);
}

void TPickerPopupModel::AnimationFinished()
{
    if (FMouseInside)
        UpdateHoverItems(FMousePos);
    Invalidate(-1);
}

void TPickerPopupModel::Tick()
{
    if (!IsAnimating())
        return;
    try {
        FAnimation->Tick(Now());
    } catch (...) {
        OnAnimationStateChanged(false);
        throw;
    }
    if (!IsAnimating())
        OnAnimationStateChanged(false);
}

void TPickerPopupModel::FinishAnimation()
{
    if (!IsAnimating())
        return;
    try {
        FAnimation->Finish();
    } catch (...) {
        OnAnimationStateChanged(false);
        throw;
    }
    OnAnimationStateChanged(false);
}

void TPickerPopupModel::StopAnimation()
{
    if (!IsAnimating())
        return;
    FAnimation->Stop();
    if (TPickerColumn* column = FAnimation->Column())
        column->FDrawOffset = 0;
    OnAnimationStateChanged(false);
    Invalidate(-1);
}

void TPickerPopupModel::InvalidateColumn(TPickerColumn* column)
{
    Invalidate(IndexOf(column));
}

} // namespace pickers
