#!/usr/bin/env bash
# Runs the README's test command as a new machine would: a clean clone of a branch in a fresh
# Debian 12 root made by debootstrap, with nothing in it but what scripts/test.sh installs.
#   scripts/fresh-root-test.sh [BRANCH] [WORK_DIR]
# Needs root and debootstrap on the host. The root is removed afterwards; its log stays in
# WORK_DIR/test.log. Exit status: that of scripts/test.sh in the root.
set -euo pipefail
cd "$(dirname "$0")/.."

branch=${1:-main}
work=${2:-$(mktemp -d /var/tmp/vorna-fresh-root.XXXXXX)}
root="$work/root"
log="$work/test.log"
mkdir -p "$work"

mounted=()
cleanup() {
  local status=$?
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount -l "${mounted[i]}" 2>/dev/null || true
  done
  rm -rf "$root"
  exit $status
}
trap cleanup EXIT

debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >"$work/debootstrap.log" 2>&1
git clone --quiet --branch "$branch" "file://$PWD" "$root/src"
cp /etc/resolv.conf "$root/etc/resolv.conf"
for point in proc sys dev dev/pts dev/shm; do
  mkdir -p "$root/$point"
  mount --bind "/$point" "$root/$point"
  mounted+=("$root/$point")
done

start=$(date +%s)
set +e
chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin TERM=dumb \
  /bin/bash -c 'cd /src && ./scripts/test.sh' >"$log" 2>&1
status=$?
set -e
echo "scripts/test.sh in a fresh root: exit $status after $(($(date +%s) - start)) s; log: $log"
exit $status
