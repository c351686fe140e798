// The pictures of a fit: each file's observations with the fitted model and the residuals
// (O - C) below, over phase or time; and the corner plot of the sampler's posterior.
#pragma once

#include <string>
#include <vector>

#include "cli/plot_png.h"

namespace vp {

struct FitPanel {
    std::string label;  // the band, and the file when two share one
    bool magnitudes = true;
    double wavelength = 550e-9;  // the band's mean wavelength, for the model's colour
    std::vector<double> x, observed, residual;  // phases in [0, 1), or times
    std::vector<double> modelX, modelY;         // one turn in phase, or dense in time
};

struct FitPlotData {
    std::vector<FitPanel> panels;
    bool times = false;  // x is time (in xLabel's unit), else phase
    std::string xLabel = "phase";
};

bool WriteFitPlot(const std::string& path, const FitPlotData& data, const PlotText& text,
                  std::string& error);

struct CornerData {
    std::vector<std::string> names;            // one per column of the samples
    std::vector<std::vector<double>> samples;  // [sample][column]
    std::vector<double> best;                  // the optimiser's values, marked
};

// Histograms of every quantity on the diagonal (median and 16th, 84th percentiles marked),
// the samples of every pair below it.
bool WriteCornerPlot(const std::string& path, const CornerData& data, const PlotText& text,
                     std::string& error);

}  // namespace vp
