#pragma once
// Finds the append point of a workbook file by scanning it with the XML parser.

#include "report/AppendPoint.h"

#include <optional>
#include <string>
#include <string_view>

namespace report {

// Scans `bytes` with the same parser settings as the full parse (nothing outside the bytes is
// ever read) and answers only when the file is a well-formed Workbook that the serializer would
// write back byte for byte: its own XML declaration, UTF-8, no DOCTYPE, attributes in the order
// the DOM keeps them, the serializer's escapes and empty-element tags, nothing between the
// markup that the parser drops. Then the DOM path would write exactly these bytes with the new
// nodes serialized at the returned point, and the new nodes are all that has to be written.
// Anything else, a damaged file included, gives nothing: the caller goes the full way. Called
// inside a XercesSession.
std::optional<AppendPoint> findAppendPoint(std::string_view bytes, std::u16string_view sheetName,
                                           const std::u16string& systemId);

} // namespace report
