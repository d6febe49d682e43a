#include <SDL.h>

#include "platform/audio/AudioOutput.h"

namespace platform {

namespace {

class SdlAudioOutput final : public AudioOutput {
public:
    SdlAudioOutput(Render render, int rate, int channels)
        : render_(std::move(render)), rate_(rate), channels_(channels) {}

    ~SdlAudioOutput() override {
        if (device_ != 0) SDL_CloseAudioDevice(device_); // waits for a running callback
        if (subsystemStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool start(std::string& error) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            error = SDL_GetError();
            return false;
        }
        subsystemStarted_ = true;
        SDL_AudioSpec want{};
        want.freq = rate_;
        want.format = AUDIO_S16SYS;
        want.channels = static_cast<Uint8>(channels_);
        want.samples = 1024;
        want.callback = &SdlAudioOutput::callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        // No format changes allowed: SDL converts if the hardware wants something else, so the
        // mixer always produces the one format it was opened for.
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0) {
            error = SDL_GetError();
            return false;
        }
        blockFrames_ = have.samples != 0 ? have.samples : want.samples;
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    int rate() const override { return rate_; }
    int channels() const override { return channels_; }
    int blockFrames() const override { return blockFrames_; }

private:
    static void SDLCALL callback(void* userdata, Uint8* stream, int len) {
        auto* self = static_cast<SdlAudioOutput*>(userdata);
        const int frames = len / (2 * self->channels_);
        self->render_(reinterpret_cast<std::int16_t*>(stream), frames);
    }

    Render render_;
    int rate_;
    int channels_;
    int blockFrames_ = 1024;
    SDL_AudioDeviceID device_ = 0;
    bool subsystemStarted_ = false;
};

} // namespace

std::unique_ptr<AudioOutput> AudioOutput::open(int rate, int channels, Render render,
                                               std::string& error) {
    auto output = std::make_unique<SdlAudioOutput>(std::move(render), rate, channels);
    if (!output->start(error)) return nullptr;
    return output;
}

} // namespace platform
