#pragma once
// Keeps two savers of one report file apart, whether they are two programs or two reports in one
// program: an exclusive flock on the folder that holds the report. Locking the folder rather than
// a lock file beside the report leaves nothing behind in it, and also covers what happens to the
// folder's entries during a save (the temporary's name, the rename, a damaged file set aside).
// Saves of different reports in one folder take turns; each takes milliseconds.

#include <filesystem>
#include <optional>

namespace report {

class ReportFileLock {
public:
    // Waits for and takes the lock of `file` (the file itself, links already resolved). Nothing,
    // with errno in `errorCode`, when its folder cannot be opened or locked.
    static std::optional<ReportFileLock> acquire(const std::filesystem::path& file, int* errorCode);

    ReportFileLock(ReportFileLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    ReportFileLock& operator=(ReportFileLock&&) = delete;
    ReportFileLock(const ReportFileLock&) = delete;
    ReportFileLock& operator=(const ReportFileLock&) = delete;
    ~ReportFileLock(); // releases

private:
    explicit ReportFileLock(int fd) : fd_(fd) {}
    int fd_;
};

} // namespace report
