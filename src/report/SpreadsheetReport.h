#pragma once
// The per-pupil report: an Excel 2003 XML workbook with one worksheet per pupil, two columns and
// one row per statistic. Rows of every run are appended to the same file.

#include "report/AtomicFile.h"
#include "report/WorkbookParser.h"

#include <optional>
#include <string>
#include <vector>
#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
class DOMElement;
class DOMImplementationLS;
XERCES_CPP_NAMESPACE_END

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

class SpreadsheetReport {
public:
    // Opens the report file at `path` (UTF-8 on disk) and finds or adds the worksheet named
    // `sheetName` (after the text rule of the workbook).
    SpreadsheetReport(const std::u16string& path, const std::u16string& sheetName);
    ~SpreadsheetReport();
    SpreadsheetReport(const SpreadsheetReport&) = delete;
    SpreadsheetReport& operator=(const SpreadsheetReport&) = delete;

    const ReportOpenOutcome& openOutcome() const { return openOutcome_; }

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
    void openDocument();
    void adoptTemplate();
    void findOrAddWorksheet();
    XERCES_CPP_NAMESPACE_QUALIFIER DOMElement* table();
    bool isOwnFile(const std::string& target) const;

    XERCES_CPP_NAMESPACE_QUALIFIER DOMDocument* document = nullptr;
    XERCES_CPP_NAMESPACE_QUALIFIER DOMElement* worksheet = nullptr;
    XERCES_CPP_NAMESPACE_QUALIFIER DOMElement* table_ = nullptr; // null until the sheet has one
    std::string path;          // UTF-8, the file the report belongs to
    std::u16string sheetName_; // value of the worksheet's ss:Name
    XERCES_CPP_NAMESPACE_QUALIFIER DOMImplementationLS* writerFactory = nullptr;

    std::vector<ParsedWorksheet> worksheetsFound_; // by the parser, until the sheet is chosen
    std::size_t sourceSize_ = 0;                   // bytes parsed, to size the serializer's output

    ReportOpenOutcome openOutcome_;
    bool ownFileProtected_ = false; // the file on disk could not be read: never replace it
};

} // namespace report
