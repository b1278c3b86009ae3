#!/usr/bin/env bash
# Takes the pictures of the README and the user guide from the running
# editor on the sample skin, walking through every panel of the options
# window, a drag, a resize, the Flash preview, a colour dialog, Save and an
# error box. Fails when a step does not happen, so it doubles as a test.
#   screenshots.sh OUTDIR EDITOR_EXECUTABLE SAMPLE_PROGRAM_DIR
# e.g. tests/e2e/screenshots.sh docs/images build/release/program/skinedit build/release/program
set -uo pipefail
OUT=$1
HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
. "$HERE/lib.sh"
e2e_require_tools
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)
e2e_setup "$2" "$3"

OX=520 # the options window beside the canvas

# Crops the screen to X Y W H and writes OUT/NAME.png, small.
capture() {
    local name=$1 x=$2 y=$3 w=$4 h=$5
    screenshot "$E2E_WORK/screen.png"
    convert "$E2E_WORK/screen.png" -crop "${w}x${h}+${x}+${y}" +repage -strip \
        -define png:compression-level=9 "$OUT/$name.png" || e2e_fail "cannot write $name.png"
    echo "$OUT/$name.png"
}
capture_window() {
    local name=$1 x y w h
    read -r x y w h <<<"$(window_geometry "$2")"
    capture "$name" "$x" "$y" "$w" "$h"
}

region_sum() {
    screenshot "$E2E_WORK/region.png"
    convert "$E2E_WORK/region.png" -crop "$3x$4+$1+$2" +repage -depth 8 rgb:- | md5sum
}
region_differs() { [ "$(region_sum "$1" "$2" "$3" "$4")" != "$5" ]; }

# act_and_wait X Y W H COMMAND...: runs COMMAND, then waits until the screen
# region X Y W H looks different.
act_and_wait() {
    local x=$1 y=$2 w=$3 h=$4 before
    shift 4
    before=$(region_sum "$x" "$y" "$w" "$h")
    "$@"
    wait_for 10 region_differs "$x" "$y" "$w" "$h" "$before" || e2e_fail "no change on screen after: $*"
}

# Tree nodes of the options window (window coordinates of their texts).
node() { click_at $((OX + $1)) "$2"; }
OPTIONS_AREA=($OX 0 426 204)

copy_data
copy_support
printf '[Pelmora]\nOptionsX=%d\nOptionsY=0\n' $OX >"$PROG/Options.ini"
start_editor
wait_for 30 has_canvas || e2e_fail "no canvas window"
wait_for 15 has_options || e2e_fail "no options window"
CANVAS=$(canvas_window)
OPTIONS=$(options_window)
wait_for 10 window_at "$OPTIONS" $OX 0 || e2e_fail "options window not beside the canvas"
xdotool mousemove --sync 1000 700
wait_for 10 screen_pixel_is 10 295 '#666666' || e2e_fail "the canvas did not show its grid"

capture editor 0 0 $((OX + 426)) 400
capture_window options-about "$OPTIONS"

# The category tree: Settings shows the Title panel; expand it, then each child.
act_and_wait "${OPTIONS_AREA[@]}" node 90 29
act_and_wait "${OPTIONS_AREA[@]}" node 19 29
act_and_wait "${OPTIONS_AREA[@]}" node 120 47
capture_window options-title "$OPTIONS"
act_and_wait "${OPTIONS_AREA[@]}" node 110 65
capture_window options-music "$OPTIONS"
act_and_wait "${OPTIONS_AREA[@]}" node 130 83
capture_window options-colours "$OPTIONS"
act_and_wait "${OPTIONS_AREA[@]}" node 110 101
capture_window options-misc "$OPTIONS"

# Title panel: "Flash вместо bmp" swaps the title picture for the Flash
# area; the play picture plays the movie there.
act_and_wait "${OPTIONS_AREA[@]}" node 120 47
act_and_wait 0 0 500 100 click_at $((OX + 232)) 56
capture canvas-flash-area 0 0 500 100
act_and_wait 0 0 500 100 click_at $((OX + 240)) 88
capture canvas-flash-preview 0 0 500 100
act_and_wait 0 0 500 100 click_at $((OX + 240)) 129
act_and_wait 0 0 500 100 click_at $((OX + 232)) 56

# A drag in progress: the exit button follows the pointer.
act_and_wait 0 0 500 400 drag_hold 380 365 300 365
capture canvas-drag 0 0 500 400
xdotool mouseup 1
# The right button resizes the tree from its bottom-right corner.
act_and_wait 0 0 500 400 drag_hold 120 200 150 230 3
capture canvas-resize 0 0 500 400
xdotool mouseup 3
xdotool mousemove --sync 1000 700

# A colour swatch opens the colour dialog (tree colour, Colours panel).
act_and_wait "${OPTIONS_AREA[@]}" node 130 83
click_at $((OX + 236)) 168
wait_for 10 has_window_titled "Select Color" || e2e_fail "no colour dialog"
DIALOG=$(windows_titled "Select Color" | head -1)
xdotool mousemove --sync 1000 700
capture_window colour-dialog "$DIALOG"
key_to "$DIALOG" Escape
wait_for 10 no_window_titled "Select Color" || e2e_fail "the colour dialog did not close"

# Save: the dialog proposes data/skin.ini, a message confirms.
click_at $((OX + 264)) 189
DIALOG=$(wait_window_titled "Save As") || e2e_fail "no save dialog"
xdotool mousemove --sync 1000 700
capture_window save-dialog "$DIALOG"
key_to "$DIALOG" Return
MESSAGE=$(wait_window_titled "Сообщение...") || e2e_fail "no confirmation"
xdotool mousemove --sync 1000 700
capture_window save-message "$MESSAGE"
key_to "$MESSAGE" Return
wait_for 10 no_window_titled "Сообщение..." || e2e_fail "the confirmation did not close"
click_at $((OX + 372)) 189
wait_editor_end 15 || e2e_fail "Exit did not end the program"

# An error box: the editor started without its data folder.
rm -rf "$PROG/data" "$PROG/Options.ini"
start_editor
BOX=$(wait_window_titled "skinedit" 30) || e2e_fail "no error box"
capture_window error-box "$BOX"
key_to "$BOX" Return
wait_for 20 has_options || e2e_fail "no options window after the error"
echo "PASS: screenshots in $OUT"
