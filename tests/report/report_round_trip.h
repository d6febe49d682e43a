#pragma once
// One round of what the program does with a report file found on disk: open it, add a row,
// save it. Shared by the fuzz target and the regression tests of its findings.

#include "report/AtomicFile.h"
#include "report/ReportText.h"
#include "report/SpreadsheetReport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace report_test {

// Returns what went wrong (empty when all is well): a lost original, a failed save, or a saved
// file that the next run could not read.
inline std::string openAddRowAndSave(std::string_view bytes) {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "report-round-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return "mkdtemp failed";
    const fs::path dir = pattern;
    const fs::path file = dir / "r.xls";
    auto read = [](const fs::path& p) { return report::readWholeFile(p, nullptr).value_or(""); };
    {
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    std::string problem;
    {
        using Kind = report::ReportOpenOutcome::Kind;
        report::SpreadsheetReport report(report::fromUtf8(file.string()), u"Ученик");
        report.addRow(u"Метка", u"42", u"Number");
        const auto saved = report.save();
        // After saving, so that a file kept in place is also saved in place.
        (void)report.tableRows();
        const auto& outcome = report.openOutcome();
        // Kinds under which the file at the path is never written.
        const bool keptAsItIs = outcome.kind == Kind::KeptUntouched ||
                                outcome.kind == Kind::TooLarge || outcome.kind == Kind::ReadOnly ||
                                outcome.kind == Kind::LinkRefused;
        if (outcome.kind == Kind::DamagedSetAside &&
            read(report::toUtf8(outcome.setAsidePath)) != bytes)
            problem = "the damaged file set aside lost bytes";
        else if (keptAsItIs && read(file) != bytes)
            problem = "a file kept as it is was changed";
        else if (keptAsItIs && saved.ok)
            problem = "a file kept as it is was saved to";
        else if (!keptAsItIs && !saved.ok)
            problem = "saving failed: " + report::toUtf8(saved.reason);
        else if (outcome.kind == Kind::NewFile)
            problem = "an existing file was taken for a missing one";
        if (problem.empty() && saved.ok) {
            report::SpreadsheetReport again(report::fromUtf8(file.string()), u"Ученик");
            const auto rows = again.tableRows();
            if (again.openOutcome().kind != Kind::ExistingFile)
                problem = "the saved file does not open again";
            else if (!rows || rows->empty() ||
                     rows->back() != std::vector<std::u16string>{u"Метка", u"42"})
                problem = "the added row is not the last row after reopening";
        }
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
    return problem;
}

// Two reports of one file, as two programs would hold it: each adds a row and saves, the second
// after the first. Both rows must be in the file, in that order, and nothing else may change.
inline std::string openTwiceAndSaveBoth(std::string_view bytes) {
    namespace fs = std::filesystem;
    using Kind = report::ReportOpenOutcome::Kind;
    std::string pattern = (fs::temp_directory_path() / "report-twice-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return "mkdtemp failed";
    const fs::path dir = pattern;
    const fs::path file = dir / "r.xls";
    {
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string problem;
    {
        const std::u16string path = report::fromUtf8(file.string());
        report::SpreadsheetReport first(path, u"Ученик");
        if (first.openOutcome().kind == Kind::ExistingFile) {
            report::SpreadsheetReport second(path, u"Ученик");
            first.addRow(u"Первый", u"1", u"Number");
            second.addRow(u"Второй", u"2", u"Number");
            const auto rowsBefore = first.tableRows();
            if (!first.save().ok || !second.save().ok) {
                problem = "one of two savers failed";
            } else {
                report::SpreadsheetReport again(path, u"Ученик");
                const auto rows = again.tableRows();
                const std::vector<std::u16string> firstRow{u"Первый", u"1"};
                const std::vector<std::u16string> secondRow{u"Второй", u"2"};
                if (!rows || !rowsBefore || rows->size() != rowsBefore->size() + 1 ||
                    (*rows)[rows->size() - 2] != firstRow || rows->back() != secondRow)
                    problem = "the rows of two savers did not both arrive in order";
            }
        }
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
    return problem;
}

} // namespace report_test
