// The renderer: draws the binary at the current rotation angle onto the star picture, the
// farther star first, the neck of a contact system between them, the nearer star last.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <random>
#include <vector>

#include "core/colour.h"
#include "model/model_port.h"
#include "model/model_state.h"
#include "render/corner_cache.h"
#include "surface/surface.h"

namespace vp {

enum class DrawMode { Paint, Dots, Grid };

// The switches the drawing reads, as they stand when a frame starts.
struct RenderSwitches {
    bool tidal = true;         // "Tidal Effects"
    bool twoStars = true;      // "Star 2 Active"
    bool neck = false;         // "Contact Neck"
    bool similarAreas = true;  // "Similar Areas"
    bool granulation = false;  // "Granulation"
    bool stefan = true;        // "Stefan-Boltzmann"
    DrawMode mode = DrawMode::Paint;
};

// How far the cells drawn in a frame reach: whether one crosses the picture's edge (the
// stars do not fit the picture), and the largest distance of a drawn corner from the
// picture's centre across and down, in pixels before rounding.
struct FrameReach {
    bool cut = false;
    double x = 0;
    double y = 0;
};

// One projected corner of a cell: depth towards the observer, picture x, picture y.
struct CornerRecord {
    double XP = 0;
    double YP = 0;
    double ZP = 0;
};

class Renderer {
  public:
    // Draws one frame (clear, stars, neck) onto picture. Photometry is the caller's business.
    void DrawStar(ModelState& model, ModelPort& port, const RenderSwitches& switches,
                  Surface& picture);

    // What the last frame drew, from its first cell on; StarsCutByEdge says whether any part
    // of either star (or of the neck) lay outside the picture.
    const FrameReach& LastFrameReach() const { return reach_; }
    bool StarsCutByEdge() const { return reach_.cut; }

    // Fills the granulation table with fresh pseudo-random numbers in [0, 1).
    void FillGranulation();

    // Temperature colour of a surface element, before limb darkening (0..255 each, doubles).
    void StarColor(double T, double& RR, double& GG, double& BB) const;

    // Binds the model, port, switches and picture that the procedures below work on; DrawStar
    // binds its own arguments. They stay bound until the next Bind or DrawStar.
    void Bind(ModelState& model, ModelPort& port, const RenderSwitches& switches, Surface& picture);

    // The frame's procedures, callable one by one once bound.
    void MakeStar(int StarNum);         // a whole detached star
    void MakeStarContact(int StarNum);  // the outer half of a contact star
    void MakeNeck();                    // the neck of a contact system
    // A star's surface point (latitude Phi, longitude Theta) projected onto the picture;
    // i, j, k only key the shape memo.
    void CT(int StarNum, double Phi, double Theta, double Eta, double Iota, double Gamma,
            double& XP, double& YP, double& ZP, double i, double j, double k);
    // A neck point (angle Phi about the axis, axial position ZC) projected onto the picture;
    // sets the working star values to the star on ZC's side of the inner Lagrangian point.
    void CTN(double& Rho, double Phi, double ZC, double Eta, double Iota, double Gamma, double& XP,
             double& YP, double& ZP, double i, double j, double k);
    // Culls, shades and fills the cell held in CellCorners (R is not used).
    void DrawCell(double R, double WW, double T, double TB, double i, double j);
    void DrawNeckCell(double R, double WW, double T, double TB, double i, double j);

    // Working values of the drawing, named as the drawing names them; they hold the values of
    // the last cell drawn.
    double PoleRadius = 0, Limb = 0, LatLines = 0, Temp = 0;
    double Phi = 0, Theta = 0;
    double i = 0, j = 0;
    double CellsInRow = 0, JFirst = 0, JLast = 0;
    double OffsetX = 0, OffsetY = 0;
    double Rho = 0, ZC = 0;
    std::array<CornerRecord, 6> CellCorners{};  // corners 1..5 (index 0 unused)
    CornerRecord CellCentre{};
    double Mu = 0, Intensity = 0;
    double CellR = 0, CellG = 0, CellB = 0;
    Colour DotColour = kWhite;
    std::array<PicturePoint, 11> PolyPts{};
    std::int32_t PolyCounts[1] = {0};
    std::array<std::array<double, 101>, 101> GranTable{};

  private:
    // What every projection of one mesh shares: the sines and cosines of a = Eta + pi/2, the
    // inclination and the axis tilt; 2 S; the picture's half sizes (single precision) and the
    // offsets of the star being drawn.
    struct View {
        double cosA, sinA, sinIota, cosIota, sinGamma, cosGamma;
        double twoS;
        double halfWidth, halfHeight;
        double offsetX, offsetY;
    };
    // An angle with its cosine and sine, worked out once and shared by every corner using it.
    struct Angle {
        double value, cos, sin;
    };
    // The longitudes of one row of cells: edges j and j + 1 and the middle of every column.
    struct RowLongitudes {
        std::vector<Angle> edges, middles;
    };

    View MakeView(double Eta, double Iota, double Gamma) const;
    static Angle MakeAngle(double value);
    const RowLongitudes& Longitudes(double span, double M, double firstCol, double lastCol);

    void SetStarValues(int StarNum);
    void SetStarOffsets(int StarNum);
    void DrawOneStar(int StarNum);
    void StarMesh(int StarNum, bool contact);
    void StarRows(int StarNum, bool contact, bool north, const View& view, CornerCache* cache,
                  std::size_t& corner);

    // CT and CTN with the trigonometry already done.
    void ProjectStarPoint(int StarNum, const Angle& phi, const Angle& theta, const View& view,
                          CornerRecord& corner, double i, double j, double k);
    void ProjectNeckPoint(double& rho, const Angle& phi, double ZC, const View& view,
                          CornerRecord& corner, double i, double j, double k);
    // Their first steps: the radius and the position in the star's own frame, in pixels.
    void StarFramePoint(int StarNum, const Angle& phi, const Angle& theta, double twoS, double i,
                        double j, double k, double& X, double& Y, double& Z);
    void NeckFramePoint(double& rho, const Angle& phi, double ZC, double twoS, double i, double j,
                        double k, double& X, double& Y, double& Z);
    void SetNeckSideValues(double ZC);
    // CT and CTN through a mesh's corner cache (null: no cache).
    void CachedStarPoint(CornerCache* cache, std::size_t n, int StarNum, const Angle& phi,
                         const Angle& theta, const View& view, CornerRecord& corner, double i,
                         double j, double k);
    void CachedNeckPoint(CornerCache* cache, std::size_t n, const Angle& phi, double ZC,
                         const View& view, CornerRecord& corner, double i, double j, double k);
    // Steps shared by both: orbit, inclination, axis tilt, placement.
    [[gnu::always_inline]] static inline void Place(double X, double Y, double Z, const View& view,
                                                    CornerRecord& corner);
    [[gnu::noinline]] static void PlaceStepByStep(double X, double Y, double Z, const View& view,
                                                  CornerRecord& corner);

    void ShadeCell(double WW, double T, double TB, double i, double j, bool neck);
    void NoteReach(bool placed);
    void CellColour(double T);

    // Bound by DrawStar or Bind.
    ModelState* m_ = nullptr;
    ModelPort* port_ = nullptr;
    const RenderSwitches* sw_ = nullptr;
    Surface* pic_ = nullptr;
    FrameReach reach_;               // of the frame being drawn
    std::mt19937_64 random_{20211};  // fixed seed: a fresh run gives the same patterns

    // The last StarColor result and everything it depended on.
    struct ColourMemo {
        bool valid = false;
        bool stefan = false;
        double T = 0, Temp1 = 0, Temp2 = 0;
        double R = 0, G = 0, B = 0;
    } colourMemo_;
    std::vector<Angle> ringAngles_;  // angles about the neck's axis, reused by every ring
    // Row longitudes by span, cells in the row and first and last column; they depend on
    // nothing else, so they are kept from frame to frame.
    std::map<std::array<double, 4>, RowLongitudes> longitudes_;
    // Star-frame corner positions of each star (detached, contact) and of the neck.
    CornerCache starCorners_[2][2];
    CornerCache neckCorners_;
};

}  // namespace vp
