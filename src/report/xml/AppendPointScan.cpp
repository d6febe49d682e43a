#include "report/xml/AppendPointScan.h"

#include "report/xml/InsulatedParser.h"
#include "report/xml/WorkbookParser.h"

#include <vector>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/framework/XMLAttr.hpp>
#include <xercesc/framework/XMLDocumentHandler.hpp>
#include <xercesc/framework/XMLElementDecl.hpp>
#include <xercesc/parsers/SAXParser.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLEntityResolver.hpp>
#include <xercesc/util/XMLResourceIdentifier.hpp>

namespace report {

using namespace xercesc;

namespace {

// What the serializer writes in place of any declaration the document had, when the document is
// XML 1.0 and not standalone.
constexpr std::string_view kSerializerDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>";

// Thrown by the scan to stop at the first sign that the file is not what the serializer writes;
// the parser cleans up after itself and passes it on.
struct NotInSerializedForm {};

class RefusingEntityResolver final : public XMLEntityResolver {
public:
    InputSource* resolveEntity(XMLResourceIdentifier*) override { throw NotInSerializedForm{}; }
};

class FailOnError final : public ErrorHandler {
public:
    void warning(const SAXParseException&) override {}
    void error(const SAXParseException&) override { failed = true; }
    void fatalError(const SAXParseException&) override { failed = true; }
    void resetErrors() override {}
    bool failed = false;
};

// A DOCTYPE may declare entities and default attributes: the DOM would hold more than the markup
// shows. Such files go the full way.
class AppendScanParser final : public SAXParser {
public:
    void doctypeDecl(const DTDElementDecl&, const XMLCh* const, const XMLCh* const, const bool,
                     const bool) override {
        throw NotInSerializedForm{};
    }
};

bool equals(const XMLCh* text, std::u16string_view expected) {
    return text && std::u16string_view(text) == expected;
}

// Follows the parser's events and checks that each one is written in the file exactly as the
// serializer writes the node the DOM parser makes of it (DOMLSSerializer with its defaults, UTF-8
// output): the file must be the concatenation of those renderings and nothing else.
class SerializedFormChecker final : public XMLDocumentHandler {
public:
    SerializedFormChecker(std::string_view bytes, std::u16string_view sheetName)
        : bytes_(bytes), sheetName_(sheetName) {
        expect(kSerializerDeclaration);
    }

    // The answer once the parse is over, or nothing.
    std::optional<AppendPoint> result() const {
        if (!rootClosed_ || at_ != bytes_.size())
            return std::nullopt;
        return point_;
    }

    void docCharacters(const XMLCh* const chars, const XMLSize_t length,
                       const bool cdataSection) override {
        // Text outside the root is not kept by the DOM; CDATA is written in sections of its own.
        if (cdataSection || length == 0 || open_.empty())
            throw NotInSerializedForm{};
        closePendingStartTag();
        expectText(chars, length, Escaping::Content);
    }

    void docComment(const XMLCh* const comment) override {
        closePendingStartTag();
        expect("<!--");
        expectText(comment, std::char_traits<char16_t>::length(comment), Escaping::None);
        expect("-->");
    }

    void docPI(const XMLCh* const target, const XMLCh* const data) override {
        closePendingStartTag();
        expect("<?");
        expectText(target, std::char_traits<char16_t>::length(target), Escaping::None);
        const std::size_t dataLength = data ? std::char_traits<char16_t>::length(data) : 0;
        if (dataLength > 0) {
            expect(" ");
            expectText(data, dataLength, Escaping::None);
        }
        expect("?>");
    }

    void startElement(const XMLElementDecl& decl, const unsigned int, const XMLCh* const,
                      const RefVectorOf<XMLAttr>& attributes, const XMLSize_t attributeCount,
                      const bool isEmpty, const bool) override {
        const XMLCh* name = decl.getFullName();
        if (open_.empty()) {
            // A second root cannot be well-formed; the parser stops before this.
            if (rootSeen_ || !equals(name, u"Workbook"))
                throw NotInSerializedForm{};
            rootSeen_ = true;
        }
        if (open_.size() + 1 > kMaximumWorkbookDepth)
            throw NotInSerializedForm{};
        closePendingStartTag();

        expect("<");
        expectName(name);
        const XMLCh* sheetName = u"";
        const XMLCh* previousName = nullptr;
        for (XMLSize_t i = 0; i < attributeCount; ++i) {
            const XMLAttr* attribute = attributes.elementAt(i);
            const XMLCh* attributeName = attribute->getQName();
            // The DOM keeps attributes sorted by name and the serializer writes them so; a file
            // whose attributes are in another order would come out reordered.
            if (!attribute->getSpecified() ||
                (previousName && std::u16string_view(previousName) >= attributeName))
                throw NotInSerializedForm{};
            previousName = attributeName;
            const XMLCh* value = attribute->getValue();
            expect(" ");
            expectName(attributeName);
            expect("=\"");
            expectText(value, std::char_traits<char16_t>::length(value), Escaping::Attribute);
            expect("\"");
            if (equals(attributeName, u"ss:Name"))
                sheetName = value;
        }

        Role role = Role::Other;
        if (open_.empty()) {
            role = Role::Workbook;
        } else if (!targetSheetFound_ && equals(name, u"Worksheet") && sheetName_ == sheetName) {
            role = Role::TargetSheet;
            targetSheetFound_ = true;
        } else if (targetSheetOpen_ && !targetTableFound_ && equals(name, u"Table")) {
            role = Role::TargetTable;
            targetTableFound_ = true;
        }
        if (role == Role::TargetSheet)
            targetSheetOpen_ = true;

        if (isEmpty) {
            // No end event follows an empty-element tag.
            const std::size_t end = at_;
            expect("/>");
            finishElement(role, end, true);
        } else {
            open_.push_back({role, true});
        }
    }

    void endElement(const XMLElementDecl& decl, const unsigned int, const bool,
                    const XMLCh* const) override {
        if (open_.empty())
            throw NotInSerializedForm{};
        const OpenElement element = open_.back();
        open_.pop_back();
        const std::size_t end = at_;
        if (element.startTagPending) {
            // Start and end tag with nothing between: the DOM element has no children, and the
            // serializer writes an empty-element tag.
            expect("/>");
        } else {
            expect("</");
            expectName(decl.getFullName());
            expect(">");
        }
        finishElement(element.role, end, element.startTagPending);
    }

    void ignorableWhitespace(const XMLCh* const, const XMLSize_t, const bool) override {
        throw NotInSerializedForm{};
    }
    void startEntityReference(const XMLEntityDecl&) override { throw NotInSerializedForm{}; }
    void endEntityReference(const XMLEntityDecl&) override { throw NotInSerializedForm{}; }
    void startDocument() override {}
    void endDocument() override {}
    void resetDocument() override {}
    void XMLDecl(const XMLCh* const version, const XMLCh* const encoding,
                 const XMLCh* const standalone, const XMLCh* const) override {
        // The bytes were compared already; this only guards against reading them wrong.
        if (!equals(version, u"1.0") || !equals(encoding, u"UTF-8") || !equals(standalone, u"no"))
            throw NotInSerializedForm{};
    }

private:
    enum class Role { Other, Workbook, TargetSheet, TargetTable };
    enum class Escaping { None, Content, Attribute };

    struct OpenElement {
        Role role;
        bool startTagPending; // "<Name attributes" written, ">" or "/>" not yet known
    };

    void finishElement(Role role, std::size_t end, bool empty) {
        switch (role) {
        case Role::TargetTable:
            point_ = AppendPoint{AppendPoint::Parent::Table, end, empty};
            break;
        case Role::TargetSheet:
            targetSheetOpen_ = false;
            if (!targetTableFound_)
                point_ = AppendPoint{AppendPoint::Parent::Worksheet, end, empty};
            break;
        case Role::Workbook:
            rootClosed_ = true;
            if (!targetSheetFound_)
                point_ = AppendPoint{AppendPoint::Parent::Workbook, end, empty};
            break;
        case Role::Other:
            break;
        }
    }

    void closePendingStartTag() {
        if (!open_.empty() && open_.back().startTagPending) {
            expect(">");
            open_.back().startTagPending = false;
        }
    }

    void expect(std::string_view ascii) {
        if (bytes_.compare(at_, ascii.size(), ascii) != 0)
            throw NotInSerializedForm{};
        at_ += ascii.size();
    }

    void expectByte(char c) {
        if (at_ >= bytes_.size() || bytes_[at_] != c)
            throw NotInSerializedForm{};
        ++at_;
    }

    void expectName(const XMLCh* name) {
        expectText(name, std::char_traits<char16_t>::length(name), Escaping::None);
    }

    // The characters as the serializer's formatter writes them in UTF-8 with the given escapes:
    // in content "&", "<" and ">", in attribute values "&", "<" and the double quote.
    void expectText(const XMLCh* text, std::size_t length, Escaping escaping) {
        for (std::size_t i = 0; i < length; ++i) {
            const char16_t c = text[i];
            if (c < 0x80) {
                if (escaping != Escaping::None) {
                    if (c == u'&') {
                        expect("&amp;");
                        continue;
                    }
                    if (c == u'<') {
                        expect("&lt;");
                        continue;
                    }
                    if (c == u'>' && escaping == Escaping::Content) {
                        expect("&gt;");
                        continue;
                    }
                    if (escaping == Escaping::Attribute) {
                        if (c == u'"') {
                            expect("&quot;");
                            continue;
                        }
                        // The serializer writes these as character references; the report never
                        // has them in an attribute.
                        if (c == u'\n' || c == u'\r' || c == u'\t')
                            throw NotInSerializedForm{};
                    }
                }
                expectByte(static_cast<char>(c));
            } else if (c < 0x800) {
                expectByte(static_cast<char>(0xC0 | (c >> 6)));
                expectByte(static_cast<char>(0x80 | (c & 0x3F)));
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                // A pair within one event; a pair split between two events or a lone half is
                // left to the full way.
                if (c > 0xDBFF || i + 1 >= length || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
                    throw NotInSerializedForm{};
                const char32_t cp =
                    0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                ++i;
                expectByte(static_cast<char>(0xF0 | (cp >> 18)));
                expectByte(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
                expectByte(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
                expectByte(static_cast<char>(0x80 | (cp & 0x3F)));
            } else {
                expectByte(static_cast<char>(0xE0 | (c >> 12)));
                expectByte(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
                expectByte(static_cast<char>(0x80 | (c & 0x3F)));
            }
        }
    }

    std::string_view bytes_;
    std::u16string_view sheetName_;
    std::size_t at_ = 0; // bytes accounted for so far

    std::vector<OpenElement> open_;
    bool rootSeen_ = false;
    bool rootClosed_ = false;
    bool targetSheetFound_ = false; // the first worksheet of the name has begun
    bool targetSheetOpen_ = false;
    bool targetTableFound_ = false;
    std::optional<AppendPoint> point_;
};

} // namespace

std::optional<AppendPoint> findAppendPoint(std::string_view bytes, std::u16string_view sheetName,
                                           const std::u16string& systemId) {
    if (!bytes.starts_with(kSerializerDeclaration))
        return std::nullopt; // not worth starting the parser for
    try {
        SerializedFormChecker checker(bytes, sheetName);
        RefusingEntityResolver resolver;
        FailOnError errors;
        SecurityManager security;
        AppendScanParser parser;
        // As for the full parse; without a DOCTYPE, which stops the scan, the limit never comes
        // into play.
        insulateParser(parser, resolver, security, errors);
        parser.installAdvDocHandler(&checker);

        MemBufInputSource source(reinterpret_cast<const XMLByte*>(bytes.data()), bytes.size(),
                                 systemId.c_str(), false);
        parser.parse(source);
        if (errors.failed || parser.getErrorCount() > 0)
            return std::nullopt;
        return checker.result();
    } catch (...) {
        // The scan stopping itself, or the parser giving up: the full way decides.
        return std::nullopt;
    }
}

} // namespace report
