#pragma once
// The sound system: Ogg Vorbis sounds loaded by name, played by numeric sound id through one
// audio device, each playback streamed by its own worker thread. Start, end and label notices
// travel as registered window messages and fire the sound's signals on the main thread.

#include <boost/function.hpp>
#include <boost/signals2.hpp>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "media/SoundMixer.h"
#include "events/WinTypes.h"

class CSoundStream;
class SoundSource;
namespace platform {
class AudioOutput;
}

struct SoundSourceEntry {
    std::unique_ptr<SoundSource> source;
    std::int32_t useCount = 1;
    std::wstring name;
};

class CSoundSystem {
public:
    using SoundSlot = boost::function<long(std::uint32_t)>;
    using LabelSlot = boost::function<long(std::uint32_t, std::uint32_t)>;

    static constexpr int kOutputRate = 44100;

    CSoundSystem();
    virtual ~CSoundSystem();
    CSoundSystem(const CSoundSystem&) = delete;
    CSoundSystem& operator=(const CSoundSystem&) = delete;

    // Registers the four messages and opens the audio device; 0 on success, -1 when no device
    // could be opened (loads then fail with id 0 and everything else goes on). The window
    // procedure passes the notices to handleSoundMessage; labels run on the window timers.
    int startSound();

    // A numbered resource for a decimal name, a file path for any other name. 0 on failure.
    std::uint32_t loadSound(const std::wstring& name);
    // An Ogg Vorbis file image in memory (kept alive by the caller). 0 on failure.
    std::uint32_t loadSound(const std::wstring& name, const void* data, std::size_t length);
    bool playSound(std::uint32_t id, bool loop);
    bool stopSound(std::uint32_t id);
    boost::signals2::connection onSoundEnded(std::uint32_t id, const SoundSlot& slot);
    // Empty connection for an unknown id.
    boost::signals2::connection addSoundLabel(std::uint32_t id, std::uint32_t position, const LabelSlot& slot);
    // The window procedure's entry for the four registered messages (main thread).
    void handleSoundMessage(std::uint32_t message, WPARAM wParam, LPARAM lParam);

    bool isSoundMessage(std::uint32_t message) const;
    std::uint32_t msgPlay() const { return msgPlay_; }
    std::uint32_t msgStop() const { return msgStop_; }
    std::uint32_t msgEnded() const { return msgEnded_; }
    std::uint32_t msgLabel() const { return msgLabel_; }

    bool hasAudioDevice() const { return output_ != nullptr; }
    // A stream has started playing: the device, let go while everything was silent, is needed.
    void wakeOutput();
    const platform::AudioOutput* output() const { return output_.get(); }
    SoundMixer& mixer() { return mixer_; }
    // Null for 0 and unknown ids.
    CSoundStream* stream(std::uint32_t id) const;
    std::uint32_t lastSoundId() const { return lastId_; }
    const std::vector<SoundSourceEntry>& sources() const { return sources_; }

    // The decimal name of a numbered sound: the last ⌊rate × channels × 2 × 0.02⌋ frames are cut.
    static std::uint64_t numberedTailFrames(int rate, int channels);

private:
    std::uint32_t loadFromSource(const std::wstring& name,
                                 const boost::function<std::unique_ptr<SoundSource>()>& open);
    std::uint32_t reuseLoaded(const std::wstring& name, bool& found);
    void stopAll();

    std::map<std::uint32_t, std::unique_ptr<CSoundStream>> streams_;
    std::vector<SoundSourceEntry> sources_;
    SoundMixer mixer_{kOutputRate};
    std::unique_ptr<platform::AudioOutput> output_;
    std::uint32_t lastId_ = 0;
    std::uint32_t msgPlay_ = 0;
    std::uint32_t msgStop_ = 0;
    std::uint32_t msgEnded_ = 0;
    std::uint32_t msgLabel_ = 0;
};
