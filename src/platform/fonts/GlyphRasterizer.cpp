#include "platform/fonts/GlyphRasterizer.h"

#include <agg_conv_curve.h>
#include <agg_path_storage.h>
#include <agg_pixfmt_rgba.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_base.h>
#include <agg_renderer_scanline.h>
#include <agg_rendering_buffer.h>
#include <agg_scanline_u.h>

namespace platform::fonts {
namespace {

// Integer part plus fraction / 65536, the reading of a 16.16 value.
double fixedToDouble(std::int32_t v) {
    return static_cast<double>(v >> 16) + static_cast<double>(v & 0xFFFF) / 65536.0;
}

// The point halfway between two control points, halved on the fixed values themselves.
FixedPoint impliedOnCurve(FixedPoint a, FixedPoint b) {
    return FixedPoint{static_cast<std::int32_t>((static_cast<std::int64_t>(a.x) + b.x) / 2),
                      static_cast<std::int32_t>((static_cast<std::int64_t>(a.y) + b.y) / 2)};
}

void buildPath(const GlyphOutline& outline, double baseline, agg::path_storage& path) {
    auto x = [](FixedPoint p) { return fixedToDouble(p.x); };
    auto y = [&](FixedPoint p) { return fixedToDouble(p.y) + baseline; };
    for (const OutlineContour& contour : outline.contours) {
        path.move_to(x(contour.start), y(contour.start));
        for (const OutlineCurve& curve : contour.curves) {
            const auto& pts = curve.points;
            if (curve.kind == CurveKind::Line) {
                for (const FixedPoint& p : pts) path.line_to(x(p), y(p));
                continue;
            }
            if (pts.empty()) continue;
            if (pts.size() == 1) {
                path.line_to(x(pts[0]), y(pts[0]));
                continue;
            }
            for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
                const FixedPoint control = pts[i];
                const FixedPoint end =
                    i + 2 == pts.size() ? pts[i + 1] : impliedOnCurve(pts[i], pts[i + 1]);
                path.curve3(x(control), y(control), x(end), y(end));
            }
        }
        path.close_polygon();
    }
}

} // namespace

void rasterizeGlyph(const GlyphCell& cell, std::uint8_t* texels, int pitch) {
    if (!texels || cell.width <= 0 || cell.height <= 0) return;
    const auto bgB = static_cast<std::uint8_t>(cell.background);
    const auto bgG = static_cast<std::uint8_t>(cell.background >> 8);
    const auto bgR = static_cast<std::uint8_t>(cell.background >> 16);
    const auto bgA = static_cast<std::uint8_t>(cell.background >> 24);
    for (int row = 0; row < cell.height; ++row) {
        std::uint8_t* p = texels + static_cast<std::ptrdiff_t>(row) * pitch;
        for (int col = 0; col < cell.width; ++col, p += 4) {
            p[0] = bgB;
            p[1] = bgG;
            p[2] = bgR;
            p[3] = bgA;
        }
    }

    agg::path_storage path;
    if (cell.outline) buildPath(*cell.outline, cell.descent, path);
    if (cell.underline) {
        const int d = cell.descent;
        path.move_to(0, d / 2);
        path.line_to(cell.width, d / 2);
        path.line_to(cell.width, d / 15);
        path.line_to(0, d / 15);
        path.close_polygon();
    }
    if (path.total_vertices() == 0) return;

    // y grows upward in the outline: with a negative stride AGG starts at the last row of the
    // memory it is given, so its row 0 is the cell's bottom row.
    agg::rendering_buffer buffer(texels, static_cast<unsigned>(cell.width),
                                 static_cast<unsigned>(cell.height), -pitch);
    agg::pixfmt_bgra32 pixels(buffer);
    agg::renderer_base<agg::pixfmt_bgra32> base(pixels);
    agg::rasterizer_scanline_aa<> rasterizer;
    agg::scanline_u8 scanline;
    agg::conv_curve<agg::path_storage> curves(path);
    rasterizer.add_path(curves);
    const agg::rgba8 color(static_cast<agg::int8u>(cell.textColor >> 16),
                           static_cast<agg::int8u>(cell.textColor >> 8),
                           static_cast<agg::int8u>(cell.textColor),
                           static_cast<agg::int8u>(cell.textColor >> 24));
    agg::render_scanlines_aa_solid(rasterizer, scanline, base, color);
}

} // namespace platform::fonts
