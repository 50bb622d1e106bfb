#!/usr/bin/env bash
# The files Varnox gives the desktop, checked with the desktop's own tools: the file types
# (well-formed, and update-mime-database maps both globs and both magics to them), the
# desktop entry (desktop-file-validate), the thumbnailer run as a file manager runs it; and
# the commands of the
# manual page against those of varnox-cli's help, each with its own help.
# Usage: desktop_files_test.sh SOURCE_DIR VARNOX_CLI
set -euo pipefail
src=$1
cli=$2
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

xmllint --noout "$src/data/varnox-mime.xml" || fail "varnox-mime.xml is not well-formed"

mkdir -p "$tmp/mime/packages"
cp "$src/data/varnox-mime.xml" "$tmp/mime/packages/varnox.xml"
update-mime-database "$tmp/mime" >"$tmp/update.log" 2>&1 || { cat "$tmp/update.log" >&2; fail "update-mime-database"; }
for entry in "40:application/x-varnox-res:*.res" "50:image/x-varnox-gfp:*.gfp"; do
  type=${entry#*:}
  type=${type%%:*}
  glob=${entry##*:}
  grep -qxF "$entry" "$tmp/mime/globs2" || fail "$glob is not mapped to $type"
  [ -f "$tmp/mime/${type}.xml" ] || fail "no description of $type"
done
grep -q "RESF" "$tmp/mime/magic" || fail "no magic RESF"
grep -q "NALP" "$tmp/mime/magic" || fail "no magic NALP"

desktop-file-validate --no-hints "$src/data/varnox.desktop" || fail "varnox.desktop"
grep -qx "Exec=varnox %f" "$src/data/varnox.desktop" || fail "the desktop entry takes no file"
grep -qx "MimeType=application/x-varnox-res;image/x-varnox-gfp;" "$src/data/varnox.desktop" \
  || fail "the desktop entry names not both types"
# The thumbnailer: its keys, then its Exec line run as a file manager runs it (%s the size,
# %i the input, %o the output), with this build's varnox-cli, on the demo picture.
thumbnailer=$src/data/varnox.thumbnailer
[ "$(head -1 "$thumbnailer")" = "[Thumbnailer Entry]" ] || fail "thumbnailer group"
grep -qx "MimeType=image/x-varnox-gfp;" "$thumbnailer" || fail "thumbnailer MimeType"
exec_line=$(sed -n 's/^Exec=//p' "$thumbnailer")
[ "$exec_line" = "varnox-cli thumbnail -s %s %i %o" ] || fail "thumbnailer Exec: $exec_line"
demo=$(dirname "$cli")/demo.gfp
if [ -f "$demo" ]; then
  call=${exec_line/varnox-cli/$cli}
  call=${call/\%s/128}
  call=${call/\%i/$demo}
  call=${call/\%o/$tmp/demo.png}
  $call || fail "the thumbnailer's command failed"
  [ "$(head -c 8 "$tmp/demo.png" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] || fail "no PNG from the thumbnailer"
fi

# Each command of the help's overview prints its own help, through help and --help.
help_commands=$("$cli" --help | sed -n 's/^  \([a-z0-9]\+\)\( .*\)\?$/\1/p')
[ -n "$help_commands" ] || fail "no commands in the help"
for command in $help_commands; do
  for call in "help $command" "$command --help"; do
    out=$("$cli" $call) || fail "varnox-cli $call exits with $?"
    case $out in
      "Aufruf: varnox-cli $command"*) ;;
      *) fail "varnox-cli $call prints no usage of $command" ;;
    esac
  done
done

[ $failed -eq 0 ] && echo "desktop files: all well"
exit $failed
