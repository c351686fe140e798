#include "headless/recording.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>

#include "core/atomic_file.h"
#include "core/number_text.h"
#include "headless/atlas_names.h"
#include "headless/frame_cap.h"
#include "shell/atlas_data.h"

namespace vp {
namespace {

constexpr const char* kRecordingFile = "lightcurve.csv";

bool ParseField(std::string_view text, double& value) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r')) text.remove_suffix(1);
    if (text.empty()) return false;
    auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

double Wrap(double phase) {
    double p = phase - std::floor(phase);
    return p >= 1 ? 0 : p;
}

// The centre of the minimum at sample at, on the circle: the mean of the mid-points between
// its two flanks at several levels of its lower half (the bisector), each flank crossing
// interpolated between samples, so that a flat or unevenly sampled bottom is centred to a
// fraction of a step. The depth is measured from the lower of the two maxima within half a
// turn on either side.
double MinimumCentre(const CurveTable& table, const std::vector<double>& total, std::size_t at) {
    const std::size_t n = total.size();
    // Steps along the circle from the minimum: direction +1 or -1, the phase covered so far.
    auto walk = [&](int direction, const std::function<bool(std::size_t, double)>& visit) {
        std::size_t k = at;
        double covered = 0;
        for (std::size_t s = 1; s < n; ++s) {
            const std::size_t next = direction > 0 ? (k + 1) % n : (k + n - 1) % n;
            double gap = direction > 0 ? table.phase[next] - table.phase[k]
                                       : table.phase[k] - table.phase[next];
            if (gap < 0) gap += 1;
            covered += gap;
            if (covered >= 0.5 || !visit(next, covered)) return;
            k = next;
        }
    };
    double top[2] = {total[at], total[at]};
    for (int side = 0; side < 2; ++side)
        walk(side == 0 ? -1 : 1, [&](std::size_t k, double) {
            top[side] = std::max(top[side], total[k]);
            return true;
        });
    const double depth = std::min(top[0], top[1]) - total[at];
    double sum = 0;
    int levels = 0;
    for (double fraction : {0.125, 0.25, 0.375, 0.5}) {
        if (!(depth > 0)) break;
        const double level = total[at] + fraction * depth;
        double reach[2] = {-1, -1};  // phase from the minimum to each flank's crossing
        for (int side = 0; side < 2; ++side) {
            double before = total[at], coveredBefore = 0;
            walk(side == 0 ? -1 : 1, [&](std::size_t k, double covered) {
                if (total[k] < level) {
                    before = total[k];
                    coveredBefore = covered;
                    return true;
                }
                reach[side] = coveredBefore +
                              (covered - coveredBefore) * (level - before) / (total[k] - before);
                return false;
            });
        }
        if (reach[0] < 0 || reach[1] < 0) continue;
        sum += (reach[1] - reach[0]) / 2;
        ++levels;
    }
    return Wrap(table.phase[at] + (levels > 0 ? sum / levels : 0));
}

double CircleDistance(double a, double b) {
    double d = std::fabs(a - b);
    return std::min(d, 1 - d);
}

}  // namespace

bool RecordCurve(MainForm& form, const CommonOptions& options, int magnitudes, CurveRecording& out,
                 std::string& error) {
    if (!ApplyOptions(form, options, error)) return false;
    if (magnitudes >= 0) form.chkMag.checked = magnitudes == 1;
    form.txtFilename.text = kRecordingFile;
    out.magnitudes = form.chkMag.checked;
    form.SetChecked(form.chkSave, true);
    if (!StepWithinFrameCap(form, kRecordingTurns, error)) return false;
    const double step = Val(form.txtAnimSpeed.text);
    const long turnTicks = step > 0 ? static_cast<long>(std::ceil(360 / step)) + 1 : 72;
    std::set<double> phases, cut;
    auto look = [&] {
        phases.insert(form.model.Eta);
        if (form.renderer.StarsCutByEdge()) cut.insert(form.model.Eta);
    };
    look();  // the recompute's own frame
    const long ticks = std::min(kRecordingTurns * turnTicks, kMostFramesPerRun);
    for (long t = 0; t < ticks && form.chkSave.checked; ++t) {
        form.Timer1_Timer();
        look();
    }
    out.phases = phases.size();
    out.cutPhases = cut.size();
    out.csv.clear();
    out.complete =
        !form.chkSave.checked &&
        ReadWholeFile(form.port().AppFolder() + "/LightCurves/" + kRecordingFile, out.csv) &&
        !out.csv.empty();
    return true;
}

bool ParseCurveFile(const std::string& csv, bool magnitudes, CurveTable& table) {
    table = CurveTable();
    table.magnitudes = magnitudes;
    std::vector<std::array<double, 4>> rows;
    std::size_t at = csv.find('\n');
    if (csv.rfind("Phase, Red, Green, Blue", 0) != 0 || at == std::string::npos) return false;
    for (++at; at < csv.size();) {
        std::size_t end = csv.find('\n', at);
        if (end == std::string::npos) end = csv.size();
        std::string_view line(csv.data() + at, end - at);
        at = end + 1;
        std::array<double, 4> row{};
        for (int field = 0; field < 4; ++field) {
            std::size_t comma = field < 3 ? line.find(',') : line.size();
            if (comma == std::string_view::npos || !ParseField(line.substr(0, comma), row[field]))
                return false;
            line.remove_prefix(std::min(line.size(), comma + 1));
        }
        rows.push_back(row);
    }
    // The second half repeats the first one turn later.
    if (rows.empty() || rows.size() % 2 != 0) return false;
    rows.resize(rows.size() / 2);
    for (auto& row : rows) row[0] = Wrap(row[0]);
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto& a, const auto& b) { return a[0] < b[0]; });
    for (const auto& row : rows) {
        table.phase.push_back(row[0]);
        for (int c = 0; c < 3; ++c) table.value[c].push_back(row[c + 1]);
    }
    return true;
}

double FluxOf(const CurveTable& table, double value) {
    return table.magnitudes ? std::pow(2.512, -value) : value;
}

CurveMinima FindMinima(const CurveTable& table) {
    CurveMinima m;
    const std::size_t n = table.size();
    if (n < 3) return m;
    std::vector<double> total(n, 0.0);
    std::array<double, 3> brightest{};
    for (std::size_t i = 0; i < n; ++i)
        for (int c = 0; c < 3; ++c) {
            double f = FluxOf(table, table.value[c][i]);
            total[i] += f;
            brightest[c] = std::max(brightest[c], f);
        }
    const auto [low, high] = std::minmax_element(total.begin(), total.end());
    if (!(*low < *high)) return m;
    m.found = true;
    // A colour's minimum may sit a sample away from that of the summed light: each colour
    // walks downhill from there to its own.
    auto depths = [&](std::size_t i) {
        std::array<double, 3> d{};
        for (int c = 0; c < 3; ++c) {
            auto flux = [&](std::size_t k) { return FluxOf(table, table.value[c][k % n]); };
            std::size_t k = i;
            for (std::size_t steps = 0; steps < n; ++steps) {
                if (flux(k + n - 1) < flux(k))
                    k = (k + n - 1) % n;
                else if (flux(k + 1) < flux(k))
                    k = (k + 1) % n;
                else
                    break;
            }
            d[c] = brightest[c] > 0 ? 1 - flux(k) / brightest[c] : 0;
        }
        return d;
    };
    const std::size_t primary = static_cast<std::size_t>(low - total.begin());
    m.primaryPhase = MinimumCentre(table, total, primary);
    m.deeper = depths(primary);

    std::size_t secondary = n;
    for (std::size_t i = 0; i < n; ++i) {
        const double here = total[i];
        if (here >= *high || here > total[(i + n - 1) % n] || here > total[(i + 1) % n]) continue;
        if (CircleDistance(table.phase[i], m.primaryPhase) < 0.25) continue;
        if (secondary == n || here < total[secondary]) secondary = i;
    }
    if (secondary == n) return m;
    m.hasSecondary = true;
    m.secondaryPhase = MinimumCentre(table, total, secondary);
    m.shallower = depths(secondary);
    // The two may swap in a colour where the other star is the brighter.
    for (int c = 0; c < 3; ++c)
        if (m.shallower[c] > m.deeper[c]) std::swap(m.shallower[c], m.deeper[c]);
    return m;
}

std::string ContactState(const MainForm& form) {
    if (!form.TwoStarsCheck.checked) return "single star";
    if (form.chkNeck.checked) return "contact";
    const bool first = form.FrameStar1.caption.find("Contact") != std::string::npos;
    const bool second = form.FrameStar2.caption.find("Contact") != std::string::npos;
    if (first && second) return "both fill their lobes";
    if (first) return "star 1 fills its lobe";
    if (second) return "star 2 fills its lobe";
    return "detached";
}

std::string ClippingWarning(const CurveRecording& recording) {
    if (recording.cutPhases == 0) return "";
    char text[320];
    std::snprintf(text, sizeof text,
                  "warning: the stars are cut by the picture's edge at %zu of %zu phases (%.1f%%), "
                  "so the light curve is too faint there; --fit-zoom chooses the largest zoom "
                  "that keeps the whole orbit inside the picture",
                  recording.cutPhases, recording.phases,
                  100.0 * recording.cutPhases / std::max<std::size_t>(recording.phases, 1));
    return text;
}

std::string SystemName(const CommonOptions& options) {
    if (!options.loadStar.empty())
        return std::filesystem::path(options.loadStar).filename().string();
    std::vector<std::string> names;
    for (const AtlasRow& row : kAtlasRows) names.emplace_back(row.name);
    std::size_t row = 0;
    std::string error;
    return FindAtlasName(names, options.star, row, error) ? names[row] : options.star;
}

std::string SystemTitle(const MainForm& form, const std::string& name) {
    std::string title = name.empty() ? "Model light curve" : name;
    title += "   q = " + form.Qratio.text + ", i = " + form.txtIota.text +
             "\u00b0, r1 = " + form.txtRadius1.text;
    if (form.TwoStarsCheck.checked) title += ", r2 = " + form.txtRadius2.text;
    title += ", T1 = " + form.txtTemp1.text + " K";
    if (form.TwoStarsCheck.checked) title += ", T2 = " + form.txtTemp2.text + " K";
    return title;
}

std::string SystemSubtitle(const MainForm& form, bool magnitudes) {
    std::string s = ContactState(form) + ", limb darkening " + form.txtLimb1.text;
    if (form.TwoStarsCheck.checked) s += " / " + form.txtLimb2.text;
    s += ", step " + form.txtAnimSpeed.text + "\u00b0, " + form.txtN1.text + " latitude lines, ";
    s += magnitudes ? "magnitudes below the brightest point"
                    : "flux relative to the brightest point";
    return s;
}

}  // namespace vp
