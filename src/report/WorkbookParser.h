#pragma once
// Parses workbook bytes into a DOM without ever reaching outside those bytes.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
class DOMElement;
XERCES_CPP_NAMESPACE_END

namespace report {

struct DocumentRelease {
    void operator()(XERCES_CPP_NAMESPACE_QUALIFIER DOMDocument* document) const;
};
using DocumentPtr = std::unique_ptr<XERCES_CPP_NAMESPACE_QUALIFIER DOMDocument, DocumentRelease>;

// A Worksheet element of the parsed document and the first Table element below it, noted while
// the document is built so that nobody has to walk a large workbook again to find them.
struct ParsedWorksheet {
    XERCES_CPP_NAMESPACE_QUALIFIER DOMElement* sheet = nullptr;
    XERCES_CPP_NAMESPACE_QUALIFIER DOMElement* firstTable = nullptr; // null: it has none
};

struct ParsedWorkbook {
    DocumentPtr document;                    // null when the bytes are not a workbook
    std::vector<ParsedWorksheet> worksheets; // every Worksheet element, in document order
    std::string problem;                     // why not, for diagnostics (English, from the parser)
};

// Elements nested deeper than this make a workbook count as hostile. A workbook is about six
// levels deep; the serializer recurses once per level, so a document nested thousands deep could
// exhaust the stack when written back.
inline constexpr std::size_t kMaximumWorkbookDepth = 1000;

// A workbook never needs more entity expansions; a billion-laughs document reaches it at once.
inline constexpr std::size_t kWorkbookEntityExpansionLimit = 1000;

// No validation, no namespace processing, whitespace kept. External DTDs and entities are never
// loaded and entity expansion is bounded; a document that refers to anything outside itself, is
// not well-formed, or whose root is not a Workbook element is refused.
ParsedWorkbook parseWorkbook(std::string_view bytes, const std::u16string& systemId);

} // namespace report
