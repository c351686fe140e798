#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "core/atomic_file.h"
#include "core/colour.h"
#include "core/fault.h"
#include "core/rounding.h"

namespace vp {
namespace {

TEST(Rounding, HalvesToEvenForPixelsAndAwayForFrameNames) {
    EXPECT_EQ(*RoundHalfEven32(2.5), 2);
    EXPECT_EQ(*RoundHalfEven32(3.5), 4);
    EXPECT_EQ(*RoundHalfEven32(-2.5), -2);
    EXPECT_EQ(*RoundHalfEven32(2.4999), 2);
    EXPECT_FALSE(RoundHalfEven32(3e9).has_value());
    EXPECT_FALSE(RoundHalfEven32(std::nan("")).has_value());
    EXPECT_EQ(*RoundHalfAway(2.5), 3);
    EXPECT_EQ(*RoundHalfAway(-2.5), -3);
    EXPECT_EQ(Int(-0.5), -1);
    EXPECT_EQ(Int(2.9), 2);
}

TEST(Fault, NonFiniteResultsLeaveTheTarget) {
    double target = 7;
    double zero = 0;
    EXPECT_FALSE(Assign(target, 1 / zero));
    EXPECT_FALSE(Assign(target, std::sqrt(-1.0)));
    EXPECT_EQ(target, 7);
    EXPECT_TRUE(Assign(target, 3));
    EXPECT_EQ(target, 3);
}

TEST(Colour, RedInTheLowByte) {
    EXPECT_EQ(RGB(255, 0, 0), 0xFFu);
    EXPECT_EQ(RGB(1, 2, 3), 1u + 2u * 256 + 3u * 65536);
    EXPECT_EQ(BlueOf(RGB(1, 2, 3)), 3);
}

TEST(AtomicFile, FailedWriteKeepsThePreviousFile) {
    auto folder = std::filesystem::temp_directory_path() / "vandrel-atomic-test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::string path = (folder / "out.txt").string();
    ASSERT_TRUE(WriteFileAtomically(path, "first"));
    std::string error;
    EXPECT_FALSE(WriteFileAtomically((folder / "missing" / "out.txt").string(), "x", &error));
    EXPECT_FALSE(error.empty());
    std::string back;
    ASSERT_TRUE(ReadWholeFile(path, back));
    EXPECT_EQ(back, "first");
    ASSERT_TRUE(WriteFileAtomically(path, "second"));
    ASSERT_TRUE(ReadWholeFile(path, back));
    EXPECT_EQ(back, "second");
    // No temporary files are left behind.
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(folder)) entries += e.is_regular_file();
    EXPECT_EQ(entries, 1);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace vp
