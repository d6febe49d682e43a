#include "screens/IMSaveAsDialog.h"

#include <boost/bind/bind.hpp>

#include "screens/ScreenParts.h"

namespace {

constexpr int width = IMSaveAsDialog::place.right - IMSaveAsDialog::place.left;
constexpr int height = IMSaveAsDialog::place.bottom - IMSaveAsDialog::place.top;
// Above the completion screen it is opened from.
constexpr int dialogLayer = 1000;
constexpr RECT fieldRect{30, 28, 330, 48};
constexpr POINT saveAt{30, 79};
constexpr POINT closeAt{221, 79};
// Between the field and the buttons.
constexpr POINT problemAt{30, 54};
// The reason is cut to what the line holds.
constexpr std::size_t problemLength = 52;

} // namespace

IMSaveAsDialog::IMSaveAsDialog(IMContainer* parent) : IMDialogBase<IMEmptyView>(parent, place, dialogLayer) {
    using boost::placeholders::_1;
    background = createPicture(0, 0, L"DefaultBackGround", 0);
    background->setRect(RECT{0, 0, width, height});
    screens::addFrame(this, width, height);
    nameField = new IMEditBar(this);
    nameField->setRect(fieldRect);
    saveButton = screens::createFamilyButton(this, saveAt.x, saveAt.y, L"SaveAsButton");
    closeButton = screens::createFamilyButton(this, closeAt.x, closeAt.y, L"CloseButton");
    closeButton->clicked.connect(boost::bind(&IMSaveAsDialog::onCloseClicked, this, _1));
    focusGained.connect(boost::bind(&IMSaveAsDialog::takeFocusToField, this, _1));
}

IMSaveAsDialog::~IMSaveAsDialog() = default;

std::wstring IMSaveAsDialog::text() const { return nameField->getText(); }

void IMSaveAsDialog::showProblem(const std::wstring& reason) {
    problem = screens::replaceProblemLine(this, problem, problemAt, reason, problemLength);
}

long IMSaveAsDialog::onCloseClicked(const IMMouseEvent&) {
    close();
    return 0;
}

long IMSaveAsDialog::takeFocusToField(const IMEvent&) {
    nameField->setFocus(true);
    return 0;
}
