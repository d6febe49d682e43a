#include "gui/IMTextureView.h"

#include <cmath>

#include "resources/IMResourceManager.h"

IMTextureView::~IMTextureView() {
    if (hasTexture_) {
        if (IMResourceManager* rm = resourceManager()) rm->release(texture_);
    }
}

void IMTextureView::setTexture(const std::wstring& name) {
    IMResourceManager* rm = resourceManager();
    if (!rm) return;
    const Handle h = rm->getTexture(name);
    if (h != texture_ || !hasTexture_) {
        const Handle n = rm->addRef(h);
        if (hasTexture_) rm->release(texture_);
        texture_ = n;
        hasTexture_ = true;
        setContentRect(n < rm->invalidHandle() ? rm->entry(n).imageRect : RECT{});
        setChanged(true);
    }
    rm->release(h);
}

void IMTextureView::setTexture(Handle handle) {
    IMResourceManager* rm = resourceManager();
    if (!rm) return;
    if (hasTexture_ && handle == texture_) return;
    const Handle n = rm->addRef(handle);
    if (hasTexture_) rm->release(texture_);
    hasTexture_ = true;
    setContentRect(n < rm->invalidHandle() ? rm->entry(n).imageRect : RECT{});
    texture_ = n;
    setChanged(true);
}

void IMTextureView::draw() {
    if (hasTexture_) {
        if (IMResourceManager* rm = resourceManager(); rm && texture_ < rm->invalidHandle())
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

    IMResourceManager* rm = resourceManager();
    if (!hasTexture_ || !rm || texture_ >= rm->invalidHandle()) return false;
    const int rw = r.right - r.left;
    const int rh = r.bottom - r.top;
    const RECT c = contentRect_;
    const int u = (c.right - c.left) * (x - r.left) / rw;
    const int v = (c.bottom - c.top) * (y - r.top) / rh;
    if (!ptInRect(c, u, v)) return false;

    rm->restoreTexture(texture_);
    const auto& e = rm->entry(texture_);
    const std::size_t offset =
        (static_cast<std::size_t>(v) * static_cast<std::size_t>(e.textureWidth) +
         static_cast<std::size_t>(u)) * 4 + 3;
    if (offset >= e.texelCopy.size()) return false;
    const int a = e.texelCopy[offset];
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
