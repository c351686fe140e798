// vandrel-cli info: one recompute, then the boxes, the model values, the captions and the
// two lists as the window shows them.
#include <iostream>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "core/number_text.h"
#include "headless/headless_port.h"
#include "headless/options.h"

namespace vp {
namespace {

void PrintInfo(MainForm& f, std::ostream& out) {
    for (Control* box : {&f.txtZoom, &f.txtRotPer, &f.txtEta, &f.Qratio, &f.txtIota, &f.txtRadius1,
                         &f.txtRadius2, &f.txtLimb1, &f.txtLimb2, &f.txtN1, &f.txtTemp1,
                         &f.txtTemp2, &f.txtAnimSpeed, &f.txtGamma})
        out << box->name << " = " << box->text << "\n";
    const ModelState& m = f.model;
    const std::pair<const char*, double> values[] = {
        {"MassRatio", m.MassRatio}, {"OrbitMassRatio", m.OrbitMassRatio},
        {"ViewScale", m.ViewScale}, {"RotPeriod", m.RotPeriod},
        {"L1Point", m.L1Point},     {"OmegaCrit", m.OmegaCrit},
        {"Omega1", m.Omega1},       {"Omega2", m.Omega2}};
    for (const auto& [name, value] : values) out << name << " = " << FormatNumber(value) << "\n";
    out << "FrameStar1 = \"" << f.FrameStar1.caption << "\"\n";
    out << "FrameStar2 = \"" << f.FrameStar2.caption << "\"\n";
    out << "chkNeck = " << (f.chkNeck.checked ? 1 : 0) << "\n";
    out << "txtMessage = " << (f.txtMessage.visible ? "visible" : "hidden") << "\n";
    out << "StarSizeList:\n";
    for (const std::string& line : f.StarSizeList.items) out << line << "\n";
    out << "RocheList:\n";
    for (const std::string& line : f.RocheList.items) out << line << "\n";
}

}  // namespace

int RunInfo(const std::vector<std::string>& args) {
    CommonOptions options;
    int exit =
        ParseCommandLine(args, "info",
                         "Usage: vandrel-cli info [options]\n"
                         "Runs one recompute and prints the parameter boxes, the model values,\n"
                         "the star frames' captions and the two lists.\n",
                         options, nullptr);
    if (exit >= 0) return exit;
    ScratchFolder scratch;
    HeadlessPort port(scratch.path, options.verbose ? &std::cerr : nullptr);
    MainForm form(port);
    std::string problem;
    if (!ApplyOptions(form, options, problem)) {
        std::cerr << "vandrel-cli info: " << problem << "\n";
        return 1;
    }
    form.Refresh_Click();
    PrintInfo(form, std::cout);
    return 0;
}

}  // namespace vp
