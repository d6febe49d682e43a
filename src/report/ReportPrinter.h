#pragma once
// Prints a report as plain text lines: the caller's header lines, then every row of the
// worksheet's table, two columns to a line, with page breaks when a page is full.

#include "report/PrinterDeviceContext.h"
#include "report/SpreadsheetReport.h"

#include <map>
#include <string>

namespace report {

using PrintHeader = std::map<std::u16string, std::u16string>; // label → value, in label order

inline constexpr char16_t kPrintDocumentName[] = u"Print1: Printing";

// Prints nothing without a device context, when the worksheet has no Table, or when the job
// cannot start. Returns whether a job was handed to the printer.
bool printReport(const SpreadsheetReport& report, PrinterDeviceContext* dc,
                 const PrintHeader& header);

} // namespace report
