// Animated GIF files of the star picture. One palette serves every frame, so the colours do
// not flicker from frame to frame: it is cut from the colours the animation shows (median
// cut, each box split where it halves the pixels of its widest colour), and every colour is
// drawn as the nearest palette entry, without dithering, so the same input gives the same file.
// Frames are encoded as they come, so an animation of any length needs the memory of two frames.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "surface/surface.h"

struct GifFileType;

namespace vp {

// Counts the colours of the frames, then cuts the palette.
class GifPaletteBuilder {
  public:
    void Add(const Surface& frame) {
        Add(frame.Words(), static_cast<std::size_t>(frame.Width()) * frame.Height());
    }
    void Add(const std::uint32_t* words, std::size_t count);  // colours 0x00RRGGBB
    // At most maxColours entries (0x00RRGGBB): the fixed colours first, then the cut of the
    // counted ones; fewer when the frames hold fewer colours.
    std::vector<std::uint32_t> Build(int maxColours = 256,
                                     const std::vector<std::uint32_t>& fixed = {}) const;

  private:
    std::unordered_map<std::uint32_t, std::uint64_t> counts_;
};

// A looping animation written frame by frame into a temporary file beside the target, which
// takes the target's place when the animation is finished; an unfinished one is removed, also
// when a termination signal ends the run (the file is one of the registered temporaries).
class GifStream {
  public:
    GifStream(int width, int height, std::vector<std::uint32_t> palette, int delayCentiseconds);
    ~GifStream();
    GifStream(const GifStream&) = delete;
    GifStream& operator=(const GifStream&) = delete;

    // Creates the temporary file and writes the screen and the loop block.
    bool Open(const std::string& path, std::string& error);
    // One frame of width x height colours 0x00RRGGBB, rows top first. Every frame after the
    // first is stored as the rectangle that changed.
    bool AddFrame(const std::uint32_t* words, std::string& error);
    // Ends the file and renames it over the target.
    bool Finish(std::string& error);
    std::size_t FrameCount() const { return frames_; }

    // The file the encoder writes to.
    struct Sink {
        int fd = -1;
        int failure = 0;  // errno of the first failed write
    };

  private:
    std::uint8_t IndexOf(std::uint32_t colour);
    bool Failed(const std::string& what, std::string& error);
    void Discard();

    int width_, height_, delay_;
    std::vector<std::uint32_t> palette_;
    // The palette entry of recently seen colours, one slot per hash of the colour: a colour
    // in bits 0-23 and its entry in bits 24-31; a slot of all ones is empty.
    std::vector<std::uint32_t> nearest_;
    std::vector<std::uint8_t> previous_, current_;
    std::size_t frames_ = 0;
    std::string path_, temporary_;
    Sink sink_;
    GifFileType* gif_ = nullptr;
};

}  // namespace vp
