// The video view and its animation control on a real window and texture registry, with the
// control's clock driven by the test.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <set>
#include <cstring>

#include "../support/WindowFixture.h"
#include "MediaTestSupport.h"
#include "media/IMAnimationBase.h"
#include "media/IMTheoraView.h"
#include "media/TheoraDecoder.h"
#include "window/IMResourceManager.h"

using namespace media_test;

namespace {

using Animation = IMAnimationBase<IMTheoraView>;

class TheoraTest : public WindowFixture {
protected:
    TheoraTest()
        : praise(readBytes(dataPath("praise_320x240_12fps.ogv"))),
          instruction(readBytes(dataPath("instruction_800x600_25fps.ogv"))),
          withAudio(readBytes(dataPath("with_audio_160x120.ogv"))),
          stillEnding(readBytes(dataPath("still_ending_160x120.ogv"))) {
        rm = resourceManager();
    }

    // Moves the clock to `micros` after start() and runs one update pass.
    void tickAt(std::uint64_t micros) {
        clock.advanceMicros(micros - elapsedMicros);
        elapsedMicros = micros;
        update();
    }

    // The texels of a texture, as the registry's copy of the device texture.
    std::vector<std::uint32_t> texels(TextureHandle h) {
        rm->takeTexelCopy(h);
        const auto& copy = rm->entry(h).texelCopy;
        std::vector<std::uint32_t> out(copy.size() / 4);
        std::memcpy(out.data(), copy.data(), copy.size());
        return out;
    }

    // Frame n of a clip converted by an independent decoder into a texture of the given size: the
    // decoded picture from its top-left corner, as much of it as fits (the coded picture may be
    // larger, e.g. 800 x 608 for an 800 x 600 clip).
    std::vector<std::uint32_t> expectedFrame(const std::vector<std::uint8_t>& clip, int n, int texWidth,
                                             int texHeight) {
        TheoraDecoder d;
        d.open(clip.data(), static_cast<int>(clip.size()));
        for (int i = 0; i <= n; ++i) EXPECT_TRUE(d.decodeFrame());
        std::vector<std::uint32_t> out(std::size_t(texWidth) * texHeight, 0);
        const media::Plane y = d.plane(0);
        media::convertYCbCrToXrgbReference(y, d.plane(1), d.plane(2),
                                           reinterpret_cast<std::uint8_t*>(out.data()), texWidth * 4,
                                           std::min(y.width, texWidth), std::min(y.height, texHeight));
        return out;
    }

    std::vector<std::uint8_t> praise, instruction, withAudio;
    // Three pictures, then the third repeated six times as empty packets; 7 KB, so it is fed to
    // the decoder in one piece.
    std::vector<std::uint8_t> stillEnding;
    IMResourceManager* rm = nullptr;
    std::uint64_t elapsedMicros = 0;
};

} // namespace

TEST_F(TheoraTest, OpeningMakesTwoNumberedFrameTexturesAndShowsTheFirst) {
    IMTheoraView view;
    const int k = IMTheoraView::clipCounter();
    ASSERT_TRUE(view.openClip(praise.data(), static_cast<int>(praise.size())));
    EXPECT_EQ(IMTheoraView::clipCounter(), k + 1);
    const TextureHandle front = rm->findTexture(L"IMTheoraView1" + std::to_wstring(k));
    const TextureHandle back = rm->findTexture(L"IMTheoraView2" + std::to_wstring(k));
    ASSERT_NE(front, rm->invalidHandle());
    ASSERT_NE(back, rm->invalidHandle());
    EXPECT_EQ(view.getTexture(), front);
    EXPECT_EQ(view.backTexture(), back);
    EXPECT_EQ(rm->entry(front).imageRect, (RECT{0, 0, 320, 240}));
    EXPECT_EQ(rm->entry(front).textureWidth, 320);
    EXPECT_EQ(rm->entry(front).textureHeight, 240);
    EXPECT_EQ(rm->entry(front).format, PixelFormat::XRGB);
    EXPECT_EQ(view.getContentRect(), (RECT{0, 0, 320, 240}));
    EXPECT_EQ(view.currentFrame(), 0);
    EXPECT_EQ(view.firstFrame(), 0);
    EXPECT_EQ(view.lastFrame(), INT_MAX);
    // Frame 0 waits in the back texture.
    EXPECT_EQ(texels(back), expectedFrame(praise, 0, 320, 240));

    IMTheoraView second;
    ASSERT_TRUE(second.openClip(praise.data(), static_cast<int>(praise.size())));
    EXPECT_NE(rm->findTexture(L"IMTheoraView1" + std::to_wstring(k + 1)), rm->invalidHandle());
}

// A screen that goes gives its clip's memory back at once: both frame textures are freed, the view
// holds none, and the frames the clock still asks for until the screen is deleted change nothing.
TEST_F(TheoraTest, ClosingAClipFreesItsFrameTexturesAndDecoderAtOnce) {
    auto* anim = new Animation(window, 0);
    const int k = IMTheoraView::clipCounter();
    ASSERT_TRUE(anim->openClip(praise.data(), static_cast<int>(praise.size())));
    anim->framePeriod = 5000;
    update();
    anim->start();
    tickAt(1000000 / 12 * 2 + 1);
    ASSERT_EQ(anim->currentFrame(), 2);

    anim->closeClip();
    EXPECT_EQ(rm->findTexture(L"IMTheoraView1" + std::to_wstring(k)), rm->invalidHandle());
    EXPECT_EQ(rm->findTexture(L"IMTheoraView2" + std::to_wstring(k)), rm->invalidHandle());
    EXPECT_FALSE(anim->hasTexture());
    const std::uint32_t handlesAfterClose = rm->handleCount();
    tickAt(1000000 / 12 * 5 + 1);
    tickAt(1000000 / 12 * 30 + 1);
    EXPECT_FALSE(anim->hasTexture());
    EXPECT_EQ(rm->handleCount(), handlesAfterClose);
    anim->closeClip(); // twice is harmless
}

TEST_F(TheoraTest, APraiseClipAt12FramesPerSecondPlaysOnceAndFinishesAfterItsLastFrame) {
    auto* anim = new Animation(window, 0);
    ASSERT_TRUE(anim->openClip(praise.data(), static_cast<int>(praise.size())));
    anim->framePeriod = 5000;
    int started = 0, advanced = 0, finished = 0;
    anim->started.connect([&](const IMEvent&) { return long(++started); });
    anim->frameAdvanced.connect([&](const IMEvent&) { return long(++advanced); });
    anim->finished.connect([&](const IMEvent&) { return long(++finished); });
    update();
    anim->start();
    EXPECT_EQ(started, 1);
    EXPECT_EQ(advanced, 1);
    for (int n = 0; n < 26; ++n) {
        tickAt((std::uint64_t(n) * 1000000 + 11) / 12);
        EXPECT_EQ(anim->currentFrame(), n);
        // Just before the next frame is due nothing changes.
        tickAt((std::uint64_t(n + 1) * 1000000) / 12 - 1);
        EXPECT_EQ(anim->currentFrame(), n);
    }
    EXPECT_EQ(advanced, 1 + 25);
    EXPECT_EQ(anim->lastFrame(), 25);
    EXPECT_EQ(finished, 0);
    tickAt(26 * 1000000 / 12 + 1);
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(anim->isPlaying());
    tickAt(40 * 1000000 / 12);
    EXPECT_EQ(finished, 1);
    anim->close();
    update();
}

TEST_F(TheoraTest, AnInstructionClipFillsATextureOfItsPictureSize) {
    auto* anim = new Animation(window, 0);
    ASSERT_TRUE(anim->openClip(instruction.data(), static_cast<int>(instruction.size())));
    EXPECT_EQ(anim->framePeriod, 2400);
    EXPECT_EQ(anim->getContentRect(), (RECT{0, 0, 800, 600}));
    const TextureHandle back = anim->backTexture();
    // The coded picture is 800 x 608: its eight padding rows are left out.
    EXPECT_EQ(rm->entry(back).textureWidth, 800);
    EXPECT_EQ(rm->entry(back).textureHeight, 600);
    EXPECT_EQ(texels(back), expectedFrame(instruction, 0, 800, 600));

    int finished = 0;
    anim->finished.connect([&](const IMEvent&) { return long(++finished); });
    update();
    anim->start();
    for (int n = 1; n < 10; ++n) {
        tickAt(std::uint64_t(n) * 40000);
        EXPECT_EQ(anim->currentFrame(), n);
    }
    EXPECT_EQ(anim->lastFrame(), 9);
    // The screen shows frame 9 now: the texture on screen holds it.
    EXPECT_EQ(texels(anim->getTexture()), expectedFrame(instruction, 9, 800, 600));
    tickAt(10 * 40000);
    EXPECT_EQ(finished, 1);
    anim->close();
    update();
}

TEST_F(TheoraTest, SkippedFramesAreDecodedButNotShown) {
    auto* anim = new Animation(window, 0);
    ASSERT_TRUE(anim->openClip(praise.data(), static_cast<int>(praise.size())));
    anim->framePeriod = 5000;
    update();
    anim->start();
    tickAt(5 * 1000000 / 12 + 10); // frames 1..4 passed unseen
    EXPECT_EQ(anim->currentFrame(), 5);
    EXPECT_EQ(anim->decodedFrame(), 6);
    anim->close();
    update();
}

TEST_F(TheoraTest, AnEarlierFrameRewindsTheClip) {
    IMTheoraView view;
    ASSERT_TRUE(view.openClip(praise.data(), static_cast<int>(praise.size())));
    for (int n = 1; n <= 10; ++n) view.showFrame(n);
    EXPECT_EQ(view.decodedFrame(), 11);
    const TextureHandle before = view.getTexture();
    view.showFrame(0);
    EXPECT_EQ(view.currentFrame(), 0);
    EXPECT_EQ(view.decodedFrame(), 1); // decoded again from the start, one ahead
    EXPECT_NE(view.getTexture(), before);
    EXPECT_EQ(texels(view.backTexture()), expectedFrame(praise, 1, 320, 240));
    // No new textures for a rewind.
    EXPECT_EQ(rm->findTexture(L"IMTheoraView1" + std::to_wstring(IMTheoraView::clipCounter())),
              rm->invalidHandle());
}

TEST_F(TheoraTest, RepeatedPicturesKeepTheirNumberAndSmallClipsKeepTheirFrames) {
    TheoraDecoder decoder;
    decoder.open(stillEnding.data(), static_cast<int>(stillEnding.size()));
    std::vector<std::uint64_t> serials;
    while (decoder.decodeFrame()) serials.push_back(decoder.pictureSerial());
    EXPECT_EQ(serials, (std::vector<std::uint64_t>{1, 2, 3, 3, 3, 3, 3, 3, 3}));
    // A rewind never brings an old number back: equal numbers always mean equal pictures.
    decoder.rewind();
    ASSERT_TRUE(decoder.decodeFrame());
    EXPECT_EQ(decoder.pictureSerial(), 4u);
}

TEST_F(TheoraTest, EveryFrameOfAStillSceneIsShownWhicheverTextureHoldsIt) {
    IMTheoraView view;
    ASSERT_TRUE(view.openClip(stillEnding.data(), static_cast<int>(stillEnding.size())));
    for (int n = 0; n < 9; ++n) {
        view.showFrame(n);
        EXPECT_EQ(texels(view.getTexture()), expectedFrame(stillEnding, n, 160, 120)) << "frame " << n;
    }
    EXPECT_EQ(view.lastFrame(), 8);
    // Back to the start (the frame ahead is decoded again) and through the still part once more.
    view.showFrame(0);
    EXPECT_EQ(texels(view.backTexture()), expectedFrame(stillEnding, 1, 160, 120));
    for (int n = 1; n < 9; ++n) {
        view.showFrame(n);
        EXPECT_EQ(texels(view.getTexture()), expectedFrame(stillEnding, n, 160, 120)) << "again, frame " << n;
    }
}

TEST_F(TheoraTest, AnAudioTrackInTheClipIsSkipped) {
    IMTheoraView view;
    ASSERT_TRUE(view.openClip(withAudio.data(), static_cast<int>(withAudio.size())));
    EXPECT_EQ(view.getContentRect(), (RECT{0, 0, 160, 120}));
    int n = 0;
    while (view.lastFrame() == INT_MAX && n < 100) view.showFrame(++n);
    EXPECT_EQ(view.lastFrame(), 7);
    EXPECT_FALSE(view.hasFailed());
}

TEST_F(TheoraTest, DamagedClipsAreReportedOnceAndFinishOnTheNextTick) {
    std::vector<std::vector<std::uint8_t>> clips;
    clips.emplace_back();                                            // nothing at all
    clips.emplace_back(praise.begin(), praise.begin() + 100);        // cut inside the headers
    clips.push_back(std::vector<std::uint8_t>(5000, 0x4F));          // not Ogg
    clips.push_back(withAudio);                                      // video headers damaged:
    const std::size_t theoraHeader = [&] {
        const std::uint8_t magic[] = {0x80, 't', 'h', 'e', 'o', 'r', 'a'};
        auto it = std::search(withAudio.begin(), withAudio.end(), magic, magic + 7);
        return static_cast<std::size_t>(it - withAudio.begin());
    }();
    ASSERT_LT(theoraHeader, withAudio.size());
    clips.back()[theoraHeader + 7] ^= 0xFF; // the major version of the identification header
    fixOggChecksums(clips.back());
    auto corrupted = praise;                                          // damaged picture data
    for (std::size_t i = 6000; i < corrupted.size(); i += 31) corrupted[i] ^= 0xA5;
    fixOggChecksums(corrupted);
    clips.push_back(corrupted);

    for (std::size_t c = 0; c < clips.size(); ++c) {
        auto* anim = new Animation(window, 0);
        testing::internal::CaptureStderr();
        anim->openClip(clips[c].data(), static_cast<int>(clips[c].size()));
        anim->framePeriod = 5000;
        int finished = 0;
        anim->finished.connect([&](const IMEvent&) { return long(++finished); });
        update();
        anim->start();
        elapsedMicros = 0;
        for (int n = 1; n <= 40 && finished == 0; ++n) tickAt(std::uint64_t(n) * 1000000 / 12 + 1);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(finished, 1) << "clip " << c;
        EXPECT_LE(std::count(log.begin(), log.end(), '\n'), 1) << log;
        if (anim->hasFailed()) {
            EXPECT_NE(log.find("Видеоролик повреждён"), std::string::npos);
        }
        anim->close();
        update();
    }
}

TEST_F(TheoraTest, ATruncatedClipEndsWhereItsDataEnds) {
    const std::vector<std::uint8_t> cut(praise.begin(), praise.begin() + static_cast<long>(praise.size() / 2));
    IMTheoraView view;
    ASSERT_TRUE(view.openClip(cut.data(), static_cast<int>(cut.size())));
    int n = 0;
    while (view.lastFrame() == INT_MAX && n < 100) view.showFrame(++n);
    EXPECT_GT(view.lastFrame(), 0);
    EXPECT_LT(view.lastFrame(), 25);
}

TEST_F(TheoraTest, HeaderErrorsCarryTheirTexts) {
    TheoraDecoder d;
    auto failure = [&](const std::vector<std::uint8_t>& bytes) {
        try {
            d.open(bytes.data(), static_cast<int>(bytes.size()));
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_EQ(failure({}), "eof searched, terminate...");
    EXPECT_EQ(failure(std::vector<std::uint8_t>(praise.begin(), praise.begin() + 200)),
              "eof searched, terminate...");
    // Cut after the first page of the other track: the Theora headers are still missing.
    std::set<std::string> texts;
    for (std::size_t n = 100; n < 9000 && n < withAudio.size(); n += 40)
        texts.insert(failure(std::vector<std::uint8_t>(withAudio.begin(), withAudio.begin() + long(n))));
    EXPECT_TRUE(texts.count("eof searched. terminate...")) << texts.size();
    // An Ogg file without a Theora stream.
    EXPECT_EQ(failure(readBytes(dataPath("tone_22050_mono.ogg"))), "error during ogg_stream_packetout");
    EXPECT_EQ(failure(praise), "");
    EXPECT_EQ(d.pictureWidth(), 320);
}

TEST_F(TheoraTest, ThePlayingClipWakesTheLoopWhenItsNextFrameIsDueAndNotBefore) {
    auto* anim = new Animation(window, 0);
    ASSERT_TRUE(anim->openClip(praise.data(), static_cast<int>(praise.size())));
    anim->framePeriod = 2400; // 25 frames a second
    update();
    anim->start();
    // {microseconds after start, the loop's wait in ms once that turn's frame is drawn}
    const std::vector<std::pair<std::uint64_t, int>> turns{
        {0, 40}, {10'000, 30}, {39'999, 1}, {40'000, 40}, {40'500, 40}, {95'000, 25}};
    for (const auto& [micros, wait] : turns) {
        tickAt(micros);
        window->render();
        EXPECT_EQ(window->idleWaitMs(), wait) << micros << " µs after start";
    }
    window->createTimer(5);
    EXPECT_EQ(window->idleWaitMs(), 5) << "a timer due sooner than the frame wins";
    anim->close();
    update();
    window->render();
    EXPECT_EQ(window->idleWaitMs(), 5) << "a closed clip wants no more turns";
}

TEST_F(TheoraTest, AClipsFrameTexturesKeepNoTexelCopyAndComeBackAfterADeviceLoss) {
    IMTheoraView view;
    ASSERT_TRUE(view.openClip(instruction.data(), static_cast<int>(instruction.size())));
    for (TextureHandle h : {view.frontTexture(), view.backTexture()}) {
        EXPECT_TRUE(rm->entry(h).texelCopy.empty()) << "the clip writes every frame itself";
        EXPECT_NE(rm->entry(h).texture, nullptr);
    }
    rm->simulateDeviceLoss();
    ASSERT_TRUE(rm->restoreDevice());
    view.showFrame(1);
    view.showFrame(2);
    for (TextureHandle h : {view.frontTexture(), view.backTexture()})
        EXPECT_NE(rm->entry(h).texture, nullptr) << "rebuilt when the clip writes it again";
    EXPECT_EQ(texels(view.frontTexture()), expectedFrame(instruction, 2, 800, 600))
        << "the frame shown is the clip's, not a blank texture";
}
