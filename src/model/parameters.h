// The parameter boxes as the recompute reads them: their texts, corrected in place, become
// the model state.
#pragma once

#include <string>

#include "model/model_state.h"

namespace vp {

// The texts of the fourteen parameter boxes, named after the boxes.
struct ParameterTexts {
    std::string* txtZoom;
    std::string* txtRotPer;
    std::string* txtEta;
    std::string* Qratio;
    std::string* txtIota;
    std::string* txtRadius1;
    std::string* txtRadius2;
    std::string* txtLimb1;
    std::string* txtLimb2;
    std::string* txtN1;
    std::string* txtTemp1;
    std::string* txtTemp2;
    std::string* txtAnimSpeed;
    std::string* txtGamma;
};

// Reads the boxes in order, writes the correction texts back into boxes whose values are out
// of range, and sets the parameter values of the model state (ViewScale from the star
// picture's scale size).
void ReadParameters(ModelState& m, const ParameterTexts& boxes, float scaleWidth,
                    float scaleHeight);

}  // namespace vp
