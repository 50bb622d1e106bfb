"""The windows through the accessibility tree, as a screen reader sees them: every list,
field, table, combo box, preview and button has a name, and the unpacker's path field takes
a hidden folder typed into it. Run by xvfb_run.sh with the program as argument."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

TIMEOUT = 60  # seconds for anything to appear
NAMED_ROLES = {"list", "table", "tree table", "text", "combo box", "push button", "filler", "check box",
               "radio button", "progress bar"}


def wait_for(what, find):
    end = time.monotonic() + TIMEOUT
    while time.monotonic() < end:
        try:
            found = find()
        except Exception:  # the tree changes while it is read
            found = None
        if found:
            return found
        time.sleep(0.1)
    sys.exit(f"not found in {TIMEOUT} s: {what}")


def nodes(node, inside=False):
    """Every node under node, with whether it is a part of a named combo box or text box
    (its list, its scroll bars' areas)."""
    for child in node:
        if child is None:
            continue
        yield child, inside and child.getRoleName() != "push button"
        if child.getRoleName() not in ("list item", "table cell", "tree item"):
            yield from nodes(child, inside or child.getRoleName() in ("combo box", "text"))


def find(node, role, name):
    return next((n for n, _ in nodes(node) if n.getRoleName() == role and n.name == name), None)


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "varnox" and app.childCount > 0:
            return app
    return None


def window(app, title):
    return next((w for w in app if w is not None and w.name.startswith(title)), None)


def unnamed(win):
    return [f"{n.getRoleName()} in {n.parent.getRoleName()} '{n.parent.name}'" for n, part in nodes(win)
            if not part and n.getRoleName() in NAMED_ROLES and not n.name.strip()]


def main():
    program, archive = sys.argv[1], sys.argv[2]
    home = tempfile.mkdtemp(prefix="varnox-atspi-")
    hidden = os.path.join(home, ".steam", "common")
    os.makedirs(hidden)
    os.makedirs(os.path.join(home, "tmp"))
    shutil.copy(archive, os.path.join(hidden, "game.res"))
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", HOME=home, TMPDIR=os.path.join(home, "tmp"),
               XDG_CONFIG_HOME=os.path.join(home, "config"), XDG_DATA_HOME=os.path.join(home, "data"),
               LANGUAGE="", LC_ALL="C.UTF-8", LANG="C.UTF-8")
    varnox = None
    try:
        # A loaded X server may refuse a connection now and then (EAGAIN); the program, which
        # then ends at once, is started again.
        for _ in range(5):
            varnox = subprocess.Popen([program], env=env, cwd=home)
            app = wait_for("the program", lambda: application() or varnox.poll() is not None)
            if varnox.poll() is None:
                break
        app = wait_for("the program", application)
        converter = wait_for("the converter window", lambda: window(app, "Varnox Convert"))
        wait_for("the unpack button", lambda: find(converter, "push button", "unpack")).queryAction().doAction(0)
        unpacker = wait_for("the unpacker window", lambda: window(app, "Varnox unpack"))
        missing = unnamed(converter) + unnamed(unpacker)

        path = wait_for("the path field", lambda: find(unpacker, "text", "Pfad"))
        path.queryComponent().grabFocus()
        path.queryEditableText().setTextContents(hidden)
        wait_for("the typed path", lambda: path.queryText().getText(0, -1) == hidden)
        pyatspi.Registry.generateKeyboardEvent(0xFF0D, None, pyatspi.KEY_SYM)  # Return
        files = wait_for("the file list", lambda: find(unpacker, "list", "Dateien"))
        wait_for("game.res in Dateien", lambda: any(item.name == "game.res" for item in files))
        if missing:
            sys.exit("without a name: " + ", ".join(missing))
    finally:
        if varnox is not None:
            varnox.terminate()
            varnox.wait(TIMEOUT)
        shutil.rmtree(home, ignore_errors=True)
    print("ok")


main()
