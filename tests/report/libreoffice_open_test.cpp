// A saved report is a workbook LibreOffice Calc reads: converted headless to CSV, the rows of
// two runs come out as cells.

#include "report/SpreadsheetReport.h"
#include "report_test_support.h"

#include <gtest/gtest.h>

using namespace report_test;

namespace {

TEST(LibreOfficeOpenTest, CalcReadsTheRowsOfASavedReport) {
    const char* office = "/usr/bin/libreoffice";
    if (!std::filesystem::exists(office))
        GTEST_SKIP() << "LibreOffice Calc is not installed (package libreoffice-calc)";

    TempDir dir;
    const auto file = dir / "Отчёт.xls";
    {
        report::SpreadsheetReport first(u16(file), u"Маша");
        first.addRow(u"Время начала работы", u"10:15:00", u"String");
        first.addRow(u"Количество повторов инструкции", u"2", u"Number");
        ASSERT_TRUE(first.save().ok);
    }
    {
        report::SpreadsheetReport second(u16(file), u"Маша");
        second.addEmptyRow();
        second.addRow(u"Время работы \"итого\"", u"00:04:12", u"String");
        ASSERT_TRUE(second.save().ok);
    }

    // UTF-8 CSV (character set 76), comma-separated, double quotes around text.
    const std::string command =
        std::string(office) + " -env:UserInstallation=file://" + (dir / "profile").string() +
        " --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76'"
        " --outdir '" +
        dir.path().string() + "' '" + file.string() + "' > '" + (dir / "office.log").string() +
        "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << readFile(dir / "office.log");
    const std::string csv = readFile(dir / "Отчёт.csv");
    EXPECT_EQ(csv, "Время начала работы,10:15:00\n"
                   "Количество повторов инструкции,2\n"
                   ",\n"
                   "Время работы 'итого',00:04:12\n")
        << readFile(dir / "office.log");
}

} // namespace
