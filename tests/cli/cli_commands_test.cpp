// The atlas, star-file, frame and replay commands of the headless tool.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/atomic_file.h"
#include "support/run_cli.h"

namespace {

using vp::testing::CliRun;
using vp::testing::RunCli;
using vp::testing::Scratch;
namespace fs = std::filesystem;

TEST(CliAtlas, ListsEveryRowInBoxTexts) {
    CliRun r = RunCli("atlas");
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
              "44i Boo (3)\t1.997\t70.9\t0.297\t0.412\t5800\t5553");
    EXPECT_NE(r.out.find("\nTX UMa  (253)\t"), std::string::npos);
    EXPECT_NE(r.out.find("\nFZ Ori (Tev)\t0.79152\t67.085\t0.3855\t0.347\t6108\t6055\n"),
              std::string::npos);
    int lines = 0;
    for (char c : r.out) lines += c == '\n';
    EXPECT_EQ(lines, 324);
}

TEST(CliAtlas, StarOptionChoosesASystemBeforeTheOtherOptions) {
    CliRun r = RunCli("info --star 'AW UMa (106)' --incl 85");
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.out.find("\nQratio = 0.072\n"), std::string::npos);
    EXPECT_NE(r.out.find("\ntxtIota = 85\n"), std::string::npos);
    EXPECT_NE(r.out.find("\ntxtN1 = 15\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nchkNeck = 1\n"), std::string::npos);
    EXPECT_EQ(RunCli("info --star 'No Such Star'").exit, 1);
}

TEST(CliAtlas, NamesAreFoundWithoutTheirNumberInAnyCaseAndSpacing) {
    for (const char* name : {"AW UMa", " aw  UMA ", "aw uma (106)"}) {
        CliRun r = RunCli(std::string("info --star '") + name + "'");
        ASSERT_EQ(r.exit, 0) << name << ": " << r.err;
        EXPECT_NE(r.out.find("\nQratio = 0.072\n"), std::string::npos) << name;
    }
    CliRun twoBlanks = RunCli("info --star 'TX UMa (253)'");  // the entry has two blanks
    ASSERT_EQ(twoBlanks.exit, 0) << twoBlanks.err;
    EXPECT_NE(twoBlanks.out.find("\nQratio = 0.25\n"), std::string::npos);

    CliRun ambiguous = RunCli("info --star v346");
    EXPECT_EQ(ambiguous.exit, 1);
    EXPECT_NE(ambiguous.err.find("'V346 Aql (117)' or 'V346 Cen (309)'"), std::string::npos)
        << ambiguous.err;
    CliRun slip = RunCli("info --star 'AW UMaa'");
    EXPECT_EQ(slip.exit, 1);
    EXPECT_NE(slip.err.find("did you mean 'AW UMa (106)'?"), std::string::npos) << slip.err;
    CliRun only = RunCli("lightcurve --all-atlas " + Scratch("only").string() + " --only Delta");
    EXPECT_EQ(only.exit, 2);
    EXPECT_NE(only.err.find("'Delta Cap (76)', 'Delta Lib (225)' or 'Delta Ori (339)'"),
              std::string::npos)
        << only.err;

    CliRun header = RunCli("atlas --header");
    ASSERT_EQ(header.exit, 0);
    EXPECT_EQ(header.out.substr(0, header.out.find("\n44i Boo")), "name\tq\ti\tr1\tr2\tT1\tT2");
}

TEST(CliStarFiles, SaveAndLoadGiveBackTheTexts) {
    fs::path folder = Scratch("star");
    std::string file = (folder / "s.txt").string();
    ASSERT_EQ(RunCli("save-star --out " + file + " --q 0.8 --incl 77.5 --t2 4321 --w1 0.6").exit,
              0);
    std::string text;
    ASSERT_TRUE(vp::ReadWholeFile(file, text));
    EXPECT_EQ(text, "q, i, r1, r2, T1, T2, w1, w2\r\n0.8,77.5,0.305,0.45,8200,4321,0.6,0.5\r\n");
    CliRun r = RunCli("info --load-star " + file);
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.out.find("\nQratio = 0.8\n"), std::string::npos);
    EXPECT_NE(r.out.find("\ntxtTemp2 = 4321\n"), std::string::npos);
    vp::WriteFileAtomically(file, "q,i\r\n1,2\r\n");
    CliRun bad = RunCli("info --load-star " + file);
    EXPECT_EQ(bad.exit, 1);
    EXPECT_NE(bad.err.find("occured in procedure FileSave."), std::string::npos);
}

TEST(CliFrames, OneTurnOfBitmaps) {
    fs::path folder = Scratch("frames");
    CliRun r = RunCli("frames --dir " + (folder / "out").string() + " --lines 2 --step 20");
    ASSERT_EQ(r.exit, 0) << r.err;
    int files = 0;
    for (auto& e : fs::directory_iterator(folder / "out")) files += e.path().extension() == ".bmp";
    EXPECT_EQ(files, 18);
    EXPECT_TRUE(fs::exists(folder / "out" / "frame000.bmp"));
    EXPECT_TRUE(fs::exists(folder / "out" / "frame340.bmp"));
}

TEST(CliReplay, DrivesTheWindowLikeItsControls) {
    fs::path folder = Scratch("replay");
    vp::WriteFileAtomically((folder / "events.txt").string(),
                            "type txtIota 8\n"
                            "type txtIota 85\n"
                            "scroll 11 up\n"
                            "click chkDots\n"
                            "dump\n"
                            "click HelpButton\n"
                            "select TX UMa  (253)\n"
                            "answer OK\n"
                            "answer Cancel\n"
                            "menu mnuSaveLC\n"
                            "messages\n"
                            "dump\n");
    CliRun r = RunCli("replay events.txt", folder.string());
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.out.find("txtIota.text = \"85\""), std::string::npos);
    EXPECT_NE(r.out.find("chkPhotometry.checked = 0"), std::string::npos);
    EXPECT_NE(r.out.find("txtN1.text = \"15\""), std::string::npos);
    EXPECT_NE(r.out.find("TestingAreaFrame.visible = 1"), std::string::npos);
    EXPECT_NE(r.out.find("chkSave.checked = 0"), std::string::npos);
    EXPECT_NE(r.out.find("[Light Curves] OKCancel: The light curves will be saved to "),
              std::string::npos);
    EXPECT_NE(r.out.find("caption = \"Vandrel Pro 2.1.22 - Eclipsing Binary Stars\""),
              std::string::npos);
    EXPECT_TRUE(fs::exists(folder / "LightCurves"));
    vp::WriteFileAtomically((folder / "bad.txt").string(), "dump\nscroll 99 up\n");
    CliRun bad = RunCli("replay bad.txt", folder.string());
    EXPECT_EQ(bad.exit, 2);
    EXPECT_NE(bad.err.find("line 2"), std::string::npos);
}

}  // namespace
