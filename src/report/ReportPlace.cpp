#include "report/ReportPlace.h"

#include "report/ReportText.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace report {

namespace fs = std::filesystem;

namespace {

// The kernel's own bound on links followed in one lookup.
constexpr int kMaximumLinkHops = 40;

ReportPlace::Kind kindOfFile(const fs::path& file, const struct stat& info) {
    // Root may write anything: the mode bits alone say what the owner meant.
    const bool writable = (info.st_mode & 0222) != 0 && ::access(file.c_str(), W_OK) == 0;
    return writable ? ReportPlace::Kind::File : ReportPlace::Kind::ReadOnlyFile;
}

bool sameFolder(const fs::path& a, const fs::path& b) {
    std::error_code ea;
    std::error_code eb;
    const fs::path folderA = fs::canonical(a.has_parent_path() ? a.parent_path() : ".", ea);
    const fs::path folderB = fs::canonical(b.has_parent_path() ? b.parent_path() : ".", eb);
    return !ea && !eb && folderA == folderB;
}

} // namespace

bool ReportPlace::isRefusedLink() const {
    switch (kind) {
    case Kind::DanglingLink:
    case Kind::LinkLoop:
    case Kind::LinkToFolder:
    case Kind::LinkOutsideFolder:
    case Kind::LinkToSpecial:
        return true;
    default:
        return false;
    }
}

ReportPlace inspectReportPlace(const fs::path& path) {
    ReportPlace place;
    place.real = path;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return place; // absent, or a path that leads nowhere: saving will say why
    if (S_ISDIR(info.st_mode)) {
        place.kind = ReportPlace::Kind::Folder;
        return place;
    }
    if (S_ISREG(info.st_mode)) {
        place.kind = kindOfFile(path, info);
        place.size = static_cast<std::uintmax_t>(info.st_size);
        return place;
    }
    if (!S_ISLNK(info.st_mode)) {
        place.kind = ReportPlace::Kind::Special;
        return place;
    }

    // Follow the links one at a time, so that a loop and a missing end can be told apart.
    place.throughLink = true;
    fs::path current = path;
    for (int hop = 0;; ++hop) {
        if (hop == kMaximumLinkHops) {
            place.kind = ReportPlace::Kind::LinkLoop;
            return place;
        }
        std::error_code ec;
        const fs::path next = fs::read_symlink(current, ec);
        if (ec) {
            place.kind = ReportPlace::Kind::DanglingLink;
            return place;
        }
        current = next.is_absolute() ? next : current.parent_path() / next;
        if (::lstat(current.c_str(), &info) != 0) {
            place.kind =
                errno == ELOOP ? ReportPlace::Kind::LinkLoop : ReportPlace::Kind::DanglingLink;
            place.real = current;
            return place;
        }
        if (!S_ISLNK(info.st_mode))
            break;
    }
    place.real = current;
    if (S_ISDIR(info.st_mode)) {
        place.kind = ReportPlace::Kind::LinkToFolder;
    } else if (!S_ISREG(info.st_mode)) {
        place.kind = ReportPlace::Kind::LinkToSpecial;
    } else if (!sameFolder(path, current)) {
        place.kind = ReportPlace::Kind::LinkOutsideFolder;
    } else {
        place.kind = kindOfFile(current, info);
        place.size = static_cast<std::uintmax_t>(info.st_size);
    }
    return place;
}

std::u16string describeRefusedPlace(const ReportPlace& place, const fs::path& path) {
    const std::u16string named = u"«" + fromUtf8(path.string()) + u"»";
    const std::u16string target = u"«" + fromUtf8(place.real.string()) + u"»";
    switch (place.kind) {
    case ReportPlace::Kind::ReadOnlyFile:
        return u"Файл отчёта " + named +
               u" доступен только для чтения, и отчёт в него не "
               u"записывается. Его можно сохранить под другим именем.";
    case ReportPlace::Kind::DanglingLink:
        return u"Файл отчёта " + named + u" — ссылка на несуществующий файл " + target +
               u". Через неё ничего не создаётся; отчёт можно сохранить под другим именем.";
    case ReportPlace::Kind::LinkLoop:
        return u"Файл отчёта " + named +
               u" — ссылка, замкнутая сама на себя. Отчёт в неё не "
               u"записывается; его можно сохранить под другим именем.";
    case ReportPlace::Kind::LinkToFolder:
        return u"Файл отчёта " + named + u" — ссылка на папку " + target +
               u". Отчёт в неё не записывается; его можно сохранить под другим именем.";
    case ReportPlace::Kind::LinkOutsideFolder:
        return u"Файл отчёта " + named + u" — ссылка на файл " + target +
               u" в другой папке. Отчёт пишется только в свою папку; его можно сохранить под "
               u"другим именем.";
    case ReportPlace::Kind::LinkToSpecial:
        return u"Файл отчёта " + named + u" — ссылка на " + target +
               u", который не является обычным файлом. Отчёт в неё не записывается.";
    case ReportPlace::Kind::Folder:
    case ReportPlace::Kind::Special:
        return u"По пути " + named +
               u" находится не файл отчёта. Он оставлен как есть; отчёт "
               u"можно сохранить под другим именем.";
    case ReportPlace::Kind::Absent:
    case ReportPlace::Kind::File:
        return {};
    }
    return {};
}

} // namespace report
