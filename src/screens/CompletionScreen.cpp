#include "screens/CompletionScreen.h"

#include <boost/bind/bind.hpp>

#include "gui/IMTextureView.h"
#include "screens/CompletionHost.h"
#include "screens/ScreenParts.h"

namespace {

using screens::centred;
using screens::TextPlace;

const wchar_t* const backgroundPicture = L"DefaultBackGround";

const TextPlace subtitle{L"Orvanel", 14, false, {centred, 10}};
const TextPlace courseName{L"Veskora", 18, true, {centred, 35}};
const TextPlace heading{L"ЗАДАНИЕ ВЫПОЛНЕНО", 24, false, {centred, 150}};
const TextPlace captions[] = {{L"Номер ЦОР:", 18, true, {30, 250}},
                              {L"Название:", 18, true, {30, 300}},
                              {L"Ученик:", 18, true, {30, 350}},
                              {L"Статистика:", 18, true, {30, 465}}};
const TextPlace numberPlace{nullptr, 18, false, {135, 250}};
const TextPlace titlePlace{nullptr, 18, false, {135, 300}};
const TextPlace pupilPlace{nullptr, 18, false, {135, 350}};
constexpr POINT footerAt{centred, 575};
constexpr int footerFontSize = 14;

struct ButtonPlace {
    POINT at;
    const wchar_t* family; // the normal picture; + "Nuv" hovered, + "Klick" pressed
};
constexpr ButtonPlace printPlace{{30, 490}, L"PrintButton"};
constexpr ButtonPlace saveAsPlace{{128, 490}, L"SaveAsButton"};
constexpr ButtonPlace retryPlace{{535, 490}, L"RetryButton"};
constexpr ButtonPlace closePlace{{660, 490}, L"CloseButton"};
constexpr POINT exitAt{755, 22};

IMButtonBase<IMStateView>* makeButton(IMContainer* into, const ButtonPlace& place) {
    return screens::createFamilyButton(into, place.at.x, place.at.y, place.family);
}

void greyOut(IMButtonBase<IMStateView>* button) {
    button->disable();
    button->color = CompletionScreen::greyedColour;
    button->setChanged(true);
}

} // namespace

CompletionScreen::CompletionScreen(IMContainer* parent, CompletionHost& host, const Texts& texts)
    : IMDialogBase<IMEmptyView>(parent, RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 0), host_(host) {
    using boost::placeholders::_1;
    createPicture(0, 0, backgroundPicture, 0)->setSize(getWidth(), getHeight());
    for (const TextPlace* text : {&subtitle, &courseName, &heading}) screens::placeText(this, *text, text->text);
    for (const TextPlace& caption : captions) screens::placeText(this, caption, caption.text);
    screens::placeText(this, numberPlace, texts.number);
    screens::placeText(this, titlePlace, texts.title);
    screens::placeText(this, pupilPlace, texts.pupilName);
    if (!texts.footer.empty())
        screens::placeText(this, TextPlace{nullptr, footerFontSize, false, footerAt}, texts.footer)
            ->setTextColor(footerColour);

    printButton = makeButton(this, printPlace);
    saveAsButton = makeButton(this, saveAsPlace);
    if (host_.hasReport()) {
        printButton->clicked.connect([this](const IMMouseEvent&) { return host_.showPrintDialog(); });
        saveAsButton->clicked.connect([this](const IMMouseEvent&) { return host_.showSaveAsDialog(); });
    } else {
        greyOut(printButton);
        greyOut(saveAsButton);
    }
    retryButton = makeButton(this, retryPlace);
    retryButton->clicked.connect(boost::bind(&CompletionScreen::onRetry, this, _1));
    closeButton = makeButton(this, closePlace);
    closeButton->clicked.connect(boost::bind(&CompletionScreen::onCloseClicked, this, _1));
    exitButton = createButton(exitAt.x, exitAt.y, L"ExitButton", L"", L"", L"", 0);
    exitButton->clicked.connect(boost::bind(&CompletionScreen::onCloseClicked, this, _1));
    keyMessage.connect(boost::bind(&CompletionScreen::onCompletionScreenKey, this, _1));
}

long CompletionScreen::onCompletionScreenKey(const IMKeyboardEvent& e) {
    if (e.message != WM_KEYDOWN || e.wParam != enterKey || leaving_) return 0;
    leaving_ = true;
    host_.startAnotherRun();
    close();
    return 0;
}

long CompletionScreen::onRetry(const IMMouseEvent&) {
    if (leaving_) return 0;
    leaving_ = true;
    host_.showStartScreen();
    close();
    return 0;
}

long CompletionScreen::onCloseClicked(const IMMouseEvent&) {
    host_.exitProgram();
    return 0;
}
