#pragma once
// Time-driven animations of the picker pop-up. The owner's timer calls Tick
// with the current tick count every FInterval milliseconds while the
// animation runs; nothing here reads a clock.
#include <cstdint>

#include "core/closure.h"

namespace pickers {

class TPickerColumn;
class TPickerPopupModel;

class TBasePickerAnimation {
public:
    TBasePickerAnimation(int duration, int interval);
    virtual ~TBasePickerAnimation() = default;

    void Start(uint64_t now);
    // Timer tick: animates for the elapsed time, or finishes once the next
    // tick would reach the duration.
    void Tick(uint64_t now);
    // Jumps to the end: the full-duration frame, then DoOnFinish.
    void Finish();
    // Stops without the final frame or DoOnFinish.
    void Stop();

    bool IsStarted() const { return FIsStarted; }
    int Duration() const { return FDuration; }
    int Interval() const { return FInterval; }
    uint64_t WhenStarted() const { return FWhenStarted; }

    core::Closure<void(TBasePickerAnimation*)> OnStarted;
    core::Closure<void(TBasePickerAnimation*)> OnFinished;

protected:
    virtual void Animate(int elapsed) = 0;
    virtual void DoOnFinish() {}
    virtual void DoPrepare() {}

    int FDuration;
    int FInterval;
    uint64_t FWhenStarted = 0;
    bool FIsStarted = false;
};

// Slides a column by FDelta rows; at the end the column takes FNextValue.
class TPickerSlideAnimation final : public TBasePickerAnimation {
public:
    static constexpr int kDuration = 250;
    static constexpr int kInterval = 10;

    TPickerSlideAnimation(TPickerPopupModel* control, TPickerColumn* column, int nextValue, int steps, int itemHeight);

    TPickerColumn* Column() const { return FColumn; }
    int NextValue() const { return FNextValue; }
    // Drops the column (it is being freed): the slide then ends without
    // touching it.
    void DetachColumn() { FColumn = nullptr; }

protected:
    void Animate(int elapsed) override;
    void DoOnFinish() override;

private:
    TPickerPopupModel* FControl;
    TPickerColumn* FColumn;
    int FNextValue;
    int FDelta;    // rows, signed
    double FCoef;  // pixels per millisecond
};

} // namespace pickers
