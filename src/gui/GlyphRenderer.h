#pragma once
// Glyph textures: the registry key of a styled character, the rendering of one character cell
// from its font outline, and the built-in images of the whitespace marks.

#include <cstdint>
#include <optional>
#include <string>

#include "render/TextureTypes.h"

class TextureRegistry;

struct TextStyle {
    std::uint32_t textColor = 0xFFFFFFFF;
    std::uint32_t background = 0x00AFAFAF;
    bool underline = false;
    bool bold = false;
    bool italic = false;
    int fontSize = 16;
    std::wstring fontFace = L"Arial";
};

struct CellSize {
    int width = 0;
    int height = 0;
};

// The registry name of a glyph texture: face, character, size, colour, bold, underline, italic,
// background and the whitespace-mark flag, numbers as signed decimals, at most 255 characters.
std::wstring glyphKey(wchar_t ch, const TextStyle& style, bool whitespaceMark);

// The texture registered under key with a reference added; otherwise the character rendered in
// the style into a new cell-sized texture (advance x cell height, or `cell` when given) that is
// registered under key with one reference.
TextureHandle createTextTexture(TextureRegistry& registry, const std::wstring& key, wchar_t ch,
                                std::optional<CellSize> cell, const TextStyle& style);

// Built-in mark images: 10 x 5 for tab, 11 x 21 for line feed and carriage return, 3 x 3 for
// space. Registered under key on first use; later uses add a reference.
TextureHandle whitespaceMarkTexture(TextureRegistry& registry, const std::wstring& key,
                                    wchar_t ch);
// A 1 x 1 fully transparent image under key (the glyph of an unmarked line feed).
TextureHandle transparentPixelTexture(TextureRegistry& registry, const std::wstring& key);
