#include "headless/picture_mode.h"

namespace vp {

bool IsDrawMode(const std::string& mode) {
    return mode == "paint" || mode == "dots" || mode == "grid";
}

void SetDrawMode(MainForm& form, const std::string& mode, bool granulation) {
    form.chkPaint.checked = mode == "paint";
    form.chkDots.checked = mode == "dots";
    form.chkGrid.checked = mode == "grid";
    if (mode != "paint") form.chkPhotometry.checked = false;
    if (granulation) {
        form.chkGran.checked = true;
        form.renderer.FillGranulation();
    }
}

}  // namespace vp
