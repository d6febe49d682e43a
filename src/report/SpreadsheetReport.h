#pragma once
// The per-pupil report: an Excel 2003 XML workbook with one worksheet per pupil, two columns and
// one row per statistic. Rows of every run are appended to the same file.

#include "report/AtomicFile.h"
#include "report/InPlaceWorkbook.h"
#include "report/WholeWorkbook.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace report {

// What opening found on disk, so that a screen can tell the teacher.
struct ReportOpenOutcome {
    enum class Kind {
        NewFile,         // no file yet: the report starts from the template
        ExistingFile,    // the file was read and is extended
        DamagedSetAside, // the file could not be parsed; it was renamed and a new one is begun
        KeptUntouched,   // the file could not be read or moved aside; it will not be overwritten
    };
    Kind kind = Kind::NewFile;
    std::u16string message;      // Russian, empty for NewFile and ExistingFile
    std::u16string setAsidePath; // where the damaged file now is (DamagedSetAside only)
};

using ReportSaveResult = FileResult;

// How an existing report file is taken in.
enum class ReportLoading {
    // A file in the serializer's own form (every file this program wrote) is kept as its bytes
    // and rows are spliced in when saving; any other file is parsed into a DOM. Both give the
    // same saved bytes.
    InPlaceWhenPossible,
    // Always parsed into a DOM and written out whole.
    WholeDocument,
};

class SpreadsheetReport {
public:
    // Opens the report file at `path` (UTF-8 on disk) and finds or adds the worksheet named
    // `sheetName` (after the text rule of the workbook).
    SpreadsheetReport(const std::u16string& path, const std::u16string& sheetName,
                      ReportLoading loading = ReportLoading::InPlaceWhenPossible);
    ~SpreadsheetReport();
    SpreadsheetReport(const SpreadsheetReport&) = delete;
    SpreadsheetReport& operator=(const SpreadsheetReport&) = delete;

    const ReportOpenOutcome& openOutcome() const { return openOutcome_; }

    // Whether the report is kept as the file's bytes and saving splices the new rows in; false
    // once the whole document has been built (tableRows builds it).
    bool appendsInPlace() const { return inPlace_.has_value(); }

    // Appends a two-cell row: the label as a String cell, the value with the given cell type
    // ("String" or "Number").
    void addRow(const std::u16string& label, const std::u16string& value,
                const std::u16string& type);
    void addEmptyRow();

    // Writes the whole document to `path`, or to the report's own file when it is empty. The
    // report's own file stays the same either way.
    ReportSaveResult save(const std::u16string& path = {});

    std::u16string filePath() const;
    const std::u16string& sheetName() const { return sheetName_; }

    // The texts of the Data elements of every Row of the worksheet's table, in document order,
    // as the printer receives them; nothing when the worksheet has no Table.
    std::optional<std::vector<std::vector<std::u16string>>> tableRows() const;

    // The document as the serializer writes it (what save puts into the file).
    std::optional<std::string> serialize() const;

private:
    void openDocument(ReportLoading loading);
    void adoptTemplate();
    void addRow(ReportRow row);
    // The document of an in-place report is built when something needs to read it.
    const WholeWorkbook* wholeWorkbook() const;
    bool isOwnFile(const std::string& target) const;

    std::string path;          // UTF-8, the file the report belongs to
    std::u16string sheetName_; // value of the worksheet's ss:Name

    // Exactly one of these holds the report; the whole document replaces the in-place form when
    // it is first needed.
    mutable std::optional<InPlaceWorkbook> inPlace_;
    mutable std::unique_ptr<WholeWorkbook> whole_;

    ReportOpenOutcome openOutcome_;
    bool ownFileProtected_ = false; // the file on disk could not be read: never replace it
};

} // namespace report
