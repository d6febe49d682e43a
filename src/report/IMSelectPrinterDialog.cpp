#include "report/IMSelectPrinterDialog.h"

#include <boost/bind/bind.hpp>

#include "app/WideText.h"
#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextView.h"
#include "platform/print/CairoPrinterDeviceContext.h"
#include "platform/print/PrinterList.h"

IMSelectPrinterDialog::IMSelectPrinterDialog(IMContainer* parent)
    : IMDialogBase<IMEmptyView>(parent, RECT{220, 125, 580, 375}, 0) {
    auto* background = createPicture(0, 0, L"DefaultBackGround", 0);
    background->setSize(360, 250);
    const RECT frame[] = {{0, 0, 1, 250}, {0, 0, 360, 1}, {0, 249, 360, 250}, {359, 0, 360, 250}};
    for (const RECT& edge : frame) {
        auto* line = new IMStaticPictureBase<IMTextureView>(this, 0);
        line->setTexture(L"EditBarKaretka");
        line->moveTo(edge.left, edge.top);
        line->setSize(edge.right - edge.left, edge.bottom - edge.top);
    }
    auto* caption = createLabel(30, 38, L"Выберите принтер:", 0);
    caption->setTextColor(0xFF000000);

    printerList = new IMList(this);
    printerList->moveTo(30, 58);
    printerList->setSize(300, 100);

    printButton = createButton(30, 179, L"PrintButton", L"PrintButton", L"PrintButtonNuv",
                               L"PrintButtonKlick", 0);
    closeButton = createButton(221, 179, L"CloseButton", L"CloseButton", L"CloseButtonNuv",
                               L"CloseButtonKlick", 0);
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

long IMSelectPrinterDialog::onCloseClicked(const IMMouseEvent&) {
    close();
    return 0;
}
