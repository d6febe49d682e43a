#include "resources/EmbeddedAssets.h"

#include "resources/EmbeddedAssetTable.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace resources {

namespace {

std::vector<EmbeddedAsset> buildCatalogue() {
    std::vector<EmbeddedAsset> assets;
    assets.reserve(embeddedAssetRecordCount);
    for (std::size_t i = 0; i < embeddedAssetRecordCount; ++i) {
        const EmbeddedAssetRecord& r = embeddedAssetRecords[i];
        assets.push_back(
            {r.name, r.folder,
             std::span<const std::uint8_t>(r.begin, static_cast<std::size_t>(r.end - r.begin))});
    }
    return assets;
}

const std::vector<EmbeddedAsset>& catalogue() {
    static const std::vector<EmbeddedAsset> assets = buildCatalogue();
    return assets;
}

const std::unordered_map<std::string_view, const EmbeddedAsset*>& byName() {
    static const auto index = [] {
        std::unordered_map<std::string_view, const EmbeddedAsset*> map;
        for (const EmbeddedAsset& asset : catalogue())
            map.emplace(asset.name, &asset);
        return map;
    }();
    return index;
}

} // namespace

const EmbeddedAsset* findEmbeddedAsset(std::string_view name) {
    const auto& index = byName();
    const auto found = index.find(name);
    return found == index.end() ? nullptr : found->second;
}

const EmbeddedAsset* findEmbeddedAsset(const std::wstring& name) {
    // Asset names are plain ASCII file names; anything else cannot match one.
    std::string narrow;
    narrow.reserve(name.size());
    for (wchar_t c : name) {
        if (c <= 0 || c > 0x7F)
            return nullptr;
        narrow.push_back(static_cast<char>(c));
    }
    return findEmbeddedAsset(std::string_view(narrow));
}

std::span<const EmbeddedAsset> embeddedAssets() {
    return catalogue();
}

} // namespace resources
