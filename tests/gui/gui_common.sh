# Shared by the GUI scenarios (sourced). Each scenario runs its program under
# Wine on its own virtual display, in its own start folder, with every wait
# bounded.

export WINEPREFIX="${VIMO_WINEPREFIX:?the shared Wine prefix}"
export WINEDLLOVERRIDES="mscoree,mshtml="
# Status texts reach the debugger's output, which +debugstr prints.
export WINEDEBUG="-all,+debugstr"
# ImageMagick's own convert, whatever else is on the path.
CONVERT=/usr/bin/convert

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A fresh start folder for the scenario under the build's gui/ folder.
new_start_folder() {
    local folder="${VIMO_GUI_WORK:?}/$1"
    rm -rf "${folder}"
    mkdir -p "${folder}"
    echo "${folder}"
}

# Runs this script again with the given arguments on a free virtual display
# of the given depth, for at most the given seconds.
on_display() {
    local depth="$1" seconds="$2"
    shift 2
    timeout "${seconds}" xvfb-run -a -s "-screen 0 1024x768x${depth}" bash "$@"
}

# The colour of one pixel of a picture as #RRGGBB.
pixel() {
    "${CONVERT}" "$1" -crop "1x1+$2+$3" -depth 8 txt:- | tail -n 1 | grep -o '#[0-9A-F]\{6\}' | head -n 1
}

# Waits (bounded) for the Wine processes of the scenario to end.
end_wine() {
    timeout 30 wineserver -w || wineserver -k || true
}

# The X window with the given title (a pattern), waiting at most a minute;
# empty when none appeared.
find_window() {
    timeout 60 xdotool search --sync --name "$1" | head -n 1
}

# Waits at most 30 s for the program started as `pid` to end, keeps its exit
# code in the folder's exit_code and lets Wine finish.
wait_for_program() {
    local pid="$1" folder="$2"
    timeout 30 tail --pid="${pid}" -f /dev/null
    wait "${pid}"
    echo "$?" >"${folder}/exit_code"
    end_wine
}

# Starts vimo.exe in the start folder $1 (HOME is its home/; sound off
# unless $2 is "sound") and waits for its main window: sets `pid` and
# `window`, or fails.
start_vimo() {
    local folder="$1"
    cd "${folder}" || exit 1
    export HOME="${folder}/home"
    if [ "${2:-}" != sound ]; then
        export WINEDLLOVERRIDES="${WINEDLLOVERRIDES};winealsa.drv,winepulse.drv,wineoss.drv=d"
    fi
    wine "${VIMO_EXE}" >"${folder}/wine.log" 2>&1 &
    pid=$!
    window="$(find_window '^Vimo v0\.09 - No rom loaded$')"
    if [ -z "${window}" ]; then
        kill "${pid}" 2>/dev/null
        end_wine
        fail "no window titled 'Vimo v0.09 - No rom loaded'"
    fi
    sleep 1
}
