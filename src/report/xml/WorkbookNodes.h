#pragma once
// The elements the report adds to a workbook. Both ways of saving build them here, so the rows
// a run adds are the same nodes whether the whole workbook is in memory or only the new part.

#include "report/ReportRow.h"

#include <string>
#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
class DOMElement;
class DOMNode;
XERCES_CPP_NAMESPACE_END

namespace report {

// Appends a Worksheet named `sheetName` with its Table and the two Column elements to `parent`,
// and returns the Table.
XERCES_CPP_NAMESPACE_QUALIFIER DOMElement*
appendWorksheet(XERCES_CPP_NAMESPACE_QUALIFIER DOMDocument& document,
                XERCES_CPP_NAMESPACE_QUALIFIER DOMNode& parent, const std::u16string& sheetName);

// Appends an empty Table to `parent` (a worksheet that had none) and returns it.
XERCES_CPP_NAMESPACE_QUALIFIER DOMElement*
appendTable(XERCES_CPP_NAMESPACE_QUALIFIER DOMDocument& document,
            XERCES_CPP_NAMESPACE_QUALIFIER DOMNode& parent);

// Appends the Row element for `row` to `table`.
void appendRow(XERCES_CPP_NAMESPACE_QUALIFIER DOMDocument& document,
               XERCES_CPP_NAMESPACE_QUALIFIER DOMNode& table, const ReportRow& row);

} // namespace report
