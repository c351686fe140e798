#include "flux/hidden_share.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "flux/disc_clip.h"

namespace vp::flux {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kStep = 0.04;  // largest angle between outline points of a drawn wedge

// Position on the six-node (quadratic) patch at barycentric coordinates l (corners 0, 1, 2).
Point2 PatchPoint(const SkyTriangle& t, double l0, double l1, double l2) {
    const double n[6] = {l0 * (2 * l0 - 1), l1 * (2 * l1 - 1), l2 * (2 * l2 - 1),
                         4 * l0 * l1,       4 * l1 * l2,       4 * l2 * l0};
    Point2 p{0, 0};
    for (int i = 0; i < 6; ++i) p.x += n[i] * t.p[i].x, p.y += n[i] * t.p[i].y;
    return p;
}

void ReverseIfClockwise(SkyPolygon& poly) {
    if (SignedArea(poly) >= 0) return;
    SkyPolygon r;
    for (std::size_t k = poly.size(); k-- > 0;) r.push(poly[k]);
    poly = r;
}

// The law over the child's range of mu as c0 + c1 mu + c2 mu^2: exactly for the polynomial
// laws, through three points of the range otherwise.
std::array<double, 3> QuadraticLaw(const LimbDarkening& law, double lo, double hi) {
    if (law.IsPolynomial()) return law.Coefficients();
    lo = std::max(lo, 0.0);
    hi = std::max(hi, lo + 1e-9);
    const double m = 0.5 * (lo + hi), h = 0.5 * (hi - lo);
    const double a = law(lo), b = law(m), c = law(hi);
    // Through (lo, a), (m, b), (hi, c) in the variable t = mu - m.
    const double c2 = (a - 2 * b + c) / (2 * h * h);
    const double c1 = (c - a) / (2 * h);
    return {b - c1 * m + c2 * m * m, c1 - 2 * c2 * m, c2};
}

// How the disc (or the outline near it) covers a straight piece a + t (b - a), 0 <= t <= 1:
// the intervals of t that lie inside it.
int CoveredIntervals(Point2 a, Point2 b, const SkyOutline::LocalEdge& edge, bool circle,
                     double out[2][2]) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    if (!circle && edge.straight) {
        // Inside where normal . (x - point) >= 0.
        const double fa =
            edge.normal.x * (a.x - edge.point.x) + edge.normal.y * (a.y - edge.point.y);
        const double fb =
            edge.normal.x * (b.x - edge.point.x) + edge.normal.y * (b.y - edge.point.y);
        if (fa >= 0 && fb >= 0) return out[0][0] = 0, out[0][1] = 1, 1;
        if (fa < 0 && fb < 0) return 0;
        const double t = fa / (fa - fb);
        if (fa >= 0) return out[0][0] = 0, out[0][1] = t, 1;
        return out[0][0] = t, out[0][1] = 1, 1;
    }
    const double px = a.x - edge.centre.x, py = a.y - edge.centre.y;
    const double A = dx * dx + dy * dy, B = px * dx + py * dy;
    const double C = px * px + py * py - edge.radius * edge.radius;
    double t1 = 2, t2 = 2;  // the circle's interior along the line, if it meets it
    const double disc = B * B - A * C;
    if (A > 0 && disc > 0) {
        const double root = std::sqrt(disc);
        t1 = (-B - root) / A;
        t2 = (-B + root) / A;
    }
    if (edge.inside) {
        const double lo = std::max(t1, 0.0), hi = std::min(t2, 1.0);
        if (t1 > t2 || lo >= hi) return 0;
        return out[0][0] = lo, out[0][1] = hi, 1;
    }
    int n = 0;
    if (t1 > 0) out[n][0] = 0, out[n][1] = std::min(t1, 1.0), ++n;
    if (t2 < 1) out[n][0] = std::max(t2, 0.0), out[n][1] = 1, ++n;
    if (t1 == 2) return out[0][0] = 0, out[0][1] = 1, 1;
    return n;
}

// The light the curved patch adds beyond (or takes from inside) the flat child along one of
// the parent's edges: the edge's bulge, 4 t (1 - t) times the bulge vector, times the
// intensity, integrated along the edge; over the whole edge and over its part inside the
// disc.
// With `first` (four values), also the first moments (x and y times the light) of the whole
// edge's bulge and of its covered part.
void EdgeBulgeLight(Point2 a, Point2 b, Point2 bulge, const Affine2& mu,
                    const std::array<double, 3>& law, const SkyOutline::LocalEdge& edge,
                    bool circle, bool touches, double& whole, double& covered,
                    double* first = nullptr) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    // Outward normal of a counter-clockwise triangle's edge, times the edge's length.
    const double across = bulge.x * dy - bulge.y * dx;
    if (across == 0) return;
    static constexpr double kNode[3] = {-0.774596669241483, 0, 0.774596669241483};
    static constexpr double kWeight[3] = {5.0 / 9, 8.0 / 9, 5.0 / 9};
    auto integral = [&](double lo, double hi, double* moments) {
        double s = 0;
        const double half = 0.5 * (hi - lo), mid = 0.5 * (hi + lo);
        for (int k = 0; k < 3; ++k) {
            const double t = mid + half * kNode[k];
            const Point2 at{a.x + t * dx, a.y + t * dy};
            const double m = std::max(mu(at), 0.0);
            const double f =
                kWeight[k] * half * 4 * t * (1 - t) * (law[0] + law[1] * m + law[2] * m * m);
            s += f;
            if (moments) moments[0] += f * across * at.x, moments[1] += f * across * at.y;
        }
        return s * across;
    };
    whole += integral(0, 1, first);
    if (!touches) return;
    double pieces[2][2];
    const int n = CoveredIntervals(a, b, edge, circle, pieces);
    for (int k = 0; k < n; ++k)
        covered += integral(pieces[k][0], pieces[k][1], first ? first + 2 : nullptr);
}

// The hidden part of a polygon of the sky by a wedge of the drawn outline: for an outline that
// no single circle follows across the polygon.
template <typename M, M (*Measure)(const SkyPolygon&)>
M WedgeMoments(const SkyPolygon& window, const SkyOutline& outline) {
    bool inside = true;
    for (std::size_t k = 0; k < window.size() && inside; ++k) {
        const Point2 a = window[k], b = window[(k + 1) % window.size()];
        inside = a.x * b.y - a.y * b.x >= 0;
    }
    SkyPolygon wedge, part;
    if (inside) {
        outline.Whole(kStep, wedge);
    } else {
        const double first = std::atan2(window[0].y, window[0].x);
        double lo = 0, hi = 0;
        for (std::size_t k = 1; k < window.size(); ++k) {
            double d = std::atan2(window[k].y, window[k].x) - first;
            d -= 2 * kPi * std::round(d / (2 * kPi));
            lo = std::min(lo, d);
            hi = std::max(hi, d);
        }
        outline.Wedge(first + lo, first + hi, kStep, wedge);
    }
    ClipToConvex(wedge, window, part);
    return Measure(part);
}

}  // namespace

void AddHiddenShare(const SkyTriangle& tri, const SkyOutline& outline, double margin,
                    std::span<const LimbDarkening* const> laws, std::span<double> hidden,
                    std::span<double> total, const SkyFirstMoments* firstMoments) {
    const bool first = firstMoments != nullptr;
    // A patch is taken as flat pieces plus the bulges of their edges: near the limb as its four
    // halves (corners and edge nodes), elsewhere whole, as the hexagon through its six nodes;
    // between, both are blended, and the bulges fade out towards the horizon, so that nothing
    // jumps as a triangle turns.
    double lowest = 1;
    for (double m : tri.mu) lowest = std::min(lowest, m);
    auto smooth = [](double x, double a, double b) {
        const double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
        return t * t * (3 - 2 * t);
    };
    const double wholeWeight = smooth(lowest, 0.2, 0.4);
    const double bulgeScale = smooth(lowest, 0.0, 0.1);
    struct Piece {
        int count;
        int node[6];
        bool outer[6];  // the edge from corner k to k + 1 lies on the patch's border
        int muFrom[3];  // the nodes mu is taken linear through
    };
    static constexpr Piece kPieces[5] = {
        {3, {0, 3, 5}, {true, false, true}, {0, 3, 5}},
        {3, {3, 1, 4}, {true, true, false}, {3, 1, 4}},
        {3, {5, 4, 2}, {false, true, true}, {5, 4, 2}},
        {3, {3, 4, 5}, {false, false, false}, {3, 4, 5}},
        {6, {0, 3, 1, 4, 2, 5}, {true, true, true, true, true, true}, {0, 1, 2}},
    };
    // Barycentric coordinates of the nodes in the parent.
    static constexpr double kBary[6][3] = {{1, 0, 0},     {0, 1, 0},     {0, 0, 1},
                                           {0.5, 0.5, 0}, {0, 0.5, 0.5}, {0.5, 0, 0.5}};

    // The outline across the triangle: one osculating circle (or straight edge) serves the
    // whole triangle unless it spans a wide angle seen from the disc's centre.
    double cx = 0, cy = 0, spread = 0;
    for (const Point2& p : tri.p) cx += p.x / 6, cy += p.y / 6;
    const bool circle = outline.IsCircle();
    for (const Point2& p : tri.p)
        spread = std::max(spread, (p.x - cx) * (p.x - cx) + (p.y - cy) * (p.y - cy));
    spread = std::sqrt(spread);
    const bool wide = !circle && std::sqrt(cx * cx + cy * cy) < 3 * spread;
    const SkyOutline::LocalEdge edge = outline.Local(wide || circle ? 0 : std::atan2(cy, cx));

    const int firstPiece = wholeWeight == 1 ? 4 : 0;
    const int last = wholeWeight == 0 ? 3 : 4;
    for (int pi = firstPiece; pi <= last; ++pi) {
        const Piece& piece = kPieces[pi];
        const double weight = pi == 4 ? wholeWeight : 1 - wholeWeight;
        bool in = pi != 4, out = pi != 4;  // the whole patch is partly hidden
        for (int k = 0; k < piece.count && (in || out); ++k) {
            in = in && tri.gap[piece.node[k]] < -margin;
            out = out && tri.gap[piece.node[k]] > margin;
        }
        const bool touches = !(in || out) || wide;
        const int* f = piece.muFrom;
        Affine2 lin;
        if (!AffineThrough(tri.p[f[0]], tri.p[f[1]], tri.p[f[2]], tri.mu[f[0]], tri.mu[f[1]],
                           tri.mu[f[2]], lin))
            continue;
        SkyPolygon corners, window;
        for (int k = 0; k < piece.count; ++k) corners.push(tri.p[piece.node[k]]);
        const bool ccw = SignedArea(corners) > 0;
        ClipToPositive(corners, lin, window);
        if (window.size() < 3) continue;
        ReverseIfClockwise(window);
        const Moments2 whole = PolygonMoments(window);
        Moments2 part{};
        // With the first moments: the hidden part and the whole to the third order.
        Moments3 part3{}, whole3{};
        if (first) whole3 = PolygonMoments3(window);
        if (in && !wide) {
            part = whole;
            if (first) part3 = whole3;
        } else if (touches) {
            if (wide) {
                part = WedgeMoments<Moments2, PolygonMoments>(window, outline);
                if (first)
                    part3 = in ? whole3 : WedgeMoments<Moments3, PolygonMoments3>(window, outline);
            } else if (!circle && edge.straight) {
                SkyPolygon halfPlane;
                const Affine2 inside{-(edge.normal.x * edge.point.x + edge.normal.y * edge.point.y),
                                     edge.normal.x, edge.normal.y};
                ClipToPositive(window, inside, halfPlane);
                part = PolygonMoments(halfPlane);
                if (first) part3 = PolygonMoments3(halfPlane);
            } else {
                part = PolygonInDisc(window, edge.centre, edge.radius);
                if (!edge.inside)
                    for (int k = 0; k < 6; ++k) part[k] = whole[k] - part[k];
                if (first) {
                    part3 = PolygonInDisc3(window, edge.centre, edge.radius);
                    if (!edge.inside)
                        for (int k = 0; k < 10; ++k) part3[k] = whole3[k] - part3[k];
                }
            }
        }
        // How far the curved patch's border bulges from each straight edge, at its middle.
        Point2 bulge[6];
        const bool bulges = bulgeScale > 0 && !wide;
        for (int e = 0; bulges && e < piece.count; ++e) {
            if (!piece.outer[e]) continue;
            const int na = piece.node[e], nb = piece.node[(e + 1) % piece.count];
            const double* a = kBary[na];
            const double* b = kBary[nb];
            const Point2 mid =
                PatchPoint(tri, 0.5 * (a[0] + b[0]), 0.5 * (a[1] + b[1]), 0.5 * (a[2] + b[2]));
            bulge[e] = {mid.x - 0.5 * (tri.p[na].x + tri.p[nb].x),
                        mid.y - 0.5 * (tri.p[na].y + tri.p[nb].y)};
        }
        double lo = 1, hi = 0;
        for (int k = 0; k < piece.count; ++k) {
            lo = std::min(lo, tri.mu[piece.node[k]]);
            hi = std::max(hi, tri.mu[piece.node[k]]);
        }
        for (std::size_t b = 0; b < laws.size(); ++b) {
            const auto q = QuadraticLaw(*laws[b], lo, hi);
            double w = IntegrateQuadratic(whole, lin, q[0], q[1], q[2]);
            double h = in ? w : touches ? IntegrateQuadratic(part, lin, q[0], q[1], q[2]) : 0.0;
            std::array<double, 2> hf{}, wf{};
            if (first) {
                wf = IntegrateQuadraticFirst(whole3, lin, q[0], q[1], q[2]);
                if (in || touches) hf = IntegrateQuadraticFirst(part3, lin, q[0], q[1], q[2]);
            }
            for (int e = 0; bulges && e < piece.count; ++e) {
                if (!piece.outer[e]) continue;
                Point2 a = tri.p[piece.node[e]], z = tri.p[piece.node[(e + 1) % piece.count]];
                if (!ccw) std::swap(a, z);
                double covered = 0, edgeWhole = 0;
                double edgeFirst[4] = {0, 0, 0, 0};  // whole x, y; covered x, y
                EdgeBulgeLight(a, z, bulge[e], lin, q, edge, circle, touches, edgeWhole, covered,
                               first ? edgeFirst : nullptr);
                w += bulgeScale * edgeWhole;
                h += in ? bulgeScale * edgeWhole : bulgeScale * covered;
                if (first) {
                    const double* hiddenPart = in ? edgeFirst : edgeFirst + 2;
                    hf[0] += bulgeScale * hiddenPart[0];
                    hf[1] += bulgeScale * hiddenPart[1];
                    wf[0] += bulgeScale * edgeFirst[0];
                    wf[1] += bulgeScale * edgeFirst[1];
                }
            }
            total[b] += weight * w;
            hidden[b] += weight * h;
            if (first) {
                firstMoments->hiddenX[b] += weight * hf[0];
                firstMoments->hiddenY[b] += weight * hf[1];
                firstMoments->totalX[b] += weight * wf[0];
                firstMoments->totalY[b] += weight * wf[1];
            }
        }
    }
}

}  // namespace vp::flux
