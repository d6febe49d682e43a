#pragma once
// Numbered resources (101 to 120 in the program, others possibly in the companion folder): the
// program's own embedded copy first, then the file named by the number in the folder
// "Animations/" beside the executable.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace resources {

// The bytes of one resource: a view of embedded data, or a file's contents held here.
class ResourceBytes {
public:
    static ResourceBytes embedded(std::span<const std::uint8_t> bytes);
    static ResourceBytes owned(std::vector<std::uint8_t> bytes);
    std::span<const std::uint8_t> bytes() const;

private:
    std::span<const std::uint8_t> view_;
    std::vector<std::uint8_t> storage_;
    bool owned_ = false;
};

// The whole of `name` read as a decimal number ("101", "+7", "0101"); nullopt otherwise.
std::optional<long> parseResourceNumber(const std::wstring& name);

// Files larger than this are never read: the largest resource the program has is a few megabytes,
// and a picture may not decode to more than this either.
constexpr std::uintmax_t maxResourceFileSize = std::uintmax_t{64} << 20;

// Resource `number` from the program, then from the companion folder; nullopt when neither has it.
// A companion file that is too large or cannot be read is refused once, said on standard error,
// and not looked at again while the program runs.
std::optional<ResourceBytes> loadNumberedResource(long number);

// The folder holding the companion resources: "Animations" beside the running executable, or,
// when there is none, the installed "<prefix>/share/tavrelo/Animations" for "<prefix>/bin".
std::filesystem::path companionFolder();
// The same for a given executable path.
std::filesystem::path companionFolderFor(const std::filesystem::path& executable);

// A whole file read into memory; nullopt, with the reason in `problem`, when it is not a regular
// file, is larger than `maxSize` (told from its size, without reading it), or cannot be read.
std::optional<std::vector<std::uint8_t>>
readWholeFile(const std::filesystem::path& path, std::string* problem = nullptr,
              std::uintmax_t maxSize = maxResourceFileSize);

} // namespace resources
