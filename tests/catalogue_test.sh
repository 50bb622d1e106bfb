#!/usr/bin/env bash
# The English catalogue against the texts the code marks: lupdate run over the sources into
# a copy of the catalogue must leave it as it is (no text new, none gone), and every message
# in it must be finished. A text shown without a translation fails here.
# Usage: catalogue_test.sh CATALOGUE LUPDATE LUPDATE_ARGUMENTS...
set -euo pipefail
catalogue=$1
lupdate=$2
shift 2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$catalogue" "$tmp/copy.ts"
"$lupdate" "$@" -ts "$tmp/copy.ts" >"$tmp/lupdate.log" 2>&1 || { cat "$tmp/lupdate.log" >&2; exit 1; }
failed=0
if ! cmp -s "$catalogue" "$tmp/copy.ts"; then
  echo "FAIL: the catalogue differs from the marked texts (new or gone); run" >&2
  echo "      cmake --build build --target varnox_update_catalogue, then translate:" >&2
  diff "$catalogue" "$tmp/copy.ts" >&2 || true
  failed=1
fi
if grep -nE 'type="(unfinished|vanished|obsolete)"' "$tmp/copy.ts" >&2; then
  echo "FAIL: messages above are not finished" >&2
  failed=1
fi
exit $failed
