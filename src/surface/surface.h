// The picture surface: a kept 32-bit raster that the renderer and the plot draw on, that
// photometry reads back and that is saved as a Windows bitmap. No toolkit below the window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/colour.h"

namespace vp {

struct PicturePoint {
    std::int32_t x;
    std::int32_t y;
};

class Surface {
  public:
    Surface() = default;
    Surface(int width, int height) { Resize(width, height); }

    // New size; the image becomes black. Sizes below 0 count as 0.
    void Resize(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }
    float ScaleWidth() const { return static_cast<float>(width_); }
    float ScaleHeight() const { return static_cast<float>(height_); }

    // Every pixel black (the background of both pictures).
    void Clear();

    void SetFillColour(Colour c) { fill_ = c; }
    void SetOutlineColour(Colour c) { outline_ = c; }
    Colour FillColour() const { return fill_; }
    Colour OutlineColour() const { return outline_; }

    // One polygon: the inside (even-odd rule, pixel centres) in the fill colour, then the
    // closed outline 1 pixel wide in the outline colour. Clipped to the picture; a degenerate
    // polygon still draws its outline. Fewer than 1 point draws nothing. A vertex (x, y) is
    // the centre of pixel (x, y); a centre exactly on an edge is inside on left and top
    // edges only (the outline covers it anyway).
    void FillPolygon(const PicturePoint* points, int count);

    // Circle outline in colour; with filled, the inside in the fill colour.
    void Circle(int cx, int cy, int radius, Colour colour, bool filled);

    // Straight segment including both end points.
    void Line(int x1, int y1, int x2, int y2, Colour colour);

    // Pixel at (x, y) as a colour 0x00BBGGRR; black outside the picture.
    Colour PixelAt(int x, int y) const;

    // Rows top first, 4 bytes per pixel in the order blue, green, red, unused (0), no padding.
    const std::uint8_t* Bytes() const {
        return reinterpret_cast<const std::uint8_t*>(pixels_.data());
    }
    std::size_t ByteCount() const { return pixels_.size() * 4; }
    // The same memory as 32-bit words 0x00RRGGBB (little-endian byte order above).
    const std::uint32_t* Words() const { return pixels_.data(); }
    std::uint32_t* MutableWords() {
        ++version_;
        return pixels_.data();
    }

    // Grows with every change of the image, so a viewer can tell whether to repaint.
    std::uint64_t Version() const { return version_; }

    // The image as a 24-bit Windows bitmap file (bottom-up rows padded to 4 bytes).
    std::string BitmapFileBytes() const;
    // Writes the bitmap file atomically (temporary file renamed into place). On failure the
    // previous file stays, and error receives a description.
    bool SaveBitmap(const std::string& path, std::string* error = nullptr) const;

  private:
    // One non-horizontal polygon edge walked down the rows it crosses. The crossing is kept
    // exactly as x + rem / dy with 0 <= rem < dy, so stepping never accumulates rounding.
    struct Edge {
        std::int64_t x;
        std::int64_t rem;
        std::int64_t step;
        std::int64_t step_rem;
        std::int64_t dy;
        std::int32_t first_row;
        std::int32_t last_row;
    };

    // Polygons wholly inside the picture whose bounding box fits in this many pixels both
    // ways take the TinyPolygon or SmallPolygon path.
    static constexpr int kTinySize = 8;
    static constexpr int kSmallSize = 32;

    void TinyPolygon(const PicturePoint* points, int count, int left, int top, int bottom);
    void SmallPolygon(const PicturePoint* points, int count, int left, int top, int right,
                      int bottom);
    void FillInside(const PicturePoint* points, int count, std::int64_t min_x, std::int64_t max_x,
                    std::int64_t min_y, std::int64_t max_y, std::uint32_t word);
    void FillSpan(std::int64_t y, std::int64_t x0, std::int64_t x1, std::uint32_t word);
    void Plot(std::int64_t x, std::int64_t y, std::uint32_t word);
    void PlotOctants(std::int64_t cx, std::int64_t cy, std::int64_t x, std::int64_t y,
                     std::uint32_t word);
    void Segment(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                 std::uint32_t word);
    void Walk(std::int64_t a1, std::int64_t b1, std::int64_t da, std::int64_t db, int b_sign,
              std::int64_t a_limit, std::int64_t b_limit, std::ptrdiff_t a_stride,
              std::ptrdiff_t b_stride, std::uint32_t word);
    void SmallCircle(std::int64_t cx, std::int64_t cy, std::int64_t r, std::uint32_t word,
                     bool filled);
    void LargeCircle(std::int64_t cx, std::int64_t cy, std::int64_t r, std::uint32_t word,
                     bool filled);

    int width_ = 0;
    int height_ = 0;
    Colour fill_ = kBlack;
    Colour outline_ = kBlack;
    std::vector<std::uint32_t> pixels_;
    std::uint64_t version_ = 0;
    // Scratch for FillPolygon, kept between calls so that drawing does not allocate.
    std::vector<Edge> edges_;
    std::vector<std::ptrdiff_t> row_start_;
    std::vector<std::ptrdiff_t> row_cursor_;
    std::vector<std::int32_t> crossings_;
};

}  // namespace vp
