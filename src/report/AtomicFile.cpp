#include "report/AtomicFile.h"

#include "report/ReportText.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace report {

namespace fs = std::filesystem;

namespace {

// Closes a descriptor and removes the temporary file unless it was handed over.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string pattern) : name_(std::move(pattern)) {
        fd_ = ::mkstemp(name_.data());
        if (fd_ < 0)
            name_.clear();
    }
    ~TemporaryFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!name_.empty())
            ::unlink(name_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_; }
    const std::string& name() const { return name_; }
    int closeFile() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }
    void keep() { name_.clear(); }

private:
    std::string name_;
    int fd_ = -1;
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

FileResult failure(const fs::path& target, int errorCode) {
    return {false, u"Не удалось сохранить отчёт в файл «" + fromUtf8(target.string()) + u"»: " +
                       describeError(errorCode) + u"."};
}

// The file a save really replaces: the end of a chain of symbolic links, if any.
fs::path resolveLinks(const fs::path& target) {
    std::error_code ec;
    fs::path current = target;
    for (int hops = 0; hops < 40 && fs::is_symlink(current, ec); ++hops) {
        fs::path next = fs::read_symlink(current, ec);
        if (ec)
            break;
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return current;
}

} // namespace

std::u16string describeError(int errorCode) {
    switch (errorCode) {
    case EACCES:
    case EPERM:
        return u"нет прав на запись";
    case ENOENT:
        return u"папка не существует";
    case ENOTDIR:
        return u"в пути к файлу вместо папки стоит файл";
    case EISDIR:
        return u"по этому пути находится папка";
    case ENOSPC:
    case EDQUOT:
        return u"на диске нет места";
    case EROFS:
        return u"диск доступен только для чтения";
    case ENAMETOOLONG:
        return u"слишком длинное имя файла";
    case EXDEV:
        return u"файл нельзя заменить на этом диске";
    default:
        return u"ошибка ввода-вывода (код " + fromUtf8(std::to_string(errorCode)) + u")";
    }
}

FileResult writeFileAtomically(const fs::path& requested, std::string_view bytes) {
    if (requested.empty() || !requested.has_filename())
        return failure(requested, EISDIR);
    const fs::path target = resolveLinks(requested);
    std::error_code ec;
    if (fs::is_directory(target, ec))
        return failure(requested, EISDIR);

    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    TemporaryFile temp((folder / ("." + target.filename().string() + ".XXXXXX")).string());
    if (temp.fd() < 0)
        return failure(requested, errno);

    struct stat existing {};
    const mode_t mode = ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    if (::fchmod(temp.fd(), mode) != 0)
        return failure(requested, errno);
    if (!writeAll(temp.fd(), bytes))
        return failure(requested, errno);
    if (::fsync(temp.fd()) != 0)
        return failure(requested, errno);
    if (temp.closeFile() != 0)
        return failure(requested, errno);
    if (::rename(temp.name().c_str(), target.c_str()) != 0)
        return failure(requested, errno);
    temp.keep();

    // Make the rename itself durable.
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return {true, {}};
}

std::optional<std::string> readWholeFile(const fs::path& file, int* errorCode) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errorCode)
            *errorCode = errno;
        return std::nullopt;
    }
    // Read straight into the string, sized from the file; the loop still copes with a file
    // that grows or shrinks meanwhile.
    struct stat info {};
    const std::size_t expected =
        ::fstat(fd, &info) == 0 && info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
    std::string bytes(expected + 1, '\0');
    std::size_t have = 0;
    for (;;) {
        if (have == bytes.size())
            bytes.resize(bytes.size() * 2 + (1 << 16));
        const ssize_t got = ::read(fd, bytes.data() + have, bytes.size() - have);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errorCode)
                *errorCode = errno;
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        have += static_cast<std::size_t>(got);
    }
    bytes.resize(have);
    ::close(fd);
    return bytes;
}

} // namespace report
