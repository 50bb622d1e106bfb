"""A real drag of two items from the unpacker's item list onto another program's window: the
dropped file URLs name existing files that hold what extract writes for those items. Run by
xvfb_run.sh with the program, the command-line program, the drop target and an archive."""
import os
import shutil
import subprocess
import sys
import tempfile
import time
from urllib.parse import unquote, urlparse

import pyatspi

from atspi_support import TIMEOUT, environment, poll, start, wait_for, window

ATTEMPTS = 3  # drags tried before giving up


def nodes(node):
    for child in node:
        if child is None:
            continue
        yield child
        if child.getRoleName() not in ("list item", "table cell", "tree item"):
            yield from nodes(child)


def loaded_items(unpacker):
    """The item list once it has two rows."""
    table = next((n for n in nodes(unpacker) if n.name == "Einträge"), None)
    return table if table is not None and table.queryTable().nRows >= 2 else None


def centre(table, row):
    x, y, w, h = table.queryTable().getAccessibleAt(row, 1).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return x + w // 2, y + h // 2


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True)
    time.sleep(0.05)


def drag(start, end):
    """Presses at start, moves in small steps to end and releases there."""
    xdotool("mousemove", *start)
    xdotool("mousedown", 1)
    steps = 30
    for i in range(1, steps + 1):
        xdotool("mousemove", start[0] + (end[0] - start[0]) * i // steps, start[1] + (end[1] - start[1]) * i // steps)
    for dx in (3, -3, 3):  # a few moves over the target, so that it answers the drag
        xdotool("mousemove", end[0] + dx, end[1])
        time.sleep(0.2)
    xdotool("mouseup", 1)


def dropped(listing):
    if not os.path.exists(listing):
        return None
    with open(listing, encoding="utf-8") as urls:
        return [line.strip() for line in urls if line.strip()]


def check(urls, expected):
    files = []
    for url in urls:
        parsed = urlparse(url)
        if parsed.scheme != "file":
            sys.exit(f"not a file URL: {url}")
        files.append(unquote(parsed.path))
    if len(files) != 2:
        sys.exit(f"two files expected: {urls}")
    for path in files:
        if not os.path.isfile(path):
            sys.exit(f"dropped file missing: {path}")
        twin = os.path.join(expected, os.path.basename(path))
        with open(path, "rb") as got, open(twin, "rb") as want:
            if got.read() != want.read():
                sys.exit(f"{path} differs from what extract writes")


def main():
    program, cli, target_program, archive = sys.argv[1:5]
    home = tempfile.mkdtemp(prefix="varnox-drag-")
    os.makedirs(os.path.join(home, "tmp"))
    game = os.path.join(home, "game.res")
    shutil.copy(archive, game)
    env = environment(home)
    expected = os.path.join(home, "extracted")
    subprocess.run([cli, "extract", game, expected], env=env, check=True, stdout=subprocess.DEVNULL)
    listing = os.path.join(home, "dropped.txt")
    varnox = target = None
    try:
        app, varnox = start([program, game], env, home)
        unpacker = wait_for("the unpacker window", lambda: window(app, "Varnox unpack"))
        table = wait_for("the items of game.res", lambda: loaded_items(unpacker))
        first, second = centre(table, 0), centre(table, 1)
        # The target goes below the rows, over the rest of the window, mapped last so on top.
        target = subprocess.Popen([target_program, listing, str(max(0, second[0] - 150)), str(second[1] + 60)],
                                  env=env, stdout=subprocess.PIPE, text=True)
        if target.stdout.readline().strip() != "ready":
            sys.exit("the drop target did not start")
        end = (second[0], second[1] + 210)
        for _ in range(ATTEMPTS):
            xdotool("mousemove", *first)
            xdotool("click", 1)
            xdotool("keydown", "ctrl")
            xdotool("mousemove", *second)
            xdotool("click", 1)
            xdotool("keyup", "ctrl")
            time.sleep(0.5)
            drag(second, end)
            urls = poll(lambda: dropped(listing), 20)
            if urls:
                check(urls, expected)
                break
        else:
            sys.exit("nothing dropped")
    finally:
        for process in (target, varnox):
            if process is not None:
                process.terminate()
                process.wait(TIMEOUT)
        shutil.rmtree(home, ignore_errors=True)
    print("ok")


main()
