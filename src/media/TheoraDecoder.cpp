#include "media/TheoraDecoder.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {
constexpr int kChunkBytes = 8192;
constexpr unsigned kLargestExtent = 4096;
} // namespace

TheoraDecoder::TheoraDecoder() { initialise(); }

TheoraDecoder::~TheoraDecoder() { clear(); }

void TheoraDecoder::initialise() {
    ogg_sync_init(&sync_);
    th_info_init(&info_);
    th_comment_init(&comment_);
    std::memset(&theoraStream_, 0, sizeof theoraStream_);
    haveStream_ = false;
    hasFrame_ = false;
}

void TheoraDecoder::clear() {
    if (decoder_) th_decode_free(decoder_);
    decoder_ = nullptr;
    if (setup_) th_setup_free(setup_);
    setup_ = nullptr;
    th_comment_clear(&comment_);
    th_info_clear(&info_);
    if (haveStream_) ogg_stream_clear(&theoraStream_);
    haveStream_ = false;
    ogg_sync_clear(&sync_);
    std::memset(&frame_, 0, sizeof frame_);
    hasFrame_ = false;
}

void TheoraDecoder::close() {
    clear();
    clipData_ = nullptr;
    clipSize_ = 0;
    readPosition_ = 0;
}

int TheoraDecoder::feed() {
    const int chunk = std::min(kChunkBytes, clipSize_ - readPosition_);
    if (chunk <= 0) return 0;
    char* buffer = ogg_sync_buffer(&sync_, chunk);
    if (!buffer) return 0;
    std::memcpy(buffer, clipData_ + readPosition_, static_cast<std::size_t>(chunk));
    ogg_sync_wrote(&sync_, chunk);
    readPosition_ += chunk;
    return chunk;
}

void TheoraDecoder::open(const std::uint8_t* data, int size) {
    clear();
    initialise();
    clipData_ = data;
    clipSize_ = data ? std::max(size, 0) : 0;
    readPosition_ = 0;
    readHeaders();
}

void TheoraDecoder::rewind() {
    clear();
    initialise();
    readPosition_ = 0;
    readHeaders();
}

void TheoraDecoder::readHeaders() {
    int headers = 0;
    bool scanningFirstPages = true;
    while (scanningFirstPages) {
        if (feed() == 0) throw std::runtime_error("eof searched, terminate...");
        while (ogg_sync_pageout(&sync_, &page_) > 0) {
            if (!ogg_page_bos(&page_)) {
                // The first page after the beginning pages belongs to some stream already seen.
                if (haveStream_) ogg_stream_pagein(&theoraStream_, &page_);
                scanningFirstPages = false;
                break;
            }
            ogg_stream_state candidate;
            if (ogg_stream_init(&candidate, ogg_page_serialno(&page_)) != 0)
                throw std::runtime_error("error during ogg_stream_init");
            if (ogg_stream_pagein(&candidate, &page_) != 0) {
                ogg_stream_clear(&candidate);
                throw std::runtime_error("error during ogg_stream_pagein");
            }
            ogg_packet first{};
            const int taken = ogg_stream_packetout(&candidate, &first);
            if (taken < 0) {
                ogg_stream_clear(&candidate);
                throw std::runtime_error("error during ogg_stream_packetout");
            }
            if (!haveStream_ && taken > 0 &&
                th_decode_headerin(&info_, &comment_, &setup_, &first) > 0) {
                std::memcpy(&theoraStream_, &candidate, sizeof candidate);
                haveStream_ = true;
                headers = 1;
            } else {
                // Another track (audio) or a second video stream: not ours.
                ogg_stream_clear(&candidate);
            }
        }
    }
    while (headers < 3) {
        if (!haveStream_) throw std::runtime_error("error during ogg_stream_packetout");
        int result = 0;
        while (headers < 3 && (result = ogg_stream_packetout(&theoraStream_, &packet_)) != 0) {
            if (result < 0) throw std::runtime_error("error during ogg_stream_packetout");
            if (th_decode_headerin(&info_, &comment_, &setup_, &packet_) <= 0)
                throw std::runtime_error("error during theora_decode_header (corrupt stream)");
            ++headers;
        }
        if (headers >= 3) break;
        if (ogg_sync_pageout(&sync_, &page_) > 0) {
            ogg_stream_pagein(&theoraStream_, &page_);
        } else if (feed() == 0) {
            throw std::runtime_error("eof searched. terminate...");
        }
    }
    // Pictures larger than any texture we could show are not clips of ours.
    if (info_.frame_width > kLargestExtent || info_.frame_height > kLargestExtent ||
        info_.pic_width == 0 || info_.pic_height == 0)
        throw std::runtime_error("error during theora_decode_header (corrupt stream)");
    decoder_ = th_decode_alloc(&info_, setup_);
    if (!decoder_) throw std::runtime_error("error during theora_decode_header (corrupt stream)");
}

bool TheoraDecoder::decodeFrame() {
    if (!decoder_) return false;
    for (;;) {
        const int result = ogg_stream_packetout(&theoraStream_, &packet_);
        if (result > 0) break;
        // A gap in the page sequence (result < 0) is skipped like the original player did.
        if (result < 0) continue;
        // Pages already in the sync buffer come first: reading the headers may have fed pages it
        // did not take out, and a small clip is fed whole at once.
        if (ogg_sync_pageout(&sync_, &page_) > 0) {
            ogg_stream_pagein(&theoraStream_, &page_);
            continue;
        }
        if (feed() == 0) return false;
    }
    ogg_int64_t granule = 0;
    const int status = th_decode_packetin(decoder_, &packet_, &granule);
    if (status < 0) throw std::runtime_error("error during theora_decode_packetin...");
    if (th_decode_ycbcr_out(decoder_, frame_) != 0)
        throw std::runtime_error("error during theora_decode_YUVout...");
    if (status != TH_DUPFRAME || !hasFrame_) ++pictureSerial_;
    hasFrame_ = true;
    return true;
}

media::Plane TheoraDecoder::plane(int index) const {
    if (!hasFrame_ || index < 0 || index > 2) return {};
    const th_img_plane& p = frame_[index];
    return media::Plane{p.data, p.stride, p.width, p.height};
}
