#pragma once
// Where an unreadable report file is put aside.

#include <ctime>
#include <filesystem>

namespace report {

// "<stem>.повреждён-YYYY-MM-DD_HH-MM-SS<extension>" beside the file, in local time; `attempt`
// above 1 adds "-<attempt>" so that two damaged files of one second both keep their names.
std::filesystem::path damagedFileName(const std::filesystem::path& file, std::time_t when,
                                      int attempt = 1);

// Renames `file` to a damaged-file name that does not exist yet. Returns the new name, or an
// empty path (with errno kept in `errorCode`) when it cannot be moved.
std::filesystem::path setDamagedFileAside(const std::filesystem::path& file, int* errorCode);

} // namespace report
