#pragma once
// One playable sound id: its looping one-second ring, the worker thread of the current playback
// that keeps the ring's halves filled from the decoder, and the signals fired on the main thread
// when the sound starts, ends or passes a label.

#include <boost/function.hpp>
#include <boost/signals2.hpp>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "events/Signal.h"
#include "media/AutoResetEvent.h"
#include "media/SoundRing.h"

class CSoundSystem;
class SoundSource;

class CSoundStream {
public:
    using SoundSignal = boost::signals2::signal<long(std::uint32_t), LastValueCombiner>;
    using LabelSignal = boost::signals2::signal<long(std::uint32_t, std::uint32_t), LastValueCombiner>;

    static constexpr int kStopCommand = 3;

    CSoundStream(CSoundSystem* owner, SoundSource* source, std::uint32_t id);
    ~CSoundStream();
    CSoundStream(const CSoundStream&) = delete;
    CSoundStream& operator=(const CSoundStream&) = delete;

    std::uint32_t id() const { return id_; }
    SoundSource* source() const { return source_; }
    SoundRing& ring() { return ring_; }
    std::uint32_t halfBytes() const { return halfBytes_; }
    bool isPlaying();

    bool play(bool loop);
    bool stop();
    // Asks a running worker to end and waits for it (shutdown).
    void shutdown();

    // The connection lets the caller take its slot back (a screen that goes away).
    boost::signals2::connection addLabel(std::uint32_t position, const boost::function<long(std::uint32_t, std::uint32_t)>& slot);
    const std::vector<std::uint32_t>& labelPositions() const { return labelPositions_; }
    std::size_t pendingLabelTimers() const { return labelTimers_.size(); }
    // Main thread: the end notice of a playback arrived; labels of a playback whose data ran out
    // are cancelled here, before `ended` fires.
    void onEndedNotice();
    void fireLabel(std::uint32_t position);

    SoundSignal started;
    SoundSignal ended;
    SoundSignal stopped;

private:
    void worker();
    void fillHalf(std::uint32_t offset);
    void scheduleLabels();
    void cancelLabelTimers();
    void joinWorker();

    CSoundSystem* owner_;
    SoundSource* source_;
    const std::uint32_t id_;
    const std::uint32_t bufferBytes_;
    const std::uint32_t halfBytes_;
    SoundRing ring_;

    std::mutex lock_; // guards the fields below and the ring's halves against the worker
    int state_ = 0;   // 0 stopped, 1 playing
    int command_ = 0;
    bool loop_ = false;
    int endCount_ = 0;
    bool fillSecondHalf_ = true;
    bool labelsExpired_ = false; // the data ran out: pending labels must not fire

    AutoResetEvent wakeEvent_;
    std::thread thread_;

    // Main thread only.
    std::map<std::uint32_t, std::unique_ptr<LabelSignal>> labelSignals_;
    std::vector<std::uint32_t> labelPositions_;
    std::vector<int> labelTimers_;
};
