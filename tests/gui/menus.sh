#!/usr/bin/env bash
# The menus, choosers and dialogs driven as a user would, with the test
# cartridge gui_colours.bin (top of the picture red on even frames and green
# on odd ones; bottom blue, white once pad 1's A was seen) and the test BIOS
# gui_bios.bin (all cyan).
#   menus.sh load 16|24   Load rom through the chooser: the title, the ROM
#                         information box, the cartridge's colours
#   menus.sh keys         Reset, Pause (no frames, the tick, the program
#                         asleep), frame step, frames after every Alt+P
#                         resume, Alt alone opens the menu
#   menus.sh quick        quick save to slot 1, change the picture, quick
#                         load; the same through the state choosers, with a
#                         name typed without extension
#   menus.sh zip          Load rom with a zip of two ROMs: the entry chooser,
#                         nothing over its list, the first entry loads
#   menus.sh files        a dump lands in the ROM's folder, vimo.ini stays in
#                         the start folder; a GYM log started and stopped
#   menus.sh rate         Sound > Sample Rate > 22050 with sound playing
#   (keys and rate also open the frequency dialog, without and with a sound
#   buffer, and close it with its &OK button; without one it shows the
#   configured rate)
#   menus.sh segacd       Boot SegaCD, a disc image through Load rom, Boot again
#   menus.sh drive        Boot SegaCD with the host's drive: the fake ASPI
#                         library's disc, its region read through the drive
set -uo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "${HERE}/gui_common.sh"

scenario="${1:?scenario}"
depth="${2:-24}"

log_has() {
    grep -qF "OutputDebugStringA \"$1" "${folder}/wine.log"
}

# Waits at most 10 s for a status text or tick line to appear in the log.
wait_log() {
    for _ in $(seq 100); do
        log_has "$1" && return 0
        sleep 0.1
    done
    return 1
}

keys() {
    xdotool windowfocus --sync "${main}"
    xdotool key --delay 150 "$@"
    sleep 0.3
}

# An Alt accelerator as a hand plays it: Alt held, the key, Alt released.
accelerator() {
    xdotool windowfocus --sync "${main}"
    xdotool keydown alt
    sleep 0.15
    xdotool key "$1"
    sleep 0.15
    xdotool keyup alt
    sleep 0.3
}

# Waits at most 15 s for the main window's title.
wait_title() {
    for _ in $(seq 30); do
        [ "$(xdotool getwindowname "${main}")" = "$1" ] && return 0
        sleep 0.5
    done
    return 1
}

# In the chooser titled $1, the user goes to the folder of the Windows path
# $2, then chooses the file by its name (so the choice moves the current
# folder, as it does on Windows).
choose_file() {
    local chooser
    chooser="$(timeout 20 xdotool search --sync --name "^$1\$" | head -n 1)"
    [ -n "${chooser}" ] || return 1
    xdotool windowfocus --sync "${chooser}"
    sleep 0.5
    xdotool type --delay 20 "${2%\\*}\\"
    xdotool key Return
    sleep 0.5
    xdotool type --delay 20 "${2##*\\}"
    xdotool key Return
    sleep 1
}

windows_path() {
    echo "Z:${1//\//\\}"
}

shot() {
    sleep 0.4
    import -window "${main}" "${folder}/$1.png"
}

# The colour of the picture's top or bottom half in a screenshot, by name.
half_colour() {
    local file="${folder}/$1.png" height y rgb
    height="$("${CONVERT}" "${file}" -format '%h' info:)"
    # 19 rows of menu bar above the picture, 20 of status bar below.
    if [ "$2" = top ]; then y=$((19 + (height - 39) / 4)); else y=$((19 + 3 * (height - 39) / 4)); fi
    rgb="$(pixel "${file}" 320 "${y}")"
    local r=$((16#${rgb:1:2})) g=$((16#${rgb:3:2})) b=$((16#${rgb:5:2}))
    local name=""
    for channel in r g b; do
        local value=${!channel}
        if [ "${value}" -ge 160 ]; then name="${name}${channel}"; elif [ "${value}" -gt 60 ]; then name="?"; break; fi
    done
    case "${name}" in
        r) echo red ;; g) echo green ;; b) echo blue ;; rgb) echo white ;; gb) echo cyan ;; "") echo black ;;
        *) echo "other ${rgb}" ;;
    esac
}

# The cartridge through Alt+L and the chooser; the information box (when it
# comes) closed with Return.
load_cartridge() {
    keys alt+l
    choose_file "Load Megadrive/Genesis Rom\.\.\." "$(windows_path "${folder}/roms/colours.bin")" || return 1
    close_info_box
    wait_picture
}

# The ROM information box, shown after a load through the chooser's first
# filter, closed with Return (noted in info_box).
close_info_box() {
    local box
    box="$(timeout 10 xdotool search --sync --name '^Vimo rom info\.\.\.$' | head -n 1)"
    if [ -n "${box}" ]; then
        import -window "${box}" "${folder}/info.png"
        xdotool windowfocus --sync "${box}"
        xdotool key Return
        echo "${box}" >"${folder}/info_box"
    fi
}

# Waits at most 10 s for the picture to show (it is black before the first
# drawn frame reaches the window).
wait_picture() {
    for _ in $(seq 20); do
        shot waiting
        [ "$(half_colour waiting bottom)" != black ] && return 0
    done
    return 1
}

# True once screenshots taken one after another show the top of the picture
# in both colours, which flip every frame: frames run. Gives up after 16.
frames_run() {
    local red=0 green=0
    for _ in $(seq 16); do
        import -window "${main}" "${folder}/$1.png"
        case "$(half_colour "$1" top)" in red) red=1 ;; green) green=1 ;; esac
        [ "${red}${green}" = 11 ] && return 0
    done
    return 1
}

# Prints the share of a core, in per cent, that the program (pid $1) and
# the Wine server together use over the next $2 seconds.
cpu_share() {
    local server
    server="$(wine_server_pid)"
    [ -n "${server}" ] || return 1
    local before after
    before=$(($(cpu_ticks "$1") + $(cpu_ticks "${server}")))
    sleep "$2"
    after=$(($(cpu_ticks "$1") + $(cpu_ticks "${server}")))
    awk -v ticks=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$2" 'BEGIN { printf "%.1f\n", 100 * ticks / hz / s }'
}

# User and system time, in clock ticks, of a process.
cpu_ticks() {
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}

# The Wine server of the prefix: it runs in its server folder, named after
# the prefix's device and inode.
wine_server_pid() {
    local folder candidate
    folder="$(printf 'server-%x-%x' "$(stat -c %d "${WINEPREFIX}")" "$(stat -c %i "${WINEPREFIX}")")"
    for candidate in $(pgrep -x 'wineserver|wineserver64'); do
        case "$(readlink "/proc/${candidate}/cwd")" in */"${folder}") echo "${candidate}" && return 0 ;; esac
    done
    return 1
}

# Sound > Effects > Frequency opens the modeless dialog (frequency.png); a
# click on &OK closes it (the message loop gives a modeless dialog no
# keyboard navigation). Wine leaves the closed dialog's X window on the
# screen, so only the program going on shows that it closed.
frequency_dialog() {
    keys alt+s f Return
    local dialog
    dialog="$(timeout 10 xdotool search --sync --onlyvisible --name '^Vimo Frequency effect$' | head -n 1)"
    [ -n "${dialog}" ] || return 1
    sleep 0.5
    import -window "${dialog}" "${folder}/frequency.png"
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "${dialog}" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    # &OK: 120-170 of the template's 220 units across, 70-84 of 90 down.
    xdotool mousemove $((X + WIDTH * 145 / 220)) $((Y + HEIGHT * 77 / 90))
    sleep 0.2
    xdotool click 1
    sleep 0.5
}

exit_program() {
    keys alt+f
    xdotool key x
}

scenario_load() {
    load_cartridge
    xdotool getwindowname "${main}" >"${folder}/title"
    shot picture
}

# Paused, two screenshots 5 s apart show the same frame while the program
# and the Wine server sleep; a frame step shows the next one (the top colour
# flips). Frames run again after every pause and resume by Alt+P, and Alt
# pressed and released alone still opens the menu (File > Load rom).
scenario_keys() {
    load_cartridge
    keys Tab
    accelerator p
    shot paused1
    cpu_share "$(xdotool getwindowpid "${main}")" 5 >"${folder}/paused_cpu"
    shot paused2
    # The grave accent is matched as a character, so type it as one.
    xdotool windowfocus --sync "${main}"
    xdotool type --delay 100 '`'
    sleep 0.3
    shot stepped
    accelerator p
    frames_run running || echo 0 >"${folder}/frames_stopped"
    for round in $(seq 10); do
        [ -f "${folder}/frames_stopped" ] && break
        accelerator p
        accelerator p
        frames_run running || echo "${round}" >"${folder}/frames_stopped"
    done
    # Alt let go before P: under Wine the menu bar took that release for
    # Alt pressed alone every time.
    if [ ! -f "${folder}/frames_stopped" ]; then
        accelerator p
        keys alt+p
        frames_run running || echo "with Alt let go first" >"${folder}/frames_stopped"
    fi
    keys alt Down Return
    local chooser
    chooser="$(timeout 10 xdotool search --sync --name '^Load Megadrive/Genesis Rom\.\.\.$' | head -n 1)"
    if [ -n "${chooser}" ]; then
        echo "${chooser}" >"${folder}/menu_by_alt"
        xdotool windowfocus --sync "${chooser}"
        xdotool key Escape
        sleep 0.5
    fi
    frequency_dialog
}

# Screenshots named $1 until the bottom half shows the colour $2, for at most
# about 5 s: a chooser takes a moment to close under Wine, and only then does
# the command go on.
wait_bottom() {
    for _ in $(seq 10); do
        shot "$1"
        [ "$(half_colour "$1" bottom)" = "$2" ] && return 0
    done
    return 1
}

scenario_quick() {
    load_cartridge
    keys alt+m s
    shot saved
    xdotool keydown a
    sleep 0.5
    xdotool keyup a
    shot pressed
    # MegaDrive > Quick load, the sixth item (no mnemonic).
    keys alt+m Down Down Down Down Down Return
    shot loaded
    keys alt+f s
    choose_file "Save State to\.\.\." "$(windows_path "${folder}/roms/mystate")" || return 1
    xdotool windowfocus --sync "${main}"
    xdotool keydown a
    wait_bottom pressed_again white
    xdotool keyup a
    keys alt+f o
    local chooser
    chooser="$(timeout 20 xdotool search --sync --name '^Load State from\.\.\.$' | head -n 1)"
    [ -n "${chooser}" ] && sleep 1 && import -window "${chooser}" "${folder}/load_chooser.png"
    choose_file "Load State from\.\.\." "$(windows_path "${folder}/roms/mystate.gst")" || return 1
    wait_bottom chosen blue
}

# The entry chooser of a zip holding two ROMs (zip_chooser.png), the one
# visible window of the program without a title; Return takes the first,
# preselected entry.
scenario_zip() {
    keys alt+l
    choose_file "Load Megadrive/Genesis Rom\.\.\." "$(windows_path "${folder}/roms/two.zip")" || return 1
    local chooser="" candidate
    for _ in $(seq 20); do
        for candidate in $(xdotool search --onlyvisible --pid "$(xdotool getwindowpid "${main}")"); do
            [ -z "$(xdotool getwindowname "${candidate}")" ] && chooser="${candidate}"
        done
        [ -n "${chooser}" ] && break
        sleep 0.5
    done
    [ -n "${chooser}" ] || return 1
    sleep 0.5
    import -window "${chooser}" "${folder}/zip_chooser.png"
    xdotool windowfocus --sync "${chooser}"
    xdotool key Return
    close_info_box
    wait_picture
    xdotool getwindowname "${main}" >"${folder}/title"
}

# Sound > GYM Logging is the seventh item; Start first in it, Stop second.
gym_menu() {
    keys alt+s Down Down Down Down Down Down Right "$@"
}

scenario_files() {
    load_cartridge
    keys alt+m d a
    gym_menu Return
    choose_file "Save GYM file to\.\.\." "$(windows_path "${folder}/roms/song")" || return 1
    sleep 3
    gym_menu Down Return
}

scenario_rate() {
    keys alt+s s Down Down Return
    sleep 1
    frequency_dialog
}

scenario_segacd() {
    accelerator b
    wait_picture
    xdotool getwindowname "${main}" >"${folder}/title_boot"
    shot booted
    keys alt+l
    choose_file "Load Megadrive/Genesis Rom\.\.\." "$(windows_path "${folder}/roms/disc.iso")" || return 1
    wait_title "Vimo v0.09 - disc.iso"
    # Chosen with the first filter, so the information box comes too.
    close_info_box
    wait_picture
    xdotool getwindowname "${main}" >"${folder}/title_disc"
    shot disc
    accelerator b
    wait_title "Vimo v0.09 - SegaCD"
    xdotool getwindowname "${main}" >"${folder}/title_again"
}

scenario_drive() {
    accelerator b
    wait_picture
    xdotool getwindowname "${main}" >"${folder}/title_boot"
    shot booted
}

# ---- inside the virtual display ------------------------------------------------
if [ "${3:-}" = "--inside" ]; then
    folder="$4"
    sound=off
    [ "${scenario}" = rate ] && sound=sound
    if [ "${scenario}" = drive ]; then
        source "${HERE}/aspi_common.sh"
        use_fake_aspi "${folder}" "${VIMO_EXE}"
        VIMO_EXE="${folder}/$(basename "${VIMO_EXE}")"
    fi
    # The texts windows are given (the frequency dialog's value among them)
    # reach the log too.
    [ "${scenario}" = keys ] && export WINEDEBUG="${WINEDEBUG},+win"
    start_vimo "${folder}" "${sound}"
    main="${window}"
    "scenario_${scenario}" || echo "the scenario's steps failed" >"${folder}/steps_failed"
    if timeout 1 xdotool search --name '^Vimo error\.\.\.$' >/dev/null; then
        echo "an error box" >"${folder}/error_box"
        import -window root "${folder}/error.png"
    fi
    exit_program
    wait_for_program "${pid}" "${folder}"
    exit 0
fi

# ---- the scenario ---------------------------------------------------------------
folder="$(new_start_folder "menus_${scenario}_${depth}")"
mkdir -p "${folder}/home" "${folder}/roms"
cp "${VIMO_GUI_IMAGES:?}/gui_colours.bin" "${folder}/roms/colours.bin"
bios="$(windows_path "${VIMO_GUI_IMAGES}/gui_bios.bin")"
printf '%s\r\n' "SegaCD [U] bios = ${bios}" "SegaCD [J] bios = ${bios}" "SegaCD [E] bios = ${bios}" \
    >"${folder}/vimo.ini"
# Without sound the frequency dialog shows this configured rate.
[ "${scenario}" = keys ] && printf 'Sound rate  = 22050\r\n' >>"${folder}/vimo.ini"
# A plain disc image: 64 sectors of 2048 bytes, the first naming the system.
{ printf 'SEGADISCSYSTEM  '; head -c $((64 * 2048 - 16)) /dev/zero; } >"${folder}/roms/disc.iso"
if [ "${scenario}" = zip ]; then
    mkdir -p "${folder}/zipped"
    cp "${VIMO_GUI_IMAGES}/gui_colours.bin" "${folder}/zipped/colours.bin"
    cp "${VIMO_GUI_IMAGES}/gui_colours.bin" "${folder}/zipped/spare.bin"
    perl -MIO::Compress::Zip=zip,\$ZipError -e \
        'zip [@ARGV[1 .. $#ARGV]] => $ARGV[0], FilterName => sub { s{.*/}{} } or die $ZipError' \
        "${folder}/roms/two.zip" "${folder}/zipped/colours.bin" "${folder}/zipped/spare.bin" || fail "no zip made"
fi
if [ "${scenario}" = rate ]; then
    printf 'pcm.!default {\n    type file\n    slave.pcm "null"\n    file "%s"\n    format "wav"\n}\n' \
        "${folder}/captured.wav" >"${folder}/home/.asoundrc"
fi

on_display "${depth}" 100 "$0" "${scenario}" "${depth}" --inside "${folder}" || fail "the display run failed or timed out"
[ ! -f "${folder}/steps_failed" ] || fail "a chooser or dialog did not open"
[ ! -f "${folder}/error_box" ] || fail "an error box was shown"
[ "$(cat "${folder}/exit_code" 2>/dev/null)" = 0 ] || fail "exit code $(cat "${folder}/exit_code" 2>/dev/null), expected 0"
log="${folder}/wine.log"
expect_colour() {
    local seen
    seen="$(half_colour "$1" "$2")"
    case " $3 " in *" ${seen} "*) ;; *) fail "$1: the $2 half is ${seen}, expected $3" ;; esac
}
expect_status() {
    grep -qF "OutputDebugStringA \"$1\"" "${log}" || fail "no status text \"$1\""
}

case "${scenario}" in
    load)
        [ "$(cat "${folder}/title")" = "Vimo v0.09 - colours.bin" ] || fail "title '$(cat "${folder}/title")'"
        [ -f "${folder}/info_box" ] || fail "no ROM information box"
        expect_status "Starting Genesis/Megadrive emulation..."
        expect_colour picture top "red green"
        expect_colour picture bottom blue
        ;;
    keys)
        expect_status "Resetting Megadrive..."
        expect_status "Emulation paused..."
        expect_status "Emulation resumed..."
        grep -qE 'OutputDebugStringA "Menu ticks: 32787 ' "${log}" || fail "Pause never ticked"
        first="$(half_colour paused1 top)"
        [ "$(half_colour paused2 top)" = "${first}" ] || fail "frames ran while paused"
        stepped="$(half_colour stepped top)"
        [ "${stepped}" != "${first}" ] || fail "the frame step showed no new frame (${first})"
        case "${first}/${stepped}" in red/green|green/red) ;; *) fail "paused ${first}, stepped ${stepped}" ;; esac
        cpu="$(cat "${folder}/paused_cpu")"
        [ -n "${cpu}" ] || fail "no CPU time measured while paused"
        echo "paused CPU: ${cpu} % of a core"
        awk -v cpu="${cpu}" 'BEGIN { exit !(cpu <= 15) }' || fail "paused, the program and the Wine server use ${cpu} % of a core"
        [ ! -f "${folder}/frames_stopped" ] || fail "no frames ran after the Alt+P resume $(cat "${folder}/frames_stopped")"
        [ -f "${folder}/menu_by_alt" ] || fail "Alt pressed alone did not open the menu"
        grep -qF 'set_window_text L"22050"' "${log}" && ! grep -qF 'set_window_text L"44100"' "${log}" ||
            fail "the frequency dialog without sound did not show the configured 22050"
        ;;
    quick)
        slot="${folder}/roms/colours.gs1"
        [ -f "${slot}" ] || fail "no colours.gs1 beside the ROM: $(ls "${folder}/roms")"
        [ "$(stat -c %s "${slot}")" = 140408 ] || fail "colours.gs1 has $(stat -c %s "${slot}") bytes"
        [ ! -e "${slot}.tmp" ] || fail "the temporary state file was left behind"
        expect_colour saved bottom blue
        expect_colour pressed bottom white
        expect_colour loaded bottom blue
        [ "$(stat -c %s "${folder}/roms/mystate.gst" 2>/dev/null)" = 140408 ] ||
            fail "the state saved as mystate is not mystate.gst: $(ls "${folder}/roms")"
        expect_colour pressed_again bottom white
        expect_colour chosen bottom blue
        ! grep -qF "Couldn't open state file" "${log}" || fail "a state file did not open"
        ;;
    zip)
        [ "$(cat "${folder}/title")" = "Vimo v0.09 - colours.bin" ] || fail "title '$(cat "${folder}/title")'"
        # Nothing reaches the list view from above: going down the middle of
        # the dialog, the first thing met is the list, and the row over it is
        # the dialog's background all across.
        shot="${folder}/zip_chooser.png"
        width="$("${CONVERT}" "${shot}" -format '%w' info:)"
        height="$("${CONVERT}" "${shot}" -format '%h' info:)"
        top="$("${CONVERT}" "${shot}" -crop "1x${height}+$((width / 2))+0" -depth 8 txt:- |
            awk 'match($0, /#[0-9A-F]+/) { split($1, at, "[,:]"); colour = substr($0, RSTART, 7)
                 if (at[2] == 4) background = colour
                 else if (at[2] > 4 && colour != background) { print at[2]; exit } }')"
        [ -n "${top}" ] || fail "no list view in the zip chooser"
        [ "$("${CONVERT}" "${shot}" -crop "$((width - 8))x1+4+$((top - 1))" -format '%k' info:)" = 1 ] ||
            fail "something in the zip chooser overlaps the top of its list"
        ;;
    files)
        [ "$(stat -c %s "${folder}/roms/ram_dump" 2>/dev/null)" = 65536 ] || fail "no 64 KB ram_dump in the ROM's folder"
        [ ! -e "${folder}/ram_dump" ] || fail "ram_dump in the start folder"
        [ -f "${folder}/vimo.ini" ] && [ ! -e "${folder}/roms/vimo.ini" ] || fail "vimo.ini not kept in the start folder"
        gym="${folder}/roms/song.gym"
        [ -f "${gym}" ] || fail "no song.gym: $(ls "${folder}/roms")"
        expect_status "GYM logging to $(windows_path "${folder}/roms/song.gym" | sed 's/\\/\\\\/g')"
        expect_status "GYM logging stopped..."
        size="$(stat -c %s "${gym}")"
        # The cartridge makes no sound: one end-of-frame byte per frame.
        [ "${size}" -ge 30 ] || fail "song.gym has only ${size} bytes"
        [ -z "$(tr -d '\000' <"${gym}" | head -c 1)" ] || fail "song.gym holds more than frame ends"
        ;;
    rate)
        grep -qxF $'Sound rate  = 22050\r' "${folder}/vimo.ini" || fail "vimo.ini lacks the new rate"
        grep -qE 'OutputDebugStringA "Menu ticks:.* 362 ' "${log}" || fail "22050 never ticked"
        ;;
    segacd)
        [ "$(cat "${folder}/title_boot")" = "Vimo v0.09 - SegaCD" ] || fail "title '$(cat "${folder}/title_boot")' after Boot"
        [ "$(cat "${folder}/title_disc")" = "Vimo v0.09 - disc.iso" ] || fail "title '$(cat "${folder}/title_disc")' after the image"
        [ "$(cat "${folder}/title_again")" = "Vimo v0.09 - SegaCD" ] || fail "title '$(cat "${folder}/title_again")' after Boot again"
        expect_status "Booting MegaCD/SegaCD..."
        expect_colour booted top cyan
        expect_colour disc bottom cyan
        ;;
    drive)
        [ "$(cat "${folder}/title_boot")" = "Vimo v0.09 - SegaCD" ] || fail "title '$(cat "${folder}/title_boot")' after Boot"
        expect_colour booted top cyan
        source "${HERE}/aspi_common.sh"
        # Opening at start-up; then the boot: the region (the table of
        # contents, then block 0 of its data track), then the hard reset's
        # table of contents.
        {
            expected_opening
            echo "${EXEC} length 10 data 804 cdb 43 02 00 00 00 00 00 03 24 00"
            echo "${EXEC} length 12 data 2048 cdb BE 00 00 00 00 00 00 00 01 10 00 00"
            echo "${EXEC} length 10 data 804 cdb 43 02 00 00 00 00 00 03 24 00"
        } | check_requests "${folder}" || exit 1
        ;;
esac
echo "PASS: menus ${scenario} (${depth}-bit display)"
