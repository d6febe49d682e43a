"""Every picture of the program: skin set, exercise pictures, key hints, cursor, cloud."""
import math
import os

import cairo
import numpy as np

import figures
import png_writer
from common import (BLUE, BLUE_DARK, GREEN, ORANGE, RED, SKY_BOTTOM, SKY_TOP, atomic_write_bytes,
                    centred_text, darker, draw_cursor, fit_font, lighter, rgb255, rounded_rect,
                    soft_cloud, surface, vgradient)

TRACK = rgb255(223, 223, 224)
PAGE = rgb255(229, 230, 230)
FRAME = rgb255(150, 165, 182)

# name -> (caption, width, colour) for the eight button families.
BUTTONS = {
    "PrintButton": ("Печать", 84, "green"),
    "SaveAsButton": ("Сохранить как...", 148, "green"),
    "RetryButton": ("Повторить", 109, "green"),
    "CloseButton": ("Закрыть", 111, "red"),
    "StartPopStartButton": ("Пуск", 84, "green"),
    "SubmitButton": ("Применить", 109, "green"),
    "OptionsButton": ("Настройки", 109, "green"),
    "CancelButton": ("Отмена", 111, "red"),
}
BUTTON_COLOURS = {"green": ((0.45, 0.80, 0.38), (0.16, 0.55, 0.20)),
                  "red": ((0.96, 0.42, 0.36), (0.74, 0.13, 0.11))}


def button(caption, width, colour, state):
    """A rounded, glossy button; state is "" (normal), "Nuv" (hovered) or "Klick" (pressed)."""
    height = 47
    surf, ctx = surface(width, height)
    top, bottom = BUTTON_COLOURS[colour]
    shift = 0
    if state == "Nuv":
        top, bottom = lighter(top, 0.22), lighter(bottom, 0.18)
    elif state == "Klick":
        top, bottom = darker(top, 0.18), darker(bottom, 0.15)
        shift = 1
    x, y, w, h, r = 2.0, 2.0 + shift, width - 4.0, height - 7.0, 11.0
    if state != "Klick":
        rounded_rect(ctx, x, y + 2.5, w, h, r)
        ctx.set_source_rgba(0, 0, 0, 0.18)
        ctx.fill()
    if state == "Nuv":
        rounded_rect(ctx, x - 1.5, y - 1.5, w + 3, h + 3, r + 1.5)
        ctx.set_source_rgba(1, 1, 0.8, 0.45)
        ctx.fill()
    rounded_rect(ctx, x, y, w, h, r)
    ctx.set_source(vgradient(y, y + h, top, bottom))
    ctx.fill_preserve()
    ctx.set_source_rgb(*darker(bottom, 0.35))
    ctx.set_line_width(1.2)
    ctx.stroke()
    # Gloss over the upper half.
    rounded_rect(ctx, x + 3, y + 2, w - 6, h * 0.45, r - 3)
    grad = cairo.LinearGradient(0, y + 2, 0, y + 2 + h * 0.45)
    grad.add_color_stop_rgba(0, 1, 1, 1, 0.45 if state != "Klick" else 0.2)
    grad.add_color_stop_rgba(1, 1, 1, 1, 0.05)
    ctx.set_source(grad)
    ctx.fill()
    fit_font(ctx, caption, w - 16, 16.0)
    centred_text(ctx, caption, width / 2.0, y + h / 2.0, (1, 1, 1),
                 shadow=(*darker(bottom, 0.5), 0.8))
    return surf


def exit_button():
    surf, ctx = surface(21, 21)
    rounded_rect(ctx, 0.5, 0.5, 20, 20, 4)
    ctx.set_source(vgradient(0, 21, (0.96, 0.38, 0.33), (0.75, 0.12, 0.10)))
    ctx.fill_preserve()
    ctx.set_source_rgb(*darker(RED, 0.45))
    ctx.set_line_width(1)
    ctx.stroke()
    ctx.set_source_rgb(1, 1, 1)
    ctx.set_line_width(2.6)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.move_to(6, 6)
    ctx.line_to(15, 15)
    ctx.move_to(15, 6)
    ctx.line_to(6, 15)
    ctx.stroke()
    return surf


def key_picture(label):
    surf, ctx = surface(37, 25, alpha=False)
    ctx.set_source_rgb(*PAGE)
    ctx.paint()
    figures.key_cap(ctx, 1, 1, 35, 23, label, face=(0.93, 0.94, 0.95), font=11.0, radius=4)
    return surf


def default_background():
    arr = np.empty((600, 800, 3), np.uint8)
    arr[:64] = (216, 217, 217)
    arr[64:] = (229, 230, 230)
    return arr


def slider_thumb(width, height, hover):
    surf, ctx = surface(width, height)
    face = lighter(BLUE, 0.25) if hover else BLUE
    rounded_rect(ctx, 0.5, 0.5, width - 1, height - 1, 3)
    if width > height:
        ctx.set_source(vgradient(0, height, lighter(face, 0.45), face))
    else:
        grad = cairo.LinearGradient(0, 0, width, 0)
        grad.add_color_stop_rgb(0, *lighter(face, 0.45))
        grad.add_color_stop_rgb(1, *face)
        ctx.set_source(grad)
    ctx.fill_preserve()
    ctx.set_source_rgb(*BLUE_DARK)
    ctx.set_line_width(1)
    ctx.stroke()
    # Grip lines across the thumb.
    ctx.set_source_rgba(1, 1, 1, 0.75)
    for i in (-2, 0, 2):
        if width > height:
            ctx.rectangle(width / 2.0 + i - 0.5, 2.5, 1, height - 5)
        else:
            ctx.rectangle(2.5, height / 2.0 + i - 0.5, width - 5, 1)
    ctx.fill()
    return surf


def scroll_thumb_row():
    """One row of the vertical scroll thumb (16 wide); stretched along the bar."""
    row = np.empty((16, 3), np.uint8)
    light, mid, edge = np.array([186, 208, 240]), np.array([128, 164, 222]), np.array([84, 118, 178])
    row[0] = row[15] = (223, 223, 224)
    row[1] = row[14] = edge
    for i in range(2, 14):
        t = (i - 2) / 11.0
        row[i] = np.round(light * (1 - t) + mid * t)
    return row


def scroll_button(up):
    surf, ctx = surface(16, 16)
    rounded_rect(ctx, 0.5, 0.5, 15, 15, 3)
    ctx.set_source(vgradient(0, 16, (0.97, 0.97, 0.98), (0.82, 0.84, 0.87)))
    ctx.fill_preserve()
    ctx.set_source_rgb(*FRAME)
    ctx.set_line_width(1)
    ctx.stroke()
    ctx.set_source_rgb(*BLUE_DARK)
    if up:
        ctx.move_to(8, 5)
        ctx.line_to(12, 10.5)
        ctx.line_to(4, 10.5)
    else:
        ctx.move_to(8, 11)
        ctx.line_to(12, 5.5)
        ctx.line_to(4, 5.5)
    ctx.close_path()
    ctx.fill()
    return surf


def check_box(checked, enabled):
    surf, ctx = surface(16, 16, alpha=False)
    ctx.set_source_rgb(*PAGE)
    ctx.paint()
    rounded_rect(ctx, 1.5, 1.5, 13, 13, 2.5)
    if enabled:
        ctx.set_source(vgradient(1, 15, (0.92, 0.94, 0.96), (1, 1, 1)))
    else:
        ctx.set_source_rgb(0.90, 0.90, 0.91)
    ctx.fill_preserve()
    ctx.set_source_rgb(*(darker(FRAME, 0.25) if enabled else (0.72, 0.72, 0.74)))
    ctx.set_line_width(1)
    ctx.stroke()
    if checked:
        ctx.move_to(4.2, 8.2)
        ctx.line_to(7.0, 11.0)
        ctx.line_to(12.0, 4.6)
        ctx.set_source_rgb(*(darker(GREEN, 0.2) if enabled else (0.62, 0.62, 0.64)))
        ctx.set_line_width(2.2)
        ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        ctx.set_line_join(cairo.LINE_JOIN_ROUND)
        ctx.stroke()
    return surf


def radio_button(checked, enabled):
    surf, ctx = surface(16, 16)
    ctx.arc(8, 8, 6.8, 0, 2 * math.pi)
    if enabled:
        grad = cairo.RadialGradient(6, 6, 1, 8, 8, 7)
        grad.add_color_stop_rgb(0, 1, 1, 1)
        grad.add_color_stop_rgb(1, 0.88, 0.91, 0.95)
        ctx.set_source(grad)
    else:
        ctx.set_source_rgb(0.90, 0.90, 0.91)
    ctx.fill_preserve()
    ctx.set_source_rgb(*(darker(FRAME, 0.25) if enabled else (0.72, 0.72, 0.74)))
    ctx.set_line_width(1.1)
    ctx.stroke()
    if checked:
        ctx.arc(8, 8, 3.4, 0, 2 * math.pi)
        ctx.set_source_rgb(*(BLUE if enabled else (0.62, 0.62, 0.64)))
        ctx.fill()
    return surf


def edit_frame():
    """17 x 17 rounded frame; its quadrants are the corners, its middle lines the edges."""
    surf, ctx = surface(17, 17)
    rounded_rect(ctx, 0.5, 0.5, 16, 16, 7)
    ctx.set_source_rgb(1, 1, 1)
    ctx.fill_preserve()
    ctx.set_source_rgb(*FRAME)
    ctx.set_line_width(1)
    ctx.stroke()
    return png_writer.surface_to_array(surf)


def exercise_disc():
    surf, ctx = surface(204, 204)
    ctx.arc(102, 102, 101, 0, 2 * math.pi)
    ctx.set_source_rgb(1, 1, 1)
    ctx.fill()
    return surf


# The arrow pointer, pixel by pixel: B black edge, W white body, "." transparent.
CURSOR_PIXELS = [
    "B...........",
    "BB..........",
    "BWB.........",
    "BWWB........",
    "BWWWB.......",
    "BWWWWB......",
    "BWWWWWB.....",
    "BWWWWWWB....",
    "BWWWWWWWB...",
    "BWWWWWWWWB..",
    "BWWWWWWWWWB.",
    "BWWWWWWBBBBB",
    "BWWWBWWB....",
    "BWWBBWWB....",
    "BWB..BWWB...",
    "BB...BWWB...",
    "B.....BWWB..",
    "......BWWB..",
    ".......BWWB.",
    ".......BWWB.",
    "........BB..",
]


def cursor():
    """12 x 21 arrow, drawn pixel-exact so its tip is the top-left pixel and its edges stay crisp."""
    colours = {"B": (0, 0, 0, 255), "W": (255, 255, 255, 255), ".": (0, 0, 0, 0)}
    return np.array([[colours[c] for c in row] for row in CURSOR_PIXELS], np.uint8)


def sky(width=400, height=300, seed_clouds=None):
    surf, ctx = surface(width, height, alpha=False)
    ctx.set_source(vgradient(0, height, SKY_TOP, SKY_BOTTOM))
    ctx.paint()
    sx, sy = width / 400.0, height / 300.0
    clouds = seed_clouds or [(70, 52, 110, 34, 0.80), (300, 38, 130, 38, 0.75),
                             (200, 250, 150, 40, 0.55), (360, 200, 90, 28, 0.55),
                             (40, 215, 80, 26, 0.50)]
    for cx, cy, w, h, a in clouds:
        soft_cloud(ctx, cx * sx, cy * sy, w * sx, h * sy, a)
    return surf


def keyboard_picture():
    surf, ctx = surface(524, 230)
    figures.keyboard(ctx)
    return surf


def space_picture():
    surf, ctx = surface(112, 14, alpha=False)
    figures.highlighted_space(ctx)
    return surf


def mouse_picture():
    surf, ctx = surface(246, 246)
    figures.mouse(ctx, 123, 52, 132, 186, left_lit=1.0, line=2.2)
    return surf


def hand_picture(pose):
    surf, ctx = surface(46, 79)
    figures.hand_on_mouse(ctx, **figures.HAND_POSES[pose])
    return surf


CLIP_WINDOW = (93, 76, 320, 200)


def cloud_frame():
    """506 x 350 cloud whose middle is a window for the 320 x 200 praise clip at (93, 76)."""
    surf, ctx = surface(506, 350)
    wx, wy, ww, wh = CLIP_WINDOW
    cx, cy = wx + ww / 2.0, wy + wh / 2.0
    puffs = []
    # Puffs around an ellipse enclosing the window, sizes varied for a hand-drawn look.
    count = 22
    for i in range(count):
        a = 2 * math.pi * i / count
        r = 46 + 9 * math.sin(i * 2.3) + 6 * math.cos(i * 1.7)
        px = cx + math.cos(a) * (ww / 2.0 + 16)
        py = cy + math.sin(a) * (wh / 2.0 + 14)
        puffs.append((px, py, r))

    def body(dx=0.0, dy=0.0, grow=0.0):
        ctx.new_path()
        for px, py, r in puffs:
            ctx.new_sub_path()
            ctx.arc(px + dx, py + dy, r + grow, 0, 2 * math.pi)
        rounded_rect(ctx, wx - 8 + dx, wy - 8 + dy, ww + 16, wh + 16, 30)

    for i, alpha in enumerate((0.05, 0.05, 0.06, 0.07)):
        body(4, 8, 4 - i)
        ctx.set_source_rgba(0.1, 0.25, 0.5, alpha)
        ctx.fill()
    body()
    ctx.set_source_rgb(0.70, 0.80, 0.93)
    ctx.fill()
    body(0, -2, -3)
    grad = cairo.LinearGradient(0, 0, 0, 350)
    grad.add_color_stop_rgb(0, 1, 1, 1)
    grad.add_color_stop_rgb(1, 0.90, 0.94, 1.0)
    ctx.set_source(grad)
    ctx.fill()
    # A rounded golden rim around the clip window.
    rounded_rect(ctx, wx - 6, wy - 6, ww + 12, wh + 12, 10)
    ctx.set_source(vgradient(wy - 6, wy + wh + 6, (1.0, 0.84, 0.35), ORANGE))
    ctx.fill()
    rounded_rect(ctx, wx - 1, wy - 1, ww + 2, wh + 2, 4)
    ctx.set_source_rgb(0.55, 0.35, 0.05)
    ctx.fill()
    ctx.rectangle(wx, wy, ww, wh)
    ctx.set_source_rgb(*SKY_BOTTOM)
    ctx.fill()
    # Little sparkles on the cloud.
    from common import star_path
    for sx, sy, r in ((60, 70, 9), (455, 90, 11), (440, 300, 8), (70, 285, 10), (250, 24, 7)):
        star_path(ctx, sx, sy, r, r * 0.45)
        ctx.set_source_rgb(1.0, 0.80, 0.20)
        ctx.fill()
    return surf


def skin_set():
    """name -> surface or array, for the 57 pictures registered at start-up."""
    out = {"DefaultBackGround": default_background(), "ExitButton": exit_button()}
    for name, (caption, width, colour) in BUTTONS.items():
        for state in ("", "Nuv", "Klick"):
            out[name + state] = button(caption, width, colour, state)
    out["EscButton"] = key_picture("Esc")
    out["F1Button"] = key_picture("F1")
    out["F12Button"] = key_picture("F12")
    out["SliderSliderVertical"] = slider_thumb(19, 10, False)
    out["SliderSliderVerticalHover"] = slider_thumb(19, 10, True)
    out["SliderSliderHorizontal"] = slider_thumb(11, 20, False)
    out["SliderSliderHorizontalHover"] = slider_thumb(11, 20, True)
    row = scroll_thumb_row()
    out["ScrollSlider"] = np.stack([row, row])
    out["ScrollSliderHorizontal"] = np.stack([row, row], axis=1)
    out["ScrollBackground"] = np.full((16, 16, 3), (223, 223, 224), np.uint8)
    out["ScrollButtonUp"] = scroll_button(True)
    out["ScrollButtonDown"] = scroll_button(False)
    for checked in (False, True):
        suffix = "Checked" if checked else "Unchecked"
        out["CheckBox" + suffix] = check_box(checked, True)
        out["CheckBoxDis" + suffix] = check_box(checked, False)
        out["RadioButton" + suffix] = radio_button(checked, True)
        out["RadioButtonDis" + suffix] = radio_button(checked, False)
    frame = edit_frame()
    out["EditBarBackGround"] = np.full((1, 1, 3), 255, np.uint8)
    out["EditBarCornerLT"] = frame[0:8, 0:8]
    out["EditBarCornerRT"] = frame[0:8, 9:17]
    out["EditBarCornerLB"] = frame[9:17, 0:8]
    out["EditBarCornerRB"] = frame[9:17, 9:17]
    out["EditBarBorderL"] = frame[8:9, 0:8, :3]
    out["EditBarBorderR"] = frame[8:9, 9:17, :3]
    out["EditBarBorderT"] = frame[0:8, 8:9, :3]
    out["EditBarBorderB"] = frame[9:17, 8:9, :3]
    out["EditBarKaretka"] = np.zeros((19, 1, 3), np.uint8)
    out["SelectionMask"] = np.array([[[0, 86, 255, 28]]], np.uint8)
    return out


def program_icon():
    """64 x 64 window and desktop icon: the blue start circle, the orange target and the arrow."""
    surf, ctx = surface(64, 64)
    ctx.set_source_rgb(0.55, 0.78, 0.96)
    rounded_rect(ctx, 2, 2, 60, 60, 12)
    ctx.fill()
    ctx.set_source_rgb(0.16, 0.42, 0.85)
    ctx.arc(18, 42, 9, 0, 2 * math.pi)
    ctx.fill()
    ctx.set_source_rgb(1.0, 0.55, 0.1)
    ctx.arc(45, 20, 13, 0, 2 * math.pi)
    ctx.fill()
    ctx.set_source_rgba(1, 1, 1, 0.9)
    ctx.set_line_width(3)
    ctx.move_to(24, 36)
    ctx.line_to(36, 27)
    ctx.stroke()
    ctx.move_to(40, 18)  # the arrow pointer resting on the target
    for dx, dy in ((0, 19), (5, 14), (9, 22), (12, 21), (8, 13), (14, 13)):
        ctx.line_to(40 + dx, 18 + dy)
    ctx.close_path()
    ctx.set_source_rgb(1, 1, 1)
    ctx.fill_preserve()
    ctx.set_source_rgb(0, 0, 0)
    ctx.set_line_width(1.2)
    ctx.stroke()
    return surf


def other_images():
    out = {"ProgramIcon": program_icon(), "CURSOR": cursor(), "KEYBOARDPIC": keyboard_picture(), "MOUSE": mouse_picture(),
           "KEYSPACE": space_picture(), "oblako_png": cloud_frame()}
    for pose in figures.HAND_POSES:
        out[pose] = hand_picture(pose)
    return out


def numbered_images():
    return {"101": exercise_disc(), "102": cursor(), "103": sky()}


def to_array(picture):
    return picture if isinstance(picture, np.ndarray) else png_writer.surface_to_array(picture)


def write_all(assets_dir):
    """Writes every picture; returns {name: path}."""
    written = {}
    groups = ((skin_set(), "images"), (other_images(), "images"), (numbered_images(), "numbered"))
    for pictures, folder in groups:
        for name, picture in pictures.items():
            path = os.path.join(assets_dir, folder, name + ".png")
            atomic_write_bytes(path, png_writer.encode(to_array(picture)))
            written[name] = path
    return written
