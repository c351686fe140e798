#pragma once
#include <array>
#include <string_view>
namespace vp {
enum class AtlasOrigin { Fixed, Catalogue, Published, Typical };
struct AtlasRow {
    std::string_view name;  // as shown in the list
    double q;               // mass ratio M2/M1
    double incl;            // inclination, degrees
    double r1, r2;          // pole radii, separation units
    double t1, t2;          // temperatures, kelvin
    AtlasOrigin origin;     // where the numbers come from
    std::string_view kind;  // "contact", "semi-detached" or "detached"
};
inline constexpr int kAtlasRowCount = 324;
extern const std::array<AtlasRow, kAtlasRowCount> kAtlasRows;
}  // namespace vp
