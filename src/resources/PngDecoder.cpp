// PNG through libpng: the transformations turn every colour type and depth into 8-bit B, G, R, A
// rows that libpng writes straight into the caller's texels.

#include "resources/ImageDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <png.h>
#include <string>

namespace resources {

namespace {

struct MemoryReader {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t offset = 0;
};

// Everything the error recovery must clean up. It lives outside the function holding the
// recovery point so that nothing there needs to survive the jump.
struct PngDecode {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_bytep* rows = nullptr;
    void destroy() {
        std::free(rows);
        rows = nullptr;
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

void readFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    // A damaged or cut-off picture may ask for bytes past its end.
    if (length > reader->size - reader->offset)
        png_error(png, "Read Error");
    std::memcpy(out, reader->data + reader->offset, length);
    reader->offset += length;
}

void reportPngError(png_structp png, png_const_charp message) {
    std::fprintf(stderr, "libpng error: %s\n", message);
    std::fflush(stderr);
    if (auto* failure = static_cast<std::string*>(png_get_error_ptr(png));
        failure && failure->empty())
        *failure = std::string("libpng error: ") + message;
    png_longjmp(png, 1);
}

std::optional<TexelTarget> askForTexels(const TexelAllocator& allocate, int width,
                                        int height) noexcept {
    try {
        return allocate(width, height);
    } catch (...) {
        return std::nullopt;
    }
}

void requestTransformations(png_structp png, png_infop info) {
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
    if (!pictureWithinBudget(width, height))
        png_error(png, "picture too large");

    if (bitDepth == 16)
        png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_PALETTE && bitDepth <= 8)
        png_set_expand(png);
    if (colourType == PNG_COLOR_TYPE_GRAY) {
        if (bitDepth < 8)
            png_set_expand(png);
        png_set_gray_to_rgb(png);
    }
    if (colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    // On reading, the filler is added only to rows that come out with three channels, whatever
    // the colour type: RGB, and palette or grey pictures without transparency.
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);

    png_color_16p background = nullptr;
    if (png_get_bKGD(png, info, &background))
        png_set_background(png, background, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
    double fileGamma = 0.0;
    if (png_get_gAMA(png, info, &fileGamma))
        png_set_gamma(png, 2.2, fileGamma);
    png_set_interlace_handling(png);
}

DecodeStatus readPng(PngDecode& d, MemoryReader& reader, const TexelAllocator& allocate,
                     DecodedPicture& picture) {
    if (setjmp(png_jmpbuf(d.png))) {
        d.destroy();
        return DecodeStatus::Failed;
    }
    png_set_read_fn(d.png, &reader, readFromMemory);
    png_set_sig_bytes(d.png, 8);
    png_read_info(d.png, d.info);
    requestTransformations(d.png, d.info);
    png_read_update_info(d.png, d.info);

    const png_uint_32 width = png_get_image_width(d.png, d.info);
    const png_uint_32 height = png_get_image_height(d.png, d.info);
    // The rows must be exactly four bytes a pixel, or they would not fit the texels.
    if (png_get_bit_depth(d.png, d.info) != 8 || png_get_channels(d.png, d.info) != 4 ||
        png_get_rowbytes(d.png, d.info) != static_cast<png_size_t>(width) * 4)
        png_error(d.png, "unsupported pixel layout");

    const std::optional<TexelTarget> target =
        askForTexels(allocate, static_cast<int>(width), static_cast<int>(height));
    if (!target || !target->texels || target->pitch < static_cast<int>(width) * 4) {
        picture.failure = "no storage for the texels";
        d.destroy();
        return DecodeStatus::Failed;
    }
    d.rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (!d.rows)
        png_error(d.png, "Visual PNG: out of memory");
    for (png_uint_32 r = 0; r < height; ++r)
        d.rows[r] = target->texels + static_cast<std::size_t>(r) * target->pitch;
    png_read_image(d.png, d.rows);
    png_read_end(d.png, nullptr);
    d.destroy();
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    return DecodeStatus::Decoded;
}

} // namespace

DecodeStatus decodePng(std::span<const std::uint8_t> bytes, const TexelAllocator& allocate,
                       DecodedPicture& picture) {
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0)
        return DecodeStatus::NotPng;
    PngDecode d;
    picture.failure.clear();
    d.png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &picture.failure, reportPngError, nullptr);
    if (!d.png)
        return DecodeStatus::Failed;
    d.info = png_create_info_struct(d.png);
    if (!d.info) {
        d.destroy();
        return DecodeStatus::Failed;
    }
    MemoryReader reader{bytes.data(), bytes.size(), 8};
    return readPng(d, reader, allocate, picture);
}

} // namespace resources
