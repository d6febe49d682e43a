#include "platform/fonts/FontFace.h"

#include "platform/Platform.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <future>
#include <strings.h>

namespace platform::fonts {
namespace {

// Characters a face must have to show Russian text.
constexpr FcChar32 kCyrillicProbe[] = {0x0410, 0x0416, 0x044F, 0x0451};
// Heights beyond this make textures no device can hold; callers get this height instead.
constexpr int kLargestHeight = 1024;

class FreeTypeLibrary {
public:
    FreeTypeLibrary() {
        if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    }
    ~FreeTypeLibrary() {
        if (library_) FT_Done_FreeType(library_);
    }
    FreeTypeLibrary(const FreeTypeLibrary&) = delete;
    FreeTypeLibrary& operator=(const FreeTypeLibrary&) = delete;
    FT_Library get() const { return library_; }

private:
    FT_Library library_ = nullptr;
};

// Reading fontconfig's configuration and caches takes tens of milliseconds; started early on a
// thread of its own, it overlaps with making the window.
const std::shared_future<bool>& fontconfigReady() {
    static const std::shared_future<bool> ready =
        std::async(std::launch::async, [] { return FcInit() == FcTrue; }).share();
    return ready;
}

std::shared_ptr<FreeTypeLibrary> sharedLibrary() {
    static std::weak_ptr<FreeTypeLibrary> current;
    auto library = current.lock();
    if (!library) {
        library = std::make_shared<FreeTypeLibrary>();
        current = library;
    }
    return library;
}

struct FaceMatch {
    std::string file;
    int index = 0;
    std::string family;
};

bool isGenericFamily(const char* name) {
    for (const char* generic : {"sans-serif", "serif", "monospace", "sans", "mono", "system-ui",
                                "cursive", "fantasy", "emoji", "math"})
        if (strcasecmp(name, generic) == 0) return true;
    return false;
}

bool coversCyrillic(FcPattern* font) {
    FcCharSet* charset = nullptr;
    if (FcPatternGetCharSet(font, FC_CHARSET, 0, &charset) != FcResultMatch || !charset)
        return false;
    return std::all_of(std::begin(kCyrillicProbe), std::end(kCyrillicProbe),
                       [&](FcChar32 c) { return FcCharSetHasChar(charset, c) == FcTrue; });
}

// The best installed face for family (empty: any sans face with Cyrillic). With `strict`, only a
// face whose family the name stands for (itself or a metric-compatible alias) is accepted.
std::optional<FaceMatch> matchFace(const std::string& family, bool bold, bool italic,
                                   bool strict) {
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return std::nullopt;
    FcPatternAddString(pattern, FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(family.empty() ? "sans-serif"
                                                                       : family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    if (family.empty()) FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ru"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);

    // The names the request stands for: the family and the aliases listed before the generic
    // fallbacks fontconfig appends.
    std::vector<std::string> acceptable;
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        const char* text = reinterpret_cast<const char*>(name);
        if (isGenericFamily(text)) break;
        acceptable.emplace_back(text);
    }

    FcResult result = FcResultNoMatch;
    FcPattern* font = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!font) return std::nullopt;

    std::optional<FaceMatch> match;
    FcChar8* file = nullptr;
    FcChar8* matchedFamily = nullptr;
    FcBool scalable = FcFalse;
    int index = 0;
    if (FcPatternGetString(font, FC_FILE, 0, &file) == FcResultMatch &&
        FcPatternGetString(font, FC_FAMILY, 0, &matchedFamily) == FcResultMatch &&
        (FcPatternGetBool(font, FC_SCALABLE, 0, &scalable) != FcResultMatch || scalable) &&
        coversCyrillic(font)) {
        FcPatternGetInteger(font, FC_INDEX, 0, &index);
        const std::string found = reinterpret_cast<const char*>(matchedFamily);
        const bool named = std::any_of(acceptable.begin(), acceptable.end(), [&](const auto& a) {
            return strcasecmp(a.c_str(), found.c_str()) == 0;
        });
        if (!strict || named)
            match = FaceMatch{reinterpret_cast<const char*>(file), index, found};
    }
    FcPatternDestroy(font);
    return match;
}

} // namespace

struct FontFace::Impl {
    std::shared_ptr<FreeTypeLibrary> library;
    FT_Face face = nullptr;
    TextMetrics metrics;
    double scale = 1.0; // pixels per font unit
    bool syntheticBold = false;
    bool syntheticItalic = false;
    FT_Pos emboldenUnits = 0;
    std::string path;
    std::string family;

    ~Impl() {
        if (face) FT_Done_Face(face);
    }

    std::int32_t toFixed(FT_Pos units) const {
        return static_cast<std::int32_t>(std::lround(static_cast<double>(units) * scale * 65536.0));
    }
    FixedPoint toFixed(const FT_Vector& v) const { return FixedPoint{toFixed(v.x), toFixed(v.y)}; }

    // Loads the glyph in font units with the synthetic styles applied; false when it cannot.
    bool load(char32_t ch) {
        const FT_UInt index = FT_Get_Char_Index(face, ch);
        if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) !=
            0)
            return false;
        FT_GlyphSlot slot = face->glyph;
        if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return false;
        if (syntheticItalic) {
            FT_Matrix shear{0x10000, 0x3333, 0, 0x10000}; // x += 0.2 y
            FT_Outline_Transform(&slot->outline, &shear);
        }
        if (syntheticBold) FT_Outline_EmboldenXY(&slot->outline, emboldenUnits, 0);
        return true;
    }
};

namespace {

// Turns a FreeType contour (on-curve points, conic and cubic control points) into line and
// quadratic-spline records.
class ContourBuilder {
public:
    explicit ContourBuilder(OutlineContour& contour) : contour_(contour) {}

    void lineTo(FixedPoint p) {
        flushPending();
        if (contour_.curves.empty() || contour_.curves.back().kind != CurveKind::Line)
            contour_.curves.push_back(OutlineCurve{CurveKind::Line, {}});
        contour_.curves.back().points.push_back(p);
        current_ = p;
    }
    void conicControl(FixedPoint p) { pending_.push_back(p); }
    void conicEnd(FixedPoint p) {
        pending_.push_back(p);
        contour_.curves.push_back(OutlineCurve{CurveKind::QSpline, std::move(pending_)});
        pending_.clear();
        current_ = p;
    }
    void cubicTo(FixedPoint c1, FixedPoint c2, FixedPoint end) {
        // Four quadratic pieces follow a glyph's cubic closely enough at text sizes.
        constexpr int kPieces = 4;
        const double x0 = current_.x, y0 = current_.y;
        auto at = [&](double t, double a, double b, double c, double d) {
            const double u = 1 - t;
            return u * u * u * a + 3 * u * u * t * b + 3 * u * t * t * c + t * t * t * d;
        };
        auto slope = [&](double t, double a, double b, double c, double d) {
            const double u = 1 - t;
            return 3 * u * u * (b - a) + 6 * u * t * (c - b) + 3 * t * t * (d - c);
        };
        for (int k = 0; k < kPieces; ++k) {
            const double t0 = static_cast<double>(k) / kPieces;
            const double t1 = static_cast<double>(k + 1) / kPieces;
            const double h = (t1 - t0) / 2;
            const double px = at(t0, x0, c1.x, c2.x, end.x) + h * slope(t0, x0, c1.x, c2.x, end.x);
            const double py = at(t0, y0, c1.y, c2.y, end.y) + h * slope(t0, y0, c1.y, c2.y, end.y);
            const FixedPoint control{static_cast<std::int32_t>(std::lround(px)),
                                     static_cast<std::int32_t>(std::lround(py))};
            const FixedPoint to =
                k + 1 == kPieces
                    ? end
                    : FixedPoint{static_cast<std::int32_t>(
                                     std::lround(at(t1, x0, c1.x, c2.x, end.x))),
                                 static_cast<std::int32_t>(
                                     std::lround(at(t1, y0, c1.y, c2.y, end.y)))};
            flushPending();
            contour_.curves.push_back(OutlineCurve{CurveKind::QSpline, {control, to}});
        }
        current_ = end;
    }
    void setCurrent(FixedPoint p) { current_ = p; }

private:
    void flushPending() {
        // Control points never end a record; a stray run (malformed outline) is dropped.
        pending_.clear();
    }

    OutlineContour& contour_;
    std::vector<FixedPoint> pending_;
    FixedPoint current_;
};

FixedPoint midpoint(FixedPoint a, FixedPoint b) {
    return FixedPoint{static_cast<std::int32_t>((static_cast<std::int64_t>(a.x) + b.x) / 2),
                      static_cast<std::int32_t>((static_cast<std::int64_t>(a.y) + b.y) / 2)};
}

} // namespace

void FontFace::prepare() { fontconfigReady(); }

std::unique_ptr<FontFace> FontFace::open(const FontRequest& request) {
    if (!fontconfigReady().get()) return nullptr;
    auto library = sharedLibrary();
    if (!library->get()) return nullptr;

    const std::string family = platform::toUtf8(request.face);
    std::optional<FaceMatch> match;
    if (!family.empty()) match = matchFace(family, request.bold, request.italic, true);
    if (!match) match = matchFace("", request.bold, request.italic, false);
    if (!match) return nullptr;

    auto impl = std::make_unique<Impl>();
    impl->library = library;
    if (FT_New_Face(library->get(), match->file.c_str(), match->index, &impl->face) != 0) {
        impl->face = nullptr;
        return nullptr;
    }
    if (!FT_IS_SCALABLE(impl->face) || impl->face->units_per_EM == 0) return nullptr;
    impl->path = match->file;
    impl->family = match->family;

    int height = std::abs(request.height);
    if (height == 0) height = 16;
    height = std::min(height, kLargestHeight);

    FT_Face face = impl->face;
    long ascent = 0;
    long descent = 0;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        ascent = os2->usWinAscent;
        descent = os2->usWinDescent;
    } else {
        ascent = face->ascender;
        descent = -face->descender;
    }
    if (ascent + descent <= 0) {
        ascent = face->units_per_EM;
        descent = 0;
    }
    impl->scale = static_cast<double>(height) / static_cast<double>(ascent + descent);
    impl->metrics.height = height;
    impl->metrics.descent =
        std::clamp(static_cast<int>(std::lround(descent * impl->scale)), 0, height);
    impl->metrics.ascent = height - impl->metrics.descent;

    impl->syntheticBold = request.bold && !(face->style_flags & FT_STYLE_FLAG_BOLD);
    impl->syntheticItalic = request.italic && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
    impl->emboldenUnits = face->units_per_EM / 24;
    return std::unique_ptr<FontFace>(new FontFace(std::move(impl)));
}

FontFace::FontFace(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
FontFace::~FontFace() = default;

const TextMetrics& FontFace::metrics() const { return impl_->metrics; }
const std::string& FontFace::filePath() const { return impl_->path; }
const std::string& FontFace::familyName() const { return impl_->family; }
bool FontFace::isBoldFace() const {
    return (impl_->face->style_flags & FT_STYLE_FLAG_BOLD) != 0 || impl_->syntheticBold;
}
bool FontFace::isItalicFace() const {
    return (impl_->face->style_flags & FT_STYLE_FLAG_ITALIC) != 0 || impl_->syntheticItalic;
}

int FontFace::advance(char32_t ch) {
    if (!impl_->load(ch)) return 0;
    FT_Pos units = impl_->face->glyph->metrics.horiAdvance;
    if (impl_->syntheticBold) units += impl_->emboldenUnits;
    return std::max(0, static_cast<int>(std::lround(static_cast<double>(units) * impl_->scale)));
}

std::optional<GlyphOutline> FontFace::outline(char32_t ch) {
    if (!impl_->load(ch)) return std::nullopt;
    const FT_Outline& source = impl_->face->glyph->outline;
    GlyphOutline result;
    int first = 0;
    for (int c = 0; c < source.n_contours; ++c) {
        const int last = source.contours[c];
        if (last < first || last >= source.n_points) break; // malformed outline: stop here
        const int count = last - first + 1;
        auto point = [&](int k) { return impl_->toFixed(source.points[first + (k % count)]); };
        auto tag = [&](int k) { return FT_CURVE_TAG(source.tags[first + (k % count)]); };

        // Start on an on-curve point; a contour of control points only starts between two.
        int startIndex = -1;
        for (int k = 0; k < count; ++k)
            if (tag(k) == FT_CURVE_TAG_ON) {
                startIndex = k;
                break;
            }
        OutlineContour contour;
        int walkFrom = 0;
        if (startIndex >= 0) {
            contour.start = point(startIndex);
            walkFrom = startIndex + 1;
        } else {
            contour.start = midpoint(point(count - 1), point(0));
            walkFrom = 0;
        }
        ContourBuilder builder(contour);
        builder.setCurrent(contour.start);
        bool haveConic = false;
        std::vector<FixedPoint> cubic;
        const int steps = count;
        for (int s = 0; s < steps; ++s) {
            const int k = walkFrom + s;
            const bool closing = s == steps - 1 && startIndex >= 0;
            const FixedPoint p = closing ? contour.start : point(k);
            const char t = closing ? FT_CURVE_TAG_ON : tag(k);
            if (t == FT_CURVE_TAG_ON) {
                if (cubic.size() == 2) {
                    builder.cubicTo(cubic[0], cubic[1], p);
                } else if (haveConic) {
                    builder.conicEnd(p);
                } else {
                    builder.lineTo(p);
                }
                cubic.clear();
                haveConic = false;
            } else if (t == FT_CURVE_TAG_CONIC) {
                builder.conicControl(p);
                haveConic = true;
            } else {
                cubic.push_back(p);
                if (cubic.size() > 2) cubic.erase(cubic.begin());
            }
        }
        // Back to the implied start point between the last and first control points.
        if (startIndex < 0 && haveConic) builder.conicEnd(contour.start);
        result.contours.push_back(std::move(contour));
        first = last + 1;
    }
    return result;
}

} // namespace platform::fonts
