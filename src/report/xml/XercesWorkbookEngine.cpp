// The workbook engine over Xerces-C, and the two functions the module exports.

#include "report/WorkbookEngine.h"
#include "report/xml/AppendPointScan.h"
#include "report/xml/WholeWorkbook.h"
#include "report/xml/WorkbookNodes.h"
#include "report/xml/WorkbookParser.h"
#include "report/xml/WorkbookSerializer.h"
#include "report/xml/XercesSession.h"

#include <xercesc/dom/DOM.hpp>

namespace report {

namespace {

using namespace xercesc;

class XercesWorkbookEngine final : public WorkbookEngine {
public:
    ~XercesWorkbookEngine() = default;

    Reading read(std::string_view bytes, const std::u16string& systemId) const override {
        try {
            ParsedWorkbook parsed = parseWorkbook(bytes, systemId);
            if (parsed.document)
                return {};
            return {parsed.tooLarge ? Verdict::TooLarge : Verdict::Damaged,
                    std::move(parsed.problem)};
        } catch (...) {
            return {Verdict::TooLarge, "out of memory"};
        }
    }

    std::optional<AppendPoint> findAppendPoint(std::string_view bytes,
                                               std::u16string_view sheetName,
                                               const std::u16string& systemId) const override {
        try {
            return report::findAppendPoint(bytes, sheetName, systemId);
        } catch (...) {
            return std::nullopt;
        }
    }

    std::optional<std::string> serializeAdditions(AppendPoint::Parent parent,
                                                  const std::u16string& sheetName,
                                                  const std::vector<ReportRow>& rows) const override {
        try {
            static constexpr char16_t kCore[] = u"Core";
            DocumentPtr scratch(
                DOMImplementationRegistry::getDOMImplementation(kCore)->createDocument());
            DOMDocumentFragment* additions = scratch->createDocumentFragment();
            DOMNode* table = nullptr;
            switch (parent) {
            case AppendPoint::Parent::Table:
                table = additions;
                break;
            case AppendPoint::Parent::Worksheet:
                table = appendTable(*scratch, *additions);
                break;
            case AppendPoint::Parent::Workbook:
                table = appendWorksheet(*scratch, *additions, sheetName);
                break;
            }
            for (const ReportRow& row : rows)
                appendRow(*scratch, *table, row);
            return serializeNode(*additions, 256 * (rows.size() + 2));
        } catch (...) {
            return std::nullopt;
        }
    }

    std::optional<std::string> serializeWhole(const WorkbookSource& source) const override {
        try {
            const std::unique_ptr<WholeWorkbook> whole = build(source);
            return whole ? whole->serialize() : std::nullopt;
        } catch (...) {
            return std::nullopt;
        }
    }

    std::optional<TableRows> tableRows(const WorkbookSource& source) const override {
        try {
            const std::unique_ptr<WholeWorkbook> whole = build(source);
            return whole ? whole->tableRows() : std::nullopt;
        } catch (...) {
            return std::nullopt;
        }
    }

private:
    static std::unique_ptr<WholeWorkbook> build(const WorkbookSource& source) {
        ParsedWorkbook parsed = parseWorkbook(source.bytes, source.systemId);
        if (!parsed.document)
            return nullptr;
        auto whole =
            std::make_unique<WholeWorkbook>(std::move(parsed), source.sheetName, source.bytes.size());
        for (const ReportRow& row : source.addedRows)
            whole->addRow(row);
        return whole;
    }

    // The library is initialised for as long as the engine lives; nothing the engine makes
    // outlives a call.
    XercesSession session_;
};

} // namespace

} // namespace report

extern "C" {

// The module's only exported names (see WorkbookEngine.h); everything else in it stays inside.
__attribute__((visibility("default"))) report::WorkbookEngine* tavrelo_workbook_engine_open();
__attribute__((visibility("default"))) void
tavrelo_workbook_engine_close(report::WorkbookEngine* engine);

report::WorkbookEngine* tavrelo_workbook_engine_open() {
    try {
        return new report::XercesWorkbookEngine();
    } catch (...) {
        return nullptr; // the library could not be initialised
    }
}

void tavrelo_workbook_engine_close(report::WorkbookEngine* engine) {
    delete static_cast<report::XercesWorkbookEngine*>(engine);
}
}
