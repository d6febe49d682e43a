#pragma once
// Parses workbook bytes into a DOM without ever reaching outside those bytes.

#include <memory>
#include <string>
#include <string_view>
#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
XERCES_CPP_NAMESPACE_END

namespace report {

struct DocumentRelease {
    void operator()(XERCES_CPP_NAMESPACE_QUALIFIER DOMDocument* document) const;
};
using DocumentPtr = std::unique_ptr<XERCES_CPP_NAMESPACE_QUALIFIER DOMDocument, DocumentRelease>;

struct ParsedWorkbook {
    DocumentPtr document; // null when the bytes are not a workbook
    std::string problem;  // why not, for diagnostics (English, from the parser)
};

// No validation, no namespace processing, whitespace kept. External DTDs and entities are never
// loaded and entity expansion is bounded; a document that refers to anything outside itself, is
// not well-formed, or whose root is not a Workbook element is refused.
ParsedWorkbook parseWorkbook(std::string_view bytes, const std::u16string& systemId);

} // namespace report
