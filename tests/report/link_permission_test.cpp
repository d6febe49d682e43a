// What the report does with links and write-protected files at its path: every write stays inside
// the report's folder, nothing is created through a link that points nowhere, and a file that may
// not be written is never replaced behind the teacher's back.

#include "report/SpreadsheetReport.h"
#include "report_test_support.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

using report::ReportOpenOutcome;
using report::SpreadsheetReport;
using namespace report_test;

namespace {

namespace fs = std::filesystem;
using Kind = ReportOpenOutcome::Kind;

// The report folder and, beside it, another folder a link may lead to.
struct Folders {
    fs::path report;
    fs::path other;
};

std::string earlierWorkbook(const fs::path& file) {
    SpreadsheetReport seed(u16(file), u"A");
    seed.addRow(u"раньше", u"1", u"Number");
    if (!seed.save().ok)
        throw std::runtime_error("could not make a workbook");
    return readFile(file);
}

struct PlaceCase {
    const char* name;
    // Makes what stands at report/r.xls.
    std::function<void(const Folders&)> arrange;
    Kind opened;
    bool saves;            // the report's own save succeeds
    bool readsEarlierRows; // the earlier workbook's rows are in the report
};

// Everything in both folders, links by their targets and files by their bytes.
std::map<std::string, std::string> snapshot(const Folders& folders) {
    std::map<std::string, std::string> state;
    for (const fs::path& folder : {folders.report, folders.other}) {
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            const std::string key = entry.path().lexically_relative(folders.report.parent_path());
            if (fs::is_symlink(entry.symlink_status()))
                state[key] = "-> " + fs::read_symlink(entry.path()).string();
            else if (fs::is_regular_file(entry.symlink_status()))
                state[key] = readFile(entry.path());
            else
                state[key] = "folder";
        }
    }
    return state;
}

class ReportPlaceTest : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(ReportPlaceTest, FollowsTheRulesAndChangesNothingItRefuses) {
    TempDir dir;
    const Folders folders{dir / "KVAD", dir / "elsewhere"};
    fs::create_directory(folders.report);
    fs::create_directory(folders.other);
    GetParam().arrange(folders);
    const auto file = folders.report / "r.xls";
    const auto before = snapshot(folders);

    SpreadsheetReport report(u16(file), u"A");
    const auto& outcome = report.openOutcome();
    ASSERT_EQ(outcome.kind, GetParam().opened) << report::toUtf8(outcome.message);
    EXPECT_EQ(outcome.message.empty(),
              GetParam().opened == Kind::ExistingFile || GetParam().opened == Kind::NewFile);
    const auto rows = report.tableRows();
    const bool hasEarlier = rows && !rows->empty() && rows->front().at(0) == u"раньше";
    EXPECT_EQ(hasEarlier, GetParam().readsEarlierRows);

    report.addRow(u"сейчас", u"2", u"Number");
    const auto saved = report.save();
    EXPECT_EQ(saved.ok, GetParam().saves) << report::toUtf8(saved.reason);
    if (!GetParam().saves) {
        EXPECT_EQ(saved.reason, outcome.message) << "the save says what opening said";
        EXPECT_EQ(snapshot(folders), before) << "something was written";
        // The report itself is not lost: it goes where the teacher chooses.
        EXPECT_TRUE(report.save(u16(folders.report / "копия.xls")).ok);
        return;
    }
    // Written in place of the file the path leads to; every link stays as it was.
    auto after = snapshot(folders);
    for (const auto& [name, content] : before) {
        if (content.rfind("-> ", 0) == 0) {
            EXPECT_EQ(after[name], content) << name;
        }
    }
    EXPECT_EQ(after.size(), before.size() + (before.count("KVAD/r.xls") ? 0 : 1))
        << "only the report's own file may appear";
    for (const auto& [name, content] : after) {
        if (!before.count(name)) {
            EXPECT_EQ(name, "KVAD/r.xls") << "a file appeared";
        }
    }
    SpreadsheetReport reopened(u16(file), u"A");
    const auto reread = reopened.tableRows();
    ASSERT_TRUE(reread.has_value());
    EXPECT_EQ(reread->back().at(0), u"сейчас");
}

void link(const fs::path& target, const fs::path& at) {
    fs::create_symlink(target, at);
}

INSTANTIATE_TEST_SUITE_P(
    Places, ReportPlaceTest,
    ::testing::Values(
        PlaceCase{"Nothing", [](const Folders&) {}, Kind::NewFile, true, false},
        PlaceCase{"Workbook", [](const Folders& f) { earlierWorkbook(f.report / "r.xls"); },
                  Kind::ExistingFile, true, true},
        PlaceCase{"LinkToAWorkbookInTheFolder",
                  [](const Folders& f) {
                      earlierWorkbook(f.report / "настоящий.xls");
                      link("настоящий.xls", f.report / "r.xls");
                  },
                  Kind::ExistingFile, true, true},
        PlaceCase{"LinkToAWorkbookElsewhere",
                  [](const Folders& f) {
                      earlierWorkbook(f.other / "r.xls");
                      link(f.other / "r.xls", f.report / "r.xls");
                  },
                  Kind::LinkRefused, false, false},
        PlaceCase{"DanglingLinkInTheFolder",
                  [](const Folders& f) { link("нет.xls", f.report / "r.xls"); }, Kind::LinkRefused,
                  false, false},
        PlaceCase{"DanglingLinkElsewhere",
                  [](const Folders& f) { link(f.other / "нет.xls", f.report / "r.xls"); },
                  Kind::LinkRefused, false, false},
        PlaceCase{"LinkToANonWorkbook",
                  [](const Folders& f) {
                      writeFile(f.report / "заметки.txt", "не отчёт");
                      link("заметки.txt", f.report / "r.xls");
                  },
                  Kind::LinkRefused, false, false},
        PlaceCase{"LinkLoop",
                  [](const Folders& f) {
                      link("b.xls", f.report / "r.xls");
                      link("r.xls", f.report / "b.xls");
                  },
                  Kind::LinkRefused, false, false},
        PlaceCase{"LinkToAFolder",
                  [](const Folders& f) {
                      fs::create_directory(f.report / "папка");
                      link("папка", f.report / "r.xls");
                  },
                  Kind::LinkRefused, false, false},
        PlaceCase{"ReadOnlyWorkbook",
                  [](const Folders& f) {
                      earlierWorkbook(f.report / "r.xls");
                      fs::permissions(f.report / "r.xls", fs::perms::owner_read |
                                                              fs::perms::group_read |
                                                              fs::perms::others_read);
                  },
                  Kind::ReadOnly, false, true},
        PlaceCase{"LinkToAReadOnlyWorkbook",
                  [](const Folders& f) {
                      earlierWorkbook(f.report / "настоящий.xls");
                      fs::permissions(f.report / "настоящий.xls", fs::perms::owner_read);
                      link("настоящий.xls", f.report / "r.xls");
                  },
                  Kind::ReadOnly, false, true}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ReportPlaceSaveAsTest, SavingAsOntoARefusedPlaceWritesNothingThere) {
    TempDir dir;
    const fs::path folder = dir / "KVAD";
    const fs::path other = dir / "elsewhere";
    fs::create_directory(folder);
    fs::create_directory(other);
    SpreadsheetReport report(u16(folder / "r.xls"), u"A");
    report.addRow(u"a", u"1", u"Number");

    link(other / "нет.xls", folder / "ссылка.xls");
    const auto dangling = report.save(u16(folder / "ссылка.xls"));
    EXPECT_FALSE(dangling.ok);
    EXPECT_FALSE(fs::exists(other / "нет.xls")) << "a file was made through the link";
    EXPECT_NE(dangling.reason.find(u"несуществующий"), std::u16string::npos);

    writeFile(folder / "защищён.xls", readFile(folder / "r.xls"));
    earlierWorkbook(folder / "защищён.xls");
    const std::string protectedBytes = readFile(folder / "защищён.xls");
    ::chmod((folder / "защищён.xls").c_str(), 0444);
    const auto readOnly = report.save(u16(folder / "защищён.xls"));
    EXPECT_FALSE(readOnly.ok);
    EXPECT_EQ(readOnly.kind, report::ReportSaveResult::Kind::Refused);
    EXPECT_NE(readOnly.reason.find(u"только для чтения"), std::u16string::npos);
    EXPECT_EQ(readFile(folder / "защищён.xls"), protectedBytes);
}

} // namespace
