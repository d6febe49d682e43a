#include "media/SoundSource.h"

#include "media/VorbisSetupCheck.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {
// Sample rates outside this range are not sound we made; a one-second ring for them could be huge.
constexpr int kLowestRate = 1000;
constexpr int kHighestRate = 192000;
// A run of holes this long means the stream is damaged beyond use.
constexpr int kMostHolesInARow = 32;
} // namespace

std::unique_ptr<SoundSource> SoundSource::fromMemory(std::span<const std::uint8_t> bytes) {
    std::unique_ptr<SoundSource> source(new SoundSource());
    source->reader_ = {bytes.data(), 0, bytes.size()};
    if (!source->open(false)) return nullptr;
    return source;
}

std::unique_ptr<SoundSource> SoundSource::fromNumberedResource(resources::ResourceBytes bytes) {
    std::unique_ptr<SoundSource> source(new SoundSource());
    source->resource_.emplace(std::move(bytes));
    const auto view = source->resource_->bytes();
    source->reader_ = {view.data(), 0, view.size()};
    if (!source->open(false)) return nullptr;
    // The numbered sounds end with a click of about 20 ms that is never played.
    const std::uint64_t tail = static_cast<std::uint64_t>(source->rate_) *
                               static_cast<std::uint64_t>(source->channels_) * 2 * 2 / 100;
    if (source->totalSamples_ > tail)
        source->playableSamples_ = static_cast<std::uint32_t>(source->totalSamples_ - tail);
    return source;
}

std::unique_ptr<SoundSource> SoundSource::fromFile(const std::filesystem::path& path) {
    std::unique_ptr<SoundSource> source(new SoundSource());
    source->file_ = std::fopen(path.c_str(), "rb");
    if (!source->file_) return nullptr;
    if (!source->open(true)) return nullptr;
    return source;
}

SoundSource::~SoundSource() {
    if (decoderOpen_) ov_clear(&decoder_);
    if (file_) std::fclose(file_);
}

bool SoundSource::open(bool fromFile) {
    ov_callbacks callbacks{};
    void* handle = nullptr;
    if (fromFile) {
        callbacks = {&SoundSource::readFile, &SoundSource::seekFile, &SoundSource::closeNothing,
                     &SoundSource::tellFile};
        handle = file_;
    } else {
        callbacks = {&SoundSource::readMemory, &SoundSource::seekMemory,
                     &SoundSource::closeNothing, &SoundSource::tellMemory};
        handle = &reader_;
    }
    // libvorbis would crash later on some damaged setup headers, so they are looked at first.
    const bool buildable = media::oggVorbisSetupsAreBuildable([&](std::uint8_t* buffer, std::size_t size) {
        return callbacks.read_func(buffer, 1, size, handle);
    });
    if (!buildable || callbacks.seek_func(handle, 0, SEEK_SET) != 0) return false;
    if (ov_open_callbacks(handle, &decoder_, nullptr, 0, callbacks) != 0) return false;
    decoderOpen_ = true;
    const vorbis_info* info = ov_info(&decoder_, -1);
    if (!info) return false;
    channels_ = info->channels;
    rate_ = static_cast<int>(info->rate);
    // Mono and stereo only: the ring and the mixer know no other layouts.
    if (channels_ < 1 || channels_ > 2) return false;
    if (info->rate < kLowestRate || info->rate > kHighestRate) return false;
    frameBytes_ = channels_ == 1 ? 2 : 4;
    const ogg_int64_t total = ov_pcm_total(&decoder_, -1);
    if (total < 0) return false;
    totalSamples_ = static_cast<std::uint64_t>(total);
    playableSamples_ = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(totalSamples_, std::numeric_limits<std::uint32_t>::max()));
    return true;
}

std::size_t SoundSource::readPcm(std::uint8_t* dest, std::size_t bytes) {
    // The frames handed out are counted here rather than asked of libvorbisfile: its position
    // comes from granule positions, which damaged pages can make jump back and forth.
    if (exhausted_ || framesRead_ >= playableSamples_) return 0;
    const std::uint64_t left = (playableSamples_ - framesRead_) * static_cast<std::uint64_t>(frameBytes_);
    bytes = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, left));
    bytes -= bytes % static_cast<std::size_t>(frameBytes_);
    std::size_t done = 0;
    int holes = 0;
    while (done < bytes) {
        int link = 0;
        const int want = static_cast<int>(std::min<std::size_t>(bytes - done, 1 << 20));
        const long got = ov_read(&decoder_, reinterpret_cast<char*>(dest + done), want, 0, 2, 1, &link);
        if (got == 0) break;
        if (got == OV_HOLE && ++holes < kMostHolesInARow) continue;
        if (got < 0) {
            exhausted_ = true;
            break;
        }
        holes = 0;
        // A chained stream whose next link has another layout would write foreign frames.
        const vorbis_info* info = ov_info(&decoder_, link);
        if (!info || info->channels != channels_ || info->rate != rate_) {
            exhausted_ = true;
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    done -= done % static_cast<std::size_t>(frameBytes_);
    framesRead_ += done / static_cast<std::size_t>(frameBytes_);
    return done;
}

bool SoundSource::rewind() {
    if (ov_pcm_seek(&decoder_, 0) != 0) {
        exhausted_ = true;
        return false;
    }
    exhausted_ = false;
    framesRead_ = 0;
    return true;
}

std::size_t SoundSource::readMemory(void* ptr, std::size_t size, std::size_t count, void* source) {
    auto* reader = static_cast<MemoryReader*>(source);
    if (size == 0 || reader->position >= reader->length) return 0;
    const std::size_t bytes = std::min(reader->length - reader->position, size * count);
    std::memcpy(ptr, reader->data + reader->position, bytes);
    reader->position += bytes;
    return bytes / size;
}

int SoundSource::seekMemory(void* source, ogg_int64_t offset, int whence) {
    auto* reader = static_cast<MemoryReader*>(source);
    ogg_int64_t base = 0;
    switch (whence) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = static_cast<ogg_int64_t>(reader->position); break;
    case SEEK_END: base = static_cast<ogg_int64_t>(reader->length); break;
    default: return -1;
    }
    const ogg_int64_t target = base + offset;
    if (target < 0 || target > static_cast<ogg_int64_t>(reader->length)) return -1;
    reader->position = static_cast<std::size_t>(target);
    return 0;
}

long SoundSource::tellMemory(void* source) {
    return static_cast<long>(static_cast<MemoryReader*>(source)->position);
}

std::size_t SoundSource::readFile(void* ptr, std::size_t size, std::size_t count, void* source) {
    return std::fread(ptr, size, count, static_cast<std::FILE*>(source));
}

int SoundSource::seekFile(void* source, ogg_int64_t offset, int whence) {
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return -1;
    return fseeko(static_cast<std::FILE*>(source), static_cast<off_t>(offset), whence);
}

long SoundSource::tellFile(void* source) {
    return static_cast<long>(ftello(static_cast<std::FILE*>(source)));
}
