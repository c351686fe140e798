// The temperature over the lobes' surfaces when it is more than each star's own: gravity
// darkening, spots and the heating by the companion (on top of the window's blend across a
// contact neck), at every node and quadrature point of the meshes, and at the finer points
// that follow the spots' edges; and the brightness that makes in a band.
#pragma once

#include <functional>
#include <vector>

#include "flux/binary_system.h"
#include "flux/flux_model.h"
#include "flux/lobe_mesh.h"

namespace vp::flux {

class SurfaceTemperatures {
  public:
    SurfaceTemperatures(const std::vector<LobeMesh>& meshes, const BinaryParameters& p,
                        const SystemFacts& facts);

    // Whether gravity darkening, a spot or the companion's heating changes lobe l's
    // temperature.
    bool Varies(std::size_t l) const { return lobes_[l].varies; }
    bool AnyVaries() const;
    // The range of the temperatures over the lobes that vary.
    double Lowest() const { return lowest_; }
    double Highest() const { return highest_; }

    // The brightness of varying lobe l (whose mesh is given again) in a band, given the
    // brightness of a temperature.
    LobeBrightness Brightness(std::size_t l, const LobeMesh& mesh,
                              const std::function<double(double)>& brightness) const;

  private:
    struct EdgePoint {
        std::int32_t t;
        Vec3 p, n;
        double weight, T;
    };
    struct Field {
        bool varies = false;
        std::vector<double> node, quad;     // kelvin
        std::vector<EdgePoint> edge;        // by triangle, in order
        std::vector<std::uint8_t> crossed;  // per triangle: a spot's edge crosses it
    };
    std::vector<Field> lobes_;
    double lowest_ = 0, highest_ = 0;
};

}  // namespace vp::flux
