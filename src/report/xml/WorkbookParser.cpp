#include "report/xml/WorkbookParser.h"

#include "report/xml/BudgetedMemory.h"
#include "report/xml/InsulatedParser.h"

#include <algorithm>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLEntityResolver.hpp>
#include <xercesc/util/XMLResourceIdentifier.hpp>
#include <xercesc/util/XMLString.hpp>

namespace report {

using namespace xercesc;

void DocumentRelease::operator()(DOMDocument* document) const {
    if (document)
        document->release();
    // `memory` goes with this deleter, after the document it holds.
}

namespace {

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

// Builds the DOM as XercesDOMParser does and notes, on the way, the nesting depth and every
// Worksheet with its first Table. Doing this while the nodes are made costs little; walking a
// ten-thousand-row workbook afterwards costs as much as a good part of the parse.
//
// It also keeps its own stack of open elements. The base class finds the parent of a closed
// element by asking the node, and in this Xerces every such question is a dynamic_cast.
class WorkbookBuilder final : public XercesDOMParser {
public:
    struct EntityTextExceeded {};

    explicit WorkbookBuilder(MemoryManager* memory) : XercesDOMParser(nullptr, memory) {}

    // Each expansion in content passes here, nested ones included: the sum of the replacement
    // texts is what the document grows by.
    void startEntityReference(const XMLEntityDecl& entity) override {
        entityText_ += entity.getValueLen();
        if (entityText_ > kWorkbookEntityTextLimit)
            throw EntityTextExceeded{};
        XercesDOMParser::startEntityReference(entity);
    }

    void startElement(const XMLElementDecl& decl, const unsigned int urlId,
                      const XMLCh* const prefix, const RefVectorOf<XMLAttr>& attributes,
                      const XMLSize_t attributeCount, const bool isEmpty,
                      const bool isRoot) override {
        // Pushed before the base call: for an empty element the base class calls endElement
        // itself, before it returns.
        openParents_.push_back(fCurrentParent);
        deepest_ = std::max(deepest_, openParents_.size());
        XercesDOMParser::startElement(decl, urlId, prefix, attributes, attributeCount, isEmpty,
                                      isRoot);
        // The base class leaves the new element as the current node, empty or not.
        auto* element = static_cast<DOMElement*>(fCurrentNode);
        const std::u16string_view name(decl.getFullName());
        if (name == u"Worksheet") {
            worksheets_.push_back({element, nullptr});
            if (!isEmpty)
                openSheets_.push_back({worksheets_.size() - 1, openParents_.size()});
        } else if (name == u"Table") {
            // Every open worksheet encloses this table; those still without one get it.
            for (std::size_t i = sheetsWithoutTable_; i < openSheets_.size(); ++i)
                worksheets_[openSheets_[i].index].firstTable = element;
            sheetsWithoutTable_ = openSheets_.size();
        }
    }

    // What the base class does (XInclude is never switched on here), with the parent taken
    // from the stack instead of from the node.
    void endElement(const XMLElementDecl& decl, const unsigned int urlId, const bool isRoot,
                    const XMLCh* const prefix) override {
        if (openParents_.empty()) {
            // More ends than starts: only a scanner going on after an error could do that.
            XercesDOMParser::endElement(decl, urlId, isRoot, prefix);
            return;
        }
        if (!openSheets_.empty() && openSheets_.back().depth == openParents_.size()) {
            openSheets_.pop_back();
            sheetsWithoutTable_ = std::min(sheetsWithoutTable_, openSheets_.size());
        }
        fCurrentNode = fCurrentParent;
        fCurrentParent = openParents_.back();
        openParents_.pop_back();
        if (fCurrentParent == static_cast<DOMNode*>(getDocument()))
            fWithinElement = false;
    }

    std::size_t deepest() const { return deepest_; }
    std::vector<ParsedWorksheet> takeWorksheets() { return std::move(worksheets_); }

private:
    struct OpenSheet {
        std::size_t index; // into worksheets_
        std::size_t depth; // nesting depth of its element
    };

    std::vector<DOMNode*> openParents_; // the parent of each open element, outermost first
    std::size_t deepest_ = 0;
    std::size_t entityText_ = 0; // characters of entity text expanded so far
    std::vector<ParsedWorksheet> worksheets_;
    std::vector<OpenSheet> openSheets_; // worksheets not yet closed, outermost first
    // Open worksheets from this index on have no table yet; a table goes to all of them at once,
    // so they are always the innermost ones.
    std::size_t sheetsWithoutTable_ = 0;
};

ParsedWorkbook refuse(std::string problem) {
    return {nullptr, {}, std::move(problem), false};
}

ParsedWorkbook tooLarge() {
    return {nullptr, {}, "needs more memory than a parse may take", true};
}

} // namespace

ParsedWorkbook parseWorkbook(std::string_view bytes, const std::u16string& systemId,
                             std::size_t memoryBudget) {
    // Declared before the parser: everything the parser and the document take comes from it.
    auto memory = std::make_shared<BudgetedMemory>(memoryBudget);
    try {
        RefusingEntityResolver resolver;
        RecordingErrorHandler errors;
        SecurityManager security;
        WorkbookBuilder parser(memory.get());
        insulateParser(parser, resolver, security, errors);
        // Entity contents become ordinary nodes: entity-reference subtrees would be read-only
        // and the rows could not be added below them.
        parser.setCreateEntityReferenceNodes(false);

        // The source's stream comes from the budget too: the parser does not give it back when it
        // stops for lack of memory, and the budget's destruction then does.
        MemBufInputSource source(reinterpret_cast<const XMLByte*>(bytes.data()), bytes.size(),
                                 systemId.c_str(), false, memory.get());
        parser.parse(source);
        DocumentPtr document(parser.adoptDocument(), DocumentRelease{memory});
        if (memory->exceeded())
            return tooLarge();

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
        if (parser.deepest() > kMaximumWorkbookDepth)
            return refuse("nested too deeply");
        if (std::u16string_view(document->getDocumentElement()->getNodeName()) != u"Workbook")
            return refuse("the document element is not Workbook");
        memory->lift();
        return {std::move(document), parser.takeWorksheets(), {}, false};
    } catch (const WorkbookBuilder::EntityTextExceeded&) {
        return refuse("entities expand to more text than a workbook holds");
    } catch (const OutOfMemoryException&) {
        return tooLarge();
    } catch (const std::bad_alloc&) {
        return tooLarge();
    } catch (const XMLException& e) {
        return refuse(narrow(e.getMessage()));
    } catch (const DOMException& e) {
        return refuse(narrow(e.getMessage()));
    } catch (const SAXException& e) {
        return refuse(narrow(e.getMessage()));
    } catch (const std::exception& e) {
        return refuse(e.what());
    } catch (...) {
        // Xerces throws error codes outside the std hierarchy.
        if (memory->exceeded())
            return tooLarge();
        return refuse("the parser failed");
    }
}

} // namespace report
