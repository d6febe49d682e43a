#pragma once
// A workbook file kept as the bytes that were read, with the rows added since. Saving splices
// the serialized new nodes into those bytes at the append point; this is only done for files in
// the serializer's own form (see WorkbookEngine::findAppendPoint), where the result is byte for byte what
// writing out the whole DOM would give.

#include "report/AppendPoint.h"
#include "report/ReportRow.h"
#include "report/WorkbookEngine.h"

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
    std::optional<std::string> serialize(const WorkbookEngine& engine) const;

    // `saved`, what serialize gave, was written: it becomes the workbook's bytes, without added
    // rows, and the append point moves behind the rows just added. False when the rows' end is
    // not where it must be: the point is then unknown and the bytes must be scanned again.
    bool commit(std::string saved);

private:

    std::string bytes_;
    AppendPoint point_;
    std::u16string sheetName_;
    std::vector<ReportRow> rows_;
};

} // namespace report
