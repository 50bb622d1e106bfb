#!/usr/bin/env bash
# Sets everything up, builds and starts the tool.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh default
if [ -x build/bin/varnox ]; then
  if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Kein Bildschirm gefunden (DISPLAY ist nicht gesetzt)." >&2
    echo "Auf einem Rechner ohne Bildschirm: xvfb-run -a scripts/run.sh (Paket xvfb)" >&2
    exit 1
  fi
  exec build/bin/varnox "$@"
fi
exec build/bin/varnox-cli --help
