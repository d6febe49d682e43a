// A report file in the serializer's own form is kept as its bytes and the new rows are spliced
// in; every saved byte must be what parsing the whole file and writing it out gives, and any file
// not in that form must go the whole way.

#include "report/SpreadsheetReport.h"
#include "report/WorkbookTemplate.h"
#include "report_differential.h"
#include "report_test_support.h"

#include <gtest/gtest.h>

using report::ReportLoading;
using report::SpreadsheetReport;
using namespace report_test;

namespace {

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>";

struct Run {
    std::u16string sheet;
    int rows = 1;
    bool emptyRowFirst = false;
};

// The file the program leaves after the given runs, each opened, given its rows and saved.
std::string writtenByTheProgram(const std::vector<Run>& runs) {
    TempDir dir;
    const auto file = dir / "r.xls";
    int counter = 0;
    for (const Run& run : runs) {
        SpreadsheetReport report(u16(file), run.sheet, ReportLoading::WholeDocument);
        if (run.emptyRowFirst)
            report.addEmptyRow();
        for (int i = 0; i < run.rows; ++i) {
            const std::u16string n = report::fromUtf8(std::to_string(++counter));
            report.addRow(u"Время начала работы, попытка " + n, n, u"Number");
        }
        if (!report.save().ok)
            throw std::runtime_error("could not write a fixture");
    }
    return readFile(file);
}

std::string replaced(std::string text, const std::string& what, const std::string& with) {
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

// Elements nested `depth` deep, the Workbook counting as the first.
std::string deeplyNested(int depth) {
    std::string s = kDeclaration + "<Workbook><Worksheet ss:Name=\"A\"><Table/>";
    for (int i = 3; i < depth; ++i)
        s += "<g>";
    s += "<g/>";
    for (int i = 3; i < depth; ++i)
        s += "</g>";
    return s + "</Worksheet></Workbook>";
}

// A worksheet whose one cell holds `piece` repeated `times` times.
std::string withLongText(const std::string& piece, int times) {
    std::string s = kDeclaration + "<Workbook><Worksheet ss:Name=\"A\"><Table><Row><Cell><Data "
                                   "ss:Type=\"String\">";
    for (int i = 0; i < times; ++i)
        s += piece;
    return s + "</Data></Cell></Row></Table></Worksheet></Workbook>";
}

struct InPlaceCase {
    const char* name;
    std::string bytes;
    std::u16string sheet;
    bool inPlace; // whether the in-place form must be taken
};

class InPlaceAppendTest : public ::testing::TestWithParam<InPlaceCase> {};

TEST_P(InPlaceAppendTest, SavesExactlyWhatTheWholeDocumentSaves) {
    const Differential outcome =
        compareInPlaceWithWholeDocument(GetParam().bytes, GetParam().sheet);
    EXPECT_EQ(outcome.problem, "");
    EXPECT_EQ(outcome.inPlace, GetParam().inPlace)
        << (GetParam().inPlace ? "went the whole way" : "was kept in place");
}

const std::string kOneRun = writtenByTheProgram({{u"Маша", 3}});
const std::string kThreeSheets =
    writtenByTheProgram({{u"Аня", 2}, {u"Борис", 2}, {u"Вера", 2}, {u"Борис", 1}});

INSTANTIATE_TEST_SUITE_P(
    WrittenByTheProgram, InPlaceAppendTest,
    ::testing::Values(
        InPlaceCase{"OneRun", kOneRun, u"Маша", true},
        InPlaceCase{"SeveralRuns",
                    writtenByTheProgram({{u"Маша", 2}, {u"Маша", 3, true}, {u"Маша", 1}}), u"Маша",
                    true},
        InPlaceCase{"NewSheetAfterTheOthers", kThreeSheets, u"Гоша", true},
        InPlaceCase{"TargetFirstOfThree", kThreeSheets, u"Аня", true},
        InPlaceCase{"TargetMiddleOfThree", kThreeSheets, u"Борис", true},
        InPlaceCase{"TargetLastOfThree", kThreeSheets, u"Вера", true},
        InPlaceCase{"TableWithOnlyColumns", writtenByTheProgram({{u"Маша", 0}}), u"Маша", true},
        InPlaceCase{"OnlyEmptyRows", writtenByTheProgram({{u"Маша", 0, true}}), u"Маша", true},
        InPlaceCase{"NameChangedByTheTextRule", writtenByTheProgram({{u"\"Žora\"", 1}}),
                    u"\"Žora\"", true}),
    [](const auto& param) { return std::string(param.param.name); });

INSTANTIATE_TEST_SUITE_P(
    ShapedElsewhere, InPlaceAppendTest,
    ::testing::Values(
        InPlaceCase{"EmptyTable",
                    kDeclaration +
                        "<Workbook><Worksheet ss:Name=\"A\"><Table/></Worksheet></Workbook>",
                    u"A", true},
        InPlaceCase{"EmptyTableWithAttributes",
                    kDeclaration + "<Workbook><Worksheet ss:Name=\"A\"><Table "
                                   "ss:ExpandedColumnCount=\"2\" x:FullRows=\"1\"/></Worksheet>"
                                   "</Workbook>",
                    u"A", true},
        InPlaceCase{"EmptyRowsOnly",
                    kDeclaration + "<Workbook><Worksheet ss:Name=\"A\"><Table><Row/><Row/></Table>"
                                   "</Worksheet></Workbook>",
                    u"A", true},
        InPlaceCase{"EmptyWorksheet",
                    kDeclaration + "<Workbook><Worksheet ss:Name=\"A\"/></Workbook>", u"A", true},
        InPlaceCase{"WorksheetWithoutTable",
                    kDeclaration + "<Workbook><Worksheet ss:Name=\"A\"><WorksheetOptions>x"
                                   "</WorksheetOptions></Worksheet></Workbook>",
                    u"A", true},
        InPlaceCase{"EmptyWorkbook", kDeclaration + "<Workbook/>", u"A", true},
        InPlaceCase{"WorkbookEndingInText", kDeclaration + "<Workbook>\n</Workbook>", u"A", true},
        InPlaceCase{"TextOutsideWindows1251AndMarkupCharacters",
                    kDeclaration +
                        "<Workbook><Worksheet ss:Name=\"a&amp;&lt;b&quot;'>\"><Table/></Worksheet>"
                        "<Worksheet ss:Name=\"Ž\"><Table><Row><Cell><Data ss:Type=\"String\">"
                        "Ščerba \"日本\" 😀 'ё' &amp; &lt;b&gt; ]]&gt;</Data></Cell></Row></Table>"
                        "</Worksheet></Workbook>",
                    u"Ž", true},
        InPlaceCase{"CommentAndProcessingInstructionsAroundTheTable",
                    kDeclaration + "<!-- before --><?mso-application progid=\"Excel.Sheet\"?>"
                                   "<Workbook><Worksheet ss:Name=\"A\"><!--x--><Table><?pi?><Row/>"
                                   "<!-- last child --></Table><?after data  ?></Worksheet>"
                                   "</Workbook><!--after the root-->",
                    u"A", true},
        InPlaceCase{"TableNestedDeeper",
                    kDeclaration +
                        "<Workbook><Worksheet ss:Name=\"A\"><Options/><Wrap><Table><Row/>"
                        "</Table></Wrap><Table/></Worksheet></Workbook>",
                    u"A", true},
        InPlaceCase{"EmptySheetOfTheNameComesFirst",
                    kDeclaration + "<Workbook><Worksheet ss:Name=\"A\"/><Table/><Worksheet "
                                   "ss:Name=\"A\"><Table/></Worksheet></Workbook>",
                    u"A", true},
        InPlaceCase{"TableOfASheetInsideTheSheet",
                    kDeclaration + "<Workbook><Worksheet ss:Name=\"A\"><Worksheet ss:Name=\"B\">"
                                   "<Table/></Worksheet><Table/></Worksheet></Workbook>",
                    u"A", true},
        InPlaceCase{"SheetFoundAnywhereBelowTheWorkbook",
                    kDeclaration + "<Workbook><Group><Worksheet ss:Name=\"A\"><Table><Row/></Table>"
                                   "</Worksheet></Group><Worksheet ss:Name=\"a\"/></Workbook>",
                    u"A", true},
        InPlaceCase{"WorksheetWithoutAName",
                    kDeclaration + "<Workbook><Worksheet><Table/></Worksheet></Workbook>", u"",
                    true},
        InPlaceCase{"AsDeepAsAllowed", deeplyNested(256), u"A", true},
        // Longer than the parser's buffers: the text comes in several pieces.
        InPlaceCase{"LongTextInPieces", withLongText("Ж&amp;ж", 40000), u"A", true},
        InPlaceCase{"LongTextOfCharactersBeyondTheBasicPlane", withLongText("😀", 40000), u"A",
                    true}),
    [](const auto& param) { return std::string(param.param.name); });

INSTANTIATE_TEST_SUITE_P(
    GoTheWholeWay, InPlaceAppendTest,
    ::testing::Values(
        InPlaceCase{"CrLfLineEnds", replaced(kOneRun, "\t\t\t\t\t\t\t ", "\r\n"), u"Маша", false},
        InPlaceCase{"CrLfInsideText", replaced(kOneRun, "попытка 1", "попытка\r\n1"), u"Маша",
                    false},
        InPlaceCase{"ByteOrderMark", "\xEF\xBB\xBF" + kOneRun, u"Маша", false},
        InPlaceCase{"NoDeclaration", kOneRun.substr(kDeclaration.size()), u"Маша", false},
        InPlaceCase{"TheTemplate", std::string(report::workbookTemplate()), u"Маша", false},
        InPlaceCase{"DeclarationOfAnotherEncoding",
                    "<?xml version=\"1.0\" encoding=\"windows-1251\" standalone=\"no\" ?><Workbook>"
                    "<Worksheet ss:Name=\"\xCC\xE0\xF8\xE0\"><Table/></Worksheet></Workbook>",
                    u"Маша", false},
        InPlaceCase{"DeclarationInLowerCaseEncoding",
                    replaced(kOneRun, "encoding=\"UTF-8\"", "encoding=\"utf-8\""), u"Маша", false},
        InPlaceCase{"StandaloneDocument",
                    replaced(kOneRun, "standalone=\"no\"", "standalone=\"yes\""), u"Маша", false},
        InPlaceCase{"TrailingLineEnd", kOneRun + "\n", u"Маша", false},
        InPlaceCase{"LineEndBeforeTheRoot", replaced(kOneRun, "?><?mso", "?>\n<?mso"), u"Маша",
                    false},
        InPlaceCase{"StartAndEndTagOfAnEmptyElement",
                    kDeclaration + "<Workbook><Worksheet ss:Name=\"A\"><Table></Table></Worksheet>"
                                   "</Workbook>",
                    u"A", false},
        InPlaceCase{"AttributesOutOfOrder",
                    replaced(kOneRun, "ss:AutoFitWidth=\"0\" ss:Width=\"96\"",
                             "ss:Width=\"96\" ss:AutoFitWidth=\"0\""),
                    u"Маша", false},
        InPlaceCase{"SingleQuotedAttribute", replaced(kOneRun, "\"Number\"", "'Number'"), u"Маша",
                    false},
        InPlaceCase{"SpaceInsideATag", replaced(kOneRun, "<Row>", "<Row >"), u"Маша", false},
        InPlaceCase{"CharacterReference", replaced(kOneRun, "попытка", "&#1087;опытка"), u"Маша",
                    false},
        InPlaceCase{"UnescapedGreaterThan", replaced(kOneRun, "попытка", "a>b"), u"Маша", false},
        InPlaceCase{"EscapedApostrophe", replaced(kOneRun, "попытка", "&apos;"), u"Маша", false},
        InPlaceCase{"CdataSection", replaced(kOneRun, "попытка", "<![CDATA[x]]>"), u"Маша", false},
        InPlaceCase{"LineEndInAnAttribute",
                    kDeclaration + "<Workbook><Worksheet a=\"&#10;\" ss:Name=\"A\"><Table/>"
                                   "</Worksheet></Workbook>",
                    u"A", false},
        InPlaceCase{"EmptyProcessingInstructionWithSpace",
                    kDeclaration + "<Workbook><?pi ?><Worksheet ss:Name=\"A\"><Table/></Worksheet>"
                                   "</Workbook>",
                    u"A", false},
        InPlaceCase{"Doctype",
                    kDeclaration + "<!DOCTYPE Workbook [<!ENTITY e \"x\">]><Workbook><Worksheet "
                                   "ss:Name=\"A\"><Table><Row><Cell><Data>&e;</Data></Cell></Row>"
                                   "</Table></Worksheet></Workbook>",
                    u"A", false},
        InPlaceCase{"DefaultAttributeFromADoctype",
                    kDeclaration + "<!DOCTYPE Workbook [<!ATTLIST Table x CDATA \"1\">]><Workbook>"
                                   "<Worksheet ss:Name=\"A\"><Table/></Worksheet></Workbook>",
                    u"A", false},
        InPlaceCase{"OtherRoot", kDeclaration + "<Book><Worksheet ss:Name=\"A\"/></Book>", u"A",
                    false},
        InPlaceCase{"Truncated", kOneRun.substr(0, kOneRun.size() - 20), u"Маша", false},
        InPlaceCase{"GarbageAfterTheRoot", kOneRun + "x", u"Маша", false},
        InPlaceCase{"InvalidUtf8", replaced(kOneRun, "попытка", "\xD0\xD0"), u"Маша", false},
        InPlaceCase{"TooDeep", deeplyNested(257), u"A", false}),
    [](const auto& param) { return std::string(param.param.name); });

// A damaged file goes the whole way, where it is set aside as always, never overwritten.
TEST(InPlaceAppendDamagedTest, ADamagedFileIsSetAsideAsAlways) {
    TempDir dir;
    const auto file = dir / "r.xls";
    const std::string damaged = kOneRun.substr(0, kOneRun.size() / 2);
    writeFile(file, damaged);
    SpreadsheetReport report(u16(file), u"Маша");
    EXPECT_FALSE(report.appendsInPlace());
    ASSERT_EQ(report.openOutcome().kind, report::ReportOpenOutcome::Kind::DamagedSetAside);
    report.addRow(u"a", u"1", u"Number");
    ASSERT_TRUE(report.save().ok);
    EXPECT_EQ(readFile(report::toUtf8(report.openOutcome().setAsidePath)), damaged);
}

TEST(InPlaceAppendRunsTest, EveryLaterRunOfTheProgramStaysInPlaceAndSavingTwiceKeepsAllRows) {
    TempDir dir;
    const auto file = dir / "r.xls";
    {
        SpreadsheetReport first(u16(file), u"Маша");
        EXPECT_FALSE(first.appendsInPlace()) << "a new file starts from the template";
        first.addRow(u"первый", u"1", u"Number");
        ASSERT_TRUE(first.save().ok);
    }
    const std::string afterFirst = readFile(file);
    SpreadsheetReport second(u16(file), u"Маша");
    ASSERT_TRUE(second.appendsInPlace());
    second.addRow(u"второй", u"2", u"Number");
    ASSERT_TRUE(second.save().ok);
    second.addEmptyRow();
    const auto copy = dir / "копия.xls";
    ASSERT_TRUE(second.save(u16(copy)).ok);
    ASSERT_TRUE(second.save().ok);
    EXPECT_TRUE(second.appendsInPlace());
    EXPECT_EQ(readFile(file), readFile(copy));

    SpreadsheetReport whole(u16(file), u"Маша", ReportLoading::WholeDocument);
    const auto rows = whole.tableRows();
    ASSERT_TRUE(rows.has_value());
    const std::vector<std::vector<std::u16string>> expected = {
        {u"первый", u"1"}, {u"второй", u"2"}, {}};
    EXPECT_EQ(*rows, expected);
    // Only the rows went in; what was there before is untouched up to the end of the table.
    const std::string saved = readFile(file);
    const auto tableEnd = afterFirst.rfind("</Table>");
    EXPECT_EQ(saved.substr(0, tableEnd), afterFirst.substr(0, tableEnd));
    EXPECT_EQ(saved.substr(saved.size() - (afterFirst.size() - tableEnd)),
              afterFirst.substr(tableEnd));
}

} // namespace
