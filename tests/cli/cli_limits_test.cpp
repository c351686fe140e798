// What the tool refuses at once: option texts longer than a parameter box, and files that are
// no regular file of sane size.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/run_cli.h"

namespace {

using vp::testing::CliRun;
using vp::testing::RunCli;
using vp::testing::Scratch;

TEST(CliLimits, LongTextsAndNonFilesAreRefusedWithTheReason) {
    CliRun r = RunCli("info --q 1." + std::string(100, '5'));
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("--q: a text of 102 characters is longer than the 64 a parameter box"),
              std::string::npos)
        << r.err;

    const std::string fifo = (Scratch("limits") / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {std::string("/dev/zero"), fifo}) {
        r = RunCli("info --load-star " + path);
        EXPECT_EQ(r.exit, 1);
        EXPECT_NE(r.err.find(path + " is not a regular file"), std::string::npos) << r.err;
        r = RunCli("compare --observed " + path);
        EXPECT_EQ(r.exit, 1);
        EXPECT_NE(r.err.find(path + " is not a regular file"), std::string::npos) << r.err;
    }
}

}  // namespace
