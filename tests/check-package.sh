#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package, lets lintian judge it (any error or warning
# fails), installs it into a scratch root, and checks what it holds.
#   tests/check-package.sh BUILD_FOLDER
set -euo pipefail
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >/dev/null)
package=$(ls "$work"/out/zelvorin_1.00_*.deb)
lintian --fail-on error,warning --tag-display-limit 0 "$package" 2> >(grep -v 'root privileges' >&2)

root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# The scratch root has none of the libraries the package depends on.
dpkg --root="$root" --force-depends --force-not-root --log=/dev/null --install "$package" >/dev/null 2>&1

id=org.zelvorin.Zelvorin
for file in usr/bin/zelvorin usr/libexec/zelvorin/zelvorin-window usr/share/man/man1/zelvorin.1.gz \
            usr/share/doc/zelvorin/copyright usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
            usr/share/icons/hicolor/{16x16,32x32,48x48}/apps/$id.png usr/share/icons/hicolor/scalable/apps/$id.svg; do
    [[ -s "$root/$file" ]] || { echo "missing from the package: $file"; exit 1; }
done
dpkg-deb -f "$package" Depends | grep -q libqt6serialport6 || { echo "no dependency on Qt's serial port"; exit 1; }
dpkg-deb -f "$package" Depends | grep -q qt6-translations-l10n || { echo "no dependency on Qt's translations"; exit 1; }
# The installed program finds its window (which, without a display, says
# so), and its manual page reads cleanly.
[[ $("$root/usr/bin/zelvorin" --version) == "Zelvorin 1.00" ]]
said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/zelvorin" 2>&1 || true)
[[ $said == *"grafische Sitzung"* ]] || { echo "the installed window did not start: $said"; exit 1; }
[[ -z $(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/zelvorin.1.gz" 2>&1 >/dev/null) ]]
desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >/dev/null
echo "package holds all its files and lintian has nothing to say: $(basename "$package")"
