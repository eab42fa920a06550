# Shared by the demo and the end-to-end tests (sourced, not run): drives the real program's
# window under X with xdotool, as a person at the screen would.

# In a sanitized build (scripts/test --sanitize), the program in a window is ended by a signal,
# so LeakSanitizer would never report on it; and its exact stacks would slow a Qt Quick start
# past any wait here. Memory errors are still caught.
if [ -n "${ASAN_OPTIONS:-}" ]; then
    export ASAN_OPTIONS=$ASAN_OPTIONS:detect_leaks=0:fast_unwind_on_malloc=1
fi

# Prints the id of the visible window titled exactly TITLE once it appears; fails after
# TIMEOUT seconds. (xdotool's own --sync gives up when a window it looks at vanishes, as the
# short-lived windows of a starting program do.)
wait_window() {
    local title=$1 timeout=${2:-30} window
    for _ in $(seq $((timeout * 5))); do
        window=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n1) || true
        if [ -n "$window" ]; then
            echo "$window"
            return 0
        fi
        sleep 0.2
    done
    return 1
}

# Prints the id of the first visible window besides the main window "OVK Sensor Updater" (a
# dialog, in whatever language its title is) once one appears; fails after TIMEOUT seconds.
wait_dialog() {
    local timeout=${1:-30} window
    for _ in $(seq $((timeout * 5))); do
        for window in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
            if [ "$(xdotool getwindowname "$window" 2>/dev/null)" != "OVK Sensor Updater" ]; then
                echo "$window"
                return 0
            fi
        done
        sleep 0.2
    done
    return 1
}

# Waits up to 30 s until FILE holds exactly the bytes of EXPECTED.
wait_same_file() {
    local file=$1 expected=$2
    for _ in $(seq 150); do
        cmp -s "$file" "$expected" && return 0
        sleep 0.2
    done
    return 1
}

# The update screen's centre line in the main window WINDOW, where the indicator, the button
# and the busy indicator sit: 112 above the window's bottom edge, for the screen is 224 high
# below a menu bar whose height follows the platform's font (152 with the 40 of Debian's).
centre_line() {
    xwininfo -id "$1" | awk '/^ *Height:/ {print $2 - 112}'
}

# Clicks "Update Sensor" in the main window: x 55..151, on the content's centre line.
click_update_sensor() {
    xdotool mousemove --window "$1" 103 "$(centre_line "$1")" click 1
}

# Waits for the result of an update; prints the title of the window that reported it.
wait_result() {
    local timeout=${1:-60} title
    for _ in $(seq $((timeout * 5))); do
        for title in "Update done" "Error on update" "Access denied" "No sensor connected"; do
            if [ -n "$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null)" ]; then
                echo "$title"
                return 0
            fi
        done
        sleep 0.2
    done
    return 1
}

# Asks the window WINDOW to close, as a window manager's close button does (WM_DELETE_WINDOW);
# xdotool only destroys windows or kills their program.
request_close() {
    python3 - "$1" <<'PY'
import ctypes, sys
from ctypes import c_int, c_long, c_ulong, c_void_p, c_char_p
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = c_void_p
x.XOpenDisplay.argtypes = [c_char_p]
x.XInternAtom.restype = c_ulong
x.XInternAtom.argtypes = [c_void_p, c_char_p, c_int]
x.XSendEvent.argtypes = [c_void_p, c_ulong, c_int, c_long, c_void_p]
x.XFlush.argtypes = [c_void_p]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int),
                ("display", c_void_p), ("window", c_ulong), ("message_type", c_ulong),
                ("format", c_int), ("data", c_long * 5)]
class Event(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", c_long * 24)]
display = x.XOpenDisplay(None)
event = Event()
event.xclient.type = 33  # ClientMessage
event.xclient.window = int(sys.argv[1])
event.xclient.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.xclient.format = 32
event.xclient.data[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
x.XSendEvent(display, int(sys.argv[1]), 0, 0, ctypes.byref(event))
x.XFlush(display)
PY
}

# Waits up to 10 s until the connection indicator of the main window WINDOW (the circle left of
# the button, centred at x 28 on the centre line) is drawn green, as the first connection poll
# makes it.
wait_indicator_green() {
    local pixel centre
    centre=$(centre_line "$1")
    for _ in $(seq 50); do
        pixel=$(import -window "$1" -crop "1x1+28+$centre" -depth 8 txt:- 2>/dev/null | tail -n1) || true
        [[ $pixel == *"#28F64B"* ]] && return 0
        sleep 0.2
    done
    echo "indicator: $pixel" >&2
    return 1
}
