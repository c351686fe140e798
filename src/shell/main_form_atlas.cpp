// The star atlas and the slide show through it.
#include "core/number_text.h"
#include "shell/atlas_data.h"
#include "shell/main_form.h"

namespace vp {

void MainForm::AddStars() {
    StarName.assign(1, "");
    StarQ.assign(1, 0);
    StarIota.assign(1, 0);
    StarR1.assign(1, 0);
    StarR2.assign(1, 0);
    StarT1.assign(1, 0);
    StarT2.assign(1, 0);
    for (const AtlasRow& row : kAtlasRows) {
        StarName.emplace_back(row.name);
        StarQ.push_back(row.q);
        StarIota.push_back(row.incl);
        StarR1.push_back(row.r1);
        StarR2.push_back(row.r2);
        StarT1.push_back(row.t1);
        StarT2.push_back(row.t2);
    }
    StarCount = kAtlasRowCount;
    StarNameList.items.clear();
    StarNameList.listIndex = -1;
    for (int i = 1; i <= StarCount; ++i) StarNameList.items.push_back(StarName[i]);
}

void MainForm::WriteAtlasRow(int row) {
    Qratio.text = FormatNumber(StarQ[row]);
    txtIota.text = FormatNumber(StarIota[row]);
    txtTemp1.text = FormatNumber(StarT1[row]);
    txtTemp2.text = FormatNumber(StarT2[row]);
    txtRadius1.text = FormatNumber(StarR1[row]);
    txtRadius2.text = FormatNumber(StarR2[row]);
}

void MainForm::StarNameList_Click() {
    const int selected = StarNameList.listIndex;
    const std::string text = selected >= 0 && selected < static_cast<int>(StarNameList.items.size())
                                 ? StarNameList.items[selected]
                                 : std::string();
    for (int i = 1; i <= StarCount; ++i)
        if (StarName[i] == text) WriteAtlasRow(i);
    txtN1.text = "15";
    Refresh_Click();
}

void MainForm::SlideShow_Click() {
    txtN1.text = "15";
    if (SlideShow.caption == "Start Slide Show") {
        SlideShow.caption = "Stop Slide Show";
        lblSlideShow.visible = true;
        SlideShowOn = true;
        SetChecked(AnimCheck, false);
        SetChecked(chkPhotometry, false);
        SetChecked(chkSpherical, true);
        txtEta.text = "0";
        Refresh_Click();
    } else {
        SlideShow.caption = "Start Slide Show";
        SlideShowOn = false;
        lblSlideShow.visible = false;
    }
}

void MainForm::Timer2_Timer() {
    // A slide tick never runs inside another (the recompute lets pending events run).
    if (inTimer2_ || !SlideShowOn || StarCount < 1) return;
    inTimer2_ = true;
    ++SlideIndex;
    if (SlideIndex > StarCount) SlideIndex = 1;
    WriteAtlasRow(SlideIndex);
    Refresh_Click();
    lblSlideShow.caption = StarName[SlideIndex];
    inTimer2_ = false;
}

}  // namespace vp
