#pragma once
// Draws one character cell: the background colour everywhere, then the glyph outline filled with
// anti-aliased coverage in the text colour, and the underline bar when asked for.

#include <cstdint>

#include "platform/fonts/FontFace.h"

namespace platform::fonts {

struct GlyphCell {
    const GlyphOutline* outline = nullptr; // null: background only
    int width = 1;
    int height = 1;
    int descent = 0; // the baseline lies this many pixels above the bottom edge
    std::uint32_t textColor = 0xFFFFFFFF;  // ARGB
    std::uint32_t background = 0;          // ARGB
    bool underline = false;
};

// Writes the cell into the top-left width x height texels of a B, G, R, A buffer whose rows are
// `pitch` bytes apart, top row first.
void rasterizeGlyph(const GlyphCell& cell, std::uint8_t* texels, int pitch);

} // namespace platform::fonts
