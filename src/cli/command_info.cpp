// vandrel-cli info: one recompute, then the boxes, the model values, the captions and the
// two lists as the window shows them.
#include <cstdio>
#include <iostream>
#include <stdexcept>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "core/number_text.h"
#include "flux/absolute_dimensions.h"
#include "headless/headless_port.h"
#include "headless/option_values.h"
#include "headless/options.h"
#include "headless/precise_model.h"

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

std::string Figure(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", v);
    return text;
}

void PrintAbsolute(const flux::AbsoluteDimensions& d, std::ostream& out) {
    out << "Absolute dimensions: P = " << Figure(d.orbit.period) << " d, a = "
        << Figure(d.orbit.a) << " R_sun\n";
    const std::pair<const char*, double flux::StarDimensions::*> rows[] = {
        {"mass (M_sun)", &flux::StarDimensions::mass},
        {"radius, of equal volume (R_sun)", &flux::StarDimensions::radius},
        {"radius at the pole (R_sun)", &flux::StarDimensions::radiusPole},
        {"radius at the side (R_sun)", &flux::StarDimensions::radiusSide},
        {"radius at the back (R_sun)", &flux::StarDimensions::radiusBack},
        {"radius towards the companion (R_sun)", &flux::StarDimensions::radiusPoint},
        {"surface area (R_sun^2)", &flux::StarDimensions::area},
        {"log g at the pole (cgs)", &flux::StarDimensions::logGPole},
        {"log g, GM/R^2 of equal volume (cgs)", &flux::StarDimensions::logG},
        {"luminosity (L_sun)", &flux::StarDimensions::luminosity},
    };
    out << "                                      star 1        star 2\n";
    for (const auto& [name, field] : rows) {
        std::string line = name;
        line.resize(36, ' ');
        std::string a = Figure(d.star1.*field), b = Figure(d.star2.*field);
        a.insert(0, a.size() < 14 ? 14 - a.size() : 0, ' ');
        b.insert(0, b.size() < 14 ? 14 - b.size() : 0, ' ');
        out << line << a << b << "\n";
    }
}

}  // namespace

int RunInfo(const std::vector<std::string>& args) {
    CommonOptions options;
    bool absolute = false, periodGiven = false;
    double period = 0;
    PhysicsRequest physics;
    auto own = [&](const std::vector<std::string>& a, std::size_t& i, std::string& error) {
        if (a[i] == "--absolute") {
            absolute = true;
            ++i;
            return true;
        }
        if (a[i] == "--period") {
            std::string text;
            if (TakeValue(a, i, text, error) && !(ParseRealNumber(text, period) && period > 0))
                error = "--period needs a number above 0, not '" + text + "'";
            periodGiven = true;
            return true;
        }
        return ParsePhysicsOption(a, i, physics, error);
    };
    int exit = ParseCommandLine(
        args, "info",
        "Usage: vandrel-cli info [options]\n"
        "Runs one recompute and prints the parameter boxes, the model values,\n"
        "the star frames' captions and the two lists.\n"
        "  --absolute                also the masses, radii, surface gravities and\n"
        "                            luminosities of both stars in solar units (needs --period\n"
        "                            and --a or --m1, --m2)\n" +
            PhysicsOptionsHelp(),
        options, own);
    if (exit >= 0) return exit;
    if (absolute && (!periodGiven || (!physics.a && !(physics.m1 && physics.m2)))) {
        std::cerr << "vandrel-cli info: --absolute needs --period and --a, or --period, --m1 "
                     "and --m2\n";
        return 2;
    }
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
    if (!absolute) return 0;
    try {
        PrintAbsolute(AbsoluteDimensionsOf(EngineParameters(form), physics,
                                           RequestedScale(physics, period)),
                      std::cout);
    } catch (const std::exception& e) {
        std::cerr << "vandrel-cli info: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace vp
