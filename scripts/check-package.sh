#!/usr/bin/env bash
# Checks the Debian package where it will run: builds it with cpack, runs lintian on it
# (errors fail the check), installs it with apt-get into a fresh Debian 12 root made by
# debootstrap, and there runs varnox-cli --version, a thumbnail of the demo picture and
# varnox under Xvfb for a few seconds. Needs root, network to the Debian mirror, and the
# packages lintian, debootstrap and dpkg-dev. Not part of CI: the first run takes minutes.
#
# Usage: scripts/check-package.sh [build folder]   (default: build)
# The bare Debian 12 root is kept in $VARNOX_ROOT_CACHE (default /var/tmp/varnox-bookworm)
# and copied for each run, so that every run installs into an untouched root.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
cache=${VARNOX_ROOT_CACHE:-/var/tmp/varnox-bookworm}
mirror=${VARNOX_MIRROR:-http://deb.debian.org/debian}

fail() { echo "check-package: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || fail "needs root (debootstrap and chroot)"
for tool in lintian debootstrap cpack chroot; do
  command -v "$tool" >/dev/null || fail "$tool is missing (apt-get install lintian debootstrap)"
done

echo "== build and package"
cmake --build "$build"
rm -f "$build"/varnox_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/varnox_*.deb)
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
dpkg-deb --contents "$deb" | awk '{print $6}'

echo "== lintian"
lintian --fail-on error "$deb" || fail "lintian found errors"

# The bare root with Xvfb (the check's own tool, not a dependency of the package).
if [ ! -e "$cache/.complete" ]; then
  echo "== debootstrap Debian 12 into $cache"
  rm -rf "$cache.new"
  debootstrap --variant=minbase --include=xvfb,xauth bookworm "$cache.new" "$mirror"
  touch "$cache.new/.complete"
  rm -rf "$cache"
  mv "$cache.new" "$cache"
fi

root=$(mktemp -d /var/tmp/varnox-check.XXXXXX)
cleanup() {
  umount "$root/proc" 2>/dev/null || true
  # Removed only when nothing is mounted below it any more.
  if ! grep -q " $root/" /proc/mounts; then
    rm -rf "$root"
  else
    echo "check-package: $root still has mounts; left in place" >&2
  fi
}
trap cleanup EXIT
echo "== fresh root $root"
cp -a "$cache/." "$root/"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
cp "$deb" "$root/tmp/"
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

echo "== apt-get install ./$(basename "$deb")"
in_root apt-get update -qq
in_root sh -c "DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends ./tmp/$(basename "$deb")" \
  || fail "the package does not install"

echo "== varnox-cli there"
in_root varnox-cli --version || fail "varnox-cli --version failed"
in_root varnox-cli thumbnail -s 64 /usr/share/varnox/demo.gfp /tmp/demo.png || fail "thumbnail failed"
in_root sh -c 'test -s /tmp/demo.png' || fail "no thumbnail written"
in_root sh -c 'ls /usr/share/man/man1/varnox.1.gz /usr/share/man/man1/varnox-cli.1.gz \
  /usr/share/mime/packages/varnox.xml /usr/share/thumbnailers/varnox.thumbnailer \
  /usr/share/varnox/translations/varnox_en.qm' || fail "files missing"
# The installed program finds its English catalogue.
in_root sh -c 'LANG=en_US.UTF-8 varnox-cli --help | head -1 | grep -q "^Usage: varnox-cli"' \
  || fail "varnox-cli does not speak English under LANG=en_US.UTF-8"
# shared-mime-info came with Qt's libraries; its trigger must have taken in the new types.
if [ -f "$root/usr/share/mime/globs2" ]; then
  grep -E "image/x-varnox-gfp:\*\.gfp|application/x-varnox-res:\*\.res" "$root/usr/share/mime/globs2" \
    || fail "the MIME database does not know the new types"
fi

echo "== varnox under Xvfb"
in_root xvfb-run -a -s "-screen 0 1600x1000x24" sh -c '
  varnox >/tmp/varnox.log 2>&1 & pid=$!
  sleep 5
  if kill -0 $pid 2>/dev/null; then kill $pid; wait $pid 2>/dev/null; echo "varnox ran 5 s"; exit 0; fi
  wait $pid; echo "varnox ended early with $?"; exit 1' || { cat "$root/tmp/varnox.log" >&2; fail "varnox did not start"; }
cat "$root/tmp/varnox.log"
echo "check-package: all well"
