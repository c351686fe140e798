#include "surface/surface.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <utility>

#include "core/atomic_file.h"

namespace vp {
namespace {

static_assert(std::endian::native == std::endian::little,
              "Bytes() promises blue, green, red, 0 in memory, which is a little-endian word");

using I64 = std::int64_t;
using I128 = __int128;
using U128 = unsigned __int128;
// Four pixels in one register (GCC vector extension: SSE2 here, NEON on ARM).
using Lanes = std::uint32_t __attribute__((vector_size(16)));

// Past this radius a circle is no longer walked pixel by pixel (see LargeCircle).
constexpr I64 kLargeRadius = 1024;

// Colour keeps red in the low byte, a stored pixel keeps blue there; the swap is its own inverse.
constexpr std::uint32_t SwapRedBlue(std::uint32_t c) {
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// Rounded quotients for a positive divisor.
template <typename T>
T FloorDiv(T n, T d) {
    T q = n / d;
    if (n % d != 0 && n < 0) --q;
    return q;
}

template <typename T>
T CeilDiv(T n, T d) {
    T q = n / d;
    if (n % d != 0 && n > 0) ++q;
    return q;
}

std::uint64_t ISqrt(std::uint64_t n) {
    auto s = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(n)));
    while (static_cast<U128>(s) * s > n) --s;
    while (static_cast<U128>(s + 1) * (s + 1) <= n) ++s;
    return s;
}

// Edges and segments of a polygon inside an 8 x 8 box, from (0, 0) to (dx, dy), as bit boards:
// bit 8 row + column, counted from the top left corner of the segment's own box. `crossing`
// marks in each row the first pixel at or right of the edge (the FillInside rule), `line` the
// pixels of the segment as Segment draws them.
struct TinyPatterns {
    std::uint64_t crossing[15][15];
    std::uint64_t line[15][15];
};

constexpr TinyPatterns MakeTinyPatterns() {
    TinyPatterns t{};
    for (int dx = -7; dx <= 7; ++dx) {
        for (int dy = -7; dy <= 7; ++dy) {
            const int left = std::min(dx, 0);
            const int top = std::min(dy, 0);
            const int adx = dx < 0 ? -dx : dx;
            const int ady = dy < 0 ? -dy : dy;
            // Edge: from its upper end (x0, top), row r meets it at x0 + r ex / ady.
            std::uint64_t crossing = 0;
            const int x0 = dy > 0 ? 0 : dx;
            const int ex = dy > 0 ? dx : -dx;
            for (int r = 0; r < ady; ++r) {
                const int n = r * ex;
                const int c = n >= 0 ? (n + ady - 1) / ady : -(-n / ady);  // ceil(n / ady)
                crossing |= std::uint64_t{1} << (8 * r + x0 + c - left);
            }
            // Segment: from the end with the smaller major coordinate, as in Segment and Walk.
            std::uint64_t line = 0;
            const bool x_major = adx >= ady;
            const bool reversed = x_major ? dx < 0 : dy < 0;
            const int sx = reversed ? dx : 0;
            const int sy = reversed ? dy : 0;
            const int da = x_major ? adx : ady;
            const int db = x_major ? ady : adx;
            const int minor_end = x_major ? (reversed ? 0 : dy) - sy : (reversed ? 0 : dx) - sx;
            const int sign = minor_end >= 0 ? 1 : -1;
            for (int i = 0; i <= da; ++i) {
                const int m = da == 0 ? 0 : (2 * i * db + da) / (2 * da);
                const int x = x_major ? sx + i : sx + sign * m;
                const int y = x_major ? sy + sign * m : sy + i;
                line |= std::uint64_t{1} << (8 * (y - top) + x - left);
            }
            t.crossing[dx + 7][dy + 7] = crossing;
            t.line[dx + 7][dy + 7] = line;
        }
    }
    return t;
}

constexpr TinyPatterns kTiny = MakeTinyPatterns();

// Four pixels from `at` become `word` where the low four bits of `bits` are set.
inline void Blend4(std::uint32_t* at, std::uint32_t bits, Lanes words) {
    const Lanes lane_bits = {1, 2, 4, 8};
    Lanes v;
    std::memcpy(&v, at, sizeof v);
    v = ((Lanes{} + bits) & lane_bits) != 0 ? words : v;
    std::memcpy(at, &v, sizeof v);
}

void Put16(std::string& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, std::size_t at, std::uint32_t v) {
    Put16(out, at, v & 0xFFFF);
    Put16(out, at + 2, v >> 16);
}

}  // namespace

void Surface::Resize(int width, int height) {
    ++version_;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0);
}

void Surface::Clear() {
    ++version_;
    if (!pixels_.empty()) std::memset(pixels_.data(), 0, pixels_.size() * sizeof(pixels_[0]));
}

Colour Surface::PixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return kBlack;
    return SwapRedBlue(pixels_[static_cast<std::size_t>(y) * width_ + x]);
}

void Surface::Plot(I64 x, I64 y, std::uint32_t word) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<std::size_t>(y) * width_ + x] = word;
}

void Surface::FillSpan(I64 y, I64 x0, I64 x1, std::uint32_t word) {
    if (y < 0 || y >= height_) return;
    x0 = std::max<I64>(x0, 0);
    x1 = std::min<I64>(x1, width_ - 1);
    if (x0 > x1) return;
    std::uint32_t* row = pixels_.data() + y * width_;
    std::fill(row + x0, row + x1 + 1, word);
}

void Surface::Line(int x1, int y1, int x2, int y2, Colour colour) {
    ++version_;
    if (pixels_.empty()) return;
    Segment(x1, y1, x2, y2, SwapRedBlue(colour));
}

// The segment is always walked from the end with the smaller major coordinate, so it covers
// the same pixels whichever end is given first (shared polygon edges then match exactly).
void Surface::Segment(I64 x1, I64 y1, I64 x2, I64 y2, std::uint32_t word) {
    const I64 adx = x2 >= x1 ? x2 - x1 : x1 - x2;
    const I64 ady = y2 >= y1 ? y2 - y1 : y1 - y2;
    if (adx >= ady) {
        if (x1 > x2) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        Walk(x1, y1, adx, ady, y2 >= y1 ? 1 : -1, width_, height_, 1, width_, word);
    } else {
        if (y1 > y2) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        Walk(y1, x1, ady, adx, x2 >= x1 ? 1 : -1, height_, width_, width_, 1, word);
    }
}

// Pixel i (0 <= i <= da) of a segment sits at major coordinate a1 + i and minor coordinate
// b1 + b_sign * m(i), where m(i) = floor((2 i db + da) / (2 da)): Bresenham, a tie going to
// the later minor step. Because m is monotonic, the visible range of i follows directly from
// the picture limits, and far-away end points cost no more than near ones.
void Surface::Walk(I64 a1, I64 b1, I64 da, I64 db, int b_sign, I64 a_limit, I64 b_limit,
                   std::ptrdiff_t a_stride, std::ptrdiff_t b_stride, std::uint32_t word) {
    I64 first = 0;
    I64 last = da;
    I64 m = 0;
    I64 err = da;  // 2 i db + da - 2 da m(i), kept in [0, 2 da)
    const I64 b2 = b1 + b_sign * db;
    const bool inside =
        a1 >= 0 && a1 + da < a_limit && b1 >= 0 && b1 < b_limit && b2 >= 0 && b2 < b_limit;
    if (!inside) {
        first = std::max<I64>(0, -a1);
        last = std::min<I64>(da, a_limit - 1 - a1);
        I64 m_lo = b_sign > 0 ? -b1 : b1 - (b_limit - 1);
        I64 m_hi = b_sign > 0 ? b_limit - 1 - b1 : b1;
        m_lo = std::max<I64>(m_lo, 0);
        m_hi = std::min(m_hi, db);
        if (first > last || m_lo > m_hi) return;
        if (db > 0) {
            // m(i) >= m_lo  <=>  i >= (2 m_lo - 1) da / (2 db)
            // m(i) <= m_hi  <=>  i < (2 m_hi + 1) da / (2 db)
            if (m_lo > 0) {
                first = std::max(first,
                                 static_cast<I64>(CeilDiv<I128>(I128(2 * m_lo - 1) * da, 2 * db)));
            }
            if (m_hi < db) {
                last = std::min(
                    last, static_cast<I64>(CeilDiv<I128>(I128(2 * m_hi + 1) * da, 2 * db)) - 1);
            }
            if (first > last) return;
        }
        if (da > 0) {
            const I128 num = I128(2 * first) * db + da;
            m = static_cast<I64>(num / (2 * da));
            err = static_cast<I64>(num - I128(m) * (2 * da));
        }
    }
    std::uint32_t* const px = pixels_.data();
    std::ptrdiff_t at = (a1 + first) * a_stride + (b1 + b_sign * m) * b_stride;
    const std::ptrdiff_t b_step = b_sign * b_stride;
    for (I64 i = first; i <= last; ++i) {
        px[at] = word;
        at += a_stride;
        err += 2 * db;
        if (err >= 2 * da) {
            err -= 2 * da;
            at += b_step;
        }
    }
}

// Vertex (x, y) stands for the centre of pixel (x, y), as for the outline, and a pixel is
// filled when its centre is inside by the even-odd rule. A centre exactly on the boundary
// belongs to the polygon on left and top edges and not on right and bottom ones: row y meets
// an edge when y0 <= y < y1, and a crossing at X fills the pixels from ceil(X) up to, but
// not including, the next crossing. Polygons sharing an edge thus never fill a pixel twice.
// The three ways of drawing below give the same pixels; the first two only save time.
void Surface::FillPolygon(const PicturePoint* points, int count) {
    ++version_;
    if (points == nullptr || count < 1 || pixels_.empty()) return;
    std::int32_t min_x = points[0].x, max_x = min_x, min_y = points[0].y, max_y = min_y;
    for (int i = 1; i < count; ++i) {
        min_x = std::min(min_x, points[i].x);
        max_x = std::max(max_x, points[i].x);
        min_y = std::min(min_y, points[i].y);
        max_y = std::max(max_y, points[i].y);
    }
    if (min_x >= 0 && min_y >= 0 && max_x < width_ && max_y < height_) {
        if (max_x - min_x < kTinySize && max_y - min_y < kTinySize) {
            TinyPolygon(points, count, min_x, min_y, max_y);
            return;
        }
        if (max_x - min_x < kSmallSize && max_y - min_y < kSmallSize) {
            SmallPolygon(points, count, min_x, min_y, max_x, max_y);
            return;
        }
    }
    if (count >= 3) FillInside(points, count, min_x, max_x, min_y, max_y, SwapRedBlue(fill_));
    const std::uint32_t word = SwapRedBlue(outline_);
    const int edges = count == 2 ? 1 : count;
    for (int i = 0; i < edges; ++i) {
        const PicturePoint& a = points[i];
        const PicturePoint& b = points[i + 1 < count ? i + 1 : 0];
        Segment(a.x, a.y, b.x, b.y, word);
    }
}

// The renderer's surface elements, within an 8 x 8 box wholly inside the picture. Every
// edge and segment is a looked-up bit board shifted into place; the inside is the parity of
// the crossings at or left of each pixel, a prefix XOR along each row of the board.
void Surface::TinyPolygon(const PicturePoint* points, int count, int left, int top, int bottom) {
    std::uint64_t inside = 0;
    std::uint64_t outline = 0;
    for (int i = 0; i < count; ++i) {
        const PicturePoint a = points[i];
        const PicturePoint b = points[i + 1 < count ? i + 1 : 0];
        const int shift = 8 * (std::min(a.y, b.y) - top) + std::min(a.x, b.x) - left;
        // A polygon of one or two points has its crossings twice, which cancel.
        inside ^= kTiny.crossing[b.x - a.x + 7][b.y - a.y + 7] << shift;
        outline |= kTiny.line[b.x - a.x + 7][b.y - a.y + 7] << shift;
    }
    inside ^= (inside << 1) & 0xFEFEFEFEFEFEFEFEu;
    inside ^= (inside << 2) & 0xFCFCFCFCFCFCFCFCu;
    inside ^= (inside << 4) & 0xF0F0F0F0F0F0F0F0u;

    const Lanes fill_lanes = Lanes{} + SwapRedBlue(fill_);
    const Lanes outline_lanes = Lanes{} + SwapRedBlue(outline_);
    // Bits past the polygon are clear, so all eight pixels of a row can be blended when the
    // picture is wide enough; at its right edge only the box is touched.
    const int columns = std::min(8, width_ - left);
    for (int r = 0; r <= bottom - top; ++r, inside >>= 8, outline >>= 8) {
        std::uint32_t* const row =
            pixels_.data() + static_cast<std::ptrdiff_t>(top + r) * width_ + left;
        const auto in = static_cast<std::uint32_t>(inside & 0xFF);
        const auto on = static_cast<std::uint32_t>(outline & 0xFF);
        if (columns == 8) {
            Blend4(row, in, fill_lanes);
            Blend4(row + 4, in >> 4, fill_lanes);
            Blend4(row, on, outline_lanes);
            Blend4(row + 4, on >> 4, outline_lanes);
            continue;
        }
        for (int x = 0; x < columns; ++x) {
            if (in >> x & 1) row[x] = fill_lanes[0];
            if (on >> x & 1) row[x] = outline_lanes[0];
        }
    }
}

// Polygons up to 32 pixels across, wholly inside the picture: the same pixels as FillInside
// and Segment, without clipping, scratch buffers or wide arithmetic. The inside is
// gathered as one bit mask per row of the bounding box (bit x - left), which makes even-odd
// need no sorting: a pixel is inside when an odd number of crossings lie at or left of it,
// so each crossing flips all the bits from its column on.
void Surface::SmallPolygon(const PicturePoint* points, int count, int left, int top, int right,
                           int bottom) {
    std::uint32_t* const px = pixels_.data();
    const std::ptrdiff_t w = width_;
    if (count >= 3) {
        std::uint32_t inside[kSmallSize] = {};
        for (int i = 0; i < count; ++i) {
            PicturePoint a = points[i];
            PicturePoint b = points[i + 1 < count ? i + 1 : 0];
            if (a.y == b.y) continue;
            if (a.y > b.y) std::swap(a, b);
            const int dx = b.x - a.x;
            const int dy = b.y - a.y;
            int step = dx / dy;
            int step_rem = dx % dy;
            if (step_rem < 0) {
                step_rem += dy;
                --step;
            }
            int x = a.x - left;
            int rem = 0;
            for (int r = a.y - top; r < b.y - top; ++r) {
                inside[r] ^= ~0u << (x + (rem != 0));
                rem += step_rem;
                const int carry = -(rem >= dy);
                rem -= dy & carry;
                x += step - carry;
            }
        }
        const std::uint32_t word = SwapRedBlue(fill_);
        const Lanes words = Lanes{} + word;
        const int columns = right - left + 1;
        for (int r = 0; r < bottom - top; ++r) {
            std::uint32_t* const row = px + (top + r) * w + left;
            int x = 0;
            // Bits past the box are clear, so a group of four may reach past it, though not
            // past the picture.
            for (; x < columns && left + x + 4 <= w; x += 4) Blend4(row + x, inside[r] >> x, words);
            for (; x < columns; ++x) {
                if (inside[r] >> x & 1) row[x] = word;
            }
        }
    }
    const std::uint32_t word = SwapRedBlue(outline_);
    const int edges = count == 2 ? 1 : count;
    for (int i = 0; i < edges; ++i) {
        PicturePoint a = points[i];
        PicturePoint b = points[i + 1 < count ? i + 1 : 0];
        const int adx = std::abs(b.x - a.x);
        const int ady = std::abs(b.y - a.y);
        // Walked in the same direction and with the same error term as Segment does.
        if (adx >= ady ? a.x > b.x : a.y > b.y) std::swap(a, b);
        std::ptrdiff_t at = a.y * w + a.x;
        const bool x_major = adx >= ady;
        const int da = x_major ? adx : ady;
        const int two_da = 2 * da;
        const int two_db = 2 * (x_major ? ady : adx);
        const std::ptrdiff_t major = x_major ? 1 : w;
        const std::ptrdiff_t minor = x_major ? (b.y >= a.y ? w : -w) : (b.x >= a.x ? 1 : -1);
        for (int k = 0, err = da; k <= da; ++k) {
            px[at] = word;
            err += two_db;
            const int carry = -(err >= two_da);
            err -= two_da & carry;
            at += major + (minor & carry);
        }
    }
}

// The general case: any size, clipped, exact for coordinates up to the int limits.
void Surface::FillInside(const PicturePoint* points, int count, I64 min_x, I64 max_x, I64 min_y,
                         I64 max_y, std::uint32_t word) {
    const I64 row_lo = std::max<I64>(min_y, 0);
    const I64 row_hi = std::min<I64>(max_y - 1, height_ - 1);
    if (row_lo > row_hi || max_x <= 0 || min_x >= width_) return;

    const auto rows = static_cast<std::size_t>(row_hi - row_lo + 1);
    if (row_start_.size() < rows + 1) {
        row_start_.resize(rows + 1);
        row_cursor_.resize(rows + 1);
    }
    if (edges_.size() < static_cast<std::size_t>(count)) edges_.resize(count);
    // First a difference array of how many edges cross each row.
    std::fill_n(row_cursor_.begin(), rows + 1, 0);

    std::size_t edge_count = 0;
    for (int i = 0; i < count; ++i) {
        PicturePoint a = points[i];
        PicturePoint b = points[i + 1 < count ? i + 1 : 0];
        if (a.y == b.y) continue;
        if (a.y > b.y) std::swap(a, b);
        const I64 first = std::max<I64>(a.y, row_lo);
        const I64 last = std::min<I64>(I64(b.y) - 1, row_hi);
        if (first > last) continue;
        const I64 dx = I64(b.x) - a.x;
        const I64 dy = I64(b.y) - a.y;
        Edge& e = edges_[edge_count++];
        e.step = FloorDiv(dx, dy);
        e.step_rem = dx - e.step * dy;
        e.dy = dy;
        e.x = a.x;
        e.rem = 0;
        if (first > a.y) {
            // Both factors may reach 2^32 for edges from far outside the picture.
            const I128 num = I128(first - a.y) * dx;
            const I128 q = FloorDiv<I128>(num, dy);
            e.x += static_cast<I64>(q);
            e.rem = static_cast<I64>(num - q * dy);
        }
        e.first_row = static_cast<std::int32_t>(first - row_lo);
        e.last_row = static_cast<std::int32_t>(last - row_lo);
        ++row_cursor_[e.first_row];
        --row_cursor_[e.last_row + 1];
    }
    if (edge_count == 0) return;

    std::ptrdiff_t crossing = 0;
    std::ptrdiff_t total = 0;
    for (std::size_t r = 0; r < rows; ++r) {
        crossing += row_cursor_[r];
        row_start_[r] = total;
        row_cursor_[r] = total;
        total += crossing;
    }
    row_start_[rows] = total;
    if (crossings_.size() < static_cast<std::size_t>(total)) crossings_.resize(total);

    std::int32_t* xs = crossings_.data();
    const I64 w = width_;
    for (std::size_t k = 0; k < edge_count; ++k) {
        const Edge& e = edges_[k];
        I64 x = e.x;
        I64 rem = e.rem;
        for (std::int32_t r = e.first_row; r <= e.last_row; ++r) {
            // Clamping keeps the order of crossings, so spans are clipped for free.
            xs[row_cursor_[r]++] = static_cast<std::int32_t>(std::clamp<I64>(x + (rem != 0), 0, w));
            x += e.step;
            rem += e.step_rem;
            if (rem >= e.dy) {
                rem -= e.dy;
                ++x;
            }
        }
    }

    std::uint32_t* row = pixels_.data() + row_lo * w;
    for (std::size_t r = 0; r < rows; ++r, row += w) {
        std::int32_t* c = xs + row_start_[r];
        const std::ptrdiff_t n = row_start_[r + 1] - row_start_[r];
        if (n == 2) {
            const auto [lo, hi] = std::minmax(c[0], c[1]);
            std::fill(row + lo, row + hi, word);
            continue;
        }
        std::sort(c, c + n);
        for (std::ptrdiff_t j = 0; j + 1 < n; j += 2) std::fill(row + c[j], row + c[j + 1], word);
    }
}

void Surface::PlotOctants(I64 cx, I64 cy, I64 x, I64 y, std::uint32_t word) {
    Plot(cx + x, cy + y, word);
    Plot(cx - x, cy + y, word);
    Plot(cx + x, cy - y, word);
    Plot(cx - x, cy - y, word);
    Plot(cx + y, cy + x, word);
    Plot(cx - y, cy + x, word);
    Plot(cx + y, cy - x, word);
    Plot(cx - y, cy - x, word);
}

void Surface::Circle(int cx, int cy, int radius, Colour colour, bool filled) {
    ++version_;
    if (radius < 0 || pixels_.empty()) return;
    const I64 r = radius;
    if (cx + r < 0 || cx - r >= width_ || cy + r < 0 || cy - r >= height_) return;
    const std::uint32_t word = SwapRedBlue(colour);
    if (r == 0) {
        Plot(cx, cy, word);
    } else if (r <= kLargeRadius) {
        SmallCircle(cx, cy, r, word, filled);
    } else {
        LargeCircle(cx, cy, r, word, filled);
    }
}

// Midpoint circle over the octant 0 <= x <= y, starting at (0, r). With
// d = (x + 1)^2 + y^2 - y - r^2 the next column keeps y while d < 0 and steps to y - 1
// otherwise. The inside of a row reaches out to its outermost outline pixel.
void Surface::SmallCircle(I64 cx, I64 cy, I64 r, std::uint32_t word, bool filled) {
    if (filled) {
        const std::uint32_t inside = SwapRedBlue(fill_);
        for (I64 x = 0, y = r, d = 1 - r; x <= y; ++x) {
            FillSpan(cy + x, cx - y, cx + y, inside);
            FillSpan(cy - x, cx - y, cx + y, inside);
            // Rows cy +- y are at their widest when y is about to change. (Should the octant
            // end first, that row is also a row cy +- x, filled above.)
            if (d >= 0) {
                FillSpan(cy + y, cx - x, cx + x, inside);
                FillSpan(cy - y, cx - x, cx + x, inside);
            }
            if (d < 0) {
                d += 2 * x + 3;
            } else {
                d += 2 * (x - y) + 5;
                --y;
            }
        }
    }
    for (I64 x = 0, y = r, d = 1 - r; x <= y; ++x) {
        PlotOctants(cx, cy, x, y, word);
        if (d < 0) {
            d += 2 * x + 3;
        } else {
            d += 2 * (x - y) + 5;
            --y;
        }
    }
}

// The same pixels as SmallCircle without walking the whole octant: the midpoint pixel of
// column x is y(x) = max{y : x^2 + y^2 - y < r^2}, so only the columns that can put one of
// the eight mirrored pixels in the picture, and only the picture rows, are visited.
void Surface::LargeCircle(I64 cx, I64 cy, I64 r, std::uint32_t word, bool filled) {
    const I64 r2 = r * r;
    // y^2 - y < k  <=>  (2y - 1)^2 <= 4k; 4k stays below 2^64 for any int radius.
    auto y_of = [r2](I64 x) {
        const auto k = static_cast<std::uint64_t>(r2 - x * x);
        return static_cast<I64>((ISqrt(4 * k) + 1) / 2);
    };
    // Last column of the octant: the largest x with x <= y(x), that is 2x^2 - x < r^2.
    auto x_end = static_cast<I64>((1.0 + std::sqrt(1.0 + 8.0 * double(r) * double(r))) / 4.0);
    while (x_end > 0 && 2 * I128(x_end) * x_end - x_end >= r2) --x_end;
    while (2 * I128(x_end + 1) * (x_end + 1) - (x_end + 1) < r2) ++x_end;

    if (filled) {
        const std::uint32_t inside = SwapRedBlue(fill_);
        const I64 t_lo = std::max<I64>(-r, -cy);
        const I64 t_hi = std::min<I64>(r, height_ - 1 - cy);
        for (I64 t = t_lo; t <= t_hi; ++t) {
            const I64 a = t < 0 ? -t : t;
            // Rows within the octant's columns end at y(a); beyond them, at the last column
            // whose y(x) still reaches the row, i.e. the largest x with x^2 + a^2 - a < r^2.
            I64 e = x_end;
            if (a <= x_end) {
                e = y_of(a);
            } else {
                e = std::min<I64>(e, ISqrt(static_cast<std::uint64_t>(r2 - a * a + a - 1)));
            }
            FillSpan(cy + t, cx - e, cx + e, inside);
        }
    }
    const I64 ranges[4][2] = {{-cx, width_ - 1 - cx},
                              {cx - width_ + 1, cx},
                              {-cy, height_ - 1 - cy},
                              {cy - height_ + 1, cy}};
    for (const auto& range : ranges) {
        const I64 hi = std::min(range[1], x_end);
        for (I64 x = std::max<I64>(range[0], 0); x <= hi; ++x) {
            PlotOctants(cx, cy, x, y_of(x), word);
        }
    }
}

// A 24-bit bitmap with bottom-up rows. An empty picture is written as one black pixel,
// since many viewers refuse a bitmap of size 0.
std::string Surface::BitmapFileBytes() const {
    const bool empty = pixels_.empty();
    const std::size_t w = empty ? 1 : static_cast<std::size_t>(width_);
    const std::size_t h = empty ? 1 : static_cast<std::size_t>(height_);
    const std::size_t row_bytes = (3 * w + 3) & ~std::size_t{3};
    const std::size_t image_bytes = row_bytes * h;
    constexpr std::size_t kHeaderBytes = 14 + 40;
    std::string out(kHeaderBytes + image_bytes, '\0');
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<std::uint32_t>(out.size()));
    Put32(out, 10, kHeaderBytes);
    Put32(out, 14, 40);
    Put32(out, 18, static_cast<std::uint32_t>(w));
    Put32(out, 22, static_cast<std::uint32_t>(h));
    Put16(out, 26, 1);   // planes
    Put16(out, 28, 24);  // bits per pixel
    Put32(out, 34, static_cast<std::uint32_t>(image_bytes));
    Put32(out, 38, 2835);  // 72 dpi
    Put32(out, 42, 2835);
    if (empty) return out;
    for (std::size_t k = 0; k < h; ++k) {
        const std::uint32_t* src = pixels_.data() + (h - 1 - k) * w;
        char* dst = out.data() + kHeaderBytes + k * row_bytes;
        for (std::size_t x = 0; x < w; ++x) {
            const std::uint32_t word = src[x];
            dst[3 * x] = static_cast<char>(word & 0xFF);
            dst[3 * x + 1] = static_cast<char>((word >> 8) & 0xFF);
            dst[3 * x + 2] = static_cast<char>((word >> 16) & 0xFF);
        }
    }
    return out;
}

bool Surface::SaveBitmap(const std::string& path, std::string* error) const {
    return WriteFileAtomically(path, BitmapFileBytes(), error);
}

}  // namespace vp
