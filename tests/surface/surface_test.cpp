#include "surface/surface.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>

#include "core/atomic_file.h"

namespace vp {
namespace {

constexpr Colour kFill = RGB(200, 30, 10);
constexpr Colour kEdge = RGB(20, 220, 90);

// The picture as text rows: '.' black, 'f' fill colour, 'o' outline colour.
std::vector<std::string> Text(const Surface& s) {
    std::vector<std::string> rows;
    for (int y = 0; y < s.Height(); ++y) {
        std::string row;
        for (int x = 0; x < s.Width(); ++x) {
            Colour c = s.PixelAt(x, y);
            row += c == kBlack ? '.' : c == kFill ? 'f' : c == kEdge ? 'o' : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

Surface Painter(int w, int h) {
    Surface s(w, h);
    s.SetFillColour(kFill);
    s.SetOutlineColour(kEdge);
    return s;
}

// Points in a box a few to a hundred pixels across, placed anywhere in [lo, hi) both ways, so
// that tiny, small, large and clipped polygons all come up.
void RandomPoints(std::mt19937& rng, int lo, int hi, PicturePoint* p, int n) {
    const int spread = std::array{3, 6, 8, 9, 20, 33, 100}[rng() % 7];
    const int x0 = lo + rng() % (hi - lo), y0 = lo + rng() % (hi - lo);
    for (int i = 0; i < n; ++i) {
        p[i] = {x0 + int(rng() % spread) - spread / 2, y0 + int(rng() % spread) - spread / 2};
    }
}

TEST(SurfacePixels, ClearResizeAndByteLayout) {
    Surface s(7, 4);
    s.Line(3, 2, 3, 2, RGB(0x12, 0x34, 0x56));
    const std::uint8_t* at = s.Bytes() + (2 * 7 + 3) * 4;
    EXPECT_EQ(std::vector<int>(at, at + 4), (std::vector<int>{0x56, 0x34, 0x12, 0}));
    EXPECT_EQ(s.PixelAt(3, 2), RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(s.PixelAt(-1, 2) | s.PixelAt(7, 2), kBlack);

    s.Circle(3, 2, 5, kWhite, true);
    s.Clear();
    ASSERT_EQ(s.ByteCount(), 7u * 4 * 4);
    EXPECT_EQ(std::count(s.Bytes(), s.Bytes() + s.ByteCount(), 0), 7 * 4 * 4);
    s.Resize(-3, 5);
    EXPECT_EQ(s.Width() + s.ByteCount(), 0u);
    s.Line(0, 0, 9, 9, kWhite);  // nothing to draw on, nothing to break
}

TEST(SurfacePolygon, SquareFillsInsideAndOutlinesBorder) {
    // Sizes for each way of drawing, placed inside and against the bottom right corner.
    for (int size : {4, 6, 7, 10, 31, 40}) {
        for (int at : {1, 49 - size}) {
            Surface s = Painter(50, 50);
            PicturePoint square[] = {
                {at, at}, {at + size, at}, {at + size, at + size}, {at, at + size}};
            s.FillPolygon(square, 4);
            for (int y = 0; y < 50; ++y) {
                for (int x = 0; x < 50; ++x) {
                    const bool in_box = x >= at && x <= at + size && y >= at && y <= at + size;
                    const bool border = x == at || x == at + size || y == at || y == at + size;
                    const Colour want = !in_box ? kBlack : border ? kEdge : kFill;
                    ASSERT_EQ(s.PixelAt(x, y), want) << size << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(SurfacePolygon, DegenerateShapes) {
    Surface s = Painter(6, 4);
    PicturePoint same[] = {{2, 1}, {2, 1}, {2, 1}, {2, 1}, {2, 1}};
    s.FillPolygon(same, 5);
    EXPECT_EQ(Text(s), (std::vector<std::string>{"......", "..o...", "......", "......"}));

    s.Clear();
    PicturePoint collinear[] = {{0, 0}, {4, 2}, {2, 1}};
    s.FillPolygon(collinear, 3);
    EXPECT_EQ(Text(s), (std::vector<std::string>{"o.....", ".oo...", "...oo.", "......"}));

    // A pentagon whose last point repeats the fourth is the quadrilateral, pixel for pixel.
    std::mt19937 rng(7);
    for (int round = 0; round < 1000; ++round) {
        PicturePoint p[5];
        RandomPoints(rng, -5, 45, p, 4);
        p[4] = p[3];
        Surface quad = Painter(40, 30), penta = Painter(40, 30);
        quad.FillPolygon(p, 4);
        penta.FillPolygon(p, 5);
        ASSERT_EQ(Text(quad), Text(penta)) << round;
    }
}

// Off the outline, a pixel is filled exactly when its centre, the point (x, y) in polygon
// coordinates, is inside by the even-odd rule.
TEST(SurfacePolygon, FillsExactlyTheCentresInside) {
    std::mt19937 rng(3);
    for (int round = 0; round < 1000; ++round) {
        PicturePoint p[7];
        const int n = 3 + rng() % 5;
        RandomPoints(rng, -5, 35, p, n);
        Surface s = Painter(30, 30);
        s.FillPolygon(p, n);
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 30; ++x) {
                if (s.PixelAt(x, y) == kEdge) continue;
                bool inside = false;
                for (int i = 0, j = n - 1; i < n; j = i++) {
                    const PicturePoint &a = p[i], &b = p[j];
                    if ((a.y > y) == (b.y > y)) continue;
                    const long long lhs = (x - a.x) * (b.y - a.y), rhs = (b.x - a.x) * (y - a.y);
                    if (b.y > a.y ? lhs < rhs : lhs > rhs) inside = !inside;
                }
                ASSERT_EQ(s.PixelAt(x, y), inside ? kFill : kBlack)
                    << round << ": " << x << "," << y;
            }
        }
    }
}

TEST(SurfacePolygon, EvenOddLeavesStarCentreEmpty) {
    Surface s = Painter(41, 41);
    PicturePoint star[] = {{20, 0}, {32, 36}, {1, 13}, {39, 13}, {8, 36}};
    s.FillPolygon(star, 5);
    EXPECT_EQ(s.PixelAt(20, 20), kBlack);
    EXPECT_EQ(s.PixelAt(20, 5), kFill);    // a tip
    EXPECT_EQ(s.PixelAt(20, 32), kBlack);  // between the two lower tips
}

// Drawing with the picture shifted must give the matching window of a larger picture: this
// checks every clipped edge, span and segment against its unclipped self.
TEST(SurfaceClipping, ClippedDrawingMatchesWindowOfLargerPicture) {
    std::mt19937 rng(11);
    const int ox = 35, oy = 28;
    for (int round = 0; round < 1000; ++round) {
        Surface big = Painter(100, 90), window = Painter(30, 25);
        PicturePoint p[7], q[7];
        const int n = 1 + rng() % 7;
        RandomPoints(rng, 20, 80, p, n);
        for (int i = 0; i < n; ++i) q[i] = {p[i].x - ox, p[i].y - oy};
        big.FillPolygon(p, n);
        window.FillPolygon(q, n);
        big.Line(p[0].x, p[0].y, p[n - 1].x, p[n - 1].y, kWhite);
        window.Line(q[n - 1].x, q[n - 1].y, q[0].x, q[0].y, kWhite);  // reversed on purpose
        for (int y = 0; y < window.Height(); ++y) {
            for (int x = 0; x < window.Width(); ++x) {
                ASSERT_EQ(window.PixelAt(x, y), big.PixelAt(x + ox, y + oy))
                    << "round " << round << " at " << x << "," << y;
            }
        }
    }
}

TEST(SurfaceClipping, HugeCoordinatesAreFastAndExact) {
    const auto start = std::chrono::steady_clock::now();
    const int lo = INT32_MIN, hi = INT32_MAX, g = 1000000000;
    Surface all = Painter(832, 365), half = Painter(832, 365), line(832, 365);
    PicturePoint everything[] = {{lo, lo}, {hi, lo}, {hi, hi}, {lo, hi}};
    all.FillPolygon(everything, 4);
    PicturePoint below_diagonal[] = {{-g, -g}, {g, g}, {-g, g}};
    half.FillPolygon(below_diagonal, 3);
    line.Line(-g, 100, g, 200, kWhite);  // y = 150 + 50 x / g: 150 across the picture
    Surface(832, 365).Circle(-hi + 400, 100, hi, kWhite, true);
    Surface(832, 365).Circle(hi, hi, hi, kWhite, true);
    for (int y = 0; y < 365; ++y) {
        for (int x = 0; x < 832; ++x) {
            ASSERT_EQ(all.PixelAt(x, y), kFill);
            ASSERT_EQ(half.PixelAt(x, y), x == y ? kEdge : y > x ? kFill : kBlack) << x << "," << y;
            ASSERT_EQ(line.PixelAt(x, y), y == 150 ? kWhite : kBlack) << x << "," << y;
        }
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// Midpoint circle written the plain way, the inside of a row spanning its outermost pixels.
Surface ReferenceCircle(int w, int h, long long cx, long long cy, long long r, bool filled) {
    std::vector<std::pair<long long, long long>> outline;
    for (long long x = 0, y = r, d = 1 - r; x <= y; ++x) {
        for (int k = 0; k < 8; ++k) {
            long long a = k & 4 ? y : x, b = k & 4 ? x : y;
            outline.push_back({cx + (k & 1 ? -a : a), cy + (k & 2 ? -b : b)});
        }
        if (d < 0) {
            d += 2 * x + 3;
        } else {
            d += 2 * (x - y) + 5;
            --y;
        }
    }
    std::vector<std::pair<long long, long long>> extent(2 * r + 1, {cx, cx});
    for (auto [x, y] : outline) {
        auto& [left, right] = extent[y - cy + r];
        left = std::min(left, x);
        right = std::max(right, x);
    }
    Surface s = Painter(w, h);
    for (long long y = std::max(0LL, cy - r); filled && y <= std::min(h - 1LL, cy + r); ++y) {
        auto [left, right] = extent[y - cy + r];
        s.Line(std::max(-1LL, left), y, std::min<long long>(w, right), y, kFill);
    }
    for (auto [x, y] : outline) {
        if (x >= 0 && y >= 0 && x < w && y < h) s.Line(x, y, x, y, kEdge);
    }
    return s;
}

TEST(SurfaceCircle, MatchesPlainMidpointCircle) {
    // Small radii all over, partly outside; past 1024 the picture sees only arcs of the circle.
    std::vector<std::array<int, 3>> all = {{20, -1000, 1024},
                                           {20, 1030, 1025},
                                           {-4990, 20, 5000},
                                           {100020, -20, 100000},
                                           {-586, -801, 1026}};
    for (int r = 0; r < 60; ++r) all.push_back({r % 7 * 9, 40 - r % 11 * 6, r});
    for (const auto& [cx, cy, r] : all) {
        for (bool filled : {false, true}) {
            Surface s = Painter(60, 40);
            s.Circle(cx, cy, r, kEdge, filled);
            ASSERT_EQ(Text(s), Text(ReferenceCircle(60, 40, cx, cy, r, filled)))
                << cx << "," << cy << " r " << r << (filled ? " filled" : "");
        }
    }
}

// Reads back a 24-bit bottom-up bitmap, checking the header on the way.
Surface DecodeBitmap(const std::string& b) {
    auto u32 = [&](int at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(b[at + i]);
        return v;
    };
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(u32(2), b.size());
    EXPECT_EQ(u32(10), 54u);
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(u32(26), 1u | 24u << 16);  // planes, bits per pixel
    EXPECT_EQ(u32(30), 0u);              // uncompressed
    const int w = u32(18), h = u32(22), stride = (3 * w + 3) / 4 * 4;
    EXPECT_EQ(u32(34), std::uint32_t(stride * h));
    Surface s(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const auto* p =
                reinterpret_cast<const std::uint8_t*>(b.data() + 54 + (h - 1 - y) * stride + 3 * x);
            s.Line(x, y, x, y, RGB(p[2], p[1], p[0]));
        }
    }
    return s;
}

TEST(SurfaceBitmap, HeaderAndRoundTrip) {
    Surface s(5, 3);  // 15 bytes a row: padding needed
    for (int i = 0; i < 15; ++i) s.Line(i % 5, i / 5, i % 5, i / 5, RGB(i * 17, 255 - i, i * 3));
    Surface back = DecodeBitmap(s.BitmapFileBytes());
    ASSERT_EQ(back.Width(), 5);
    ASSERT_EQ(back.Height(), 3);
    EXPECT_EQ(std::memcmp(back.Bytes(), s.Bytes(), s.ByteCount()), 0);

    Surface empty;
    Surface one = DecodeBitmap(empty.BitmapFileBytes());
    EXPECT_EQ(one.Width() * one.Height(), 1);
}

TEST(SurfaceBitmap, FailedSaveKeepsPreviousFile) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("surface_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "picture.bmp").string();
    ASSERT_TRUE(WriteFileAtomically(path, "previous"));
    Surface s(832, 365);
    std::string error, kept;
    EXPECT_FALSE(s.SaveBitmap((dir / "missing" / "picture.bmp").string(), &error));
    EXPECT_FALSE(error.empty());

    // A write cut short (here by the file size limit, which binds root too) keeps the old file.
    rlimit old_limit{};
    getrlimit(RLIMIT_FSIZE, &old_limit);
    rlimit small = old_limit;
    small.rlim_cur = 4096;
    auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    error.clear();
    const bool saved = s.SaveBitmap(path, &error);
    setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(error.empty());
    ASSERT_TRUE(ReadWholeFile(path, kept));
    EXPECT_EQ(kept, "previous");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);

    ASSERT_TRUE(s.SaveBitmap(path, &error)) << error;
    ASSERT_TRUE(ReadWholeFile(path, kept));
    EXPECT_EQ(kept, s.BitmapFileBytes());
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vp
