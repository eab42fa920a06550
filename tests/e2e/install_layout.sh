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
bin/ovk-sensor-updater
lib/tmpfiles.d/ovk-sensor-update.conf
lib/udev/rules.d/70-ovk-sensor.rules
share/applications/example.ovk.SensorUpdater.desktop
share/doc/ovk-sensor-update/changelog.gz
share/doc/ovk-sensor-update/copyright
share/doc/ovk-sensor-updater/changelog.gz
share/doc/ovk-sensor-updater/copyright
share/icons/hicolor/128x128/apps/ovk-sensor-updater.png
share/icons/hicolor/256x256/apps/ovk-sensor-updater.png
share/icons/hicolor/48x48/apps/ovk-sensor-updater.png
share/man/man1/Updater.1.gz
share/man/man1/ovk-sensor-update.1.gz
share/man/man1/ovk-sensor-updater.1.gz
share/metainfo/example.ovk.SensorUpdater.metainfo.xml"
actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
if [ "$actual" != "$expected" ]; then
    echo "FAIL: installed files differ"
    diff <(echo "$expected") <(echo "$actual") || true
    exit 1
fi
[ -x "$prefix/bin/Updater" ] || { echo "FAIL: Updater not executable"; exit 1; }
desktop=$prefix/share/applications/example.ovk.SensorUpdater.desktop
grep -q '^Exec=ovk-sensor-updater$' "$desktop"
grep -q '^Icon=ovk-sensor-updater$' "$desktop"

# The launcher runs the program beside it in the cache folder, made if missing, and passes
# the arguments on. A stand-in program says where it was started and with what.
launcher=$prefix/launcher
mkdir -p "$launcher"
cp "$prefix/bin/ovk-sensor-updater" "$launcher/"
printf '#!/bin/sh\necho "$PWD $*"\n[ -z "${OVK_SHOW:-}" ] || echo "TMPDIR=${TMPDIR-unset} QT_PLUGIN_PATH=${QT_PLUGIN_PATH-unset} QT_VULKAN_LIB=${QT_VULKAN_LIB-unset}"\n' >"$launcher/Updater"
chmod +x "$launcher/Updater"
# Whoever runs it is told by stand-ins for id and getent: a user, or root whose own home is
# $prefix/root (never the machine's).
mkdir -p "$launcher/user" "$launcher/root"
printf '#!/bin/sh\necho 1000\n' >"$launcher/user/id"
printf '#!/bin/sh\necho 0\n' >"$launcher/root/id"
printf '#!/bin/sh\necho "root:x:0:0:root:%s/root:/bin/sh"\n' "$prefix" >"$launcher/root/getent"
chmod +x "$launcher"/user/* "$launcher"/root/*
started=$(cd / && PATH=$launcher/user:$PATH XDG_CACHE_HOME=$prefix/cache "$launcher/ovk-sensor-updater" --one)
[ "$started" = "$prefix/cache/ovk-sensor-updater --one" ] || { echo "FAIL: launcher: $started"; exit 1; }
started=$(cd / && unset XDG_CACHE_HOME && PATH=$launcher/user:$PATH HOME=$prefix/home "$launcher/ovk-sensor-updater")
[ "$started" = "$prefix/home/.cache/ovk-sensor-updater " ] || { echo "FAIL: launcher: $started"; exit 1; }
# Root under sudo keeps to its own home, whatever HOME and XDG_CACHE_HOME say.
started=$(cd / && PATH=$launcher/root:$PATH HOME=$prefix/home XDG_CACHE_HOME=$prefix/cache "$launcher/ovk-sensor-updater")
[ "$started" = "$prefix/root/.cache/ovk-sensor-updater " ] || { echo "FAIL: launcher as root: $started"; exit 1; }
# Nor does root under sudo -E use another user's temporary folder or Qt plugins (where the machine
# lets this test make a folder of another user's).
mkdir -p "$prefix/nobody/plugins" "$prefix/plugins"
if chown -R 65534:65534 "$prefix/nobody" 2>/dev/null; then
    started=$(cd / && PATH=$launcher/root:$PATH TMPDIR=$prefix/nobody OVK_SHOW=1 \
        QT_PLUGIN_PATH=$prefix/nobody/plugins:$prefix/plugins \
        QT_VULKAN_LIB=$prefix/nobody/plugins/libvulkan.so "$launcher/ovk-sensor-updater")
    [ "$started" = "$prefix/root/.cache/ovk-sensor-updater 
TMPDIR=unset QT_PLUGIN_PATH=$prefix/plugins QT_VULKAN_LIB=unset" ] || { echo "FAIL: launcher as root: $started"; exit 1; }
fi
rules=$prefix/lib/udev/rules.d/70-ovk-sensor.rules
grep -q 'ATTR{idVendor}=="1915", ATTR{idProduct}=="5203", TAG+="uaccess", GROUP="plugdev", MODE="0660"' "$rules"
grep -q 'ATTRS{idVendor}=="1915", ATTRS{idProduct}=="521f", TAG+="uaccess", GROUP="plugdev", MODE="0660", ENV{ID_MM_DEVICE_IGNORE}="1"' "$rules"
grep -q 'ATTR{idProduct}=="521f", ENV{ID_MM_DEVICE_IGNORE}="1"' "$rules"
# The update lock of every user, made at boot: readable by all, so all may lock it.
grep -qx 'f /run/lock/ovk-sensor-update.lock 0664 root plugdev -' "$prefix/lib/tmpfiles.d/ovk-sensor-update.conf"
if command -v udevadm >/dev/null; then
    udevadm verify "$rules" 2>/dev/null || true # not in every udev version
fi
echo "PASS: install layout"
