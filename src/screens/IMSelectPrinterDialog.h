#pragma once
// The printer-selection dialog: the printers the print system offers, the default one selected,
// a Print button the caller connects the printing to, and a Close button.

#include <memory>

#include "gui/IMButtonBase.h"
#include "gui/IMDialogBase.h"
#include "gui/IMList.h"
#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextView.h"
#include "report/PrinterDeviceContext.h"

class IMSelectPrinterDialog : public IMDialogBase<IMEmptyView> {
public:
    explicit IMSelectPrinterDialog(IMContainer* parent);
    ~IMSelectPrinterDialog() override = default;

    // A device context for the selected printer; null when nothing is selected or the print
    // system no longer knows the printer.
    std::unique_ptr<report::PrinterDeviceContext> printerDC() const;
    // One line on the dialog saying why printing did not happen (empty: none).
    void showProblem(const std::wstring& reason);

    IMButtonBase<IMStateView>* printButton = nullptr;
    IMButtonBase<IMStateView>* closeButton = nullptr;
    IMList* printerList = nullptr;
    IMStaticPictureBase<IMTextView>* problem = nullptr;

private:
    long onCloseClicked(const IMMouseEvent&);
};
