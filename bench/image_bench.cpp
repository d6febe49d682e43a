// Picture decoding against a plain libpng read of the same bytes into a buffer. Both write 8-bit
// B, G, R, A rows into a buffer allocated once, so the difference is the decoder's own work.

#include "../tests/resources/PictureMaker.h"
#include "resources/EmbeddedAssets.h"
#include "resources/ImageDecoder.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <png.h>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Reader {
    const Bytes* bytes;
    std::size_t offset;
};

// The least a program can do with libpng to get BGRA rows.
bool plainLibpngRead(const Bytes& bytes, std::vector<std::uint8_t>& out) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    Reader reader{&bytes, 0};
    png_set_read_fn(png, &reader, [](png_structp p, png_bytep data, png_size_t length) {
        auto* r = static_cast<Reader*>(png_get_io_ptr(p));
        std::memcpy(data, r->bytes->data() + r->offset, length);
        r->offset += length;
    });
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_read_update_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    out.resize(static_cast<std::size_t>(width) * height * 4);
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = out.data() + y * width * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

void decodeWithDecoder(benchmark::State& state, const Bytes& bytes) {
    std::vector<std::uint8_t> texels;
    for (auto _ : state) {
        resources::DecodedPicture picture;
        const bool ok = resources::decodePicture(
            bytes,
            [&](int w, int h) -> std::optional<resources::TexelTarget> {
                texels.resize(static_cast<std::size_t>(w) * h * 4);
                return resources::TexelTarget{texels.data(), w * 4};
            },
            picture);
        benchmark::DoNotOptimize(ok);
    }
}

void decodeWithPlainLibpng(benchmark::State& state, const Bytes& bytes) {
    std::vector<std::uint8_t> out;
    for (auto _ : state)
        benchmark::DoNotOptimize(plainLibpngRead(bytes, out));
}

Bytes photoLikePng(int width, int height) {
    std::vector<Bytes> rows;
    for (int y = 0; y < height; ++y) {
        Bytes row;
        for (int x = 0; x < width; ++x)
            row.insert(row.end(), {static_cast<std::uint8_t>((x * 3 + y) & 0xFF),
                                   static_cast<std::uint8_t>((x ^ y) & 0xFF),
                                   static_cast<std::uint8_t>((y * 2 + (x * x) / 7) & 0xFF)});
        rows.push_back(row);
    }
    return pictures::makePng({width, height, PNG_COLOR_TYPE_RGB, 8}, rows);
}

const int registered = [] {
    static std::vector<std::pair<std::string, Bytes>> pictures;
    pictures.emplace_back("Photo800x600", photoLikePng(800, 600));
    for (const resources::EmbeddedAsset& asset : resources::embeddedAssets())
        if (asset.bytes.size() > 8 && asset.bytes[0] == 0x89)
            pictures.emplace_back(std::string(asset.name),
                                  Bytes(asset.bytes.begin(), asset.bytes.end()));
    for (const auto& [name, bytes] : pictures) {
        const Bytes* b = &bytes;
        benchmark::RegisterBenchmark(("Decoder/" + name).c_str(),
                                     [b](benchmark::State& s) { decodeWithDecoder(s, *b); });
        benchmark::RegisterBenchmark(("PlainLibpng/" + name).c_str(),
                                     [b](benchmark::State& s) { decodeWithPlainLibpng(s, *b); });
    }
    return 0;
}();

} // namespace
