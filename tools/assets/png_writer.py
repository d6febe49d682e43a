"""Minimal deterministic PNG writer (8-bit RGB or RGBA) for cairo surfaces and numpy arrays.

cairo keeps premultiplied alpha, which cannot hold exact colours under low alpha (the selection
tint is RGB (0, 86, 255) at alpha 28); such pictures are written from arrays instead.
"""
import struct
import zlib

import cairo
import numpy as np


def surface_to_array(surf):
    """Straight (non-premultiplied) RGBA or RGB array of a cairo image surface."""
    surf.flush()
    h, w, stride = surf.get_height(), surf.get_width(), surf.get_stride()
    raw = np.frombuffer(surf.get_data(), dtype=np.uint8).reshape(h, stride)[:, : w * 4]
    bgra = raw.reshape(h, w, 4).astype(np.uint32)
    b, g, r, a = bgra[..., 0], bgra[..., 1], bgra[..., 2], bgra[..., 3]
    if surf.get_format() == cairo.FORMAT_RGB24:
        return np.stack([r, g, b], axis=-1).astype(np.uint8)
    safe = np.where(a == 0, 1, a)
    un = lambda c: np.where(a == 0, 0, np.minimum(255, (c * 255 + safe // 2) // safe))
    return np.stack([un(r), un(g), un(b), a], axis=-1).astype(np.uint8)


def _chunk(kind, payload):
    body = kind + payload
    return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def encode(array):
    """PNG bytes of an (h, w, 3) or (h, w, 4) uint8 array."""
    array = np.ascontiguousarray(array, dtype=np.uint8)
    h, w, channels = array.shape
    colour_type = {3: 2, 4: 6}[channels]
    # The "up" filter on every row: pictures here are mostly vertical gradients and flat fills.
    flat = array.reshape(h, w * channels)
    prior = np.vstack([np.zeros((1, w * channels), np.uint8), flat[:-1]])
    filtered = (flat.astype(np.int16) - prior).astype(np.uint8)
    rows = b"".join(b"\x02" + filtered[y].tobytes() for y in range(h))
    header = struct.pack(">IIBBBBB", w, h, 8, colour_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", header)
            + _chunk(b"IDAT", zlib.compress(rows, 9)) + _chunk(b"IEND", b""))


def write(surf_or_array, stream):
    if isinstance(surf_or_array, np.ndarray):
        stream.write(encode(surf_or_array))
    else:
        stream.write(encode(surface_to_array(surf_or_array)))
