#include "media/CSoundStream.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "media/CSoundSystem.h"
#include "media/SoundSource.h"
#include "platform/MessageQueue.h"
#include "platform/Platform.h"
#include "events/WindowTimers.h"

namespace {
constexpr std::uint32_t kBufferMs = 4000;
constexpr auto kPollPeriod = std::chrono::milliseconds(20);

// One second of the source's audio, split into two halves of whole frames.
std::uint32_t halfOfOneSecond(const SoundSource& source) {
    const auto block = static_cast<std::uint32_t>(source.channels() * 2);
    const std::uint32_t bytesPerSecond = static_cast<std::uint32_t>(source.rate()) * block;
    const std::uint32_t bufferBytes = kBufferMs / 1000 * bytesPerSecond / 4;
    return bufferBytes / 2 / block * block;
}
} // namespace

CSoundStream::CSoundStream(CSoundSystem* owner, SoundSource* source, std::uint32_t id)
    : owner_(owner), source_(source), id_(id), bufferBytes_(2 * halfOfOneSecond(*source)),
      halfBytes_(halfOfOneSecond(*source)), ring_(source->channels(), source->rate(), bufferBytes_) {
    owner_->mixer().add(&ring_);
}

CSoundStream::~CSoundStream() {
    shutdown();
    cancelLabelTimers();
    owner_->mixer().remove(&ring_);
}

bool CSoundStream::isPlaying() {
    std::lock_guard<std::mutex> guard(lock_);
    return state_ == 1;
}

void CSoundStream::joinWorker() {
    if (thread_.joinable()) thread_.join();
}

bool CSoundStream::play(bool loop) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        loop_ = loop;
        if (state_ != 0) return false;
    }
    // The previous playback's worker has set the state to 0; it is at most posting its notice.
    joinWorker();
    fillSecondHalf_ = true;
    platform::debugOutput(L" звук играет\n");

    ring_.setCurrentPosition(0);
    std::uint8_t* half = ring_.lock(0, halfBytes_);
    if (!half) return false;
    std::size_t got = 0;
    if (source_->rewind()) got = source_->readPcm(half, halfBytes_);
    {
        std::lock_guard<std::mutex> guard(lock_);
        endCount_ = 0;
        labelsExpired_ = false;
        command_ = 0;
    }
    if (got < halfBytes_) std::memset(half + got, 0, halfBytes_ - got);
    ring_.unlock();

    {
        std::lock_guard<std::mutex> guard(lock_);
        state_ = 1;
    }
    scheduleLabels();
    thread_ = std::thread(&CSoundStream::worker, this);
    platform::postMessage(owner_->msgPlay(), id_, 0);
    return true;
}

bool CSoundStream::stop() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (state_ != 1) return false;
        platform::debugOutput(L" звук стой\n");
        cancelLabelTimers();
        ring_.stop();
        command_ = kStopCommand;
    }
    wakeEvent_.set();
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (state_ == 0) break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    joinWorker();
    ring_.release();
    return true;
}

void CSoundStream::shutdown() {
    bool running = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (state_ == 1) {
            command_ = kStopCommand;
            running = true;
        }
    }
    if (running) wakeEvent_.set();
    joinWorker();
}

void CSoundStream::worker() {
    ring_.play();
    // After the ring plays, so that the device cannot be let go between the two.
    owner_->wakeOutput();
    for (;;) {
        const bool woken = wakeEvent_.waitFor(kPollPeriod);
        std::unique_lock<std::mutex> guard(lock_);
        std::uint32_t position = 0;
        if (ring_.getCurrentPosition(position)) {
            if (position < halfBytes_ && fillSecondHalf_)
                fillHalf(halfBytes_);
            else if (position > halfBytes_ && !fillSecondHalf_)
                fillHalf(0);
        }
        if (woken) {
            wakeEvent_.reset();
            if (command_ == kStopCommand) {
                guard.release(); // leave the loop still holding the lock
                break;
            }
        }
    }
    command_ = 0;
    endCount_ = 0;
    state_ = 0;
    lock_.unlock();
    platform::debugOutput(L" звук остановился\n");
    platform::postMessage(owner_->msgEnded(), id_, 0);
}

// Runs on the worker with the stream's lock held.
void CSoundStream::fillHalf(std::uint32_t offset) {
    if (endCount_ == 2) {
        // The silent half is playing: the sound has been heard to its end. Pending labels are
        // cancelled on the main thread when the end notice arrives.
        labelsExpired_ = true;
        ring_.stop();
        command_ = kStopCommand;
        endCount_ = 0;
        wakeEvent_.set();
    }
    std::uint8_t* half = ring_.lock(offset, halfBytes_);
    if (half) {
        std::size_t got = source_->readPcm(half, halfBytes_);
        if (got < halfBytes_) {
            if (loop_) {
                if (source_->rewind()) got += source_->readPcm(half + got, halfBytes_ - got);
                // A looped sound shorter than the rest of the half leaves the remainder silent.
                if (got < halfBytes_) std::memset(half + got, 0, halfBytes_ - got);
            } else {
                std::memset(half + got, 0, halfBytes_ - got);
                ++endCount_;
            }
        }
        ring_.unlock();
    }
    fillSecondHalf_ = !fillSecondHalf_;
}

boost::signals2::connection CSoundStream::addLabel(std::uint32_t position,
                            const boost::function<long(std::uint32_t, std::uint32_t)>& slot) {
    bool playing = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        playing = state_ != 0;
    }
    if (!playing &&
        std::find(labelPositions_.begin(), labelPositions_.end(), position) == labelPositions_.end())
        labelPositions_.push_back(position);
    auto& signal = labelSignals_[position];
    if (!signal) signal = std::make_unique<LabelSignal>();
    return signal->connect(slot);
}

void CSoundStream::scheduleLabels() {
    WindowTimers* window = windowTimers();
    if (!window) return;
    // Timers of an earlier playback whose end notice is still on its way.
    cancelLabelTimers();
    for (const std::uint32_t position : labelPositions_) {
        const int timer = window->createTimer(position);
        window->connectTimer(timer, [this, position, timer, window](const IMEvent&) -> long {
            labelTimers_.erase(std::remove(labelTimers_.begin(), labelTimers_.end(), timer),
                               labelTimers_.end());
            bool expired = false;
            {
                std::lock_guard<std::mutex> guard(lock_);
                expired = labelsExpired_ || state_ == 0;
            }
            if (!expired) {
                labelPositions_.erase(
                    std::remove(labelPositions_.begin(), labelPositions_.end(), position),
                    labelPositions_.end());
                platform::postMessage(owner_->msgLabel(), id_, static_cast<LPARAM>(position));
            }
            window->killTimer(timer);
            return 0;
        });
        labelTimers_.push_back(timer);
    }
}

void CSoundStream::cancelLabelTimers() {
    if (labelTimers_.empty()) return;
    WindowTimers* window = windowTimers();
    if (window)
        for (const int timer : labelTimers_) window->killTimer(timer);
    labelTimers_.clear();
}

void CSoundStream::onEndedNotice() {
    bool idle = false;
    bool expired = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        idle = state_ == 0;
        expired = labelsExpired_ && idle;
    }
    if (expired) cancelLabelTimers();
    // Heard to its end (not started again since): its worker is only returning, and its second of
    // audio is not kept while the sound waits to be played again.
    if (idle) {
        joinWorker();
        ring_.release();
    }
}

void CSoundStream::fireLabel(std::uint32_t position) {
    auto it = labelSignals_.find(position);
    if (it == labelSignals_.end() || !it->second || it->second->empty()) return;
    (*it->second)(id_, position);
}
