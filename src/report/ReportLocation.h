#pragma once
// Where the reports of one installation live, and the worksheet a pupil's name leads to.

#include <filesystem>
#include <string>

namespace report {

struct ReportFolder {
    // $XDG_DATA_HOME/KVAD (by default ~/.local/share/KVAD), made when missing; empty when it
    // cannot be made, and the report then lands in the current directory.
    std::filesystem::path folder;
    // Why the folder could not be used, for one line on standard error; empty when it could.
    std::string problem;
};

// Looks the folder up in `environment` (a getenv) and makes it when it is missing.
ReportFolder findReportFolder(const char* (*environment)(const char*));
ReportFolder findReportFolder();

// The report file of the installation: the window title + ".xls" in `folder`.
std::u16string reportFilePath(const std::filesystem::path& folder, const std::u16string& windowTitle);

// The worksheet name for a pupil's name as typed. A name the workbook can hold is kept as it is;
// a character it cannot hold (outside Windows-1251, control characters, the double quotation
// mark that would become an apostrophe) is written as "%" and its code, and "%" itself as "%25",
// so that two different names never lead to one sheet and the same name always to the same one.
std::u16string sheetNameFor(const std::u16string& pupilName);

} // namespace report
