#include "fit/uncertainties.h"

#include <Eigen/Dense>
#include <cmath>

namespace vp::fit {
namespace {

const char* UnitOf(Parameter p) {
    switch (p.kind) {
        case Parameter::Incl:
        case Parameter::Omega:
        case Parameter::SpotLatitude:
        case Parameter::SpotLongitude:
        case Parameter::SpotRadius:
            return "deg";
        case Parameter::T2:
            return "K";
        default:
            return "";
    }
}

// The change of a quantity between two nearby points; an angle that may take any value may
// cross from one branch to the next between them.
double Change(double to, double from, bool anyAngle) {
    return anyAngle ? std::remainder(to - from, 360.0) : to - from;
}

// d(quantities)/d(coordinates) at the point, by central differences of the map alone.
Eigen::MatrixXd Derivatives(const FitProblem& problem, const std::vector<double>& point) {
    const std::size_t n = problem.Parameters();
    std::vector<double> base;
    QuantityValues(problem, point.data(), base);
    Eigen::MatrixXd M =
        Eigen::MatrixXd::Zero(static_cast<Eigen::Index>(base.size()), static_cast<Eigen::Index>(n));
    std::vector<double> moved = point, up, down;
    const ParameterMap& map = problem.Map();
    for (std::size_t k = 0; k < n; ++k) {
        double h = 1e-6 * std::max(1.0, std::fabs(point[k]));
        double a = point[k] + h, b = point[k] - h;
        if (k < map.Size()) {
            a = std::min(a, map.Upper(k));
            b = std::max(b, map.Lower(k));
        }
        moved[k] = a;
        const bool okUp = QuantityValues(problem, moved.data(), up);
        moved[k] = b;
        const bool okDown = QuantityValues(problem, moved.data(), down);
        moved[k] = point[k];
        if (!okUp || !okDown || !(a > b)) continue;
        for (std::size_t r = 0; r < base.size(); ++r) {
            const bool angle = r < map.Size() && IsAnyAngle(map.Free(r));
            M(static_cast<Eigen::Index>(r), static_cast<Eigen::Index>(k)) =
                Change(up[r], down[r], angle) / (a - b);
        }
    }
    return M;
}

}  // namespace

bool QuantityValues(const FitProblem& problem, const double* point, std::vector<double>& values) {
    const ParameterMap& map = problem.Map();
    FitValues v;
    if (!map.Values(point, v)) return false;
    values.clear();
    for (Parameter p : map.FreeList()) values.push_back(v.Get(p));
    if (const int star = map.DerivedRadius())
        values.push_back(star == 1 ? v.system.r1 : v.system.r2);
    for (std::size_t d = 0; d < problem.Data().size(); ++d) {
        const Dataset& set = problem.Data()[d];
        const double x = point[map.Size() + d];
        values.push_back(set.curve.magnitudes ? x : x * set.startScale);
    }
    return true;
}

std::vector<Quantity> Quantities(const FitProblem& problem, const std::vector<double>& point,
                                 const Covariance* covariance) {
    const ParameterMap& map = problem.Map();
    std::vector<double> values;
    QuantityValues(problem, point.data(), values);
    std::vector<Quantity> out;
    for (std::size_t k = 0; k < map.Size(); ++k) {
        Quantity q;
        q.name = ParameterName(map.Free(k));
        q.unit = UnitOf(map.Free(k));
        q.atBound = map.AtBound(point.data(), k);
        out.push_back(q);
    }
    if (const int star = map.DerivedRadius()) {
        Quantity q;
        q.name = ParameterName(star == 1 ? Parameter::R1 : Parameter::R2);
        q.derived = true;
        out.push_back(q);
    }
    for (std::size_t d = 0; d < problem.Data().size(); ++d) {
        Quantity q;
        const bool mag = problem.Data()[d].curve.magnitudes;
        q.name = std::string(mag ? "zero-point " : "flux factor ") + std::to_string(d + 1);
        q.unit = mag ? "mag" : "";
        q.file = static_cast<int>(d);
        out.push_back(q);
    }
    for (std::size_t r = 0; r < out.size() && r < values.size(); ++r) out[r].value = values[r];
    if (covariance && covariance->determined) {
        const auto n = static_cast<Eigen::Index>(problem.Parameters());
        const Eigen::Map<
            const Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>>
            C(covariance->matrix.data(), n, n);
        const Eigen::MatrixXd M = Derivatives(problem, point);
        const Eigen::MatrixXd P = M * C * M.transpose();
        for (std::size_t r = 0; r < out.size(); ++r) {
            const double variance = P(static_cast<Eigen::Index>(r), static_cast<Eigen::Index>(r));
            out[r].sigma = variance >= 0 ? std::sqrt(variance) : NAN;
        }
    }
    return out;
}

bool ComputeCovariance(FitProblem& problem, const std::vector<double>& point,
                       Covariance& covariance, std::string& error) {
    covariance = Covariance();
    const auto m = static_cast<Eigen::Index>(problem.Residuals());
    const auto n = static_cast<Eigen::Index>(problem.Parameters());
    std::vector<double> residuals(problem.Residuals());
    std::vector<double> jacobian(problem.Residuals() * problem.Parameters());
    if (!problem.Evaluate(point.data(), residuals.data(), jacobian.data(), true, &error))
        return false;
    for (double r : residuals) covariance.chi2 += r * r;
    covariance.degreesOfFreedom = static_cast<double>(m - n);
    if (covariance.degreesOfFreedom <= 0) {
        covariance.note = "no more observations than fitted values";
        return true;
    }
    covariance.reducedChi2 = covariance.chi2 / covariance.degreesOfFreedom;
    const Eigen::Map<const Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>>
        J(jacobian.data(), m, n);
    // Through the singular values of J with its columns scaled to unit length, so that a
    // parameter the data do not constrain shows as a vanishing singular value.
    Eigen::VectorXd norms = J.colwise().norm().transpose();
    for (Eigen::Index k = 0; k < n; ++k)
        if (!(norms(k) > 0)) {
            covariance.note = "the light does not change with one of the free parameters";
            return true;
        }
    const Eigen::MatrixXd scaled = J * norms.cwiseInverse().asDiagonal();
    Eigen::JacobiSVD<Eigen::MatrixXd> svd(scaled, Eigen::ComputeThinV);
    const Eigen::VectorXd s = svd.singularValues();
    if (!(s(n - 1) > 1e-10 * s(0))) {
        covariance.note =
            "the free parameters are not all determined by the observations "
            "(two or more change the light in the same way)";
        return true;
    }
    const Eigen::MatrixXd V = svd.matrixV();
    const Eigen::MatrixXd inverse =
        V * s.cwiseProduct(s).cwiseInverse().asDiagonal() * V.transpose();
    const Eigen::MatrixXd C = norms.cwiseInverse().asDiagonal() * inverse *
                              norms.cwiseInverse().asDiagonal() * covariance.reducedChi2;
    covariance.matrix.resize(static_cast<std::size_t>(n * n));
    for (Eigen::Index i = 0; i < n; ++i)
        for (Eigen::Index j = 0; j < n; ++j)
            covariance.matrix[static_cast<std::size_t>(i * n + j)] = C(i, j);
    covariance.determined = true;
    return true;
}

double LogVolumeFactor(const FitProblem& problem, const double* point) {
    const ParameterMap& map = problem.Map();
    const std::size_t n = map.Size();
    if (n == 0) return 0;
    std::vector<double> moved(point, point + problem.Parameters());
    Eigen::MatrixXd M(static_cast<Eigen::Index>(n), static_cast<Eigen::Index>(n));
    FitValues up, down;
    for (std::size_t k = 0; k < n; ++k) {
        const double h = 1e-6 * std::max(1.0, std::fabs(point[k]));
        moved[k] = point[k] + h;
        const bool a = map.Values(moved.data(), up);
        moved[k] = point[k] - h;
        const bool b = map.Values(moved.data(), down);
        moved[k] = point[k];
        if (!a || !b) return 0;
        for (std::size_t r = 0; r < n; ++r)
            M(static_cast<Eigen::Index>(r), static_cast<Eigen::Index>(k)) =
                Change(up.Get(map.Free(r)), down.Get(map.Free(r)), IsAnyAngle(map.Free(r))) /
                (2 * h);
    }
    const double det = std::fabs(M.determinant());
    return det > 0 ? std::log(det) : 0;
}

}  // namespace vp::fit
