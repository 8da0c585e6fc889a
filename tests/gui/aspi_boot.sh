#!/usr/bin/env bash
# Booting the Mega-CD from the host's drive. vimo_aspi_boot_check plugs the
# ASPI drive over the fake library into a machine and boots: the disc's region
# (read through the drive) must choose the only BIOS configured, the Japanese
# one; then it streams the first 8 sectors of the data track into program RAM
# and plays, locates, pauses, resumes and stops track 2. The library, which
# ends every request from a thread of its own, must have received exactly the
# requests below, each CDB with the length of its command group.
set -uo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "${HERE}/gui_common.sh"
source "${HERE}/aspi_common.sh"

if [ "${1:-}" = "--inside" ]; then
    folder="$2"
    cd "${folder}" || exit 1
    use_fake_aspi "${folder}" "${VIMO_ASPI_BOOT_CHECK}"
    wine "${folder}/$(basename "${VIMO_ASPI_BOOT_CHECK}")" >"${folder}/check.log" 2>"${folder}/wine.log" &
    wait_for_program "$!" "${folder}"
    exit 0
fi

folder="$(new_start_folder aspi_boot)"
on_display 24 120 "$0" --inside "${folder}" || fail "the display run failed or timed out"
cat "${folder}/check.log"
[ "$(cat "${folder}/exit_code" 2>/dev/null)" = 0 ] || fail "the check failed"

read_toc="${EXEC} length 10 data 804 cdb 43 02 00 00 00 00 00 03 24 00"
read_cd() { echo "${EXEC} length 12 data 2048 cdb BE 00 00 00 00 0$1 00 00 01 10 00 00"; }
{
    expected_opening
    # The boot: the region from block 0 of the data track, then the hard
    # reset's table of contents.
    echo "${read_toc}"
    read_cd 0
    echo "${read_toc}"
    # Play 00:02:00: blocks 0-7, then stop.
    for block in 0 1 2 3 4 5 6 7; do read_cd "${block}"; done
    echo "${EXEC} length 10 data 0 cdb 4E 00 00 00 00 00 00 00 00 00"
    # Play 00:10:00 to the lead-out (00:30:00), the position, pause, resume, stop.
    echo "${EXEC} length 10 data 0 cdb 47 00 00 00 0A 00 00 1E 00 00"
    echo "${EXEC} length 10 data 16 cdb 42 02 40 01 00 00 00 00 10 00"
    echo "${EXEC} length 10 data 0 cdb 4B 00 00 00 00 00 00 00 00 00"
    echo "${EXEC} length 10 data 0 cdb 4B 00 00 00 00 00 00 00 01 00"
    echo "${EXEC} length 10 data 0 cdb 4E 00 00 00 00 00 00 00 00 00"
} | check_requests "${folder}" || exit 1
echo "PASS: the Mega-CD boots from the drive and reads it"
