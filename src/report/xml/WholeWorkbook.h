#pragma once
// A workbook parsed into a DOM, with the worksheet the report writes to.

#include "report/xml/WorkbookNodes.h"
#include "report/xml/WorkbookParser.h"

#include <optional>
#include <string>
#include <vector>

namespace report {

class WholeWorkbook {
public:
    // Takes the parsed document and finds the first worksheet named `sheetName`, or adds one with
    // its Table and columns. `sourceSize` is what was parsed, to size the serializer's output.
    WholeWorkbook(ParsedWorkbook parsed, const std::u16string& sheetName, std::size_t sourceSize);
    WholeWorkbook(const WholeWorkbook&) = delete;
    WholeWorkbook& operator=(const WholeWorkbook&) = delete;

    // Appends the row to the worksheet's first Table, adding a Table if the worksheet has none.
    void addRow(const ReportRow& row);

    // The document as the serializer writes it.
    std::optional<std::string> serialize() const;

    // The texts of the Data elements of every Row of the worksheet's table, in document order;
    // nothing when the worksheet has no Table.
    std::optional<std::vector<std::vector<std::u16string>>> tableRows() const;

private:
    DocumentPtr document_;
    XERCES_CPP_NAMESPACE_QUALIFIER DOMElement* worksheet_ = nullptr;
    XERCES_CPP_NAMESPACE_QUALIFIER DOMElement* table_ = nullptr; // null until the sheet has one
    std::size_t sourceSize_ = 0;
};

} // namespace report
