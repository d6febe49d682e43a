#pragma once
// A report's workbook as bytes plus the rows added since: kept as the file's own bytes, into which
// saving splices the new rows when the bytes are in the serializer's form, or parsed whole by the
// workbook engine whenever it is written or read out otherwise. No parsed document is kept
// between calls, so the engine's module need not stay loaded.

#include "report/InPlaceWorkbook.h"
#include "report/ReportRow.h"
#include "report/WorkbookEngine.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace report {

// How an existing report file is taken in.
enum class ReportLoading {
    // A file in the serializer's own form (every file this program wrote) is kept as its bytes
    // and rows are spliced in when saving; any other file is parsed whole. Both give the same
    // saved bytes.
    InPlaceWhenPossible,
    // Always parsed whole and written out whole.
    WholeDocument,
};

class ReportDocument {
public:
    // NotRead: the workbook engine could not be loaded, so nothing is known of the bytes; they
    // are neither damaged nor taken, and must be left as they are.
    enum class Verdict { Taken, Damaged, TooLarge, NotRead };

    // Takes in workbook bytes for the worksheet `sheetName`; `verdict` says whether they were.
    ReportDocument(std::string bytes, const std::u16string& sheetName,
                   const std::u16string& systemId, ReportLoading loading);
    // The built-in template.
    explicit ReportDocument(const std::u16string& sheetName);

    Verdict verdict() const { return verdict_; }
    const std::string& problem() const { return problem_; }
    bool taken() const { return verdict_ == Verdict::Taken; }

    bool inPlace() const { return inPlace_.has_value(); }
    // The bytes the document was taken from or last committed (the document is these bytes and
    // the rows added since); nothing for the template.
    const std::string* sourceBytes() const;

    void addRow(const ReportRow& row);
    // Nothing when the engine cannot be had or cannot write the workbook.
    std::optional<std::string> serialize() const;

    // `saved` (what serialize gave) is now on disk: the document goes on from there.
    void commit(std::string saved);

    // The texts of the Data elements of every Row of the worksheet's table, rows added included;
    // nothing when the worksheet has no Table or the engine cannot be had.
    std::optional<TableRows> tableRows(const std::u16string& systemId) const;

private:
    // The form that is parsed on every use: its bytes and the rows added since.
    struct Whole {
        std::string bytes;
        std::u16string systemId;
        bool isTemplate = false;
        std::vector<ReportRow> addedRows;
    };

    // The engine, for a document that was taken; null otherwise or when it cannot be loaded.
    std::shared_ptr<const WorkbookEngine> engineForUse() const;

    std::u16string sheetName_;
    std::optional<InPlaceWorkbook> inPlace_;
    std::optional<Whole> whole_;
    Verdict verdict_ = Verdict::Taken;
    std::string problem_;
};

} // namespace report
