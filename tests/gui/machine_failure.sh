#!/usr/bin/env bash
# A machine that cannot be built. A copy of vimo.exe whose machine gets no
# memory shows the machine's error box ("Vimo error...", "Couldn't allocate
# 64KB of ram"); once it is closed the program ends with exit code 1 before
# its message loop, and writes no vimo.ini.
set -uo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "${HERE}/gui_common.sh"

if [ "${1:-}" = "--inside" ]; then
    folder="$2"
    cd "${folder}" || exit 1
    export WINEDLLOVERRIDES="${WINEDLLOVERRIDES};winealsa.drv,winepulse.drv,wineoss.drv=d"
    wine "${VIMO_FAILING_MACHINE}" >"${folder}/wine.log" 2>&1 &
    pid=$!
    box="$(find_window '^Vimo error\.\.\.$')"
    if [ -n "${box}" ]; then
        echo "${box}" >"${folder}/box"
        sleep 0.5
        import -window root "${folder}/screen.png"
        xdotool windowfocus --sync "${box}"
        xdotool key Return
    fi
    wait_for_program "${pid}" "${folder}"
    exit 0
fi

folder="$(new_start_folder machine_failure)"
on_display 24 120 "$0" --inside "${folder}" || fail "the display run failed or timed out"
[ -f "${folder}/box" ] || fail "no \"Vimo error...\" box"
[ "$(cat "${folder}/exit_code" 2>/dev/null)" = 1 ] || fail "exit code $(cat "${folder}/exit_code" 2>/dev/null), expected 1"
[ ! -e "${folder}/vimo.ini" ] || fail "vimo.ini written by a program that never ran"
grep -q 'OutputDebugStringA "Ready"' "${folder}/wine.log" && fail "the program went on to \"Ready\""
echo "PASS: a machine that cannot be built ends the program with exit code 1"
