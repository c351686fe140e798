#include "photometry/pixel_sum.h"

namespace vp {

std::uint64_t ChannelSum(const Surface& picture, int channel) {
    if (channel < 1 || channel > 3) return 0;
    const std::size_t offset = static_cast<std::size_t>(channel - 1);
    const std::uint8_t* bytes = picture.Bytes();
    const std::size_t count = picture.ByteCount() / 4;
    // 32-bit partial sums cannot overflow within a block of 2^24 pixels.
    std::uint64_t total = 0;
    for (std::size_t start = 0; start < count; start += (1u << 24)) {
        std::size_t end = count - start < (1u << 24) ? count : start + (1u << 24);
        std::uint32_t partial = 0;
        for (std::size_t p = start; p < end; ++p) partial += bytes[4 * p + offset];
        total += partial;
    }
    return total;
}

}  // namespace vp
