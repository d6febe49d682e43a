#include "media/VorbisSetupCheck.h"

#include <ogg/ogg.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace media {

namespace {

constexpr std::uint32_t kCodebookSync = 0x564342; // "BCV", least significant byte first
constexpr std::size_t kReadChunk = 64 * 1024;

class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> bytes) {
        oggpack_readinit(&buffer_, const_cast<unsigned char*>(bytes.data()), static_cast<long>(bytes.size()));
    }
    // The next `bits` bits (1..32), or -1 past the end of the packet.
    long read(int bits) { return oggpack_read(&buffer_, bits); }

private:
    oggpack_buffer buffer_{};
};

int bitLength(std::uint64_t value) { return static_cast<int>(std::bit_width(value)); }

// The number of values per dimension of a lattice codebook: the largest r with r^dim <= entries.
long latticeValues(long entries, long dimensions) {
    // Start just below the floating-point root and step up to the exact value.
    long r = std::max(0L, static_cast<long>(std::pow(static_cast<double>(entries), 1.0 / static_cast<double>(dimensions))) - 1);
    for (;;) {
        // (r + 1)^dimensions, stopping as soon as it passes `entries`.
        long power = 1;
        for (long i = 0; i < dimensions && power <= entries; ++i) power *= r + 1;
        if (power > entries) return r;
        ++r;
    }
}

// Adds the share of the code space a codeword of `length` bits takes, in units of 2^-32.
void addCodeword(std::uint64_t& used, long length) { used += std::uint64_t{1} << (32 - length); }

bool codebookIsBuildable(BitReader& bits) {
    if (bits.read(24) != kCodebookSync) return false;
    const long dimensions = bits.read(16);
    const long entries = bits.read(24);
    if (dimensions < 0 || entries < 0) return false;
    // libvorbis refuses these itself; refusing them here keeps the loops below short.
    if (bitLength(static_cast<std::uint64_t>(dimensions)) + bitLength(static_cast<std::uint64_t>(entries)) > 24)
        return false;

    std::uint64_t codeSpace = 0;
    long codewords = 0;
    const long ordered = bits.read(1);
    if (ordered < 0) return false;
    if (ordered == 0) {
        const long sparse = bits.read(1);
        if (sparse < 0) return false;
        for (long e = 0; e < entries; ++e) {
            if (sparse) {
                const long present = bits.read(1);
                if (present < 0) return false;
                if (!present) continue;
            }
            const long length = bits.read(5);
            if (length < 0) return false;
            addCodeword(codeSpace, length + 1);
            ++codewords;
        }
    } else {
        long length = bits.read(5);
        if (length < 0) return false;
        ++length;
        for (long e = 0; e < entries; ++length) {
            const long run = bits.read(bitLength(static_cast<std::uint64_t>(entries - e)));
            if (run < 0 || run > entries - e || length > 32) return false;
            for (long i = 0; i < run; ++i) addCodeword(codeSpace, length);
            codewords += run;
            e += run;
        }
    }

    const long lookupType = bits.read(4);
    if (lookupType == 1 || lookupType == 2) {
        if (bits.read(32) < 0 || bits.read(32) < 0) return false; // minimum and delta
        const long valueBits = bits.read(4);
        if (valueBits < 0 || bits.read(1) < 0) return false;
        if (lookupType == 1 && dimensions == 0) return false;
        const long values = lookupType == 1 ? latticeValues(entries, dimensions) : entries * dimensions;
        for (long i = 0; i < values; ++i)
            if (bits.read(static_cast<int>(valueBits) + 1) < 0) return false;
    } else if (lookupType != 0) {
        return false;
    }

    // A single codeword needs no tree; otherwise the lengths must fill the code space exactly.
    return codewords <= 1 || codeSpace == (std::uint64_t{1} << 32);
}

bool isVorbisSetupHeader(const ogg_packet& packet) {
    return packet.bytes >= 7 && packet.packet[0] == 5 && std::memcmp(packet.packet + 1, "vorbis", 6) == 0;
}

// The packets of one logical stream, put together from its pages.
class PacketAssembly {
public:
    explicit PacketAssembly(int serial) { ogg_stream_init(&state_, serial); }
    ~PacketAssembly() { ogg_stream_clear(&state_); }
    PacketAssembly(const PacketAssembly&) = delete;
    PacketAssembly& operator=(const PacketAssembly&) = delete;

    // False when the page completes a Vorbis setup header whose codebooks cannot be built.
    bool take(ogg_page& page) {
        if (ogg_stream_pagein(&state_, &page) != 0) return true;
        ogg_packet packet;
        for (int got; (got = ogg_stream_packetout(&state_, &packet)) != 0;) {
            if (got < 0) continue; // a gap: the decoder deals with it
            if (isVorbisSetupHeader(packet) &&
                !vorbisSetupCodebooksAreBuildable({packet.packet, static_cast<std::size_t>(packet.bytes)}))
                return false;
        }
        return true;
    }

private:
    ogg_stream_state state_{};
};

} // namespace

bool vorbisSetupCodebooksAreBuildable(std::span<const std::uint8_t> setupPacket) {
    BitReader bits(setupPacket);
    for (int i = 0; i < 7; ++i)
        if (bits.read(8) < 0) return false; // packet type and "vorbis"
    const long books = bits.read(8);
    if (books < 0) return false;
    for (long b = 0; b <= books; ++b)
        if (!codebookIsBuildable(bits)) return false;
    return true;
}

bool oggVorbisSetupsAreBuildable(const std::function<std::size_t(std::uint8_t*, std::size_t)>& read) {
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    // A damaged file can be put together into packets in more than one way (libvorbisfile starts
    // a stream afresh at a beginning-of-stream page, or carries on when the serial number repeats),
    // so every setup header found either way is checked, wherever in the stream it sits.
    std::map<int, std::unique_ptr<PacketAssembly>> continuous;
    std::map<int, std::unique_ptr<PacketAssembly>> sinceLastStart;
    bool buildable = true;
    for (bool more = true; buildable && more;) {
        char* buffer = ogg_sync_buffer(&sync, kReadChunk);
        const std::size_t got = buffer ? read(reinterpret_cast<std::uint8_t*>(buffer), kReadChunk) : 0;
        more = got > 0;
        if (more) ogg_sync_wrote(&sync, static_cast<long>(got));
        ogg_page page;
        for (int result; buildable && (result = ogg_sync_pageout(&sync, &page)) != 0;) {
            if (result < 0) continue; // skipped bytes before the next page
            const int serial = ogg_page_serialno(&page);
            auto& whole = continuous[serial];
            if (!whole) whole = std::make_unique<PacketAssembly>(serial);
            buildable = whole->take(page);
            if (ogg_page_bos(&page)) sinceLastStart[serial] = std::make_unique<PacketAssembly>(serial);
            const auto fresh = sinceLastStart.find(serial);
            if (buildable && fresh != sinceLastStart.end()) buildable = fresh->second->take(page);
        }
    }
    ogg_sync_clear(&sync);
    return buildable;
}

} // namespace media
