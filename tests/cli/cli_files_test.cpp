// The headless tool's files when things go wrong: frames written through temporaries and never
// through a symbolic link, failed runs that leave earlier files alone, scratch folders that work
// whatever TMPDIR says and that a termination signal removes, as it removes a half-written GIF.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/atomic_file.h"
#include "support/run_cli.h"

namespace {

using vp::testing::CliRun;
using vp::testing::RunCli;
using vp::testing::Scratch;
namespace fs = std::filesystem;

std::size_t EntriesStartingWith(const fs::path& folder, const std::string& prefix) {
    std::size_t n = 0;
    for (const auto& e : fs::directory_iterator(folder))
        n += e.path().filename().string().rfind(prefix, 0) == 0;
    return n;
}

// Starts the tool with TMPDIR set to tmpdir and the termination signals at their defaults.
pid_t StartCli(const std::vector<std::string>& args, const fs::path& tmpdir) {
    const std::string environment = "TMPDIR=" + tmpdir.string();
    std::vector<char*> argv{const_cast<char*>("vandrel-cli")};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    char* const envp[] = {const_cast<char*>(environment.c_str()), nullptr};
    const pid_t pid = fork();
    if (pid == 0) {
        for (int s : {SIGINT, SIGTERM, SIGHUP}) ::signal(s, SIG_DFL);
        execve(VANDREL_CLI_PATH, argv.data(), envp);
        _exit(127);
    }
    return pid;
}

// Waits up to 20 s for an entry of the folder whose name starts with prefix.
bool AppearsWithin20s(const fs::path& folder, const std::string& prefix) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (EntriesStartingWith(folder, prefix) == 0) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Ends the process with the signal; true when the signal ended it.
bool EndedBy(pid_t pid, int signal) {
    kill(pid, signal);
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFSIGNALED(status) && WTERMSIG(status) == signal;
}

TEST(CliFrameFiles, NeverWritesThroughALinkAndNamesTheFramesItCouldNotWrite) {
    fs::path dir = Scratch("framefiles");
    fs::create_directories(dir / "out");
    vp::WriteFileAtomically((dir / "victim.txt").string(), "keep me");
    fs::create_symlink(dir / "victim.txt", dir / "out" / "frame040.bmp");
    fs::create_directories(dir / "out" / "frame100.bmp");  // a folder where a frame should go
    CliRun r = RunCli("frames --dir " + (dir / "out").string() + " --lines 2 --step 20");
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("17 of 18 frames written to "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("missing: frame100.bmp"), std::string::npos) << r.err;

    std::string victim, frame;
    ASSERT_TRUE(vp::ReadWholeFile((dir / "victim.txt").string(), victim));
    EXPECT_EQ(victim, "keep me");
    EXPECT_FALSE(fs::is_symlink(dir / "out" / "frame040.bmp"));
    ASSERT_TRUE(vp::ReadWholeFile((dir / "out" / "frame040.bmp").string(), frame));
    EXPECT_EQ(frame.substr(0, 2), "BM");
    EXPECT_EQ(EntriesStartingWith(dir / "out", ".vandrel-"), 0u);
}

TEST(CliLightCurve, AFailedRecordingLeavesTheEarlierFile) {
    fs::path dir = Scratch("lckeep");
    const std::string file = (dir / "curve.csv").string();
    vp::WriteFileAtomically(file, "Phase, Red, Green, Blue\r\n0, 1, 1, 1\r\n");
    CliRun black = RunCli("lightcurve --out " + file + " --zoom 0 --lines 2");
    EXPECT_EQ(black.exit, 1);
    std::string text;
    ASSERT_TRUE(vp::ReadWholeFile(file, text));
    EXPECT_EQ(text, "Phase, Red, Green, Blue\r\n0, 1, 1, 1\r\n");
}

TEST(CliScratch, AMissingOrUnusableTmpdirFallsBackToAFolderThatWorks) {
    fs::path dir = Scratch("tmpdir");
    vp::WriteFileAtomically((dir / "a-file").string(), "");
    for (const std::string& tmpdir :
         {std::string("/nonexistent-vandrel"), std::string("/proc"), (dir / "a-file").string()}) {
        CliRun r = RunCli("info", "", "TMPDIR=" + tmpdir);
        EXPECT_EQ(r.exit, 0) << tmpdir << ": " << r.err;
        EXPECT_EQ(r.out.substr(0, 14), "txtZoom = 100\n") << tmpdir;
    }
}

TEST(CliScratch, TerminationSignalsRemoveTheScratchFolders) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        fs::path dir = Scratch("signals");
        const std::string out = (dir / "curve.csv").string();
        const pid_t pid = StartCli({"lightcurve", "--out", out, "--step", "0.05"}, dir);
        ASSERT_GT(pid, 0);
        // A long recording: wait until its scratch folder is there, then end it.
        EXPECT_TRUE(AppearsWithin20s(dir, "vandrel-cli-"));
        EXPECT_EQ(EntriesStartingWith(dir, "vandrel-cli-"), 1u);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_TRUE(EndedBy(pid, signal)) << signal;
        EXPECT_EQ(EntriesStartingWith(dir, "vandrel-cli-"), 0u) << signal;
        EXPECT_FALSE(fs::exists(out));
    }
}

// A GIF is encoded into a hidden file beside the target while its frames are drawn.
TEST(CliScratch, ATerminationSignalLeavesNoHalfWrittenGif) {
    fs::path dir = Scratch("gifsignal");
    fs::create_directories(dir / "out");
    const fs::path gif = dir / "out" / "turn.gif";
    const pid_t pid = StartCli({"frames", "--gif", gif.string(), "--step", "0.05"}, dir);
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(AppearsWithin20s(dir / "out", ".vandrel-"));
    EXPECT_TRUE(EndedBy(pid, SIGTERM));
    EXPECT_EQ(EntriesStartingWith(dir / "out", ".vandrel-"), 0u);
    EXPECT_FALSE(fs::exists(gif));
}

}  // namespace
