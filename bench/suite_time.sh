#!/usr/bin/env bash
# The Wine suite's wall time now beside its time at an earlier commit, measured one after the other
# on this machine: the earlier tree is built in a worktree under build/, its ctest run with its own
# preset (then one test at a time), then this tree's. Prints both and their ratio.
#   bench/suite_time.sh BASE_COMMIT
set -euo pipefail
cd "$(dirname "$0")/.."

base=${1:?usage: bench/suite_time.sh BASE_COMMIT}
tree="$PWD/build/suite-time-base"
trap 'git worktree remove --force "$tree" >/dev/null 2>&1 || true' EXIT
git worktree remove --force "$tree" >/dev/null 2>&1 || true
git worktree add --detach "$tree" "$base" >/dev/null

scripts/install-deps.sh
timed() {
  local start end status
  start=$(date +%s)
  set +e
  (cd "$1" && ctest --preset windows >"$2" 2>&1)
  status=$?
  set -e
  end=$(date +%s)
  echo "$((end - start)) $status"
}
# Only ctest's own time counts: both trees are built before either suite runs.
(cd "$tree" && cmake --preset windows >/dev/null && cmake --build --preset windows >/dev/null)
cmake --preset windows >/dev/null && cmake --build --preset windows >/dev/null
read -r before before_status < <(timed "$tree" "$PWD/build/suite-time-before.log")
read -r after after_status < <(timed "$PWD" "$PWD/build/suite-time-after.log")
echo "ctest --preset windows at $base: ${before} s (exit ${before_status}; build/suite-time-before.log)"
echo "ctest --preset windows now:        ${after} s (exit ${after_status}; build/suite-time-after.log)"
python3 -c "print(f'ratio now/before: {$after / $before:.2f}')"
