#pragma once
// Text rules of the report: what the workbook may hold and how paths become file names.

#include <string>
#include <string_view>

namespace report {

// Whether the character exists in the Windows-1251 code page, the repertoire the report keeps.
bool isInWindows1251(char16_t c);

// Text as it is stored in the workbook: characters of Windows-1251 stay, the double quotation
// mark becomes an apostrophe, everything else (and the control characters XML cannot carry)
// becomes a question mark.
std::u16string toReportText(std::u16string_view text);

// Text as the printer receives it from the workbook: outside Windows-1251 becomes "?".
std::u16string toPrintableText(std::u16string_view text);

// File names are UTF-8. An unpaired surrogate becomes U+FFFD.
std::string toUtf8(std::u16string_view text);
// Malformed UTF-8 bytes become U+FFFD each.
std::u16string fromUtf8(std::string_view bytes);

} // namespace report
