#pragma once
// Writes DOM nodes out as the report file holds them.

#include <cstddef>
#include <optional>
#include <string>
#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMNode;
XERCES_CPP_NAMESPACE_END

namespace report {

// The node as the serializer writes it, in UTF-8, with its default settings (no pretty-printing,
// no byte order mark). A document gets the serializer's own XML declaration; a fragment comes
// out as its children one after another, exactly as they would appear inside an element.
// Nothing when the serializer reports an error. `expectedSize` only sizes the buffer. Called
// inside a XercesSession.
std::optional<std::string> serializeNode(const XERCES_CPP_NAMESPACE_QUALIFIER DOMNode& node,
                                         std::size_t expectedSize = 0);

} // namespace report
