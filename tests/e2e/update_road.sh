#!/usr/bin/env bash
# The whole update road in the real program under a virtual display: a simulated sensor that
# restarts into its bootloader, the stand-in flashing tool and the local help server. A real
# click on "Update Sensor" must end in the window titled EXPECTED.
# Usage: update_road.sh WORLD UPDATER TOOL PACKAGE EXPECTED [SCREENSHOT]
# The stand-in tool's behaviour comes from the environment (OVK_FAKE_TOOL_*).
set -euo pipefail
world=$1 updater=$2 tool=$3 package=$4 expected=$5 screenshot=${6:-}

work=$(mktemp -d)
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache \
    XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime TMPDIR=$work/tmp
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$TMPDIR" "$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORMTHEME QT_QPA_PLATFORM
ln -s "$tool" "$work/run/util"
cd "$work/run"

umockdev-wrapper "$world" --package "$package" --restart-delay 500 -- "$updater" \
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
    rm -rf "$work"
    exit $status
}
trap finish EXIT

fail() {
    echo "FAIL: $*"
    exit 1
}

window=$(timeout 30 xdotool search --sync --onlyvisible --name '^OVK Sensor Updater$' | head -n1)
[ -n "$window" ] || fail "the window did not appear"

# The package arrives from the help server in the background; wait until it is stored.
for _ in $(seq 150); do
    cmp -s dl/app.zip "$package" && break
    sleep 0.2
done
cmp -s dl/app.zip "$package" || fail "dl/app.zip is not the served package"

# "Update Sensor" sits at x 55..151, on the content's centre line: 140 in a 240-high window
# with its menu bar.
xdotool mousemove --window "$window" 103 140 click 1

result=$(timeout 40 xdotool search --sync --onlyvisible --name "^${expected}\$" | head -n1) || true
[ -n "$result" ] || fail "no window titled '$expected'"
echo "PASS: '$expected' after a click on Update Sensor"
grep -q '^Arguments:  ("dfu", "usb_serial", "-pkg", "dl/app.zip", "-p", "ttyACM0")$' "$work/log" ||
    fail "the flashing tool was not run on the bootloader's port"
if [ -n "$screenshot" ]; then
    sleep 0.5 # let the dialog paint
    import -window root "$screenshot"
    echo "screenshot: $screenshot"
fi
