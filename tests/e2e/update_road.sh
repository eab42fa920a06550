#!/usr/bin/env bash
# The whole update road in the real program under a virtual display: a simulated sensor that
# restarts into its bootloader, the stand-in flashing tool and the local help server. A real
# click on "Update Sensor" must end in the window titled EXPECTED.
# Usage: update_road.sh WORLD UPDATER TOOL PACKAGE EXPECTED
# PACKAGE "none": the help server has no package, so the program has none either.
# OVK_WORLD_OPTIONS: more options for the world (--stuck: the sensor waits in its bootloader).
# OVK_E2E_CLOSE=1: the window is asked to close while the tool flashes; it must stay and say why.
# The stand-in tool's behaviour comes from the environment (OVK_FAKE_TOOL_*).
set -euo pipefail
world=$1 updater=$2 tool=$3 package=$4 expected=$5
source "$(dirname "$0")/../../tools/xdrive.sh"

work=$(mktemp -d)
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache \
    XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime TMPDIR=$work/tmp
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$TMPDIR" "$work/run" "$work/bin"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORMTHEME QT_QPA_PLATFORM
ln -s "$tool" "$work/bin/util"
export PATH=$work/bin:$PATH
# Asked to close mid-flash: the tool writes on only once the close has been answered.
[ -n "${OVK_E2E_CLOSE:-}" ] && export OVK_FAKE_TOOL_UNTIL=$work/closed
cd "$work/run"

served=(--package "$package")
[ "$package" = none ] && served=()
read -ra options <<<"${OVK_WORLD_OPTIONS:-}"
stuck=
[[ " ${options[*]} " == *" --stuck "* ]] && stuck=1
umockdev-wrapper "$world" "${served[@]}" "${options[@]}" --restart-delay 500 -- "$updater" \
    >"$work/log" 2>&1 </dev/null &
world_pid=$!
finish() {
    status=$?
    kill "$world_pid" 2>/dev/null || true
    wait "$world_pid" 2>/dev/null || true
    if [ $status -ne 0 ]; then
        echo "--- log of the run ---"
        cat "$work/log"
    fi
    rm -rf "$work" 2>/dev/null || true
    exit $status
}
trap finish EXIT

fail() {
    echo "FAIL: $*"
    exit 1
}

window=$(wait_window "OVK Sensor Updater") || fail "the window did not appear"
if [ "$package" = none ]; then
    for _ in $(seq 150); do
        grep -q '^Error app.zip DL: ' "$work/log" && break
        sleep 0.2
    done
else
    # The package arrives from the help server in the background.
    wait_same_file dl/app.zip "$package" || fail "dl/app.zip is not the served package"
fi
if [ -n "$stuck" ]; then
    wait_indicator_green "$window" || fail "the indicator is not green for a sensor in its bootloader"
fi
click_update_sensor "$window"
if [ -n "${OVK_E2E_CLOSE:-}" ]; then
    for _ in $(seq 100); do
        grep -q '^Started util$' "$work/log" && break
        sleep 0.2
    done
    request_close "$window"
    wait_window "Update in progress" 10 >/dev/null || fail "closing said nothing"
    xdotool search --onlyvisible --name '^OVK Sensor Updater$' >/dev/null || fail "the window closed mid-flash"
    touch "$work/closed"
fi
result=$(wait_result 40) || fail "no result window"
[ "$result" = "$expected" ] || fail "'$result' instead of '$expected'"
echo "PASS: '$expected' after a click on Update Sensor"
if [ "$package" = none ]; then
    grep -q '^No usable firmware package: "dl/app.zip"$' "$work/log" || fail "no log line on the package"
    ! grep -q 'sensor got the bootloader command' "$work/log" || fail "the sensor was sent into its bootloader"
    exit 0
fi
if [ -n "$stuck" ]; then
    grep -q '^Sensor already in its bootloader$' "$work/log" || fail "not flashed as waiting in its bootloader"
    ! grep -q 'sensor got the bootloader command' "$work/log" || fail "a bootloader command was sent"
fi
grep -q '^Arguments:  ("dfu", "usb_serial", "-pkg", "dl/app.zip", "-p", "ttyACM0")$' "$work/log" ||
    fail "the flashing tool was not run on the bootloader's port"
