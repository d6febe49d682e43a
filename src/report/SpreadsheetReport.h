#pragma once
// The per-pupil report: an Excel 2003 XML workbook with one worksheet per pupil, two columns and
// one row per statistic. Rows of every run are appended to the same file.
//
// Several savers may share one file (the program started twice, two pupils at two programs on one
// machine): a save takes the file's lock, reads the file as it is on disk then, adds the rows this
// report has not yet put there, writes the result atomically and lets go. No saver's rows are
// lost, and each saver's rows keep their order.

#include "report/AtomicFile.h"
#include "report/ReportDocument.h"
#include "report/ReportPlace.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace report {

// Report files beyond this size are not read at all: no report grows near it, and the in-place
// scan and the save each hold a copy of the file.
inline constexpr std::uintmax_t kMaximumReportFileSize = std::uintmax_t{64} << 20;

// What opening found on disk, so that a screen can tell the teacher.
struct ReportOpenOutcome {
    enum class Kind {
        NewFile,         // no file yet: the report starts from the template
        ExistingFile,    // the file was read and is extended
        DamagedSetAside, // the file could not be parsed; it was renamed and a new one is begun
        KeptUntouched,   // the file could not be read or moved aside; it will not be overwritten
        TooLarge,        // the file is larger than can be read; it stays where it is, unwritten
        ReadOnly,        // the file was read, but it is write-protected; saving there is refused
        LinkRefused,     // the path is a link the report does not follow; nothing is written there
    };
    Kind kind = Kind::NewFile;
    std::u16string message;      // Russian, empty for NewFile and ExistingFile
    std::u16string setAsidePath; // where the damaged file now is (DamagedSetAside only)
};

struct ReportSaveResult {
    enum class Kind {
        Saved,
        Refused,      // the place is not written by the rules (read-only, a link, unread file)
        DamagedThere, // the file there is not a workbook the rows can be added to; left as it is
        TooLarge,     // the file there is larger than can be read; left as it is
        WriteFailed,  // the file system refused (no folder, no space, no permission)
    };
    Kind kind = Kind::Saved;
    bool ok = false;
    std::u16string reason; // Russian, for a screen; empty when ok
    explicit operator bool() const { return ok; }
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

    // Whether the report is kept as the file's bytes and saving splices the new rows in (the
    // file is in the serializer's own form).
    bool appendsInPlace() const { return document_.inPlace(); }

    // Appends a two-cell row: the label as a String cell, the value with the given cell type
    // ("String" or "Number").
    void addRow(const std::u16string& label, const std::u16string& value,
                const std::u16string& type);
    void addEmptyRow();

    // Puts the rows this report has not yet put into the file at `path` (the report's own file
    // when empty) into it: merged into what is on disk now, or, where there is no file yet, the
    // whole report as this object knows it. The report's own file stays the same either way.
    ReportSaveResult save(const std::u16string& path = {});

    std::u16string filePath() const;
    const std::u16string& sheetName() const { return sheetName_; }

    // The texts of the Data elements of every Row of the worksheet's table, in document order,
    // as the printer receives them; nothing when the worksheet has no Table.
    std::optional<std::vector<std::vector<std::u16string>>> tableRows() const;

    // The report as this object knows it, as the serializer writes it.
    std::optional<std::string> serialize() const;

private:
    void openDocument();
    void refuseOwnFile(ReportOpenOutcome::Kind kind, std::u16string message);
    void addRow(ReportRow row);
    bool isOwnFile(const std::string& target) const;
    ReportSaveResult saveUnderLock(const std::string& target, const ReportPlace& place, bool own);

    std::string path;          // UTF-8, the file the report belongs to
    std::u16string sheetName_; // value of the worksheet's ss:Name
    ReportLoading loading_;

    // The file as last read or written, with the rows not yet saved to it.
    ReportDocument document_;

    std::vector<ReportRow> rows_;                       // every row added since opening, in order
    std::size_t savedToOwn_ = 0;                        // rows_ before this are in the own file
    std::map<std::string, std::size_t> savedElsewhere_; // the same, per other file (real path)

    ReportOpenOutcome openOutcome_;
    std::u16string ownFileRefusal_; // why the own file is never written; empty when it may be
};

} // namespace report
