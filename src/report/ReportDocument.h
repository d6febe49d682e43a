#pragma once
// A report's workbook as bytes plus the rows added since: kept as the file's own bytes when they
// are in the serializer's form, or parsed into a DOM otherwise.

#include "report/InPlaceWorkbook.h"
#include "report/WholeWorkbook.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace report {

// How an existing report file is taken in.
enum class ReportLoading {
    // A file in the serializer's own form (every file this program wrote) is kept as its bytes
    // and rows are spliced in when saving; any other file is parsed into a DOM. Both give the
    // same saved bytes.
    InPlaceWhenPossible,
    // Always parsed into a DOM and written out whole.
    WholeDocument,
};

class ReportDocument {
public:
    enum class Verdict { Taken, Damaged, TooLarge };

    // Takes in workbook bytes for the worksheet `sheetName`; `verdict` says whether they were.
    ReportDocument(std::string bytes, const std::u16string& sheetName,
                   const std::u16string& systemId, ReportLoading loading);
    // The built-in template.
    explicit ReportDocument(const std::u16string& sheetName);
    ReportDocument(ReportDocument&&) noexcept = default;
    ReportDocument& operator=(ReportDocument&&) noexcept = default;
    ~ReportDocument();

    Verdict verdict() const { return verdict_; }
    const std::string& problem() const { return problem_; }
    bool taken() const { return verdict_ == Verdict::Taken; }

    bool inPlace() const { return inPlace_.has_value(); }
    // The bytes the document was taken from or last committed (the document is these bytes and
    // the rows added since); nothing for the template.
    const std::string* sourceBytes() const;

    void addRow(const ReportRow& row);
    std::optional<std::string> serialize() const;

    // `saved` (what serialize gave) is now on disk: the document goes on from there.
    void commit(std::string saved);

    // Builds the DOM of an in-place document, rows included, when it is first asked for.
    const WholeWorkbook* whole(const std::u16string& systemId) const;

private:
    std::u16string sheetName_;
    mutable std::optional<InPlaceWorkbook> inPlace_;
    mutable std::unique_ptr<WholeWorkbook> whole_;
    // What whole_ was built from, so that a save can tell the file unchanged without a parse.
    mutable std::optional<std::string> wholeSource_;
    Verdict verdict_ = Verdict::Taken;
    std::string problem_;
};

} // namespace report
