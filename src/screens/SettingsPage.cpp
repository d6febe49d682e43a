#include "screens/SettingsPage.h"

#include <boost/bind/bind.hpp>

#include "events/WinTypes.h"
#include "gui/IMTextureView.h"
#include "screens/ScreenParts.h"

namespace {

const wchar_t* const backgroundPicture = L"DefaultBackGround";
const wchar_t* const titleText = L"Настройки";
constexpr int titleY = 20;
constexpr int titleFontSize = 24;
constexpr int captionFontSize = 18;
constexpr int fieldWidth = 60;
constexpr int fieldHeight = 20;
constexpr POINT submitAt{620, 541};
constexpr int noField = -1;

struct Row {
    const wchar_t* caption;
    POINT captionAt;
    int fieldX; // noField: a stage heading; otherwise the next field, on the caption's line
};

// Top to bottom; the fields take their numbers in this order. The radius captions of stages 1-3
// have no blank before the parenthesis; "х" in the last one is Cyrillic.
const Row rows[] = {
    {L"Этап 1 \"Горизонтальные перемещения\"", {20, 66}, noField},
    {L"число перемещений (1-20):", {20, 92}, 280},
    {L"начальный радиус(20-100):", {370, 92}, 605},
    {L"Начальное расстояние (100-650):", {20, 118}, 280},
    {L"Конечное расстояние (100-650):", {370, 118}, 605},
    {L"Этап 2 \"Вертикальные перемещения\"", {20, 170}, noField},
    {L"число перемещений (1-20):", {20, 196}, 280},
    {L"начальный радиус(20-100):", {370, 196}, 605},
    {L"Начальное расстояние (100-400):", {20, 222}, 280},
    {L"Конечное расстояние (100-400):", {370, 222}, 605},
    {L"Этап 3 \"Смешанные перемещения\"", {20, 274}, noField},
    {L"число перемещений (1-20):", {20, 300}, 280},
    {L"начальный радиус(20-100):", {370, 300}, 605},
    {L"Этап 4 \"Случайные смешанные перемещения\"", {20, 352}, noField},
    {L"число перемещений (1-20):", {20, 378}, 280},
    {L"начальный радиус (20-100):", {370, 378}, 605},
    {L"Начальное расстояние (100-400):", {20, 404}, 280},
    {L"Конечное расстояние (100-400):", {370, 404}, 605},
    {L"Этап 5 \"Случайные угловые перемещения\"", {20, 430}, noField},
    {L"число перемещений (1-20):", {20, 456}, 280},
    {L"начальный радиус (20-100):", {370, 456}, 605},
    {L"Начальное расстояние (100-400):", {20, 482}, 280},
    {L"Конечное расстояние (100-400):", {370, 482}, 605},
    {L"Этап 6 \"Перемещения по всей длине экрана с замедленным курсором\"", {20, 534}, noField},
    {L"коэффициент замедления курсора от 2х до 5х:", {20, 560}, 370},
};

} // namespace

SettingsPage::SettingsPage(IMContainer* parent, screens::SettingsStore& store)
    : IMDialogBase<IMEmptyView>(parent, parent ? parent->getRect() : RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 0),
      store_(store), defaults_(store.defaultValues()) {
    const int width = getWidth();
    createPicture(0, 0, backgroundPicture, 0)->setSize(width, getHeight());
    auto* title = screens::createText(this, 0, titleY, titleText, titleFontSize);
    title->moveTo(width / 2 - title->getWidth() / 2, titleY);

    std::size_t next = 0;
    for (const Row& row : rows) {
        screens::createText(this, row.captionAt.x, row.captionAt.y, row.caption, captionFontSize);
        if (row.fieldX == noField) continue;
        auto* edit = new IMEditBar(this);
        edit->setRect(RECT{row.fieldX, row.captionAt.y, row.fieldX + fieldWidth, row.captionAt.y + fieldHeight});
        fields.at(next) = edit;
        showDefault(next);
        ++next;
    }

    submitButton = screens::createFamilyButton(this, submitAt.x, submitAt.y, L"SubmitButton");
    using boost::placeholders::_1;
    submitButton->clicked.connect(boost::bind(&SettingsPage::onSubmit, this, _1));
    keyDown.connect(boost::bind(&SettingsPage::onKeyDown, this, _1));
    fields.front()->setFocus(true);
}

void SettingsPage::showDefault(std::size_t field) {
    fields.at(field)->setText(std::to_wstring(defaults_.at(field)));
}

bool SettingsPage::submit() {
    screens::SettingsTexts texts;
    for (std::size_t i = 0; i < fields.size(); ++i) texts[i] = fields[i]->getText();
    screens::SettingsValues values = store_.valuesInForce();
    const screens::SettingsSubmit outcome = screens::validateSettings(texts, defaults_, values);
    // What passed stays in force even when other fields failed.
    store_.putInForce(values);
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (outcome.reset[i]) showDefault(i);
    if (outcome.allValid) close();
    return outcome.allValid;
}

long SettingsPage::onSubmit(const IMMouseEvent&) {
    submit();
    return 0;
}

long SettingsPage::onKeyDown(const IMKeyboardEvent& e) {
    if (e.wParam != VK_TAB) return 0;
    // The typing position moves on to the next field, from the last back to the first.
    std::size_t next = 0;
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i]->hasFocus()) next = (i + 1) % fields.size();
    fields[next]->setFocus(true);
    return 0;
}
