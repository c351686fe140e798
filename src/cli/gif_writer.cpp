#include "cli/gif_writer.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>

namespace vp {
namespace {

int Channel(std::uint32_t rgb, int axis) {
    return static_cast<int>((rgb >> (16 - 8 * axis)) & 0xFF);
}

struct Entry {
    std::uint32_t rgb;
    std::uint64_t count;
};

struct Box {
    std::size_t begin, end;
    double error = 0;  // summed squared distance of its pixels from their mean
    int axis = 0;      // the channel along which they spread most
};

void Measure(const std::vector<Entry>& entries, Box& box) {
    double n = 0;
    std::array<double, 3> sum{}, squares{};
    for (std::size_t i = box.begin; i < box.end; ++i) {
        const double w = static_cast<double>(entries[i].count);
        n += w;
        for (int a = 0; a < 3; ++a) {
            const double v = Channel(entries[i].rgb, a);
            sum[a] += w * v;
            squares[a] += w * v * v;
        }
    }
    box.error = 0;
    double widest = -1;
    for (int a = 0; a < 3; ++a) {
        const double spread = std::max(0.0, squares[a] - sum[a] * sum[a] / n);
        box.error += spread;
        if (spread > widest) widest = spread, box.axis = a;
    }
    if (box.end - box.begin < 2) box.error = 0;
}

std::uint32_t Mean(const std::vector<Entry>& entries, const Box& box) {
    double n = 0;
    std::array<double, 3> sum{};
    for (std::size_t i = box.begin; i < box.end; ++i) {
        const double w = static_cast<double>(entries[i].count);
        n += w;
        for (int a = 0; a < 3; ++a) sum[a] += w * Channel(entries[i].rgb, a);
    }
    std::uint32_t rgb = 0;
    for (int a = 0; a < 3; ++a)
        rgb = rgb << 8 | static_cast<std::uint32_t>(std::clamp(sum[a] / n + 0.5, 0.0, 255.0));
    return rgb;
}

int Distance(std::uint32_t a, std::uint32_t b) {
    int d = 0;
    for (int axis = 0; axis < 3; ++axis) {
        const int t = Channel(a, axis) - Channel(b, axis);
        d += t * t;
    }
    return d;
}

int AppendBytes(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<std::string*>(gif->UserData)
        ->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    return length;
}

}  // namespace

void GifPaletteBuilder::Add(const Surface& frame) {
    const std::uint32_t* words = frame.Words();
    const std::size_t n =
        static_cast<std::size_t>(frame.Width()) * static_cast<std::size_t>(frame.Height());
    // Runs of one colour (the black sky above all) are counted in one step.
    for (std::size_t i = 0; i < n;) {
        const std::uint32_t colour = words[i] & 0xFFFFFFu;
        std::size_t j = i + 1;
        while (j < n && (words[j] & 0xFFFFFFu) == colour) ++j;
        counts_[colour] += j - i;
        i = j;
    }
}

std::vector<std::uint32_t> GifPaletteBuilder::Build(int maxColours) const {
    std::vector<Entry> entries;
    entries.reserve(counts_.size());
    for (const auto& [rgb, count] : counts_) entries.push_back({rgb, count});
    if (entries.empty()) return {0};
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.rgb < b.rgb; });

    std::vector<Box> boxes{{0, entries.size()}};
    Measure(entries, boxes[0]);
    while (static_cast<int>(boxes.size()) < maxColours) {
        auto widest = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
            return a.error < b.error;
        });
        if (widest->error <= 0) break;
        Box box = *widest;
        const int axis = box.axis;
        std::sort(entries.begin() + static_cast<std::ptrdiff_t>(box.begin),
                  entries.begin() + static_cast<std::ptrdiff_t>(box.end),
                  [axis](const Entry& a, const Entry& b) {
                      const int ca = Channel(a.rgb, axis), cb = Channel(b.rgb, axis);
                      return ca != cb ? ca < cb : a.rgb < b.rgb;
                  });
        std::uint64_t total = 0, running = 0;
        for (std::size_t i = box.begin; i < box.end; ++i) total += entries[i].count;
        std::size_t cut = box.begin + 1;
        for (std::size_t i = box.begin; i < box.end; ++i) {
            running += entries[i].count;
            if (2 * running >= total) {
                cut = i + 1;
                break;
            }
        }
        cut = std::clamp(cut, box.begin + 1, box.end - 1);
        Box low{box.begin, cut}, high{cut, box.end};
        Measure(entries, low);
        Measure(entries, high);
        *widest = low;
        boxes.push_back(high);
    }
    std::vector<std::uint32_t> palette;
    for (const Box& box : boxes) palette.push_back(Mean(entries, box));
    std::sort(palette.begin(), palette.end());
    palette.erase(std::unique(palette.begin(), palette.end()), palette.end());
    return palette;
}

GifAnimation::GifAnimation(int width, int height, std::vector<std::uint32_t> palette,
                           int delayCentiseconds)
    : width_(width), height_(height), delay_(delayCentiseconds), palette_(std::move(palette)) {
    if (palette_.empty()) palette_.push_back(0);
    if (palette_.size() > 256) palette_.resize(256);
}

std::uint8_t GifAnimation::IndexOf(std::uint32_t colour) {
    auto found = nearest_.find(colour);
    if (found != nearest_.end()) return found->second;
    std::size_t best = 0;
    int bestDistance = Distance(colour, palette_[0]);
    for (std::size_t i = 1; i < palette_.size() && bestDistance > 0; ++i) {
        const int d = Distance(colour, palette_[i]);
        if (d < bestDistance) best = i, bestDistance = d;
    }
    nearest_.emplace(colour, static_cast<std::uint8_t>(best));
    return static_cast<std::uint8_t>(best);
}

bool GifAnimation::AddFrame(const Surface& frame, std::string& error) {
    if (frame.Width() != width_ || frame.Height() != height_) {
        error = "a frame of " + std::to_string(frame.Width()) + " x " +
                std::to_string(frame.Height()) + " pixels in an animation of " +
                std::to_string(width_) + " x " + std::to_string(height_);
        return false;
    }
    const std::size_t n = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    std::vector<std::uint8_t> indices(n);
    const std::uint32_t* words = frame.Words();
    std::uint32_t last = ~0u;
    std::uint8_t lastIndex = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t colour = words[i] & 0xFFFFFFu;
        if (colour != last) last = colour, lastIndex = IndexOf(colour);
        indices[i] = lastIndex;
    }
    frames_.push_back(std::move(indices));
    return true;
}

bool GifAnimation::Encode(std::string& bytes, std::string& error) const {
    bytes.clear();
    int code = 0;
    GifFileType* gif = EGifOpen(&bytes, AppendBytes, &code);
    if (!gif) {
        error = GifErrorString(code);
        return false;
    }
    EGifSetGifVersion(gif, true);
    int bits = 1;
    while ((std::size_t{1} << bits) < palette_.size()) ++bits;
    std::vector<GifColorType> colours(std::size_t{1} << bits, GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < palette_.size(); ++i)
        colours[i] = {static_cast<GifByteType>(Channel(palette_[i], 0)),
                      static_cast<GifByteType>(Channel(palette_[i], 1)),
                      static_cast<GifByteType>(Channel(palette_[i], 2))};
    ColorMapObject* map = GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
    bool ok = map && EGifPutScreenDesc(gif, width_, height_, bits, 0, map) == GIF_OK;
    GifFreeMapObject(map);

    // The application block that makes viewers loop for ever (count 0).
    static const GifByteType kLoop[3] = {1, 0, 0};
    ok = ok && EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_OK &&
         EGifPutExtensionBlock(gif, 3, kLoop) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;

    std::vector<GifPixelType> row;
    for (std::size_t k = 0; ok && k < frames_.size(); ++k) {
        const std::vector<std::uint8_t>& frame = frames_[k];
        int left = 0, top = 0, right = width_ - 1, bottom = height_ - 1;
        if (k > 0) {
            // Only the rectangle that changed; the rest of the previous frame stays.
            const std::vector<std::uint8_t>& before = frames_[k - 1];
            left = width_, top = height_, right = -1, bottom = -1;
            for (int y = 0; y < height_; ++y)
                for (int x = 0; x < width_; ++x) {
                    const std::size_t i = static_cast<std::size_t>(y) * width_ + x;
                    if (frame[i] == before[i]) continue;
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
            if (right < 0) left = top = right = bottom = 0;
        }
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.UserInputFlag = false;
        control.DelayTime = delay_;
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        const std::size_t length = EGifGCBToExtension(&control, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) ==
             GIF_OK;
        const int w = right - left + 1, h = bottom - top + 1;
        ok = ok && EGifPutImageDesc(gif, left, top, w, h, false, nullptr) == GIF_OK;
        row.resize(static_cast<std::size_t>(w));
        for (int y = top; ok && y <= bottom; ++y) {
            std::copy_n(frame.begin() + static_cast<std::ptrdiff_t>(
                                            static_cast<std::size_t>(y) * width_ + left),
                        w, row.begin());
            ok = EGifPutLine(gif, row.data(), w) == GIF_OK;
        }
    }
    if (!ok) error = GifErrorString(gif->Error);
    if (EGifCloseFile(gif, &code) != GIF_OK && ok) {
        ok = false;
        error = GifErrorString(code);
    }
    return ok;
}

}  // namespace vp
