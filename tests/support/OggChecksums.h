#pragma once
// Recomputes the checksum of every Ogg page found in a byte buffer, so that damage made to page
// contents (by a test or a fuzzer) reaches the decoders instead of making the pages vanish.

#include <ogg/ogg.h>

#include <cstddef>
#include <cstdint>
#include <vector>

inline void fixOggChecksums(std::vector<std::uint8_t>& bytes) {
    std::size_t at = 0;
    while (at + 27 <= bytes.size()) {
        if (bytes[at] != 'O' || bytes[at + 1] != 'g' || bytes[at + 2] != 'g' || bytes[at + 3] != 'S') {
            ++at;
            continue;
        }
        const std::size_t segments = bytes[at + 26];
        const std::size_t headerLength = 27 + segments;
        if (at + headerLength > bytes.size()) break;
        std::size_t bodyLength = 0;
        for (std::size_t i = 0; i < segments; ++i) bodyLength += bytes[at + 27 + i];
        if (at + headerLength + bodyLength > bytes.size()) break;
        ogg_page page{bytes.data() + at, static_cast<long>(headerLength), bytes.data() + at + headerLength,
                      static_cast<long>(bodyLength)};
        ogg_page_checksum_set(&page);
        at += headerLength + bodyLength;
    }
}
