#include "resources/ImageDecoder.h"

namespace resources {

bool decodePicture(std::span<const std::uint8_t> bytes, const TexelAllocator& allocate,
                   DecodedPicture& picture) {
    const DecodeStatus png = decodePng(bytes, allocate, picture);
    if (png == DecodeStatus::NotPng)
        return decodeJpeg(bytes, allocate, picture);
    return png == DecodeStatus::Decoded;
}

} // namespace resources
