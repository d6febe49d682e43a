#pragma once
// The one playback device. The program mixes its sounds itself; the device only asks, from its
// own thread, for the next block of interleaved signed 16-bit samples.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

class AudioOutput {
public:
    // Fills `frames` frames of interleaved samples (channels() per frame). Runs on the device's
    // thread; it must not block for long.
    using Render = std::function<void(std::int16_t* samples, int frames)>;

    // Opens the default playback device for `rate` Hz, `channels` channels, and starts pulling.
    // Null with a reason when there is no usable device (no sound card, no sound server).
    static std::unique_ptr<AudioOutput> open(int rate, int channels, Render render,
                                             std::string& error);

    virtual ~AudioOutput() = default;
    virtual int rate() const = 0;
    virtual int channels() const = 0;
    // Frames asked for per callback.
    virtual int blockFrames() const = 0;

protected:
    AudioOutput() = default;
};

} // namespace platform
