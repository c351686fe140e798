// vandrel-cli: the program's window object without a window.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "core/temporaries.h"

namespace {

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>&);
    const char* summary;
};

constexpr Command kCommands[] = {
    {"info", vp::RunInfo, "recompute once and print the boxes, model values and lists"},
    {"render", vp::RunRender, "recompute once and save the star picture as a bitmap or PNG"},
    {"lightcurve", vp::RunLightCurve,
     "record the three-colour light curve (one system or the atlas)"},
    {"compare", vp::RunCompare, "fit the model light curve to an observed one"},
    {"observe", vp::RunObserve, "write made-up observations of the model, with noise"},
    {"fit", vp::RunFit, "fit the system to observed light curves, with uncertainties"},
    {"rv", vp::RunRadialVelocities, "radial velocities of both stars from the flux engine"},
    {"atlas", vp::RunAtlas, "print the 324 atlas systems"},
    {"frames", vp::RunFrames, "record one turn of the orbit as bitmap frames or an animated GIF"},
    {"save-star", vp::RunSaveStar, "write the star parameter file of a system"},
    {"replay", vp::RunReplay, "drive the window object with one event per line"},
};

void PrintUsage(std::ostream& out) {
    out << "Usage: vandrel-cli COMMAND [options]\n\nCommands:\n";
    for (const Command& c : kCommands) out << "  " << c.name << "  " << c.summary << "\n";
    out << "\n'vandrel-cli COMMAND --help' lists the options of a command.\n";
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        PrintUsage(args.empty() ? std::cerr : std::cout);
        return args.empty() ? 2 : 0;
    }
    // Before any thread starts, so that every thread leaves these signals to the cleanup.
    vp::RemoveTemporariesOnTerminationSignals();
    for (const Command& c : kCommands) {
        if (args[0] != c.name) continue;
        try {
            return c.run(std::vector<std::string>(args.begin() + 1, args.end()));
        } catch (const std::exception& e) {
            std::cerr << "vandrel-cli " << c.name << ": " << e.what() << "\n";
            return 1;
        }
    }
    std::cerr << "vandrel-cli: unknown command '" << args[0] << "'\n";
    PrintUsage(std::cerr);
    return 2;
}
