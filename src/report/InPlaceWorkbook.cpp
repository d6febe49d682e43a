#include "report/InPlaceWorkbook.h"

#include "report/WorkbookParser.h"
#include "report/WorkbookSerializer.h"
#include "report/XercesSession.h"

#include <xercesc/dom/DOM.hpp>

namespace report {

using namespace xercesc;

InPlaceWorkbook::InPlaceWorkbook(std::string bytes, AppendPoint point, std::u16string sheetName)
    : bytes_(std::move(bytes)), point_(point), sheetName_(std::move(sheetName)) {}

std::optional<std::string> InPlaceWorkbook::serializedAdditions() const {
    using Parent = AppendPoint::Parent;
    // Without rows nothing changes below an existing worksheet (a missing Table comes with the
    // first row, as in the DOM); a new worksheet is written even then.
    if (rows_.empty() && point_.parent != Parent::Workbook)
        return std::string();

    ensureXercesInitialised();
    try {
        static constexpr char16_t kCore[] = u"Core";
        DocumentPtr scratch(
            DOMImplementationRegistry::getDOMImplementation(kCore)->createDocument());
        DOMDocumentFragment* additions = scratch->createDocumentFragment();
        DOMNode* table = nullptr;
        switch (point_.parent) {
        case Parent::Table:
            table = additions;
            break;
        case Parent::Worksheet:
            table = appendTable(*scratch, *additions);
            break;
        case Parent::Workbook:
            table = appendWorksheet(*scratch, *additions, sheetName_);
            break;
        }
        for (const ReportRow& row : rows_)
            appendRow(*scratch, *table, row);
        return serializeNode(*additions, 256 * (rows_.size() + 2));
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<std::string> InPlaceWorkbook::serialize() const {
    const std::optional<std::string> additions = serializedAdditions();
    if (!additions)
        return std::nullopt;
    if (additions->empty())
        return bytes_;

    const std::string_view original(bytes_);
    std::string out;
    out.reserve(bytes_.size() + additions->size() + 16);
    out.append(original.substr(0, point_.offset));
    if (point_.parentIsEmpty) {
        // "<Name .../>" becomes "<Name ...>" + additions + "</Name>".
        out += '>';
        out += *additions;
        switch (point_.parent) {
        case AppendPoint::Parent::Table:
            out += "</Table>";
            break;
        case AppendPoint::Parent::Worksheet:
            out += "</Worksheet>";
            break;
        case AppendPoint::Parent::Workbook:
            out += "</Workbook>";
            break;
        }
        out.append(original.substr(point_.offset + 2));
    } else {
        out += *additions;
        out.append(original.substr(point_.offset));
    }
    return out;
}

} // namespace report
