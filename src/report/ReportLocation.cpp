#include "report/ReportLocation.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "report/ReportText.h"

namespace report {

namespace {

const char* const folderName = "KVAD";

const char* readEnvironment(const char* name) { return std::getenv(name); }

std::filesystem::path dataHome(const char* (*environment)(const char*), std::string& problem) {
    // A relative XDG_DATA_HOME is to be ignored, as an unset one is.
    if (const char* xdg = environment("XDG_DATA_HOME"); xdg && *xdg == '/') return xdg;
    const char* home = environment("HOME");
    if (!home || *home != '/') {
        problem = "HOME is not set";
        return {};
    }
    return std::filesystem::path(home) / ".local" / "share";
}

void appendHex(std::u16string& out, unsigned value, int digits) {
    static const char16_t hex[] = u"0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += hex[(value >> shift) & 0xF];
}

bool needsEscape(char16_t c) { return c < 0x20 || c == u'"' || c == u'%' || c == 0x7F || !isInWindows1251(c); }

} // namespace

ReportFolder findReportFolder(const char* (*environment)(const char*)) {
    ReportFolder result;
    const std::filesystem::path base = dataHome(environment, result.problem);
    if (base.empty()) {
        result.problem += "; the report goes to the current directory";
        return result;
    }
    const std::filesystem::path folder = base / folderName;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder, error)) {
        result.problem = "cannot make " + folder.string() + ": " +
                         (error ? error.message() : std::string("not a directory")) +
                         "; the report goes to the current directory";
        return result;
    }
    result.folder = folder;
    return result;
}

ReportFolder findReportFolder() { return findReportFolder(&readEnvironment); }

std::u16string reportFilePath(const std::filesystem::path& folder, const std::u16string& windowTitle) {
    const std::u16string file = windowTitle + u".xls";
    if (folder.empty()) return file;
    return (folder / std::filesystem::path(file)).u16string();
}

std::u16string sheetNameFor(const std::u16string& pupilName) {
    std::u16string sheet;
    sheet.reserve(pupilName.size());
    for (char16_t c : pupilName) {
        if (!needsEscape(c)) {
            sheet += c;
        } else if (c < 0x80) {
            sheet += u'%';
            appendHex(sheet, c, 2);
        } else {
            // "u" is no hexadecimal digit, so a long code never reads as a short one.
            sheet += u"%u";
            appendHex(sheet, c, 4);
        }
    }
    return sheet;
}

} // namespace report
