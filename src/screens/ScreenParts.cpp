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

Text* replaceProblemLine(IMContainer* into, Text* before, POINT at, const std::wstring& reason,
                         std::size_t maxChars) {
    if (before) before->close();
    if (reason.empty()) return nullptr;
    const std::wstring line = reason.size() > maxChars ? reason.substr(0, maxChars - 1) + L"…" : reason;
    return createText(into, at.x, at.y, line, problemFontSize, false, problemColour);
}

Text* placeText(IMContainer* into, const TextPlace& where, const std::wstring& text) {
    Text* label = createText(into, where.at.x, where.at.y, text, where.fontSize, where.bold);
    if (where.at.x == centred) label->moveTo(into->getWidth() / 2 - label->getWidth() / 2, where.at.y);
    return label;
}

} // namespace screens
