#pragma once
// Basic value types of the platform layer: window handles, message
// parameters, points, sizes and rectangles, and the message record.
#include <compare>
#include <cstdint>
#include <functional>

namespace platform {

using UINT = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using COLORREF = uint32_t; // 0x00BBGGRR

// A window handle. Handles are never reused during a run: a handle that
// outlives its window stays invalid (IsWindow answers false) for good.
class HWND {
public:
    constexpr HWND() = default;
    constexpr explicit HWND(uint32_t id) : FId(id) {}
    constexpr uint32_t Id() const noexcept { return FId; }
    constexpr explicit operator bool() const noexcept { return FId != 0; }
    friend constexpr bool operator==(HWND a, HWND b) noexcept = default;
    friend constexpr auto operator<=>(HWND a, HWND b) noexcept = default;
    // Handles travel in message parameters (WM_COMMAND, WM_KILLFOCUS, ...).
    constexpr LPARAM ToParam() const noexcept { return static_cast<LPARAM>(FId); }
    static constexpr HWND FromParam(intptr_t v) noexcept { return HWND(static_cast<uint32_t>(v)); }

private:
    uint32_t FId = 0;
};

struct TPoint {
    int X = 0, Y = 0;
    friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int cx = 0, cy = 0;
    friend constexpr bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    constexpr int Width() const noexcept { return Right - Left; }
    constexpr int Height() const noexcept { return Bottom - Top; }
    constexpr bool IsEmpty() const noexcept { return Right <= Left || Bottom <= Top; }
    constexpr bool Contains(TPoint p) const noexcept { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
    constexpr TPoint TopLeft() const noexcept { return {Left, Top}; }
    constexpr TPoint BottomRight() const noexcept { return {Right, Bottom}; }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

constexpr TRect Rect(int l, int t, int r, int b) { return {l, t, r, b}; }
constexpr TRect Bounds(int l, int t, int w, int h) { return {l, t, l + w, t + h}; }

// Rectangle helpers with the usual platform meanings: empty results are
// all-zero rectangles and the functions answer whether the result is not empty.
bool IntersectRect(TRect& dst, const TRect& a, const TRect& b);
bool UnionRect(TRect& dst, const TRect& a, const TRect& b);
bool SubtractRect(TRect& dst, const TRect& a, const TRect& b);
void OffsetRect(TRect& r, int dx, int dy);
void InflateRect(TRect& r, int dx, int dy);
bool PtInRect(const TRect& r, TPoint p);
bool IsRectEmpty(const TRect& r);
bool EqualRect(const TRect& a, const TRect& b);
// a * b / c rounded to nearest; -1 when c is 0.
int MulDiv(int a, int b, int c);

constexpr uint16_t LOWORD(uintptr_t v) { return static_cast<uint16_t>(v & 0xFFFF); }
constexpr uint16_t HIWORD(uintptr_t v) { return static_cast<uint16_t>((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(int lo, int hi)
{
    return static_cast<LPARAM>(static_cast<uint32_t>((static_cast<uint32_t>(lo) & 0xFFFF) |
                                                     ((static_cast<uint32_t>(hi) & 0xFFFF) << 16)));
}
constexpr WPARAM MAKEWPARAM(int lo, int hi) { return static_cast<WPARAM>(static_cast<uint32_t>(MAKELPARAM(lo, hi))); }
// Signed coordinates packed in an lParam.
constexpr int GET_X_LPARAM(LPARAM l) { return static_cast<int16_t>(l & 0xFFFF); }
constexpr int GET_Y_LPARAM(LPARAM l) { return static_cast<int16_t>((l >> 16) & 0xFFFF); }
constexpr int GET_WHEEL_DELTA_WPARAM(WPARAM w) { return static_cast<int16_t>((w >> 16) & 0xFFFF); }
constexpr TPoint PointFromLParam(LPARAM l) { return {GET_X_LPARAM(l), GET_Y_LPARAM(l)}; }
constexpr LPARAM PointToLParam(TPoint p) { return MAKELPARAM(p.X, p.Y); }

// One queued message.
struct MSG {
    HWND hwnd;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    uint32_t time = 0; // clock in milliseconds when queued
    TPoint pt;         // cursor position in screen coordinates when queued
};

} // namespace platform

template <>
struct std::hash<platform::HWND> {
    size_t operator()(platform::HWND h) const noexcept { return std::hash<uint32_t>()(h.Id()); }
};
