#!/bin/sh
# Installs the Debian packages the build and the tests need, when missing.
set -e
packages="cmake g++ make qt6-base-dev libgtest-dev libbenchmark-dev clang libclang-rt-14-dev qt6-translations-l10n"
# The end-to-end tests: an X server, a window manager, the accessibility bus
# and its client, input events and screenshots.
packages="$packages xvfb openbox dbus at-spi2-core python3-dogtail xdotool x11-utils imagemagick"
# The Debian package and its checks: dependencies computed from the binaries,
# the desktop entry and metainfo validated, manual pages rendered, completion
# run; the icon's PNGs are rendered from its SVG (data/icons/render.sh).
packages="$packages dpkg-dev desktop-file-utils appstream man-db python3 bash-completion librsvg2-bin"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
