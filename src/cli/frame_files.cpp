#include "cli/frame_files.h"

#include <cmath>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>

#include "core/number_text.h"
#include "headless/frame_cap.h"
#include "headless/headless_port.h"

namespace vp {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMostNamed = 5;  // missing frames named one by one, the rest counted

int Fail(const std::string& message) {
    std::cerr << "vandrel-cli frames: " << message << "\n";
    return 1;
}

}  // namespace

int RecordFrameFiles(const CommonOptions& options, const std::string& dir) {
    ScratchFolder scratch;
    HeadlessPort port(scratch.path, options.verbose ? &std::cerr : nullptr);
    MainForm form(port);
    std::string error;
    if (!ApplyOptions(form, options, error)) return Fail(error);
    form.chkPhotometry.checked = false;  // frames need no light curve
    form.SetChecked(form.chkBMP, true);
    if (!StepWithinFrameCap(form, kFramesTurns, error)) return Fail(error);

    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir))
        return Fail("cannot create the folder " + dir + (ec ? ": " + ec.message() : ""));

    // The window writes each frame into the scratch folder; the same picture goes into DIR,
    // and the scratch copy is dropped at once so that the scratch folder does not grow.
    const double step = Val(form.txtAnimSpeed.text);
    const long ticks = step > 0 ? static_cast<long>(std::ceil(360 / step)) + 2 : 2;
    std::set<std::string> frames;
    std::map<std::string, std::string> missing;  // name, why
    for (long t = 0; t < ticks && form.chkBMP.checked; ++t) {
        form.Timer1_Timer();
        const fs::path made = form.FrameFileName();
        fs::remove(made, ec);
        const std::string name = made.filename().string();
        frames.insert(name);
        if (form.picture.SaveBitmap((fs::path(dir) / name).string(), &error))
            missing.erase(name);  // a later frame of the same name replaced a failed one
        else
            missing[name] = error;
    }
    if (form.chkBMP.checked) return Fail("the turn did not complete");
    if (!missing.empty()) {
        std::string list;
        std::size_t named = 0;
        for (const auto& [name, why] : missing) {
            if (named++ == kMostNamed) break;
            list += (list.empty() ? "" : "; ") + name + " (" + why + ")";
        }
        if (missing.size() > kMostNamed)
            list += "; and " + std::to_string(missing.size() - kMostNamed) + " more";
        return Fail(std::to_string(frames.size() - missing.size()) + " of " +
                    std::to_string(frames.size()) + " frames written to " + dir +
                    "; missing: " + list);
    }
    if (options.verbose) std::cerr << frames.size() << " frames written to " << dir << "\n";
    return 0;
}

}  // namespace vp
