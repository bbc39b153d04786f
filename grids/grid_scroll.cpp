// Scroll bars: ranges, thumbs and scroll requests. Both bars run on a fixed
// 0..127 scale whatever the number of cells, so the mapping between thumb
// and first shown cell is a single multiplication either way.
#include <algorithm>

#include "grids/grid_bidi.h"
#include "grids/grid_model.h"

namespace grids {

namespace {
// a * b / c rounded to nearest (halves away from zero) in 64 bits; 0 when c is 0.
int64_t MulDiv64(int64_t a, int64_t b, int64_t c)
{
    if (c == 0)
        return 0;
    const int64_t p = a * b;
    const bool neg = (p < 0) != (c < 0);
    const int64_t ap = p < 0 ? -p : p, ac = c < 0 ? -c : c;
    const int64_t q = (ap + ac / 2) / ac;
    return neg ? -q : q;
}
} // namespace

void TGridModel::UpdateScrollRange()
{
    if (FScrollBars == ssNone) {
        FHorzRange = FVertRange = 0;
        return;
    }
    if (IsUpdating())
        return;
    const TGridCoord old = FTopLeft;
    const TGridCoord max = MaxTopLeft();
    const bool horz = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
    const bool vert = FScrollBars == ssVertical || FScrollBars == ssBoth;
    if (horz) {
        if (ColCount() == 1)
            FHorzRange = std::max(0, ColWidths(0) - FClientWidth);
        else
            FHorzRange = FixedCols() < max.X ? ScrollScale : 0;
    } else {
        FHorzRange = 0;
    }
    FVertRange = vert && FixedRows() < max.Y ? ScrollScale : 0;
    if (max.X < FTopLeft.X || max.Y < FTopLeft.Y) {
        FlushPainting();
        FTopLeft.X = std::min(FTopLeft.X, std::max(max.X, FixedCols()));
        FTopLeft.Y = std::min(FTopLeft.Y, std::max(max.Y, FixedRows()));
    }
    UpdateScrollPos();
    ScrollBarsChanged();
    if (FTopLeft != old)
        TopLeftMoved(old);
}

void TGridModel::UpdateScrollPos()
{
    const TGridCoord max = MaxTopLeft();
    // An axis that cannot scroll has its thumb at 0 (no division by zero).
    auto thumb = [](int32_t first, int32_t fixed, int32_t largest) {
        return static_cast<int>(std::clamp<int64_t>(MulDiv64(int64_t{first} - fixed, ScrollScale,
                                                             int64_t{largest} - fixed), 0, ScrollScale));
    };
    FVertPos = thumb(TopRow(), FixedRows(), max.Y);
    if (ColCount() == 1) {
        FHorzPos = FColOffset;
    } else {
        FHorzPos = thumb(LeftCol(), FixedCols(), max.X);
        if (FRightToLeft)
            FHorzPos = MirrorThumb(FHorzPos, ScrollScale);
    }
    ScrollBarsChanged();
}

int32_t TGridModel::ScrollAxis(TScrollBarKind bar, TScrollCode code, int pos, bool useRightToLeft)
{
    const bool horz = bar == sbHorizontal;
    const TGridAxis& axis = horz ? FCols : FRows;
    const TGridDrawInfo info = CalcDrawInfo();
    const TGridAxisDrawInfo& ai = horz ? info.Horz : info.Vert;
    const int64_t fixed = axis.Fixed();
    const int64_t cur = horz ? FTopLeft.X : FTopLeft.Y;
    const TGridCoord maxCoord = CalcMaxTopLeft({ColCount() - 1, RowCount() - 1}, info);
    const int64_t largest = std::max<int64_t>(horz ? maxCoord.X : maxCoord.Y, fixed);
    const int64_t dir = horz && useRightToLeft && FRightToLeft ? -1 : 1;
    pos = std::clamp(pos, 0, int{ScrollScale});
    int64_t r = cur;
    switch (code) {
    case scLineUp: r = cur - dir; break;
    case scLineDown: r = cur + dir; break;
    case scPageUp: {
        const TGridCoord back = CalcMaxTopLeft(FTopLeft, info);
        r = cur - dir * std::max<int64_t>(1, cur - (horz ? back.X : back.Y));
        break;
    }
    case scPageDown: r = cur + dir * std::max<int64_t>(1, ai.LastFullVisibleCell - cur); break;
    case scTrack:
        if (!FOptions.Contains(goThumbTracking))
            break;
        [[fallthrough]];
    case scPosition:
        if (horz && useRightToLeft && FRightToLeft)
            r = largest - MulDiv64(pos, largest - fixed, ScrollScale);
        else
            r = fixed + MulDiv64(pos, largest - fixed, ScrollScale);
        break;
    case scTop: r = fixed; break;
    case scBottom: r = largest; break;
    default: break;
    }
    // Stepping lands on shown cells only: hidden cells are skipped in the
    // direction of the step.
    const bool stepping = code == scLineUp || code == scLineDown || code == scPageUp || code == scPageDown;
    if (stepping && r > fixed && r < largest && r != cur && !axis.Shown(static_cast<int32_t>(r))) {
        if (r > cur) {
            const int32_t n = axis.NextShown(static_cast<int32_t>(r));
            r = n < axis.Count() ? n : largest;
        } else {
            r = axis.PrevShown(static_cast<int32_t>(r));
        }
    }
    return static_cast<int32_t>(std::clamp(r, fixed, largest));
}

void TGridModel::PixelScroll(TScrollCode code, int pos, bool useRightToLeft)
{
    const TGridDrawInfo info = CalcDrawInfo();
    const int page = std::max(0, FClientWidth - info.Horz.FixedBoundary);
    const int maxOfs = std::max(0, ColWidths(0) - page);
    const int dir = useRightToLeft && FRightToLeft ? -1 : 1;
    int64_t ofs = FColOffset;
    switch (code) {
    case scLineUp: ofs -= int64_t{FCharWidth} * dir; break;
    case scLineDown: ofs += int64_t{FCharWidth} * dir; break;
    case scPageUp: ofs -= int64_t{page} * dir; break;
    case scPageDown: ofs += int64_t{page} * dir; break;
    case scTrack:
        if (!FOptions.Contains(goThumbTracking))
            break;
        [[fallthrough]];
    case scPosition: ofs = useRightToLeft && FRightToLeft ? maxOfs - pos : pos; break;
    case scTop: ofs = 0; break;
    case scBottom: ofs = maxOfs; break;
    default: break;
    }
    const int next = static_cast<int>(std::clamp<int64_t>(ofs, 0, maxOfs));
    if (next == FColOffset)
        return;
    const int delta = FColOffset - next;
    FColOffset = next;
    TRect band{info.Horz.FixedBoundary, 0, FClientWidth, FClientHeight};
    if (FRightToLeft)
        band = MirrorRect(band, FClientWidth);
    ScrollPixels(band, FRightToLeft ? -delta : delta, 0);
    if (FixedRows() > 0)
        InvalidateRect({0, 0, 0, FixedRows() - 1});
    FlushPainting();
    UpdateScrollPos();
}

void TGridModel::ModifyScrollBar(TScrollBarKind bar, TScrollCode code, int pos, bool useRightToLeft)
{
    if (bar == sbHorizontal && ColCount() == 1) {
        PixelScroll(code, pos, useRightToLeft);
        return;
    }
    const int32_t r = ScrollAxis(bar, code, pos, useRightToLeft);
    if (bar == sbHorizontal)
        MoveTopLeft(r, TopRow());
    else
        MoveTopLeft(LeftCol(), r);
}

void TGridModel::PanUpdate(int x, int y)
{
    // The travel is measured in cells of the first shown row (column); a
    // hidden first cell lends the extent of the next shown one, and with
    // nothing shown nothing scrolls.
    auto cellExtent = [](const TGridAxis& axis, int32_t first) -> int64_t {
        const int32_t i = axis.NextShown(first);
        return i < axis.Count() ? axis.Extent(i) : 0;
    };
    const int64_t dy = int64_t{y} - FPanPoint.Y, dx = int64_t{x} - FPanPoint.X;
    if (dy > 1 || dy < -1) {
        const int64_t h = cellExtent(FRows, TopRow());
        const int64_t n = h > 0 ? dy / h : 0;
        for (int64_t i = 0; i < (n < 0 ? -n : n) && i < 10000; ++i)
            ModifyScrollBar(sbVertical, n > 0 ? scLineUp : scLineDown, 0);
        FPanPoint.Y += static_cast<int32_t>(n * h);
    } else if (dx >= 2 || dx <= -2) {
        const int64_t w = cellExtent(FCols, LeftCol());
        const int64_t n = w > 0 ? dx / w : 0;
        for (int64_t i = 0; i < (n < 0 ? -n : n) && i < 10000; ++i)
            ModifyScrollBar(sbHorizontal, n > 0 ? scLineUp : scLineDown, 0);
        FPanPoint.X += static_cast<int32_t>(n * w);
    }
}

} // namespace grids
