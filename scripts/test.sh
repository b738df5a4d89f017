#!/usr/bin/env bash
# Builds the presets and runs every test: the portable code natively under ASan and UBSan and
# under libFuzzer for a bounded time, and the Windows exe, its unit tests and its end-to-end tests
# under Wine with the real Java VM.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake --preset native
cmake --build --preset native
ctest --preset native

cmake --preset fuzz
cmake --build --preset fuzz
ctest --preset fuzz

cmake --preset windows
cmake --build --preset windows

# ctest's rig tests shut the run's prefixes down themselves; this catches an interrupted run.
end_prefixes() {
  for prefix in "$PWD"/build/windows/wine/prefix-*/; do
    [ -d "$prefix" ] && WINEPREFIX="${prefix%/}" wineserver -k 2>/dev/null
  done
  true
}
trap end_prefixes EXIT
ctest --preset windows "$@"
