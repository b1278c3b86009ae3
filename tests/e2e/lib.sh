# Shared helpers of the end-to-end suite, sourced by run_case.sh and
# screenshots.sh. A run gets its own temporary folder, its own X server and
# its own copy of the editor; every wait polls a condition with a deadline.

E2E_POLL=0.05

e2e_fail() {
    echo "FAIL: $*" >&2
    e2e_keep_evidence
    exit 1
}

e2e_note() { echo "-- $*"; }

e2e_require_tools() {
    local tool
    for tool in Xvfb xdotool xprop import convert compare; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIP: $tool is not installed (packages xvfb, xdotool, x11-utils, imagemagick)"
            exit 77
        fi
    done
}

# wait_for SECONDS COMMAND...: runs COMMAND until it succeeds or the time is up.
wait_for() {
    local seconds=$1
    shift
    local deadline=$(($(date +%s%N) + seconds * 1000000000))
    until "$@"; do
        [ "$(date +%s%N)" -gt "$deadline" ] && return 1
        sleep "$E2E_POLL"
    done
    return 0
}

# stays_false SECONDS COMMAND...: succeeds when COMMAND never succeeds
# within the time (the check that something does NOT appear).
stays_false() {
    ! wait_for "$@"
}

# e2e_setup EXECUTABLE TEMPLATE_PROGRAM_DIR: makes the temporary program
# folder (executable only; copy_data and copy_support add the rest) and
# starts the X server.
e2e_setup() {
    E2E_EXE=$1
    E2E_TEMPLATE=$2
    [ -x "$E2E_EXE" ] || e2e_fail "no editor executable at $E2E_EXE"
    E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/skinedit-e2e.XXXXXX")
    PROG=$E2E_WORK/program
    mkdir -p "$PROG" "$E2E_WORK/runtime"
    chmod 700 "$E2E_WORK/runtime"
    export XDG_RUNTIME_DIR=$E2E_WORK/runtime
    # The program's title comes from the executable's name: keep it, or use
    # the name a case gives in E2E_EXE_NAME.
    cp "$E2E_EXE" "$PROG/${E2E_EXE_NAME:-skinedit}"
    trap e2e_cleanup EXIT
    e2e_start_x
}

copy_data() { cp -r "$E2E_TEMPLATE/data" "$PROG/data"; }
copy_support() { cp -r "$E2E_TEMPLATE/Support" "$PROG/Support"; }

e2e_start_x() {
    local display_file=$E2E_WORK/display
    : >"$display_file"
    # -displayfd: the server picks a free display itself and writes its number.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
        3>"$display_file" >"$E2E_WORK/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    wait_for 15 grep -q '[0-9]' "$display_file" || e2e_fail "Xvfb did not start"
    export DISPLAY=:$(tr -dc '0-9' <"$display_file")
    wait_for 10 xprop -root -display "$DISPLAY" >/dev/null 2>&1 || e2e_fail "display $DISPLAY does not answer"
}

e2e_cleanup() {
    local status=$?
    [ -n "${E2E_EDITOR_PID:-}" ] && kill "$E2E_EDITOR_PID" 2>/dev/null
    [ -n "${E2E_XVFB_PID:-}" ] && kill "$E2E_XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    # A file system a case mounted for itself.
    [ -n "${E2E_MOUNT:-}" ] && umount -l "$E2E_MOUNT"
    if [ "$status" -ne 0 ] && [ -n "${E2E_KEEP:-}" ]; then
        echo "kept: $E2E_WORK"
    else
        rm -rf "$E2E_WORK"
    fi
}

# On failure: the last screenshot and the editor's output help the reader.
e2e_keep_evidence() {
    [ -n "${DISPLAY:-}" ] && import -window root "$E2E_WORK/failure.png" 2>/dev/null
    [ -f "$E2E_WORK/editor.log" ] && sed 's/^/editor: /' "$E2E_WORK/editor.log" | tail -20 >&2
    echo "windows:" >&2
    list_windows >&2
}

# Starts the editor from a working directory that is not its own folder: it
# must find its files beside the executable. SIGXFSZ is ignored, so that a
# write past a file-size limit fails instead of ending the editor.
start_editor() {
    (cd "$E2E_WORK" && trap '' XFSZ && exec "$PROG/${E2E_EXE_NAME:-skinedit}") >"$E2E_WORK/editor.log" 2>&1 &
    E2E_EDITOR_PID=$!
}

editor_running() { kill -0 "$E2E_EDITOR_PID" 2>/dev/null; }
editor_ended() { ! editor_running; }

wait_editor_end() {
    wait_for "$1" editor_ended || return 1
    wait "$E2E_EDITOR_PID" 2>/dev/null
    E2E_EDITOR_PID=
}

list_windows() {
    local w
    for w in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
        echo "  $w '$(xdotool getwindowname "$w")' $(window_geometry "$w") $(window_type "$w")"
    done
}

# Visible windows whose title is exactly TITLE.
windows_titled() {
    local w
    for w in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
        [ "$(xdotool getwindowname "$w")" = "$1" ] && echo "$w"
    done
}

# The window's types, e.g. "UTILITY NORMAL" for the tool window, "DIALOG"
# for a box.
window_type() {
    xprop -id "$1" _NET_WM_WINDOW_TYPE 2>/dev/null | sed -n 's/^[^=]*= //p' \
        | tr ',' '\n' | sed -n 's/.*_WINDOW_TYPE_\([A-Z_]*\).*/\1/p' | tr '\n' ' ' | sed 's/ $//'
}
is_tool_window() { case " $(window_type "$1") " in *" UTILITY "*) return 0 ;; esac; return 1; }

# "X Y WIDTH HEIGHT" of a window on the screen.
window_geometry() {
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    echo "$X $Y $WIDTH $HEIGHT"
}

E2E_TITLE='....::::Corvadine::::....'

# The canvas and the options window share their title; the options window
# is the tool (utility) window, the canvas is not.
canvas_window() {
    local w
    for w in $(windows_titled "${1:-$E2E_TITLE}"); do
        is_tool_window "$w" || { echo "$w"; return 0; }
    done
    return 1
}
options_window() {
    local w
    for w in $(windows_titled "${1:-$E2E_TITLE}"); do
        is_tool_window "$w" && echo "$w" && return 0
    done
    return 1
}
has_canvas() { canvas_window "$@" >/dev/null; }
has_options() { options_window "$@" >/dev/null; }
has_window_titled() { [ -n "$(windows_titled "$1")" ]; }
no_window_titled() { ! has_window_titled "$1"; }

# Waits for a window titled TITLE and prints its id.
wait_window_titled() {
    wait_for "${2:-20}" has_window_titled "$1" || return 1
    windows_titled "$1" | head -1
}

window_at() { [ "$(window_geometry "$1" | cut -d' ' -f1-2)" = "$2 $3" ]; }

# Whether WINDOW stands at X Y with the size W x H, read afresh at each call
# (so it can be polled by wait_for).
window_is() { [ "$(window_geometry "$1")" = "$2 $3 $4 $5" ]; }

# Whether the window asks to stay above others (as every dialog does, to
# stand above the always-on-top options window).
stays_above() { xprop -id "$1" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_ABOVE; }

# Presses a key while the pointer rests on WINDOW: without a window manager
# the keyboard goes where the pointer is or to the window the program focused.
key_to() {
    local window=$1
    shift
    local x y w h
    read -r x y w h <<<"$(window_geometry "$window")"
    xdotool mousemove --sync $((x + w / 2)) $((y + 5)) key "$@"
}

click_at() {
    xdotool mousemove --sync "$1" "$2" click "${3:-1}"
}

# drag X1 Y1 X2 Y2 [BUTTON]: presses, moves in steps of a few pixels, releases.
drag() {
    local x1=$1 y1=$2 x2=$3 y2=$4 button=${5:-1}
    local steps=12 i
    xdotool mousemove --sync "$x1" "$y1" mousedown "$button"
    for ((i = 1; i <= steps; i++)); do
        xdotool mousemove "$((x1 + (x2 - x1) * i / steps))" "$((y1 + (y2 - y1) * i / steps))"
    done
    xdotool mouseup "$button"
}

# Like drag, but leaves the button down (for a picture of a drag in progress).
drag_hold() {
    local x1=$1 y1=$2 x2=$3 y2=$4 button=${5:-1}
    local steps=12 i
    xdotool mousemove --sync "$x1" "$y1" mousedown "$button"
    for ((i = 1; i <= steps; i++)); do
        xdotool mousemove "$((x1 + (x2 - x1) * i / steps))" "$((y1 + (y2 - y1) * i / steps))"
    done
}

screenshot() { import -window root "$1"; }

# pixel FILE X Y: "#RRGGBB" of one pixel.
pixel() {
    convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -1
}

# row_pixels FILE Y X0 WIDTH: one "#RRGGBB" per pixel of a row part.
row_pixels() {
    convert "$1" -crop "${4}x1+${3}+${2}" +repage -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}'
}

# ink_width FILE X Y W H: width of the dark text inside a rectangle (0 if none).
ink_width() {
    local box
    box=$(convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -colorspace Gray -threshold 50% \
        -negate -format '%@' info: 2>/dev/null)
    case $box in
        0x0*|'') echo 0 ;;
        *) echo "${box%%x*}" ;;
    esac
}

# Waits until a screenshot shows PIXEL_COLOUR at X Y (the screen settled).
screen_pixel_is() {
    screenshot "$E2E_WORK/poll.png" && [ "$(pixel "$E2E_WORK/poll.png" "$1" "$2")" = "$3" ]
}

# box_says WINDOW critical|none TEXT: the message box shows exactly TEXT
# (and the icon): its picture, less the button row, equals the picture of a
# box that the same toolkit draws with that text.
box_says() {
    local box=$1 icon=$2 text=$3 height
    import -window "$box" "$E2E_WORK/box.png" || return 1
    "$E2E_EXPECTED_BOX" "$E2E_WORK/expected.png" "$icon" "$text" 2>/dev/null || return 1
    local actual expected
    actual=$(identify -format '%wx%h' "$E2E_WORK/box.png")
    expected=$(identify -format '%wx%h' "$E2E_WORK/expected.png")
    if [ "$actual" != "$expected" ]; then
        echo "box is $actual, a box saying '$text' is $expected" >&2
        return 1
    fi
    height=$(identify -format '%h' "$E2E_WORK/box.png")
    local text_part="${actual%x*}x$((height - 45))+0+0"
    local differing
    convert "$E2E_WORK/box.png" -crop "$text_part" +repage "$E2E_WORK/box-text.png"
    convert "$E2E_WORK/expected.png" -crop "$text_part" +repage "$E2E_WORK/expected-text.png"
    differing=$(compare -metric AE -fuzz 8% "$E2E_WORK/box-text.png" "$E2E_WORK/expected-text.png" null: 2>&1)
    if [ "${differing%%.*}" != 0 ]; then
        echo "box differs from one saying '$text' in $differing pixels" >&2
        return 1
    fi
}

# Reads KEY of an INI file (first match, any section).
ini_value() {
    sed -n "s/^$2=//p" "$1" | head -1 | tr -d '\r'
}
