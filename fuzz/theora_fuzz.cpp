// The video view: opening a clip and asking for every frame until the clip has ended, then a
// rewind; and the decoder with the colour conversion of every decoded picture.

#include <climits>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "support/OggChecksums.h"
#include "media/IMTheoraView.h"
#include "media/TheoraDecoder.h"
#include "media/YCbCrToXrgb.h"

namespace {
constexpr int kMostFrames = 300;
}

// Damaged clips are reported on standard error: run with -close_fd_mask=2 to keep the fuzzer's
// own output readable.

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    if (size > 0 && (data[size - 1] & 1)) fixOggChecksums(bytes);
    const int length = static_cast<int>(bytes.size());

    {
        IMTheoraView view;
        if (view.openClip(bytes.data(), length)) {
            for (int n = 1; n < kMostFrames && view.lastFrame() == INT_MAX && !view.hasFailed(); ++n)
                view.showFrame(n);
            view.showFrame(0);
        }
    }

    TheoraDecoder decoder;
    try {
        decoder.open(bytes.data(), length);
        std::vector<std::uint8_t> texels;
        for (int n = 0; n < kMostFrames && decoder.decodeFrame(); ++n) {
            const media::Plane y = decoder.plane(0);
            texels.resize(static_cast<std::size_t>(y.width) * y.height * 4);
            media::convertYCbCrToXrgb(y, decoder.plane(1), decoder.plane(2), texels.data(),
                                      y.width * 4, y.width, y.height);
        }
    } catch (const std::runtime_error&) {
    }
    return 0;
}
