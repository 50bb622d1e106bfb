#!/usr/bin/env bash
# The bash completion of varnox-cli as bash runs it: commands, a command's options, and file
# names filtered by the kind of operand, in a folder of its own; fish the same where it is
# installed, and zsh, where it is, reads its script without a syntax error.
# Usage: completion_test.sh DOCS_FOLDER
set -uo pipefail
docs=$(realpath "$1")
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"
mkdir sub
touch a.res B.RES c.gfp d.png e.tga f.txt res ./-x.res

# The words typed, the last one being completed, and the sorted completions expected.
cases=(
  "commands|varnox-cli re|replace report restore"
  "options of a command|varnox-cli tga2gfp --|--fast --help --quiet --uncompressed --verbose"
  "archives|varnox-cli report |-x.res B.RES a.res sub"
  "pictures to convert|varnox-cli gfp2png |c.gfp sub"
  "a folder first|varnox-cli pack |sub"
  "then an archive|varnox-cli pack --fast sub |-x.res B.RES a.res sub"
  "no file for an item|varnox-cli replace a.res |"
  "any picture|varnox-cli replace a.res bild |c.gfp d.png e.tga sub"
  "archive or GFP|varnox-cli edit |-x.res B.RES a.res c.gfp sub"
  "no file for a size|varnox-cli thumbnail -s |"
  "after the size|varnox-cli thumbnail -s 64 |c.gfp sub"
  "after --|varnox-cli report -- -|-x.res"
  "command names|varnox-cli help t|tga2gfp thumbnail"
)
result=$(bash --norc --noprofile -c '
  source "$1" || exit 1
  complete -p varnox-cli
  shift
  for case in "$@"; do
    IFS="|" read -r name typed expected <<<"$case"
    read -ra COMP_WORDS <<<"$typed"
    [[ $typed == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _varnox_cli
    got=$(printf "%s\n" "${COMPREPLY[@]}" | LC_ALL=C sort | tr "\n" " " | sed "s/ *$//")
    [ "$got" = "$expected" ] || echo "FAIL: $name: \"$typed\" gives \"$got\", not \"$expected\""
  done' bash "$docs/varnox-cli.bash" "${cases[@]}" 2>&1)
grep -qx "complete -F _varnox_cli varnox-cli" <<<"$result" || fail "no completion of varnox-cli: $result"
grep "FAIL" <<<"$result" >&2 && failed=1

# fish through its own complete -C, on the same cases (folders end in "/" there).
if command -v fish >/dev/null; then
  for case in "${cases[@]}"; do
    IFS="|" read -r name typed expected <<<"$case"
    got=$(fish --no-config -c 'source $argv[1]; complete -C $argv[2]' "$docs/varnox-cli.fish" "$typed" 2>&1 |
      cut -f1 | LC_ALL=C sort | tr "\n" " " | sed "s/ *$//")
    [ "$got" = "${expected/sub/sub/}" ] || fail "fish: $name: \"$typed\" gives \"$got\", not \"$expected\""
  done
fi
if command -v zsh >/dev/null; then zsh -n "$docs/_varnox-cli" || fail "zsh script"; fi

[ $failed -eq 0 ] && echo "completion: all well"
exit $failed
