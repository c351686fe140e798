// The main window of the program without any toolkit: it owns every control's state, the
// model, the renderer's working values, both pictures and the light curve, and it has one
// method per event handler. The Qt window and the command-line tool drive it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/model_port.h"
#include "model/model_state.h"
#include "model/system_lists.h"
#include "photometry/light_curve_store.h"
#include "render/renderer.h"
#include "shell/control.h"
#include "shell/platform_port.h"
#include "surface/surface.h"

namespace vp {

inline constexpr const char* kAppTitle = "VandrelProject";
// Shown in lblMessage, its frame made visible, while a recording draws stars the picture cuts.
inline constexpr const char* kStarsCutMessage = "The stars do not fit the picture: lower the zoom.";

class MainForm : private ModelPort {
  public:
    explicit MainForm(PlatformPort& port);
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    // ---- Controls -------------------------------------------------------------------------
    // Parameter boxes and their scroll bars.
    Control txtIota, Qratio, txtN1;
    Control txtRadius1, txtLimb1, txtTemp1;
    Control txtRadius2, txtLimb2, txtTemp2;
    Control txtAnimSpeed, txtZoom, txtGamma, txtEta, txtRotPer;
    std::array<Control, 15> VScroll;  // VScroll[1] .. VScroll[14]
    // Switches.
    Control AnimCheck, chkPhotometry, chkSpherical, chkStefan, chkNeck, chkGran, chkSimAreas;
    Control chkPaint, chkDots, chkGrid;
    Control TwoStarsCheck, chkBMP, chkSave, chkMag;
    // Frames, labels, lists, buttons, pictures.
    Control FrameSwitches, FrameStar1, FrameStar2, FramePhotometry, Frame2, Frame3;
    Control HelpAreaFrame, TestingAreaFrame, frameSaveBMP, frameMessage;
    Control Label21, lblSlideShow, lblSaveAs, Label7, lblMessage;
    Control Label28, Label27, Label19, Label20, Label18, Label16;
    Control txtFilename, txtBMPName, txtMessage;
    Control StarNameList, HelpList, StarSizeList, RocheList;
    Control SlideShow, cmdPlot, HelpButton, cmdExtras, Refresh, cmbSaveBMP, cmdCancel;
    Control Picture1, PicturePlot;

    // Every control, for mirroring and dumping.
    const std::vector<Control*>& Controls() const { return controls_; }
    Control* FindControl(const std::string& name);

    // The window: caption and client size in pixels.
    std::string caption;
    int clientWidth = 1012;
    int clientHeight = 675;

    // ---- State the behaviour names ---------------------------------------------------------
    ModelState model;
    StarSizes starSizes;  // the figures of the two lists, before they are rounded for display
    RocheLobe rocheLobe;
    Renderer renderer;
    LightCurveStore curve;
    Surface picture;      // the kept image of Picture1
    Surface plotPicture;  // the kept image of PicturePlot
    int Line1X = 0;       // the phase marker over the plot
    double PlotWidth = 0;
    std::array<int, 26> LastScrollPos{};

    // The atlas, rows 1..StarCount (index 0 unused), and the slide show.
    std::vector<std::string> StarName;
    std::vector<double> StarQ, StarIota, StarR1, StarR2, StarT1, StarT2;
    int StarCount = 0;
    int SlideIndex = 1;
    bool SlideShowOn = false;
    bool unloaded = false;
    std::string lastError;  // the text of the last error report shown

    // The version and the two web pages shipped with the program.
    static constexpr int kVersionMajor = 2, kVersionMinor = 1, kVersionRevision = 22;
    static std::string VersionText();
    static std::string VersionPageAddress();
    static std::string DetailsPageAddress();

    // ---- Event handlers --------------------------------------------------------------------
    // The recompute and the frame.
    void Refresh_Click();
    void DrawStar();
    void Photometry_Click();
    void Form_Resize(int width, int height);

    // Parameter controls: a scroll bar's change event (its new position is VScroll[k].value)
    // and a key released in a parameter box.
    void VScroll_Change(int k);
    void TextBox_KeyUp(Control& box);

    // Sets a check box or option button from code or by a click: a change of state runs
    // its click handler, as the controls do.
    void SetChecked(Control& box, bool checked);
    // A user's click on a check box (toggles it) or an option button (selects it).
    void ClickCheck(Control& box);

    // The orbit animation and the recordings.
    void Timer1_Timer();
    void chkSave_Click();
    void mnuSaveLC_Click();
    void SaveFile();
    void chkBMP_Click();
    void mnuSaveAnimation_Click();
    void chkGran_Click();

    // The lower panels, the help list and the error report.
    void cmdPlot_Click();
    void HelpButton_Click();
    void cmdExtras_Click();
    void AddHelp();
    void Label16_Click();
    void ShowError(std::int32_t eNumber, const std::string& eDesc, const std::string& LastOP);

    // Start-up and shut-down.
    void Form_Load();
    void Form_Unload();
    void mnuExit_Click();

    // The atlas and the slide show.
    void AddStars();
    void StarNameList_Click();
    void SlideShow_Click();
    void Timer2_Timer();

    // Star parameter files and the saved picture.
    void mnuSaveStar_Click();
    void mnuSaveBitmap_Click();
    void mnuLoad_Click();
    void cmbSaveBMP_Click();
    void cmdCancel_Click();

    // The paired text box and step of each parameter scroll bar.
    Control& ScrollBox(int k);
    static double ScrollStep(int k);
    // The file name of the animation frame at the current phase.
    std::string FrameFileName() const;
    // The largest zoom at which every frame of a turn (phases every stepDegrees) of the system
    // of the last recompute, drawn with the window's switches, lies inside the star picture;
    // 0 when none does. Changes nothing.
    double LargestZoomInsidePicture(double stepDegrees) const;
    // The light-curve file of a recording: the name in txtFilename under LightCurves.
    std::string LightCurvePath() const;
    // Passages through phase 0 at which a recording tries to write its file before it stops.
    static constexpr int kLightCurveWriteTries = 3;

    // Geometry of the pictures in the window's layout.
    static constexpr int kPictureLeft = 170;
    static constexpr int kPictureTop = 8;
    static constexpr int kPlotWidth = 838;
    static constexpr int kPlotHeight = 272;
    static constexpr int kPlotButtonHeight = 25;

    PlatformPort& port() { return port_; }

  private:
    // ModelPort
    void ShowSlowIteration() override;
    void MarkStar1Unstable() override;

    void InitialiseControls();
    Control& Add(Control& c, const std::string& name, ControlKind kind);
    void FireClick(Control& box);
    RenderSwitches CurrentSwitches() const;
    void ShowInfo(const std::string& text);

    void SwitchPanel(Control& button, Control& panel);
    void WriteAtlasRow(int row);
    void ShowSavePanel(const std::string& caption, const std::string& button,
                       const std::string& file);
    bool IsParameterBox(const Control& box) const;

    PlatformPort& port_;
    std::vector<Control*> controls_;
    int lightCurveWriteFailures_ = 0;  // failed writes in a row of the current recording
    bool inTimer1_ = false;
    bool inTimer2_ = false;
};

}  // namespace vp
