#pragma once
// Pixel geometry of the picker model: points, sizes and rectangles in the
// usual window convention (Right and Bottom are exclusive).
#include <cmath>

namespace pickers {

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int Width = 0;
    int Height = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
    bool Intersects(const TRect& r) const
    {
        return Left < r.Right && r.Left < Right && Top < r.Bottom && r.Top < Bottom;
    }
    TRect Inflated(int dx, int dy) const { return {Left - dx, Top - dy, Right + dx, Bottom + dy}; }
    TRect Offset(int dx, int dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4).
inline int RoundHalfEven(double v)
{
    const double f = std::floor(v);
    const double diff = v - f;
    double r = f;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(f, 2.0) != 0.0))
        r = f + 1.0;
    return static_cast<int>(r);
}

// Integer division rounding towards minus infinity (divisor > 0).
inline int FloorDiv(int a, int b)
{
    const int q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

} // namespace pickers
