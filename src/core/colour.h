// 24-bit colours with red in the low byte (0x00BBGGRR).
#pragma once

#include <cstdint>

namespace vp {

using Colour = std::uint32_t;

constexpr Colour RGB(int r, int g, int b) {
    return static_cast<Colour>(r) + 256u * static_cast<Colour>(g) + 65536u * static_cast<Colour>(b);
}
constexpr int RedOf(Colour c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(Colour c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(Colour c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

constexpr Colour kBlack = RGB(0, 0, 0);
constexpr Colour kWhite = RGB(255, 255, 255);
constexpr Colour kRed = RGB(255, 0, 0);
constexpr Colour kLightGrey = RGB(192, 192, 192);
constexpr Colour kGrey = RGB(128, 128, 128);

}  // namespace vp
