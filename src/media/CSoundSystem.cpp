#include "media/CSoundSystem.h"

#include <string>

#include "media/CSoundStream.h"
#include "media/SoundSource.h"
#include "platform/MessageQueue.h"
#include "platform/Platform.h"
#include "platform/audio/AudioOutput.h"
#include "resources/NumberedResources.h"
#include "resources/ResourceProblems.h"

CSoundSystem::CSoundSystem() = default;

CSoundSystem::~CSoundSystem() {
    stopAll();
    streams_.clear();
    sources_.clear();
    output_.reset();
}

void CSoundSystem::stopAll() {
    for (auto& [id, stream] : streams_) stream->shutdown();
}

int CSoundSystem::startSound() {
    msgPlay_ = platform::registerMessage(L"WM_IM_ONSOUNDPLAY");
    if (msgPlay_ != 0) msgLabel_ = platform::registerMessage(L"WM_IM_ONLABEL");
    if (msgLabel_ != 0) msgStop_ = platform::registerMessage(L"WM_IM_ONSOUNDSTOP");
    if (msgStop_ != 0) msgEnded_ = platform::registerMessage(L"WM_IM_ONSOUNDPOUSE");
    if (output_) return 0;
    std::string error;
    output_ = platform::AudioOutput::open(
        kOutputRate, 2,
        [this](std::int16_t* samples, int frames) { mixer_.render(samples, frames); },
        [this] { return mixer_.anyPlaying(); }, error);
    if (!output_) {
        platform::debugOutput(L"Звук недоступен: " + platform::utf8ToWide(error) + L"\n");
        return -1;
    }
    return 0;
}

void CSoundSystem::wakeOutput() {
    if (output_) output_->wake();
}

bool CSoundSystem::isSoundMessage(std::uint32_t message) const {
    return message != 0 &&
           (message == msgPlay_ || message == msgStop_ || message == msgEnded_ || message == msgLabel_);
}

std::uint64_t CSoundSystem::numberedTailFrames(int rate, int channels) {
    // ⌊rate × channels × 2 × 0.02⌋ in integers.
    return static_cast<std::uint64_t>(rate) * static_cast<std::uint64_t>(channels) * 2 * 2 / 100;
}

CSoundStream* CSoundSystem::stream(std::uint32_t id) const {
    if (id == 0) return nullptr;
    auto it = streams_.find(id);
    return it == streams_.end() ? nullptr : it->second.get();
}

std::uint32_t CSoundSystem::reuseLoaded(const std::wstring& name, bool& found) {
    found = false;
    for (auto& entry : sources_) {
        if (entry.name != name) continue;
        found = true;
        for (auto& [id, stream] : streams_) {
            if (stream->source() == entry.source.get()) {
                // Whoever loads the sound again takes it over: earlier end handlers are dropped.
                stream->ended.disconnect_all_slots();
                return id;
            }
        }
        ++entry.useCount;
        const std::uint32_t id = ++lastId_;
        if (streams_.count(id) != 0) return 0;
        streams_.emplace(id, std::make_unique<CSoundStream>(this, entry.source.get(), id));
        return id;
    }
    return 0;
}

std::uint32_t CSoundSystem::loadFromSource(
    const std::wstring& name, const boost::function<std::unique_ptr<SoundSource>()>& open) {
    bool found = false;
    const std::uint32_t reused = reuseLoaded(name, found);
    if (found) return reused;
    // Without a device nothing could be heard: the load fails and the caller goes on silently.
    if (!output_) return 0;
    std::unique_ptr<SoundSource> source = open();
    if (!source) return 0;
    SoundSource* raw = source.get();
    sources_.push_back(SoundSourceEntry{std::move(source), 1, name});
    const std::uint32_t id = ++lastId_;
    if (streams_.count(id) != 0) return 0;
    streams_.emplace(id, std::make_unique<CSoundStream>(this, raw, id));
    return id;
}

std::uint32_t CSoundSystem::loadSound(const std::wstring& name) {
    return loadFromSource(name, [&name]() -> std::unique_ptr<SoundSource> {
        using resources::ResourceKind;
        // A sound that failed once is not read and opened again on every request.
        if (resources::resourceFailedBefore(ResourceKind::Sound, name)) return nullptr;
        auto failed = [&name](const char* reason) {
            resources::reportResourceProblem(ResourceKind::Sound, name, reason);
            return nullptr;
        };
        std::unique_ptr<SoundSource> source;
        if (const auto number = resources::parseResourceNumber(name)) {
            auto bytes = resources::loadNumberedResource(*number);
            if (!bytes) return failed("no such numbered resource");
            source = SoundSource::fromNumberedResource(std::move(*bytes));
        } else {
            const std::filesystem::path file(platform::toUtf8(name));
            std::error_code error;
            if (!std::filesystem::is_regular_file(file, error)) return failed("no such file");
            source = SoundSource::fromFile(file);
        }
        if (!source) return failed("not a playable Ogg Vorbis stream");
        return source;
    });
}

std::uint32_t CSoundSystem::loadSound(const std::wstring& name, const void* data, std::size_t length) {
    return loadFromSource(name, [&name, data, length]() -> std::unique_ptr<SoundSource> {
        if (!data) return nullptr;
        auto source = SoundSource::fromMemory(
            std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), length));
        if (!source)
            resources::reportResourceProblem(resources::ResourceKind::Sound, name,
                                             "not a playable Ogg Vorbis stream");
        return source;
    });
}

bool CSoundSystem::playSound(std::uint32_t id, bool loop) {
    CSoundStream* s = stream(id);
    if (!s) return false;
    return s->play(loop);
}

bool CSoundSystem::stopSound(std::uint32_t id) {
    CSoundStream* s = stream(id);
    return s ? s->stop() : false;
}

boost::signals2::connection CSoundSystem::onSoundEnded(std::uint32_t id, const SoundSlot& slot) {
    CSoundStream* s = stream(id);
    if (!s) return {};
    return s->ended.connect(slot);
}

boost::signals2::connection CSoundSystem::addSoundLabel(std::uint32_t id, std::uint32_t position,
                                                        const LabelSlot& slot) {
    if (CSoundStream* s = stream(id)) return s->addLabel(position, slot);
    return {};
}

void CSoundSystem::handleSoundMessage(std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    CSoundStream* s = stream(wParam);
    if (!s || message == 0) return;
    if (message == msgPlay_) {
        if (!s->started.empty()) s->started(s->id());
    } else if (message == msgEnded_) {
        s->onEndedNotice();
        if (!s->ended.empty()) s->ended(s->id());
    } else if (message == msgStop_) {
        if (!s->stopped.empty()) s->stopped(s->id());
    } else if (message == msgLabel_) {
        s->fireLabel(static_cast<std::uint32_t>(lParam));
    }
}
