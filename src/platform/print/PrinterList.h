#pragma once
// The printers the print system offers, for the printer-selection dialog.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct PrinterList {
    std::vector<std::u16string> names;       // every printer, in the print system's order
    std::optional<std::size_t> defaultIndex; // the system's default printer, if it is listed
};

// Asks the CUPS server; an unreachable server gives an empty list.
PrinterList listPrinters();

} // namespace platform
