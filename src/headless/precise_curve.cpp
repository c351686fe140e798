#include "headless/precise_curve.h"

#include <algorithm>
#include <cmath>

#include "core/number_text.h"

namespace vp {

bool ScaleCurve(PreciseCurve& curve, std::string& error) {
    for (std::size_t b = 0; b < curve.value.size(); ++b) {
        std::vector<double>& v = curve.value[b];
        const double top = v.empty() ? 0 : *std::max_element(v.begin(), v.end());
        if (!(top > 0)) {
            error = "the system gives no light in band " + curve.bands[b] +
                    " (a temperature too low for it?)";
            return false;
        }
        if (curve.absolute && !curve.magnitudes) continue;
        for (double& f : v) {
            if (curve.magnitudes) {
                if (!(f > 0)) {
                    error = "the light in band " + curve.bands[b] +
                            " falls to 0 at some point: no magnitude there; use the flux scale";
                    return false;
                }
                f = -2.5 * std::log10(f / top);
            } else {
                f /= top;
            }
        }
    }
    return true;
}

std::string PreciseCsv(const PreciseCurve& curve) {
    std::string text = curve.times ? "time" : "phase";
    for (const std::string& b : curve.bands) text += "," + b;
    text += "\n";
    for (std::size_t i = 0; i < curve.x.size(); ++i) {
        text += FormatNumber(curve.x[i]);
        for (const auto& v : curve.value) text += "," + FormatNumber(v[i]);
        text += "\n";
    }
    return text;
}

}  // namespace vp
