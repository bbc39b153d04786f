// Scaling of controls from the density their geometry is laid out for to
// another one: positions, sizes and fonts change by new : current with
// MulDiv rounding (halves away from zero).
#include <cmath>

#include "controls/control.h"
#include "controls/form.h"
#include "platform/services.h"

namespace controls {

using namespace components;
using namespace platform;

int TControl::ScaleValue(int v) const
{
    return MulDiv(v, static_cast<int>(std::lround(FScaleFactor * 100.0)), 100);
}

void TControl::ChangeScale(int m, int d, bool isDpiChange)
{
    if (m != d && d != 0) {
        FScaleFactor = FScaleFactor * m / d;
        const TScalingFlags flags = InState(TComponentState::csLoading) ? FScalingFlags : DefaultScalingFlags;
        const bool sl = flags.Contains(TScalingFlag::sfLeft), st = flags.Contains(TScalingFlag::sfTop);
        const int newLeft = sl ? MulDiv(FLeft, m, d) : FLeft;
        const int newTop = st ? MulDiv(FTop, m, d) : FTop;
        int newWidth = FWidth, newHeight = FHeight;
        if (flags.Contains(TScalingFlag::sfWidth) && !FControlStyle.Contains(TControlStyleItem::csFixedWidth))
            newWidth = sl ? MulDiv(FLeft + FWidth, m, d) - newLeft : MulDiv(FWidth, m, d);
        if (flags.Contains(TScalingFlag::sfHeight) && !FControlStyle.Contains(TControlStyleItem::csFixedHeight))
            newHeight = st ? MulDiv(FTop + FHeight, m, d) - newTop : MulDiv(FHeight, m, d);
        SetBounds(newLeft, newTop, newWidth, newHeight);
        if (!FParentFont && flags.Contains(TScalingFlag::sfFont))
            ScaleFontHeight(m, d);
    }
    FScalingFlags = {};
    if (isDpiChange)
        FCurrentPPI = m;
}

void TControl::ScaleFontHeight(int m, int d)
{
    FChangingFont = true;
    FFont->SetHeight(MulDiv(FFont->Height(), m, d));
    FFontHeight = FFont->Height();
    FChangingFont = false;
}

void TControl::ScaleForPPI(int newPPI)
{
    if (FIScaling || newPPI <= 0)
        return;
    FIScaling = true;
    struct Reset {
        bool& Flag;
        ~Reset() { Flag = false; }
    } reset{FIScaling};
    if (FCurrentPPI == 0) {
        const TCustomForm* form = GetParentForm(this);
        FCurrentPPI = form ? form->PixelsPerInch() : 96;
    }
    if (newPPI != FCurrentPPI)
        ChangeScale(newPPI, FCurrentPPI, true);
}

void TWinControl::ChangeScale(int m, int d, bool isDpiChange)
{
    if (!isDpiChange && m != d)
        for (TControl* c : std::vector<TControl*>(FControls))
            c->ChangeScale(m, d, false);
    TControl::ChangeScale(m, d, isDpiChange);
}

void TWinControl::ScaleForPPI(int newPPI)
{
    if (newPPI == 0)
        newPPI = GetCurrentPPIScreen();
    if (newPPI != FCurrentPPI)
        for (TControl* c : std::vector<TControl*>(FControls))
            c->ScaleForPPI(newPPI);
    TControl::ScaleForPPI(newPPI);
}

int TWinControl::GetCurrentPPIScreen()
{
    // A failed or absurd density query (below 30) counts as unknown: fall back
    // to the screen's density, which itself falls back to 96.
    const int dpi = GetDpiForMonitor(MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST));
    if (dpi >= 30)
        return dpi;
    const int screen = Screen ? Screen->PixelsPerInch() : GetScreenDpi();
    return screen >= 30 ? screen : 96;
}

// ---- forms ------------------------------------------------------------------------

void TCustomForm::ScaleForCurrentDpi()
{
    const int oldPPI = FCurrentPPI;
    if (FScaled)
        ScaleForPPIRect(GetCurrentPPIScreen(), nullptr);
    else
        ScaleForPPIRect(FCurrentPPI, nullptr);
    FScalingFlags = {};
    if (FCurrentPPI == oldPPI)
        for (TControl* c : std::vector<TControl*>(FControls))
            c->ChangeScale(1, 1, false); // clears the recorded flags, geometry unchanged
}

void TCustomForm::ApplyRecordedClientSize()
{
    if (FClientWidth > 0)
        SetClientWidth(FClientWidth);
    if (FClientHeight > 0)
        SetClientHeight(FClientHeight);
}

void TCustomForm::ScaleForPPIRect(int newPPI, const TRect* suggested)
{
    if ((!HandleAllocated() && Parent()) || newPPI < 30)
        return;
    const int oldPPI = FCurrentPPI != 0 ? FCurrentPPI : FPixelsPerInch;
    if (newPPI == oldPPI) {
        ApplyRecordedClientSize();
        return;
    }
    FScaleFactor = FScaleFactor * newPPI / oldPPI;
    for (TControl* c : std::vector<TControl*>(FControls))
        c->ScaleForPPI(newPPI);
    if (suggested) {
        SetBounds(suggested->Left, suggested->Top, suggested->Width(), suggested->Height());
    } else if (FScalingFlags.Contains(TScalingFlag::sfWidth) || FScalingFlags.Contains(TScalingFlag::sfHeight)) {
        if (FClientWidth > 0)
            FClientWidth = MulDiv(FClientWidth, newPPI, oldPPI);
        if (FClientHeight > 0)
            FClientHeight = MulDiv(FClientHeight, newPPI, oldPPI);
        ApplyRecordedClientSize();
    } else {
        const int cw = ClientWidth(), ch = ClientHeight();
        SetClientSize(MulDiv(cw, newPPI, oldPPI), MulDiv(ch, newPPI, oldPPI));
    }
    if (!ParentFont())
        ScaleFontHeight(newPPI, oldPPI);
    FCurrentPPI = newPPI;
}

void TCustomForm::WMDpiChanged(TMessage& m)
{
    const int dpi = HIWORD(m.WParam);
    m.Result = 0;
    // A density of 0 names no density: ignore it, so the next real change
    // scales from the density the form is really laid out for.
    if (dpi < 30 || !FScaled)
        return;
    if (dpi != FCurrentPPI)
        ScaleForPPIRect(dpi, reinterpret_cast<const TRect*>(m.LParam));
}

} // namespace controls
