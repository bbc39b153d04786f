// The indicator images of the data grid, drawn by the program itself with
// cairo and kept as PNG resources: the current-record triangle, the edit
// I-beam, the insert star, the multi-selection dot and the dot with a chevron.
// Each comes at 13 x 13 and, suffixed "_20X", at 26 x 26. The pictures sit in
// the middle with transparent margins, so they fit the 11-pixel indicator column.
#include <array>
#include <cmath>
#include <mutex>
#include <string>
#include <vector>

#include <cairo.h>

#include "grids/db_grid.h"
#include "platform/bitmap.h"
#include "platform/resources.h"

namespace grids {

namespace {

constexpr double Pi = 3.14159265358979323846;

void Triangle(cairo_t* cr)
{
    cairo_move_to(cr, 4, 2.5);
    cairo_line_to(cr, 4, 10.5);
    cairo_line_to(cr, 8.5, 6.5);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void IBeam(cairo_t* cr)
{
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, 6.5, 2.5);
    cairo_line_to(cr, 6.5, 10.5);
    cairo_move_to(cr, 4.5, 2.5);
    cairo_line_to(cr, 8.5, 2.5);
    cairo_move_to(cr, 4.5, 10.5);
    cairo_line_to(cr, 8.5, 10.5);
    cairo_stroke(cr);
}

void Star(cairo_t* cr)
{
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 == 0 ? 4.8 : 2.0;
        const double a = -Pi / 2 + i * Pi / 5;
        const double x = 6.5 + r * std::cos(a), y = 6.8 + r * std::sin(a);
        if (i == 0)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
    cairo_fill(cr);
}

void Dot(cairo_t* cr, double cx)
{
    cairo_arc(cr, cx, 6.5, 2.5, 0, 2 * Pi);
    cairo_fill(cr);
}

void DotArrow(cairo_t* cr)
{
    Dot(cr, 4.5);
    cairo_move_to(cr, 8, 3.5);
    cairo_line_to(cr, 11, 6.5);
    cairo_line_to(cr, 8, 9.5);
    cairo_close_path(cr);
    cairo_fill(cr);
}

std::vector<uint8_t> Render(int index, int scale)
{
    const int size = 13 * scale;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(s);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_scale(cr, scale, scale);
    cairo_set_source_rgb(cr, 0, 0, 0);
    switch (index) {
    case 0: Triangle(cr); break;
    case 1: IBeam(cr); break;
    case 2: Star(cr); break;
    case 3: Dot(cr, 6.5); break;
    default: DotArrow(cr); break;
    }
    cairo_destroy(cr);
    cairo_surface_flush(s);
    const platform::Bitmap bmp = platform::Bitmap::Adopt(s);
    return bmp.ToPng();
}

} // namespace

void RegisterIndicatorResources()
{
    static std::once_flag once;
    // The PNG bytes live as long as the program: resources are not copied.
    static std::array<std::vector<uint8_t>, 10> images;
    std::call_once(once, [] {
        static constexpr std::array<const char16_t*, 5> names{u"DBGARROW", u"DBEDIT", u"DBINSERT", u"DBMULTIDOT",
                                                              u"DBMULTIARROW"};
        for (int i = 0; i < 5; ++i) {
            images[static_cast<size_t>(i)] = Render(i, 1);
            images[static_cast<size_t>(i + 5)] = Render(i, 2);
        }
        for (size_t i = 0; i < 5; ++i) {
            platform::RegisterResource(platform::ResourceType::Png, names[i], images[i]);
            platform::RegisterResource(platform::ResourceType::Png, std::u16string(names[i]) + u"_20X",
                                       images[i + 5]);
        }
    });
}

} // namespace grids
