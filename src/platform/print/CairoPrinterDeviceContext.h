#pragma once
// A printer device context that draws the pages into a PDF of the printer's paper size with
// Liberation Sans and hands the PDF to CUPS as one job.

#include "report/PrinterDeviceContext.h"

#include <memory>
#include <string>

namespace platform {

// Null when the print system does not know the printer. Device units are 1/600 inch.
std::unique_ptr<report::PrinterDeviceContext>
createPrinterDeviceContext(const std::u16string& printerName);

} // namespace platform
