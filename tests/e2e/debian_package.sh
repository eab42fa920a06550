#!/usr/bin/env bash
# The two Debian packages as scripts/package makes them: their files; the console package's
# dependencies, which must pull in no display stack; the window's Depends against the QML
# modules that our documents and the fallback dialogs import, and Qt's catalogs; its desktop entry and AppStream
# metadata as Debian's validators see them; the udev scripts; and lintian without errors.
# Usage: debian_package.sh SOURCE_DIR
set -euo pipefail
root=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}
files() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ {print $6}' | sort; }
depends() { dpkg-deb -f "$1" Depends | tr ',|' '\n\n' | awk '{print $1}' | sort -u; }

mapfile -t packages < <(OVK_PACKAGE_BUILD_DIR=$work/build "$root/scripts/package" | tail -n2)
arch=$(dpkg --print-architecture)
console=${packages[0]} window=${packages[1]}
[[ $(basename "$console") == ovk-sensor-update_0.1_$arch.deb ]] || fail "console package: $console"
[[ $(basename "$window") == ovk-sensor-updater_0.1_$arch.deb ]] || fail "window package: $window"

expected="./usr/bin/ovk-sensor-update
./usr/lib/tmpfiles.d/ovk-sensor-update.conf
./usr/lib/udev/rules.d/70-ovk-sensor.rules
./usr/share/doc/ovk-sensor-update/changelog.gz
./usr/share/doc/ovk-sensor-update/copyright
./usr/share/man/man1/ovk-sensor-update.1.gz"
[ "$(files "$console")" = "$expected" ] || { diff <(echo "$expected") <(files "$console") || true; fail "console files differ"; }
expected="./usr/bin/Updater
./usr/bin/ovk-sensor-updater
./usr/share/applications/example.ovk.SensorUpdater.desktop
./usr/share/doc/ovk-sensor-updater/changelog.gz
./usr/share/doc/ovk-sensor-updater/copyright
./usr/share/icons/hicolor/128x128/apps/ovk-sensor-updater.png
./usr/share/icons/hicolor/256x256/apps/ovk-sensor-updater.png
./usr/share/icons/hicolor/48x48/apps/ovk-sensor-updater.png
./usr/share/man/man1/Updater.1.gz
./usr/share/man/man1/ovk-sensor-updater.1.gz
./usr/share/metainfo/example.ovk.SensorUpdater.metainfo.xml"
[ "$(files "$window")" = "$expected" ] || { diff <(echo "$expected") <(files "$window") || true; fail "window files differ"; }

# A flashing station installs the console package without Qt GUI or Quick, GL, X or Wayland:
# nothing of them in all it depends on, however deep.
closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
    --no-replaces --no-enhances $(depends "$console") 2>/dev/null | grep -v '^ ' | sort -u)
[ -n "$closure" ] || fail "apt-cache knows none of the console package's dependencies"
display=$(grep -E '^(libqt5(gui|qml|quick)|qml-module|libgl1|libglx|libegl|libopengl|libx11|libxcb|libwayland|libdrm)' <<<"$closure" || true)
[ -z "$display" ] || fail "the console package pulls in a display stack: $(echo $display)"
for runtime in libssl3 ca-certificates; do
    grep -qx "$runtime" <(depends "$console") || fail "$runtime is missing from the console's Depends"
done
dpkg-deb -f "$window" Depends | grep -q 'ovk-sensor-update (= 0.1)' || fail "the window does not depend on the console package"

# Every QML module that is imported must come with the window: named in Depends, or a
# dependency of a package named there. OVK is the program's own, registered from C++.
closure=$(depends "$window")
for package in $(depends "$window"); do
    closure+=$'\n'$({ dpkg-query -W -f='${Depends}' "$package" 2>/dev/null || true; } |
        tr ',|' '\n\n' | awk '{print $1}')
done
qml=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
qml=/usr/lib/$qml/qt5/qml
imports=$(cat "$root"/qml/*.qml "$qml"/QtQuick/Dialogs/*.qml "$qml"/QtQuick/Dialogs/qml/*.qml |
    awk '$1 == "import" && $2 ~ /^[A-Za-z]/ && $2 != "OVK" {print $2, $3}' | sort -u)
[ -n "$imports" ] || fail "no QML imports found"
while read -r module version; do
    dir=$qml/${module//.//}
    qmldir=$dir.${version%%.*}/qmldir
    [ -f "$qmldir" ] || qmldir=$dir/qmldir
    owner=$(dpkg -S "$qmldir" 2>/dev/null | cut -d: -f1) || fail "no package has $module"
    grep -qx "$owner" <<<"$closure" || fail "$module ($owner) is missing from Depends"
done <<<"$imports"
grep -qx libgl1-mesa-dri <(depends "$window") || fail "libgl1-mesa-dri is missing from Depends"
# Qt's catalogs, for its dialogs' buttons in the user's language.
grep -qx qttranslations5-l10n <(depends "$window") || fail "qttranslations5-l10n is missing from Depends"
[ "$(dpkg-deb -f "$console" Recommends)" = qttranslations5-l10n ] || fail "the console's Recommends"
[ "$(dpkg-deb -f "$window" Recommends)" = qt5-gtk-platformtheme ] || fail "Recommends"

dpkg-deb -x "$window" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/example.ovk.SensorUpdater.desktop"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/example.ovk.SensorUpdater.metainfo.xml"
# udev re-reads its rules after install and removal; where it does not run, nothing is said.
dpkg-deb -e "$console" "$work/control"
for step in "postinst configure" "postrm remove"; do
    set -- $step
    grep -q 'udevadm control --reload-rules' "$work/control/$1" || fail "$1 leaves udev alone"
    # Every trigger names the sensor's vendor: no other device is disturbed.
    ! grep 'udevadm trigger' "$work/control/$1" | grep -qv '1915' || fail "$1 triggers other devices"
    [ -z "$(sh "$work/control/$1" "$2" 2>&1)" ] || fail "$1 is not quiet"
done
grep -q '^lock=/usr/lib/tmpfiles.d/ovk-sensor-update.conf$' "$work/control/postinst" &&
    grep -q 'systemd-tmpfiles --create $lock' "$work/control/postinst" ||
    fail "postinst does not make the update lock"
status=0
report=$(lintian --fail-on error "$console" "$window" 2>&1) || status=$?
grep -v 'running with root privileges' <<<"$report" || true
[ $status -eq 0 ] || fail "lintian reports errors"
echo "PASS: $console $window"
