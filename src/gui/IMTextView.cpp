#include "gui/IMTextView.h"

#include <algorithm>
#include <climits>

#include "render/ClipScope.h"
#include "resources/TextureRegistry.h"

namespace {

bool isWhitespace(wchar_t ch) { return ch == L'\t' || ch == L'\n' || ch == L'\r' || ch == L' '; }

} // namespace

IMTextView::~IMTextView() { releaseAll(); }

RECT IMTextView::imageRect(const Glyph& glyph) {
    TextureRegistry* rm = textureRegistry();
    if (!rm || !rm->isLive(glyph.texture)) return RECT{};
    return rm->entry(glyph.texture).imageRect;
}

void IMTextView::acquireTexture(Glyph& glyph) {
    TextureRegistry* rm = textureRegistry();
    if (!rm) return;
    if (glyph.whitespaceMark)
        glyph.texture = whitespaceMarkTexture(*rm, glyph.key, glyph.ch);
    else if (glyph.ch == L'\n')
        glyph.texture = transparentPixelTexture(*rm, glyph.key);
    else if (isWhitespace(glyph.ch))
        // Tab and carriage return look like a space.
        glyph.texture = createTextTexture(*rm, glyph.key, L' ', std::nullopt, glyph.style);
    else
        glyph.texture = createTextTexture(*rm, glyph.key, glyph.ch, std::nullopt, glyph.style);
    // A glyph that could not be made holds nothing and draws nothing.
    if (!rm->isLive(glyph.texture)) glyph.texture = kNoTexture;
}

void IMTextView::releaseTexture(const Glyph& glyph) {
    if (glyph.texture == kNoTexture) return;
    if (TextureRegistry* rm = textureRegistry()) rm->release(glyph.texture);
}

void IMTextView::releaseAll() {
    for (const Glyph& glyph : glyphs_) releaseTexture(glyph);
    glyphs_.clear();
}

Glyph IMTextView::makeGlyph(wchar_t ch) const {
    Glyph glyph;
    glyph.ch = ch;
    glyph.style = style_;
    glyph.whitespaceMark = showWhitespace && isWhitespace(ch);
    glyph.key = glyphKey(ch, glyph.style, glyph.whitespaceMark);
    acquireTexture(glyph);
    return glyph;
}

void IMTextView::insertText(int pos, const std::wstring& text) {
    if (pos < 0 || pos > glyphCount()) return;
    std::vector<Glyph> made;
    made.reserve(text.size());
    for (wchar_t ch : text) made.push_back(makeGlyph(ch));
    glyphs_.insert(glyphs_.begin() + pos, std::make_move_iterator(made.begin()),
                   std::make_move_iterator(made.end()));
    relayout(pos);
    setChanged(true);
}

void IMTextView::eraseText(int pos, int count) {
    if (pos < 0 || pos > glyphCount()) return;
    const int end = pos + std::clamp(count, 0, glyphCount() - pos);
    for (int i = pos; i < end; ++i) releaseTexture(glyphs_[static_cast<std::size_t>(i)]);
    glyphs_.erase(glyphs_.begin() + pos, glyphs_.begin() + end);
    relayout(pos);
    setChanged(true);
}

void IMTextView::setText(const std::wstring& text) {
    releaseAll();
    setContentRect(RECT{});
    insertText(0, text);
}

std::wstring IMTextView::getText() const {
    std::wstring text;
    text.reserve(glyphs_.size());
    for (const Glyph& glyph : glyphs_) text += glyph.ch;
    return text;
}

void IMTextView::setStyle(const std::uint32_t* textColor, const bool* underline, const bool* bold,
                          const bool* italic, const int* fontSize, const std::wstring* fontFace,
                          const std::uint32_t* background) {
    auto apply = [&](TextStyle& s) {
        if (textColor) s.textColor = *textColor;
        if (underline) s.underline = *underline;
        if (bold) s.bold = *bold;
        if (italic) s.italic = *italic;
        if (fontSize) s.fontSize = *fontSize;
        if (fontFace) s.fontFace = *fontFace;
        if (background) s.background = *background;
    };
    apply(style_);
    bool resized = false;
    for (Glyph& glyph : glyphs_) {
        const RECT before = imageRect(glyph);
        const TextureHandle old = glyph.texture;
        apply(glyph.style);
        glyph.key = glyphKey(glyph.ch, glyph.style, glyph.whitespaceMark);
        // The new reference is taken before the old one goes, so an unchanged texture survives.
        acquireTexture(glyph);
        releaseTexture(Glyph{old, glyph.ch, {}, {}, {}, false});
        const RECT after = imageRect(glyph);
        if (after.right != before.right || after.bottom != before.bottom) resized = true;
    }
    if (resized) relayout(0);
    setChanged(true);
}

void IMTextView::setCharAt(int index, wchar_t ch) {
    if (index >= 0 && index < glyphCount()) {
        Glyph& glyph = glyphs_[static_cast<std::size_t>(index)];
        if (glyph.ch != ch) {
            glyph.ch = ch;
            glyph.key = glyphKey(ch, glyph.style, glyph.whitespaceMark);
        }
    }
    setStyle(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

const Glyph* IMTextView::glyphAt(int index) const {
    if (index < 0 || index >= glyphCount()) return nullptr;
    return &glyphs_[static_cast<std::size_t>(index)];
}

int IMTextView::charAt(int index) const {
    const Glyph* g = glyphAt(index);
    return g ? static_cast<int>(g->ch) : glyphCount();
}

std::uint32_t IMTextView::textColorAt(int index) const {
    const Glyph* g = glyphAt(index);
    return g ? g->style.textColor : static_cast<std::uint32_t>(glyphCount());
}

std::wstring IMTextView::fontFaceAt(int index) const {
    const Glyph* g = glyphAt(index);
    return g ? g->style.fontFace : std::wstring();
}

RECT IMTextView::glyphRectAt(int index) const {
    const Glyph* g = glyphAt(index);
    return g ? g->glyphRect : RECT{};
}

int IMTextView::lineOf(int pos) const {
    auto it = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), pos);
    if (it == lineStarts_.begin()) return 0;
    return static_cast<int>(it - lineStarts_.begin()) - 1;
}

void IMTextView::relayout(int from) {
    const int count = glyphCount();
    // Wrapped text is laid out whole: a change can pull words back onto earlier lines, and line
    // heights and the extent depend on every line.
    if (wrap) from = 0;
    from = std::clamp(from, 0, count);
    if (from == 0)
        lineStarts_.assign(1, 0);
    else
        lineStarts_.erase(std::lower_bound(lineStarts_.begin() + 1, lineStarts_.end(), from),
                          lineStarts_.end());

    const int viewWidth = getWidth();
    int x = 0;
    int y = 0;
    int lineHeight = minLineHeight;
    int lastSpace = count;
    int widest = 0;
    int bottom = 0;
    int right = 0;

    for (int i = 0; i < count; ++i) {
        Glyph& glyph = glyphs_[static_cast<std::size_t>(i)];
        if (glyph.ch == L' ') lastSpace = i;
        if (i < from) {
            // Only reached without wrapping: the single line continues after the glyph.
            x = glyph.glyphRect.right;
            right = std::max(right, glyph.glyphRect.right);
            bottom = std::max(bottom, glyph.glyphRect.bottom);
            continue;
        }
        const RECT image = imageRect(glyph);
        const int w = image.right;
        const int h = image.bottom;
        lineHeight = std::max(lineHeight, h);

        if (!wrap) {
            glyph.glyphRect = RECT{x, 0, x + w, h};
            bottom = std::max(bottom, h);
            right += w;
            x += w;
            continue;
        }

        bool newLine = false;
        if (viewWidth < x + w && x > 0) {
            y += lineHeight;
            x = 0;
            lineHeight = minLineHeight;
            if (lastSpace < i && lastSpace >= lineStarts_.back()) {
                // The word moves whole to the new line; its space stays behind.
                lineStarts_.push_back(lastSpace + 1);
                for (int j = lastSpace + 1; j <= i; ++j) {
                    Glyph& moved = glyphs_[static_cast<std::size_t>(j)];
                    const RECT r = imageRect(moved);
                    moved.glyphRect = RECT{x, y, x + r.right, y + r.bottom};
                    x += r.right;
                }
            } else {
                // No space on this line to break at: the line breaks before this glyph.
                lineStarts_.push_back(i);
                glyph.glyphRect = RECT{0, y, w, y + h};
                lineHeight = std::max(minLineHeight, h);
                x = w;
            }
            lastSpace = count;
        } else {
            glyph.glyphRect = RECT{x, y, x + w, y + h};
            if (glyph.ch == L'\n' || glyph.ch == L'\r') {
                y += lineHeight;
                lineHeight = minLineHeight;
                x = glyph.ch == L'\r' ? w : 0;
                lastSpace = count;
                newLine = true;
            } else {
                x += w;
            }
        }
        widest = std::max(widest, x + w);
        bottom = y + lineHeight;
        if (newLine) lineStarts_.push_back(i + 1);
    }
    setContentRect(wrap ? RECT{0, 0, widest, bottom} : RECT{0, 0, right, bottom});
}

int IMTextView::lineTop(std::size_t line) const {
    const int start = lineStarts_[line];
    if (start >= glyphCount()) return INT_MAX;
    return glyphs_[static_cast<std::size_t>(start)].glyphRect.top;
}

void IMTextView::draw() {
    TextureRegistry* rm = textureRegistry();
    if (!rm) {
        changed_ = false;
        return;
    }
    ClipScope scope(*rm, getRect());
    if (!scope.visible()) {
        changed_ = false;
        return;
    }
    const RECT clip = scope.clip();
    const int originY = rm->originY;

    // Lines wholly above or below the clip are skipped by binary search over the line starts.
    const std::size_t lines = lineStarts_.size();
    auto screenTop = [&](std::size_t line) {
        return static_cast<long long>(originY) + lineTop(line);
    };
    std::size_t lo = 0;
    std::size_t hi = lines - 1;
    while (hi >= lo + 2) {
        const std::size_t mid = (lo + hi) / 2;
        if (clip.top < screenTop(mid))
            hi = mid;
        else
            lo = mid;
    }
    const std::size_t firstLine = lo;
    lo = 0;
    hi = lines - 1;
    while (hi >= lo + 2) {
        const std::size_t mid = (lo + hi) / 2;
        if (screenTop(mid) < clip.bottom)
            lo = mid;
        else
            hi = mid;
    }
    const int begin = std::min(lineStarts_[firstLine], glyphCount());
    const int end = hi == lines - 1 ? glyphCount() : std::min(lineStarts_[hi], glyphCount());
    for (int i = begin; i < end; ++i) {
        const Glyph& glyph = glyphs_[static_cast<std::size_t>(i)];
        rm->drawTexture(glyph.texture, glyph.glyphRect, nullptr, 0xFFFFFFFF, 0.0f);
    }
    changed_ = false;
}
