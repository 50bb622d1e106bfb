#!/usr/bin/env bash
# clang-format (.clang-format), clang-tidy (checks in .clang-tidy, tests/.clang-tidy) and
# cppcheck over our own sources and their tests, benchmarks and fuzz targets; fails on any
# finding or unformatted file.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/compile_commands.json ] || scripts/setup.sh default
sources=$(git ls-files 'fileio/*.cpp' 'formats/*.cpp' 'jobs/*.cpp' 'l10n/*.cpp' 'cli/*.cpp' 'ui/*.cpp' 'app/*.cpp' 'tools/*.cpp' \
  'tests/*.cpp' 'bench/*.cpp' 'fuzz/*.cpp')
echo "== includes"
python3 scripts/include-cycles.py
echo "== clang-format"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
echo "== clang-tidy"
findings=$(printf '%s\n' $sources | xargs -P "$(nproc)" -n 1 clang-tidy -p build --quiet 2>/dev/null || true)
if printf '%s\n' "$findings" | grep -qE 'warning:|error:'; then
  printf '%s\n' "$findings"
  exit 1
fi
echo "== cppcheck"
cppcheck --std=c++20 --enable=warning,performance,portability --inline-suppr --error-exitcode=1 -q -I. \
  fileio formats jobs l10n cli $(ls -d ui app tools 2>/dev/null)
# The test frameworks' macros are known to cppcheck through its library files.
cppcheck --std=c++20 --enable=warning,performance,portability --inline-suppr --error-exitcode=1 -q -I. \
  --library=googletest --library=qt tests bench fuzz
echo "lint: clean"
