#include "cli/atlas_batch.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <iostream>
#include <memory>
#include <mutex>
#include <thread>

#include "cli/plot_png.h"
#include "cli/precise_lightcurve.h"
#include "core/atomic_file.h"
#include "headless/atlas_names.h"
#include "headless/headless_port.h"
#include "headless/recording.h"
#include "headless/safe_file_name.h"

namespace vp {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct SystemResult {
    std::string file;  // the CSV's name inside DIR
    bool ok = false;
    std::string error;  // why not
    std::string contact;
    double clipped = 0;  // fraction of the phases at which the stars were cut by the edge
    CurveTable table;
    CurveMinima minima;
    PlotText text;
    PreciseCurve precise;                   // the flux engine's curve, when asked for
    std::vector<double> deeper, shallower;  // its depths per band
};

// One turn of the engine's curve, phases folded into [0, 1), every band summed: the table in
// which FindMinima finds the minima; then each band's depths there.
void PreciseMinima(SystemResult& r) {
    const PreciseCurve& c = r.precise;
    std::vector<std::pair<double, double>> points;
    for (std::size_t i = 0; i < c.x.size(); ++i) {
        double sum = 0;
        for (const auto& v : c.value) sum += v[i];
        points.push_back({c.x[i] - std::floor(c.x[i]), sum});
    }
    std::sort(points.begin(), points.end());
    CurveTable table;
    table.magnitudes = false;
    for (const auto& [phase, sum] : points) {
        if (!table.phase.empty() && phase - table.phase.back() < 1e-12) continue;
        table.phase.push_back(phase);
        for (auto& v : table.value) v.push_back(sum);
    }
    r.minima = FindMinima(table);
    auto at = [&](std::size_t b, double phase) {
        // The band's sample nearest the minimum's centre.
        std::size_t best = 0;
        double gap = 2;
        for (std::size_t i = 0; i < c.x.size(); ++i) {
            double d = std::fabs(c.x[i] - std::floor(c.x[i]) - phase);
            d = std::min(d, 1 - d);
            if (d < gap) gap = d, best = i;
        }
        return c.value[b][best];
    };
    for (std::size_t b = 0; b < c.value.size(); ++b) {
        r.deeper.push_back(r.minima.found ? 1 - at(b, r.minima.primaryPhase) : 0);
        r.shallower.push_back(r.minima.hasSecondary ? 1 - at(b, r.minima.secondaryPhase) : 0);
    }
}

void ComputeSystem(const BatchRequest& request, const std::string& name, SystemResult& result) {
    CommonOptions options = request.options;
    options.star = name;
    PreciseRequest precise = *request.precise;
    precise.threads = 1;  // the batch's workers share the cores out already
    std::string error, title, subtitle;
    if (!ComputePreciseCurve(options, precise, false, result.precise, title, subtitle, error)) {
        result.error = error;
        return;
    }
    if (!WriteFileAtomically((fs::path(request.dir) / result.file).string(),
                             PreciseCsv(result.precise), &error)) {
        result.error = "cannot write " + result.file + ": " + error;
        return;
    }
    result.ok = true;
    result.contact = subtitle.substr(0, subtitle.find(','));
    result.text = {title, subtitle};
    PreciseMinima(result);
}

void RecordSystem(const BatchRequest& request, const std::string& name,
                  const std::string& appFolder, SystemResult& result) {
    if (request.precise) {
        ComputeSystem(request, name, result);
        return;
    }
    std::error_code ec;
    fs::create_directories(appFolder, ec);
    CommonOptions options = request.options;
    options.star = name;
    HeadlessPort port(appFolder, nullptr);
    MainForm form(port);
    CurveRecording recording;
    std::string error;
    if (!RecordCurve(form, options, request.magnitudes, recording, error)) {
        result.error = error;
    } else {
        if (!recording.csv.empty() &&
            !WriteFileAtomically((fs::path(request.dir) / result.file).string(), recording.csv,
                                 &error))
            result.error = "cannot write " + result.file + ": " + error;
        else if (!recording.complete)
            result.error = "the recording did not complete within five turns";
        else if (!ParseCurveFile(recording.csv, recording.magnitudes, result.table))
            result.error = "the light-curve file cannot be read back";
        else
            result.ok = true;
    }
    if (result.ok) {
        result.contact = ContactState(form);
        result.clipped = static_cast<double>(recording.cutPhases) /
                         static_cast<double>(std::max<std::size_t>(recording.phases, 1));
        result.minima = FindMinima(result.table);
        result.text = {SystemTitle(form, name), SystemSubtitle(form, recording.magnitudes)};
    }
    fs::remove_all(appFolder, ec);
}

std::string Duration(double seconds) {
    const long s = std::lround(std::max(0.0, seconds));
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// A phase in [0, 1) to five decimals; one that rounds up to a whole turn is 0.
std::string PhaseText(double phase) {
    const std::string text = Fixed(phase, 5);
    return text == "1.00000" ? "0.00000" : text;
}

// The engine's index: depths per band, from the curves' flux relative to each brightest point.
std::string PreciseIndexText(const std::vector<std::string>& names,
                             const std::vector<SystemResult>& results,
                             const std::vector<std::string>& bands) {
    std::string text = "name,file,contact";
    for (const std::string& b : bands) text += "," + b + "_deeper," + b + "_shallower";
    text += ",primary_phase,secondary_phase,status\n";
    for (std::size_t i = 0; i < names.size(); ++i) {
        const SystemResult& r = results[i];
        text += CsvField(names[i]) + "," + CsvField(r.file) + "," + CsvField(r.contact);
        for (std::size_t b = 0; b < bands.size(); ++b) {
            text += "," + (r.ok ? Fixed(r.deeper[b], 6) : "");
            text += "," + (r.ok && r.minima.hasSecondary ? Fixed(r.shallower[b], 6) : "");
        }
        text += "," + (r.ok && r.minima.found ? PhaseText(r.minima.primaryPhase) : "");
        text += "," + (r.ok && r.minima.hasSecondary ? PhaseText(r.minima.secondaryPhase) : "");
        text += "," + (r.ok ? std::string("ok") : CsvField("failed: " + r.error)) + "\n";
    }
    return text;
}

std::string IndexText(const std::vector<std::string>& names,
                      const std::vector<SystemResult>& results) {
    std::string text =
        "name,file,contact,red_deeper,red_shallower,green_deeper,green_shallower,blue_deeper,blue_"
        "shallower,"
        "primary_phase,secondary_phase,clipped,status\n";
    for (std::size_t i = 0; i < names.size(); ++i) {
        const SystemResult& r = results[i];
        text += CsvField(names[i]) + "," + CsvField(r.file) + "," + CsvField(r.contact);
        const CurveMinima& m = r.minima;
        for (int c = 0; c < 3; ++c) {
            text += "," + (r.ok ? Fixed(m.found ? m.deeper[c] : 0, 6) : "");
            text += "," + (r.ok && (m.hasSecondary || !m.found)
                               ? Fixed(m.hasSecondary ? m.shallower[c] : 0, 6)
                               : "");
        }
        text += "," + (m.found ? PhaseText(m.primaryPhase) : "");
        text += "," + (m.hasSecondary ? PhaseText(m.secondaryPhase) : "");
        text += "," + (r.ok ? Fixed(r.clipped, 4) : "");
        text += "," + (r.ok ? std::string("ok") : CsvField("failed: " + r.error)) + "\n";
    }
    return text;
}

}  // namespace

int RunAtlasBatch(const BatchRequest& request) {
    std::vector<std::string> atlas;
    {
        ScratchFolder scratch;
        HeadlessPort port(scratch.path, nullptr);
        MainForm form(port);
        form.AddStars();
        atlas = form.StarNameList.items;
    }
    std::vector<bool> chosen(atlas.size(), request.only.empty());
    for (const std::string& wanted : request.only) {
        std::size_t row = 0;
        std::string error;
        if (!FindAtlasName(atlas, wanted, row, error)) {
            std::cerr << "vandrel-cli lightcurve: --only: " << error << "\n";
            return 2;
        }
        chosen[row] = true;
    }
    std::vector<std::string> names;
    for (std::size_t i = 0; i < atlas.size(); ++i)
        if (chosen[i]) names.push_back(atlas[i]);
    if (request.limit >= 0 && names.size() > static_cast<std::size_t>(request.limit))
        names.resize(static_cast<std::size_t>(request.limit));

    std::error_code ec;
    fs::create_directories(request.dir, ec);
    if (request.plots) fs::create_directories(fs::path(request.dir) / "plots", ec);
    if (ec || !fs::is_directory(request.dir)) {
        std::cerr << "vandrel-cli lightcurve: cannot create " << request.dir
                  << (ec ? ": " + ec.message() : "") << "\n";
        return 1;
    }

    const std::size_t count = names.size();
    std::vector<SystemResult> results(count);
    std::vector<std::string> used = {"index.csv", "plots"};
    for (std::size_t i = 0; i < count; ++i) results[i].file = SafeFileName(names[i], used) + ".csv";

    long jobs = request.jobs > 0
                    ? request.jobs
                    : static_cast<long>(std::max(1u, std::thread::hardware_concurrency()));
    jobs = std::max(1L, std::min(jobs, static_cast<long>(count)));
    std::vector<std::unique_ptr<ScratchFolder>> folders;
    for (long w = 0; w < jobs; ++w) folders.push_back(std::make_unique<ScratchFolder>());

    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable finished;
    std::deque<std::size_t> done;
    auto work = [&](long w) {
        for (std::size_t i; (i = next++) < count;) {
            try {
                RecordSystem(request, names[i], folders[w]->path + "/" + std::to_string(i),
                             results[i]);
            } catch (const std::exception& e) {
                results[i].ok = false;
                results[i].error = e.what();
            }
            std::lock_guard<std::mutex> lock(mutex);
            done.push_back(i);
            finished.notify_one();
        }
    };
    const auto start = Clock::now();
    std::vector<std::thread> workers;
    for (long w = 0; w < jobs; ++w) workers.emplace_back(work, w);

    // Plots and the progress line are drawn here, on the main thread, while the workers record.
    std::unique_ptr<GuiSession> gui;
    if (request.plots) gui = std::make_unique<GuiSession>();
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    std::size_t failed = 0;
    for (std::size_t reported = 0; reported < count; ++reported) {
        std::size_t i;
        {
            std::unique_lock<std::mutex> lock(mutex);
            finished.wait(lock, [&] { return !done.empty(); });
            i = done.front();
            done.pop_front();
        }
        SystemResult& r = results[i];
        if (r.ok && request.plots) {
            std::string error;
            const std::string png =
                (fs::path(request.dir) / "plots" / fs::path(r.file).replace_extension(".png"))
                    .string();
            const bool written = request.precise ? WriteBandsPlot(png, r.precise, r.text, error)
                                                 : WriteCurvePlot(png, r.table, r.text, error);
            if (!written) {
                r.ok = false;
                r.error = "cannot write the plot " + png + ": " + error;
            }
        }
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        const std::size_t n = reported + 1;
        char line[160];
        std::snprintf(line, sizeof line, "%*zu/%zu systems  %3d%%  elapsed %s  about %s left",
                      static_cast<int>(std::to_string(count).size()), n, count,
                      static_cast<int>(100 * n / count), Duration(elapsed).c_str(),
                      Duration(elapsed / n * (count - n)).c_str());
        if (terminal) std::cerr << "\r\033[K";
        if (!r.ok) {
            ++failed;
            std::cerr << "failed: " << names[i] << ": " << r.error << "\n";
        }
        std::cerr << line << (terminal ? "  " + names[i] : "  " + names[i] + "\n") << std::flush;
    }
    for (std::thread& t : workers) t.join();
    if (terminal) std::cerr << "\n";

    std::string error;
    const std::string index = (fs::path(request.dir) / "index.csv").string();
    const std::string indexText = request.precise
                                      ? PreciseIndexText(names, results, request.precise->bands)
                                      : IndexText(names, results);
    if (!WriteFileAtomically(index, indexText, &error)) {
        std::cerr << "vandrel-cli lightcurve: cannot write " << index << ": " << error << "\n";
        return 1;
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::cerr << count - failed << " of " << count << " systems recorded in " << Duration(elapsed)
              << " (" << jobs << (jobs == 1 ? " worker" : " workers") << "); index " << index
              << "\n";
    if (failed > 0) {
        std::cerr << failed << (failed == 1 ? " system" : " systems") << " failed:\n";
        for (std::size_t i = 0; i < count; ++i)
            if (!results[i].ok) std::cerr << "  " << names[i] << ": " << results[i].error << "\n";
    }
    return failed > 0 ? 1 : 0;
}

}  // namespace vp
