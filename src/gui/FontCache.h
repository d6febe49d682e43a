#pragma once
// Fonts of the text views, each created once per face, height and style, with the advance and the
// outline of every character fetched once and kept as long as the cache.

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/fonts/FontFace.h"

struct FontKey {
    std::wstring face;
    int height = 16;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    friend bool operator==(const FontKey&, const FontKey&) = default;
};

class FontRecord {
public:
    explicit FontRecord(FontKey key);

    const FontKey& key() const { return key_; }
    // Cell height and descent; with no usable face at all, the requested height and no descent.
    const platform::fonts::TextMetrics& metrics() const { return metrics_; }
    // The whole advance of the character (A + B + C).
    int advance(char32_t ch);
    // Null when the character has no outline (the cell then shows only its background).
    const platform::fonts::GlyphOutline* outline(char32_t ch);
    const platform::fonts::FontFace* face() const { return face_.get(); }

    // How many characters were asked of the face (each at most once per kind).
    std::size_t advanceLookups() const { return advanceLookups_; }
    std::size_t outlineLookups() const { return outlineLookups_; }

private:
    FontKey key_;
    std::unique_ptr<platform::fonts::FontFace> face_;
    platform::fonts::TextMetrics metrics_;
    std::unordered_map<char32_t, int> advances_;
    std::unordered_map<char32_t, std::unique_ptr<platform::fonts::GlyphOutline>> outlines_;
    std::size_t advanceLookups_ = 0;
    std::size_t outlineLookups_ = 0;
};

class FontCache {
public:
    // The record with exactly this face name, height and style, created on first use.
    FontRecord& font(const FontKey& key);
    std::size_t fontCount() const { return fonts_.size(); }
    void clear() { fonts_.clear(); }

private:
    std::vector<std::unique_ptr<FontRecord>> fonts_;
};

// The font cache of the text views. It is reached through this accessor rather than as a member of
// the resource manager; it lives until the program ends.
FontCache& fontCache();
