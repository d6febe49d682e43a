#pragma once
// The table the build generates from the files under assets/ (see cmake/EmbedAssets.cmake).

#include <cstddef>
#include <cstdint>

namespace resources {

struct EmbeddedAssetRecord {
    const char* name;   // base name without extension
    const char* folder; // folder under assets/
    const std::uint8_t* begin;
    const std::uint8_t* end;
};

extern const EmbeddedAssetRecord* const embeddedAssetRecords;
extern const std::size_t embeddedAssetRecordCount;

} // namespace resources
