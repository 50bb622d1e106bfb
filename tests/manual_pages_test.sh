#!/usr/bin/env bash
# The generated manual pages against varnox-cli's help in both languages: every command's
# synopsis and every option line its --help prints stand in the rendered page; groff and
# man (as lintian runs it) give no warning; the date is the changelog's first entry.
# Usage: manual_pages_test.sh CHANGELOG VARNOX_CLI DOCS_FOLDER
set -euo pipefail
changelog=$1
cli=$2
docs=$3
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }
# All white space as one blank, so that lines the page fills or breaks compare.
squeeze() { tr -s '[:space:]' ' '; }

date=$(date -u -d "$(sed -n 's/^ -- .*>  //p' "$changelog" | head -1)" +%F)
for language in en de; do
  for page in varnox.1 varnox-cli.1; do
    file=$docs/$language/$page
    [ -s "$file" ] || { fail "$file is missing"; continue; }
    grep -q "^\.TH [A-Z\\-]* 1 \"$date\"" "$file" || fail "$file is not dated $date"
    warnings=$(groff -ww -z -man "$file" 2>&1) || fail "groff fails on $file"
    [ -z "$warnings" ] || fail "$file: groff: $warnings"
    if command -v man >/dev/null; then
      warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$file" 2>&1 >/dev/null) || true
      [ -z "$warnings" ] || fail "$file: man: $warnings"
    fi
  done
done

# German under C, English under en_US; the help's lines checked in the page of its language.
for pair in C.UTF-8:de en_US.UTF-8:en; do
  locale=${pair%%:*}
  page=$docs/${pair#*:}/varnox-cli.1
  [ -s "$page" ] || continue
  run() { env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG="$locale" "$cli" "$@"; }
  rendered=" $(groff -man -Tutf8 -P-cbou "$page" 2>/dev/null | squeeze) "
  commands=$(run --help | sed -n 's/^  \([a-z0-9]\+\)\( .*\)\?$/\1/p')
  [ -n "$commands" ] || fail "no commands in the help ($locale)"
  lines=$(run --help | grep '^  --' || true)
  for command in $commands; do
    help=$(run "$command" --help)
    # The first line without a pipe into head, whose early exit would fail the pipeline.
    first=${help%%$'\n'*}
    lines+=$'\n'${first#* }
    lines+=$'\n'$(printf '%s\n' "$help" | grep '^  -' || true)
  done
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    text=$(printf '%s' "$line" | squeeze | sed 's/^ //')
    case $rendered in
      *" $text "*) ;;
      *) fail "$locale: not in $page: $text" ;;
    esac
  done <<<"$lines"
done

[ $failed -eq 0 ] && echo "manual pages: all well"
exit $failed
