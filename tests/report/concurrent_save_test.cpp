// Saving is safe against a crash at any moment and against other savers of the same file: a
// killed save leaves the old or the new file and no temporaries, and two savers lose no rows.

#include "report/AtomicFile.h"
#include "report/SpreadsheetReport.h"
#include "report_test_support.h"

#include <csignal>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

using report::ReportOpenOutcome;
using report::SpreadsheetReport;
using namespace report_test;

namespace {

namespace fs = std::filesystem;

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::u16string numbered(const char* prefix, int i) {
    return report::fromUtf8(prefix + std::to_string(i));
}

// Runs `work` in a child process; the child's exit code is its verdict.
template <typename Work> pid_t inChild(Work work) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        int code = 3;
        try {
            code = work();
        } catch (...) {
        }
        ::_exit(code);
    }
    return pid;
}

int exitCodeOf(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The labels of the rows whose label starts with `prefix`, in file order.
std::vector<std::u16string> labelsStartingWith(const std::vector<std::vector<std::u16string>>& rows,
                                               std::u16string_view prefix) {
    std::vector<std::u16string> labels;
    for (const auto& row : rows)
        if (!row.empty() && row[0].starts_with(prefix))
            labels.push_back(row[0]);
    return labels;
}

constexpr int kEarlierRows = 1500;

class KilledSaveTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(KilledSaveTest, LeavesTheOldOrTheNewFileAndNoTemporaries) {
    TempDir dir;
    const auto file = dir / "r.xls";
    {
        SpreadsheetReport seed(u16(file), u"Ученик");
        for (int i = 0; i < kEarlierRows; ++i)
            seed.addRow(numbered("раньше ", i), u"1", u"Number");
        ASSERT_TRUE(seed.save().ok);
    }

    const pid_t saver = inChild([&] {
        SpreadsheetReport report(u16(file), u"Ученик");
        for (int i = 0;; ++i) {
            report.addRow(numbered("сейчас ", i), u"2", u"Number");
            if (!report.save().ok)
                return 2;
        }
    });
    ASSERT_GT(saver, 0);
    std::mt19937 random(GetParam());
    ::usleep(std::uniform_int_distribution<unsigned>(0, 60000)(random));
    ::kill(saver, SIGKILL);
    ASSERT_EQ(exitCodeOf(saver), 128 + SIGKILL) << "the saver stopped by itself";

    SpreadsheetReport after(u16(file), u"Ученик");
    ASSERT_EQ(after.openOutcome().kind, ReportOpenOutcome::Kind::ExistingFile)
        << "the file was torn";
    const auto rows = after.tableRows();
    ASSERT_TRUE(rows.has_value());
    const auto earlier = labelsStartingWith(*rows, u"раньше ");
    ASSERT_EQ(earlier.size(), static_cast<std::size_t>(kEarlierRows));
    const auto later = labelsStartingWith(*rows, u"сейчас ");
    ASSERT_EQ(rows->size(), earlier.size() + later.size());
    for (std::size_t i = 0; i < later.size(); ++i)
        ASSERT_EQ(later[i], numbered("сейчас ", static_cast<int>(i))) << "rows out of order";
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"r.xls"})
        << "a temporary was left after the next open";
}

INSTANTIATE_TEST_SUITE_P(Seeds, KilledSaveTest, ::testing::Range(1u, 25u));

struct SaverPair {
    const char* name;
    const char16_t* sheetA;
    const char16_t* sheetB;
};

class TwoSaversTest : public ::testing::TestWithParam<SaverPair> {};

TEST_P(TwoSaversTest, LoseNoRowAndKeepTheOrderOfEach) {
    constexpr int kSaves = 60;
    TempDir dir;
    const auto file = dir / "общий.xls";
    auto saver = [&](const char16_t* sheet, const char* prefix) {
        return inChild([&] {
            SpreadsheetReport report(u16(file), sheet);
            for (int i = 0; i < kSaves; ++i) {
                report.addRow(numbered(prefix, i), u"1", u"Number");
                if (i % 7 == 3)
                    report.addEmptyRow();
                if (!report.save().ok)
                    return 2;
            }
            return 0;
        });
    };
    const pid_t a = saver(GetParam().sheetA, "A ");
    const pid_t b = saver(GetParam().sheetB, "B ");
    ASSERT_EQ(exitCodeOf(a), 0);
    ASSERT_EQ(exitCodeOf(b), 0);

    std::vector<std::vector<std::u16string>> all;
    for (const char16_t* sheet : {GetParam().sheetA, GetParam().sheetB}) {
        SpreadsheetReport report(u16(file), sheet);
        ASSERT_EQ(report.openOutcome().kind, ReportOpenOutcome::Kind::ExistingFile);
        const auto rows = report.tableRows();
        ASSERT_TRUE(rows.has_value());
        all.insert(all.end(), rows->begin(), rows->end());
        if (std::u16string_view(GetParam().sheetA) == GetParam().sheetB)
            break;
    }
    for (const char* prefix : {"A ", "B "}) {
        const auto labels = labelsStartingWith(all, report::fromUtf8(prefix));
        ASSERT_EQ(labels.size(), static_cast<std::size_t>(kSaves)) << prefix;
        for (int i = 0; i < kSaves; ++i)
            EXPECT_EQ(labels[static_cast<std::size_t>(i)], numbered(prefix, i));
    }
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"общий.xls"});
}

INSTANTIATE_TEST_SUITE_P(Processes, TwoSaversTest,
                         ::testing::Values(SaverPair{"OneSheet", u"Маша", u"Маша"},
                                           SaverPair{"TwoSheets", u"Маша", u"Петя"}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(MergingSaveTest, TwoReportsOfOneProgramBothKeepTheirRows) {
    TempDir dir;
    const auto file = dir / "r.xls";
    SpreadsheetReport first(u16(file), u"Маша");
    SpreadsheetReport second(u16(file), u"Маша");
    first.addRow(u"первый 1", u"1", u"Number");
    second.addRow(u"второй 1", u"1", u"Number");
    ASSERT_TRUE(first.save().ok);
    ASSERT_TRUE(second.save().ok);
    first.addRow(u"первый 2", u"2", u"Number");
    ASSERT_TRUE(first.save().ok);
    ASSERT_TRUE(second.save().ok); // nothing new: the file stays as it is
    ASSERT_TRUE(first.save().ok);

    SpreadsheetReport reopened(u16(file), u"Маша");
    const std::vector<std::vector<std::u16string>> expected = {
        {u"первый 1", u"1"}, {u"второй 1", u"1"}, {u"первый 2", u"2"}};
    EXPECT_EQ(reopened.tableRows(), expected);
}

TEST(MergingSaveTest, SaveAsIntoAnExistingReportAddsOnlyWhatItHasNotHadYet) {
    TempDir dir;
    const auto mine = dir / "мой.xls";
    const auto theirs = dir / "чужой.xls";
    {
        SpreadsheetReport other(u16(theirs), u"Маша");
        other.addRow(u"их строка", u"1", u"Number");
        ASSERT_TRUE(other.save().ok);
    }
    SpreadsheetReport report(u16(mine), u"Маша");
    report.addRow(u"моя 1", u"1", u"Number");
    ASSERT_TRUE(report.save(u16(theirs)).ok);
    report.addRow(u"моя 2", u"2", u"Number");
    ASSERT_TRUE(report.save(u16(theirs)).ok);
    EXPECT_FALSE(fs::exists(mine)) << "saving elsewhere does not write the own file";

    SpreadsheetReport reopened(u16(theirs), u"Маша");
    const std::vector<std::vector<std::u16string>> expected = {
        {u"их строка", u"1"}, {u"моя 1", u"1"}, {u"моя 2", u"2"}};
    EXPECT_EQ(reopened.tableRows(), expected);
}

TEST(MergingSaveTest, AFileDeletedSinceOpeningGetsTheWholeReportAgain) {
    TempDir dir;
    const auto file = dir / "r.xls";
    {
        SpreadsheetReport seed(u16(file), u"Маша");
        seed.addRow(u"раньше", u"1", u"Number");
        ASSERT_TRUE(seed.save().ok);
    }
    SpreadsheetReport report(u16(file), u"Маша");
    report.addRow(u"сейчас", u"2", u"Number");
    fs::remove(file);
    ASSERT_TRUE(report.save().ok);
    SpreadsheetReport reopened(u16(file), u"Маша");
    const std::vector<std::vector<std::u16string>> expected = {{u"раньше", u"1"},
                                                               {u"сейчас", u"2"}};
    EXPECT_EQ(reopened.tableRows(), expected);
}

TEST(MergingSaveTest, AFileDamagedSinceOpeningIsLeftAloneAndTheRowsAreKept) {
    TempDir dir;
    const auto file = dir / "r.xls";
    SpreadsheetReport report(u16(file), u"Маша");
    report.addRow(u"строка", u"1", u"Number");
    writeFile(file, "<Workbook><oops>");
    const auto failed = report.save();
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.kind, report::ReportSaveResult::Kind::DamagedThere);
    EXPECT_EQ(readFile(file), "<Workbook><oops>");
    const auto copy = dir / "копия.xls";
    ASSERT_TRUE(report.save(u16(copy)).ok);
    EXPECT_NE(readFile(copy).find("строка"), std::string::npos);
}

TEST(StaleTemporariesTest, OnlyOurOwnAreRemovedWhenTheReportIsOpened) {
    TempDir dir;
    const auto file = dir / "r.xls";
    {
        SpreadsheetReport seed(u16(file), u"A");
        ASSERT_TRUE(seed.save().ok);
    }
    const std::vector<std::string> others = {".r.xls.saving-Ab12C", ".r.xls.saving-Ab12C!",
                                             ".q.xls.saving-Ab12Cd", "r.xls.saving-Ab12Cd"};
    for (const auto& name : others)
        writeFile(dir / name, "not ours");
    writeFile(dir / ".r.xls.saving-Ab12Cd", "left by a killed save");
    fs::create_symlink("r.xls", dir / ".r.xls.saving-Link01");

    SpreadsheetReport report(u16(file), u"A");
    EXPECT_EQ(report.openOutcome().kind, ReportOpenOutcome::Kind::ExistingFile);
    auto expected = others;
    expected.push_back(".r.xls.saving-Link01"); // a link is never one of ours
    expected.push_back("r.xls");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(dir.path()), expected);
}

} // namespace
