#pragma once
// The workbook a new report file starts from.

#include <string_view>

namespace report {

// The one-line Excel 2003 XML workbook (1322 characters, ASCII), parsed when no file exists yet.
std::string_view workbookTemplate();

// The system identifier the template is parsed under.
inline constexpr char16_t kTemplateSystemId[] = u"EmptyXML";

} // namespace report
