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

// Writes into an unnamed file in the target's folder, flushes it to disk, gives it a temporary
// name and renames it over the target. A crash while writing leaves nothing behind; only a crash
// between naming and renaming leaves a temporary, which removeStaleTemporaries clears. `target`
// is the file itself, not a link to it (the caller resolves links by its own rules). A new file
// gets mode 0644, an existing one keeps its mode.
FileResult writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// Whether `name` is one of the temporaries writeFileAtomically names for a file `target`.
bool isTemporaryFor(const std::filesystem::path& target, const std::string& name);

// Removes the temporaries of `target` left by a save that was killed. Only safe while no save of
// the same file can be running, i.e. under its ReportFileLock.
void removeStaleTemporaries(const std::filesystem::path& target);

// The whole file, or nothing when it cannot be read.
std::optional<std::string> readWholeFile(const std::filesystem::path& file, int* errorCode);

// "Не удалось сохранить отчёт в файл «target»: <reason>."
FileResult saveFailure(const std::filesystem::path& target, int errorCode);

// Russian wording of an errno value, for the messages of the report.
std::u16string describeError(int errorCode);

} // namespace report
