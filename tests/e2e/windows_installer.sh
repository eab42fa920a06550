#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh Wine prefix on the virtual display the caller
# provides: a silent install with its Start-menu shortcut (starting the program in its own
# folder), its Add/Remove Programs entry and the update lock's folder under ProgramData, with
# the rights it asks icacls for (Wine's icacls names its arguments and sets nothing) and the
# computer's lock file; the installed window drawn, with no sensor (there is no USB under Wine):
# the indicator red and "No sensor connected" on a press; the console program's version, and its
# words in German with Qt's own catalog from beside it; its
# supervisor, which leaves nothing of its tool running; a silent uninstall that removes the
# files, the entry and the lock's folder with every user's lock files and records.
# Usage: windows_installer.sh INSTALLER
set -euo pipefail
installer=$(realpath "$1")
source "$(dirname "$0")/../../tools/xdrive.sh"
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes Windows' display language from LC_ALL: English, whatever this computer's.
export LC_ALL=C.UTF-8
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

# Lock files and records, as the programs of several users leave them beside the update lock.
left_by_users() {
    touch "$lockdir/update.1-4.lock" "$lockdir/update.1-4.lock.holder-S-1-5-21-1-2-3-1001" \
        "$lockdir/update.lock.holder-S-1-5-21-1-2-3-1002" \
        "$lockdir/update.1-4.lock.holder-S-1-5-21-1-2-3-1001.new-1a2b3c"
}

wineboot -i >/dev/null 2>&1
# A lock folder that a user made before the install (and might still hold open, to swap it for a
# junction): moved aside whole, never entered, and the folder made anew.
mkdir -p "$lockdir"
touch "$lockdir/made-before"
left_by_users
WINEDEBUG=-all,fixme+icacls wine "$installer" /S 2>"$work/install.log"
wineserver -w
for file in Updater.exe ovk-sensor-update.exe uninstall.exe qt.conf Qt5Core.dll libssl-3-x64.dll \
    plugins/platforms/qwindows.dll qml/QtQuick/Dialogs/qmldir translations/qtbase_de.qm; do
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
[ -f "$lockdir/update.lock" ] || fail "no update.lock made by the installer"
[ "$(ls "$lockdir")" = update.lock ] || fail "lock files of before were left: $(ls "$lockdir")"
ls "$lockdir".old-*/made-before >/dev/null 2>&1 || fail "the folder made before was not moved aside"

# The lock folder's rights: users may list it, make files in it and read (lock) the files of
# others, each has full control of their own files, SYSTEM and Administrators of all; nothing
# from ProgramData, and every change made on the folder itself, never through a junction.
grants=()
options=""
while IFS= read -r call; do
    mapfile -t words < <(grep -o '"[^"]*"' <<<"$call" | sed 's/^"//; s/"$//; s/\\\\/\\/g')
    [ "${words[1]}" = 'C:\ProgramData\OVK Sensor Updater' ] || fail "icacls changes ${words[1]}"
    [[ " ${words[*]} " == *" /L "* ]] || fail "icacls follows a junction: ${words[*]}"
    [[ " ${words[*]} " != *" /setowner "* || " ${words[*]} " == *" /setowner *S-1-5-32-544 "* ]] ||
        fail "the folder is given to another owner than Administrators: ${words[*]}"
    for word in "${words[@]:2}"; do
        case $word in
            /*) options+="$word " ;;
            *:*) grants+=("$word") ;;
        esac
    done
done < <(sed -n 's/^.*fixme:icacls:main stub: //p' "$work/install.log" | tr -d '\r')
for option in /setowner /reset /inheritance:r; do
    [[ $options == *"$option "* ]] || fail "icacls is never asked for $option: $options"
done
[[ ${options%%/grant*} == *"/reset "* ]] || fail "rights of before are reset after the grants"
expected='*S-1-3-0:(OI)(CI)(IO)F
*S-1-5-18:(OI)(CI)F
*S-1-5-32-544:(OI)(CI)F
*S-1-5-32-545:(OI)(IO)R
*S-1-5-32-545:(RX,WD)'
granted=$(printf '%s\n' "${grants[@]}" | sort)
[ "$granted" = "$expected" ] || fail "the lock folder's rights are not as tight as they should be:
$granted"

# Both programs carry the icon and the version record of their .rc.
for program in Updater ovk-sensor-update; do
    strings -el "$dir/$program.exe" | grep -qx "$program.exe" || fail "$program.exe has no version record"
    $host-objdump -h "$dir/$program.exe" | grep -q '\.rsrc' || fail "$program.exe has no resources"
done

version=$(wine "$windir\\ovk-sensor-update.exe" --version | tr -d '\r')
[ "$version" = "ovk-sensor-update 0.1" ] || fail "--version printed '$version'"
# Qt's words (a usage error) from its catalog beside the program.
said=$(LC_ALL=de_DE.UTF-8 wine "$windir\\ovk-sensor-update.exe" --bogus 2>&1 | tr -d '\r') || true
[ "$said" = "Unbekannte Option 'bogus'." ] || fail "in German, a usage error said '$said'"
said=$(LC_ALL=de_DE.UTF-8 wine "$windir\\ovk-sensor-update.exe" --package x.zip 2>&1 | tr -d '\r') || true
[ "$said" = "Kein Sensor angeschlossen" ] || fail "in German, no sensor said '$said'"

# The installed supervisor ends whatever its tool started and left running, which would keep
# the update lock; the tool's own exit code is told as it was.
ping_left() {
    local pid
    for pid in $(pgrep -x ping.exe); do
        [ "$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null)" != Z ] || continue
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
    done
    return 1
}
# Run by hand, with no files handed down ("-"), it ends as its tool did.
code=0
wine "$windir\\ovk-sensor-update.exe" --ovk-supervise-flashing-tool 20000 0 - - - \
    'C:\windows\system32\cmd.exe' /c "start /b ping -n 60 127.0.0.1 >nul & exit 3" >/dev/null || code=$?
[ "$code" = 3 ] || fail "the supervisor ended with $code, not its tool's 3"
# Processes end a moment after the system is told to end them.
for _ in $(seq 50); do ping_left || break; sleep 0.1; done
! ping_left || fail "a process that the tool started outlived the supervisor"

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

left_by_users
wine "$dir/uninstall.exe" /S
wineserver -w
[ ! -e "$dir/Updater.exe" ] || fail "the uninstaller left the program"
[ ! -e "$dir" ] || fail "the uninstaller left files: $(cd "$dir" && find . -type f | head -n5)"
[ ! -e "$shortcut" ] || fail "the uninstaller left the shortcut"
! wine reg query "$key" >/dev/null 2>&1 || fail "the uninstaller left the Add/Remove Programs entry"
[ ! -e "$lockdir" ] || fail "the uninstaller left the update lock's folder"
echo "PASS: installed, ran and uninstalled under Wine"
