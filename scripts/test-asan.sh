#!/usr/bin/env bash
# The whole test suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh asan
export QT_QPA_PLATFORM=offscreen
ctest --preset asan -j "$(nproc)"
