#!/usr/bin/env bash
# Runs a command on a new Xvfb display of its own, inside a new D-Bus session (which starts
# the accessibility bus on demand); the display goes when the command ends.
# Usage: xvfb_run.sh COMMAND [ARGS...]
set -euo pipefail
for tool in Xvfb xdpyinfo dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "$tool fehlt" >&2; exit 1; }
done
fifo_dir=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$fifo_dir"' EXIT
mkfifo "$fifo_dir/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo_dir/display" 2>"$fifo_dir/log" &
xvfb=$!
read -r -t 60 number <"$fifo_dir/display" || { cat "$fifo_dir/log" >&2; exit 1; }
export DISPLAY=":$number"
# The server takes clients once it answers; a loaded machine may need a while.
for _ in $(seq 600); do
  xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
dbus-run-session -- "$@"
