#!/usr/bin/env bash
# One end-to-end case: the real editor in a temporary program folder under
# its own Xvfb, driven with xdotool.
#   run_case.sh CASE EDITOR_EXECUTABLE SAMPLE_PROGRAM_DIR EXPECTED_BOX_TOOL
set -uo pipefail
CASE=$1
HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
. "$HERE/lib.sh"
e2e_require_tools
E2E_EXPECTED_BOX=$4
# The title follows the executable's name: one case runs a copy named with
# a capital first letter.
[ "$CASE" = capital_name ] && E2E_EXE_NAME=SkinEdit
e2e_setup "$2" "$3"

# Where things stand in the options window (client coordinates; without a
# window manager the window has no frame, so client = window).
SAVE_X=264 SAVE_Y=189    # "Сохранить " (216, 177, 97 x 24)
EXIT_X=372 EXIT_Y=189    # "Выход" (320, 177, 105 x 24)
OPTIONS_W=426 OPTIONS_H=204
# Without a window manager both windows open at (0, 0); a stored place puts
# the options window beside the canvas so that the canvas can be reached.
OPTIONS_BESIDE_X=520

write_options_beside() {
    printf '[Pelmora]\nOptionsX=%d\nOptionsY=0\n%s' "$OPTIONS_BESIDE_X" "${1:-}" >"$PROG/Options.ini"
}

skin() { ini_value "$PROG/data/skin.ini" "$1"; }

background_size() {
    # Width and height from the BMP header (32-bit little-endian at 18 and 22).
    od -An -t d4 -j 18 -N 8 "$PROG/data/BackGround.bmp" | awk '{print $1, ($2 < 0 ? -$2 : $2)}'
}

start_and_wait_both() {
    start_editor
    wait_for 30 has_canvas || e2e_fail "the canvas window did not appear"
    wait_for 15 has_options || e2e_fail "the options window did not appear"
}

# A row of the sample background that no element covers: between the tree
# and the info box above and the buttons below.
free_background_row() {
    echo $(($(skin LstY) + $(skin LstH) + 5))
}

move_pointer_away() { xdotool mousemove --sync 1000 700; }

# Presses Save and accepts the dialog's proposal data/skin.ini with Return
# (once more if the dialog was still busy reading its folder when the key
# came), until a window titled NEXT_TITLE shows.
press_save() {
    click_at $((OPTIONS_BESIDE_X + SAVE_X)) $SAVE_Y
    local dialog
    dialog=$(wait_window_titled "Save As") || e2e_fail "no save dialog"
    stays_above "$dialog" || e2e_fail "the save dialog does not stand above the options window"
    key_to "$dialog" Return
    wait_for 5 has_window_titled "$1" || { has_window_titled "Save As" && key_to "$dialog" Return; }
}

# Save, accepting the dialog's proposal data/skin.ini and the confirmation.
save_skin() {
    press_save "Сообщение..."
    local message
    message=$(wait_window_titled "Сообщение...") || e2e_fail "no confirmation message"
    wait_for 5 box_says "$message" none "Данные были удачно сохранены в файл $PROG/data/skin.ini" \
        || e2e_fail "the confirmation does not name $PROG/data/skin.ini"
    key_to "$message" Return
    wait_for 10 no_window_titled "Сообщение..." || e2e_fail "the message did not close"
}

# expect_setup_moved_and_saved SX SY DX DY: after a drag of the setup button
# from (SX, SY) by (DX, DY) and a Save, the backup holds the skin from
# before, SetupX/SetupY moved by exactly that and every other key is kept.
expect_setup_moved_and_saved() {
    cmp -s "$E2E_WORK/skin.before" "$PROG/data/skin.ini.BAK" || e2e_fail "skin.ini.BAK does not hold the old file"
    [ "$(skin SetupX)" = $(($1 + $3)) ] || e2e_fail "SetupX=$(skin SetupX), expected $(($1 + $3))"
    [ "$(skin SetupY)" = $(($2 + $4)) ] || e2e_fail "SetupY=$(skin SetupY), expected $(($2 + $4))"
    diff <(grep -v '^Setup[XY]=' "$E2E_WORK/skin.before") <(grep -v '^Setup[XY]=' "$PROG/data/skin.ini") \
        || e2e_fail "keys other than SetupX/SetupY changed"
}

case_first_start() {
    copy_data
    copy_support
    start_and_wait_both
    local canvas options w h
    canvas=$(canvas_window)
    options=$(options_window)
    read -r w h <<<"$(background_size)"
    [ "$(window_geometry "$canvas")" = "0 0 $w $h" ] \
        || e2e_fail "canvas at $(window_geometry "$canvas"), expected 0 0 $w $h (the background's size)"
    e2e_note "canvas at the origin, ${w}x${h} like the background"
    # First run: the window system's place for a new window, (0, 0) here.
    [ "$(window_geometry "$options")" = "0 0 $OPTIONS_W $OPTIONS_H" ] \
        || e2e_fail "options window at $(window_geometry "$options")"
    e2e_note "options window shown at the window system's place, ${OPTIONS_W}x${OPTIONS_H}"
    click_at $EXIT_X $EXIT_Y
    wait_editor_end 15 || e2e_fail "Exit did not end the program"
    [ -f "$PROG/Options.ini" ] || e2e_fail "Exit wrote no Options.ini"
    local key expected
    for key in GridColor OptionsX OptionsY MainX MainY Grid; do
        case $key in
            GridColor) expected='$00666666' ;;
            Grid) expected=1 ;;
            *) expected=0 ;;
        esac
        [ "$(ini_value "$PROG/Options.ini" $key)" = "$expected" ] \
            || e2e_fail "Options.ini $key=$(ini_value "$PROG/Options.ini" $key), expected $expected"
    done
    e2e_note "Exit stored the first-run places and the default grid"
}

case_grid_and_placement() {
    copy_data
    copy_support
    write_options_beside
    start_and_wait_both
    local canvas options w h row
    canvas=$(canvas_window)
    options=$(options_window)
    wait_for 10 window_at "$options" $OPTIONS_BESIDE_X 0 || e2e_fail "options window not at its stored place"
    read -r w h <<<"$(background_size)"
    row=$(free_background_row)
    move_pointer_away
    wait_for 10 screen_pixel_is 10 "$row" '#666666' || e2e_fail "no grid line at (10, $row)"
    local shot=$E2E_WORK/grid.png x=0 colour
    screenshot "$shot"
    # Lines every 10 pixels across the whole row, nothing in between.
    while read -r colour; do
        if [ $((x % 10)) -eq 0 ]; then
            [ "$colour" = '#666666' ] || e2e_fail "pixel ($x, $row) is $colour, not the grid's #666666"
        elif [ $((x % 10)) -eq 5 ]; then
            [ "$colour" != '#666666' ] || e2e_fail "pixel ($x, $row) between the lines is grid-coloured"
        fi
        x=$((x + 1))
    done < <(row_pixels "$shot" "$row" 0 "$w")
    [ "$x" -eq "$w" ] || e2e_fail "read $x pixels of row $row"
    e2e_note "grid rgb(102,102,102) at x=0,10,...,$((w - 10)) on row $row"
    # The column x=10 runs down the background's left margin, uncovered.
    local y=0
    while read -r colour; do
        [ "$colour" = '#666666' ] || e2e_fail "pixel (10, $y) is $colour, not the grid's"
        y=$((y + 1))
    done < <(convert "$shot" -crop "1x${h}+10+0" +repage -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}')
    e2e_note "grid column x=10 from y=0 to $((h - 1))"
    # The Russian texts of the form: "Сохранить " is a long caption.
    local save_ink
    save_ink=$(ink_width "$shot" $((OPTIONS_BESIDE_X + 218)) 179 93 20)
    [ "$save_ink" -ge 45 ] || e2e_fail "the Save caption is $save_ink pixels wide, expected the Russian text"
    e2e_note "Russian Save caption, $save_ink pixels of text"
}

case_drag_and_save() {
    copy_data
    copy_support
    write_options_beside
    cp "$PROG/data/skin.ini" "$E2E_WORK/skin.before"
    start_and_wait_both
    local options
    options=$(options_window)
    wait_for 10 window_at "$options" $OPTIONS_BESIDE_X 0 || e2e_fail "options window not at its stored place"
    local sx sy dx=23 dy=-17
    sx=$(skin SetupX)
    sy=$(skin SetupY)
    drag $((sx + 15)) $((sy + 12)) $((sx + 15 + dx)) $((sy + 12 + dy))
    e2e_note "dragged the setup button by ($dx, $dy)"
    save_skin
    e2e_note "confirmation names the saved file"

    expect_setup_moved_and_saved "$sx" "$sy" "$dx" "$dy"
    local files
    files=$(cd "$PROG/data" && ls | grep -v -x -e skin.ini.BAK | tr '\n' ' ')
    [ "$files" = "$(cd "$E2E_TEMPLATE/data" && ls | tr '\n' ' ')" ] || e2e_fail "the data folder now holds: $files"
    e2e_note "SetupX/SetupY moved by exactly ($dx, $dy), every other key kept, backup made"
}

# Save with the program folder on a full file system: the error box names
# the skin file, which stays as it was; once there is room again, Save
# writes the whole skin. As root the program folder is a small tmpfs of its
# own, filled up; elsewhere a file-size limit of 0 bytes on the running
# editor stands in for the full disk.
case_full_disk() {
    local method
    if mount -t tmpfs -o size=$(($(stat -c %s "$E2E_EXE") / 1024 + 8192))k tmpfs "$PROG" 2>/dev/null; then
        E2E_MOUNT=$PROG
        method="a tmpfs mounted over the program folder"
        cp "$E2E_EXE" "$PROG/skinedit"
    elif command -v prlimit >/dev/null; then
        method="a file-size limit of 0 bytes on the editor"
    else
        echo "SKIP: cannot mount a tmpfs here and prlimit is not installed (package util-linux)"
        exit 77
    fi
    copy_data
    copy_support
    write_options_beside
    cp "$PROG/data/skin.ini" "$E2E_WORK/skin.before"
    start_and_wait_both
    wait_for 10 window_at "$(options_window)" $OPTIONS_BESIDE_X 0 || e2e_fail "options window not at its stored place"
    local sx sy dx=31 dy=-11
    sx=$(skin SetupX)
    sy=$(skin SetupY)
    drag $((sx + 15)) $((sy + 12)) $((sx + 15 + dx)) $((sy + 12 + dy))

    if [ -n "${E2E_MOUNT:-}" ]; then
        dd if=/dev/zero of="$PROG/filler" bs=64k 2>/dev/null
        [ "$(df --output=avail "$PROG" | tail -1)" -eq 0 ] || e2e_fail "the program folder's file system is not full"
    else
        prlimit --pid "$E2E_EDITOR_PID" --fsize=0:unlimited || e2e_fail "cannot limit the editor's file size"
    fi
    e2e_note "program folder full: $method"
    press_save skinedit
    local box
    box=$(wait_window_titled "skinedit" 20) || e2e_fail "no error box after Save on a full disk"
    wait_for 5 box_says "$box" critical "Unable to write to $PROG/data/skin.ini." \
        || e2e_fail "the error box does not say: Unable to write to $PROG/data/skin.ini."
    stays_false 1 has_window_titled "Сообщение..." || e2e_fail "a confirmation after a failed Save"
    cmp -s "$E2E_WORK/skin.before" "$PROG/data/skin.ini" || e2e_fail "skin.ini changed on the full disk"
    [ "$(cd "$PROG/data" && ls -A | tr '\n' ' ')" = "$(cd "$E2E_TEMPLATE/data" && ls -A | tr '\n' ' ')" ] \
        || e2e_fail "the data folder now holds: $(cd "$PROG/data" && ls -A | tr '\n' ' ')"
    e2e_note "error box 'Unable to write to .../data/skin.ini.', skin.ini and the data folder as they were"
    key_to "$box" Return
    wait_for 10 no_window_titled "skinedit" || e2e_fail "the error box did not close"

    if [ -n "${E2E_MOUNT:-}" ]; then
        rm "$PROG/filler"
    else
        prlimit --pid "$E2E_EDITOR_PID" --fsize=unlimited:unlimited || e2e_fail "cannot lift the file-size limit"
    fi
    save_skin
    expect_setup_moved_and_saved "$sx" "$sy" "$dx" "$dy"
    e2e_note "with room again, Save wrote the whole skin: SetupX/SetupY moved, every other key kept, backup made"
}

case_move_exit_restart() {
    copy_data
    copy_support
    write_options_beside
    start_and_wait_both
    local canvas options row
    canvas=$(canvas_window)
    options=$(options_window)
    wait_for 10 window_at "$options" $OPTIONS_BESIDE_X 0 || e2e_fail "options window not at its stored place"
    row=$(free_background_row)
    drag 300 $((row + 2)) 340 $((row + 32))
    wait_for 10 window_at "$canvas" 40 30 || e2e_fail "canvas at $(window_geometry "$canvas") after the drag"
    e2e_note "dragging the background moved the canvas to (40, 30)"
    click_at $((OPTIONS_BESIDE_X + EXIT_X)) $EXIT_Y
    wait_editor_end 15 || e2e_fail "Exit did not end the program"
    local key expected
    for key in MainX=40 MainY=30 OptionsX=$OPTIONS_BESIDE_X OptionsY=0 Grid=1 'GridColor=$00666666'; do
        expected=${key#*=}
        [ "$(ini_value "$PROG/Options.ini" "${key%%=*}")" = "$expected" ] \
            || e2e_fail "Options.ini ${key%%=*}=$(ini_value "$PROG/Options.ini" "${key%%=*}"), expected $expected"
    done
    e2e_note "Exit ended the program and stored MainX=40, MainY=30"
    start_and_wait_both
    wait_for 10 window_at "$(canvas_window)" 40 30 || e2e_fail "the canvas did not return to (40, 30)"
    wait_for 10 window_at "$(options_window)" $OPTIONS_BESIDE_X 0 || e2e_fail "the options window did not return"
    e2e_note "the next start put both windows back"
}

case_no_data_folder() {
    copy_support
    start_editor
    local box
    box=$(wait_window_titled "skinedit" 30) || e2e_fail "no error box titled skinedit"
    stays_above "$box" || e2e_fail "the error box does not stand above the options window"
    wait_for 5 box_says "$box" critical "Cannot open file $PROG/data/ButtonUp.jpg." \
        || e2e_fail "the error box does not say: Cannot open file $PROG/data/ButtonUp.jpg."
    e2e_note "error box 'skinedit': Cannot open file .../data/ButtonUp.jpg."
    key_to "$box" Return
    wait_for 20 has_canvas || e2e_fail "no canvas after the error"
    wait_for 10 has_options || e2e_fail "no options window after the error"
    [ "$(window_geometry "$(canvas_window)")" = "0 0 500 400" ] \
        || e2e_fail "canvas at $(window_geometry "$(canvas_window)"), expected its layout size at the origin"
    e2e_note "after OK both windows are up, the canvas 500x400 at the origin"
}

# The executable is named SkinEdit (see above): the title keeps the first
# letter as the file name has it and lowers the rest.
case_capital_name() {
    copy_support
    start_editor
    local box
    box=$(wait_window_titled "Skinedit" 30) || e2e_fail "no error box titled Skinedit for the executable SkinEdit"
    e2e_note "the executable SkinEdit shows its errors under the title Skinedit"
    key_to "$box" Return
    wait_for 20 has_canvas || e2e_fail "no canvas after the error"
}

case_invalid_colour() {
    copy_data
    copy_support
    write_options_beside
    sed -i 's/^DirColor=.*/DirColor=clPink/' "$PROG/data/skin.ini"
    start_editor
    local box
    box=$(wait_window_titled "skinedit" 30) || e2e_fail "no error box titled skinedit"
    wait_for 5 box_says "$box" critical "'clPink' is not a valid integer value." \
        || e2e_fail "the error box does not say: 'clPink' is not a valid integer value."
    e2e_note "error box 'skinedit': 'clPink' is not a valid integer value."
    key_to "$box" Return
    wait_for 20 has_canvas || e2e_fail "no canvas after the error"
    stays_false 2 has_options || e2e_fail "the options window was shown after the skin file failed"
    e2e_note "the canvas shows, the options window does not"
}

case_english_texts() {
    copy_data
    copy_support
    write_options_beside $'\n[Main]\nLangFile=English.lng\n'
    start_and_wait_both
    local options
    options=$(options_window)
    wait_for 10 window_at "$options" $OPTIONS_BESIDE_X 0 || e2e_fail "options window not at its stored place"
    local title
    title=$(ini_value "$PROG/Support/English.lng" 0)
    [ "$(xdotool getwindowname "$options")" = "$title" ] || e2e_fail "options window titled '$(xdotool getwindowname "$options")'"
    move_pointer_away
    local shot=$E2E_WORK/english.png save_ink exit_ink about_ink
    wait_for 10 screen_pixel_is 10 "$(free_background_row)" '#666666' || e2e_fail "the canvas did not settle"
    screenshot "$shot"
    # "Save" and "Exit" are short captions where the Russian ones are long;
    # the tree's first node reads "About", not "О программе".
    save_ink=$(ink_width "$shot" $((OPTIONS_BESIDE_X + 218)) 179 93 20)
    exit_ink=$(ink_width "$shot" $((OPTIONS_BESIDE_X + 322)) 179 101 20)
    about_ink=$(ink_width "$shot" $((OPTIONS_BESIDE_X + 60)) 3 140 16)
    e2e_note "caption widths: Save $save_ink, Exit $exit_ink, About $about_ink pixels"
    [ "$save_ink" -gt 10 ] && [ "$save_ink" -le 35 ] || e2e_fail "the Save caption is not 'Save' ($save_ink pixels)"
    [ "$exit_ink" -gt 10 ] && [ "$exit_ink" -le 28 ] || e2e_fail "the Exit caption is not 'Exit' ($exit_ink pixels)"
    [ "$about_ink" -gt 15 ] && [ "$about_ink" -le 45 ] || e2e_fail "the first node is not 'About' ($about_ink pixels)"
    # The accepted file also names the categories: "Settings" shows the
    # Title panel, whose check box reads "Flash instead of bmp".
    e2e_note "English texts in the options window"
}

# A resize dragged far past the tree's own top-left corner leaves it 8 x 8,
# where the right button grabs it again; the back button does nothing.
case_resize_floor() {
    copy_data
    copy_support
    write_options_beside
    start_and_wait_both
    wait_for 10 window_at "$(options_window)" $OPTIONS_BESIDE_X 0 || e2e_fail "options window not at its stored place"
    local x y w h
    x=$(skin LstX) y=$(skin LstY) w=$(skin LstW) h=$(skin LstH)
    drag $((x + w - 5)) $((y + h - 5)) 0 0 3
    drag $((x + 4)) $((y + 4)) $((x + 104)) $((y + 84)) 3
    drag $((x + 50)) $((y + 40)) $((x + 20)) $((y + 20)) 8
    save_skin
    [ "$(skin LstX) $(skin LstY) $(skin LstW) $(skin LstH)" = "$x $y 108 88" ] \
        || e2e_fail "tree saved at $(skin LstX) $(skin LstY) $(skin LstW) x $(skin LstH), expected $x $y 108 x 88"
    e2e_note "the tree stopped at 8 x 8, grew again to 108 x 88, and the back button left it alone"
}

# With the Flash area left of and above every other element (the canvas
# shows the layout shifted), Play and Stop of the title movie leave the
# layout exactly as Save wrote it before.
flash_area_shows() { screen_pixel_is 5 5 '#808000'; }
flash_area_hidden() { ! flash_area_shows; }
case_preview_keeps_layout() {
    copy_data
    copy_support
    write_options_beside
    sed -i 's/^Flash=.*/Flash=1/; s/^FlashX=.*/FlashX=-20/; s/^FlashY=.*/FlashY=-15/' "$PROG/data/skin.ini"
    start_and_wait_both
    wait_for 10 window_at "$(options_window)" $OPTIONS_BESIDE_X 0 || e2e_fail "options window not at its stored place"
    move_pointer_away
    wait_for 10 flash_area_shows || e2e_fail "no Flash area at the canvas's corner"
    save_skin
    [ "$(skin FlashX) $(skin FlashY)" = "-20 -15" ] || e2e_fail "Flash area saved at $(skin FlashX) $(skin FlashY)"
    click_at $((OPTIONS_BESIDE_X + 90)) 29 # Settings: the Title panel
    click_at $((OPTIONS_BESIDE_X + 240)) 88
    move_pointer_away
    wait_for 10 flash_area_hidden || e2e_fail "Play did not show the player"
    click_at $((OPTIONS_BESIDE_X + 240)) 129
    move_pointer_away
    wait_for 10 flash_area_shows || e2e_fail "Stop did not bring the Flash area back"
    save_skin
    cmp -s "$PROG/data/skin.ini.BAK" "$PROG/data/skin.ini" \
        || e2e_fail "Play and Stop changed the saved layout: $(diff "$PROG/data/skin.ini.BAK" "$PROG/data/skin.ini" | tr '\n' ' ')"
    e2e_note "after Play and Stop Save wrote the same skin file"
}

# canvas_picture FILE: the canvas's part of the screen, the pointer away.
canvas_picture() {
    local x y w h
    read -r x y w h <<<"$(window_geometry "$(canvas_window)")"
    move_pointer_away
    screenshot "$E2E_WORK/screen.png"
    convert "$E2E_WORK/screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$1"
}

# A drag past the background's left edge shifts the whole shown layout.
# Save measures every place from the background, where the menu draws it:
# only the dragged button changes, to its negative place, and the next start
# shows the canvas as it was.
case_drag_past_left_edge() {
    copy_data
    copy_support
    local main_x=150
    write_options_beside "MainX=$main_x"$'\nMainY=0\n'
    cp "$PROG/data/skin.ini" "$E2E_WORK/skin.before"
    start_and_wait_both
    local canvas w h sx sy dx=-135
    canvas=$(canvas_window)
    wait_for 10 window_at "$canvas" $main_x 0 || e2e_fail "canvas not at its stored place"
    read -r w h <<<"$(background_size)"
    sx=$(skin SetupX)
    sy=$(skin SetupY)
    # One pointer move carries the button past the edge: it lands exactly
    # there, and the layout shifts right by the part past the edge.
    xdotool mousemove --sync $((main_x + sx + 15)) $((sy + 12)) mousedown 1
    xdotool mousemove --sync $((main_x + sx + 15 + dx)) $((sy + 12)) mouseup 1
    local shifted=$((-(sx + dx)))
    wait_for 10 window_is "$canvas" $main_x 0 $((w + shifted)) "$h" \
        || e2e_fail "canvas at $(window_geometry "$canvas"), expected $main_x 0 $((w + shifted)) $h"
    e2e_note "the setup button dragged by $dx: the layout shifted right by $shifted"
    canvas_picture "$E2E_WORK/before.png"
    save_skin
    expect_setup_moved_and_saved "$sx" "$sy" "$dx" 0
    e2e_note "SetupX=$(skin SetupX) saved, every other key as it was"

    click_at $((OPTIONS_BESIDE_X + EXIT_X)) $EXIT_Y
    wait_editor_end 15 || e2e_fail "Exit did not end the program"
    start_and_wait_both
    canvas=$(canvas_window)
    wait_for 10 window_is "$canvas" $main_x 0 $((w + shifted)) "$h" \
        || e2e_fail "after the restart the canvas is at $(window_geometry "$canvas")"
    canvas_picture "$E2E_WORK/after.png"
    local differing
    differing=$(compare -metric AE "$E2E_WORK/before.png" "$E2E_WORK/after.png" null: 2>&1)
    [ "$differing" = 0 ] || e2e_fail "after the restart the canvas differs in $differing pixels"
    e2e_note "the next start shows the canvas pixel for pixel as before"
}

# Stored places off the screen (a monitor that is gone, a number beyond any
# screen) come up where each window is seen whole; Options.ini keeps them
# until Exit writes the places the windows have then.
case_off_screen_places() {
    copy_data
    copy_support
    printf '[Pelmora]\r\nOptionsX=-3000\r\nOptionsY=100\r\nMainX=2147483647\r\nMainY=5000\r\n' >"$PROG/Options.ini"
    cp "$PROG/Options.ini" "$E2E_WORK/options.before"
    start_and_wait_both
    local screen_w screen_h w h
    read -r screen_w screen_h <<<"$(xdotool getdisplaygeometry)"
    read -r w h <<<"$(background_size)"
    wait_for 10 window_at "$(canvas_window)" $((screen_w - w)) $((screen_h - h)) \
        || e2e_fail "canvas at $(window_geometry "$(canvas_window)"), expected in the screen's corner"
    wait_for 10 window_at "$(options_window)" 0 100 || e2e_fail "options window at $(window_geometry "$(options_window)")"
    e2e_note "both windows came up on the screen, seen whole"
    cmp -s "$E2E_WORK/options.before" "$PROG/Options.ini" || e2e_fail "Options.ini changed before Exit"
    click_at $EXIT_X $((100 + EXIT_Y))
    wait_editor_end 15 || e2e_fail "Exit did not end the program"
    local key expected
    for key in MainX=$((screen_w - w)) MainY=$((screen_h - h)) OptionsX=0 OptionsY=100; do
        expected=${key#*=}
        [ "$(ini_value "$PROG/Options.ini" "${key%%=*}")" = "$expected" ] \
            || e2e_fail "Options.ini ${key%%=*}=$(ini_value "$PROG/Options.ini" "${key%%=*}"), expected $expected"
    done
    e2e_note "Exit stored the places the windows came up at"
}

# A skin made on Windows, whose names match there in any letter case: the
# folder "Data", the pictures, the skin file and the language file named in
# Options.ini each in a case of their own. Everything loads, and Save writes
# the skin file under its own name.
case_windows_names() {
    copy_data
    copy_support
    write_options_beside $'\n[Main]\nLangFile=English.lng\n'
    mv "$PROG/data" "$PROG/Data"
    mv "$PROG/Data/PatchUp.JPG" "$PROG/Data/patchup.jpg"
    mv "$PROG/Data/BackGround.bmp" "$PROG/Data/BACKGROUND.BMP"
    mv "$PROG/Data/SetupUp.jpg" "$PROG/Data/Setupup.JPG"
    mv "$PROG/Data/skin.ini" "$PROG/Data/SKIN.INI"
    mv "$PROG/Support/English.lng" "$PROG/Support/ENGLISH.LNG"
    sed -i 's/^SetupX=.*/SetupX=77/' "$PROG/Data/SKIN.INI"
    cp "$PROG/Data/SKIN.INI" "$E2E_WORK/skin.before"
    start_and_wait_both
    stays_false 2 has_window_titled skinedit || e2e_fail "an error box at start-up"
    local w h
    read -r w h <<<"$(od -An -t d4 -j 18 -N 8 "$PROG/Data/BACKGROUND.BMP" | awk '{print $1, ($2 < 0 ? -$2 : $2)}')"
    [ "$(window_geometry "$(canvas_window)")" = "0 0 $w $h" ] \
        || e2e_fail "canvas at $(window_geometry "$(canvas_window)"), expected the background's ${w}x${h}"
    e2e_note "no error box, the canvas takes BACKGROUND.BMP's ${w}x${h}"
    local title
    title=$(ini_value "$PROG/Support/ENGLISH.LNG" 0)
    [ "$(xdotool getwindowname "$(options_window)")" = "$title" ] \
        || e2e_fail "options window titled '$(xdotool getwindowname "$(options_window)")', not ENGLISH.LNG's '$title'"
    e2e_note "ENGLISH.LNG applied"
    press_save "Сообщение..."
    local message
    message=$(wait_window_titled "Сообщение...") || e2e_fail "no confirmation message"
    wait_for 5 box_says "$message" none "Данные были удачно сохранены в файл $PROG/Data/SKIN.INI" \
        || e2e_fail "the confirmation does not name $PROG/Data/SKIN.INI"
    key_to "$message" Return
    [ "$(ini_value "$PROG/Data/SKIN.INI" SetupX)" = 77 ] || e2e_fail "SetupX=$(ini_value "$PROG/Data/SKIN.INI" SetupX)"
    cmp -s "$E2E_WORK/skin.before" "$PROG/Data/SKIN.INI.BAK" || e2e_fail "SKIN.INI.BAK does not hold the old file"
    [ ! -e "$PROG/Data/skin.ini" ] && [ ! -e "$PROG/data" ] || e2e_fail "Save made a second skin file"
    e2e_note "Save wrote Data/SKIN.INI (SetupX read and kept) and its backup, no second skin file"
}

# After a sound has played, SIGTERM still ends the editor.
case_sigterm_after_sound() {
    copy_data
    copy_support
    write_options_beside
    start_and_wait_both
    wait_for 10 window_at "$(options_window)" $OPTIONS_BESIDE_X 0 || e2e_fail "options window not at its stored place"
    click_at $((OPTIONS_BESIDE_X + 90)) 29  # Settings
    click_at $((OPTIONS_BESIDE_X + 19)) 29  # opened
    click_at $((OPTIONS_BESIDE_X + 110)) 65 # Music
    click_at $((OPTIONS_BESIDE_X + 240)) 136 # the button sound's play picture
    sleep 1
    stays_false 1 has_window_titled skinedit || e2e_fail "an error box after Play"
    editor_running || e2e_fail "the editor ended before the signal"
    kill -TERM "$E2E_EDITOR_PID"
    wait_editor_end 10 || e2e_fail "SIGTERM did not end the editor after a sound"
    e2e_note "the button sound played, then SIGTERM ended the editor"
}

"case_$CASE" || exit 1
echo "PASS: $CASE"
