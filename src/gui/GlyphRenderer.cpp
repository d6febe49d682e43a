#include "gui/GlyphRenderer.h"

#include <array>
#include <string_view>

#include "gui/FontCache.h"
#include "platform/fonts/GlyphRasterizer.h"
#include "resources/TextureRegistry.h"

namespace {

constexpr std::size_t kLongestKey = 255;
constexpr std::uint32_t kMarkColor = 0xFF8C8C8C;

std::wstring signedDecimal(std::uint32_t value) {
    return std::to_wstring(static_cast<std::int32_t>(value));
}

// Marks drawn as text pictures: '#' is an opaque texel of the mark colour, anything else clear.
constexpr std::array<std::string_view, 5> kTabMark = {
    ".......#..",
    "........#.",
    "##########",
    "........#.",
    ".......#..",
};
constexpr std::array<std::string_view, 21> kLineEndMark = {
    "...........", "...........", "...........", "...######..", ".#####.#...",
    ".#####.#...", ".#####.#...", "..####.#...", "....##.#...", "....##.#...",
    "....##.#...", "....##.#...", "....##.#...", "....##.#...", "....##.#...",
    "....##.#...", "....##.#...", "....##.#...", "...........", "...........",
    "...........",
};
constexpr std::array<std::string_view, 3> kSpaceMark = {"...", ".#.", "..."};

template <std::size_t Rows>
TextureHandle markTexture(TextureRegistry& registry, const std::wstring& key,
                          const std::array<std::string_view, Rows>& picture) {
    const bool known = registry.findTexture(key) != registry.invalidHandle();
    const int width = static_cast<int>(picture[0].size());
    const TextureHandle handle =
        registry.createTexture(key, width, static_cast<int>(Rows), PixelFormat::ARGB);
    if (known || handle == registry.invalidHandle()) return handle;
    registry.fillTexture(handle, [&](std::uint8_t* texels, int pitch, int, int) {
        for (std::size_t row = 0; row < Rows; ++row) {
            std::uint8_t* p = texels + static_cast<std::ptrdiff_t>(row) * pitch;
            for (char cell : picture[row]) {
                const std::uint32_t argb = cell == '#' ? kMarkColor : 0;
                p[0] = static_cast<std::uint8_t>(argb);
                p[1] = static_cast<std::uint8_t>(argb >> 8);
                p[2] = static_cast<std::uint8_t>(argb >> 16);
                p[3] = static_cast<std::uint8_t>(argb >> 24);
                p += 4;
            }
        }
    });
    registry.takeTexelCopy(handle);
    return handle;
}

} // namespace

std::wstring glyphKey(wchar_t ch, const TextStyle& style, bool whitespaceMark) {
    std::wstring key = style.fontFace;
    key += ch;
    key += std::to_wstring(style.fontSize);
    key += signedDecimal(style.textColor);
    key += style.bold ? L'1' : L'0';
    key += style.underline ? L'1' : L'0';
    key += style.italic ? L'1' : L'0';
    key += signedDecimal(style.background);
    key += whitespaceMark ? L'1' : L'0';
    if (key.size() > kLongestKey) key.resize(kLongestKey);
    return key;
}

TextureHandle createTextTexture(TextureRegistry& registry, const std::wstring& key, wchar_t ch,
                                std::optional<CellSize> cell, const TextStyle& style) {
    const TextureHandle existing = registry.findTexture(key);
    if (existing != registry.invalidHandle()) return registry.addRef(existing);

    FontRecord& font = fontCache().font(
        FontKey{style.fontFace, style.fontSize, style.bold, style.italic, style.underline});
    const auto code = static_cast<char32_t>(ch);
    int width = cell ? cell->width : font.advance(code);
    int height = cell ? cell->height : font.metrics().height;
    if (width <= 0) width = 1;
    if (height <= 0) height = 1;

    platform::fonts::GlyphCell glyph;
    glyph.outline = font.outline(code);
    glyph.width = width;
    glyph.height = height;
    glyph.descent = font.metrics().descent;
    glyph.textColor = style.textColor;
    glyph.background = style.background;
    glyph.underline = style.underline;

    const TextureHandle handle = registry.createTexture(key, width, height, PixelFormat::ARGB);
    if (handle == registry.invalidHandle()) return handle;
    registry.fillTexture(handle, [&](std::uint8_t* texels, int pitch, int, int) {
        platform::fonts::rasterizeGlyph(glyph, texels, pitch);
    });
    registry.takeTexelCopy(handle);
    return handle;
}

TextureHandle whitespaceMarkTexture(TextureRegistry& registry, const std::wstring& key,
                                    wchar_t ch) {
    if (ch == L'\t') return markTexture(registry, key, kTabMark);
    if (ch == L'\n' || ch == L'\r') return markTexture(registry, key, kLineEndMark);
    return markTexture(registry, key, kSpaceMark);
}

TextureHandle transparentPixelTexture(TextureRegistry& registry, const std::wstring& key) {
    // A new texture starts zeroed: fully transparent.
    return registry.createTexture(key, 1, 1, PixelFormat::ARGB);
}
