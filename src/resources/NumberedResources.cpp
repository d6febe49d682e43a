#include "resources/NumberedResources.h"

#include "resources/EmbeddedAssets.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
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
    return executable.parent_path() / "Animations";
}

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0)
        return std::nullopt;
    in.seekg(0, std::ios::beg);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size))
        return std::nullopt;
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

// "Animations/<number>", or failing that a file whose name is the number with any extension.
std::optional<std::vector<std::uint8_t>> readCompanionFile(long number) {
    const std::filesystem::path folder = companionFolder();
    if (folder.empty())
        return std::nullopt;
    const std::string name = std::to_string(number);
    if (auto bytes = readWholeFile(folder / name))
        return bytes;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error), end;
    for (; !error && it != end; it.increment(error))
        if (it->path().stem() == name && it->path().has_extension())
            if (auto bytes = readWholeFile(it->path()))
                return bytes;
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
