#include "report/xml/WorkbookSerializer.h"


#include <memory>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/XMLFormatter.hpp>

namespace report {

using namespace xercesc;

namespace {

template <typename T> struct Releaser {
    void operator()(T* object) const { object->release(); }
};
template <typename T> using Released = std::unique_ptr<T, Releaser<T>>;

// Collects the serializer's output in one string, sized up front.
class StringFormatTarget final : public XMLFormatTarget {
public:
    explicit StringFormatTarget(std::size_t expectedSize) { bytes.reserve(expectedSize); }
    void writeChars(const XMLByte* const toWrite, const XMLSize_t count,
                    XMLFormatter* const) override {
        bytes.append(reinterpret_cast<const char*>(toWrite), count);
    }
    std::string bytes;
};

// Tells the serializer to stop at the first problem instead of writing half a document.
class StopOnError final : public DOMErrorHandler {
public:
    bool handleError(const DOMError& error) override {
        if (error.getSeverity() != DOMError::DOM_SEVERITY_WARNING)
            failed = true;
        return !failed;
    }
    bool failed = false;
};

} // namespace

std::optional<std::string> serializeNode(const DOMNode& node, std::size_t expectedSize) {
    try {
        static constexpr char16_t kLoadSave[] = u"LS";
        auto* factory = static_cast<DOMImplementationLS*>(
            DOMImplementationRegistry::getDOMImplementation(kLoadSave));
        Released<DOMLSSerializer> serializer(factory->createLSSerializer());
        Released<DOMLSOutput> output(factory->createLSOutput());
        StopOnError errors;
        serializer->getDomConfig()->setParameter(XMLUni::fgDOMErrorHandler, &errors);
        StringFormatTarget target(expectedSize);
        output->setByteStream(&target);
        // Always UTF-8, as for a file made from the template. Left to itself the serializer
        // reuses the encoding it detected on reading, and for a file without a declaration that
        // can be a name such as "UTF-16 (LE)" which no parser accepts when the file is read again.
        output->setEncoding(u"UTF-8");
        if (!serializer->write(&node, output.get()) || errors.failed)
            return std::nullopt;
        return std::move(target.bytes);
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace report
