#include "platform/print/PrinterList.h"

#include "report/ReportText.h"

#include <cups/cups.h>

namespace platform {

PrinterList listPrinters() {
    PrinterList list;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    for (int i = 0; i < count; ++i) {
        const cups_dest_t& dest = dests[i];
        // Instances are saved option sets of a printer, not printers of their own.
        if (dest.instance)
            continue;
        if (dest.is_default)
            list.defaultIndex = list.names.size();
        list.names.push_back(report::fromUtf8(dest.name));
    }
    cupsFreeDests(count, dests);
    return list;
}

} // namespace platform
