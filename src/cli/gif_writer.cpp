#include "cli/gif_writer.h"

#include <gif_lib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/temporaries.h"

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

int WriteToFile(GifFileType* gif, const GifByteType* data, int length) {
    auto* sink = static_cast<GifStream::Sink*>(gif->UserData);
    int written = 0;
    while (sink->failure == 0 && written < length) {
        const ssize_t n =
            ::write(sink->fd, data + written, static_cast<std::size_t>(length - written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            sink->failure = n < 0 ? errno : ENOSPC;
            break;
        }
        written += static_cast<int>(n);
    }
    return written;
}

}  // namespace

void GifPaletteBuilder::Add(const std::uint32_t* words, std::size_t n) {
    // Runs of one colour (the black sky above all) are counted in one step.
    for (std::size_t i = 0; i < n;) {
        const std::uint32_t colour = words[i] & 0xFFFFFFu;
        std::size_t j = i + 1;
        while (j < n && (words[j] & 0xFFFFFFu) == colour) ++j;
        counts_[colour] += j - i;
        i = j;
    }
}

std::vector<std::uint32_t> GifPaletteBuilder::Build(int maxColours,
                                                    const std::vector<std::uint32_t>& fixed) const {
    std::vector<std::uint32_t> palette = fixed;
    maxColours -= static_cast<int>(fixed.size());
    std::vector<Entry> entries;
    entries.reserve(counts_.size());
    for (const auto& [rgb, count] : counts_)
        if (std::find(fixed.begin(), fixed.end(), rgb) == fixed.end())
            entries.push_back({rgb, count});
    if (entries.empty() || maxColours < 1)
        return palette.empty() ? std::vector<std::uint32_t>{0} : palette;
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
    std::vector<std::uint32_t> cut;
    for (const Box& box : boxes) cut.push_back(Mean(entries, box));
    std::sort(cut.begin(), cut.end());
    cut.erase(std::unique(cut.begin(), cut.end()), cut.end());
    for (std::uint32_t colour : cut)
        if (std::find(palette.begin(), palette.end(), colour) == palette.end())
            palette.push_back(colour);
    return palette;
}

GifStream::GifStream(int width, int height, std::vector<std::uint32_t> palette,
                     int delayCentiseconds)
    : width_(width), height_(height), delay_(delayCentiseconds), palette_(std::move(palette)) {
    if (palette_.empty()) palette_.push_back(0);
    if (palette_.size() > 256) palette_.resize(256);
    nearest_.assign(std::size_t{1} << 16, ~0u);
}

GifStream::~GifStream() {
    Discard();
}

void GifStream::Discard() {
    if (gif_) {
        int code = 0;
        EGifCloseFile(gif_, &code);
        gif_ = nullptr;
    }
    if (sink_.fd >= 0) {
        ::close(sink_.fd);
        sink_.fd = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        ForgetTemporary(temporary_);
        temporary_.clear();
    }
}

bool GifStream::Failed(const std::string& what, std::string& error) {
    if (sink_.failure != 0)
        error = "cannot write " + path_ + ": " + std::strerror(sink_.failure);
    else
        error = what;
    Discard();
    return false;
}

bool GifStream::Open(const std::string& path, std::string& error) {
    Discard();
    path_ = path;
    const std::size_t slash = path.find_last_of('/');
    temporary_ = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
                 ".vandrel-XXXXXX";
    sink_ = Sink();
    sink_.fd = MakeTemporaryFile(temporary_);
    if (sink_.fd < 0) {
        error = "cannot create a file in " +
                (slash == std::string::npos ? std::string(".")
                                            : path.substr(0, std::max<std::size_t>(slash, 1))) +
                ": " + std::strerror(errno);
        temporary_.clear();
        return false;
    }
    // mkstemp makes the file private; saved files are ordinary ones.
    (void)::fchmod(sink_.fd, 0644);
    int code = 0;
    gif_ = EGifOpen(&sink_, WriteToFile, &code);
    if (!gif_) return Failed(GifErrorString(code), error);
    EGifSetGifVersion(gif_, true);
    int bits = 1;
    while ((std::size_t{1} << bits) < palette_.size()) ++bits;
    std::vector<GifColorType> colours(std::size_t{1} << bits, GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < palette_.size(); ++i)
        colours[i] = {static_cast<GifByteType>(Channel(palette_[i], 0)),
                      static_cast<GifByteType>(Channel(palette_[i], 1)),
                      static_cast<GifByteType>(Channel(palette_[i], 2))};
    ColorMapObject* map = GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
    bool ok = map && EGifPutScreenDesc(gif_, width_, height_, bits, 0, map) == GIF_OK;
    GifFreeMapObject(map);

    // The application block that makes viewers loop for ever (count 0).
    static const GifByteType kLoop[3] = {1, 0, 0};
    ok = ok && EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif_, 11, "NETSCAPE2.0") == GIF_OK &&
         EGifPutExtensionBlock(gif_, 3, kLoop) == GIF_OK && EGifPutExtensionTrailer(gif_) == GIF_OK;
    if (!ok) return Failed(GifErrorString(gif_->Error), error);
    const std::size_t n = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    previous_.assign(n, 0);
    current_.assign(n, 0);
    frames_ = 0;
    return true;
}

std::uint8_t GifStream::IndexOf(std::uint32_t colour) {
    std::uint32_t& slot = nearest_[(colour * 2654435761u) >> 16];
    if ((slot & 0xFFFFFFu) == colour && slot != ~0u) return static_cast<std::uint8_t>(slot >> 24);
    std::size_t best = 0;
    int bestDistance = Distance(colour, palette_[0]);
    for (std::size_t i = 1; i < palette_.size() && bestDistance > 0; ++i) {
        const int d = Distance(colour, palette_[i]);
        if (d < bestDistance) best = i, bestDistance = d;
    }
    slot = colour | static_cast<std::uint32_t>(best) << 24;
    return static_cast<std::uint8_t>(best);
}

bool GifStream::AddFrame(const std::uint32_t* words, std::string& error) {
    if (!gif_) {
        error = "the animation is not open";
        return false;
    }
    const std::size_t n = current_.size();
    std::uint32_t last = ~0u;
    std::uint8_t lastIndex = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t colour = words[i] & 0xFFFFFFu;
        if (colour != last) last = colour, lastIndex = IndexOf(colour);
        current_[i] = lastIndex;
    }
    int left = 0, top = 0, right = width_ - 1, bottom = height_ - 1;
    if (frames_ > 0) {
        // Only the rectangle that changed; the rest of the previous frame stays.
        left = width_, top = height_, right = -1, bottom = -1;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * width_ + x;
                if (current_[i] == previous_[i]) continue;
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
    bool ok = EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) ==
              GIF_OK;
    const int w = right - left + 1, h = bottom - top + 1;
    ok = ok && EGifPutImageDesc(gif_, left, top, w, h, false, nullptr) == GIF_OK;
    for (int y = top; ok && y <= bottom; ++y)
        ok = EGifPutLine(gif_, current_.data() + static_cast<std::size_t>(y) * width_ + left, w) ==
             GIF_OK;
    if (!ok) return Failed(GifErrorString(gif_->Error), error);
    std::swap(previous_, current_);
    ++frames_;
    return true;
}

bool GifStream::Finish(std::string& error) {
    if (!gif_) {
        error = "the animation is not open";
        return false;
    }
    int code = 0;
    const int closed = EGifCloseFile(gif_, &code);
    gif_ = nullptr;
    if (closed != GIF_OK) return Failed(GifErrorString(code), error);
    const int fd = sink_.fd;
    sink_.fd = -1;
    if (::close(fd) != 0) {
        sink_.failure = errno;
        return Failed("", error);
    }
    if (std::rename(temporary_.c_str(), path_.c_str()) != 0) {
        error = "cannot replace " + path_ + ": " + std::strerror(errno);
        Discard();
        return false;
    }
    ForgetTemporary(temporary_);
    temporary_.clear();
    return true;
}

}  // namespace vp
