#include "report/WorkbookTemplate.h"

namespace report {

// Seven tabs and a space stand between the markup items, as Excel left them in the original.
#define SEP "\t\t\t\t\t\t\t "

std::string_view workbookTemplate() {
    static constexpr char kText[] =
        "<?xml version=\"1.0\"?>" SEP "<?mso-application progid=\"Excel.Sheet\"?>" SEP
        "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"" SEP
        "xmlns:o=\"urn:schemas-microsoft-com:office:office\"" SEP
        "xmlns:x=\"urn:schemas-microsoft-com:office:excel\"" SEP
        "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"" SEP
        "xmlns:html=\"http://www.w3.org/TR/REC-html40\">" SEP
        "<DocumentProperties xmlns=\"urn:schemas-microsoft-com:office:office\">" SEP
        "<Version>11.6360</Version>" SEP "</DocumentProperties>" SEP
        "<ExcelWorkbook xmlns=\"urn:schemas-microsoft-com:office:excel\">" SEP
        "<WindowHeight>10005</WindowHeight>" SEP "<WindowWidth>10005</WindowWidth>" SEP
        "<WindowTopX>120</WindowTopX>" SEP "<WindowTopY>135</WindowTopY>" SEP
        "<ProtectStructure>False</ProtectStructure>" SEP
        "<ProtectWindows>False</ProtectWindows>" SEP "</ExcelWorkbook>" SEP "<Styles>" SEP
        "<Style ss:ID=\"Default\" ss:Name=\"Normal\">" SEP "<Alignment ss:Vertical=\"Bottom\"/>" SEP
        "<Borders/>" SEP "<Font ss:FontName=\"Arial Cyr\" x:CharSet=\"204\"/>" SEP "<Interior/>" SEP
        "<NumberFormat/>" SEP "<Protection/>" SEP "</Style>" SEP "<Style ss:ID=\"s21\">" SEP
        "<NumberFormat ss:Format=\"Short Date\"/>" SEP "</Style>" SEP "<Style ss:ID=\"s22\">" SEP
        "<NumberFormat ss:Format=\"Short Time\"/>" SEP "</Style>" SEP "</Styles>" SEP "</Workbook>";
    static_assert(sizeof(kText) - 1 == 1322, "the template is 1322 characters long");
    return {kText, sizeof(kText) - 1};
}

#undef SEP

} // namespace report
