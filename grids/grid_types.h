#pragma once
// Small value types shared by the grids: cell coordinates and rectangles,
// pixel rectangles, the option and draw-state sets, the per-axis layout
// record, key codes and modifier state.
#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace grids {

// A cell address: column X, row Y. (-1, -1) means "no cell".
struct TGridCoord {
    int32_t X = 0, Y = 0;
    friend constexpr bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

constexpr TGridCoord NoCell{-1, -1};

// Inclusive cell rectangle; Right < Left or Bottom < Top is empty.
struct TGridRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    constexpr bool IsEmpty() const noexcept { return Right < Left || Bottom < Top; }
    constexpr bool Contains(TGridCoord c) const noexcept
    {
        return c.X >= Left && c.X <= Right && c.Y >= Top && c.Y <= Bottom;
    }
    friend constexpr bool operator==(const TGridRect&, const TGridRect&) = default;
};

// The normalised rectangle spanned by two cells.
constexpr TGridRect GridRect(TGridCoord a, TGridCoord b)
{
    return {a.X < b.X ? a.X : b.X, a.Y < b.Y ? a.Y : b.Y, a.X < b.X ? b.X : a.X, a.Y < b.Y ? b.Y : a.Y};
}

// Client pixel rectangle, right and bottom exclusive; all zero when empty.
struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    constexpr int Width() const noexcept { return Right - Left; }
    constexpr int Height() const noexcept { return Bottom - Top; }
    constexpr bool IsEmpty() const noexcept { return Right <= Left || Bottom <= Top; }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

// A set of up to 32 enumeration values.
template <class E>
class TEnumSet {
public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> items)
    {
        for (E e : items)
            FBits |= Bit(e);
    }
    constexpr bool Contains(E e) const noexcept { return (FBits & Bit(e)) != 0; }
    constexpr TEnumSet& Include(E e) noexcept { FBits |= Bit(e); return *this; }
    constexpr TEnumSet& Exclude(E e) noexcept { FBits &= ~Bit(e); return *this; }
    constexpr TEnumSet operator+(TEnumSet o) const noexcept { return FromBits(FBits | o.FBits); }
    constexpr TEnumSet operator-(TEnumSet o) const noexcept { return FromBits(FBits & ~o.FBits); }
    constexpr TEnumSet operator*(TEnumSet o) const noexcept { return FromBits(FBits & o.FBits); }
    constexpr bool Empty() const noexcept { return FBits == 0; }
    constexpr uint32_t Bits() const noexcept { return FBits; }
    static constexpr TEnumSet FromBits(uint32_t b) noexcept { TEnumSet s; s.FBits = b; return s; }
    friend constexpr bool operator==(TEnumSet, TEnumSet) = default;

private:
    static constexpr uint32_t Bit(E e) noexcept { return 1u << static_cast<unsigned>(e); }
    uint32_t FBits = 0;
};

enum class TGridOption {
    goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goDrawFocusSelected,
    goRowSizing, goColSizing, goRowMoving, goColMoving, goEditing, goTabs, goRowSelect,
    goAlwaysShowEditor, goThumbTracking, goFixedColClick, goFixedRowClick, goFixedHotTrack,
    goFixedColDefAlign, goFixedRowDefAlign
};
using enum TGridOption;
using TGridOptions = TEnumSet<TGridOption>;

enum class TGridDrawStateItem { gdSelected, gdFocused, gdFixed, gdRowSelected, gdHotTrack, gdPressed };
using enum TGridDrawStateItem;
using TGridDrawState = TEnumSet<TGridDrawStateItem>;

enum class TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };
using enum TGridState;

enum class TGridScrollDirection { sdLeft, sdRight, sdUp, sdDown };
using enum TGridScrollDirection;
using TGridScrollDirections = TEnumSet<TGridScrollDirection>;

enum class TGridDrawingStyle { gdsClassic, gdsThemed, gdsGradient };
using enum TGridDrawingStyle;

enum class TEditStyle { esSimple, esEllipsis, esPickList };
using enum TEditStyle;

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
using enum TAlignment;

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
using enum TScrollStyle;

enum class TScrollBarKind { sbHorizontal, sbVertical };
using enum TScrollBarKind;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
using enum TMouseButton;

struct THotTrackCellInfo {
    TGridRect Rect{-1, -1, -1, -1};
    TMouseButton Button = mbLeft;
    bool Pressed = false;
    friend constexpr bool operator==(const THotTrackCellInfo&, const THotTrackCellInfo&) = default;
};

// Layout of one axis at one moment (see TGridModel::CalcDrawInfo).
struct TGridAxisDrawInfo {
    int EffectiveLineWidth = 0;
    int FixedBoundary = 0;
    int GridBoundary = 0;
    int GridExtent = 0;
    int32_t LastFullVisibleCell = 0;
    int FullVisBoundary = 0;
    int32_t FixedCellCount = 0;
    int32_t FirstGridCell = 0;
    int32_t GridCellCount = 0;
};

// One cell of an axis as painted: client pixels [Start, End), line excluded.
struct TGridCellSpan {
    int32_t Index = 0;
    int Start = 0, End = 0;
    friend constexpr bool operator==(const TGridCellSpan&, const TGridCellSpan&) = default;
};

struct TGridDrawInfo {
    TGridAxisDrawInfo Horz, Vert;
};

// Modifier keys held with a key or mouse event.
struct TGridShift {
    bool Shift = false, Ctrl = false, Alt = false;
};

// Virtual key codes the grid reacts to; the values are the platform's key codes.
namespace keys {
constexpr int VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_ESCAPE = 0x1B, VK_PRIOR = 0x21,
              VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27,
              VK_DOWN = 0x28, VK_F2 = 0x71;
}

// Scroll-bar request codes.
enum class TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
using enum TScrollCode;

// Dialog-code answers: which keys the grid wants to receive itself.
struct TGridDlgCode {
    bool Arrows = false, Tab = false, Chars = false, Enter = false;
    friend constexpr bool operator==(const TGridDlgCode&, const TGridDlgCode&) = default;
};

} // namespace grids
