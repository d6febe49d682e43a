#include "media/IMTheoraView.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "platform/Platform.h"
#include "resources/ResourceProblems.h"
#include "resources/TextureRegistry.h"

namespace {
int g_clipCounter = 0;
} // namespace

int IMTheoraView::clipCounter() { return g_clipCounter; }

IMTheoraView::~IMTheoraView() { releaseFrameTextures(); }

void IMTheoraView::releaseFrameTextures() {
    if (!haveTextures_) return;
    if (TextureRegistry* rm = textureRegistry()) {
        rm->release(frontTexture_);
        rm->release(backTexture_);
    }
    haveTextures_ = false;
    frontPicture_ = 0;
    backPicture_ = 0;
}

void IMTheoraView::fail(const char* what) {
    // Reported once; from now on the view behaves as a clip that has ended.
    if (!failed_) {
        // Clips arrive as bare bytes; an embedded one is named after the asset that holds them.
        const std::wstring name = resources::embeddedAssetNameOf(clipData_);
        if (name.empty())
            platform::debugOutput(L"Видеоролик повреждён: " + platform::utf8ToWide(what) + L"\n");
        else
            resources::reportResourceProblem(resources::ResourceKind::Clip, name, what);
    }
    failed_ = true;
    if (last_ == INT_MAX) last_ = std::max(decoded_, 0);
}

void IMTheoraView::closeClip() {
    releaseFrameTextures();
    releaseTexture();
    decoder_.close();
}

bool IMTheoraView::openClip(const void* data, int size) {
    releaseFrameTextures();
    clipData_ = static_cast<const std::uint8_t*>(data);
    clipSize_ = size;
    current_ = 0;
    first_ = 0;
    last_ = INT_MAX;
    decoded_ = 0;
    wanted_ = 0;
    failed_ = false;
    try {
        decoder_.open(clipData_, clipSize_);
        const int width = decoder_.pictureWidth();
        const int height = decoder_.pictureHeight();
        const std::wstring k = std::to_wstring(g_clipCounter);
        if (TextureRegistry* rm = textureRegistry()) {
            using Texels = TextureRegistry::Texels;
            frontTexture_ = rm->createTexture(L"IMTheoraView1" + k, width, height, PixelFormat::XRGB,
                                              Texels::OwnerFilled);
            backTexture_ = rm->createTexture(L"IMTheoraView2" + k, width, height, PixelFormat::XRGB,
                                             Texels::OwnerFilled);
            haveTextures_ = true;
        }
        ++g_clipCounter;
        if (haveTextures_) setTexture(frontTexture_);
        setContentRect(RECT{0, 0, width, height});
        if (decodeOneFrame()) {
            convertIntoBackTexture();
        } else {
            current_ = 0;
        }
        return true;
    } catch (const std::exception& e) {
        fail(e.what());
        return false;
    }
}

bool IMTheoraView::decodeOneFrame() {
    if (!decoder_.decodeFrame()) {
        last_ = decoded_;
        return false;
    }
    return true;
}

void IMTheoraView::convertIntoBackTexture() {
    TextureRegistry* rm = textureRegistry();
    if (!rm || !haveTextures_ || !rm->isLive(backTexture_) || !decoder_.hasFrame()) return;
    if (backPicture_ == decoder_.pictureSerial()) return;
    const TextureEntry& entry = rm->entry(backTexture_);
    const media::Plane y = decoder_.plane(0);
    const media::Plane cb = decoder_.plane(1);
    const media::Plane cr = decoder_.plane(2);
    // The whole decoded picture (e.g. 800 x 608) from the top-left corner, as far as it fits.
    const int width = std::min(y.width, entry.textureWidth);
    const int height = std::min(y.height, entry.textureHeight);
    rm->fillTexture(backTexture_, [&](std::uint8_t* texels, int pitch, int, int) {
        media::convertYCbCrToXrgb(y, cb, cr, texels, pitch, width, height);
    });
    backPicture_ = decoder_.pictureSerial();
}

void IMTheoraView::showFrame(int n) {
    current_ = n;
    wanted_ = n;
    if (haveTextures_) setTexture(backTexture_);
    wanted_ = n + 1;
    std::swap(frontTexture_, backTexture_);
    std::swap(frontPicture_, backPicture_);
    if (failed_ || !decoder_.isOpen()) return;
    try {
        decodingPass();
    } catch (const std::exception& e) {
        fail(e.what());
    }
}

void IMTheoraView::decodingPass() {
    if (wanted_ < decoded_) {
        decoder_.rewind();
        decoded_ = -1;
    }
    while (decoded_ < wanted_ && wanted_ < last_) {
        if (!decodeOneFrame()) break;
        ++decoded_;
    }
    TextureRegistry* rm = textureRegistry();
    if (decoded_ == wanted_ && rm && !rm->isDeviceLost()) convertIntoBackTexture();
}
