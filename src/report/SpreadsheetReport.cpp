#include "report/SpreadsheetReport.h"

#include "report/AppendPoint.h"
#include "report/DamagedFileName.h"
#include "report/ReportText.h"
#include "report/WorkbookParser.h"
#include "report/WorkbookTemplate.h"
#include "report/XercesSession.h"

#include <cerrno>
#include <stdexcept>

namespace report {

namespace fs = std::filesystem;

namespace {

std::u16string inGuillemets(const std::string& utf8Path) {
    return u"«" + fromUtf8(utf8Path) + u"»";
}

} // namespace

SpreadsheetReport::SpreadsheetReport(const std::u16string& filePathText,
                                     const std::u16string& sheetNameText, ReportLoading loading)
    : path(toUtf8(filePathText)), sheetName_(toReportText(sheetNameText)) {
    ensureXercesInitialised();
    openDocument(loading);
}

SpreadsheetReport::~SpreadsheetReport() = default;

void SpreadsheetReport::openDocument(ReportLoading loading) {
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

    if (loading == ReportLoading::InPlaceWhenPossible) {
        // Everything the scan refuses, a damaged file included, is left to the full parse
        // below, which decides as it always has.
        if (const auto point = findAppendPoint(*bytes, sheetName_, fromUtf8(path))) {
            inPlace_.emplace(std::move(*bytes), *point, sheetName_);
            openOutcome_ = {ReportOpenOutcome::Kind::ExistingFile, {}, {}};
            return;
        }
    }

    ParsedWorkbook parsed = parseWorkbook(*bytes, fromUtf8(path));
    if (parsed.document) {
        whole_ = std::make_unique<WholeWorkbook>(std::move(parsed), sheetName_, bytes->size());
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
    whole_ =
        std::make_unique<WholeWorkbook>(std::move(parsed), sheetName_, workbookTemplate().size());
}

const WholeWorkbook* SpreadsheetReport::wholeWorkbook() const {
    if (!whole_ && inPlace_) {
        const std::string& bytes = inPlace_->originalBytes();
        ParsedWorkbook parsed = parseWorkbook(bytes, fromUtf8(path));
        // The scan accepted these bytes, so the parse does too, short of running out of memory.
        if (!parsed.document)
            return nullptr;
        auto whole = std::make_unique<WholeWorkbook>(std::move(parsed), sheetName_, bytes.size());
        for (const ReportRow& row : inPlace_->addedRows())
            whole->addRow(row);
        whole_ = std::move(whole);
        inPlace_.reset();
    }
    return whole_.get();
}

void SpreadsheetReport::addRow(ReportRow row) {
    if (inPlace_)
        inPlace_->addRow(std::move(row));
    else
        whole_->addRow(row);
}

void SpreadsheetReport::addRow(const std::u16string& label, const std::u16string& value,
                               const std::u16string& type) {
    addRow(ReportRow{false, toReportText(label), toReportText(value), toReportText(type)});
}

void SpreadsheetReport::addEmptyRow() {
    addRow(ReportRow{true, {}, {}, {}});
}

std::optional<std::string> SpreadsheetReport::serialize() const {
    if (inPlace_)
        return inPlace_->serialize();
    return whole_->serialize();
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
    const WholeWorkbook* whole = wholeWorkbook();
    if (!whole)
        return std::nullopt;
    return whole->tableRows();
}

} // namespace report
