#include "report/SpreadsheetReport.h"

#include "report/DamagedFileName.h"
#include "report/ReportFileLock.h"
#include "report/ReportText.h"

#include <cerrno>

namespace report {

namespace fs = std::filesystem;

namespace {

using OpenKind = ReportOpenOutcome::Kind;
using SaveKind = ReportSaveResult::Kind;

std::u16string inGuillemets(const std::string& utf8Path) {
    return u"«" + fromUtf8(utf8Path) + u"»";
}

constexpr char16_t kSaveElsewhere[] = u" Отчёт можно сохранить под другим именем.";

std::u16string tooLargeMessage(const std::string& file) {
    return u"Файл отчёта " + inGuillemets(file) +
           u" слишком велик, чтобы его прочитать. Он оставлен на месте и не будет перезаписан." +
           kSaveElsewhere;
}

std::u16string unreadableMessage(const std::string& file) {
    return u"Файл отчёта " + inGuillemets(file) +
           u" не удаётся прочитать. Он оставлен как есть и не будет перезаписан; отчёт можно "
           u"сохранить под другим именем.";
}

std::u16string cannotPrepare(const std::string& file) {
    return u"Не удалось подготовить отчёт к записи в файл " + inGuillemets(file) + u".";
}

ReportSaveResult refused(SaveKind kind, std::u16string reason) {
    return {kind, false, std::move(reason)};
}

} // namespace

SpreadsheetReport::SpreadsheetReport(const std::u16string& filePathText,
                                     const std::u16string& sheetNameText, ReportLoading loading)
    : path(toUtf8(filePathText)), sheetName_(toReportText(sheetNameText)), loading_(loading),
      document_(sheetName_) {
    openDocument();
}

SpreadsheetReport::~SpreadsheetReport() = default;

void SpreadsheetReport::refuseOwnFile(OpenKind kind, std::u16string message) {
    ownFileRefusal_ = message;
    openOutcome_ = {kind, std::move(message), {}};
}

void SpreadsheetReport::openDocument() {
    if (path.empty()) {
        openOutcome_ = {OpenKind::NewFile, {}, {}};
        return;
    }
    const ReportPlace place = inspectReportPlace(path);
    switch (place.kind) {
    case ReportPlace::Kind::Absent:
        openOutcome_ = {OpenKind::NewFile, {}, {}};
        return;
    case ReportPlace::Kind::Folder:
    case ReportPlace::Kind::Special:
        // Whatever is there is not ours to replace.
        refuseOwnFile(OpenKind::KeptUntouched, unreadableMessage(path));
        return;
    case ReportPlace::Kind::File:
    case ReportPlace::Kind::ReadOnlyFile:
        break;
    default:
        refuseOwnFile(OpenKind::LinkRefused, describeRefusedPlace(place, path));
        return;
    }

    // Held while the file is read and, if need be, set aside, so that no save runs meanwhile.
    const std::optional<ReportFileLock> lock = place.kind == ReportPlace::Kind::File
                                                   ? ReportFileLock::acquire(place.real, nullptr)
                                                   : std::nullopt;
    {
        // Temporaries of a save that was killed; no save can be running while the lock is held.
        if (lock)
            removeStaleTemporaries(place.real);
    }
    if (place.size > kMaximumReportFileSize) {
        refuseOwnFile(OpenKind::TooLarge, tooLargeMessage(path));
        return;
    }
    std::optional<std::string> bytes = readWholeFile(place.real, nullptr);
    if (!bytes) {
        refuseOwnFile(OpenKind::KeptUntouched, unreadableMessage(path));
        return;
    }
    if (bytes->size() > kMaximumReportFileSize) {
        refuseOwnFile(OpenKind::TooLarge, tooLargeMessage(path));
        return;
    }

    ReportDocument read(std::move(*bytes), sheetName_, fromUtf8(path), loading_);
    switch (read.verdict()) {
    case ReportDocument::Verdict::Taken:
        document_ = std::move(read);
        if (place.kind == ReportPlace::Kind::ReadOnlyFile)
            refuseOwnFile(OpenKind::ReadOnly, describeRefusedPlace(place, path));
        else
            openOutcome_ = {OpenKind::ExistingFile, {}, {}};
        return;
    case ReportDocument::Verdict::TooLarge:
        refuseOwnFile(OpenKind::TooLarge, tooLargeMessage(path));
        return;
    case ReportDocument::Verdict::NotRead:
        refuseOwnFile(OpenKind::KeptUntouched, unreadableMessage(path));
        return;
    case ReportDocument::Verdict::Damaged:
        break;
    }

    if (place.throughLink) {
        // Moving the link aside would leave what it points to alone anyway; both stay as they are.
        refuseOwnFile(OpenKind::LinkRefused,
                      u"Файл отчёта " + inGuillemets(path) + u" — ссылка на файл " +
                          inGuillemets(place.real.string()) +
                          u", который не является отчётом. Он оставлен как есть и не будет "
                          u"перезаписан." +
                          kSaveElsewhere);
        return;
    }
    int renameError = 0;
    const fs::path aside = place.kind == ReportPlace::Kind::ReadOnlyFile
                               ? fs::path()
                               : setDamagedFileAside(path, &renameError);
    if (aside.empty()) {
        refuseOwnFile(OpenKind::KeptUntouched,
                      u"Файл отчёта " + inGuillemets(path) +
                          u" повреждён, а отложить его не удалось" +
                          (renameError ? u" (" + describeError(renameError) + u")" : u"") +
                          u". Он оставлен как есть и не будет перезаписан; отчёт можно "
                          u"сохранить под другим именем.");
    } else {
        openOutcome_ = {OpenKind::DamagedSetAside,
                        u"Файл отчёта " + inGuillemets(path) +
                            u" повреждён и не читается. Он сохранён под именем " +
                            inGuillemets(aside.string()) + u", отчёт начат заново.",
                        fromUtf8(aside.string())};
    }
}

void SpreadsheetReport::addRow(ReportRow row) {
    document_.addRow(row);
    rows_.push_back(std::move(row));
}

void SpreadsheetReport::addRow(const std::u16string& label, const std::u16string& value,
                               const std::u16string& type) {
    addRow(ReportRow{false, toReportText(label), toReportText(value), toReportText(type)});
}

void SpreadsheetReport::addEmptyRow() {
    addRow(ReportRow{true, {}, {}, {}});
}

std::optional<std::string> SpreadsheetReport::serialize() const {
    return document_.serialize();
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
        return refused(SaveKind::Refused, u"Не указано имя файла для сохранения отчёта.");
    const bool own = targetText.empty() || isOwnFile(target);
    if (own && !ownFileRefusal_.empty())
        return refused(SaveKind::Refused, ownFileRefusal_);

    const ReportPlace place = inspectReportPlace(target);
    if (place.kind != ReportPlace::Kind::Absent && place.kind != ReportPlace::Kind::File)
        return refused(SaveKind::Refused, describeRefusedPlace(place, target));
    int lockError = 0;
    const std::optional<ReportFileLock> lock = ReportFileLock::acquire(place.real, &lockError);
    if (!lock)
        return refused(SaveKind::WriteFailed, saveFailure(target, lockError).reason);
    removeStaleTemporaries(place.real);
    // Another saver may have made or changed the file while this one waited.
    const ReportPlace now = inspectReportPlace(target);
    if (now.kind != ReportPlace::Kind::Absent && now.kind != ReportPlace::Kind::File)
        return refused(SaveKind::Refused, describeRefusedPlace(now, target));
    return saveUnderLock(target, now, own);
}

ReportSaveResult SpreadsheetReport::saveUnderLock(const std::string& target,
                                                  const ReportPlace& place, bool own) {
    std::error_code ec;
    const std::string key = fs::weakly_canonical(place.real, ec).string();
    const std::size_t alreadySaved = own ? savedToOwn_ : savedElsewhere_[key];
    // One load of the engine serves the merge, the writing and the commit.
    const std::shared_ptr<const WorkbookEngine> engine = useWorkbookEngine();

    std::optional<ReportDocument> merged;
    std::optional<std::string> bytes;
    if (place.kind == ReportPlace::Kind::Absent) {
        // Nothing there to merge with: the whole report as this object knows it.
        bytes = document_.serialize();
    } else {
        if (place.size > kMaximumReportFileSize)
            return refused(SaveKind::TooLarge, tooLargeMessage(target));
        int readError = 0;
        std::optional<std::string> disk = readWholeFile(place.real, &readError);
        if (!disk)
            return refused(SaveKind::WriteFailed, saveFailure(target, readError).reason);
        if (disk->size() > kMaximumReportFileSize)
            return refused(SaveKind::TooLarge, tooLargeMessage(target));
        const std::string* known = document_.sourceBytes();
        if (own && known && *known == *disk) {
            // Unchanged since this report last read or wrote it: its own document is the merge.
            bytes = document_.serialize();
        } else {
            merged.emplace(std::move(*disk), sheetName_, fromUtf8(target), loading_);
            if (merged->verdict() == ReportDocument::Verdict::TooLarge)
                return refused(SaveKind::TooLarge, tooLargeMessage(target));
            if (merged->verdict() == ReportDocument::Verdict::NotRead)
                return refused(SaveKind::WriteFailed, cannotPrepare(target));
            if (merged->verdict() == ReportDocument::Verdict::Damaged)
                return refused(SaveKind::DamagedThere,
                               u"Файл " + inGuillemets(target) +
                                   u" не читается как отчёт. Он оставлен как есть, строки в "
                                   u"него не записаны." +
                                   kSaveElsewhere);
            for (std::size_t i = alreadySaved; i < rows_.size(); ++i)
                merged->addRow(rows_[i]);
            bytes = merged->serialize();
        }
    }
    if (!bytes)
        return refused(SaveKind::WriteFailed, cannotPrepare(target));
    const FileResult written = writeFileAtomically(place.real, *bytes);
    if (!written)
        return refused(SaveKind::WriteFailed, written.reason);

    if (own) {
        savedToOwn_ = rows_.size();
        if (merged)
            document_ = std::move(*merged);
        document_.commit(std::move(*bytes));
    } else {
        savedElsewhere_[key] = rows_.size();
    }
    return {SaveKind::Saved, true, {}};
}

std::u16string SpreadsheetReport::filePath() const {
    return fromUtf8(path);
}

std::optional<std::vector<std::vector<std::u16string>>> SpreadsheetReport::tableRows() const {
    return document_.tableRows(fromUtf8(path));
}

} // namespace report
