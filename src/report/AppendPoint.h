#pragma once
// Where new rows go in a workbook file that the serializer itself wrote, so that saving can
// splice them into the file's own bytes instead of building and writing the whole document.

#include <cstddef>

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

} // namespace report
