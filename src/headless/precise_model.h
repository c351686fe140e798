// The flux engine as the tool's commands and the Python module use it: the options that
// choose bands, limb darkening, phases or times and the mesh, and the engine's model of the
// window's system.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "flux/binary_system.h"
#include "headless/physics_options.h"
#include "shell/main_form.h"

namespace vp {

struct PreciseRequest {
    std::vector<std::string> bands = {"red", "green", "blue"};
    // Limb darkening: the law of every band or of one band (key ""), the coefficients of each
    // star per band ("" for every band); none given: the window's linear law with w1, w2.
    std::map<std::string, std::string> law;
    std::map<std::string, std::vector<double>> ld1, ld2;
    long phases = 721;      // from -0.25 to 0.75, when no list or times are given
    std::string phaseList;  // a file of phases, one per line
    std::string times;      // a file of times, one per line, phased with period and epoch
    double period = 0, epoch = 0;
    bool periodGiven = false, epochGiven = false;
    bool absolute = false;  // fluxes in band intensity times separation squared
    int rings = 20;
    int threads = 0;  // 0: one per core
    PhysicsRequest physics;
    bool periodAlone = false;  // the period may come without times (the orbit's size)
};

// Parses one of the engine's options at args[i] (advancing i); false when it is not one.
// error is set for a bad value.
bool ParsePreciseOption(const std::vector<std::string>& args, std::size_t& i,
                        PreciseRequest& request, std::string& error);

// The help text of the engine's options.
std::string PreciseOptionsHelp();

// n phases evenly from -0.25 to 0.75 (0 alone when n is 1): the default of a light curve.
std::vector<double> PhaseGrid(long n);

// The phases (or times, with times true) the request asks for; false with a message.
bool RequestedPoints(const PreciseRequest& request, std::vector<double>& points,
                     std::vector<double>& phases, bool& times, std::string& error);

// The engine's bands with each star's limb darkening (w1, w2: the window's linear
// coefficients, the default); false with a message.
bool RequestedBands(const PreciseRequest& request, double w1, double w2,
                    std::vector<flux::BandSetup>& bands, std::string& error);

// The system the window's model state and switches describe, as the engine takes it (read
// after a recompute).
flux::BinaryParameters EngineParameters(const MainForm& form);

// The engine's model of a system with the request's bands, limb darkening, physics and mesh;
// null with a message when the engine cannot describe it.
std::unique_ptr<flux::LightCurveModel> EngineModel(const flux::BinaryParameters& parameters,
                                                   const PreciseRequest& request,
                                                   std::string& error);

// The engine's model of the system the window's boxes and switches describe, after a
// recompute; null with a message when the engine cannot describe it.
std::unique_ptr<flux::LightCurveModel> PreciseModel(MainForm& form, const PreciseRequest& request,
                                                    std::string& error);

}  // namespace vp
