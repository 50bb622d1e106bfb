#!/usr/bin/env python3
"""varnox-cli with real pipes and a real terminal: "-" as standard input or output, the
progress bar on a terminal and none on a pipe, -q and -v.

Usage: cli_pipes_test.py VARNOX_CLI DEMO_FOLDER (demo.gfp, demo.tga, demo.res)."""

import os
import pty
import shutil
import subprocess
import sys
import tempfile

cli, demo = sys.argv[1], sys.argv[2]
env = {k: v for k, v in os.environ.items() if k not in ("LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG")}
env["LC_ALL"] = "C.UTF-8"
failures = []


def run(args, stdin=b"", cwd=None, extra=None):
    return subprocess.run([cli] + args, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          cwd=cwd, env=dict(env, **(extra or {})), timeout=120)


def check(name, ok, detail=""):
    if not ok:
        failures.append(f"{name}: {detail}")


def read(path):
    with open(path, "rb") as f:
        return f.read()


work = tempfile.mkdtemp()
try:
    for name in ("demo.gfp", "demo.tga", "demo.res"):
        shutil.copy(os.path.join(demo, name), work)
    gfp, tga = os.path.join(work, "demo.gfp"), os.path.join(work, "demo.tga")
    gfp_bytes = read(gfp)
    assert run(["gfp2png", gfp]).returncode == 0 and run(["gfp2tga", gfp]).returncode == 0
    png_file, tga_file = read(os.path.join(work, "demo.png")), read(os.path.join(work, "demo.tga"))
    assert run(["thumbnail", "-s", "64", gfp, os.path.join(work, "t.png")]).returncode == 0
    thumb = read(os.path.join(work, "t.png"))
    damaged = gfp_bytes[: len(gfp_bytes) // 2]

    # name, args, stdin, expected exit code, expected stdout (None: not checked), stderr part
    cases = [
        ("gfp2png to stdout", ["gfp2png", "-o", "-", gfp], b"", 0, png_file, ""),
        ("gfp2tga to stdout", ["gfp2tga", "-o-", gfp], b"", 0, tga_file, ""),
        ("gfp2png from stdin", ["gfp2png", "--output", "-", "-"], gfp_bytes, 0, png_file, ""),
        ("thumbnail to stdout", ["thumbnail", "-s64", gfp, "-"], b"", 0, thumb, ""),
        ("thumbnail stdin to stdout", ["thumbnail", "-s", "64", "-", "-"], gfp_bytes, 0, thumb, ""),
        ("damaged picture puts nothing in the pipe", ["gfp2png", "-o", "-", "-"], damaged, 1, b"", "-: "),
        ("stdin without -o", ["gfp2png", "-"], gfp_bytes, 2, b"", "Aufruf"),
        ("report of no archive", ["report", gfp], b"", 1, b"", "Keine gültige RES-File"),
    ]
    for name, args, stdin, code, out, err in cases:
        done = run(args, stdin)
        check(name, done.returncode == code, f"exit {done.returncode}, stderr {done.stderr!r}")
        check(name, out is None or done.stdout == out, f"stdout {len(done.stdout)} bytes")
        check(name, err.encode() in done.stderr, f"stderr {done.stderr!r}")

    # A picture from standard input gives the GFP the same picture from a file gives.
    for fmt, source in (("tga2gfp", tga), ("png2gfp", os.path.join(work, "demo.png"))):
        from_file, from_pipe = os.path.join(work, "f.gfp"), os.path.join(work, "p.gfp")
        shutil.copy(gfp, from_file)
        shutil.copy(gfp, from_pipe)
        a, b = run([fmt, source, from_file]), run([fmt, "-", from_pipe], read(source))
        check(fmt + " from stdin", a.returncode == 0 and b.returncode == 0 and read(from_file) == read(from_pipe),
              b.stderr)

    # -q says nothing, -v names every file written, plain says what was done.
    res = os.path.join(work, "demo.res")
    quiet = run(["extract", "-q", res, os.path.join(work, "q")])
    check("extract -q", quiet.returncode == 0 and quiet.stdout == b"" and quiet.stderr == b"", quiet)
    loud = run(["extract", "--verbose", res, os.path.join(work, "v")])
    listed = loud.stdout.decode().splitlines()
    written = sorted(os.listdir(os.path.join(work, "v")))
    check("extract -v", all(any(line.endswith("/" + f) for line in listed) for f in written),
          f"{listed} against {written}")

    # The bar: drawn on a terminal, never into a pipe or a file.
    slow = dict(VARNOX_PROGRESS_DELAY_MS="0")
    piped = run(["extract", res, os.path.join(work, "p")], extra=slow)
    check("no bar in a pipe", b"[" not in piped.stderr and b"\r" not in piped.stderr, piped.stderr)
    pid, fd = pty.fork()
    if pid == 0:
        os.execve(cli, [cli, "extract", res, os.path.join(work, "t")], dict(env, **slow))
    seen = b""
    while True:
        try:
            chunk = os.read(fd, 4096)
        except OSError:
            break
        if not chunk:
            break
        seen += chunk
    os.waitpid(pid, 0)
    check("bar on a terminal", b"\r\x1b[K[" in seen and "Einträge".encode() in seen, seen)
finally:
    shutil.rmtree(work)

for failure in failures:
    print("FAIL", failure)
sys.exit(1 if failures else 0)
