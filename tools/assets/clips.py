"""The instruction clips and the praise animations: frames drawn with cairo, encoded to Theora."""
import math
import os
import subprocess

import cairo
import numpy as np

import figures
import images
import ogg_pages
import texts
from common import (BLUE, INK, ORANGE, atomic_write_bytes, centred_text, darker, draw_cursor,
                    fit_font, lighter, rounded_rect, set_font, shaded_disc, star_path, vgradient)


# ---------------------------------------------------------------- timing helpers

def clamp01(x):
    return max(0.0, min(1.0, x))


def ramp(t, t0, t1):
    """0 before t0, 1 after t1, linear between."""
    return clamp01((t - t0) / (t1 - t0)) if t1 > t0 else float(t >= t0)


def ease(x):
    x = clamp01(x)
    return x * x * (3 - 2 * x)


def pop(t, t0, dur=0.5):
    """Scale of something that pops in: overshoots a little, then settles at 1."""
    x = clamp01((t - t0) / dur)
    if x <= 0:
        return 0.0
    return 1.0 + 0.18 * math.sin(x * math.pi) * (1 - x) * 2 if x < 1 else 1.0


def lerp(a, b, x):
    return a + (b - a) * x


# ---------------------------------------------------------------- shared pieces

def panel(ctx, x, y, w, h, alpha=1.0, r=22):
    rounded_rect(ctx, x + 4, y + 6, w, h, r)
    ctx.set_source_rgba(0.1, 0.2, 0.4, 0.18 * alpha)
    ctx.fill()
    rounded_rect(ctx, x, y, w, h, r)
    ctx.set_source_rgba(1, 1, 1, 0.93 * alpha)
    ctx.fill_preserve()
    ctx.set_source_rgba(*lighter(BLUE, 0.35), alpha)
    ctx.set_line_width(3)
    ctx.stroke()


def caption(ctx, text, cx, cy, size, color=INK, alpha=1.0, max_width=760):
    if alpha <= 0:
        return
    ctx.save()
    fit_font(ctx, text, max_width, size)
    ctx.push_group()
    centred_text(ctx, text, cx, cy, color, outline=(1, 1, 1), outline_width=6)
    ctx.pop_group_to_source()
    ctx.paint_with_alpha(alpha)
    ctx.restore()


def disc(ctx, cx, cy, r, color, scale=1.0, alpha=1.0):
    if scale <= 0 or alpha <= 0:
        return
    ctx.new_path()
    ctx.save()
    ctx.push_group()
    shaded_disc(ctx, cx, cy, r * scale, color)
    ctx.pop_group_to_source()
    ctx.paint_with_alpha(alpha)
    ctx.restore()


def cursor_at(ctx, x, y, scale=2.0):
    draw_cursor(ctx, x, y, scale)


def dwell_ring(ctx, cx, cy, r, fraction):
    """Progress of the two-second rest, drawn as a ring filling clockwise."""
    if fraction <= 0:
        return
    ctx.new_path()
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    ctx.set_source_rgba(1, 1, 1, 0.6)
    ctx.set_line_width(10)
    ctx.stroke()
    ctx.arc(cx, cy, r, -math.pi / 2, -math.pi / 2 + 2 * math.pi * fraction)
    ctx.set_source_rgb(0.25, 0.75, 0.3)
    ctx.set_line_width(10)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.stroke()


def burst(ctx, cx, cy, x, count=10, reach=150, seed=0):
    """Stars flying out from (cx, cy); x runs 0..1 over the burst."""
    if x <= 0 or x >= 1:
        return
    rng = np.random.default_rng(seed)
    colours = [(1.0, 0.82, 0.15), (1.0, 0.55, 0.1), (0.35, 0.75, 1.0), (0.5, 0.85, 0.35)]
    for i in range(count):
        a = 2 * math.pi * i / count + rng.uniform(-0.2, 0.2)
        d = reach * ease(x) * rng.uniform(0.7, 1.1)
        size = 14 * (1 - x * 0.6) * rng.uniform(0.8, 1.2)
        star_path(ctx, cx + math.cos(a) * d, cy + math.sin(a) * d, size, size * 0.45,
                  rotation=x * 3 + i)
        ctx.set_source_rgba(*colours[i % len(colours)], 1 - x ** 3)
        ctx.fill()


def orbiting_stars(ctx, cx, cy, rx, ry, t, alpha=1.0):
    """Two stars circling a caption: keeps the closing seconds alive (and no two frames alike,
    which ffmpeg's Theora path needs: a long run of identical frames at a clip's end lost frames)."""
    for k in range(2):
        a = t * 2.2 + k * math.pi
        star_path(ctx, cx + rx * math.cos(a), cy + ry * math.sin(a), 13, 6, rotation=t * 3)
        ctx.set_source_rgba(1.0, 0.80, 0.15, alpha)
        ctx.fill()


def big_key(ctx, label, cx, cy, pressed, face):
    w, h = 170, 116
    shift = 6 if pressed else 0
    ctx.save()
    ctx.translate(cx - w / 2, cy - h / 2 + shift)
    ctx.scale(w / 37.0, h / 25.0)
    figures.key_cap(ctx, 0, 0, 37, 25, label, face=darker(face, 0.12) if pressed else face,
                    font=11.0, radius=4)
    ctx.restore()


def snail(ctx, cx, cy, s):
    """A friendly snail: the slowed cursor's mascot."""
    ctx.save()
    ctx.translate(cx, cy)
    ctx.scale(s, s)
    rounded_rect(ctx, -40, 8, 86, 20, 10)
    ctx.set_source_rgb(0.55, 0.85, 0.45)
    ctx.fill()
    for dx in (30, 40):
        ctx.move_to(dx, 10)
        ctx.line_to(dx + 6, -14)
        ctx.set_source_rgb(0.35, 0.65, 0.3)
        ctx.set_line_width(3)
        ctx.stroke()
        ctx.arc(dx + 6, -15, 4, 0, 2 * math.pi)
        ctx.fill()
    ctx.arc(-4, -6, 27, 0, 2 * math.pi)
    ctx.set_source(vgradient(-33, 21, (1.0, 0.75, 0.35), (0.85, 0.45, 0.1)))
    ctx.fill()
    ctx.move_to(-4, -6)
    for i in range(60):
        a = i * 0.25
        r = 1 + i * 0.4
        ctx.line_to(-4 + r * math.cos(a), -6 + r * math.sin(a))
    ctx.set_source_rgb(0.6, 0.3, 0.05)
    ctx.set_line_width(3)
    ctx.stroke()
    ctx.restore()


# ---------------------------------------------------------------- clip 115: the instruction

BLUE_POS, ORANGE_POS = (220, 300), (580, 300)


def _first_pair(ctx, t):
    """Circles, cursor glide, rest and success of the first example (3.6 s .. 19.2 s)."""
    fade_out = 1 - ramp(t, 18.4, 19.2)
    disc(ctx, *BLUE_POS, 46, BLUE, pop(t, 3.8), fade_out)
    disc(ctx, *ORANGE_POS, 62, ORANGE, pop(t, 4.6), fade_out)
    caption(ctx, "синий", BLUE_POS[0], 390, 30, darker(BLUE, 0.2), ramp(t, 4.2, 4.6) * fade_out)
    caption(ctx, "оранжевый", ORANGE_POS[0], 405, 30, darker(ORANGE, 0.25),
            ramp(t, 5.0, 5.4) * fade_out)
    if 7.6 <= t < 10.8:
        pulse = 0.5 + 0.5 * math.sin((t - 7.6) * 6)
        ctx.new_path()
        ctx.arc(*BLUE_POS, 60 + 8 * pulse, 0, 2 * math.pi)
        ctx.set_source_rgba(1, 1, 1, 0.8)
        ctx.set_line_width(4)
        ctx.stroke()
    glide = ease(ramp(t, 11.2, 14.2))
    cx, cy = lerp(BLUE_POS[0], ORANGE_POS[0], glide), BLUE_POS[1]
    dwell = ramp(t, 15.9, 17.9)
    dwell_ring(ctx, *ORANGE_POS, 78, dwell * fade_out)
    if 15.9 <= t < 18.4:
        number = "1" if t < 16.9 else "2"
        caption(ctx, number, ORANGE_POS[0], 170, 64, darker(ORANGE, 0.3))
        caption(ctx, "подожди две секунды", 400, 80, 34, INK, ramp(t, 15.7, 16.0))
    burst(ctx, *ORANGE_POS, ramp(t, 17.9, 19.0), seed=1)
    if 7.6 <= t < 18.6:
        cursor_at(ctx, cx, cy, 2.0)
    if 10.8 <= t < 15.6:
        # The hand moving the mouse on its pad, below the screen's circles.
        pad_alpha = ramp(t, 10.8, 11.1) * (1 - ramp(t, 15.2, 15.6))
        ctx.save()
        ctx.push_group()
        rounded_rect(ctx, 180, 452, 440, 140, 18)
        ctx.set_source_rgb(0.30, 0.36, 0.48)
        ctx.fill()
        ctx.translate(lerp(215, 500, glide), 440)
        ctx.scale(1.6, 1.6)
        figures.hand_on_mouse(ctx)
        ctx.pop_group_to_source()
        ctx.paint_with_alpha(pad_alpha)
        ctx.restore()


def _second_pair(ctx, t):
    """A new pair after the signal (19.2 s .. 22.6 s)."""
    alpha = 1 - ramp(t, 22.3, 22.6)
    blue, orange = (400, 480), (400, 150)
    disc(ctx, *blue, 40, BLUE, pop(t, 19.3), alpha)
    disc(ctx, *orange, 48, ORANGE, pop(t, 19.7), alpha)
    caption(ctx, "новые кружки", 620, 300, 34, INK, ramp(t, 19.5, 19.9) * alpha)
    if t >= 20.2:
        y = lerp(blue[1], orange[1], ease(ramp(t, 20.6, 22.0)))
        ctx.push_group()
        cursor_at(ctx, 400, y, 2.0)
        ctx.pop_group_to_source()
        ctx.paint_with_alpha(alpha)


def _growing_distance(ctx, t):
    """Farther apart and smaller, step by step (22.6 s .. 28.2 s)."""
    alpha = ramp(t, 22.6, 23.0) * (1 - ramp(t, 27.8, 28.2))
    steps = [(250, 62), (390, 46), (540, 30)]
    stage = ease(ramp(t, 24.3, 25.0)) + ease(ramp(t, 26.0, 26.7))
    i = min(int(stage), 1)
    x = stage - i
    dist = lerp(steps[i][0], steps[i + 1][0], x)
    radius = lerp(steps[i][1], steps[i + 1][1], x)
    bx = 400 - (250 + 540) / 4 - 40
    ctx.push_group()
    ctx.move_to(bx + 50, 330)
    ctx.line_to(bx + dist - radius - 12, 330)
    ctx.set_source_rgba(*INK, 0.5)
    ctx.set_line_width(4)
    ctx.set_dash([14, 10])
    ctx.stroke()
    ctx.set_dash([])
    tip = bx + dist - radius - 6
    ctx.move_to(tip, 330)
    ctx.line_to(tip - 18, 320)
    ctx.line_to(tip - 18, 340)
    ctx.close_path()
    ctx.fill()
    shaded_disc(ctx, bx, 330, 40, BLUE)
    shaded_disc(ctx, bx + dist, 330, radius, ORANGE)
    ctx.pop_group_to_source()
    ctx.paint_with_alpha(alpha)
    caption(ctx, "всё дальше друг от друга", 400, 150, 40, INK, alpha)
    caption(ctx, "а оранжевый — всё меньше", 400, 470, 40, darker(ORANGE, 0.3),
            ramp(t, 24.6, 25.0) * alpha)


def _key_scene(ctx, t, start, end, label, text, face, press_at):
    alpha = ramp(t, start, start + 0.3) * (1 - ramp(t, end - 0.3, end)) if end < 33 else ramp(
        t, start, start + 0.3)
    if alpha <= 0:
        return
    ctx.push_group()
    panel(ctx, 150, 110, 500, 380)
    big_key(ctx, label, 400, 250, press_at <= t < press_at + 0.35, face)
    ctx.pop_group_to_source()
    ctx.paint_with_alpha(alpha)
    caption(ctx, text, 400, 410, 40, INK, alpha, max_width=460)
    orbiting_stars(ctx, 400, 250, 130, 85, t, alpha)


def instruction_frame(ctx, t, background):
    ctx.set_source_surface(background, 0, 0)
    ctx.paint()
    if t < 3.8:
        alpha = ramp(t, 0.0, 0.5) * (1 - ramp(t, 3.4, 3.8))
        slide = (1 - ease(ramp(t, 0.0, 0.8))) * -120
        ctx.save()
        ctx.translate(0, slide)
        ctx.push_group()
        panel(ctx, 120, 150, 560, 300)
        bob = math.sin(t * 4) * 6
        figures.mouse(ctx, 400, 230 + bob, 80, 114, left_lit=0.6 + 0.4 * math.sin(t * 5), line=1.5)
        ctx.pop_group_to_source()
        ctx.paint_with_alpha(alpha)
        caption(ctx, "Учимся управлять мышкой", 400, 400, 44, INK, alpha, max_width=520)
        ctx.restore()
    if 3.6 <= t < 19.2:
        _first_pair(ctx, t)
    if 19.2 <= t < 22.6:
        _second_pair(ctx, t)
    if 22.6 <= t < 28.2:
        _growing_distance(ctx, t)
    _key_scene(ctx, t, 28.2, 31.6, "F1", "Забыл, что делать? Нажми F1", (0.78, 0.93, 0.78), 29.6)
    _key_scene(ctx, t, 31.6, 34.0, "Esc", "Esc — пропустить", (1.0, 0.82, 0.78), 32.3)


# ---------------------------------------------------------------- clip 117: slowed stage

SCREEN = (160, 24, 480, 270)
TABLE_TOP, TABLE_EDGE = 340, 690
MOUSE_LEFT, MOUSE_RIGHT = 230, 600
SLOW = 0.45


def _mouse_track(t):
    """(mouse x, lifted 0..1, cursor progress 0..1) of the slowed-stage story."""
    stroke1 = ease(ramp(t, 4.3, 7.3))
    back = ease(ramp(t, 8.6, 9.6))
    stroke2 = ease(ramp(t, 10.0, 12.5))
    lifted = ramp(t, 8.3, 8.6) * (1 - ramp(t, 9.6, 9.9))
    if t < 8.6:
        x = lerp(MOUSE_LEFT, MOUSE_RIGHT, stroke1)
    elif t < 10.0:
        x = lerp(MOUSE_RIGHT, MOUSE_LEFT, back)
    else:
        x = lerp(MOUSE_LEFT, MOUSE_RIGHT, stroke2)
    progress = (stroke1 + stroke2) / 2.0
    return x, lifted, progress


def slowed_frame(ctx, t, background):
    ctx.set_source_rgb(0.93, 0.95, 0.98)
    ctx.paint()
    # Table with its edge on the right.
    ctx.rectangle(0, TABLE_TOP, TABLE_EDGE, 600 - TABLE_TOP)
    ctx.set_source(vgradient(TABLE_TOP, 600, (0.86, 0.66, 0.44), (0.72, 0.50, 0.30)))
    ctx.fill()
    ctx.rectangle(TABLE_EDGE, TABLE_TOP, 8, 600 - TABLE_TOP)
    ctx.set_source_rgb(0.52, 0.34, 0.18)
    ctx.fill()
    for i in range(5):
        ctx.move_to(0, TABLE_TOP + 40 + i * 52)
        ctx.curve_to(200, TABLE_TOP + 30 + i * 52, 450, TABLE_TOP + 55 + i * 52, TABLE_EDGE,
                     TABLE_TOP + 38 + i * 52)
        ctx.set_source_rgba(0.55, 0.36, 0.2, 0.25)
        ctx.set_line_width(2)
        ctx.stroke()
    # Monitor with the two circles.
    x, y, w, h = SCREEN
    rounded_rect(ctx, x - 14, y - 14, w + 28, h + 28, 14)
    ctx.set_source_rgb(0.22, 0.25, 0.32)
    ctx.fill()
    ctx.rectangle(380, y + h + 14, 40, 26)
    ctx.fill()
    ctx.save()
    ctx.rectangle(x, y, w, h)
    ctx.clip()
    ctx.translate(x, y)
    ctx.scale(w / 800.0, h / 600.0)
    ctx.set_source_surface(background, 0, 0)
    ctx.paint()
    ctx.restore()
    blue, orange = (x + 60, y + 135), (x + w - 60, y + 135)
    shaded_disc(ctx, *blue, 26, BLUE)
    shaded_disc(ctx, *orange, 32, ORANGE)
    mouse_x, lifted, progress = _mouse_track(t)
    cursor_x = lerp(blue[0], orange[0], progress)
    dwell = ramp(t, 12.6, 14.4)
    dwell_ring(ctx, *orange, 44, dwell * (1 - ramp(t, 15.4, 15.8)))
    burst(ctx, *orange, ramp(t, 14.4, 15.6), reach=110, seed=3)
    cursor_at(ctx, cursor_x, blue[1], 1.6)
    snail(ctx, x + w - 48, y + 40, 0.55)
    # The mouse on the table, lifted with a bigger shadow when carried back.
    scale = 2.2 * (1 + 0.12 * lifted)
    my = 400 - 40 * lifted
    ctx.save()
    ctx.translate(mouse_x + 10 + 18 * lifted, 420 + 10 + 10 * lifted)
    ctx.scale(1.0, 0.5)
    ctx.arc(0, 0, 50 + 10 * lifted, 0, 2 * math.pi)
    ctx.restore()
    ctx.set_source_rgba(0, 0, 0, 0.18 - 0.08 * lifted)
    ctx.fill()
    ctx.save()
    ctx.translate(mouse_x - 23 * scale, my - 20)
    ctx.scale(scale, scale)
    figures.hand_on_mouse(ctx)
    ctx.restore()
    edge_alert = ramp(t, 7.0, 7.3) * (1 - ramp(t, 8.6, 8.9))
    if edge_alert > 0:
        ctx.rectangle(TABLE_EDGE - 6, TABLE_TOP, 18, 600 - TABLE_TOP)
        ctx.set_source_rgba(0.9, 0.15, 0.1, 0.6 * edge_alert * (0.6 + 0.4 * math.sin(t * 12)))
        ctx.fill()
        caption(ctx, "край стола!", 660, 560, 34, (0.75, 0.1, 0.05), edge_alert)
    if lifted > 0:
        caption(ctx, "подними и перенеси назад", 420, 560, 34, INK, lifted)
    if t >= 14.6:
        caption(ctx, "Получилось!", 400, 480, 52, (0.15, 0.55, 0.2), ramp(t, 14.6, 15.0))
        orbiting_stars(ctx, 400, 480, 200, 45, t, ramp(t, 14.6, 15.0))
    if t < 4.2:
        alpha = 1 - ramp(t, 3.6, 4.2)
        ctx.push_group()
        ctx.set_source_rgba(0.93, 0.95, 0.98, 0.85)
        ctx.paint()
        panel(ctx, 140, 150, 520, 300)
        snail(ctx, 400, 250 + math.sin(t * 3) * 4, 1.3)
        ctx.pop_group_to_source()
        ctx.paint_with_alpha(alpha)
        caption(ctx, "Медленный курсор", 400, 385, 48, INK, alpha * ramp(t, 0.2, 0.6))


# ---------------------------------------------------------------- praise animations

PRAISE_COLOURS = {
    "bravo": ((0.98, 0.55, 0.80), (0.55, 0.30, 0.85)),
    "gotovo": ((0.70, 0.95, 0.55), (0.15, 0.60, 0.35)),
    "molodec": ((0.60, 0.85, 1.00), (0.15, 0.40, 0.85)),
    "otlichno": ((1.00, 0.85, 0.45), (0.95, 0.45, 0.10)),
    "ura": ((1.00, 0.75, 0.55), (0.85, 0.15, 0.20)),
}


def smiley(ctx, cx, cy, r, wink=0.0):
    grad = cairo.RadialGradient(cx - r * 0.3, cy - r * 0.3, r * 0.1, cx, cy, r)
    grad.add_color_stop_rgb(0, 1.0, 0.95, 0.55)
    grad.add_color_stop_rgb(1, 1.0, 0.78, 0.15)
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    ctx.set_source(grad)
    ctx.fill_preserve()
    ctx.set_source_rgb(0.85, 0.55, 0.05)
    ctx.set_line_width(r * 0.07)
    ctx.stroke()
    ctx.set_source_rgb(0.25, 0.15, 0.05)
    ctx.save()
    ctx.translate(cx - r * 0.35, cy - r * 0.2)
    ctx.scale(1, max(0.15, 1 - wink))
    ctx.arc(0, 0, r * 0.12, 0, 2 * math.pi)
    ctx.restore()
    ctx.fill()
    ctx.arc(cx + r * 0.35, cy - r * 0.2, r * 0.12, 0, 2 * math.pi)
    ctx.fill()
    ctx.arc(cx, cy + r * 0.05, r * 0.55, 0.15 * math.pi, 0.85 * math.pi)
    ctx.set_line_width(r * 0.1)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.stroke()
    for side in (-1, 1):
        ctx.arc(cx + side * r * 0.6, cy + r * 0.22, r * 0.14, 0, 2 * math.pi)
        ctx.set_source_rgba(1.0, 0.45, 0.4, 0.45)
        ctx.fill()


def praise_frame(ctx, key, word, n, frames=26):
    """One frame in a 320 x 200 design space (the clip is shown at 320 x 200)."""
    light, deep = PRAISE_COLOURS[key]
    t = n / 12.0
    grad = cairo.RadialGradient(160, 100, 10, 160, 100, 210)
    grad.add_color_stop_rgb(0, *lighter(light, 0.55))
    grad.add_color_stop_rgb(1, *light)
    ctx.set_source(grad)
    ctx.paint()
    # Slowly turning sun rays.
    ctx.save()
    ctx.translate(160, 100)
    ctx.rotate(t * 0.6)
    for i in range(12):
        ctx.move_to(0, 0)
        ctx.arc(0, 0, 260, i * math.pi / 6, i * math.pi / 6 + math.pi / 12)
        ctx.close_path()
    ctx.set_source_rgba(1, 1, 1, 0.22)
    ctx.fill()
    ctx.restore()
    rng = np.random.default_rng(sum(map(ord, key)))
    # Confetti falling.
    for i in range(28):
        x0, y0 = rng.uniform(0, 320), rng.uniform(-200, 0)
        speed, spin = rng.uniform(70, 140), rng.uniform(-6, 6)
        colour = [(1, 0.3, 0.3), (1, 0.8, 0.1), (0.2, 0.7, 1), (0.4, 0.85, 0.3), (0.8, 0.4, 1)][i % 5]
        y = y0 + speed * (t + 0.9)
        ctx.save()
        ctx.translate(x0 + 10 * math.sin(t * 3 + i), y)
        ctx.rotate(spin * t)
        ctx.rectangle(-4, -2, 8, 4)
        ctx.set_source_rgb(*colour)
        ctx.fill()
        ctx.restore()
    # Stars bursting from behind the word.
    x = (n + 2) / (frames + 2)
    burst(ctx, 160, 128, x, count=9, reach=175, seed=sum(map(ord, key)) + 1)
    smiley(ctx, 160, 58, 36 * pop(t, 0.0, 0.45), wink=1.0 if 12 <= n <= 14 else 0.0)
    scale = pop(t, 0.25, 0.5)
    if scale > 0:
        ctx.save()
        ctx.translate(160, 140)
        ctx.scale(scale, scale)
        ctx.rotate(0.06 * math.sin(t * 5))
        size = fit_font(ctx, word, 290, 56)
        set_font(ctx, size)
        centred_text(ctx, word, 0, 0, deep, outline=(1, 1, 1), outline_width=8)
        ctx.restore()


# ---------------------------------------------------------------- encoding

def encode(path, width, height, fps, frames, draw, serial, audio_ogg=None, quality=6):
    """Streams `frames` drawn frames into ffmpeg's Theora encoder (bit-exact Ogg output).

    An audio track is added afterwards by interleaving Ogg pages: ffmpeg encoding video and
    audio together lost the last frames, and its stream copy drops empty repeat-frame packets.
    """
    tmp = path + ".part.ogv"
    cmd = ["ffmpeg", "-v", "error", "-y", "-f", "rawvideo", "-pix_fmt", "bgr0", "-s",
           f"{width}x{height}", "-r", str(fps), "-i", "-"]
    cmd += ["-frames:v", str(frames), "-c:v", "libtheora", "-q:v", str(quality),
            "-pix_fmt", "yuv420p", "-an"]
    cmd += ["-fflags", "+bitexact", "-flags", "+bitexact", "-map_metadata", "-1",
            "-serial_offset", str(serial), "-f", "ogg", tmp]
    proc = subprocess.Popen(cmd, stdin=subprocess.PIPE)
    surf = cairo.ImageSurface(cairo.FORMAT_RGB24, width, height)
    samples = {}
    for n in range(frames):
        ctx = cairo.Context(surf)
        draw(ctx, n)
        surf.flush()
        data = bytes(surf.get_data())
        proc.stdin.write(data)
        if n in sample_frames(frames):
            samples[n] = np.frombuffer(data, np.uint8).reshape(height, width, 4)[..., [2, 1, 0]].copy()
    proc.stdin.close()
    if proc.wait() != 0:
        raise RuntimeError(f"ffmpeg failed for {path}")
    with open(tmp, "rb") as f:
        video = f.read()
    os.remove(tmp)
    made = ogg_pages.theora_frames(video)
    if made != frames:
        raise RuntimeError(f"{path}: {made} frames encoded instead of {frames}")
    if audio_ogg:
        with open(audio_ogg, "rb") as f:
            video = ogg_pages.mux(video, f.read())
    atomic_write_bytes(path, video)
    return samples


def sample_frames(frames):
    return {int(frames * k / 6) for k in range(6)} | {frames - 1}


def write_all(assets_dir, slowed_ogg):
    """Writes every clip; returns {name: (path, {frame number: RGB array})}."""
    written = {}
    background = images.sky(800, 600, [(140, 110, 200, 60, 0.75), (620, 80, 230, 66, 0.7),
                                       (400, 520, 260, 60, 0.45), (700, 420, 150, 44, 0.45),
                                       (90, 440, 140, 40, 0.4)])
    path = os.path.join(assets_dir, "numbered", "115.ogv")
    written["115"] = (path, encode(path, 800, 600, 25, 825,
                                   lambda ctx, n: instruction_frame(ctx, n / 25.0, background),
                                   serial=115))
    path = os.path.join(assets_dir, "numbered", "117.ogv")
    written["117"] = (path, encode(path, 800, 600, 25, 415,
                                   lambda ctx, n: slowed_frame(ctx, n / 25.0, background),
                                   serial=117, audio_ogg=slowed_ogg))
    for key, word in texts.PRAISE.items():
        def draw(ctx, n, key=key, word=word):
            # Drawn in the 320 x 200 shape the clip is shown in, stored 320 x 240.
            ctx.scale(1.0, 240 / 200.0)
            praise_frame(ctx, key, word, n)
        name = key + "_clip"
        path = os.path.join(assets_dir, "clips", name + ".ogv")
        written[name] = (path, encode(path, 320, 240, 12, 26, draw, serial=200 + len(written)))
    return written
