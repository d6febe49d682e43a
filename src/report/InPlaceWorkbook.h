#pragma once
// A workbook file kept as the bytes that were read, with the rows added since. Saving splices
// the serialized new nodes into those bytes at the append point; this is only done for files in
// the serializer's own form (see findAppendPoint), where the result is byte for byte what
// writing out the whole DOM would give.

#include "report/AppendPoint.h"
#include "report/WorkbookNodes.h"

#include <optional>
#include <string>
#include <vector>

namespace report {

class InPlaceWorkbook {
public:
    InPlaceWorkbook(std::string bytes, AppendPoint point, std::u16string sheetName);

    void addRow(ReportRow row) { rows_.push_back(std::move(row)); }

    const std::string& originalBytes() const { return bytes_; }
    const std::vector<ReportRow>& addedRows() const { return rows_; }

    // The whole workbook with the added rows; nothing when the serializer fails on them.
    std::optional<std::string> serialize() const;

    // `saved`, what serialize gave, was written: it becomes the workbook's bytes, without added
    // rows, and the append point moves behind the rows just added. False when the point could
    // not be placed; the workbook is then of no further use.
    bool commit(std::string saved);

private:
    // The new nodes as the serializer writes them in place: the rows, or a Table holding them,
    // or a new Worksheet.
    std::optional<std::string> serializedAdditions() const;

    std::string bytes_;
    AppendPoint point_;
    std::u16string sheetName_;
    std::vector<ReportRow> rows_;
};

} // namespace report
