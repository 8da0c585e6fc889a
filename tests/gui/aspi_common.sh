# Shared by the ASPI scenarios (sourced after gui_common.sh): the fake drive
# library in a start folder, and the requests that open it.

# Puts the fake WNASPI32.DLL and a copy of the program into the folder and
# makes Wine take the library from there: the program's own folder is the
# one place searched before the system folder, where Wine keeps its own.
#   use_fake_aspi <folder> <program>
use_fake_aspi() {
    local folder="$1"
    cp "${VIMO_FAKE_ASPI:?}" "${folder}/wnaspi32.dll"
    cp "$2" "${folder}/"
    export WINEDLLOVERRIDES="${WINEDLLOVERRIDES};wnaspi32=n"
    export VIMO_FAKE_ASPI_LOG="${folder}/requests.log"
}

# Opening over the fake library (fake_disc.h: two adapters of 8 targets each,
# a disk at 0:0, the drive at 1:3): the inquiry of adapter 0, every target of
# adapter 0 and of adapter 1 up to the drive, then TEST UNIT READY (6 bytes)
# to the drive.
EXEC="exec 1:3:0 flags 48 sense 14"
expected_opening() {
    echo "inquiry 0"
    for target in 0 1 2 3 4 5 6 7; do echo "type 0:${target}:0"; done
    for target in 0 1 2 3; do echo "type 1:${target}:0"; done
    echo "${EXEC} length 6 data 0 cdb 00 00 00 00 00 00"
}

# Compares the folder's request log (written by a Windows program, so with
# CRLF line ends) with the expected lines on stdin. It fails through exit, so
# a caller that pipes into it ends with "|| exit 1".
check_requests() {
    local folder="$1"
    [ -f "${folder}/requests.log" ] || fail "the fake library recorded no request"
    diff <(cat) <(tr -d '\r' <"${folder}/requests.log") >"${folder}/requests.diff" ||
        { cat "${folder}/requests.diff"; fail "the requests differ from the expected ones (above: < expected, > sent)"; }
}
