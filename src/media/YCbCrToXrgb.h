#pragma once
// Colour conversion of decoded video planes into XRGB texels (bytes B, G, R, 0), with the
// BT.601 studio-range coefficients in 1/64 units:
//   Y' = 74 (Y - 16)
//   B = (Y' + 129 (Cb - 128)) >> 6
//   G = (Y' - 25 (Cb - 128) - 52 (Cr - 128)) >> 6
//   R = (Y' + 102 (Cr - 128)) >> 6,  each clamped to 0..255.

#include <cstdint>
#include <vector>

namespace media {

struct Plane {
    const std::uint8_t* data = nullptr;
    int stride = 0; // bytes from one row to the next (may be negative)
    int width = 0;
    int height = 0;
};

// The texel of one sample triple, as a little-endian 32-bit value 0x00RRGGBB.
inline std::uint32_t ycbcrToXrgb(int y, int cb, int cr) {
    const int luma = 74 * (y - 16);
    const int b = (luma + 129 * (cb - 128)) >> 6;
    const int g = (luma - 25 * (cb - 128) - 52 * (cr - 128)) >> 6;
    const int r = (luma + 102 * (cr - 128)) >> 6;
    auto clamp = [](int v) { return static_cast<std::uint32_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); };
    return clamp(b) | (clamp(g) << 8) | (clamp(r) << 16);
}

// Converts the top-left `width` x `height` pixels of the planes into `dest` (rows `pitch` bytes
// apart). The chroma planes may be subsampled by two horizontally, vertically or both (Theora's
// 4:2:0, 4:2:2) or not at all (4:4:4); their subsampling is read from their sizes.
void convertYCbCrToXrgb(const Plane& y, const Plane& cb, const Plane& cr, std::uint8_t* dest,
                        int pitch, int width, int height);

// The instruction sets a conversion can use; the call above takes the fastest this processor has.
enum class ConversionPath { Portable, Sse2, Avx2 };
std::vector<ConversionPath> availableConversionPaths();
void convertYCbCrToXrgb(const Plane& y, const Plane& cb, const Plane& cr, std::uint8_t* dest,
                        int pitch, int width, int height, ConversionPath path);

// The plain per-pixel version of the same conversion, for checking the fast one.
void convertYCbCrToXrgbReference(const Plane& y, const Plane& cb, const Plane& cr,
                                 std::uint8_t* dest, int pitch, int width, int height);

} // namespace media
