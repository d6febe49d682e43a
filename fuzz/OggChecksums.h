#pragma once
// Mutated Ogg pages almost never keep a valid checksum, and libogg drops pages whose checksum is
// wrong. Recomputing them lets the mutations reach the decoders behind libogg.

#include <cstddef>
#include <cstdint>
#include <vector>

inline void fixOggChecksums(std::vector<std::uint8_t>& bytes) {
    static const auto table = [] {
        std::vector<std::uint32_t> t(256);
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t r = i << 24;
            for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
            t[i] = r;
        }
        return t;
    }();
    std::size_t at = 0;
    while (at + 27 <= bytes.size()) {
        if (bytes[at] != 'O' || bytes[at + 1] != 'g' || bytes[at + 2] != 'g' || bytes[at + 3] != 'S') {
            ++at;
            continue;
        }
        const std::size_t segments = bytes[at + 26];
        if (at + 27 + segments > bytes.size()) break;
        std::size_t length = 27 + segments;
        for (std::size_t i = 0; i < segments; ++i) length += bytes[at + 27 + i];
        if (at + length > bytes.size()) break;
        for (int i = 22; i < 26; ++i) bytes[at + i] = 0;
        std::uint32_t crc = 0;
        for (std::size_t i = 0; i < length; ++i)
            crc = (crc << 8) ^ table[((crc >> 24) & 0xFF) ^ bytes[at + i]];
        for (int i = 0; i < 4; ++i) bytes[at + 22 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
        at += length;
    }
}
