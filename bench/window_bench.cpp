// Whole operations of the window object: a recompute, photometry of one frame, and a full
// three-colour light-curve recording.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "photometry/pixel_sum.h"
#include "shell/main_form.h"

namespace {

class QuietPort : public vp::FileSystemPort {
  public:
    explicit QuietPort(std::string folder) : FileSystemPort(std::move(folder)) {}
    vp::MessageAnswer ShowMessage(const std::string&, const std::string&,
                                  vp::MessageButtons buttons, bool) override {
        return buttons == vp::MessageButtons::YesNo ? vp::MessageAnswer::Yes
                                                    : vp::MessageAnswer::OK;
    }
    void DoEvents() override {}
    void OpenWebPage(const std::string&) override {}
};

std::string ScratchFolder() {
    auto folder =
        std::filesystem::temp_directory_path() / ("vandrel-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    return folder.string();
}

void BM_Recompute(benchmark::State& state) {
    QuietPort port(ScratchFolder());
    vp::MainForm form(port);
    form.Refresh_Click();
    for (auto _ : state) form.Refresh_Click();
}
BENCHMARK(BM_Recompute)->Unit(benchmark::kMillisecond);

void BM_Photometry(benchmark::State& state) {
    QuietPort port(ScratchFolder());
    vp::MainForm form(port);
    form.Refresh_Click();
    for (auto _ : state) benchmark::DoNotOptimize(vp::ChannelSum(form.picture, 3));
}
BENCHMARK(BM_Photometry)->Unit(benchmark::kMicrosecond);

void BM_LightCurveRecording(benchmark::State& state) {
    const std::string folder = ScratchFolder();
    for (auto _ : state) {
        QuietPort port(folder);
        vp::MainForm form(port);
        form.SetChecked(form.chkSave, true);
        int ticks = 0;
        while (form.chkSave.checked && ticks++ < 1000) form.Timer1_Timer();
        if (form.chkSave.checked) state.SkipWithError("the recording did not complete");
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LightCurveRecording)->Unit(benchmark::kMillisecond);

}  // namespace
