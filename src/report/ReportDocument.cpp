#include "report/ReportDocument.h"

#include "report/AppendPoint.h"
#include "report/WorkbookParser.h"
#include "report/WorkbookTemplate.h"

#include <stdexcept>

namespace report {

ReportDocument::ReportDocument(std::string bytes, const std::u16string& sheetName,
                               const std::u16string& systemId, ReportLoading loading)
    : sheetName_(sheetName) {
    if (loading == ReportLoading::InPlaceWhenPossible) {
        // Everything the scan refuses, a damaged file included, is left to the full parse
        // below, which decides as it always has.
        if (const auto point = findAppendPoint(bytes, sheetName_, systemId)) {
            inPlace_.emplace(std::move(bytes), *point, sheetName_);
            return;
        }
    }
    ParsedWorkbook parsed = parseWorkbook(bytes, systemId);
    if (parsed.document) {
        whole_ = std::make_unique<WholeWorkbook>(std::move(parsed), sheetName_, bytes.size());
        wholeSource_ = std::move(bytes);
        return;
    }
    verdict_ = parsed.tooLarge ? Verdict::TooLarge : Verdict::Damaged;
    problem_ = std::move(parsed.problem);
}

ReportDocument::ReportDocument(const std::u16string& sheetName) : sheetName_(sheetName) {
    ParsedWorkbook parsed = parseWorkbook(workbookTemplate(), kTemplateSystemId);
    if (!parsed.document)
        throw std::logic_error("the built-in workbook template does not parse");
    whole_ =
        std::make_unique<WholeWorkbook>(std::move(parsed), sheetName_, workbookTemplate().size());
}

ReportDocument::~ReportDocument() = default;

const std::string* ReportDocument::sourceBytes() const {
    if (inPlace_)
        return &inPlace_->originalBytes();
    return wholeSource_ ? &*wholeSource_ : nullptr;
}

void ReportDocument::addRow(const ReportRow& row) {
    if (inPlace_)
        inPlace_->addRow(row);
    else if (whole_)
        whole_->addRow(row);
}

std::optional<std::string> ReportDocument::serialize() const {
    if (inPlace_)
        return inPlace_->serialize();
    if (whole_)
        return whole_->serialize();
    return std::nullopt;
}

void ReportDocument::commit(std::string saved) {
    // A DOM already holds what was written; only the in-place form moves on to the new bytes.
    if (!inPlace_) {
        if (whole_)
            wholeSource_ = std::move(saved);
        return;
    }
    if (inPlace_->commit(std::move(saved)))
        return;
    std::string bytes = inPlace_->originalBytes();
    *this =
        ReportDocument(std::move(bytes), sheetName_, u"saved", ReportLoading::InPlaceWhenPossible);
}

const WholeWorkbook* ReportDocument::whole(const std::u16string& systemId) const {
    if (!whole_ && inPlace_) {
        const std::string& bytes = inPlace_->originalBytes();
        ParsedWorkbook parsed = parseWorkbook(bytes, systemId);
        // The scan accepted these bytes, so the parse does too, short of running out of memory.
        if (!parsed.document)
            return nullptr;
        auto whole = std::make_unique<WholeWorkbook>(std::move(parsed), sheetName_, bytes.size());
        for (const ReportRow& row : inPlace_->addedRows())
            whole->addRow(row);
        whole_ = std::move(whole);
        wholeSource_ = bytes;
        inPlace_.reset();
    }
    return whole_.get();
}

} // namespace report
