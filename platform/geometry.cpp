#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "platform/types.h"

namespace platform {

bool IntersectRect(TRect& dst, const TRect& a, const TRect& b)
{
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    dst = r.IsEmpty() ? TRect{} : r;
    return !dst.IsEmpty();
}

bool UnionRect(TRect& dst, const TRect& a, const TRect& b)
{
    if (a.IsEmpty())
        dst = b.IsEmpty() ? TRect{} : b;
    else if (b.IsEmpty())
        dst = a;
    else
        dst = {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
    return !dst.IsEmpty();
}

bool SubtractRect(TRect& dst, const TRect& a, const TRect& b)
{
    // Only a full band taken off one side shrinks the rectangle.
    TRect r = a;
    TRect i;
    if (!IntersectRect(i, a, b)) {
        dst = a;
        return !dst.IsEmpty();
    }
    if (i.Top == a.Top && i.Bottom == a.Bottom) {
        if (i.Left == a.Left)
            r.Left = i.Right;
        else if (i.Right == a.Right)
            r.Right = i.Left;
    } else if (i.Left == a.Left && i.Right == a.Right) {
        if (i.Top == a.Top)
            r.Top = i.Bottom;
        else if (i.Bottom == a.Bottom)
            r.Bottom = i.Top;
    }
    dst = r.IsEmpty() ? TRect{} : r;
    return !dst.IsEmpty();
}

void OffsetRect(TRect& r, int dx, int dy)
{
    r.Left += dx;
    r.Right += dx;
    r.Top += dy;
    r.Bottom += dy;
}

void InflateRect(TRect& r, int dx, int dy)
{
    r.Left -= dx;
    r.Right += dx;
    r.Top -= dy;
    r.Bottom += dy;
}

bool PtInRect(const TRect& r, TPoint p) { return r.Contains(p); }
bool IsRectEmpty(const TRect& r) { return r.IsEmpty(); }
bool EqualRect(const TRect& a, const TRect& b) { return a == b; }

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const int64_t p = static_cast<int64_t>(a) * b;
    int64_t q = (std::llabs(p) + std::llabs(static_cast<int64_t>(c)) / 2) / std::llabs(static_cast<int64_t>(c));
    if ((p < 0) != (c < 0))
        q = -q;
    return static_cast<int>(q);
}

} // namespace platform
