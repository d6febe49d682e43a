#pragma once
// Finds where new rows go in a workbook file that the serializer itself wrote, so that saving can
// splice them into the file's own bytes instead of building and writing the whole document.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace report {

// Where the elements a run adds go in the file.
struct AppendPoint {
    enum class Parent {
        Table,     // the first Table of the worksheet: rows go after its last child
        Worksheet, // the worksheet has no Table: a new Table goes after its last child
        Workbook,  // no worksheet has the name: a new Worksheet goes after the last child
    };
    Parent parent = Parent::Table;
    // The byte where the parent's end tag "</...>" begins or, for a parent written as an empty
    // element, where its "/>" begins.
    std::size_t offset = 0;
    bool parentIsEmpty = false;
};

// Scans `bytes` with the same parser settings as the full parse (nothing outside the bytes is
// ever read) and answers only when the file is a well-formed Workbook that the serializer would
// write back byte for byte: its own XML declaration, UTF-8, no DOCTYPE, attributes in the order
// the DOM keeps them, the serializer's escapes and empty-element tags, nothing between the
// markup that the parser drops. Then the DOM path would write exactly these bytes with the new
// nodes serialized at the returned point, and the new nodes are all that has to be written.
// Anything else, a damaged file included, gives nothing: the caller goes the full way.
std::optional<AppendPoint> findAppendPoint(std::string_view bytes, std::u16string_view sheetName,
                                           const std::u16string& systemId);

} // namespace report
