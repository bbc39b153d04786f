#pragma once
// Off-screen bitmaps: 32-bit images in memory (cairo image surfaces), read
// from and written to PNG. Move-only; Clone makes an independent copy.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/types.h"

typedef struct _cairo_surface cairo_surface_t;

namespace platform {

class Bitmap {
public:
    Bitmap() = default;
    // A white, opaque bitmap; sizes below 0 count as 0.
    Bitmap(int width, int height);
    Bitmap(Bitmap&& other) noexcept;
    Bitmap& operator=(Bitmap&& other) noexcept;
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    ~Bitmap();

    // Decodes PNG bytes; raises core::EInvalidOperation "Invalid PNG image"
    // for anything that is not a readable PNG.
    static Bitmap FromPng(std::span<const uint8_t> bytes);
    // Encodes as PNG; an exception thrown by `sink` reaches the caller after
    // the encoder has returned.
    std::vector<uint8_t> ToPng() const;
    void WritePng(const std::function<void(std::span<const uint8_t>)>& sink) const;
    void SavePng(const std::string& path) const;

    Bitmap Clone() const;
    // Moves pixels by (dx, dy): each rectangle of `targets` receives the
    // pixels found (dx, dy) before it. Parts outside the bitmap, or whose
    // source is, are left alone.
    void MovePixels(const std::vector<TRect>& targets, int dx, int dy);
    // Resizes, keeping the content at the top left; new area is white.
    void SetSize(int width, int height);

    int Width() const noexcept { return FWidth; }
    int Height() const noexcept { return FHeight; }
    bool Empty() const noexcept { return FWidth == 0 || FHeight == 0; }
    // 0x00BBGGRR of a pixel (alpha ignored); 0xFFFFFFFF outside the bitmap.
    COLORREF Pixel(int x, int y) const;
    uint8_t Alpha(int x, int y) const;
    // Raw rows (premultiplied ARGB32, native endian), for comparing images.
    const uint8_t* Data() const;
    int Stride() const;
    bool SameContent(const Bitmap& other) const;
    // Number of pixels whose colour differs by more than `tolerance` in any channel.
    size_t CountDifferences(const Bitmap& other, int tolerance) const;

    cairo_surface_t* Native() const noexcept { return FSurface; }
    // Takes over a surface reference.
    static Bitmap Adopt(cairo_surface_t* surface);

private:
    cairo_surface_t* FSurface = nullptr;
    int FWidth = 0, FHeight = 0;
};

// Number of live bitmaps (for leak checks).
size_t LiveBitmapCount();

} // namespace platform
