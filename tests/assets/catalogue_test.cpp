// Checks the committed asset files against the catalogue the program asks for by name: every
// picture, sound and clip exists once under assets/, with the size, colour kind, rate, channels,
// duration and frame count the program relies on.
#include <gtest/gtest.h>

#include <ogg/ogg.h>
#include <png.h>
#include <theora/theoradec.h>
#include <vorbis/codec.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kAssets = fs::path(TAVRELO_SOURCE_DIR) / "assets";

struct PictureSpec {
    const char* name;
    int width;
    int height;
    bool alpha;
};

// Skin set, the other embedded pictures and the numbered pictures.
const PictureSpec kPictures[] = {
    {"DefaultBackGround", 800, 600, false},
    {"ProgramIcon", 64, 64, true},
    {"ExitButton", 21, 21, true},
    {"PrintButton", 84, 47, true}, {"PrintButtonKlick", 84, 47, true},
    {"PrintButtonNuv", 84, 47, true},
    {"SaveAsButton", 148, 47, true}, {"SaveAsButtonKlick", 148, 47, true},
    {"SaveAsButtonNuv", 148, 47, true},
    {"RetryButton", 109, 47, true}, {"RetryButtonKlick", 109, 47, true},
    {"RetryButtonNuv", 109, 47, true},
    {"CloseButton", 111, 47, true}, {"CloseButtonKlick", 111, 47, true},
    {"CloseButtonNuv", 111, 47, true},
    {"StartPopStartButton", 84, 47, true}, {"StartPopStartButtonKlick", 84, 47, true},
    {"StartPopStartButtonNuv", 84, 47, true},
    {"SubmitButton", 109, 47, true}, {"SubmitButtonKlick", 109, 47, true},
    {"SubmitButtonNuv", 109, 47, true},
    {"OptionsButton", 109, 47, true}, {"OptionsButtonKlick", 109, 47, true},
    {"OptionsButtonNuv", 109, 47, true},
    {"CancelButton", 111, 47, true}, {"CancelButtonKlick", 111, 47, true},
    {"CancelButtonNuv", 111, 47, true},
    {"EscButton", 37, 25, false}, {"F1Button", 37, 25, false}, {"F12Button", 37, 25, false},
    {"SliderSliderVertical", 19, 10, true}, {"SliderSliderVerticalHover", 19, 10, true},
    {"SliderSliderHorizontal", 11, 20, true}, {"SliderSliderHorizontalHover", 11, 20, true},
    {"ScrollSlider", 16, 2, false}, {"ScrollSliderHorizontal", 2, 16, false},
    {"ScrollBackground", 16, 16, false},
    {"ScrollButtonUp", 16, 16, true}, {"ScrollButtonDown", 16, 16, true},
    {"CheckBoxUnchecked", 16, 16, false}, {"CheckBoxChecked", 16, 16, false},
    {"CheckBoxDisUnchecked", 16, 16, false}, {"CheckBoxDisChecked", 16, 16, false},
    {"RadioButtonUnchecked", 16, 16, true}, {"RadioButtonChecked", 16, 16, true},
    {"RadioButtonDisUnchecked", 16, 16, true}, {"RadioButtonDisChecked", 16, 16, true},
    {"EditBarBackGround", 1, 1, false},
    {"EditBarCornerLT", 8, 8, true}, {"EditBarCornerRT", 8, 8, true},
    {"EditBarCornerLB", 8, 8, true}, {"EditBarCornerRB", 8, 8, true},
    {"EditBarBorderL", 8, 1, false}, {"EditBarBorderR", 8, 1, false},
    {"EditBarBorderT", 1, 8, false}, {"EditBarBorderB", 1, 8, false},
    {"EditBarKaretka", 1, 19, false},
    {"SelectionMask", 1, 1, true},
    {"MOUSE_M", 46, 79, true}, {"MOUSE_MB", 46, 79, true}, {"MOUSE_MB_PR", 46, 79, true},
    {"MOUSE_MB_R1", 46, 79, true}, {"MOUSE_MB_R2", 46, 79, true}, {"MOUSE_ML", 46, 79, true},
    {"MOUSE_MR", 46, 79, true},
    {"CURSOR", 12, 21, true},
    {"KEYBOARDPIC", 524, 230, true},
    {"MOUSE", 246, 246, true},
    {"KEYSPACE", 112, 14, false},
    {"oblako_png", 506, 350, true},
    {"101", 204, 204, true},
    {"102", 12, 21, true},
    {"103", 400, 300, false},
};

struct SoundSpec {
    const char* name;
    long rate;
    int channels;
    double minSeconds;
    double maxSeconds;
};

constexpr SoundSpec about(const char* name, long rate, double seconds) {
    return {name, rate, 2, seconds * 0.9, seconds * 1.1};
}
constexpr SoundSpec between(const char* name, long rate, double lo, double hi) {
    return {name, rate, 2, lo, hi};
}

// Where the catalogue gives no rate (116, 118, 119, 120 and the praise words) the files are
// made at 44100 Hz, the rate of the audio track inside clip 117.
const SoundSpec kSounds[] = {
    about("MOUSE_CLICK_SOUND", 44000, 0.36),
    about("ENDHELPSOUND", 44000, 5.2),
    about("bravo_sound", 44100, 2.0), about("gotovo_sound", 44100, 2.0),
    about("molodec_sound", 44100, 2.0), about("otlichno_sound", 44100, 2.0),
    about("ura_sound", 44100, 2.0),
    between("104", 44000, 0.8, 3.6), between("105", 44000, 0.8, 3.6),
    between("106", 44000, 0.8, 3.6), between("107", 44000, 0.8, 3.6),
    between("108", 44000, 0.8, 3.6), between("109", 44000, 0.8, 3.6),
    between("110", 44000, 0.8, 3.6), between("111", 44000, 0.8, 3.6),
    between("112", 44000, 0.8, 3.6), between("113", 44000, 0.8, 3.6),
    between("114", 44000, 0.8, 3.6),
    about("116", 44100, 37.1),
    about("118", 44100, 16.6),
    about("119", 44100, 31.0),
    about("120", 44100, 1.26),
};

struct ClipSpec {
    const char* name;
    int width;
    int height;
    int fps;
    int frames;
    long vorbisRate;  // 0: no audio track
};

const ClipSpec kClips[] = {
    {"115", 800, 600, 25, 825, 0},
    {"117", 800, 600, 25, 415, 44100},
    {"bravo_clip", 320, 240, 12, 26, 0},
    {"gotovo_clip", 320, 240, 12, 26, 0},
    {"molodec_clip", 320, 240, 12, 26, 0},
    {"otlichno_clip", 320, 240, 12, 26, 0},
    {"ura_clip", 320, 240, 12, 26, 0},
};

// Every file under assets/ by base name; a name seen twice is recorded in `duplicates`.
struct AssetIndex {
    std::map<std::string, fs::path> byName;
    std::vector<std::string> duplicates;
};

AssetIndex indexAssets() {
    AssetIndex index;
    for (const auto& entry : fs::recursive_directory_iterator(kAssets)) {
        if (!entry.is_regular_file()) continue;
        std::string stem = entry.path().stem().string();
        if (!index.byName.emplace(stem, entry.path()).second) index.duplicates.push_back(stem);
    }
    return index;
}

const AssetIndex& assets() {
    static const AssetIndex index = indexAssets();
    return index;
}

std::optional<fs::path> find(const std::string& name) {
    auto it = assets().byName.find(name);
    if (it == assets().byName.end()) return std::nullopt;
    return it->second;
}

std::vector<unsigned char> readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// ---------------------------------------------------------------- PNG

struct Picture {
    int width = 0;
    int height = 0;
    int bitDepth = 0;
    int colourType = -1;
    std::vector<std::array<unsigned char, 4>> pixels;  // RGBA, row by row

    std::array<unsigned char, 4> at(int x, int y) const { return pixels[y * width + x]; }
};

struct MemoryReader {
    const std::vector<unsigned char>* bytes;
    size_t offset;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (reader->offset + length > reader->bytes->size()) png_error(png, "truncated");
    std::copy_n(reader->bytes->data() + reader->offset, length, out);
    reader->offset += length;
}

void ignoreWarning(png_structp, png_const_charp) {}

// libpng reports errors by longjmp back into this frame, so nothing here may have a destructor
// (nor be changed after setjmp and read after the jump): the storage belongs to the caller.
bool readPng(const std::vector<unsigned char>& bytes, Picture& picture,
             std::vector<unsigned char>& rgba, std::vector<png_bytep>& rows) {
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, ignoreWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    MemoryReader reader{&bytes, 0};
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, readFromMemory);
    png_read_info(png, info);
    picture.width = static_cast<int>(png_get_image_width(png, info));
    picture.height = static_cast<int>(png_get_image_height(png, info));
    picture.bitDepth = png_get_bit_depth(png, info);
    picture.colourType = png_get_color_type(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_gray_to_rgb(png);
    png_read_update_info(png, info);
    const std::size_t stride = static_cast<std::size_t>(picture.width) * 4;
    rgba.assign(stride * static_cast<std::size_t>(picture.height), 0);
    rows.clear();
    for (int y = 0; y < picture.height; ++y) rows.push_back(rgba.data() + stride * y);
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// Decodes with libpng; an empty result (width 0) means the bytes are not a readable PNG.
Picture decodePng(const std::vector<unsigned char>& bytes) {
    Picture picture;
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) return picture;
    std::vector<unsigned char> rgba;
    std::vector<png_bytep> rows;
    if (!readPng(bytes, picture, rgba, rows)) return Picture{};
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4)
        picture.pixels.push_back({rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]});
    return picture;
}

Picture loadPicture(const std::string& name) {
    auto path = find(name);
    return path ? decodePng(readAll(*path)) : Picture{};
}

using Rgba = std::array<unsigned char, 4>;

// ---------------------------------------------------------------- Ogg Vorbis

struct SoundFacts {
    bool opened = false;
    int channels = 0;
    long rate = 0;
    double seconds = 0;
    double peak = 0;  // of the decoded samples, 1.0 = full scale
};

SoundFacts probeSound(const fs::path& path) {
    SoundFacts facts;
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) return facts;
    facts.opened = true;
    const vorbis_info* info = ov_info(&file, -1);
    facts.channels = info->channels;
    facts.rate = info->rate;
    facts.seconds = ov_time_total(&file, -1);
    std::array<char, 8192> buffer{};
    int section = 0;
    long got = 0;
    while ((got = ov_read(&file, buffer.data(), buffer.size(), 0, 2, 1, &section)) > 0) {
        for (long i = 0; i + 1 < got; i += 2) {
            auto sample = static_cast<int16_t>(static_cast<unsigned char>(buffer[i]) |
                                               (static_cast<unsigned char>(buffer[i + 1]) << 8));
            facts.peak = std::max(facts.peak, std::abs(sample) / 32768.0);
        }
    }
    ov_clear(&file);
    return facts;
}

// ---------------------------------------------------------------- Ogg Theora

struct ClipFacts {
    bool theoraFound = false;
    int pictureWidth = 0;
    int pictureHeight = 0;
    int pictureX = -1;
    int pictureY = -1;
    double fps = 0;
    int frames = 0;        // data packets decoded without error
    int decodeErrors = 0;  // packets the decoder refused
    long vorbisRate = 0;   // 0 when the clip has no Vorbis track
};

ClipFacts probeClip(const std::vector<unsigned char>& bytes) {
    ClipFacts facts;
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    char* buffer = ogg_sync_buffer(&sync, static_cast<long>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), buffer);
    ogg_sync_wrote(&sync, static_cast<long>(bytes.size()));

    std::map<int, ogg_stream_state> streams;
    th_info theoraInfo;
    th_comment theoraComment;
    th_setup_info* setup = nullptr;
    th_dec_ctx* decoder = nullptr;
    th_info_init(&theoraInfo);
    th_comment_init(&theoraComment);
    int theoraSerial = -1;
    int vorbisSerial = -1;
    int theoraHeaders = 0;
    vorbis_info vorbisInfo;
    vorbis_comment vorbisComment;
    vorbis_info_init(&vorbisInfo);
    vorbis_comment_init(&vorbisComment);

    ogg_page page;
    while (ogg_sync_pageout(&sync, &page) == 1) {
        int serial = ogg_page_serialno(&page);
        if (ogg_page_bos(&page)) ogg_stream_init(&streams[serial], serial);
        auto it = streams.find(serial);
        if (it == streams.end()) continue;
        ogg_stream_pagein(&it->second, &page);
        ogg_packet packet;
        while (ogg_stream_packetout(&it->second, &packet) == 1) {
            if (packet.b_o_s && theoraSerial < 0) {
                th_info probe;
                th_comment comment;
                th_setup_info* probeSetup = nullptr;
                th_info_init(&probe);
                th_comment_init(&comment);
                bool isTheora = th_decode_headerin(&probe, &comment, &probeSetup, &packet) > 0;
                th_setup_free(probeSetup);
                th_comment_clear(&comment);
                th_info_clear(&probe);
                if (isTheora) {
                    theoraSerial = serial;
                    facts.theoraFound = true;
                }
            }
            if (packet.b_o_s && vorbisSerial < 0 && vorbis_synthesis_idheader(&packet)) {
                vorbisSerial = serial;
                if (vorbis_synthesis_headerin(&vorbisInfo, &vorbisComment, &packet) == 0)
                    facts.vorbisRate = vorbisInfo.rate;
            }
            if (serial != theoraSerial) continue;
            if (theoraHeaders < 3) {
                if (th_decode_headerin(&theoraInfo, &theoraComment, &setup, &packet) > 0) {
                    ++theoraHeaders;
                    continue;
                }
                theoraHeaders = 3;  // the first data packet ends the headers
            }
            if (!decoder) {
                decoder = th_decode_alloc(&theoraInfo, setup);
                facts.pictureWidth = static_cast<int>(theoraInfo.pic_width);
                facts.pictureHeight = static_cast<int>(theoraInfo.pic_height);
                facts.pictureX = static_cast<int>(theoraInfo.pic_x);
                facts.pictureY = static_cast<int>(theoraInfo.pic_y);
                if (theoraInfo.fps_denominator != 0)
                    facts.fps = static_cast<double>(theoraInfo.fps_numerator) /
                                theoraInfo.fps_denominator;
            }
            if (!decoder) {
                ++facts.decodeErrors;
                continue;
            }
            int result = th_decode_packetin(decoder, &packet, nullptr);
            if (result == 0 || result == TH_DUPFRAME)
                ++facts.frames;
            else
                ++facts.decodeErrors;
        }
    }
    if (decoder) th_decode_free(decoder);
    th_setup_free(setup);
    th_comment_clear(&theoraComment);
    th_info_clear(&theoraInfo);
    vorbis_comment_clear(&vorbisComment);
    vorbis_info_clear(&vorbisInfo);
    for (auto& [serial, stream] : streams) ogg_stream_clear(&stream);
    ogg_sync_clear(&sync);
    return facts;
}

// ---------------------------------------------------------------- tests

TEST(AssetFolder, BaseNamesAreUniqueAndAllCatalogued) {
    EXPECT_TRUE(assets().duplicates.empty())
        << "base name used twice, e.g. " << assets().duplicates.front();
    std::map<std::string, int> catalogued;
    for (const auto& p : kPictures) catalogued[p.name]++;
    for (const auto& s : kSounds) catalogued[s.name]++;
    for (const auto& c : kClips) catalogued[c.name]++;
    for (const auto& [name, count] : catalogued) EXPECT_EQ(count, 1) << name;
    for (const auto& [name, path] : assets().byName)
        EXPECT_TRUE(catalogued.count(name)) << "file not in the catalogue: " << path;
}

TEST(AssetFolder, TotalSizeIsUnder25MB) {
    std::uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kAssets))
        if (entry.is_regular_file()) total += entry.file_size();
    EXPECT_GT(total, 0u);
    EXPECT_LT(total, 25u * 1000 * 1000);
}

TEST(CataloguePictures, EachIsAn8BitPngOfTheStatedSizeAndKind) {
    for (const auto& expected : kPictures) {
        SCOPED_TRACE(expected.name);
        auto path = find(expected.name);
        ASSERT_TRUE(path) << "missing";
        EXPECT_EQ(path->extension(), ".png");
        Picture picture = decodePng(readAll(*path));
        ASSERT_GT(picture.width, 0) << "not a readable PNG";
        EXPECT_EQ(picture.width, expected.width);
        EXPECT_EQ(picture.height, expected.height);
        EXPECT_EQ(picture.bitDepth, 8);
        EXPECT_EQ(picture.colourType, expected.alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB);
    }
}

TEST(CataloguePictures, DefaultBackgroundHasItsTwoBands) {
    Picture picture = loadPicture("DefaultBackGround");
    ASSERT_EQ(picture.pixels.size(), 800u * 600u);
    for (int y = 0; y < 600; ++y) {
        Rgba want = y < 64 ? Rgba{216, 217, 217, 255} : Rgba{229, 230, 230, 255};
        for (int x = 0; x < 800; ++x)
            if (picture.at(x, y) != want) FAIL() << "pixel (" << x << ", " << y << ")";
    }
}

TEST(CataloguePictures, FixedColoursAreExact) {
    struct Uniform {
        const char* name;
        Rgba colour;
    };
    const Uniform cases[] = {
        {"SelectionMask", {0, 86, 255, 28}},
        {"EditBarKaretka", {0, 0, 0, 255}},
        {"EditBarBackGround", {255, 255, 255, 255}},
        {"ScrollBackground", {223, 223, 224, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Picture picture = loadPicture(c.name);
        ASSERT_FALSE(picture.pixels.empty());
        for (const auto& pixel : picture.pixels) EXPECT_EQ(pixel, c.colour);
    }
}

TEST(CataloguePictures, DiscAndCursorsHaveTheirShape) {
    Picture disc = loadPicture("101");
    ASSERT_EQ(disc.width, 204);
    EXPECT_EQ(disc.at(102, 102), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(disc.at(0, 0)[3], 0) << "the corner outside the disc is transparent";
    bool softEdge = false;  // anti-aliasing leaves partly covered pixels on the rim
    for (const auto& pixel : disc.pixels) softEdge |= pixel[3] > 0 && pixel[3] < 255;
    EXPECT_TRUE(softEdge);

    for (const char* name : {"102", "CURSOR"}) {
        SCOPED_TRACE(name);
        Picture cursor = loadPicture(name);
        ASSERT_EQ(cursor.width, 12);
        EXPECT_EQ(cursor.at(0, 0)[3], 255) << "the tip is the top-left pixel";
        EXPECT_EQ(cursor.at(11, 0)[3], 0);
        EXPECT_EQ(cursor.at(3, 8), (Rgba{255, 255, 255, 255})) << "white body";
    }
}

TEST(CataloguePictures, CloudIsTransparentOutsideAndOpaqueAroundTheClipWindow) {
    Picture cloud = loadPicture("oblako_png");
    ASSERT_EQ(cloud.width, 506);
    for (auto [x, y] : {std::pair{0, 0}, {505, 0}, {0, 349}, {505, 349}})
        EXPECT_EQ(cloud.at(x, y)[3], 0) << x << "," << y;
    // Just outside the 320 x 200 window at (93, 76) the cloud is solid.
    for (auto [x, y] : {std::pair{90, 170}, {416, 170}, {250, 73}, {250, 279}})
        EXPECT_EQ(cloud.at(x, y)[3], 255) << x << "," << y;
}

TEST(CataloguePictures, ButtonStatesDiffer) {
    for (const char* base : {"PrintButton", "SaveAsButton", "RetryButton", "CloseButton",
                             "StartPopStartButton", "SubmitButton", "OptionsButton",
                             "CancelButton"}) {
        SCOPED_TRACE(base);
        Picture normal = loadPicture(base);
        Picture hover = loadPicture(std::string(base) + "Nuv");
        Picture pressed = loadPicture(std::string(base) + "Klick");
        ASSERT_FALSE(normal.pixels.empty());
        EXPECT_NE(normal.pixels, hover.pixels);
        EXPECT_NE(normal.pixels, pressed.pixels);
        EXPECT_EQ(normal.at(0, 0)[3], 0) << "rounded corner";
    }
}

TEST(CatalogueSounds, EachDecodesWithItsRateChannelsAndDuration) {
    for (const auto& expected : kSounds) {
        SCOPED_TRACE(expected.name);
        auto path = find(expected.name);
        ASSERT_TRUE(path) << "missing";
        EXPECT_EQ(path->extension(), ".ogg");
        SoundFacts facts = probeSound(*path);
        ASSERT_TRUE(facts.opened) << "not Ogg Vorbis";
        EXPECT_EQ(facts.channels, expected.channels);
        EXPECT_EQ(facts.rate, expected.rate);
        EXPECT_GE(facts.seconds, expected.minSeconds);
        EXPECT_LE(facts.seconds, expected.maxSeconds);
        EXPECT_GT(facts.peak, 0.1) << "silent";
    }
}

TEST(CatalogueClips, EachIsTheoraWithItsSizeRateAndFrameCount) {
    for (const auto& expected : kClips) {
        SCOPED_TRACE(expected.name);
        auto path = find(expected.name);
        ASSERT_TRUE(path) << "missing";
        EXPECT_EQ(path->extension(), ".ogv");
        ClipFacts facts = probeClip(readAll(*path));
        ASSERT_TRUE(facts.theoraFound);
        EXPECT_EQ(facts.pictureWidth, expected.width);
        EXPECT_EQ(facts.pictureHeight, expected.height);
        EXPECT_EQ(facts.pictureX, 0);
        EXPECT_EQ(facts.pictureY, 0) << "the picture is the top-left part of the coded frame";
        EXPECT_DOUBLE_EQ(facts.fps, expected.fps);
        EXPECT_EQ(facts.frames, expected.frames);
        EXPECT_EQ(facts.decodeErrors, 0);
        EXPECT_EQ(facts.vorbisRate, expected.vorbisRate);
    }
}

TEST(CatalogueCheckers, RejectDamagedFiles) {
    auto png = readAll(*find("ExitButton"));
    png.resize(png.size() / 2);
    EXPECT_EQ(decodePng(png).width, 0);
    png[1] = 'X';
    EXPECT_EQ(decodePng(png).width, 0);

    auto clip = readAll(*find("bravo_clip"));
    clip.resize(clip.size() / 2);
    EXPECT_LT(probeClip(clip).frames, 26);
    std::vector<unsigned char> noise(4096, 0x5A);
    EXPECT_FALSE(probeClip(noise).theoraFound);
}

}  // namespace
