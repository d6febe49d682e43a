#include "gui/FontCache.h"

FontRecord::FontRecord(FontKey key) : key_(std::move(key)) {
    face_ = platform::fonts::FontFace::open(
        platform::fonts::FontRequest{key_.face, key_.height, key_.bold, key_.italic});
    if (face_) {
        metrics_ = face_->metrics();
    } else {
        metrics_.height = key_.height > 0 ? key_.height : 16;
        metrics_.ascent = metrics_.height;
        metrics_.descent = 0;
    }
}

int FontRecord::advance(char32_t ch) {
    auto it = advances_.find(ch);
    if (it != advances_.end()) return it->second;
    ++advanceLookups_;
    const int width = face_ ? face_->advance(ch) : 0;
    advances_.emplace(ch, width);
    return width;
}

const platform::fonts::GlyphOutline* FontRecord::outline(char32_t ch) {
    auto it = outlines_.find(ch);
    if (it == outlines_.end()) {
        ++outlineLookups_;
        std::unique_ptr<platform::fonts::GlyphOutline> shape;
        if (face_) {
            if (auto found = face_->outline(ch))
                shape = std::make_unique<platform::fonts::GlyphOutline>(std::move(*found));
        }
        it = outlines_.emplace(ch, std::move(shape)).first;
    }
    return it->second.get();
}

FontRecord& FontCache::font(const FontKey& key) {
    for (auto& record : fonts_)
        if (record->key() == key) return *record;
    fonts_.push_back(std::make_unique<FontRecord>(key));
    return *fonts_.back();
}

FontCache& fontCache() {
    static FontCache cache;
    return cache;
}
