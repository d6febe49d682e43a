#pragma once
// Praise after a run: a cloud with one of five praise clips in it and its spoken word. The final
// praise closes itself (and whatever its owner asks) when the clip ends; the praise screen keeps
// itself open and shows an exit picture instead.

#include <boost/function.hpp>
#include <cstdint>

#include "gui/IMDialogBase.h"
#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextureView.h"
#include "media/IMAnimationBase.h"
#include "media/IMTheoraView.h"

class PraiseScreen : public IMDialogBase<IMEmptyView> {
public:
    using Clip = IMAnimationBase<IMTheoraView>;
    static constexpr int praiseCount = 5;
    // 12 frames per second, in the clip clock's 1/60 ms.
    static constexpr std::int32_t clipFramePeriod = 5000;
    // Where the clip sits in the cloud, and its size on screen.
    static constexpr POINT clipOffset{93, 76};
    static constexpr int clipWidth = 320;
    static constexpr int clipHeight = 200;

    // Which praise a value of the runtime's random generator (0..32767) picks.
    static constexpr int praiseIndex(int random) { return static_cast<int>(random * 5LL / 32768); }

    // The final praise at (x, y): `whenClipEnds` runs after the screen has closed itself.
    PraiseScreen(IMContainer* parent, int x, int y, int random, boost::function<void()> whenClipEnds);
    // The praise screen with an exit picture that closes `owner`.
    PraiseScreen(IMContainer* parent, int random, IMControl* owner);
    ~PraiseScreen() override;

    int chosen() const { return chosen_; }
    Clip* clip() const { return clip_; }
    IMStaticPictureBase<IMTextureView>* cloud() const { return cloud_; }
    IMStaticPictureBase<IMTextureView>* exitPicture() const { return exit_; }

private:
    void build(int x, int y, int random);
    long onFinalClipEnd(const IMEvent&);
    long onScreenClipEnd(const IMEvent&);

    Clip* clip_ = nullptr;
    IMStaticPictureBase<IMTextureView>* cloud_ = nullptr;
    IMStaticPictureBase<IMTextureView>* exit_ = nullptr;
    IMControl* owner_ = nullptr;
    boost::function<void()> whenClipEnds_;
    std::uint32_t sound_ = 0;
    int chosen_ = 0;
};
