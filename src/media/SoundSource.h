#pragma once
// One open Ogg Vorbis stream, decoded on demand to 16-bit little-endian PCM: from bytes held in
// memory (an embedded sound or a numbered resource) or from a file.

#include <vorbis/vorbisfile.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>

#include "resources/NumberedResources.h"

class SoundSource {
public:
    // Null when the bytes are not a playable Ogg Vorbis stream (the view must outlive the source).
    static std::unique_ptr<SoundSource> fromMemory(std::span<const std::uint8_t> bytes);
    // A numbered resource: the source keeps the bytes, and the last ⌊rate × channels × 2 × 0.02⌋
    // frames are never played.
    static std::unique_ptr<SoundSource> fromNumberedResource(resources::ResourceBytes bytes);
    static std::unique_ptr<SoundSource> fromFile(const std::filesystem::path& path);

    ~SoundSource();
    SoundSource(const SoundSource&) = delete;
    SoundSource& operator=(const SoundSource&) = delete;

    int channels() const { return channels_; }
    int rate() const { return rate_; }
    int frameBytes() const { return frameBytes_; }
    std::uint32_t playableSamples() const { return playableSamples_; }
    std::uint64_t totalSamples() const { return totalSamples_; }

    // Decodes at most `bytes` bytes (whole frames, never past the playable end) into `dest`;
    // returns the bytes written. Damaged data ends the stream early.
    std::size_t readPcm(std::uint8_t* dest, std::size_t bytes);
    // Back to the first sample; false when the stream cannot seek (the next read then gives 0).
    bool rewind();

private:
    struct MemoryReader {
        const std::uint8_t* data = nullptr;
        std::size_t position = 0;
        std::size_t length = 0;
    };

    SoundSource() = default;
    bool open(bool fromFile);

    static std::size_t readMemory(void* ptr, std::size_t size, std::size_t count, void* source);
    static int seekMemory(void* source, ogg_int64_t offset, int whence);
    static long tellMemory(void* source);
    static std::size_t readFile(void* ptr, std::size_t size, std::size_t count, void* source);
    static int seekFile(void* source, ogg_int64_t offset, int whence);
    static long tellFile(void* source);
    static int closeNothing(void*) { return 0; }

    std::optional<resources::ResourceBytes> resource_;
    MemoryReader reader_;
    std::FILE* file_ = nullptr;
    OggVorbis_File decoder_{};
    bool decoderOpen_ = false;
    bool exhausted_ = false;
    int channels_ = 0;
    int rate_ = 0;
    int frameBytes_ = 0;
    std::uint32_t playableSamples_ = 0;
    std::uint64_t totalSamples_ = 0;
    std::uint64_t framesRead_ = 0; // since opening or the last rewind
};
