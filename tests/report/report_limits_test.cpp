// Budgets instead of blow-ups: files too large to read are kept where they are and never
// overwritten, a parse runs out of its budget rather than out of the machine's memory, and what
// is accepted is nested no deeper than the common XML readers read.

#include "report/SpreadsheetReport.h"
#include "report/xml/WorkbookParser.h"
#include "report/xml/XercesSession.h"
#include "report_test_support.h"

#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using report::ReportOpenOutcome;
using report::SpreadsheetReport;
using namespace report_test;

namespace {

namespace fs = std::filesystem;

// A workbook that is not in the serializer's own form, so that it is parsed into a DOM.
std::string foreignWorkbook(std::size_t rows) {
    std::string s = "<Workbook>\n <Worksheet ss:Name=\"A\">\n  <Table>\n";
    s.reserve(rows * 80 + 100);
    for (std::size_t i = 0; i < rows; ++i)
        s += "   <Row><Cell><Data ss:Type=\"String\">строка</Data></Cell></Row>\n";
    return s + "  </Table>\n </Worksheet>\n</Workbook>\n";
}

std::size_t kilobytesOf(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stoul(line.substr(std::strlen(field)));
    return 0;
}

TEST(ReportLimitsTest, AFileBeyondTheSizeLimitIsNeitherReadNorMovedNorOverwritten) {
    TempDir dir;
    const auto file = dir / "r.xls";
    writeFile(file, "<?xml version=\"1.0\"?><Workbook>");
    // Sparse: the size is there, the disk blocks are not.
    fs::resize_file(file, report::kMaximumReportFileSize + 1);
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, file.c_str(), IN_OPEN | IN_ACCESS), 0);

    SpreadsheetReport report(u16(file), u"A");
    char events[4096];
    EXPECT_LT(::read(watch, events, sizeof events), 0) << "the file was opened";
    ::close(watch);
    const auto& outcome = report.openOutcome();
    EXPECT_EQ(outcome.kind, ReportOpenOutcome::Kind::TooLarge);
    EXPECT_NE(outcome.message.find(u"слишком велик"), std::u16string::npos);

    report.addRow(u"a", u"1", u"Number");
    const auto failed = report.save();
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.reason, outcome.message);
    EXPECT_EQ(fs::file_size(file), report::kMaximumReportFileSize + 1);
    EXPECT_TRUE(report.save(u16(dir / "копия.xls")).ok);
}

TEST(ReportLimitsTest, AWorkbookNeedingMoreThanTheParseBudgetIsTooLargeWithinBoundedMemory) {
    TempDir dir;
    const auto file = dir / "r.xls";
    const std::string bytes = foreignWorkbook(600000); // about 40 MB, some 800 MB as a DOM
    writeFile(file, bytes);
    ASSERT_LT(bytes.size(), report::kMaximumReportFileSize);

    const std::size_t baselineKb = kilobytesOf("VmRSS:");
    const pid_t child = ::fork();
    if (child == 0) {
        // Without the budget the parse would run into this ceiling.
        const rlim_t ceiling = (kilobytesOf("VmSize:") << 10) + (rlim_t{1} << 30);
        const rlimit limit{ceiling, ceiling};
        if (::setrlimit(RLIMIT_AS, &limit) != 0)
            ::_exit(3);
        SpreadsheetReport report(u16(file), u"A");
        ::_exit(report.openOutcome().kind == ReportOpenOutcome::Kind::TooLarge ? 0 : 1);
    }
    ASSERT_GT(child, 0);
    int status = 0;
    rusage usage{};
    ASSERT_EQ(::wait4(child, &status, 0, &usage), child);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "not reported as too large";
    const std::size_t growthMb = (static_cast<std::size_t>(usage.ru_maxrss) - baselineKb) >> 10;
    EXPECT_LT(growthMb, (report::kWorkbookParseMemoryBudget >> 20) + 200)
        << "the parse took more than its budget";
    EXPECT_EQ(readFile(file), bytes) << "the file is kept where it is";
}

// Running out of the budget at any point of a parse, the scanner's set-up included, unwinds to
// "too large", never to "damaged", and a budget that suffices gives the whole document.
TEST(ReportLimitsTest, AParseOutOfItsBudgetAtAnyPointIsTooLargeNeverDamaged) {
    const std::string bytes = foreignWorkbook(300);
    const report::XercesSession xml;
    bool fitted = false;
    for (std::size_t budget = 1024; budget <= (std::size_t{8} << 20); budget += budget / 3) {
        SCOPED_TRACE(budget);
        const report::ParsedWorkbook parsed = report::parseWorkbook(bytes, u"budget", budget);
        if (parsed.document) {
            fitted = true;
            EXPECT_EQ(parsed.worksheets.size(), 1u);
        } else {
            EXPECT_TRUE(parsed.tooLarge) << parsed.problem;
            EXPECT_FALSE(fitted) << "a larger budget failed where a smaller one fitted";
        }
    }
    EXPECT_TRUE(fitted);
}

TEST(ReportLimitsTest, WhatIsAcceptedAndSavedIsReadByXmllint) {
    if (std::system("xmllint --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xmllint is not installed";
    TempDir dir;
    const auto file = dir / "r.xls";
    for (std::size_t depth : {report::kMaximumWorkbookDepth, report::kMaximumWorkbookDepth + 1}) {
        std::string deep = "<Workbook>";
        for (std::size_t i = 1; i < depth; ++i)
            deep += "<g>";
        for (std::size_t i = 1; i < depth; ++i)
            deep += "</g>";
        writeFile(file, deep + "</Workbook>");
        SpreadsheetReport report(u16(file), u"A");
        if (depth > report::kMaximumWorkbookDepth) {
            EXPECT_EQ(report.openOutcome().kind, ReportOpenOutcome::Kind::DamagedSetAside);
            continue;
        }
        ASSERT_EQ(report.openOutcome().kind, ReportOpenOutcome::Kind::ExistingFile);
        report.addRow(u"a", u"1", u"Number");
        ASSERT_TRUE(report.save().ok);
        const std::string command = "xmllint --noout '" + file.string() + "' 2>/dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << "xmllint refuses the saved file";
    }
}

} // namespace
