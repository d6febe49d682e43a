#include "report/xml/WholeWorkbook.h"

#include "report/ReportText.h"
#include "report/xml/WorkbookSerializer.h"

#include <stdexcept>
#include <xercesc/dom/DOM.hpp>

namespace report {

using namespace xercesc;

namespace {

// Visits the elements named `name` below `root` in document order. The way back up is kept on a
// stack: asking a node for its parent costs a dynamic_cast inside Xerces.
template <typename Visit>
void forEachDescendant(DOMNode* root, std::u16string_view name, Visit visit) {
    std::vector<DOMNode*> nextSiblings; // where to go on after each open level
    DOMNode* node = root->getFirstChild();
    while (node || !nextSiblings.empty()) {
        if (!node) {
            node = nextSiblings.back();
            nextSiblings.pop_back();
            continue;
        }
        if (node->getNodeType() == DOMNode::ELEMENT_NODE &&
            std::u16string_view(node->getNodeName()) == name)
            visit(static_cast<DOMElement*>(node));
        if (DOMNode* child = node->getFirstChild()) {
            nextSiblings.push_back(node->getNextSibling());
            node = child;
        } else {
            node = node->getNextSibling();
        }
    }
}

} // namespace

WholeWorkbook::WholeWorkbook(ParsedWorkbook parsed, const std::u16string& sheetName,
                             std::size_t sourceSize)
    : document_(std::move(parsed.document)), sourceSize_(sourceSize) {
    if (!document_)
        throw std::logic_error("a workbook needs a parsed document");
    for (const ParsedWorksheet& found : parsed.worksheets) {
        if (sheetName == std::u16string_view(found.sheet->getAttribute(u"ss:Name"))) {
            // The parser noted the worksheet's first Table, if it had one; only rows are ever
            // added below it, so that stays the first.
            worksheet_ = found.sheet;
            table_ = found.firstTable;
            return;
        }
    }
    DOMElement* workbook = document_->getDocumentElement();
    table_ = appendWorksheet(*document_, *workbook, sheetName);
    worksheet_ = static_cast<DOMElement*>(table_->getParentNode());
}

void WholeWorkbook::addRow(const ReportRow& row) {
    if (!table_)
        table_ = appendTable(*document_, *worksheet_);
    appendRow(*document_, *table_, row);
}

std::optional<std::string> WholeWorkbook::serialize() const {
    // The document grows by a few rows a run: what was read, and a little more, holds it.
    return serializeNode(*document_, sourceSize_ + sourceSize_ / 16 + 4096);
}

std::optional<std::vector<std::vector<std::u16string>>> WholeWorkbook::tableRows() const {
    if (!table_)
        return std::nullopt;
    std::vector<std::vector<std::u16string>> rows;
    forEachDescendant(table_, u"Row", [&](DOMElement* row) {
        std::vector<std::u16string>& texts = rows.emplace_back();
        forEachDescendant(row, u"Data", [&](DOMElement* data) {
            const XMLCh* content = data->getTextContent();
            texts.push_back(toPrintableText(content ? content : u""));
        });
    });
    return rows;
}

} // namespace report
