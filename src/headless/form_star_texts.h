// The texts a star parameter file holds, taken from the window's boxes.
#pragma once

#include "photometry/star_file.h"
#include "shell/main_form.h"

namespace vp {

// q, i, r1, r2, T1, T2, w1, w2 as the boxes hold them.
StarTexts FormStarTexts(const MainForm& form);

}  // namespace vp
