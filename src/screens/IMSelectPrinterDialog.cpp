#include "screens/IMSelectPrinterDialog.h"

#include <boost/bind/bind.hpp>

#include "events/WideText.h"
#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextView.h"
#include "platform/print/CairoPrinterDeviceContext.h"
#include "platform/print/PrinterList.h"
#include "screens/ScreenParts.h"

namespace {

// Centred on the 800 x 600 screen.
constexpr RECT dialogRect{220, 125, 580, 375};
constexpr int width = dialogRect.right - dialogRect.left;
constexpr int height = dialogRect.bottom - dialogRect.top;
const wchar_t* const backgroundPicture = L"DefaultBackGround";
constexpr POINT captionAt{30, 38};
const wchar_t* const captionText = L"Выберите принтер:";
constexpr std::uint32_t captionColour = 0xFF000000;
constexpr RECT listRect{30, 58, 330, 158};
constexpr POINT printAt{30, 179};
constexpr POINT closeAt{221, 179};
// Between the list and the buttons.
constexpr POINT problemAt{30, 161};
constexpr std::size_t problemLength = 52;

} // namespace

IMSelectPrinterDialog::IMSelectPrinterDialog(IMContainer* parent)
    : IMDialogBase<IMEmptyView>(parent, dialogRect, 0) {
    auto* background = createPicture(0, 0, backgroundPicture, 0);
    background->setSize(width, height);
    screens::addFrame(this, width, height);
    auto* caption = createLabel(captionAt.x, captionAt.y, captionText, 0);
    caption->setTextColor(captionColour);

    printerList = new IMList(this);
    printerList->moveTo(listRect.left, listRect.top);
    printerList->setSize(listRect.right - listRect.left, listRect.bottom - listRect.top);

    printButton = screens::createFamilyButton(this, printAt.x, printAt.y, L"PrintButton");
    closeButton = screens::createFamilyButton(this, closeAt.x, closeAt.y, L"CloseButton");
    using boost::placeholders::_1;
    closeButton->clicked.connect(boost::bind(&IMSelectPrinterDialog::onCloseClicked, this, _1));

    const platform::PrinterList printers = platform::listPrinters();
    for (std::size_t i = 0; i < printers.names.size(); ++i) {
        IMList::Item* item = printerList->addItem(fromU16(printers.names[i]));
        if (printers.defaultIndex == i) printerList->select(item);
    }
}

std::unique_ptr<report::PrinterDeviceContext> IMSelectPrinterDialog::printerDC() const {
    const IMList::Item* item = printerList ? printerList->selectedItem() : nullptr;
    if (!item) return nullptr;
    return platform::createPrinterDeviceContext(toU16(item->getText()));
}

void IMSelectPrinterDialog::showProblem(const std::wstring& reason) {
    problem = screens::replaceProblemLine(this, problem, problemAt, reason, problemLength);
}

long IMSelectPrinterDialog::onCloseClicked(const IMMouseEvent&) {
    close();
    return 0;
}
