// The report's XML module: where it is looked for, that it is loaded only while a report is read
// or written, and that a program without it loses nothing. This program does not link the XML
// library itself, so whatever of it is mapped came with the module.

#include "report/SpreadsheetReport.h"
#include "report/WorkbookEngine.h"
#include "../report/report_test_support.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using report::ReportOpenOutcome;
using report::ReportSaveResult;
using report::SpreadsheetReport;
using report_test::TempDir;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitized programs keep every loaded module to the end (tests/sanitizers).
constexpr bool kModulesStayLoaded = true;
#else
constexpr bool kModulesStayLoaded = false;
#endif

bool xmlLibraryMapped() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find("libxerces-c") != std::string::npos)
            return true;
    return false;
}

std::u16string u16(const fs::path& path) {
    return report::fromUtf8(path.string());
}

TEST(WorkbookModule, IsLookedForBesideTheProgramThenWhereItIsInstalledThenInItsBuildTree) {
    const fs::path installedFolder = TAVRELO_INSTALLED_MODULE_FOLDER;
    const fs::path inBuildTree = fs::path(TAVRELO_BINARY_DIR) / "tests" / "test_workbook";
    const std::vector<fs::path> forTests = report::workbookModulePlaces(inBuildTree);
    ASSERT_EQ(forTests.size(), 3u);
    EXPECT_EQ(forTests[0], inBuildTree.parent_path() / "tavrelo-workbook.so");
    EXPECT_EQ(forTests[1], (inBuildTree.parent_path() / installedFolder / "tavrelo-workbook.so")
                               .lexically_normal());
    EXPECT_EQ(forTests[2], fs::path(TAVRELO_BINARY_DIR) / "tavrelo-workbook.so");

    // An installed program never looks into the tree it was built in.
    const std::vector<fs::path> installed = report::workbookModulePlaces("/opt/school/bin/tavrelo");
    ASSERT_EQ(installed.size(), 2u);
    EXPECT_EQ(installed[0], fs::path("/opt/school/bin/tavrelo-workbook.so"));
    EXPECT_EQ(installed[1],
              (fs::path("/opt/school/bin") / installedFolder / "tavrelo-workbook.so").lexically_normal());
    const fs::path besideTheTree = fs::path(std::string(TAVRELO_BINARY_DIR) + "-other") / "tavrelo";
    EXPECT_EQ(report::workbookModulePlaces(besideTheTree).size(), 2u);
}

TEST(WorkbookModule, IsLoadedWhileAReportIsReadOrWrittenAndSharedByItsHolders) {
    TempDir dir;
    const fs::path file = dir / "отчёт.xls";
    if (!kModulesStayLoaded) {
        ASSERT_FALSE(xmlLibraryMapped()) << "mapped before any report";
    }
    {
        SpreadsheetReport report(u16(file), u"Маша");
        report.addRow(u"попытка", u"1", u"Number");
        ASSERT_TRUE(report.save().ok);
        EXPECT_EQ(report.tableRows(),
                  (std::optional<report::TableRows>{{{u"попытка", u"1"}}}));
        if (!kModulesStayLoaded) {
            EXPECT_FALSE(xmlLibraryMapped()) << "kept after the report was written";
        }
        SpreadsheetReport again(u16(file), u"Маша");
        EXPECT_EQ(again.openOutcome().kind, ReportOpenOutcome::Kind::ExistingFile);
        EXPECT_TRUE(again.appendsInPlace());
        if (!kModulesStayLoaded) {
            EXPECT_FALSE(xmlLibraryMapped()) << "kept after the report was read";
        }
    }

    const std::shared_ptr<const report::WorkbookEngine> first = report::useWorkbookEngine();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(xmlLibraryMapped());
    EXPECT_EQ(report::useWorkbookEngine(), first) << "a second holder shares the loaded one";
    const std::string bytes = report_test::readFile(file);
    EXPECT_TRUE(first->findAppendPoint(bytes, u"Маша", u"test").has_value());
    EXPECT_EQ(first->read("<Workbook", u"test").verdict, report::WorkbookEngine::Verdict::Damaged);
}

// A program whose module is missing (a copy of this test program where there is none) neither
// reads nor writes a report: an existing file is kept as it is, never set aside or overwritten,
// and every save says it failed.
TEST(WorkbookModule, WithoutItNoReportIsReadOrWrittenAndNothingIsLost) {
    if (const char* folder = std::getenv("TAVRELO_TEST_REPORTS_WITHOUT_MODULE")) {
        const fs::path existing = fs::path(folder) / "есть.xls";
        const std::string before = report_test::readFile(existing);
        SpreadsheetReport report(u16(existing), u"Маша");
        EXPECT_EQ(report.openOutcome().kind, ReportOpenOutcome::Kind::KeptUntouched);
        EXPECT_FALSE(report.openOutcome().message.empty());
        report.addRow(u"попытка", u"2", u"Number");
        EXPECT_FALSE(report.save().ok);
        const fs::path fresh = fs::path(folder) / "новый.xls";
        const ReportSaveResult elsewhere = report.save(u16(fresh));
        EXPECT_EQ(elsewhere.kind, ReportSaveResult::Kind::WriteFailed);
        EXPECT_FALSE(elsewhere.reason.empty());
        EXPECT_FALSE(fs::exists(fresh));
        SpreadsheetReport empty(u16(fresh), u"Петя");
        EXPECT_EQ(empty.openOutcome().kind, ReportOpenOutcome::Kind::NewFile);
        empty.addRow(u"попытка", u"1", u"Number");
        EXPECT_EQ(empty.save().kind, ReportSaveResult::Kind::WriteFailed);
        EXPECT_FALSE(fs::exists(fresh));
        EXPECT_EQ(report_test::readFile(existing), before);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1)
            << "nothing set aside, nothing left behind";
        return;
    }
    TempDir reports;
    {
        SpreadsheetReport report(u16(reports / "есть.xls"), u"Маша");
        report.addRow(u"попытка", u"1", u"Number");
        ASSERT_TRUE(report.save().ok);
    }
    const std::string before = report_test::readFile(reports / "есть.xls");
    // A copy of this program outside the build tree, with no module beside it.
    TempDir elsewhere;
    const fs::path copy = elsewhere / "test_workbook";
    fs::copy_file("/proc/self/exe", copy);
    fs::permissions(copy, fs::perms::owner_exec, fs::perm_options::add);
    const std::string command = "TAVRELO_TEST_REPORTS_WITHOUT_MODULE='" + reports.path().string() +
                                "' '" + copy.string() +
                                "' --gtest_filter=WorkbookModule.WithoutIt* >'" +
                                (elsewhere / "log").string() + "' 2>&1";
    const int status = std::system(command.c_str());
    const std::string log = report_test::readFile(elsewhere / "log");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << log;
    EXPECT_NE(log.find("reports can be neither read nor written"), std::string::npos) << log;
    EXPECT_EQ(report_test::readFile(reports / "есть.xls"), before);
}

} // namespace
