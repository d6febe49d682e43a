"""One overview picture of every asset picture and a few frames of every clip."""
import glob
import math
import os
import struct
import zlib

import cairo
import numpy as np

import png_writer
from common import atomic_write_bytes, set_font

CELL_W, CELL_H, LABEL_H = 170, 150, 14


def read_png(path):
    """Decodes the 8-bit RGB/RGBA PNGs this generator writes (up filter) into an RGBA array."""
    data = open(path, "rb").read()
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    w, h, _, colour_type = header[:4]
    channels = 4 if colour_type == 6 else 3
    raw = np.frombuffer(zlib.decompress(idat), np.uint8).reshape(h, 1 + w * channels)
    rows = np.zeros((h, w * channels), np.uint8)
    prior = np.zeros(w * channels, np.uint8)
    for y in range(h):
        assert raw[y, 0] in (0, 2)
        line = raw[y, 1:] if raw[y, 0] == 0 else (raw[y, 1:].astype(np.uint16) + prior).astype(np.uint8)
        rows[y] = line
        prior = line
    arr = rows.reshape(h, w, channels)
    if channels == 3:
        arr = np.concatenate([arr, np.full((h, w, 1), 255, np.uint8)], axis=2)
    return arr


def array_surface(rgba):
    h, w, channels = rgba.shape
    if channels == 3:
        rgba = np.concatenate([rgba, np.full((h, w, 1), 255, np.uint8)], axis=2)
    a = rgba[..., 3:4].astype(np.uint32)
    pre = (rgba[..., :3].astype(np.uint32) * a + 127) // 255
    bgra = np.concatenate([pre[..., 2:3], pre[..., 1:2], pre[..., 0:1], a], axis=2).astype(np.uint8)
    surf = cairo.ImageSurface(cairo.FORMAT_ARGB32, w, h)
    stride = surf.get_stride()
    buf = np.frombuffer(surf.get_data(), np.uint8).reshape(h, stride)
    buf[:, : w * 4] = bgra.reshape(h, w * 4)
    surf.mark_dirty()
    return surf


def build(entries, out_path, columns=7):
    """entries: list of (label, rgba array)."""
    rows = math.ceil(len(entries) / columns)
    sheet = cairo.ImageSurface(cairo.FORMAT_RGB24, columns * CELL_W, rows * CELL_H)
    ctx = cairo.Context(sheet)
    ctx.set_source_rgb(1, 1, 1)
    ctx.paint()
    for i, (label, rgba) in enumerate(entries):
        cx, cy = (i % columns) * CELL_W, (i // columns) * CELL_H
        box_w, box_h = CELL_W - 10, CELL_H - LABEL_H - 10
        h, w, _ = rgba.shape
        scale = min(box_w / w, box_h / h, 4.0)
        dw, dh = w * scale, h * scale
        x0, y0 = cx + 5 + (box_w - dw) / 2, cy + 5 + (box_h - dh) / 2
        # Checkerboard shows transparency.
        ctx.save()
        ctx.rectangle(x0, y0, dw, dh)
        ctx.clip()
        for yy in range(int(y0), int(y0 + dh) + 8, 8):
            for xx in range(int(x0), int(x0 + dw) + 8, 8):
                shade = 0.82 if ((xx - int(x0)) // 8 + (yy - int(y0)) // 8) % 2 else 0.95
                ctx.rectangle(xx, yy, 8, 8)
                ctx.set_source_rgb(shade, shade, shade)
                ctx.fill()
        ctx.translate(x0, y0)
        ctx.scale(scale, scale)
        pattern = cairo.SurfacePattern(array_surface(rgba))
        pattern.set_filter(cairo.FILTER_NEAREST if scale > 1.5 else cairo.FILTER_GOOD)
        ctx.set_source(pattern)
        ctx.paint()
        ctx.restore()
        set_font(ctx, 9.5, bold=False, family="DejaVu Sans")
        ctx.set_source_rgb(0, 0, 0)
        ctx.move_to(cx + 5, cy + CELL_H - 5)
        ctx.show_text(f"{label} {w}x{h}"[:30])
    png = png_writer.encode(png_writer.surface_to_array(sheet))
    atomic_write_bytes(out_path, png)


def picture_entries(assets_dir):
    entries = []
    for path in sorted(glob.glob(os.path.join(assets_dir, "*", "*.png"))):
        entries.append((os.path.splitext(os.path.basename(path))[0], read_png(path)))
    return entries
