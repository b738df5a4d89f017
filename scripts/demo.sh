#!/usr/bin/env bash
# Runs the launcher on its bundled sample installation under Wine with the real Java VM: first in
# the foreground with debug output, then as the service "VORNA" through its own commands.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset windows
cmake --build --preset windows --target vorna-launcher jvm_bridge sample-app instrumentation-agent service-query

prefix="$PWD/build/demo/prefix"
trap '[ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k 2>/dev/null; true' EXIT
PYTHONPATH="$PWD/tests/rig" python3 scripts/demo.py "$PWD/build/windows/rig-config.json" "$prefix"
