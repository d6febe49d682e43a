#include "resources/NumberedResources.h"

#include "platform/Platform.h"
#include "resources/EmbeddedAssets.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <set>
#include <system_error>
#include <unistd.h>

namespace resources {

ResourceBytes ResourceBytes::embedded(std::span<const std::uint8_t> bytes) {
    ResourceBytes r;
    r.view_ = bytes;
    return r;
}

ResourceBytes ResourceBytes::owned(std::vector<std::uint8_t> bytes) {
    ResourceBytes r;
    r.storage_ = std::move(bytes);
    r.owned_ = true;
    return r;
}

std::span<const std::uint8_t> ResourceBytes::bytes() const {
    return owned_ ? std::span<const std::uint8_t>(storage_) : view_;
}

std::optional<long> parseResourceNumber(const std::wstring& name) {
    // The whole text must be a decimal number: an optional sign, then digits only.
    std::size_t i = 0;
    bool negative = false;
    if (i < name.size() && (name[i] == L'+' || name[i] == L'-'))
        negative = name[i++] == L'-';
    if (i == name.size())
        return std::nullopt;
    long value = 0;
    for (; i < name.size(); ++i) {
        if (name[i] < L'0' || name[i] > L'9')
            return std::nullopt;
        const int digit = name[i] - L'0';
        if (value > (LONG_MAX - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

std::filesystem::path companionFolder() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return companionFolderFor(executable);
}

std::filesystem::path companionFolderFor(const std::filesystem::path& executable) {
    std::error_code error;
    // Beside the executable (a build tree, a copied folder), or where an installation puts it.
    const std::filesystem::path beside = executable.parent_path() / "Animations";
    const std::filesystem::path installed =
        executable.parent_path().parent_path() / "share" / "tavrelo" / "Animations";
    if (!std::filesystem::is_directory(beside, error) &&
        std::filesystem::is_directory(installed, error))
        return installed;
    return beside;
}

std::optional<std::vector<std::uint8_t>>
readWholeFile(const std::filesystem::path& path, std::string* problem, std::uintmax_t maxSize) {
    auto refuse = [problem](std::string why) -> std::optional<std::vector<std::uint8_t>> {
        if (problem)
            *problem = std::move(why);
        return std::nullopt;
    };
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        return refuse("no such file");
    if (!std::filesystem::is_regular_file(status))
        return refuse("not a regular file");
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        return refuse(error.message());
    if (size > maxSize)
        return refuse("file of " + std::to_string(size) + " bytes is larger than the limit of " +
                      std::to_string(maxSize));
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return refuse("cannot be opened");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (size > 0 &&
        !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)))
        return refuse("cannot be read");
    return bytes;
}

namespace {

const EmbeddedAsset* findEmbeddedNumber(long number) {
    const std::string name = std::to_string(number);
    for (const EmbeddedAsset& asset : embeddedAssets())
        if (asset.name == name)
            return &asset;
    return nullptr;
}

// The companion files that were refused, by number: not read again.
std::set<long>& refusedCompanions() {
    static std::set<long> numbers;
    return numbers;
}

std::mutex& companionLock() {
    static std::mutex lock;
    return lock;
}

// The companion file of `number`: "Animations/<number>", or failing that a file whose name is the
// number with any extension.
std::optional<std::filesystem::path> findCompanionFile(long number) {
    const std::filesystem::path folder = companionFolder();
    if (folder.empty())
        return std::nullopt;
    const std::string name = std::to_string(number);
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(folder / name, error)))
        return folder / name;
    std::filesystem::directory_iterator it(folder, error), end;
    for (; !error && it != end; it.increment(error))
        if (it->path().stem() == name && it->path().has_extension())
            return it->path();
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> readCompanionFile(long number) {
    {
        const std::lock_guard<std::mutex> guard(companionLock());
        if (refusedCompanions().count(number) != 0)
            return std::nullopt;
    }
    const std::optional<std::filesystem::path> file = findCompanionFile(number);
    if (!file)
        return std::nullopt;
    std::string problem;
    if (auto bytes = readWholeFile(*file, &problem))
        return bytes;
    {
        const std::lock_guard<std::mutex> guard(companionLock());
        refusedCompanions().insert(number);
    }
    platform::debugOutput(L"Ресурс " + std::to_wstring(number) + L" из «" +
                          platform::utf8ToWide(file->string()) + L"» не прочитан: " +
                          platform::utf8ToWide(problem) + L"\n");
    return std::nullopt;
}

} // namespace

std::optional<ResourceBytes> loadNumberedResource(long number) {
    if (number < 0)
        return std::nullopt;
    if (const EmbeddedAsset* asset = findEmbeddedNumber(number))
        return ResourceBytes::embedded(asset->bytes);
    if (auto bytes = readCompanionFile(number))
        return ResourceBytes::owned(std::move(*bytes));
    return std::nullopt;
}

} // namespace resources
