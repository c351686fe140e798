#include "headless/form_star_texts.h"

namespace vp {

StarTexts FormStarTexts(const MainForm& form) {
    return {form.Qratio.text,   form.txtIota.text,  form.txtRadius1.text, form.txtRadius2.text,
            form.txtTemp1.text, form.txtTemp2.text, form.txtLimb1.text,   form.txtLimb2.text};
}

}  // namespace vp
