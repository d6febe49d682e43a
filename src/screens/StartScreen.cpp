#include "screens/StartScreen.h"

#include <boost/bind/bind.hpp>

#include "gui/IMTextureView.h"
#include "screens/ScreenHost.h"
#include "screens/ScreenParts.h"

namespace {

const wchar_t* const backgroundPicture = L"DefaultBackGround";

using screens::centred;
using screens::TextPlace;

const TextPlace subtitle{L"Orvanel", 14, false, {centred, 10}};
const TextPlace courseName{L"Veskora", 18, true, {centred, 35}};
const TextPlace captions[] = {
    {L"Номер ЦОР:", 18, true, {30, 115}}, {L"Название:", 18, true, {30, 152}},
    {L"Описание:", 18, true, {30, 188}},  {L"Ученик:", 18, true, {30, 460}},
    {L"Клавиши:", 18, true, {30, 520}},
};
const TextPlace numberPlace{nullptr, 18, false, {135, 115}};
const TextPlace titlePlace{nullptr, 18, false, {135, 152}};

struct KeyLegend {
    const wchar_t* picture;
    POINT pictureAt;
    const wchar_t* legend;
    POINT legendAt;
};
constexpr int legendFontSize = 16;
const KeyLegend keyLegends[] = {
    {L"EscButton", {135, 517}, L"- пропустить инструкцию;", {180, 520}},
    {L"F1Button", {350, 517}, L"- повторить инструкцию;", {395, 520}},
    {L"F12Button", {555, 517}, L"- выход", {600, 520}},
};

constexpr RECT nameFieldRect{135, 460, 655, 480};
constexpr POINT startAt{690, 450};
constexpr POINT exitAt{755, 22};
constexpr POINT settingsAt{665, 510};

constexpr int descriptionFontSize = 18;
// The text is laid out in a page this tall at first; the page then takes the text's height.
constexpr int firstPageHeight = 415;
// The page's height when the description has none.
constexpr int emptyPageHeight = 235;

// Between the description and the name, where the teacher sees it before typing a name.
constexpr POINT noticeAt{135, 432};
constexpr int noticeFontSize = 16;
constexpr std::uint32_t noticeColour = 0xFFB00000;

screens::Text* place(IMContainer* into, const TextPlace& where, const std::wstring& text) {
    return screens::placeText(into, where, text);
}

int height(const RECT& r) { return r.bottom - r.top; }
int width(const RECT& r) { return r.right - r.left; }

} // namespace

StartScreen::StartScreen(IMContainer* parent, ScreenHost& host, const Texts& texts)
    : IMDialogBase<IMEmptyView>(parent, RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 0), host_(host) {
    using boost::placeholders::_1;
    background_ = createPicture(0, 0, backgroundPicture, 0);
    background_->setSize(getWidth(), getHeight());
    place(this, subtitle, subtitle.text);
    place(this, courseName, courseName.text);
    for (const TextPlace& caption : captions) place(this, caption, caption.text);
    place(this, numberPlace, texts.number);
    place(this, titlePlace, texts.title);
    buildDescription(texts.description);

    nameField = new IMEditBar(this);
    nameField->setRect(nameFieldRect);
    startButton = screens::createFamilyButton(this, startAt.x, startAt.y, L"StartPopStartButton");
    startButton->clicked.connect(boost::bind(&StartScreen::onStart, this, _1));
    exitButton = createButton(exitAt.x, exitAt.y, L"ExitButton", L"", L"", L"", 0);
    exitButton->clicked.connect(boost::bind(&StartScreen::onExit, this, _1));
    for (const KeyLegend& key : keyLegends) {
        createPicture(key.pictureAt.x, key.pictureAt.y, key.picture, 0, 0xFFFFFFFF);
        screens::createText(this, key.legendAt.x, key.legendAt.y, key.legend, legendFontSize);
    }
    settingsButton = screens::createFamilyButton(this, settingsAt.x, settingsAt.y, L"OptionsButton");
    settingsButton->clicked.connect(boost::bind(&StartScreen::onSettings, this, _1));
    if (!texts.notice.empty())
        noticeText = screens::createText(this, noticeAt.x, noticeAt.y, texts.notice, noticeFontSize, false,
                                         noticeColour);

    keyMessage.connect(boost::bind(&StartScreen::onKeyMessage, this, _1));
    nameField->setFocus(true);
}

void StartScreen::buildDescription(const std::wstring& description) {
    using boost::placeholders::_1;
    using boost::placeholders::_2;
    const int pageWidth = width(viewportRect);
    viewport = createDialog(viewportRect.left, viewportRect.top, pageWidth, height(viewportRect), 0);
    page = viewport->createDialog(0, 0, pageWidth, firstPageHeight, 0);
    descriptionText = new screens::Text(page, 0);
    const std::uint32_t colour = screens::captionColour;
    const int size = descriptionFontSize;
    descriptionText->setStyle(&colour, nullptr, nullptr, nullptr, &size, nullptr, nullptr);
    descriptionText->wrap = true;
    descriptionText->setRect(RECT{0, 0, pageWidth, firstPageHeight});
    descriptionText->setText(description);
    descriptionText->setRect(descriptionText->getContentRect());
    const int textHeight = descriptionText->getHeight();
    const int pageHeight = textHeight > 0 ? textHeight : emptyPageHeight;
    page->setRect(RECT{0, 0, pageWidth, pageHeight});

    scroll = new IMScroll(this, &scrollRect);
    scroll->minValue = 0;
    scroll->maxValue = pageHeight;
    scroll->pageSize = height(viewportRect);
    scroll->setPosition(scroll->position());
    scroll->layout();
    if (textHeight <= scroll->pageSize) scroll->hide();
    scroll->scrolled.connect(boost::bind(&StartScreen::onScrolled, this, _1, _2));
    viewport->mouseButton.connect(boost::bind(&StartScreen::onWheel, this, _1));
}

void StartScreen::start() {
    if (started_) return;
    started_ = true;
    const std::wstring name = nameField->getText();
    // The instruction and its clip open now, while this screen only goes at the next update pass:
    // its full-screen background (3.7 MiB with its device texture) is given back first, so that
    // the two are never held at once. Nothing draws this screen again.
    background_->releaseTexture();
    host_.startWithName(name);
    close();
}

long StartScreen::onStart(const IMMouseEvent&) {
    start();
    return 0;
}

long StartScreen::onKeyMessage(const IMKeyboardEvent& e) {
    if (e.wParam == VK_RETURN) start();
    return 0;
}

long StartScreen::onExit(const IMMouseEvent&) {
    host_.exitProgram();
    return 0;
}

long StartScreen::onSettings(const IMMouseEvent&) {
    using boost::placeholders::_1;
    if (IMControl* settings = host_.openSettings())
        settings->closed.connect(boost::bind(&StartScreen::onSettingsClosed, this, _1));
    return 0;
}

long StartScreen::onSettingsClosed(const IMEvent&) {
    // Typing goes back to the name, as it was before the page opened.
    setFocus(true);
    nameField->setFocus(true);
    return 0;
}

long StartScreen::onScrolled(const IMEvent&, int position) {
    RECT r = page->getRect();
    const int pageHeight = height(r);
    r.top = -position;
    r.bottom = r.top + pageHeight;
    page->setRect(r);
    return 0;
}

long StartScreen::onWheel(const IMMouseEvent& e) {
    if (e.message != WM_MOUSEWHEEL || scroll->isHidden()) return 0;
    const int delta = static_cast<std::int16_t>(static_cast<std::uint16_t>(e.wParam >> 16));
    // One notch is one press of an arrow of the bar; a notch upwards shows earlier lines.
    const int notches = delta / 120;
    scroll->setPosition(scroll->position() - notches * (scroll->pageSize / 10));
    return 0;
}
