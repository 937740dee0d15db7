#!/usr/bin/env python3
"""The binary with its standard streams on pseudo-terminals.

The picture drawn as text is read back cell by cell, following its escape
sequences, and compared with the PNG that the same run writes to a pipe,
averaged here over the same boxes with exact fractions. Hints must reach a
terminal and never a pipe.

usage: terminal_test.py TESSADOX_BINARY
"""
import fcntl
import math
import os
import pty
import re
import select
import signal
import struct
import subprocess
import sys
import termios
from fractions import Fraction

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from reference_model import decode_png  # noqa: E402

BINARY = sys.argv[1]
MD5_EMPTY = b"d41d8cd98f00b204e9800998ecf8427e  -\n"
MD5_FOX = b"9e107d9d372bb6826bd81d3542a419d6  -\n"
SHA256_EMPTY = b"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855  -\n"
PNG_WARNING = b"warning in PNG (but exiting)\n: "
UPPER, LOWER = "\u2580", "\u2584"
RAMP = " .:-=+*#%@"


def pinned_clock(second):
    """The environment that makes a run draw the points of `second`."""
    return {"SOURCE_DATE_EPOCH": str(second)}


def open_terminal(rows, columns):
    """A pseudo-terminal of the given window size (0 x 0: none set), which
    passes bytes through unchanged: no newline translation, no echo."""
    master, slave = pty.openpty()
    if rows or columns:
        fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", rows, columns, 0, 0))
    attributes = termios.tcgetattr(slave)
    attributes[1] &= ~termios.OPOST
    attributes[3] &= ~termios.ECHO
    termios.tcsetattr(slave, termios.TCSANOW, attributes)
    return master, slave


def run(args, text=MD5_EMPTY, env=None, terminals="out", rows=40, columns=100, second=1700000000,
        before_input=None):
    """Runs the binary with the streams named in `terminals` ("in", "out",
    "err") on pseudo-terminals, the others on pipes. Returns the status and
    what standard output and standard error received. `before_input`, if
    given, is waited for on standard error before the input is written."""
    parent, child = {}, {}
    for name in ("in", "out", "err"):
        if name in terminals:
            parent[name], child[name] = open_terminal(rows, columns)
        else:
            read_end, write_end = os.pipe()
            parent[name], child[name] = (write_end, read_end) if name == "in" else (read_end,
                                                                                      write_end)
    process = subprocess.Popen([BINARY] + args, stdin=child["in"], stdout=child["out"],
                               stderr=child["err"], env={**pinned_clock(second), **(env or {})})
    for end in child.values():
        os.close(end)
    received = {"out": b"", "err": b""}
    if before_input is not None:
        while before_input not in received["err"]:
            ready, _, _ = select.select([parent["err"]], [], [], 10)
            if not ready:
                break
            received["err"] += os.read(parent["err"], 65536)
    os.write(parent["in"], text)
    if "in" not in terminals:
        os.close(parent["in"])
    open_ends = {parent["out"]: "out", parent["err"]: "err"}
    # A long run on a pipe is silent until its picture: in the sanitizer
    # build on a busy machine that takes well over half a minute.
    while open_ends:
        ready, _, _ = select.select(list(open_ends), [], [], 150)
        if not ready:
            process.kill()
            break
        for end in ready:
            try:
                data = os.read(end, 65536)
            except OSError:  # a terminal whose other side is closed
                data = b""
            if data:
                received[open_ends[end]] += data
            else:
                os.close(end)
                del open_ends[end]
    status = process.wait()
    if "in" in terminals:
        os.close(parent["in"])
    return status, received["out"], received["err"]


def png_rows(args, text=MD5_EMPTY, second=1700000000):
    status, out, _ = run(args, text, terminals="", second=second)
    assert status == 0, args
    return decode_png(out)


def box_pixels(size, n, row, column, rows=1):
    """The pixels under square (row, column) of an n x n grid (or `rows`
    squares downwards), each with the area of it inside the box."""
    top, bottom = Fraction(row * size, n), Fraction((row + rows) * size, n)
    left, right = Fraction(column * size, n), Fraction((column + 1) * size, n)
    for y in range(math.floor(top), math.ceil(bottom)):
        height = min(bottom, y + 1) - max(top, y)
        for x in range(math.floor(left), math.ceil(right)):
            yield y, x, height * (min(right, x + 1) - max(left, x))


def box_mean(image, n, row, column, rows=1):
    sums, area = [Fraction(0)] * 3, Fraction(0)
    for y, x, weight in box_pixels(len(image), n, row, column, rows):
        pixel = image[y][3 * x:3 * x + 3]
        sums = [s + weight * v for s, v in zip(sums, pixel)]
        area += weight
    return [s / area for s in sums]


def all_background(image, n, row, column, level, rows=1):
    return all(image[y][3 * x:3 * x + 3] == [level] * 3
               for y, x, _ in box_pixels(len(image), n, row, column, rows))


def palette_color(index):
    """The xterm palette above the 16 system colours."""
    if index >= 232:
        return [8 + 10 * (index - 232)] * 3
    levels = [0, 95, 135, 175, 215, 255]
    index -= 16
    return [levels[index // 36], levels[index // 6 % 6], levels[index % 6]]


class Screen:
    """A drawn picture read back: for every line the (upper, lower) colour
    of each cell, None where the terminal's own background shows."""

    def __init__(self, output, problems):
        self.lines = []
        text = output.decode("utf-8")
        if not text.endswith("\n"):
            problems.append("the cursor is not left on a fresh line")
        for line in text.split("\n")[:-1]:
            if not line.endswith("\x1b[0m"):
                problems.append(f"line {len(self.lines)} does not end with a reset")
            self.lines.append(self.read_line(line[:-len("\x1b[0m")], problems))

    @staticmethod
    def read_line(line, problems):
        foreground = background = None
        cells = []
        for sequence, glyph in re.findall(r"\x1b\[([0-9;]*)m|(.)", line):
            if glyph == UPPER:
                cells.append((foreground, background))
            elif glyph == LOWER:
                cells.append((background, foreground))
            elif glyph == " ":
                cells.append((background, background))
            elif glyph:
                problems.append(f"unexpected character {glyph!r}")
            else:
                parameters = [int(p) for p in sequence.split(";")]
                while parameters:
                    code = parameters.pop(0)
                    if code in (38, 48):
                        kind = parameters.pop(0)
                        color = tuple(parameters[:3] if kind == 2 else parameters[:1])
                        del parameters[:3 if kind == 2 else 1]
                        color = (kind,) + color
                    elif code == 49:
                        color = None
                    else:
                        problems.append(f"unexpected attribute {code} inside a line")
                        continue
                    if color == (foreground if code == 38 else background):
                        problems.append(f"a colour set again unchanged: {sequence}")
                    if code == 38:
                        foreground = color
                    else:
                        background = color
        return cells

    def half_cells(self):
        """The grid squares row by row, as drawn."""
        rows = []
        for cells in self.lines:
            rows.append([upper for upper, _ in cells])
            rows.append([lower for _, lower in cells])
        return rows


def check_picture(name, args, env, rows, columns, side, problems, transparent=None):
    """Draws on a terminal, then checks every grid square against the PNG."""
    status, out, err = run(args, env=env, rows=rows, columns=columns)
    if status != 0 or err or out.startswith(b"\x89PNG"):
        problems.append(f"{name}: status {status}, error {err!r}, PNG {out[:4]!r}")
        return
    screen = Screen(out, problems)
    image = png_rows(args)
    if len(screen.lines) != (side + 1) // 2 or any(len(c) != side for c in screen.lines):
        problems.append(f"{name}: {len(screen.lines)} lines of {len(screen.lines[0])} cells "
                        f"for a grid of {side}")
        return
    drawn = screen.half_cells()
    for row in range(side + 1 if side % 2 else side):
        for column in range(side):
            shown = drawn[row][column]
            if row == side:
                expected_none = True  # below the last grid row
            elif transparent is not None:
                expected_none = all_background(image, side, row, column, transparent)
            else:
                expected_none = False
            if (shown is None) != expected_none:
                problems.append(f"{name}: square {row},{column} shows {shown}")
                continue
            if shown is None:
                continue
            mean = box_mean(image, side, row, column)
            if shown[0] == 2:
                far = [abs(d - m) for d, m in zip(shown[1:], mean)]
                if max(far) > Fraction(1, 2):
                    problems.append(f"{name}: square {row},{column} is {shown[1:]}, "
                                    f"its mean {[float(m) for m in mean]}")
            else:
                # The index drawn is nearest to the mean rounded; allow for
                # that rounding, half a step on each channel.
                def distance(index):
                    return math.dist(palette_color(index), mean)
                nearest = min(distance(index) for index in range(16, 256))
                if distance(shown[1]) > nearest + math.sqrt(3):
                    problems.append(f"{name}: square {row},{column} is colour {shown[1]}, "
                                    f"not the nearest to {[float(m) for m in mean]}")


def test_colour_pictures(problems):
    truecolor = {"COLORTERM": "truecolor", "TERM": "xterm"}
    # 50 pixels onto 22 squares: boxes of 2 3/11 pixels split pixels.
    check_picture("split boxes", ["-r", "50"], truecolor, 12, 100, 22, problems)
    # An odd grid: the last line holds upper halves only. Red and blue
    # exchanged as in the PNG.
    check_picture("odd side, -c", ["-r", "50", "-c"], {"COLORTERM": "24bit"}, 40, 21, 21,
                  problems)
    # A window larger than the picture: one pixel per square, never more.
    check_picture("see-through", ["-r", "30", "-a", "-t", "-b", "30"], truecolor, 40, 100, 30,
                  problems, transparent=30)
    check_picture("256 colours", ["-r", "50", "-b", "255"], {"TERM": "xterm-256color"}, 20, 100,
                  38, problems)


def test_text_only(problems):
    for env in ({"NO_COLOR": "1", "COLORTERM": "truecolor"}, {"TERM": "dumb"}):
        status, out, err = run(["-r", "64"], env=env, rows=20, columns=100)
        lines = out.decode("ascii", "replace").split("\n")
        side = 38
        image = png_rows(["-r", "64"])
        if status != 0 or err or b"\x1b" in out or lines[-1] != "" or len(lines) - 1 != 19:
            problems.append(f"text {env}: status {status}, {len(lines) - 1} lines, "
                            f"escape sequences: {out.count(27)}")
            continue
        for row, line in enumerate(lines[:-1]):
            if len(line) != side or any(c not in RAMP for c in line):
                problems.append(f"text {env}: line {row} is {line!r}")
                continue
            for column, character in enumerate(line):
                mean = box_mean(image, side, 2 * row, column, 2)
                brightness = (299 * mean[0] + 587 * mean[1] + 114 * mean[2]) / 1000
                blank = all_background(image, side, 2 * row, column, 0, 2)
                if blank and character != " " or brightness >= 1.5 and character == " ":
                    problems.append(f"text {env}: {row},{column} is {character!r} "
                                    f"at brightness {float(brightness)}")


def test_sizes(problems):
    """The window's size first, COLUMNS and LINES second, 80 x 24 last."""
    cases = [
        (12, 100, {"COLUMNS": "30", "LINES": "11"}, 11, 22),
        (0, 0, {"COLUMNS": "30", "LINES": "11"}, 10, 20),
        (0, 0, {}, 23, 46),
        (0, 0, {"COLUMNS": "wide", "LINES": "0"}, 23, 46),
    ]
    for rows, columns, env, lines, cells in cases:
        status, out, _ = run(["-r", "64"], env={"TERM": "dumb", **env}, rows=rows,
                             columns=columns)
        drawn = out.decode("ascii").split("\n")[:-1]
        if status != 0 or len(drawn) != lines or any(len(line) != cells for line in drawn):
            problems.append(f"size {rows}x{columns} {env}: {len(drawn)} lines of "
                            f"{len(drawn[0]) if drawn else 0}, wanted {lines} of {cells}")


def test_refusals(problems):
    """What the PNG writer refuses ends the same way on a terminal."""
    for args in (["-r", "0"], ["-r", "-5"], ["-r", "8", "-t", "-b", "256"],
                 ["-r", "8", "-t", "-b", "-1"]):
        result = run(args)
        if result != (1, b"", PNG_WARNING):
            problems.append(f"refusal {args}: {result}")
    # The PNG writer takes the low 16 bits of the level: 65543 is 7.
    status, out, _ = run(["-r", "8", "-t", "-b", "65543"], env={"COLORTERM": "truecolor"})
    if status != 0 or b"\x1b[38;2;" not in out:
        problems.append(f"-t -b 65543: status {status}")


def test_hints(problems):
    """On a terminal standard error, one line of advice; in a pipe, nothing."""
    short = b"tessadox: the checksum has 32 hexadecimal digits; -l 32 reads them all\n"
    tagged = (b"tessadox: the input is a tagged line, NAME (FILE) = CHECKSUM; run the checksum "
              b"tool without --tag\n")
    longer = b"tessadox: the checksum has 64 hexadecimal digits; -l 64 reads them all\n"
    for args, text, hint in ((["-l", "64", "-r", "16"], MD5_EMPTY, short),
                             (["-r", "16"], SHA256_EMPTY, longer),
                             (["-r", "16"], b"MD5 (-) = d41d8cd98f00b204e9800998ecf8427e\n",
                              tagged)):
        piped = run(args, text, terminals="")
        on_terminal = run(args, text, terminals="err")
        if piped[0] != 0 or piped[2] != b"":
            problems.append(f"hint {args} in a pipe: {piped[0]} {piped[2]!r}")
        if on_terminal != (0, piped[1], hint):
            problems.append(f"hint {args} on a terminal: {on_terminal[0]} {on_terminal[2]!r}")
    # A hint on a terminal takes a line that the picture leaves it, so that
    # both stay in sight: one line fewer than without a hint.
    quiet = run(["-r", "300"], MD5_EMPTY, terminals="out err", rows=20)
    hinted = run(["-r", "300"], SHA256_EMPTY, terminals="out err", rows=20)
    lines = (quiet[1].count(b"\n"), hinted[1].count(b"\n"))
    if quiet[2] != b"" or lines != (19, 18):
        problems.append(f"room for the hint: {lines} lines")
    # A terminal on standard input: the hint comes before the read waits.
    waiting = b"tessadox: standard input is a terminal"
    status, out, err = run(["-r", "16"], MD5_FOX, terminals="in err", before_input=waiting)
    if status != 0 or not err.startswith(waiting) or err.count(b"\n") != 1:
        problems.append(f"hint for typed input: {status} {err!r}")
    if out != run(["-r", "16"], MD5_FOX, terminals="")[1]:
        problems.append("typed input drew another picture")


def test_progress(problems):
    """A long run shows its progress on a terminal standard error, erases it
    at the end or when interrupted, and says nothing on a pipe."""
    # About two seconds on one core of the development machine: the line
    # shows from the first second on.
    long_run = ["-r", "1000", "-i", "600", "-g"]
    one_thread = {"TESSADOX_THREADS": "1"}
    status, _, err = run(long_run, env=one_thread, terminals="err")
    lines = re.findall(rb"\rtessadox: (\d+)% drawn", err)
    if status != 0 or not lines:
        problems.append(f"progress on a terminal: status {status}, {err[:80]!r}")
    elif not err.endswith(b"\r" + b" " * 40 + b"\r"):
        problems.append(f"progress not erased at the end: {err[-60:]!r}")
    elif [int(p) for p in lines] != sorted(int(p) for p in lines):
        problems.append(f"progress goes back: {lines}")
    status, _, err = run(long_run, env=one_thread, terminals="")
    if status != 0 or err != b"":
        problems.append(f"progress on a pipe: status {status}, {err[:80]!r}")
    # Interrupted: the line is erased, then the run dies by the signal.
    status, err = interrupted(long_run + ["-i", "2000"], one_thread)
    if status != -signal.SIGINT or not err.endswith(b"\r" + b" " * 40 + b"\r"):
        problems.append(f"interrupted progress: status {status}, {err[-60:]!r}")


def interrupted(args, env):
    """Runs on a terminal standard error until the first progress line, then
    sends SIGINT; returns the status and what standard error received."""
    parent, child = open_terminal(40, 100)
    with open(os.devnull, "wb") as sink:
        process = subprocess.Popen([BINARY] + args, stdin=subprocess.PIPE, stdout=sink,
                                   stderr=child, env={**pinned_clock(1), **env})
    os.close(child)
    process.stdin.write(MD5_EMPTY)
    process.stdin.close()
    err = b""
    while b"% drawn" not in err:
        ready, _, _ = select.select([parent], [], [], 30)
        if not ready:
            break
        err += os.read(parent, 65536)
    process.send_signal(signal.SIGINT)
    status = process.wait()
    while select.select([parent], [], [], 0.5)[0]:
        try:
            data = os.read(parent, 65536)
        except OSError:
            break
        if not data:
            break
        err += data
    os.close(parent)
    return status, err


def main():
    groups = [test_colour_pictures, test_text_only, test_sizes, test_refusals, test_hints,
              test_progress]
    failed = 0
    for group in groups:
        problems = []
        group(problems)
        failed += bool(problems)
        print(("ok   " if not problems else "FAIL ") + group.__name__)
        for problem in problems[:10]:
            print("     " + problem)
    print(f"{len(groups) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
