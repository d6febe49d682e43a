#pragma once
// The text view: one glyph record per character, each holding a reference on a registry texture
// with that character rendered in its own style; the glyphs laid out on one line or wrapped at
// spaces; only the visible lines drawn.

#include <cstdint>
#include <string>
#include <vector>

#include "gui/GlyphRenderer.h"
#include "gui/IMView.h"

struct Glyph {
    TextureHandle texture = kNoTexture;
    wchar_t ch = 0;
    RECT glyphRect{};
    TextStyle style;
    std::wstring key;
    bool whitespaceMark = false;
};

class IMTextView : public IMView {
public:
    IMTextView() = default;
    ~IMTextView() override;

    void draw() override;
    // Ignored when pos lies outside 0 ... glyph count.
    virtual void insertText(int pos, const std::wstring& text);
    // Ignored when pos lies outside 0 ... glyph count; count is cut at the end of the text.
    virtual void eraseText(int pos, int count);

    void setText(const std::wstring& text);
    std::wstring getText() const;

    // Every non-null argument replaces the default style and the style of every glyph.
    void setStyle(const std::uint32_t* textColor, const bool* underline, const bool* bold,
                  const bool* italic, const int* fontSize, const std::wstring* fontFace,
                  const std::uint32_t* background);
    void setTextColor(std::uint32_t color) { setStyle(&color, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr); }
    void setBackground(std::uint32_t color) { setStyle(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &color); }
    void setFontSize(int size) { setStyle(nullptr, nullptr, nullptr, nullptr, &size, nullptr, nullptr); }
    void setBold(bool bold) { setStyle(nullptr, nullptr, &bold, nullptr, nullptr, nullptr, nullptr); }
    void setUnderline(bool on) { setStyle(nullptr, &on, nullptr, nullptr, nullptr, nullptr, nullptr); }
    void setItalic(bool on) { setStyle(nullptr, nullptr, nullptr, &on, nullptr, nullptr, nullptr); }
    void setFontFace(const std::wstring& face) { setStyle(nullptr, nullptr, nullptr, nullptr, nullptr, &face, nullptr); }

    void setCharAt(int index, wchar_t ch);
    // Past the end: the glyph count, the glyph count, an empty string, an empty rectangle.
    int charAt(int index) const;
    std::uint32_t textColorAt(int index) const;
    std::wstring fontFaceAt(int index) const;
    RECT glyphRectAt(int index) const;
    const Glyph* glyphAt(int index) const;

    void relayout(int from);
    int glyphCount() const { return static_cast<int>(glyphs_.size()); }
    const std::vector<int>& lineStarts() const { return lineStarts_; }
    // The line holding glyph position pos (positions at a line's start belong to that line).
    int lineOf(int pos) const;
    const TextStyle& style() const { return style_; }
    // Width and height of a glyph's image.
    static RECT imageRect(const Glyph& glyph);

    bool wrap = false;
    bool showWhitespace = false;
    int minLineHeight = 16;

protected:
    TextStyle style_;
    std::vector<Glyph> glyphs_;
    std::vector<int> lineStarts_{0};

private:
    Glyph makeGlyph(wchar_t ch) const;
    // Gives the glyph the texture its key and character call for (one new reference).
    static void acquireTexture(Glyph& glyph);
    static void releaseTexture(const Glyph& glyph);
    void releaseAll();
    int lineTop(std::size_t line) const;
};
