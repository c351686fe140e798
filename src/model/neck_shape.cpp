#include "model/neck_shape.h"

#include <cmath>
#include <optional>

#include "core/fault.h"

namespace vp {

void NeckShape(ModelState& m, double& Rho, double Phi, double ZC, double i, double j, double k) {
    double stored = m.NeckMemo.Get(i, j, k);
    if (stored != 0) {
        Rho = stored;
        return;
    }
    const double rp = m.PoleRadius1;
    const double q = m.MassRatio;
    const double x = ZC;
    const double s = std::sin(Phi);
    double omega = 0;
    Assign(omega, Div(1, rp) + q / std::sqrt(rp * rp + 1));
    auto C = [&](double rho) {
        return 0.5 * (1 + q) * (rho * rho * s * s + x * x - 2 * x * q / (1 + q));
    };
    const bool starOneSide = x <= m.L1Point;
    auto B = [&](double rho) {
        return starOneSide ? omega - Div(q, std::sqrt(rho * rho + (x - 1) * (x - 1))) - C(rho)
                           : omega - Div(1, std::sqrt(rho * rho + x * x)) - C(rho);
    };
    // The damped update, or nothing when its arithmetic faults.
    auto update = [&](double rho) -> std::optional<double> {
        double b = B(rho);
        double radius = starOneSide ? Div(1, b) : Div(q, b);  // distance from the star's centre
        double along = starOneSide ? x : x - 1;               // its component along the axis
        if (!std::isfinite(radius)) return std::nullopt;
        // Where the surface does not reach this position along the axis there is no neck.
        if (!(radius > std::fabs(along))) return 0.0;
        double value = (std::sqrt(radius * radius - along * along) + rho) / 2;
        if (!std::isfinite(value)) return std::nullopt;
        return value;
    };
    if (auto v = update(Rho)) m.PointRadius = *v;
    double change = 0;
    m.IterCount = 0;
    do {
        ++m.IterCount;
        double previous = m.PointRadius;
        if (B(m.PointRadius) != 0) {
            if (auto v = update(m.PointRadius)) m.PointRadius = *v;
        }
        // A radius of 0 has no relative change: the surface does not reach x, stop there.
        change = m.PointRadius == 0 ? 0 : std::fabs(previous - m.PointRadius) / m.PointRadius;
        if (!std::isfinite(change)) change = 0;
    } while (!(m.IterCount >= 20 || change < 0.001));
    if (m.IterCount >= 20) m.PointRadius = 0;
    Rho = m.PointRadius;
    m.NeckMemo.Set(i, j, k, 0, m.PointRadius);
}

}  // namespace vp
