#pragma once
// Views that draw one registered texture, and the state view that picks one of several textures
// by a state key (0 normal, 1 disabled, 3 hovered, 4 pressed).

#include <cstdint>
#include <map>
#include <string>

#include "gui/IMView.h"

class TextureRegistry;

class IMTextureView : public IMView {
public:
    using Handle = std::uint32_t;

    ~IMTextureView() override;

    virtual void setTexture(const std::wstring& name);
    virtual void setTexture(Handle handle);
    // Lets go of the texture: the view draws nothing and is hit nowhere from now on.
    void releaseTexture();
    Handle getTexture() const { return texture_; }
    bool hasTexture() const { return hasTexture_; }

    void draw() override;
    bool hitTest(const POINT& p) override;

    std::uint32_t color = 0xFFFFFFFF;
    float angle = 0.0f;
    int alphaThreshold = 255;

protected:
    Handle texture_ = 0;
    bool hasTexture_ = false;

private:
    // Takes over one reference already counted (or an invalid handle) in place of the current one.
    void holdTexture(TextureRegistry& registry, Handle referenced);
};

class IMStateView : public IMTextureView {
public:
    enum StateKey { Normal = 0, Disabled = 1, Hovered = 3, Pressed = 4 };

    void setStateTextures(const std::wstring& normal, const std::wstring& disabled,
                          const std::wstring& hovered, const std::wstring& pressed);
    // Shows the texture stored under `key` and records the key.
    void showState(int key);
    int getState() const { return state_; }
    const std::map<int, std::wstring>& stateTextures() const { return stateTextures_; }

protected:
    int state_ = 0;
    std::map<int, std::wstring> stateTextures_;
};
