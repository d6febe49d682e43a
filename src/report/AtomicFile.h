#pragma once
// Files written so that a crash leaves either the old or the new contents, never a mixture.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace report {

struct FileResult {
    bool ok = false;
    std::u16string reason; // Russian, for a screen; empty when ok
    explicit operator bool() const { return ok; }
};

// Writes into a temporary file beside the target, flushes it to disk and renames it over the
// target (through a symbolic link, the file it points to is replaced). A new file gets mode
// 0644, an existing one keeps its mode.
FileResult writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// The whole file, or nothing when it cannot be read.
std::optional<std::string> readWholeFile(const std::filesystem::path& file, int* errorCode);

// Russian wording of an errno value, for the messages of the report.
std::u16string describeError(int errorCode);

} // namespace report
