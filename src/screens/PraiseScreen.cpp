#include "screens/PraiseScreen.h"

#include <boost/bind/bind.hpp>
#include <string>

#include "resources/EmbeddedAssets.h"
#include "screens/ScreenParts.h"
#include "window/IMResourceManager.h"

namespace {

struct Praise {
    const char* sound;
    const char* clip;
};
constexpr Praise praises[PraiseScreen::praiseCount] = {{"bravo_sound", "bravo_clip"},
                                                       {"gotovo_sound", "gotovo_clip"},
                                                       {"molodec_sound", "molodec_clip"},
                                                       {"otlichno_sound", "otlichno_clip"},
                                                       {"ura_sound", "ura_clip"}};
const wchar_t* const cloudPicture = L"oblako_png";
// The praise screen's exit picture: placed, then stretched over its final rectangle.
constexpr POINT exitAt{770, 10};
constexpr RECT exitRect{740, 10, 780, 50};
constexpr int exitLayer = 901;

constexpr POINT finalPraiseAt{137, 100};

} // namespace

PraiseScreen::PraiseScreen(IMContainer* parent, int x, int y, int random, boost::function<void()> whenClipEnds)
    : IMDialogBase<IMEmptyView>(parent, std::nullopt, 0), whenClipEnds_(std::move(whenClipEnds)) {
    build(x, y, random);
    using boost::placeholders::_1;
    clip_->finished.connect(boost::bind(&PraiseScreen::onFinalClipEnd, this, _1));
    clip_->start();
}

PraiseScreen::PraiseScreen(IMContainer* parent, int random, IMControl* owner)
    : IMDialogBase<IMEmptyView>(parent, std::nullopt, 0), owner_(owner) {
    build(finalPraiseAt.x, finalPraiseAt.y, random);
    exit_ = createPicture(exitAt.x, exitAt.y, L"ExitButton", exitLayer, 0xFFFFFFFF);
    exit_->setRect(exitRect);
    exit_->hide();
    exit_->clicked.connect([this](const IMMouseEvent&) {
        if (owner_) owner_->close();
        return 0L;
    });
    using boost::placeholders::_1;
    clip_->finished.connect(boost::bind(&PraiseScreen::onScreenClipEnd, this, _1));
    clip_->start();
}

PraiseScreen::~PraiseScreen() {
    if (IMResourceManager* sounds = resourceManager(); sounds && sound_ != 0) sounds->stopSound(sound_);
}

void PraiseScreen::build(int x, int y, int random) {
    clip_ = new Clip(this, 1);
    {
        const screens::EmbeddedPictures pictures{cloudPicture};
        cloud_ = createPicture(x, y, cloudPicture, 0, 0xFFFFFFFF);
    }
    chosen_ = praiseIndex(random);
    const Praise& praise = praises[chosen_];
    if (IMResourceManager* sounds = resourceManager())
        if (const resources::EmbeddedAsset* asset = resources::findEmbeddedAsset(std::string_view(praise.sound))) {
            const std::wstring name(praise.sound, praise.sound + std::char_traits<char>::length(praise.sound));
            sound_ = sounds->loadSound(name, asset->bytes.data(), asset->bytes.size());
            if (sound_ != 0) sounds->playSound(sound_, false);
        }
    const resources::EmbeddedAsset* clip = resources::findEmbeddedAsset(std::string_view(praise.clip));
    // Without its clip the praise still ends: an empty clip reports its end at once.
    clip_->openClip(clip ? clip->bytes.data() : nullptr, clip ? static_cast<int>(clip->bytes.size()) : 0);
    clip_->framePeriod = clipFramePeriod;
    const int left = x + clipOffset.x;
    const int top = y + clipOffset.y;
    clip_->setRect(RECT{left, top, left + clipWidth, top + clipHeight});
}

long PraiseScreen::onFinalClipEnd(const IMEvent&) {
    close();
    if (whenClipEnds_) whenClipEnds_();
    return 0;
}

long PraiseScreen::onScreenClipEnd(const IMEvent&) {
    clip_->close();
    cloud_->close();
    exit_->show();
    return 0;
}
