#include "pickers/picker_animation.h"

#include "pickers/geometry.h"
#include "pickers/picker_column.h"
#include "pickers/popup_model.h"

namespace pickers {

TBasePickerAnimation::TBasePickerAnimation(int duration, int interval) : FDuration(duration), FInterval(interval) {}

void TBasePickerAnimation::Start(uint64_t now)
{
    DoPrepare();
    FWhenStarted = now;
    FIsStarted = true;
    OnStarted(this);
}

void TBasePickerAnimation::Tick(uint64_t now)
{
    if (!FIsStarted)
        return;
    // A clock that went backwards counts as no time elapsed.
    const uint64_t elapsed = now > FWhenStarted ? now - FWhenStarted : 0;
    if (elapsed + static_cast<uint64_t>(FInterval) < static_cast<uint64_t>(FDuration))
        Animate(static_cast<int>(elapsed));
    else
        Finish();
}

void TBasePickerAnimation::Finish()
{
    if (!FIsStarted)
        return;
    Animate(FDuration);
    // Stopped before the final step runs, so a failing step cannot leave a
    // timer behind that fails again on every tick.
    FIsStarted = false;
    DoOnFinish();
    OnFinished(this);
}

void TBasePickerAnimation::Stop()
{
    FIsStarted = false;
}

TPickerSlideAnimation::TPickerSlideAnimation(TPickerPopupModel* control, TPickerColumn* column, int nextValue,
                                             int steps, int itemHeight)
    : TBasePickerAnimation(kDuration, kInterval), FControl(control), FColumn(column), FNextValue(nextValue),
      FDelta(-steps), FCoef(static_cast<double>(-steps) * itemHeight / kDuration)
{
}

void TPickerSlideAnimation::Animate(int elapsed)
{
    if (!FColumn)
        return;
    FColumn->FDrawOffset = RoundHalfEven(elapsed * FCoef);
    if (FControl)
        FControl->InvalidateColumn(FColumn);
}

void TPickerSlideAnimation::DoOnFinish()
{
    if (!FColumn)
        return;
    FColumn->FDrawOffset = 0;
    FColumn->SetCurrentValue(FNextValue);
    if (FControl)
        FControl->AnimationFinished();
}

} // namespace pickers
