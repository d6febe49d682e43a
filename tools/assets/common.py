"""Shared drawing helpers: palette, shapes, text and file output for the asset generator."""
import math
import os
import tempfile

import cairo

FONT = "Liberation Sans"
FONT_FALLBACK = "DejaVu Sans"

# Palette shared by every picture and clip so the program looks like one piece.
BLUE = (0.16, 0.45, 0.86)
BLUE_DARK = (0.08, 0.27, 0.60)
ORANGE = (1.0, 0.55, 0.10)
ORANGE_DARK = (0.80, 0.36, 0.02)
GREEN = (0.30, 0.69, 0.31)
GREEN_DARK = (0.15, 0.45, 0.17)
RED = (0.86, 0.24, 0.20)
RED_DARK = (0.58, 0.10, 0.08)
INK = (0.03, 0.13, 0.20)
SKY_TOP = (0.62, 0.80, 0.96)
SKY_BOTTOM = (0.88, 0.95, 1.0)
SKIN = (1.0, 0.83, 0.68)
SKIN_DARK = (0.82, 0.58, 0.42)


def rgb255(r, g, b):
    return (r / 255.0, g / 255.0, b / 255.0)


def lighter(color, amount):
    return tuple(c + (1.0 - c) * amount for c in color)


def darker(color, amount):
    return tuple(c * (1.0 - amount) for c in color)


def surface(width, height, alpha=True):
    fmt = cairo.FORMAT_ARGB32 if alpha else cairo.FORMAT_RGB24
    surf = cairo.ImageSurface(fmt, width, height)
    return surf, cairo.Context(surf)


def rounded_rect(ctx, x, y, w, h, r):
    r = min(r, w / 2.0, h / 2.0)
    ctx.new_sub_path()
    ctx.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    ctx.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    ctx.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    ctx.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    ctx.close_path()


def vgradient(y0, y1, top, bottom, alpha=1.0):
    grad = cairo.LinearGradient(0, y0, 0, y1)
    grad.add_color_stop_rgba(0, *top, alpha)
    grad.add_color_stop_rgba(1, *bottom, alpha)
    return grad


def set_font(ctx, size, bold=True, family=FONT):
    weight = cairo.FONT_WEIGHT_BOLD if bold else cairo.FONT_WEIGHT_NORMAL
    ctx.select_font_face(family, cairo.FONT_SLANT_NORMAL, weight)
    ctx.set_font_size(size)


def fit_font(ctx, text, max_width, size, bold=True, min_size=6):
    """Largest size not above `size` at which `text` fits into `max_width`."""
    while size > min_size:
        set_font(ctx, size, bold)
        if ctx.text_extents(text).x_advance <= max_width:
            break
        size -= 0.5
    return size


def centred_text(ctx, text, cx, cy, color, shadow=None, outline=None, outline_width=0.0):
    """Draws text with its ink box centred on (cx, cy)."""
    ext = ctx.text_extents(text)
    x = cx - ext.x_advance / 2.0
    ascent, descent = ctx.font_extents()[0], ctx.font_extents()[1]
    y = cy + (ascent - descent) / 2.0 - 0.5
    if shadow is not None:
        ctx.move_to(x + 1, y + 1)
        ctx.set_source_rgba(*shadow)
        ctx.show_text(text)
    if outline is not None:
        ctx.move_to(x, y)
        ctx.text_path(text)
        ctx.set_source_rgb(*outline)
        ctx.set_line_width(outline_width)
        ctx.set_line_join(cairo.LINE_JOIN_ROUND)
        ctx.stroke()
    ctx.move_to(x, y)
    ctx.set_source_rgb(*color)
    ctx.show_text(text)


def arrow_cursor_path(ctx, x=0.0, y=0.0, scale=1.0):
    """Classic arrow pointer, tip at (x, y); 12 x 21 at scale 1."""
    pts = [(0, 0), (11.3, 11.3), (7.6, 11.3), (9.8, 19.6), (8.2, 20.3), (5.2, 13.4), (0, 16.8)]
    ctx.new_path()
    for i, (px, py) in enumerate(pts):
        fx, fy = x + px * scale, y + py * scale
        if i == 0:
            ctx.move_to(fx, fy)
        else:
            ctx.line_to(fx, fy)
    ctx.close_path()


def draw_cursor(ctx, x, y, scale=1.0):
    """Black-edged white arrow; the outline is stroked inside the 12 x 21 box."""
    ctx.save()
    arrow_cursor_path(ctx, x + 0.5 * scale, y + 0.5 * scale, scale * 0.95)
    ctx.set_source_rgb(1, 1, 1)
    ctx.fill_preserve()
    ctx.set_source_rgb(0, 0, 0)
    ctx.set_line_width(1.0 * scale)
    ctx.set_line_join(cairo.LINE_JOIN_MITER)
    ctx.stroke()
    ctx.restore()


def shaded_disc(ctx, cx, cy, r, color, rim=None):
    """A glossy disc: the circles of the exercise as the pupil sees them."""
    ctx.new_path()
    grad = cairo.RadialGradient(cx - r * 0.35, cy - r * 0.35, r * 0.1, cx, cy, r)
    grad.add_color_stop_rgb(0, *lighter(color, 0.45))
    grad.add_color_stop_rgb(1, *color)
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    ctx.set_source(grad)
    ctx.fill_preserve()
    ctx.set_source_rgb(*(rim or darker(color, 0.3)))
    ctx.set_line_width(max(1.0, r * 0.06))
    ctx.stroke()


def cloud_path(ctx, cx, cy, w, h):
    """A puffy cloud made of overlapping circles, centred on (cx, cy)."""
    puffs = [(-0.32, 0.12, 0.26), (-0.12, -0.12, 0.34), (0.16, -0.18, 0.30),
             (0.34, 0.06, 0.24), (0.02, 0.16, 0.30), (-0.40, 0.22, 0.16), (0.40, 0.24, 0.16)]
    ctx.new_path()
    for px, py, pr in puffs:
        ctx.new_sub_path()
        ctx.arc(cx + px * w, cy + py * h * 1.6, pr * w * 0.5 * 1.25, 0, 2 * math.pi)


def soft_cloud(ctx, cx, cy, w, h, alpha=0.85):
    """Cloud with soft edges: a blurred halo under a lighter body."""
    ctx.save()
    ctx.push_group()
    cloud_path(ctx, cx, cy, w, h)
    ctx.set_source_rgba(1, 1, 1, 1)
    ctx.fill()
    ctx.pop_group_to_source()
    ctx.paint_with_alpha(alpha * 0.35)
    ctx.restore()
    ctx.save()
    ctx.translate(cx, cy)
    ctx.scale(0.92, 0.88)
    ctx.translate(-cx, -cy)
    ctx.push_group()
    cloud_path(ctx, cx, cy, w, h)
    grad = cairo.LinearGradient(0, cy - h, 0, cy + h)
    grad.add_color_stop_rgb(0, 1, 1, 1)
    grad.add_color_stop_rgb(1, 0.90, 0.94, 0.99)
    ctx.set_source(grad)
    ctx.fill()
    ctx.pop_group_to_source()
    ctx.paint_with_alpha(alpha)
    ctx.restore()


def star_path(ctx, cx, cy, r_out, r_in, points=5, rotation=-math.pi / 2):
    ctx.new_path()
    for i in range(points * 2):
        r = r_out if i % 2 == 0 else r_in
        a = rotation + i * math.pi / points
        if i == 0:
            ctx.move_to(cx + r * math.cos(a), cy + r * math.sin(a))
        else:
            ctx.line_to(cx + r * math.cos(a), cy + r * math.sin(a))
    ctx.close_path()


def atomic_write_bytes(path, data):
    folder = os.path.dirname(path)
    os.makedirs(folder, exist_ok=True)
    fd, tmp = tempfile.mkstemp(dir=folder, prefix=".tmp-")
    with os.fdopen(fd, "wb") as f:
        f.write(data)
        f.flush()
        os.fsync(f.fileno())
    os.chmod(tmp, 0o644)
    os.replace(tmp, path)


def write_png(surf, path):
    """Writes a cairo surface as PNG; RGB24 surfaces become 8-bit RGB files, ARGB32 RGBA."""
    import io
    import png_writer
    buf = io.BytesIO()
    png_writer.write(surf, buf)
    atomic_write_bytes(path, buf.getvalue())
