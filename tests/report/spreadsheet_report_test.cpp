// The workbook writer: template, worksheets, rows, the text rule and where files go.

#include "report/SpreadsheetReport.h"
#include "report_test_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using report::ReportOpenOutcome;
using report::SpreadsheetReport;
using namespace report_test;

namespace {

const std::string kSep = "\t\t\t\t\t\t\t ";

// The saved form of the template, rebuilt item by item: the serializer's own declaration, the
// processing instruction, the Workbook start tag (the DOM keeps its attributes in name order and
// loses the separators between them), then every item of the template followed by a separator.
std::string savedTemplateUpToWorksheets() {
    const char* items[] = {
        "<DocumentProperties xmlns=\"urn:schemas-microsoft-com:office:office\">",
        "<Version>11.6360</Version>",
        "</DocumentProperties>",
        "<ExcelWorkbook xmlns=\"urn:schemas-microsoft-com:office:excel\">",
        "<WindowHeight>10005</WindowHeight>",
        "<WindowWidth>10005</WindowWidth>",
        "<WindowTopX>120</WindowTopX>",
        "<WindowTopY>135</WindowTopY>",
        "<ProtectStructure>False</ProtectStructure>",
        "<ProtectWindows>False</ProtectWindows>",
        "</ExcelWorkbook>",
        "<Styles>",
        "<Style ss:ID=\"Default\" ss:Name=\"Normal\">",
        "<Alignment ss:Vertical=\"Bottom\"/>",
        "<Borders/>",
        "<Font ss:FontName=\"Arial Cyr\" x:CharSet=\"204\"/>",
        "<Interior/>",
        "<NumberFormat/>",
        "<Protection/>",
        "</Style>",
        "<Style ss:ID=\"s21\">",
        "<NumberFormat ss:Format=\"Short Date\"/>",
        "</Style>",
        "<Style ss:ID=\"s22\">",
        "<NumberFormat ss:Format=\"Short Time\"/>",
        "</Style>",
        "</Styles>",
    };
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>"
                      "<?mso-application progid=\"Excel.Sheet\"?>"
                      "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
                      "xmlns:html=\"http://www.w3.org/TR/REC-html40\" "
                      "xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
                      "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\" "
                      "xmlns:x=\"urn:schemas-microsoft-com:office:excel\">" +
                      kSep;
    for (const char* item : items)
        out += item + kSep;
    return out;
}

std::string worksheetStart(const std::string& name) {
    return "<Worksheet ss:Name=\"" + name +
           "\"><Table><Column ss:AutoFitWidth=\"0\" ss:Width=\"240\"/>"
           "<Column ss:AutoFitWidth=\"0\" ss:Width=\"96\"/>";
}

std::string row(const std::string& label, const std::string& value, const std::string& type) {
    return "<Row><Cell><Data ss:Type=\"String\">" + label + "</Data></Cell><Cell><Data ss:Type=\"" +
           type + "\">" + value + "</Data></Cell></Row>";
}

class SpreadsheetReportTest : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path file = dir / "00061 Упражнение «Tavrelo».xls";
};

TEST_F(SpreadsheetReportTest, FirstRunWritesTheTemplateWithOneWorksheetAndItsRows) {
    SpreadsheetReport report(u16(file), u"Маша");
    EXPECT_EQ(report.openOutcome().kind, ReportOpenOutcome::Kind::NewFile);
    EXPECT_TRUE(report.openOutcome().message.empty());
    EXPECT_FALSE(std::filesystem::exists(file)) << "opening alone writes nothing";

    report.addRow(u"Время начала работы", u"10:15:00", u"String");
    report.addRow(u"Количество повторов инструкции", u"2", u"Number");
    const auto saved = report.save();
    ASSERT_TRUE(saved.ok) << report::toUtf8(saved.reason);
    EXPECT_TRUE(saved.reason.empty());

    const std::string expected = savedTemplateUpToWorksheets() + worksheetStart("Маша") +
                                 row("Время начала работы", "10:15:00", "String") +
                                 row("Количество повторов инструкции", "2", "Number") +
                                 "</Table></Worksheet></Workbook>";
    EXPECT_EQ(readFile(file), expected);
    EXPECT_EQ(report.filePath(), u16(file));
}

TEST_F(SpreadsheetReportTest, SecondRunAppendsToTheSameTableAndAnotherNameAddsASheet) {
    {
        SpreadsheetReport first(u16(file), u"Маша");
        first.addRow(u"Первый", u"1", u"Number");
        ASSERT_TRUE(first.save().ok);
    }
    {
        SpreadsheetReport second(u16(file), u"Маша");
        EXPECT_EQ(second.openOutcome().kind, ReportOpenOutcome::Kind::ExistingFile);
        second.addRow(u"Второй", u"2", u"Number");
        ASSERT_TRUE(second.save().ok);
    }
    {
        SpreadsheetReport other(u16(file), u"Петя");
        other.addRow(u"Третий", u"3", u"Number");
        ASSERT_TRUE(other.save().ok);
    }
    const std::string saved = readFile(file);
    EXPECT_EQ(countOf(saved, "<Worksheet "), 2);
    EXPECT_EQ(countOf(saved, "<Table>"), 2);
    EXPECT_NE(saved.find(worksheetStart("Маша") + row("Первый", "1", "Number") +
                         row("Второй", "2", "Number") + "</Table></Worksheet>" +
                         worksheetStart("Петя") + row("Третий", "3", "Number") +
                         "</Table></Worksheet></Workbook>"),
              std::string::npos)
        << saved;
    EXPECT_EQ(saved.rfind(savedTemplateUpToWorksheets(), 0), 0u) << "the template part survives";
}

TEST_F(SpreadsheetReportTest, SheetNameMatchesExactlyAndIsFoundAnywhereBelowTheWorkbook) {
    writeFile(file, "<?xml version=\"1.0\"?><Workbook><Group><Worksheet ss:Name=\"Аня\"><Table>"
                    "<Row/></Table></Worksheet></Group><Worksheet ss:Name=\"аня\"/></Workbook>");
    {
        SpreadsheetReport report(u16(file), u"Аня");
        report.addRow(u"a", u"1", u"Number");
        ASSERT_TRUE(report.save().ok);
    }
    EXPECT_EQ(readFile(file),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?><Workbook><Group>"
              "<Worksheet ss:Name=\"Аня\"><Table><Row/>" +
                  row("a", "1", "Number") +
                  "</Table></Worksheet></Group><Worksheet ss:Name=\"аня\"/></Workbook>");
}

// Where a row lands in a workbook someone else shaped: the first Table anywhere below the first
// worksheet of that name, in document order, however the elements are nested.
struct RowPlacementCase {
    const char* name;
    std::string given;
    std::string saved; // "@" marks where the new row must appear
};

class RowPlacementTest : public ::testing::TestWithParam<RowPlacementCase> {};

TEST_P(RowPlacementTest, RowGoesToTheFirstTableOfTheFirstMatchingWorksheet) {
    TempDir dir;
    const auto file = dir / "r.xls";
    std::string expected = GetParam().saved;
    expected.replace(expected.find('@'), 1, row("x", "1", "Number"));
    writeFile(file, GetParam().given);
    {
        SpreadsheetReport report(u16(file), u"A");
        ASSERT_EQ(report.openOutcome().kind, ReportOpenOutcome::Kind::ExistingFile);
        report.addRow(u"x", u"1", u"Number");
        const auto rows = report.tableRows();
        ASSERT_TRUE(rows.has_value());
        EXPECT_EQ(rows->back(), (std::vector<std::u16string>{u"x", u"1"}));
        ASSERT_TRUE(report.save().ok);
    }
    EXPECT_EQ(readFile(file),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>" + expected);
}

INSTANTIATE_TEST_SUITE_P(
    Workbooks, RowPlacementTest,
    ::testing::Values(
        RowPlacementCase{"TableNestedDeeper",
                         "<Workbook><Worksheet ss:Name=\"A\"><Options/><Wrap><Table><Row/></Table>"
                         "</Wrap><Table/></Worksheet></Workbook>",
                         "<Workbook><Worksheet ss:Name=\"A\"><Options/><Wrap><Table><Row/>@</Table>"
                         "</Wrap><Table/></Worksheet></Workbook>"},
        RowPlacementCase{"EmptySheetOfTheNameComesFirst",
                         "<Workbook><Worksheet ss:Name=\"A\"/><Table/><Worksheet ss:Name=\"A\">"
                         "<Table/></Worksheet></Workbook>",
                         "<Workbook><Worksheet ss:Name=\"A\"><Table>@</Table></Worksheet><Table/>"
                         "<Worksheet ss:Name=\"A\"><Table/></Worksheet></Workbook>"},
        RowPlacementCase{"TableOfASheetInsideTheSheet",
                         "<Workbook><Worksheet ss:Name=\"A\"><Worksheet ss:Name=\"B\"><Table/>"
                         "</Worksheet><Table/></Worksheet></Workbook>",
                         "<Workbook><Worksheet ss:Name=\"A\"><Worksheet ss:Name=\"B\"><Table>@"
                         "</Table></Worksheet><Table/></Worksheet></Workbook>"},
        RowPlacementCase{"SecondSheetAfterAClosedFirst",
                         "<Workbook><Worksheet ss:Name=\"B\"><Table><Row/></Table></Worksheet>"
                         "<Worksheet ss:Name=\"A\"><x/><Table></Table></Worksheet></Workbook>",
                         "<Workbook><Worksheet ss:Name=\"B\"><Table><Row/></Table></Worksheet>"
                         "<Worksheet ss:Name=\"A\"><x/><Table>@</Table></Worksheet></Workbook>"},
        RowPlacementCase{"TableAfterTheSheetIsNotItsOwn",
                         "<Workbook><Worksheet ss:Name=\"A\"><Cell/></Worksheet>"
                         "<Table><Row/></Table></Workbook>",
                         "<Workbook><Worksheet ss:Name=\"A\"><Cell/><Table>@</Table></Worksheet>"
                         "<Table><Row/></Table></Workbook>"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(SpreadsheetReportTest, WorksheetWithoutTableGetsOneOnTheFirstRow) {
    writeFile(file, "<Workbook><Worksheet ss:Name=\"A\"/></Workbook>");
    SpreadsheetReport report(u16(file), u"A");
    EXPECT_FALSE(report.tableRows().has_value());
    report.addEmptyRow();
    report.addRow(u"x", u"y", u"String");
    ASSERT_TRUE(report.save().ok);
    EXPECT_NE(readFile(file).find("<Worksheet ss:Name=\"A\"><Table><Row/>" +
                                  row("x", "y", "String") + "</Table></Worksheet>"),
              std::string::npos);
}

struct TextCase {
    std::u16string given;
    std::string stored;
};

TEST_F(SpreadsheetReportTest, TextKeepsTheWindows1251RepertoireOnly) {
    const TextCase cases[] = {
        {u"Say \"hi\"", "Say 'hi'"},
        {u"Ščerba", "??erba"},           // Latin letters with a caron
        {u"Ёлка — №5 €", "Ёлка — №5 €"}, // all of these exist in the code page
        {u"日本", "??"},
        {u"a\u0001b\tc", "a?b\tc"}, // XML cannot carry most control characters
        {u"\U0001F600", "??"},      // a surrogate pair is two unknown code units
        {u"<&>", "&lt;&amp;&gt;"},
    };
    SpreadsheetReport report(u16(file), u"\"Ž\"");
    for (const auto& c : cases)
        report.addRow(c.given, c.given, u"Str\"ing");
    ASSERT_TRUE(report.save().ok);
    const std::string saved = readFile(file);
    EXPECT_NE(saved.find("<Worksheet ss:Name=\"'?'\">"), std::string::npos);
    for (const auto& c : cases) {
        EXPECT_NE(saved.find("<Row><Cell><Data ss:Type=\"String\">" + c.stored +
                             "</Data></Cell><Cell><Data ss:Type=\"Str'ing\">" + c.stored +
                             "</Data></Cell></Row>"),
                  std::string::npos)
            << c.stored;
    }
    // The stored name is what a later run must match.
    SpreadsheetReport again(u16(file), u"\"Ž\"");
    EXPECT_EQ(again.sheetName(), u"'?'");
    ASSERT_TRUE(again.save().ok);
    EXPECT_EQ(countOf(readFile(file), "<Worksheet "), 1);
}

TEST_F(SpreadsheetReportTest, EmptyRowBetweenRowsIsAnEmptyElement) {
    SpreadsheetReport report(u16(file), u"A");
    report.addRow(u"a", u"1", u"Number");
    report.addEmptyRow();
    report.addRow(u"b", u"2", u"Number");
    ASSERT_TRUE(report.save().ok);
    EXPECT_NE(readFile(file).find(row("a", "1", "Number") + "<Row/>" + row("b", "2", "Number")),
              std::string::npos);
}

TEST_F(SpreadsheetReportTest, SavingElsewhereLeavesTheOwnFileAndPathAlone) {
    SpreadsheetReport report(u16(file), u"A");
    report.addRow(u"a", u"1", u"Number");
    ASSERT_TRUE(report.save().ok);
    const std::string before = readFile(file);

    report.addRow(u"b", u"2", u"Number");
    const auto copy = dir / "копия.xls";
    ASSERT_TRUE(report.save(u16(copy)).ok);
    EXPECT_EQ(readFile(file), before);
    EXPECT_NE(readFile(copy).find(row("b", "2", "Number")), std::string::npos);
    EXPECT_EQ(report.filePath(), u16(file));

    // A later save with no path goes to the own file again, with everything added since.
    ASSERT_TRUE(report.save().ok);
    EXPECT_EQ(readFile(file), readFile(copy));
}

TEST_F(SpreadsheetReportTest, SaveLeavesNoTemporaryFilesAndKeepsAnExistingMode) {
    SpreadsheetReport report(u16(file), u"A");
    ASSERT_TRUE(report.save().ok);
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
    ::chmod(file.c_str(), 0600);
    ASSERT_TRUE(report.save().ok);
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(SpreadsheetReportTest, SavingThroughASymbolicLinkReplacesTheFileItPointsTo) {
    const auto real = dir / "real.xls";
    const auto link = dir / "link.xls";
    {
        SpreadsheetReport seed(u16(real), u"A");
        ASSERT_TRUE(seed.save().ok);
    }
    std::filesystem::create_symlink(real, link);
    SpreadsheetReport report(u16(link), u"A");
    report.addRow(u"через ссылку", u"1", u"Number");
    ASSERT_TRUE(report.save().ok);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_NE(readFile(real).find("через ссылку"), std::string::npos);
}

TEST_F(SpreadsheetReportTest, SaveIntoAnUnwritablePlaceFailsWithAReasonAndKeepsTheOldFile) {
    SpreadsheetReport report(u16(file), u"A");
    report.addRow(u"a", u"1", u"Number");
    ASSERT_TRUE(report.save().ok);
    const std::string before = readFile(file);
    report.addRow(u"b", u"2", u"Number");

    // A regular file where a folder should be: no user, root included, can write there.
    const auto plain = dir / "plain";
    writeFile(plain, "not a folder");
    const auto failed = report.save(u16(plain / "report.xls"));
    EXPECT_FALSE(failed.ok);
    EXPECT_NE(failed.reason.find(u"Не удалось сохранить отчёт"), std::u16string::npos);
    EXPECT_NE(failed.reason.find(u"вместо папки стоит файл"), std::u16string::npos);
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(readFile(plain), "not a folder");

    // The report's own file in such a place fails the same way.
    SpreadsheetReport nowhere(u16(plain / "own.xls"), u"A");
    EXPECT_EQ(nowhere.openOutcome().kind, ReportOpenOutcome::Kind::NewFile);
    EXPECT_FALSE(nowhere.save().ok);
}

TEST_F(SpreadsheetReportTest, AFolderInPlaceOfTheFileIsNeverReplaced) {
    std::filesystem::create_directory(file);
    writeFile(file / "inside.txt", "keep");
    SpreadsheetReport report(u16(file), u"A");
    EXPECT_EQ(report.openOutcome().kind, ReportOpenOutcome::Kind::KeptUntouched);
    EXPECT_NE(report.openOutcome().message.find(u"не будет перезаписан"), std::u16string::npos);
    report.addRow(u"a", u"1", u"Number");
    const auto failed = report.save();
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.reason.empty());
    EXPECT_EQ(readFile(file / "inside.txt"), "keep");
    const auto elsewhere = dir / "elsewhere.xls";
    EXPECT_TRUE(report.save(u16(elsewhere)).ok);
    EXPECT_NE(readFile(elsewhere).find(row("a", "1", "Number")), std::string::npos);
}

TEST_F(SpreadsheetReportTest, TableRowsGiveEveryDataTextInOrderIncludingEarlierRuns) {
    {
        SpreadsheetReport first(u16(file), u"A");
        first.addRow(u"раньше", u"1", u"Number");
        ASSERT_TRUE(first.save().ok);
    }
    SpreadsheetReport report(u16(file), u"A");
    report.addEmptyRow();
    report.addRow(u"сейчас \"да\"", u"2", u"Number");
    const auto rows = report.tableRows();
    ASSERT_TRUE(rows.has_value());
    const std::vector<std::vector<std::u16string>> expected = {
        {u"раньше", u"1"}, {}, {u"сейчас 'да'", u"2"}};
    EXPECT_EQ(*rows, expected);
}

} // namespace

namespace {

TEST(SpreadsheetReportLimitsTest, LongAndModeratelyDeepWorkbooksAreRead) {
    TempDir dir;
    std::string manyRows = "<Workbook><Worksheet ss:Name=\"A\"><Table>";
    for (int i = 0; i < 3000; ++i)
        manyRows += "<Row><Cell><Data>x</Data></Cell></Row><Row/>";
    manyRows += "</Table></Worksheet></Workbook>";
    std::string deep = "<Workbook>";
    for (int i = 0; i < 255; ++i)
        deep += "<g>";
    for (int i = 0; i < 255; ++i)
        deep += "</g>";
    deep += "</Workbook>";

    for (const std::string& bytes : {manyRows, deep}) {
        const auto file = dir / "r.xls";
        writeFile(file, bytes);
        SpreadsheetReport report(u16(file), u"A");
        EXPECT_EQ(report.openOutcome().kind, ReportOpenOutcome::Kind::ExistingFile);
        std::filesystem::remove(file);
    }
}

} // namespace
