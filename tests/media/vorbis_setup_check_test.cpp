// The codebook check made before libvorbis sees a stream: real sounds pass, setup headers whose
// codeword lengths cannot form a prefix code are refused, and the parse stays in step with the
// header through every codebook layout.

#include <gtest/gtest.h>

#include <ogg/ogg.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "MediaTestSupport.h"
#include "media/VorbisSetupCheck.h"

namespace {

using media_test::dataPath;
using media_test::readBytes;

// Writes setup headers bit by bit, least significant bit first as Vorbis does.
class SetupWriter {
public:
    SetupWriter() {
        oggpack_writeinit(&buffer_);
        put(5, 8);
        for (const char c : std::string("vorbis")) put(static_cast<unsigned char>(c), 8);
    }
    ~SetupWriter() { oggpack_writeclear(&buffer_); }
    SetupWriter(const SetupWriter&) = delete;
    SetupWriter& operator=(const SetupWriter&) = delete;
    SetupWriter& put(unsigned long value, int bits) {
        oggpack_write(&buffer_, value, bits);
        return *this;
    }
    // A codebook without a lookup table whose entries all have codewords of the given lengths.
    SetupWriter& denseBook(const std::vector<int>& lengths, int dimensions = 1) {
        put(0x564342, 24).put(dimensions, 16).put(lengths.size(), 24).put(0, 1).put(0, 1);
        for (const int l : lengths) put(l - 1, 5);
        return put(0, 4);
    }
    std::vector<std::uint8_t> bytes() {
        const auto* data = oggpack_get_buffer(&buffer_);
        return {data, data + oggpack_bytes(&buffer_)};
    }

private:
    oggpack_buffer buffer_{};
};

bool buildable(SetupWriter& writer) { return media::vorbisSetupCodebooksAreBuildable(writer.bytes()); }

bool fileIsBuildable(const std::filesystem::path& path) {
    const auto bytes = readBytes(path);
    std::size_t position = 0;
    return media::oggVorbisSetupsAreBuildable([&](std::uint8_t* buffer, std::size_t size) {
        const std::size_t n = std::min(size, bytes.size() - position);
        std::memcpy(buffer, bytes.data() + position, n);
        position += n;
        return n;
    });
}

} // namespace

TEST(VorbisSetupCheck, EverySoundWeShipAndTestWithPasses) {
    std::vector<std::filesystem::path> files;
    for (const char* folder : {"assets", "tests/data/media"})
        for (const auto& entry : std::filesystem::recursive_directory_iterator(std::filesystem::path(TAVRELO_SOURCE_DIR) / folder))
            if (entry.path().extension() == ".ogg" || entry.path().extension() == ".ogv") files.push_back(entry.path());
    ASSERT_GT(files.size(), 10u);
    for (const auto& file : files) {
        if (file.filename().string().starts_with("damaged_codebook")) continue;
        EXPECT_TRUE(fileIsBuildable(file)) << file;
    }
    // An over-full code in the setup header, and the same behind a second start-of-stream page of
    // the same serial number that carries the comment and setup headers.
    EXPECT_FALSE(fileIsBuildable(dataPath("damaged_codebook.ogg")));
    EXPECT_FALSE(fileIsBuildable(dataPath("damaged_codebook_restarted_stream.ogg")));
}

TEST(VorbisSetupCheck, CodewordLengthsMustFillTheCodeSpaceExactly) {
    struct Case {
        std::vector<int> lengths;
        bool buildable;
    };
    const Case cases[] = {
        {{1, 2, 3, 3}, true},      // a complete code
        {{3, 1, 3, 2}, true},      // the same lengths in any order
        {{1}, true},               // one codeword needs no tree
        {{1, 1, 2}, false},        // more codewords than room
        {{1, 2}, false},           // a hole in the tree
        {{2, 2, 2}, false},
        {std::vector<int>(256, 8), true},
        {std::vector<int>(257, 8), false},
    };
    for (const Case& c : cases) {
        SetupWriter writer;
        writer.put(0, 8).denseBook(c.lengths);
        EXPECT_EQ(buildable(writer), c.buildable) << c.lengths.size() << " codewords";
    }
}

TEST(VorbisSetupCheck, SparseOrderedAndLatticeBooksAreReadInStep) {
    // Each layout is followed by a second book: a good one is only recognised (its sync pattern
    // found) and a bad one only refused when the first book was read to its exact last bit.
    struct Case {
        const char* layout;
        std::function<void(SetupWriter&)> writeFirstBook;
    };
    const Case cases[] = {
        {"sparse, two of four entries used", [](SetupWriter& w) {
             w.put(0x564342, 24).put(1, 16).put(4, 24).put(0, 1).put(1, 1);
             w.put(1, 1).put(0, 5).put(0, 1).put(0, 1).put(1, 1).put(0, 5).put(0, 4);
         }},
        {"sparse, no entry used", [](SetupWriter& w) {
             w.put(0x564342, 24).put(1, 16).put(3, 24).put(0, 1).put(1, 1);
             w.put(0, 1).put(0, 1).put(0, 1).put(0, 4);
         }},
        {"ordered, lengths 1 2 3 3", [](SetupWriter& w) {
             w.put(0x564342, 24).put(1, 16).put(4, 24).put(1, 1).put(0, 5);
             w.put(1, 3).put(1, 2).put(2, 2).put(0, 4);
         }},
        {"lattice, 2 dimensions, 9 entries, 3 values of 5 bits", [](SetupWriter& w) {
             w.put(0x564342, 24).put(2, 16).put(9, 24).put(0, 1).put(0, 1);
             for (int i = 0; i < 9; ++i) w.put(i == 0 ? 0 : 3, 5); // one length 1, eight length 4
             w.put(1, 4).put(0, 32).put(0, 32).put(4, 4).put(0, 1);
             for (int i = 0; i < 3; ++i) w.put(i, 5);
         }},
        {"explicit values, 2 dimensions, 2 entries of 3 bits", [](SetupWriter& w) {
             w.put(0x564342, 24).put(2, 16).put(2, 24).put(0, 1).put(0, 1).put(0, 5).put(0, 5);
             w.put(2, 4).put(0, 32).put(0, 32).put(2, 4).put(0, 1);
             for (int i = 0; i < 4; ++i) w.put(i, 3);
         }},
    };
    for (const Case& c : cases) {
        SetupWriter thenGood;
        thenGood.put(1, 8);
        c.writeFirstBook(thenGood);
        EXPECT_TRUE(buildable(thenGood.denseBook({1, 2, 2}))) << c.layout;
        SetupWriter thenBad;
        thenBad.put(1, 8);
        c.writeFirstBook(thenBad);
        EXPECT_FALSE(buildable(thenBad.denseBook({1, 1, 1}))) << c.layout;
    }
}

TEST(VorbisSetupCheck, MalformedHeadersAreRefused) {
    SetupWriter badSync;
    badSync.put(0, 8).put(0x564343, 24).put(1, 16).put(1, 24).put(0, 1).put(0, 1).put(0, 5).put(0, 4);
    EXPECT_FALSE(buildable(badSync));
    SetupWriter unknownLookup;
    unknownLookup.put(0, 8).put(0x564342, 24).put(1, 16).put(1, 24).put(0, 1).put(0, 1).put(0, 5).put(3, 4);
    EXPECT_FALSE(buildable(unknownLookup));
    SetupWriter truncated;
    truncated.put(0, 8).put(0x564342, 24).put(1, 16).put(40, 24).put(0, 1).put(0, 1).put(0, 5);
    EXPECT_FALSE(buildable(truncated));
    EXPECT_FALSE(media::vorbisSetupCodebooksAreBuildable({}));
}
