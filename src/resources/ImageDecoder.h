#pragma once
// PNG and JPEG pictures decoded into 32-bit texels (bytes B, G, R, A), rows written straight into
// storage the caller provides once the picture's size is known.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace resources {

// Pictures wider or taller than this are refused before any texel storage is asked for.
constexpr int maxPictureExtent = 16384;

// Nor may a picture's texels take more than this, four bytes each (4096 × 4096 at most). Checked
// from the header, before any row is decoded, so a small file that claims a huge picture costs
// nothing.
constexpr std::size_t maxPictureBytes = std::size_t{64} << 20;
bool pictureWithinBudget(std::uint64_t width, std::uint64_t height);

struct TexelTarget {
    std::uint8_t* texels = nullptr; // row r starts at texels + r * pitch
    int pitch = 0;                  // bytes, at least width * 4
};

// Asked for the destination once width and height are known; nullopt abandons the decode.
using TexelAllocator = std::function<std::optional<TexelTarget>(int width, int height)>;

struct DecodedPicture {
    int width = 0;
    int height = 0;
    std::string failure; // why the decode failed, as the decoder library said it; empty on success
};

enum class DecodeStatus { Decoded, NotPng, Failed };

// Every picture comes out with 8-bit B, G, R, A: 16-bit channels are stripped, palettes and grey
// expanded to RGB, pictures without alpha get alpha 255, bKGD composites against the file's
// background, gAMA corrects for a screen gamma of 2.2. Errors print "libpng error: <message>" on
// standard error and fail the decode.
DecodeStatus decodePng(std::span<const std::uint8_t> bytes, const TexelAllocator& allocate,
                       DecodedPicture& picture);

// Colour and grey JPEGs give opaque texels; errors print libjpeg's message and fail the decode.
bool decodeJpeg(std::span<const std::uint8_t> bytes, const TexelAllocator& allocate,
                DecodedPicture& picture);

// PNG when the bytes start with the PNG signature, JPEG otherwise.
bool decodePicture(std::span<const std::uint8_t> bytes, const TexelAllocator& allocate,
                   DecodedPicture& picture);

} // namespace resources
