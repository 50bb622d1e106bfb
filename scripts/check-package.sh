#!/usr/bin/env bash
# Checks the two Debian packages where they will run: builds them with cpack, runs lintian
# on each (no error, no warning) and appstreamcli on the software centre's metadata,
# installs varnox-cli alone into a fresh Debian 12 root made by debootstrap (it must pull
# no Qt and no X library), then varnox too, and runs both there. The file types are
# checked with the system's own MIME data: a .res beginning with RESF is Varnox's, any
# other .res keeps the type it had before Varnox was installed, under xdg-mime and gio.
# Needs root, network to the Debian mirror, and lintian, debootstrap, dpkg-dev, appstream.
# Not part of CI: the first run takes minutes. Every problem is listed at the end, after
# the summary; the exit status is 1 if there was one.
#
# Usage: scripts/check-package.sh [build folder]   (default: build)
# The bare Debian 12 root is kept in $VARNOX_ROOT_CACHE (default /var/tmp/varnox-bookworm)
# and copied for each run, so that every run installs into an untouched root.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
cache=${VARNOX_ROOT_CACHE:-/var/tmp/varnox-bookworm}
mirror=${VARNOX_MIRROR:-http://deb.debian.org/debian}
# The root's own tools for the MIME check (gio, xdg-mime with the mimetype it prefers);
# none of them brings a Qt or X library.
root_tools=libglib2.0-bin,xdg-utils,libfile-mimeinfo-perl,shared-mime-info,desktop-file-utils
app_id=org.example.varnox

fail() { echo "check-package: $*" >&2; exit 1; }
problems=()
problem() {
  echo "check-package: PROBLEM: $*" >&2
  problems+=("$*")
}

[ "$(id -u)" -eq 0 ] || fail "needs root (debootstrap and chroot)"
for tool in lintian debootstrap cpack chroot appstreamcli dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || fail "$tool is missing (apt-get install lintian debootstrap dpkg-dev appstream)"
done

echo "== build and package"
cmake --build "$build"
rm -f "$build"/varnox*.deb
(cd "$build" && cpack -G DEB >/dev/null)
cli_deb=$(ls "$build"/varnox-cli_*.deb)
gui_deb=$(ls "$build"/varnox_*.deb)
version=$(dpkg-deb -f "$cli_deb" Version)
for deb in "$cli_deb" "$gui_deb"; do
  echo "-- $(basename "$deb")"
  dpkg-deb -f "$deb" Package Version Depends Recommends Installed-Size
  dpkg-deb --contents "$deb" | awk '$6 !~ /\/$/ {print $6}'
done

echo "== what each package holds"
has() { dpkg-deb --contents "$1" | awk '{print $6}' | grep -qxF "./$2"; }
cli_files=(usr/bin/varnox-cli usr/share/man/man1/varnox-cli.1.gz usr/share/man/de/man1/varnox-cli.1.gz
  usr/share/bash-completion/completions/varnox-cli usr/share/mime/packages/varnox.xml
  usr/share/thumbnailers/varnox.thumbnailer usr/share/locale/en/LC_MESSAGES/varnox.mo
  usr/share/varnox/demo.res usr/share/varnox/demo.gfp usr/share/doc/varnox-cli/copyright
  usr/share/doc/varnox-cli/changelog.gz)
gui_files=(usr/bin/varnox usr/share/man/man1/varnox.1.gz usr/share/man/de/man1/varnox.1.gz
  usr/share/applications/varnox.desktop usr/share/icons/hicolor/scalable/apps/varnox.svg
  usr/share/icons/hicolor/48x48/apps/varnox.png usr/share/metainfo/$app_id.metainfo.xml
  usr/share/varnox/translations/varnox_en.qm
  usr/share/doc/varnox/copyright usr/share/doc/varnox/changelog.gz)
for file in "${cli_files[@]}"; do has "$cli_deb" "$file" || problem "varnox-cli lacks /$file"; done
for file in "${gui_files[@]}"; do has "$gui_deb" "$file" || problem "varnox lacks /$file"; done
dpkg-deb -f "$gui_deb" Depends | grep -qF "varnox-cli (= $version)" || problem "varnox does not depend on varnox-cli (= $version)"
for recommended in qt6-translations-l10n xdg-utils; do
  dpkg-deb -f "$gui_deb" Recommends | grep -qw "$recommended" || problem "varnox does not recommend $recommended"
  dpkg-deb -f "$gui_deb" Depends | grep -qw "$recommended" && problem "varnox depends on $recommended"
done
# Debian packages of Qt, X, OpenGL and Wayland, which varnox-cli must not pull.
gui_libraries='^(libqt6|qt6-|libx11|libxcb|libgl1|libglx|libegl|libwayland|libfontconfig|libfreetype)'

echo "== lintian"
lintian_out=()
for deb in "$cli_deb" "$gui_deb"; do
  status=0
  out=$(lintian --fail-on error,warning "$deb" 2>&1) || status=$?
  out=$(grep -v 'running with root privileges' <<<"$out" || true)
  [ $status -eq 0 ] || problem "lintian on $(basename "$deb"): errors or warnings"
  lintian_out+=("$(basename "$deb"): ${out:-no tags}")
  echo "${lintian_out[-1]}"
done

echo "== appstreamcli validate --no-net"
meta=$(mktemp -d)
dpkg-deb -x "$gui_deb" "$meta"
appstream_out=$(appstreamcli validate --no-net --pedantic --no-color "$meta/usr/share/metainfo/$app_id.metainfo.xml" 2>&1) \
  || problem "appstreamcli validate failed"
echo "$appstream_out" | grep -Eq '^[EW]:' && problem "appstreamcli reports errors or warnings"
rm -rf "$meta"
echo "$appstream_out"

# The bare root with the MIME tools; rebuilt when their list changes.
if [ "$(cat "$cache/.complete" 2>/dev/null)" != "$root_tools" ]; then
  echo "== debootstrap Debian 12 into $cache"
  rm -rf "$cache.new"
  debootstrap --variant=minbase --include="$root_tools" bookworm "$cache.new" "$mirror"
  echo "$root_tools" >"$cache.new/.complete"
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
cp "$cli_deb" "$gui_deb" "$root/tmp/"
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }
apt_install() {
  in_root sh -c "DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $*"
}
in_root apt-get update -qq

# Three .res files: this build's demo archive, and two of the game engine that Debian's
# MIME data gives *.res (a binary resource and a text one).
mkdir -p "$root/tmp/mime"
cp "$build/bin/demo.res" "$root/tmp/mime/varnox.res"
printf 'RSRC\0\0\0\0\3\0\0\0\4\0\0\0' >"$root/tmp/mime/godot.res"
printf '[gd_resource type="Resource" format=3]\n\n[resource]\n' >"$root/tmp/mime/godot-text.res"
mime_files=(varnox.res godot.res godot-text.res)
# Prints "FILE TOOL TYPE" for each file and both tools.
mime_answers() {
  for file in "${mime_files[@]}"; do
    echo "$file xdg-mime $(in_root xdg-mime query filetype "/tmp/mime/$file")"
    echo "$file gio $(in_root gio info -a standard::content-type "/tmp/mime/$file" | sed -n 's/^ *standard::content-type: //p')"
  done
}
echo "== MIME answers without Varnox"
mime_before=$(mime_answers)
echo "$mime_before"

echo "== apt-get install ./$(basename "$cli_deb") alone"
in_root dpkg-query -W -f='${Package}\n' | sort >"$root/tmp/packages.before"
apt_install "./tmp/$(basename "$cli_deb")" || fail "varnox-cli does not install"
in_root dpkg-query -W -f='${Package}\n' | sort >"$root/tmp/packages.after"
pulled=$(comm -13 "$root/tmp/packages.before" "$root/tmp/packages.after" | tr '\n' ' ')
echo "varnox-cli brought: $pulled"
echo "$pulled" | tr ' ' '\n' | grep -E "$gui_libraries" | grep -q . &&
  problem "varnox-cli pulls Qt or X libraries: $(echo "$pulled" | tr ' ' '\n' | grep -E "$gui_libraries" | tr '\n' ' ')"
cli_size=$(in_root dpkg-query -W -f='${Installed-Size}' varnox-cli)
echo "installed size of varnox-cli alone: $cli_size KiB"

echo "== varnox-cli there"
in_root varnox-cli --version || problem "varnox-cli --version failed"
in_root varnox-cli thumbnail -s 64 /usr/share/varnox/demo.gfp /tmp/demo.png || problem "thumbnail failed"
in_root sh -c 'test -s /tmp/demo.png' || problem "no thumbnail written"
# The installed program finds its English catalogue.
in_root sh -c 'LANG=en_US.UTF-8 varnox-cli --help | head -1 | grep -q "^Usage: varnox-cli"' ||
  problem "varnox-cli does not speak English under LANG=en_US.UTF-8"
# The thumbnailer's type is the one the system gives a GFP picture.
gfp_type=$(in_root gio info -a standard::content-type /usr/share/varnox/demo.gfp | sed -n 's/^ *standard::content-type: //p')
grep -qx "MimeType=$gfp_type;" "$root/usr/share/thumbnailers/varnox.thumbnailer" ||
  problem "the thumbnailer does not take $gfp_type"
echo "== MIME answers with varnox-cli"
mime_cli=$(mime_answers)
echo "$mime_cli"

echo "== apt-get install ./$(basename "$gui_deb"), and Xvfb for the check"
apt_install "./tmp/$(basename "$gui_deb")" || fail "varnox does not install"
apt_install xvfb xauth x11-utils || fail "Xvfb does not install"
echo "== MIME answers with varnox"
mime_gui=$(mime_answers)
echo "$mime_gui"
default_app=$(in_root xdg-mime query default application/x-varnox-res)
[ "$default_app" = varnox.desktop ] || problem "RES archives open with '$default_app', not varnox.desktop"

# Each answer against the one expected: Varnox's type for its own file, the old one for others.
mime_table=$(printf '%-16s %-9s %-30s %-30s %s\n' file tool "without Varnox" "with varnox-cli" "with varnox")
while read -r file tool before; do
  cli=$(echo "$mime_cli" | awk -v f="$file" -v t="$tool" '$1 == f && $2 == t {print $3}')
  gui=$(echo "$mime_gui" | awk -v f="$file" -v t="$tool" '$1 == f && $2 == t {print $3}')
  expected=$before
  [ "$file" = varnox.res ] && expected=application/x-varnox-res
  [ "$cli" = "$expected" ] && [ "$gui" = "$expected" ] ||
    problem "$tool gives $file $cli / $gui, not $expected"
  mime_table+=$'\n'$(printf '%-16s %-9s %-30s %-30s %s' "$file" "$tool" "$before" "$cli" "$gui")
done <<<"$mime_before"

echo "== varnox under Xvfb"
in_root xvfb-run -a -s "-screen 0 1600x1000x24" sh -c '
  varnox >/tmp/varnox.log 2>&1 & pid=$!
  sleep 5
  if ! kill -0 $pid 2>/dev/null; then wait $pid; echo "varnox ended early with $?"; exit 1; fi
  window=$(xwininfo -root -tree | awk "/\\(\"varnox\" \"varnox\"\\)/ {print \$1; exit}")
  [ -n "$window" ] && xprop -id "$window" WM_CLASS _KDE_NET_WM_DESKTOP_FILE _GTK_APPLICATION_ID >/tmp/varnox.props
  [ -n "$window" ] && xprop -id "$window" _NET_WM_ICON | head -c 200 >>/tmp/varnox.props
  kill $pid; wait $pid 2>/dev/null; echo "varnox ran 5 s"' || problem "varnox did not start"
cat "$root/tmp/varnox.log" "$root/tmp/varnox.props" 2>/dev/null || true
grep -q '_NET_WM_ICON(CARDINAL) = ' "$root/tmp/varnox.props" 2>/dev/null || problem "the window has no icon"

echo
echo "==== summary"
echo "-- lintian"
printf '%s\n' "${lintian_out[@]}"
echo "-- appstreamcli validate --no-net --pedantic"
echo "$appstream_out"
echo "-- MIME answers (Debian 12's shared-mime-info; xdg-mime runs mimetype outside a desktop)"
echo "$mime_table"
echo "-- installed size of varnox-cli alone: $cli_size KiB (it brought: $pulled)"
if [ ${#problems[@]} -gt 0 ]; then
  echo "-- problems"
  printf '  %s\n' "${problems[@]}"
  exit 1
fi
echo "check-package: all well"
