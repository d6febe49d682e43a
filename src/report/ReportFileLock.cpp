#include "report/ReportFileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace report {

namespace fs = std::filesystem;

std::optional<ReportFileLock> ReportFileLock::acquire(const fs::path& file, int* errorCode) {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        if (errorCode)
            *errorCode = errno;
        return std::nullopt;
    }
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno == EINTR)
            continue;
        if (errorCode)
            *errorCode = errno;
        ::close(fd);
        return std::nullopt;
    }
    return ReportFileLock(fd);
}

ReportFileLock::~ReportFileLock() {
    if (fd_ >= 0)
        ::close(fd_); // closing the only descriptor releases the flock
}

} // namespace report
