#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh Wine prefix on the virtual display the caller
# provides: a silent install with its Start-menu shortcut (starting the program in its own
# folder), its Add/Remove Programs entry and the update lock's folder under ProgramData; the
# installed window drawn, with no sensor (there is no USB under Wine): the indicator red and
# "No sensor connected" on a press; the console program's version; a silent uninstall that
# removes the files, the entry and the lock's folder.
# Usage: windows_installer.sh INSTALLER
set -euo pipefail
installer=$(realpath "$1")
source "$(dirname "$0")/../../tools/xdrive.sh"
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
finish() {
    status=$?
    wineserver -k 2>/dev/null || true
    [ $status -eq 0 ] || { echo "--- log of the program ---"; cat "$work/log" 2>/dev/null || true; }
    rm -rf "$work"
    exit $status
}
trap finish EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}
host=x86_64-w64-mingw32
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OVK Sensor Updater'
dir="$WINEPREFIX/drive_c/Program Files/OVK Sensor Updater"
windir='C:\Program Files\OVK Sensor Updater'
lockdir="$WINEPREFIX/drive_c/ProgramData/OVK Sensor Updater"

wineboot -i >/dev/null 2>&1
wine "$installer" /S
wineserver -w
for file in Updater.exe ovk-sensor-update.exe uninstall.exe qt.conf Qt5Core.dll libssl-3-x64.dll \
    plugins/platforms/qwindows.dll qml/QtQuick/Dialogs/qmldir; do
    [ -f "$dir/$file" ] || fail "$file was not installed"
done
entry=$(wine reg query "$key" 2>/dev/null | tr -d '\r')
grep -q 'DisplayVersion.*0\.1' <<<"$entry" || fail "no Add/Remove Programs entry with the version"
grep -q 'Publisher.*OVK' <<<"$entry" || fail "the entry names no publisher"
shortcut=$(find "$WINEPREFIX/drive_c" -name 'OVK Sensor Updater.lnk' | head -n1)
[ -n "$shortcut" ] || fail "no Start-menu shortcut"
# Its own folder, which exists for every account; the program keeps its package elsewhere.
strings -el "$shortcut" | grep -q '^.\?C:\\Program Files\\OVK Sensor Updater$' ||
    fail "the shortcut does not start the program in its own folder"
[ -d "$lockdir" ] || fail "no folder for the update lock under ProgramData"

# Both programs carry the icon and the version record of their .rc.
for program in Updater ovk-sensor-update; do
    strings -el "$dir/$program.exe" | grep -qx "$program.exe" || fail "$program.exe has no version record"
    $host-objdump -h "$dir/$program.exe" | grep -q '\.rsrc' || fail "$program.exe has no resources"
done

version=$(wine "$windir\\ovk-sensor-update.exe" --version | tr -d '\r')
[ "$version" = "ovk-sensor-update 0.1" ] || fail "--version printed '$version'"

mkdir "$work/run"
(cd "$work/run" && exec wine "$windir\\Updater.exe") >"$work/log" 2>&1 &
window=$(wait_window "OVK Sensor Updater" 90) || fail "the window did not appear"
sleep 2 # the first connection poll
pixel=$(import -window "$window" -crop "1x1+28+$(centre_line "$window")" -depth 8 txt:- 2>/dev/null | tail -n1)
[[ $pixel == *"#F20000"* ]] || fail "the indicator is not drawn red: $pixel"
click_update_sensor "$window"
result=$(wait_result 30) || fail "no answer to a press"
[ "$result" = "No sensor connected" ] || fail "'$result' instead of 'No sensor connected'"
[ -d "$work/run/dl" ] || fail "no download folder in the working directory"
wineserver -k

wine "$dir/uninstall.exe" /S
wineserver -w
[ ! -e "$dir/Updater.exe" ] || fail "the uninstaller left the program"
[ ! -e "$shortcut" ] || fail "the uninstaller left the shortcut"
! wine reg query "$key" >/dev/null 2>&1 || fail "the uninstaller left the Add/Remove Programs entry"
[ ! -e "$lockdir" ] || fail "the uninstaller left the update lock's folder"
echo "PASS: installed, ran and uninstalled under Wine"
