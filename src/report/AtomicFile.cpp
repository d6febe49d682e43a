#include "report/AtomicFile.h"

#include "report/ReportText.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace report {

namespace fs = std::filesystem;

namespace {

constexpr char kTemporaryMark[] = ".saving-";
constexpr std::size_t kSuffixLength = 6;

std::string temporaryPrefix(const fs::path& target) {
    return "." + target.filename().string() + kTemporaryMark;
}

// Closes the descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

// Removes a named temporary unless it was renamed into place.
class TemporaryName {
public:
    ~TemporaryName() {
        if (!name_.empty())
            ::unlink(name_.c_str());
    }
    void own(std::string name) { name_ = std::move(name); }
    void release() { name_.clear(); }
    const std::string& name() const { return name_; }

private:
    std::string name_;
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

std::string randomSuffix() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}() ^
                                           static_cast<std::uint64_t>(::getpid())};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string suffix(kSuffixLength, 'x');
    for (char& c : suffix)
        c = kLetters[pick(generator)];
    return suffix;
}

// Gives the unnamed file `fd` a fresh temporary name in `folder`.
int nameUnnamedFile(int fd, const fs::path& folder, const fs::path& target, TemporaryName& temp) {
    const std::string procPath = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = (folder / (temporaryPrefix(target) + randomSuffix())).string();
        if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temp.own(name);
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

// A named temporary from the start, where the file system has no unnamed files.
int openNamedTemporary(const fs::path& folder, const fs::path& target, TemporaryName& temp) {
    std::string pattern = (folder / (temporaryPrefix(target) + "XXXXXX")).string();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0)
        temp.own(pattern);
    return fd;
}

} // namespace

FileResult saveFailure(const fs::path& target, int errorCode) {
    return {false, u"Не удалось сохранить отчёт в файл «" + fromUtf8(target.string()) + u"»: " +
                       describeError(errorCode) + u"."};
}

bool isTemporaryFor(const fs::path& target, const std::string& name) {
    const std::string prefix = temporaryPrefix(target);
    if (name.size() != prefix.size() + kSuffixLength || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (std::size_t i = prefix.size(); i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

void removeStaleTemporaries(const fs::path& target) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (isTemporaryFor(target, it->path().filename().string()) &&
            it->symlink_status(typeError).type() == fs::file_type::regular)
            ::unlink(it->path().c_str());
    }
}

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

namespace {

// Writes the contents into `fd` and flushes them to disk; 0 or errno.
int fillTemporary(int fd, std::string_view bytes, mode_t mode) {
    if (::fchmod(fd, mode) != 0 || !writeAll(fd, bytes) || ::fsync(fd) != 0)
        return errno;
    return 0;
}

// The temporary with the contents and a name, ready to be renamed over the target: unnamed while
// it is written where the file system allows it, named from the start where it does not (or
// where the unnamed file cannot be given a name, as without /proc). 0 or errno.
int prepareTemporary(const fs::path& folder, const fs::path& target, std::string_view bytes,
                     mode_t mode, TemporaryName& temp) {
    {
        Descriptor unnamed(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
        if (unnamed.get() < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return errno;
        if (unnamed.get() >= 0) {
            if (const int error = fillTemporary(unnamed.get(), bytes, mode))
                return error;
            const int error = nameUnnamedFile(unnamed.get(), folder, target, temp);
            if (error == 0)
                return unnamed.close() == 0 ? 0 : errno;
            if (error != ENOENT && error != EPERM && error != EACCES)
                return error;
        }
    }
    Descriptor named(openNamedTemporary(folder, target, temp));
    if (named.get() < 0)
        return errno;
    if (const int error = fillTemporary(named.get(), bytes, mode))
        return error;
    return named.close() == 0 ? 0 : errno;
}

} // namespace

FileResult writeFileAtomically(const fs::path& target, std::string_view bytes) {
    if (target.empty() || !target.has_filename())
        return saveFailure(target, EISDIR);
    std::error_code ec;
    if (fs::is_directory(target, ec))
        return saveFailure(target, EISDIR);

    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    struct stat existing {};
    const mode_t mode = ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    TemporaryName temp;
    if (const int error = prepareTemporary(folder, target, bytes, mode, temp))
        return saveFailure(target, error);
    if (::rename(temp.name().c_str(), target.c_str()) != 0)
        return saveFailure(target, errno);
    temp.release();

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
