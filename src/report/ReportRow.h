#pragma once
// One row of a pupil's worksheet as the report adds it.

#include <string>

namespace report {

// One row the report adds; texts already follow the workbook's text rule.
struct ReportRow {
    bool empty = false; // an empty Row element; the texts are unused
    std::u16string label;
    std::u16string value;
    std::u16string type; // cell type of the value: "String" or "Number"
};

} // namespace report
