#include "core/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace vp {
namespace {

TEST(NumberReader, ReadsTheLeadingNumberAndSkipsBlanks) {
    EXPECT_EQ(Val("82"), 82);
    EXPECT_EQ(Val("  -3.5"), -3.5);
    EXPECT_EQ(Val("12abc"), 12);
    EXPECT_EQ(Val("1 2"), 12);
    EXPECT_EQ(Val("- 5"), -5);
    EXPECT_EQ(Val("+5"), 5);
    EXPECT_EQ(Val(".5"), 0.5);
    EXPECT_EQ(Val("5."), 5);
    EXPECT_EQ(Val("1.2.3"), 1.2);
    EXPECT_EQ(Val("2.5E3"), 2500);
    EXPECT_EQ(Val("2.5e-3x"), 0.0025);
    EXPECT_EQ(Val("1 e 2"), 100);
    EXPECT_EQ(Val("3e"), 3);
    EXPECT_EQ(Val("3e+"), 3);
    EXPECT_EQ(Val("0.45"), 0.45);
}

TEST(NumberReader, TextWithoutANumberIsZero) {
    EXPECT_EQ(Val(""), 0);
    EXPECT_EQ(Val("abc"), 0);
    EXPECT_EQ(Val("."), 0);
    EXPECT_EQ(Val("-"), 0);
    EXPECT_EQ(Val("--5"), 0);
    EXPECT_EQ(Val("e5"), 0);
    EXPECT_EQ(Val("0,5"), 0);  // the decimal point is always "."
}

TEST(NumberReader, ExtremesNeverFail) {
    EXPECT_TRUE(std::isinf(Val("1e400")));
    EXPECT_GT(Val("1e400"), 0);
    EXPECT_LT(Val("-1e400"), 0);
    EXPECT_EQ(Val("1e-400"), 0);
    EXPECT_EQ(Val("0.0000e999999999"), 0);
    EXPECT_TRUE(std::signbit(Val("-0")));
    EXPECT_TRUE(std::isinf(Val(std::string(10000, '9'))));
    EXPECT_EQ(Val("0." + std::string(10000, '0') + "1"), 0);
    EXPECT_EQ(Val(std::string(5000, '0') + "7"), 7);
}

TEST(NumberWriter, ShortestFormWithFifteenDigits) {
    EXPECT_EQ(FormatNumber(0.45 + 0.01), "0.46");
    EXPECT_EQ(FormatNumber(8200 + 100), "8300");
    EXPECT_EQ(FormatNumber(0 - 5), "-5");
    EXPECT_EQ(FormatNumber(0.5 + 0.05), "0.55");
    EXPECT_EQ(FormatNumber(0.55 + 0.05 + 0.05), "0.65");
    EXPECT_EQ(FormatNumber(70.9), "70.9");
    EXPECT_EQ(FormatNumber(0.0005), "0.0005");
    EXPECT_EQ(FormatNumber(-0.236111111111111), "-0.236111111111111");
    EXPECT_EQ(FormatNumber(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FormatNumber(2.0 / 3), "0.666666666666667");
    EXPECT_EQ(FormatNumber(-0.0), "0");
}

TEST(NumberWriter, ExponentFormBelowOneTenThousandthAndFromE15) {
    EXPECT_EQ(FormatNumber(0.0001), "0.0001");
    EXPECT_EQ(FormatNumber(0.00001), "1E-05");
    EXPECT_EQ(FormatNumber(1.5e15), "1.5E+15");
    EXPECT_EQ(FormatNumber(999999999999999.0), "999999999999999");
    EXPECT_EQ(FormatNumber(1e15), "1E+15");
    EXPECT_EQ(FormatNumber(-2.5e-7), "-2.5E-07");
    EXPECT_EQ(FormatNumber(1e300), "1E+300");
}

TEST(NumberWriter, RoundTripsThroughTheReader) {
    for (double v : {0.305, 2.4, 82.0, 1e-5, 123456.789, -42.125, 6.02e23})
        EXPECT_EQ(Val(FormatNumber(v)), v) << v;
}

TEST(ListFormats, ZeroPointThree) {
    EXPECT_EQ(FormatZeroPoint3(2), "2.");
    EXPECT_EQ(FormatZeroPoint3(0.30499), "0.305");
    EXPECT_EQ(FormatZeroPoint3(0.305), "0.305");
    EXPECT_EQ(FormatZeroPoint3(0.37), "0.37");
    EXPECT_EQ(FormatZeroPoint3(0.5), "0.5");
    EXPECT_EQ(FormatZeroPoint3(1), "1.");
    EXPECT_EQ(FormatZeroPoint3(0), "0.");
    EXPECT_EQ(FormatZeroPoint3(0.0004), "0.");
    EXPECT_EQ(FormatZeroPoint3(0.0005), "0.001");
    EXPECT_EQ(FormatZeroPoint3(0.9999), "1.");
    EXPECT_EQ(FormatZeroPoint3(-0.25), "-0.25");
    EXPECT_EQ(FormatZeroPoint3(1234.5678), "1234.568");
}

TEST(ListFormats, PointThreeHasNoForcedLeadingZero) {
    EXPECT_EQ(FormatPoint3(0.5), ".5");
    EXPECT_EQ(FormatPoint3(3.75), "3.75");
    EXPECT_EQ(FormatPoint3(15.0912), "15.091");
    EXPECT_EQ(FormatPoint3(4), "4.");
    EXPECT_EQ(FormatPoint3(5.80856), "5.809");
    EXPECT_EQ(FormatPoint3(0), ".");
    EXPECT_EQ(FormatPoint3(-0.5), "-.5");
    EXPECT_EQ(FormatPoint3(1e20), "100000000000000000000.");
}

}  // namespace
}  // namespace vp
