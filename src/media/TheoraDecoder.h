#pragma once
// Sequential decoding of the Theora track of an Ogg file held in memory: the stream headers
// (skipping any other logical stream, such as a Vorbis track), then one picture per call. Every
// malformed input is reported by a std::runtime_error with a fixed text.

#include <ogg/ogg.h>
#include <theora/theoradec.h>

#include <cstdint>

#include "media/YCbCrToXrgb.h"

class TheoraDecoder {
public:
    TheoraDecoder();
    ~TheoraDecoder();
    TheoraDecoder(const TheoraDecoder&) = delete;
    TheoraDecoder& operator=(const TheoraDecoder&) = delete;

    // Reads the headers of the clip (not owned: the caller keeps the bytes alive).
    void open(const std::uint8_t* data, int size);
    // Back to the beginning: every state cleared and the headers read again.
    void rewind();
    // Frees the decoder and its frame buffers (about 4.8 MB for 800 x 600); isOpen() is then false.
    void close();
    // Decodes the next picture; false when the clip is exhausted.
    bool decodeFrame();
    bool isOpen() const { return decoder_ != nullptr; }

    const th_info& info() const { return info_; }
    int pictureWidth() const { return static_cast<int>(info_.pic_width); }
    int pictureHeight() const { return static_cast<int>(info_.pic_height); }
    // The planes of the last decoded picture (coded size, top row first).
    media::Plane plane(int index) const;
    bool hasFrame() const { return hasFrame_; }
    // Tells decoded pictures apart: it grows with every picture that differs from the one before
    // and stays the same over a duplicated frame (an empty packet), also across rewinds, so that
    // two equal values always mean equal planes.
    std::uint64_t pictureSerial() const { return pictureSerial_; }

private:
    int feed();
    void readHeaders();
    void initialise();
    void clear();

    const std::uint8_t* clipData_ = nullptr;
    int clipSize_ = 0;
    int readPosition_ = 0;

    ogg_sync_state sync_{};
    ogg_stream_state theoraStream_{};
    bool haveStream_ = false;
    ogg_page page_{};
    ogg_packet packet_{};
    th_info info_{};
    th_comment comment_{};
    th_setup_info* setup_ = nullptr;
    th_dec_ctx* decoder_ = nullptr;
    th_ycbcr_buffer frame_{};
    bool hasFrame_ = false;
    std::uint64_t pictureSerial_ = 0;
};
