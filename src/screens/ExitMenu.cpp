#include "screens/ExitMenu.h"

#include <boost/bind/bind.hpp>

#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextureView.h"
#include "screens/ScreenHost.h"
#include "screens/ScreenParts.h"

namespace {

// The veil: the one-pixel line picture stretched over the screen, tinted translucent blue.
constexpr std::uint32_t veilColour = 0x4B000096;

constexpr int panelWidth = 136;
constexpr int panelHeight = 200;
// The panel's background picture is taller than the panel and centred on it.
constexpr RECT panelBackground{0, -100, panelWidth, panelHeight + 100};
const wchar_t* const panelBackgroundPicture = L"DefaultBackGround";

struct ButtonPlace {
    int x;
    int y;
    const wchar_t* family; // the normal picture; + "Nuv" hovered, + "Klick" pressed
};
constexpr ButtonPlace retryPlace{10, 20, L"RetryButton"};
constexpr ButtonPlace closePlace{10, 80, L"CloseButton"};
constexpr ButtonPlace cancelPlace{10, 140, L"CancelButton"};

IMButtonBase<IMStateView>* makeButton(IMContainer* into, const ButtonPlace& place) {
    return screens::createFamilyButton(into, place.x, place.y, place.family);
}

} // namespace

ExitMenu::ExitMenu(IMContainer* parent, ScreenHost& host)
    : IMDialogBase<IMEmptyView>(parent, RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, layer), host_(host) {
    auto* veil = createPicture(0, 0, screens::linePicture, 0, veilColour);
    veil->setRect(RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT});

    panel = createDialog((SCREEN_WIDTH - panelWidth) / 2, (SCREEN_HEIGHT - panelHeight) / 2, panelWidth,
                         panelHeight, 1);
    panel->createPicture(0, 0, panelBackgroundPicture, 0)->setRect(panelBackground);
    using boost::placeholders::_1;
    retryButton = makeButton(panel, retryPlace);
    retryButton->clicked.connect(boost::bind(&ExitMenu::onRetry, this, _1));
    closeButton = makeButton(panel, closePlace);
    closeButton->clicked.connect(boost::bind(&ExitMenu::onCloseClicked, this, _1));
    cancelButton = makeButton(panel, cancelPlace);
    cancelButton->clicked.connect(boost::bind(&ExitMenu::onCancel, this, _1));
    screens::addFrame(panel, panelWidth, panelHeight);
}

long ExitMenu::onRetry(const IMMouseEvent&) { return host_.returnToStart(); }

long ExitMenu::onCloseClicked(const IMMouseEvent&) {
    host_.exitProgram();
    return 0;
}

long ExitMenu::onCancel(const IMMouseEvent&) { return host_.closeExitMenu(); }
