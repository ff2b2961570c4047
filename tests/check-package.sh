#!/usr/bin/env bash
# Builds the Debian package, installs it into a scratch root, and checks that
# it holds the program, desktop entry, icons and metainfo, all valid.
#   tests/check-package.sh BUILD_FOLDER
set -euo pipefail
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >/dev/null)
package=$(ls "$work"/out/zelvorin_1.00_*.deb)

root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# The scratch root has none of the libraries the package depends on.
dpkg --root="$root" --force-depends --force-not-root --log=/dev/null --install "$package" >/dev/null

id=org.zelvorin.Zelvorin
for file in usr/bin/zelvorin usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
            usr/share/icons/hicolor/{16x16,32x32,48x48}/apps/$id.png usr/share/icons/hicolor/scalable/apps/$id.svg; do
    [[ -s "$root/$file" ]] || { echo "missing from the package: $file"; exit 1; }
done
dpkg-deb -f "$package" Depends | grep -q libqt6serialport6 || { echo "no dependency on Qt's serial port"; exit 1; }
desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >/dev/null
echo "package holds all its files: $(basename "$package")"
