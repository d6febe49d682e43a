// Report files that cannot be read are never overwritten, and the parser never reaches outside
// the file it reads.

#include "report/DamagedFileName.h"
#include "report/SpreadsheetReport.h"
#include "report_test_support.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

using report::ReportOpenOutcome;
using report::SpreadsheetReport;
using namespace report_test;

namespace {

std::string truncatedReport() {
    const std::string full =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?><Workbook>"
        "<Worksheet ss:Name=\"A\"><Table><Row><Cell><Data ss:Type=\"String\">строка</Data>"
        "</Cell></Row></Table></Worksheet></Workbook>";
    return full.substr(0, full.size() / 2);
}

std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string repeated(std::string_view piece, int times) {
    std::string s;
    for (int i = 0; i < times; ++i)
        s += piece;
    return s;
}

// A Workbook holding `emptyFirst` empty elements, then elements nested `depth` deep below it.
std::string nestedInWorkbook(int depth, int emptyFirst = 0) {
    return "<Workbook>" + repeated("<e/>", emptyFirst) + repeated("<a>", depth) +
           repeated("</a>", depth) + "</Workbook>";
}

struct DamagedCase {
    const char* name;
    std::string bytes;
};

class DamagedReportTest : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedReportTest, IsSetAsideWithItsBytesAndANewFileBegins) {
    TempDir dir;
    const auto file = dir / "Отчёт.xls";
    writeFile(file, GetParam().bytes);

    SpreadsheetReport report(u16(file), u"Маша");
    const auto& outcome = report.openOutcome();
    ASSERT_EQ(outcome.kind, ReportOpenOutcome::Kind::DamagedSetAside);
    EXPECT_NE(outcome.message.find(u"повреждён"), std::u16string::npos);
    EXPECT_NE(outcome.message.find(outcome.setAsidePath), std::u16string::npos)
        << "the message names where the file went";

    const auto files = filesIn(dir.path());
    ASSERT_EQ(files.size(), 1u) << "renamed, not copied; the usual name is free";
    EXPECT_EQ(u16(files[0]), outcome.setAsidePath);
    const std::string asideName = files[0].filename().string();
    EXPECT_EQ(asideName.rfind("Отчёт.повреждён-", 0), 0u) << asideName;
    EXPECT_EQ(asideName.substr(asideName.size() - 4), ".xls");
    EXPECT_EQ(readFile(files[0]), GetParam().bytes);

    report.addRow(u"после", u"1", u"Number");
    ASSERT_TRUE(report.save().ok);
    EXPECT_EQ(readFile(files[0]), GetParam().bytes);
    SpreadsheetReport reopened(u16(file), u"Маша");
    EXPECT_EQ(reopened.openOutcome().kind, ReportOpenOutcome::Kind::ExistingFile);
    const auto rows = reopened.tableRows();
    ASSERT_TRUE(rows.has_value());
    EXPECT_EQ(rows->size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedReportTest,
    ::testing::Values(
        DamagedCase{"NotXml", "Это не XML, а просто текст"}, DamagedCase{"Empty", ""},
        DamagedCase{"Truncated", truncatedReport()},
        DamagedCase{"NotAWorkbook", "<?xml version=\"1.0\"?><html><body/></html>"},
        DamagedCase{"Binary", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0\x3E\0", 12)},
        DamagedCase{"TwoRoots", "<Workbook/><Workbook/>"},
        DamagedCase{"EntityBomb",
                    "<!DOCTYPE Workbook [<!ENTITY a \"aaaaaaaaaa\">"
                    "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                    "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                    "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
                    "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">]><Workbook>&e;</Workbook>"},
        DamagedCase{"TooDeep", nestedInWorkbook(1200)},
        // One element deeper than the common XML readers take.
        DamagedCase{"JustTooDeep", nestedInWorkbook(256)},
        // Few expansions of one large entity: within the count, far beyond any workbook's text.
        DamagedCase{"QuadraticEntity",
                    "<!DOCTYPE Workbook [<!ENTITY e \"" + std::string(200 * 1024, 'x') +
                        "\">]><Workbook><Worksheet ss:Name=\"A\"><Table><Row><Cell><Data>" +
                        repeated("&e;", 999) +
                        "</Data></Cell></Row></Table></Worksheet></Workbook>"},
        // Empty elements open and close at once; they must not make deep nesting look shallow.
        DamagedCase{"TooDeepAfterEmptyElements", nestedInWorkbook(1200, 3000)}),
    [](const auto& param) { return std::string(param.param.name); });

// A file outside the report that a hostile document points at. inotify sees any open of it.
class OutsideFileTest : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(OutsideFileTest, IsNeverOpenedAndTheDocumentCountsAsDamaged) {
    TempDir dir;
    const auto secret = dir / "secret.txt";
    writeFile(secret, "SECRET-CONTENTS");
    const auto file = dir / "r.xls";
    std::string bytes = GetParam().bytes;
    bytes.replace(bytes.find("@SECRET@"), 8, secret.string());
    writeFile(file, bytes);

    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, secret.c_str(), IN_OPEN | IN_ACCESS), 0);

    SpreadsheetReport report(u16(file), u"A");
    report.addRow(u"a", u"1", u"Number");
    ASSERT_TRUE(report.save().ok);

    char events[4096];
    const ssize_t got = ::read(watch, events, sizeof events);
    ::close(watch);
    EXPECT_LT(got, 0) << "the outside file was opened or read";
    EXPECT_EQ(report.openOutcome().kind, ReportOpenOutcome::Kind::DamagedSetAside);
    EXPECT_EQ(readFile(file).find("SECRET"), std::string::npos);
    EXPECT_EQ(readFile(std::filesystem::path(report::toUtf8(report.openOutcome().setAsidePath))),
              bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, OutsideFileTest,
    ::testing::Values(
        DamagedCase{"GeneralEntity", "<?xml version=\"1.0\"?><!DOCTYPE Workbook [<!ENTITY x SYSTEM "
                                     "\"file://@SECRET@\">]><Workbook><Worksheet ss:Name=\"A\">"
                                     "<Table><Row><Cell><Data>&x;</Data></Cell></Row></Table>"
                                     "</Worksheet></Workbook>"},
        DamagedCase{"ParameterEntity", "<!DOCTYPE Workbook [<!ENTITY % p SYSTEM \"@SECRET@\"> %p;]>"
                                       "<Workbook/>"},
        DamagedCase{"ExternalDtd", "<!DOCTYPE Workbook SYSTEM \"@SECRET@\"><Workbook/>"},
        DamagedCase{"UnusedExternalEntity",
                    "<!DOCTYPE Workbook [<!ENTITY x SYSTEM \"@SECRET@\">]><Workbook/>"},
        DamagedCase{
            "UnusedExternalEntityAgain",
            "<!DOCTYPE Workbook [<!ENTITY y PUBLIC \"-//x//y\" \"@SECRET@\">]><Workbook/>"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(DamagedFileNameTest, CarriesDateAndTimeAndStaysInTheFolder) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 10;
    when.tm_hour = 4;
    when.tm_min = 30;
    when.tm_sec = 0;
    when.tm_isdst = -1;
    const std::time_t t = std::mktime(&when);
    EXPECT_EQ(report::damagedFileName("/data/KVAD/Отчёт.xls", t),
              "/data/KVAD/Отчёт.повреждён-2026-12-10_04-30-00.xls");
    EXPECT_EQ(report::damagedFileName("/data/report", t, 3),
              "/data/report.повреждён-2026-12-10_04-30-00-3");
}

TEST(DamagedFileNameTest, TwoDamagedFilesInOneSecondBothKeepTheirBytes) {
    TempDir dir;
    const auto file = dir / "r.xls";
    writeFile(file, "first");
    SpreadsheetReport one(u16(file), u"A");
    writeFile(file, "second");
    SpreadsheetReport two(u16(file), u"A");
    ASSERT_EQ(one.openOutcome().kind, ReportOpenOutcome::Kind::DamagedSetAside);
    ASSERT_EQ(two.openOutcome().kind, ReportOpenOutcome::Kind::DamagedSetAside);
    EXPECT_NE(one.openOutcome().setAsidePath, two.openOutcome().setAsidePath);
    EXPECT_EQ(readFile(report::toUtf8(one.openOutcome().setAsidePath)), "first");
    EXPECT_EQ(readFile(report::toUtf8(two.openOutcome().setAsidePath)), "second");
}

} // namespace
