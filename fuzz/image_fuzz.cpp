// Outside bytes through the picture decoder (PNG, else JPEG) into texel storage of the size the
// picture asks for.

#include "resources/ImageDecoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> texels;
    int width = 0;
    int height = 0;
    resources::DecodedPicture picture;
    const bool ok = resources::decodePicture(
        {data, size},
        [&](int w, int h) -> std::optional<resources::TexelTarget> {
            // Keeps single allocations within the fuzzer's memory limit.
            if (static_cast<std::size_t>(w) * static_cast<std::size_t>(h) > (std::size_t{1} << 24))
                return std::nullopt;
            width = w;
            height = h;
            texels.assign(static_cast<std::size_t>(w) * h * 4, 0);
            return resources::TexelTarget{texels.data(), w * 4};
        },
        picture);
    if (ok && (picture.width != width || picture.height != height))
        __builtin_trap();
    return 0;
}
