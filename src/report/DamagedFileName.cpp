#include "report/DamagedFileName.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>

namespace report {

namespace fs = std::filesystem;

fs::path damagedFileName(const fs::path& file, std::time_t when, int attempt) {
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
    std::string name = file.stem().string() + ".повреждён-" + stamp;
    if (attempt > 1)
        name += "-" + std::to_string(attempt);
    name += file.extension().string();
    return file.parent_path() / name;
}

fs::path setDamagedFileAside(const fs::path& file, int* errorCode) {
    const std::time_t now = std::time(nullptr);
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const fs::path aside = damagedFileName(file, now, attempt);
        // RENAME_NOREPLACE: never put the damaged file over an earlier one.
        if (::renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0)
            return aside;
        if (errno == EEXIST)
            continue;
        if (errno == EINVAL || errno == ENOSYS) {
            // The file system cannot refuse replacement itself; check first.
            std::error_code ec;
            if (fs::exists(aside, ec))
                continue;
            if (::rename(file.c_str(), aside.c_str()) == 0)
                return aside;
        }
        if (errorCode)
            *errorCode = errno;
        return {};
    }
    if (errorCode)
        *errorCode = EEXIST;
    return {};
}

} // namespace report
