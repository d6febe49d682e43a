#pragma once
// A texture view that shows an Ogg Theora clip held in memory. Two frame textures alternate: the
// one on screen and the one holding the next frame, decoded one request ahead.

#include <climits>
#include <cstdint>
#include <string>

#include "gui/IMTextureView.h"
#include "media/IMAnimationView.h"
#include "media/TheoraDecoder.h"

class IMTheoraView : public IMTextureView, public IMAnimationView {
public:
    IMTheoraView() = default;
    ~IMTheoraView() override;

    // Reads the headers, makes the two frame textures, shows the first and decodes frame 0 into
    // the other. A damaged clip is reported once on standard error and leaves the view as a clip
    // that has ended; the result is then false. The bytes stay owned by the caller.
    bool openClip(const void* data, int size);
    // Gives back the decoder and both frame textures at once, for a screen that is going: the view
    // draws nothing from now on, and the next screen is built without the clip's memory beside it.
    void closeClip();

    void showFrame(int n) override;
    int currentFrame() const override { return current_; }
    int firstFrame() const override { return first_; }
    int lastFrame() const override { return last_; }
    void setFirstFrame(int n) override { first_ = n; }
    void setLastFrame(int n) override { last_ = n; }
    bool hasFailed() const override { return failed_; }

    Handle frontTexture() const { return frontTexture_; }
    Handle backTexture() const { return backTexture_; }
    // Number of the frame now held by the decoder (-1 right after a rewind).
    int decodedFrame() const { return decoded_; }
    // The counter that numbers the frame textures of the next opened clip.
    static int clipCounter();

private:
    // Returns false when the clip is exhausted (lastFrame then becomes finite).
    bool decodeOneFrame();
    void decodingPass();
    // Converts the decoder's picture into the back texture unless that texture holds it already
    // (a still scene repeats a picture for many frames).
    void convertIntoBackTexture();
    void releaseFrameTextures();
    void fail(const char* what);

    TheoraDecoder decoder_;
    const std::uint8_t* clipData_ = nullptr;
    int clipSize_ = 0;
    int current_ = 0;
    int last_ = INT_MAX;
    int first_ = 0;
    Handle frontTexture_ = 0;
    Handle backTexture_ = 0;
    // The decoder's picture serial each texture holds; 0 for none.
    std::uint64_t frontPicture_ = 0;
    std::uint64_t backPicture_ = 0;
    bool haveTextures_ = false;
    int decoded_ = 0;
    int wanted_ = 0;
    bool failed_ = false;
};
