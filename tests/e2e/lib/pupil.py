#!/usr/bin/env python3
"""A pupil at the mouse, driven only through what the screen shows.

Each pair's orange target is found on a screen grab; the pointer is then brought onto it with a
slow hand (many small steps) or a quick one (one jump, straight off the blue circle), and rests
there until the program takes the pointer to the next pair. In the slowed stage the program pulls
the pointer back to its drawn arrow after every report; the pupil then makes big strokes towards
the target, each one the dead zone's width times the way still to go.

Usage: pupil.py slow|quick TASKS [DEAD_ZONE]
Prints one line per task done and exits 0 when TASKS tasks were completed.

Usage: pupil.py probe STROKE
Waits for a pair, moves the hand STROKE pixels from the pointer towards the target's side and
prints how far the pointer then stands from where it was, as "dx dy" (in the slowed stage the
program pulls it back to the drawn arrow's tip).
"""
import subprocess
import sys
import time

WIDTH, HEIGHT = 800, 600


def run(*args):
    return subprocess.run(args, check=False, capture_output=True, text=True).stdout


def pointer():
    fields = dict(part.split(":") for part in run("xdotool", "getmouselocation").split()[:2])
    return int(fields["x"]), int(fields["y"])


def move(x, y):
    x = max(0, min(WIDTH - 1, int(round(x))))
    y = max(0, min(HEIGHT - 1, int(round(y))))
    run("xdotool", "mousemove", str(x), str(y))


def grab():
    import os
    display = os.environ["DISPLAY"]
    return subprocess.run(["ffmpeg", "-loglevel", "error", "-f", "x11grab", "-video_size",
                           "%dx%d" % (WIDTH, HEIGHT), "-draw_mouse", "0", "-i", display, "-frames:v", "1",
                           "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                          check=False, capture_output=True).stdout


def target(frame=None):
    """Centre of the orange target circle (found by its deep orange centre mark, which nothing else
    on the exercise's or the instructions' screens has), or None when none is on screen."""
    frame = frame if frame is not None else grab()
    if len(frame) < WIDTH * HEIGHT * 3:
        return None
    xs = ys = count = blue = 0
    for y in range(0, HEIGHT, 2):
        row = y * WIDTH * 3
        for x in range(0, WIDTH, 2):
            i = row + x * 3
            r, g, b = frame[i], frame[i + 1], frame[i + 2]
            if r > 235 and 125 < g < 185 and b < 90:
                xs += x
                ys += y
                count += 1
            elif abs(r - 102) < 20 and abs(g - 102) < 20 and abs(b - 204) < 20:
                blue += 1
    # A task is a pair: the 20-pixel centre mark (about 80 samples; the slowed stage's clip draws
    # a much larger deep orange target, and some frames of it a little blue) and the blue start
    # circle, 20 pixels across, most of it showing.
    if not 4 <= count <= 150 or blue < 24:
        return None
    return xs / count, ys / count


def still_there(goal, frame):
    """Whether the target found at `goal` is still fully on screen, by the orange of its fill
    around that point: unlike its centre mark, which the drawn arrow resting on it covers in part,
    the fill always shows. A fading target's colours leave the range at once. The next pair's
    target may stand so close that its fill shows around `goal` too: once a target is seen
    anywhere else, the one at `goal` is gone."""
    if len(frame) < WIDTH * HEIGHT * 3:
        return True
    gx, gy = int(goal[0]), int(goal[1])
    count = 0
    for y in range(max(0, gy - 20), min(HEIGHT, gy + 21)):
        row = y * WIDTH * 3
        for x in range(max(0, gx - 20), min(WIDTH, gx + 21)):
            i = row + x * 3
            r, g, b = frame[i], frame[i + 1], frame[i + 2]
            if r > 235 and 110 < g < 215 and b < 180:
                count += 1
    if count < 40:
        return False
    elsewhere = target(frame)
    return not (elsewhere and not near(elsewhere, goal, SAME_PLACE))


def wait_for_target(seconds, previous=None):
    """The next target to appear; one still fading out where the last one stood is not it, and
    neither is a single frame of the slowed stage's clip, where for one frame (at 4.04 s) its
    growing target and its blue circle look like a pair: a pair stands still, so it is taken only
    when a second grab a moment later finds it in the same place."""
    end = time.time() + seconds
    while time.time() < end:
        t = target()
        if t and not (previous and near(t, previous, SAME_PLACE)):
            time.sleep(0.2)
            again = target()
            if again and near(again, t, 3):
                return again
        time.sleep(0.1)
    return None


# A target found this close to the last one is that one still fading out (the drawn arrow resting
# on it shifts what is seen of its centre mark by a few pixels); the next pair's target may stand
# as little as a circle's width away.
SAME_PLACE = 8


def near(a, b, distance):
    return abs(a[0] - b[0]) <= distance and abs(a[1] - b[1]) <= distance


def reach(goal, hand, dead_zone):
    """Brings the pointer onto `goal`; returns once it rests within a few pixels of it."""
    start = pointer()
    if hand == "slow":
        steps = 25
        for i in range(1, steps + 1):
            move(start[0] + (goal[0] - start[0]) * i / steps, start[1] + (goal[1] - start[1]) * i / steps)
            time.sleep(0.02)
    else:
        move(*goal)
    for _ in range(400):
        time.sleep(0.06)
        here = pointer()
        if near(here, goal, 3):
            return True
        # Pulled back to the drawn arrow: a stroke as long as the zone times the way to go.
        move(here[0] + (goal[0] - here[0]) * dead_zone, here[1] + (goal[1] - here[1]) * dead_zone)
    return False


def probe(stroke):
    goal = wait_for_target(45)
    if not goal:
        print("no target on screen")
        return 1
    before = pointer()
    direction = 1 if goal[0] >= before[0] else -1
    move(before[0] + direction * stroke, before[1])
    time.sleep(0.5)
    after = pointer()
    print("%d %d" % (after[0] - before[0], after[1] - before[1]))
    return 0


def main():
    if sys.argv[1] == "probe":
        return probe(int(sys.argv[2]))
    hand, tasks = sys.argv[1], int(sys.argv[2])
    dead_zone = int(sys.argv[3]) if len(sys.argv) > 3 else 25
    goal = None
    for task in range(1, tasks + 1):
        goal = wait_for_target(45, goal)
        if not goal:
            print("task %d: no target on screen" % task)
            return 1
        if not reach(goal, hand, dead_zone):
            print("task %d: the pointer never rested on the target at %s" % (task, goal))
            return 1
        # Two seconds of rest, the success sound and the fade-out: the task is done when its
        # target goes away. The pointer moving is no sign of it: in the slowed stage the program
        # may still pull it back to the arrow's tip after a late report; it is brought back.
        # Gone means gone on two grabs in a row.
        end = time.time() + 10
        gone = 0
        while time.time() < end:
            time.sleep(0.2)
            gone = 0 if still_there(goal, grab()) else gone + 1
            if gone == 2:
                break
            # Pulled off it while it is still there (the slowed stage's late pull-back to the
            # arrow, or the pair's own placing of the pointer on its start circle after a quick
            # hand got there first): back onto it.
            if not gone and not near(pointer(), goal, 3):
                reach(goal, hand, dead_zone)
        else:
            print("task %d: resting on the target at %s did not complete it" % (task, goal))
            return 1
        print("task %d done (%s hand, target at %d,%d)" % (task, hand, goal[0], goal[1]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
