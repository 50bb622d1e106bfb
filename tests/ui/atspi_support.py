"""What the window tests share: waiting for the accessibility tree, finding the program and
its windows, and starting the program with a home of its own."""
import os
import subprocess
import sys
import time

import pyatspi

TIMEOUT = 60  # seconds for anything to appear


def poll(find, timeout=TIMEOUT):
    """What find gives first within timeout seconds, else None."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        try:
            found = find()
        except Exception:  # the tree changes while it is read
            found = None
        if found:
            return found
        time.sleep(0.1)
    return None


def wait_for(what, find):
    return poll(find) or sys.exit(f"not found in {TIMEOUT} s: {what}")


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "varnox" and app.childCount > 0:
            return app
    return None


def window(app, title):
    return next((w for w in app if w is not None and w.name.startswith(title)), None)


def environment(home):
    """German texts, the accessibility bridge on, and every setting and temporary file in home."""
    return dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", HOME=home, TMPDIR=os.path.join(home, "tmp"),
                XDG_CONFIG_HOME=os.path.join(home, "config"), XDG_DATA_HOME=os.path.join(home, "data"),
                LANGUAGE="", LC_ALL="C.UTF-8", LANG="C.UTF-8")


def start(command, env, home):
    """The program started and seen in the tree, with its process. A loaded X server may
    refuse a connection now and then (EAGAIN); the program, which then ends at once, is
    started again."""
    process = None
    for _ in range(5):
        process = subprocess.Popen(command, env=env, cwd=home)
        wait_for("the program", lambda: application() or process.poll() is not None)
        if process.poll() is None:
            break
    return wait_for("the program", application), process
