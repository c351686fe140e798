#include "bind_orbit.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cmath>

#include "bind_system.h"
#include "keywords.h"

namespace py = pybind11;

namespace vp::python {
namespace {

using Kind = ModuleError::Kind;

// A number given by keyword; 0 when it is None (not given).
double Number(const char* name, const py::object& value) {
    if (value.is_none()) return 0;
    if (py::isinstance<py::bool_>(value) || !py::hasattr(value, "__float__"))
        throw py::type_error(std::string(name) + " takes a number, not " +
                             std::string(py::str(py::type::handle_of(value).attr("__name__"))));
    const double number = py::float_(value);
    if (!std::isfinite(number))
        throw ModuleError(Kind::Value, std::string(name) + " needs a finite number, not " +
                                           std::string(py::str(value)));
    return number;
}

flux::OrbitScale Scale(const py::object& period, const py::object& a, const py::object& m1,
                       const py::object& m2, const py::object& gamma) {
    flux::OrbitScale scale;
    scale.period = Number("period", period);
    scale.a = Number("a", a);
    scale.m1 = Number("m1", m1);
    scale.m2 = Number("m2", m2);
    scale.gamma = Number("gamma", gamma);
    return scale;
}

py::array_t<double> Shaped(const std::vector<double>& values,
                           const std::vector<py::ssize_t>& shape) {
    py::array_t<double> out(shape);
    std::copy(values.begin(), values.end(), out.mutable_data());
    return out;
}

py::dict StarDict(const flux::StarDimensions& s) {
    py::dict d;
    d["mass"] = s.mass;
    d["radius"] = s.radius;
    d["radius_pole"] = s.radiusPole;
    d["radius_side"] = s.radiusSide;
    d["radius_back"] = s.radiusBack;
    d["radius_point"] = s.radiusPoint;
    d["area"] = s.area;
    d["log_g_pole"] = s.logGPole;
    d["log_g"] = s.logG;
    d["luminosity"] = s.luminosity;
    return d;
}

}  // namespace

void BindOrbit(py::module_& m) {
    auto cls = py::reinterpret_borrow<py::class_<PySystem>>(m.attr("System"));
    cls.def(
           "radial_velocities",
           [](const PySystem& s, const py::object& x, const py::object& bands,
              const py::object& period, const py::object& a, const py::object& m1,
              const py::object& m2, const py::object& gamma, const py::object& epoch,
              const py::object& rings, const py::object& threads) {
               VelocityRequest request;
               request.engine = EngineRequest(s.system->Settings().engine, bands, rings, threads);
               request.scale = Scale(period, a, m1, m2, gamma);
               if (!epoch.is_none()) request.epoch = py::float_(epoch).cast<double>();
               std::vector<py::ssize_t> shape;
               if (x.is_none()) {
                   request.x = PhaseGrid(721);
                   shape = {static_cast<py::ssize_t>(request.x.size())};
               } else {
                   const auto values =
                       py::array_t<double, py::array::c_style | py::array::forcecast>(x);
                   shape.assign(values.shape(), values.shape() + values.ndim());
                   request.x.assign(values.data(), values.data() + values.size());
               }
               Velocities v;
               {
                   py::gil_scoped_release release;
                   v = s.system->RadialVelocities(request);
               }
               py::dict out;
               out[request.epoch ? "time" : "phase"] = Shaped(request.x, shape);
               out["rv1"] = Shaped(v.curves.orbit1, shape);
               out["rv2"] = Shaped(v.curves.orbit2, shape);
               for (std::size_t b = 0; b < v.bands.size(); ++b) {
                   out[py::str("rv1_" + v.bands[b])] = Shaped(v.curves.star1[b], shape);
                   out[py::str("rv2_" + v.bands[b])] = Shaped(v.curves.star2[b], shape);
               }
               return out;
           },
           py::arg("x") = py::none(), py::arg("bands") = std::vector<std::string>{"V"},
           py::kw_only(), py::arg("period") = py::none(), py::arg("a") = py::none(),
           py::arg("m1") = py::none(), py::arg("m2") = py::none(), py::arg("gamma") = 0,
           py::arg("epoch") = py::none(), py::arg("rings") = 20, py::arg("threads") = 1,
           R"(The radial velocities of both stars from the flux engine, km/s, positive
receding, as vandrel-cli rv computes them: a dict of numpy arrays shaped like x,
in the columns of the tool's CSV file: "phase" (or "time"), "rv1", "rv2" (each
star's centre of mass) and, for every band, "rv1_BAND", "rv2_BAND" (each star's
velocity weighted by its visible light in the band, its rotation included, so
that an eclipse distorts it: the Rossiter-McLaughlin effect; NaN where the star
shows no light). The stars rotate with the orbit.

x: phases (0 = the primary eclipse), or times when epoch is given
    (phase = (time - epoch) / period); any shape. None: 721 phases from -0.25
    to 0.75 (phase_grid()).
bands: a band name or a sequence of them (default V).
period: the orbital period in days (needed).
a: the separation in solar radii, or m1 and m2: the masses in solar masses
    (m2 / m1 must be the mass ratio q).
gamma: the systemic velocity, km/s, added to every velocity.
rings, threads: as in light_curve. The computation runs without the global
    interpreter lock.

Raises ValueError with the tool's message for a missing or contradictory scale.)")
        .def(
            "absolute_dimensions",
            [](const PySystem& s, const py::object& period, const py::object& a,
               const py::object& m1, const py::object& m2) {
                const flux::OrbitScale scale = Scale(period, a, m1, m2, py::none());
                flux::AbsoluteDimensions d;
                {
                    py::gil_scoped_release release;
                    d = s.system->AbsoluteDimensions(scale);
                }
                py::dict out;
                out["period"] = d.orbit.period;
                out["a"] = d.orbit.a;
                out["m1"] = d.orbit.m1;
                out["m2"] = d.orbit.m2;
                out["star1"] = StarDict(d.star1);
                out["star2"] = StarDict(d.star2);
                return out;
            },
            py::kw_only(), py::arg("period") = py::none(), py::arg("a") = py::none(),
            py::arg("m1") = py::none(), py::arg("m2") = py::none(),
            R"(The stars in solar units, as vandrel-cli info --absolute reports them, from the
period in days with the separation a in solar radii or the masses m1, m2 in
solar masses. A dict: "period" (days), "a" (solar radii), "m1", "m2" (solar
masses), and "star1", "star2", each a dict of
  mass          solar masses
  radius        of the sphere with the star's volume, solar radii
  radius_pole, radius_side, radius_back, radius_point
                from the centre to the surface along the orbital axis, at the
                side, away from and towards the companion (a star in contact:
                to the plane of the inner Lagrangian point), solar radii
  area          the surface's area, solar radii squared
  log_g_pole    log10 of the surface gravity at the pole, cgs
  log_g         log10 of G M / radius^2, cgs
  luminosity    solar units (gravity darkening and spots included)

Raises ValueError with the tool's message for a missing or contradictory scale.)");
}

}  // namespace vp::python
