#include "report/ReportDocument.h"

#include "report/WorkbookTemplate.h"

namespace report {

namespace {

ReportDocument::Verdict verdictOf(WorkbookEngine::Verdict read) {
    switch (read) {
    case WorkbookEngine::Verdict::Taken:
        return ReportDocument::Verdict::Taken;
    case WorkbookEngine::Verdict::TooLarge:
        return ReportDocument::Verdict::TooLarge;
    case WorkbookEngine::Verdict::Damaged:
        break;
    }
    return ReportDocument::Verdict::Damaged;
}

} // namespace

ReportDocument::ReportDocument(std::string bytes, const std::u16string& sheetName,
                               const std::u16string& systemId, ReportLoading loading)
    : sheetName_(sheetName) {
    const std::shared_ptr<const WorkbookEngine> engine = useWorkbookEngine();
    if (!engine) {
        verdict_ = Verdict::NotRead;
        problem_ = "the workbook engine could not be loaded";
        return;
    }
    if (loading == ReportLoading::InPlaceWhenPossible) {
        // Everything the scan refuses, a damaged file included, is left to the full parse
        // below, which decides as it always has.
        if (const auto point = engine->findAppendPoint(bytes, sheetName_, systemId)) {
            inPlace_.emplace(std::move(bytes), *point, sheetName_);
            return;
        }
    }
    WorkbookEngine::Reading reading = engine->read(bytes, systemId);
    verdict_ = verdictOf(reading.verdict);
    if (verdict_ == Verdict::Taken)
        whole_ = Whole{std::move(bytes), systemId, false, {}};
    else
        problem_ = std::move(reading.problem);
}

ReportDocument::ReportDocument(const std::u16string& sheetName)
    : sheetName_(sheetName),
      whole_(Whole{std::string(workbookTemplate()), kTemplateSystemId, true, {}}) {}

const std::string* ReportDocument::sourceBytes() const {
    if (inPlace_)
        return &inPlace_->originalBytes();
    return whole_ && !whole_->isTemplate ? &whole_->bytes : nullptr;
}

void ReportDocument::addRow(const ReportRow& row) {
    if (inPlace_)
        inPlace_->addRow(row);
    else if (whole_)
        whole_->addedRows.push_back(row);
}

std::shared_ptr<const WorkbookEngine> ReportDocument::engineForUse() const {
    // A document that was not taken has nothing to write or read out.
    return inPlace_ || whole_ ? useWorkbookEngine() : nullptr;
}

std::optional<std::string> ReportDocument::serialize() const {
    const std::shared_ptr<const WorkbookEngine> engine = engineForUse();
    if (!engine)
        return std::nullopt;
    if (inPlace_)
        return inPlace_->serialize(*engine);
    return engine->serializeWhole({whole_->bytes, whole_->systemId, sheetName_, whole_->addedRows});
}

void ReportDocument::commit(std::string saved) {
    if (whole_) {
        // What was written is the workbook with every row: parsed from there next time.
        whole_->bytes = std::move(saved);
        whole_->isTemplate = false;
        whole_->addedRows.clear();
        return;
    }
    if (!inPlace_ || inPlace_->commit(std::move(saved)))
        return;
    // The rows' end was not where it had to be: scan the bytes written again.
    std::string bytes = inPlace_->originalBytes();
    *this =
        ReportDocument(std::move(bytes), sheetName_, u"saved", ReportLoading::InPlaceWhenPossible);
}

std::optional<TableRows> ReportDocument::tableRows(const std::u16string& systemId) const {
    const std::shared_ptr<const WorkbookEngine> engine = engineForUse();
    if (!engine)
        return std::nullopt;
    if (inPlace_)
        return engine->tableRows(
            {inPlace_->originalBytes(), systemId, sheetName_, inPlace_->addedRows()});
    return engine->tableRows({whole_->bytes, whole_->systemId, sheetName_, whole_->addedRows});
}

} // namespace report
