#pragma once
// The one playback device. The program mixes its sounds itself; the device only asks, from its
// own thread, for the next block of interleaved signed 16-bit samples.
//
// While nothing is to be heard the device sleeps: once the sounds have been silent for a while
// it is let go, so that an idle program does not wake many times a second to mix silence. A
// sound that starts wakes it again; the sound's first sample is the first one mixed after that,
// so nothing of its beginning is lost, and the change happens in silence, so nothing clicks.

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
    // True while any sound is playing (asked from the device's thread and from the output's own).
    using Audible = std::function<bool()>;

    // Opens the default playback device for `rate` Hz, `channels` channels, and starts pulling.
    // Null with a reason when there is no usable device (no sound card, no sound server).
    static std::unique_ptr<AudioOutput> open(int rate, int channels, Render render,
                                             Audible audible, std::string& error);

    virtual ~AudioOutput() = default;
    virtual int rate() const = 0;
    virtual int channels() const = 0;
    // Frames asked for per callback.
    virtual int blockFrames() const = 0;

    // A sound has started playing (call it after Audible says so): a sleeping device is opened
    // again. Any thread; returns at once.
    virtual void wake() = 0;
    // True while the device is let go.
    virtual bool sleeping() const = 0;

protected:
    AudioOutput() = default;
};

} // namespace platform
