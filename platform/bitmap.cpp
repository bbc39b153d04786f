#include "platform/bitmap.h"

#include <algorithm>
#include <atomic>
#include <utility>
#include <cstring>
#include <exception>
#include <fstream>
#include <new>

#include <cairo.h>

#include "core/exception.h"

namespace platform {

namespace {
std::atomic<size_t> GLive{0};

struct PngReader {
    std::span<const uint8_t> Bytes;
    size_t Pos = 0;
};

// C callbacks of the PNG codec: nothing may escape them.
cairo_status_t ReadPng(void* closure, unsigned char* data, unsigned int length) noexcept
{
    auto* r = static_cast<PngReader*>(closure);
    if (r->Bytes.size() - r->Pos < length)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, r->Bytes.data() + r->Pos, length);
    r->Pos += length;
    return CAIRO_STATUS_SUCCESS;
}

struct PngWriter {
    const std::function<void(std::span<const uint8_t>)>* Sink;
    std::exception_ptr Error;
};

cairo_status_t WritePngChunk(void* closure, const unsigned char* data, unsigned int length) noexcept
{
    auto* w = static_cast<PngWriter*>(closure);
    if (w->Error)
        return CAIRO_STATUS_WRITE_ERROR;
    try {
        (*w->Sink)(std::span<const uint8_t>(data, length));
        return CAIRO_STATUS_SUCCESS;
    } catch (...) {
        w->Error = std::current_exception();
        return CAIRO_STATUS_WRITE_ERROR;
    }
}
} // namespace

size_t LiveBitmapCount() { return GLive.load(); }

Bitmap::Bitmap(int width, int height)
    : FWidth(std::max(0, width)), FHeight(std::max(0, height))
{
    FSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, FWidth, FHeight);
    if (cairo_surface_status(FSurface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(FSurface);
        FSurface = nullptr;
        throw std::bad_alloc();
    }
    ++GLive;
    if (FWidth > 0 && FHeight > 0) {
        cairo_surface_flush(FSurface);
        std::memset(cairo_image_surface_get_data(FSurface), 0xFF,
                    static_cast<size_t>(cairo_image_surface_get_stride(FSurface)) * static_cast<size_t>(FHeight));
        cairo_surface_mark_dirty(FSurface);
    }
}

Bitmap::Bitmap(Bitmap&& other) noexcept
    : FSurface(std::exchange(other.FSurface, nullptr)), FWidth(std::exchange(other.FWidth, 0)),
      FHeight(std::exchange(other.FHeight, 0))
{
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept
{
    std::swap(FSurface, other.FSurface);
    std::swap(FWidth, other.FWidth);
    std::swap(FHeight, other.FHeight);
    return *this;
}

Bitmap::~Bitmap()
{
    if (FSurface) {
        cairo_surface_destroy(FSurface);
        --GLive;
    }
}

Bitmap Bitmap::Adopt(cairo_surface_t* surface)
{
    Bitmap b;
    b.FSurface = surface;
    b.FWidth = cairo_image_surface_get_width(surface);
    b.FHeight = cairo_image_surface_get_height(surface);
    ++GLive;
    return b;
}

Bitmap Bitmap::FromPng(std::span<const uint8_t> bytes)
{
    PngReader reader{bytes, 0};
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(ReadPng, &reader);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        core::Raise<core::EInvalidOperation>("Invalid PNG image");
    }
    if (cairo_image_surface_get_format(s) != CAIRO_FORMAT_ARGB32) {
        // Bring every image to one pixel format.
        cairo_surface_t* conv = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(s),
                                                           cairo_image_surface_get_height(s));
        cairo_t* cr = cairo_create(conv);
        cairo_set_source_surface(cr, s, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_destroy(s);
        s = conv;
    }
    return Adopt(s);
}

void Bitmap::WritePng(const std::function<void(std::span<const uint8_t>)>& sink) const
{
    if (!FSurface || Empty())
        core::Raise<core::EInvalidOperation>("Cannot write an empty image");
    PngWriter writer{&sink, nullptr};
    const cairo_status_t st = cairo_surface_write_to_png_stream(FSurface, WritePngChunk, &writer);
    if (writer.Error)
        std::rethrow_exception(writer.Error);
    if (st != CAIRO_STATUS_SUCCESS)
        core::Raise<core::EWriteError>("Cannot write PNG image: {}", cairo_status_to_string(st));
}

std::vector<uint8_t> Bitmap::ToPng() const
{
    std::vector<uint8_t> out;
    WritePng([&](std::span<const uint8_t> chunk) { out.insert(out.end(), chunk.begin(), chunk.end()); });
    return out;
}

void Bitmap::SavePng(const std::string& path) const
{
    std::ofstream f(path, std::ios::binary);
    if (!f)
        core::Raise<core::EWriteError>("Cannot create file \"{}\"", path);
    WritePng([&](std::span<const uint8_t> chunk) {
        f.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(chunk.size()));
        if (!f)
            core::Raise<core::EWriteError>("Cannot write file \"{}\"", path);
    });
}

Bitmap Bitmap::Clone() const
{
    Bitmap b(FWidth, FHeight);
    if (FSurface && !Empty()) {
        cairo_t* cr = cairo_create(b.FSurface);
        cairo_set_source_surface(cr, FSurface, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_destroy(cr);
    }
    return b;
}

void Bitmap::MovePixels(const std::vector<TRect>& targets, int dx, int dy)
{
    if (!FSurface || Empty() || (dx == 0 && dy == 0))
        return;
    // Rectangles clipped so that both they and their sources lie inside.
    const TRect whole{0, 0, FWidth, FHeight};
    TRect from = whole;
    OffsetRect(from, dx, dy);
    std::vector<TRect> parts;
    TRect sourceBox{};
    for (const TRect& t : targets) {
        TRect r;
        if (!IntersectRect(r, t, whole) || !IntersectRect(r, r, from))
            continue;
        parts.push_back(r);
        TRect s = r;
        OffsetRect(s, -dx, -dy);
        sourceBox = sourceBox.IsEmpty() ? s : TRect{std::min(sourceBox.Left, s.Left), std::min(sourceBox.Top, s.Top),
                                                    std::max(sourceBox.Right, s.Right),
                                                    std::max(sourceBox.Bottom, s.Bottom)};
    }
    if (parts.empty())
        return;
    cairo_surface_flush(FSurface);
    uint8_t* data = cairo_image_surface_get_data(FSurface);
    const ptrdiff_t stride = cairo_image_surface_get_stride(FSurface);
    constexpr ptrdiff_t px = 4;
    if (parts.size() == 1) {
        // One rectangle moves in place, rows taken in the order that never
        // overwrites a row before it is read.
        const TRect& r = parts.front();
        const size_t bytes = static_cast<size_t>(r.Width()) * px;
        for (int i = 0; i < r.Height(); ++i) {
            const int y = dy > 0 ? r.Bottom - 1 - i : r.Top + i;
            std::memmove(data + y * stride + r.Left * px, data + (y - dy) * stride + (r.Left - dx) * px, bytes);
        }
    } else {
        // Several: the sources are read before any is overwritten.
        const size_t rowBytes = static_cast<size_t>(sourceBox.Width()) * px;
        std::vector<uint8_t> copy(rowBytes * static_cast<size_t>(sourceBox.Height()));
        for (int y = sourceBox.Top; y < sourceBox.Bottom; ++y)
            std::memcpy(copy.data() + static_cast<size_t>(y - sourceBox.Top) * rowBytes,
                        data + y * stride + sourceBox.Left * px, rowBytes);
        for (const TRect& r : parts)
            for (int y = r.Top; y < r.Bottom; ++y)
                std::memcpy(data + y * stride + r.Left * px,
                            copy.data() + static_cast<size_t>(y - dy - sourceBox.Top) * rowBytes +
                                static_cast<size_t>(r.Left - dx - sourceBox.Left) * px,
                            static_cast<size_t>(r.Width()) * px);
    }
    for (const TRect& r : parts)
        cairo_surface_mark_dirty_rectangle(FSurface, r.Left, r.Top, r.Width(), r.Height());
}

void Bitmap::SetSize(int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == FWidth && height == FHeight && FSurface)
        return;
    Bitmap b(width, height);
    if (FSurface && !Empty()) {
        cairo_t* cr = cairo_create(b.FSurface);
        cairo_set_source_surface(cr, FSurface, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_rectangle(cr, 0, 0, std::min(width, FWidth), std::min(height, FHeight));
        cairo_fill(cr);
        cairo_destroy(cr);
    }
    *this = std::move(b);
}

const uint8_t* Bitmap::Data() const
{
    if (!FSurface)
        return nullptr;
    cairo_surface_flush(FSurface);
    return cairo_image_surface_get_data(FSurface);
}

int Bitmap::Stride() const { return FSurface ? cairo_image_surface_get_stride(FSurface) : 0; }

COLORREF Bitmap::Pixel(int x, int y) const
{
    if (!FSurface || x < 0 || y < 0 || x >= FWidth || y >= FHeight)
        return 0xFFFFFFFFu;
    const uint32_t p = reinterpret_cast<const uint32_t*>(Data() + static_cast<size_t>(y) * Stride())[x];
    const uint32_t a = p >> 24;
    auto un = [a](uint32_t c) { return a == 0 ? 0u : std::min(255u, (c * 255 + a / 2) / a); };
    const uint32_t r = un((p >> 16) & 0xFF), g = un((p >> 8) & 0xFF), b = un(p & 0xFF);
    return r | (g << 8) | (b << 16);
}

uint8_t Bitmap::Alpha(int x, int y) const
{
    if (!FSurface || x < 0 || y < 0 || x >= FWidth || y >= FHeight)
        return 0;
    return static_cast<uint8_t>(reinterpret_cast<const uint32_t*>(Data() + static_cast<size_t>(y) * Stride())[x] >> 24);
}

bool Bitmap::SameContent(const Bitmap& other) const
{
    if (FWidth != other.FWidth || FHeight != other.FHeight)
        return false;
    for (int y = 0; y < FHeight; ++y)
        if (std::memcmp(Data() + static_cast<size_t>(y) * Stride(), other.Data() + static_cast<size_t>(y) * other.Stride(),
                        static_cast<size_t>(FWidth) * 4) != 0)
            return false;
    return true;
}

size_t Bitmap::CountDifferences(const Bitmap& other, int tolerance) const
{
    const int w = std::min(FWidth, other.FWidth), h = std::min(FHeight, other.FHeight);
    size_t n = static_cast<size_t>(FWidth) * FHeight + static_cast<size_t>(other.FWidth) * other.FHeight -
               2 * static_cast<size_t>(w) * h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const COLORREF a = Pixel(x, y), b = other.Pixel(x, y);
            for (int s = 0; s < 24; s += 8)
                if (std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF)) > tolerance) {
                    ++n;
                    break;
                }
        }
    return n;
}

} // namespace platform
