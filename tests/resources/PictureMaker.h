#pragma once
// Real PNG and JPEG files made with libpng and libjpeg for the decoder tests.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <jpeglib.h>
#include <png.h>
#include <stdexcept>
#include <vector>

namespace pictures {

struct PngLayout {
    int width = 1;
    int height = 1;
    int colourType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool interlaced = false;
};

// rows: packed sample bytes of each row exactly as PNG stores them (big-endian for 16 bits).
// extra: sets further chunks (PLTE, tRNS, gAMA, bKGD) before the header is written.
inline std::vector<std::uint8_t>
makePng(const PngLayout& layout, std::vector<std::vector<std::uint8_t>> rows,
        const std::function<void(png_structp, png_infop)>& extra = {}) {
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("cannot write PNG");
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t length) {
            auto* bytes = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
            bytes->insert(bytes->end(), data, data + length);
        },
        nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(layout.width),
                 static_cast<png_uint_32>(layout.height), layout.bitDepth, layout.colourType,
                 layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (extra)
        extra(png, info);
    std::vector<png_bytep> pointers;
    for (auto& row : rows)
        pointers.push_back(row.data());
    png_set_rows(png, info, pointers.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// Interleaved 8-bit samples (components per pixel: 1 grey or 3 RGB) compressed at quality 100.
inline std::vector<std::uint8_t> makeJpeg(int width, int height, int components,
                                          const std::vector<std::uint8_t>& samples) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data()) +
                       static_cast<std::size_t>(info.next_scanline) * width * components;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

// What plain libjpeg makes of a JPEG: interleaved RGB (grey repeated into all three).
inline std::vector<std::uint8_t> referenceJpegRgb(const std::vector<std::uint8_t>& file, int& width,
                                                  int& height) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    width = static_cast<int>(info.output_width);
    height = static_cast<int>(info.output_height);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rgb.data() + static_cast<std::size_t>(info.output_scanline) * width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return rgb;
}

} // namespace pictures
