#include "fit/observed_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <initializer_list>

namespace vp::fit {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    const char separator = line.find(',') != std::string_view::npos   ? ','
                           : line.find(';') != std::string_view::npos ? ';'
                                                                      : 0;
    if (separator) {
        for (std::size_t at = 0;;) {
            const std::size_t end = line.find(separator, at);
            fields.push_back(Trim(line.substr(
                at, end == std::string_view::npos ? std::string_view::npos : end - at)));
            if (end == std::string_view::npos) break;
            at = end + 1;
        }
        while (!fields.empty() && fields.back().empty()) fields.pop_back();  // a trailing separator
        return fields;
    }
    for (std::size_t at = 0; at < line.size();) {
        while (at < line.size() && IsBlank(line[at])) ++at;
        std::size_t end = at;
        while (end < line.size() && !IsBlank(line[end])) ++end;
        if (end > at) fields.push_back(line.substr(at, end - at));
        at = end;
    }
    return fields;
}

bool Number(std::string_view text, double& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return false;
    auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && std::isfinite(value);
}

std::string Lower(std::string_view text) {
    std::string s(text);
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool Names(const std::string& word, std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (word.find(name) != std::string::npos) return true;
    return false;
}

// A field as it is quoted in a message: shortened, without control characters.
std::string Quoted(std::string_view text) {
    std::string s;
    for (char c : text.substr(0, 40)) s += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
    if (text.size() > 40) s += "...";
    return "'" + s + "'";
}

std::string Shown(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

}  // namespace

bool AddObservation(double first, double value, const double* sigma, bool magnitudes,
                    const ObservedSettings& settings, ObservedCurve& curve, std::string& error) {
    if (!std::isfinite(first) || !std::isfinite(value)) {
        error = "the " + std::string(settings.times ? "time" : "phase") +
                " and the value must be finite numbers, not " + Shown(first) + " and " +
                Shown(value);
        return false;
    }
    if (magnitudes && std::fabs(value) > kMostMagnitude) {
        error = "the magnitude " + Shown(value) + " is outside " + Shown(-kMostMagnitude) + " to " +
                Shown(kMostMagnitude);
        return false;
    }
    if (!magnitudes && !(value > 0 && value <= kMostFlux)) {
        error = "the flux " + Shown(value) + " is not above 0 and at most " + Shown(kMostFlux) +
                (value <= 0 ? " (for magnitudes give --mag)" : "");
        return false;
    }
    if (sigma && !(*sigma > 0 && *sigma <= (magnitudes ? kMostMagnitude : kMostFlux))) {
        error = "the error " + Shown(*sigma) + " is not a number above 0";
        return false;
    }
    double phase = first;
    if (settings.times) {
        const double cycles = (first - settings.epoch) / settings.period;
        if (!(std::fabs(cycles) < 1e9)) {
            error = "the time " + Shown(first) + " lies more than 10^9 periods from the epoch";
            return false;
        }
        phase = cycles;
    } else if (first < kLowestPhase || first > kHighestPhase) {
        error = "the phase " + Shown(first) + " is outside " + Shown(kLowestPhase) + " to " +
                Shown(kHighestPhase) + " (for times give --period P --epoch T0)";
        return false;
    }
    phase -= std::floor(phase);
    if (phase >= 1) phase = 0;
    curve.x.push_back(first);
    curve.phase.push_back(phase);
    curve.value.push_back(value);
    if (sigma) curve.error.push_back(*sigma);
    curve.line.push_back(static_cast<long>(curve.x.size()));
    return true;
}

bool ReadObserved(std::string_view text, const ObservedSettings& settings, ObservedCurve& curve,
                  std::string& error) {
    curve = ObservedCurve();
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    int headerMagnitudes = -1;
    int errorColumn = -1;  // -1 undecided, 0 none, 1 the third column
    bool firstContent = true;
    long number = 0;
    for (std::size_t at = 0; at < text.size();) {
        // Lines end in LF, CR LF or CR alone.
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = Trim(text.substr(at, end - at));
        at = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
        ++number;
        if (line.empty() || line.front() == '#') continue;
        const std::string where = "line " + std::to_string(number) + ": ";
        for (char c : line)
            if (static_cast<unsigned char>(c) < 32 && !IsBlank(c)) {
                error = where + "a control character; this is not a text file of numbers";
                return false;
            }
        const std::vector<std::string_view> fields = Fields(line);
        double first = 0, second = 0;
        if (firstContent && !fields.empty() && !Number(fields[0], first)) {
            // A header: the first line with text where the first number would be.
            firstContent = false;
            curve.header = true;
            const std::string x = Lower(fields[0]);
            const std::string y = fields.size() > 1 ? Lower(fields[1]) : "";
            const bool timeWord = Names(x, {"time", "jd", "date", "day"});
            if (timeWord && !settings.times) {
                error = where + "the first column is " + Quoted(fields[0]) +
                        "; phase times with --period P --epoch T0";
                return false;
            }
            if (Names(x, {"phase"}) && settings.times) {
                error = where + "the first column holds phases, but --period was given for times";
                return false;
            }
            if (Names(y, {"mag"}))
                headerMagnitudes = 1;
            else if (Names(y, {"flux", "intens", "norm", "rel"}))
                headerMagnitudes = 0;
            errorColumn = settings.readErrors && fields.size() > 2 &&
                          Names(Lower(fields[2]), {"err", "sig", "unc", "\xCF\x83"});
            continue;
        }
        firstContent = false;
        if (errorColumn < 0) errorColumn = settings.readErrors && fields.size() > 2;
        if (fields.size() < 2) {
            error = where + "one column only; expected " + (settings.times ? "a time" : "a phase") +
                    " and then a magnitude or flux";
            return false;
        }
        for (int column = 0; column < 2; ++column)
            if (!Number(fields[column], column == 0 ? first : second)) {
                error = where + Quoted(fields[column]) + " in column " +
                        std::to_string(column + 1) + " is not a number";
                return false;
            }
        const bool magnitudes =
            settings.magnitudes >= 0 ? settings.magnitudes == 1 : headerMagnitudes != 0;
        double sigma = 0;
        if (errorColumn == 1) {
            if (fields.size() < 3) {
                error = where + "no error in column 3, which the lines before have";
                return false;
            }
            if (!Number(fields[2], sigma) || !(sigma > 0) ||
                sigma > (magnitudes ? kMostMagnitude : kMostFlux)) {
                error = where + "the error " + Quoted(fields[2]) +
                        " in column 3 is not a number above 0";
                return false;
            }
        }
        if (!AddObservation(first, second, errorColumn == 1 ? &sigma : nullptr, magnitudes,
                            settings, curve, error)) {
            error = where + error;
            return false;
        }
        curve.line.back() = number;
    }
    if (curve.phase.empty()) {
        error = "no observations (expected lines of a " +
                std::string(settings.times ? "time" : "phase") + " and a magnitude or flux)";
        return false;
    }
    curve.times = settings.times;
    curve.magnitudes = settings.magnitudes >= 0 ? settings.magnitudes == 1 : headerMagnitudes != 0;
    return true;
}

}  // namespace vp::fit
