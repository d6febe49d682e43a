"""Figures drawn both as pictures and inside clips: keyboard, key caps, mouse, hand on a mouse."""
import math

import cairo

from common import (BLUE, BLUE_DARK, INK, ORANGE, ORANGE_DARK, SKIN, SKIN_DARK, centred_text,
                    darker, lighter, rounded_rect, set_font, vgradient)

KEY_UNIT = 22
KEYBOARD_LEFT = 18
ROW_Y = {"f": 60, "1": 83, "q": 101, "a": 119, "z": 137, "b": 155}
KEY_H = 14
# The space bar sits where the highlighted "KEYSPACE" picture is laid over it on screen:
# keyboard at (107, 347), space bar picture at (237, 502).
SPACE_RECT = (130, 155, 112, 14)
KEYBOARD_BODY = (0.86, 0.89, 0.93)


def key_cap(ctx, x, y, w, h, label="", face=(0.98, 0.98, 0.99), text=INK, font=7.0, radius=2.5):
    """One key seen from above: dark rim, lighter top face, optional label."""
    rounded_rect(ctx, x, y, w, h, radius)
    ctx.set_source(vgradient(y, y + h, darker(face, 0.12), darker(face, 0.30)))
    ctx.fill()
    inset = max(1.0, min(w, h) * 0.12)
    rounded_rect(ctx, x + inset, y + 0.6, w - 2 * inset, h - inset - 1.2, max(1.0, radius - 0.8))
    ctx.set_source(vgradient(y, y + h, lighter(face, 0.6), face))
    ctx.fill()
    rounded_rect(ctx, x + 0.5, y + 0.5, w - 1, h - 1, radius)
    ctx.set_source_rgba(*darker(face, 0.55), 0.9)
    ctx.set_line_width(1.0)
    ctx.stroke()
    if label:
        set_font(ctx, font, bold=True)
        centred_text(ctx, label, x + w / 2.0, y + (h - inset) / 2.0 + 0.3, text)


def _row(ctx, y, keys, x=KEYBOARD_LEFT, labels=None, faces=None):
    """keys: list of widths in units (negative = gap); labels and faces by key index."""
    labels = labels or {}
    faces = faces or {}
    index = 0
    for units in keys:
        w = abs(units) * KEY_UNIT
        if units > 0:
            face = faces.get(index, (0.98, 0.98, 0.99))
            key_cap(ctx, x + 1, y, w - 2, KEY_H, labels.get(index, ""), face)
            index += 1
        x += w
    return x


def keyboard(ctx):
    """524 x 230 keyboard, drawn at the origin."""
    # Cable to the computer.
    ctx.move_to(300, -2)
    ctx.curve_to(300, 20, 262, 22, 262, 50)
    ctx.set_source_rgb(0.35, 0.38, 0.44)
    ctx.set_line_width(5)
    ctx.stroke()
    # Soft shadow on the table.
    for i in range(6):
        rounded_rect(ctx, 8 - i, 186 - i * 0.5, 508 + 2 * i, 20 + i, 12)
        ctx.set_source_rgba(0, 0, 0, 0.05)
        ctx.fill()
    # Front edge, then the top surface.
    rounded_rect(ctx, 4, 52, 516, 146, 12)
    ctx.set_source(vgradient(150, 198, darker(KEYBOARD_BODY, 0.25), darker(KEYBOARD_BODY, 0.45)))
    ctx.fill()
    rounded_rect(ctx, 4, 46, 516, 136, 12)
    ctx.set_source(vgradient(46, 182, lighter(KEYBOARD_BODY, 0.5), KEYBOARD_BODY))
    ctx.fill_preserve()
    ctx.set_source_rgb(*darker(KEYBOARD_BODY, 0.35))
    ctx.set_line_width(1.2)
    ctx.stroke()

    esc_face = (1.0, 0.80, 0.76)
    f1_face = (0.78, 0.93, 0.78)
    _row(ctx, ROW_Y["f"], [1, -1, 1, 1, 1, 1, -0.5, 1, 1, 1, 1, -0.5, 1, 1, 1, 1],
         labels={0: "Esc", 1: "F1", 2: "F2", 3: "F3", 4: "F4", 5: "F5", 6: "F6", 7: "F7",
                 8: "F8", 9: "F9", 10: "F10", 11: "F11", 12: "F12"},
         faces={0: esc_face, 1: f1_face})
    _row(ctx, ROW_Y["1"], [1] * 13 + [2],
         labels=dict(enumerate(list("ё1234567890-=") + ["←"])))
    _row(ctx, ROW_Y["q"], [1.5] + [1] * 12 + [1.5],
         labels=dict(enumerate(["Tab"] + list("ЙЦУКЕНГШЩЗХЪ") + ["\\"])))
    _row(ctx, ROW_Y["a"], [1.75] + [1] * 11 + [2.25],
         labels=dict(enumerate(["Caps"] + list("ФЫВАПРОЛДЖЭ") + ["Enter"])))
    _row(ctx, ROW_Y["z"], [2.25] + [1] * 10 + [2.75],
         labels=dict(enumerate(["Shift"] + list("ЯЧСМИТЬБЮ.") + ["Shift"])))
    # Bottom row: three modifiers up to the space bar, then four to the block's right edge.
    sx, sy, sw, sh = SPACE_RECT
    left_w = (sx - KEYBOARD_LEFT) / 3.0
    for i, name in enumerate(["Ctrl", "Win", "Alt"]):
        key_cap(ctx, KEYBOARD_LEFT + i * left_w + 1, sy, left_w - 2, sh, name)
    key_cap(ctx, sx, sy, sw, sh, "")
    right_edge = KEYBOARD_LEFT + 15 * KEY_UNIT
    right_w = (right_edge - (sx + sw) - 2) / 4.0
    for i, name in enumerate(["Alt", "Win", "Menu", "Ctrl"]):
        key_cap(ctx, sx + sw + 2 + i * right_w + 1, sy, right_w - 2, sh, name)

    # Navigation block.
    nav = right_edge + 8
    _row(ctx, ROW_Y["f"], [1, 1, 1], x=nav, labels={0: "Prt", 1: "Scr", 2: "Pau"})
    _row(ctx, ROW_Y["1"], [1, 1, 1], x=nav, labels={0: "Ins", 1: "Hm", 2: "PU"})
    _row(ctx, ROW_Y["q"], [1, 1, 1], x=nav, labels={0: "Del", 1: "End", 2: "PD"})
    _row(ctx, ROW_Y["z"], [-1, 1], x=nav, labels={0: "↑"})
    _row(ctx, ROW_Y["b"], [1, 1, 1], x=nav, labels={0: "←", 1: "↓", 2: "→"})

    # Number pad with its indicator lamps.
    pad = nav + 3 * KEY_UNIT + 8
    for i in range(3):
        ctx.arc(pad + 18 + i * 26, 67, 2.5, 0, 2 * math.pi)
        ctx.set_source_rgb(*((0.35, 0.85, 0.35) if i == 0 else (0.70, 0.74, 0.78)))
        ctx.fill()
    _row(ctx, ROW_Y["1"], [1, 1, 1, 1], x=pad, labels=dict(enumerate(["Num", "/", "*", "-"])))
    _row(ctx, ROW_Y["q"], [1, 1, 1], x=pad, labels=dict(enumerate("789")))
    _row(ctx, ROW_Y["a"], [1, 1, 1], x=pad, labels=dict(enumerate("456")))
    _row(ctx, ROW_Y["z"], [1, 1, 1], x=pad, labels=dict(enumerate("123")))
    _row(ctx, ROW_Y["b"], [2, 1], x=pad, labels={0: "0", 1: "."})
    key_cap(ctx, pad + 3 * KEY_UNIT + 1, ROW_Y["q"], KEY_UNIT - 2, 2 * KEY_H + 4, "+")
    key_cap(ctx, pad + 3 * KEY_UNIT + 1, ROW_Y["z"], KEY_UNIT - 2, 2 * KEY_H + 4, "Ent")


def highlighted_space(ctx):
    """112 x 14 space bar lit up, to be laid over the keyboard's own space bar."""
    sx, sy, sw, sh = SPACE_RECT
    ctx.set_source(vgradient(46 - sy, 182 - sy, lighter(KEYBOARD_BODY, 0.5), KEYBOARD_BODY))
    ctx.paint()
    key_cap(ctx, 0, 0, sw, sh, "", face=(1.0, 0.86, 0.25))
    set_font(ctx, 8.0, bold=True)
    centred_text(ctx, "ПРОБЕЛ", sw / 2.0, 6.4, (0.45, 0.25, 0.0))


def mouse_body_path(ctx, cx, top, w, h):
    """Egg-shaped mouse seen from above, narrower at the front (top)."""
    ctx.new_path()
    ctx.move_to(cx, top)
    ctx.curve_to(cx + w * 0.42, top, cx + w * 0.5, top + h * 0.25, cx + w * 0.5, top + h * 0.55)
    ctx.curve_to(cx + w * 0.5, top + h * 0.88, cx + w * 0.30, top + h, cx, top + h)
    ctx.curve_to(cx - w * 0.30, top + h, cx - w * 0.5, top + h * 0.88, cx - w * 0.5, top + h * 0.55)
    ctx.curve_to(cx - w * 0.5, top + h * 0.25, cx - w * 0.42, top, cx, top)
    ctx.close_path()


def mouse(ctx, cx, top, w, h, left_lit=0.0, right_lit=0.0, cable=True, line=1.0):
    """A friendly two-button mouse with a wheel. left_lit/right_lit tint the buttons (0..1)."""
    if cable:
        ctx.move_to(cx, top + 2)
        ctx.curve_to(cx, top - h * 0.15, cx + w * 0.25, top - h * 0.2, cx + w * 0.2, top - h * 0.6)
        ctx.set_source_rgb(0.35, 0.38, 0.44)
        ctx.set_line_width(max(1.5, w * 0.04))
        ctx.stroke()
    # Shadow.
    ctx.save()
    ctx.translate(w * 0.04, h * 0.03)
    mouse_body_path(ctx, cx, top, w, h)
    ctx.set_source_rgba(0, 0, 0, 0.18)
    ctx.fill()
    ctx.restore()
    mouse_body_path(ctx, cx, top, w, h)
    grad = cairo.LinearGradient(cx - w / 2, 0, cx + w / 2, 0)
    grad.add_color_stop_rgb(0, 0.80, 0.85, 0.92)
    grad.add_color_stop_rgb(0.35, 0.98, 0.99, 1.0)
    grad.add_color_stop_rgb(1, 0.72, 0.78, 0.88)
    ctx.set_source(grad)
    ctx.fill_preserve()
    ctx.set_source_rgb(*BLUE_DARK)
    ctx.set_line_width(line * 1.2)
    ctx.stroke()
    # Buttons: the front part split in two.
    split = top + h * 0.42
    for side, lit in ((-1, left_lit), (1, right_lit)):
        if lit <= 0:
            continue
        ctx.save()
        mouse_body_path(ctx, cx, top, w, h)
        ctx.clip()
        if side < 0:
            ctx.rectangle(cx - w, top - 1, w, split - top + 1)
        else:
            ctx.rectangle(cx, top - 1, w, split - top + 1)
        ctx.set_source_rgba(*ORANGE, 0.75 * lit)
        ctx.fill()
        ctx.restore()
    ctx.move_to(cx, top + 1)
    ctx.line_to(cx, split)
    ctx.move_to(cx - w * 0.48, split + h * 0.02)
    ctx.curve_to(cx - w * 0.2, split - h * 0.03, cx + w * 0.2, split - h * 0.03, cx + w * 0.48, split + h * 0.02)
    ctx.set_source_rgb(*BLUE_DARK)
    ctx.set_line_width(line)
    ctx.stroke()
    # Wheel.
    rounded_rect(ctx, cx - w * 0.06, top + h * 0.12, w * 0.12, h * 0.2, w * 0.06)
    ctx.set_source(vgradient(top + h * 0.12, top + h * 0.32, (0.45, 0.5, 0.6), (0.2, 0.24, 0.32)))
    ctx.fill()


def _finger(ctx, x0, y0, x1, y1, width):
    ctx.move_to(x0, y0)
    ctx.line_to(x1, y1)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_line_width(width + 1.6)
    ctx.set_source_rgb(*SKIN_DARK)
    ctx.stroke()
    ctx.move_to(x0, y0)
    ctx.line_to(x1, y1)
    ctx.set_line_width(width)
    ctx.set_source_rgb(*SKIN)
    ctx.stroke()


# Poses of the hand on the mouse, 46 x 79 each.
HAND_POSES = {
    "MOUSE_M": dict(),
    "MOUSE_MB": dict(left=0.45),
    "MOUSE_MB_PR": dict(left=1.0, press="left"),
    "MOUSE_MB_R1": dict(right=0.45),
    "MOUSE_MB_R2": dict(right=1.0, press="right"),
    "MOUSE_ML": dict(tilt=-0.10, motion=1),
    "MOUSE_MR": dict(tilt=0.10, motion=-1),
}


def hand_on_mouse(ctx, left=0.0, right=0.0, press=None, tilt=0.0, motion=0):
    """A hand resting on a mouse, seen from above, in a 46 x 79 box."""
    ctx.save()
    if tilt:
        ctx.translate(23, 50)
        ctx.rotate(tilt)
        ctx.translate(-23, -50)
    mouse(ctx, 23, 5, 32, 52, left_lit=left, right_lit=right, cable=False, line=0.9)
    # Cable leaving the top edge.
    ctx.move_to(23, 5.5)
    ctx.line_to(23, -4)
    ctx.set_source_rgb(0.35, 0.38, 0.44)
    ctx.set_line_width(1.6)
    ctx.stroke()
    # Sleeve and wrist.
    rounded_rect(ctx, 11, 66, 24, 20, 4)
    ctx.set_source(vgradient(66, 80, lighter(BLUE, 0.2), BLUE_DARK))
    ctx.fill()
    ctx.rectangle(14, 54, 18, 13)
    ctx.set_source_rgb(*SKIN)
    ctx.fill()
    # Fingers: thumb, index, middle, ring, little.
    index_tip = 24 if press == "left" else 20
    middle_tip = 23 if press == "right" else 19
    _finger(ctx, 10, 52, 5.5, 40, 5.5)
    _finger(ctx, 41, 50, 41.5, 38, 4.5)
    _finger(ctx, 35.5, 46, 36.5, 29, 5.2)
    _finger(ctx, 29, 44, 29, middle_tip, 6.0)
    _finger(ctx, 18, 44, 17, index_tip, 6.0)
    # Palm over the back of the mouse.
    ctx.save()
    ctx.translate(23, 51)
    ctx.scale(1.0, 0.85)
    ctx.arc(0, 0, 14.5, 0, 2 * math.pi)
    ctx.restore()
    grad = cairo.RadialGradient(20, 46, 2, 23, 51, 16)
    grad.add_color_stop_rgb(0, *lighter(SKIN, 0.35))
    grad.add_color_stop_rgb(1, SKIN[0] * 0.98, SKIN[1] * 0.95, SKIN[2] * 0.93)
    ctx.set_source(grad)
    ctx.fill_preserve()
    ctx.set_source_rgb(*SKIN_DARK)
    ctx.set_line_width(0.9)
    ctx.stroke()
    ctx.restore()
    if press:
        x = 12 if press == "left" else 34
        for dx, dy in ((-5, -4), (0, -6), (5, -4)):
            ctx.move_to(x + dx * 0.6, 14 + dy * 0.6)
            ctx.line_to(x + dx, 14 + dy)
        ctx.set_source_rgb(*ORANGE_DARK)
        ctx.set_line_width(1.2)
        ctx.stroke()
    if motion:
        # Speed lines behind the moving mouse.
        x0, x1 = (40, 45) if motion > 0 else (1, 6)
        for y in (22, 30, 38):
            ctx.move_to(x0, y)
            ctx.line_to(x1, y)
        ctx.set_source_rgba(*BLUE, 0.9)
        ctx.set_line_width(1.4)
        ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        ctx.stroke()
