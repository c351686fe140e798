// Animated GIF files of the star picture. One palette serves every frame, so the colours do
// not flicker from frame to frame: it is cut from the colours of the whole animation (median
// cut, each box split where it halves the pixels of its widest colour), and every colour is
// drawn as the nearest palette entry, without dithering, so the same input gives the same file.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "surface/surface.h"

namespace vp {

// Counts the colours of the frames, then cuts the palette.
class GifPaletteBuilder {
  public:
    void Add(const Surface& frame);
    // At most maxColours entries (0x00RRGGBB); fewer when the frames hold fewer colours.
    std::vector<std::uint32_t> Build(int maxColours = 256) const;

  private:
    std::unordered_map<std::uint32_t, std::uint64_t> counts_;
};

// Collects frames as palette indices and writes the looping animation.
class GifAnimation {
  public:
    GifAnimation(int width, int height, std::vector<std::uint32_t> palette, int delayCentiseconds);

    // False when the frame's size differs from the animation's.
    bool AddFrame(const Surface& frame, std::string& error);
    std::size_t FrameCount() const { return frames_.size(); }
    // The whole file: every frame after the first is stored as the rectangle that changed.
    bool Encode(std::string& bytes, std::string& error) const;

  private:
    std::uint8_t IndexOf(std::uint32_t colour);

    int width_, height_, delay_;
    std::vector<std::uint32_t> palette_;
    std::unordered_map<std::uint32_t, std::uint8_t> nearest_;
    std::vector<std::vector<std::uint8_t>> frames_;
};

}  // namespace vp
