#include "screens/ScreenParts.h"

#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextureView.h"
#include "gui/IMTextView.h"

namespace screens {

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
