#include "core/temporaries.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "core/atomic_file.h"

namespace vp {
namespace {

namespace fs = std::filesystem;

// A process ended by a termination signal leaves none of its temporaries, and keeps what it
// finished writing.
TEST(Temporaries, ATerminationSignalRemovesThemAndKeepsFinishedFiles) {
    const fs::path folder =
        fs::temp_directory_path() / ("vandrel-temporaries-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        RemoveTemporariesOnTerminationSignals();
        std::string file = (folder / ".vandrel-XXXXXX").string();
        std::string scratch = (folder / "scratch-XXXXXX").string();
        const int fd = MakeTemporaryFile(file);
        if (fd < 0 || !MakeTemporaryFolder(scratch) ||
            ::close(::open((scratch + "/inside").c_str(), O_CREAT | O_WRONLY, 0600)) != 0 ||
            !WriteFileAtomically((folder / "finished.txt").string(), "done"))
            _exit(2);
        ::kill(::getpid(), SIGTERM);
        ::sleep(20);
        _exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(folder)) left.push_back(e.path().filename());
    EXPECT_EQ(left, std::vector<std::string>{"finished.txt"});
    fs::remove_all(folder);
}

}  // namespace
}  // namespace vp
