#include "report/ReportPrinter.h"

#include <algorithm>

namespace report {

bool printReport(const SpreadsheetReport& report, PrinterDeviceContext* dc,
                 const PrintHeader& header) {
    if (!dc)
        return false;
    const auto rows = report.tableRows();
    if (!rows)
        return false;

    const int width = dc->pageWidth();
    const int height = dc->pageHeight();
    const int lineHeight = dc->lineHeight();
    const int indent = dc->averageCharWidth();
    const int halfPage = width / 2;

    if (!dc->startDocument(kPrintDocumentName))
        return false;
    dc->startPage();
    int y = lineHeight;

    // The header never breaks across pages.
    for (const auto& [label, value] : header) {
        dc->textOut(indent, y, label);
        dc->textOut(indent + std::max(halfPage, dc->textWidth(label) + indent), y, value);
        y += lineHeight;
    }
    y += lineHeight;

    // A full page is ended only when another row follows: a break after the last row would
    // print an empty page.
    bool pageFull = false;
    for (const auto& row : *rows) {
        if (pageFull) {
            dc->endPage();
            dc->startPage();
            y = lineHeight;
            pageFull = false;
        }
        int x = indent;
        for (const auto& text : row) {
            dc->textOut(x, y, text);
            x += std::max(halfPage, indent + dc->textWidth(text));
        }
        if (y + 2 * lineHeight >= height)
            pageFull = true;
        else
            y += lineHeight;
    }
    dc->endPage();
    return dc->endDocument();
}

} // namespace report
