#include "report/SpreadsheetReport.h"

#include "report/DamagedFileName.h"
#include "report/ReportText.h"
#include "report/WorkbookParser.h"
#include "report/WorkbookTemplate.h"
#include "report/XercesSession.h"

#include <cerrno>
#include <memory>
#include <stdexcept>
#include <vector>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/XMLFormatter.hpp>

namespace report {

using namespace xercesc;
namespace fs = std::filesystem;

namespace {

template <typename T> struct Releaser {
    void operator()(T* object) const { object->release(); }
};
template <typename T> using Released = std::unique_ptr<T, Releaser<T>>;

// Visits the elements named `name` below `root` in document order. The way back up is kept on a
// stack: asking a node for its parent costs a dynamic_cast inside Xerces.
template <typename Visit>
void forEachDescendant(DOMNode* root, std::u16string_view name, Visit visit) {
    std::vector<DOMNode*> nextSiblings; // where to go on after each open level
    DOMNode* node = root->getFirstChild();
    while (node || !nextSiblings.empty()) {
        if (!node) {
            node = nextSiblings.back();
            nextSiblings.pop_back();
            continue;
        }
        if (node->getNodeType() == DOMNode::ELEMENT_NODE &&
            std::u16string_view(node->getNodeName()) == name)
            visit(static_cast<DOMElement*>(node));
        if (DOMNode* child = node->getFirstChild()) {
            nextSiblings.push_back(node->getNextSibling());
            node = child;
        } else {
            node = node->getNextSibling();
        }
    }
}

// Collects the serializer's output in one string, sized up front from what was read.
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

std::u16string inGuillemets(const std::string& utf8Path) {
    return u"«" + fromUtf8(utf8Path) + u"»";
}

} // namespace

SpreadsheetReport::SpreadsheetReport(const std::u16string& filePathText,
                                     const std::u16string& sheetNameText)
    : path(toUtf8(filePathText)), sheetName_(toReportText(sheetNameText)) {
    ensureXercesInitialised();
    static constexpr char16_t kLoadSave[] = u"LS";
    writerFactory = static_cast<DOMImplementationLS*>(
        DOMImplementationRegistry::getDOMImplementation(kLoadSave));
    openDocument();
    findOrAddWorksheet();
}

SpreadsheetReport::~SpreadsheetReport() {
    if (document)
        document->release();
}

void SpreadsheetReport::openDocument() {
    std::error_code ec;
    const fs::file_status status = path.empty() ? fs::file_status{} : fs::status(path, ec);
    if (!fs::exists(status)) {
        openOutcome_ = {ReportOpenOutcome::Kind::NewFile, {}, {}};
        adoptTemplate();
        return;
    }

    int readError = 0;
    std::optional<std::string> bytes;
    if (fs::is_regular_file(status))
        bytes = readWholeFile(path, &readError);
    if (!bytes) {
        // Whatever is there is not ours to replace.
        ownFileProtected_ = true;
        openOutcome_ = {ReportOpenOutcome::Kind::KeptUntouched,
                        u"Файл отчёта " + inGuillemets(path) +
                            u" не удаётся прочитать. Он оставлен как есть и не будет "
                            u"перезаписан; отчёт можно сохранить под другим именем.",
                        {}};
        adoptTemplate();
        return;
    }

    ParsedWorkbook parsed = parseWorkbook(*bytes, fromUtf8(path));
    if (parsed.document) {
        document = parsed.document.release();
        worksheetsFound_ = std::move(parsed.worksheets);
        sourceSize_ = bytes->size();
        openOutcome_ = {ReportOpenOutcome::Kind::ExistingFile, {}, {}};
        return;
    }

    int renameError = 0;
    const fs::path aside = setDamagedFileAside(path, &renameError);
    if (aside.empty()) {
        ownFileProtected_ = true;
        openOutcome_ = {ReportOpenOutcome::Kind::KeptUntouched,
                        u"Файл отчёта " + inGuillemets(path) +
                            u" повреждён, а отложить его не удалось (" +
                            describeError(renameError) +
                            u"). Он оставлен как есть и не будет перезаписан; отчёт можно "
                            u"сохранить под другим именем.",
                        {}};
    } else {
        openOutcome_ = {ReportOpenOutcome::Kind::DamagedSetAside,
                        u"Файл отчёта " + inGuillemets(path) +
                            u" повреждён и не читается. Он сохранён под именем " +
                            inGuillemets(aside.string()) + u", отчёт начат заново.",
                        fromUtf8(aside.string())};
    }
    adoptTemplate();
}

void SpreadsheetReport::adoptTemplate() {
    ParsedWorkbook parsed = parseWorkbook(workbookTemplate(), kTemplateSystemId);
    if (!parsed.document)
        throw std::logic_error("the built-in workbook template does not parse");
    document = parsed.document.release();
    worksheetsFound_ = std::move(parsed.worksheets);
    sourceSize_ = workbookTemplate().size();
}

void SpreadsheetReport::findOrAddWorksheet() {
    DOMElement* workbook = document->getDocumentElement();
    for (const ParsedWorksheet& found : worksheetsFound_) {
        if (sheetName_ == std::u16string_view(found.sheet->getAttribute(u"ss:Name"))) {
            worksheet = found.sheet;
            table_ = found.firstTable;
            worksheetsFound_.clear();
            return;
        }
    }
    worksheetsFound_.clear();

    worksheet = document->createElement(u"Worksheet");
    worksheet->setAttribute(u"ss:Name", sheetName_.c_str());
    workbook->appendChild(worksheet);
    table_ = document->createElement(u"Table");
    worksheet->appendChild(table_);
    for (const char16_t* width : {u"240", u"96"}) {
        DOMElement* column = document->createElement(u"Column");
        column->setAttribute(u"ss:AutoFitWidth", u"0");
        column->setAttribute(u"ss:Width", width);
        table_->appendChild(column);
    }
}

DOMElement* SpreadsheetReport::table() {
    // The parser noted the worksheet's first Table, if it had one; only rows are ever added
    // below it, so that stays the first.
    if (!table_) {
        table_ = document->createElement(u"Table");
        worksheet->appendChild(table_);
    }
    return table_;
}

void SpreadsheetReport::addRow(const std::u16string& label, const std::u16string& value,
                               const std::u16string& type) {
    DOMElement* row = document->createElement(u"Row");
    table()->appendChild(row);
    auto addCell = [&](const std::u16string& cellType, const std::u16string& text) {
        DOMElement* cell = document->createElement(u"Cell");
        row->appendChild(cell);
        DOMElement* data = document->createElement(u"Data");
        cell->appendChild(data);
        data->setAttribute(u"ss:Type", cellType.c_str());
        data->appendChild(document->createTextNode(text.c_str()));
    };
    addCell(u"String", toReportText(label));
    addCell(toReportText(type), toReportText(value));
}

void SpreadsheetReport::addEmptyRow() {
    table()->appendChild(document->createElement(u"Row"));
}

std::optional<std::string> SpreadsheetReport::serialize() const {
    try {
        Released<DOMLSSerializer> serializer(writerFactory->createLSSerializer());
        Released<DOMLSOutput> output(writerFactory->createLSOutput());
        StopOnError errors;
        serializer->getDomConfig()->setParameter(XMLUni::fgDOMErrorHandler, &errors);
        // The document grows by a few rows a run: what was read, and a little more, holds it.
        StringFormatTarget target(sourceSize_ + sourceSize_ / 16 + 4096);
        output->setByteStream(&target);
        // Always UTF-8, as for a file made from the template. Left to itself the serializer
        // reuses the encoding it detected on reading, and for a file without a declaration that
        // can be a name such as "UTF-16 (LE)" which no parser accepts when the file is read again.
        output->setEncoding(u"UTF-8");
        if (!serializer->write(document, output.get()) || errors.failed)
            return std::nullopt;
        return std::move(target.bytes);
    } catch (...) {
        return std::nullopt;
    }
}

bool SpreadsheetReport::isOwnFile(const std::string& target) const {
    std::error_code ec1;
    std::error_code ec2;
    const fs::path a = fs::weakly_canonical(target, ec1);
    const fs::path b = fs::weakly_canonical(path, ec2);
    if (ec1 || ec2)
        return fs::path(target).lexically_normal() == fs::path(path).lexically_normal();
    return a == b;
}

ReportSaveResult SpreadsheetReport::save(const std::u16string& targetText) {
    const std::string target = targetText.empty() ? path : toUtf8(targetText);
    if (target.empty())
        return {false, u"Не указано имя файла для сохранения отчёта."};
    if (ownFileProtected_ && isOwnFile(target)) {
        return {false, u"Файл отчёта " + inGuillemets(target) +
                           u" не был прочитан и потому не перезаписывается. Сохраните отчёт под "
                           u"другим именем."};
    }
    const std::optional<std::string> bytes = serialize();
    if (!bytes)
        return {false,
                u"Не удалось подготовить отчёт к записи в файл " + inGuillemets(target) + u"."};
    return writeFileAtomically(target, *bytes);
}

std::u16string SpreadsheetReport::filePath() const {
    return fromUtf8(path);
}

std::optional<std::vector<std::vector<std::u16string>>> SpreadsheetReport::tableRows() const {
    if (!table_)
        return std::nullopt;
    std::vector<std::vector<std::u16string>> rows;
    forEachDescendant(table_, u"Row", [&](DOMElement* row) {
        std::vector<std::u16string>& texts = rows.emplace_back();
        forEachDescendant(row, u"Data", [&](DOMElement* data) {
            const XMLCh* content = data->getTextContent();
            texts.push_back(toPrintableText(content ? content : u""));
        });
    });
    return rows;
}

} // namespace report
