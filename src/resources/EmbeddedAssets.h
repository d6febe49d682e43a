#pragma once
// The files under assets/ compiled into the program, found by base name without extension
// ("DefaultBackGround", "101", "MOUSE_CLICK_SOUND").

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace resources {

struct EmbeddedAsset {
    std::string_view name;   // base name without extension
    std::string_view folder; // folder under assets/, e.g. "images", "numbered" ("" at the top)
    std::span<const std::uint8_t> bytes;
};

// Null when no embedded asset has that exact (case-sensitive) name.
const EmbeddedAsset* findEmbeddedAsset(std::string_view name);
const EmbeddedAsset* findEmbeddedAsset(const std::wstring& name);
// Every embedded asset, in path order.
std::span<const EmbeddedAsset> embeddedAssets();

} // namespace resources
