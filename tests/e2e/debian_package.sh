#!/usr/bin/env bash
# The Debian package as scripts/package makes it: its files, its Depends against the QML modules
# that our documents and the fallback dialogs import, its desktop entry and AppStream metadata
# as Debian's validators see them, and lintian without errors.
# Usage: debian_package.sh SOURCE_DIR
set -euo pipefail
root=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

deb=$(OVK_PACKAGE_BUILD_DIR=$work/build "$root/scripts/package" | tail -n1)
[[ $(basename "$deb") == ovk-sensor-updater_0.1_$(dpkg --print-architecture).deb ]] ||
    fail "unexpected package name: $deb"

expected="./usr/bin/Updater
./usr/bin/ovk-sensor-update
./usr/bin/ovk-sensor-updater
./usr/lib/udev/rules.d/70-ovk-sensor.rules
./usr/share/applications/example.ovk.SensorUpdater.desktop
./usr/share/doc/ovk-sensor-updater/changelog.gz
./usr/share/doc/ovk-sensor-updater/copyright
./usr/share/icons/hicolor/128x128/apps/ovk-sensor-updater.png
./usr/share/icons/hicolor/256x256/apps/ovk-sensor-updater.png
./usr/share/icons/hicolor/48x48/apps/ovk-sensor-updater.png
./usr/share/man/man1/Updater.1.gz
./usr/share/man/man1/ovk-sensor-update.1.gz
./usr/share/man/man1/ovk-sensor-updater.1.gz
./usr/share/metainfo/example.ovk.SensorUpdater.metainfo.xml"
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
[ "$actual" = "$expected" ] || { diff <(echo "$expected") <(echo "$actual") || true; fail "files differ"; }

# Every QML module that is imported must come with the package: named in Depends, or a
# dependency of a package named there.
depends=$(dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | awk '{print $1}' | sort -u)
closure=$depends
for package in $depends; do
    closure+=$'\n'$(dpkg-query -W -f='${Depends}' "$package" 2>/dev/null | tr ',|' '\n\n' |
        awk '{print $1}')
done
qml=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
qml=/usr/lib/$qml/qt5/qml
imports=$(cat "$root"/qml/*.qml "$qml"/QtQuick/Dialogs/*.qml "$qml"/QtQuick/Dialogs/qml/*.qml |
    awk '$1 == "import" && $2 ~ /^[A-Za-z]/ {print $2, $3}' | sort -u)
[ -n "$imports" ] || fail "no QML imports found"
while read -r module version; do
    dir=$qml/${module//.//}
    qmldir=$dir.${version%%.*}/qmldir
    [ -f "$qmldir" ] || qmldir=$dir/qmldir
    owner=$(dpkg -S "$qmldir" 2>/dev/null | cut -d: -f1) || fail "no package has $module"
    grep -qx "$owner" <<<"$closure" || fail "$module ($owner) is missing from Depends"
done <<<"$imports"
for runtime in libssl3 ca-certificates libgl1-mesa-dri; do
    grep -qx "$runtime" <<<"$depends" || fail "$runtime is missing from Depends"
done
[ "$(dpkg-deb -f "$deb" Recommends)" = qt5-gtk-platformtheme ] || fail "Recommends"

dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/example.ovk.SensorUpdater.desktop"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/example.ovk.SensorUpdater.metainfo.xml"
dpkg-deb -e "$deb" "$work/control"
# udev re-reads its rules after install and removal; where it does not run, nothing is said.
for step in "postinst configure" "postrm remove"; do
    set -- $step
    grep -q 'udevadm control --reload-rules' "$work/control/$1" || fail "$1 leaves udev alone"
    # Every trigger names the sensor's vendor: no other device is disturbed.
    ! grep 'udevadm trigger' "$work/control/$1" | grep -qv '1915' || fail "$1 triggers other devices"
    [ -z "$(sh "$work/control/$1" "$2" 2>&1)" ] || fail "$1 is not quiet"
done
status=0
report=$(lintian --fail-on error "$deb" 2>&1) || status=$?
grep -v 'running with root privileges' <<<"$report" || true
[ $status -eq 0 ] || fail "lintian reports errors"
echo "PASS: $deb"
