#pragma once
// A scalable font face found by name, with metrics and outlines in the sense the text views
// expect: the cell height is the requested height, the descent is the part of the cell below the
// baseline, the advance covers the whole character cell, and outlines come as contours of line
// and quadratic-spline records with points in 16.16 fixed point, y up from the baseline.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::fonts {

struct FixedPoint {
    std::int32_t x = 0; // 16.16
    std::int32_t y = 0; // 16.16
};

enum class CurveKind { Line, QSpline };

// A line record: a segment to each point in turn. A spline record: every point but the last is
// an off-curve control point, the last lies on the curve; between two consecutive control points
// the curve passes through their midpoint.
struct OutlineCurve {
    CurveKind kind = CurveKind::Line;
    std::vector<FixedPoint> points;
};

struct OutlineContour {
    FixedPoint start;
    std::vector<OutlineCurve> curves;
};

struct GlyphOutline {
    std::vector<OutlineContour> contours;
};

struct TextMetrics {
    int height = 0;  // cell height, equal to the requested height
    int ascent = 0;  // height - descent
    int descent = 0; // below the baseline
};

struct FontRequest {
    std::wstring face;
    int height = 16;
    bool bold = false;
    bool italic = false;
};

class FontFace {
public:
    // The face fontconfig resolves the name to (with the weight and slant asked for); a name that
    // resolves to nothing usable falls back to a sans face covering Cyrillic. Null only when the
    // system has no usable scalable font at all.
    static std::unique_ptr<FontFace> open(const FontRequest& request);
    // Starts loading the font configuration in the background, so that the first open() finds
    // it ready or nearly so. Optional: open() loads it itself when nobody did.
    static void prepare();
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    const TextMetrics& metrics() const;
    // Advance width of the character in whole pixels.
    int advance(char32_t ch);
    // The character's outline (the face's missing-glyph shape for characters it lacks); an empty
    // outline for blank characters; nothing when the glyph cannot be loaded.
    std::optional<GlyphOutline> outline(char32_t ch);

    // Which file and family were chosen (diagnostics and tests).
    const std::string& filePath() const;
    const std::string& familyName() const;
    bool isBoldFace() const;
    bool isItalicFace() const;

private:
    struct Impl;
    explicit FontFace(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace platform::fonts
