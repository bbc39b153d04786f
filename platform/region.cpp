#include "platform/region.h"

#include <algorithm>
#include <new>

#include <cairo.h>

namespace platform {

namespace {
cairo_rectangle_int_t ToCairo(const TRect& r)
{
    return {r.Left, r.Top, std::max(0, r.Right - r.Left), std::max(0, r.Bottom - r.Top)};
}
cairo_region_t* Checked(cairo_region_t* r)
{
    if (cairo_region_status(r) != CAIRO_STATUS_SUCCESS) {
        cairo_region_destroy(r);
        throw std::bad_alloc();
    }
    return r;
}
void Check(cairo_status_t s)
{
    if (s != CAIRO_STATUS_SUCCESS)
        throw std::bad_alloc();
}
} // namespace

Region::Region() : FRegion(Checked(cairo_region_create())) {}
Region::Region(const TRect& r)
{
    if (r.IsEmpty()) {
        FRegion = Checked(cairo_region_create());
    } else {
        const cairo_rectangle_int_t c = ToCairo(r);
        FRegion = Checked(cairo_region_create_rectangle(&c));
    }
}
Region::Region(const Region& other) : FRegion(Checked(cairo_region_copy(other.FRegion))) {}
Region::Region(Region&& other) noexcept : FRegion(other.FRegion) { other.FRegion = nullptr; }
Region& Region::operator=(const Region& other)
{
    if (this != &other) {
        cairo_region_t* copy = Checked(cairo_region_copy(other.FRegion));
        if (FRegion)
            cairo_region_destroy(FRegion);
        FRegion = copy;
    }
    return *this;
}
Region& Region::operator=(Region&& other) noexcept
{
    std::swap(FRegion, other.FRegion);
    return *this;
}
Region::~Region()
{
    if (FRegion)
        cairo_region_destroy(FRegion);
}

bool Region::IsEmpty() const { return !FRegion || cairo_region_is_empty(FRegion); }
TRect Region::Box() const
{
    if (IsEmpty())
        return {};
    cairo_rectangle_int_t e;
    cairo_region_get_extents(FRegion, &e);
    return {e.x, e.y, e.x + e.width, e.y + e.height};
}
bool Region::Contains(TPoint p) const { return FRegion && cairo_region_contains_point(FRegion, p.X, p.Y); }
bool Region::Intersects(const TRect& r) const
{
    if (r.IsEmpty() || IsEmpty())
        return false;
    const cairo_rectangle_int_t c = ToCairo(r);
    return cairo_region_contains_rectangle(FRegion, &c) != CAIRO_REGION_OVERLAP_OUT;
}
bool Region::ContainsRect(const TRect& r) const
{
    if (r.IsEmpty() || IsEmpty())
        return false;
    const cairo_rectangle_int_t c = ToCairo(r);
    return cairo_region_contains_rectangle(FRegion, &c) == CAIRO_REGION_OVERLAP_IN;
}
std::vector<TRect> Region::Rects() const
{
    std::vector<TRect> out;
    const int n = FRegion ? cairo_region_num_rectangles(FRegion) : 0;
    out.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        cairo_rectangle_int_t c;
        cairo_region_get_rectangle(FRegion, i, &c);
        out.push_back({c.x, c.y, c.x + c.width, c.y + c.height});
    }
    return out;
}

void Region::Clear() { *this = Region(); }
void Region::Unite(const TRect& r)
{
    if (r.IsEmpty())
        return;
    const cairo_rectangle_int_t c = ToCairo(r);
    Check(cairo_region_union_rectangle(FRegion, &c));
}
void Region::Unite(const Region& r) { Check(cairo_region_union(FRegion, r.FRegion)); }
void Region::Intersect(const TRect& r)
{
    if (r.IsEmpty()) {
        Clear();
        return;
    }
    const cairo_rectangle_int_t c = ToCairo(r);
    Check(cairo_region_intersect_rectangle(FRegion, &c));
}
void Region::Intersect(const Region& r) { Check(cairo_region_intersect(FRegion, r.FRegion)); }
void Region::Subtract(const TRect& r)
{
    if (r.IsEmpty())
        return;
    const cairo_rectangle_int_t c = ToCairo(r);
    Check(cairo_region_subtract_rectangle(FRegion, &c));
}
void Region::Subtract(const Region& r) { Check(cairo_region_subtract(FRegion, r.FRegion)); }
void Region::Xor(const Region& r) { Check(cairo_region_xor(FRegion, r.FRegion)); }
void Region::Offset(int dx, int dy) { cairo_region_translate(FRegion, dx, dy); }

void Region::Combine(const Region& a, const Region& b, RegionOp op)
{
    Region result(a);
    switch (op) {
    case RegionOp::And: result.Intersect(b); break;
    case RegionOp::Or: result.Unite(b); break;
    case RegionOp::Diff: result.Subtract(b); break;
    case RegionOp::Xor: result.Xor(b); break;
    case RegionOp::Copy: break;
    }
    *this = std::move(result);
}

bool operator==(const Region& a, const Region& b) { return cairo_region_equal(a.FRegion, b.FRegion); }

} // namespace platform
