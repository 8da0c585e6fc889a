#!/usr/bin/env bash
# The picture. vimo_video_check draws red, green, blue and white quadrants
# (RGB565, as the renderer writes them) with a magenta border through the
# real video output, on a 16-bit display (drawn straight into a 16-bit back
# surface) or a 24-bit one (Wine reports 32 bits: drawn through the RGB565
# buffer). A screenshot of its window must show the four colours filling the
# client area above the status bar, edge to edge, and no magenta.
#   picture.sh 16|24
set -uo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "${HERE}/gui_common.sh"

depth="${1:?16 or 24}"

if [ "${2:-}" = "--inside" ]; then
    folder="$3"
    cd "${folder}" || exit 1
    wine "${VIMO_VIDEO_CHECK}" >"${folder}/check.log" 2>"${folder}/wine.log" &
    pid=$!
    window="$(find_window '^Vimo video check$')"
    if [ -n "${window}" ]; then
        sleep 2
        import -window "${window}" "${folder}/window.png"
    fi
    wait_for_program "${pid}" "${folder}"
    exit 0
fi

folder="$(new_start_folder "picture_${depth}")"
on_display "${depth}" 120 "$0" "${depth}" --inside "${folder}" || fail "the display run failed or timed out"
cat "${folder}/check.log"
[ "$(cat "${folder}/exit_code" 2>/dev/null)" = 0 ] || fail "the check program failed (surface lock?)"
shot="${folder}/window.png"
[ -f "${shot}" ] || fail "no screenshot"
grep -q "lock width 336 height 240" "${folder}/check.log" || fail "unexpected lock"

read -r width height < <("${CONVERT}" "${shot}" -format '%w %h' info:)
bottom=$((height - 20 - 1))     # the picture's last row, above the 20-pixel status bar
right=$((width - 1))
middle_x=$((width / 2))
middle_y=$(((height - 20) / 2))

expect() {
    local x="$1" y="$2" colour="$3" what="$4"
    local seen
    seen="$(pixel "${shot}" "${x}" "${y}")"
    [ "${seen}" = "${colour}" ] || fail "${what} at (${x},${y}) is ${seen}, expected ${colour}"
}
expect 0 0 "#FF0000" "top-left corner"
expect "${right}" 0 "#00FF00" "top-right corner"
expect 0 "${bottom}" "#0000FF" "bottom-left corner"
expect "${right}" "${bottom}" "#FFFFFF" "bottom-right corner"
expect $((middle_x / 2)) $((middle_y / 2)) "#FF0000" "red quadrant"
expect $((middle_x + middle_x / 2)) $((middle_y / 2)) "#00FF00" "green quadrant"
expect $((middle_x / 2)) $((middle_y + middle_y / 2)) "#0000FF" "blue quadrant"
expect $((middle_x + middle_x / 2)) $((middle_y + middle_y / 2)) "#FFFFFF" "white quadrant"
[ "$(pixel "${shot}" 100 $((height - 10)))" != "#0000FF" ] || fail "the picture covers the status bar"
magenta="$("${CONVERT}" "${shot}" -fill black +opaque "#FF00FF" -format '%[fx:mean>0?1:0]' info:)"
[ "${magenta}" = 0 ] || fail "the border (magenta) reached the screen"
echo "PASS: picture on a ${depth}-bit display (${width}x${height})"
