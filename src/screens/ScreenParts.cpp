#include "screens/ScreenParts.h"

#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextureView.h"
#include "gui/IMTextView.h"

#include "resources/EmbeddedAssets.h"
#include "resources/TextureRegistry.h"

namespace screens {

EmbeddedPictures::EmbeddedPictures(std::initializer_list<const wchar_t*> names) {
    TextureRegistry* registry = textureRegistry();
    if (!registry) return;
    for (const wchar_t* name : names) {
        const resources::EmbeddedAsset* asset = resources::findEmbeddedAsset(std::wstring(name));
        if (!asset) continue;
        const TextureHandle handle = registry->loadTexture(name, asset->bytes.data(), asset->bytes.size());
        if (handle != kNoTexture) handles_.push_back(handle);
    }
}

EmbeddedPictures::~EmbeddedPictures() {
    if (TextureRegistry* registry = textureRegistry())
        for (std::uint32_t handle : handles_) registry->release(handle);
}


IMButtonBase<IMStateView>* createFamilyButton(IMContainer* into, int x, int y, const std::wstring& family,
                                              int layer) {
    return into->createButton(x, y, family, family, family + L"Nuv", family + L"Klick", layer);
}

Text* createText(IMContainer* into, int x, int y, const std::wstring& text, int fontSize, bool bold,
                 std::uint32_t colour) {
    auto* label = new Text(into, 0);
    label->setStyle(&colour, nullptr, &bold, nullptr, &fontSize, nullptr, nullptr);
    label->setText(text);
    label->setRect(label->getContentRect());
    label->moveTo(x, y);
    return label;
}

void addFrame(IMContainer* into, int width, int height) {
    const RECT edges[] = {
        {0, 0, 1, height}, {0, 0, width, 1}, {0, height - 1, width, height}, {width - 1, 0, width, height}};
    for (const RECT& edge : edges) into->createPicture(edge.left, edge.top, linePicture, 0)->setRect(edge);
}

} // namespace screens
