#!/usr/bin/env bash
# Start and exit. vimo.exe starts in its own start folder, which holds a
# seeded vimo.ini written by Windows (CRLF); the window is titled "Vimo v0.09
# - No rom loaded" and the status bar says "Ready" beside the two dark lamps;
# frames run (Auto pacing blanks the status text after 181 of them); keys the
# command table does not handle change nothing; File > Exit ends the program with exit code 0 and writes vimo.ini back with the
# seeded values kept and every other key at its default.
#   start_exit.sh nosound   no audio driver at all: the clock paces the frames
#   start_exit.sh sound     an ALSA file device: sound plays into a WAV file
set -uo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "${HERE}/gui_common.sh"

mode="${1:?nosound or sound}"

# ---- inside the virtual display ------------------------------------------------
if [ "${2:-}" = "--inside" ]; then
    folder="$3"
    start_vimo "${folder}" "${mode}"
    import -window "${window}" "${folder}/window.png"
    # 181 frames at about 60 a second blank the status text.
    for _ in $(seq 200); do
        grep -q 'OutputDebugStringA " "' "${folder}/wine.log" && break
        sleep 0.1
    done
    xdotool windowfocus --sync "${window}"
    # Accelerators whose commands are not in the table yet pass harmlessly.
    xdotool key Tab space grave
    xdotool key alt+f
    sleep 0.5
    xdotool key x
    wait_for_program "${pid}" "${folder}"
    exit 0
fi

# ---- the scenario ---------------------------------------------------------------
folder="$(new_start_folder "start_exit_${mode}")"
mkdir -p "${folder}/home"
printf '%s\r\n' " -- Graphics settings -- " "H-Interrupts = 0" "Sound rate  = 22050" \
    'Rom Path   = Z:\tmp\roms' 'SegaCD [U] bios = Z:\x\us.bin' >"${folder}/vimo.ini"
if [ "${mode}" = sound ]; then
    cat >"${folder}/home/.asoundrc" <<ASOUND
pcm.!default {
    type file
    slave.pcm "null"
    file "${folder}/captured.wav"
    format "wav"
}
ASOUND
fi

on_display 24 150 "$0" "${mode}" --inside "${folder}" || fail "the display run failed or timed out"

log="${folder}/wine.log"
[ -f "${folder}/exit_code" ] || fail "vimo.exe did not end"
[ "$(cat "${folder}/exit_code")" = 0 ] || fail "exit code $(cat "${folder}/exit_code"), expected 0"
grep -q 'OutputDebugStringA "Ready"' "${log}" || fail "no \"Ready\" status text"
grep -q 'OutputDebugStringA " "' "${log}" || fail "the status text was never blanked: frames did not run"

# The status bar: lamp frames grey, lamp insides dark, at the window's foot.
height="$("${CONVERT}" "${folder}/window.png" -format '%h' info:)"
bar=$((height - 20))
[ "$(pixel "${folder}/window.png" 5 $((bar + 5)))" = "#7F7F7F" ] || fail "green lamp frame not grey"
[ "$(pixel "${folder}/window.png" 10 $((bar + 10)))" = "#CDCDCD" ] || fail "green lamp not dark"
[ "$(pixel "${folder}/window.png" 30 $((bar + 10)))" = "#CDCDCD" ] || fail "red lamp not dark"

# vimo.ini written back in the start folder, as Windows writes text files.
ini="${folder}/vimo.ini"
grep -q $'\r$' "${ini}" || fail "vimo.ini has no CRLF line ends"
[ "$(grep -vc $'\r$' "${ini}")" = 0 ] || fail "vimo.ini has a line without CR"
for line in "H-Interrupts = 0" "PSG enabled = 1" "FM  enabled = 1" "PCM enabled = 1" \
    "Sound rate  = 22050" "Sound bits  = 16" "Stereosound = 1" 'Rom Path   = Z:\tmp\roms' \
    'State Path = .\' 'Gym Path   = .\' 'Brm Path   = .\' 'SegaCD [U] bios = Z:\x\us.bin' \
    "SegaCD [J] bios = " "SegaCD [E] bios = "; do
    grep -qxF "${line}"$'\r' "${ini}" || fail "vimo.ini lacks the line '${line}'"
done
grep -q "Bpp mode" "${ini}" && fail "vimo.ini holds 'Bpp mode', which is never written"
[ "$(tail -c 4 "${ini}" | od -An -tx1 | tr -d ' \n')" = "0d0a0d0a" ] || fail "vimo.ini does not end in an empty line"

if [ "${mode}" = sound ]; then
    wav="${folder}/captured.wav"
    [ -s "${wav}" ] || fail "no sound was played into the ALSA file device"
    rate="$(od -An -tu4 -j24 -N4 "${wav}" | tr -d ' ')"
    case "${rate}" in 22050|44100|48000) ;; *) fail "captured sound at ${rate} Hz" ;; esac
    bytes="$(stat -c %s "${wav}")"
    [ "${bytes}" -gt 10000 ] || fail "only ${bytes} bytes of sound captured"
    # No cartridge is loaded, so every sample is silence.
    [ -z "$(tail -c +45 "${wav}" | tr -d '\000' | head -c 1)" ] || fail "the captured sound is not silence"
    echo "captured ${bytes} bytes at ${rate} Hz"
else
    [ ! -e "${folder}/captured.wav" ] || fail "sound captured without a driver"
fi
echo "PASS: start and exit (${mode})"
