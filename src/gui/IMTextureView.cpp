#include "gui/IMTextureView.h"

#include <cmath>
#include <optional>

#include "resources/TextureRegistry.h"

IMTextureView::~IMTextureView() {
    if (hasTexture_) {
        if (TextureRegistry* rm = textureRegistry()) rm->release(texture_);
    }
}

void IMTextureView::setTexture(const std::wstring& name) {
    TextureRegistry* rm = textureRegistry();
    if (!rm) return;
    const Handle h = rm->getTexture(name);
    if (hasTexture_ && h == texture_) {
        rm->release(h);
        return;
    }
    holdTexture(*rm, h);
}

void IMTextureView::setTexture(Handle handle) {
    TextureRegistry* rm = textureRegistry();
    if (!rm) return;
    if (hasTexture_ && handle == texture_) return;
    holdTexture(*rm, rm->addRef(handle));
}

void IMTextureView::releaseTexture() {
    if (TextureRegistry* rm = textureRegistry(); rm && hasTexture_) holdTexture(*rm, rm->invalidHandle());
}

void IMTextureView::holdTexture(TextureRegistry& rm, Handle referenced) {
    if (hasTexture_) rm.release(texture_);
    // A texture that could not be had (unknown name, damaged file, no device texture) leaves the
    // view with none: holding the invalid handle would draw, and later release, whatever texture
    // is registered next under that number.
    hasTexture_ = rm.isLive(referenced);
    texture_ = hasTexture_ ? referenced : 0;
    setContentRect(hasTexture_ ? rm.imageRect(referenced) : RECT{});
    setChanged(true);
}

void IMTextureView::draw() {
    if (hasTexture_) {
        if (TextureRegistry* rm = textureRegistry(); rm && rm->isLive(texture_))
            rm->drawTexture(texture_, getRect(), &contentRect_, color, angle);
    }
    changed_ = false;
}

bool IMTextureView::hitTest(const POINT& p) {
    const RECT r = getRect();
    const int cx = r.left + (r.right - r.left) / 2;
    const int cy = r.top + (r.bottom - r.top) / 2;
    // Undo the view's rotation so the test follows the drawn shape.
    const float cosA = std::cos(-angle);
    const float sinA = std::sin(-angle);
    const int dx = p.x - cx;
    const int dy = p.y - cy;
    const int x = static_cast<int>(static_cast<float>(cx) + cosA * static_cast<float>(dx) -
                                   sinA * static_cast<float>(dy));
    const int y = static_cast<int>(static_cast<float>(cy) + sinA * static_cast<float>(dx) +
                                   cosA * static_cast<float>(dy));
    if (!ptInRect(r, x, y)) return false;

    TextureRegistry* rm = textureRegistry();
    if (!hasTexture_ || !rm || !rm->isLive(texture_)) return false;
    const int rw = r.right - r.left;
    const int rh = r.bottom - r.top;
    const RECT c = contentRect_;
    const int u = (c.right - c.left) * (x - r.left) / rw;
    const int v = (c.bottom - c.top) * (y - r.top) / rh;
    if (!ptInRect(c, u, v)) return false;

    rm->restoreTexture(texture_);
    const std::optional<int> alpha = rm->entry(texture_).alphaAt(u, v);
    if (!alpha) return false;
    const int a = *alpha;
    const int colorAlpha = static_cast<int>(color >> 24);
    return (colorAlpha / 255) * a >= alphaThreshold;
}

void IMStateView::setStateTextures(const std::wstring& normal, const std::wstring& disabled,
                                   const std::wstring& hovered, const std::wstring& pressed) {
    stateTextures_[Normal] = normal;
    stateTextures_[Disabled] = disabled.empty() ? normal : disabled;
    stateTextures_[Hovered] = hovered.empty() ? normal : hovered;
    stateTextures_[Pressed] = pressed.empty() ? normal : pressed;
    setTexture(stateTextures_[state_]);
}

void IMStateView::showState(int key) {
    auto it = stateTextures_.find(key);
    if (it != stateTextures_.end()) setTexture(it->second);
    state_ = key;
}
