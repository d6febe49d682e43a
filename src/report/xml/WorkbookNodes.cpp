#include "report/xml/WorkbookNodes.h"

#include <xercesc/dom/DOM.hpp>

namespace report {

using namespace xercesc;

DOMElement* appendWorksheet(DOMDocument& document, DOMNode& parent,
                            const std::u16string& sheetName) {
    DOMElement* worksheet = document.createElement(u"Worksheet");
    worksheet->setAttribute(u"ss:Name", sheetName.c_str());
    parent.appendChild(worksheet);
    DOMElement* table = appendTable(document, *worksheet);
    for (const char16_t* width : {u"240", u"96"}) {
        DOMElement* column = document.createElement(u"Column");
        column->setAttribute(u"ss:AutoFitWidth", u"0");
        column->setAttribute(u"ss:Width", width);
        table->appendChild(column);
    }
    return table;
}

DOMElement* appendTable(DOMDocument& document, DOMNode& parent) {
    DOMElement* table = document.createElement(u"Table");
    parent.appendChild(table);
    return table;
}

void appendRow(DOMDocument& document, DOMNode& table, const ReportRow& row) {
    DOMElement* rowElement = document.createElement(u"Row");
    table.appendChild(rowElement);
    if (row.empty)
        return;
    auto addCell = [&](const std::u16string& cellType, const std::u16string& text) {
        DOMElement* cell = document.createElement(u"Cell");
        rowElement->appendChild(cell);
        DOMElement* data = document.createElement(u"Data");
        cell->appendChild(data);
        data->setAttribute(u"ss:Type", cellType.c_str());
        data->appendChild(document.createTextNode(text.c_str()));
    };
    addCell(u"String", row.label);
    addCell(row.type, row.value);
}

} // namespace report
