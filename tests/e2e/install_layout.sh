#!/usr/bin/env bash
# cmake --install into a temporary prefix puts the files where the README says, and nothing of
# the test helpers.
# Usage: install_layout.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

expected="bin/Updater
bin/ovk-sensor-update
lib/udev/rules.d/70-ovk-sensor.rules
share/applications/ovk-sensor-updater.desktop
share/icons/hicolor/256x256/apps/ovk-sensor-updater.png"
actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
if [ "$actual" != "$expected" ]; then
    echo "FAIL: installed files differ"
    diff <(echo "$expected") <(echo "$actual") || true
    exit 1
fi
[ -x "$prefix/bin/Updater" ] || { echo "FAIL: Updater not executable"; exit 1; }
grep -q '^Exec=Updater$' "$prefix/share/applications/ovk-sensor-updater.desktop"
grep -q '^Icon=ovk-sensor-updater$' "$prefix/share/applications/ovk-sensor-updater.desktop"
rules=$prefix/lib/udev/rules.d/70-ovk-sensor.rules
grep -q 'ATTR{idVendor}=="1915", ATTR{idProduct}=="5203", TAG+="uaccess"' "$rules"
grep -q 'ATTRS{idVendor}=="1915", ATTRS{idProduct}=="521f", TAG+="uaccess"' "$rules"
if command -v udevadm >/dev/null; then
    udevadm verify "$rules" 2>/dev/null || true # not in every udev version
fi
echo "PASS: install layout"
