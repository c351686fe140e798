#include "keywords.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace py = pybind11;

namespace vp::python {
namespace {

using Kind = ModuleError::Kind;

constexpr const char* kBoxKeywords[] = {"q",
                                        "incl",
                                        "r1",
                                        "r2",
                                        "w1",
                                        "w2",
                                        "t1",
                                        "t2",
                                        "lines",
                                        "zoom",
                                        "tilt",
                                        "eta",
                                        "rotation_period",
                                        "step"};
constexpr const char* kSwitchKeywords[] = {"tidal", "stefan", "similar_areas", "single_star"};
constexpr const char* kOtherKeywords[] = {"star", "load_star", "ld_law", "ld1", "ld2"};
// The flux engine's physics of real binaries; spot and l3 take more than a number.
constexpr const char* kPhysicsKeywords[] = {"gd1", "gd2", "alb1", "alb2", "ecc", "omega"};

bool Among(const std::string& name, const auto& names) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

std::string TypeName(const py::handle& value) {
    return py::str(py::type::handle_of(value).attr("__name__"));
}

// A box's text: a text as typed, a number as the shortest text that reads back as it.
std::string BoxText(const std::string& name, const py::handle& value) {
    if (py::isinstance<py::str>(value)) return value.cast<std::string>();
    if (!py::isinstance<py::bool_>(value) && py::hasattr(value, "__float__")) {
        const double number = py::float_(py::reinterpret_borrow<py::object>(value));
        if (!std::isfinite(number))
            throw ModuleError(Kind::Value,
                              name + " needs a finite number, not " + std::string(py::str(value)));
        return RoundTripText(number);
    }
    throw py::type_error(name + " takes a number or a text, not " + TypeName(value));
}

bool SwitchState(const std::string& name, const py::handle& value) {
    if (py::isinstance<py::str>(value)) {
        std::string text = value.cast<std::string>();
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (const char* on : {"1", "true", "yes", "on"})
            if (text == on) return true;
        for (const char* off : {"0", "false", "no", "off"})
            if (text == off) return false;
        throw ModuleError(Kind::Value,
                          name + " is true or false, not '" + value.cast<std::string>() + "'");
    }
    if (py::isinstance<py::bool_>(value) || py::hasattr(value, "__index__")) {
        const long number = py::int_(py::reinterpret_borrow<py::object>(value));
        if (number == 0 || number == 1) return number == 1;
    }
    throw ModuleError(Kind::Value, name + " is true or false, not " + std::string(py::repr(value)));
}

// "A" or "A,B" from a number, a pair of numbers or a text.
std::string Coefficients(const std::string& name, const py::handle& value) {
    if (py::isinstance<py::str>(value)) return value.cast<std::string>();
    if (py::isinstance<py::tuple>(value) || py::isinstance<py::list>(value)) {
        std::string text;
        for (const py::handle item : value) text += (text.empty() ? "" : ",") + BoxText(name, item);
        return text;
    }
    return BoxText(name, value);
}

// The values of --ld-law, --ld1 or --ld2: one for every band, a {band: value} dictionary, or a
// text of entries separated by ';' (as a table's cell holds them).
std::vector<std::string> EngineValues(const std::string& name, const py::handle& value) {
    std::vector<std::string> values;
    if (py::isinstance<py::dict>(value)) {
        for (const auto& [band, item] : value.cast<py::dict>()) {
            if (!py::isinstance<py::str>(band))
                throw py::type_error(name + " names its bands by text, not " + TypeName(band));
            const std::string text =
                name == "ld_law" ? py::str(item).cast<std::string>() : Coefficients(name, item);
            values.push_back(band.cast<std::string>() + "=" + text);
        }
        return values;
    }
    const std::string text =
        name == "ld_law" ? py::str(value).cast<std::string>() : Coefficients(name, value);
    std::size_t from = 0;
    for (std::size_t to; (to = text.find(';', from)) != std::string::npos; from = to + 1)
        values.push_back(text.substr(from, to - from));
    values.push_back(text.substr(from));
    return values;
}

// One spot "STAR,LAT,LON,RADIUS,TFACTOR" per entry: a text (spots separated by ';'), one
// sequence of five numbers, or a sequence of such sequences or texts.
std::vector<std::string> SpotTexts(const py::handle& value) {
    std::vector<std::string> spots;
    if (py::isinstance<py::str>(value)) {
        const std::string text = value.cast<std::string>();
        std::size_t from = 0;
        for (std::size_t to; (to = text.find(';', from)) != std::string::npos; from = to + 1)
            spots.push_back(text.substr(from, to - from));
        spots.push_back(text.substr(from));
        return spots;
    }
    if (!py::isinstance<py::sequence>(value))
        throw py::type_error("spot takes (star, latitude, longitude, radius, factor), a list of "
                             "them or a text, not " + TypeName(value));
    const py::sequence items = value.cast<py::sequence>();
    const bool one = items.size() > 0 && !py::isinstance<py::str>(items[0]) &&
                     !py::isinstance<py::sequence>(items[0]);
    if (one) return {Coefficients("spot", value)};
    for (const py::handle item : items)
        spots.push_back(py::isinstance<py::str>(item) ? item.cast<std::string>()
                                                      : Coefficients("spot", item));
    return spots;
}

// Third light: a share for every band, a {band: share} dictionary or the tool's text.
std::string ThirdLightText(const py::handle& value) {
    if (!py::isinstance<py::dict>(value)) return BoxText("l3", value);
    std::string text;
    for (const auto& [band, share] : value.cast<py::dict>())
        text += (text.empty() ? "" : ",") + py::str(band).cast<std::string>() + "=" +
                BoxText("l3", share);
    return text;
}

std::string OptionName(std::string keyword) {
    std::replace(keyword.begin(), keyword.end(), '_', '-');
    return "--" + keyword;
}

void ParseOption(const std::vector<std::string>& args, SystemSettings& settings) {
    std::size_t i = 0;
    std::string error;
    bool known = true;
    if (!ParsePreciseOption(args, i, settings.engine, error) &&
        !ParseCommonOption(args, i, settings.options, known, error))
        throw ModuleError(Kind::Value, error);
    if (!error.empty()) throw ModuleError(Kind::Value, error);
}

}  // namespace

std::vector<std::string> SystemKeywords() {
    std::vector<std::string> names(std::begin(kBoxKeywords), std::end(kBoxKeywords));
    names.insert(names.end(), std::begin(kSwitchKeywords), std::end(kSwitchKeywords));
    names.insert(names.end(), std::begin(kOtherKeywords), std::end(kOtherKeywords));
    names.insert(names.end(), std::begin(kPhysicsKeywords), std::end(kPhysicsKeywords));
    names.insert(names.end(), {"spot", "l3"});
    return names;
}

SystemSettings SettingsFromKeywords(const py::dict& keywords, std::vector<std::string>& warnings) {
    SystemSettings settings;
    for (const auto& [key, value] : keywords) {
        std::string name = py::str(key);
        std::replace(name.begin(), name.end(), '-', '_');
        if (value.is_none()) continue;  // not given
        if (Among(name, kBoxKeywords)) {
            ParseOption({OptionName(name), BoxText(name, value)}, settings);
        } else if (Among(name, kSwitchKeywords)) {
            const bool on = SwitchState(name, value);
            if (name == "single_star")
                settings.options.switches.emplace_back("TwoStarsCheck", !on);
            else
                ParseOption({OptionName(on ? name : "no_" + name)}, settings);
        } else if (name == "star" || name == "load_star") {
            const py::object text = py::module_::import("os").attr("fspath")(value);
            (name == "star" ? settings.options.star : settings.options.loadStar) =
                py::str(text).cast<std::string>();
        } else if (Among(name, kPhysicsKeywords)) {
            ParseOption({OptionName(name), BoxText(name, value)}, settings);
        } else if (name == "spot") {
            for (const std::string& text : SpotTexts(value)) ParseOption({"--spot", text}, settings);
        } else if (name == "l3") {
            ParseOption({"--l3", ThirdLightText(value)}, settings);
        } else if (name == "ld_law" || name == "ld1" || name == "ld2") {
            for (const std::string& text : EngineValues(name, value))
                ParseOption({name == "ld_law" ? "--ld-law" : OptionName(name), text}, settings);
        } else {
            std::string known;
            for (const std::string& k : SystemKeywords()) known += (known.empty() ? "" : ", ") + k;
            throw py::type_error("System() got an unexpected keyword argument '" + name +
                                 "' (it takes " + known + ")");
        }
    }
    warnings = settings.options.warnings;
    return settings;
}

PreciseRequest EngineRequest(const PreciseRequest& system, const py::object& bands,
                             const py::object& rings, const py::object& threads) {
    SystemSettings settings;
    settings.engine = system;
    std::string names;
    if (py::isinstance<py::str>(bands)) {
        names = bands.cast<std::string>();
    } else {
        for (const py::handle band : bands) {
            if (!py::isinstance<py::str>(band))
                throw py::type_error("bands are named by text, not " + TypeName(band));
            names += (names.empty() ? "" : ",") + band.cast<std::string>();
        }
    }
    ParseOption({"--bands", names}, settings);
    ParseOption({"--rings", py::str(rings)}, settings);
    ParseOption({"--threads", py::str(threads)}, settings);
    return settings.engine;
}

}  // namespace vp::python
