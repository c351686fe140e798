// vandrel-cli fit as a user meets it: the README's example on its shipped file, files it cannot
// use, a fit that does not converge and one ended with Ctrl-C, each of which still writes the
// best solution it met.
#include <fcntl.h>
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
using vp::testing::ReadmeCommand;
using vp::testing::RunCli;
using vp::testing::Scratch;
namespace fs = std::filesystem;

const fs::path kSource = fs::path(VANDREL_SHARE_DIR).parent_path();
const std::string kShipped = (kSource / "share/examples/cg-cyg-v.txt").string();
// The shipped observations with a start well away from the system that made them.
const std::string kFit = "fit --observed " + kShipped +
                         " --band V --period 0.631141 --epoch 2450000.3 --star 'CG Cyg' --q 0.75"
                         " --incl 78 --r1 0.26 --r2 0.2 --t2 5200";

std::string Read(const fs::path& path) {
    std::string text;
    vp::ReadWholeFile(path.string(), text);
    return text;
}

// The report without the seconds the optimiser took (the end of its line), which no two runs
// share.
std::string WithoutSeconds(std::string report) {
    const std::size_t line = report.find("\noptimiser: ");
    if (line == std::string::npos) return report;
    const std::size_t end = report.find(" s\n", line);
    const std::size_t start = report.rfind(", ", end);
    if (end != std::string::npos && start != std::string::npos && start > line)
        report.replace(start, end - start, ", _");
    return report;
}

// The star file the fit wrote, loaded as the window's Load Star loads it.
bool Loads(const fs::path& star) {
    return RunCli("info --load-star " + star.string()).exit == 0;
}

TEST(CliFit, TheReadmeExampleRunsOnItsShippedFileAndPrintsWhatTheReadmeShows) {
    std::string readme;
    ASSERT_TRUE(vp::ReadWholeFile((kSource / "README.md").string(), readme));
    const std::size_t section = readme.find("## Fitting an observed binary");
    ASSERT_NE(section, std::string::npos);
    const std::string observe = ReadmeCommand(readme, "observe", section);
    const std::string fit = ReadmeCommand(readme, "fit", section);
    ASSERT_NE(observe.find("--out share/examples/cg-cyg-v.txt"), std::string::npos) << observe;
    ASSERT_NE(fit.find("--observed share/examples/cg-cyg-v.txt"), std::string::npos) << fit;

    // The documented command makes the shipped file, byte for byte.
    const fs::path dir = Scratch("fitreadme");
    fs::create_directories(dir / "share" / "examples");
    CliRun made = RunCli(observe, dir.string());
    ASSERT_EQ(made.exit, 0) << made.err;
    EXPECT_EQ(Read(dir / "share/examples/cg-cyg-v.txt"), Read(kShipped));

    CliRun r = RunCli(fit, dir.string());
    ASSERT_EQ(r.exit, 0) << r.err;
    const std::size_t printed = readme.find("```\nstart: CG Cyg", section);
    ASSERT_NE(printed, std::string::npos);
    EXPECT_EQ(WithoutSeconds(r.out),
              WithoutSeconds(readme.substr(printed + 4, readme.find("```", printed + 4) - printed - 4)));
    EXPECT_NE(Read(dir / "cg-cyg-fit.json").find("\"converged\": true"), std::string::npos);
    EXPECT_TRUE(Loads(dir / "cg-cyg-fit.star"));
    EXPECT_TRUE(fs::is_regular_file(dir / "cg-cyg-fit.png"));
}

TEST(CliFit, GravityDarkeningAndReflectionGivenToTheFitReachItsModel) {
    const fs::path dir = Scratch("fitphysics");
    const std::string observed = (dir / "cg-cyg.txt").string();
    const std::string physics = " --gd1 0.32 --gd2 0.32 --alb1 0.5 --alb2 0.5";
    const std::string common = " --star 'CG Cyg' --period 0.631141 --epoch 2450000.3";
    CliRun made = RunCli("observe --precise --band V --count 600 --noise 0.001 --cycles 50 --out " +
                         observed + common + physics);
    ASSERT_EQ(made.exit, 0) << made.err;
    auto reducedChi2 = [&](const std::string& extra) {
        CliRun r = RunCli("fit --observed " + observed + " --band V --free incl --starts 1 --quiet" +
                          common + extra + " --json " + (dir / "fit.json").string());
        EXPECT_EQ(r.exit, 0) << r.err;
        const std::string json = Read(dir / "fit.json");
        const std::size_t at = json.find("\"reduced_chi2\": ");
        return at == std::string::npos ? -1.0 : std::stod(json.substr(at + 16));
    };
    EXPECT_LT(reducedChi2(physics), 1.2);
    EXPECT_GT(reducedChi2(""), 3);
}

TEST(CliFit, FilesItCannotUseAreAnsweredWithTheLineAtFault) {
    const fs::path dir = Scratch("fitbad");
    const std::string text = (dir / "bad.txt").string();
    vp::WriteFileAtomically(text, "time, mag\n2450000.1, 10.2\n2450000.2, 10.1 x\n");
    const std::string ephemeris = " --period 0.631141 --epoch 2450000.3 --star 'CG Cyg' --quiet";
    CliRun r = RunCli("fit --observed " + text + " --band V" + ephemeris);
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.err, "vandrel-cli fit: " + text + ": line 3: '10.1 x' in column 2 is not a number\n");
    // Bytes that are no text; a file of one band without its --band; a band there is not.
    const std::string binary = (dir / "noise.bin").string();
    vp::WriteFileAtomically(binary, std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10));
    r = RunCli("fit --observed " + binary + " --band V" + ephemeris);
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("line 1: a control character"), std::string::npos) << r.err;
    r = RunCli("fit --observed " + kShipped + ephemeris);
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("name its band with --band"), std::string::npos) << r.err;
    r = RunCli("fit --observed " + kShipped + " --band Q" + ephemeris);
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find(kShipped + ": "), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
}

TEST(CliFit, AFitThatDoesNotConvergeSaysSoAndWritesTheBestSolutionMet) {
    const fs::path dir = Scratch("fitunconverged");
    const fs::path json = dir / "fit.json", star = dir / "fit.star", table = dir / "fit.csv";
    CliRun r = RunCli(kFit + " --starts 1 --max-iterations 2 --quiet --json " + json.string() +
                      " --save-star " + star.string() + " --out " + table.string());
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("the fit did not converge within 2 iterations"), std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("result: did not converge"), std::string::npos) << r.out;
    EXPECT_NE(Read(json).find("\"converged\": false"), std::string::npos);
    EXPECT_TRUE(Loads(star));
    // Every observation with its time as the file gave it.
    const std::string begins =
        "file,band,line,time,phase,observed,error,model,residual\n1,V,2,2450000.412101,0.1776";
    EXPECT_EQ(Read(table).substr(0, begins.size()), begins);
}

TEST(CliFit, CtrlCEndsTheFitWithTheBestSolutionSoFarWritten) {
    const fs::path dir = Scratch("fitinterrupt");
    const fs::path json = dir / "fit.json", star = dir / "fit.star", err = dir / "stderr";
    std::vector<std::string> args = {"vandrel-cli", "fit",  "--observed", kShipped, "--band",
                                     "V",           "--period", "0.631141",  "--epoch",
                                     "2450000.3",   "--star",   "CG Cyg",    "--q",
                                     "0.75",        "--incl",   "78",        "--json",
                                     json.string(), "--save-star", star.string()};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = ::open("/dev/null", O_WRONLY);
        const int log = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, 1);
        ::dup2(log, 2);
        ::signal(SIGINT, SIG_DFL);
        execv(VANDREL_CLI_PATH, argv.data());
        _exit(127);
    }
    ASSERT_GT(pid, 0);
    // Ctrl-C once the optimiser has begun its iterations.
    int status = 0;
    bool ended = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (Read(err).find(", iteration 1:") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline &&
           !(ended = waitpid(pid, &status, WNOHANG) == pid))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!ended) {
        kill(pid, SIGINT);
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
    }
    ASSERT_TRUE(WIFEXITED(status)) << Read(err);
    EXPECT_EQ(WEXITSTATUS(status), 130) << Read(err);
    EXPECT_NE(Read(err).find("interrupted; the best solution so far is reported and written"),
              std::string::npos)
        << Read(err);
    EXPECT_NE(Read(json).find("\"interrupted\": true"), std::string::npos);
    EXPECT_TRUE(Loads(star));
}

}  // namespace
