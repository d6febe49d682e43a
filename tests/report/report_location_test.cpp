// Where the report file goes, and which worksheet a typed name leads to.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "report/ReportLocation.h"

namespace {

namespace fs = std::filesystem;

class ReportFolderTest : public ::testing::Test {
protected:
    ReportFolderTest() {
        root = fs::temp_directory_path() / ("tavrelo-folder-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(root);
        environment.clear();
    }
    ~ReportFolderTest() override { fs::remove_all(root); }

    static const char* lookup(const char* name) {
        const auto it = environment.find(name);
        return it == environment.end() ? nullptr : it->second.c_str();
    }

    fs::path root;
    static inline std::map<std::string, std::string> environment;
};

TEST_F(ReportFolderTest, TheDataFolderIsMadeWhenMissing) {
    environment["XDG_DATA_HOME"] = (root / "data").string();
    environment["HOME"] = (root / "home").string();
    const report::ReportFolder found = report::findReportFolder(&lookup);
    EXPECT_EQ(found.folder, root / "data" / "KVAD");
    EXPECT_TRUE(fs::is_directory(root / "data" / "KVAD"));
    EXPECT_TRUE(found.problem.empty());
    EXPECT_EQ(report::findReportFolder(&lookup).folder, found.folder) << "an existing folder is used as it is";
}

TEST_F(ReportFolderTest, WithoutXdgDataHomeTheHomesShareFolder) {
    for (const char* relative : {"", "relative/data"}) {
        SCOPED_TRACE(relative);
        environment["XDG_DATA_HOME"] = relative;
        environment["HOME"] = (root / "home").string();
        EXPECT_EQ(report::findReportFolder(&lookup).folder, root / "home" / ".local" / "share" / "KVAD");
    }
}

TEST_F(ReportFolderTest, AFolderThatCannotBeMadeFallsBackToTheCurrentDirectory) {
    std::ofstream(root / "blocker") << "a file where the folder should be";
    environment["XDG_DATA_HOME"] = (root / "blocker").string();
    report::ReportFolder found = report::findReportFolder(&lookup);
    EXPECT_TRUE(found.folder.empty());
    EXPECT_NE(found.problem.find("blocker"), std::string::npos) << found.problem;
    EXPECT_EQ(report::reportFilePath(found.folder, u"00061 Упражнение «Tavrelo»"), u"00061 Упражнение «Tavrelo».xls");

    environment.clear();
    found = report::findReportFolder(&lookup);
    EXPECT_TRUE(found.folder.empty());
    EXPECT_NE(found.problem.find("HOME"), std::string::npos);
}

TEST(ReportFile, IsTheWindowTitleWithXlsInTheFolder) {
    EXPECT_EQ(report::reportFilePath("/x/KVAD", u"00061 Упражнение «Tavrelo»"), u"/x/KVAD/00061 Упражнение «Tavrelo».xls");
}

TEST(SheetName, KeepsWhatTheWorkbookHoldsAndEscapesTheRest) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"Иванов Петя", u"Иванов Петя"},
        // Calc opens all of these as they stand and keeps every row.
        {u"a:b\\c/d?e*f[g]", u"a:b\\c/d?e*f[g]"},
        {u"   ", u"   "},
        {u"Щ" + std::u16string(40, u'щ'), u"Щ" + std::u16string(40, u'щ')},
        {u"'Кличка'", u"'Кличка'"},
        // What the workbook would change, and the escape character itself.
        {u"Дима \"Большой\"", u"Дима %22Большой%22"},
        {u"Čapek", u"%u010Capek"},
        {u"Әсем", u"%u04D8сем"},
        {u"100%", u"100%25"},
        {u"a\u0001b", u"a%01b"},
    };
    for (const auto& [typed, sheet] : cases) EXPECT_EQ(report::sheetNameFor(typed), sheet);
}

TEST(SheetName, DifferentNamesNeverShareASheet) {
    // Names that the workbook's own text rule would turn into one another.
    const std::u16string names[] = {u"Čapek", u"Šapek", u"?apek", u"%u010Capek", u"Дима \"Б\"", u"Дима 'Б'",
                                    u"Дима %22Б%22", u"Петров", u"петров", u"a\u0001", u"a\u0002", u"a?"};
    std::set<std::u16string> sheets;
    for (const auto& name : names) sheets.insert(report::sheetNameFor(name));
    EXPECT_EQ(sheets.size(), std::size(names));
}

} // namespace
