// JPEG through libjpeg (API 62): colour and grey pictures are converted by the library straight
// into B, G, R, A texel rows; CMYK pictures go through one scanline buffer. Every libjpeg error
// returns here as a failed decode instead of ending the process.

#include "resources/ImageDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jerror.h>
#include <jpeglib.h>
#include <optional>
#include <string>

namespace resources {

namespace {

// A hostile progressive file can make the decoder run almost forever; real pictures use a handful
// of scans.
constexpr int maxProgressiveScans = 500;
constexpr long maxDecoderMemory = 256L * 1024 * 1024;

struct JpegErrors {
    jpeg_error_mgr standard;
    std::jmp_buf recovery;
    std::string* failure = nullptr;
};

void noteFailure(JpegErrors& errors, std::string why) {
    if (errors.failure && errors.failure->empty())
        *errors.failure = std::move(why);
}

struct JpegDecode {
    jpeg_decompress_struct info;
    JpegErrors errors;
    jpeg_progress_mgr progress;
    std::uint8_t* scanline = nullptr;
    void destroy() {
        std::free(scanline);
        scanline = nullptr;
        jpeg_destroy_decompress(&info);
    }
};

void leaveWithMessage(j_common_ptr info) {
    (*info->err->output_message)(info);
    char message[JMSG_LENGTH_MAX] = {};
    (*info->err->format_message)(info, message);
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    noteFailure(*errors, message);
    std::longjmp(errors->recovery, 1);
}

void limitScans(j_common_ptr info) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->progressive_mode && decompress->input_scan_number > maxProgressiveScans) {
        std::fprintf(stderr, "JPEG has more than %d scans\n", maxProgressiveScans);
        auto* errors = reinterpret_cast<JpegErrors*>(info->err);
        noteFailure(*errors, "more than " + std::to_string(maxProgressiveScans) + " scans");
        std::longjmp(errors->recovery, 1);
    }
}

// The whole picture is in memory from the start: running out of it means the file was cut off.
void initSource(j_decompress_ptr) {}
boolean fillInput(j_decompress_ptr info) {
    ERREXIT(info, JERR_INPUT_EOF);
    return FALSE;
}
void skipInput(j_decompress_ptr info, long count) {
    if (count <= 0)
        return;
    jpeg_source_mgr* source = info->src;
    if (static_cast<std::size_t>(count) > source->bytes_in_buffer)
        ERREXIT(info, JERR_INPUT_EOF);
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<std::size_t>(count);
}
void termSource(j_decompress_ptr) {}

std::optional<TexelTarget> askForTexels(const TexelAllocator& allocate, int width,
                                        int height) noexcept {
    try {
        return allocate(width, height);
    } catch (...) {
        return std::nullopt;
    }
}

// CMYK as Adobe writes it is stored inverted; plain CMYK is not.
void cmykToBgra(const std::uint8_t* cmyk, std::uint8_t* bgra, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgra += 4) {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        bgra[0] = static_cast<std::uint8_t>(y * k / 255);
        bgra[1] = static_cast<std::uint8_t>(m * k / 255);
        bgra[2] = static_cast<std::uint8_t>(c * k / 255);
        bgra[3] = 255;
    }
}

bool readJpeg(JpegDecode& d, jpeg_source_mgr& source, const TexelAllocator& allocate,
              DecodedPicture& picture) {
    if (setjmp(d.errors.recovery)) {
        d.destroy();
        return false;
    }
    jpeg_CreateDecompress(&d.info, JPEG_LIB_VERSION, sizeof(d.info));
    d.info.mem->max_memory_to_use = maxDecoderMemory;
    d.info.src = &source;
    d.progress.progress_monitor = limitScans;
    d.info.progress = &d.progress;
    jpeg_read_header(&d.info, TRUE);
    if (!pictureWithinBudget(d.info.image_width, d.info.image_height)) {
        std::fprintf(stderr, "JPEG picture too large\n");
        noteFailure(d.errors, "picture too large");
        d.destroy();
        return false;
    }
    const bool cmyk = d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK;
    d.info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&d.info);

    const JDIMENSION width = d.info.output_width;
    const JDIMENSION height = d.info.output_height;
    const std::optional<TexelTarget> target =
        askForTexels(allocate, static_cast<int>(width), static_cast<int>(height));
    if (!target || !target->texels || target->pitch < static_cast<int>(width) * 4) {
        noteFailure(d.errors, "no storage for the texels");
        d.destroy();
        return false;
    }
    if (cmyk) {
        d.scanline = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(width) * 4));
        if (!d.scanline)
            ERREXIT(&d.info, JERR_OUT_OF_MEMORY);
    }
    while (d.info.output_scanline < height) {
        std::uint8_t* row =
            target->texels + static_cast<std::size_t>(d.info.output_scanline) * target->pitch;
        JSAMPROW into = cmyk ? d.scanline : row;
        if (jpeg_read_scanlines(&d.info, &into, 1) != 1)
            ERREXIT(&d.info, JERR_INPUT_EOF);
        if (cmyk)
            cmykToBgra(d.scanline, row, width, d.info.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&d.info);
    d.destroy();
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    return true;
}

} // namespace

bool decodeJpeg(std::span<const std::uint8_t> bytes, const TexelAllocator& allocate,
                DecodedPicture& picture) {
    JpegDecode d{};
    picture.failure.clear();
    d.errors.failure = &picture.failure;
    d.info.err = jpeg_std_error(&d.errors.standard);
    d.errors.standard.error_exit = leaveWithMessage;
    jpeg_source_mgr source{};
    source.next_input_byte = bytes.data();
    source.bytes_in_buffer = bytes.size();
    source.init_source = initSource;
    source.fill_input_buffer = fillInput;
    source.skip_input_data = skipInput;
    source.resync_to_restart = jpeg_resync_to_restart;
    source.term_source = termSource;
    return readJpeg(d, source, allocate, picture);
}

} // namespace resources
