#!/usr/bin/env bash
# vimo.exe opens the host's CD drive through WNASPI32.DLL at start-up.
#   aspi_drive.sh builtin   Wine's own library, which has no adapter: no box
#                           appears, nothing hangs, "Ready" follows
#   aspi_drive.sh fake      the project's fake library: the drive at adapter
#                           1, target 3 is found and asked TEST UNIT READY
# Either way File > Exit ends the program with exit code 0.
set -uo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "${HERE}/gui_common.sh"
source "${HERE}/aspi_common.sh"

library="${1:?builtin or fake}"

if [ "${2:-}" = "--inside" ]; then
    folder="$3"
    cd "${folder}" || exit 1
    export WINEDLLOVERRIDES="${WINEDLLOVERRIDES};winealsa.drv,winepulse.drv,wineoss.drv=d"
    export WINEDEBUG="${WINEDEBUG},+loaddll"
    program="${VIMO_EXE}"
    if [ "${library}" = fake ]; then
        use_fake_aspi "${folder}" "${program}"
        program="${folder}/$(basename "${program}")"
    fi
    wine "${program}" >"${folder}/wine.log" 2>&1 &
    pid=$!
    window="$(find_window '^Vimo v0\.09 - No rom loaded$')"
    if [ -n "${window}" ]; then
        for _ in $(seq 100); do
            grep -q 'OutputDebugStringA "Ready"' "${folder}/wine.log" && break
            sleep 0.1
        done
        sleep 1
        import -window root "${folder}/screen.png"
        # A box would hold the start-up: note it and close it, so the run ends.
        for box in $(xdotool search --name '^Vimo error'); do
            echo "${box}" >>"${folder}/boxes"
            xdotool windowfocus --sync "${box}"
            xdotool key Return
        done
        xdotool windowfocus --sync "${window}"
        xdotool key alt+f
        sleep 0.5
        xdotool key x
    fi
    wait_for_program "${pid}" "${folder}"
    exit 0
fi

folder="$(new_start_folder "aspi_${library}")"
on_display 24 120 "$0" "${library}" --inside "${folder}" || fail "the display run failed or timed out"
log="${folder}/wine.log"
[ ! -s "${folder}/boxes" ] || fail "an error box appeared (screen.png)"
grep -q 'OutputDebugStringA "Ready"' "${log}" || fail "vimo.exe never said \"Ready\""
[ "$(cat "${folder}/exit_code" 2>/dev/null)" = 0 ] || fail "exit code $(cat "${folder}/exit_code" 2>/dev/null), expected 0"
if [ "${library}" = builtin ]; then
    grep -qi 'wnaspi32.dll.*: builtin' "${log}" || fail "Wine's own wnaspi32.dll was not loaded"
else
    grep -qi 'wnaspi32.dll.*: native' "${log}" || fail "the fake wnaspi32.dll was not loaded"
    expected_opening | check_requests "${folder}" || exit 1
fi
echo "PASS: start-up with the ${library} ASPI library"
