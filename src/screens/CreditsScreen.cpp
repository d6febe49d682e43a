#include "screens/CreditsScreen.h"

#include <boost/bind/bind.hpp>

#include "gui/IMTextureView.h"
#include "screens/ScreenParts.h"

namespace {

constexpr int textX = 22;
constexpr int roleFontSize = 21;
constexpr int personFontSize = 20;

// The people behind each role. No one is named to us, so the team stands under every role; a
// school that knows the people puts their names (surname and initials) here.
const wchar_t* const team = L"Команда проекта Tavrelo";
struct CreditLine {
    const wchar_t* text;
    int fontSize;
    int y;
};
const CreditLine lines[] = {
    {L"Veskora", 25, 18},
    {L"Авторы:", roleFontSize, 90},
    {team, personFontSize, 110},
    {L"Руководитель проекта:", roleFontSize, 170},
    {team, personFontSize, 190},
    {L"Программисты:", roleFontSize, 230},
    {team, personFontSize, 250},
    {L"Художник:", roleFontSize, 310},
    {team, personFontSize, 330},
    {L"Дизайнер-аниматор:", roleFontSize, 370},
    {team, personFontSize, 390},
    {L"Трёхмерная графика:", roleFontSize, 430},
    {team, personFontSize, 450},
};
constexpr POINT exitAt{755, 22};

} // namespace

CreditsScreen::CreditsScreen(IMContainer* parent)
    : IMDialogBase<IMEmptyView>(parent, RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, layer) {
    createPicture(0, 0, L"DefaultBackGround", 0)->setRect(RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT});
    for (const CreditLine& line : lines) screens::createText(this, textX, line.y, line.text, line.fontSize);
    exitButton = createButton(exitAt.x, exitAt.y, L"ExitButton", L"", L"", L"", 0);
    using boost::placeholders::_1;
    exitButton->clicked.connect(boost::bind(&CreditsScreen::onExitClicked, this, _1));
}

long CreditsScreen::onExitClicked(const IMMouseEvent&) {
    close();
    return 0;
}
