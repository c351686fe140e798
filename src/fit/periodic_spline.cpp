#include "fit/periodic_spline.h"

#include <algorithm>
#include <cmath>

namespace vp::fit {
namespace {

// Solves the tridiagonal system a[i] x[i-1] + b[i] x[i] + c[i] x[i+1] = r[i] (a[0], c[n-1]
// unused).
std::vector<double> Tridiagonal(const std::vector<double>& a, const std::vector<double>& b,
                                const std::vector<double>& c, const std::vector<double>& r) {
    const std::size_t n = b.size();
    std::vector<double> x(n), gamma(n);
    double beta = b[0];
    x[0] = r[0] / beta;
    for (std::size_t i = 1; i < n; ++i) {
        gamma[i] = c[i - 1] / beta;
        beta = b[i] - a[i] * gamma[i];
        x[i] = (r[i] - a[i] * x[i - 1]) / beta;
    }
    for (std::size_t i = n - 1; i-- > 0;) x[i] -= gamma[i + 1] * x[i + 1];
    return x;
}

}  // namespace

PeriodicSpline::PeriodicSpline(std::vector<double> phase, std::vector<double> value)
    : x_(std::move(phase)), y_(std::move(value)) {
    const std::size_t n = x_.size();
    auto gap = [&](std::size_t i) {  // from sample i to the next, around the turn
        return i + 1 < n ? x_[i + 1] - x_[i] : x_[0] + 1 - x_[n - 1];
    };
    // The curvatures M: h[i-1]/6 M[i-1] + (h[i-1] + h[i])/3 M[i] + h[i]/6 M[i+1] =
    // slope[i] - slope[i-1], cyclic; solved as a tridiagonal system with the Sherman-Morrison
    // correction for the two corners.
    std::vector<double> a(n), b(n), c(n), r(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t before = i == 0 ? n - 1 : i - 1, after = i + 1 == n ? 0 : i + 1;
        const double hl = gap(before), hr = gap(i);
        a[i] = hl / 6;
        b[i] = (hl + hr) / 3;
        c[i] = hr / 6;
        r[i] = (y_[after] - y_[i]) / hr - (y_[i] - y_[before]) / hl;
    }
    const double alpha = c[n - 1], beta = a[0], g = -b[0];
    std::vector<double> bb = b;
    bb[0] = b[0] - g;
    bb[n - 1] = b[n - 1] - alpha * beta / g;
    const std::vector<double> x = Tridiagonal(a, bb, c, r);
    std::vector<double> u(n, 0.0);
    u[0] = g;
    u[n - 1] = alpha;
    const std::vector<double> z = Tridiagonal(a, bb, c, u);
    const double factor = (x[0] + beta * x[n - 1] / g) / (1 + z[0] + beta * z[n - 1] / g);
    curvature_.resize(n);
    for (std::size_t i = 0; i < n; ++i) curvature_[i] = x[i] - factor * z[i];
}

double PeriodicSpline::At(double phase) const {
    const std::size_t n = x_.size();
    double t = phase - std::floor(phase);
    if (t >= 1) t = 0;
    const std::size_t upper =
        static_cast<std::size_t>(std::upper_bound(x_.begin(), x_.end(), t) - x_.begin());
    const std::size_t i = upper == 0 ? n - 1 : upper - 1;
    const std::size_t j = upper == n ? 0 : upper;
    double left = x_[i], right = x_[j];
    if (upper == 0) left -= 1;
    if (upper == n) right += 1;
    const double h = right - left;
    const double A = (right - t) / h, B = (t - left) / h;
    return A * y_[i] + B * y_[j] +
           ((A * A * A - A) * curvature_[i] + (B * B * B - B) * curvature_[j]) * h * h / 6;
}

}  // namespace vp::fit
