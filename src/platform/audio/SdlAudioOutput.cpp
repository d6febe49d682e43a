#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/Platform.h"
#include "platform/audio/AudioOutput.h"

namespace platform {

namespace {

// How long the sounds stay silent before the device is let go.
constexpr int kSilenceBeforeSleepMs = 1000;

class SdlAudioOutput final : public AudioOutput {
public:
    SdlAudioOutput(Render render, Audible audible, int rate, int channels)
        : render_(std::move(render)), audible_(std::move(audible)), rate_(rate),
          channels_(channels) {}

    ~SdlAudioOutput() override {
        {
            std::lock_guard<std::mutex> guard(signalMutex_);
            stopping_ = true;
        }
        signal_.notify_one();
        if (keeper_.joinable()) keeper_.join();
        closeDevice();
        if (subsystemStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool start(std::string& error) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            error = SDL_GetError();
            return false;
        }
        subsystemStarted_ = true;
        if (!openDevice(error)) return false;
        keeper_ = std::thread(&SdlAudioOutput::keep, this);
        return true;
    }

    int rate() const override { return rate_; }
    int channels() const override { return channels_; }
    int blockFrames() const override { return blockFrames_.load(); }

    void wake() override {
        {
            std::lock_guard<std::mutex> guard(signalMutex_);
            wakeWanted_ = true;
        }
        signal_.notify_one();
    }

    bool sleeping() const override { return sleeping_.load(); }

private:
    bool openDevice(std::string& error) {
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
        const int frames = have.samples != 0 ? have.samples : want.samples;
        blockFrames_.store(frames);
        silentBlocksBeforeSleep_ = std::max(1, rate_ * kSilenceBeforeSleepMs / 1000 / frames);
        silentBlocks_.store(0);
        sleeping_.store(false);
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    // Closing, not pausing: a paused SDL device still runs its thread, writing silence.
    void closeDevice() {
        if (device_ != 0) SDL_CloseAudioDevice(device_); // waits for a running callback
        device_ = 0;
        sleeping_.store(true);
    }

    static void SDLCALL callback(void* userdata, Uint8* stream, int len) {
        auto* self = static_cast<SdlAudioOutput*>(userdata);
        const int frames = len / (2 * self->channels_);
        self->render_(reinterpret_cast<std::int16_t*>(stream), frames);
        if (self->audible_()) {
            self->silentBlocks_.store(0);
        } else if (self->silentBlocks_.fetch_add(1) + 1 == self->silentBlocksBeforeSleep_) {
            {
                std::lock_guard<std::mutex> guard(self->signalMutex_);
                self->idle_ = true;
            }
            self->signal_.notify_one();
        }
    }

    // The device is opened and closed on this thread: never on the device's own (closing waits
    // for it), never on the caller's (opening a sound server's stream takes a while).
    void keep() {
        for (;;) {
            bool idle = false;
            bool wakeWanted = false;
            {
                std::unique_lock<std::mutex> guard(signalMutex_);
                signal_.wait(guard, [this] { return stopping_ || idle_ || wakeWanted_; });
                if (stopping_) return;
                std::swap(idle, idle_);
                std::swap(wakeWanted, wakeWanted_);
            }
            if (device_ == 0) {
                std::string error;
                if (wakeWanted && !openDevice(error))
                    debugOutput(L"Звук недоступен: " + utf8ToWide(error) + L"\n");
            } else if (idle) {
                // A sound that started meanwhile keeps the device; silence is counted anew.
                if (wakeWanted || audible_())
                    silentBlocks_.store(0);
                else
                    closeDevice();
            }
        }
    }

    Render render_;
    Audible audible_;
    int rate_;
    int channels_;
    std::atomic<int> blockFrames_{1024};
    int silentBlocksBeforeSleep_ = 1;
    SDL_AudioDeviceID device_ = 0;
    bool subsystemStarted_ = false;
    std::atomic<int> silentBlocks_{0};
    std::atomic<bool> sleeping_{true};

    std::thread keeper_;
    std::mutex signalMutex_;
    std::condition_variable signal_;
    bool idle_ = false;
    bool wakeWanted_ = false;
    bool stopping_ = false;
};

} // namespace

std::unique_ptr<AudioOutput> AudioOutput::open(int rate, int channels, Render render,
                                               Audible audible, std::string& error) {
    auto output = std::make_unique<SdlAudioOutput>(std::move(render), std::move(audible), rate,
                                                   channels);
    if (!output->start(error)) return nullptr;
    return output;
}

} // namespace platform
