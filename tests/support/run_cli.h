// Runs the headless tool as a user would and collects what it printed.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/atomic_file.h"

namespace vp::testing {

struct CliRun {
    int exit = -1;
    std::string out;
    std::string err;
};

// runIn: a folder to run in (the application folder of replay), or empty. environment:
// assignments put before the command (TMPDIR=...), or empty.
inline CliRun RunCli(const std::string& arguments, const std::string& runIn = "",
                     const std::string& environment = "") {
    static int counter = 0;
    auto folder = std::filesystem::temp_directory_path() / "vandrel-cli-test";
    std::filesystem::create_directories(folder);
    std::string errPath =
        (folder / ("stderr-" + std::to_string(::getpid()) + "-" + std::to_string(counter++)))
            .string();
    std::string command =
        environment + " " + std::string(VANDREL_CLI_PATH) + " " + arguments + " 2>" + errPath;
    if (!runIn.empty()) command = "cd '" + runIn + "' && " + command;
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    int status = pclose(pipe);
    run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    vp::ReadWholeFile(errPath, run.err);
    std::filesystem::remove(errPath);
    return run;
}

// An empty folder of its own for one test, under the temporary directory.
inline std::filesystem::path Scratch(const std::string& name) {
    auto folder = std::filesystem::temp_directory_path() / "vandrel-cli-test" /
                  (name + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

// The README's command from "build/vandrel-cli NAME" to its end, continuation lines joined: the
// first one at or after the offset from.
inline std::string ReadmeCommand(const std::string& readme, const std::string& name,
                                 std::size_t from = 0) {
    std::size_t at = readme.find("build/vandrel-cli " + name + " ", from);
    if (at == std::string::npos) return "";
    std::string command;
    for (at += std::string("build/vandrel-cli ").size(); at < readme.size() && readme[at] != '\n';
         ++at) {
        if (readme.compare(at, 2, "\\\n") == 0)
            at = readme.find_first_not_of(' ', at + 2) - 1;
        else
            command += readme[at];
    }
    return command;
}

}  // namespace vp::testing
