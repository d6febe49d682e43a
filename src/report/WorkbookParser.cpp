#include "report/WorkbookParser.h"

#include "report/XercesSession.h"

#include <algorithm>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLEntityResolver.hpp>
#include <xercesc/util/XMLResourceIdentifier.hpp>
#include <xercesc/util/XMLString.hpp>

namespace report {

using namespace xercesc;

void DocumentRelease::operator()(DOMDocument* document) const {
    if (document)
        document->release();
}

namespace {

// A workbook never needs more; a billion-laughs document reaches it at once.
constexpr XMLSize_t kEntityExpansionLimit = 1000;
// A workbook is about six levels deep; the serializer recurses once per level, so a document
// nested thousands deep could exhaust the stack when written back.
constexpr int kMaximumDepth = 1000;

std::string narrow(const XMLCh* text) {
    std::string out;
    if (!text)
        return out;
    for (; *text; ++text)
        out.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
    return out;
}

// Refuses every outside entity by handing back nothing, and remembers that one was asked for.
class RefusingEntityResolver final : public XMLEntityResolver {
public:
    InputSource* resolveEntity(XMLResourceIdentifier* resource) override {
        if (!attempted_)
            firstTarget_ = narrow(resource->getSystemId());
        attempted_ = true;
        static const XMLByte kNothing[1] = {0};
        return new MemBufInputSource(kNothing, 0, resource->getSystemId(), false);
    }
    bool attempted() const { return attempted_; }
    const std::string& firstTarget() const { return firstTarget_; }

private:
    bool attempted_ = false;
    std::string firstTarget_;
};

class RecordingErrorHandler final : public ErrorHandler {
public:
    void warning(const SAXParseException&) override {}
    void error(const SAXParseException&) override {}
    void fatalError(const SAXParseException& e) override {
        if (problem_.empty())
            problem_ = "line " + std::to_string(e.getLineNumber()) + ": " + narrow(e.getMessage());
    }
    void resetErrors() override { problem_.clear(); }
    const std::string& problem() const { return problem_; }

private:
    std::string problem_;
};

bool hasExternalIdentifiers(const DOMDocumentType* doctype) {
    if (!doctype)
        return false;
    auto present = [](const XMLCh* id) { return id && *id; };
    if (present(doctype->getSystemId()) || present(doctype->getPublicId()))
        return true;
    if (const DOMNamedNodeMap* entities = doctype->getEntities()) {
        for (XMLSize_t i = 0; i < entities->getLength(); ++i) {
            const auto* entity = static_cast<const DOMEntity*>(entities->item(i));
            if (present(entity->getSystemId()) || present(entity->getPublicId()))
                return true;
        }
    }
    return false;
}

// Measures the element nesting while the document is built, which costs nothing next to a
// second walk over every node of a large workbook.
class DepthMeasuringParser final : public XercesDOMParser {
public:
    using XercesDOMParser::XercesDOMParser;

    void startElement(const XMLElementDecl& decl, const unsigned int urlId,
                      const XMLCh* const prefix, const RefVectorOf<XMLAttr>& attributes,
                      const XMLSize_t attributeCount, const bool isEmpty,
                      const bool isRoot) override {
        XercesDOMParser::startElement(decl, urlId, prefix, attributes, attributeCount, isEmpty,
                                      isRoot);
        deepest_ = std::max(deepest_, depth_ + 1);
        if (!isEmpty)
            ++depth_;
    }
    void endElement(const XMLElementDecl& decl, const unsigned int urlId, const bool isRoot,
                    const XMLCh* const prefix) override {
        XercesDOMParser::endElement(decl, urlId, isRoot, prefix);
        --depth_;
    }
    int deepest() const { return deepest_; }

private:
    int depth_ = 0;
    int deepest_ = 0;
};

ParsedWorkbook refuse(std::string problem) {
    return {nullptr, std::move(problem)};
}

} // namespace

ParsedWorkbook parseWorkbook(std::string_view bytes, const std::u16string& systemId) {
    ensureXercesInitialised();
    try {
        RefusingEntityResolver resolver;
        RecordingErrorHandler errors;
        SecurityManager security;
        security.setEntityExpansionLimit(kEntityExpansionLimit);

        DepthMeasuringParser parser;
        parser.setValidationScheme(XercesDOMParser::Val_Never);
        parser.setDoNamespaces(false);
        parser.setDoSchema(false);
        parser.setLoadExternalDTD(false);
        parser.setDisableDefaultEntityResolution(true);
        parser.setXMLEntityResolver(&resolver);
        parser.setSecurityManager(&security);
        parser.setErrorHandler(&errors);
        parser.setExitOnFirstFatalError(true);
        // Entity contents become ordinary nodes: entity-reference subtrees would be read-only
        // and the rows could not be added below them.
        parser.setCreateEntityReferenceNodes(false);

        MemBufInputSource source(reinterpret_cast<const XMLByte*>(bytes.data()), bytes.size(),
                                 systemId.c_str(), false);
        parser.parse(source);
        DocumentPtr document(parser.adoptDocument());

        if (!errors.problem().empty())
            return refuse(errors.problem());
        if (parser.getErrorCount() > 0)
            return refuse("the parser reported errors");
        if (resolver.attempted())
            return refuse("refers to an outside entity: " + resolver.firstTarget());
        if (!document || !document->getDocumentElement())
            return refuse("no document element");
        if (hasExternalIdentifiers(document->getDoctype()))
            return refuse("declares an outside DTD or entity");
        if (parser.deepest() > kMaximumDepth)
            return refuse("nested too deeply");
        if (std::u16string_view(document->getDocumentElement()->getNodeName()) != u"Workbook")
            return refuse("the document element is not Workbook");
        return {std::move(document), {}};
    } catch (const XMLException& e) {
        return refuse(narrow(e.getMessage()));
    } catch (const DOMException& e) {
        return refuse(narrow(e.getMessage()));
    } catch (const SAXException& e) {
        return refuse(narrow(e.getMessage()));
    } catch (const std::exception& e) {
        return refuse(e.what());
    } catch (...) {
        // Xerces throws its OutOfMemoryException and error codes outside the std hierarchy.
        return refuse("the parser failed");
    }
}

} // namespace report
