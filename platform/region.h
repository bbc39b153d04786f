#pragma once
// Regions: sets of pixels made of rectangles, with the combining operations
// of the platform's drawing interface. Value type (copies are independent).
#include <vector>

#include "platform/types.h"

typedef struct _cairo_region cairo_region_t;

namespace platform {

enum class RegionOp { And, Or, Diff, Xor, Copy };

class Region {
public:
    Region();
    explicit Region(const TRect& r);
    Region(const Region& other);
    Region(Region&& other) noexcept;
    Region& operator=(const Region& other);
    Region& operator=(Region&& other) noexcept;
    ~Region();

    bool IsEmpty() const;
    TRect Box() const; // bounding box, all-zero when empty
    bool Contains(TPoint p) const;
    bool Intersects(const TRect& r) const; // RectInRegion
    bool ContainsRect(const TRect& r) const;
    std::vector<TRect> Rects() const;

    void Clear();
    void Unite(const TRect& r);
    void Unite(const Region& r);
    void Intersect(const TRect& r);
    void Intersect(const Region& r);
    void Subtract(const TRect& r);
    void Subtract(const Region& r);
    void Xor(const Region& r);
    void Offset(int dx, int dy);
    // CombineRgn: this := a op b (Copy takes a).
    void Combine(const Region& a, const Region& b, RegionOp op);

    friend bool operator==(const Region& a, const Region& b);

    cairo_region_t* Native() const noexcept { return FRegion; }

private:
    cairo_region_t* FRegion;
};

} // namespace platform
