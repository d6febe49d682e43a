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

class BudgetedMemory;

// Releases the document, then the memory it was built in (when it had its own).
struct DocumentRelease {
    std::shared_ptr<BudgetedMemory> memory;
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
    // The bytes may well be a workbook, but building it would take more memory than a parse may
    // have: not damaged, only beyond what this machine reads.
    bool tooLarge = false;
};

// Elements nested deeper than this make a workbook count as hostile. A workbook is about six
// levels deep; the common XML readers refuse documents deeper than 256, and whatever is accepted
// here is written back, so it must stay readable by them.
inline constexpr std::size_t kMaximumWorkbookDepth = 256;

// A workbook never needs more entity expansions; a billion-laughs document reaches it at once.
inline constexpr std::size_t kWorkbookEntityExpansionLimit = 1000;

// Nor does it need more text from entities than this, in characters all expansions together:
// a few references to one large entity would otherwise multiply a small file many times over.
inline constexpr std::size_t kWorkbookEntityTextLimit = 1 << 20;

// What one parse into a DOM may take. The document needs about twenty times the file's size;
// a workbook that needs more is refused as too large, never as damaged.
inline constexpr std::size_t kWorkbookParseMemoryBudget = std::size_t{512} << 20;

// No validation, no namespace processing, whitespace kept. External DTDs and entities are never
// loaded and entity expansion is bounded in number and in size; a document that refers to
// anything outside itself, is not well-formed, or whose root is not a Workbook element is refused.
// Building the document may take at most `memoryBudget` bytes (tooLarge beyond that). Called, and
// the document released, inside a XercesSession.
ParsedWorkbook parseWorkbook(std::string_view bytes, const std::u16string& systemId,
                             std::size_t memoryBudget = kWorkbookParseMemoryBudget);

} // namespace report
