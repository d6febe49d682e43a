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
struct Role {
    const wchar_t* title;
    int y;
    const wchar_t* people[2]; // one line each, 20 pixels apart under the title
};
const Role roles[] = {
    {L"Авторы:", 90, {team}},
    {L"Руководитель проекта:", 170, {team}},
    {L"Программисты:", 230, {team}},
    {L"Художник:", 310, {team}},
    {L"Дизайнер-аниматор:", 370, {team}},
    {L"Трёхмерная графика:", 430, {team}},
};
constexpr int lineStep = 20;
const wchar_t* const courseName = L"Veskora";
constexpr POINT courseNameAt{textX, 18};
constexpr int courseNameFontSize = 25;
constexpr POINT exitAt{755, 22};

} // namespace

CreditsScreen::CreditsScreen(IMContainer* parent)
    : IMDialogBase<IMEmptyView>(parent, RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, layer) {
    createPicture(0, 0, L"DefaultBackGround", 0)->setRect(RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT});
    screens::createText(this, courseNameAt.x, courseNameAt.y, courseName, courseNameFontSize);
    for (const Role& role : roles) {
        screens::createText(this, textX, role.y, role.title, roleFontSize);
        int y = role.y;
        for (const wchar_t* person : role.people)
            if (person) screens::createText(this, textX, y += lineStep, person, personFontSize);
    }
    exitButton = createButton(exitAt.x, exitAt.y, L"ExitButton", L"", L"", L"", 0);
    using boost::placeholders::_1;
    exitButton->clicked.connect(boost::bind(&CreditsScreen::onExitClicked, this, _1));
}

long CreditsScreen::onExitClicked(const IMMouseEvent&) {
    close();
    return 0;
}
