#!/usr/bin/env bash
# Installs a build into a staging folder, checks what a Linux install puts in place with the
# desktop's own validators, then builds the Debian package and lists what it holds.
# Usage: scripts/check-install.sh BUILD_FOLDER
# Needs: apt-get install -y desktop-file-utils appstream man-db dpkg-dev file systemd lintian
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
id=com.quorvath.Talvenor
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix /usr > /dev/null
share=$stage/usr/share

echo "== installed"
(cd "$stage" && find . -type f | sort)
for size in 16 22 24 32 48 64 128 256; do test -s "$share/icons/hicolor/${size}x$size/apps/$id.png"; done
test -s "$share/icons/hicolor/scalable/apps/$id.svg"
test -s "$share/talvenor/help/main.htm"
"$stage/usr/bin/talvenor" --version

echo "== desktop entries"
desktop-file-validate "$share/applications/$id.desktop" "$share/talvenor/autostart/$id.desktop"
echo "== metadata"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml"
echo "== manual page"
warnings=$(man --warnings -l "$share/man/man1/talvenor.1.gz" 2>&1 > /dev/null)
if [ -n "$warnings" ]; then
  echo "$warnings"
  exit 1
fi
echo "== user service"
printf '[Service]\nExecStart=/bin/true\n' > "$stage/probe.service"
if ! command -v systemd-analyze > /dev/null; then
  echo "systemd-analyze is not installed: the unit is not checked"
elif ! systemd-analyze verify --man=no "$stage/probe.service" > /dev/null 2>&1; then
  echo "systemd-analyze cannot run here: the unit is not checked"
else
  # The unit finds the program on systemd's search path; here it is the staged one.
  sed "s|^ExecStart=talvenor |ExecStart=$stage/usr/bin/talvenor |" "$share/../lib/systemd/user/talvenor.service" \
    > "$stage/talvenor.service"
  MANPATH=$share/man systemd-analyze verify "$stage/talvenor.service"
  echo "verified"
fi

echo "== package"
rm -f "$build"/talvenor_*.deb
(cd "$build" && cpack -G DEB > /dev/null)
deb=$(ls "$build"/talvenor_*.deb)
dpkg-deb -f "$deb" Package Version Depends Recommends
dpkg-deb -c "$deb"
echo "== lintian"
# Any error or warning fails; the note that CI runs as root is not one.
if ! out=$(lintian --fail-on error,warning "$deb" 2>&1); then
  echo "$out"
  exit 1
fi
echo "$out" | grep -v "root privileges" || echo "no errors or warnings"
