// The page layout of a printed report, drawn into a device context that records every call.

#include "report/ReportPrinter.h"
#include "report_test_support.h"

#include <gtest/gtest.h>

using report::PrintHeader;
using report::SpreadsheetReport;
using namespace report_test;

namespace {

struct DrawnText {
    int page;
    int x;
    int y;
    std::u16string text;
    bool operator==(const DrawnText&) const = default;
};

// Every character is `charWidth` wide; a text of one "W" is `wideCharWidth` wide.
class RecordingDeviceContext final : public report::PrinterDeviceContext {
public:
    int width = 2000;
    int height = 1000;
    int line = 100;
    int charWidth = 10;
    bool canStart = true;

    int pageWidth() const override { return width; }
    int pageHeight() const override { return height; }
    int lineHeight() const override { return line; }
    int averageCharWidth() const override { return charWidth; }
    int textWidth(const std::u16string& text) const override {
        return static_cast<int>(text.size()) * charWidth;
    }
    bool startDocument(const std::u16string& name) override {
        calls.push_back(u"startDocument " + name);
        return canStart;
    }
    void startPage() override {
        ++page;
        inPage = true;
        calls.push_back(u"startPage");
    }
    void textOut(int x, int y, const std::u16string& text) override {
        EXPECT_TRUE(inPage) << "text outside a page";
        drawn.push_back({page, x, y, text});
    }
    void endPage() override {
        inPage = false;
        calls.push_back(u"endPage");
    }
    bool endDocument() override {
        calls.push_back(u"endDocument");
        return true;
    }

    std::vector<std::u16string> calls;
    std::vector<DrawnText> drawn;
    int page = 0;
    bool inPage = false;
};

class ReportPrinterTest : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path file = dir / "r.xls";
    RecordingDeviceContext dc;
    const PrintHeader header = {
        {u"Номер ЦОР", u"00061"}, {u"Ученик", u"Маша"}, {u"Название", u"Tavrelo"}};
};

TEST_F(ReportPrinterTest, HeaderInLabelOrderThenRowsWithAPageBreakWhenFull) {
    SpreadsheetReport report(u16(file), u"Маша");
    for (int i = 1; i <= 6; ++i)
        report.addRow(u"строка " + std::u16string(1, u'0' + i), u"1", u"Number");
    ASSERT_TRUE(report::printReport(report, &dc, header));

    // Half of the 2000-wide page is 1000; the indent is the average character width, 10.
    const std::vector<DrawnText> expected = {
        {1, 10, 100, u"Название"}, {1, 1010, 100, u"Tavrelo"}, {1, 10, 200, u"Номер ЦОР"},
        {1, 1010, 200, u"00061"},  {1, 10, 300, u"Ученик"},    {1, 1010, 300, u"Маша"},
        {1, 10, 500, u"строка 1"}, {1, 1010, 500, u"1"},       {1, 10, 600, u"строка 2"},
        {1, 1010, 600, u"1"},      {1, 10, 700, u"строка 3"},  {1, 1010, 700, u"1"},
        {1, 10, 800, u"строка 4"}, {1, 1010, 800, u"1"},       {2, 10, 100, u"строка 5"},
        {2, 1010, 100, u"1"},      {2, 10, 200, u"строка 6"},  {2, 1010, 200, u"1"},
    };
    EXPECT_EQ(dc.drawn, expected);
    const std::vector<std::u16string> calls = {u"startDocument Print1: Printing",
                                               u"startPage",
                                               u"endPage",
                                               u"startPage",
                                               u"endPage",
                                               u"endDocument"};
    EXPECT_EQ(dc.calls, calls);
}

TEST_F(ReportPrinterTest, WideTextPushesTheNextColumnRight) {
    dc.width = 400; // half page 200
    SpreadsheetReport report(u16(file), u"A");
    const std::u16string longLabel(30, u'щ'); // 300 wide
    report.addRow(longLabel, u"5", u"Number");
    report.addRow(u"коротко", u"6", u"Number");
    ASSERT_TRUE(report::printReport(report, &dc, {{longLabel, u"значение"}}));
    ASSERT_EQ(dc.drawn.size(), 6u);
    EXPECT_EQ(dc.drawn[1], (DrawnText{1, 10 + 300 + 10, 100, u"значение"})) << "header value";
    EXPECT_EQ(dc.drawn[3], (DrawnText{1, 10 + 10 + 300, 300, u"5"})) << "row value";
    EXPECT_EQ(dc.drawn[5], (DrawnText{1, 10 + 200, 400, u"6"})) << "a short label keeps half";
}

TEST_F(ReportPrinterTest, EmptyRowsAreEmptyLinesAndRowsOfEarlierRunsPrintToo) {
    writeFile(file, "<Workbook><Worksheet ss:Name=\"A\"><Table><Column/><Row><Cell><Data>"
                    "прежний Ž</Data></Cell></Row><Row><Cell><Data>один</Data></Cell>"
                    "<Cell><Data>два</Data></Cell><Cell><Data>три</Data></Cell></Row>"
                    "</Table></Worksheet></Workbook>");
    SpreadsheetReport report(u16(file), u"A");
    report.addEmptyRow();
    report.addRow(u"новый", u"7", u"Number");
    ASSERT_TRUE(report::printReport(report, &dc, {}));
    const std::vector<DrawnText> expected = {
        {1, 10, 200, u"прежний ?"}, // outside the printer's code page
        {1, 10, 300, u"один"},      {1, 1010, 300, u"два"}, {1, 2010, 300, u"три"},
        {1, 10, 500, u"новый"},     {1, 1010, 500, u"7"},
    };
    EXPECT_EQ(dc.drawn, expected);
}

TEST_F(ReportPrinterTest, NothingAtAllWithoutATable) {
    writeFile(file, "<Workbook><Worksheet ss:Name=\"A\"/></Workbook>");
    SpreadsheetReport report(u16(file), u"A");
    EXPECT_FALSE(report::printReport(report, &dc, header));
    EXPECT_TRUE(dc.calls.empty());
    EXPECT_TRUE(dc.drawn.empty());
}

TEST_F(ReportPrinterTest, NothingWhenTheJobCannotStartOrThereIsNoPrinter) {
    SpreadsheetReport report(u16(file), u"A");
    report.addRow(u"a", u"1", u"Number");
    dc.canStart = false;
    EXPECT_FALSE(report::printReport(report, &dc, header));
    EXPECT_EQ(dc.calls, std::vector<std::u16string>{u"startDocument Print1: Printing"});
    EXPECT_TRUE(dc.drawn.empty());
    EXPECT_FALSE(report::printReport(report, nullptr, header));
}

TEST_F(ReportPrinterTest, BreakHappensExactlyWhenTwoMoreLinesWouldReachTheBottom) {
    dc.height = 801; // after the row at 600: 600 + 200 < 801 → next at 700; 700 + 200 ≥ 801
    SpreadsheetReport report(u16(file), u"A");
    for (int i = 0; i < 4; ++i)
        report.addEmptyRow();
    report.addRow(u"x", u"y", u"String");
    report.addRow(u"x", u"y", u"String");
    ASSERT_TRUE(report::printReport(report, &dc, {}));
    // Rows at 200, 300, 400, 500 (empty), 600 (x), 700 (x): the page is full, and as nothing
    // follows, no second page.
    ASSERT_EQ(dc.drawn.size(), 4u);
    EXPECT_EQ(dc.drawn[0].y, 600);
    EXPECT_EQ(dc.drawn[2].y, 700);
    EXPECT_EQ(dc.drawn[2].page, 1);
    EXPECT_EQ(dc.calls, (std::vector<std::u16string>{u"startDocument Print1: Printing", u"startPage",
                                                     u"endPage", u"endDocument"}))
        << "no empty last page";

    // One row more goes to the top of a second page.
    report.addRow(u"z", u"w", u"String");
    dc.calls.clear();
    dc.drawn.clear();
    dc.page = 0;
    ASSERT_TRUE(report::printReport(report, &dc, {}));
    ASSERT_EQ(dc.drawn.size(), 6u);
    EXPECT_EQ(dc.drawn[4], (DrawnText{2, 10, 100, u"z"}));
    EXPECT_EQ(std::count(dc.calls.begin(), dc.calls.end(), u"startPage"), 2);
    EXPECT_EQ(std::count(dc.calls.begin(), dc.calls.end(), u"endPage"), 2);
}

} // namespace
