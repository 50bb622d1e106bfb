"""The windows through the accessibility tree, as a screen reader sees them: every list,
field, table, combo box, preview and button has a name, and the unpacker's path field takes
a hidden folder typed into it. Run by xvfb_run.sh with the program as argument."""
import os
import shutil
import sys
import tempfile

import pyatspi

from atspi_support import TIMEOUT, environment, start, wait_for, window

NAMED_ROLES = {"list", "table", "tree table", "text", "combo box", "push button", "filler", "check box",
               "radio button", "progress bar"}


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
    varnox = None
    try:
        app, varnox = start([program], environment(home), home)
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
