#include "resources/ImageDecoder.h"

namespace resources {

bool pictureWithinBudget(std::uint64_t width, std::uint64_t height) {
    if (width == 0 || height == 0 || width > static_cast<std::uint64_t>(maxPictureExtent) ||
        height > static_cast<std::uint64_t>(maxPictureExtent))
        return false;
    return width * height * 4 <= maxPictureBytes;
}

bool decodePicture(std::span<const std::uint8_t> bytes, const TexelAllocator& allocate,
                   DecodedPicture& picture) {
    const DecodeStatus png = decodePng(bytes, allocate, picture);
    if (png == DecodeStatus::NotPng)
        return decodeJpeg(bytes, allocate, picture);
    return png == DecodeStatus::Decoded;
}

} // namespace resources
