#include "bind_system.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <memory>

#include "flux/passband.h"
#include "headless/headless_port.h"
#include "headless/safe_file_name.h"
#include "keywords.h"

namespace py = pybind11;

namespace vp::python {
namespace {

void Warn(const std::vector<std::string>& warnings) {
    for (const std::string& text : warnings)
        if (PyErr_WarnEx(PyExc_UserWarning, text.c_str(), 1) != 0) throw py::error_already_set();
}

const PhysicsRequest& Physics(const PySystem& s) {
    return s.system->Settings().engine.physics;
}

}  // namespace

PySystem MakeSystem(const py::dict& keywords, bool warn) {
    PySystem made{nullptr, py::dict(keywords), {}};
    SystemSettings settings = SettingsFromKeywords(keywords, made.warnings);
    if (warn) Warn(made.warnings);
    {
        py::gil_scoped_release release;
        made.system = std::make_shared<const ModuleSystem>(std::move(settings));
    }
    return made;
}

namespace {

CurveScale ScaleOf(const std::string& scale) {
    if (scale == "relative") return CurveScale::Relative;
    if (scale == "absolute") return CurveScale::Absolute;
    if (scale == "mag") return CurveScale::Magnitudes;
    throw ModuleError(ModuleError::Kind::Value,
                      "scale is relative, absolute or mag, not '" + scale + "'");
}

struct CurveCall {
    CurveRequest request;
    std::vector<py::ssize_t> shape;  // of x
    bool oneBand = false;
};

CurveCall PrepareCurve(const PySystem& s, const py::object& x, const py::object& bands,
                       const py::object& period, const py::object& epoch, const std::string& scale,
                       const py::object& rings, const py::object& threads) {
    CurveCall call;
    CurveRequest& r = call.request;
    r.engine = EngineRequest(s.system->Settings().engine, bands, rings, threads);
    call.oneBand = py::isinstance<py::str>(bands) && r.engine.bands.size() == 1;
    if (x.is_none()) {
        r.x = PhaseGrid(721);
        call.shape = {static_cast<py::ssize_t>(r.x.size())};
    } else {
        const auto values = py::array_t<double, py::array::c_style | py::array::forcecast>(x);
        call.shape.assign(values.shape(), values.shape() + values.ndim());
        r.x.assign(values.data(), values.data() + values.size());
    }
    if (!period.is_none()) r.period = py::float_(period).cast<double>();
    if (!epoch.is_none()) r.epoch = py::float_(epoch).cast<double>();
    r.scale = ScaleOf(scale);
    return call;
}

PreciseCurve ComputeCurve(const PySystem& s, const CurveCall& call) {
    py::gil_scoped_release release;
    return s.system->LightCurve(call.request);
}

py::array_t<double> CurveArray(const CurveCall& call, const PreciseCurve& curve) {
    std::vector<py::ssize_t> shape = call.shape;
    if (!call.oneBand) shape.insert(shape.begin(), static_cast<py::ssize_t>(curve.value.size()));
    py::array_t<double> out(shape);
    double* at = out.mutable_data();
    for (const auto& band : curve.value) at = std::copy(band.begin(), band.end(), at);
    return out;
}

py::array_t<std::uint8_t> PictureArray(const Surface& picture) {
    const py::ssize_t h = picture.Height(), w = picture.Width();
    py::array_t<std::uint8_t> out({h, w, py::ssize_t{3}});
    std::uint8_t* to = out.mutable_data();
    const std::uint8_t* from = picture.Bytes();  // blue, green, red, unused
    for (py::ssize_t i = 0; i < h * w; ++i, from += 4, to += 3) {
        to[0] = from[2];
        to[1] = from[1];
        to[2] = from[0];
    }
    return out;
}

// The picture sizes the tool takes.
void CheckSize(const char* name, int value) {
    if (value < 1 || value > 20000)
        throw ModuleError(ModuleError::Kind::Value, std::string(name) +
                                                        " needs a whole number of pixels from 1 "
                                                        "to 20000, not " +
                                                        std::to_string(value));
}

py::dict Radii(const SystemFigures& f) {
    py::dict radii;
    radii["r1_pole"] = f.sizes.r1Pole;
    radii["r1_point"] = f.sizes.r1Point;
    radii["r1_side"] = f.sizes.r1Side;
    radii["r1_back"] = f.sizes.r1Back;
    radii["r2_pole"] = f.sizes.r2Pole;
    radii["r2_point"] = f.sizes.r2Point;
    radii["r2_side"] = f.sizes.r2Side;
    radii["r2_back"] = f.sizes.r2Back;
    radii["lobe_point"] = f.lobe.point;
    radii["lobe_pole"] = f.lobe.pole;
    return radii;
}

std::string KeywordList() {
    std::string text;
    for (const std::string& k : SystemKeywords()) text += (text.empty() ? "" : ", ") + k;
    return text;
}

constexpr const char* kCurveArguments = R"(
x: phases (0 = the primary eclipse, star 2 in front of star 1), or times when
    period and epoch are given (phase = (time - epoch) / period); any array shape.
    None: 721 phases from -0.25 to 0.75 (phase_grid()).
bands: a band name or a sequence of them (bands() lists them; "red", "green",
    "blue" are the window's picture colours).
period, epoch: the orbital period and the time of a primary eclipse; together.
scale: "relative" (each band divided by its brightest point), "absolute" (band
    intensity times separation squared) or "mag" (magnitudes below the brightest
    point).
rings: mesh rings per star (4 to 200); threads: threads for this curve (0: one
    per core). The curve is computed without the global interpreter lock, so
    Python threads run curves in parallel.)";

}  // namespace

void BindSystem(py::module_& m) {
    py::class_<PySystem> cls(
        m, "System",
        (R"(A binary system: the window's parameters, the model the window computes from
them, and the flux engine's light in real passbands.

System(**keywords) takes the headless tool's options, with '_' for '-':
)" + KeywordList() +
         R"(.
Numbers may be given as numbers or as the text a box would hold ("82.5"); the
window's corrections apply (an inclination of 95 becomes 90). The switches tidal,
stefan, similar_areas and single_star take True or False. ld_law, ld1 and ld2 set
the flux engine's limb darkening: ld_law="quadratic" or {"V": "quadratic"},
ld1=(a, b) or {"V": (a, b), "TESS": a}; without them every band uses the
window's linear law with w1 and w2. The physics of real binaries, each off unless
given, as the tool's options of the same names: gravity darkening gd1, gd2 (the
exponent beta), reflection alb1, alb2 (albedos), spot=(star, latitude, longitude,
radius, temperature factor) or a list of them, third light l3=0.1 or
{"V": 0.1, "TESS": 0.05}, an eccentric orbit ecc with omega (degrees).

Raises ValueError (or TypeError) for options the tool refuses, with its message.)")
            .c_str());
    cls.def(py::init([](const py::kwargs& keywords) { return MakeSystem(keywords); }),
            "Makes the system the keywords describe (see the class).")
        .def_static(
            "from_atlas",
            [](const std::string& name, const py::kwargs& keywords) {
                py::dict all(keywords);
                all["star"] = name;
                return MakeSystem(all);
            },
            py::arg("name"),
            "The atlas system of that name: its list entry (\"AW UMa (106)\") or the star\n"
            "alone (\"aw uma\"), any case and blanks; further keywords change its boxes.\n"
            "ValueError names the candidates when the name fits several or none.")
        .def_static(
            "from_star_file",
            [](const py::object& path, const py::kwargs& keywords) {
                py::dict all(keywords);
                all["load_star"] = path;
                return MakeSystem(all);
            },
            py::arg("path"),
            "The system of a star parameter file, loaded as the window's Load Star does;\n"
            "further keywords change its boxes. OSError with the window's error report\n"
            "when the file cannot be loaded.")
        .def(
            "to_star_file",
            [](const PySystem& s, const py::object& path) {
                const std::string target =
                    py::str(py::module_::import("os").attr("fspath")(path)).cast<std::string>();
                py::gil_scoped_release release;
                s.system->SaveStarFile(target);
            },
            py::arg("path"),
            "Writes the star parameter file of the system's boxes (as the window's Save\n"
            "Star). The file is replaced whole or left as it was; OSError says why.")
        .def(
            "light_curve",
            [](const PySystem& s, const py::object& x, const py::object& bands,
               const py::object& period, const py::object& epoch, const std::string& scale,
               const py::object& rings, const py::object& threads) {
                const CurveCall call =
                    PrepareCurve(s, x, bands, period, epoch, scale, rings, threads);
                return CurveArray(call, ComputeCurve(s, call));
            },
            py::arg("x") = py::none(),
            py::arg("bands") = std::vector<std::string>{"red", "green", "blue"}, py::kw_only(),
            py::arg("period") = py::none(), py::arg("epoch") = py::none(),
            py::arg("scale") = "relative", py::arg("rings") = 20, py::arg("threads") = 1,
            (std::string(
                 "The light curve from the flux engine, as a numpy array: shape x.shape for\n"
                 "one band given by name, (len(bands),) + x.shape otherwise.\n") +
             kCurveArguments)
                .c_str())
        .def(
            "light_curve_csv",
            [](const PySystem& s, const py::object& x, const py::object& bands,
               const py::object& period, const py::object& epoch, const std::string& scale,
               const py::object& rings, const py::object& threads) {
                const CurveCall call =
                    PrepareCurve(s, x, bands, period, epoch, scale, rings, threads);
                const PreciseCurve curve = ComputeCurve(s, call);
                return PreciseCsv(curve);
            },
            py::arg("x") = py::none(),
            py::arg("bands") = std::vector<std::string>{"red", "green", "blue"}, py::kw_only(),
            py::arg("period") = py::none(), py::arg("epoch") = py::none(),
            py::arg("scale") = "relative", py::arg("rings") = 20, py::arg("threads") = 1,
            (std::string(
                 "The light curve as the text of the tool's CSV file (vandrel-cli lightcurve\n"
                 "--precise): 'phase,BAND,...' or 'time,...', 15 significant digits.\n") +
             kCurveArguments)
                .c_str())
        .def(
            "save_light_curve",
            [](const PySystem& s, const py::object& path, const py::object& x,
               const py::object& bands, const py::object& period, const py::object& epoch,
               const std::string& scale, const py::object& rings, const py::object& threads) {
                const std::string target =
                    py::str(py::module_::import("os").attr("fspath")(path)).cast<std::string>();
                const CurveCall call =
                    PrepareCurve(s, x, bands, period, epoch, scale, rings, threads);
                const PreciseCurve curve = ComputeCurve(s, call);
                py::gil_scoped_release release;
                WriteWholeFile(target, PreciseCsv(curve));
            },
            py::arg("path"), py::arg("x") = py::none(),
            py::arg("bands") = std::vector<std::string>{"red", "green", "blue"}, py::kw_only(),
            py::arg("period") = py::none(), py::arg("epoch") = py::none(),
            py::arg("scale") = "relative", py::arg("rings") = 20, py::arg("threads") = 1,
            "Writes light_curve_csv(...) to path, the file replaced whole or left as it was\n"
            "(OSError says why).")
        .def(
            "picture",
            [](const PySystem& s, const py::object& phase, int width, int height,
               const std::string& mode, bool granulation, bool fitZoom) {
                CheckSize("width", width);
                CheckSize("height", height);
                std::optional<double> at;
                if (!phase.is_none()) at = py::float_(phase).cast<double>();
                Surface picture;
                {
                    py::gil_scoped_release release;
                    picture = s.system->Picture(at, width, height, mode, granulation, fitZoom);
                }
                return PictureArray(picture);
            },
            py::arg("phase") = py::none(), py::arg("width") = 832, py::arg("height") = 365,
            py::kw_only(), py::arg("mode") = "paint", py::arg("granulation") = false,
            py::arg("fit_zoom") = false,
            "The window's star picture at an orbital phase (0: the primary eclipse; None:\n"
            "the system's own rotation angle), as an (height, width, 3) uint8 RGB array.\n"
            "mode: \"paint\", \"dots\" or \"grid\"; granulation: mottled surfaces;\n"
            "fit_zoom: the largest zoom at which the whole orbit stays in the picture.")
        .def(
            "recording",
            [](const PySystem& s, int width, int height, bool magnitudes, bool fitZoom) {
                CheckSize("width", width);
                CheckSize("height", height);
                std::vector<std::string> warnings;
                CurveTable table;
                {
                    py::gil_scoped_release release;
                    table = s.system->Recording(width, height, magnitudes, fitZoom, warnings);
                }
                Warn(warnings);
                py::array_t<double> values(
                    {py::ssize_t{3}, static_cast<py::ssize_t>(table.size())});
                double* at = values.mutable_data();
                for (const auto& colour : table.value)
                    at = std::copy(colour.begin(), colour.end(), at);
                return py::make_tuple(py::array_t<double>(table.phase.size(), table.phase.data()),
                                      values);
            },
            py::arg("width") = 832, py::arg("height") = 365, py::kw_only(),
            py::arg("magnitudes") = true, py::arg("fit_zoom") = false,
            "The window's three-colour light-curve recording of a picture width x height,\n"
            "run to its end (vandrel-cli lightcurve): (phase, values), phase in [0, 1)\n"
            "ascending, values[0..2] red, green, blue in magnitudes below the brightest\n"
            "sample (magnitudes=True) or flux relative to it. Warns when the stars were cut\n"
            "by the picture's edge.")
        .def_property_readonly(
            "name", [](const PySystem& s) { return s.system->Figures().name; },
            "The atlas entry or the star file's name; \"\" for a system given by its values.")
        .def_property_readonly(
            "q", [](const PySystem& s) { return s.system->Figures().parameters.q; },
            "Mass ratio M2 / M1, as the window corrected it.")
        .def_property_readonly(
            "incl", [](const PySystem& s) { return s.system->Figures().parameters.incl; },
            "Inclination, degrees.")
        .def_property_readonly(
            "r1", [](const PySystem& s) { return s.system->Figures().parameters.r1; },
            "Pole radius of star 1, separation units.")
        .def_property_readonly(
            "r2", [](const PySystem& s) { return s.system->Figures().parameters.r2; },
            "Pole radius of star 2, separation units.")
        .def_property_readonly(
            "t1", [](const PySystem& s) { return s.system->Figures().parameters.t1; },
            "Temperature of star 1, K.")
        .def_property_readonly(
            "t2", [](const PySystem& s) { return s.system->Figures().parameters.t2; },
            "Temperature of star 2, K.")
        .def_property_readonly(
            "w1", [](const PySystem& s) { return s.system->Figures().parameters.w1; },
            "The window's linear limb-darkening coefficient of star 1.")
        .def_property_readonly(
            "w2", [](const PySystem& s) { return s.system->Figures().parameters.w2; },
            "The window's linear limb-darkening coefficient of star 2.")
        .def_property_readonly(
            "gd1", [](const PySystem& s) { return Physics(s).gd1.value_or(0.0); },
            "Gravity-darkening exponent beta of star 1 (0: none).")
        .def_property_readonly(
            "gd2", [](const PySystem& s) { return Physics(s).gd2.value_or(0.0); },
            "Gravity-darkening exponent beta of star 2 (0: none).")
        .def_property_readonly(
            "alb1", [](const PySystem& s) { return Physics(s).alb1.value_or(0.0); },
            "Bolometric albedo of star 1 (0: no reflection).")
        .def_property_readonly(
            "alb2", [](const PySystem& s) { return Physics(s).alb2.value_or(0.0); },
            "Bolometric albedo of star 2 (0: no reflection).")
        .def_property_readonly(
            "ecc", [](const PySystem& s) { return Physics(s).ecc; }, "The orbit's eccentricity.")
        .def_property_readonly(
            "omega", [](const PySystem& s) { return Physics(s).omega; },
            "The argument of periastron of star 1's orbit, degrees.")
        .def_property_readonly(
            "spots",
            [](const PySystem& s) {
                py::list spots;
                for (const flux::Spot& spot : Physics(s).spots)
                    spots.append(py::make_tuple(spot.star, spot.latitude, spot.longitude,
                                                spot.radius, spot.temperatureFactor));
                return spots;
            },
            "The spots as (star, latitude, longitude, radius, temperature factor) tuples,\n"
            "angles in degrees, as the keyword spot takes them.")
        .def_property_readonly(
            "l3", [](const PySystem& s) { return py::dict(py::cast(Physics(s).l3)); },
            "Third light: its share of the light at phase 0.25 per band (key \"\": every band).")
        .def_property_readonly(
            "l1", [](const PySystem& s) { return s.system->Figures().l1; },
            "The inner Lagrangian point: its distance from star 1's centre.")
        .def_property_readonly(
            "omega_crit", [](const PySystem& s) { return s.system->Figures().omegaCrit; },
            "The Roche potential at the inner Lagrangian point.")
        .def_property_readonly(
            "omega1", [](const PySystem& s) { return s.system->Figures().omega1; },
            "The surface potential of star 1 (at its pole).")
        .def_property_readonly(
            "omega2", [](const PySystem& s) { return s.system->Figures().omega2; },
            "The surface potential of star 2 (at its pole).")
        .def_property_readonly(
            "radii", [](const PySystem& s) { return Radii(s.system->Figures()); },
            "The radii of the window's lists, unrounded: r1_pole, r1_point (towards star\n"
            "2), r1_side, r1_back, the same of star 2, and star 1's Roche lobe (lobe_point,\n"
            "the inner Lagrangian point, and lobe_pole).")
        .def_property_readonly(
            "star_size_list", [](const PySystem& s) { return s.system->Figures().starSizeList; },
            "The window's star-size list, line by line.")
        .def_property_readonly(
            "roche_list", [](const PySystem& s) { return s.system->Figures().rocheList; },
            "The window's Roche-lobe list, line by line.")
        .def_property_readonly(
            "star1_fills", [](const PySystem& s) { return s.system->Figures().star1Fills; },
            "Whether star 1 overfills its Roche lobe.")
        .def_property_readonly(
            "star2_fills", [](const PySystem& s) { return s.system->Figures().star2Fills; },
            "Whether star 2 overfills its Roche lobe.")
        .def_property_readonly(
            "contact", [](const PySystem& s) { return s.system->Figures().contact; },
            "Whether both stars overfill their lobes (the window draws the contact neck).")
        .def_property_readonly(
            "state", [](const PySystem& s) { return s.system->Figures().state; },
            "The window's verdict: \"contact\", \"star 1 fills its lobe\", \"star 2 fills its\n"
            "lobe\", \"both fill their lobes\", \"detached\" or \"single star\".")
        .def_property_readonly(
            "warnings", [](const PySystem& s) { return s.warnings; },
            "The tool's warnings about the values given (a box text that does not read as a\n"
            "number), also issued as UserWarning when the system was made.")
        .def_property_readonly(
            "keywords", [](const PySystem& s) { return py::dict(s.keywords); },
            "The keywords the system was made with.")
        .def("__repr__",
             [](const PySystem& s) {
                 const SystemFigures& f = s.system->Figures();
                 std::string text = "<vandrel.System ";
                 if (!f.name.empty()) text += "'" + f.name + "' ";
                 return text + "q=" + RoundTripText(f.parameters.q) +
                        " incl=" + RoundTripText(f.parameters.incl) +
                        " r1=" + RoundTripText(f.parameters.r1) +
                        " r2=" + RoundTripText(f.parameters.r2) + " " + f.state + ">";
             },
             "The system's name, its main values and its state.")
        .def(py::pickle([](const PySystem& s) { return py::dict(s.keywords); },
                        [](const py::dict& keywords) { return MakeSystem(keywords); }));

    m.def("bands", &flux::BandNames, "The names of the bands light_curve takes.");
    m.def(
        "atlas",
        [] {
            HeadlessPort port("", nullptr);
            MainForm form(port);
            form.AddStars();
            return form.StarNameList.items;
        },
        "The entries of the atlas, as System.from_atlas takes them.");
    m.def(
        "phase_grid",
        [](long n) {
            if (n < 1 || n > 1000000)
                throw ModuleError(
                    ModuleError::Kind::Value,
                    "phase_grid needs a whole number from 1 to 1000000, not " + std::to_string(n));
            const std::vector<double> phases = PhaseGrid(n);
            return py::array_t<double>(phases.size(), phases.data());
        },
        py::arg("n") = 721,
        "n phases evenly from -0.25 to 0.75 (the tool's --phases N; 0 alone for n = 1).");
    m.def("_system_keywords", &SystemKeywords, "The keywords System takes.");
    m.def(
        "_quiet_system", [](const py::dict& keywords) { return MakeSystem(keywords, false); },
        "System(**keywords) without issuing its warnings (see System.warnings), for threads\n"
        "that must not touch the warnings filters.");
    m.def(
        "_file_names",
        [](const std::vector<std::string>& names, std::vector<std::string> taken) {
            std::vector<std::string> files;
            for (std::string& t : taken)
                for (char& c : t)
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            for (const std::string& name : names) files.push_back(SafeFileName(name, taken));
            return files;
        },
        "File names (without extension) for the names, unique, none of taken (lower case), as\n"
        "the tool's atlas batch names its files.");
    m.def(
        "_write_file",
        [](const std::string& path, const std::string& text) {
            py::gil_scoped_release release;
            WriteWholeFile(path, text);
        },
        "Replaces the file at path whole, or leaves it as it was (OSError says why).");
}

}  // namespace vp::python
