#!/usr/bin/env bash
# varnox-cli's gettext catalogue against the windows' one: every message of the .ts is in
# the .po made from it, translated (none fuzzy, none left empty), and the .mo varnox-cli
# reads is compiled from it.
# Usage: catalogue_gettext_test.sh CATALOGUE.ts CATALOGUE.po CATALOGUE.mo
set -euo pipefail
ts=$1 po=$2 mo=$3
messages=$(grep -c '<message' "$ts")
stats=$(LC_ALL=C msgfmt --statistics -o /dev/null "$po" 2>&1)
echo "$stats"
translated=$(sed -n 's/^\([0-9]*\) translated message.*/\1/p' <<<"$stats")
if [ "$translated" != "$messages" ] || grep -qE 'fuzzy|untranslated' <<<"$stats"; then
  echo "FAIL: $messages messages in $ts, but: $stats" >&2
  exit 1
fi
[ "$mo" -nt "$po" ] || [ "$mo" -ef "$po" ] || { echo "FAIL: $mo is older than $po" >&2; exit 1; }
